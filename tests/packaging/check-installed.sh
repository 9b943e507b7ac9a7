#!/usr/bin/env bash
# Checks the station as a user installs it: the Debian package built from this
# build tree, its files and launcher, and the program starting from the
# unpacked package and from a `cmake --install` prefix.
#   check-installed.sh deb|files|start|prefix WORK_DIR BUILD_DIR SOURCE_DIR CPACK
# Exits 77 (skipped) when a tool it needs is not installed.
set -euo pipefail
mode=$1 work=$2 build=$3 source=$4 cpack=$5
deb_dir=$work/deb
root=$work/root

fail() { echo "FAIL: $*" >&2; exit 1; }
skip() { echo "SKIPPED: $*"; exit 77; }
need() {
  local missing=()
  for tool in "$@"; do command -v "$tool" >/dev/null || missing+=("$tool"); done
  [ ${#missing[@]} -eq 0 ] || skip "not installed: ${missing[*]} (scripts/test.sh installs them)"
}
find_package() { deb=$(find "$deb_dir" -maxdepth 1 -name 'bmi-pondra_*.deb' 2>/dev/null | head -n 1 || true); }
need_package() {
  find_package
  if [ -z "$deb" ] || [ ! -d "$root" ]; then skip "no package was built (see packaging_deb)"; fi
}

# Same bytes as the samples in the source tree.
expect_samples() {
  for n in 0 1 2 3 4 5; do
    cmp -s "$source/data/bmi$n.txt" "$1/bmi$n.txt" || fail "$1/bmi$n.txt differs from data/bmi$n.txt"
  done
}

# Runs a start command with a fresh HOME on the offscreen platform. The program
# has no end of its own, so being stopped by the timeout (124) means it came up
# and stayed up; the start script must have put the samples into the new
# data folder first.
start_offscreen() {
  home=$(mktemp -d "$work/home.XXXXXX")
  local rc=0
  HOME=$home QT_QPA_PLATFORM=offscreen timeout 5 "$@" >"$home.log" 2>&1 || rc=$?
  [ $rc -eq 124 ] || { cat "$home.log" >&2; fail "$1 ended with status $rc instead of showing its window"; }
  expect_samples "$home/Eigene Dateien"
}

validate_launcher() {
  if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$1" || fail "desktop-file-validate rejects $1"
  else
    echo "launcher validation skipped: desktop-file-validate not installed"
  fi
}

exec_path() { # the Exec line of a launcher without its quotes
  local line
  line=$(sed -n 's/^Exec=//p' "$1")
  line=${line#\"}
  echo "${line%\"}"
}

case $mode in
deb)
  need dpkg-deb dpkg-shlibdeps objdump file
  rm -rf "$deb_dir" "$root"
  "$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$deb_dir" >"$work/cpack.log" 2>&1 \
    || { cat "$work/cpack.log" >&2; fail "cpack -G DEB failed"; }
  find_package
  [ -n "$deb" ] || { cat "$work/cpack.log" >&2; fail "cpack made no bmi-pondra_*.deb"; }
  dpkg -x "$deb" "$root"
  ;;

files)
  need_package
  expected=$(printf '%s\n' ./usr/bin/bmi-pondra ./usr/bin/bmi-pondra-start \
    ./usr/share/applications/bmi-pondra.desktop \
    ./usr/share/bmi-pondra/bmi{0,1,2,3,4,5}.txt \
    ./usr/share/icons/hicolor/scalable/apps/bmi-pondra.svg | sort)
  actual=$(dpkg-deb -c "$deb" | awk '/^-/ {print $6}' | sort)
  [ "$actual" = "$expected" ] || fail "the package holds other files than expected:
$(diff <(echo "$expected") <(echo "$actual"))"
  expect_samples "$root/usr/share/bmi-pondra"

  # Every Qt library the program loads comes from a package it depends on.
  depends=$(dpkg-deb -f "$deb" Depends)
  depends_on() { grep -Eq "(^|, )$1( \(|,|$)" <<<"$depends" || fail "Depends lacks $1: $depends"; }
  qt_libs=$(objdump -p "$root/usr/bin/bmi-pondra" | awk '$1 == "NEEDED" && $2 ~ /^libQt6/ {print $2}')
  grep -qx libQt6Widgets.so.6 <<<"$qt_libs" || fail "the program does not load libQt6Widgets.so.6: $qt_libs"
  for lib in $qt_libs; do
    depends_on "$(dpkg -S "*/$lib" | head -n 1 | cut -d: -f1)"
  done
  depends_on qt6-translations-l10n
  depends_on fonts-liberation2

  launcher=$root/usr/share/applications/bmi-pondra.desktop
  validate_launcher "$launcher"
  [ "$(exec_path "$launcher")" = /usr/bin/bmi-pondra-start ] || fail "the launcher does not run the start script"
  grep -qx 'Icon=bmi-pondra' "$launcher" || fail "the launcher does not name the icon bmi-pondra"
  file -b "$root/usr/share/icons/hicolor/scalable/apps/bmi-pondra.svg" | grep -q SVG || fail "the icon is no SVG"

  # The installed start script looks for the program and the samples where
  # the package put them.
  for name in installed_program installed_samples; do
    path=$(sed -n "s/^$name='\(.*\)'\$/\1/p" "$root/usr/bin/bmi-pondra-start")
    case $path in /usr/*) ;; *) fail "$name in the start script is '$path', not below /usr" ;; esac
    [ -e "$root$path" ] || fail "$name in the start script names $path, which the package lacks"
  done
  ;;

start)
  need_package
  start=("$root/usr/bin/bmi-pondra-start" "$root/usr/bin/bmi-pondra" "$root/usr/share/bmi-pondra")
  start_offscreen "${start[@]}"

  # A later start without a display keeps the operator's own texts, puts back
  # a missing sample, and refuses in one line.
  printf 'Eigener Text\r\n' >"$home/Eigene Dateien/bmi3.txt"
  rm "$home/Eigene Dateien/bmi5.txt"
  rc=0
  HOME=$home env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "${start[@]}" >"$home.out" 2>"$home.err" || rc=$?
  [ $rc -eq 1 ] || fail "without a display the start script ended with $rc"
  if [ "$(wc -l <"$home.err")" -ne 1 ] || ! grep -q 'no display' "$home.err"; then
    fail "without a display the start script said: $(cat "$home.err")"
  fi
  [ "$(cat "$home/Eigene Dateien/bmi3.txt")" = $'Eigener Text\r' ] || fail "the start script overwrote bmi3.txt"
  cmp -s "$source/data/bmi5.txt" "$home/Eigene Dateien/bmi5.txt" || fail "the start script did not restore bmi5.txt"

  # On a real X server the window itself must appear.
  if command -v xvfb-run >/dev/null && command -v xwininfo >/dev/null; then
    # shellcheck disable=SC2016 # the inner script expands its own arguments
    HOME=$home xvfb-run -a -s '-screen 0 1280x1024x24' env -u QT_QPA_PLATFORM bash -c '
      "$@" & pid=$!
      for _ in $(seq 100); do
        xwininfo -name "BMI - Pondra" 2>/dev/null | grep -q "Map State: IsViewable" && { kill $pid; exit 0; }
        kill -0 $pid 2>/dev/null || exit 2
        sleep 0.1
      done
      kill $pid; exit 1' window-check "${start[@]}" >"$home.x11" 2>&1 \
      || { cat "$home.x11" >&2; fail "the window \"BMI - Pondra\" did not appear on the X server"; }
  else
    echo "window check on X skipped: xvfb-run or xwininfo not installed"
  fi
  ;;

prefix)
  # A prefix with a blank: the baked paths and the launcher's Exec must cope.
  prefix="$work/prefix with blank"
  rm -rf "$prefix"
  cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 \
    || { cat "$work/install.log" >&2; fail "cmake --install failed"; }
  launcher=$prefix/share/applications/bmi-pondra.desktop
  validate_launcher "$launcher"
  [ "$(exec_path "$launcher")" = "$prefix/bin/bmi-pondra-start" ] || fail "the launcher does not run $prefix/bin/bmi-pondra-start"
  start_offscreen "$prefix/bin/bmi-pondra-start"
  ;;

*) fail "unknown mode $mode" ;;
esac
echo "OK: $mode"
