#!/usr/bin/env bash
# Prints the benchmark figures: filling the browsing lists from large folders
# beside a bare enumeration of the same folder, the program's size and its
# start-up time beside a minimal window program (all under Wine, on a private
# Xvfb display), and a long run of the settings fuzzer. Figures only: nothing
# here passes or fails on time. The test folders are kept in build/bench-prefix,
# so later runs do not make them again.
set -euo pipefail
source "$(dirname "$0")/common.sh"

ensure_packages "${BUILD_PACKAGES[@]}" "${WINE_PACKAGES[@]}" clang libclang-rt-14-dev

trap stop_services EXIT
start_xvfb
prepare_prefix "$BUILD_ROOT/bench-prefix"
build_windows Release

echo "== Lists, size and start-up (Wine)"
wine "$BUILD_ROOT/windows/list_bench.exe" 2>/dev/null | tr -d '\r'

echo
echo "== Settings fuzzer, ${VELMORIA_BENCH_FUZZ_RUNS:-1000000} inputs"
cmake -S "$VELMORIA_ROOT" -B "$BUILD_ROOT/fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DVELMORIA_FUZZ=ON >/dev/null
cmake --build "$BUILD_ROOT/fuzz" -j "$JOBS" >/dev/null
corpus=$(mktemp -d "${TMPDIR:-/tmp}/velmoria-corpus.XXXXXX")
"$BUILD_ROOT/fuzz/settings_fuzz" -runs="${VELMORIA_BENCH_FUZZ_RUNS:-1000000}" -max_len=4096 -print_final_stats=1 \
    "$corpus" "$VELMORIA_ROOT/tests/fuzz/seeds" 2>&1 | grep -E "^(Done|stat::number_of_executed_units|stat::peak_rss_mb|INFO: A corpus)|ERROR|SUMMARY" || true
rm -rf "$corpus"
