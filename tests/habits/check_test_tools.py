#!/usr/bin/env python3
"""Every program the tests call comes from a package the scripts install.

Usage: check_test_tools.py SOURCE_DIR

Finds the programs named as commands in tests/ (the first word of each
command in the C++ tests' string literals and in the shell and Python
scripts), looks up the Debian package of each one installed here (dpkg -S),
and fails for any whose package is neither in the lists of
scripts/lib/common.sh nor one every Debian system has (Essential or of
priority required). A test run green on a machine that happens to have a
tool would otherwise fail on a fresh one.
"""
import os
import re
import shutil
import subprocess
import sys

SHELL_WORDS = {"cd", "exec", "export", "set", "source", "test", "then", "do", "done", "fi", "if", "for",
               "while", "echo", "printf", "read", "exit", "return", "local", "trap", "wait", "kill", "true",
               "false", "command", "type", "ulimit", "umask", "unset", "eval", "shift", "case", "esac", "else"}


def listed_packages(root):
    script = 'source "%s/scripts/lib/common.sh"; printf "%%s\\n" "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"' % root
    out = subprocess.run(["bash", "-c", script], check=True, capture_output=True, text=True).stdout
    return set(out.split())


def commands_in(text):
    """The first word of each command in a piece of shell."""
    for segment in re.split(r"\|\||&&|[|;`(]|\$\(", text):
        words = segment.strip().split()
        # Leading variable settings (LC_ALL=C program ...) are not commands.
        while words and re.match(r"^[A-Za-z_][A-Za-z0-9_]*=", words[0]):
            words.pop(0)
        if words:
            yield words[0]


def named_programs(root):
    found = {}
    for folder, _, files in os.walk(os.path.join(root, "tests")):
        for name in files:
            path = os.path.join(folder, name)
            with open(path, encoding="utf-8", errors="replace") as f:
                text = f.read()
            if name.endswith((".cpp", ".h")):
                # String literals, but those streamed into a message.
                pieces = [m.group(2) for m in re.finditer(r'(<<\s*)?"((?:[^"\\\n]|\\.)*)"', text) if not m.group(1)]
            elif name.endswith(".py"):
                # Lists of arguments and strings given to a shell.
                pieces = re.findall(r'\[\s*"([^"]+)"', text) + re.findall(r'"([^"\n]+)"', text)
            elif name.endswith(".sh"):
                pieces, until = [], None
                for line in text.splitlines():
                    if until is not None:
                        until = None if line.strip() == until else until
                        continue
                    if not line.lstrip().startswith("#"):
                        pieces.append(line)
                    here = re.search(r"<<-?\s*['\"]?([A-Za-z_]+)['\"]?", line)
                    if here:
                        until = here.group(1)
            else:
                continue
            for piece in pieces:
                for word in commands_in(piece):
                    if re.fullmatch(r"[a-z][a-z0-9+._-]*", word) and word not in SHELL_WORDS:
                        found.setdefault(word, os.path.relpath(path, root))
    return found


def package_of(program):
    path = shutil.which(program)
    if not path:
        return None
    for candidate in (path, os.path.realpath(path)):
        out = subprocess.run(["dpkg", "-S", candidate], capture_output=True, text=True)
        if out.returncode == 0:
            return out.stdout.split(":")[0].strip()
    return None


def installed_with(packages):
    """The packages installed here that the listed ones bring in, theirs too."""
    seen, todo = set(), list(packages)
    while todo:
        package = todo.pop()
        if package in seen:
            continue
        seen.add(package)
        out = subprocess.run(["dpkg-query", "-W", "-f", "${Depends},${Pre-Depends}", package],
                             capture_output=True, text=True).stdout
        for alternative in re.split(r"[,|]", out):
            name = alternative.strip().split(" ")[0].split(":")[0]
            if name:
                todo.append(name)
    return seen


def everywhere(package):
    out = subprocess.run(["dpkg-query", "-W", "-f", "${Essential} ${Priority}", package],
                         capture_output=True, text=True).stdout.split()
    return "yes" in out or "required" in out


def main():
    root = sys.argv[1]
    listed = installed_with(listed_packages(root))
    missing = []
    for program, where in sorted(named_programs(root).items()):
        package = package_of(program)
        if package is None:
            continue  # not a program here: a word of the tests, not a command
        if package not in listed and not everywhere(package):
            missing.append("%s (%s, named in %s)" % (program, package, where))
    for line in missing:
        print("not installed by scripts/test: " + line)
    return 1 if missing else 0


if __name__ == "__main__":
    sys.exit(main())
