#!/usr/bin/python3
"""Runs a command on a pseudo-terminal of COLUMNS x ROWS and copies what it
wrote there to standard output: on_terminal.py COLUMNS ROWS COMMAND..."""
import fcntl
import os
import pty
import struct
import sys
import termios

columns, rows = int(sys.argv[1]), int(sys.argv[2])
pid, fd = pty.fork()
if pid == 0:
    os.execvp(sys.argv[3], sys.argv[3:])
fcntl.ioctl(fd, termios.TIOCSWINSZ, struct.pack("HHHH", rows, columns, 0, 0))
out = bytearray()
while True:
    try:
        data = os.read(fd, 1 << 16)
    except OSError:  # the program has ended
        break
    if not data:
        break
    out += data
_, status = os.waitpid(pid, 0)
sys.stdout.buffer.write(out)
sys.exit(os.waitstatus_to_exitcode(status))
