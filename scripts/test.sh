#!/usr/bin/env bash
# Installs what is missing, builds and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
# The packaging tests build and check the .deb, validate the launcher and look
# for the installed program's window on a virtual X server.
scripts/setup.sh poppler-utils dpkg-dev file desktop-file-utils xvfb x11-utils
scripts/build.sh
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
