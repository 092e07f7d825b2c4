#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) and runs each for a bounded time.
# FUZZ_SECONDS sets the total budget shared by all targets (default 240: about 40 s each).
# FUZZ_INPUT_SECONDS limits the time of one input (default 10): an input that runs longer is a
# finding like a crash, so that a small file cannot freeze a reader. The largest picture the
# readers take (64 Mpixel) decodes in 2 to 3 s under the sanitizers; the limit leaves room for
# a busy machine.
set -euo pipefail
cd "$(dirname "$0")/.."
budget=${FUZZ_SECONDS:-240}
input_limit=${FUZZ_INPUT_SECONDS:-10}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DLEDSUITE_GUI=OFF -DLEDSUITE_SANITIZE=ON -DLEDSUITE_BENCH=OFF -DLEDSUITE_FUZZ=ON >/dev/null
cmake --build build-fuzz -j "$(nproc)" --target fuzz_all
targets=(build-fuzz/tools/fuzz/fuzz_*)
per=$(( budget / ${#targets[@]} ))
[ "$per" -ge 5 ] || per=5
for t in "${targets[@]}"; do
  [ -x "$t" ] || continue
  name=$(basename "$t"); name=${name#fuzz_}
  corpus=build-fuzz/corpus/$name
  mkdir -p "$corpus"
  seeds=()
  [ -d tools/fuzz/seeds/$name ] && seeds=(tools/fuzz/seeds/$name)
  echo "fuzz $name: ${per}s"
  "$t" -max_total_time="$per" -timeout="$input_limit" -max_len=1048576 -rss_limit_mb=4096 -print_final_stats=0 \
    "$corpus" "${seeds[@]}" 2>&1 | tail -n 3
done
echo "fuzz: all targets ran without findings"
