#!/usr/bin/env bash
# Installs what is missing, builds and runs every test. The Linux verdict
# comes first: the tests, the same built with AddressSanitizer and
# UndefinedBehaviorSanitizer, each fuzz target for 60 seconds. Then the
# station on Windows: Qt for MinGW-w64 (built once into a cache, about an
# hour), the same source cross-built and tested under Wine, and its
# installer. Any failure or sanitizer report fails, and says which step.
# It ends with what was skipped, and why; under CI (CI=true) every skip fails
# instead.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$(date +%s)
# The Linux tests' log is kept before the Windows suite's run writes its own.
logs=(build/Testing/linux.log build-asan/Testing/Temporary/LastTest.log build/Testing/Temporary/LastTest.log)
rm -f "${logs[@]}"
skipped() {
  local lines
  lines=$(cat "${logs[@]}" 2>/dev/null | sed -n 's/^SKIP   : *//p' | sort -u) || true
  echo "test.sh: $(grep -c . <<<"$lines") skipped${lines:+:}"
  [ -z "$lines" ] || sed 's/^/  /' <<<"$lines"
}
trap skipped EXIT
# step NAME COMMAND...: runs one step; a failure names it.
step() {
  local name=$1 status=0
  shift
  echo "== $name ($(( ($(date +%s) - started) / 60 )) min)"
  "$@" || status=$?
  if [ "$status" != 0 ]; then
    echo "test.sh: FAILED: $name (exit status $status)" >&2
    exit "$status"
  fi
}
offscreen() { env QT_QPA_PLATFORM=offscreen "$@"; }

# The packaging tests build and check the .deb, validate the launcher and look
# for the installed program's window on a virtual X server. strace kills
# take-overs at each of their file calls; fusefat mounts a FAT image as the
# data folder. diffoscope shows where a release built again differs.
step "installing what the tests need" scripts/setup.sh poppler-utils dpkg-dev file desktop-file-utils scdoc \
  lintian appstream xvfb x11-utils cups printer-driver-cups-pdf clang libclang-rt-dev g++-mingw-w64-x86-64-posix \
  wine wine64 strace nsis zip locales fusefat dosfstools diffoscope-minimal
# Some scenarios, and the Windows station under Wine, run in a real German
# locale; some in an English (US) or a Swedish one.
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
for name in de_DE en_US sv_SE; do
  locale -a | grep -qx "$name.utf8" || step "making the locale $name" "${as_root[@]}" localedef -i "$name" -c -f UTF-8 "$name.UTF-8"
done
# The printing tests print through real CUPS queues; without them they skip.
if ! scripts/setup-test-printer.sh; then
  if [ "${CI:-}" = true ]; then
    echo "test.sh: FAILED: CI must print through CUPS, but the test printer could not be set up." >&2
    exit 1
  fi
  echo "test.sh: no test printer; the tests printing through CUPS will be skipped." >&2
fi

step "building for Linux" scripts/build.sh
step "the Linux tests" offscreen ctest --test-dir build --output-on-failure -j"$(nproc)" -E windows_under_wine
cp build/Testing/Temporary/LastTest.log build/Testing/linux.log
step "building with AddressSanitizer and UndefinedBehaviorSanitizer" \
  env BUILD_DIR=build-asan BUILD_TYPE=Debug scripts/build.sh -DBMI_SANITIZE=ON
step "the Linux tests under the sanitizers" offscreen ctest --test-dir build-asan --output-on-failure -j"$(nproc)"
step "the fuzz targets, 60 seconds each" scripts/fuzz.sh 60
echo "test.sh: the Linux build passed after $(( ($(date +%s) - started) / 60 )) minutes; now the station on Windows"

step "Qt for MinGW-w64 (once into a cache, about an hour)" scripts/qt-for-windows.sh
step "the Windows build's tests under Wine" ctest --test-dir build --output-on-failure -R windows_under_wine
step "the Windows installer" env BUILD_DIR=build/windows scripts/package-windows.sh
step "the installer under Wine" tests/windows/check-windows.sh installer build/windows .
step "the .deb for the comparison" scripts/package.sh
step "the .deb, the installer and the zip built again elsewhere" scripts/check-release.sh build-package/bmi-pondra_*.deb \
  build/windows/bmi-pondra-*-setup.exe build/windows/bmi-pondra-*-windows.zip
echo "test.sh: all passed in $(( ($(date +%s) - started) / 60 )) minutes"
