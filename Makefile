# Short names for the usual jobs. The build lives in build/ (Release with
# debug info); BUILD_TYPE, BUILD_DIR and JOBS can be set on the command line.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

SANITIZE_DIR ?= build-asan

.PHONY: all configure build test sanitize demo bench install clean

all: build

configure:
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# Every test again with AddressSanitizer and UndefinedBehaviorSanitizer, the
# plug-ins and the command included; the first error fails the run.
sanitize:
	cmake -S . -B $(SANITIZE_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DBRISEN_SANITIZE=ON -DBRISEN_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build $(SANITIZE_DIR) -j $(JOBS)
	cd $(SANITIZE_DIR) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1:abort_on_error=1 ctest --output-on-failure -j $(JOBS)

demo: build
	$(BUILD_DIR)/cli/brisen demo brisen-demo

install: build
	cmake --install $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR)
