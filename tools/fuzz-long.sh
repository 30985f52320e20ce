#!/bin/sh
# The long fuzz run: every libFuzzer target (fuzz/*_fuzz.cpp) in turn, one process on one
# core, for SECONDS each (default 600) or until it has run RUNS inputs (default 10 million,
# TESSALY_FUZZ_RUNS), starting from its kept corpus fuzz/corpus/<name>. What a run adds
# to the coverage is then merged into that corpus, minimised: only the new inputs that
# reach edges or features the kept ones do not are added, and no kept input is dropped,
# because each stays a regression test of the native suite.
#
#   tools/fuzz-long.sh [SECONDS]
#
# Prints one Markdown table row per target: inputs run, inputs per second (of the clock and
# of the processor time the fuzzer had), edges reached, and the corpus after the merge
# (inputs, kilobytes). A crash stops nothing: its input is
# kept in build/fuzz-long/artifacts and the script exits non-zero at the end.
# TESSALY_FUZZ_TARGETS="a_fuzz b_fuzz" limits the run to those targets.
set -eu

SECONDS_EACH=${1:-600}
RUNS=${TESSALY_FUZZ_RUNS:-10000000}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD="$ROOT/build/fuzz"
WORK="$ROOT/build/fuzz-long"
cd "$ROOT"

case $SECONDS_EACH in
  '' | *[!0-9]*) echo "usage: tools/fuzz-long.sh [SECONDS]" >&2; exit 2 ;;
esac

# The same build as the test run's fuzz stage.
CXX=${CXX:-clang++} cmake -S . -B "$BUILD" -G Ninja -DTESSALY_FUZZ=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" >/dev/null
cmake --build "$BUILD" -j "${TESSALY_JOBS:-2}" >/dev/null

targets=${TESSALY_FUZZ_TARGETS:-$(for src in fuzz/*_fuzz.cpp; do basename "$src" .cpp; done)}
mkdir -p "$WORK/artifacts"
failed=
rows=
for name in $targets; do
  fuzzer="$BUILD/$name"
  corpus="$ROOT/fuzz/corpus/$name"
  found="$WORK/$name"
  log="$WORK/$name.log"
  rm -rf "$found"
  mkdir -p "$found" "$corpus"
  echo "--- $name: $SECONDS_EACH s or $RUNS inputs, log $log" >&2
  # New inputs go to the first directory; the kept corpus is only read.
  status=0
  /usr/bin/time -f '%U %S' -o "$WORK/$name.cpu" \
    "$fuzzer" -max_total_time="$SECONDS_EACH" -runs="$RUNS" -timeout=20 -print_final_stats=1 \
    -artifact_prefix="$WORK/artifacts/$name-" "$found" "$corpus" </dev/null >"$log" 2>&1 ||
    status=$?
  if [ "$status" != 0 ]; then
    echo "*** $name stopped with status $status; end of $log:" >&2
    tail -n 40 "$log" >&2
    failed="$failed $name"
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  seconds=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log" | tail -n 1)
  edges=$(sed -n 's/^#[0-9].* cov: \([0-9]*\) .*/\1/p' "$log" | tail -n 1)
  # Only what the kept corpus does not already reach is added to it.
  "$fuzzer" -merge=1 "$corpus" "$found" >"$WORK/$name-merge.log" 2>&1 ||
    echo "*** $name: merge failed, see $WORK/$name-merge.log" >&2
  files=$(find "$corpus" -type f | wc -l)
  kbytes=$(du -sk "$corpus" | cut -f1)
  rate='?'
  if [ -n "${runs:-}" ] && [ -n "${seconds:-}" ] && [ "$seconds" -gt 0 ]; then
    rate=$((runs / seconds))
  fi
  # The processor time the fuzzer had (user and system), for a machine other work shares.
  cpu=$(awk 'END { printf "%d", ($1 + $2) * 100 }' "$WORK/$name.cpu" 2>/dev/null || true)
  cpurate='?'
  if [ -n "${runs:-}" ] && [ -n "$cpu" ] && [ "$cpu" -gt 0 ]; then
    cpurate=$((runs * 100 / cpu))
  fi
  rows="$rows$(printf '| %s | %s | %s | %s | %s | %s inputs, %s kB |' "$name" "${runs:-?}" \
    "$rate" "$cpurate" "${edges:-?}" "$files" "$kbytes")
"
done

echo "| Target | Inputs | Per second | Per CPU second | Edges | Corpus |"
echo "|---|---|---|---|---|---|"
printf '%s' "$rows"
if [ -n "$failed" ]; then
  echo "crashed:$failed (inputs in $WORK/artifacts)" >&2
  exit 1
fi
