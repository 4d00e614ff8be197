#!/usr/bin/env bash
# Installs the built tree into a temporary prefix and checks the files, then
# builds the Debian package into a temporary folder, lists its contents,
# checks its control fields and runs the executables it unpacks to.
# The Wireshark dissector must lie in Wireshark's global Lua plugin folder
# (the folder `tshark -G folders` names, where tshark is installed) and load
# from there as a plugin; zelmot-watch's examples (systemd unit, Prometheus
# configuration and rules) are in the documentation, and zelmot-watch with
# its unit when the build has it.
# Usage: install_test.sh <build dir> <cmake> <cpack> <version> <Lua plugin folder below the prefix>
set -euo pipefail
build=$1
cmake=${2:-cmake}
cpack=${3:-cpack}
version=${4:-}
plugins=${5:-lib/$(gcc -print-multiarch 2>/dev/null || echo x86_64-linux-gnu)/wireshark/plugins}
watch=false
[ -x "$build/zelmot-watch" ] && watch=true

work=$(mktemp -d "${TMPDIR:-/tmp}/zelmot-packaging.XXXXXX")
trap 'rm -rf "$work"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

# The installed executables print the banner; OptHelp ends with status 1.
check_tool() {
    local exe=$1 status=0 text
    text=$("$exe" OptHelp) || status=$?
    [ "$status" -eq 1 ] || fail "$exe OptHelp: exit status $status, expected 1"
    case "$text" in ";"*"v$version"*) ;; *) fail "$exe OptHelp: no banner with v$version";; esac
}

check_tree() {
    local root=$1 f
    for f in bin/zelmot2txt bin/zelmot-gen bin/zelmot-stats bin/zelmot2pcap; do
        [ -x "$root/$f" ] || fail "$root/$f missing or not executable"
    done
    for f in share/man/man1/zelmot2txt.1 share/man/man1/zelmot-gen.1 share/man/man1/zelmot-stats.1 \
             share/man/man1/zelmot2pcap.1 share/doc/zelmot2txt/README.md "$plugins/pbfdl.lua" \
             share/doc/zelmot2txt/examples/zelmot-watch@.service share/doc/zelmot2txt/examples/zelmot-watch.yml \
             share/doc/zelmot2txt/examples/zelmot-watch-rules.yml; do
        [ -s "$root/$f" ] || fail "$root/$f missing"
    done
    [ ! -e "$root/share/wireshark/plugins/pbfdl.lua" ] || fail "the dissector in share/wireshark/plugins, which Wireshark does not read"
    if $watch; then
        [ -x "$root/bin/zelmot-watch" ] || fail "$root/bin/zelmot-watch missing"
        [ -s "$root/share/man/man1/zelmot-watch.1" ] || fail "zelmot-watch.1 missing"
        [ -s "$root/lib/systemd/system/zelmot-watch@.service" ] || fail "the systemd unit missing"
    fi
    check_tool "$root/bin/zelmot2txt"
    "$root/bin/zelmot-gen" --help >/dev/null || fail "$root/bin/zelmot-gen --help failed"
    local status=0
    "$root/bin/zelmot2pcap" 2>/dev/null || status=$?
    [ "$status" -eq 3 ] || fail "$root/bin/zelmot2pcap without arguments: exit status $status, expected 3"
    status=0
    "$root/bin/zelmot-stats" 2>/dev/null || status=$?
    [ "$status" -eq 3 ] || fail "$root/bin/zelmot-stats without arguments: exit status $status, expected 3"
    if command -v groff >/dev/null; then
        local warnings
        for f in zelmot2txt zelmot-stats zelmot2pcap; do
            warnings=$(groff -man -Tutf8 -ww "$root/share/man/man1/$f.1" 2>&1 >/dev/null)
            [ -z "$warnings" ] || fail "manual page warnings in $f.1: $warnings"
        done
    fi
}

# cmake --install into a temporary prefix.
"$cmake" --install "$build" --prefix "$work/prefix" >"$work/install.log" ||
    { cat "$work/install.log" >&2; fail "cmake --install"; }
check_tree "$work/prefix"
echo "installed into a temporary prefix: ok"

# The Debian package, built into a folder of its own.
"$cpack" --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; fail "cpack"; }
debs=("$work"/package/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one .deb, found: ${debs[*]}"
deb=${debs[0]}
echo "package: $(basename "$deb")"
dpkg-deb -c "$deb" | tee "$work/contents.txt"
for f in ./usr/bin/zelmot2txt ./usr/bin/zelmot-gen ./usr/bin/zelmot-stats ./usr/bin/zelmot2pcap \
         ./usr/share/man/man1/zelmot2txt.1 ./usr/share/man/man1/zelmot-gen.1 ./usr/share/man/man1/zelmot-stats.1 \
         ./usr/share/man/man1/zelmot2pcap.1 "./usr/$plugins/pbfdl.lua" \
         ./usr/share/doc/zelmot2txt/examples/zelmot-watch@.service ./usr/share/doc/zelmot2txt/examples/zelmot-watch.yml; do
    awk '{print $NF}' "$work/contents.txt" | grep -qx -- "$f" || fail "$f not in the package"
done
[ "$(dpkg-deb -f "$deb" Package)" = zelmot2txt ] || fail "package name"
[ -z "$version" ] || [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version"
[ -n "$(dpkg-deb -f "$deb" Maintainer)" ] || fail "no maintainer"
[ -n "$(dpkg-deb -f "$deb" Description)" ] || fail "no description"

# The package's files, unpacked into a temporary root, work in place.
dpkg-deb -x "$deb" "$work/root"
check_tree "$work/root/usr"
echo "package unpacked into a temporary root: ok"

# Where this machine's Wireshark reads Lua plugins: the package must put the
# dissector there, and the file as packaged loads as a plugin (from the
# personal Lua folder of a scratch home, the one folder tshark lets a test
# choose) with both its protocols.
if command -v tshark >/dev/null; then
    folder=$(tshark -G folders 2>/dev/null | awk -F'\t' '/^Global Lua Plugins:/ {print $2}')
    [ -n "$folder" ] || fail "tshark -G folders names no global Lua plugin folder"
    # grep reads all its input (no -q): an early exit would fail the
    # pipeline under pipefail when the writer is still writing.
    awk '{print $NF}' "$work/contents.txt" | grep -x -- ".$folder/pbfdl.lua" >/dev/null ||
        fail "the package does not put pbfdl.lua into $folder, where tshark reads Lua plugins"
    mkdir -p "$work/home/.local/lib/wireshark/plugins"
    cp "$work/root$folder/pbfdl.lua" "$work/home/.local/lib/wireshark/plugins/"
    protocols=$(HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" tshark -G protocols 2>/dev/null)
    for p in pbfdl pbdp; do
        printf '%s\n' "$protocols" | awk -F'\t' '{print $3}' | grep -x "$p" >/dev/null ||
            fail "tshark does not load $p from the packaged pbfdl.lua"
    done
    echo "dissector in $folder (tshark's global Lua plugin folder), loads as a plugin: ok"
fi
