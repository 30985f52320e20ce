#!/bin/bash
# The QEMU guest test: runs the Linux `tessaly` command in a Linux guest against QEMU's
# emulated SCSI CD drives (virtio-scsi, scsi-cd) and compares its whole output with
# tests/qemu/expected/CASE.{stdout,stderr,status}.
#
#   run-cases.sh TESSALY [CASE...]        default: every case
#
# TESSALY must be statically linked. Each case boots the guest once with its drives and
# runs the program once (the tray case twice: --eject, then --load, expected in
# CASE.RUN.*); the single-drive cases also run sg_probe, which records how QEMU answered
# the program's commands (tests/qemu/expected/probe-CASE.txt).
# Placeholders in the expected files: @DATE@ (the guest's date, "dd Month yyyy"),
# @KERNEL@ and @MACHINE@ (the guest's uname -r and uname -m).
#
# Environment: TESSALY_QEMU_CACHE (default build/qemu: kernel, probe, images, logs),
# TESSALY_QEMU_TIMEOUT (seconds per boot, default 60).
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
if [ $# -lt 1 ]; then
    echo "usage: $0 TESSALY [CASE...]" >&2
    exit 2
fi
program=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
shift
cases=("$@")
[ ${#cases[@]} -gt 0 ] ||
    cases=(pressed-cd empty other-vendor any-maker-other-vendor dvd-image two-drives tray)

cache=${TESSALY_QEMU_CACHE:-$root/build/qemu}
mkdir -p "$cache/logs"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The disc of the pressed-CD drives. Its size is part of the expected answers
# (READ CAPACITY, the table of contents): ISO_BLOCKS in scenarios/make_scenarios.py.
ISO_BLOCKS=175

die() {
    echo "qemu-guest: $*" >&2
    exit 1
}

[ -x "$program" ] || die "no program $program"
if readelf -l "$program" 2>/dev/null | grep -q 'Requesting program interpreter'; then
    die "$program is linked dynamically; the guest has no C library"
fi
# In the guest the command is /bin/tessaly, whatever the build named it.
cp "$program" "$work/tessaly" || die "cannot copy $program"
program=$work/tessaly

kernel=$("$here/guest-kernel.sh" "$cache/kernel") || die "no guest kernel"
echo "guest kernel: $(cat "$kernel/release")"

probe=$cache/sg_probe
if [ ! -x "$probe" ] || [ "$here/probe/sg_probe.cpp" -nt "$probe" ]; then
    g++ -std=c++20 -Wall -Wextra -Werror -O2 -static -o "$probe" "$here/probe/sg_probe.cpp" ||
        die "sg_probe does not build"
fi

mkdir -p "$work/disc"
printf 'Tessaly QEMU guest test disc\n' >"$work/disc/README.TXT"
genisoimage -quiet -V TESSALY_TEST -o "$work/disc.iso" "$work/disc" || die "genisoimage failed"
blocks=$(($(stat -c %s "$work/disc.iso") / 2048))
[ "$blocks" = $ISO_BLOCKS ] ||
    die "the disc image has $blocks blocks, the scenarios assume $ISO_BLOCKS"

# The DVD case's image: larger than a CD (DVD_BLOCKS in scenarios/make_scenarios.py), so
# QEMU reports the DVD-ROM profile; sparse, it takes no room.
truncate -s $((409600 * 2048)) "$work/dvd.img" || die "no DVD image"

# drive SCSI-ID VENDOR PRODUCT REVISION iso|dvd|empty: one scsi-cd on the virtio-scsi bus.
drive() {
    local n=${#qemu_args[@]}
    local medium="if=none,id=cd$n,media=cdrom"
    [ "$5" = iso ] && medium="$medium,file=$work/disc.iso,format=raw,readonly=on"
    [ "$5" = dvd ] && medium="$medium,file=$work/dvd.img,format=raw,readonly=on"
    qemu_args+=(-device "scsi-cd,bus=scsi0.0,scsi-id=$1,lun=0,drive=cd$n,vendor=$2,product=$3,ver=$4,serial=QS$1"
        -drive "$medium")
    drives=$((drives + 1))
}

# The drives of each case, in the order QEMU creates them (not target order: the
# program lists by target).
case_drives() {
    qemu_args=()
    drives=0
    case $1 in
        pressed-cd) drive 3 VARNOTH "CD-R   VW1210A" 1.04 iso ;;
        empty) drive 3 VARNOTH "CD-R   VW1210A" 1.04 empty ;;
        tray) drive 3 VARNOTH "CD-R   VW1210A" 1.04 iso ;;
        other-vendor | any-maker-other-vendor) drive 2 OTHERCO "DVD-ROM X16" 2.00 iso ;;
        dvd-image) drive 3 VARNOTH "DVDR   VD0708A" 1.10 dvd ;;
        two-drives)
            drive 5 VARNOTH "CD-R   VW2410A" 1.04 empty
            drive 1 VARNOTH "CD-ROM VN40S" 1.10 iso
            ;;
        *) return 1 ;;
    esac
}

# section LOG NAME: the lines between the guest's markers of one run's part.
section() {
    sed -n "/^@@TQ:run-begin $2@@\$/,/^@@TQ:run-end $2@@\$/p" "$1" |
        sed -n "/^@@TQ:$3@@\$/,/^@@TQ:/p" | sed '1d;$d'
}

info() { sed -n "s/^$2=//p" "$1" | head -n 1; }

# Expected text with the placeholders filled from the guest.
fill() {
    sed -e "s|@DATE@|$date|g" -e "s|@KERNEL@|$kernel_release|g" -e "s|@MACHINE@|$machine|g" "$1"
}

failures=0
fail_case() {
    echo "FAIL $name: $*"
    failures=$((failures + 1))
}

# compare NAME EXPECTED ACTUAL
compare() {
    if ! diff -u --label "expected $1" --label "actual $1" "$2" "$3" >"$work/diff"; then
        fail_case "$1 differs"
        cat "$work/diff"
        return 1
    fi
}

# check_run LABEL: one run's stdout, stderr and exit status against the expected files
# (CASE.* for the case's one run, CASE.LABEL.* for a case of several runs).
check_run() {
    local label=$1 expected=$here/expected/$name
    [ "$label" = tessaly ] || expected=$expected.$label
    section "$clean" "$label" stdout | base64 -d >"$work/stdout"
    section "$clean" "$label" stderr | base64 -d >"$work/stderr"
    status=$(sed -n "/^@@TQ:run-begin $label@@\$/,/^@@TQ:run-end $label@@\$/s/^@@TQ:status \([0-9]*\)@@\$/\1/p" "$clean")
    if [ "$date_after" != "$date" ] && ! grep -q "$date" "$work/stdout"; then
        date=$date_after
    fi
    fill "$expected.stdout" >"$work/expected.stdout"
    fill "$expected.stderr" >"$work/expected.stderr"
    compare "${expected##*/}.stdout" "$work/expected.stdout" "$work/stdout" || ok=0
    compare "${expected##*/}.stderr" "$work/expected.stderr" "$work/stderr" || ok=0
    if [ "$status" != "$(cat "$expected.status")" ]; then
        fail_case "$label: exit status ${status:-none}, expected $(cat "$expected.status")"
        ok=0
    fi
}

start=$(date +%s)
for name in "${cases[@]}"; do
    case_drives "$name" || die "unknown case $name"
    case_start=$(date +%s)
    runs=$work/$name.runs
    if [ "$name" = tray ]; then
        printf 'eject tessaly --eject\nload tessaly --load\n' >"$runs"
    elif [ "${name#any-maker-}" != "$name" ]; then
        echo "tessaly tessaly --any-maker" >"$runs"
    else
        echo "tessaly tessaly" >"$runs"
    fi
    if [ -f "$here/expected/probe-$name.txt" ]; then
        echo "probe sg_probe $(seq -s ' ' -f '/dev/sg%g' 0 $((drives - 1)))" >>"$runs"
    fi
    "$here/make-initramfs.sh" "$kernel" "$work/$name.cpio.gz" "$drives" "$runs" \
        "$program" "$probe" || die "no initramfs for $name"
    log=$cache/logs/$name.console
    if ! "$here/boot-guest.sh" "$kernel" "$work/$name.cpio.gz" "$log" "${qemu_args[@]}"; then
        fail_case "the guest did not finish (console: $log)"
        continue
    fi
    tr -d '\r' <"$log" | sed 's/\x1b\[[0-9;?]*[a-zA-Z]//g' >"$work/$name.log"
    clean=$work/$name.log
    kernel_release=$(info "$clean" kernel)
    machine=$(info "$clean" machine)
    date=$(info "$clean" date)
    # A run across midnight: the program's date may be the later one.
    date_after=$(sed -n 's/^@@TQ:date-after \(.*\)@@$/\1/p' "$clean")
    if grep -q '^@@TQ:\(insmod-failed\|drives-missing\)' "$clean"; then
        fail_case "guest set-up: $(grep '^@@TQ:\(insmod-failed\|drives-missing\)' "$clean")"
        sed -n '/^@@TQ:info-begin@@/,/^@@TQ:info-end@@/p' "$clean"
        continue
    fi

    ok=1
    while read -r label _; do
        [ "$label" = probe ] || check_run "$label"
    done <"$runs"
    if [ -f "$here/expected/probe-$name.txt" ]; then
        section "$clean" probe stdout | base64 -d >"$work/probe"
        # What QEMU answered, for the log of every run.
        sed "s/^/  probe: /" "$work/probe"
        grep -v '^#' "$here/expected/probe-$name.txt" >"$work/expected.probe"
        compare "probe-$name.txt (QEMU's answers)" "$work/expected.probe" "$work/probe" || ok=0
    fi
    if [ $ok = 0 ]; then
        echo "--- guest of $name:"
        sed -n '/^@@TQ:info-begin@@/,/^@@TQ:info-end@@/p' "$clean" | sed '1d;$d'
        echo "--- console tail ($log):"
        grep -v '^@@TQ:\|^[A-Za-z0-9+/=]*$' "$clean" | tail -n 15
    else
        echo "ok   $name ($(($(date +%s) - case_start)) s)"
    fi
done
echo "qemu-guest: ${#cases[@]} cases, $failures failed, $(($(date +%s) - start)) s"
[ $failures = 0 ]
