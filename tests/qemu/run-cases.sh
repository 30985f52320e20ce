#!/bin/bash
# The QEMU guest test: runs the Linux `tessaly` command in a Linux guest against QEMU's
# emulated SCSI CD drives (scsi-cd on virtio-scsi, USB mass storage and UAS, beside AHCI
# ports) and compares its whole output with tests/qemu/expected/CASE.{stdout,stderr,status}.
#
#   run-cases.sh TESSALY [MACHINE...]        default: every machine
#
# TESSALY must be statically linked. Each machine is one boot with its drives and runs the
# machine's steps: the single-drive machines of the `pc` shape run the program once (the
# tray machine twice: --eject, then --load) and sg_probe, which records how QEMU answered
# the program's commands (tests/qemu/expected/probe-MACHINE.txt); the desktop machines
# (q35 with AHCI controllers, drives on high SCSI host numbers, USB) run several. A run
# labelled "tessaly" is expected in MACHINE.*, any other in MACHINE.LABEL.*.
# Placeholders in the expected files: @DATE@ (the guest's date, "dd Month yyyy"),
# @KERNEL@ and @MACHINE@ (the guest's uname -r and uname -m).
#
# The machine `desktop18` also counts the commands that reach its drives in QEMU's trace
# (see check_commands below).
#
# Environment: TESSALY_QEMU_CACHE (default build/qemu: kernel, probe, images, logs),
# TESSALY_QEMU_TIMEOUT (seconds per boot, default 90), TESSALY_QEMU_ACTUAL (a directory:
# each run's output is also written there as an expected file would hold it, for review).
# QEMU options hold commas: qemu_args=(-device ahci,id=ahci1) is one word each.
# shellcheck disable=SC2054
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
if [ $# -lt 1 ]; then
    echo "usage: $0 TESSALY [MACHINE...]" >&2
    exit 2
fi
program=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
shift
machines=("$@")
[ ${#machines[@]} -gt 0 ] ||
    machines=(pressed-cd empty other-vendor any-maker-other-vendor dvd-image two-drives tray
        desktop12 desktop18)

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
# The hard disk of the desktops: empty, it needs no partition to get its node.
truncate -s 8M "$work/disk.img"
# The DVD machine's image: larger than a CD (DVD_BLOCKS in scenarios/make_scenarios.py), so
# QEMU reports the DVD-ROM profile; sparse, it takes no room.
truncate -s $((409600 * 2048)) "$work/dvd.img" || die "no DVD image"

# medium iso|empty: the -drive argument of a CD drive's medium, named cdN.
medium() {
    local arg="if=none,id=cd$n,media=cdrom"
    [ "$1" = iso ] && arg="$arg,file=$work/disc.iso,format=raw,readonly=on"
    [ "$1" = dvd ] && arg="$arg,file=$work/dvd.img,format=raw,readonly=on"
    qemu_args+=(-drive "$arg")
}

# drive BUS SCSI-ID VENDOR PRODUCT REVISION iso|empty: a scsi-cd on a SCSI bus (virtio
# scsi0.0, or a USB storage device's); QEMU's option syntax doubles commas.
drive() {
    local n=${#qemu_args[@]}
    qemu_args+=(-device "scsi-cd,bus=$1,scsi-id=$2,lun=0,drive=cd$n,vendor=$3,product=$4,ver=$5,serial=QS$2")
    medium "$6"
}

# ide_cd BUS iso|empty, ide_hd BUS: QEMU's ATAPI CD drive (INQUIRY "QEMU", "QEMU DVD-ROM")
# and disk on an AHCI port.
ide_cd() {
    local n=${#qemu_args[@]}
    qemu_args+=(-device "ide-cd,bus=$1,drive=cd$n")
    medium "$2"
}
ide_hd() {
    qemu_args+=(-device "ide-hd,bus=$1,drive=hd$1" -drive "if=none,id=hd$1,file=$work/disk.img,format=raw")
}

# The steps of the single-drive machines: one run of the program (or the tray's two),
# then sg_probe on every sg node when the machine's probe answers are expected.
simple_steps() {
    if [ "$1" = tray ]; then
        printf 'run eject tessaly --eject\nrun load tessaly --load\n'
    elif [ "${1#any-maker-}" != "$1" ]; then
        echo "run tessaly tessaly --any-maker"
    else
        echo "run tessaly tessaly"
    fi
    if [ -f "$here/expected/probe-$1.txt" ]; then
        echo "run probe sg_probe $(seq -s ' ' -f '/dev/sg%g' 0 $(($2 - 1)))"
    fi
}

# machine NAME: the QEMU arguments (qemu_args), the modules its adapters and devices need,
# the devices the guest waits for (want: SCSI devices, CD drives, disks) and the steps
# ($work/NAME.steps) of each machine; for a
# machine whose commands are counted (count-commands.sh), the target and drive number
# --watch watches (watched).
# On the `pc` shape the drives sit on virtio-scsi, SCSI host 0. The desktops are q35 with
# extra AHCI controllers (six ports, six SCSI hosts each; the extra controllers come
# before the built-in one in PCI order, so they take hosts 0 to 5 and 6 to 11).
machine() {
    qemu_args=(-machine pc -device virtio-scsi-pci,id=scsi0)
    modules="virtio_scsi sr_mod sg"
    watched=
    local steps=$work/$1.steps
    case $1 in
        pressed-cd | tray)
            drive scsi0.0 3 VARNOTH "CD-R   VW1210A" 1.04 iso
            want="1 1 0"
            ;;
        empty)
            drive scsi0.0 3 VARNOTH "CD-R   VW1210A" 1.04 empty
            want="1 1 0"
            ;;
        other-vendor | any-maker-other-vendor)
            drive scsi0.0 2 OTHERCO "DVD-ROM X16" 2.00 iso
            want="1 1 0"
            ;;
        dvd-image)
            drive scsi0.0 3 VARNOTH "DVDR   VD0708A" 1.10 dvd
            want="1 1 0"
            ;;
        two-drives)
            # Created in this order; the kernel numbers them by target.
            drive scsi0.0 5 VARNOTH "CD-R   VW2410A" 1.04 empty
            drive scsi0.0 1 VARNOTH "CD-ROM VN40S" 1.10 iso
            want="2 2 0"
            ;;
        desktop12)
            # One extra AHCI controller: its ports are hosts 0-5, the built-in one's 6-11
            # with a disk on port 0 (host 6) and QEMU's ATAPI drive, another maker's, on
            # port 2 (host 8); virtio-scsi host 12 with an empty drive; a UAS drive (USB,
            # its host's proc_name "(null)") host 13.
            qemu_args=(-machine q35 -device ahci,id=ahci1)
            modules="ahci virtio_scsi uas sd_mod sr_mod sg"
            ide_hd ide.0
            ide_cd ide.2 empty
            qemu_args+=(-device virtio-scsi-pci,id=scsi0)
            drive scsi0.0 3 VARNOTH "CD-R   VW1210A" 1.04 empty
            qemu_args+=(-device qemu-xhci,id=xhci -device usb-uas,id=uas0,bus=xhci.0)
            drive uas0.0 0 VARNOTH "CD-R   VW2410AU" 1.00 iso
            want="4 3 1"
            cat >"$steps" <<'EOF'
run list tessaly
run sg tessaly $(sg_of 12:0:3:0)
run disk tessaly $(block_of 6:0:0:0)
run cdrom-user su -s /bin/sh user -c 'exec tessaly'
EOF
            return 0
            ;;
        desktop18)
            # Two extra AHCI controllers and the built-in one: hosts 0-17, no device;
            # virtio-scsi host 18 with two drives; a USB mass-storage (BOT) drive host 19.
            # Control bytes in the INQUIRY texts of the first drive (target 1) and of the
            # USB drive: an escape in the vendor, an escape sequence (with the C1 control
            # 9Bh, CSI, on the USB drive) in the product and the revision. The kernel
            # shows spaces for them in sysfs, where the program reads the texts of a
            # drive on an internal host; the USB drive's come from the program's own
            # INQUIRY as the drive sent them. The ATAPI drives of AHCI do not go through
            # QEMU's SCSI layer: only these drives reach the trace, each on its own target.
            qemu_args=(-machine q35 -device ahci,id=ahci1 -device ahci,id=ahci2)
            modules="ahci virtio_scsi usb-storage sr_mod sg"
            qemu_args+=(-device virtio-scsi-pci,id=scsi0)
            drive scsi0.0 1 $'VARNOTH\e' $'CD-R   VW1210A\a\x9b' $'\e[2J' empty
            drive scsi0.0 3 VARNOTH "CD-R   VW1210A" 1.04 iso
            qemu_args+=(-device qemu-xhci,id=xhci -device usb-bot,id=bot0,bus=xhci.0)
            drive bot0.0 0 $'VARNOTH\e' $'CD-R\e[1mVW4812AU' $'\x9b2J\a' empty
            # scsi_req_parsed and scsi_req_parse_bad (a later -trace would reset the file).
            qemu_args+=(-trace "scsi_req_parse*,file=$cache/logs/$1.trace")
            watched="3 1"
            want="3 3 0"
            cat >"$steps" <<'EOF'
run list tessaly
run node tessaly $(block_of 18:0:3:0)
run usb-node tessaly $(block_of 19:0:0:0)
marks=$(sg_of 18:0:3:0)
mark 1 $marks
run json tessaly --json
mark 2 $marks
sleep 1.5
mark 3 $marks
start watch tessaly --watch --drive 1
sleep 7
mark 4 $marks
remove 18:0:3:0
sleep 1.2
rescan 18
sleep 1.5
stop watch
EOF
            return 0
            ;;
        *) return 1 ;;
    esac
    simple_steps "$1" "${want%% *}" >"$steps"
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

# The guest's facts in a run's output as placeholders.
unfill() {
    sed -e "s|$date|@DATE@|g" -e "s|Linux $kernel_release $machine|Linux @KERNEL@ @MACHINE@|g" "$1"
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

# output LABEL PART: a run's stdout or stderr as the program wrote it.
output() { section "$clean" "$1" "$2" | base64 -d; }

# check_run LABEL: one run's stdout, stderr and exit status against the expected files
# (MACHINE.* for the run labelled tessaly, MACHINE.LABEL.* for the others).
check_run() {
    local label=$1 expected=$here/expected/$name
    [ "$label" = tessaly ] || expected=$expected.$label
    output "$label" stdout >"$work/stdout"
    output "$label" stderr >"$work/stderr"
    status=$(sed -n "/^@@TQ:run-begin $label@@\$/,/^@@TQ:run-end $label@@\$/s/^@@TQ:status \([0-9]*\)@@\$/\1/p" "$clean")
    if [ -n "${TESSALY_QEMU_ACTUAL:-}" ]; then
        mkdir -p "$TESSALY_QEMU_ACTUAL"
        local actual=$TESSALY_QEMU_ACTUAL/${expected##*/}
        unfill "$work/stdout" >"$actual.stdout"
        unfill "$work/stderr" >"$actual.stderr"
        echo "$status" >"$actual.status"
    fi
    if [ "$date_after" != "$date" ] && ! grep -q "$date" "$work/stdout"; then
        date=$date_after
    fi
    if [ ! -f "$expected.status" ]; then
        fail_case "$label: no expected files ${expected##*/}.*"
        ok=0
        return
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

. "$here/count-commands.sh"

start=$(date +%s)
for name in "${machines[@]}"; do
    machine "$name" || die "unknown machine $name"
    case_start=$(date +%s)
    "$here/make-initramfs.sh" "$kernel" "$work/$name.cpio.gz" "$modules" "$want" "$work/$name.steps" \
        "$program" "$probe" || die "no initramfs for $name"
    log=$cache/logs/$name.console
    rm -f "$cache/logs/$name.trace"
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
    if grep -q '^@@TQ:\(insmod-failed\|devices-missing\|mark-failed\)' "$clean"; then
        fail_case "guest set-up: $(grep '^@@TQ:\(insmod-failed\|devices-missing\|mark-failed\)' "$clean")"
        sed -n '/^@@TQ:info-begin@@/,/^@@TQ:info-end@@/p' "$clean"
        continue
    fi

    ok=1
    for label in $(sed -n 's/^\(run\|start\) \([^ ]*\) .*/\2/p' "$work/$name.steps"); do
        if ! grep -q "^@@TQ:run-end $label@@\$" "$clean"; then
            fail_case "$label: the guest did not run it"
            ok=0
        elif [ "$label" != probe ]; then
            check_run "$label"
        fi
    done
    if [ -f "$here/expected/probe-$name.txt" ]; then
        output probe stdout >"$work/probe"
        # What QEMU answered, for the log of every run.
        sed "s/^/  probe: /" "$work/probe"
        grep -v '^#' "$here/expected/probe-$name.txt" >"$work/expected.probe"
        compare "probe-$name.txt (QEMU's answers)" "$work/expected.probe" "$work/probe" || ok=0
    fi
    if [ -n "$watched" ]; then
        output json stdout >"$work/json"
        # shellcheck disable=SC2086 # target and drive number
        check_commands "$cache/logs/$name.trace" "$work/json" $watched || ok=0
    fi
    if [ $ok = 0 ]; then
        echo "fail $name ($(($(date +%s) - case_start)) s)"
        echo "--- guest of $name:"
        sed -n '/^@@TQ:info-begin@@/,/^@@TQ:info-end@@/p' "$clean" | sed '1d;$d'
        echo "--- console tail ($log):"
        grep -v '^@@TQ:\|^[A-Za-z0-9+/=]*$' "$clean" | tail -n 15
    else
        echo "ok   $name ($(($(date +%s) - case_start)) s)"
    fi
done
echo "qemu-guest: ${#machines[@]} machines, $failures failed, $(($(date +%s) - start)) s"
[ $failures = 0 ]
