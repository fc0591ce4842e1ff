#!/usr/bin/env bash
# CTest's emulator for the win32 build: wine-exec.sh BUILD program [args...]
BUILD="$1"; shift
. "$(dirname "$0")/wine-env.sh"
wine_env_prepare
exec wine "$@"
