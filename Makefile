# Everything starts here: set-up (idempotent), configure, build, test, run.
BUILD ?= build
JOBS ?= 2

.PHONY: all setup configure build test run clean

all: build

setup:
	@bash deps/setup.sh

$(BUILD)/build.ninja: | setup
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake

configure: setup $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j$(JOBS)

# A clean Wine prefix for every full test run.
test: build
	rm -rf $(BUILD)/wineprefix
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

run: build
	bash tools/run.sh $(BUILD)

clean:
	rm -rf $(BUILD)
