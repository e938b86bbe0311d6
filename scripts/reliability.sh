#!/usr/bin/env bash
# The reliability checks at full count (docs/RELIABILITY.md): every write point of every writing
# action failed, a power cut at every sync, 30 kills per action on the largest tournament,
# 10 000 hostile entries typed into the windows, and the entry points' own guards. The test
# command runs the same tests with fewer kills and entries.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/build.sh"
cd "$root/build/tests"
export QT_QPA_PLATFORM=offscreen QT_QPA_PLATFORMTHEME=
export VELMORA_KILLS="${VELMORA_KILLS:-30}" VELMORA_HOSTILE="${VELMORA_HOSTILE:-10000}"
for test in tst_guards tst_writefailures tst_powercut tst_killed tst_hostileinput; do
    echo "== $test"
    ./"$test"
done
