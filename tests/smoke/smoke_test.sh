#!/usr/bin/env bash
# Starts the real program on its own Xvfb display, waits for the window
# titled "Morvexa", takes a screenshot and checks that it is not blank, then
# closes the window and expects the program to end with status 0.
# Usage: smoke_test.sh PROGRAM
source "$(dirname "$0")/xvfb_session.sh"
start_xvfb
start_program "$1"
window=$(wait_window Morvexa)
sleep 0.5
screenshot "$window" "$session_dir/shot.png"
window_geometry "$window"
deviation=$(convert "$session_dir/shot.png" -colorspace Gray -format '%[fx:standard_deviation]' info:)
echo "window ${WIDTH}x${HEIGHT}, grey deviation $deviation"
[ "$WIDTH" -eq 581 ] && [ "$HEIGHT" -eq 439 ] || { echo "unexpected window size"; exit 1; }
awk -v d="$deviation" 'BEGIN { exit !(d > 0.02) }' || { echo "the screenshot is blank"; exit 1; }
close_window "$window"
wait_program
exit "$status"
