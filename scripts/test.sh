#!/usr/bin/env bash
# Installs what is missing, builds and runs every test; runs them again built
# with AddressSanitizer and UndefinedBehaviorSanitizer, and each fuzz target
# for 60 seconds. The station is also cross-built for Windows (Qt for MinGW-w64
# first, once, into a cache) and tested under Wine: its suite, its installer,
# its real window. Any failure or sanitizer report fails.
set -euo pipefail
cd "$(dirname "$0")/.."
# The packaging tests build and check the .deb, validate the launcher and look
# for the installed program's window on a virtual X server. strace kills
# take-overs at each of their file calls; fusefat mounts a FAT image as the
# data folder.
scripts/setup.sh poppler-utils dpkg-dev file desktop-file-utils scdoc lintian appstream xvfb x11-utils \
  cups printer-driver-cups-pdf clang libclang-rt-dev g++-mingw-w64-x86-64-posix wine wine64 strace \
  nsis xdotool x11-xkb-utils imagemagick locales fusefat dosfstools
# Some scenarios, and the Windows station under Wine, run in a real German
# locale; some in an English (US) or a Swedish one.
as_root=(); [ "$(id -u)" -eq 0 ] || as_root=(sudo)
for name in de_DE en_US sv_SE; do
  locale -a | grep -qx "$name.utf8" || "${as_root[@]}" localedef -i "$name" -c -f UTF-8 "$name.UTF-8"
done
scripts/build.sh
echo "Qt for MinGW-w64: built into a cache on the first run, about an hour"
scripts/qt-for-windows.sh >/dev/null

# The printing tests print through real CUPS queues; without them they skip.
if ! scripts/setup-test-printer.sh; then
  if [ "${CI:-}" = true ]; then
    echo "test.sh: CI must print through CUPS, but the test printer could not be set up." >&2
    exit 1
  fi
  echo "test.sh: no test printer; the test printing through CUPS will be skipped." >&2
fi

# With the Windows build and its suite under Wine in build/windows.
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)")

echo "Building and running the tests with AddressSanitizer and UndefinedBehaviorSanitizer"
BUILD_DIR=build-asan BUILD_TYPE=Debug scripts/build.sh -DBMI_SANITIZE=ON
(cd build-asan && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)")

scripts/fuzz.sh 60

echo "Windows: the installer and the real window under Wine"
BUILD_DIR=build/windows scripts/package-windows.sh >/dev/null
tests/windows/check-windows.sh installer build/windows .
tests/windows/check-windows.sh window build/windows .
