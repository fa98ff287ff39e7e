#!/usr/bin/env python3
"""Fails when a panel or menu bar is loaded past the language layer.

Every panel and menu bar of the program is to be loaded through LoadLocalizedPanel and
LoadLocalizedMenuBar, so that it comes up in the current language. A direct LoadPanel or
LoadMenuBar call is allowed only inside the platform (which defines them) and the language layer
(which wraps them). ALLOWED can list a place with a number of direct calls while it is being
moved over; it is empty, and should stay so. A direct call elsewhere fails the run; a listed
place that has fewer calls than allowed is reported so that its entry can shrink.

Usage: check_panel_loads.py SOURCE_ROOT   checks SOURCE_ROOT/src and SOURCE_ROOT/tools
       check_panel_loads.py --self-test   checks that the checker catches what it should
"""
import os
import re
import sys
import tempfile

SCANNED = ("src", "tools")
EXEMPT = ("src/platform/", "src/localui/")
# Direct loads that are still to move to the language layer: file -> number of calls.
ALLOWED = {}
CALL = re.compile(r"(?<![A-Za-z0-9_])Load(Panel|MenuBar)\s*\(")
LINE_COMMENT = re.compile(r"//.*$")
BLOCK_COMMENT = re.compile(r"/\*.*?\*/", re.S)
STRING = re.compile(r'"(?:\\.|[^"\\])*"')


def calls_in(text):
    """Line numbers of direct load calls, comments and string literals left out."""
    text = BLOCK_COMMENT.sub(lambda m: "\n" * m.group(0).count("\n"), text)
    lines = []
    for number, line in enumerate(text.split("\n"), 1):
        line = LINE_COMMENT.sub("", STRING.sub('""', line))
        lines.extend([number] * len(CALL.findall(line)))
    return lines


def check(root, allowed):
    problems, notes = [], []
    found = {}
    for top in SCANNED:
        for folder, _, files in os.walk(os.path.join(root, top)):
            for name in sorted(files):
                if not name.endswith((".h", ".cpp")):
                    continue
                path = os.path.join(folder, name)
                rel = os.path.relpath(path, root).replace(os.sep, "/")
                if rel.startswith(EXEMPT):
                    continue
                with open(path, encoding="utf-8", errors="replace") as f:
                    lines = calls_in(f.read())
                if lines:
                    found[rel] = lines
    for rel, lines in sorted(found.items()):
        limit = allowed.get(rel, 0)
        if len(lines) > limit:
            where = ", ".join(f"{rel}:{n}" for n in lines)
            problems.append(f"{where}: {len(lines)} direct panel load(s), {limit} allowed; "
                            "load through LoadLocalizedPanel / LoadLocalizedMenuBar")
        elif len(lines) < limit:
            notes.append(f"{rel}: {len(lines)} direct load(s) left, {limit} allowed")
    for rel in sorted(set(allowed) - set(found)):
        notes.append(f"{rel}: no direct load left; its entry can go")
    return problems, notes


def self_test():
    cases = [
        # (file, text, allowed, expect a problem)
        ("src/config/a.cpp", "int p = LoadPanel(0, f, 1);\n", {}, True),
        ("src/views/a.cpp", "m = LoadMenuBar (p, f, 1);\n", {}, True),
        ("tools/x/main.cpp", "LoadPanel(0, f, 1);\n", {}, True),
        ("src/app/a.cpp", "a = LoadPanel(0, f, 1);\nb = LoadPanel(0, f, 2);\n",
         {"src/app/a.cpp": 1}, True),
        ("src/app/a.cpp", "a = LoadPanel(0, f, 1);\n", {"src/app/a.cpp": 1}, False),
        ("src/app/a.cpp", "LoadLocalizedPanel(0, f, 1, l, &h);\n", {}, False),
        ("src/app/a.cpp", "// LoadPanel(0, f, 1) is not called here\n", {}, False),
        ("src/app/a.cpp", "/* LoadPanel(0,\n f, 1) */ x();\n", {}, False),
        ("src/app/a.cpp", 'puts("LoadPanel(");\n', {}, False),
        ("src/app/a.cpp", "int MyLoadPanel(int);\n", {}, False),
        ("src/platform/ui/panels.cpp", "int LoadPanel(int p, const char *f, int id) {\n", {},
         False),
        ("src/localui/localize.cpp", "int panel = LoadPanel(parent, uir, id);\n", {}, False),
        # The table in force: the places that once loaded directly may no longer.
        ("src/app/language.cpp", "int m = LoadMenuBar(p, f, MENU);\n", ALLOWED, True),
        ("src/views/panels.cpp", "int p = LoadPanel(b, f, id);\n", ALLOWED, True),
        ("src/link/report_popup.cpp", "LoadPanelInLanguage(parent, id);\n", ALLOWED, False),
    ]
    failed = 0
    for rel, text, allowed, problem in cases:
        with tempfile.TemporaryDirectory() as root:
            path = os.path.join(root, rel)
            os.makedirs(os.path.dirname(path))
            with open(path, "w") as f:
                f.write(text)
            found = bool(check(root, allowed)[0])
            if found != problem:
                print(f"self-test: {rel} with {text.strip()!r}: expected "
                      f"{'a problem' if problem else 'none'}")
                failed += 1
    return 1 if failed else 0


def main():
    if len(sys.argv) == 2 and sys.argv[1] == "--self-test":
        return self_test()
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    problems, notes = check(sys.argv[1], ALLOWED)
    for n in notes:
        print("note: " + n)
    for p in problems:
        print(p)
    if problems:
        print(f"{len(problems)} file(s) load panels past the language layer")
        return 1
    print("panel loads: none past the language layer")
    return 0


if __name__ == "__main__":
    sys.exit(main())
