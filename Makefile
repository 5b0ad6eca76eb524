# Entry points. `make demo` and `make test` install what is missing first.
BUILD_DEBUG   ?= build/debug
BUILD_RELEASE ?= build/release
BUILD_PACKAGE ?= build/package
BUILD_WINDOWS ?= build/windows
# The libraries of the Windows build, built once by scripts/windows-toolchain.sh.
TESSALY_WIN_CACHE ?= $(HOME)/.cache/tessaly-win
WIN_PREFIX    := $(TESSALY_WIN_CACHE)/prefix
JOBS          ?= $(shell nproc)
# ccache, when installed, makes rebuilds of unchanged files instant.
LAUNCHER      := $(if $(shell command -v ccache),-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache,)

.PHONY: all setup debug release demo test bench gui package windows windows-configure windows-test format clean

all: debug

setup:
	./scripts/setup.sh

debug: setup
	cmake -S . -B $(BUILD_DEBUG) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTESSALY_SANITIZE=ON $(LAUNCHER)
	cmake --build $(BUILD_DEBUG) -j $(JOBS)

release: setup
	cmake -S . -B $(BUILD_RELEASE) -G Ninja -DCMAKE_BUILD_TYPE=Release $(LAUNCHER)
	cmake --build $(BUILD_RELEASE) -j $(JOBS)

demo: release
	./scripts/demo.sh $(BUILD_RELEASE)

test: debug
	cd $(BUILD_DEBUG) && ctest --output-on-failure -j $(JOBS)

# The desktop program, installed as a program folder and started on the sample.
gui: release
	cmake --install $(BUILD_RELEASE) --prefix $(BUILD_RELEASE)/Tessaly
	$(BUILD_RELEASE)/Tessaly/tessaly $(BUILD_RELEASE)/Tessaly/sample.fb

# The Debian package $(BUILD_PACKAGE)/tessaly_<version>_amd64.deb: a Release
# build with Debian's hardening flags in the system layout (/usr), made by
# CPack, then checked by lintian (errors fail the target, warnings are shown).
# Source paths are left out of the flags and made relative for ccache, so
# that a build from another clone hits the cache.
package: export DEB_BUILD_MAINT_OPTIONS = hardening=+all reproducible=-fixfilepath,-fixdebugpath
package: export CCACHE_BASEDIR = $(CURDIR)
package:
	./scripts/setup.sh package
	cmake -S . -B $(BUILD_PACKAGE) -G Ninja -DCMAKE_BUILD_TYPE=Release $(LAUNCHER) \
	  -DTESSALY_INSTALL_LAYOUT=system -DCMAKE_INSTALL_PREFIX=/usr \
	  -DTESSALY_TESTS=OFF -DTESSALY_BENCH=OFF \
	  -DCMAKE_C_FLAGS="$$(dpkg-buildflags --get CFLAGS) $$(dpkg-buildflags --get CPPFLAGS)" \
	  -DCMAKE_CXX_FLAGS="$$(dpkg-buildflags --get CXXFLAGS) $$(dpkg-buildflags --get CPPFLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$$(dpkg-buildflags --get LDFLAGS)"
	cmake --build $(BUILD_PACKAGE) -j $(JOBS) --target tessaly tessaly-cli tessaly_packaging_files
	rm -f $(BUILD_PACKAGE)/tessaly_*.deb
	cd $(BUILD_PACKAGE) && cpack
	lintian --fail-on error $(BUILD_PACKAGE)/tessaly_*.deb

# Windows (x64): a program folder zipped as $(BUILD_WINDOWS)/Tessaly-<version>-win64.zip,
# cross-built with MinGW-w64 against the libraries of the toolchain script
# (hours the first time, then kept in $(TESSALY_WIN_CACHE)).
windows-configure: export TESSALY_WIN_CACHE := $(TESSALY_WIN_CACHE)
windows-configure:
	./scripts/setup.sh windows
	./scripts/windows-toolchain.sh all
	cmake -S . -B $(BUILD_WINDOWS) -G Ninja -DCMAKE_BUILD_TYPE=Release $(LAUNCHER) \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64-x86_64.cmake \
	  -DTESSALY_WIN_PREFIX=$(WIN_PREFIX) -DCMAKE_PREFIX_PATH=$(WIN_PREFIX) \
	  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
	  -DCMAKE_CROSSCOMPILING_EMULATOR="$(CURDIR)/scripts/wine-run.sh;$(WIN_PREFIX)" \
	  -DTESSALY_BENCH=OFF -DTESSALY_GUI=ON

windows: windows-configure
	cmake --build $(BUILD_WINDOWS) -j $(JOBS) --target tessaly tessaly-cli
	./scripts/windows-zip.sh $(BUILD_WINDOWS) $(WIN_PREFIX)

# The core and command-line tests under Wine, the divisions compared with the
# Linux build's, and a picture of the desktop program's window under Wine.
windows-test: windows release
	cmake --build $(BUILD_WINDOWS) -j $(JOBS)
	JOBS=$(JOBS) ./scripts/windows-ctest.sh $(BUILD_WINDOWS) $(WIN_PREFIX)
	./scripts/windows-check.sh $(BUILD_WINDOWS) $(BUILD_RELEASE) $(WIN_PREFIX)

bench: release
	./scripts/bench.sh $(BUILD_RELEASE)

format:
	find src tests bench tools fuzz \( -name '*.cpp' -o -name '*.h' \) ! -name '*_table.cpp' | xargs clang-format -i

clean:
	rm -rf build
