#!/usr/bin/env python3
"""Lists the functions longer than 50 lines and the source files longer than
400 lines under the folders given (default: src/ of the tree this script is
in). Exits 1 when it lists anything, 0 when all is within the limits.

    python3 tools/code_size.py [--function-lines N] [--file-lines N] [--all] [FOLDER...]

--all lists every function found with its lines instead (to see what the
scan takes for a function).

A function's length runs from the line its head starts on to the line of its
closing brace, both counted. It is found by matching braces after comments,
string and character literals (raw strings and digit separators included)
and preprocessor lines are blanked out: a brace opens a function body when
its head, the text before it since the last ";" outside parentheses or the
last "{" or "}" of a block, ends with ")" and maybe qualifiers (const,
noexcept, override, a trailing return type, a constructor's initializers)
and does not start with a statement keyword (if, for, while, switch, catch)
or declare a class or namespace; labels (public:, case x:) before a head are
passed over. Braces inside an expression (an initializer, a lambda passed as
an argument) belong to the head around them. Lambdas count as functions of
their own too, and inside the function that holds them.
"""

import argparse
import os
import re
import sys

STATEMENTS = {"if", "for", "while", "switch", "catch", "else", "do", "try", "return"}
# The end of a function's head: its parameters, then qualifiers and maybe a
# trailing return type.
QUALIFIERS = re.compile(
    r"\)\s*(?:(?:const|volatile|override|final|mutable|noexcept(?:\s*\([^()]*\))?|&&|&)\s*)*"
    r"(?:->\s*[\w:<>,\s\*&]+)?$"
)
# A constructor's initializers after its parameters: ") : a_(x), b_{y}".
INITIALIZERS = re.compile(r"\)\s*(?:noexcept\s*)?:(?!:).*[)}]$", re.S)
# A lambda without parameters: "[this] {", "[&] mutable {".
BARE_LAMBDA = re.compile(r"\[[^\[\]]*\]\s*(?:mutable\s*)?$")
# Heads of blocks that hold declarations rather than statements.
SCOPES = re.compile(r"^(?:template\s*<.*>\s*)?(?:class|struct|union|enum|namespace|extern)\b", re.S)
# Labels and macros that may stand before a head.
LEADERS = re.compile(
    r"^(?:(?:Q_OBJECT|Q_GADGET)\b|(?:public|private|protected)(?:\s+(?:slots|Q_SLOTS))?\s*:(?!:)"
    r"|signals\s*:|Q_SIGNALS\s*:|case\b[^:]*:(?!:)|default\s*:(?!:))\s*",
    re.S,
)


def blank(text):
    """The text with comments, literals and preprocessor lines replaced by
    blanks, line breaks kept, so that positions and line numbers stay."""
    out = list(text)
    i, n = 0, len(text)

    def wipe(a, b):
        for k in range(a, b):
            if out[k] != "\n":
                out[k] = " "

    at_line_start = True
    while i < n:
        c = text[i]
        if at_line_start and c == "#":
            j = i
            while j < n and text[j] != "\n":
                if text[j] == "\\" and j + 1 < n and text[j + 1] == "\n":
                    j += 2
                    continue
                j += 1
            wipe(i, j)
            i = j
            continue
        if c == "\n":
            at_line_start = True
            i += 1
            continue
        if not c.isspace():
            at_line_start = False
        if text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
            wipe(i, j)
            i = j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            wipe(i, j)
            i = j
        elif c == "R" and text.startswith('R"', i) and not (i and (text[i - 1].isalnum() or text[i - 1] == "_")):
            delim = text[i + 2:text.find("(", i + 2)]
            j = text.find(")" + delim + '"', i)
            j = n if j < 0 else j + len(delim) + 2
            wipe(i, j)
            i = j
        elif c == '"' or (c == "'" and is_char_literal(text, i)):
            j = i + 1
            while j < n and text[j] != c:
                j += 2 if text[j] == "\\" else 1
            wipe(i, j + 1)
            i = j + 1
        else:
            i += 1
    return "".join(out)


def is_char_literal(text, i):
    """A quote that starts a character literal, not a digit separator."""
    j = i
    while j > 0 and (text[j - 1].isalnum() or text[j - 1] == "_"):
        j -= 1
    token = text[j:i]
    return token in ("", "L", "u", "U", "u8")


def functions(text):
    """(name, first line, last line) of every function body in the text."""
    code = blank(text)
    line_of = []
    line = 1
    for ch in code:
        line_of.append(line)
        if ch == "\n":
            line += 1
    found = []
    # Per open brace: where its head starts, the head, its kind, the
    # parentheses open before it, and whether it stands inside them.
    stack = []
    boundary = 0  # where the head of the next brace starts
    parens = 0  # open parentheses since the innermost open brace ("for (;;)")
    for pos, ch in enumerate(code):
        if ch == "(":
            parens += 1
        elif ch == ")":
            parens = max(parens - 1, 0)
        elif ch == ";" and parens == 0:
            boundary = pos + 1
        elif ch == "{":
            text = code[boundary:pos]
            raw = text.strip()
            raw_start = boundary + text.find(raw) if raw else pos
            if parens:
                # Inside parentheses: a lambda passed on, or an initializer;
                # either way the head around it goes on after it.
                kind = "function" if is_lambda(inner_head(raw)) else "expression"
                stack.append((raw_start, raw, kind, parens, True))
            else:
                head = strip_leaders(raw)
                start = raw_start + len(raw) - len(head) if raw else pos
                stack.append((start, head, kind_of(head), parens, False))
            boundary = pos + 1
            parens = 0
        elif ch == "}" and stack:
            start, head, kind, parens, nested = stack.pop()
            if kind == "function":
                found.append((name_of(head), line_of[start], line_of[pos]))
            # A brace inside an expression ("b_{y}", "Foo{a, b}", a lambda
            # passed on) is part of the head around it, which goes on after it.
            boundary = start if kind == "expression" or nested else pos + 1
    return found


def inner_head(head):
    """What stands after the innermost open parenthesis and the last comma
    at its level: the argument a brace inside a call belongs to."""
    depth = 0
    for i in range(len(head) - 1, -1, -1):
        c = head[i]
        if c in ")]}":
            depth += 1
        elif c in "([{":
            if depth == 0:
                return head[i + 1:].strip()
            depth -= 1
        elif c == "," and depth == 0:
            return head[i + 1:].strip()
    return head


def is_lambda(head):
    return head.startswith("[") and (QUALIFIERS.search(head) or BARE_LAMBDA.search(head)) is not None


def strip_leaders(head):
    while True:
        stripped = LEADERS.sub("", head, count=1)
        if stripped == head:
            return head
        head = stripped


def kind_of(head):
    """"function", "block" (statements or declarations inside) or
    "expression" (an initializer's braces)."""
    if not head:
        return "block"
    first = re.match(r"[A-Za-z_]\w*", head)
    if first and first.group(0) in STATEMENTS:
        return "block"
    if SCOPES.search(head):
        return "block"
    if QUALIFIERS.search(head) or INITIALIZERS.search(head) or BARE_LAMBDA.search(head):
        return "function"
    return "expression"


def name_of(head):
    """The function's name as written before its parameters, or "lambda"."""
    flat = " ".join(head.split())
    if BARE_LAMBDA.search(flat):
        return "lambda"
    # The parameters: the first group at the top level for a constructor with
    # initializers, else the last one.
    groups = []
    depth = 0
    for i, c in enumerate(flat):
        if c == "(":
            if depth == 0:
                groups.append(i)
            depth += 1
        elif c == ")":
            depth -= 1
    if not groups:
        return "?"
    at = groups[0] if re.search(r"\)\s*(?:noexcept\s*)?:(?!:)", flat) else groups[-1]
    before = flat[:at].rstrip()
    if before.endswith("]"):
        return "lambda"
    m = re.search(r"(operator\s*\S+|[~\w:]+)$", before)
    return m.group(1) if m else "?"


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description="Lists functions and files that are too long.")
    parser.add_argument("--function-lines", type=int, default=50)
    parser.add_argument("--file-lines", type=int, default=400)
    parser.add_argument("--all", action="store_true", help="list every function with its length")
    parser.add_argument("folders", nargs="*", default=[os.path.join(here, "..", "src")])
    args = parser.parse_args()

    over = 0
    for folder in args.folders:
        for root, _, files in sorted(os.walk(folder)):
            for name in sorted(files):
                if not name.endswith((".cpp", ".h", ".hpp", ".cc", ".in")):
                    continue
                path = os.path.normpath(os.path.join(root, name))
                with open(path, encoding="utf-8", errors="replace") as f:
                    text = f.read()
                lines = text.count("\n") + (0 if text.endswith("\n") or not text else 1)
                if lines > args.file_lines:
                    print(f"{path}: file of {lines} lines")
                    over += 1
                for function, first, last in functions(text):
                    length = last - first + 1
                    if args.all:
                        print(f"{path}:{first}-{last}: {function} {length}")
                    elif length > args.function_lines:
                        print(f"{path}:{first}: {function} has {length} lines")
                        over += 1
    print(f"{over} over the limits ({args.function_lines} lines a function, {args.file_lines} a file)")
    return 1 if over else 0


if __name__ == "__main__":
    sys.exit(main())
