#!/usr/bin/env python3
"""Write bash's completion of morvexa-cli from the program's own --help, so
that a new command or option completes without a change here: commands and
options complete by name; a FILE value of an option completes any file, a
command's FILE argument the pictures named by --pictures; the value of an
option --X of a command that also has --list-X completes what the program
lists (and files); other values (SYMBOL, OLD NEW) complete nothing. An optional value ([=WHEN]) is only
taken joined to its option, as getopt_long takes it.

  python3 tools/make_bash_completion.py --pictures 'bmp|png' -o morvexa-cli PROGRAM
"""
import argparse
import os

import cli_help

TEMPLATE = """\
# bash completion for {program}. Made from the program's own --help by
# tools/make_bash_completion.py: change the program, not this file.

_{function}() {{
  local cur prev words cword split
  _init_completion -s || return

  if ((cword == 1)); then
    COMPREPLY=($(compgen -W '{first_words}' -- "$cur"))
    return
  fi

  # What the command takes: its options, and what its argument is.
  local options argument
  case ${{words[1]}} in
{commands}
    *) return ;;
  esac

  # Whether the word is the value of an option, and of which.
  local i option="" pending=0 ended=false
  for ((i = 2; i < cword; i++)); do
    if ((pending > 0)); then
      ((pending--))
      continue
    fi
    $ended && continue
    case ${{words[i]}} in
      --) ended=true ;;
{values}
    esac
  done
  if $split; then
    option=$prev
    pending=1
  fi
  if ((pending > 0)); then
    case $option in
{file_values}
{listed_values}
    esac
    return
  fi

  if ! $ended && [[ $cur == -* ]]; then
    COMPREPLY=($(compgen -W "$options" -- "$cur"))
  elif [[ $argument == pictures ]]; then
    _filedir '{pictures}'
  fi
}} &&
  complete -F _{function} {program}
"""


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("program", help="the built morvexa-cli, asked for its help")
    parser.add_argument("--pictures", required=True, help="the file name endings of pictures: 'bmp|png|...'")
    parser.add_argument("-o", "--output", required=True)
    args = parser.parse_args()

    name = os.path.basename(args.program)
    program_options = [n for option in cli_help.program_options(args.program) for n in option.names]
    commands = cli_help.commands(args.program)
    first_words = [command.name for command in commands] + program_options

    command_cases, values, file_values, listed_values = [], {}, set(), []
    for command in commands:
        names = [n for option in command.options for n in option.names]
        argument = "pictures" if command.argument == "FILE" else ""
        command_cases.append(
            f"    {command.name})\n      options='{' '.join(names)}'\n      argument={argument}\n      ;;"
        )
        for option in command.options:
            if option.values and not option.optional:
                values.setdefault(len(option.values), set()).update(option.names)
            if option.values == ["FILE"]:
                file_values.update(option.names)
            for long_name in option.names:
                if long_name.startswith("--") and "--list-" + long_name[2:] in names and option.values:
                    listed_values.append(
                        f"      {long_name})\n        COMPREPLY=($(compgen -W \"$(\"${{words[0]}}\" {command.name} "
                        f"--list-{long_name[2:]} 2>/dev/null)\" -- \"$cur\"))\n        _filedir"
                        "\n        ;;"
                    )

    value_cases = [
        f"      {'|'.join(sorted(names))}) option=${{words[i]}} pending={count} ;;"
        for count, names in sorted(values.items())
    ]
    file_cases = [f"      {'|'.join(sorted(file_values))}) _filedir ;;"] if file_values else []
    with open(args.output, "w", encoding="utf-8") as f:
        f.write(
            TEMPLATE.format(
                program=name,
                function=name.replace("-", "_"),
                first_words=" ".join(first_words),
                commands="\n".join(command_cases),
                values="\n".join(value_cases),
                file_values="\n".join(file_cases),
                listed_values="\n".join(listed_values),
                pictures=args.pictures,
            )
        )


if __name__ == "__main__":
    main()
