#!/usr/bin/python3
"""Checks that a file is valid HTML5 and prints the text of its <pre>.

Parsed strictly by html5lib: any parse error fails (exit 1). Also checks
that the page sets its language and title. Usage: html_text.py FILE"""
import sys

import html5lib

with open(sys.argv[1], "rb") as f:
    data = f.read()
parser = html5lib.HTMLParser(strict=True, namespaceHTMLElements=False)
try:
    document = parser.parse(data)
except html5lib.html5parser.ParseError as error:
    print("not valid HTML5: %s" % error, file=sys.stderr)
    sys.exit(1)
if not document.get("lang") or document.find("head/title") is None or not document.find("head/title").text:
    print("no language or title", file=sys.stderr)
    sys.exit(1)
pre = document.find("body/pre")
sys.stdout.buffer.write("".join(pre.itertext()).encode("utf-8"))
