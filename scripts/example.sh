#!/usr/bin/env bash
# The bundled example capture (three minutes of 12 Mbit/s traffic) through
# the family of programs: installs only what building needs (compiler,
# CMake, Ninja, nlohmann-json; no test packages), builds the programs
# without the tests, converts the capture to text (zelmot2txt), prints the
# start of the bus health report and writes it as a web page (zelmot-stats),
# and exports the frames as pcapng for Wireshark and tcpdump (zelmot2pcap).
# Takes about 3 1/2 minutes on a fresh Debian 12 machine with two busy cores
# (measured: 45 s to install 67 packages, 2 min 50 s to build), a second or
# so when run again.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DZELMOT_TESTS=OFF >/dev/null
cmake --build build -j2
out=build/example
mkdir -p "$out"
cp examples/demo*.Zelmot examples/*.opt "$out/"

echo
echo "== zelmot2txt: every frame as one line of text (option file full.opt)"
build/zelmot2txt "$out/demo1200" "$out/full" NumMin=3
head -n 20 "$out/demo1200_full.txt"

echo
echo "== zelmot-stats: the bus health report, its first 40 lines"
build/zelmot-stats "$out/demo1200" NumMin=all Html="$out/report.html" >"$out/report.txt"
head -n 40 "$out/report.txt"

echo
echo "== zelmot2pcap: the frames as pcapng"
build/zelmot2pcap "$out/demo1200" "$out/demo.pcapng" NumMin=3 Link=user0

echo
echo "Frames as text:   $out/demo1200_full.txt  (the whole health report: $out/report.txt)"
echo "Health report:    xdg-open $out/report.html  (or open $PWD/$out/report.html in a browser)"
echo "Wireshark export: tcpdump -r $out/demo.pcapng  or  wireshark -X lua_script:contrib/wireshark/pbfdl.lua $out/demo.pcapng"
