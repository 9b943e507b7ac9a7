#!/usr/bin/env bash
# Cross-builds the station and its tests for Windows into build-windows/ (or
# BUILD_DIR) against Qt for MinGW-w64, building that Qt first when it is not
# in the cache yet. Its ctest runs the tests under Wine. Arguments go to
# CMake (-DBMI_BUILD_TESTS=OFF for the program alone).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh g++-mingw-w64-x86-64-posix wine wine64 ninja-build
qt=$(scripts/qt-for-windows.sh | tail -n 1)
build_dir=$(realpath -m "${BUILD_DIR:-build-windows}")
"$qt/bin/qt-cmake" -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DQT_CHAINLOAD_TOOLCHAIN_FILE="$PWD/scripts/mingw-w64.cmake" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$PWD/scripts/wine.sh;$qt;$build_dir/wineprefix" "$@" >/dev/null
cmake --build "$build_dir" -j"$(nproc)"
