#!/usr/bin/env bash
# Installs what is missing, checks the style, then builds (warnings as
# errors) and runs the whole test suite three times: under AddressSanitizer +
# UndefinedBehaviorSanitizer (clang, with the fuzz targets), the threaded
# tests under ThreadSanitizer, and last the plain optimised build, whose CTest
# summary closes the output.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

jobs=$(nproc)

echo "== Style (clang-format)"
# Debian 12's clang-format decides; other versions may format differently.
git ls-files -z -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h' \
  | xargs -0 clang-format --dry-run -Werror

configure_and_build() {
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja -DNAVORA_WARNINGS_AS_ERRORS=ON "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
}

echo "== AddressSanitizer + UndefinedBehaviorSanitizer"
CC=clang CXX=clang++ configure_and_build build/asan -DCMAKE_BUILD_TYPE=Debug \
  -DNAVORA_SANITIZE=address,undefined -DNAVORA_BUILD_BENCH=OFF
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build/asan --output-on-failure -j "$jobs"

echo "== ThreadSanitizer (threaded tests)"
CC=clang CXX=clang++ configure_and_build build/tsan -DCMAKE_BUILD_TYPE=Debug \
  -DNAVORA_SANITIZE=thread -DNAVORA_BUILD_BENCH=OFF
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
  ctest --test-dir build/tsan --output-on-failure -j "$jobs" -L threaded

echo "== Release build, whole suite"
configure_and_build build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo
ctest --test-dir build/release --output-on-failure -j "$jobs"
