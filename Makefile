# A thin layer over CMake. `make run` builds the program alone, in a build
# of its own that needs no test framework and no Boost, and starts it in
# this directory; `make test` builds and runs every test in a plain build,
# and `make test-sanitize` in one under the address and undefined-behaviour
# sanitizers (CI runs both). Each target first installs the Debian packages
# it lacks: the packages-* targets below, with the lists in
# tools/debian-packages.sh. Builds say nothing unless they fail
# (tools/quiet-build.sh), and CMake's own make does not announce each
# directory it enters.
BUILD ?= build
RUN_BUILD ?= build-run
SAN_BUILD ?= build-san
JOBS ?= $(shell nproc)
CONFIG = -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDICESTAT_WERROR=ON
MAKEFLAGS += --no-print-directory

.PHONY: all build run test test-sanitize format format-check clean

all: build

PACKAGE_PURPOSES = run install test windows cross fuzz package format picture
.PHONY: $(addprefix packages-,$(PACKAGE_PURPOSES))
$(addprefix packages-,$(PACKAGE_PURPOSES)): packages-%:
	@tools/debian-packages.sh $*

# The full build has the tests and dicestat-chart.
build: packages-test
	@JOBS=$(JOBS) tools/quiet-build.sh $(BUILD) $(CONFIG)

# Nothing but the program's own dialogue reaches the terminal.
run: packages-run
	@JOBS=$(JOBS) tools/quiet-build.sh $(RUN_BUILD) $(CONFIG) -DDICESTAT_TESTS=OFF -DDICESTAT_CHART=OFF -DDICESTAT_BENCH=OFF -- dicestat
	@./$(RUN_BUILD)/dicestat

# Each says where it is every 20 seconds, shows only what failed and ends
# with its counts (tools/run-tests.sh).
test: packages-test
	@JOBS=$(JOBS) tools/run-tests.sh $(BUILD) $(CONFIG)

test-sanitize: packages-test
	@JOBS=$(JOBS) tools/run-tests.sh $(SAN_BUILD) $(CONFIG) -DDICESTAT_SANITIZE=ON

# `make test-exhaustive` checks the fixed-point conversion of every share
# and deviation a report can hold against a plain long-double conversion
# written apart from the program (tests/exhaustive/); a few minutes on two
# cores.
.PHONY: test-exhaustive

test-exhaustive: build
	$(BUILD)/tests/fixed_point_sweep

# `make test-picture` draws charts with dicestat-chart, renders them in
# headless Chromium and judges their pixels (tests/chart/picture/picture_test.py),
# with Debian's python3, for which python3-pil is installed.
.PHONY: test-picture

test-picture: packages-picture
	@JOBS=$(JOBS) tools/quiet-build.sh $(BUILD) $(CONFIG) -- dicestat dicestat-chart
	/usr/bin/python3 tests/chart/picture/picture_test.py $(BUILD)/dicestat $(BUILD)/dicestat-chart

# `make package-windows` cross-builds both programs with mingw-w64 and packs
# them, the README, the manual pages as plain text and the licence into
# $(WIN_ZIP) (cmake/windows-zip.cmake).
#
# `make test-windows` builds the zip and the unit tests of both programs
# with mingw-w64 and runs the tests under Wine, then runs the end-to-end
# tests from a Linux build against the Windows program, then both programs
# from the unpacked zip against the Linux ones (tests/wine-zip/run.sh), then
# the console cases (tests/wine-console/run.sh: the program at a terminal
# under tmux, its files compared with the Linux build's program's). Wine
# runs in a prefix of its own under $(WIN_BUILD), made whole and started
# first, with no limit (tests/wine-session/session.sh: or every test waits
# for it to boot, and a run under a file size limit that starts it fails),
# and ended at the end, whatever happened; a server left running in it by
# an earlier run is ended first. Each end-to-end test process also starts
# it (counted) before its first run and stops it after its last, so that
# one test run alone needs nothing started by hand.
WIN_BUILD ?= build-win
WIN_E2E_BUILD ?= build-win-e2e
WINE_PREFIX = $(abspath $(WIN_BUILD))/wine-prefix
# The project's one version, read from its definition in CMakeLists.txt.
VERSION = $(shell sed -n 's/^project.dicestat VERSION \([^ ]*\) .*/\1/p' CMakeLists.txt)
WIN_ZIP = $(WIN_BUILD)/dicestat-$(VERSION)-win64.zip

.PHONY: package-windows test-windows

package-windows: packages-windows
	cmake -S . -B $(WIN_BUILD) $(CONFIG) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
	cmake --build $(WIN_BUILD) -j $(JOBS) --target zip_contents
	cd $(WIN_BUILD) && cpack -G ZIP

test-windows: package-windows
	cmake -S . -B $(WIN_E2E_BUILD) $(CONFIG) -DDICESTAT_E2E_PROGRAM=$(abspath $(WIN_BUILD))/dicestat-wine \
	  -DDICESTAT_E2E_SESSION=$(abspath $(WIN_BUILD))/wine-session
	cmake --build $(WIN_E2E_BUILD) -j $(JOBS) --target e2e_tests dicestat dicestat-chart
	set -e; export WINEPREFIX=$(WINE_PREFIX) WINEDEBUG=-all; \
	trap 'tests/wine-session/session.sh end' EXIT; \
	tests/wine-session/session.sh end; \
	tests/wine-session/session.sh start; \
	cmake --build $(WIN_BUILD) -j $(JOBS) --target dicestat unit_tests host_tests chart_tests; \
	status=0; \
	ctest --test-dir $(WIN_BUILD) --output-on-failure -j $(JOBS) || status=1; \
	ctest --test-dir $(WIN_E2E_BUILD)/tests --output-on-failure -j $(JOBS) || status=1; \
	tests/wine-zip/run.sh $(WIN_ZIP) $(WIN_E2E_BUILD)/dicestat $(WIN_E2E_BUILD)/dicestat-chart || status=1; \
	tests/wine-console/run.sh $(WIN_BUILD)/dicestat.exe $(WIN_E2E_BUILD)/dicestat || status=1; \
	exit $$status

# `make test-cross` builds the program for i386 (x87 arithmetic, also at
# -O0), aarch64 and s390x with Debian's cross compilers, runs each under
# qemu-user, and the x86-64 build also on a processor without AVX2, and
# compares every byte each run leaves with the x86-64 build run here
# (tests/cross/cross_check.sh).
CROSS_BUILD ?= build-cross

.PHONY: test-cross

test-cross: packages-cross
	JOBS=$(JOBS) tests/cross/cross_check.sh $(CROSS_BUILD)

SOURCES = $(shell git ls-files '*.cc' '*.h')

format: packages-format
	clang-format -i $(SOURCES)

format-check: packages-format
	clang-format --dry-run -Werror $(SOURCES)

clean:
	rm -rf $(BUILD) $(RUN_BUILD) $(SAN_BUILD) $(INSTALL_BUILD) $(WIN_BUILD) $(WIN_E2E_BUILD) $(CROSS_BUILD)

# Fuzzing with libFuzzer (clang): each target runs FUZZ_SECONDS from the
# checked-in seeds, keeping what it finds in the build directory.
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 30
FUZZ_TARGETS = read_int tz conversions report_parse roll_log dice_read

.PHONY: fuzz
fuzz: packages-fuzz
	CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDICESTAT_FUZZ=ON -DDICESTAT_TESTS=OFF -DDICESTAT_WERROR=ON
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	for t in $(FUZZ_TARGETS); do \
	  mkdir -p $(FUZZ_BUILD)/corpus/$$t && \
	  $(FUZZ_BUILD)/fuzz/$${t}_fuzz -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 -artifact_prefix=$(FUZZ_BUILD)/ \
	    $(FUZZ_BUILD)/corpus/$$t fuzz/corpus/$$t || exit 1; \
	done

# Installing and packaging: `make install` builds both programs, without
# the tests, in a build of its own and puts them, stripped as in the
# package, and their manual pages under PREFIX (DESTDIR stages them
# elsewhere); `make package` builds a Debian package in $(BUILD);
# `make chart-example` redraws the picture in docs/ from a million rolls
# with seed 42.
PREFIX ?= /usr/local
INSTALL_BUILD ?= build-install
CHART_EXAMPLE = docs/chart-1000000.svg

.PHONY: install package chart-example

install: packages-install
	@JOBS=$(JOBS) tools/quiet-build.sh $(INSTALL_BUILD) $(CONFIG) -DDICESTAT_TESTS=OFF -DDICESTAT_BENCH=OFF
	@DESTDIR="$(DESTDIR)" cmake --install $(INSTALL_BUILD) --prefix "$(PREFIX)" --strip

package: packages-package build
	cd $(BUILD) && cpack -G DEB

chart-example: build
	set -e; tmp=$$(mktemp -d); trap 'rm -rf "$$tmp"' EXIT; \
	(cd "$$tmp" && printf '1000000\n42\n' | "$(abspath $(BUILD))/dicestat" >/dev/null && \
	 "$(abspath $(BUILD))/dicestat-chart" statfile.txt >chart.svg); \
	mv "$$tmp/chart.svg" $(CHART_EXAMPLE)

# `make bench` times the program against a write-only baseline and a naive
# peer in a scratch directory under $TMPDIR (or /tmp), then runs the
# micro-benchmarks when Google Benchmark was found.
.PHONY: bench

bench: build
	$(BUILD)/bench/bench_runner
	if [ -x $(BUILD)/bench/micro_bench ]; then $(BUILD)/bench/micro_bench; fi

# `make test-valgrind` runs the end-to-end tests with the program under
# valgrind's memory checker (tests/e2e/under_valgrind.sh): a memory error or
# a definite leak fails the test that met it. Huge runs and cases bound to
# timing skip themselves; the terminal tests, whose waits are timed for a
# program running at full speed, are left out.
.PHONY: test-valgrind

test-valgrind: build
	DICESTAT_WRAPPER="$(abspath tests/e2e/under_valgrind.sh)" \
	  $(BUILD)/tests/e2e_tests --gtest_filter='-Terminal/*:KeyWait.*'
