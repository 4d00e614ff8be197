#!/usr/bin/env bash
# zelmot-watch over a day of generated traffic written as fast as the
# generator writes it: the generator writes the minute files into the folder
# the watcher follows; once the watcher has read them all (its /report.json
# stops growing) its peak resident memory (VmHWM), the CPU it takes
# idling for 10 s, and the peak and the size of one /report.json then are
# printed. With REPORT_EVERY the watcher also writes the period reports of
# that many minutes (their number is printed). Nothing is asserted
# (bench/RESULTS.md holds the figures).
#
# Usage: bench/watch_memory.sh [BUILD_DIR] [MINUTES] [FRAMES_PER_MINUTE] [REPORT_EVERY]
set -euo pipefail
build=$(realpath "${1:-build}")
minutes=${2:-1440}
frames=${3:-5000}
every=${4:-}
dir=$(mktemp -d "${TMPDIR:-/tmp}/zelmot-watch-bench.XXXXXX")
trap 'rm -rf "$dir"' EXIT
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
reports=()
if [ -n "$every" ]; then
    mkdir "$dir/reports"
    reports=(Report="$dir/reports" ReportEvery="$every")
fi
"$build/zelmot-watch" "$dir/day" From=0000 Http="$port" "${reports[@]}" >"$dir/console.txt" 2>"$dir/errors.txt" &
watcher=$!
start=$(date +%s.%N)
"$build/zelmot-gen" "$dir/day" --start 0000 --minutes "$minutes" --frames "$frames" --error-rate 0.001 \
    --dp-scenario all >/dev/null 2>&1
written=$(date +%s.%N)
frames_read() {
    curl -s "http://127.0.0.1:$port/metrics" | awk '/^zelmot_bus_frames_total / {print $2}'
}
last=-1
while :; do
    now=$(frames_read)
    [ "$now" = "$last" ] && break
    last=$now
    sleep 2
done
done_at=$(date +%s.%N)
hwm=$(awk '/VmHWM/ {print $2}' "/proc/$watcher/status")
ticks() { awk '{print $14 + $15}' "/proc/$watcher/stat"; }
before=$(ticks)
sleep 10
idle=$(( $(ticks) - before ))
report_bytes=$(curl -s "http://127.0.0.1:$port/report.json" | wc -c)
hwm_report=$(awk '/VmHWM/ {print $2}' "/proc/$watcher/status")
kill -TERM "$watcher"
wait "$watcher" || true
echo "minutes $minutes, frames per minute $frames, frames read $last"
echo "written in $(python3 -c "print(round($written - $start, 1))") s, read by $(python3 -c "print(round($done_at - $start - 2, 1))") s at most"
echo "peak resident memory $(python3 -c "print(round($hwm / 1024, 1))") MiB"
echo "peak resident memory after one /report.json $(python3 -c "print(round($hwm_report / 1024, 1))") MiB"
echo "/report.json: $report_bytes bytes"
echo "CPU while idle: $idle clock ticks in 10 s"
echo "console lines: $(wc -l <"$dir/console.txt")"
if [ -n "$every" ]; then
    echo "period reports written: $(find "$dir/reports" -name '*.json' | wc -l) ($(du -sh "$dir/reports" | cut -f1))"
fi
