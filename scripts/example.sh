#!/usr/bin/env bash
# Builds every target (zelmot2txt, zelmot-gen and the other programs, the
# tests) and converts the bundled example capture (three minutes of 12 Mbit/s
# traffic) with the 'full' option file into build/example/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j2
mkdir -p build/example
cp examples/demo*.Zelmot examples/*.opt build/example/
build/zelmot2txt build/example/demo1200 build/example/full NumMin=3
echo "Output: build/example/demo1200_full.txt; its first lines:"
head -n 20 build/example/demo1200_full.txt
