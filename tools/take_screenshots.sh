#!/usr/bin/env bash
# Takes the screenshots shown in the README, from the real program on its
# own Xvfb display under a window manager: the window at start, the art of
# 编程, the open dialog previewing a picture, and the about box. Usage: tools/take_screenshots.sh PROGRAM [DOCS_DIR]
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../tests/smoke/xvfb_session.sh"
program=$1
docs=${2:-$here/../docs}
mkdir -p "$docs" "$session_dir/pictures"
convert -size 240x150 gradient:'#3060c0'-'#f0d040' -fill '#208020' -draw 'ellipse 120,150 140,60 0,360' \
  -fill '#f8f8f0' -draw 'circle 190,35 205,35' BMP3:"$session_dir/pictures/hills.bmp"

start_xvfb
start_window_manager
start_program "$program"
window=$(wait_window Morvexa)
sleep 0.5
screenshot "$window" "$docs/main-window.png"
click_in "$window" 476 419            # 文字
screenshot "$window" "$docs/text-art.png"

click_in "$window" 544 419            # 图片
dialog=$(wait_window "打开")
sleep 0.5
xdotool type --delay 10 "$session_dir/pictures/"
xdotool key Return
sleep 0.5
xdotool type --delay 10 "hills.bmp"
sleep 0.8
screenshot "$dialog" "$docs/open-dialog-preview.png"
xdotool key Escape                    # the name completer
sleep 0.3
xdotool key Escape
wait_window_gone "打开"

click_in "$window" 552 15             # about
about=$(wait_window "关于")
sleep 0.5
screenshot "$about" "$docs/about-box.png"
close_window "$about"
wait_window_gone "关于"
# The art was never saved, so closing the window would ask about it: end
# the program instead.
kill "$app"
