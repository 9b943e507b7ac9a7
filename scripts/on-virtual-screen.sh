#!/usr/bin/env bash
# Runs a command on a virtual X server of its own (1280x1024, 24 bits), and
# ends the server with it. Xvfb picks a free display itself: runs at the same
# time never take the same one, as with xvfb-run -a they can.
set -euo pipefail
dir=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$dir/display" 2>"$dir/log" & server=$!
trap 'kill $server 2>/dev/null; wait $server 2>/dev/null; rm -rf "$dir"' EXIT
for _ in $(seq 200); do
  [ -s "$dir/display" ] && break
  kill -0 $server 2>/dev/null || break
  sleep 0.1
done
[ -s "$dir/display" ] || { echo "on-virtual-screen.sh: Xvfb did not start: $(cat "$dir/log")" >&2; exit 1; }
# Under set -e the command's failure is the script's, and the trap ends Xvfb.
DISPLAY=:$(head -n 1 "$dir/display") "$@"
