#!/usr/bin/env bash
# Sourced by the set-up scripts: install_missing [--apt-option]... PACKAGE...
# installs the named Debian packages with apt-get (through sudo when not
# root) and says which; nothing when no package is named. apt-get's progress
# is not shown, its warnings and errors are.
install_missing() {
    local options=()
    while [ $# -gt 0 ] && [ "${1#--}" != "$1" ]; do
        options+=("$1")
        shift
    done
    [ $# -gt 0 ] || return 0
    echo "installing: $*"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${options[@]}" "$@" >/dev/null
}
