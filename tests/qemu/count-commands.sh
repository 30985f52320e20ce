# shellcheck shell=bash
# shellcheck disable=SC2154 # work and fail_case come from run-cases.sh
# The commands that reach the drives, from QEMU's trace of the SCSI requests it parses
# (`-trace scsi_req_parsed` and `scsi_req_parse_bad`, the log back end: one line a
# request, "scsi_req_parsed target T lun L tag G command OPCODE dir D length N"; a
# vendor opcode QEMU cannot parse is a scsi_req_parse_bad line), against the commands the
# program says it sent (its --json steps' "commands", "ADAPTER:TARGET CDB..."). Every
# command the kernel adds to the program's own costs a real drive time and may spin its
# disc up: on each open and last close of a CD node the kernel sends commands of its own.
#
# The guest brackets the parts of its steps with marks (sg_probe --mark N sends an
# INQUIRY of 4000 + N bytes through an sg node, which sends nothing else):
#   1-2  one run of `tessaly --json`: for each target, the commands that reached it are at
#        most the program's own plus 5 (one open and last close of its node);
#   2-3  nothing runs: no command reaches a drive (the kernel does not poll the drives
#        by itself, so what the other parts count is the program's doing);
#   3-4  `tessaly --watch --drive N`, from its start until after ten polls or more: the
#        watched target gets the program's start-up and select commands, then the
#        commands of one refresh per poll, and at most 5 others in all: the kernel adds
#        nothing per poll.
# The program's commands are matched in order, each poll as the commands of the first
# step that selects drive N (a tick refreshes the drive's fields as a selection does;
# the --json session selects each drive in turn); the commands left over are the
# kernel's. A REQUEST SENSE the program did not send is the transport's and is counted
# apart: USB mass storage (BOT) has no autosense, so usb-storage asks for the sense of
# every command that fails, the program's included.
#
#   check_commands TRACE JSON TARGET N      (a function for run-cases.sh)
# TARGET is the SCSI target of drive N, the drive --watch watches.
# Prints what it counted; status 1 and a FAIL line for each limit passed.

# Most kernel commands allowed per drive and run; fewest polls the watch part must hold.
KERNEL_COMMANDS=5
WATCH_POLLS=10

# trace_part TRACE FROM TO: the parsed commands between marks FROM and TO, one
# "TARGET OPCODE" a line.
trace_part() {
    awk -v from="$2" -v to="$3" '
        $1 != "scsi_req_parsed" && $1 != "scsi_req_parse_bad" { next }
        {
            delete field
            for (i = 2; i < NF; i++) field[$i] = $(i + 1)
            if ($1 == "scsi_req_parsed" && field["command"] == 18 && field["length"] >= 4000 &&
                field["length"] < 5000) {
                mark = field["length"] - 4000
                if (mark == from) inside = 1
                if (mark == to) exit
                next
            }
            if (inside) print field["target"], field["command"]
        }' "$1"
}

# json_commands JSON [EVENT...]: the program's commands of those steps (the first step of
# each event named; every step when none is), one "TARGET OPCODE" a line, the opcode in
# decimal.
json_commands() {
    local json=$1
    shift
    awk -v events=" $* " '
        /^    {$/ { event = ""; in_commands = 0 }
        /^      "event": / { event = $2; gsub(/[",]/, "", event) }
        /^      "commands": \[/ {
            in_commands = events == "  " || (index(events, " " event " ") && !seen[event]++)
        }
        /^      \]/ { in_commands = 0 }
        in_commands && /^        "[0-9]+(:[0-9]+)+ [0-9a-f][0-9a-f]/ {
            gsub(/[",]/, "")
            n = split($1, address, ":")
            print address[n], ("0x" $2) + 0
        }' "$json"
}

# match_in_order PATTERN-OPCODES REPEAT-OPCODES: reads opcodes from standard input and
# matches them in order against PATTERN then REPEAT over and over; prints the opcodes
# matched in PATTERN, the REPEATs completed and the opcodes left over.
match_in_order() {
    awk -v pattern="$1" -v repeat="$2" '
        BEGIN {
            np = split(pattern, p, " ")
            nr = split(repeat, r, " ")
            i = 1
            k = 1
        }
        i <= np {
            if ($1 == p[i]) i++
            else extra++
            next
        }
        {
            if (nr > 0 && $1 == r[k]) {
                if (++k > nr) {
                    k = 1
                    repeats++
                }
            } else {
                extra++
            }
        }
        END { print i - 1, repeats + 0, extra + 0 }'
}

# without_sense TARGET-OPCODES-FILE OWN-FILE TARGET: the target's opcodes, without the
# REQUEST SENSEs (3) when the program sent none to it.
without_sense() {
    if grep -q "^$3 3\$" "$2"; then
        sed -n "s/^$3 //p" "$1"
    else
        sed -n "s/^$3 //p" "$1" | grep -v '^3$'
    fi
}

check_commands() {
    local trace=$1 json=$2 watched=$3 drive=$4 bad=0 target traced own sense
    local mark
    for mark in 1 2 3 4; do
        if ! grep -q "^scsi_req_parsed .* command 18 dir 1 length 400$mark\$" "$trace" 2>/dev/null; then
            fail_case "mark $mark is not in the trace of the commands ($trace)"
            return 1
        fi
    done
    trace_part "$trace" 1 2 >"$work/commands.run"
    json_commands "$json" >"$work/commands.own"
    for target in $(cut -d' ' -f1 "$work/commands.run" "$work/commands.own" | sort -un); do
        traced=$(without_sense "$work/commands.run" "$work/commands.own" "$target" | wc -l)
        sense=$(($(grep -c "^$target " "$work/commands.run") - traced))
        own=$(grep -c "^$target " "$work/commands.own")
        echo "  commands: one run, target $target: $traced reached the drive" \
            "(and $sense REQUEST SENSE of the transport), $own the program's"
        if [ "$traced" -gt $((own + KERNEL_COMMANDS)) ]; then
            fail_case "one run sent target $target $((traced - own)) commands beyond the program's $own (at most $KERNEL_COMMANDS)"
            bad=1
        fi
    done

    traced=$(trace_part "$trace" 2 3 | wc -l)
    echo "  commands: nothing running: $traced reached the drives"
    if [ "$traced" != 0 ]; then
        fail_case "$traced commands reached the drives while nothing ran"
        bad=1
    fi

    local start select result matched polls extra
    start=$(json_commands "$json" start "select:$drive" | sed -n "s/^$watched //p" | tr '\n' ' ')
    select=$(json_commands "$json" "select:$drive" | sed -n "s/^$watched //p" | tr '\n' ' ')
    if [ -z "$select" ]; then
        fail_case "the program's --json shows no command of a refresh of target $watched"
        return 1
    fi
    trace_part "$trace" 3 4 >"$work/commands.watch"
    result=$(without_sense "$work/commands.watch" "$work/commands.own" "$watched" |
        match_in_order "$start" "$select")
    read -r matched polls extra <<<"$result"
    echo "  commands: --watch, target $watched: start-up $matched of $(wc -w <<<"$start"), $polls polls of $(wc -w <<<"$select"), $extra others"
    if [ "$polls" -lt $WATCH_POLLS ]; then
        fail_case "--watch made $polls polls of the program's own commands, expected $WATCH_POLLS or more"
        bad=1
    fi
    if [ "$extra" -gt $KERNEL_COMMANDS ]; then
        fail_case "--watch sent target $watched $extra commands beyond the program's (at most $KERNEL_COMMANDS)"
        bad=1
    fi
    return $bad
}
