#!/usr/bin/env bash
# bash completes morvexa-cli's command line with the completion made from
# its --help: commands, each command's own options, nothing for values
# such as SYMBOL and OLD NEW, any file for -o and --symbols, and pictures
# (and folders) for picture's FILE.
# Usage: check_completion.sh COMPLETION_FILE
set -uo pipefail
source /usr/share/bash-completion/bash_completion
source "$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
touch a.bmp B.PNG c.jpeg d.webp e.gif notes.txt
mkdir folder

# What bash offers for a command line typed up to the cursor at its end,
# sorted, on one line. Words are split as bash splits them: at blanks, and
# with "=" a word of its own.
offered() {
  local line=$1 spaced
  spaced=${line//=/ = }
  read -ra COMP_WORDS <<<"$spaced"
  [[ $line == *' ' ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMP_LINE=$line
  COMP_POINT=${#line}
  COMPREPLY=()
  _morvexa_cli morvexa-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  printf "%s\n" "${COMPREPLY[@]}" | LC_ALL=C sort | paste -sd " "
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

expect 'morvexa-cli ' '--help --version -V -h picture text'
expect 'morvexa-cli te' 'text'
expect 'morvexa-cli --v' '--version'
expect 'morvexa-cli text --' '--bg --fg --help --output --replace --symbols'
expect 'morvexa-cli text 编程 --s' '--symbols'
expect 'morvexa-cli picture --' '--help --output --replace --symbols'
expect 'morvexa-cli picture --f' ''
expect 'morvexa-cli text ' ''
expect 'morvexa-cli text --fg ' ''
expect 'morvexa-cli text --fg=' ''
expect 'morvexa-cli text --replace ' ''
expect 'morvexa-cli text --replace a ' ''
expect 'morvexa-cli text --replace a b --r' '--replace'
expect 'morvexa-cli picture ' 'B.PNG a.bmp c.jpeg d.webp e.gif folder'
expect 'morvexa-cli picture a' 'a.bmp'
expect 'morvexa-cli picture -o ' 'B.PNG a.bmp c.jpeg d.webp e.gif folder notes.txt'
expect 'morvexa-cli picture a.bmp --output n' 'notes.txt'
expect 'morvexa-cli text 编程 --symbols=n' 'notes.txt'
expect 'morvexa-cli picture -- -' ''
expect 'morvexa-cli frobnicate ' ''
exit "$failed"
