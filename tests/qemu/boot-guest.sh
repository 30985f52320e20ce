#!/bin/bash
# Boots the test guest once under QEMU (software emulation) and saves its console:
#
#   boot-guest.sh KERNEL-DIR INITRD CONSOLE-LOG QEMU-ARG...
#
# The QEMU arguments give the machine (-machine pc or q35), its adapters and the case's
# drives (-device/-drive pairs), and may ask for a trace (-trace). The guest powers
# off when its /init is done; the boot is cut off after TESSALY_QEMU_TIMEOUT seconds
# (default 90). Exit status 0 when the guest reached its "done" marker; otherwise a
# message and the tail of the console on standard error, and status 1.
set -uo pipefail

kernel=$1 initrd=$2 log=$3
shift 3
limit=${TESSALY_QEMU_TIMEOUT:-90}

: >"$log"
timeout "$limit" qemu-system-x86_64 -accel tcg -m 256M -smp 1 -nic none \
    -display none -monitor none -serial "file:$log" -no-reboot \
    -kernel "$kernel/kernel" -initrd "$initrd" \
    -append "console=ttyS0 quiet panic=-1 loglevel=1" \
    "$@" </dev/null >"$log.qemu" 2>&1
status=$?
if grep -aq '@@TQ:done@@' "$log"; then
    exit 0
fi
if [ $status = 124 ]; then
    echo "boot-guest: the guest did not finish within $limit s" >&2
else
    echo "boot-guest: qemu ended with status $status before the guest finished" >&2
fi
if [ -s "$log.qemu" ]; then
    echo "--- qemu:" >&2
    tail -n 20 "$log.qemu" >&2
fi
echo "--- console tail ($log):" >&2
tail -n 40 "$log" | tr -d '\r' | sed 's/\x1b\[[0-9;?]*[a-zA-Z]//g' >&2
exit 1
