#!/usr/bin/env bash
# Starts the station: prepares the data folder on first use, then the program.
#   start-station.sh [PROGRAM [SAMPLES_DIR]]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

# The installed copy (bin/bmi-pondra-start) gets the absolute paths under its
# install prefix filled in here; in the source tree the placeholders stay and
# the tree's own build and samples are used.
installed_program='@BMI_INSTALLED_PROGRAM@'
installed_samples='@BMI_INSTALLED_SAMPLES@'
case $installed_program in
  /*) default_program=$installed_program default_samples=$installed_samples ;;
  *) default_program=$here/../build/src/bmi-pondra default_samples=$here/../data ;;
esac
program=${1:-$default_program}
samples=${2:-$default_samples}
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
