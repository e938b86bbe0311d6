#!/usr/bin/env bash
# Pictures of the real program for the README, into docs/images/: each window, opened through
# its menu on a generated tournament of 40 players under a virtual display, and page 1 of each
# printed report; then, on a second tournament of 26 players, the evening with a late arrival, a
# player gone, a round added and tables of five. Installs what it needs from Debian's packages;
# safe to run again.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/deps.sh" xvfb xauth openbox xdotool imagemagick
bash "$root/scripts/build.sh"

images="$root/docs/images"
mkdir -p "$images"
work="$(mktemp -d)"
display=":$((90 + RANDOM % 100))"
cleanup() {
    kill "${program:-}" "${manager:-}" "${server:-}" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# The program in a folder of its own, on a tournament of 40 players, 3 rounds of 12 deals.
cp "$root/build/bin/Velmora" "$root/build/bin/Velmora.hlp" "$work/"
"$root/build/tools/velmora-newdb" "$work/Velmora.dat"
names="('MARTIN','Jean'),('BERNARD','Marie'),('DUBOIS','Luc'),('THOMAS','Anne'),
('ROBERT','Hugo'),('RICHARD','Inès'),('PETIT','Théo'),('DURAND','Chloé'),('LEROY','Jules'),
('MOREAU','Zoé'),('SIMON','Éric'),('LAURENT','Léa'),('LEFÈVRE','Noël'),('MICHEL','Rémi'),
('GARCIA','Célia'),('DAVID','Aimé'),('BERTRAND','Lucie'),('ROUX','Paul'),('VINCENT','Emma'),
('FOURNIER','Louis'),('MOREL','Jeanne'),('GIRARD','Marc'),('ANDRÉ','Sophie'),('MERCIER','Yves'),
('DUPONT','Claire'),('LAMBERT','Denis'),('BONNET','Agnès'),('FRANÇOIS','Henri'),
('MARTINEZ','Julie'),('LEGRAND','Pierre'),('GARNIER','Odile'),('FAURE','Gilles'),
('ROUSSEAU','Hélène'),('BLANC','Michel'),('GUÉRIN','Nadine'),('MULLER','Serge'),
('HENRY','Brigitte'),('ROUSSEL','Alain'),('NICOLAS','Monique'),('D''ALEMBERT','Jean-pierre')"
sqlcipher "$work/Velmora.dat" >/dev/null <<SQL
PRAGMA key='kqz475';
CREATE TEMP TABLE noms (n INTEGER PRIMARY KEY, nom, prenom);
INSERT INTO noms (nom, prenom) VALUES $names;
INSERT INTO Inscriptions SELECT n, nom, prenom, 0, NULL, 0, 0, 0, 0, 0, 0, 0 FROM noms;
UPDATE Parametres SET Manches = 3, Parties = 12, EviterRencontres = 1;
SQL

Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
server=$!
export DISPLAY="$display" QT_QPA_PLATFORM=xcb
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 &
manager=$!
(cd "$work" && exec ./Velmora) >/dev/null 2>&1 &
program=$!
xdotool search --sync --onlyvisible --name '^Velmora$' >/dev/null
sleep 3

# A picture of the active window as the screen shows it, with the lists it opens over itself.
screen_shot() {
    sleep 0.8
    import -screen -window "$2" png:- | convert - -strip -colors 96 PNG8:"$images/$1.png"
}
# ImageMagick's own converter, by its Debian name: another "convert" may come first on PATH.
convert() { convert-im6.q16 "$@"; }
# A picture, its colours reduced so that it stays small.
shot() {
    local name="$1" window="${2:-root}"
    sleep 0.8
    import -window "$window" png:- | convert - -strip -colors 96 PNG8:"$images/$name.png"
}
active() { xdotool getactivewindow; }
keys() {
    xdotool key --delay 120 "$@"
    sleep 0.6
}
type() {
    xdotool type --delay 60 "$1"
    sleep 0.3
}

shot fenetre-principale
keys alt+f i && shot inscriptions "$(active)" && keys alt+q
keys alt+p m && shot manches-et-parties "$(active)" && keys alt+q
keys alt+f c && keys space && shot constitution-des-tables "$(active)" && keys alt+q

# Two rounds scored, each table's winner seat turning with the table and the round.
sqlcipher "$work/Velmora.dat" >/dev/null <<'SQL'
PRAGMA key='kqz475';
INSERT INTO Resultats SELECT 1, CodeIndividuel, CASE WHEN Position = (CodeEquipe01 + 1) % 4 + 1
  THEN 3 * (10 + CodeEquipe01 % 3 * 5) ELSE -(10 + CodeEquipe01 % 3 * 5) END
  FROM Inscriptions WHERE Position > 0;
INSERT INTO Resultats SELECT 2, CodeIndividuel, CASE WHEN Position = (CodeEquipe02 + 2) % 4 + 1
  THEN 3 * (10 + CodeEquipe02 % 3 * 5) ELSE -(10 + CodeEquipe02 % 3 * 5) END
  FROM Inscriptions WHERE Position > 0;
SQL

keys alt+f s && type 3004 && keys Return && shot saisie-des-resultats "$(active)" && keys alt+q
keys alt+f r && type 2003 && keys Return && shot correction-des-resultats "$(active)" && keys alt+q

# The reports go to PDF files, as there is no printer; no file viewer either, so a message
# names them.
keys alt+e l Return
# The score sheets' question comes once the list's message is gone: time for both.
sleep 1.5
keys alt+e g && sleep 0.8 && type 1 && keys Return && sleep 1.5 && keys Return
keys alt+e r Return
keys alt+e e Return
# Page 1 of a report printed to PDF, by the start of its file's name.
page_one() {
    local report="$1" pdf slug
    pdf="$(ls "$work/Impressions/$report"*.pdf | head -n 1)"
    slug="$(echo "$report" | sed 's/ - manche 1//; s/ /-/g' | tr '[:upper:]' '[:lower:]')"
    pdftoppm -f 1 -l 1 -r 50 -png -singlefile "$pdf" "$work/page"
    convert "$work/page.png" -strip -colors 64 PNG8:"$images/edition-$slug.png"
}
for report in "Liste des tables - manche 1" "Grilles de comptage - manche 1" "Classement"; do
    page_one "$report"
done

keys alt+f t && keys alt+d && shot saisie-aux-tables "$(active)"
# The players' pages, served on this computer's own address only: stopped, the address list's
# last (127.0.0.1) chosen, the ranking made public, started again.
keys alt+a && keys alt+o End && keys alt+l Down && keys alt+d
sleep 1
key="$(sqlcipher "$work/Velmora.dat" <<'SQL' | tail -n 1
PRAGMA key='kqz475';
SELECT Cle FROM ClesJoueurs WHERE CodeIndividuel = 1;
SQL
)"
# Debian's own Python, which has Selenium.
/usr/bin/python3 "$root/scripts/page_shots.py" http://127.0.0.1:8080/ 1 "$key" "$images"
# The route cards printed from the main window meanwhile: each with its key and QR code.
entry="$(active)"
xdotool search --onlyvisible --name '^Velmora$' windowactivate --sync
keys alt+e f && sleep 2 && keys Return
page_one "Feuilles de route"
xdotool windowactivate --sync "$entry"
keys Escape

mkdir -p "$work/Sauvegardes"
cp "$work/Velmora.dat" "$work/Sauvegardes/Velmora 2026-12-09 21h14m03 avant nouveau tirage.dat"
keys alt+p s && shot restaurer-une-sauvegarde "$(active)" && keys alt+q
keys F1 && shot aide "$(active)" && keys alt+F4
keys alt+question p && shot a-propos "$(active)" && keys alt+q

# A real evening, in a folder of its own: 26 players, 4 rounds of 10 deals, tables of five;
# a late arrival after round 1, a player gone after round 2, a fifth round added after round 4.
# The program stopped, then a folder of its own with a new file for the next pictures.
new_folder() {
    kill "$program" || true
    wait "$program" 2>/dev/null || true
    mkdir -p "$1"
    cp "$root/build/bin/Velmora" "$root/build/bin/Velmora.hlp" "$1/"
    "$root/build/tools/velmora-newdb" "$1/Velmora.dat"
}
evening="$work/soiree"
new_folder "$evening"
sqlcipher "$evening/Velmora.dat" >/dev/null <<SQL
PRAGMA key='kqz475';
CREATE TEMP TABLE noms (n INTEGER PRIMARY KEY, nom, prenom);
INSERT INTO noms (nom, prenom) VALUES $names;
INSERT INTO Inscriptions SELECT n, nom, prenom, 0, NULL, 0, 0, 0, 0, 0, 0, 0 FROM noms
  WHERE n <= 26;
UPDATE Parametres SET Manches = 4, Parties = 10, EviterRencontres = 1;
SQL
# Round k scored: at each table of four or five, one winner's seat turning with the table.
score() {
    local k="CodeEquipe0$1"
    sqlcipher "$evening/Velmora.dat" >/dev/null <<SQL
PRAGMA key='kqz475';
INSERT INTO Resultats SELECT $1, CodeIndividuel, CASE WHEN Position = ($k + $1) % n + 1
  THEN (n - 1) * (10 + $k % 3 * 5) ELSE -(10 + $k % 3 * 5) END
  FROM (SELECT *, (SELECT count(*) FROM Inscriptions o WHERE o.$k = i.$k) AS n
        FROM Inscriptions i WHERE $k > 0);
SQL
}
(cd "$evening" && exec ./Velmora) >/dev/null 2>&1 &
program=$!
xdotool search --sync --onlyvisible --name '^Velmora$' >/dev/null
sleep 3

# The draw with "Tables de cinq" ticked (after Valider, Quitter and the first box).
keys alt+f c && keys Tab Tab Tab space && keys alt+v && keys alt+q
score 1
# Player 27 registered from the window, then rounds 2 to 4 drawn again (Yes, then the copy's
# message).
keys alt+f a && keys alt+i && type legrand && keys Return && type pierre && keys Return Return
keys alt+q && keys alt+r && keys Return && sleep 1 && keys Return && keys alt+q
score 2
# Player 22 gone from round 3 (the spin box offers it), rounds 3 and 4 drawn again.
keys alt+f a && keys End Up Up Up Up Up && keys alt+m && keys alt+r && keys Return && sleep 1 &&
    keys Return && keys alt+q
score 3
score 4
# A fifth round, then drawn alone: no table is replaced, so no question and no copy.
keys alt+p m && type 5 && keys Return && type 10 && keys Return Return && keys alt+q
keys alt+f a && keys alt+r && keys End Up Up Up Up Up && shot arrivees-et-departs "$(active)"
keys alt+q

# The sheet of round 5's last table of five, printed alone by its code.
five="$(sqlcipher "$evening/Velmora.dat" <<'SQL' | tail -n 1
PRAGMA key='kqz475';
SELECT CodeEquipe05 FROM Inscriptions WHERE CodeEquipe05 > 0 GROUP BY CodeEquipe05
  HAVING count(*) = 5 ORDER BY CodeEquipe05 DESC LIMIT 1;
SQL
)"
keys alt+e g && sleep 0.8 && type "$five" && keys Return && sleep 1.5 && keys Return
pdf="$(ls "$evening/Impressions/Grille de comptage - table $five"*.pdf | head -n 1)"
pdftoppm -f 1 -l 1 -r 50 -png -singlefile "$pdf" "$work/page"
convert "$work/page.png" -strip -colors 64 PNG8:"$images/grille-table-de-cinq.png"

# The club's season, in a folder of its own: its member list imported from a spreadsheet's file
# (Windows-1252, ";"), one line refused, then four evenings of the autumn kept.
season="$work/saison"
new_folder "$season"
{
    printf 'N° licence;Nom;Prénom;Téléphone\n'
    echo "$names" | tr -d '\n' | sed "s/),(/\n/g; s/[()]//g; s/''/\x01/g; s/'//g; s/\x01/'/g" |
        awk -F, '{ printf "%05d;%s;%s;06 00 00 00 %02d\n", 1000 + NR, $1, $2, NR }'
    printf '01100;;Sans nom;06 00 00 00 99\n'
} | iconv -f UTF-8 -t WINDOWS-1252 >"$season/membres.csv"
(cd "$season" && exec ./Velmora) >/dev/null 2>&1 &
program=$!
xdotool search --sync --onlyvisible --name '^Velmora$' >/dev/null
sleep 3
keys alt+s i && keys alt+c && sleep 1 && type "$season/membres.csv" && keys Return && sleep 1
shot importer-des-joueurs "$(active)"
keys alt+i && sleep 1 && keys Return && keys alt+q
# Evenings of 3 rounds kept at four resets: some players absent some evenings.
sqlcipher "$season/Velmora.dat" >/dev/null <<'SQL'
PRAGMA key='kqz475';
CREATE TEMP TABLE s (n INTEGER, jour);
INSERT INTO s VALUES (1, '2026-09-17'), (2, '2026-10-08'), (3, '2026-11-05'), (4, '2026-12-03');
CREATE TEMP TABLE p AS SELECT s.n AS soiree, j.Joueur, j.Nom, j.Prenom,
  (j.Joueur * 37 + s.n * 11) % 41 * 5 - 100 AS p1, (j.Joueur * 13 + s.n * 7) % 31 * 5 - 75 AS p2,
  (j.Joueur * 29 + s.n * 5) % 23 * 5 - 55 AS p3
  FROM s JOIN JoueursClub j WHERE (j.Joueur + s.n) % 5 <> 0 AND j.Joueur <= 36;
INSERT INTO SoireesJoueurs (Soiree, Joueur, CodeIndividuel, Nom, Prenom, Place, Total, Points1,
  Points2, Points3)
  SELECT soiree, Joueur,
  (SELECT count(*) FROM p q WHERE q.soiree = p.soiree AND q.Joueur <= p.Joueur), Nom, Prenom,
  1 + (SELECT count(*) FROM p q WHERE q.soiree = p.soiree AND q.p1 + q.p2 + q.p3 > p.p1 + p.p2 + p.p3),
  p1 + p2 + p3, p1, p2, p3 FROM p;
INSERT INTO Soirees SELECT n, jour, jour || ' 23:40:00', 3,
  (SELECT count(*) FROM p WHERE soiree = n) FROM s;
SQL
# Wide enough for every column of the ranking.
keys alt+s s && xdotool getactivewindow windowsize 800 560 && shot soirees "$(active)" &&
    keys alt+q
keys alt+s j && shot joueurs-du-club "$(active)" && keys alt+q
keys alt+s c && shot classement-de-la-saison "$(active)" && keys alt+q
# The known players suggested as a surname's first letters are typed.
keys alt+f i && type du && screen_shot suggestions "$(active)" && keys Escape alt+q

ls -l "$images"
