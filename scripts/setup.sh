#!/usr/bin/env bash
# Installs what building and running the programs need, where a fresh
# machine lacks it: the compiler, CMake, Ninja, pkg-config, nlohmann-json
# (the JSON report of zelmot-stats), cpp-httplib and libmosquitto
# (zelmot-watch's HTTP server and MQTT publisher). The tests need more:
# scripts/setup_tests.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/install_missing.sh
need=()
command -v cmake >/dev/null || need+=(cmake)
command -v g++ >/dev/null || need+=(g++)
command -v ninja >/dev/null || need+=(ninja-build)
[ -f /usr/include/nlohmann/json.hpp ] || need+=(nlohmann-json3-dev)
command -v pkg-config >/dev/null || need+=(pkg-config)
[ -f /usr/include/httplib.h ] || need+=(libcpp-httplib-dev)
[ -f /usr/include/mosquitto.h ] || need+=(libmosquitto-dev)
install_missing --no-install-recommends "${need[@]}"
