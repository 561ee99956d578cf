# Set-up and everyday commands. `make test` and `make demo` install what they need on a fresh
# Debian 12 machine (as root) and work offline when the packages are already there.

# What the demo needs: a compiler, the build tools and the argument library of the command line.
DEMO_PACKAGES := cmake ninja-build g++ make pkg-config libcli11-dev libusb-1.0-0-dev tzdata
# The tests need the demo's packages and GoogleTest, Python and the independent readers of exports.
# The USB tests run an unmodified libusb against simulated devices (umockdev).
PACKAGES := $(DEMO_PACKAGES) libgtest-dev libgmock-dev python3 python3-gpxpy python3-shapely libxml2-utils gdal-bin \
            libnetcdf-dev gmt-gshhg-low \
            umockdev libumockdev-dev gir1.2-umockdev-1.0 python3-gi libglib2.0-dev
BENCH_PACKAGES := libbenchmark-dev time bc
FUZZ_PACKAGES := clang libclang-rt-14-dev
WINDOWS_PACKAGES := g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine64 xvfb xauth python3-pefile imagemagick
# 32-bit Wine runs the i686 product. When apt cannot install it (no i386 architecture, or a mirror
# whose i386 index is broken), the Wine cases fall back to the x86_64 pair and say so loudly.
WINE32_PACKAGES := wine32:i386
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps build build-asan test test-native test-windows windows demo bench fuzz fuzz-build fuzz-smoke fuzz-long format clean

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

test: test-native test-windows fuzz-smoke test-deb

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
FUZZ_SMOKE_SECONDS ?= 4
FUZZ_RUNS ?= 10000000
FUZZ_LONG_SECONDS ?= 7200
# Every parser of bytes from outside has a target (fuzz/fuzz_<name>.cpp), and so do two whole
# HotSyncs against a lying peer (Net Sync framing; the serial line, either stack). Each target's
# longest input, in bytes:
FUZZ_TARGETS := handheld recordfile netsync serial usb pdb ini describe session_netsync session_serial
FUZZ_MAX_LEN_handheld := 20000
FUZZ_MAX_LEN_recordfile := 100000
FUZZ_MAX_LEN_netsync := 20000
FUZZ_MAX_LEN_serial := 20000
FUZZ_MAX_LEN_usb := 512
FUZZ_MAX_LEN_pdb := 20000
FUZZ_MAX_LEN_ini := 4096
FUZZ_MAX_LEN_describe := 4096
FUZZ_MAX_LEN_session_netsync := 32768
FUZZ_MAX_LEN_session_serial := 32768
# Memory: an input may cost a small multiple of its size plus one frame or message at the
# protocol's limit (64 KB) and the conduit's fixed costs; each target checks that itself (its
# MemoryBound_t). Around it, no single allocation may reach 64 MB and the process 512 MB (the
# sanitizer's shadow and a quarantine cut to 64 MB included); -timeout catches hangs. Standard
# output (the HotSync log's lines) is closed.
FUZZ_LIMITS = -rss_limit_mb=512 -malloc_limit_mb=64 -timeout=10 -close_fd_mask=1 -max_len=$(FUZZ_MAX_LEN_$(1))
FUZZ_ENV := ASAN_OPTIONS=quarantine_size_mb=64:detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
# $(call fuzz_each,OPTIONS): every target in turn on its corpus; the first failure stops.
fuzz_each = $(foreach t,$(FUZZ_TARGETS),(cd build-fuzz && $(FUZZ_ENV) ./fuzz/fuzz_$(t) $(call FUZZ_LIMITS,$(t)) $(1) corpus/$(t)) &&) true

# Builds the fuzz targets with clang and seeds their corpora: the committed seeds (fuzz/seeds/), the
# handheld's side of the recorded sessions and of whole simulated HotSyncs (fuzz_make_seeds), the
# generator's handhelds and the demo's record file.
fuzz-build: build
	$(call install_missing,$(FUZZ_PACKAGES))
	CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPATHLET_FUZZ=ON \
	  -DPATHLET_TESTS=OFF -DPATHLET_HOST=ON $(CMAKE_FLAGS)
	cmake --build build-fuzz -j $(JOBS) --target $(addprefix fuzz_,$(FUZZ_TARGETS)) fuzz_make_seeds
	for t in $(FUZZ_TARGETS); do \
	  mkdir -p build-fuzz/corpus/$$t; \
	  if [ -d fuzz/seeds/$$t ]; then cp fuzz/seeds/$$t/* build-fuzz/corpus/$$t/; fi; \
	done
	./build-fuzz/fuzz/fuzz_make_seeds tests/dlp/recorded build-fuzz/corpus
	./build/pathlet-pdbgen synth --logs 2 --points 30 --per-record 7 -o build-fuzz/corpus/handheld/synth.pdb
	./build/pathlet-pdbgen describe fuzz/seeds/describe/mixed.txt -o build-fuzz/corpus/handheld/mixed.pdb
	./build/pathlet demo --root build-fuzz/demo > /dev/null
	cp build-fuzz/demo/Demo_User/Pathlet/Tracks.tlx build-fuzz/corpus/recordfile/demo.tlx

# Runs every target for FUZZ_SECONDS. A failing input lands in build-fuzz/ (crash-*, leak-*,
# timeout-*, oom-*): mend it and keep it under tests/fuzz/regressions/<target>/.
fuzz: fuzz-build
	$(call fuzz_each,-max_total_time=$(FUZZ_SECONDS))

# Every target FUZZ_RUNS (10 million) inputs or FUZZ_LONG_SECONDS (two hours), whichever comes
# first, its corpus growing under build-fuzz/corpus/: the targets that run a whole HotSync or a whole
# parse of the ini files manage a few hundred to a few thousand inputs a second under the sanitizers.
fuzz-long: fuzz-build
	$(call fuzz_each,-runs=$(FUZZ_RUNS) -max_total_time=$(FUZZ_LONG_SECONDS))

# Part of `make test`: every kept regression input replayed, then every target a few seconds on its
# seed corpus, so that a change that breaks them is seen at once.
fuzz-smoke: fuzz-build
	$(foreach t,$(FUZZ_TARGETS),$(if $(wildcard tests/fuzz/regressions/$(t)/*),(cd build-fuzz && $(FUZZ_ENV) \
	  ./fuzz/fuzz_$(t) $(call FUZZ_LIMITS,$(t)) $(patsubst %,../%,$(wildcard tests/fuzz/regressions/$(t)/*))) &&)) true
	$(call fuzz_each,-max_total_time=$(FUZZ_SMOKE_SECONDS))

format:
	find . -path ./build\* -prune -o \( -name '*.cpp' -o -name '*.h' \) -print | xargs clang-format -i

clean:
	rm -rf build build-asan build-bench build-fuzz build-win32 build-win64 build-deb dist

# The Debian package (build-deb/pathlet_VERSION-REVISION_ARCH.deb) and its check: lintian, then a
# clean Debian 12 tree (made once by mmdebstrap, kept in build-deb/package-test/) where apt installs
# it and `pathlet demo` runs. The package is built with Debian's hardening flags, through ccache
# where the machine has it (relative to this folder, so that another clone finds the same objects).
# The netCDF library lets `pathlet plot` draw shorelines.
DEB_PACKAGES := dpkg-dev file lintian mmdebstrap libnetcdf-dev
.PHONY: deb test-deb
deb:
	$(call install_missing,$(DEMO_PACKAGES) $(DEB_PACKAGES))
	cmake -S . -B build-deb -G Ninja -DCMAKE_BUILD_TYPE=Release -DPATHLET_TESTS=OFF -DCMAKE_INSTALL_PREFIX=/usr \
	  -DPATHLET_USER_UNIT_DIR=lib/systemd/user $(if $(shell command -v ccache),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache) \
	  "-DCMAKE_CXX_FLAGS=-fstack-protector-strong -Wformat -Werror=format-security -D_FORTIFY_SOURCE=2" \
	  "-DCMAKE_EXE_LINKER_FLAGS=-Wl,-z,relro -Wl,-z,now" $(CMAKE_FLAGS)
	CCACHE_BASEDIR=$(CURDIR) cmake --build build-deb -j $(JOBS) --target pathlet pathlet-pdbgen
	rm -f build-deb/pathlet_*.deb
	cd build-deb && cpack -G DEB

test-deb: deb
	tests/package/check_deb.sh build-deb
