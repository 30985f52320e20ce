#!/bin/sh
# Build the headless runner and run the program's main job on a virtual-PC scenario:
# by default the readable text output (what the Linux command tessaly prints: the drive
# list, each drive's fields and the information report), with --json the runner's JSON
# steps.
#
#   tools/ci/run.sh [SCENARIO.json]                  text, scenarios/default.json
#   tools/ci/run.sh --json [SCENARIO.json [EVENT...]] JSON; extra arguments are events
set -eu

ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD="$ROOT/build/native"

json=0
if [ "${1:-}" = --json ]; then
  json=1
  shift
fi
if [ "$json" = 0 ] && [ $# -gt 1 ]; then
  echo "run.sh: events go with --json: tools/ci/run.sh --json SCENARIO.json EVENT..." >&2
  exit 2
fi

"$ROOT/tools/ci/install-deps.sh" --native >&2
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >&2
cmake --build "$BUILD" -j "$(nproc)" --target tessaly-sim >&2

if [ $# -eq 0 ]; then
  set -- "$ROOT/scenarios/default.json"
fi
if [ "$json" = 1 ]; then
  exec "$BUILD/tessaly-sim" "$@"
fi
exec "$BUILD/tessaly-sim" --text "$@"
