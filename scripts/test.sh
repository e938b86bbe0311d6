#!/usr/bin/env bash
# Builds Velmora and runs every test (no display needed).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/build.sh"
ctest --test-dir "$root/build" --output-on-failure
