#!/bin/sh
# Run every Tessaly test: installs what is missing, then builds and runs
#   native-asan  native Debug build with ASan+UBSan: all GoogleTest and CLI tests
#   native       native RelWithDebInfo: tessaly-sim, tessaly, tessaly-static and the
#                benchmarks (run briefly)
#   linux-guest  the static Linux `tessaly` command in a Linux guest under QEMU against
#                QEMU's emulated SCSI CD drives (tests/qemu/run-cases.sh)
#   cross        i686 mingw-w64 static build (tests, virtual wnaspi32.dll, tools, program);
#                32-bit runtime only: on the 64-bit one nothing runs it, and the exe stage
#                still builds the shipped i686 program
#   exe          the shipped tessaly.exe (win32-thread runtime), imports checked
#   cross64      x86_64 mingw-w64 static build, the same targets (64-bit runtime only)
#   exe64        the shipped tessaly64.exe, imports checked
#   release      the release files in dist/ from the native and exe builds above
#                (tools/release.sh), checked as a user gets them (tools/ci/check-release.sh)
#   sgshim       the preloaded Linux library that serves the emulated drives to Wine's
#                pass-through in the end-to-end test, of the runtime's bitness
#   wine-prefix  the Wine prefix of the runtime (made once), X display from Xvfb
#   cross-tests  the cross-built tests of the runtime under Wine, the end-to-end test of the
#                shipped program among them
#   fuzz         clang/libFuzzer targets, each run for a few seconds
# The Windows runtime for the cross-built tests is found out, not guessed: 32-bit Wine
# (win32: build/cross, tessaly.exe) where this machine starts i386 programs, else 64-bit
# Wine (win64: build/cross64, tessaly64.exe). TESSALY_WINE_ARCH=win32|win64 forces it.
# A failing stage does not stop the later ones (cross-tests needs its build and
# wine-prefix); the summary lists every stage and the runtime, and the script exits
# non-zero if any stage failed or could not run.
set -eu

ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD="$ROOT/build"
JOBS=$(nproc)
FUZZ_SECONDS=${TESSALY_FUZZ_SECONDS:-5}
cd "$ROOT"
. "$ROOT/tools/ci/wine-env.sh"

# Deterministic locale for everything below, Wine included.
export LC_ALL=C.UTF-8 LANG=C.UTF-8
export UBSAN_OPTIONS=print_stacktrace=1

RUN_START=$(date +%s)
SUMMARY=
FAILED=
XVFB_PID=
WINE_STARTED=0
TMP=$(mktemp -d)

cleanup() {
  rc=$1
  trap - EXIT
  if [ "$WINE_STARTED" = 1 ]; then
    WINEPREFIX="$TESSALY_WINE_PREFIX" wineserver -k 2>/dev/null || true
  fi
  if [ -n "$XVFB_PID" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
  fi
  rm -rf "$TMP"
  printf '\n==== summary ====\n%s  %-12s %5d s\n' "$SUMMARY" total \
    $(( $(date +%s) - RUN_START ))
  [ -z "${TESSALY_WINE_ARCH_REASON:-}" ] ||
    printf 'Windows runtime: %s (%s)\n' "$TESSALY_WINE_ARCH" "$TESSALY_WINE_ARCH_REASON"
  if [ "$rc" = 0 ]; then echo "ALL TESTS PASSED"; else echo "FAILED:${FAILED:- (exit $rc)}"; fi
  exit "$rc"
}
trap 'cleanup $?' EXIT
trap 'exit 130' INT TERM

# run_stage NAME FUNCTION: runs FUNCTION in a subshell with set -e and records the outcome
# (also in STAGE_RC). Always returns 0: called from an `if` or `||`, set -e would be off
# inside FUNCTION.
run_stage() {
  name=$1
  printf '\n==== %s ====\n' "$name"
  start=$(date +%s)
  set +e
  ( set -e; "$2" )
  rc=$?
  set -e
  d=$(( $(date +%s) - start ))
  if [ $rc = 0 ]; then
    result=ok
  else
    result="FAILED (exit $rc)"
    FAILED="$FAILED $name"
  fi
  printf '==== %s: %s in %d s ====\n' "$name" "$result" "$d"
  SUMMARY="$SUMMARY$(printf '  %-12s %5d s  %s' "$name" "$d" "$result")
"
  STAGE_RC=$rc
}

skip_stage() {
  printf '\n==== %s: skipped (%s) ====\n' "$1" "$2"
  SUMMARY="$SUMMARY$(printf '  %-12s     - s  skipped (%s)' "$1" "$2")
"
  FAILED="$FAILED $1"
}

has_target() { # build-dir target
  ninja -C "$1" -t targets all 2>/dev/null | grep -q "^$2:"
}

# --------------------------------------------------------------------------------------
deps() {
  "$ROOT/tools/ci/install-deps.sh"
}

native_asan() {
  # -g1: line tables and functions are all a sanitizer report needs, and the suite
  # compiles faster without full debug information.
  cmake -S . -B "$BUILD/native-asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTESSALY_SANITIZE=ON \
    -DCMAKE_CXX_FLAGS_DEBUG=-g1
  cmake --build "$BUILD/native-asan" -j "$JOBS"
  ctest --test-dir "$BUILD/native-asan" --output-on-failure --no-tests=error -j "$JOBS" \
    --timeout 300
}

native() {
  cmake -S . -B "$BUILD/native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
  targets="tessaly-sim tessaly tessaly-static"
  if has_target "$BUILD/native" tessaly_bench; then targets="$targets tessaly_bench"; fi
  # shellcheck disable=SC2086
  cmake --build "$BUILD/native" -j "$JOBS" --target $targets
  if [ -x "$BUILD/native/tessaly_bench" ]; then
    "$BUILD/native/tessaly_bench" --benchmark_min_time=0.05
  else
    echo "no benchmarks built (bench/*.cpp or libbenchmark-dev missing)"
  fi
}

# The Linux command, statically linked (the guest has no C library): the native stage's
# tessaly-static, run in a QEMU guest booted once for each machine of tests/qemu (the
# `pc` shape with virtio-scsi, the q35 desktops with AHCI, UAS and USB storage), with the
# commands that reach the drives counted on one of them. TESSALY_GUEST_PROGRAM names a
# program built elsewhere.
linux_guest() {
  program=${TESSALY_GUEST_PROGRAM:-$BUILD/native/tessaly-static}
  "$ROOT/tests/qemu/run-cases.sh" "$program"
}

# cross_build DIR TOOLCHAIN [CMAKE-ARG...]: configure a cross build.
cross_build() {
  dir=$1 toolchain=$2
  shift 2
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/$toolchain" -DTESSALY_BENCH=OFF "$@"
}

# cross_tests_build DIR TOOLCHAIN: every target of a cross build, tests included, at -O0:
# the suite compiles a fifth faster than at -O1 and a third faster than at -O3 (the shipped
# programs keep -O3).
cross_tests_build() {
  cross_build "$1" "$2" "-DCMAKE_CXX_FLAGS_RELEASE=-O0 -DNDEBUG"
  cmake --build "$1" -j "$JOBS"
}

cross() { cross_tests_build "$BUILD/cross" toolchain-mingw32.cmake; }
cross64() { cross_tests_build "$BUILD/cross64" toolchain-mingw64.cmake; }

# The shipped programs, built with the win32-thread runtime so that they import only what
# the oldest Windows versions they run on have; the imports are checked, and the
# start-up's SetErrorMode is among them.
# shipped_exe DIR TOOLCHAIN PROGRAM
shipped_exe() {
  cross_build "$1" "$2" -DTESSALY_TESTS=OFF
  cmake --build "$1" -j "$JOBS" --target tessaly
  "$ROOT/tools/ci/check-imports.sh" "$1/$3" SetErrorMode
}

exe() { shipped_exe "$BUILD/cross-exe" toolchain-mingw32-exe.cmake tessaly.exe; }
exe64() { shipped_exe "$BUILD/cross-exe64" toolchain-mingw64-exe.cmake tessaly64.exe; }

# The release files from the builds of the native and exe stages, which it brings up to
# date (nothing to do when they passed); no Windows program is run.
release() { "$ROOT/tools/release.sh" --builds "$BUILD" --check; }

# The preloaded library of the end-to-end test on Wine's pass-through (tools/sgshim) is
# loaded into Wine's own processes, so it has the runtime's bitness: 32-bit (g++ -m32, a
# build of its own) for win32; for win64 the native build's, where no i386 program may
# run. The cross build's CTest finds it there (TESSALY_SGSHIM_BUILD).
sgshim() {
  if [ "$TESSALY_WINE_ARCH" = win64 ]; then
    dir="$BUILD/native"
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
  else
    dir="$BUILD/sgshim32"
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS=-m32 \
      -DTESSALY_TESTS=OFF -DTESSALY_BENCH=OFF
  fi
  cmake --build "$dir" -j "$JOBS" --target tessaly_sgshim tessaly-sgshim-map
  ls -l "$dir/tools/sgshim/libtessaly_sgshim.so"
}

# A private X server, so GUI code under test has a display and nothing reaches the user's
# own screen. Runs in this shell: DISPLAY and the PID are needed later.
start_xvfb() {
  n=99
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp </dev/null >"$TMP/xvfb.log" 2>&1 &
  XVFB_PID=$!
  i=0
  until [ -e "/tmp/.X11-unix/X$n" ]; do
    i=$((i + 1))
    if [ $i -gt 100 ] || ! kill -0 "$XVFB_PID" 2>/dev/null; then
      cat "$TMP/xvfb.log" >&2
      echo "Xvfb :$n did not start" >&2
      return 1
    fi
    sleep 0.1
  done
  export DISPLAY=":$n"
}

wine_prefix() {
  echo "Xvfb on $DISPLAY (pid $XVFB_PID)"
  echo "Windows runtime: $TESSALY_WINE_ARCH ($TESSALY_WINE_ARCH_REASON)"
  "$ROOT/tools/ci/wine-prefix.sh"
}

# The end-to-end test drives the shipped exe when its stage has built it.
cross_tests() {
  echo "Windows runtime: $TESSALY_WINE_ARCH; tests of $CROSS_TESTS_DIR"
  shipped=
  [ -f "$SHIPPED_EXE" ] && shipped="$SHIPPED_EXE"
  TESSALY_EXE=$shipped ctest --test-dir "$CROSS_TESTS_DIR" --output-on-failure \
    --no-tests=error -j "$JOBS" --timeout 300
}

# One fuzzer for FUZZ_SECONDS from a copy of its kept corpus; its report goes to
# $BUILD/fuzz/<name>.report, its status to <name>.status.
fuzz_one() {
  f=$1
  name=$(basename "$f")
  corpus="$TMP/corpus-$name"
  report="$BUILD/fuzz/$name.report"
  rm -rf "$corpus"
  mkdir -p "$corpus"
  seeds=0
  if [ -d "$ROOT/fuzz/corpus/$name" ]; then
    # Seeds are only read: libFuzzer writes new inputs into this copy.
    cp -R "$ROOT/fuzz/corpus/$name/." "$corpus/"
    seeds=$(find "$corpus" -type f | wc -l)
  fi
  log="$BUILD/fuzz/$name.log"
  printf -- '--- %s (%d s, %d seed inputs)\n' "$name" "$FUZZ_SECONDS" "$seeds" >"$report"
  if timeout $((FUZZ_SECONDS + 120)) "$f" -max_total_time="$FUZZ_SECONDS" -timeout=20 \
       -print_final_stats=1 -artifact_prefix="$BUILD/fuzz/artifacts/$name-" \
       "$corpus" </dev/null >"$log" 2>&1; then
    grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|Done )' "$log" >>"$report" || true
    echo "    corpus after run: $(find "$corpus" -type f | wc -l) inputs" >>"$report"
    echo 0 >"$BUILD/fuzz/$name.status"
  else
    {
      echo "*** $name FAILED; end of $log:"
      tail -n 80 "$log"
      find "$BUILD/fuzz/artifacts" -name "$name-*" | sed "s/^/    artifact: /"
    } >>"$report"
    echo 1 >"$BUILD/fuzz/$name.status"
  fi
}

fuzz() {
  CXX=clang++ cmake -S . -B "$BUILD/fuzz" -G Ninja -DTESSALY_FUZZ=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g"
  cmake --build "$BUILD/fuzz" -j "$JOBS"
  fuzzers=$(find "$BUILD/fuzz" -maxdepth 1 -type f -perm -u+x -name '*_fuzz' | sort)
  failed=
  mkdir -p "$BUILD/fuzz/artifacts"
  rm -f "$BUILD"/fuzz/*.status "$BUILD"/fuzz/*.report
  # Each fuzzer is one process on one core: as many run at once as there are cores.
  running=0
  for f in $fuzzers; do
    fuzz_one "$f" &
    running=$((running + 1))
    if [ "$running" -ge "$JOBS" ]; then
      wait
      running=0
    fi
  done
  wait
  for f in $fuzzers; do
    name=$(basename "$f")
    cat "$BUILD/fuzz/$name.report" || true
    [ "$(cat "$BUILD/fuzz/$name.status" 2>/dev/null)" = 0 ] || failed="$failed $name"
  done
  [ -n "$fuzzers" ] || echo "no fuzz targets (fuzz/*_fuzz.cpp)"
  if [ -n "$failed" ]; then
    echo "fuzzers failed:$failed" >&2
    return 1
  fi
}

# --------------------------------------------------------------------------------------
run_stage dependencies deps
[ $STAGE_RC = 0 ] || exit 1
tessaly_detect_wine_arch
export TESSALY_WINE_ARCH
tessaly_wine_env "$TESSALY_WINE_ARCH"
printf '\nWindows runtime for the cross-built tests: %s (%s)\n' "$TESSALY_WINE_ARCH" \
  "$TESSALY_WINE_ARCH_REASON"
run_stage native-asan native_asan
run_stage native native
run_stage linux-guest linux_guest
if [ "$TESSALY_WINE_ARCH" = win32 ]; then
  run_stage cross cross
  cross_rc=$STAGE_RC
fi
run_stage exe exe
if [ "$TESSALY_WINE_ARCH" = win64 ]; then
  run_stage cross64 cross64
  cross_rc=$STAGE_RC
  CROSS_TESTS_DIR="$BUILD/cross64" SHIPPED_EXE="$BUILD/cross-exe64/tessaly64.exe"
else
  CROSS_TESTS_DIR="$BUILD/cross" SHIPPED_EXE="$BUILD/cross-exe/tessaly.exe"
fi
run_stage exe64 exe64
run_stage release release
run_stage sgshim sgshim
start_xvfb
WINE_STARTED=1
run_stage wine-prefix wine_prefix
if [ $cross_rc = 0 ] && [ $STAGE_RC = 0 ]; then
  run_stage cross-tests cross_tests
else
  skip_stage cross-tests "needs its cross build and wine-prefix"
fi
run_stage fuzz fuzz

[ -z "$FAILED" ]
