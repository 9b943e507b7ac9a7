#!/usr/bin/env bash
# Makes bmi-pondra-<version>-setup.exe (NSIS) and a zip of the same files
# from the Windows build in build-windows/ (or BUILD_DIR), with their
# SHA256SUMS beside them; prints the paths of both.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh nsis dpkg-dev zip
source scripts/reproducible.sh
build_dir=$(realpath "${BUILD_DIR:-build-windows}")
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build_dir/CMakeCache.txt")
stage=$build_dir/stage
rm -rf "$stage"
cmake --install "$build_dir" --prefix "$stage" --strip >/dev/null
# Qt's and MinGW's DLLs come with their symbols; a station needs none of them.
find "$stage" -name '*.dll' -exec x86_64-w64-mingw32-strip {} +
# Every file of the program folder, in one order; the uninstaller removes
# these by name and then each folder only when it is empty.
files=$(cd "$stage" && find . -path ./samples -prune -o -type f -printf '%P\n' | LC_ALL=C sort)
installed=$build_dir/installed.nsh
{
  sed 's|/|\\|g; s|.*|  Delete "$INSTDIR\\&"|' <<<"$files"
  (cd "$stage" && find . -mindepth 1 -path ./samples -prune -o -type d -printf '%P\n') | LC_ALL=C sort -r \
    | sed 's|/|\\|g; s|.*|  RMDir "$INSTDIR\\&"|'
} >"$installed"
setup=bmi-pondra-$version-setup.exe
zip=bmi-pondra-$version-windows.zip
makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DOUTFILE="$build_dir/$setup" -DINSTALLED="$installed" \
  packaging/windows/bmi-pondra.nsi >&2
# The zip holds its files in one order, each with the changelog's time and
# no owner.
rm -f "$build_dir/$zip"
find "$stage" -type f -exec touch -d "@$SOURCE_DATE_EPOCH" {} +
(cd "$stage" && find . -type f -printf '%P\n' | LC_ALL=C sort | TZ=UTC zip -q -X -D "$build_dir/$zip" -@)
(cd "$build_dir" && sha256sum "$setup" "$zip" >SHA256SUMS)
echo "$build_dir/$setup"
echo "$build_dir/$zip"
