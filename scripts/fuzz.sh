#!/usr/bin/env bash
# Builds the libFuzzer target with clang into build-fuzz/ and runs it for
# SECONDS seconds (default 60) on a corpus seeded from examples/. A crash
# leaves its input in build-fuzz/ and a non-zero exit status.
#
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
build="$root/build-fuzz"

bash "$root/scripts/bootstrap.sh" --fuzz
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DPELLISTO_BUILD_FUZZ=ON -DPELLISTO_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target conf_fuzzer -j"$(nproc)"

corpus="$build/corpus"
mkdir -p "$corpus"
cp "$root"/examples/firebird/*.conf* "$corpus/"
cd "$build"
exec "$build/tests/fuzz/conf_fuzzer" -max_total_time="$seconds" -max_len=65536 \
  -print_final_stats=1 "$corpus"
