#!/usr/bin/env bash
# Runs a program of the Windows build under Wine, in a prefix of the build's
# own, with Qt's and MinGW's DLLs found. No display unless DISPLAY is given.
# Usage: scripts/wine.sh QT_PREFIX WINE_PREFIX PROGRAM [ARGUMENTS...]
set -euo pipefail
qt=$1 prefix=$2
shift 2
# Tests lead PATH nowhere; Wine itself needs the system's.
export PATH=/usr/bin:/bin
windows() { printf 'Z:%s' "${1//\//\\}"; }
gcc_dir=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")
# The regional settings the station was laid out for; Wine takes them, and
# the encoding of Linux file names, from the locale.
export LC_ALL=de_DE.UTF-8
export WINEPREFIX=$prefix WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPATH="$(windows "$qt/bin");$(windows "$gcc_dir");$(windows /usr/x86_64-w64-mingw32/lib)"
export QT_PLUGIN_PATH=$(windows "$qt/plugins")
if [ ! -d "$WINEPREFIX" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  DISPLAY= wineboot --init >/dev/null 2>&1 || true
fi
status=0
wine "$@" || status=$?
# Wine's server outlives the program by seconds; wait so none is left behind.
wineserver -w || true
exit "$status"
