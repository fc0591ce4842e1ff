#!/usr/bin/env bash
# Benchmark of the whole utility on the host stand-in: builds bench/
# host_bench in an optimised build without sanitizers and runs it. Prints
# items per second, file calls and text runs drawn per item for each size.
#
#   bash bench/host-bench.sh [HOST_BUILD_DIR] [SIZE...]
#
# HOST_BUILD_DIR defaults to build/bench-host; sizes default to 1000 10000
# 100000. Not a test: neither CTest nor scripts/test.sh runs it. The win32
# side (the real window under Wine) is bench/run-bench.sh.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="$ROOT/build/bench-host"
if [ $# -gt 0 ] && ! [[ "$1" =~ ^[0-9]+$ ]]; then
    BUILD="$1"
    shift
fi
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DRT_SANITIZE= -DRT_TESTS=OFF >/dev/null
cmake --build "$BUILD" -j2 --target host_bench >/dev/null
echo "[bench] host build $BUILD, $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
exec timeout -k 5 3600 "$BUILD/bench/host_bench" "$@"
