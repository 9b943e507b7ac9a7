#!/usr/bin/env bash
# The station as a user installs it: the Debian package made from this build
# tree, its files, dependencies, launcher and metadata as Debian's own checks
# see them, and the program starting from the unpacked package.
#   check-installed.sh package|start WORK_DIR BUILD_DIR SOURCE_DIR CPACK
# Skips (77) when a tool it needs is missing; under CI that fails.
set -euo pipefail
mode=$1 work=$2 build=$3 source=$4 cpack=$5
root=$work/root
# The program meets only the displays given here, never a Wayland session's.
unset WAYLAND_DISPLAY
fail() { echo "FAIL: $*" >&2; exit 1; }
skip() { echo "SKIP   : check-installed.sh $mode: $*"; [ "${CI:-}" != true ] || fail "under CI what is missing fails"; exit 77; }
for tool in dpkg-deb dpkg-shlibdeps objdump desktop-file-validate lintian appstreamcli Xvfb xwininfo; do
  command -v $tool >/dev/null || skip "$tool not installed (scripts/test.sh installs it)"
done
deb() { find "$work/deb" -maxdepth 1 -name 'bmi-pondra_*.deb' | head -n 1; }
case $mode in
package)
  rm -rf "$work/deb" "$root"
  "$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$work/deb" >"$work/cpack.log" 2>&1 || fail "cpack: $(cat "$work/cpack.log")"
  dpkg -x "$(deb)" "$root"
  # The package's files, as listed beside this script.
  dpkg-deb -c "$(deb)" | awk '/^[-l]/ {print $6}' | sort | diff -u "$(dirname "$0")/files.txt" - || fail "other files than expected"
  # Every library the program loads comes from a package it depends on.
  depends=$(dpkg-deb -f "$(deb)" Depends)
  for lib in $(objdump -p "$root/usr/bin/bmi-pondra" | awk '$1 == "NEEDED" && $2 ~ /Qt6|cups/ {print $2}'); do
    owner=$(dpkg -S "*/$lib" 2>/dev/null | head -n 1 | cut -d: -f1) || true
    [ -n "$owner" ] && grep -qw "$owner" <<<"$depends" || fail "Depends lacks ${owner:-the package of} $lib: $depends"
  done
  grep -q qt6-translations-l10n <<<"$depends" && grep -q fonts-liberation2 <<<"$depends" || fail "Depends: $depends"
  desktop-file-validate "$root/usr/share/applications/bmi-pondra.desktop"
  appstreamcli validate --no-net "$root"/usr/share/metainfo/*.xml
  # lintian also renders each manual page with man's warnings on. Only the
  # informational tags the package overrides (and the README explains) stay.
  lintian --display-info --fail-on error,warning,info "$(deb)"
  grep -qx 'Exec="\{0,1\}/usr/bin/bmi-pondra-start"\{0,1\}' "$root/usr/share/applications/bmi-pondra.desktop" || fail "launcher"
  ;;
start)
  [ -d "$root" ] || skip "no package was built"
  start=("$root/usr/bin/bmi-pondra-start" "$root/usr/bin/bmi-pondra" "$root/usr/share/bmi-pondra")
  # A fresh home: the start script makes the data folder with the package's
  # samples, and the window appears on an X server.
  home=$(mktemp -d "$work/home.XXXXXX")
  HOME=$home "$source/scripts/on-virtual-screen.sh" env -u QT_QPA_PLATFORM bash -c '
    "$@" & pid=$!
    for _ in $(seq 300); do
      xwininfo -name "BMI - Pondra" 2>/dev/null | grep -q IsViewable && { kill $pid; exit 0; }
      kill -0 $pid 2>/dev/null || exit 1
      sleep 0.1
    done
    kill $pid; exit 1' check "${start[@]}" || fail "the window of ${start[0]} did not appear"
  for n in 0 1 2 3 4 5; do cmp "$source/data/bmi$n.txt" "$home/Eigene Dateien/bmi$n.txt"; done
  # A later start keeps an operator's own text and puts back a missing sample;
  # without a display it says so in one line.
  printf 'Eigener Text\r\n' >"$home/Eigene Dateien/bmi3.txt"
  rm "$home/Eigene Dateien/bmi5.txt"
  error=$(HOME=$home env -u DISPLAY -u QT_QPA_PLATFORM "${start[@]}" 2>&1 >/dev/null) && fail "started without a display"
  [ "$error" = "bmi-pondra: no display found (DISPLAY is not set); start it from a desktop session." ] || fail "$error"
  [ "$(cat "$home/Eigene Dateien/bmi3.txt")" = $'Eigener Text\r' ] || fail "bmi3.txt was overwritten"
  cmp "$source/data/bmi5.txt" "$home/Eigene Dateien/bmi5.txt"
  ;;
esac
echo "OK: $mode"
