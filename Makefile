# Thin front end over CMake. Build trees:
#   build/native  Linux g++ (portable code, tools, tests)
#   build/asan    the same with AddressSanitizer + UBSan
#   build/fuzz    clang + libFuzzer, fuzz targets only
#   build/win     the product: 32-bit Windows programs (MinGW-w64), tests run under Wine
#   build/win64   the same programs and tests built 64-bit, only on machines whose kernel
#                 runs no 32-bit code (no Wine for the product there; wine64 still runs)

SHELL := /bin/bash
.NOTPARALLEL:
MAKEFLAGS += --no-print-directory
.DEFAULT_GOAL := all

JOBS ?= 2
# Extra arguments for every configure step, e.g. make CMAKE_ARGS=-DKF_WERROR=ON
CMAKE_ARGS ?=
CONFIGURE := cmake -Wno-dev $(CMAKE_ARGS)
BUILD := cmake --build

.PHONY: all deps native asan fuzz win win64 win64-where-needed vm-image vm-image-where-needed build-all test demo \
	demo-programs bench clean

# Windows first: the native build takes the stubs from build/win/bin when they are there.
all: deps win native

deps:
	@scripts/install-deps.sh

CONFIGURE_NATIVE := $(CONFIGURE) -S . -B build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo
CONFIGURE_WIN := $(CONFIGURE) -S . -B build/win -DCMAKE_BUILD_TYPE=Release \
	-DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-i686.cmake

native:
	$(CONFIGURE_NATIVE)
	$(BUILD) build/native --parallel $(JOBS)

asan:
	$(CONFIGURE) -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DKF_SANITIZE=ON
	$(BUILD) build/asan --parallel $(JOBS)

fuzz:
	CC=clang CXX=clang++ $(CONFIGURE) -S . -B build/fuzz -DCMAKE_BUILD_TYPE=Debug -DKF_FUZZ=ON
	$(BUILD) build/fuzz --parallel $(JOBS) --target kf_fuzzers

win:
	$(CONFIGURE_WIN)
	$(BUILD) build/win --parallel $(JOBS)

win64:
	$(CONFIGURE) -S . -B build/win64 -DCMAKE_BUILD_TYPE=Release \
		-DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-x86_64.cmake
	$(BUILD) build/win64 --parallel $(JOBS)

win64-where-needed:
	@if ! (source scripts/wine-env.sh && kf_wine_runs); then $(MAKE) win64; fi

# The guest that runs the 32-bit suite where this machine cannot (scripts/vm); reused
# while its inputs are unchanged.
vm-image:
	@scripts/vm/build-image.sh

vm-image-where-needed:
	@if scripts/vm/wanted; then scripts/vm/build-image.sh; fi

build-all: deps win native asan fuzz win64-where-needed

test: build-all vm-image-where-needed
	@KF_JOBS=$(JOBS) scripts/run-tests.sh

# The demo and the benchmarks need the programs, not the tests: the same trees as `all`,
# configured alike, with only these targets built, so that a later `make test` goes on
# from there.
demo-programs: deps
	$(CONFIGURE_WIN)
	$(BUILD) build/win --parallel $(JOBS) --target Kitforge installer_stub uninstaller_stub kftool
	$(CONFIGURE_NATIVE)
	$(BUILD) build/native --parallel $(JOBS) --target kftool

demo: demo-programs
	bash scripts/demo.sh

bench: demo-programs
	$(BUILD) build/native --parallel $(JOBS) --target archive_bench make_corpus zlib_ceiling
	bash bench/run.sh

clean:
	@if [ -d build/wineprefix ]; then (source scripts/wine-env.sh && wineserver -k) 2>/dev/null || true; fi
	@if [ -d build/wineprefix64 ]; then (export KF_WINE_ARCH=win64 && source scripts/wine-env.sh && wineserver -k) 2>/dev/null || true; fi
	rm -rf build out
