#!/bin/sh
# Build the headless runner and run the program's main job on a virtual-PC scenario,
# printing the runner's JSON.
#
#   tools/ci/run.sh                          scenarios/default.json
#   tools/ci/run.sh SCENARIO.json [EVENT...]  another scenario; extra arguments are events
set -eu

ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD="$ROOT/build/native"

"$ROOT/tools/ci/install-deps.sh" --native >&2
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >&2
cmake --build "$BUILD" -j "$(nproc)" --target tessaly-sim >&2

if [ $# -eq 0 ]; then
  set -- "$ROOT/scenarios/default.json"
fi
exec "$BUILD/tessaly-sim" "$@"
