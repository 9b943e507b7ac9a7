#!/usr/bin/env bash
# Runs a command on a virtual X server of its own (1280x1024, 24 bits), and
# ends the server with it. Xvfb picks a free display itself: runs at the same
# time never take the same one, as with xvfb-run -a they can. -noreset keeps
# the server as it is when its last client leaves: a client connecting during
# a reset can be turned away.
set -euo pipefail
dir=$(mktemp -d)
Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp 3>"$dir/display" 2>"$dir/log" & server=$!
trap 'kill $server 2>/dev/null; wait $server 2>/dev/null; rm -rf "$dir"' EXIT
said() { echo "on-virtual-screen.sh: $1: $(cat "$dir/log")" >&2; exit 1; }
for _ in $(seq 200); do
  [ -s "$dir/display" ] && break
  kill -0 $server 2>/dev/null || break
  sleep 0.1
done
[ -s "$dir/display" ] || said "Xvfb did not start"
export DISPLAY=:$(head -n 1 "$dir/display")
status=0
"$@" || status=$?
# A server that went away is the cause, not the command.
kill -0 $server 2>/dev/null || said "Xvfb on $DISPLAY ended under the command"
exit $status
