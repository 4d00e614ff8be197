#!/usr/bin/env bash
# Dissector benchmark: one minute of 12 Mbit/s traffic (500,000 frames, seed
# 42) exported with Link=user0, read by tshark with the columns printed
# (`tshark -X lua_script:... -r FILE`) using
#   empty  a Lua dissector that only sets the protocol column
#   old    the dissector as it is on the branch given (default main)
#   new    contrib/wireshark/pbfdl.lua of this checkout
#   new-V  the same with the packet details (-V)
# Each time is the median of several runs (elapsed seconds; user CPU beside
# it), with frames per second and the ratios the dissector is held to. The
# machine's load average is printed first and last: measure when it is low.
#
# Usage: bench/dissector.sh [--smoke] [--runs N] [--build DIR] [--old REF]
set -euo pipefail
cd "$(dirname "$0")/.."

runs=5
frames=500000
build=build
old=main
while [ $# -gt 0 ]; do
    case "$1" in
        --smoke) runs=1; frames=5000 ;;
        --runs) runs="$2"; shift ;;
        --build) build="$2"; shift ;;
        --old) old="$2"; shift ;;
        *) echo "unknown argument: $1" >&2; exit 2 ;;
    esac
    shift
done
for tool in zelmot-gen zelmot2pcap; do
    [ -x "$build/$tool" ] || { echo "build first: cmake --build $build" >&2; exit 2; }
done
command -v tshark >/dev/null || { echo "tshark is not installed" >&2; exit 2; }

script=$(realpath contrib/wireshark/pbfdl.lua)
work=$(mktemp -d "${TMPDIR:-/tmp}/zelmot-dissector.XXXXXX")
trap 'rm -rf "$work"' EXIT
git show "$old:contrib/wireshark/pbfdl.lua" >"$work/old.lua"
cat >"$work/empty.lua" <<'EOF'
local p = Proto("pbfdl", "PROFIBUS FDL (zelmot2pcap)")
function p.dissector(buf, pinfo, tree) pinfo.cols.protocol = "PROFIBUS" end
DissectorTable.get("wtap_encap"):add((wtap_encaps or wtap).USER0, p)
EOF
"$build/zelmot-gen" "$work/cap" --baud 8 --minutes 1 --frames "$frames" --seed 42 >/dev/null
"$build/zelmot2pcap" "$work/cap1200" "$work/cap.pcapng" Link=user0 >/dev/null 2>&1
count=$(tshark -r "$work/cap.pcapng" -T fields -e frame.number 2>/dev/null | wc -l)

echo "load before: $(uptime)"
echo "frames: $count"
# The median of the runs' elapsed and user seconds: "elapsed user".
median_time() {
    local times=()
    for _ in $(seq "$runs"); do
        /usr/bin/time -o "$work/time" -f "%e %U" tshark -X lua_script:"$1" -r "$work/cap.pcapng" $2 >/dev/null 2>&1
        times+=("$(tail -1 "$work/time")")
    done
    printf '%s\n' "${times[@]}" | sort -n | sed -n "$(( (runs + 1) / 2 ))p"
}
declare -A elapsed
printf '%-6s %10s %10s %12s\n' profile elapsed user frames/s
for profile in empty old new new-V; do
    case "$profile" in
        empty) result=$(median_time "$work/empty.lua" "") ;;
        old) result=$(median_time "$work/old.lua" "") ;;
        new) result=$(median_time "$script" "") ;;
        new-V) result=$(median_time "$script" "-V") ;;
    esac
    read -r seconds user <<<"$result"
    elapsed[$profile]=$seconds
    printf '%-6s %10s %10s %12.0f\n' "$profile" "$seconds" "$user" "$(echo "$count / $seconds" | bc -l)"
done
printf 'new / empty: %.2f (at most 2, or 150,000 frames/s)\n' "$(echo "${elapsed[new]} / ${elapsed[empty]}" | bc -l)"
printf 'new -V / new: %.2f (at most 3)\n' "$(echo "${elapsed[new-V]} / ${elapsed[new]}" | bc -l)"
echo "load after: $(uptime)"
