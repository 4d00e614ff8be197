#!/usr/bin/env bash
# Byte-for-byte comparison of every program's outputs between two builds: a
# change that must not change what a user sees (a move of code, a faster
# path) runs this against the build of the commit it starts from.
#
#   zelmot2txt    the bundled example with each of its option files; the
#                 benchmark's decode, full and filter profiles on a generated
#                 minute with receive errors and damaged records; windows
#                 (StartRef/EndRef), ShowOnly with Arg words, and a run that
#                 fails part way (a minute file cut in the middle of a record);
#                 a capture with dense damage; a minute split in two at every
#                 offset of two records (a record crossing the file end in
#                 its header, its frame or its status byte); stray bytes
#                 inserted at every offset of two records around the end of
#                 the reader's first 256 KiB buffer (a lost boundary that
#                 crosses the buffer's end)
#   zelmot-stats  text, JSON, CSV, events and the HTML page, on the example,
#                 on the generator's DP scenarios (with the test GSD files),
#                 on a capture with damaged records, with a window
#   zelmot2pcap   pcapng and pcap, both link types, with a filter and a window
#   zelmot-gen    the capture files and the record file of one scenario run
# Console output and exit statuses are compared as well. The captures are
# made by the new build's generator (the generator's own files are compared
# separately).
#
# Usage: scripts/compare_outputs.sh OLD_BUILD_DIR NEW_BUILD_DIR
#        scripts/compare_outputs.sh --commit COMMIT [NEW_BUILD_DIR]
#   --commit builds COMMIT (Release, no tests) in a temporary work tree first;
#   NEW_BUILD_DIR defaults to build.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)
if [ "${1:-}" = --commit ]; then
    commit=$2
    new=$(realpath "${3:-build}")
    base=$(mktemp -d "${TMPDIR:-/tmp}/zelmot-base.XXXXXX")
    trap 'git -C "$top" worktree remove --force "$base/src" >/dev/null 2>&1 || true; rm -rf "$base"' EXIT
    git worktree add --detach "$base/src" "$commit" >/dev/null 2>&1
    echo "building $commit in $base" >&2
    cmake -S "$base/src" -B "$base/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZELMOT_TESTS=OFF >/dev/null
    cmake --build "$base/build" -j2 >/dev/null
    old="$base/build"
else
    old=$(realpath "$1")
    new=$(realpath "$2")
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/zelmot-outputs.XXXXXX")
trap 'rm -rf "$work"; [ -n "${base:-}" ] && { git -C "$top" worktree remove --force "$base/src" >/dev/null 2>&1 || true; rm -rf "$base"; }' EXIT
mkdir -p "$work/in" "$work/old" "$work/new"
gen="$new/zelmot-gen"
cd "$work/in"

# Inputs.
cp "$top"/examples/demo12*.Zelmot "$top"/examples/*.opt .
"$gen" plant --minutes 1 --frames 100000 --seed 42 --error-rate 0.01 --corrupt-rate 0.002 >/dev/null
"$gen" dp --minutes 2 --frames 20000 --seed 5 --slaves 12 --dp-scenario all --record dp.csv >/dev/null
"$gen" three --minutes 2 --frames 30000 --masters 3 --slaves 24 --error-rate 0.01 --corrupt-rate 0.002 \
    --seed 7 >/dev/null
for seed in 11 12 13; do
    "$gen" "scen$seed" --minutes 1 --frames 15000 --seed "$seed" --dp-scenario all >/dev/null
done
cp plant1200.Zelmot cut1200.Zelmot
head -c 700001 plant1200.Zelmot >cut1201.Zelmot  # the second minute ends inside a record
cp plant1200.Zelmot cut1202.Zelmot
"$gen" dense --minutes 2 --frames 100000 --seed 21 --error-rate 0.05 --corrupt-rate 0.008 >/dev/null
# Offsets 300,000 .. 300,039 of the minute: every offset of at least two records.
splits=$(seq 300000 300039)
for at in $splits; do
    head -c "$at" plant1200.Zelmot >"split$at"1200.Zelmot
    { head -c 40 plant1200.Zelmot; tail -c +$((at + 1)) plant1200.Zelmot; } >"split$at"1201.Zelmot
done
# Three stray bytes at file offsets 262,124 .. 262,163, around the end of the
# first 256 KiB the reader reads.
strays=$(seq 262124 262163)
for at in $strays; do
    { head -c "$at" plant1200.Zelmot; printf 'UUU'; tail -c +$((at + 1)) plant1200.Zelmot; } >"stray$at"1200.Zelmot
done
: >decode.opt
printf 'ShowFileOfs\nTmeAbs hr:mn:sc.ms,us,ns\nTmeDelta hr:mn:sc.ms,us,ns\nTmeGap hr:mn:sc.ms,us,ns\nTmeGapAft hr:mn:sc.ms,us,ns\nGrphDelta 20 1ms\nGrphGap 20 100us\nGrphGapAft 20 100us\nDetailSts\nShowFcbTyp\nShowFcs\n' >full.opt
printf 'ShowOnly\nSA == 5\n#\n' >filter.opt
printf 'ShowOnly\n(DA == CmdArg[0]) || (STS <> STSOK)\n#\n' >args.opt
gsd="$top/tests/gsd/data"

differ=0
cases=0
# case NAME OUTPUTS COMMAND...: runs COMMAND in a copy of the inputs with each
# build, then compares console, exit status and the listed output files.
case_() {
    local name=$1 outputs=$2; shift 2
    local side dir status
    for side in old new; do
        dir="$work/$side/$name"
        mkdir -p "$dir"
        cp -l "$work"/in/* "$dir"/ 2>/dev/null || cp "$work"/in/* "$dir"/
        local build=$old
        [ "$side" = new ] && build=$new
        local program=$1
        set +e
        (cd "$dir" && "$build/$program" "${@:2}" >console.out 2>console.err)
        status=$?
        set -e
        echo "$status" >"$dir/status"
    done
    cases=$((cases + 1))
    for f in console.out console.err status $outputs; do
        if [ -e "$work/old/$name/$f" ] || [ -e "$work/new/$name/$f" ]; then
            if ! cmp -s "$work/old/$name/$f" "$work/new/$name/$f"; then
                echo "DIFFERS: $name: $f ($*)"
                differ=$((differ + 1))
            fi
        fi
    done
}

for opt in compact errors full station token; do
    case_ "txt-example-$opt" "demo1200_$opt.txt" zelmot2txt demo1200 "$opt" NumMin=3
done
for profile in decode full filter; do
    case_ "txt-plant-$profile" "plant1200_$profile.txt" zelmot2txt plant1200 "$profile"
done
case_ txt-window "plant1200_full.txt" zelmot2txt plant1200 full StartRef=5000 EndRef=7000
case_ txt-window-reversed "plant1200_decode.txt" zelmot2txt plant1200 decode StartRef=900 EndRef=100
case_ txt-args "plant1200_args.txt" zelmot2txt plant1200 args Arg0=7
case_ txt-three "three1200_full.txt" zelmot2txt three1200 full NumMin=2
case_ txt-cut "cut1200_full.txt" zelmot2txt cut1200 full NumMin=3
case_ txt-missing "plant1200_decode.txt" zelmot2txt plant1200 decode NumMin=4
for profile in decode full filter; do
    case_ "txt-dense-$profile" "dense1200_$profile.txt" zelmot2txt dense1200 "$profile" NumMin=2
done
for at in $splits; do
    case_ "txt-split$at" "split$at"1200_full.txt zelmot2txt "split$at"1200 full NumMin=2
done
for at in $strays; do
    case_ "txt-stray$at" "stray$at"1200_full.txt zelmot2txt "stray$at"1200 full
done

for format in text json csv events; do
    case_ "stats-example-$format" "" zelmot-stats demo1200 NumMin=all Format=$format
    case_ "stats-dp-$format" "" zelmot-stats dp1200 NumMin=all Format=$format Gsd="$gsd"
    case_ "stats-three-$format" "" zelmot-stats three1200 NumMin=all Format=$format
done
case_ stats-example-html "page.html" zelmot-stats demo1200 NumMin=all Html=page.html
case_ stats-dp-html "page.html" zelmot-stats dp1200 NumMin=all Html=page.html Gsd="$gsd"
case_ stats-three-html "page.html" zelmot-stats three1200 NumMin=all Html=page.html
case_ stats-plant-window "" zelmot-stats plant1200 StartRef=20000 EndRef=60000 Format=json
case_ stats-cut "" zelmot-stats cut1200 NumMin=3 Format=json
case_ stats-dense "" zelmot-stats dense1200 NumMin=2 Format=json
case_ stats-stray262144 "" zelmot-stats stray2621441200 Format=json
for seed in 11 12 13; do
    case_ "stats-scen$seed-text" "page.html" zelmot-stats "scen$seed"1200 Html=page.html Gsd="$gsd"
    case_ "stats-scen$seed-json" "" zelmot-stats "scen$seed"1200 Format=json Gsd="$gsd"
    case_ "stats-scen$seed-events" "" zelmot-stats "scen$seed"1200 Format=events
done

case_ pcap-example "out.pcapng" zelmot2pcap demo1200 out.pcapng NumMin=all
case_ pcap-dp "out.pcapng" zelmot2pcap dp1200 out.pcapng NumMin=all
case_ pcap-plant-pcap "out.pcap" zelmot2pcap plant1200 out.pcap Format=pcap Link=user0
case_ pcap-filter "out.pcapng" zelmot2pcap plant1200 out.pcapng Filter=filter StartRef=100 EndRef=50000
case_ pcap-cut "out.pcapng" zelmot2pcap cut1200 out.pcapng NumMin=3
case_ pcap-dense "out.pcapng" zelmot2pcap dense1200 out.pcapng NumMin=2
case_ pcap-start "out.pcapng" zelmot2pcap three1200 out.pcapng NumMin=all Start=2026-03-02T08:00:00

case_ gen-dp "g1200.Zelmot g1201.Zelmot g.csv" zelmot-gen g --minutes 2 --frames 20000 --seed 9 --slaves 12 \
    --dp-scenario all --record g.csv
case_ gen-errors "e1200.Zelmot" zelmot-gen e --frames 50000 --seed 3 --error-rate 0.02 --corrupt-rate 0.003

echo "$cases cases, $differ outputs differ (old: $old, new: $new)"
[ "$differ" -eq 0 ]
