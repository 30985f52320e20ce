#!/bin/sh
# Checks the release files that tools/release.sh wrote into DIST, as a user gets them:
#   - SHA256SUMS matches the three files;
#   - the zip holds exactly README.txt (CRLF line ends, the version in it), tessaly.exe
#     (i686) and tessaly64.exe (x86_64), and each exe imports only what the oldest
#     Windows it is for has (tools/ci/check-imports.sh; nothing is run);
#   - the .deb holds exactly its files, owned by root, depends on cairo, and lintian
#     reports no error; its tessaly, unpacked, answers --version and --help;
#   - the tarball holds the static tessaly (no dynamic section), its man page and README,
#     and its tessaly answers --version.
#
#   tools/ci/check-release.sh [DIST]
set -eu

ROOT=$(cd "$(dirname "$0")/../.." && pwd)
DIST=${1:-$ROOT/dist}
# The program's major.minor from the one version source.
VERSION=$(sed -n 's/^project(tessaly VERSION \([0-9]*\.[0-9]*\)\..*/\1/p' "$ROOT/CMakeLists.txt")
ZIP="tessaly-$VERSION-windows.zip"
DEB="tessaly_$VERSION-1_amd64.deb"
TARBALL="tessaly-$VERSION-linux-x86_64.tar.gz"
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# same WHAT EXPECTED-FILE ACTUAL-FILE
same() {
  if ! cmp -s "$2" "$3"; then
    fail "$1 differs from what is expected:"
    diff "$2" "$3" || true
  fi
}

cd "$DIST"
for file in "$ZIP" "$DEB" "$TARBALL" SHA256SUMS; do
  [ -f "$file" ] || { echo "FAIL: $DIST/$file missing"; exit 1; }
done
sha256sum --quiet -c SHA256SUMS || fail "SHA256SUMS does not match"
[ "$(awk '{print $2}' SHA256SUMS | LC_ALL=C sort)" = "$(printf '%s\n' "$DEB" "$TARBALL" "$ZIP" |
  LC_ALL=C sort)" ] || fail "SHA256SUMS names other files: $(cat SHA256SUMS)"

# ---- the zip --------------------------------------------------------------------------
echo "--- $ZIP"
unzip -Z1 "$ZIP" | sort >"$TMP/zip.list"
printf '%s\n' README.txt tessaly.exe tessaly64.exe >"$TMP/zip.want"
same "the zip's listing" "$TMP/zip.want" "$TMP/zip.list"
mkdir "$TMP/zip"
unzip -q "$ZIP" -d "$TMP/zip"
readme="$TMP/zip/README.txt"
lines=$(wc -l <"$readme")
crlf=$(grep -c "$(printf '\r')\$" "$readme" || true)
if [ "$lines" = 0 ] || [ "$crlf" != "$lines" ]; then
  fail "README.txt: $crlf of $lines lines end in CRLF"
fi
grep -q "Version $VERSION\." "$readme" || fail "README.txt does not give version $VERSION"
! grep -q '@[A-Z_]*@' "$readme" || fail "README.txt keeps a placeholder"
# EXE:FORMAT, the format as objdump -f names it.
for pair in tessaly.exe:pei-i386 tessaly64.exe:pei-x86-64; do
  exe=${pair%%:*} format=${pair#*:}
  case "$(x86_64-w64-mingw32-objdump -f "$TMP/zip/$exe" 2>&1)" in
    *"file format $format"*) ;;
    *) fail "$exe is not $format" ;;
  esac
  "$ROOT/tools/ci/check-imports.sh" "$TMP/zip/$exe" || fail "$exe: imports"
done

# ---- the Debian package ---------------------------------------------------------------
echo "--- $DEB"
dpkg-deb -c "$DEB" >"$TMP/deb.contents"
awk '$1 !~ /^d/ {print $6}' "$TMP/deb.contents" | sort >"$TMP/deb.list"
printf '%s\n' ./usr/bin/tessaly ./usr/share/doc/tessaly/README \
  ./usr/share/doc/tessaly/changelog.Debian.gz ./usr/share/doc/tessaly/copyright \
  ./usr/share/lintian/overrides/tessaly ./usr/share/man/man1/tessaly.1.gz | sort >"$TMP/deb.want"
same "the package's files" "$TMP/deb.want" "$TMP/deb.list"
awk '$2 != "root/root" {print "owned by " $2 ": " $6}' "$TMP/deb.contents" >"$TMP/owners"
[ ! -s "$TMP/owners" ] || fail "$(cat "$TMP/owners")"
grep -q '^-rwxr-xr-x .* \./usr/bin/tessaly$' "$TMP/deb.contents" ||
  fail "/usr/bin/tessaly is not mode 0755"
[ "$(dpkg-deb -f "$DEB" Version)" = "$VERSION-1" ] ||
  fail "package version $(dpkg-deb -f "$DEB" Version), want $VERSION-1"
case "$(dpkg-deb -f "$DEB" Depends)" in
  *libcairo2*) ;;
  *) fail "Depends lacks cairo: $(dpkg-deb -f "$DEB" Depends)" ;;
esac
# lintian's every tag is shown; an error fails.
lintian_rc=0
lintian --fail-on error --display-info --pedantic "$DEB" >"$TMP/lintian" 2>&1 || lintian_rc=$?
cat "$TMP/lintian"
if [ "$lintian_rc" != 0 ] || grep -q '^E: ' "$TMP/lintian"; then
  fail "lintian reports errors (exit $lintian_rc)"
fi
dpkg-deb -x "$DEB" "$TMP/deb"
[ "$("$TMP/deb/usr/bin/tessaly" --version)" = "tessaly $VERSION" ] ||
  fail "the package's tessaly --version: $("$TMP/deb/usr/bin/tessaly" --version 2>&1)"
"$TMP/deb/usr/bin/tessaly" --help | grep -q '^Usage: tessaly' ||
  fail "the package's tessaly --help"
if command -v man >/dev/null; then
  warnings=$(man --warnings -l "$TMP/deb/usr/share/man/man1/tessaly.1.gz" 2>&1 >/dev/null ||
    echo "man failed")
  [ -z "$warnings" ] || fail "the package's man page: $warnings"
fi

# ---- the static command ---------------------------------------------------------------
echo "--- $TARBALL"
name="tessaly-$VERSION-linux-x86_64"
tar -tzvf "$TARBALL" >"$TMP/tar.contents"
awk '$1 !~ /^d/ {print $6}' "$TMP/tar.contents" | sort >"$TMP/tar.list"
printf '%s\n' "$name/README" "$name/tessaly" "$name/tessaly.1" >"$TMP/tar.want"
same "the tarball's listing" "$TMP/tar.want" "$TMP/tar.list"
mkdir "$TMP/tar"
tar -C "$TMP/tar" -xzf "$TARBALL"
static="$TMP/tar/$name/tessaly"
if readelf -d "$static" 2>/dev/null | grep -q NEEDED; then
  fail "the tarball's tessaly needs shared libraries"
fi
[ "$("$static" --version)" = "tessaly $VERSION" ] ||
  fail "the tarball's tessaly --version: $("$static" --version 2>&1)"

if [ "$failures" -eq 0 ]; then
  echo "release files of $VERSION checked"
fi
exit "$failures"
