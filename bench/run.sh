#!/usr/bin/env bash
# Conversion benchmark: generates a run of 10 per-minute capture files at
# 12 Mbit/s (fixed seed, over 5 million frames) and times three profiles,
# each as the median of several runs:
#   decode  an empty option file (status and FDL columns only)
#   full    every column, all time columns and graphs
#   filter  a ShowOnly equation that passes about 1% of the frames
# and then the pcap export (zelmot2pcap) of the same run in two profiles:
#   pcapng  Format=pcapng Link=profibus (the default)
#   pcap0   Format=pcap Link=user0
# For each it prints frames per second, output MB/s, peak resident memory and
# the ratio of the conversion time to a reference measured in the same run:
# the time `cat` takes to copy the produced output file to a new file on the
# same disk (decode, full), or to read all capture files to /dev/null (filter).
# A second ratio against a plain user-space copy (`dd bs=256K`) is shown too:
# this machine's cat copies through copy_file_range, inside the kernel.
# Then zelmot-stats reads the same capture (JSON report to /dev/null): its
# frames per second beside the decode profile's, and its peak resident memory.
#
# Usage: bench/run.sh [--smoke] [--runs N] [--build DIR] [--work DIR]
#   --smoke  a tiny capture and one run: checks that the script works (CI)
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/timing.sh

runs=5
minutes=10
frames=520000
build=build
work=""
while [ $# -gt 0 ]; do
    case "$1" in
        --smoke) runs=1; minutes=2; frames=2000 ;;
        --runs) runs="$2"; shift ;;
        --build) build="$2"; shift ;;
        --work) work="$2"; shift ;;
        *) echo "unknown argument: $1" >&2; exit 2 ;;
    esac
    shift
done

tool="$build/zelmot2txt"
gen="$build/zelmot-gen"
exporter="$build/zelmot2pcap"
if [ ! -x "$tool" ] || [ ! -x "$gen" ]; then
    echo "build first: cmake -S . -B $build && cmake --build $build" >&2
    exit 2
fi
tool=$(realpath "$tool")
gen=$(realpath "$gen")
[ -x "$exporter" ] && exporter=$(realpath "$exporter") || exporter=""
stats_tool=""
[ -x "$build/zelmot-stats" ] && stats_tool=$(realpath "$build/zelmot-stats")
if [ -z "$work" ]; then
    work=$(mktemp -d "${TMPDIR:-/tmp}/zelmot-bench.XXXXXX")
    trap 'rm -rf "$work"' EXIT
fi
mkdir -p "$work"
cd "$work"

"$gen" cap --baud 8 --start 1200 --minutes "$minutes" --frames "$frames" --seed 42 \
    --error-rate 0.01 --corrupt-rate 0 >gen.log
captures=(cap*.Zelmot)
capture_bytes=$(cat "${captures[@]}" | wc -c)

: >decode.opt
cat >full.opt <<'EOF'
ShowFileOfs
TmeAbs    hr:mn:sc.ms,us,ns
TmeDelta  hr:mn:sc.ms,us,ns
TmeGap    hr:mn:sc.ms,us,ns
TmeGapAft hr:mn:sc.ms,us,ns
GrphDelta  20 1ms
GrphGap    20 100us
GrphGapAft 20 100us
DetailSts
ShowFcbTyp
ShowFcs
EOF
cat >filter.opt <<'EOF'
; frames with receive errors: about 1% of this capture
ShowOnly
STS <> STSOK
#
EOF


quiet() { "$@" 2>/dev/null; }  # the exporter's result line goes to standard error

has_time=0
[ -x /usr/bin/time ] && has_time=1

frames_read=""
printf '%-7s %10s %12s %10s %9s %10s %12s %12s\n' profile seconds frames/s "MB/s out" "peak KiB" output "x cat" "x dd copy"
for profile in decode full filter; do
    out="cap1200_$profile.txt"
    times=()
    for ((i = 0; i < runs; i++)); do
        rm -f "$out"
        times+=("$(seconds "$tool" cap1200 "$profile" NumMin="$minutes")")
    done
    t=$(printf '%s\n' "${times[@]}" | median)
    [ "$profile" = decode ] && decode_t=$t
    peak="n/a"
    if [ $has_time -eq 1 ]; then
        rm -f "$out"
        peak=$(/usr/bin/time -f %M "$tool" cap1200 "$profile" NumMin="$minutes" 2>&1 >/dev/null | tail -n 1)
    fi
    out_bytes=$(wc -c <"$out")
    if [ -z "$frames_read" ]; then
        frames_read=$(grep -c -E '^ {0,8}[0-9]+: ' "$out" || true)
    fi
    cat_times=()
    dd_times=()
    for ((i = 0; i < runs; i++)); do
        if [ "$profile" = filter ]; then
            cat_times+=("$(seconds cat "${captures[@]}")")
            dd_times+=("$(seconds sh -c 'cat "$@" | dd of=/dev/null bs=256K status=none' sh "${captures[@]}")")
        else
            rm -f copy.txt
            cat_times+=("$(seconds sh -c 'cat "$1" >copy.txt' sh "$out")")
            rm -f copy.txt
            dd_times+=("$(seconds dd if="$out" of=copy.txt bs=256K status=none)")
        fi
    done
    rm -f copy.txt
    c=$(printf '%s\n' "${cat_times[@]}" | median)
    d=$(printf '%s\n' "${dd_times[@]}" | median)
    awk -v p="$profile" -v t="$t" -v n="$frames_read" -v ob="$out_bytes" -v k="$peak" -v c="$c" -v d="$d" 'BEGIN {
        printf "%-7s %10.3f %12.0f %10.1f %9s %9.1fMB %12.2f %12.2f\n", p, t, n / t, ob / t / 1e6, k, ob / 1e6, t / c, t / d }'
done
# The export: the same frames into a pcapng or pcap file; the reference is
# the cat copy of the file written.
if [ -n "$exporter" ]; then
    for profile in pcapng pcap0; do
        case $profile in
            pcapng) out=cap.pcapng; words=(Format=pcapng Link=profibus) ;;
            pcap0) out=cap.pcap; words=(Format=pcap Link=user0) ;;
        esac
        times=()
        for ((i = 0; i < runs; i++)); do
            rm -f "$out"
            times+=("$(seconds quiet "$exporter" cap1200 "$out" NumMin="$minutes" "${words[@]}")")
        done
        t=$(printf '%s\n' "${times[@]}" | median)
        peak="n/a"
        if [ $has_time -eq 1 ]; then
            rm -f "$out"
            peak=$(/usr/bin/time -f %M -o time.txt "$exporter" cap1200 "$out" NumMin="$minutes" "${words[@]}" >/dev/null 2>&1; tail -n 1 time.txt)
        fi
        out_bytes=$(wc -c <"$out")
        cat_times=()
        dd_times=()
        for ((i = 0; i < runs; i++)); do
            rm -f copy.bin
            cat_times+=("$(seconds sh -c 'cat "$1" >copy.bin' sh "$out")")
            rm -f copy.bin
            dd_times+=("$(seconds dd if="$out" of=copy.bin bs=256K status=none)")
        done
        rm -f copy.bin "$out"
        c=$(printf '%s\n' "${cat_times[@]}" | median)
        d=$(printf '%s\n' "${dd_times[@]}" | median)
        awk -v p="$profile" -v t="$t" -v n="$frames_read" -v ob="$out_bytes" -v k="$peak" -v c="$c" -v d="$d" 'BEGIN {
            printf "%-7s %10.3f %12.0f %10.1f %9s %9.1fMB %12.2f %12.2f\n", p, t, n / t, ob / t / 1e6, k, ob / 1e6, t / c, t / d }'
    done
fi
if [ -n "$stats_tool" ]; then
    times=()
    for ((i = 0; i < runs; i++)); do
        times+=("$(seconds "$stats_tool" cap1200 NumMin="$minutes" Format=json)")
    done
    t=$(printf '%s\n' "${times[@]}" | median)
    peak="n/a"
    if [ $has_time -eq 1 ]; then
        peak=$(/usr/bin/time -f %M "$stats_tool" cap1200 NumMin="$minutes" Format=json 2>&1 >/dev/null | tail -n 1)
    fi
    awk -v t="$t" -v n="$frames_read" -v k="$peak" -v d="$decode_t" 'BEGIN {
        printf "%-7s %10.3f %12.0f %10s %9s %11s  (%.2fx the decode profile'"'"'s frames/s)\n", "stats", t, n / t, "-", k, "-", d / t }'
fi
echo "capture: ${#captures[@]} files, $((capture_bytes / 1000000)) MB, $frames_read frames read; $runs runs per figure (median); $(nproc) cores"
