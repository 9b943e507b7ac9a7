#!/usr/bin/env bash
# Builds in Release, makes the large files in a temporary folder and prints the
# performance table: each figure, its ratio to its yardstick, and the target.
# Exits 1 when a figure misses its target.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh poppler-utils xvfb
BUILD_DIR=build-release BUILD_TYPE=Release scripts/build.sh -DBMI_BUILD_BENCH=ON -DBMI_BUILD_TESTS=OFF
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# No printer reachable: the report goes to a PDF, as at a station without one.
CUPS_SERVER="$work/no-cups.sock" scripts/on-virtual-screen.sh build-release/bench/station-bench \
  --program build-release/src/bmi-pondra --bare build-release/bench/bare-window --work "$work" "$@"
