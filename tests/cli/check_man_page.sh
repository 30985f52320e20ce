#!/bin/sh
# The man page: groff reads it without a single warning, it has the sections a reader
# looks for, its header carries the program's version, and it describes every option.
#
#   check_man_page.sh PAGE.1 NAME VERSION "OPTION..."
set -u
page="$1"
name="$2"
version="$3"
options="$4"
failures=0

fail() {
    echo "FAIL: $page: $*"
    failures=$((failures + 1))
}

if ! command -v groff >/dev/null; then
    fail "groff is not installed (package groff-base)"
    exit 1
fi
warnings=$(LC_ALL=C.UTF-8 groff -ww -man -z "$page" 2>&1) || fail "groff failed"
[ -z "$warnings" ] || fail "groff warns: $warnings"

for section in NAME SYNOPSIS DESCRIPTION OPTIONS "EXIT STATUS" FILES PERMISSIONS EXAMPLES \
    "SEE ALSO"; do
    grep -qx "\\.SH \"\\?$section\"\\?" "$page" || fail "no section $section"
done
grep -q "^\\.TH .*\"$name $version\"" "$page" || fail ".TH does not name $name $version"
# Options are written with escaped hyphens (\-\-json).
for option in $options; do
    escaped=$(printf '%s' "$option" | sed 's/-/\\-/g')
    grep -qF -- "$escaped" "$page" || fail "does not describe $option"
done

[ "$failures" -eq 0 ] && echo "$page: man page checks passed"
exit "$failures"
