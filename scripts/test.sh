#!/usr/bin/env bash
# Builds and runs every test: the folders' include layers, the window-free
# logic natively under AddressSanitizer and UBSan, a bounded run of the
# settings fuzzer, then the Windows program (with its demo and benchmark
# programs) and its tests under Wine on a private Xvfb display, in a fresh
# Wine prefix. The program's own code builds with warnings as errors. Ends
# with CTest's summary line of the Wine tests.
set -euo pipefail
source "$(dirname "$0")/common.sh"

ensure_packages "${BUILD_PACKAGES[@]}" "${WINE_PACKAGES[@]}" clang libclang-rt-14-dev
fetch_sources

PREFIX_DIR=$(mktemp -d "${TMPDIR:-/tmp}/velmoria-prefix.XXXXXX")
OWN_PREFIX=$PREFIX_DIR/wine
trap 'stop_services; rm -rf "$PREFIX_DIR"' EXIT
start_xvfb
# The prefix is made in the background while the native tree builds.
(prepare_prefix "$PREFIX_DIR/wine" >"$PREFIX_DIR/prefix.log" 2>&1) &
prefix_job=$!

echo "== Include layers"
layers=$VELMORIA_ROOT/../shared/tools/include-layers
if [ -x "$layers" ]; then
    (cd "$VELMORIA_ROOT" && "$layers")
else
    echo "(no include-layers tool beside the project; skipped)"
fi

echo "== Native tests (AddressSanitizer, UBSan)"
cmake -S "$VELMORIA_ROOT" -B "$BUILD_ROOT/native" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELMORIA_SANITIZE=ON \
    -DVELMORIA_WERROR=ON >/dev/null
cmake --build "$BUILD_ROOT/native" -j "$JOBS"
(cd "$BUILD_ROOT/native" &&
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        ctest --output-on-failure --timeout 120 -j "$JOBS")

echo "== Fuzzers of the settings, SPC tag and set readers (bounded runs)"
cmake -S "$VELMORIA_ROOT" -B "$BUILD_ROOT/fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DVELMORIA_FUZZ=ON >/dev/null
cmake --build "$BUILD_ROOT/fuzz" -j "$JOBS"
make_set_seeds "$BUILD_ROOT/fuzz"
for fuzz in "${FUZZERS[@]}"; do
    IFS=: read -r name seeds maxlen <<<"$fuzz"
    corpus=$(mktemp -d "${TMPDIR:-/tmp}/velmoria-corpus.XXXXXX")
    # A RAR input takes UnRAR's whole window, tens of milliseconds under ASan: time bounds the run too.
    "$BUILD_ROOT/fuzz/${name}_fuzz" -runs="${VELMORIA_FUZZ_RUNS:-200000}" -max_total_time="${VELMORIA_FUZZ_SECONDS:-60}" \
        -max_len="$maxlen" "$corpus" \
        "$seeds" 2>&1 | tail -n 2
    rm -rf "$corpus"
done

echo "== Windows build"
build_windows Release -DVELMORIA_WERROR=ON

if ! wait "$prefix_job"; then
    cat "$PREFIX_DIR/prefix.log" >&2
    exit 1
fi
export WINEPREFIX=$PREFIX_DIR/wine
prepare_test_drives

echo "== Windows tests under Wine"
cd "$BUILD_ROOT/windows"
ctest --output-on-failure --timeout 120
