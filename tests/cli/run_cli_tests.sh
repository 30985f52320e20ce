#!/bin/sh
# Runs tessaly-sim the way a user of the runner would: every bundled scenario must
# give a JSON document and exit 0, equal field by field to its golden output in
# tests/cli/golden/ for one fixed session, and its text output equal to
# tests/cli/golden-text/; bad input must give exactly one error line on
# standard error that names the problem, and exit 2, never a crash.
#
#   run_cli_tests.sh TESSALY-SIM GOLDEN-DIFF SOURCE-DIR
#
# TESSALY_UPDATE_GOLDENS=1 writes the goldens from the runner's output instead of
# comparing (review their diff before committing it).
set -u
sim="$1"
golden_diff="$2"
root="$3"
goldens="$root/tests/cli/golden"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0

# A scenario named any-maker-*.json is played with --any-maker, the switch that lists
# other makers' drives; without it such a PC has no drive to list.
options_of() {
    case "$(basename "$1")" in
        any-maker-*) echo "--any-maker" ;;
        *) echo "" ;;
    esac
}

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

for scenario in "$root"/scenarios/*.json; do
    [ -e "$scenario" ] || fail "no bundled scenarios"
    # shellcheck disable=SC2046
    "$sim" $(options_of "$scenario") "$scenario" >"$tmp/out.json" 2>"$tmp/err"
    status=$?
    if [ "$status" -ne 0 ]; then
        fail "$scenario: exit status $status: $(cat "$tmp/err")"
        continue
    fi
    grep -q '"steps"' "$tmp/out.json" || fail "$scenario: no steps"
done

# One session over every bundled scenario: start-up, polls, a change to the second item
# (absent on one-drive PCs) and back, eject/load, About, print, print of the second item
# (a page without a drive on one-drive PCs) and close.
session="tick select:1 tick select:0 eject tick about print select:1 print close"
for scenario in "$root"/scenarios/*.json; do
    name=$(basename "$scenario" .json)
    # shellcheck disable=SC2086,SC2046
    "$sim" $(options_of "$scenario") "$scenario" $session >"$tmp/$name.json" 2>"$tmp/err" ||
        { fail "$name: session failed: $(cat "$tmp/err")"; continue; }
    if [ "${TESSALY_UPDATE_GOLDENS:-0}" = 1 ]; then
        mkdir -p "$goldens"
        cp "$tmp/$name.json" "$goldens/$name.json"
        echo "wrote $goldens/$name.json"
    elif [ ! -f "$goldens/$name.json" ]; then
        fail "$name: no golden output $goldens/$name.json"
    elif ! "$golden_diff" "$goldens/$name.json" "$tmp/$name.json" >"$tmp/diff"; then
        fail "$name: output differs from its golden ($session):"
        cat "$tmp/diff"
    fi
done

# The text output (--text, the format of the Linux command tessaly) of every bundled
# scenario, byte for byte against tests/cli/golden-text/; a PC without drives prints
# nothing, one line on standard error and exits 1.
text_goldens="$root/tests/cli/golden-text"
for scenario in "$root"/scenarios/*.json; do
    name=$(basename "$scenario" .json)
    # shellcheck disable=SC2046
    "$sim" $(options_of "$scenario") --text "$scenario" >"$tmp/$name.txt" 2>"$tmp/err"
    status=$?
    if [ "$status" -eq 1 ]; then
        [ -s "$tmp/$name.txt" ] && fail "$name --text: output without drives"
        [ "$(cat "$tmp/err")" = "tessaly-sim: No Varnoth drives detected!" ] ||
            fail "$name --text: want the one no-drive line, got: $(cat "$tmp/err")"
    elif [ "$status" -ne 0 ]; then
        fail "$name --text: exit status $status: $(cat "$tmp/err")"
        continue
    fi
    if [ "${TESSALY_UPDATE_GOLDENS:-0}" = 1 ]; then
        mkdir -p "$text_goldens"
        cp "$tmp/$name.txt" "$text_goldens/$name.txt"
    elif ! cmp -s "$text_goldens/$name.txt" "$tmp/$name.txt"; then
        fail "$name --text: output differs from $text_goldens/$name.txt:"
        diff "$text_goldens/$name.txt" "$tmp/$name.txt" | head -20
    fi
done

# Without the switch, an any-maker PC lists nothing and says so.
for scenario in "$root"/scenarios/any-maker-*.json; do
    [ -e "$scenario" ] || continue
    "$sim" --text "$scenario" >"$tmp/out" 2>"$tmp/err"
    [ $? -eq 1 ] || fail "$(basename "$scenario") without --any-maker: want exit 1"
    [ "$(cat "$tmp/err")" = "tessaly-sim: No Varnoth drives detected!" ] ||
        fail "$(basename "$scenario") without --any-maker: got: $(cat "$tmp/err")"
done

# expect_error NAME FILE-CONTENT EXPECTED-TEXT [EVENT]
expect_error() {
    name="$1"
    printf '%s' "$2" >"$tmp/$name.json"
    shift 3 || true
    "$sim" "$tmp/$name.json" "$@" >"$tmp/out" 2>"$tmp/err"
    status=$?
    [ "$status" -eq 2 ] || fail "$name: exit status $status, want 2"
    [ "$(wc -l <"$tmp/err")" -eq 1 ] || fail "$name: want one error line, got: $(cat "$tmp/err")"
    [ -s "$tmp/out" ] && fail "$name: wrote to standard output"
    return 0
}

expect_error bad_json '{"os": {"platform": 2,' ''
grep -q "bad_json.json" "$tmp/err" || fail "bad_json: error does not name the file"
expect_error no_os '{"aspi": {}}' ''
grep -q "os" "$tmp/err" || fail "no_os: error does not name the missing part"
expect_error unknown_model '{"os": {"platform": 2, "major": 5}, "adapters": [{"bus": "atapi", "devices": [{"target": 0, "drive": {"model": "CD-R   VW9999"}}]}]}' ''
grep -q "VW9999" "$tmp/err" || fail "unknown_model: error does not name the model"
expect_error bad_hex '{"os": {"platform": 2, "major": 5}, "adapters": [{"bus": "atapi", "devices": [{"target": 0, "drive": {"answers": {"12": "0g"}}}]}]}' ''
grep -q "hex" "$tmp/err" || fail "bad_hex: error does not say hex"
expect_error unknown_event '{"os": {"platform": 2, "major": 5}}' '' bogus
grep -q "bogus" "$tmp/err" || fail "unknown_event: error does not name the event"

"$sim" "$tmp/missing.json" >/dev/null 2>"$tmp/err"
[ $? -eq 2 ] || fail "missing file: want exit 2"
grep -q "missing.json" "$tmp/err" || fail "missing file: error does not name the file"

"$sim" >/dev/null 2>&1
[ $? -eq 2 ] || fail "no argument: want exit 2"

[ "$failures" -eq 0 ] && echo "all runner checks passed"
exit "$failures"
