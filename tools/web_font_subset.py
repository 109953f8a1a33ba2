#!/usr/bin/python3
"""Cuts a TrueType font down to the characters the framework can draw, for the web build, and
such a cut (TrueType or WOFF2) further down to the characters one page's program draws at start
(cmake/QuorbixPage.cmake, with the list tools/page_chars.py writes).

    web_font_subset.py [--no-hinting] [--woff2] FULL.ttf OUT REPERTOIRE.txt "Family Name" "Description"

OUT is TrueType, or with --woff2 WOFF2 (Brotli-compressed, the glyph table transformed as that
format allows; FreeType reads it when built with Brotli).
REPERTOIRE.txt lists code points, one "U+XXXX" a line (font_subset_check --repertoire).

Kept: every glyph those characters reach, the hinting (instructions, cvt, fpgm, prep, gasp),
OS/2 as it was (the average width is not recomputed: the renderer scales widths by it), the
metrics tables, every name record. --no-hinting drops the TrueType instructions, for a
renderer that uses FreeType's automatic hinter, which never runs them. Code points that share a glyph with a kept character stay
mapped too: FreeType's automatic hinter gives a glyph the script of the code points that map to
it, so dropping one of them could change how the glyph is hinted.

The font's licence forbids a derived font to carry the original's name, so the family, full,
unique and PostScript names are replaced by FAMILY; the description says where it comes from.
The copyright and licence records are kept.
"""
import sys

from fontTools import subset
from fontTools.ttLib import TTFont

FAMILY_NAME_IDS = (1, 4, 16, 18, 21)   # family, full, typographic, compatible, WWS


def read_repertoire(path):
    with open(path, encoding="ascii") as f:
        return {int(line.strip()[2:], 16) for line in f if line.startswith("U+")}


def rename(font, family, description):
    name = font["name"]
    version = name.getDebugName(5) or ""
    postscript = "".join(ch for ch in family if ch.isalnum())
    for rec in name.names:
        if rec.nameID in FAMILY_NAME_IDS:
            rec.string = family
        elif rec.nameID == 3:
            rec.string = f"{postscript} {version}".strip()
        elif rec.nameID == 6:
            rec.string = postscript
    # Description (10) says what this file is; added for Mac Roman and Windows English.
    name.setName(description, 10, 1, 0, 0)
    name.setName(description, 10, 3, 1, 0x409)


def main(argv):
    args = argv[1:]
    hinting = True
    woff2 = False
    while args and args[0] in ("--no-hinting", "--woff2"):
        if args[0] == "--no-hinting":
            hinting = False
        else:
            woff2 = True
        args = args[1:]
    if len(args) != 5:
        print("usage: " + __doc__.strip().splitlines()[2].strip(), file=sys.stderr)
        return 2
    full, out, repertoire_path, family, description = args
    wanted = read_repertoire(repertoire_path)
    font = TTFont(full)
    cmap = font.getBestCmap()
    glyphs = {cmap[c] for c in wanted if c in cmap}
    unicodes = sorted(wanted | {c for c, g in cmap.items() if g in glyphs})

    options = subset.Options()
    options.hinting = hinting
    options.notdef_glyph = True
    options.notdef_outline = True
    options.name_IDs = ["*"]
    options.name_languages = ["*"]
    options.name_legacy = True
    options.recalc_average_width = False
    options.recalc_bounds = False
    options.prune_unicode_ranges = True
    sub = subset.Subsetter(options)
    sub.populate(unicodes=unicodes)
    sub.subset(font)
    rename(font, family, description)
    if woff2:
        font.flavor = "woff2"
    font.save(out)
    print(f"{out}: {len(wanted)} characters asked, {len(unicodes)} mapped or shared, "
          f"{font['maxp'].numGlyphs} glyphs")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
