#!/usr/bin/env python3
"""Write the COMMANDS section of morvexa-cli's manual page, for help2man's
--include: for each command its program lists, what help2man makes of
that command's own --help (synopsis, description and options).

  python3 tools/make_man_commands.py PROGRAM -o commands.h2m
"""
import argparse
import re
import subprocess

import cli_help


def sections(page):
    """The body of each .SH section of a manual page, by name."""
    found, name = {}, None
    for line in page.splitlines():
        match = re.match(r'\.SH "?([^"]*)"?$', line)
        if match:
            name = match.group(1)
            found[name] = []
        elif name:
            found[name].append(line)
    return found


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("program", help="the built morvexa-cli, asked for its help")
    parser.add_argument("-o", "--output", required=True)
    parser.add_argument("--help2man", default="help2man", help="the help2man program")
    args = parser.parse_args()
    program = args.program
    out = ["[COMMANDS]"]
    for command in cli_help.commands(program):
        page = subprocess.run(
            [args.help2man, "--no-info", "--locale=C.UTF-8", f"--help-option={command.name} --help", program],
            check=True,
            capture_output=True,
            text=True,
        ).stdout
        body = sections(page)
        out += [f'.SS "{command.name}"', *body["SYNOPSIS"], ".PP", *body["DESCRIPTION"], *body.get("OPTIONS", [])]
    with open(args.output, "w", encoding="utf-8") as f:
        f.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
