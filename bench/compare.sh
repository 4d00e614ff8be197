#!/usr/bin/env bash
# Before/after comparison of two builds of zelmot2txt on the benchmark's
# capture (10 minutes at 12 Mbit/s, fixed seed) and its three profiles. The
# two executables run alternately, so that a load on the machine that comes
# and goes falls on both alike; each figure is the median of N runs, and the
# outputs of the two builds are compared byte for byte.
#
# Usage: bench/compare.sh OLD_BUILD_DIR NEW_BUILD_DIR [--runs N]
set -euo pipefail
cd "$(dirname "$0")/.."
old=$(realpath "$1/zelmot2txt")
new=$(realpath "$2/zelmot2txt")
gen=$(realpath "$2/zelmot-gen")
runs=5
[ "${3:-}" = --runs ] && runs="$4"
work=$(mktemp -d "${TMPDIR:-/tmp}/zelmot-compare.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
"$gen" cap --baud 8 --start 1200 --minutes 10 --frames 520000 --seed 42 --error-rate 0.01 --corrupt-rate 0 >/dev/null
: >decode.opt
printf 'ShowFileOfs\nTmeAbs hr:mn:sc.ms,us,ns\nTmeDelta hr:mn:sc.ms,us,ns\nTmeGap hr:mn:sc.ms,us,ns\nTmeGapAft hr:mn:sc.ms,us,ns\nGrphDelta 20 1ms\nGrphGap 20 100us\nGrphGapAft 20 100us\nDetailSts\nShowFcbTyp\nShowFcs\n' >full.opt
printf 'ShowOnly\nSTS <> STSOK\n#\n' >filter.opt
now() { date +%s.%N; }
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
run() { local s e; s=$(now); "$1" cap1200 "$2" NumMin=10 >/dev/null; e=$(now); awk -v a="$s" -v b="$e" 'BEGIN { printf "%.4f\n", b - a }'; }
printf '%-7s %10s %10s %8s\n' profile before/s after/s change
for profile in decode full filter; do
    before=() after=()
    for ((i = 0; i < runs; i++)); do
        before+=("$(run "$old" "$profile")"); mv "cap1200_$profile.txt" old.txt
        after+=("$(run "$new" "$profile")")
        cmp -s old.txt "cap1200_$profile.txt" || { echo "outputs differ: $profile" >&2; exit 1; }
    done
    b=$(printf '%s\n' "${before[@]}" | median)
    a=$(printf '%s\n' "${after[@]}" | median)
    awk -v p="$profile" -v b="$b" -v a="$a" 'BEGIN { printf "%-7s %10.3f %10.3f %+7.1f%%\n", p, b, a, (a - b) / b * 100 }'
done
