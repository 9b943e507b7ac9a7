#!/usr/bin/env bash
# Starts the station: prepares the data folder on first use, then the program.
#   start-station.sh [PROGRAM [SAMPLES_DIR]]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=${1:-$here/../build/src/bmi-pondra}
samples=${2:-$here/../data}
data="$HOME/Eigene Dateien"

# The program never creates its data folder; a first start here does, with
# the sample assessment texts, never overwriting what the operator put there.
mkdir -p "$data"
for n in 0 1 2 3 4 5; do
  [ -e "$data/bmi$n.txt" ] || cp "$samples/bmi$n.txt" "$data/bmi$n.txt"
done

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "bmi-pondra: no display found (DISPLAY is not set); start it from a desktop session." >&2
  exit 1
fi
exec "$program"
