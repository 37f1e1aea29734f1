# shellcheck shell=bash disable=SC2034 # the names are for the scripts that source this
# What the art benches share (sourced by bench/art_modes.sh and
# bench/art_fonts.sh): the photographs, the grid every tool is given, and
# where the sheets go.
#
# The photographs are the six of Debian's python3-skimage; the sheets show
# four of them.
art_data=/usr/lib/python3/dist-packages/skimage/data
art_photos=("$art_data/astronaut.png" "$art_data/chelsea.png" "$art_data/coffee.png" "$art_data/motorcycle_left.png"
  "$art_data/rocket.jpg" "$art_data/hubble_deep_field.jpg")
art_sheet_photos=(--photo "$art_data/astronaut.png" --photo "$art_data/chelsea.png" --photo "$art_data/coffee.png"
  --photo "$art_data/rocket.jpg")
# The grid of art_quality.py's {cols} and {lines}, the same for every tool.
art_size="--width {cols} --height {lines}"

# The folder the sheets go to: the one given ($1), else $ART_SHEETS, else a
# new folder under /tmp, so that a plain run leaves docs/ alone.
art_sheets_dir() {
  local sheets=${1:-${ART_SHEETS:-}}
  [ -n "$sheets" ] || sheets=$(mktemp -d /tmp/morvexa-art-sheets.XXXXXX)
  echo "$sheets"
}
