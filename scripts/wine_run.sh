#!/usr/bin/env bash
# Runs a Windows program under wine: the cross build's emulator, through
# which ctest starts each test program (and lists its tests).
#
# Now and then wine ends a start with a failure status and not one byte
# written, within some 40 ms, before the program has run. A test program
# cannot fail that way: GoogleTest writes its banner and flushes it before
# the first test, and the packaging check runs programs that print their
# help first. So a failure status with nothing on standard output means the
# program never ran: it is started again, at most twice, 200 ms apart. Each
# retry is added to the file WINE_RUN_LOG names (the Windows stage prints it
# at its end), or said on standard error when none is named; a program that
# never ran in three starts is said on standard error.
set -u
wine=$(command -v wine || command -v wine64) || { echo "wine_run: no wine found" >&2; exit 127; }
out=$(mktemp "${TMPDIR:-/tmp}/wine_run.XXXXXX") || exit 125
trap 'rm -f "$out"' EXIT

for try in 1 2 3; do
    "$wine" "$@" | tee "$out"
    status=${PIPESTATUS[0]}
    if [ "$status" -eq 0 ] || [ -s "$out" ]; then
        exit "$status"
    fi
    note="wine_run: $1 ended with status $status before writing anything (start $try of 3)"
    if [ "$try" -eq 3 ]; then
        echo "$note" >&2
        exit "$status"
    fi
    if [ -n "${WINE_RUN_LOG:-}" ]; then
        echo "$note; started again: $*" >>"$WINE_RUN_LOG"
    else
        echo "$note; starting it again" >&2
    fi
    sleep 0.2
done
