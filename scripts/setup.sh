#!/usr/bin/env bash
# Installs what building and running the programs need, where a fresh
# machine lacks it: the compiler, CMake, Ninja and nlohmann-json (the JSON
# report of zelmot-stats). The tests need more: scripts/setup_tests.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/install_missing.sh
need=()
command -v cmake >/dev/null || need+=(cmake)
command -v g++ >/dev/null || need+=(g++)
command -v ninja >/dev/null || need+=(ninja-build)
[ -f /usr/include/nlohmann/json.hpp ] || need+=(nlohmann-json3-dev)
install_missing --no-install-recommends "${need[@]}"
