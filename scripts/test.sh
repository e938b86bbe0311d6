#!/usr/bin/env bash
# Builds Velmora and runs every test (no display needed).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/build.sh"
# The code builds on other systems too: no Linux-only call outside app/Platform.cpp.
if grep -rnE '#include <(unistd|fcntl|dlfcn|pwd|termios|linux/|sys/|X11/)|/proc/|QX11Application' \
    "$root/src" "$root/tools" --include='*.cpp' --include='*.h' | grep -v '^[^:]*/src/app/Platform\.cpp:'; then
    echo "Linux-only calls outside src/app/Platform.cpp" >&2
    exit 1
fi
ctest --test-dir "$root/build" --output-on-failure
