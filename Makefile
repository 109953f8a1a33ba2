# The two commands a newcomer needs: `make run` and `make test` (see README.md).
.PHONY: run test build deps clean

deps:
	@scripts/setup-deps

build: deps
	@scripts/build build

run: build
	@scripts/run-game

test: deps
	@scripts/test

clean:
	rm -rf build build-asan build-tsan build-fuzz
