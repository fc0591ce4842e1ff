#!/usr/bin/env bash
# Sets up the machine, builds both builds and runs every test:
#   host, AddressSanitizer + UndefinedBehaviorSanitizer
#   host, ThreadSanitizer
#   host, libFuzzer (clang), a short bounded run of each fuzzer
#   win32 under Wine with code page 932
#   win32 against the real window under Wine and Xvfb
# Ends with one line "N passed, N failed" and a non-zero exit on any failure.
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
cd "$ROOT"
bash scripts/setup.sh || exit 1

JOBS=$(nproc)
PASSED=0
FAILED=0
FAILED_PHASES=()

# Adds the counts of a CTest run, read from its closing lines.
count_ctest() {  # phase logfile rc
    local phase=$1 log=$2 rc=$3 total failed
    total=$(sed -n 's/.*tests failed out of \([0-9]*\).*/\1/p' "$log" | tail -1)
    failed=$(sed -n 's/.*, \([0-9]*\) tests failed out of.*/\1/p' "$log" | tail -1)
    if [ -z "$total" ]; then
        echo "[$phase] no test result found"
        FAILED=$((FAILED + 1)); FAILED_PHASES+=("$phase"); return
    fi
    PASSED=$((PASSED + total - failed))
    FAILED=$((FAILED + failed))
    if [ "$failed" != 0 ] || [ "$rc" != 0 ]; then FAILED_PHASES+=("$phase"); fi
    echo "[$phase] $((total - failed)) passed, $failed failed"
}

build() {  # folder cmake-args...
    local dir=$1; shift
    cmake -S . -B "$dir" "$@" >"$dir.configure.log" 2>&1 || { cat "$dir.configure.log"; return 1; }
    cmake --build "$dir" -j"$JOBS" >"$dir.build.log" 2>&1 || { grep -E "error|Error" "$dir.build.log" | head -40; return 1; }
    if grep -q "warning:" "$dir.build.log"; then
        echo "[$dir] the build has warnings:"; grep "warning:" "$dir.build.log" | head -20; return 1
    fi
}

run_phase_ctest() {  # phase folder [ctest args]
    local phase=$1 dir=$2; shift 2
    (cd "$dir" && ctest --output-on-failure --timeout 300 "$@") >"$dir.ctest.log" 2>&1
    local rc=$?
    if [ $rc != 0 ]; then grep -E "Failure|FAILED|Failed|Timeout|Exception" "$dir.ctest.log" | head -40; fi
    count_ctest "$phase" "$dir.ctest.log" $rc
}

fail_phase() { echo "[$1] $2"; FAILED=$((FAILED + 1)); FAILED_PHASES+=("$1"); }

mkdir -p build
echo "== host, ASan + UBSan"
if build build/host-asan -DRT_SANITIZE=address -DCMAKE_BUILD_TYPE=Debug; then
    run_phase_ctest host-asan build/host-asan -j"$JOBS"
else fail_phase host-asan "build failed"; fi

echo "== host, TSan"
if build build/host-tsan -DRT_SANITIZE=thread -DCMAKE_BUILD_TYPE=Debug; then
    TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" run_phase_ctest host-tsan build/host-tsan -j"$JOBS"
else fail_phase host-tsan "build failed"; fi

echo "== host, fuzzers"
if build build/host-fuzz -DRT_FUZZ=ON -DRT_TESTS=OFF -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug; then
    # Each target for FUZZ_SECONDS (20) on a working copy of its seed corpus;
    # `bash scripts/fuzz.sh --long` is the long run.
    bash scripts/fuzz.sh --no-build >build/host-fuzz.fuzz.log 2>&1
    rc=$?
    if [ $rc != 0 ]; then grep -v '^\[fuzz\] PASS' build/host-fuzz.fuzz.log | tail -40; fi
    grep '^\[fuzz\] PASS' build/host-fuzz.fuzz.log
    p=$(grep -c '^\[fuzz\] PASS' build/host-fuzz.fuzz.log); f=$(grep -c '^\[fuzz\] FAIL' build/host-fuzz.fuzz.log)
    PASSED=$((PASSED + p)); FAILED=$((FAILED + f))
    if [ $rc != 0 ]; then FAILED_PHASES+=(fuzz); [ "$f" = 0 ] && FAILED=$((FAILED + 1)); fi
else fail_phase fuzz "build failed"; fi

echo "== win32 under Wine"
W=build/win32
if build $W -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release; then
    BUILD="$ROOT/$W"; . scripts/wine-env.sh; . scripts/xvfb.sh
    # One display and one wineserver for the whole phase: tests may open real
    # windows, and a wineserver started without DISPLAY would break them.
    xvfb_start || fail_phase win32 "no X display"
    wine_env_prepare
    wine_env_start_server
    run_phase_ctest win32 $W
    if [ -x scripts/gui-tests.sh ]; then
        echo "== win32, the real window under Xvfb"
        bash scripts/gui-tests.sh "$ROOT/$W" >"$W.gui.log" 2>&1
        rc=$?
        cat "$W.gui.log" | grep -E "^\[gui\]|PASS|FAIL" | tail -40
        p=$(grep -c '^\[gui\] PASS' "$W.gui.log"); f=$(grep -c '^\[gui\] FAIL' "$W.gui.log")
        PASSED=$((PASSED + p)); FAILED=$((FAILED + f))
        if [ $rc != 0 ] || [ "$f" != 0 ]; then FAILED_PHASES+=(gui); [ "$f" = 0 ] && FAILED=$((FAILED + 1)); fi
    fi
    wineserver -k 2>/dev/null
    xvfb_stop
else fail_phase win32 "build failed"; fi

echo
if [ ${#FAILED_PHASES[@]} -gt 0 ]; then echo "failing phases: ${FAILED_PHASES[*]}"; fi
echo "$PASSED passed, $FAILED failed"
[ $FAILED = 0 ] && [ ${#FAILED_PHASES[@]} = 0 ]
