#!/usr/bin/env python3
"""Draws small faults at random from the product code, as records for scripts/planted-faults.

    scripts/random-faults.py [--revision REV] SEED N [FILE…]
    scripts/random-faults.py --relocate LIST


Prints N records (name, file, line, what, old, new) in the fault list's format, drawn with the
given seed from every mutation site of the product sources (SDKs/, app/, host/, or the FILEs
given), as they stand in the work tree or in commit REV. A record's old text is its whole line and new the line with one change:

  cmp     a comparison flipped or moved to its neighbour (<, <=, >, >=, ==, !=)
  logic   && and || swapped, or a ! removed
  bound   an integer next to a comparison or + and - moved by one
  bool    true and false swapped
  stmt    an expression statement removed (a call, an assignment, an increment)

The same seed on the same tree draws the same faults. Sites inside comments, string and
character literals and preprocessor lines are never drawn.

--relocate prints the records of LIST (drawn earlier, perhaps in another commit) with each
line: moved to the nearest line of the work tree that reads exactly as its old text, so that
one sample can be planted before and after a change of the code around it. A record whose
line is gone keeps its number and is reported as moved.
"""
import os
import random
import re
import subprocess
import sys

ROOTS = ("SDKs", "app", "host")
EXTENSIONS = (".c", ".cc", ".cpp", ".h", ".hpp")

CMP_SWAPS = {
    "<": ["<=", ">="], "<=": ["<", ">"], ">": [">=", "<="], ">=": [">", "<"],
    "==": ["!="], "!=": ["=="],
}
STATEMENT_KEYWORDS = {
    "return", "if", "else", "for", "while", "do", "switch", "case", "default", "break",
    "continue", "goto", "using", "typedef", "namespace", "template", "class", "struct",
    "enum", "union", "public", "private", "protected", "auto", "const", "constexpr",
    "static", "extern", "inline", "virtual", "friend", "throw", "try", "catch", "delete",
    "new", "static_assert", "operator", "explicit", "unsigned", "signed", "volatile",
}


def mask_literals(line, in_block):
    """The line with comments and literals blanked (same length), and whether a /* */ block
    is still open at its end."""
    out = []
    i, n = 0, len(line)
    while i < n:
        if in_block:
            end = line.find("*/", i)
            if end < 0:
                out.append(" " * (n - i))
                return "".join(out), True
            out.append(" " * (end + 2 - i))
            i = end + 2
            in_block = False
            continue
        c = line[i]
        if line.startswith("//", i):
            out.append(" " * (n - i))
            break
        if line.startswith("/*", i):
            in_block = True
            continue
        if line.startswith('R"', i):  # raw strings in this code base never span lines
            end = line.find(')"', i)
            end = n if end < 0 else end + 2
            out.append(" " * (end - i))
            i = end
            continue
        if c in "\"'":
            j = i + 1
            while j < n and line[j] != c:
                j += 2 if line[j] == "\\" else 1
            j = min(j + 1, n)
            out.append(c + " " * (j - i - 2) + (c if j - i >= 2 else ""))
            i = j
            continue
        out.append(c)
        i += 1
    return "".join(out), in_block


def sites_of_line(code):
    """(column, old, new, operator) for each change the masked line allows."""
    sites = []
    for m in re.finditer(r"(?<=\s)(<=|>=|==|!=|<|>)(?=\s)", code):
        for new in CMP_SWAPS[m.group(1)]:
            sites.append((m.start(), m.group(1), new, "cmp"))
    for m in re.finditer(r"(?<=\s)(&&|\|\|)(?=\s)", code):
        sites.append((m.start(), m.group(1), "||" if m.group(1) == "&&" else "&&", "logic"))
    for m in re.finditer(r"!(?=[A-Za-z_(])", code):
        sites.append((m.start(), "!", "", "logic"))
    for m in re.finditer(r"(?:(?<=[<>=] )|(?<=[+-] )|(?<=\[))(\d+)(?![\w.'])", code):
        prev = code[:m.start()].rstrip()
        if prev.endswith(("->", "<<", ">>")):
            continue
        value = int(m.group(1))
        for new in {value + 1, value - 1} - {-1}:
            sites.append((m.start(), m.group(1), str(new), "bound"))
    for m in re.finditer(r"\b(true|false)\b", code):
        sites.append((m.start(), m.group(1), "false" if m.group(1) == "true" else "true", "bool"))
    stripped = code.strip()
    first = re.match(r"[A-Za-z_]\w*", stripped)
    statement = (
        stripped.endswith(";")
        and stripped.count("(") == stripped.count(")")
        and (stripped.startswith(("++", "--")) or first is not None)
        and not (first and first.group(0) in STATEMENT_KEYWORDS)
        # a declaration: a type, then a name
        and not re.match(r"[A-Za-z_][\w:<>,* &]*[\s*&>]+[A-Za-z_]\w*\s*(=|\{|;|\(|\[)", stripped)
        and re.search(r"\(|[^=!<>]=[^=]|\+\+|--|\+=|-=|<<", stripped)
    )
    if statement:
        sites.append((code.index(stripped[0]), stripped, ";", "stmt"))
    return sites


def git(root, *args):
    return subprocess.run(["git", "-C", root, *args], check=True, capture_output=True,
                          text=True, errors="replace").stdout


def product_files(root, revision):
    if revision:
        listed = git(root, "ls-tree", "-r", "--name-only", revision, "--", *ROOTS).split()
    else:
        listed = git(root, "ls-files", "--", *ROOTS).split()
    return [f for f in listed if f.endswith(EXTENSIONS)]


def read_source(root, revision, path):
    if revision:
        return git(root, "show", f"{revision}:{path}")
    with open(os.path.join(root, path), errors="replace") as f:
        return f.read()


def all_sites(root, revision, files):
    sites = []
    for path in files:
        lines = read_source(root, revision, path).split("\n")
        in_block = False
        for number, line in enumerate(lines, 1):
            code, in_block = mask_literals(line, in_block)
            if code.lstrip().startswith("#"):
                continue
            for column, old, new, op in sites_of_line(code):
                if op == "stmt":
                    old = line[column:].rstrip()
                changed = line[:column] + new + line[column + len(old):]
                sites.append((path, number, line, changed, op, old, new))
    return sites


def relocate(list_path):
    root = git(".", "rev-parse", "--show-toplevel").strip()
    cache = {}
    for record in open(list_path, encoding="utf-8").read().split("\n\n"):
        fields = dict(l.split(": ", 1) for l in record.splitlines() if ": " in l)
        if "line" in fields and "file" in fields:
            path = os.path.join(root, fields["file"])
            if path not in cache:
                try:
                    cache[path] = open(path, encoding="utf-8").read().split("\n")
                except OSError:
                    cache[path] = []
            wanted, at = fields["old"], int(fields["line"])
            matches = [n for n, l in enumerate(cache[path], 1) if l == wanted]
            if matches:
                near = min(matches, key=lambda n: abs(n - at))
                record = re.sub(r"(?m)^line: \d+$", f"line: {near}", record)
        if record.strip():
            print(record.strip("\n"))
            print()


def main():
    args = sys.argv[1:]
    if args[:1] == ["--relocate"] and len(args) == 2:
        return relocate(args[1])
    revision = None
    if args[:1] == ["--revision"]:
        revision, args = args[1], args[2:]
    if len(args) < 2:
        sys.exit(__doc__)
    seed, count = int(args[0]), int(args[1])
    root = git(".", "rev-parse", "--show-toplevel").strip()
    files = args[2:] or product_files(root, revision)
    sites = all_sites(root, revision, files)
    drawn = random.Random(seed).sample(sites, min(count, len(sites)))
    drawn.sort(key=lambda s: (s[0], s[1]))
    for index, (path, number, line, changed, op, old, new) in enumerate(drawn, 1):
        stem = os.path.splitext(os.path.basename(path))[0]
        print(f"name: r{seed}-{index:02d}-{stem}-{number}")
        print(f"file: {path}")
        print(f"line: {number}")
        shown_old = old if op != "stmt" else old[:60]
        print(f"what: {op} {shown_old!r} -> {new!r}")
        print(f"old: {line}")
        print(f"new: {changed}")
        print()


if __name__ == "__main__":
    main()
