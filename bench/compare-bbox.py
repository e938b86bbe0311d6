#!/usr/bin/env python3
"""Compares the words and places of the PDFs of two builds, to 0.1 mm.

Each folder holds the `pdftotext -bbox` outputs (.html) of the same documents, under the same
names: the PDFs kept by `VELMORA_BENCH_PDF=folder build/bench/bench_velmora ...`, then
`for f in folder/*.pdf; do pdftotext -bbox "$f" "${f%.pdf}.html"; done`.
Prints one line per document; exits 1 when any differs (a word, its order, its page, or a
place by more than 0.1 mm).
"""
import pathlib
import re
import sys

TOLERANCE = 0.1 / 25.4 * 72  # 0.1 mm, in the points pdftotext gives
WORD = re.compile(r'<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">'
                  r'(.*?)</word>|<page ')


def words(path):
    return [m.groups() for m in WORD.finditer(path.read_text(encoding="utf-8"))]


def main(before, after):
    differ = 0
    for a in sorted(pathlib.Path(before).glob("*.html")):
        b = pathlib.Path(after) / a.name
        wa, wb = words(a), words(b) if b.exists() else []
        same = len(wa) == len(wb)
        worst = 0.0
        for x, y in zip(wa, wb):
            if x[4] != y[4]:
                same = False
                break
            if x[0] is not None:  # a word, not a page break
                worst = max(worst, max(abs(float(p) - float(q)) for p, q in zip(x[:4], y[:4])))
        same = same and worst <= TOLERANCE
        differ += not same
        print(f"{'same' if same else 'DIFFERENT':9} {a.name}: {len(wa)} words and pages, "
              f"worst {worst / 72 * 25.4:.4f} mm")
    return 1 if differ else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
