"""Writing a generated data file, or checking a file against what would be
generated: the one way the generators in tools/ end."""

import sys


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
