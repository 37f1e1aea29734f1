#!/usr/bin/env bash
# Both programs refuse a wrong command line with status 2, the reason and a
# hint to the help that explains it on standard error, nothing on standard
# output, and no file made or changed; the window does so with no display
# and no platform chosen, before it would need one, passing over Qt's own
# options. A mistyped option gets the nearest one.
# Usage: check_wrong_options.sh WINDOW CLI
set -euo pipefail
window=$1
cli=$2
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export HOME=$home XDG_CONFIG_HOME=$home/config XDG_STATE_HOME=$home/state XDG_CACHE_HOME=$home/cache
mkdir "$home/work"
cd "$home/work"
printf 'BM' >x.png
failed=0
fail() {
  echo "$*"
  failed=1
}

window_hint="Try 'morvexa --help' for more information."
picture_hint="Try 'morvexa-cli picture --help' for more information."
text_hint="Try 'morvexa-cli text --help' for more information."
# Each case: the hint, the reason, then the command line.
cases=(
  "$window_hint|morvexa: --ramp and --shapes cannot be used together|$window --shapes --ramp x.png"
  "$window_hint|morvexa: unrecognized option '--widht'; did you mean --width?|$window --widht 3 x.png"
  "$window_hint|morvexa: unrecognized option '--colours=8'; did you mean --colors?|$window --colours=8 x.png"
  "$window_hint|morvexa: unrecognized option '--frobnicate'|$window --frobnicate x.png"
  "$window_hint|morvexa: --width: \"abc\" is not a whole number from 0 to 1048576|$window --width abc x.png"
  "$window_hint|morvexa: one picture at most: 'y.png' is another|$window x.png y.png"
  "$window_hint|morvexa: --blocks is for a PICTURE given with it|$window --blocks"
  # Qt's options, and their values, are Qt's: not pictures, not refused.
  "$window_hint|morvexa: unrecognized option '--widht'; did you mean --width?|$window -platform xcb -style fusion -reverse --widht 3 x.png"
  "$window_hint|morvexa: --invert is for --ramp, --shapes, --blocks and --hanzi only|$window -display :9 -geometry 300x200 -title T -name N -sync --invert x.png"
  "$window_hint|morvexa: one picture at most: 'y.png' is another|$window --style=fusion -qwindowtitle T x.png -session S y.png"
  "$picture_hint|morvexa-cli: unknown option --widht; did you mean --width?|$cli picture --widht 3 x.png"
  "$picture_hint|morvexa-cli: --ramp and --shapes cannot be used together|$cli picture --shapes --ramp x.png"
  "$text_hint|morvexa-cli: unknown option --scael; did you mean --scale?|$cli text --scael=2 x"
)
for case in "${cases[@]}"; do
  IFS='|' read -r hint reason command <<<"$case"
  status=0
  # shellcheck disable=SC2086  # the command line is split into its words
  out=$($command 2>"$home/err") || status=$?
  err=$(cat "$home/err")
  [ "$status" -eq 2 ] || fail "$command: status $status, not 2: $err"
  [ "$err" == "$reason"$'\n'"$hint" ] || fail "$command said: $err"
  [ -z "$out" ] || fail "$command wrote to standard output: $out"
done

# The help and the version need no display either, Qt's options or not.
for words in "--help" "-platform xcb --help" "--version" "-style fusion -V"; do
  status=0
  # shellcheck disable=SC2086
  out=$("$window" $words 2>"$home/err") || status=$?
  [ "$status" -eq 0 ] || fail "morvexa $words: status $status: $(cat "$home/err")"
  [[ $out == "Usage: morvexa "* || $out == "morvexa (Morvexa) "* ]] || fail "morvexa $words wrote: ${out%%$'\n'*}"
done

# Nothing was made, and the picture is as it was.
made=$(cd "$home" && find . | LC_ALL=C sort | paste -sd ' ')
[ "$made" == ". ./err ./work ./work/x.png" ] || fail "files were made: $made"
[ "$(cat x.png)" == "BM" ] || fail "x.png changed"
exit "$failed"
