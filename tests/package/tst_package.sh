#!/usr/bin/env bash
# The Debian package, made from the build, unpacked into a scratch root (never installed on this
# machine): its contents in place, nothing of the build folder, no lintian error; its program
# started twice offscreen with a scratch user folder: the tournament copied there from the
# model at the first start, a player written into it still there after the second.
#   bash tst_package.sh <build folder>
set -euo pipefail
build="$(cd "$1" && pwd)"
work="$(mktemp -d)"
program=""
stop() {
    if [ -n "$program" ]; then
        kill "$program" 2>/dev/null || true
        wait "$program" 2>/dev/null || true
        program=""
    fi
}
trap 'stop; rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

(cd "$build" && cpack -B "$work/out" >"$work/cpack.log") || { cat "$work/cpack.log"; fail "cpack"; }
deb="$(ls "$work"/out/velmora_*_amd64.deb)"

# Every file in its place, and no other.
expected="./usr/bin/Velmora
./usr/share/applications/velmora.desktop
./usr/share/doc/velmora/LICENSE.txt
./usr/share/doc/velmora/changelog.gz
./usr/share/doc/velmora/copyright
./usr/share/icons/hicolor/64x64/apps/velmora.png
./usr/share/man/man1/Velmora.1.gz
./usr/share/metainfo/velmora.metainfo.xml
./usr/share/velmora/Velmora.dat
./usr/share/velmora/Velmora.hlp"
listed="$(dpkg-deb -c "$deb" | grep -v '^d' | awk '{print $6}' | sort)"
[ "$listed" = "$expected" ] || fail "contents differ:"$'\n'"$listed"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || fail "no Qt in Depends"
dpkg-deb -f "$deb" Depends | grep -q 'libsqlcipher' || fail "no SQLCipher in Depends"

root="$work/root"
dpkg-deb -x "$deb" "$root"
if grep -rlF "$build" "$root"; then fail "the build folder is named in the package"; fi
file "$root/usr/bin/Velmora" | grep -q 'stripped' || fail "program not stripped"
file "$root/usr/bin/Velmora" | grep -q 'not stripped' && fail "program not stripped"

lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1 || { cat "$work/lintian.log"; fail "lintian"; }
echo "lintian:"
cat "$work/lintian.log"

export XDG_DATA_HOME="$work/data" HOME="$work/home" QT_QPA_PLATFORM=offscreen QT_QPA_PLATFORMTHEME=
userfile="$XDG_DATA_HOME/Velmora/Velmora.dat"
mkdir -p "$HOME"
sql() { sqlcipher "$userfile" | tail -n 1; }

# Starts the unpacked program, waits (at most 20 s) until it holds its lock beside the
# tournament, then ends it.
run() {
    # The lock a killed program left would read as this start's own.
    rm -f "$XDG_DATA_HOME/Velmora/Velmora.lck"
    timeout -s KILL 60 "$root/usr/bin/Velmora" >>"$work/program.log" 2>&1 &
    program=$!
    for _ in $(seq 200); do
        [ -e "$XDG_DATA_HOME/Velmora/Velmora.lck" ] && break
        kill -0 "$program" 2>/dev/null || break
        sleep 0.1
    done
    [ -e "$XDG_DATA_HOME/Velmora/Velmora.lck" ] || { cat "$work/program.log"; fail "no start"; }
    stop
}

run
[ -f "$userfile" ] || fail "no tournament in the user folder"
[ ! -e "$root/usr/bin/Velmora.dat" ] || fail "a file beside the installed program"
sql <<<"PRAGMA key='kqz475';
INSERT INTO Inscriptions VALUES (1, 'DUPONT', 'Jean', 0, NULL, 0, 0, 0, 0, 0, 0, 0);
SELECT count(*) FROM Inscriptions;" | grep -qx 1 || fail "player not written"
run
sql <<<"PRAGMA key='kqz475';
SELECT Nom || ' ' || Prenom FROM Inscriptions;" | grep -qx 'DUPONT Jean' || fail "player lost"
[ "$(ls "$XDG_DATA_HOME/Velmora")" = "$(printf 'Velmora.dat\nVelmora.lck')" ] ||
    [ "$(ls "$XDG_DATA_HOME/Velmora")" = "Velmora.dat" ] || fail "left: $(ls "$XDG_DATA_HOME/Velmora")"
echo "package $(basename "$deb"): PASS"
