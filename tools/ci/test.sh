#!/bin/sh
# Run every Tessaly test: installs what is missing, then builds and runs
#   native-asan  native Debug build with ASan+UBSan, all GoogleTest and CLI tests
#   native       native RelWithDebInfo: tessaly-sim, and the benchmarks (run briefly)
#   cross        i686 mingw-w64 static build; its tests run under Wine (build/wineprefix)
#   fuzz         clang/libFuzzer targets, each run for a few seconds
# Exits non-zero on the first failing stage (all fuzzers are run before failing).
set -eu

ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD="$ROOT/build"
JOBS=$(nproc)
FUZZ_SECONDS=${TESSALY_FUZZ_SECONDS:-5}
cd "$ROOT"

# Deterministic locale for everything below, Wine included.
export LC_ALL=C.UTF-8 LANG=C.UTF-8
export UBSAN_OPTIONS=print_stacktrace=1

STAGE=
STAGE_START=0
SUMMARY=
RUN_START=$(date +%s)
XVFB_PID=
WINE_STARTED=0
TMP=$(mktemp -d)

stage() {
  end_stage
  STAGE=$1
  STAGE_START=$(date +%s)
  printf '\n==== %s ====\n' "$STAGE"
}

end_stage() {
  if [ -n "$STAGE" ]; then
    d=$(( $(date +%s) - STAGE_START ))
    printf '==== %s: done in %d s ====\n' "$STAGE" "$d"
    SUMMARY="$SUMMARY$(printf '  %-14s %4d s' "$STAGE" "$d")
"
    STAGE=
  fi
}

cleanup() {
  rc=$1
  trap - EXIT
  if [ "$WINE_STARTED" = 1 ]; then
    WINEPREFIX="$BUILD/wineprefix" WINEARCH=win32 wineserver -k 2>/dev/null || true
  fi
  if [ -n "$XVFB_PID" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
  fi
  rm -rf "$TMP"
  if [ "$rc" = 0 ]; then
    end_stage
  elif [ -n "$STAGE" ]; then
    printf '==== %s: FAILED after %d s ====\n' "$STAGE" $(( $(date +%s) - STAGE_START ))
  fi
  printf '\n==== summary ====\n%s  total          %4d s\n' "$SUMMARY" \
    $(( $(date +%s) - RUN_START ))
  if [ "$rc" = 0 ]; then echo "ALL TESTS PASSED"; else echo "FAILED (exit $rc)"; fi
  exit "$rc"
}
trap 'cleanup $?' EXIT
trap 'exit 130' INT TERM

has_target() { # build-dir target
  ninja -C "$1" -t targets all 2>/dev/null | grep -q "^$2:"
}

# --------------------------------------------------------------------------------------
stage "dependencies"
"$ROOT/tools/ci/install-deps.sh"

# --------------------------------------------------------------------------------------
stage "native-asan"
cmake -S . -B "$BUILD/native-asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTESSALY_SANITIZE=ON
cmake --build "$BUILD/native-asan" -j "$JOBS"
ctest --test-dir "$BUILD/native-asan" --output-on-failure --no-tests=error -j "$JOBS" \
  --timeout 300

# --------------------------------------------------------------------------------------
stage "native"
cmake -S . -B "$BUILD/native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
TARGETS=tessaly-sim
if has_target "$BUILD/native" tessaly_bench; then TARGETS="$TARGETS tessaly_bench"; fi
# shellcheck disable=SC2086
cmake --build "$BUILD/native" -j "$JOBS" --target $TARGETS
if [ -x "$BUILD/native/tessaly_bench" ]; then
  "$BUILD/native/tessaly_bench" --benchmark_min_time=0.05
else
  echo "no benchmarks built (bench/*.cpp or libbenchmark-dev missing)"
fi

# --------------------------------------------------------------------------------------
stage "cross"
cmake -S . -B "$BUILD/cross" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-mingw32.cmake" -DTESSALY_BENCH=OFF
cmake --build "$BUILD/cross" -j "$JOBS"

stage "wine-prefix"
# A private X server, so GUI code under test has a display and nothing reaches the
# user's own screen.
n=99
while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp </dev/null >"$TMP/xvfb.log" 2>&1 &
XVFB_PID=$!
i=0
until [ -e "/tmp/.X11-unix/X$n" ]; do
  i=$((i + 1))
  if [ $i -gt 100 ] || ! kill -0 "$XVFB_PID" 2>/dev/null; then
    cat "$TMP/xvfb.log" >&2; echo "Xvfb :$n did not start" >&2; exit 1
  fi
  sleep 0.1
done
export DISPLAY=":$n"
echo "Xvfb on $DISPLAY (pid $XVFB_PID)"
WINE_STARTED=1
"$ROOT/tools/ci/wine-prefix.sh"

stage "cross-tests"
ctest --test-dir "$BUILD/cross" --output-on-failure --no-tests=error -j "$JOBS" --timeout 300

# --------------------------------------------------------------------------------------
stage "fuzz"
CXX=clang++ cmake -S . -B "$BUILD/fuzz" -G Ninja -DTESSALY_FUZZ=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g"
cmake --build "$BUILD/fuzz" -j "$JOBS"
FUZZERS=$(find "$BUILD/fuzz" -maxdepth 1 -type f -perm -u+x -name '*_fuzz' | sort)
FUZZ_FAILED=
mkdir -p "$BUILD/fuzz/artifacts"
for f in $FUZZERS; do
  name=$(basename "$f")
  corpus="$TMP/corpus-$name"
  mkdir -p "$corpus"
  seeds=0
  if [ -d "$ROOT/fuzz/corpus/$name" ]; then
    cp -R "$ROOT/fuzz/corpus/$name/." "$corpus/"
    seeds=$(find "$corpus" -type f | wc -l)
  fi
  log="$BUILD/fuzz/$name.log"
  printf -- '--- %s (%d s, %d seed inputs)\n' "$name" "$FUZZ_SECONDS" "$seeds"
  if timeout $((FUZZ_SECONDS + 120)) "$f" -max_total_time="$FUZZ_SECONDS" -timeout=20 \
       -print_final_stats=1 -artifact_prefix="$BUILD/fuzz/artifacts/$name-" \
       "$corpus" </dev/null >"$log" 2>&1; then
    grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|Done )' "$log" || true
    echo "    corpus after run: $(find "$corpus" -type f | wc -l) inputs"
  else
    echo "*** $name FAILED; end of $log:"
    tail -n 80 "$log"
    find "$BUILD/fuzz/artifacts" -name "$name-*" | sed "s/^/    artifact: /"
    FUZZ_FAILED="$FUZZ_FAILED $name"
  fi
done
[ -n "$FUZZERS" ] || echo "no fuzz targets (fuzz/*_fuzz.cpp)"
if [ -n "$FUZZ_FAILED" ]; then
  echo "fuzzers failed:$FUZZ_FAILED" >&2
  exit 1
fi
