#!/usr/bin/env bash
# The station on Windows, under Wine, as a user meets it.
#   check-windows.sh suite BUILD_DIR SOURCE_DIR: cross-build this source into
#     BUILD_DIR and run its tests under Wine, and show what they skipped;
#     skipped (77) while Qt for MinGW-w64 is not built yet, which takes an
#     hour, and under CI failed.
#   check-windows.sh installer BUILD_DIR SOURCE_DIR: install silently, start
#     the installed program, install again, uninstall; the data folder and an
#     operator's changed text survive all of it, also when the program was
#     installed into the data folder itself.
#   check-windows.sh window BUILD_DIR SOURCE_DIR: the real window on a virtual
#     X server, typed into with access keys; keeps a screenshot in BUILD_DIR.
#   check-windows.sh flush BUILD_DIR SOURCE_DIR: a take-over whose flush of
#     the person file fails stores nothing of its record.
set -Eeuo pipefail
mode=$1 build=$(realpath "$2") source=$(realpath "$3")
fail() { echo "FAIL: $*" >&2; exit 1; }
skip() { echo "SKIP   : check-windows.sh $mode: $*"; [ "${CI:-}" != true ] || fail "under CI what is missing fails"; exit 77; }
trap 'echo "check-windows.sh $mode: stopped at line $LINENO: $BASH_COMMAND (exit status $?)" >&2' ERR
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

case $mode in
flush)
  # ntdll flushes with fsync() in the program's own process: strace fails it
  # there, and the part of the record already written is cut back.
  old=$'Zwei Stationen 0 X\r\n\r\n  X0 BMI: 22\r\n' file=$data/Zwei\ Stationen\ 0.txt
  mkdir -p "$data" && printf %s "$old" >"$file"
  said=$(strace -f -o /dev/null -P "$file" -e inject=fsync:error=EIO "$source/scripts/wine.sh" \
    "$("$source/scripts/qt-for-windows.sh" --cached)" "$WINEPREFIX" "$build/tests/app/tst_scenarios.exe" station A 1 1) \
    && fail "stored though the flush failed"
  [[ $said == *"konnte nicht gespeichert werden: Ein-/Ausgabefehler."* ]] && cmp -s "$file" <(printf %s "$old") || fail "flush failed: $said $(od -c "$file" | head -5)"
  ;;
installer)
  setup=$(ls "$build"/bmi-pondra-*-setup.exe)
  program=$WINEPREFIX/drive_c/Program\ Files/BMI\ -\ Pondra
  wine_wait "$setup" /S
  [ -f "$program/bmi-pondra.exe" ] || fail "no program after installing"
  [ -f "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/BMI - Pondra.lnk" ] || fail "no Start-menu entry"
  for n in 0 1 2 3 4 5; do cmp "$source/data/bmi$n.txt" "$data/bmi$n.txt" || fail "sample bmi$n.txt"; done
  QT_QPA_PLATFORM=offscreen BMI_PONDRA_EXIT_AFTER_FIRST_PAINT=1 wine_wait "$program/bmi-pondra.exe" \
    || fail "the installed program did not start"
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
  ;;
window)
  shot=$build/window-under-wine.png
  # The data folder as the installer leaves it.
  mkdir -p "$data"
  cp "$source"/data/bmi?.txt "$data/"
  xvfb-run -a -s '-screen 0 1280x1024x24' bash -c '
    set -e
    setxkbmap de
    wine "$1/stage/bmi-pondra.exe" & 
    window=$(timeout 120 xdotool search --sync --name "^BMI - Pondra$" | head -n 1)
    xdotool windowfocus --sync "$window"; sleep 1
    xdotool key alt+v type --delay 50 "Jörg"
    xdotool key alt+n type --delay 50 "Köhler"
    xdotool key alt+a type --delay 50 "35"
    # Weight and height come after the buttons in the tab order.
    xdotool key --delay 50 Tab Tab Tab Tab Tab Tab Tab type --delay 50 "80"
    xdotool key Tab type --delay 50 "1800"
    xdotool key alt+d; sleep 2
    xdotool key alt+g; sleep 2
    import -window root "$2"
    xdotool key alt+e; sleep 2
    xdotool key Escape; sleep 1
    xdotool search --name "^BMI - Pondra$" >/dev/null
    wineserver -k' check "$build" "$shot" || fail "driving the window failed"
  file=$data/$(printf 'J\xf6rg K\xf6hler.txt' | iconv -f windows-1252 -t utf-8)
  [ -f "$file" ] || fail "no person file"
  head -c 33 "$file" | cmp - <(printf 'J\xf6rg K\xf6hler  m\xe4nnlich 35Jahre\r\n\r\n') || fail "header: $(head -n 1 "$file" | od -c | head -3)"
  tail -n 1 "$file" | grep -q $'    80kg    1800mm     BMI: 24\r$' || fail "record: $(tail -n 1 "$file")"
  # The chart's hatch is on the screen.
  convert "$shot" -format %c histogram:info:- | grep -qi '#FF6464' || fail "no chart in $shot"
  ;;
esac
