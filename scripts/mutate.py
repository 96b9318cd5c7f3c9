#!/usr/bin/python3
"""Finds and applies small source mutations for scripts/mutants.sh.

  mutate.py list SEED COUNT FILE...   prints COUNT mutants chosen with SEED,
                                      one a line: FILE LINE COLUMN KIND OLD NEW
  mutate.py apply FILE LINE COLUMN OLD NEW
                                      replaces OLD at that place in FILE

A mutant is one change a test suite ought to notice: a comparison flipped or
widened, a logical operator swapped, an off-by-one in an integer step, or the
operands of a subtraction or division swapped. Only code is mutated: comments,
strings, preprocessor lines and assertions are left alone, and template
brackets are told from comparisons by the spaces our formatting puts round a
binary operator.
"""
import random
import re
import sys

COMPARISONS = {" < ": [" <= ", " > "], " <= ": [" < "], " > ": [" >= ", " < "], " >= ": [" > "],
               " == ": [" != "], " != ": [" == "]}
LOGICAL = {" && ": [" || "], " || ": [" && "]}
STEPS = {" + 1": [" - 1", ""], " - 1": [" + 1", ""]}
OPERAND = r"[A-Za-z_][A-Za-z_0-9]*(?:\.[A-Za-z_][A-Za-z_0-9]*|\[[A-Za-z_0-9]+\])*"
SWAPPABLE = re.compile(r"(?<![\w.\]>)])(" + OPERAND + r") ([-/]) (" + OPERAND + r")(?![\w.(\[])")


def code_of(line):
    """The line with comments and string and character literals blanked out."""
    out, i, quote = [], 0, None
    while i < len(line):
        c = line[i]
        if quote:
            if c == "\\":
                out.append("  ")
                i += 2
                continue
            out.append(" " if c != quote else c)
            if c == quote:
                quote = None
        elif c in "\"'":
            quote = c
            out.append(c)
        elif line.startswith("//", i):
            break
        else:
            out.append(c)
        i += 1
    return "".join(out).ljust(len(line))


def sites(path):
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    in_block = False
    for number, raw in enumerate(lines, 1):
        line = raw
        if in_block:
            end = line.find("*/")
            if end < 0:
                continue
            line = " " * (end + 2) + line[end + 2:]
            in_block = False
        start = line.find("/*")
        if start >= 0 and line.find("*/", start) < 0:
            line, in_block = line[:start], True
        code = code_of(line)
        stripped = code.strip()
        if not stripped or stripped.startswith("#") or "assert" in code or "static_assert" in code:
            continue
        for table, kind in ((COMPARISONS, "comparison"), (LOGICAL, "logical"), (STEPS, "step")):
            for old, news in table.items():
                for m in re.finditer(re.escape(old), code):
                    if kind == "step" and m.end() < len(code) and (code[m.end()].isalnum() or code[m.end()] in "._"):
                        continue  # + 10, + 1.5: not a step of one
                    for new in news:
                        yield path, number, m.start(), kind, old, new
        for m in SWAPPABLE.finditer(code):
            a, op, b = m.group(1), m.group(2), m.group(3)
            if a != b:
                yield path, number, m.start(), "swap", f"{a} {op} {b}", f"{b} {op} {a}"


def encode(text):
    return text.replace(" ", "\u00b7") if text else "\u2205"


def decode(text):
    return "" if text == "\u2205" else text.replace("\u00b7", " ")


def main(argv):
    if len(argv) >= 4 and argv[1] == "list":
        seed, count = int(argv[2]), int(argv[3])
        found = [s for path in sorted(argv[4:]) for s in sites(path)]
        random.Random(seed).shuffle(found)
        for path, line, column, kind, old, new in found[:count]:
            print(path, line, column, kind, encode(old), encode(new))
        return 0
    if len(argv) == 7 and argv[1] == "apply":
        path, line, column, old, new = argv[2], int(argv[3]), int(argv[4]), decode(argv[5]), decode(argv[6])
        with open(path, encoding="utf-8") as f:
            lines = f.read().split("\n")
        text = lines[line - 1]
        if text[column:column + len(old)] != old:
            print(f"mutate.py: {path}:{line}:{column} does not hold {old!r}", file=sys.stderr)
            return 1
        lines[line - 1] = text[:column] + new + text[column + len(old):]
        with open(path, "w", encoding="utf-8") as f:
            f.write("\n".join(lines))
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
