# A thin layer over CMake. `make run` builds the program and starts it in
# this directory; `make test` builds and runs every test, once in a plain
# build and once under the address and undefined-behaviour sanitizers.
BUILD ?= build
SAN_BUILD ?= build-san
JOBS ?= $(shell nproc)
CONFIG = -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDICESTAT_WERROR=ON

.PHONY: all build run test test-plain test-sanitize format format-check clean

all: build

build:
	cmake -S . -B $(BUILD) $(CONFIG)
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/dicestat

test: test-plain test-sanitize

test-plain: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

test-sanitize:
	cmake -S . -B $(SAN_BUILD) $(CONFIG) -DDICESTAT_SANITIZE=ON
	cmake --build $(SAN_BUILD) -j $(JOBS)
	ctest --test-dir $(SAN_BUILD) --output-on-failure -j $(JOBS)

SOURCES = $(shell git ls-files '*.cc' '*.h')

format:
	clang-format -i $(SOURCES)

format-check:
	clang-format --dry-run -Werror $(SOURCES)

clean:
	rm -rf $(BUILD) $(SAN_BUILD)
