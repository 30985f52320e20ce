#!/bin/sh
# tools/ci/install-deps.sh against a fake apt-get, dpkg and dpkg-query: a mirror that is
# mid-sync, a broken i386 index, machines that do and do not start i386 programs.
#
#   tests/ci/install_deps_test.sh SOURCE-DIR
set -u

SCRIPT="$1/tools/ci/install-deps.sh"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
FAILED=0

# The fakes keep their state in $STATE: installed (one package a line), archs, updates
# (one line per update call).
mkdir -p "$WORK/bin"
cat >"$WORK/bin/apt-get" <<'FAKE'
#!/bin/sh
case " $* " in
  *" update "*)
    echo x >>"$STATE/updates"
    n=$(wc -l <"$STATE/updates")
    if [ "$n" -le "${FAKE_UPDATE_FAILS:-0}" ]; then
      echo "E: Failed to fetch http://deb.debian.org/debian/dists/bookworm/main/binary-i386/Packages.xz  File has unexpected size (8682 != 8700). Mirror sync in progress?"
      exit 100
    fi
    exit 0 ;;
esac
shift 4  # install -y -q --no-install-recommends
for p in "$@"; do
  for bad in ${FAKE_UNINSTALLABLE:-}; do
    if [ "$p" = "$bad" ]; then echo "E: Unable to locate package $p"; exit 100; fi
  done
done
printf '%s\n' "$@" >>"$STATE/installed"
FAKE
cat >"$WORK/bin/dpkg-query" <<'FAKE'
#!/bin/sh
eval "p=\${$#}"
grep -qx -- "$p" "$STATE/installed" 2>/dev/null || { echo "no packages found matching $p" >&2; exit 1; }
printf installed
FAKE
cat >"$WORK/bin/dpkg" <<'FAKE'
#!/bin/sh
case "$1" in
  --print-foreign-architectures) cat "$STATE/archs" 2>/dev/null ;;
  --add-architecture) echo "$2" >>"$STATE/archs" ;;
esac
FAKE
printf '#!/bin/sh\nexec "$@"\n' >"$WORK/bin/sudo"
printf '#!/bin/sh\necho wine-8.0\n' >"$WORK/bin/wine64"
chmod +x "$WORK/bin/"*

# run NAME STARTS_I386 UPDATE_FAILS UNINSTALLABLE EXPECTED_STATUS
run() {
  STATE="$WORK/$1"
  # A case named again runs on the machine the earlier run left.
  if [ ! -d "$STATE" ]; then
    mkdir -p "$STATE"
    : >"$STATE/installed"
  fi
  STATUS=0
  STATE=$STATE PATH="$WORK/bin:$PATH" TESSALY_STARTS_I386=$2 FAKE_UPDATE_FAILS=$3 \
    FAKE_UNINSTALLABLE=$4 TESSALY_APT_UPDATE_PAUSE=0 TESSALY_WINE64_LOADER="$WORK/bin/wine64" \
    sh "$SCRIPT" >"$STATE/out" 2>&1 || STATUS=$?
  CASE=$1
  [ "$STATUS" = "$5" ] || fail "exit status $STATUS, expected $5"
}

fail() {
  echo "FAIL [$CASE]: $*"
  sed 's/^/    /' "$STATE/out"
  FAILED=1
}
installed() { grep -qx -- "$1" "$STATE/installed" || fail "$1 not installed"; }
not_installed() { ! grep -qx -- "$1" "$STATE/installed" || fail "$1 installed"; }
says() { grep -q -- "$1" "$STATE/out" || fail "output lacks '$1'"; }
updates() {
  n=$(wc -l <"$STATE/updates" 2>/dev/null || echo 0)
  [ "$n" = "$1" ] || fail "$n update calls, expected $1"
}
archs() { [ "$(cat "$STATE/archs" 2>/dev/null)" = "$1" ] || fail "foreign architectures '$(cat "$STATE/archs" 2>/dev/null)', expected '$1'"; }

# A machine that starts no i386 program: no i386 architecture, no 32-bit package.
run 64-only 0 0 "" 0
installed wine64; installed lintian; not_installed wine32:i386; not_installed g++-multilib
archs ""; updates 1; says "does not start i386 programs"

# The same with a mirror whose i386 index stays broken: the lists apt has are used.
run 64-only-broken-mirror 0 99 "" 0
installed wine64; updates 4; says "going on with the package lists"; says "Mirror sync"

# A mirror mid-sync for two tries, then whole.
run mid-sync 0 2 "" 0
installed wine64; updates 3; says "try 2 of 4"

# A machine that starts i386 programs, mirror whole: 32-bit Wine and its companions.
run i386 1 0 "" 0
installed wine32:i386; installed g++-multilib; installed libxi6:i386; installed wine64
archs i386

# The same with the i386 index broken: one line names the 32-bit packages, the rest goes on.
run i386-broken-index 1 99 "wine32:i386" 0
installed wine64; not_installed wine32:i386
[ "$(grep -c '32-bit packages not installed: wine32:i386.*Unable to locate package wine32:i386' "$STATE/out")" = 1 ] ||
  fail "no single line naming the 32-bit packages and the reason"

# A package the 64-bit path needs cannot be installed: one line, exit 1.
run needed-missing 0 0 "lintian" 1
says "cannot install .*lintian.*Unable to locate package lintian"

# Everything present: nothing asked of apt.
STATE="$WORK/64-only"
: >"$STATE/updates"
run 64-only 0 0 "" 0
updates 0; says "all packages present"

[ $FAILED = 0 ] && echo "install-deps: all cases passed"
exit $FAILED
