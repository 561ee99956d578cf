# Set-up and everyday commands. `make test` and `make demo` install what they need on a fresh
# Debian 12 machine (as root) and work offline when the packages are already there.

# What the demo needs: a compiler, the build tools and the argument library of the command line.
DEMO_PACKAGES := cmake ninja-build g++ make pkg-config libcli11-dev libusb-1.0-0-dev tzdata
# The tests need the demo's packages and GoogleTest, Python and the independent readers of exports.
# The USB tests run an unmodified libusb against simulated devices (umockdev).
PACKAGES := $(DEMO_PACKAGES) libgtest-dev libgmock-dev python3 python3-gpxpy libxml2-utils gdal-bin \
            umockdev libumockdev-dev gir1.2-umockdev-1.0 python3-gi libglib2.0-dev
BENCH_PACKAGES := libbenchmark-dev time bc
FUZZ_PACKAGES := clang libclang-rt-14-dev
WINDOWS_PACKAGES := g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine64 xvfb xauth python3-pefile imagemagick
# 32-bit Wine runs the i686 product. When apt cannot install it (no i386 architecture, or a mirror
# whose i386 index is broken), the Wine cases fall back to the x86_64 pair and say so loudly.
WINE32_PACKAGES := wine32:i386
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps build build-asan test test-native test-windows windows demo bench fuzz fuzz-build fuzz-smoke format clean

all: build

# Installs only what is missing; `apt-get update` runs only when something must be installed. An
# index that fails to download (a mirror mid-sync) leaves the others usable, so the install still runs.
define install_missing
	@missing=""; for p in $(1); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  SUDO=""; [ "$$(id -u)" -eq 0 ] || SUDO=sudo; \
	  $$SUDO apt-get update || echo "apt-get update reported a failing index; installing from what it has"; \
	  DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y --no-install-recommends $$missing; \
	fi
endef

deps:
	$(call install_missing,$(PACKAGES))

build: deps
	cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPATHLET_TESTS=ON $(CMAKE_FLAGS)
	cmake --build build -j $(JOBS)

build-asan: deps
	cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPATHLET_SANITIZE=ON $(CMAKE_FLAGS)
	cmake --build build-asan -j $(JOBS)

test: test-native test-windows fuzz-smoke

# The native tests need none of the Windows packages.
test-native: build build-asan
	ctest --test-dir build --output-on-failure -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir build-asan --output-on-failure -j $(JOBS)
	tests/run_binaries_whole.sh build
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 tests/run_binaries_whole.sh build-asan

# Pathlet.dll, Pathlet_LANG.dll and PathletSetup.exe: dist/win32 (i686, the product) and
# dist/win64 (x86_64). 32-bit Wine needs Debian's i386 architecture, added once.
windows:
	@dpkg --print-foreign-architectures | grep -qx i386 || { \
	  SUDO=""; [ "$$(id -u)" -eq 0 ] || SUDO=sudo; echo "Adding the i386 architecture (for 32-bit Wine)"; \
	  $$SUDO dpkg --add-architecture i386; }
	$(call install_missing,$(WINDOWS_PACKAGES))
	-$(call install_missing,$(WINE32_PACKAGES))
	cmake -S . -B build-win64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DPATHLET_TESTS=OFF -DPATHLET_HOST=OFF
	cmake --build build-win64 -j $(JOBS)
	cmake -S . -B build-win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DPATHLET_TESTS=OFF -DPATHLET_HOST=OFF
	cmake --build build-win32 -j $(JOBS)
	mkdir -p dist/win32 dist/win64
	cp build-win32/wine/Pathlet.dll build-win32/wine/Pathlet_LANG.dll build-win32/wine/PathletSetup.exe dist/win32/
	cp build-win64/wine/Pathlet.dll build-win64/wine/Pathlet_LANG.dll build-win64/wine/PathletSetup.exe dist/win64/

# The Wine cases run on the i686 pair under 32-bit Wine. Only where this machine cannot run 32-bit
# programs at all do they run on the x86_64 pair, and the line below says so.
test-windows: windows build
	/usr/bin/python3 tests/win32/check_pe.py dist/win32 i386
	/usr/bin/python3 tests/win32/check_pe.py dist/win64 amd64
	@if /usr/lib/wine/wine --version > /dev/null 2>&1; then \
	  tests/win32/run_wine_tests.sh build-win32 build win32 && \
	  tests/win32/screenshot.sh build-win32 build/artifacts/dialog.png win32; \
	else \
	  echo "!!! THIS MACHINE CANNOT RUN 32-BIT PROGRAMS: the Wine tests run on the x86_64 pair, NOT the i686 product !!!"; \
	  tests/win32/run_wine_tests.sh build-win64 build win64 && \
	  tests/win32/screenshot.sh build-win64 build/artifacts/dialog.png win64; \
	fi

# Only the demo's packages and the pathlet program; `make test` adds the rest to the same build.
demo:
	$(call install_missing,$(DEMO_PACKAGES))
	cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPATHLET_TESTS=OFF $(CMAKE_FLAGS)
	cmake --build build -j $(JOBS) --target pathlet
	./build/pathlet demo

bench: deps
	$(call install_missing,$(BENCH_PACKAGES))
	cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DPATHLET_BENCH=ON -DPATHLET_TESTS=OFF -DPATHLET_HOST=ON $(CMAKE_FLAGS)
	cmake --build build-bench -j $(JOBS)
	./build-bench/bench/bench_track --benchmark_counters_tabular=true
	bench/hotsync_bench.sh build-bench
	bench/users_bench.sh build-bench
	bench/sync_bench.sh build-bench
	/usr/bin/python3 bench/link_bench.py build-bench

FUZZ_SECONDS ?= 600
FUZZ_SMOKE_SECONDS ?= 5

# Builds the fuzz targets with clang and seeds their corpora from the generator and the demo.
fuzz-build: build
	$(call install_missing,$(FUZZ_PACKAGES))
	CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPATHLET_FUZZ=ON \
	  -DPATHLET_TESTS=OFF -DPATHLET_HOST=OFF $(CMAKE_FLAGS)
	cmake --build build-fuzz -j $(JOBS)
	mkdir -p build-fuzz/corpus/handheld build-fuzz/corpus/recordfile
	./build/pathlet-pdbgen synth --logs 2 --points 30 --per-record 7 -o build-fuzz/corpus/handheld/synth.pdb
	./build/pathlet-pdbgen describe fuzz/seeds/mixed.txt -o build-fuzz/corpus/handheld/mixed.pdb
	./build/pathlet demo --root build-fuzz/demo > /dev/null
	cp build-fuzz/demo/Demo_User/Pathlet/Tracks.tlx build-fuzz/corpus/recordfile/demo.tlx

# Runs each target for FUZZ_SECONDS. Crashing inputs land in build-fuzz/; keep them as regression
# tests under tests/.
fuzz: fuzz-build
	cd build-fuzz && ./fuzz/fuzz_handheld -max_total_time=$(FUZZ_SECONDS) -max_len=20000 corpus/handheld
	cd build-fuzz && ./fuzz/fuzz_recordfile -max_total_time=$(FUZZ_SECONDS) -max_len=100000 corpus/recordfile

# Part of `make test`: every target builds and runs a few seconds on its seed corpus, so that a
# change that breaks them is seen at once.
fuzz-smoke: fuzz-build
	cd build-fuzz && ./fuzz/fuzz_handheld -max_total_time=$(FUZZ_SMOKE_SECONDS) -max_len=20000 corpus/handheld
	cd build-fuzz && ./fuzz/fuzz_recordfile -max_total_time=$(FUZZ_SMOKE_SECONDS) -max_len=100000 corpus/recordfile

format:
	find . -path ./build\* -prune -o \( -name '*.cpp' -o -name '*.h' \) -print | xargs clang-format -i

clean:
	rm -rf build build-asan build-bench build-fuzz build-win32 build-win64 dist
