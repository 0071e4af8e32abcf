# The two commands of the README: `make demo` and `make test`. Both install what is missing first.
.PHONY: all bootstrap build demo test test-dev test-asan bench clean

all: build

bootstrap:
	@bash scripts/bootstrap

build: bootstrap
	cmake --preset dev >/dev/null
	cmake --build --preset dev

demo: bootstrap
	cmake --preset release >/dev/null
	cmake --build --preset release --target qreport_cli
	./build/release/qreport demo demo-client

test: test-dev test-asan

test-dev: bootstrap
	cmake --preset dev
	cmake --build --preset dev
	ctest --preset dev

test-asan: bootstrap
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

bench: bootstrap
	cmake --preset release >/dev/null
	cmake --build --preset release --target qreport_bench
	./build/release/bench/qreport_bench

clean:
	rm -rf build
