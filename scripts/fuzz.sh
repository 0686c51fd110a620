#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for a bounded time on its
# corpus: scripts/fuzz.sh [SECONDS_PER_TARGET]
set -euo pipefail
source_dir="$(cd "$(dirname "$0")/.." && pwd)"
cd "$source_dir"
seconds="${1:-15}"
build_dir=build/fuzz

targets=(config_reader session_line paths wildcard)
CC=clang CXX=clang++ cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTARVO_FUZZ=ON -DTARVO_SANITIZE=address,undefined \
    -DTARVO_BUILD_GUI=OFF -DTARVO_BUILD_TESTS=OFF -DTARVO_BUILD_BENCH=OFF >/dev/null
cmake --build "$build_dir" -j "$(nproc)" --target "${targets[@]/#/fuzz_}"

for target in "${targets[@]}"; do
    corpus="tests/fuzz/corpus/$target"
    work="$build_dir/corpus-$target"
    mkdir -p "$work"
    echo "== Fuzzing $target for ${seconds}s"
    ASAN_OPTIONS=detect_leaks=0 "$build_dir/tests/fuzz/fuzz_$target" "$work" "$corpus" \
        -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
        -print_final_stats=0 2>&1 | tail -n 3
done
