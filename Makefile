# Gaming Keyboard Settings: the two set-up commands.
#   make test  - build both builds and run every test
#   make run   - build the Windows program and run it under Wine
# Both install whatever Debian packages are missing first.

SHELL := /bin/bash
.DEFAULT_GOAL := test

PACKAGES := cmake ninja-build g++ make python3 googletest \
            g++-mingw-w64-x86-64-posix wine64 fonts-wine xvfb x11-utils xauth imagemagick xdotool \
            python3-pil fonts-dejavu-core fonts-wqy-microhei

RUN_STATE := build/windows/wine-run
RUN_DISPLAY ?= :77
ARGS ?=

.PHONY: test run deps host windows test-host test-windows clean

deps:
	@./tools/ensure-packages.sh $(PACKAGES)

host: deps
	@echo "== host build (g++)"
	@[ -f build/host/build.ninja ] || cmake --preset host >/dev/null
	@cmake --build --preset host

windows: deps
	@echo "== windows build (mingw-w64)"
	@[ -f build/windows/build.ninja ] || cmake --preset windows >/dev/null
	@cmake --build --preset windows
	@cmake --install build/windows >/dev/null
	@echo "   installed into build/windows/dist/"

test-host: host
	@echo "== host tests"
	@ctest --preset host

test-windows: windows
	@echo "== windows tests (under Wine)"
	@ctest --preset windows

test: host windows
	@echo "== host tests"
	@ctest --preset host; h=$$?; \
	 echo "== windows tests (under Wine)"; \
	 ctest --preset windows; w=$$?; \
	 exit $$(( h || w ))

run: windows
	@./tools/run-program.sh "$(RUN_STATE)" "$(RUN_DISPLAY)" $(ARGS)

clean:
	rm -rf build
