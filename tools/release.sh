#!/bin/sh
# Builds the release files into dist/:
#   tessaly-VERSION-windows.zip         tessaly.exe (i686), tessaly64.exe (x86_64) and a
#                                       README.txt with CRLF line ends
#   tessaly_VERSION-1_amd64.deb         /usr/bin/tessaly (PDF output with cairo), its man
#                                       page, README, copyright, changelog.Debian.gz and
#                                       lintian overrides
#   tessaly-VERSION-linux-x86_64.tar.gz the statically linked tessaly (no PDF output), its
#                                       man page and README, for other distributions
#   SHA256SUMS                          over the three
# VERSION is the program's major.minor from project() in CMakeLists.txt.
#
#   tools/release.sh [--builds DIR] [--check]
#
# The programs come from the builds DIR/native, DIR/cross-exe and DIR/cross-exe64,
# configured as tools/ci/test.sh configures them and brought up to date here, so that
# the test command's builds (--builds build) are reused as they are. Without --builds
# they are made in build/release. --check then checks the files
# (tools/ci/check-release.sh).
set -eu

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILDS="$ROOT/build/release"
DIST="$ROOT/dist"
JOBS=$(nproc)
CHECK=0
while [ $# -gt 0 ]; do
  case "$1" in
    --builds) [ $# -ge 2 ] || { echo "--builds needs a directory" >&2; exit 2; }
              BUILDS=$(mkdir -p "$2" && cd "$2" && pwd); shift 2 ;;
    --check) CHECK=1; shift ;;
    *) echo "usage: $0 [--builds DIR] [--check]" >&2; exit 2 ;;
  esac
done

# Timestamps of every packed file: the last commit's, so that the same sources give the
# same archives.
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -C "$ROOT" log -1 --format=%ct 2>/dev/null || date +%s)
fi
export SOURCE_DATE_EPOCH
export LC_ALL=C.UTF-8 TZ=UTC

# ---- the programs ---------------------------------------------------------------------
native="$BUILDS/native"
cmake -S "$ROOT" -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$native" -j "$JOBS" --target tessaly tessaly-static

# shipped_exe DIR TOOLCHAIN: the shipped Windows program, as the exe stages build it.
shipped_exe() {
  cmake -S "$ROOT" -B "$1" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/$2" -DTESSALY_BENCH=OFF -DTESSALY_TESTS=OFF >/dev/null
  cmake --build "$1" -j "$JOBS" --target tessaly
}
shipped_exe "$BUILDS/cross-exe" toolchain-mingw32-exe.cmake
shipped_exe "$BUILDS/cross-exe64" toolchain-mingw64-exe.cmake

VERSION=$(sed -n 's/^#define TESSALY_VERSION_TEXT "\(.*\)"$/\1/p' \
  "$native/generated/tessaly_version.h")
[ -n "$VERSION" ] || { echo "no version in $native/generated/tessaly_version.h" >&2; exit 1; }
DEB_VERSION="$VERSION-1"
# The package's program must have its PDF output: cairo found by the native build.
if ! objdump -p "$native/tessaly" | grep -q 'NEEDED *libcairo\.so'; then
  echo "$native/tessaly is built without cairo (install libcairo2-dev)" >&2
  exit 1
fi

ZIP="tessaly-$VERSION-windows.zip"
DEB="tessaly_${DEB_VERSION}_amd64.deb"
TARBALL="tessaly-$VERSION-linux-x86_64.tar.gz"
mkdir -p "$DIST"
rm -f "$DIST/$ZIP" "$DIST/$DEB" "$DIST/$TARBALL" "$DIST/SHA256SUMS"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

# fill FILE: the file with the version put in.
fill() {
  sed -e "s/@VERSION@/$VERSION/g" -e "s/@DEB_VERSION@/$DEB_VERSION/g" "$1"
}

# ---- Windows --------------------------------------------------------------------------
mkdir "$WORK/windows"
cp "$BUILDS/cross-exe/tessaly.exe" "$BUILDS/cross-exe64/tessaly64.exe" "$WORK/windows/"
fill "$ROOT/packaging/windows/README.txt" | sed 's/$/\r/' >"$WORK/windows/README.txt"
touch -d "@$SOURCE_DATE_EPOCH" "$WORK/windows/"*
(cd "$WORK/windows" && zip -q -X -9 "$DIST/$ZIP" README.txt tessaly.exe tessaly64.exe)

# ---- Debian package -------------------------------------------------------------------
pkg="$WORK/deb"
doc="$pkg/usr/share/doc/tessaly"
mkdir -p "$pkg/DEBIAN" "$pkg/usr/bin" "$pkg/usr/share/man/man1" "$doc"
install -m 0755 "$native/tessaly" "$pkg/usr/bin/tessaly"
strip --strip-unneeded --remove-section=.comment --remove-section=.note "$pkg/usr/bin/tessaly"
gzip -9n <"$ROOT/docs/tessaly.1" >"$pkg/usr/share/man/man1/tessaly.1.gz"
fill "$ROOT/packaging/linux/README" >"$doc/README"
cp "$ROOT/packaging/debian/copyright" "$doc/copyright"
mkdir -p "$pkg/usr/share/lintian/overrides"
cp "$ROOT/packaging/debian/lintian-overrides" "$pkg/usr/share/lintian/overrides/tessaly"
fill "$ROOT/packaging/debian/changelog" |
  sed "s/@DATE@/$(date -R -d "@$SOURCE_DATE_EPOCH")/" | gzip -9n >"$doc/changelog.Debian.gz"
find "$pkg" -type d -exec chmod 0755 {} +
find "$pkg/usr/share" -type f -exec chmod 0644 {} +

# The dependencies from the libraries the program links (dpkg-shlibdeps reads the
# package's name from a debian/control of its own).
mkdir -p "$WORK/shlibs/debian"
printf 'Source: tessaly\n\nPackage: tessaly\nArchitecture: amd64\n' \
  >"$WORK/shlibs/debian/control"
depends=$(cd "$WORK/shlibs" && dpkg-shlibdeps -O "$pkg/usr/bin/tessaly" |
  sed -n 's/^shlibs:Depends=//p')
case "$depends" in
  *libcairo2*) ;;
  *) echo "dpkg-shlibdeps found no cairo dependency: $depends" >&2; exit 1 ;;
esac
size=$(du -sk --apparent-size --exclude=DEBIAN "$pkg" | cut -f1)
fill "$ROOT/packaging/debian/control" |
  sed -e "s/@INSTALLED_SIZE@/$size/" -e "s/@DEPENDS@/$depends/" >"$pkg/DEBIAN/control"
(cd "$pkg" && find usr -type f | sort | xargs md5sum) >"$pkg/DEBIAN/md5sums"
chmod 0644 "$pkg/DEBIAN/control" "$pkg/DEBIAN/md5sums"
dpkg-deb --root-owner-group -Zxz --build "$pkg" "$DIST/$DEB" >/dev/null

# ---- static command -------------------------------------------------------------------
name="tessaly-$VERSION-linux-x86_64"
mkdir "$WORK/$name"
install -m 0755 "$native/tessaly-static" "$WORK/$name/tessaly"
strip --strip-unneeded --remove-section=.comment --remove-section=.note "$WORK/$name/tessaly"
install -m 0644 "$ROOT/docs/tessaly.1" "$WORK/$name/tessaly.1"
fill "$ROOT/packaging/linux/README" >"$WORK/$name/README"
chmod 0644 "$WORK/$name/README"
tar -C "$WORK" --sort=name --owner=0 --group=0 --numeric-owner \
  --mtime="@$SOURCE_DATE_EPOCH" -cf - "$name" | gzip -9n >"$DIST/$TARBALL"

(cd "$DIST" && sha256sum "$ZIP" "$DEB" "$TARBALL" >SHA256SUMS)
echo "release $VERSION in $DIST:"
(cd "$DIST" && ls -l "$ZIP" "$DEB" "$TARBALL" SHA256SUMS)

if [ "$CHECK" = 1 ]; then
  "$ROOT/tools/ci/check-release.sh" "$DIST"
fi
