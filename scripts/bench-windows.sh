#!/usr/bin/env bash
# The Windows figures, under Wine: start to first shown window against a bare
# Qt window built the same way and started from the same program folder, and
# the installer's size against the program folder it holds. Builds into
# build-windows-bench/ (or BUILD_DIR) against the Qt for MinGW-w64 in the
# cache and prints the rows of the README's table.
#   scripts/bench-windows.sh [--rounds N]
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=15
[ "${1-}" = --rounds ] && rounds=$2
scripts/setup.sh xvfb
scripts/qt-for-windows.sh --cached >/dev/null \
  || { echo "bench-windows.sh: no Qt for MinGW-w64 in the cache; scripts/qt-for-windows.sh builds it (about an hour)" >&2; exit 1; }
build=$(realpath -m "${BUILD_DIR:-build-windows-bench}")
BUILD_DIR=$build scripts/cross-build-windows.sh -DBMI_BUILD_TESTS=OFF -DBMI_BUILD_BENCH=ON >/dev/null
BUILD_DIR=$build scripts/package-windows.sh >/dev/null
stage=$build/stage
setup=$(stat -c %s "$build"/bmi-pondra-*-setup.exe)
folder=$(find "$stage" -path "$stage/samples" -prune -o -type f -printf '%s\n' | awk '{s += $1} END {print s}')
# The yardstick goes beside the station, stripped like it, so that both load
# the same DLLs and plugins.
x86_64-w64-mingw32-strip -o "$stage/bare-window.exe" "$build/bench/bare-window.exe"
trap 'rm -f "$stage/bare-window.exe"' EXIT

export WINEPREFIX=$build/bench-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=de_DE.UTF-8
rm -rf "$WINEPREFIX"
DISPLAY= wineboot --init >/dev/null 2>&1 || true
# Xvfb has no window manager: Wine would wait two seconds for one at every
# window's end unless its windows are its own to manage.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
wineserver -w
# Both start through wine on a virtual X server with Wine's server already
# running, one after the other, and end at their first paint; the median of
# each counts.
scripts/on-virtual-screen.sh bash -c '
  set -e
  wineserver -p; wine cmd /c exit >/dev/null 2>&1
  start() { local t=$(date +%s%N); BMI_PONDRA_EXIT_AFTER_FIRST_PAINT=1 wine "$1" >/dev/null 2>&1; echo $((($(date +%s%N) - t) / 1000)); }
  for _ in $(seq "$2"); do echo "station $(start "$1/bmi-pondra.exe")"; echo "bare $(start "$1/bare-window.exe")"; done
  wineserver -k || true' bench "$stage" "$rounds" >"$build/start-times" || { echo "bench-windows.sh: starting under Wine failed" >&2; exit 1; }
median() { awk -v w="$1" '$1 == w {print $2}' "$build/start-times" | sort -n | LC_ALL=C awk '{v[NR] = $1} END {print v[int(NR / 2) + 1] / 1000}'; }
station=$(median station) bare=$(median bare)
LC_ALL=C awk -v s="$station" -v b="$bare" -v i="$setup" -v f="$folder" 'BEGIN {
  printf "| start to first shown window (Windows, under Wine, Xvfb) | %.2f ms vs %.2f ms (bare window) | %.2f | ≤ 1.25 | %s |\n", s, b, s / b, s / b <= 1.25 ? "yes" : "no"
  printf "| installer size | %.1f MiB vs %.1f MiB (program folder) | %.2f | reported | yes |\n", i / 1048576, f / 1048576, i / f }'
