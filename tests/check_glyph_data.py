#!/usr/bin/env python3
"""Regenerates built-in glyph data and compares; skipped (77) without Unifont."""
import os
import subprocess
import sys

HEX = "/usr/share/unifont/unifont.hex"
generator, font = sys.argv[1], sys.argv[2]
if not os.path.exists(HEX):
    print("%s is not installed, though scripts/test installs the unifont package" % HEX)
    sys.exit(1)
sys.exit(subprocess.call([sys.executable, generator, "--hex", HEX, "--check", font]))
