#!/bin/sh
# The command line every Linux user tries first, on tessaly and tessaly-sim alike:
# --help and -h print the same usage on standard output and exit 0, --version prints
# "NAME VERSION" and exits 0, a bad option exits 2 with the error and a pointer to
# --help on standard error and nothing on standard output. The usage must name every
# option of OPTIONS. For tessaly (BUILD "pdf", or "static" for the build without PDF
# output) also: options that do not go together, device arguments that are no CD drive,
# --json's errors, and a failed write to standard output.
#
#   check_command_line.sh PROGRAM NAME VERSION "OPTION..." [BUILD]
set -u
program="$1"
name="$2"
version="$3"
options="$4"
build="${5:-}"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0

fail() {
    echo "FAIL: $name $*"
    failures=$((failures + 1))
}

# WHO|ARGUMENTS|STATUS|STANDARD OUTPUT|STANDARD ERROR; WHO is "all" for every program,
# "tessaly" for both builds of tessaly, "pdf" or "static" for one of them; "usage" is the
# usage text, whose first line names the program; "" is nothing.
try="\\nTry '$name --help'."
while IFS='|' read -r who arguments want_status want_out want_err; do
    [ -n "$arguments" ] || continue
    case "$who" in
        all) ;;
        tessaly) [ -n "$build" ] || continue ;;
        *) [ "$who" = "$build" ] || continue ;;
    esac
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
all|--help|0|usage|
all|-h|0|usage|
all|--version|0|$name $version|
all|--frobnicate|2||$name: unknown option --frobnicate$try
all|-x|2||$name: unknown option -x$try
tessaly|--json --watch|2||$name: --json, --watch, --eject and --load exclude each other$try
tessaly|--json --report-pdf r.pdf|2||$name: --report-pdf goes with the plain listing, not with --json$try
tessaly|--report-pdf r.pdf --watch|2||$name: --report-pdf goes with the plain listing, not with --watch$try
tessaly|--eject --report-pdf r.pdf|2||$name: --report-pdf goes with the plain listing, not with --eject$try
tessaly|--load --report-pdf r.pdf|2||$name: --report-pdf goes with the plain listing, not with --load$try
tessaly|--drive 1|2||$name: --drive chooses the drive of --watch, --eject, --load or --report-pdf; the listing shows every drive$try
tessaly|--json --drive 1|2||$name: --drive chooses the drive of --watch, --eject, --load or --report-pdf; --json reads every drive$try
tessaly|--watch --drive 1 --drive 2|2||$name: --drive is given twice$try
static|--report-pdf r.pdf|2||$name: --report-pdf: this build of tessaly has no PDF output (it is built without cairo, as the static one of the .tar.gz is); the tessaly of the Debian package tessaly_$version-1_amd64.deb writes PDF files$try
tessaly|$tmp/none|1||$name: $tmp/none: no such file
tessaly|$tmp|1||$name: $tmp is a folder, not a device
tessaly|/dev/null|1||$name: /dev/null is a character device that is no SCSI device, not a CD drive
EOF

if [ -n "$build" ]; then
    # --json says what standard error says, as JSON.
    "$program" --json "$tmp/none" >"$tmp/out" 2>"$tmp/err"
    status=$?
    [ "$status" -eq 1 ] || fail "--json $tmp/none: exit status $status, want 1"
    tr -d ' \n' <"$tmp/out" | grep -qF "\"steps\":[],\"errors\":[\"$tmp/none:nosuchfile\"],\"notes\":[]" ||
        fail "--json $tmp/none: standard output $(cat "$tmp/out")"
    # A write to standard output that fails is an error.
    for arguments in --version --help; do
        "$program" $arguments >/dev/full 2>"$tmp/err"
        status=$?
        [ "$status" -eq 1 ] || fail "$arguments >/dev/full: exit status $status, want 1"
        grep -qx "$name: cannot write the output: No space left on device" "$tmp/err" ||
            fail "$arguments >/dev/full: standard error \"$(cat "$tmp/err")\""
    done
fi

cmp -s "$tmp/usage.--help" "$tmp/usage.-h" || fail "-h and --help print different texts"
for option in $options; do
    grep -qF -- "$option" "$tmp/usage.--help" || fail "--help does not name $option"
done

[ "$failures" -eq 0 ] && echo "$name: command-line checks passed"
exit "$failures"
