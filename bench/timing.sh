# Timing helpers shared by the benchmark scripts (sourced, not run).
now() { date +%s.%N; }
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
least() { sort -g | head -n 1; }
seconds() { # command... : elapsed seconds of one run
    local start end
    start=$(now)
    "$@" >/dev/null
    end=$(now)
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.6f\n", b - a }'
}
timed() { # command... : elapsed and CPU (user + system, all threads) seconds of one run
    local TIMEFORMAT='%3R %3U %3S' t
    t=$({ time "$@" >/dev/null 2>&3; } 3>&2 2>&1)
    awk '{ printf "%.3f %.3f\n", $1, $2 + $3 }' <<<"$t"
}
