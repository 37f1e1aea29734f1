"""What morvexa-cli says of itself in its --help: its commands, and the
options of each, for the tools that document and complete its command line
so that they follow the program without a second copy of it."""
import os
import re
import subprocess
from dataclasses import dataclass, field

# "  text TEXT       draw ..." under "Commands:".
COMMAND = re.compile(r"^  ([a-z][\w-]*)(?: (\S+))?\s{2,}\S")
# An option line under "Options:", the GNU way: its options, comma-separated,
# then two spaces or more and what they do (or that on the next lines):
# "  -o, --output=FILE   write ...", "      --replace OLD NEW",
# "      --fg-color=COLOR, --bg-color=COLOR", "      --color[=WHEN]  show ...".
OPTION_LINE = re.compile(r"^ {2,}(-\S.*?)(?: {2,}\S.*)?$")
# One of them: its name, then its value: joined (=V), optional ([=V]), or
# separate words (" OLD NEW").
OPTION = re.compile(r"^(--?[\w-]+)(?:(\[)?=([^]\s]+)\]?| ([A-Z][A-Z ]*))?$")


@dataclass
class Option:
    names: list  # "-o", "--output"
    values: list = field(default_factory=list)  # what follows it: ["FILE"], ["OLD", "NEW"]
    optional: bool = False  # its value only joined to it: --color=always


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
    """The options of a help text. Those written on one line without a value
    take the value of the last one: "-o, --output=FILE" are one option."""
    found = []
    for line in blocks(text, "Options:"):
        line_match = OPTION_LINE.match(line)
        matches = [OPTION.match(form) for form in line_match.group(1).split(", ")] if line_match else []
        if not matches or not all(matches):
            continue
        names = []
        for match in matches:
            name, optional, joined, spaced = match.groups()
            names.append(name)
            if joined or spaced:
                values = [joined] if joined else spaced.split()
                found.append(Option(names, values, bool(optional)))
                names = []
        if names:
            found.append(Option(names))
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
