#!/usr/bin/env bash
# Scaling of zelmot2txt with the cores it may run on, with the capture and
# the output in memory (tmpfs, /dev/shm by default). On the benchmark capture
# (10 per-minute files at 12 Mbit/s, fixed seed, 1% receive errors) and in
# three profiles (decode: empty option file; full: every column; filter:
# ShowOnly SA == 5) it alternates, run by run:
#   1 core   taskset -c 0 zelmot2txt ...
#   N cores  zelmot2txt ...            (every core the shell may run on)
#   copy     dd bs=256K of the output just written, to a new file beside it
#   base     a second build's zelmot2txt on N cores (with --base)
# so that a load on the machine that comes and goes falls on all alike. It
# reports the medians, frames per second, the ratio of 1 core to N cores,
# the ratio of N cores to the copy (and to the base build), the CPU time
# (user + system, every thread) on 1 and N cores, the peak resident memory
# of each and the load average after each profile, and checks that all
# outputs are identical. Wall times only mean something at a load average
# well below 1; the CPU times say what the second core costs in work. A
# last table gives the fastest run of each (1 core, N cores, the copy):
# on a virtual machine whose memory is slow now and then (a copy of the same
# file took 0.28 s in one run and 2.4 s in the next), what each does when
# undisturbed. Before the first profile and after the last it runs the decode
# profile pinned to each core in turn (fastest of three): a host that gives
# one virtual core less time than the other (seen here: 0.23 s on one, 0.37 s
# on the other, for minutes at a time) makes the two-core figures meaningless,
# and the script says so.
#
# Usage: bench/cores.sh [--runs N] [--build DIR] [--base DIR] [--work DIR] [--smoke]
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/timing.sh

runs=7
minutes=10
frames=520000
build=build
base=""
work_parent=/dev/shm
while [ $# -gt 0 ]; do
    case "$1" in
        --runs) runs="$2"; shift ;;
        --build) build="$2"; shift ;;
        --base) base="$2"; shift ;;
        --work) work_parent="$2"; shift ;;
        --smoke) runs=1; minutes=2; frames=2000 ;;
        *) echo "unknown argument: $1" >&2; exit 2 ;;
    esac
    shift
done
tool=$(realpath "$build/zelmot2txt")
gen=$(realpath "$build/zelmot-gen")
[ -n "$base" ] && base=$(realpath "$base/zelmot2txt")
[ -d "$work_parent" ] || work_parent="${TMPDIR:-/tmp}"
work=$(mktemp -d "$work_parent/zelmot-cores.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

"$gen" cap --baud 8 --start 1200 --minutes "$minutes" --frames "$frames" --seed 42 \
    --error-rate 0.01 --corrupt-rate 0 >/dev/null
: >decode.opt
printf 'ShowFileOfs\nTmeAbs hr:mn:sc.ms,us,ns\nTmeDelta hr:mn:sc.ms,us,ns\nTmeGap hr:mn:sc.ms,us,ns\nTmeGapAft hr:mn:sc.ms,us,ns\nGrphDelta 20 1ms\nGrphGap 20 100us\nGrphGapAft 20 100us\nDetailSts\nShowFcbTyp\nShowFcs\n' >full.opt
printf 'ShowOnly\nSA == 5\n#\n' >filter.opt

cores=$(nproc)
peak() { /usr/bin/time -f %M "$@" cap1200 "$profile" NumMin="$minutes" 2>&1 >/dev/null | tail -n 1; }  # KiB
convert() { "$@" cap1200 "$profile" NumMin="$minutes"; }

frames_read=$(( minutes * frames - 1 ))
core_speeds() {  # when: the decode profile pinned to each core, fastest of three runs
    local when=$1 c i times=() line="" slowest=0 fastest=0
    for c in $(taskset -c -p $$ | sed 's/.*: //' | tr ',' ' ' | xargs -n1 | awk -F- 'NF == 2 { for (i = $1; i <= $2; i++) print i; next } { print }'); do
        times=()
        for i in 1 2 3; do times+=("$(profile=decode seconds convert taskset -c "$c" "$tool")"); done
        t=$(printf '%s\n' "${times[@]}" | least)
        line+=" core $c $(awk -v t="$t" 'BEGIN { printf "%.3f", t }') s;"
        slowest=$(awk -v a="$slowest" -v b="$t" 'BEGIN { print (b > a) ? b : a }')
        fastest=$(awk -v a="$fastest" -v b="$t" 'BEGIN { print (a == 0 || b < a) ? b : a }')
    done
    rm -f cap1200_decode.txt
    echo "one core each, decode, $when:$line"
    awk -v s="$slowest" -v f="$fastest" 'BEGIN { if (s > 1.15 * f) print "WARNING: the cores ran at unequal speed (the host); the two-core figures mean little" }'
}
core_speeds "before"
echo "load average at start: $(cut -d' ' -f1-3 /proc/loadavg); $cores cores; $runs runs per figure (median)"
printf '%-7s %9s %9s %9s %9s %12s %12s %7s %8s %9s %13s %14s %6s\n' profile "1 core s" "$cores cores" "dd s" \
    "base s" "frames/s 1" "frames/s $cores" "speedup" "x dd" "x base" "CPU s 1/$cores" "RSS 1/$cores" load
best=()
for profile in decode full filter; do
    out="cap1200_$profile.txt"
    one=() many=() copy=() old=() cpu1=() cpun=()
    for ((i = 0; i < runs; i++)); do
        read -r t c <<<"$(timed convert taskset -c 0 "$tool")"
        one+=("$t") cpu1+=("$c")
        mv "$out" one.txt
        read -r t c <<<"$(timed convert "$tool")"
        many+=("$t") cpun+=("$c")
        cmp -s one.txt "$out" || { echo "outputs differ: $profile, 1 and $cores cores" >&2; exit 1; }
        rm -f copy.txt
        copy+=("$(seconds dd if="$out" of=copy.txt bs=256K status=none)")
        rm -f copy.txt
        if [ -n "$base" ]; then
            old+=("$(seconds convert "$base")")
            cmp -s one.txt "$out" || { echo "outputs differ: $profile, base build" >&2; exit 1; }
        fi
        rm -f one.txt
    done
    t1=$(printf '%s\n' "${one[@]}" | median)
    tn=$(printf '%s\n' "${many[@]}" | median)
    td=$(printf '%s\n' "${copy[@]}" | median)
    c1=$(printf '%s\n' "${cpu1[@]}" | median)
    cn=$(printf '%s\n' "${cpun[@]}" | median)
    tb=0
    [ -n "$base" ] && tb=$(printf '%s\n' "${old[@]}" | median)
    k1=$(peak taskset -c 0 "$tool")
    kn=$(peak "$tool")
    load=$(cut -d' ' -f1 /proc/loadavg)
    awk -v p="$profile" -v t1="$t1" -v tn="$tn" -v td="$td" -v tb="$tb" -v n="$frames_read" \
        -v c1="$c1" -v cn="$cn" -v k1="$k1" -v kn="$kn" -v load="$load" 'BEGIN {
        printf "%-7s %9.3f %9.3f %9.3f %9s %11.2fM %11.2fM %6.2fx %7.2fx %9s %6.3f/%.3f %5.1f/%.1fMiB %6s\n", p, t1,
            tn, td, (tb > 0 ? sprintf("%.3f", tb) : "-"), n / t1 / 1e6, n / tn / 1e6, t1 / tn, tn / td,
            (tb > 0 ? sprintf("%.2fx", tn / tb) : "-"), c1, cn, k1 / 1024, kn / 1024, load }'
    best+=("$(printf '%s %s %s %s' "$profile" "$(printf '%s\n' "${one[@]}" | least)" \
        "$(printf '%s\n' "${many[@]}" | least)" "$(printf '%s\n' "${copy[@]}" | least)")")
    rm -f "$out"
done
core_speeds "after"
echo "load average at end: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "fastest run of each:"
printf '%-7s %9s %9s %9s %7s %8s\n' profile "1 core s" "$cores cores" "dd s" speedup "x dd"
for row in "${best[@]}"; do
    awk -v r="$row" 'BEGIN { split(r, f, " "); printf "%-7s %9.3f %9.3f %9.3f %6.2fx %7.2fx\n", f[1], f[2], f[3], f[4],
        f[2] / f[3], f[3] / f[4] }'
done
