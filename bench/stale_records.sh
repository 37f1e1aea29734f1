#!/usr/bin/env bash
# A start of morvexa-cli with 2,000 records of interrupted saves left in its
# state folder, beside a clean start (goal: within 2x). The records are of a
# file that is whole: each start settles a few of them and leaves the rest.
set -euo pipefail
cli=${1:?usage: stale_records.sh MORVEXA_CLI}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_STATE_HOME="$work/state"
mkdir -p "$work/files"
python3 -c "print('x' * 4000)" >"$work/files/art.txt"
ln "$work/files/art.txt" "$work/files/art.link"
# One real record: a save in place of a large banner, killed once its
# record is there.
text=$(python3 -c "print('编' * 4000)")
for attempt in $(seq 50); do
  "$cli" text "$text" --scale 4 -o "$work/files/art.txt" &
  pid=$!
  for _ in $(seq 2000); do
    compgen -G "$XDG_STATE_HOME/morvexa/save-*" >/dev/null && break
  done
  kill -9 "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  compgen -G "$XDG_STATE_HOME/morvexa/save-*" >/dev/null && break
done
record=$(compgen -G "$XDG_STATE_HOME/morvexa/save-*" | head -n 1)
[ -n "$record" ] || { echo "no save was killed with its record made" >&2; exit 1; }
python3 -c "print('x' * 4000)" >"$work/files/art.txt"  # whole again: every record is of a file as it was
prefix=$(basename "$record" | cut -d- -f1-3)
mkdir -p "$work/records"
for i in $(seq 2000); do cp "$record" "$work/records/$prefix-$(printf '%06d' "$i").old"; done
rm -f "$record"
hyperfine -N --warmup 3 --runs 40 --style basic --export-json "$work/starts.json" \
  --prepare "rm -rf $XDG_STATE_HOME/morvexa" -n "a clean start" "$cli text a" \
  --prepare "sh -c 'rm -rf $XDG_STATE_HOME/morvexa && cp -r $work/records $XDG_STATE_HOME/morvexa'" \
  -n "a start with 2,000 records" "$cli text a"
python3 - "$work/starts.json" <<'PY'
import json, sys
r = [x["median"] for x in json.load(open(sys.argv[1]))["results"]]
print("start with 2,000 records %.2f ms | clean start %.2f ms: %.2fx (goal <= 2x)" % (r[1] * 1e3, r[0] * 1e3, r[1] / r[0]))
PY
