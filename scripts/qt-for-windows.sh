#!/usr/bin/env bash
# Builds Qt for Windows (MinGW-w64, as DLLs) from Debian's own qt6-base source,
# in the version of the installed host tools, with Debian's patches applied
# and only what the station uses. Installs into a cache outside the source
# tree and returns at once when that cache is current. Prints the Qt prefix
# as its last line; progress goes to standard error.
# With --cached it never builds: it exits 77 when that Qt is not there yet.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cached_only=false
[ "${1-}" = --cached ] && cached_only=true
$cached_only || "$here/setup.sh" qt6-base-dev-tools g++-mingw-w64-x86-64-posix ninja-build dpkg-dev
say() { echo "qt-for-windows.sh: $*" >&2; }

version=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools 2>/dev/null) || { say "qt6-base-dev-tools is not installed"; exit 77; }
compiler=$(dpkg-query -W -f='${Version}' g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev 2>/dev/null | tr '\n' ' ') \
  || { say "MinGW-w64 is not installed"; exit 77; }
# Debian's source lacks the wintab header (tablet events); with OpenGL off the
# Windows plugin must not try to load it dynamically either.
off=(sql network opengl dbus concurrent xml vulkan icu tabletevent dynamicgl printpreviewwidget printpreviewdialog)
options=(-DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
  -DINPUT_opengl=no -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF
  -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF)
for f in "${off[@]}"; do options+=("-DFEATURE_$f=OFF"); done
# Every patch of Debian's series is applied: its security fixes (among them
# cve-2023-32763, an overflow in QTextLayout on very long text) and its
# upstream and packaging patches, none of which hinders a MinGW build; then
# ours, which lets the Windows print engine report a refused document.
ours=$here/../packaging/windows/qt-print-engine-reports-failures.patch
# Neither the build folder nor the time of the build reaches the DLLs.
link_flags=-Wl,--no-insert-timestamp
options+=("-DCMAKE_SHARED_LINKER_FLAGS=$link_flags" "-DCMAKE_EXE_LINKER_FLAGS=$link_flags" "-DCMAKE_MODULE_LINKER_FLAGS=$link_flags")
recipe="debian-patches=all file-prefix-map source-date compiler=$compiler"
key=$(cat "$here/mingw-w64.cmake" "$ours" <(printf '%s\n' "${options[@]}" "$recipe") | sha256sum | cut -c1-12)
cache=${BMI_QT_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/bmi-pondra}
prefix=$cache/qt-${version//[^A-Za-z0-9.]/_}-mingw64-$key
if [ -e "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi
$cached_only && exit 77

work=$cache/work-$key
rm -rf "$work"
mkdir -p "$work/lists/partial" "$work/apt/archives/partial"
cd "$work"
say "building Qt $version for Windows into $prefix; this takes about an hour on two cores, once"
start=$(date +%s)

# Debian's source comes from the mirrors apt already uses for binaries,
# through a source list of our own given by option: the system's apt
# configuration is neither read for sources nor changed. Where apt has not
# fetched its lists yet the origin is unknown, so the mirror's address counts.
apt-get indextargets --format '$(TARGET_OF) $(ORIGIN) $(REPO_URI) $(RELEASE) $(COMPONENT)' |
  awk '$1 == "deb" && ($2 == "Debian" || $3 ~ /debian/) { print "deb-src", $3, $4, $5 }' | sort -u >sources.list
[ -s sources.list ] || { say "apt knows no Debian mirror to take the qt6-base source from"; exit 1; }
apt_options=(-o "Dir::Etc::SourceList=$work/sources.list" -o Dir::Etc::SourceParts=/nonexistent
  -o "Dir::State::Lists=$work/lists" -o "Dir::Cache=$work/apt" -o Debug::NoLocking=1 -o APT::Sandbox::User=root)
LC_ALL=C apt-get "${apt_options[@]}" -qq update >apt.log 2>&1 \
  && LC_ALL=C apt-get "${apt_options[@]}" -qq source --download-only "qt6-base=$version" >>apt.log 2>&1 \
  || { cat apt.log >&2; say "could not fetch Debian's qt6-base $version source"; exit 1; }
LC_ALL=C dpkg-source -x qt6-base_*.dsc source >dpkg-source.log 2>&1 || { cat dpkg-source.log >&2; exit 1; }
say "applied Debian's patches: $(grep -o 'applying .*' dpkg-source.log | cut -d' ' -f2 | tr '\n' ' ')"
patch -p1 -d source <"$ours" >>dpkg-source.log || { say "our patch does not apply: $ours"; exit 1; }
SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -l source/debian/changelog -S Timestamp)
export SOURCE_DATE_EPOCH

# Build paths never reach the DLLs.
flags="-ffile-prefix-map=$work=/qt-build"
cmake -S source -B build -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$here/mingw-w64.cmake" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_INSTALL_PREFIX="$prefix" "${options[@]}" >build.log 2>&1 || { tail -40 build.log >&2; exit 1; }
# A line every five per cent, so a person sees the hour moving.
shown=-5 last=
while IFS= read -r line; do
  printf '%s\n' "$line" >>build.log
  last=$line
  if [[ $line =~ ^\[([0-9]+)/([0-9]+)\] ]]; then
    percent=$((100 * BASH_REMATCH[1] / BASH_REMATCH[2]))
    if ((percent >= shown + 5)); then
      shown=$((percent - percent % 5))
      say "Qt for Windows: $shown % built, $(( ($(date +%s) - start) / 60 )) minutes so far"
    fi
  fi
done < <(cmake --build build --parallel "$(nproc)" 2>&1; echo "build status $?")
[ "$last" = "build status 0" ] || { tail -60 build.log >&2; say "building Qt failed; its log is $work/build.log"; exit 1; }
cmake --install build >>build.log 2>&1 || { tail -40 build.log >&2; exit 1; }
touch "$prefix/.complete"
cd /
rm -rf "$work"
say "Qt for Windows built in $(( ($(date +%s) - start) / 60 )) minutes"
echo "$prefix"
