# The commands a newcomer needs: `make run`, `make test` and `make web` (see README.md).
.PHONY: run test build deps clean web serve-web

deps:
	@scripts/setup-deps

build: deps
	@scripts/build build

run: build
	@scripts/run-game

test: deps
	@scripts/test

web: deps
	@scripts/build-web

serve-web: web
	@scripts/serve-web

clean:
	rm -rf build build-asan build-tsan build-fuzz build-web
