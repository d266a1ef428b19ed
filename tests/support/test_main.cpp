// Test entry point: a Qt application object exists for every test so that event loops,
// sockets and (in GUI tests) widgets work on the offscreen platform.
#include <gtest/gtest.h>

#ifdef KESTRIO_TEST_GUI
#include <QApplication>
using TestApp = QApplication;
#else
#include <QCoreApplication>
using TestApp = QCoreApplication;
#endif

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")
                                                                  : qgetenv("QT_QPA_PLATFORM"));
  TestApp app(argc, argv);
  TestApp::setOrganizationName("KestrioTests");
  TestApp::setApplicationName("kestrio-tests");
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
