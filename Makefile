# Thin wrapper over the CMake presets.
.PHONY: all build run test asan fuzz bench clean

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

bench:
	cmake --preset release >/dev/null
	cmake --build --preset release
	./scripts/run-benchmarks build/release/bench

clean:
	rm -rf build
