#!/usr/bin/env bash
# Builds Velmora and starts it on your display.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/build.sh"
exec "$root/build/bin/Velmora"
