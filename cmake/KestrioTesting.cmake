# kestrio_add_test(NAME name SOURCES ... LIBS ... [GUI])
# One GoogleTest executable; every test case becomes a CTest test run on the offscreen platform.
# GUI tests get a main() that creates a QApplication, the others a QCoreApplication.
find_package(GTest REQUIRED)
include(GoogleTest)

function(kestrio_add_test)
  cmake_parse_arguments(T "GUI" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  if(T_GUI)
    target_link_libraries(${T_NAME} PRIVATE kestrio_test_main_gui)
  else()
    target_link_libraries(${T_NAME} PRIVATE kestrio_test_main)
  endif()
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock)
  target_include_directories(${T_NAME} PRIVATE "${CMAKE_SOURCE_DIR}/tests")
  target_compile_definitions(${T_NAME} PRIVATE
    KESTRIO_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    KESTRIO_BINARY_DIR="${CMAKE_BINARY_DIR}")
  gtest_discover_tests(${T_NAME}
    TEST_PREFIX "${T_NAME}."
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 120)
endfunction()
