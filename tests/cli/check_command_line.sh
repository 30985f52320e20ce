#!/bin/sh
# The command line every Linux user tries first, on tessaly and tessaly-sim alike:
# --help and -h print the same usage on standard output and exit 0, --version prints
# "NAME VERSION" and exits 0, a bad option exits 2 with the error and a pointer to
# --help on standard error and nothing on standard output. The usage must name every
# option of OPTIONS.
#
#   check_command_line.sh PROGRAM NAME VERSION "OPTION..."
set -u
program="$1"
name="$2"
version="$3"
options="$4"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0

fail() {
    echo "FAIL: $name $*"
    failures=$((failures + 1))
}

# ARGUMENTS|STATUS|STANDARD OUTPUT|STANDARD ERROR; "usage" is the usage text, whose first
# line names the program; "" is nothing.
while IFS='|' read -r arguments want_status want_out want_err; do
    [ -n "$arguments" ] || continue
    # shellcheck disable=SC2086
    "$program" $arguments >"$tmp/out" 2>"$tmp/err"
    status=$?
    [ "$status" -eq "$want_status" ] || fail "$arguments: exit status $status, want $want_status"
    case "$want_out" in
        usage)
            head -n 1 "$tmp/out" | grep -qi "^usage: $name " ||
                fail "$arguments: no usage line on standard output: $(head -n 1 "$tmp/out")"
            cp "$tmp/out" "$tmp/usage.$arguments" ;;
        *)
            [ "$(cat "$tmp/out")" = "$want_out" ] ||
                fail "$arguments: standard output \"$(cat "$tmp/out")\", want \"$want_out\"" ;;
    esac
    [ "$(cat "$tmp/err")" = "$(printf '%b' "$want_err")" ] ||
        fail "$arguments: standard error \"$(cat "$tmp/err")\", want \"$want_err\""
done <<EOF
--help|0|usage|
-h|0|usage|
--version|0|$name $version|
--frobnicate|2||$name: unknown option --frobnicate\nTry '$name --help'.
-x|2||$name: unknown option -x\nTry '$name --help'.
EOF

cmp -s "$tmp/usage.--help" "$tmp/usage.-h" || fail "-h and --help print different texts"
for option in $options; do
    grep -qF -- "$option" "$tmp/usage.--help" || fail "--help does not name $option"
done

[ "$failures" -eq 0 ] && echo "$name: command-line checks passed"
exit "$failures"
