#!/usr/bin/python3
"""Keeps the layers pointing one way.

The README's Layout list is the one table of what each folder may include:
every bullet names its folders (`src/model`) and ends a sentence with
"Includes `a`, `b`" (or "Include `app` and below": app and all it may
include). This script reads every `#include "..."` under src/ and tests/ and
names file and line of each one the table does not allow. A test folder
tests/<folder> may include what src/<folder> may, its own folder and
`support`; a fixture of another test folder it includes must itself pull in
nothing the test may not.

    check-layers.py [ROOT]          check the tree, exit 1 on a wrong include
    check-layers.py --links [ROOT]  print "folder allowed..." per line, for the build
"""
import os
import re
import sys

BULLET = re.compile(r"^- (.*)")
FOLDER = re.compile(r"`(src|tests)/([a-z_]+)`")
RULE = re.compile(r"\bIncludes? ([^.;]*)")
NAME = re.compile(r"`([a-z_]+)`")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def read_table(readme):
    """Returns {folder: set of folders it may include}, e.g. 'model' or 'tests/support'."""
    with open(readme, encoding="utf-8") as f:
        text = f.read()
    section = text.split("\n## Layout\n", 1)[1].split("\n## ", 1)[0]
    table, below = {}, {}
    for line in section.splitlines():
        bullet = BULLET.match(line)
        if not bullet:
            continue
        rule = RULE.search(bullet.group(1))
        if not rule:
            continue
        head = bullet.group(1)[: rule.start()]
        names = [m.group(2) if m.group(1) == "src" else "tests/" + m.group(2) for m in FOLDER.finditer(head)]
        allowed = set(NAME.findall(rule.group(1)))
        for name in names:
            table[name] = allowed
            below[name] = "and below" in rule.group(1)
    for name in [n for n in table if below[n]]:
        table[name] = closure(table, table[name])
    return table


def closure(table, start):
    seen, todo = set(), list(start)
    while todo:
        folder = todo.pop()
        if folder not in seen:
            seen.add(folder)
            todo.extend(table.get(folder, ()))
    return seen


def includes(path):
    with open(path, encoding="utf-8", errors="replace") as f:
        for number, line in enumerate(f, 1):
            match = INCLUDE.match(line)
            if match:
                yield number, match.group(1)


def target_of(root, path, included):
    """The folder an include names ('model', 'tests/support') and the file it resolves to, or None."""
    beside = os.path.normpath(os.path.join(os.path.dirname(path), included))
    if os.path.exists(beside):
        resolved = beside
    else:
        resolved = None
        for base in ("src", "tests"):
            candidate = os.path.join(root, base, included)
            if os.path.exists(candidate):
                resolved = os.path.normpath(candidate)
                break
    if resolved is None:
        return None, None
    parts = os.path.relpath(resolved, root).split(os.sep)
    if len(parts) < 3:
        return None, resolved
    return (parts[1] if parts[0] == "src" else "tests/" + parts[1]), resolved


def check(root):
    table = read_table(os.path.join(root, "README.md"))
    problems = []

    def allowed_for(folder):
        """What a file in src/<folder> or tests/<folder> may include, or None when the table has no row."""
        if folder.startswith("tests/"):
            layer = folder[len("tests/"):]
            if folder in table:
                return table[folder] | {folder}
            if layer not in table:
                return None
            return table[layer] | {layer, folder, "tests/support"}
        return table[folder] | {folder} if folder in table else None

    def visit(path, allowed, via, seen):
        for number, included in includes(path):
            target, resolved = target_of(root, path, included)
            if target is None:
                continue  # a header of a library or of the system
            where = f"{os.path.relpath(path, root)}:{number}"
            if target not in allowed and target.removeprefix("tests/") not in allowed:
                problems.append(f'{via or where}: #include "{included}" ({target}) is not allowed here'
                                + (f" (through {where})" if via else ""))
            elif target.startswith("tests/") and target != folder_of(path) and resolved not in seen:
                # What a fixture of another test folder pulls in counts as the test's own include.
                seen.add(resolved)
                visit(resolved, allowed, via or where, seen)

    def folder_of(path):
        parts = os.path.relpath(path, root).split(os.sep)
        return parts[1] if parts[0] == "src" else "tests/" + parts[1]

    for base in ("src", "tests"):
        for directory, _, files in sorted(os.walk(os.path.join(root, base))):
            parts = os.path.relpath(directory, root).split(os.sep)
            if len(parts) < 2:
                continue
            folder = parts[1] if base == "src" else "tests/" + parts[1]
            allowed = allowed_for(folder)
            for name in sorted(files):
                if not name.endswith((".h", ".cpp")):
                    continue
                path = os.path.join(directory, name)
                if allowed is None:
                    problems.append(f"{os.path.relpath(path, root)}:1: {folder} has no row in the README's Layout list")
                    break
                visit(path, allowed, None, set())
    return problems


def main(argv):
    links = "--links" in argv
    args = [a for a in argv if a != "--links"]
    root = os.path.abspath(args[0] if args else os.path.join(os.path.dirname(__file__), ".."))
    if links:
        for folder, allowed in read_table(os.path.join(root, "README.md")).items():
            print(folder, *sorted(allowed))
        return 0
    problems = check(root)
    for problem in problems:
        print(problem, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
