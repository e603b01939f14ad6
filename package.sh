#!/usr/bin/env bash
# Sets up what is missing, builds the program with Debian's hardening flags
# into build-package/, and makes the Debian package
# build-package/lumtar_<version>_amd64.deb, checked with lintian.
set -euo pipefail
cd "$(dirname "$0")"
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
export CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
export LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
LUMTAR_BUILD_DIR=build-package ./setup.sh -DLUMTAR_BUILD_TESTS=OFF -DLUMTAR_BUILD_BENCH=OFF
packaging/check_package.sh build-package
