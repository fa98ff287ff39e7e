#!/usr/bin/env python3
"""Fails when a source file includes a header of a higher layer, or Qt outside the platform.

The layers, lowest first: platform <- inifile <- localui <- link <- config <- views <- app.
Inside the platform the toolbar sits on the user-interface library; the serial and file helpers
stand alone. Only the user-interface library and the toolbar may include Qt. The generated
resource header (MainPan.h) names panels and controls of the program, so it belongs to the link
and above.

Usage: check_layers.py SOURCE_ROOT      checks SOURCE_ROOT/src
       check_layers.py --self-test      checks that known violations are caught
"""
import os
import re
import sys
import tempfile

LAYERS = {
    "platform/file": 0,
    "platform/serial": 0,
    "platform/ui": 1,
    "platform/toolbar": 2,
    "inifile": 10,
    "localui": 20,
    "link": 30,
    "config": 40,
    "views": 50,
    "app": 60,
}
QT_ALLOWED = {"platform/ui", "platform/toolbar"}
GENERATED = {"MainPan.h": 30}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
QT_HEADER = re.compile(r"^(Q[A-Za-z]+|Qt[A-Za-z]+/.*)$")


def layer_of(path):
    """Layer folder of a path relative to src (longest match), or None."""
    best = None
    for name in LAYERS:
        if path == name or path.startswith(name + "/"):
            if best is None or len(name) > len(best):
                best = name
    return best


def check(root):
    src = os.path.join(root, "src")
    problems = []
    for folder, _, files in os.walk(src):
        for name in sorted(files):
            if not name.endswith((".h", ".cpp")):
                continue
            path = os.path.join(folder, name)
            rel = os.path.relpath(path, src)
            own = layer_of(rel)
            if own is None:
                problems.append(f"src/{rel}: not in a known layer folder")
                continue
            with open(path, encoding="utf-8", errors="replace") as f:
                for number, line in enumerate(f, 1):
                    m = INCLUDE.match(line)
                    if not m:
                        continue
                    kind, target = m.groups()
                    where = f"src/{rel}:{number}"
                    if QT_HEADER.match(target):
                        if own not in QT_ALLOWED:
                            problems.append(f"{where}: Qt header <{target}> outside the platform")
                        continue
                    if kind == "<":
                        continue
                    if target in GENERATED:
                        if LAYERS[own] < GENERATED[target]:
                            problems.append(f"{where}: {target} is above {own}")
                        continue
                    theirs = layer_of(target)
                    if theirs is None:
                        if "/" in target:
                            problems.append(f"{where}: \"{target}\" is not a header of src")
                        continue
                    if LAYERS[theirs] > LAYERS[own]:
                        problems.append(f"{where}: {own} includes {theirs} (\"{target}\")")
    return problems


def self_test():
    cases = [
        ("src/link/a.cpp", '#include "config/record.h"\n', True),
        ("src/inifile/a.cpp", '#include "config/settings.h"\n', True),
        ("src/config/a.cpp", "#include <QWidget>\n", True),
        ("src/localui/a.cpp", '#include "MainPan.h"\n', True),
        ("src/platform/ui/a.cpp", '#include "platform/toolbar/toolbar.h"\n', True),
        ("src/config/a.cpp", '#include "sim/slave.h"\n', True),
        ("src/app/a.cpp", '#include "views/panels.h"\n#include "MainPan.h"\n', False),
        ("src/platform/toolbar/a.cpp", "#include <QToolBar>\n#include \"platform/ui/uiqt.h\"\n",
         False),
        ("src/views/a.cpp", '#include <cstdio>\n#include "link/port.h"\n', False),
    ]
    failed = 0
    for rel, text, violation in cases:
        with tempfile.TemporaryDirectory() as root:
            path = os.path.join(root, rel)
            os.makedirs(os.path.dirname(path))
            with open(path, "w") as f:
                f.write(text)
            found = bool(check(root))
            if found != violation:
                print(f"self-test: {rel} with {text.strip()!r}: expected "
                      f"{'a violation' if violation else 'none'}")
                failed += 1
    return 1 if failed else 0


def main():
    if len(sys.argv) == 2 and sys.argv[1] == "--self-test":
        return self_test()
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    problems = check(sys.argv[1])
    for p in problems:
        print(p)
    if problems:
        print(f"{len(problems)} include(s) against the layer order")
        return 1
    print("layers: every include points down or sideways")
    return 0


if __name__ == "__main__":
    sys.exit(main())
