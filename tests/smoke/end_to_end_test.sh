#!/usr/bin/env bash
# Drives the real program as a person would: types 编程, presses 文字,
# saves through the real dialog, dismisses "已保存", and compares the saved
# file with the art of the command-line program (544 bytes); then opens
# the program with a picture to convert, saves it with Ctrl+S and compares
# that too.
# Usage: end_to_end_test.sh PROGRAM CLI
source "$(dirname "$0")/xvfb_session.sh"
program=$1
cli=$2

# In the save dialog that is opening, types the path $1 and saves; then
# dismisses "已保存".
save_as() {
  wait_window "另存为" >/dev/null
  sleep 0.5
  xdotool type --delay 10 "$1"
  xdotool key Return
  wait_window "完成" >/dev/null
  sleep 0.3
  xdotool key Return
  wait_window_gone "完成"
}
start_xvfb
start_program "$program"
window=$(wait_window Morvexa)
sleep 0.5

click_in "$window" 116 421            # 汉字 box
xdotool key ctrl+a
xdotool type --delay 50 "编程"
sleep 0.3
click_in "$window" 476 419            # 文字
click_in "$window" 552 372            # save
target="$session_dir/art.txt"
save_as "$target"

"$cli" text 编程 -o "$session_dir/expected.txt"
size=$(stat -c %s "$target")
echo "saved $size bytes"
cmp "$target" "$session_dir/expected.txt"
[ "$size" -eq 544 ]

close_window "$window"
wait_program
[ "$status" -eq 0 ] || exit "$status"

# A picture named on the command line is converted at once; Ctrl+S saves
# it, and the art is the command-line program's.
picture="$session_dir/hills.png"
convert -size 40x24 gradient:'#3060c0'-'#f0d040' -fill '#208020' -draw 'ellipse 20,24 24,10 0,360' "$picture"
start_program "$program" "$picture"
window=$(wait_window Morvexa)
sleep 0.5
click_in "$window" 200 200            # the art, for the keyboard
xdotool key ctrl+s
target="$session_dir/picture.txt"
save_as "$target"
"$cli" picture "$picture" -o "$session_dir/expected-picture.txt"
echo "saved the picture's art: $(stat -c %s "$target") bytes"
cmp "$target" "$session_dir/expected-picture.txt"

close_window "$window"
wait_program
exit "$status"
