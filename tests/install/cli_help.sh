# Sourced by the tests that read morvexa-cli's own help, as a person reads
# it, to hold what is made from it against it.

# The commands that PROGRAM --help lists, one a line.
help_commands() {
  "$1" --help | awk '/^Commands:$/ { on = 1; next } /^$/ { on = 0 } on { print $1 }'
}

# The long options on the option lines of PROGRAM [COMMAND] --help, sorted,
# on one line.
help_long_options() {
  "$@" --help | awk '/^Options:$/ { on = 1; next } /^$/ { on = 0 } on && /^ +-/' |
    sed -E 's/^ +//; s/ {2,}.*//' | grep -oE -- '--[[:alnum:]][[:alnum:]-]*' | LC_ALL=C sort -u | paste -sd ' '
}
