#!/usr/bin/env bash
# Sets up the machine, builds both builds and runs every test:
#   host, AddressSanitizer + UndefinedBehaviorSanitizer
#   host, ThreadSanitizer
#   host, libFuzzer (clang), a short bounded run of each fuzzer
#   win32, the product: built, and checked to be a 32-bit GUI program that
#     imports only system DLLs
#   under Wine with code page 932, and against the real window under Wine
#     and Xvfb: the 32-bit build where this machine runs 32-bit programs,
#     else the 64-bit build of the same sources (scripts/win-target.sh)
#   where 32-bit programs can't run: the product once end to end under CPU
#     emulation, or a line saying why that was skipped
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

# The 32-bit product is built and checked on every run; the Windows tests
# run against the build this machine's Wine can run (scripts/win-target.sh).
. scripts/win-target.sh
win_target_choose
echo "== win32, the product: build/win32/app/linewrap.exe"
if build build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release; then
    if why=$(bash scripts/check-exe.sh build/win32/app/linewrap.exe 32); then
        echo "[product] PASS $why"; PASSED=$((PASSED + 1))
    else fail_phase product "$why"; fi
else fail_phase product "build failed"; fi

W=build/$WIN_TARGET
echo "== $WIN_TARGET under Wine: $WIN_WHY"
if [ "$WIN_TARGET" = win64 ] && ! build $W -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release; then
    fail_phase $WIN_TARGET "build failed"
elif [ -d $W ]; then
    [ "$WIN_TARGET" = win64 ] && { why=$(bash scripts/check-exe.sh $W/app/linewrap.exe 64) || fail_phase $WIN_TARGET "$why"; }
    BUILD="$ROOT/$W"; . scripts/wine-env.sh; . scripts/xvfb.sh
    # One display and one wineserver for the whole phase: tests may open real
    # windows, and a wineserver started without DISPLAY would break them.
    xvfb_start || fail_phase $WIN_TARGET "no X display"
    wine_env_prepare
    wine_env_start_server
    run_phase_ctest $WIN_TARGET $W
    echo "== $WIN_TARGET, the real window under Xvfb"
    bash scripts/gui-tests.sh "$ROOT/$W" >"$W.gui.log" 2>&1
    rc=$?
    cat "$W.gui.log" | grep -E "^\[gui\]|PASS|FAIL" | tail -40
    p=$(grep -c '^\[gui\] PASS' "$W.gui.log"); f=$(grep -c '^\[gui\] FAIL' "$W.gui.log")
    PASSED=$((PASSED + p)); FAILED=$((FAILED + f))
    if [ $rc != 0 ] || [ "$f" != 0 ]; then FAILED_PHASES+=(gui); [ "$f" = 0 ] && FAILED=$((FAILED + 1)); fi
    wineserver -k 2>/dev/null
    xvfb_stop
fi

SKIPPED=0
if [ "$WIN_RUNS_32" = 0 ] && [ -f build/win32/app/linewrap.exe ]; then
    echo "== win32, the product end to end under CPU emulation"
    bash scripts/emulated-32.sh build/win32 >build/win32.emulated.log 2>&1
    rc=$?
    grep '^\[emulated-32\]' build/win32.emulated.log
    case $rc in
        0) PASSED=$((PASSED + 1)) ;;
        3) SKIPPED=$((SKIPPED + 1)) ;;
        *) fail_phase emulated-32 "see build/win32.emulated.log" ;;
    esac
fi

echo
if [ ${#FAILED_PHASES[@]} -gt 0 ]; then echo "failing phases: ${FAILED_PHASES[*]}"; fi
echo "$PASSED passed, $FAILED failed, $SKIPPED skipped"
[ $FAILED = 0 ] && [ ${#FAILED_PHASES[@]} = 0 ]
