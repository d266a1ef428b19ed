# Front door: `make demo` and `make test` install what is missing, build, and run.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=

.PHONY: all deps build test demo clean fuzz test-asan bench
.PHONY: screenshots package

all: build

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS)
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# Every fuzz target for FUZZ_SECONDS each under AddressSanitizer + UndefinedBehaviorSanitizer
# (clang and libFuzzer, in build-fuzz); one summary line per target.
FUZZ_SECONDS ?= 60
fuzz: deps
	FUZZ_SECONDS=$(FUZZ_SECONDS) JOBS=$(JOBS) bash fuzz/run.sh

# The whole test suite built with AddressSanitizer + UndefinedBehaviorSanitizer (in build-asan).
# The same options apply while tests are listed at build time, since listing runs the binaries.
ASAN_DIR ?= build-asan
test-asan: export ASAN_OPTIONS = detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1
test-asan: export LSAN_OPTIONS = suppressions=$(CURDIR)/tests/sanitizers/lsan.supp:print_suppressions=0
test-asan: export UBSAN_OPTIONS = print_stacktrace=1:halt_on_error=1
test-asan: export QT_QPA_PLATFORM = offscreen
test-asan: deps
	cmake -S . -B $(ASAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRIO_SANITIZE=ON $(CMAKE_FLAGS)
	cmake --build $(ASAN_DIR) -j $(JOBS)
	cd $(ASAN_DIR) && ctest --output-on-failure -j $(JOBS)

# The benchmarks in Release (in build-bench): prints the table and writes bench/results.json.
BENCH_DIR ?= build-bench
bench: deps
	cmake -S . -B $(BENCH_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTRIO_BENCH=ON -DKESTRIO_TESTS=OFF $(CMAKE_FLAGS)
	cmake --build $(BENCH_DIR) -j $(JOBS) --target kestrio-bench
	@# kestrio-cli is timed when it builds; the bench reports it as not built otherwise.
	-cmake --build $(BENCH_DIR) -j $(JOBS) --target kestrio-cli
	$(BENCH_DIR)/bin/kestrio-bench --out bench/results.json

# Every window rendered offscreen against an embedded simulated brain, over the example
# configuration, into docs/img/ for the user guide.
screenshots: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS)
	cmake --build $(BUILD_DIR) -j $(JOBS) --target kestrio-screenshots
	QT_QPA_PLATFORM=offscreen $(BUILD_DIR)/bin/kestrio-screenshots docs/img docs/examples/pump-station.txt

# The Debian package (CPack) in $(BUILD_DIR): binaries, data files, desktop entry, icon and docs.
package: build
	cd $(BUILD_DIR) && cpack -G DEB

demo: build
	$(BUILD_DIR)/bin/kestrio --demo

clean:
	rm -rf $(BUILD_DIR)
