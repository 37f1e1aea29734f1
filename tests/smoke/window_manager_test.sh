#!/usr/bin/env bash
# Runs the real program under a window manager (openbox) on its own Xvfb
# display and checks, from the X server, what a person sees: the main
# window centered with its frame and bearing its icon at every size, a
# message box captioned exactly as the program says (no program name
# added), and Qt's Chinese translations loaded by the program. Usage: window_manager_test.sh PROGRAM
source "$(dirname "$0")/xvfb_session.sh"
start_xvfb
start_window_manager
start_program "$1"
window=$(wait_window Morvexa)
sleep 1

# Centered on the 1024 x 768 screen, title bar and frame included.
window_geometry "$window"
read -r left right top bottom < <(xprop -id "$window" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
frame_x=$((X - left)) frame_y=$((Y - top))
frame_width=$((WIDTH + left + right)) frame_height=$((HEIGHT + top + bottom))
echo "window ${WIDTH}x${HEIGHT} at $X,$Y; frame ${frame_width}x${frame_height} at $frame_x,$frame_y"
[ "$WIDTH" -eq 581 ] && [ "$HEIGHT" -eq 439 ] || { echo "unexpected window size"; exit 1; }
for offset in $((frame_x - (1024 - frame_width) / 2)) $((frame_y - (768 - frame_height) / 2)); do
  [ "${offset#-}" -le 1 ] || { echo "the frame is not centered (off by $offset)"; exit 1; }
done

# The title bar's icon at every size drawn that Qt gives the window
# manager (it leaves out those above 128 pixels).
sizes=$(xprop -id "$window" _NET_WM_ICON | sed -n 's/.*Icon (\([0-9]* x [0-9]*\)).*/\1/p' | paste -sd,)
echo "window icons: $sizes"
[ "$sizes" = "16 x 16,24 x 24,32 x 32,48 x 48,64 x 64,128 x 128" ] || { echo "the window icon lacks sizes"; exit 1; }

# Qt's own texts in Chinese: the program has its translations loaded.
grep -q "qtbase_zh_CN.qm" "/proc/$app/maps" || { echo "Qt's Chinese translations are not loaded"; exit 1; }

# An empty 汉字 box and Enter: the message box "输入不能为空", captioned
# exactly "错误".
click_in "$window" 116 421
xdotool key ctrl+a BackSpace Return
box=$(wait_window 错误)
title=$(xprop -id "$box" _NET_WM_NAME | sed 's/^[^"]*"//; s/"$//')
echo "message box captioned \"$title\""
[ "$title" = "错误" ] || { echo "the caption is not exactly 错误"; exit 1; }
xdotool key Return
wait_window_gone 错误

close_window "$window"
wait_program
exit "$status"
