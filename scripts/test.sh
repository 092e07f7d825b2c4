#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the full build (GUI tests
# offscreen), each test alone and then each test program whole, then the core libraries again
# under AddressSanitizer and UndefinedBehaviorSanitizer, then the fuzz targets for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
export CTEST_OUTPUT_ON_FAILURE=1

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build -j "$jobs" --timeout 600

# Every test program of the full build once more, each run whole in one process: state that
# one test leaves behind for the next (a cache, an answer still waiting for its window) shows
# here, where ctest's process per test hides it. Each program in its build folder, as ctest
# runs it, for a bounded time.
root=$(pwd)
whole_failed=()
while IFS= read -r program; do
  log=$(mktemp)
  if ! (cd "$(dirname "$program")" &&
        LEDSUITE_SOURCE_DIR="$root" timeout 1800 "./$(basename "$program")" >"$log" 2>&1); then
    tail -n 40 "$log"
    whole_failed+=("$program")
  fi
  rm -f "$log"
done < <(find build/tests -type f -name '*_tests' -perm -u+x | sort)
if [ ${#whole_failed[@]} -gt 0 ]; then
  echo "Test programs that fail run whole: ${whole_failed[*]}" >&2
  exit 1
fi

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DLEDSUITE_GUI=OFF -DLEDSUITE_SANITIZE=ON -DLEDSUITE_BENCH=OFF >/dev/null
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan -j "$jobs" --timeout 900

if [ -x scripts/fuzz.sh ]; then
  bash scripts/fuzz.sh
fi
