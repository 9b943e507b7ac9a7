#!/usr/bin/env bash
# Installs what is missing, builds, prepares the data folder and starts the program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
exec scripts/start-station.sh build/src/bmi-pondra data
