#!/usr/bin/env bash
# Builds and runs every test, warnings as errors: once in a normal build,
# once under AddressSanitizer and UndefinedBehaviorSanitizer (asserts on),
# the conversion tests once under ThreadSanitizer (the line workers),
# once built with clang++ as a debug build (asserts on),
# once cross-built for Windows and run under wine (scripts/test_windows.sh);
# then a smoke run of the benchmark script (no timing is asserted) and each
# fuzz target for 20 seconds (two at a time; longer runs: fuzz/run.sh).
# The sanitizer builds are optimised with -O1 and carry line tables only
# (-g1): enough for the sanitizers' reports with file and line, and half
# the build time of -O2 -g.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/setup_tests.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DZELMOT_TESTS=ON -DZELMOT_WERROR=ON >/dev/null
cmake --build build -j2
ctest --test-dir build --output-on-failure -j2
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" -DZELMOT_SANITIZE=ON -DZELMOT_WERROR=ON >/dev/null
cmake --build build-asan -j2
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --test-dir build-asan --output-on-failure -j2
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" -DZELMOT_TSAN=ON -DZELMOT_WERROR=ON >/dev/null
cmake --build build-tsan -j2 --target test_e2e test_driver
TSAN_OPTIONS=halt_on_error=1 build-tsan/tests/test_e2e
TSAN_OPTIONS=halt_on_error=1 build-tsan/tests/test_driver
cmake -S . -B build-clang -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ -DZELMOT_WERROR=ON >/dev/null
cmake --build build-clang -j2
ctest --test-dir build-clang --output-on-failure -j2
bash scripts/test_windows.sh
bash bench/run.sh --smoke
bash fuzz/run.sh 20
