#!/usr/bin/env bash
# Peak memory and time of morvexa-cli on small files that claim huge
# pictures (see bench/make_bombs.py), unsized and with --width 100; beside
# another build's figures when a second morvexa-cli is given (an older
# build kept aside). Goal: every file within 5 s and 64 MB with --width 100;
# without it, what a format must hold whole within 4 bytes a pixel.
#
#   bench/bombs.sh NEW_CLI [OLD_CLI]
set -euo pipefail
new=${1:?usage: bombs.sh NEW_CLI [OLD_CLI]}
old=${2:-}
limit=${BOMB_SECONDS:-150}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
/usr/bin/python3 "$(dirname "$0")/make_bombs.py" "$work" >/dev/null

# Prints "PEAK_MB SECONDS RESULT" for one run.
measure() {
  local status=0
  /usr/bin/time -f '%M %e' -o "$work/time" timeout "$limit" "$@" >/dev/null 2>"$work/err" || status=$?
  local message
  message=$(grep -v -e '^Command' "$work/err" | tail -n 1 | tr -d '\n')
  [ "$status" = 124 ] && message="stopped after ${limit} s"
  [ -z "$message" ] && message="drawn"
  read -r kb seconds < <(tail -n 1 "$work/time") || true
  printf '%6.0f MB %6.2f s  %s' "$(echo "${kb:-0} / 1024" | bc -l)" "${seconds:-0}" "$message"
}

printf '%-16s %-10s %-8s %-44s %s\n' file size sized now "${old:+before}"
for file in lossless.webp claims.webp claims.gif interlaced.png progressive.jpg scans.jpg; do
  size=$(stat -c %s "$work/$file")
  for sized in "" "--width 100"; do
    # shellcheck disable=SC2086
    now=$(measure "$new" picture "$work/$file" $sized)
    before=""
    # shellcheck disable=SC2086
    [ -n "$old" ] && before=$(measure "$old" picture "$work/$file" $sized)
    printf '%-16s %-10s %-8s %-44s %s\n' "$file" "$size" "$([ -n "$sized" ] && echo yes || echo no)" "$now" "$before"
  done
done
