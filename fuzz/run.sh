#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each for the given number of seconds,
# two at a time; fails if any target finds a crash, a sanitizer report, a
# leak, a time-out or a broken check.
#
#   fuzz/run.sh SECONDS [TARGET...]
#
# TARGET is one of conversion, conversion_options, option_filter,
# frame_columns, time_columns, pcap, stats, dp, gsd, reader (all when none is named). Environment:
#   FUZZ_BUILD_DIR   build folder (default build-fuzz)
#   FUZZ_CORPUS_DIR  keep the grown corpora in FOLDER/<target>/ (default: a
#                    scratch folder, removed at the end); the committed seeds
#                    in fuzz/corpus/<target>/ are only read
#   FUZZ_JOBS        targets run at the same time (default 2)
# Reproducers of findings are left in <build folder>/fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -lt 1 ] || ! [[ "$1" =~ ^[0-9]+$ ]]; then
    echo "use: fuzz/run.sh SECONDS [TARGET...]" >&2
    exit 3
fi
seconds=$1
shift
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(conversion conversion_options option_filter frame_columns time_columns pcap stats dp gsd reader)

build=${FUZZ_BUILD_DIR:-build-fuzz}
jobs=${FUZZ_JOBS:-2}
cmake -S . -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DZELMOT_FUZZ=ON -DZELMOT_TESTS=OFF -DZELMOT_WERROR=ON >/dev/null
cmake --build "$build" -j2 --target fuzz_all

# The conversion targets write their capture and output files for every
# input into a folder under TMPDIR: a memory file system doubles their speed.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
corpora=${FUZZ_CORPUS_DIR:-$scratch/corpus}
findings="$build/fuzz/findings"
mkdir -p "$findings"

# Longest input per target: room for a 4095-character equation, for captures
# of a few hundred records, for 255 frame bytes, for device files longer
# than one line may be.
max_len() {
    case $1 in
        conversion|conversion_options|option_filter|pcap|stats|reader) echo 8192 ;;
        frame_columns|dp) echo 300 ;;
        *) echo 1024 ;;
    esac
}

run_target() {
    local target=$1
    local corpus="$corpora/$target"
    # The export and the reader read the conversion targets' input layout and seeds.
    local seeds="fuzz/corpus/$target"
    case $target in pcap|reader) seeds=fuzz/corpus/conversion ;; esac
    mkdir -p "$corpus"
    "$build/fuzz/fuzz_$target" "$corpus" "$seeds" \
        -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -max_len="$(max_len "$target")" \
        -print_final_stats=1 -artifact_prefix="$findings/$target-" \
        >"$scratch/$target.log" 2>&1
}

# Executions, corpus and result of one finished target, from its log.
report() {
    local target=$1 status=$2
    local log="$scratch/$target.log"
    local execs corpus
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    corpus=$(grep -o 'corp: [0-9]*/[0-9]*[a-zA-Z]*' "$log" | tail -n 1 | sed 's/corp: //')
    if [ "$status" -eq 0 ]; then
        echo "fuzz $target: ${execs:-?} runs in ${seconds}s, corpus ${corpus:-?}, no finding"
    else
        echo "fuzz $target: FINDING (exit $status); the end of its log:"
        tail -n 60 "$log"
        ls "$findings"/"$target"-* 2>/dev/null | sed 's/^/  reproducer: /' || true
    fi
}

declare -A pid_of=()
passed=0
failed=0
finish_one() {
    local target status
    for target in "${!pid_of[@]}"; do
        if ! kill -0 "${pid_of[$target]}" 2>/dev/null; then
            status=0
            wait "${pid_of[$target]}" || status=$?
            unset "pid_of[$target]"
            report "$target" "$status"
            if [ "$status" -eq 0 ]; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
            return
        fi
    done
    sleep 1
}

for target in "${targets[@]}"; do
    [ -x "$build/fuzz/fuzz_$target" ] || { echo "no fuzz target '$target'" >&2; exit 3; }
    while [ ${#pid_of[@]} -ge "$jobs" ]; do finish_one; done
    run_target "$target" &
    pid_of[$target]=$!
done
while [ ${#pid_of[@]} -gt 0 ]; do finish_one; done

echo "fuzz targets run for ${seconds}s each; reproducers of findings go to $findings"
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
