# The commands a newcomer needs: `make run`, `make test`, `make web`, `make windows` and `make arm64`
# (see README.md). Each installs what it needs first (scripts/setup-deps run, test, web, windows or
# arm64): the game alone needs far less than its tests and its other builds.
.PHONY: run test build sdk deps deps-test deps-web deps-windows deps-arm64 clean web web-sdk serve-web windows arm64

# Where `make sdk` installs the SDK (make sdk SDK=/some/folder for another).
SDK ?= $(HOME)/quorbix-sdk
# Where `make web-sdk` installs the web SDK (make web-sdk WEB_SDK=/some/folder for another).
WEB_SDK ?= $(HOME)/quorbix-web-sdk

deps:
	@scripts/setup-deps run

deps-test:
	@scripts/setup-deps test

deps-web:
	@scripts/setup-deps web

deps-windows:
	@scripts/setup-deps windows

deps-arm64:
	@scripts/setup-deps arm64

build: deps
	@scripts/build build

# The SDK alone (the framework, its CMake and pkg-config files, quorbix-new), built and installed.
sdk: deps
	@scripts/build-sdk "$(SDK)"

run: build
	@scripts/run-game

test: deps-test
	@scripts/test

web: deps-web
	@scripts/build-web

web-sdk: deps-web
	@scripts/build-web --install "$(WEB_SDK)"

windows: deps-windows
	@scripts/build-windows

arm64: deps-arm64
	@scripts/build-arm64

serve-web: web
	@scripts/serve-web

clean:
	rm -rf build build-sdk build-asan build-tsan build-fuzz build-web build-windows build-arm64
