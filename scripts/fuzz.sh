#!/usr/bin/env bash
# Builds the libFuzzer targets (host, clang, ASan + UBSan) in build/host-fuzz
# and runs each one on a working copy of its seed corpus, so that what the
# fuzzer adds stays in the build folder and tests/fuzz/corpus/ keeps only the
# seeds and regression inputs.
#
#   bash scripts/fuzz.sh [--long] [--no-build] [name_fuzzer ...]
#
# By default each target runs FUZZ_SECONDS seconds (20). --long runs each for
# FUZZ_RUNS executions (10^7), or until FUZZ_LONG_SECONDS if that is set.
# Prints "[fuzz] PASS name: <libFuzzer's final line>" or "[fuzz] FAIL name"
# per target and exits non-zero if any failed; a failing input is saved as
# build/host-fuzz/<name>-crash-*, to be added to the seed corpus once fixed.
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
cd "$ROOT"
B=${FUZZ_BUILD:-build/host-fuzz}  # another folder lets a long run go on while you rebuild
LONG=0
BUILD=1
NAMES=()
for a in "$@"; do
    case "$a" in
        --long) LONG=1 ;;
        --no-build) BUILD=0 ;;
        *) NAMES+=("$a") ;;
    esac
done

if [ $BUILD = 1 ]; then
    mkdir -p build
    cmake -S . -B $B -DRT_FUZZ=ON -DRT_TESTS=OFF -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
        >$B.configure.log 2>&1 || { cat $B.configure.log; exit 1; }
    cmake --build $B -j"${JOBS:-2}" >$B.build.log 2>&1 || { grep -E "error" $B.build.log | head -40; exit 1; }
    if grep -q "warning:" $B.build.log; then grep "warning:" $B.build.log | head -20; exit 1; fi
fi
if [ ${#NAMES[@]} = 0 ]; then
    for f in $B/fuzz/*_fuzzer; do [ -x "$f" ] && NAMES+=("$(basename "$f")"); done
fi

FAILS=0
for name in "${NAMES[@]}"; do
    work=$B/corpus-$name
    mkdir -p "$work"
    if [ -d tests/fuzz/corpus/$name ]; then cp -r tests/fuzz/corpus/$name/. "$work/"; fi
    if [ $LONG = 1 ]; then
        limit=(-runs="${FUZZ_RUNS:-10000000}" -max_total_time="${FUZZ_LONG_SECONDS:-0}")
    else
        limit=(-max_total_time="${FUZZ_SECONDS:-20}")
    fi
    # tests/fuzz/options/<name> may hold more flags, such as a shorter
    # -max_len for a target whose inputs cost much each (a later flag wins).
    extra=()
    if [ -f tests/fuzz/options/$name ]; then read -r -a extra <tests/fuzz/options/$name; fi
    if "$B/fuzz/$name" "${limit[@]}" -max_len=4096 -rss_limit_mb=2048 -print_final_stats=1 \
           "${extra[@]}" -artifact_prefix="$B/$name-" "$work" >"$B/$name.log" 2>&1; then
        echo "[fuzz] PASS $name: $(grep -E '^#[0-9]+.*DONE' "$B/$name.log" | tail -1)"
    else
        tail -30 "$B/$name.log"
        echo "[fuzz] FAIL $name (log: $B/$name.log)"
        FAILS=$((FAILS + 1))
    fi
done
[ $FAILS = 0 ]
