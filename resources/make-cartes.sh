#!/bin/sh
# Velmora - dessin « Cartes » affiché au centre de la fenêtre principale.
# Œuvre originale des développeurs de Velmora (aucune image extérieure n'est utilisée).
#
# Dessine un éventail de cinq cartes de tarot (le Petit, la Dame de pique,
# l'Excuse, le Roi de cœur et le 21 d'atout) avec ImageMagick, sur fond
# transparent, puis écrit :
#   cartes.png         420x300, image centrale
#   icons/velmora.png  64x64, icône du programme
#
# Usage : sh make-cartes.sh            (depuis n'importe quel dossier)
#         CONVERT=/chemin/convert sh make-cartes.sh
# Nécessite ImageMagick (convert) et les polices DejaVu (paquet fonts-dejavu-core).

set -eu

CONVERT=${CONVERT:-convert}
HERE=$(cd "$(dirname "$0")" && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT INT TERM

# Tout est dessiné à l'échelle 3 puis réduit, pour des bords bien lissés.
CW=360          # largeur d'une carte (120 px une fois réduite)
CH=570          # hauteur d'une carte (190 px une fois réduite)
FW=1500         # largeur de la feuille de travail
FH=1100         # hauteur de la feuille de travail

SERIF=DejaVu-Serif-Bold

INK='#2b2b2b'
RED='#c8102e'
GOLD='#e0a526'
GOLD_DARK='#9a6b0c'
BLUE='#1f4e8c'
PAPER='#fffdf6'

# Contours (centrés sur 0,0, environ 100 unités de large).
HEART='M 0,42 C -14,30 -50,6 -50,-20 C -50,-40 -34,-50 -20,-50 C -9,-50 -2,-42 0,-34 C 2,-42 9,-50 20,-50 C 34,-50 50,-40 50,-20 C 50,6 14,30 0,42 Z'
SPADE='M 0,-52 C 12,-36 50,-14 50,12 C 50,30 34,38 20,36 C 12,35 6,30 3,24 C 4,36 9,46 20,54 L -20,54 C -9,46 -4,36 -3,24 C -6,30 -12,35 -20,36 C -34,38 -50,30 -50,12 C -50,-14 -12,-36 0,-52 Z'

# star CX CY R_EXT R_INT : polygone d'une étoile à cinq branches
star() {
    awk -v cx="$1" -v cy="$2" -v ro="$3" -v ri="$4" 'BEGIN {
        pi = atan2(0, -1); s = "polygon"
        for (i = 0; i < 10; i++) {
            r = (i % 2) ? ri : ro
            a = -pi / 2 + i * pi / 5
            s = s sprintf(" %.1f,%.1f", cx + r * cos(a), cy + r * sin(a))
        }
        print s
    }'
}

# shape PATH CX CY ECHELLE COULEUR : un cœur ou un pique posé en CX,CY
shape() {
    printf "push graphic-context fill '%s' stroke none translate %s,%s scale %s,%s path '%s' pop graphic-context" \
        "$5" "$2" "$3" "$4" "$4" "$1"
}

# index TEXTE COULEUR POLICE TAILLE [SYMBOLE] : les deux coins d'une carte
# (en haut à gauche, et le même retourné en bas à droite).
index() {
    _t=$1 _c=$2 _f=$3 _s=$4 _sym=${5:-}
    _extra=""
    if [ -n "$_sym" ]; then
        _extra=$(shape "$_sym" 0 "$((_s + 20))" 0.30 "$_c")
    fi
    printf "push graphic-context font '%s' font-size %s fill '%s' stroke none text-anchor middle \
translate 40,%s text 0,0 '%s' %s pop graphic-context " "$_f" "$_s" "$_c" "$((_s + 22))" "$_t" "$_extra"
    printf "push graphic-context font '%s' font-size %s fill '%s' stroke none text-anchor middle \
translate %s,%s rotate 180 text 0,0 '%s' %s pop graphic-context" "$_f" "$_s" "$_c" \
        "$((CW - 40))" "$((CH - _s - 22))" "$_t" "$_extra"
}

# index_star COULEUR : les coins de l'Excuse, une étoile au lieu d'un chiffre.
index_star() {
    printf "push graphic-context fill '%s' stroke none %s %s pop graphic-context" "$1" \
        "$(star 40 62 28 11)" "$(star $((CW - 40)) $((CH - 62)) 28 11)"
}

# card FICHIER CADRE MOTIF... : fond, bordure, cadre intérieur puis motif.
card() {
    _out=$1 _frame=$2
    shift 2
    "$CONVERT" -size "${CW}x${CH}" xc:none \
        -fill "$PAPER" -stroke '#6b6b6b' -strokewidth 4 \
        -draw "roundrectangle 3,3 $((CW - 4)),$((CH - 4)) 27,27" \
        -fill none -stroke "$_frame" -strokewidth 3 \
        -draw "roundrectangle 78,30 $((CW - 79)),$((CH - 31)) 14,14" \
        "$@" "$WORK/$_out"
}

# Médaillon des atouts : ovale bleu bordé d'or avec le numéro en grand.
medallion() {
    printf "push graphic-context fill '%s' stroke '%s' stroke-width 8 ellipse %s,%s 86,150 0,360 \
fill none stroke '%s' stroke-width 3 ellipse %s,%s 72,136 0,360 \
font '%s' font-size %s fill '%s' stroke '%s' stroke-width 2 text-anchor middle text %s,%s '%s' pop graphic-context" \
        "$BLUE" "$GOLD" "$((CW / 2))" "$((CH / 2))" "$GOLD" "$((CW / 2))" "$((CH / 2))" \
        "$SERIF" "$2" "$PAPER" "$GOLD_DARK" "$((CW / 2))" "$((CH / 2 + $2 * 36 / 100))" "$1"
}

# --- Le Petit (atout 1) ------------------------------------------------
card petit.png "$BLUE" \
    -draw "$(index 1 "$BLUE" "$SERIF" 54)" \
    -draw "$(medallion 1 150)"

# --- Dame de pique -----------------------------------------------------
card dame.png "$INK" \
    -draw "$(index D "$INK" "$SERIF" 54 "$SPADE")" \
    -draw "push graphic-context fill '$GOLD' stroke '$GOLD_DARK' stroke-width 4 \
polygon 120,230 240,230 252,170 216,200 180,150 144,200 108,170 pop graphic-context" \
    -draw "push graphic-context fill '$RED' stroke none circle 180,150 180,138 circle 108,170 108,160 circle 252,170 252,160 pop graphic-context" \
    -draw "$(shape "$SPADE" 180 350 1.75 "$INK")"

# --- L'Excuse ----------------------------------------------------------
card excuse.png "$GOLD_DARK" \
    -draw "$(index_star "$GOLD_DARK")" \
    -draw "push graphic-context fill '#fff4d6' stroke '$GOLD' stroke-width 6 circle 180,285 180,160 pop graphic-context" \
    -draw "push graphic-context fill '$GOLD' stroke '$GOLD_DARK' stroke-width 4 $(star 180 292 110 44) pop graphic-context" \
    -draw "push graphic-context fill '$GOLD_DARK' stroke none $(star 118 170 18 7) $(star 244 400 18 7) $(star 250 175 12 5) $(star 110 395 12 5) pop graphic-context"

# --- Roi de cœur -------------------------------------------------------
card roi.png "$RED" \
    -draw "$(index R "$RED" "$SERIF" 54 "$HEART")" \
    -draw "push graphic-context fill '$GOLD' stroke '$GOLD_DARK' stroke-width 4 \
polygon 104,250 256,250 268,150 224,200 180,118 136,200 92,150 pop graphic-context" \
    -draw "push graphic-context fill '$GOLD' stroke '$GOLD_DARK' stroke-width 3 circle 180,114 180,102 circle 92,146 92,136 circle 268,146 268,136 pop graphic-context" \
    -draw "push graphic-context fill '$RED' stroke none circle 140,228 140,218 circle 180,228 180,218 circle 220,228 220,218 pop graphic-context" \
    -draw "$(shape "$HEART" 180 370 1.7 "$RED")"

# --- Le 21 d'atout -----------------------------------------------------
card vingtetun.png "$BLUE" \
    -draw "$(index 21 "$BLUE" "$SERIF" 54)" \
    -draw "$(medallion 21 124)" \
    -draw "push graphic-context fill '$GOLD' stroke '$GOLD_DARK' stroke-width 2 \
$(star 180 178 22 9) $(star 180 392 22 9) pop graphic-context"

# --- Éventail ----------------------------------------------------------
# Chaque carte tourne autour d'un point situé sous sa base (PX,PY).
PX=$((FW / 2))
PY=1150
set -- petit.png:-30 dame.png:-15 excuse.png:0 roi.png:15 vingtetun.png:30
LAYERS=""
for item in "$@"; do
    f=${item%%:*}
    a=${item#*:}
    "$CONVERT" "$WORK/$f" -background none -virtual-pixel transparent \
        -define distort:viewport=${FW}x${FH}+0+0 \
        -distort SRT "$((CW / 2)),$((CH + 330)) 1 $a $PX,$PY" \
        \( +clone -background black -shadow 35x9+6+8 \) +swap \
        -background none -layers merge +repage -crop ${FW}x${FH}+0+0 +repage \
        "$WORK/r-$f"
    LAYERS="$LAYERS $WORK/r-$f"
done

# shellcheck disable=SC2086
"$CONVERT" -size ${FW}x${FH} xc:none $LAYERS -background none -flatten \
    -trim +repage -filter Lanczos -resize 408x288 \
    -gravity center -background none -extent 420x300 -strip "PNG32:$HERE/cartes.png"

# --- Icône du programme ------------------------------------------------
# Trois cartes seulement, aux motifs grossis et aux traits épais, pour rester
# lisibles en 64x64. Dessin à l'échelle 8 (512x512) puis réduction.
IW=232
IH=344
icon_card() {
    _out=$1
    shift
    "$CONVERT" -size "${IW}x${IH}" xc:none \
        -fill "$PAPER" -stroke '#4a4a4a' -strokewidth 12 \
        -draw "roundrectangle 7,7 $((IW - 8)),$((IH - 8)) 30,30" \
        "$@" "$WORK/$_out"
}
icon_card i-coeur.png -draw "$(shape "$HEART" $((IW / 2)) $((IH / 2 + 6)) 1.75 "$RED")"
icon_card i-pique.png -draw "$(shape "$SPADE" $((IW / 2)) $((IH / 2)) 1.55 "$INK")"
icon_card i-atout.png \
    -draw "push graphic-context fill '$BLUE' stroke '$GOLD' stroke-width 12 \
ellipse $((IW / 2)),$((IH / 2)) 84,132 0,360 pop graphic-context" \
    -draw "push graphic-context font '$SERIF' font-size 118 fill '$PAPER' stroke none \
text-anchor middle text $((IW / 2)),$((IH / 2 + 42)) '21' pop graphic-context"

LAYERS=""
for item in i-coeur.png:-24 i-pique.png:0 i-atout.png:24; do
    f=${item%%:*}
    a=${item#*:}
    "$CONVERT" "$WORK/$f" -background none -virtual-pixel transparent \
        -define distort:viewport=512x512+0+0 \
        -distort SRT "$((IW / 2)),$((IH + 120)) 1 $a 256,560" \
        "$WORK/r-$f"
    LAYERS="$LAYERS $WORK/r-$f"
done
mkdir -p "$HERE/icons"
# shellcheck disable=SC2086
"$CONVERT" -size 512x512 xc:none $LAYERS -background none -flatten \
    -trim +repage -filter Lanczos -resize 62x62 \
    -gravity center -background none -extent 64x64 -strip "PNG32:$HERE/icons/velmora.png"

echo "cartes.png et icons/velmora.png écrits dans $HERE"
