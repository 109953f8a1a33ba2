#!/usr/bin/python3
"""The characters a page's program can draw at start, for the small cut of its faces.

    page_chars.py --hinter FREETYPE_SOURCE OUT
        writes the characters FreeType's automatic hinter measures a face by (the blue zones'
        and the standard widths' characters of every script, from src/autofit/afblue.dat and
        afscript.h), one "U+XXXX" a line: a cut that lacks them would hint its glyphs otherwise
    page_chars.py OUT HINTER-CHARS SOURCE...
        writes the characters of a page's small cut: every character of the program's sources
        that is not ASCII (its texts are among them, whatever the comments add), each also as
        code page 932 turns it into on its way back (the texts are stored in that code page),
        the ASCII range (digits and Latin letters a program writes at run time), the
        stand-ins the renderer draws for a character it cannot show, and HINTER-CHARS.

A source is read as UTF-8, or as code page 932 when it is not UTF-8. A character the program
draws that is not in the list is drawn once the whole faces have come (the page waits for them),
never from the small cut. OUT is written whole or not at all.
"""
import os
import re
import sys
import tempfile

STAND_INS = (0xFFFD, 0x3013, ord("?"))


def write_list(path, chars):
    folder = os.path.dirname(os.path.abspath(path))
    fd, tmp = tempfile.mkstemp(dir=folder, prefix=".page_chars.")
    try:
        with os.fdopen(fd, "w", encoding="ascii") as f:
            for c in sorted(chars):
                f.write(f"U+{c:04X}\n")
        os.chmod(tmp, 0o644)   # not mkstemp's owner-only mode: the list is packed and installed
        os.replace(tmp, path)
    except BaseException:
        os.unlink(tmp)
        raise


def read_list(path):
    with open(path, encoding="ascii") as f:
        return {int(line.strip()[2:], 16) for line in f if line.startswith("U+")}


def c_strings(text):
    """The contents of the C string literals of `text`, escapes decoded, as UTF-8 text."""
    out = []
    for literal in re.findall(r'"((?:[^"\\\n]|\\.)*)"', text):
        raw = literal.encode("latin-1", "backslashreplace").decode("unicode_escape").encode("latin-1")
        out.append(raw.decode("utf-8", "replace"))
    return out


def hinter_chars(freetype):
    autofit = os.path.join(freetype, "src", "autofit")
    chars = set()
    with open(os.path.join(autofit, "afblue.dat"), encoding="utf-8") as f:
        for line in f:
            line = line.split("//")[0]
            for literal in re.findall(r'"([^"]*)"', line):
                chars.update(ord(ch) for ch in literal if not ch.isspace() and ch != "|")
    with open(os.path.join(autofit, "afscript.h"), encoding="utf-8") as f:
        text = f.read()
    # Each script's last argument: its standard characters.
    for block in re.findall(r"SCRIPT\((.*?)\)\s*(?:/\*|\n)", text, re.S):
        strings = c_strings(block)
        if strings:
            chars.update(ord(ch) for ch in strings[-1] if not ch.isspace())
    if len(chars) < 100:
        raise SystemExit(f"page_chars.py: only {len(chars)} characters found in {autofit}: not FreeType's source?")
    return chars


def source_chars(path):
    with open(path, "rb") as f:
        data = f.read()
    try:
        text = data.decode("utf-8")
    except UnicodeDecodeError:
        text = data.decode("cp932", "replace")
    chars = set()
    for ch in text:
        if ord(ch) < 0x80 or ch == "\ufffd":
            continue
        chars.add(ord(ch))
        try:
            chars.update(ord(back) for back in ch.encode("cp932").decode("cp932"))
        except UnicodeError:
            pass
    return chars


def main(argv):
    args = argv[1:]
    if len(args) == 3 and args[0] == "--hinter":
        write_list(args[2], hinter_chars(args[1]))
        return 0
    if len(args) < 2 or args[0].startswith("-"):
        print(__doc__.strip().splitlines()[2].strip(), file=sys.stderr)
        print("    or: page_chars.py OUT HINTER-CHARS SOURCE...", file=sys.stderr)
        return 2
    out, hinter, sources = args[0], args[1], args[2:]
    chars = set(range(0x80)) | set(STAND_INS) | read_list(hinter)
    for source in sources:
        chars |= source_chars(source)
    write_list(out, chars)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
