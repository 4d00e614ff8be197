#!/usr/bin/env bash
# Installs what the tests need beyond the build (scripts/setup.sh), where a
# fresh machine lacks it: GoogleTest, clang with the libFuzzer runtime,
# tcpdump, tshark and Lua 5.4, headless Chromium with a font and Python's checks of
# the HTML page, and for the Windows stage MinGW-w64, wine and groff.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/install_missing.sh
need=()
[ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
command -v clang++ >/dev/null || need+=(clang)
# The fuzz targets link the libFuzzer runtime of the clang version.
if ! command -v clang++ >/dev/null || [ ! -f "$(clang++ -print-file-name=libclang_rt.fuzzer-x86_64.a)" ]; then
    need+=(libclang-rt-14-dev)
fi
# The Windows stage: the MinGW-w64 cross compiler (posix threads), GoogleTest
# sources to build for it, wine to run the .exe files, groff to render the
# manual pages (text and HTML) for the Windows package.
command -v x86_64-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-x86-64-posix)
[ -f /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
command -v wine >/dev/null || need+=(wine)
[ -x /usr/lib/wine/wine64 ] || need+=(wine64)
if ! command -v groff >/dev/null || ! groff -Thtml </dev/null >/dev/null 2>&1; then
    need+=(groff)
fi
# The real-reader tests of zelmot2pcap open its files with them.
command -v tcpdump >/dev/null || need+=(tcpdump)
command -v tshark >/dev/null || need+=(tshark)
# The dissector's decoding runs in plain Lua 5.2 (Wireshark 4.0's) and 5.4
# (newer Wireshark releases') as well.
command -v lua5.2 >/dev/null || need+=(lua5.2)
command -v lua5.4 >/dev/null || need+=(lua5.4)
# The browser check of zelmot-stats' HTML page: headless Chromium, a font,
# and Debian's own Python with html5lib and PIL.
command -v chromium >/dev/null || need+=(chromium)
for package in fonts-dejavu-core python3 python3-html5lib python3-pil; do
    dpkg -s "$package" >/dev/null 2>&1 || need+=("$package")
done
install_missing "${need[@]}"
