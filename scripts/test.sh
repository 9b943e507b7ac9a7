#!/usr/bin/env bash
# Installs what is missing, builds and runs every test, among them the
# Windows file layer built with MinGW-w64 and run under Wine; then runs them
# again built with AddressSanitizer and UndefinedBehaviorSanitizer, and runs
# each fuzz target for 60 seconds. Any failure or sanitizer report fails.
set -euo pipefail
cd "$(dirname "$0")/.."
# The packaging tests build and check the .deb, validate the launcher and look
# for the installed program's window on a virtual X server.
scripts/setup.sh poppler-utils dpkg-dev file desktop-file-utils xvfb x11-utils \
  cups printer-driver-cups-pdf clang libclang-rt-dev g++-mingw-w64-x86-64-posix wine wine64 locales
# Some scenarios run the station in a real German and an English (US) locale.
as_root=(); [ "$(id -u)" -eq 0 ] || as_root=(sudo)
for name in de_DE en_US; do
  locale -a | grep -qx "$name.utf8" || "${as_root[@]}" localedef -i "$name" -c -f UTF-8 "$name.UTF-8"
done
scripts/build.sh

# The printing tests print through real CUPS queues; without them they skip.
if ! scripts/setup-test-printer.sh; then
  if [ "${CI:-}" = true ]; then
    echo "test.sh: CI must print through CUPS, but the test printer could not be set up." >&2
    exit 1
  fi
  echo "test.sh: no test printer; the test printing through CUPS will be skipped." >&2
fi

(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)")

echo "Building and running the tests with AddressSanitizer and UndefinedBehaviorSanitizer"
BUILD_DIR=build-asan BUILD_TYPE=Debug scripts/build.sh -DBMI_SANITIZE=ON
# The Windows build has no sanitizers of its own.
(cd build-asan && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" -E tst_native_windows)

scripts/fuzz.sh 60
