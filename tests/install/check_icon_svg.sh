#!/usr/bin/env bash
# The scalable icon draws what the PNG icons show: drawn by librsvg at each
# PNG's size, it matches that PNG but for the rounding of soft edges
# (normalized RMSE under 0.01; whole multiples of the design match exactly).
# Usage: check_icon_svg.sh ICONS_FOLDER APPLICATION_ID
set -euo pipefail
folder=$1
id=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
for png in "$folder"/hicolor/*/"$id.png"; do
  size=$(identify -format %w "$png")
  rsvg-convert -w "$size" -h "$size" -o "$work/svg.png" "$folder/$id.svg"
  # compare exits 1 when the pictures differ at all; the number tells how much.
  error=$(compare -metric RMSE "$work/svg.png" "$png" null: 2>&1 || true)
  error=${error##*(}
  error=${error%)}
  echo "${size}x$size: normalized RMSE $error"
  [[ $error =~ ^[0-9.e+-]+$ ]] && awk -v e="$error" 'BEGIN { exit !(e < 0.01) }' ||
    { echo "  differs from $png"; failed=1; }
done
exit "$failed"
