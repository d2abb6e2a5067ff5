#!/usr/bin/env python3
"""Checks that the includes under src/ point only downward and close no
circle. Exits 1 and lists what it finds, 0 when all is in order.

    python3 tools/include_layers.py [SRC]      (default: src/ beside tools/)
    python3 tools/include_layers.py --self-test

The folders of src/ and what each may include (besides itself):

    config   nothing outside it; inside, the layers base < fs < firebird <
             format < document, each including only itself and those below
    cli, helper           config
    app                   config
    ui/widgets            app, config (generic widgets, knowing no window)
    app/welcome           ui/widgets, i18n, app, config (the welcome dialog)
    i18n                  ui/widgets, app, config
    update                ui/widgets, i18n, app, config
    ui                    ui/widgets, update, i18n, app, config
    start                 everything but main.cpp

config/internal/<layer>/ holds the core's internal headers: they count as
their layer and may be included only from src/config. They are included
as "<layer>/Name.h" (a private include folder of the core).

A circle is a set of units that include each other through some path; a
unit is a header with its sources (Foo.h, Foo.cpp, FooPosix.cpp and
FooWindows.cpp are one unit, and so is an internal header of that name).
"""

import os
import re
import sys
import tempfile

LAYERS = ["base", "fs", "firebird", "format", "document"]
FOLDERS = {
    "config": set(),
    "cli": {"config"},
    "helper": {"config"},
    "app": {"config"},
    "ui/widgets": {"app", "config"},
    "app/welcome": {"ui/widgets", "i18n", "app", "config"},
    "i18n": {"ui/widgets", "app", "config"},
    "update": {"ui/widgets", "i18n", "app", "config"},
    "ui": {"ui/widgets", "update", "i18n", "app", "config"},
    "start": {"ui", "update", "i18n", "app", "config"},
}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
SOURCES = (".h", ".cpp")


def files_under(src):
    for folder, _, names in os.walk(src):
        for name in sorted(names):
            if name.endswith(SOURCES):
                yield os.path.relpath(os.path.join(folder, name), src).replace(os.sep, "/")


def resolve(src, includer, target):
    """The path under src of an include, or None (generated or system)."""
    candidates = [target]
    if includer.startswith("config/"):
        candidates.append("config/internal/" + target)
    candidates.append(os.path.join(os.path.dirname(includer), target).replace(os.sep, "/"))
    for c in candidates:
        if os.path.isfile(os.path.join(src, c)):
            return os.path.normpath(c).replace(os.sep, "/")
    return None


def folder_of(path):
    """The entry of FOLDERS a path falls under: its longest folder prefix."""
    parts = path.split("/")
    for n in range(len(parts) - 1, 0, -1):
        if "/".join(parts[:n]) in FOLDERS:
            return "/".join(parts[:n])
    return path


def layer_of(path):
    parts = path.split("/")
    if parts[0] != "config" or len(parts) < 3:
        return None
    if parts[1] == "internal":
        return LAYERS.index(parts[2]) if len(parts) > 3 and parts[2] in LAYERS else None
    return LAYERS.index(parts[1]) if parts[1] in LAYERS else None


def unit_of(path):
    if path.startswith("config/internal/"):
        path = "config/" + path[len("config/internal/"):]
    stem, _ = os.path.splitext(path)
    for suffix in ("Posix", "Windows"):
        if stem.endswith(suffix):
            stem = stem[: -len(suffix)]
    return stem


def upward(includer, target):
    """Why includer may not include target, or None."""
    if target.startswith("config/internal/") and not includer.startswith("config/"):
        return "an internal header of the core"
    if includer == "main.cpp" or target == includer:
        return None
    if target == "main.cpp":
        return "main.cpp is the top of the tree"
    a, b = folder_of(includer), folder_of(target)
    if a != b:
        allowed = FOLDERS.get(a, set())
        top = b.split("/")[0]
        if b not in allowed and (top not in allowed or top == a.split("/")[0]):
            return "%s may not include %s" % (a, b)
        return None
    if a == "config":
        la, lb = layer_of(includer), layer_of(target)
        if la is None or lb is None:
            return "outside the core's layers"
        if lb > la:
            return "%s may not include %s" % (LAYERS[la], LAYERS[lb])
    return None


def circles(edges):
    """The strongly connected sets of more than one unit (Tarjan)."""
    index, low, stack, on, found = {}, {}, [], set(), []
    counter = [0]

    def visit(v):
        index[v] = low[v] = counter[0]
        counter[0] += 1
        stack.append(v)
        on.add(v)
        for w in sorted(edges.get(v, ())):
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            group = []
            while True:
                w = stack.pop()
                on.discard(w)
                group.append(w)
                if w == v:
                    break
            if len(group) > 1:
                found.append(sorted(group))

    sys.setrecursionlimit(10000)
    for v in sorted(edges):
        if v not in index:
            visit(v)
    return found


def check(src):
    problems, edges = [], {}
    for path in files_under(src):
        with open(os.path.join(src, path), encoding="utf-8", errors="replace") as f:
            text = f.read()
        for target in INCLUDE.findall(text):
            resolved = resolve(src, path, target)
            if resolved is None:
                continue
            why = upward(path, resolved)
            if why:
                problems.append('%s includes "%s": %s' % (path, target, why))
            a, b = unit_of(path), unit_of(resolved)
            if a != b:
                edges.setdefault(a, set()).add(b)
    for group in circles(edges):
        problems.append("include circle: " + " <-> ".join(group))
    return problems


def self_test():
    """The check finds a planted upward include, a reach into the core's
    internals, and a circle; and passes a tree without them."""
    def tree(files):
        root = tempfile.mkdtemp()
        for path, text in files.items():
            full = os.path.join(root, path)
            os.makedirs(os.path.dirname(full), exist_ok=True)
            with open(full, "w") as f:
                f.write(text)
        return root

    good = {
        "config/base/Text.h": "",
        "config/fs/File.h": '#include "config/base/Text.h"\n',
        "config/internal/format/Index.h": '#include "config/fs/File.h"\n',
        "config/format/Reader.cpp": '#include "format/Index.h"\n',
        "cli/Main.cpp": '#include "config/format/Reader.h"\n#include <vector>\n',
    }
    cases = {
        "upward layer": {"config/fs/File.cpp": '#include "config/document/Doc.h"\n', "config/document/Doc.h": ""},
        "upward folder": {"app/A.cpp": '#include "ui/W.h"\n', "ui/W.h": ""},
        "internal reached": {"ui/W.cpp": '#include "config/internal/format/Index.h"\n'},
        "circle": {"config/base/A.h": '#include "config/base/B.h"\n', "config/base/B.cpp": '#include "config/base/A.h"\n',
                   "config/base/B.h": ""},
    }
    failures = []
    if check(tree(good)):
        failures.append("a sound tree fails: %s" % check(tree(good)))
    for name, extra in cases.items():
        if not check(tree({**good, **extra})):
            failures.append("not found: " + name)
    for f in failures:
        print(f)
    return 1 if failures else 0


def main(argv):
    if argv[1:] == ["--self-test"]:
        return self_test()
    src = argv[1] if len(argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src")
    problems = check(src)
    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
