#!/usr/bin/env bash
# The station on Windows, under Wine, as a user meets it.
#   check-windows.sh suite BUILD_DIR SOURCE_DIR: cross-build this source into
#     BUILD_DIR and run its tests under Wine, and show what they skipped;
#     skipped (77) while Qt for MinGW-w64 is not built yet, which takes an
#     hour, and under CI failed.
#   check-windows.sh installer BUILD_DIR SOURCE_DIR: install silently, start
#     the installed program's window on a virtual X server (every DLL and
#     plugin it needs is shipped), install again, uninstall; the data folder
#     and an operator's changed text survive all of it, also when the
#     program was installed into the data folder itself.
set -Eeuo pipefail
mode=$1 build=$(realpath "$2") source=$(realpath "$3")
fail() { echo "FAIL: $*" >&2; exit 1; }
skip() { echo "SKIP   : check-windows.sh $mode: $*"; [ "${CI:-}" != true ] || fail "under CI what is missing fails"; exit 77; }
trap 'echo "check-windows.sh $mode: stopped at line $LINENO: $BASH_COMMAND (exit status $?)" >&2' ERR
[ "$mode" = suite ] || [ "$mode" = installer ] || fail "no such check: $mode (suite or installer)"
if [ "$mode" = suite ]; then
  "$source/scripts/qt-for-windows.sh" --cached >/dev/null \
    || { [ $? != 77 ] || skip "Qt for MinGW-w64 is not built yet (scripts/qt-for-windows.sh)"; fail "no Qt for MinGW-w64"; }
  BUILD_DIR=$build "$source/scripts/cross-build-windows.sh" >/dev/null
  # Its tests take turns in its one Wine prefix (RESOURCE_LOCK), also with
  # CTEST_PARALLEL_LEVEL set.
  status=0
  ctest --test-dir "$build" --output-on-failure || status=$?
  grep -h '^SKIP   :' "$build/Testing/Temporary/LastTest.log" || true
  exit "$status"
fi
export PATH=/usr/bin:/bin LC_ALL=de_DE.UTF-8 LANG=de_DE.UTF-8 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX=$build/check-$mode
rm -rf "$WINEPREFIX"
DISPLAY= wineboot --init >/dev/null 2>&1 || true
# Wine's session keeps the display it began with: end it before the next.
wineserver -w
data=$WINEPREFIX/drive_c/Eigene\ Dateien
wine_wait() { DISPLAY= wine "$@"; wineserver -w; }
trap 'wineserver -k 2>/dev/null || true' EXIT

setup=$(ls "$build"/bmi-pondra-*-setup.exe)
program=$WINEPREFIX/drive_c/Program\ Files/BMI\ -\ Pondra
wine_wait "$setup" /S
[ -f "$program/bmi-pondra.exe" ] || fail "no program after installing"
[ -f "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/BMI - Pondra.lnk" ] || fail "no Start-menu entry"
for n in 0 1 2 3 4 5; do cmp "$source/data/bmi$n.txt" "$data/bmi$n.txt" || fail "sample bmi$n.txt"; done
BMI_PONDRA_EXIT_AFTER_FIRST_PAINT=1 "$source/scripts/on-virtual-screen.sh" sh -c 'wine "$1" && wineserver -w' \
  check "$program/bmi-pondra.exe" || fail "the installed program did not show its window"
echo "Eigener Text" > "$data/bmi0.txt"
wine_wait "$setup" /S
[ "$(cat "$data/bmi0.txt")" = "Eigener Text" ] || fail "installing again overwrote an operator's text"
# Windows' "Apps" list shows the publisher and the size.
entry=$(grep -A 12 'Uninstall\\\\bmi-pondra\]' "$WINEPREFIX/system.reg")
grep -q '"Publisher"="BMI - Pondra"' <<<"$entry" && grep -q '"EstimatedSize"=dword:0*[1-9a-f]' <<<"$entry" \
  || fail "uninstall entry: $entry"
for licence in $(grep -o '[[:alnum:]-]*\.txt' "$program/Lizenzen/LIESMICH.txt"); do
  [ -s "$program/Lizenzen/$licence" ] || fail "Lizenzen/LIESMICH.txt names $licence, which is not there"
done
wine_wait "$program/uninstall.exe" /S
[ ! -e "$program" ] || fail "the program folder is left after uninstalling: $(find "$program")"
[ "$(cat "$data/bmi0.txt")" = "Eigener Text" ] && [ -f "$data/bmi5.txt" ] || fail "uninstalling touched the data folder"
# Installed into the data folder itself, the uninstaller takes only what it
# installed: every person file and text stays as it was.
printf 'Erika Muster  weiblich 40Jahre\r\n\r\n' >"$data/Erika Muster.txt"
kept=$(cd "$data" && sha256sum -- *)
wine_wait "$setup" /S '/D=C:\Eigene' Dateien
[ -f "$data/uninstall.exe" ] || fail "did not install into C:\\Eigene Dateien"
wine_wait "$data/uninstall.exe" /S
[ "$(cd "$data" && sha256sum -- * 2>&1)" = "$kept" ] || fail "uninstalling changed the data folder it was installed into: $(ls -A "$data" 2>&1)"
