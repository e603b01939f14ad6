#!/usr/bin/env bash
# Makes the Debian package from a configured and built tree with CPack and
# checks it: the files a desktop needs are in it, the desktop entry and the
# AppStream data validate, and lintian finds no error and no warning.
#   packaging/check_package.sh [BUILD_DIR]      (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
(cd "$BUILD" && cpack -G DEB >/dev/null)
DEB=$(ls -t "$BUILD"/lumtar_*_amd64.deb | head -1)
echo "Package: $DEB ($(stat -c %s "$DEB") bytes)"

LIST=$(dpkg-deb -c "$DEB" | awk '{print $6}')
missing=0
for f in ./usr/bin/Lumtar ./usr/bin/lumtar-cli \
         ./usr/share/applications/org.lumtar.Lumtar.desktop \
         ./usr/share/metainfo/org.lumtar.Lumtar.metainfo.xml \
         ./usr/share/icons/hicolor/scalable/apps/org.lumtar.Lumtar.svg \
         ./usr/share/icons/hicolor/16x16/apps/org.lumtar.Lumtar.png \
         ./usr/share/icons/hicolor/48x48/apps/org.lumtar.Lumtar.png \
         ./usr/share/icons/hicolor/256x256/apps/org.lumtar.Lumtar.png \
         ./usr/share/man/man1/lumtar-cli.1.gz ./usr/share/man/man1/Lumtar.1.gz \
         ./usr/share/doc/lumtar/copyright ./usr/share/doc/lumtar/changelog.gz \
         ./usr/share/lumtar/dat/set.ini ./usr/share/lumtar/dat/xminit.ini ./usr/share/lumtar/dat/dili.ini \
         ./usr/share/lumtar/dat/atlas.txt; do
  if ! grep -qxF "$f" <<<"$LIST"; then echo "missing from the package: $f"; missing=1; fi
done
[ "$missing" -eq 0 ]

TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT
dpkg-deb -x "$DEB" "$TMP"
desktop-file-validate "$TMP/usr/share/applications/org.lumtar.Lumtar.desktop"
appstreamcli validate --no-net "$TMP/usr/share/metainfo/org.lumtar.Lumtar.metainfo.xml" >/dev/null
status=0
lintian --fail-on error,warning "$DEB" >"$TMP/lintian.txt" 2>&1 || status=$?
grep -v "running with root privileges" "$TMP/lintian.txt" || true
if [ "$status" -ne 0 ]; then echo "lintian found errors or warnings"; exit 1; fi
dpkg-deb -I "$DEB" | grep -E "^ (Depends|Recommends|Installed-Size):"
echo "Package checked."
