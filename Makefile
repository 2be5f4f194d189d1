# The two commands of the README: `make run` and `make test`.
# Both set up the machine (Debian packages), configure and build first.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: setup build run test sanitize tsan fuzz ci clean

setup:
	@bash scripts/setup.sh

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

build: setup $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/kobrix $(ARGS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The same suite under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize:
	$(MAKE) test BUILD=build-asan CMAKE_FLAGS="-DKOBRIX_SANITIZE=ON -DKOBRIX_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug"

# The thread-heavy test programs once under ThreadSanitizer; only those are
# built.
TSAN_TESTS = test_audio test_platform_core test_platform_gui test_platform_audio
tsan: setup
	cmake -S . -B build-tsan -G Ninja -DKOBRIX_TSAN=ON -DKOBRIX_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build build-tsan -j $(JOBS) --target $(TSAN_TESTS)
	bash scripts/run-tsan.sh build-tsan

# The file readers' fuzz targets (no tests or benchmarks are built), sharing
# a total time.
FUZZ_SECONDS ?= 120
fuzz: setup
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DKOBRIX_FUZZ=ON -DKOBRIX_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build build-fuzz -j $(JOBS)
	bash scripts/run-fuzz.sh build-fuzz $(FUZZ_SECONDS)

ci: test sanitize tsan fuzz

clean:
	rm -rf build build-asan build-tsan build-fuzz
