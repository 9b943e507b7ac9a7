#!/usr/bin/env bash
# Take-overs of the scenario runner's "station" mode on one data folder: two
# stations at once; under strace, killed at each of their calls on the person
# file, its temporary file and the folder, for a new person and for an
# append, they leave the file without the record or with it whole, and the
# next take-over works and leaves nothing else; and failures only a file
# server shows, injected.
# With "fat", the same on a FAT image through fusefat, which has no hard
# links. With "wine", the Windows station under Wine (STATION is then
# scripts/wine.sh QT PREFIX TST_SCENARIOS.exe, the data folder its prefix's
# "C:\Eigene Dateien"): at once, killed, and its flush failing.
# Exits 77 where strace or fusefat cannot run and nothing failed;
# under CI such a skip fails.
# Usage: shared-folder.sh [fat|wine] STATION...
set -uo pipefail
mode=
[ "$1" != fat ] && [ "$1" != wine ] || { mode=$1 && shift; }
station=("$@")
HOME=$(mktemp -d) && export HOME
data="$HOME/Eigene Dateien"
[ "$mode" != wine ] || data="${station[2]}/drive_c/Eigene Dateien"
file="$data/Zwei Stationen 0.txt"
trap '[ "$mode" != fat ] || fusermount -u "$data"; [ "$mode" != wine ] || wineserver -k; rm -rf "$HOME"' EXIT
[ "$mode" != wine ] || export WINEPREFIX=${station[2]}
old=$'Zwei Stationen 0 X\r\n\r\n  X0 BMI: 22\r\n' a=$'  A0 BMI: 22\r\n' b=$'  B0 BMI: 22\r\n'
created=$'Zwei Stationen 0 A\r\n\r\n'$a failures=0 kills=0
fail() { echo "shared-folder.sh: $*" >&2; failures=$((failures + 1)); }
skip() {
  [ "$failures" = 0 ] || exit 1
  echo "SKIP   : shared-folder.sh: needs $*"
  [ "${CI:-}" != true ] || { echo "shared-folder.sh: under CI what is missing fails" >&2; exit 1; }
  exit 77
}
fresh() { find "$data" -mindepth 1 -delete; } # a mount point stays
mkdir -p "$data"
[ "$mode" != fat ] || { PATH=$PATH:/usr/sbin mkfs.fat -C "$HOME/fat.img" 65536 && fusefat -o rw+ "$HOME/fat.img" "$data"; } >/dev/null 2>&1 \
  || { mode= && skip "mkfs.fat and fusefat with FUSE"; }

# Two stations at once, PERSONS files with COUNT take-overs each: one header
# (whichever station created the file), the records of both whole, each
# station's in its order. (fusefat mixes up a file written through two
# handles at once: on FAT only the first take-overs race.)
for run in "1 200" "50 1"; do
  read -r persons count <<<"$run"
  [ "$mode" != fat ] || [ "$count" = 1 ] || continue
  fresh
  "${station[@]}" station A "$persons" "$count" & first=$!
  "${station[@]}" station B "$persons" "$count" && wait $first || fail "$run: a station failed"
  for ((p = 0; p < persons; p++)); do
    lines=$(sed -n '1{/^Zwei Stationen '$p' [AB]\r$/d};2{/^\r$/d};p' "$data/Zwei Stationen $p.txt")
    for tag in A B; do
      [ "$(grep "^  $tag" <<<"$lines")" = "$(for ((n = 0; n < count; n++)); do printf '  %s%d BMI: 22\r\n' $tag $n; done)" ] \
        || fail "$run: file $p, the records of station $tag"
    done
    [ "$(wc -l <<<"$lines")" = $((2 * count)) ] || fail "$run: file $p holds other lines: $(head -3 <<<"$lines" | od -c)"
  done
done

strace -o /dev/null true 2>/dev/null || skip strace
stored() { [ ! -e "$file" ] || cat "$file"; echo .; }
# take BEFORE OPTIONS...: the folder holding the file BEFORE (none when
# empty), tag A under strace with the options; what it said is in $HOME/said.
take() {
  fresh && { [ -z "$1" ] || printf %s "$1" >"$file"; }
  { strace -f -o "$HOME/trace" "${@:2}" "${station[@]}" station A 1 1 >"$HOME/said"; } 2>/dev/null
}

take "" -e trace=openat
watched=(-P "$data" -P "$file" -P "$data/$(grep -o '\.bmi-[0-9a-f]*\.tmp' "$HOME/trace" | head -1)")
[ "${watched[5]}" != "$data/" ] || fail "a first take-over wrote no temporary file"
# From here on Wine's server, which opens, locks and renames files for its
# programs, and the services it starts, run outside strace: only the
# station is killed, at its own calls.
[ "$mode" != wine ] || { export BMI_WINE_KEEP_SERVER=1 && wineserver -p && "${station[@]}" station B 0 0; }
for before in "" "$old"; do
  with=$before$a && [ -n "$before" ] || with=$created
  take "$before" "${watched[@]}"
  for call in $(sed -n 's/^[0-9]* *\([a-z0-9_]*\)(.*/\1/p' "$HOME/trace" | sort | uniq -c | awk '{print $2 ":" $1}'); do
    for ((n = 1; n <= ${call#*:}; n++, kills++)); do
      take "$before" "${watched[@]}" -e inject="${call%:*}:signal=KILL:when=$n" && fail "${call%:*} #$n: not killed"
      # Without the record or with it whole; then tag B appends, or creates.
      case $(stored) in "$before.") next=${before:-$'Zwei Stationen 0 B\r\n\r\n'}$b ;; "$with.") next=$with$b ;; *) next= ;; esac
      "${station[@]}" station B 1 1 >/dev/null
      [ "$(stored)" = "$next." ] && [ "$(ls -A "$data")" = "Zwei Stationen 0.txt" ] \
        || fail "killed at ${call%:*} #$n, then tag B: $(ls -A "$data"; stored | od -c | head -5)"
    done
  done
done

# expect CASE STATUS SAID STORED [BEFORE OPTIONS...]: a take-over (or the
# one just run) ends with STATUS, says SAID and leaves STORED.
expect() {
  local status=$?
  [ $# -lt 5 ] || { take "$5" "${@:6}"; status=$?; }
  [ "$status" = "$2" ] && [[ $(cat "$HOME/said") == *"$3"* ]] && [ "$(stored)" = "$4." ] \
    || fail "$1: $(cat "$HOME/said"; stored | od -c | head -5)"
}
# A record that did not reach the disk is cut back off (Wine's ntdll flushes
# with fsync() in the station's own process).
expect "file not flushed" 1 "Ein-/Ausgabefehler" "$old" "$old" -P "$file" -e inject=fsync:error=EIO
# The cut-back is flushed too (under Wine its server cuts, outside the trace).
[ "$(grep -c 'fsync(' "$HOME/trace")" -ge 2 ] && { [ "$mode" = wine ] || sed -n '/ftruncate/,$p' "$HOME/trace" | grep -q fsync; } \
  || fail "the cut-back is not flushed"
# The rest injects what Wine's own server would meet, not the station.
[ "$mode" != wine ] || { [ "$failures" = 0 ] && echo "shared-folder.sh: passed under Wine, $kills take-overs killed"; exit $((failures > 0)); }
expect "lock service failing" 1 "keine Sperre verfügbar" "$old" "$old" -P "$file" -e inject=fcntl:error=ENOLCK
expect "no locks, disk full" 1 "kein Speicherplatz" "$old" "$old" -P "$file" -e inject=fcntl:error=EOPNOTSUPP -e inject=write:error=ENOSPC
grep -q ftruncate "$HOME/trace" && fail "cut back without a lock"
expect "nothing written" 1 "kein Speicherplatz" "$old" "$old" -P "$file" -e inject=write:retval=0
expect "file shortened" 1 "die Datei wurde beim Lesen kürzer" "$old" "$old" -P "$file" -e inject=pread64:retval=0
# A folder without hard links: named by renameat2(), or where that is
# missing too, by rename() under the temporary file's lock.
expect "no links" 0 "" "$created" "" "${watched[@]}" -e inject=link:error=EPERM
expect "no links, no renameat2" 0 "" "$created" "" "${watched[@]}" -e inject=link:error=EPERM -e inject=renameat2:error=EINVAL
# Once named, the file is stored: other stations may append to it already.
expect "folder not flushed" 0 "" "$created" "" -P "$data" -e inject=fsync:error=EIO
# A new file whose flush failed is not named.
expect "new file not flushed" 1 "Ein-/Ausgabefehler" "" "" "${watched[@]:4}" -e inject=fsync:error=EIO
# meanwhile COMMAND...: a first take-over whose link() waits, and COMMAND as
# soon as its temporary file is there.
meanwhile() {
  take "" "${watched[@]}" -e inject=link:delay_enter=2000000 &
  until [ -e "${watched[5]}" ] || ! kill -0 $! 2>/dev/null; do sleep 0.05; done
  "$@"
  wait $!
}
# A link() over NFS retransmitted after its success answers "exists" (FAT
# makes no link: there the file gets its name by rename()).
meanwhile ln "${watched[5]}" "$file" 2>/dev/null
expect "link answered exists" 0 "" "$created"
# Another station created the file first: the record goes into theirs.
meanwhile eval 'printf %s "$old" >"$file"'
expect "another station first" 0 "" "$old$a"

[ "$failures" = 0 ] || exit 1
echo "shared-folder.sh: passed${mode:+ on $mode}, $kills take-overs killed"
