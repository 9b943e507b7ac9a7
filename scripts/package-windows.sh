#!/usr/bin/env bash
# Makes bmi-pondra-<version>-setup.exe (NSIS) and a zip of the same files
# from the Windows build in build-windows/ (or BUILD_DIR); prints both paths.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh nsis
build_dir=$(realpath "${BUILD_DIR:-build-windows}")
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build_dir/CMakeCache.txt")
stage=$build_dir/stage
rm -rf "$stage"
cmake --install "$build_dir" --prefix "$stage" --strip >/dev/null
setup=$build_dir/bmi-pondra-$version-setup.exe
zip=$build_dir/bmi-pondra-$version-windows.zip
makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DOUTFILE="$setup" packaging/windows/bmi-pondra.nsi >&2
rm -f "$zip"
(cd "$stage" && cmake -E tar cf "$zip" --format=zip -- *)
echo "$setup"
echo "$zip"
