#!/usr/bin/env bash
# Installs, with apt-get (as root), each Debian package whose mark is missing. Each
# argument is PACKAGE:MARK, where MARK is a command name or, starting with /, a path
# pattern that must match a file:
#   install_missing.sh cmake:cmake libgtest-dev:/usr/include/gtest/gtest.h
set -euo pipefail
missing=()
for entry in "$@"; do
    package=${entry%%:*} mark=${entry#*:}
    if [[ $mark == /* ]]; then
        compgen -G "$mark" >/dev/null || missing+=("$package")
    else
        command -v "$mark" >/dev/null || missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "installing: ${missing[*]}"
apt-get update
DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
