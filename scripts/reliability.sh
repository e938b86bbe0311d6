#!/usr/bin/env bash
# The reliability checks at full count (docs/RELIABILITY.md): every write point of every writing
# action failed, a power cut at every sync, 30 kills per action on the largest tournament,
# 10 000 hostile entries typed into the windows, and the entry points' own guards. The test
# command runs the same tests with fewer kills and entries. At the end it prints the figures
# of the run as the document's table shows them.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
tests=(tst_guards tst_writefailures tst_powercut tst_killed tst_hostileinput)
bash "$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" -j"$(nproc)" --target "${tests[@]}" velmora_act
cd "$root/build/tests"
export QT_QPA_PLATFORM=offscreen QT_QPA_PLATFORMTHEME=
export VELMORA_KILLS="${VELMORA_KILLS:-30}" VELMORA_HOSTILE="${VELMORA_HOSTILE:-10000}"
log="$(mktemp)"
trap 'rm -f "$log"' EXIT
started=$(date +%s)
for test in "${tests[@]}"; do
    echo "== $test"
    ./"$test" | tee -a "$log"
done
seconds=$(($(date +%s) - started))

python3 - "$log" "$seconds" <<'EOF'
import re, sys
from collections import defaultdict

text = open(sys.argv[1], encoding="utf-8").read()
seconds = int(sys.argv[2])

# The write-failure test's rows, in the document's order, with the document's words.
rows = [
    ("player registered", "register a player"),
    ("player renamed", "rename a player"),
    ("player removed", "remove a player (no draw yet)"),
    ("settings stored", "store the settings"),
    ("first draw", "first draw"),
    ("redraw", "redraw (scores stored: a backup copy first)"),
    ("coming rounds redrawn", "the coming rounds drawn again (a backup copy first)"),
    ("table's scores stored", "store a table's scores"),
    ("table corrected", "correct a stored table"),
    ("table deleted", "delete a stored table"),
    ("backup copy", "write a backup copy"),
    ("copy restored", "restore a copy (a backup of the tournament first)"),
    ("reset", "reset (a backup copy first)"),
    ("reset beside a season kept", "reset beside a season kept already (a backup copy first)"),
    ("players imported", "import a member list into the club's players"),
    ("evening removed", "remove an evening from the season"),
]
# The power cuts and the kills start from a scored tournament: their "draw" is a redraw.
by_action = {"draw": "redraw", "coming_rounds": "coming rounds redrawn",
             "scores": "table's scores stored", "reset": "reset"}

points = defaultdict(set)
for row, _, action, n in re.findall(
        r"everyWritePointFails\((.+?), (I/O error|disk full)\) (\w+): (\d+) write points", text):
    points[row].add(int(n))
backup = len(re.findall(r"PASS   : TestWriteFailures::aBackupCopyFailsCleanly\(", text)) == 2

cuts = defaultdict(list)
for action, syncs in re.findall(r"everySyncPoint\(\w+, .+?\) (\w+): (\d+) syncs", text):
    cuts[by_action[action]].append(int(syncs))

kills = {}
for name, action, count, ran in re.findall(
        r"killedMidAction\((.+?)\) (\w+): (\d+) kills over [\d.]+ ms, (\d+) while it ran", text):
    row = name if name == "reset beside a season kept" else by_action[action]
    kills[row] = f"{count} ({ran} while it ran)"

print()
print("| action | write points failed (each with an I/O error and with a full disk) "
      "| power cuts | kills |")
print("|---|---|---|---|")
for row, words in rows:
    if row == "backup copy":
        failed = ("every point: no copy left under a name, nothing half written" if backup
                  else "not run")
    else:
        failed = " / ".join(str(n) for n in sorted(points[row])) or "not run"
    cut = ""
    if cuts[row]:
        syncs = sorted(set(cuts[row]))
        cut = f"{' / '.join(map(str, syncs))} syncs × {len(cuts[row])}"
    print(f"| {words} | {failed} | {cut} | {kills.get(row, '')} |")

windows = re.findall(r"hostileEntries\((.+?)\) .*?: (\d+) strings", text)
total = re.search(r"(\d+) strings in all", text)
print()
print("Hostile input: " + (total.group(1) if total else "?") + " strings — " +
      ", ".join(f"{n} into {w}" for w, n in windows) + ".")
guards = len(re.findall(r"PASS   : TestGuards::refusedWithoutWriting\(", text))
print(f"Guards: {guards} refused calls, null, empty, junk and huge.")
print(f"Full run: {seconds} s, building excluded.")
EOF
