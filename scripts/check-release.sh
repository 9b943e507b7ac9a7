#!/usr/bin/env bash
# Checks that release files were made from this source and nothing else: builds
# it again from scratch and compares each file named with what that build
# makes, byte for byte.
#   scripts/check-release.sh FILE...
# FILE: bmi-pondra_<version>_amd64.deb, bmi-pondra-<version>-setup.exe or
# bmi-pondra-<version>-windows.zip; the Windows ones need the Qt for MinGW-w64
# they were built with (scripts/qt-for-windows.sh, in the same cache).
# The second build differs from an everyday one on purpose: another folder,
# a fresh copy of the tracked files, umask 002, another time zone and locale.
# A difference fails and is shown: by diffoscope where it is installed, else
# by cmp and the member names.
set -euo pipefail
source=$(cd "$(dirname "$0")/.." && pwd)
fail() { echo "check-release.sh: $*" >&2; exit 1; }
[ $# -gt 0 ] || fail "name the .deb, setup.exe or zip to check"
again=$(mktemp -d /tmp/bmi-pondra-again.XXXXXX)
trap 'rm -rf "$again"' EXIT
copy=$again/another-folder/bmi-pondra
mkdir -p "$copy"
git -C "$source" ls-files -z | tar -C "$source" --null -T - -cf - | tar -C "$copy" -xmf - --no-same-permissions \
  || fail "could not copy the source into $copy"

start=$(date +%s)
(
  umask 002
  export TZ=Pacific/Kiritimati LC_ALL=en_US.UTF-8 BUILD_DIR=$copy/build-windows
  if [[ " $* " == *".deb "* ]]; then "$copy/scripts/package.sh" || exit 1; fi
  if [[ " $* " == *".exe "* || " $* " == *".zip "* ]]; then
    # Only against the Qt the files were made with: never an hour's new one.
    "$copy/scripts/qt-for-windows.sh" --cached || { echo "check-release.sh: no Qt for MinGW-w64 in the cache" >&2; exit 1; }
    "$copy/scripts/cross-build-windows.sh" -DBMI_BUILD_TESTS=OFF && "$copy/scripts/package-windows.sh" || exit 1
  fi
) >"$again/build.log" 2>&1 || { tail -n 30 "$again/build.log" >&2; fail "building again in $copy failed"; }
echo "Built again in $(($(date +%s) - start)) s"

members() { unzip -l "$1" 2>/dev/null || dpkg-deb -c "$1"; }
different=()
for file; do
  name=$(basename "$file")
  case $name in *.deb) made=$copy/build-package/$name ;; *) made=$copy/build-windows/$name ;; esac
  [ -f "$made" ] || fail "this source makes no $name"
  if cmp -s "$file" "$made"; then
    echo "same: $(sha256sum "$file")"
    continue
  fi
  different+=("$name")
  if command -v diffoscope >/dev/null; then diffoscope --text - "$file" "$made" | head -n 200 || true
  else cmp "$file" "$made" || diff <(members "$file") <(members "$made") || true; fi
done
[ ${#different[@]} = 0 ] || fail "built again, these differ (above): ${different[*]}"
