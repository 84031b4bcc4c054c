#!/usr/bin/env python3
"""Checks that every #include in src/ keeps the layer order of CODINGSTYLE.md.

A unit may include units of its own layer and of the layers below it, never
one above. The order, from the bottom:

  0  foundations basics (every foundations unit not named in READERS)
  1  platform
  2  foundations: the file readers and utilities (READERS)
  3  catalogue, session
  4  output
  5  study
  6  views
  7  windows, krlstudy

The readers and utilities live in src/foundations although they sit above
platform: the one written exception. The model and krlcmd stand beside the
order: they may include foundations and platform only, and nothing else in
src/ includes them. The core (layers 0 to 4), the study layer, krlstudy, the
model and krlcmd include no Qt header.

Run from anywhere inside the repository; exits 1 and names every include
that breaks the order.
"""
import os
import re
import subprocess
import sys

READERS = {"DxTxtFle", "DxTxtWrt", "DxUtil", "Kvutil"}
RANK = {"platform": 1, "catalogue": 3, "session": 3, "output": 4, "study": 5, "views": 6, "windows": 7,
        "krlstudy": 7}
BESIDE = {"model", "krlcmd"}
# Where a bare include name is looked up after the including file's folder
# (the include path of the window library).
QT_FOLDERS = ("views", "windows")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def layer(path):
    """(name, rank) of a file under src/; rank None for the units beside."""
    parts = path.split("/")
    folder = parts[1]
    if folder == "foundations":
        stem = os.path.splitext(parts[-1])[0]
        if stem in READERS:
            return "file readers and utilities", 2
        return "foundations basics", 0
    if folder in BESIDE:
        return folder, None
    if folder in RANK:
        return folder, RANK[folder]
    return folder, -1


def resolve(root, including, name, quoted):
    """The included file as a path under src/, or None when it is not ours."""
    candidates = []
    if quoted:
        candidates.append(os.path.join(os.path.dirname(including), name))
    candidates.append(os.path.join("src", name))
    if quoted and including.split("/")[1] in QT_FOLDERS:
        candidates += [os.path.join("src", f, name) for f in QT_FOLDERS]
    for c in candidates:
        c = os.path.normpath(c)
        if c.startswith("src/") and os.path.isfile(os.path.join(root, c)):
            return c
    return None


def include_lines(root):
    """(file, line number, text) of every #include line in src/."""
    try:
        out = subprocess.run(
            ["git", "grep", "--untracked", "-n", "-E", r"^\s*#\s*include", "--", "src"],
            cwd=root, check=True, capture_output=True, text=True).stdout
        for row in out.splitlines():
            f, n, text = row.split(":", 2)
            yield f, int(n), text
    except (OSError, subprocess.CalledProcessError):
        # Not a git work tree (a source archive): read the files.
        for d, _, files in os.walk(os.path.join(root, "src")):
            for f in sorted(files):
                path = os.path.relpath(os.path.join(d, f), root)
                with open(os.path.join(root, path), encoding="latin-1") as fh:
                    for n, text in enumerate(fh, 1):
                        if INCLUDE.match(text):
                            yield path, n, text.rstrip("\n")


def fault(path, target, qt_header):
    name, rank = layer(path)
    if qt_header:
        if rank is None or 0 <= rank <= 5 or path.split("/")[1] == "krlstudy":
            return f"{name} includes no Qt header"
        return None
    if target is None:
        return None
    tname, trank = layer(target)
    if rank == -1 or trank == -1:
        return "a folder that the layer order does not know: add it to CODINGSTYLE.md and this check"
    if trank is None:
        if target.split("/")[1] != path.split("/")[1]:
            return f"nothing includes the {tname}"
        return None
    if rank is None:
        if trank > 2:
            return f"the {name} includes foundations and platform only"
        return None
    if trank > rank:
        return f"{name} may not include {tname}, a layer above it"
    return None


def main():
    root = subprocess.run(["git", "rev-parse", "--show-toplevel"], capture_output=True, text=True,
                          cwd=os.path.dirname(os.path.abspath(__file__))).stdout.strip()
    if not root:
        root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    faults = []
    checked = 0
    for path, n, text in include_lines(root):
        m = INCLUDE.match(text)
        if not m or not path.endswith((".h", ".cpp")):
            continue
        quoted = m.group(1) == '"'
        name = m.group(2)
        qt_header = not quoted and re.match(r"Q[A-Za-z]", name) is not None
        target = resolve(root, path, name, quoted)
        if quoted and target is None:
            faults.append(f"{path}:{n}: {name} is not found in src/")
            continue
        checked += 1
        why = fault(path, target, qt_header)
        if why:
            faults.append(f"{path}:{n}: includes {name}: {why}")
    for f in faults:
        print(f)
    if faults:
        print("The layer order of CODINGSTYLE.md is broken.")
        return 1
    print(f"The layer order holds ({checked} includes in src/).")
    return 0


if __name__ == "__main__":
    sys.exit(main())
