#!/usr/bin/env bash
# Installs what is missing, builds a Release into build-package/ and makes the
# Debian package there (bmi-pondra_<version>_<arch>.deb) with its SHA256SUMS.
set -euo pipefail
cd "$(dirname "$0")/.."
# dpkg-shlibdeps (dpkg-dev) and file work out the Qt libraries the package
# needs; scdoc makes the manual pages.
scripts/setup.sh dpkg-dev file scdoc
source scripts/reproducible.sh
BUILD_DIR=build-package BUILD_TYPE=Release scripts/build.sh -DBMI_BUILD_TESTS=OFF
cd build-package
rm -f bmi-pondra_*.deb
cpack -G DEB
deb=$(ls bmi-pondra_*.deb)
sha256sum "$deb" >SHA256SUMS
echo "Made build-package/$deb; install it with: sudo apt install ./build-package/$deb"
