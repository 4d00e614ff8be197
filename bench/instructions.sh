#!/usr/bin/env bash
# Instruction counts (callgrind) of two builds on one minute of 12 Mbit/s
# traffic (100,000 frames, fixed seed, 1% receive errors): zelmot2txt in its
# decode, full and filter profiles, zelmot-stats (JSON report) and
# zelmot2pcap (pcapng). Unlike wall time on a shared machine, the counts are
# the same every run, so a change of a few percent shows. The outputs of the
# two builds are compared byte for byte as well. The programs run pinned to
# one core (taskset), so that zelmot2txt takes its one-core path, where the
# run's thread writes every line itself. The last two columns are the counts
# per frame read (99,999), start-up and the report's writing included.
#
# Usage: bench/instructions.sh OLD_BUILD_DIR NEW_BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/.."
old=$(realpath "$1")
new=$(realpath "$2")
work=$(mktemp -d "${TMPDIR:-/tmp}/zelmot-instr.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
"$new/zelmot-gen" cap --baud 8 --start 1200 --minutes 1 --frames 100000 --seed 42 --error-rate 0.01 \
    --corrupt-rate 0 >/dev/null
: >decode.opt
printf 'ShowFileOfs\nTmeAbs hr:mn:sc.ms,us,ns\nTmeDelta hr:mn:sc.ms,us,ns\nTmeGap hr:mn:sc.ms,us,ns\nTmeGapAft hr:mn:sc.ms,us,ns\nGrphDelta 20 1ms\nGrphGap 20 100us\nGrphGapAft 20 100us\nDetailSts\nShowFcbTyp\nShowFcs\n' >full.opt
printf 'ShowOnly\nSA == 5\n#\n' >filter.opt
pin=""
command -v taskset >/dev/null && pin="taskset -c 0"
count() {  # build, output file, command words...
    local build=$1 out=$2; shift 2
    $pin valgrind --tool=callgrind --callgrind-out-file=cg.out "$build/$@" >"$out.console" 2>cg.log
    awk '/^summary:/ { print $2 }' cg.out
}
frames=99999  # the capture's 100,000 records less the last, which no frame follows
printf '%-8s %15s %15s %8s %11s %10s\n' profile before after change "before/frm" "after/frm"
row() {  # profile, output produced (a file name, or - for standard output), command words...
    local profile=$1 produced=$2; shift 2
    local b a
    b=$(count "$old" old "$@"); [ "$produced" = - ] && mv old.console old.out || mv "$produced" old.out
    a=$(count "$new" new "$@"); [ "$produced" = - ] && mv new.console new.out || mv "$produced" new.out
    cmp -s old.out new.out || echo "outputs differ: $profile" >&2
    awk -v p="$profile" -v b="$b" -v a="$a" -v n="$frames" \
        'BEGIN { printf "%-8s %15d %15d %+7.2f%% %11.0f %10.0f\n", p, b, a, (a - b) / b * 100, b / n, a / n }'
}
for profile in decode full filter; do row "$profile" "cap1200_$profile.txt" zelmot2txt cap1200 "$profile"; done
row stats - zelmot-stats cap1200 Format=json
row pcapng out.pcapng zelmot2pcap cap1200 out.pcapng
