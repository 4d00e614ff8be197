#!/usr/bin/env bash
# scripts/wine_run.sh with a stand-in wine that fails its first FAILS starts
# without writing anything: such a start is tried again (three in all), a
# failure that wrote something is not, and what the program ended with is
# what the script ends with.
set -u
script=$1
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
cat >"$work/wine" <<'WINE'
#!/usr/bin/env bash
n=$(cat "$STARTS" 2>/dev/null || echo 0)
echo $((n + 1)) >"$STARTS"
[ "$n" -lt "$FAILS" ] && exit 3
echo "ran $#: $*"
exit "$STATUS"
WINE
chmod +x "$work/wine"
export PATH="$work:$PATH" STARTS="$work/starts" WINE_RUN_LOG="$work/log"
bad=0
# fails, status, then: status, starts, output, lines in the log
while read -r fails status want_status want_starts want_out want_log; do
    rm -f "$STARTS" "$WINE_RUN_LOG"
    out=$(FAILS=$fails STATUS=$status bash "$script" t.exe 'a b' c 2>/dev/null)
    got_status=$?
    got_log=$(cat "$WINE_RUN_LOG" 2>/dev/null | wc -l)
    [ "$want_out" = "-" ] && want_out=""
    if [ "$got_status $(cat "$STARTS") $got_log" != "$want_status $want_starts $want_log" ] ||
       [ "$out" != "${want_out//_/ }" ]; then
        echo "FAIL: $fails silent failures, status $status: ended $got_status after $(cat "$STARTS") starts," \
             "$got_log retries logged, output '$out'"
        bad=1
    fi
done <<'CASES'
0 0 0 1 ran_3:_t.exe_a_b_c 0
0 1 1 1 ran_3:_t.exe_a_b_c 0
1 0 0 2 ran_3:_t.exe_a_b_c 1
2 1 1 3 ran_3:_t.exe_a_b_c 2
3 0 3 3 - 2
CASES
exit $bad
