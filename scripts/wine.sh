#!/bin/bash
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
# Wine takes the regional settings, and the encoding of Linux file names, from
# the locale: a UTF-8 one, German unless another is asked for. It reads LANG
# too (its short date had leading zeros with LANG=C), so both are the same.
case ${LC_ALL-} in
*.UTF-8) ;;
*) export LC_ALL=de_DE.UTF-8 ;;
esac
export LANG=$LC_ALL
export WINEPREFIX=$prefix WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPATH="$(windows "$qt/bin");$(windows "$gcc_dir");$(windows /usr/x86_64-w64-mingw32/lib)"
if [ ! -d "$WINEPREFIX" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  DISPLAY= wineboot --init >/dev/null 2>&1 || true
fi
# Offscreen, Qt draws text with the fonts of one folder: the Liberation fonts,
# as on Linux. Wine keeps the host's QT_ variables from Windows programs; they
# reach them through the user's environment in the registry.
QT_QPA_FONTDIR=$(windows /usr/share/fonts/truetype/liberation2)
QT_QPA_FONTDIR=${QT_QPA_FONTDIR//\\/\\\\}
# Test results and Qt's messages on the console, not in the debugger's log.
QT_FORCE_STDERR_LOGGING=1
{
  printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Environment]\n'
  for name in QT_QPA_PLATFORM QT_SCALE_FACTOR QT_QPA_FONTDIR QT_FORCE_STDERR_LOGGING; do
    if [ -n "${!name-}" ]; then printf '"%s"="%s"\n' "$name" "${!name}"; else printf '"%s"=-\n' "$name"; fi
  done
} >"$WINEPREFIX/environment.reg"
wine regedit /s "$(windows "$WINEPREFIX/environment.reg")"
status=0
wine "$@" || status=$?
# Wine's server outlives the program by seconds; wait so none is left behind,
# unless the caller keeps one running for several programs.
[ -n "${BMI_WINE_KEEP_SERVER-}" ] || wineserver -w || true
exit "$status"
