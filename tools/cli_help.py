"""What morvexa-cli says of itself in its --help: its commands, and the
options of each, for the tools that document and complete its command line
so that they follow the program without a second copy of it."""
import os
import re
import subprocess
from dataclasses import dataclass, field

# "  text TEXT       draw ..." under "Commands:".
COMMAND = re.compile(r"^  ([a-z][\w-]*)(?: (\S+))?\s{2,}\S")
# "  -o, --output=FILE   write ..." or "      --replace OLD NEW" under "Options:".
OPTION = re.compile(r"^ {2,}(?:(-\w), )?(--[\w-]+)(?:=(\S+)| ((?:[A-Z]+ ?)+))?(?:\s{2,}\S|$)")


@dataclass
class Option:
    names: list  # "-o", "--output"
    values: list = field(default_factory=list)  # what follows it: ["FILE"], ["OLD", "NEW"]


@dataclass
class Command:
    name: str
    argument: str  # "TEXT", "FILE"
    options: list


def help_text(program, *args):
    """The program's help, in UTF-8 whatever the caller's locale."""
    env = dict(os.environ, LC_ALL="C.UTF-8")
    return subprocess.run([program, *args], env=env, check=True, capture_output=True, text=True).stdout


def blocks(text, heading):
    """The lines of each block that starts with heading ("Options:")."""
    lines, inside = [], False
    for line in text.splitlines():
        if line == heading:
            inside = True
        elif inside and not line.strip():
            inside = False
        elif inside:
            lines.append(line)
    return lines


def options(text):
    found = []
    for line in blocks(text, "Options:"):
        match = OPTION.match(line)
        if match:
            short, long, joined, spaced = match.groups()
            values = [joined] if joined else spaced.split() if spaced else []
            found.append(Option([name for name in (short, long) if name], values))
    return found


def program_options(program):
    """The options that stand before a command (--help, --version)."""
    return options(help_text(program, "--help"))


def commands(program):
    found = []
    for line in blocks(help_text(program, "--help"), "Commands:"):
        match = COMMAND.match(line)
        if match:
            name, argument = match.groups()
            found.append(Command(name, argument or "", options(help_text(program, name, "--help"))))
    if not found:
        raise SystemExit(f"{program} --help lists no commands")
    return found
