#!/usr/bin/env bash
# The Windows stage of the tests: cross-builds every target (programs and
# tests) for 64-bit Windows with MinGW-w64, runs the whole test suite under
# wine in a fresh wine prefix (through scripts/wine_run.sh, which starts a
# program again when wine failed to start it), converts the bundled
# examples given with Windows paths (sub\demo1200, opts\<name>) and checks
# that each output and console text equals the Linux program's with CR LF
# line ends, and builds the ZIP package. Run from scripts/test.sh; on its
# own it builds the Linux program it compares with as well.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=build-win
bash scripts/setup.sh
bash scripts/setup_tests.sh

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZELMOT_WERROR=ON \
      -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null
cmake --build "$build" -j2

# A fresh wine prefix. The wine server and its services are started once,
# here, with no pipe of ours open: started by the first test instead, they
# would keep ctest's output pipe open, and ctest would wait for them.
export WINEDEBUG=-all WINEPREFIX="$root/$build/wineprefix"
export HOME=${HOME:-$root/$build}
wineserver -k 2>/dev/null || true
rm -rf "$WINEPREFIX"
wineboot -i </dev/null >/dev/null 2>&1
wineserver -w
wineserver -p

# The programs wine failed to start and that were started again (see
# scripts/wine_run.sh): listed at the end, passed or not.
export WINE_RUN_LOG="$root/$build/wine-retries.log"
rm -f "$WINE_RUN_LOG"
retries() {
    if [ -s "$WINE_RUN_LOG" ]; then
        echo "wine failed to start a program $(wc -l <"$WINE_RUN_LOG") time(s); each was started again:"
        cat "$WINE_RUN_LOG"
    fi
}
trap 'retries; wineserver -k 2>/dev/null || true' EXIT
wine cmd /c exit </dev/null >/dev/null 2>&1

ctest --test-dir "$build" --output-on-failure -j2

# The examples with Windows paths. The Linux program gets the same words; to
# it a backslash is an ordinary character of a file name, so its files carry
# the same names in one folder.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DZELMOT_WERROR=ON >/dev/null
cmake --build build -j2 --target zelmot2txt
smoke=$build/smoke
rm -rf "$smoke"
mkdir -p "$smoke/windows/sub" "$smoke/windows/opts" "$smoke/linux"
for f in examples/demo*.Zelmot; do
    cp "$f" "$smoke/windows/sub/"
    cp "$f" "$smoke/linux/sub\\$(basename "$f")"
done
for f in examples/*.opt; do
    cp "$f" "$smoke/windows/opts/"
    cp "$f" "$smoke/linux/opts\\$(basename "$f")"
done
crlf() { perl -pe 's/\n/\r\n/' "$1"; }
while read -r name words; do
    # shellcheck disable=SC2086 # the words are meant to split
    (cd "$smoke/windows" && "$root/scripts/wine_run.sh" "$root/$build/zelmot2txt.exe" 'sub\demo1200' "opts\\$name" $words \
        >"console_$name.txt" 2>&1 </dev/null) || { cat "$smoke/windows/console_$name.txt"; exit 1; }
    # shellcheck disable=SC2086
    (cd "$smoke/linux" && "$root/build/zelmot2txt" 'sub\demo1200' "opts\\$name" $words \
        >"console_$name.txt" 2>&1 </dev/null) || { cat "$smoke/linux/console_$name.txt"; exit 1; }
    crlf "$smoke/linux/sub\\demo1200_$name.txt" | cmp - "$smoke/windows/sub/demo1200_$name.txt" ||
        { echo "FAIL: example $name: the Windows output is not the Linux output with CR LF"; exit 1; }
    crlf "$smoke/linux/console_$name.txt" | cmp - "$smoke/windows/console_$name.txt" ||
        { echo "FAIL: example $name: the Windows console is not the Linux console with CR LF"; exit 1; }
    echo "example $name with Windows paths: $(wc -l <"$smoke/windows/sub/demo1200_$name.txt") lines, as on Linux with CR LF"
done <<'RUNS'
full NumMin=3
errors NumMin=3
station NumMin=3 Arg0=7
token NumMin=3
compact NumMin=3
RUNS

(cd "$build" && cpack)
ls -l "$build"/zelmot2txt-*-win64.zip
