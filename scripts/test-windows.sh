#!/usr/bin/env bash
# Cross-builds tests/system/tst_native.cpp with Native_windows.cpp for
# Windows and runs it under Wine. Exits 77 (skipped) without MinGW-w64 or Wine.
# Usage: scripts/test-windows.sh [SOURCE_DIR] [BUILD_DIR]
set -euo pipefail
source_dir=$(cd "${1:-$(dirname "$0")/..}" && pwd)
build_dir=${2:-$source_dir/build-windows}

compiler=x86_64-w64-mingw32-g++-posix
# Debian's wine64 keeps its loader off PATH; the wine package adds the command.
if ! command -v "$compiler" >/dev/null || ! command -v wine >/dev/null; then
  echo "test-windows.sh: skipped, needs $compiler and wine (apt-get install g++-mingw-w64-x86-64-posix wine wine64)" >&2
  exit 77
fi

mkdir -p "$build_dir"
exe=$build_dir/tst_native.exe
sources=("$source_dir/tests/system/tst_native.cpp" "$source_dir/src/system/Native_windows.cpp")
if [ ! -e "$exe" ] || [ -n "$(find "${sources[@]}" "$source_dir/src/system/Native.h" -newer "$exe")" ]; then
  # Static, so that Wine needs none of MinGW's DLLs.
  "$compiler" -std=c++20 -O1 -Wall -Wextra -static -I"$source_dir/src" "${sources[@]}" -lwinspool -o "$exe"
fi

# A prefix of our own, made on the first run; no display, no Mono or Gecko.
export WINEPREFIX=$build_dir/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
[ -d "$WINEPREFIX" ] || wineboot --init >/dev/null 2>&1 || true
cd "$build_dir"
status=0
wine "$exe" || status=$?
# Wine's server outlives the test by seconds; wait so none is left behind.
wineserver -w || true
[ "$status" = 0 ] || echo "test-windows.sh: tst_native.exe exited with status $status" >&2
exit "$status"
