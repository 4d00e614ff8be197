#!/usr/bin/env bash
# Installs what building and testing need, where a fresh machine lacks it.
set -euo pipefail
need=()
command -v cmake >/dev/null || need+=(cmake)
command -v g++ >/dev/null || need+=(g++)
command -v clang++ >/dev/null || need+=(clang)
# The fuzz targets link the libFuzzer runtime of the clang version.
if ! command -v clang++ >/dev/null || [ ! -f "$(clang++ -print-file-name=libclang_rt.fuzzer-x86_64.a)" ]; then
    need+=(libclang-rt-14-dev)
fi
command -v ninja >/dev/null || need+=(ninja-build)
[ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
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
[ -f /usr/include/nlohmann/json.hpp ] || need+=(nlohmann-json3-dev)  # zelmot-stats' JSON report
# The browser check of zelmot-stats' HTML page: headless Chromium, a font,
# and Debian's own Python with html5lib and PIL.
command -v chromium >/dev/null || need+=(chromium)
for package in fonts-dejavu-core python3 python3-html5lib python3-pil; do
    dpkg -s "$package" >/dev/null 2>&1 || need+=("$package")
done
if [ ${#need[@]} -gt 0 ]; then
    echo "installing: ${need[*]}"
    SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${need[@]}"
fi
