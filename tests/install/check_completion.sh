#!/usr/bin/env bash
# bash completes morvexa-cli's command line with the completion made from
# its --help: commands, each command's own options, nothing for values
# such as SYMBOL and OLD NEW, any file for -o and --symbols, pictures (and
# folders) for picture's FILE, and the fonts it lists (and files) for
# --figlet. And the generator reads GNU-style help
# as a future morvexa-cli may write it, shown by a stand-in program: two
# options on one line, a short option taking the value of its long one,
# and optional values (--color[=WHEN]), only taken when joined.
# Usage: check_completion.sh PYTHON SOURCE_DIR COMPLETION_FILE PROGRAM
set -uo pipefail
python=$1
source_dir=$2
completion=$3
program=$4
source /usr/share/bash-completion/bash_completion
source "$completion"
source "$(dirname "$0")/cli_help.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin" "$work/files"
cd "$work/files" || exit 1
touch a.bmp B.PNG c.jpeg d.webp e.gif notes.txt
mkdir folder

# What bash offers for a command line typed up to the cursor at its end,
# sorted, on one line. Words are split as bash splits them: at blanks, and
# with "=" a word of its own.
offered() {
  local line=$1 spaced function
  spaced=${line//=/ = }
  read -ra COMP_WORDS <<<"$spaced"
  [[ $line == *' ' ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMP_LINE=$line
  COMP_POINT=${#line}
  COMPREPLY=()
  function=$(complete -p "${COMP_WORDS[0]}" | sed -E 's/.*-F ([^ ]+).*/\1/')
  "$function" "${COMP_WORDS[0]}" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort | paste -sd ' '
}

failed=0
expect() {
  local line=$1 want=$2 got
  got=$(offered "$line")
  if [ "$got" == "$want" ]; then
    echo "ok   '$line' -> '$got'"
  else
    echo "FAIL '$line' -> '$got', not '$want'"
    failed=1
  fi
}

pictures='B.PNG a.bmp c.jpeg d.webp e.gif folder'
files='B.PNG a.bmp c.jpeg d.webp e.gif folder notes.txt'

expect 'morvexa-cli ' '--help --version -V -h picture text'
expect 'morvexa-cli te' 'text'
expect 'morvexa-cli --v' '--version'
expect 'morvexa-cli text --' "$(help_long_options "$program" text)"
expect 'morvexa-cli picture --' "$(help_long_options "$program" picture)"
expect 'morvexa-cli text 编程 --sy' '--symbols'
expect 'morvexa-cli picture --fg' ''
expect 'morvexa-cli text ' ''
expect 'morvexa-cli text --fg ' ''
expect 'morvexa-cli text --fg=' ''
expect 'morvexa-cli text --replace ' ''
expect 'morvexa-cli text --replace a ' ''
expect 'morvexa-cli text --replace a b --rep' '--replace'
expect 'morvexa-cli picture ' "$pictures"
expect 'morvexa-cli picture a' 'a.bmp'
expect 'morvexa-cli picture -o ' "$files"
expect 'morvexa-cli picture a.bmp --output n' 'notes.txt'
expect 'morvexa-cli text 编程 --symbols=n' 'notes.txt'
expect 'morvexa-cli picture -- -' ''
expect 'morvexa-cli frobnicate ' ''
# A FIGlet font: those the program lists, and files.
ln -s "$program" "$work/bin/morvexa-cli"
PATH="$work/bin:$PATH" expect 'morvexa-cli text --figlet=sla' 'slant'
PATH="$work/bin:$PATH" expect 'morvexa-cli text --figlet sm' 'small smascii12 smascii9 smblock smbraille smmono12 smmono9 smscript smshadow smslant'
PATH="$work/bin:$PATH" expect 'morvexa-cli text --figlet=no' 'notes.txt'

# The stand-in: "stand-in draw WORDS" and "stand-in open FILE".
cat >"$work/bin/stand-in" <<'PROGRAM'
#!/bin/sh
case "$1" in
  --help) printf '%s\n' 'Usage: stand-in COMMAND' '' 'Commands:' '  draw WORDS      draw' \
            '  open FILE       open a picture' '' 'Options:' '  -h, --help      show this' ;;
  draw) printf '%s\n' 'Options:' '      --ink=COLOR, --paper=COLOR' '                      the colors' \
          '  -o, --output=FILE   where to write' '      --swap OLD NEW  swap OLD for NEW' ;;
  open) printf '%s\n' 'Options:' '  -s, --size=N        the size' '      --color[=WHEN]  colors or not' \
          '      --dither        dither' ;;
esac
PROGRAM
chmod +x "$work/bin/stand-in"
"$python" "$source_dir/tools/make_bash_completion.py" --pictures 'bmp|png' -o "$work/bin/stand-in.bash" \
  "$work/bin/stand-in" || exit 1
source "$work/bin/stand-in.bash"
expect 'stand-in draw --' '--ink --output --paper --swap'
expect 'stand-in draw --ink ' ''
expect 'stand-in draw --paper ' ''
expect 'stand-in draw -o ' "$files"
expect 'stand-in draw --swap a ' ''
expect 'stand-in draw --swap a b --o' '--output'
expect 'stand-in open --' '--color --dither --size'
expect 'stand-in open -s ' ''
expect 'stand-in open --size 3 ' 'B.PNG a.bmp folder'
expect 'stand-in open --color ' 'B.PNG a.bmp folder'
expect 'stand-in open --color=' ''
exit "$failed"
