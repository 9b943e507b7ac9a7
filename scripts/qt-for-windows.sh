#!/usr/bin/env bash
# Builds Qt for Windows (MinGW-w64, as DLLs) from Debian's own qt6-base source,
# in the version of the installed host tools, with only what the station uses.
# Installs into a cache outside the source tree and returns at once when that
# cache is current. Prints the Qt prefix as its last line.
# With --cached it never builds: it exits 77 when that Qt is not there yet.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cached_only=false
[ "${1-}" = --cached ] && cached_only=true
$cached_only || "$here/setup.sh" qt6-base-dev-tools g++-mingw-w64-x86-64-posix ninja-build dpkg-dev

version=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools)
# Debian's source lacks the wintab header (tablet events); with OpenGL off the
# Windows plugin must not try to load it dynamically either.
off=(sql network opengl dbus concurrent xml vulkan icu tabletevent dynamicgl printpreviewwidget printpreviewdialog)
options=(-DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
  -DINPUT_opengl=no -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF
  -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF)
for f in "${off[@]}"; do options+=("-DFEATURE_$f=OFF"); done
key=$(cat "$here/mingw-w64.cmake" <(printf '%s\n' "${options[@]}") | sha256sum | cut -c1-12)
cache=${BMI_QT_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/bmi-pondra}
prefix=$cache/qt-${version//[^A-Za-z0-9.]/_}-mingw64-$key
if [ -e "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi
$cached_only && exit 77

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
work=$cache/work-$key
rm -rf "$work"
mkdir -p "$work"
cd "$work"
echo "Building Qt $version for Windows into $prefix; this takes about an hour on two cores." >&2
start=$(date +%s)

# apt needs a source entry for the mirror it already uses.
if ! apt-get source --download-only "qt6-base=$version" >/dev/null 2>&1; then
  list=/etc/apt/sources.list.d/bmi-pondra-source.sources
  {
    for f in /etc/apt/sources.list.d/*.sources; do
      [ "$f" = "$list" ] && continue
      # Each deb822 stanza that names plain 'deb' gets a deb-src twin.
      awk 'BEGIN{RS=""; ORS="\n\n"} /(^|\n)Types:[^\n]*deb([ \n]|$)/ && !/deb-src/ {sub(/Types:[^\n]*/, "Types: deb-src"); print}' "$f"
    done
    if [ -f /etc/apt/sources.list ]; then
      sed -n 's/^deb \(.*\)$/Types: deb-src\nURIs: \1\n/p' /etc/apt/sources.list | \
        awk '/^URIs:/{n=split($0,a," "); printf "URIs: %s\nSuites: %s\nComponents:", a[2], a[3]; for(i=4;i<=n;i++) printf " %s", a[i]; print ""; next} {print}'
    fi
  } | "${as_root[@]}" tee "$list" >/dev/null
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  apt-get source --download-only "qt6-base=$version" >/dev/null
fi
dpkg-source -x --skip-patches qt6-base_*.dsc source >/dev/null

cmake -S source -B build -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$here/mingw-w64.cmake" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DCMAKE_INSTALL_PREFIX="$prefix" "${options[@]}" >build.log 2>&1 || { tail -40 build.log >&2; exit 1; }
cmake --build build --parallel "$(nproc)" >>build.log 2>&1 || { tail -60 build.log >&2; exit 1; }
cmake --install build >>build.log 2>&1 || { tail -40 build.log >&2; exit 1; }
touch "$prefix/.complete"
cd /
rm -rf "$work"
echo "Qt for Windows built in $(( ($(date +%s) - start) / 60 )) minutes." >&2
echo "$prefix"
