# SPDX-License-Identifier: GPL-3.0-or-later
# Thin wrapper over the CMake presets.
.PHONY: all build run test asan fuzz bench deb vm-test clean

all: build

build:
	cmake --preset dev >/dev/null
	cmake --build --preset dev

# Starts the program; with no mouse plugged in it talks to the simulated one.
run: build
	./scripts/run-hidmouse build/dev/bin

test: build
	ctest --preset dev

asan:
	cmake --preset asan >/dev/null
	cmake --build --preset asan
	ctest --preset asan

fuzz:
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz
	./scripts/run-fuzzers build/fuzz/fuzz $(or $(FUZZ_SECONDS),20)
	cmake --preset fuzz-gui >/dev/null
	cmake --build --preset fuzz-gui
	./scripts/run-fuzzers build/fuzz-gui/fuzz $(or $(FUZZ_SECONDS),20)

# Every benchmark and the start-up side by side with the toolkit's floor;
# writes bench/results.md (BENCH_ROUNDS sets the start-up rounds, default 15).
bench:
	cmake --preset release >/dev/null
	cmake --build --preset release
	./scripts/run-benchmarks build/release $(if $(BENCH_ROUNDS),--rounds $(BENCH_ROUNDS))

# The .deb, in build/package/ (an optimised, hardened build of its own that
# installs under /usr); scripts/check deb examines it.
deb:
	cmake --preset package >/dev/null
	cmake --build --preset package
	cpack --preset package

# Both programs against the real kernel and udev in a QEMU guest, with the
# virtual mouse on /dev/uhid (VM_TEST_FULL=1: the full tables).
vm-test:
	cmake --preset dev >/dev/null
	cmake --build --preset dev --target hidmouse hidmousectl hidmouse-uhid hm_data_files
	./scripts/vm-test build/dev

clean:
	rm -rf build
