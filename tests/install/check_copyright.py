#!/usr/bin/python3
"""A Debian copyright file is in the machine-readable form (format 1.0):
python3-debian reads it strictly, and each license that a Files paragraph
names has its text, in that paragraph or in a License paragraph of its own.

  check_copyright.py FILE...
"""
import sys

from debian import copyright

FORMAT = "https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/"


def problems(path):
    with open(path, encoding="utf-8") as f:
        try:
            document = copyright.Copyright(f, strict=True)
        except (copyright.Error, ValueError) as error:
            return [f"{path}: {error}"]
    found = []
    if document.header.format != FORMAT:
        found.append(f"{path}: Format: {document.header.format}, not {FORMAT}")
    if not document.header.upstream_name:
        found.append(f"{path}: no Upstream-Name")
    texts = {paragraph.license.synopsis for paragraph in document.all_license_paragraphs() if paragraph.license.text}
    for paragraph in document.all_files_paragraphs():
        if not paragraph.copyright:
            found.append(f"{path}: Files: {' '.join(paragraph.files)} names no copyright holder")
        license = paragraph.license
        if not license.text and license.synopsis not in texts:
            found.append(f"{path}: the license {license.synopsis} has no text")
    return found


if __name__ == "__main__":
    found = [problem for path in sys.argv[1:] for problem in problems(path)]
    print("\n".join(found) if found else "machine-readable, every license with its text")
    sys.exit(1 if found else 0)
