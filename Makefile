# The two commands of the README: `make run` and `make test`.
# Both set up the machine (Debian packages), configure and build first.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
# Each step prints its wall time (and .ci/run sums them up).
STAGE = bash scripts/stage.sh

.PHONY: setup build run test sanitize tsan fuzz ci clean

setup:
	@$(STAGE) setup bash scripts/setup.sh

$(BUILD)/build.ninja:
	$(STAGE) "$(BUILD): configure" cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

build: setup $(BUILD)/build.ninja
	$(STAGE) "$(BUILD): build" cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/kobrix $(ARGS)

test: build
	$(STAGE) "$(BUILD): test" ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The same suite under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize:
	$(MAKE) test BUILD=build-asan CMAKE_FLAGS="-DKOBRIX_SANITIZE=ON -DKOBRIX_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug"

# The thread-heavy test programs once under ThreadSanitizer; only those are
# built.
TSAN_TESTS = test_audio test_platform_core test_platform_gui test_platform_audio test_platform_mci \
             test_platform_board test_video_board test_video_export
tsan: setup
	$(STAGE) "build-tsan: configure" cmake -S . -B build-tsan -G Ninja -DKOBRIX_TSAN=ON -DKOBRIX_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
	$(STAGE) "build-tsan: build" cmake --build build-tsan -j $(JOBS) --target $(TSAN_TESTS)
	$(STAGE) "build-tsan: test" bash scripts/run-tsan.sh build-tsan

# The file readers' fuzz targets (only they and what they link are built), sharing
# a total time.
FUZZ_SECONDS ?= 120
fuzz: setup
	CC=clang CXX=clang++ $(STAGE) "build-fuzz: configure" cmake -S . -B build-fuzz -G Ninja -DKOBRIX_FUZZ=ON -DKOBRIX_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
	$(STAGE) "build-fuzz: build" cmake --build build-fuzz -j $(JOBS) --target fuzz_targets
	$(STAGE) "build-fuzz: test" bash scripts/run-fuzz.sh build-fuzz $(FUZZ_SECONDS)

ci: test sanitize tsan fuzz

clean:
	rm -rf build build-asan build-tsan build-fuzz
