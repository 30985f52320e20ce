#!/bin/sh
# Checks that the scenarios of the QEMU guest cases predict the expected outputs: the
# runner's text output (what the Linux command prints for the scenario's machine) must
# equal tests/qemu/expected/CASE.{stdout,stderr,status}, with the scenario's date and
# Windows version line standing for the guest's (@DATE@, @KERNEL@, @MACHINE@) and the
# runner's name for the command's.
#
#   check-scenarios.sh TESSALY-SIM
set -u
sim=$1
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0

for scenario in "$here"/scenarios/*.json; do
    name=$(basename "$scenario" .json)
    # The any-maker-* cases run the command with --any-maker.
    option=
    case $name in any-maker-*) option=--any-maker ;; esac
    # shellcheck disable=SC2086
    "$sim" $option --text "$scenario" >"$tmp/stdout" 2>"$tmp/stderr"
    echo $? >"$tmp/status"
    sed -e 's/^\(  Copyright .*  \)14 May 2003$/\1@DATE@/' \
        -e 's/^  Operating system: .*$/  Operating system: Linux @KERNEL@ @MACHINE@/' \
        "$tmp/stdout" >"$tmp/stdout.filled"
    sed 's/^tessaly-sim: /tessaly: /' "$tmp/stderr" >"$tmp/stderr.filled"
    for part in stdout stderr status; do
        actual=$tmp/$part
        [ "$part" = status ] || actual=$tmp/$part.filled
        if ! diff -u --label "expected $name.$part" --label "scenario $name.$part" \
            "$here/expected/$name.$part" "$actual"; then
            failures=$((failures + 1))
        fi
    done
done
[ -e "$here/scenarios/pressed-cd.json" ] || { echo "no scenarios in $here/scenarios"; exit 1; }
echo "check-scenarios: $failures differences"
[ $failures = 0 ]
