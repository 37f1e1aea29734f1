#!/usr/bin/env bash
# What cmake --install puts in place, in a temporary DESTDIR: exactly the
# files of installed_files.txt with their modes; a desktop entry and
# AppStream data that their validators accept (no error, warning or info;
# desktop-file-validate's hints are shown); manual pages that man reads
# without a warning; and programs that run from any folder, built to find
# nothing through the source or build folders.
# Usage: check_installed.sh SOURCE_DIR BUILD_DIR VERSION
set -euo pipefail
source_dir=$1
build_dir=$2
version=$3
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dest=$work/dest
DESTDIR=$dest cmake --install "$build_dir" --prefix /usr >/dev/null
failed=0
fail() { echo "FAIL: $*"; failed=1; }

(cd "$dest" && find . ! -type d -printf '%m %P\n' | LC_ALL=C sort -k2) >"$work/files"
diff -u "$here/installed_files.txt" "$work/files" || fail "the installed files differ from installed_files.txt"

for entry in "$dest"/usr/share/applications/*.desktop; do
  report=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate $entry"
  [ -z "$report" ] || echo "$report"
  ! grep -qE ': (error|warning):' <<<"$report" || fail "desktop-file-validate reports errors or warnings"
done
for data in "$dest"/usr/share/metainfo/*.xml; do
  appstreamcli validate --no-net --strict "$data" || fail "appstreamcli validate $data"
done
for page in "$dest"/usr/share/man/man1/*; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "man $page: $warnings"
done
# morvexa-cli(1) holds each command's own options, from its --help.
cli=$dest/usr/bin/morvexa-cli
page=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$dest/usr/share/man/man1/morvexa-cli.1.gz" 2>/dev/null)
source "$here/cli_help.sh"
for command in $(help_commands "$cli"); do
  grep -qx "   $command" <<<"$page" || fail "morvexa-cli(1) has no section on $command"
  for option in $(help_long_options "$cli" "$command"); do
    grep -qF -- "$option" <<<"$page" || fail "morvexa-cli(1) lacks $command's $option"
  done
done

# The programs, run from another folder: no search path into the build,
# nor either folder's name outside their debugging data; --help and
# --version; and the command line draws the art of 编程 from its built-in
# font.
mkdir "$work/elsewhere"
cd "$work/elsewhere"
for program in "$dest"/usr/bin/*; do
  if readelf -d "$program" | grep -E 'R(UN)?PATH'; then fail "$program has a library search path"; fi
  objcopy --strip-debug "$program" "$work/stripped"
  for folder in "$source_dir" "$build_dir"; do
    if grep -qaF "$folder" "$work/stripped"; then fail "$program names $folder"; fi
  done
  "$here/check_help_and_version.sh" "$program" "$(basename "$program")" "$version" || fail "$program --help, --version"
done
"$dest/usr/bin/morvexa-cli" text 编程 -o - >"$work/art.txt" || fail "morvexa-cli text 编程: status $?"
cmp "$work/art.txt" "$source_dir/tests/data/text/bian_cheng.txt" || fail "the art of 编程 differs from tests/data"
exit "$failed"
