#!/usr/bin/env bash
# A program answers --help and --version (and -h, -V) as GNU programs do,
# with no display to open a window on: the text on standard output and
# status 0, or status 1 when the text cannot be written.
# Usage: check_help_and_version.sh PROGRAM NAME VERSION
set -euo pipefail
program=$1
name=$2
version=$3
# Qt's X11 platform ends a program that starts it without a display.
export QT_QPA_PLATFORM=xcb
unset DISPLAY WAYLAND_DISPLAY
failed=0
fail() { echo "$*"; failed=1; }

help=$("$program" --help) || fail "--help: status $?"
[[ $help == "Usage: $name "* ]] || fail "--help does not start with 'Usage: $name': ${help%%$'\n'*}"
[ "$("$program" -h)" == "$help" ] || fail "-h differs from --help"

version_text=$("$program" --version) || fail "--version: status $?"
[ "${version_text%%$'\n'*}" == "$name (Morvexa) $version" ] || fail "--version's first line: ${version_text%%$'\n'*}"
[[ $version_text == *"License GPLv3+"* ]] || fail "--version names no license"
[ "$("$program" -V)" == "$version_text" ] || fail "-V differs from --version"

for option in --help --version; do
  status=0
  "$program" "$option" >/dev/full 2>/dev/null || status=$?
  [ "$status" -eq 1 ] || fail "$option into a full device: status $status, not 1"
done
exit "$failed"
