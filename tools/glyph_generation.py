"""What the glyph generators in tools/ share: reading Unifont's files of
"CODE:VALUE" lines, and writing a generated data file, or checking a file
against what would be generated."""

import sys


def code_lines(path):
    """The (code point, value text) of each "CODE:VALUE" line of path."""
    with open(path, encoding="ascii") as f:
        for line in f:
            line = line.strip()
            if not line or ":" not in line:
                continue
            code, value = line.split(":", 1)
            yield int(code, 16), value


def write_or_check(data, output, check, what, source):
    """Writes data to output, or, with check, compares the file check with
    data. Returns the exit status: 1 when the checked file differs."""
    if check:
        with open(check, "rb") as f:
            existing = f.read()
        if existing != data:
            print("%s differs from the %s generated from %s" % (check, what, source), file=sys.stderr)
            return 1
        print("%s matches %s" % (check, source))
        return 0
    with open(output, "wb") as f:
        f.write(data)
    return 0
