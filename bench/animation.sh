#!/usr/bin/env bash
# Animations played on an 80 x 24 pseudo-terminal, run by scripts/bench:
#  - processor time: a 60-frame photograph animation (a window panning
#    across Debian's python3-skimage astronaut, 40 ms a frame) played for 5
#    seconds, the first look (--shapes --fill) beside chafa's ASCII mode in
#    full color and --blocks beside chafa's default symbols (goal: at most
#    0.5x chafa's processor time);
#  - memory: a GIF of 2,000 frames played for 3 seconds, and its last frame
#    composed (--frame 2000) in a pipe, by peak resident memory (goal:
#    within 32 MB).
#
# Usage: animation.sh MORVEXA_CLI
set -euo pipefail
cli=${1:?usage: animation.sh MORVEXA_CLI}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
/usr/bin/python3 - "$work" <<'PY'
import sys
from PIL import Image
work = sys.argv[1]
photo = Image.open("/usr/lib/python3/dist-packages/skimage/data/astronaut.png").convert("RGB")
frames = [photo.crop((x, 40, x + 320, 280)) for x in range(0, 180, 3)]
frames[0].save(work + "/pan.gif", save_all=True, append_images=frames[1:], duration=40, loop=0)
frames[0].save(work + "/pan.webp", save_all=True, append_images=frames[1:], duration=40, loop=0, quality=80)
# Each frame different from the one before (a GIF writer merges equal ones).
base = photo.resize((160, 120))
small = []
for i in range(2000):
    frame = base.copy()
    frame.paste((255, 255, 255), (i % 160, 0, i % 160 + 1, 120))
    frame.paste((0, 0, 0), (0, i % 120, 160, i % 120 + 1))
    small.append(frame)
small[0].save(work + "/long.gif", save_all=True, append_images=small[1:], duration=20, loop=0)
PY
# Processor time (user + system) and peak memory of a command on the terminal.
measure() {
  /usr/bin/time -f "%U %S %M" -o "$work/time" /usr/bin/python3 "$here/on_terminal.py" 80 24 "$@" >/dev/null || true
  awk '{printf "%.2f s, %d MB", $1 + $2, $3 / 1024}' "$work/time"
}
export COLORTERM=truecolor TERM=xterm-256color
echo "processor time, 5 s of a 60-frame 320 x 240 animation at 40 ms a frame on 80 x 24"
printf '%-44s %-22s %s\n' "mode" "morvexa" "chafa"
for file in pan.gif pan.webp; do
  printf '%-44s %-22s %s\n' "$file: first look beside --symbols ascii" \
    "$(measure "$cli" picture "$work/$file" --duration 5)" \
    "$(measure chafa --duration 5 --symbols ascii -c full "$work/$file")"
  printf '%-44s %-22s %s\n' "$file: --blocks beside chafa's default" \
    "$(measure "$cli" picture "$work/$file" --blocks --duration 5)" \
    "$(measure chafa --duration 5 -c full "$work/$file")"
done
echo "goal: at most 0.5x chafa's processor time"
echo "(both include the pseudo-terminal's own reader, a small Python loop)"
echo
echo "memory of a 2,000-frame 160 x 120 GIF ($(du -k "$work/long.gif" | cut -f1) KB; goal: within 32 MB)"
echo "played for 3 s on the terminal: $(measure "$cli" picture "$work/long.gif" --duration 3)"
/usr/bin/time -f "%U %S %M" -o "$work/time" "$cli" picture "$work/long.gif" --frame 2000 --width 80 >/dev/null
echo "its last frame composed (--frame 2000): $(awk '{printf "%.2f s, %d MB", $1 + $2, $3 / 1024}' "$work/time")"
