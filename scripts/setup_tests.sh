#!/usr/bin/env bash
# Installs what the tests need beyond the build (scripts/setup.sh), where a
# fresh machine lacks it: GoogleTest, clang with the libFuzzer runtime,
# tcpdump, tshark and Lua 5.4, headless Chromium with a font and Python's checks of
# the HTML page, the MQTT broker and Prometheus (with promtool) that
# zelmot-watch's tests start, and for the Windows stage MinGW-w64, wine,
# groff and cpp-httplib's single header.
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
# zelmot-watch's tests start a broker and a Prometheus of their own.
[ -x /usr/sbin/mosquitto ] || command -v mosquitto >/dev/null || need+=(mosquitto)
command -v prometheus >/dev/null && command -v promtool >/dev/null || need+=(prometheus)
# apt-get source unpacks with dpkg-source.
command -v dpkg-source >/dev/null || need+=(dpkg-dev)
install_missing "${need[@]}"

# The Windows stage compiles cpp-httplib from its single header. Debian's
# libcpp-httplib-dev holds only the declarations (the code is in its shared
# library), so the whole header comes from Debian's source package of the
# same release, unpacked into /usr/src/cpp-httplib (as GoogleTest's sources
# are in /usr/src/googletest). apt-get source reads a source list of its own
# here; the machine's package sources stay as they are.
if [ ! -f /usr/src/cpp-httplib/httplib.h ]; then
    echo "unpacking cpp-httplib's source package into /usr/src/cpp-httplib"
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
    fetch=$(mktemp -d)
    mkdir -p "$fetch/lists/partial" "$fetch/get"
    cat >"$fetch/sources.list" <<SOURCES
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian $codename main
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian-security $codename-security main
SOURCES
    options=(-o "Dir::Etc::SourceList=$fetch/sources.list" -o Dir::Etc::SourceParts=/nonexistent
             -o "Dir::State::Lists=$fetch/lists" -o APT::Sandbox::User=root)
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    apt-get "${options[@]}" update -qq
    (cd "$fetch/get" && apt-get "${options[@]}" source -qq cpp-httplib >/dev/null)
    header=$(ls "$fetch"/get/cpp-httplib-*/httplib.h)
    $sudo mkdir -p /usr/src/cpp-httplib
    $sudo cp "$header" "$(dirname "$header")/LICENSE" /usr/src/cpp-httplib/
    rm -rf "$fetch"
fi
