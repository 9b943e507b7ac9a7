#!/usr/bin/env bash
# Prepares the printers the printing test uses: starts the CUPS scheduler when
# it is not running and adds two queues that write every job as a PDF file
# through cups-pdf: bmi-pondra-test, and bmi-pondra-refusing, which refuses
# every job. Needs root or sudo; changes no default.
set -euo pipefail
# The CUPS tools' answers are read below: in English, whatever the locale.
export LC_ALL=C

if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
  as_root=(sudo -n)
else
  echo "setup-test-printer: neither root nor sudo; no test printer." >&2
  exit 1
fi

scheduler_runs() { [ "$(lpstat -r 2>/dev/null)" = "scheduler is running" ]; }

if ! scheduler_runs; then
  # Containers have no service manager: start the scheduler directly; it
  # goes into the background by itself.
  "${as_root[@]}" cupsd
  for _ in $(seq 100); do
    scheduler_runs && break
    sleep 0.1
  done
  scheduler_runs || { echo "setup-test-printer: the CUPS scheduler did not start." >&2; exit 1; }
fi

model=$(lpinfo -m 2>/dev/null | awk '/CUPS-PDF_opt\.ppd/ { print $1; exit }')
if [ -z "$model" ]; then
  echo "setup-test-printer: no cups-pdf driver found (package printer-driver-cups-pdf)." >&2
  exit 1
fi
for queue in bmi-pondra-test bmi-pondra-refusing; do
  lpstat -v "$queue" >/dev/null 2>&1 || "${as_root[@]}" lpadmin -p "$queue" -v cups-pdf:/ -m "$model" -E
  # Poppler's cairo renderer keeps the text of the printed PDF searchable; the
  # Ghostscript default would turn every letter into outlines.
  "${as_root[@]}" lpadmin -p "$queue" -o pdftops-renderer-default=pdftocairo
  "${as_root[@]}" cupsenable "$queue"
done
"${as_root[@]}" cupsaccept bmi-pondra-test
"${as_root[@]}" cupsreject bmi-pondra-refusing
lpstat -v
