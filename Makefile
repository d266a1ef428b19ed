# Front door: `make demo` and `make test` install what is missing, build, and run.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=

.PHONY: all deps build test demo clean

all: build

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS)
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

demo: build
	@if [ -x $(BUILD_DIR)/bin/kestrio ]; then \
	  $(BUILD_DIR)/bin/kestrio --demo; \
	else \
	  echo "kestrio: the desktop program is not built yet (its main window is still to come)."; \
	fi

clean:
	rm -rf $(BUILD_DIR)
