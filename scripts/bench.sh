#!/usr/bin/env bash
# Prints the benchmark figures, all under Wine on a private Xvfb display:
# filling the browsing lists from large folders beside a bare enumeration of
# the same folder (a folder of 100,000 songs opened with one read for both
# lists), the program's size, its start-up time beside a one-window program
# bare and with the same manifest (the fair floor), its private bytes idle and
# with 100,000 songs listed, a folder of 100,000 songs played from, the
# window's latency while a play waits for a player's window, a soak of
# 1,000 plays and stops
# with the process's counts, 200 kills of a writer in mid-write, the writers
# on a full and a read-only disk, a solid 7z set opened beside a bare decode;
# then long runs of the three fuzzers.
# Times are figures only: nothing here passes or fails on time. The large
# folders are kept in build/bench-prefix, so later runs do not make them again.
set -euo pipefail
source "$(dirname "$0")/common.sh"

ensure_packages "${BUILD_PACKAGES[@]}" "${WINE_PACKAGES[@]}" clang libclang-rt-14-dev
fetch_sources

trap stop_services EXIT
start_xvfb
SERVICES_DIR=${SERVICES_DIR:-$(mktemp -d "${TMPDIR:-/tmp}/velmoria.XXXXXX")}
prepare_prefix "$BUILD_ROOT/bench-prefix"
prepare_test_drives
build_windows Release
harness=$BUILD_ROOT/windows/wine_tests.exe

# Runs some of the tests, at the lengths set by the environment, and keeps
# their figures and verdicts.
figures() {
    wine "$harness" --gtest_filter="$1" 2>/dev/null | tr -d '\r' |
        grep -E '^\[ figures|^\[ +(OK|FAILED|SKIPPED) +\] .*\(' || true
}

large="$WINEPREFIX/drive_c/velmoria-bench/songs-100000"
if [ ! -d "$large" ]; then
    mkdir -p "$large"
    (cd "$large" && seq -f 'Song %06g.spc' 1 100000 | xargs -d '\n' touch)
fi
export VELMORIA_LARGE_FOLDER='C:\velmoria-bench\songs-100000'

echo "== Lists, size, start-up and memory"
wine "$BUILD_ROOT/windows/list_bench.exe" 2>/dev/null | tr -d '\r'

echo
echo "== A set"
wine "$BUILD_ROOT/windows/set_bench.exe" 2>/dev/null | tr -d '\r'

echo
echo "== A folder of 100,000 songs"
figures 'BadInput.ALargeFolder*'

echo
echo "== The window while a play waits for the classic SPCPlay's window (700 ms late)"
figures 'PlayTest.SpcPlayGetsShortPaths*'

echo
echo "== Soak: ${VELMORIA_BENCH_SOAK_CYCLES:-1000} plays and stops, a play-through of ${VELMORIA_BENCH_SOAK_SONGS:-1000} one-second songs"
VELMORIA_SOAK_CYCLES=${VELMORIA_BENCH_SOAK_CYCLES:-1000} VELMORIA_SOAK_SONGS=${VELMORIA_BENCH_SOAK_SONGS:-1000} \
    figures 'Soak.*'

echo
echo "== Faults"
VELMORIA_KILL_RUNS=${VELMORIA_BENCH_KILL_RUNS:-200} figures 'KilledWriter.*'

echo
echo "== Fuzzers, ${VELMORIA_BENCH_FUZZ_RUNS:-1000000} inputs each"
cmake -S "$VELMORIA_ROOT" -B "$BUILD_ROOT/fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DVELMORIA_FUZZ=ON >/dev/null
cmake --build "$BUILD_ROOT/fuzz" -j "$JOBS" >/dev/null
make_set_seeds "$BUILD_ROOT/fuzz"
for fuzz in "${FUZZERS[@]}"; do
    IFS=: read -r name seeds maxlen <<<"$fuzz"
    echo "-- $name"
    corpus=$(mktemp -d "${TMPDIR:-/tmp}/velmoria-corpus.XXXXXX")
    "$BUILD_ROOT/fuzz/${name}_fuzz" -runs="${VELMORIA_BENCH_FUZZ_RUNS:-1000000}" \
        -max_total_time="${VELMORIA_BENCH_FUZZ_SECONDS:-900}" -max_len="$maxlen" -print_final_stats=1 \
        "$corpus" "$seeds" 2>&1 |
        grep -E "^(Done|stat::number_of_executed_units|stat::peak_rss_mb|INFO: A corpus)|ERROR|SUMMARY" || true
    rm -rf "$corpus"
done
