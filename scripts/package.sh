#!/usr/bin/env bash
# Builds the Debian package velmora_<version>_amd64.deb into build/package/, from the same
# CMake build as the two commands, and runs lintian on it (an error fails the script).
# Install it with: sudo apt install ./build/package/velmora_<version>_amd64.deb
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
# Only what the package holds: the tests are not needed for it.
cmake --build "$root/build" -j"$(nproc)" --target Velmora velmora-newdb
(cd "$root/build" && cpack -B "$root/build/package")
deb="$(ls "$root"/build/package/velmora_*_amd64.deb)"
lintian --fail-on error "$deb"
echo "$deb"
