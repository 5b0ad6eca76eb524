# Entry points. `make demo` and `make test` install what is missing first.
BUILD_DEBUG   ?= build/debug
BUILD_RELEASE ?= build/release
JOBS          ?= $(shell nproc)
# ccache, when installed, makes rebuilds of unchanged files instant.
LAUNCHER      := $(if $(shell command -v ccache),-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache,)

.PHONY: all setup debug release demo test bench gui format clean

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

bench: release
	./scripts/bench.sh $(BUILD_RELEASE)

format:
	find src tests bench tools fuzz \( -name '*.cpp' -o -name '*.h' \) ! -name '*_table.cpp' | xargs clang-format -i

clean:
	rm -rf build
