#!/usr/bin/env python3
"""Checks of the user manual and the help pages.

  check_docs.py manual  PDF MANUAL_DIR KRL_VAR.csv
      the PDF reads with pdfinfo and pdftotext, has a contents page with page
      numbers, shows every session keyword of the catalogue with its range,
      and has no unresolved reference or placeholder text
  check_docs.py messages MANUAL_DIR SRC_DIR
      every message the manual quotes in a message box is one the program's
      sources really hold
  check_docs.py help HELP_DIR SRC_DIR
      every help context the windows use has its topic page, every link and
      picture of the help pages resolves, every page is reachable from the
      index
"""

import csv
import html.parser
import os
import re
import subprocess
import sys
import urllib.parse

FAILURES = []


def fail(msg):
    FAILURES.append(msg)


def run(*cmd):
    return subprocess.run(cmd, check=True, capture_output=True, text=True).stdout


def number(text):
    """A catalogue bound as the manual writes it: 1, 0.5, 0.0005."""
    v = float(text)
    return "%g" % v


# ---------------------------------------------------------------- the PDF

def check_manual(pdf, manual_dir, catalogue):
    info = run("pdfinfo", pdf)
    pages = int(re.search(r"^Pages:\s+(\d+)", info, re.M).group(1))
    if pages < 20:
        fail("the manual has only %d pages" % pages)
    if "KORVAL Control Zudezo" not in info:
        fail("the PDF's title does not name the program")

    # The contents page: page 2, with chapter lines ending in page numbers.
    contents = run("pdftotext", "-layout", "-f", "2", "-l", "3", pdf, "-")
    if not re.search(r"^\s*Contents\s*$", contents, re.M):
        fail("page 2 is no contents page")
    entries = re.findall(r"^\s*(\d+|[A-Z])\s+(\S.*?)\s+(\d+)\s*$", contents, re.M)
    chapters = [e for e in entries if re.fullmatch(r"\d+", e[0])]
    if len(chapters) < 15:
        fail("the contents list only %d chapters" % len(chapters))
    numbers = [int(e[2]) for e in chapters]
    if numbers != sorted(numbers) or not all(3 <= n <= pages for n in numbers):
        fail("the contents' page numbers are not increasing within the document: %s" % numbers)

    text = run("pdftotext", "-layout", pdf, "-")
    # Each chapter starts on the page the contents give.
    for num, title, page in chapters:
        page_text = run("pdftotext", "-layout", "-f", page, "-l", page, pdf, "-")
        if not re.search(r"^\s*%s\s+%s" % (num, re.escape(title[:30])), page_text, re.M):
            fail("chapter %s %s is not on page %s as the contents say" % (num, title, page))

    # Every keyword of the timer and site files is a field of a page or
    # dialog: it must be in the manual with its range on the same line.
    lines = text.splitlines()
    with open(catalogue, newline="") as f:
        rows = list(csv.DictReader(f))
    for row in rows:
        if row["file"] not in ("TD", "SD"):
            continue
        name = row["name"]
        at = [l for l in lines if re.search(r"\b%s\b" % name, l)]
        if not at:
            fail("the manual does not mention the keyword %s" % name)
            continue
        if row["type"] == "C":
            continue
        rng = r"%s\s*[–-]\s*%s\b" % (re.escape(number(row["minimum"])), re.escape(number(row["maximum"])))
        if not any(re.search(rng, l) for l in at):
            fail("the manual does not give %s with its range %s - %s" % (name, row["minimum"], row["maximum"]))
    # Every catalogue variable is in the appendix.
    for row in rows:
        if not re.search(r"\b%s\b" % row["name"], text):
            fail("the appendix lacks the variable %s" % row["name"])

    # Nothing left unresolved or unwritten.
    for bad in (r"\(page 00\)", r"\bTODO\b", r"\bTBD\b", r"\bFIXME\b", r"[Ll]orem ipsum", r"\bXXX\b",
                r"\bplaceholder\b"):
        if re.search(bad, text):
            fail("the manual contains %s" % bad)

    # Every picture the text asks for is in the PDF (pdfimages lists them).
    wanted = 0
    for name in os.listdir(manual_dir):
        if name.endswith(".md"):
            with open(os.path.join(manual_dir, name), encoding="utf-8") as f:
                wanted += sum(1 for l in f if l.startswith("@picture "))
    images = run("pdfimages", "-list", pdf).splitlines()[2:]
    # The title page's icon is no picture of a window.
    shown = [l for l in images if l.split()[2] == "image" and l.split()[0] != "1"]
    if len(shown) < wanted:
        print("note: %d of %d pictures are in the manual (windows missing?)" % (len(shown), wanted))
    for l in shown:
        f = l.split()
        # page num type width height ... x-ppi y-ppi: pictures at least 150 ppi
        ppi = int(f[12])
        if ppi < 150:
            fail("a picture on page %s has only %d pixels per inch" % (f[0], ppi))


# ---------------------------------------------------------------- the messages

STRING = re.compile(r'"((?:[^"\\\n]|\\.)*)"')


def source_strings(src):
    """Every string literal of the sources, adjacent literals joined, escapes
    decoded."""
    out = []
    for root, _, files in os.walk(src):
        for name in files:
            if not name.endswith((".cpp", ".h")):
                continue
            with open(os.path.join(root, name), encoding="utf-8", errors="replace") as f:
                code = f.read()
            # Adjacent literals ("a" "b") form one string.
            code = re.sub(r'"\s*\n\s*"', "", code)
            for m in STRING.finditer(code):
                s = m.group(1)
                s = re.sub(r"\\(.)", lambda e: {"n": "\n", "r": "\r", "t": "\t"}.get(e.group(1), e.group(1)), s)
                out.append(s)
    return out


def quoted_messages(manual_dir):
    """The message boxes of the manual: (file, lines)."""
    for name in sorted(os.listdir(manual_dir)):
        if not name.endswith(".md"):
            continue
        with open(os.path.join(manual_dir, name), encoding="utf-8") as f:
            lines = f.read().splitlines()
        i = 0
        while i < len(lines):
            if lines[i].strip() == "::: message":
                j = i + 1
                while lines[j].strip() != ":::":
                    j += 1
                yield name, [l.strip() for l in lines[i + 1:j] if l.strip()]
                i = j
            i += 1


def check_messages(manual_dir, src):
    strings = source_strings(src)
    count = 0
    for name, lines in quoted_messages(manual_dir):
        count += 1
        for line in lines:
            line = line.replace("\\\\", "\\")
            # Words in italics stand for what the program fills in.
            for fragment in re.split(r"\*[^*]*\*", line):
                fragment = fragment.strip()
                if len(fragment) < 3:
                    continue
                # The error box adds a full stop to some messages.
                candidates = [fragment] + ([fragment[:-1]] if fragment.endswith(".") else [])
                if not any(c in s for c in candidates for s in strings):
                    fail("%s: the message text '%s' is in no source file" % (name, fragment))
    if count < 30:
        fail("only %d message boxes in the manual" % count)


# ---------------------------------------------------------------- the help pages

REQUIRED_CONTEXTS = {1001, 1002, 1003, 1004, 1005, 1006, 1007, 1008, 1009, 2001, 2002, 3001, 3002,
                     211, 221, 231, 241}


def used_contexts(src):
    """Help contexts the windows give their controls."""
    found = set()
    for sub in ("windows", "views"):
        for root, _, files in os.walk(os.path.join(src, sub)):
            for name in files:
                if not name.endswith((".cpp", ".h")):
                    continue
                with open(os.path.join(root, name), encoding="utf-8", errors="replace") as f:
                    code = f.read()
                for m in re.finditer(r"SetHelpContext\([^;]*?,\s*(\d+)\s*\)", code):
                    found.add(int(m.group(1)))
                # Menu items: AddItem(Menu, "Name", "Caption", Context, Handler)
                for m in re.finditer(r"AddItem\([^,]+,\s*\"[^\"]*\",\s*\"[^\"]*\",\s*(\d+)\s*,", code):
                    found.add(int(m.group(1)))
                # A page's context: Page * 10 + Base for the pages 0 to 3.
                for m in re.finditer(r"\*\s*10\s*\+\s*(\d+)", code):
                    found.update(int(m.group(1)) + 10 * p for p in range(4))
                for m in re.finditer(r"(?:HelpContext|Context)\s*=\s*(\d+)\s*;", code):
                    found.add(int(m.group(1)))
    found.discard(0)
    return found


class Links(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.links, self.ids = [], set()

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if "id" in a:
            self.ids.add(a["id"])
        if tag == "a" and "href" in a:
            self.links.append(a["href"])
        if tag == "img" and "src" in a:
            self.links.append(a["src"])


def check_help(help_dir, src):
    contexts = used_contexts(src) | REQUIRED_CONTEXTS
    for c in sorted(contexts):
        if not os.path.isfile(os.path.join(help_dir, "%d.html" % c)):
            fail("help context %d has no topic page %d.html" % (c, c))
    if not os.path.isfile(os.path.join(help_dir, "index.html")):
        fail("the help has no index.html")
        return
    pages = {}
    for name in os.listdir(help_dir):
        if name.endswith(".html"):
            p = Links()
            with open(os.path.join(help_dir, name), encoding="utf-8") as f:
                p.feed(f.read())
            pages[name] = p
    for name, p in pages.items():
        if "index.html" not in p.links and name != "index.html":
            fail("%s has no link to the index" % name)
        for link in p.links:
            url = urllib.parse.urlsplit(link)
            if url.scheme in ("http", "https", "mailto"):
                continue
            target = urllib.parse.unquote(url.path) or name
            if url.path and not os.path.isfile(os.path.join(help_dir, target)):
                fail("%s links to %s, which does not exist" % (name, link))
            elif url.fragment and target in pages and url.fragment not in pages[target].ids:
                fail("%s links to %s, whose page has no such anchor" % (name, link))
    # Every page can be reached from the index.
    seen, todo = set(), ["index.html"]
    while todo:
        n = todo.pop()
        if n in seen or n not in pages:
            continue
        seen.add(n)
        todo += [urllib.parse.urlsplit(l).path for l in pages[n].links if l.endswith(".html") or ".html#" in l]
    for n in sorted(set(pages) - seen):
        fail("the page %s cannot be reached from the index" % n)


def main():
    what = sys.argv[1]
    if what == "manual":
        check_manual(*sys.argv[2:5])
    elif what == "messages":
        check_messages(*sys.argv[2:4])
    elif what == "help":
        check_help(*sys.argv[2:4])
    else:
        sys.exit(__doc__)
    for f in FAILURES:
        print("FAIL:", f)
    sys.exit(1 if FAILURES else 0)


if __name__ == "__main__":
    main()
