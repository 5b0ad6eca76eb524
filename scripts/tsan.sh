#!/bin/bash
# The deep optimiser searches ranges side by side: its tests under
# ThreadSanitizer, in a build of their own (no GUI). Not part of `make test`.
# usage: scripts/tsan.sh [BUILD_DIR] [GTEST_FILTER]
set -euo pipefail
build=${1:-build/tsan}
filter=${2:-Deep*}
cd "$(dirname "$0")/.."
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSALY_GUI=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=thread" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread"
cmake --build "$build" --target test_adjust -j "$(nproc)"
TSAN_OPTIONS="halt_on_error=1" "$build/tests/test_adjust" --gtest_filter="$filter"
