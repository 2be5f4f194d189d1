# The two commands of the README: `make run` and `make test`.
# Both set up the machine (Debian packages), configure and build first.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: setup build run test sanitize fuzz ci clean

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

# The file readers' fuzz targets, each for a bounded time.
FUZZ_SECONDS ?= 30
fuzz: setup
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DKOBRIX_FUZZ=ON -DKOBRIX_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build build-fuzz -j $(JOBS)
	bash scripts/run-fuzz.sh build-fuzz $(FUZZ_SECONDS)

ci: test sanitize fuzz

clean:
	rm -rf build build-asan build-fuzz
