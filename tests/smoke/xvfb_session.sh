# Sourced by the tests and tools that run the real program on their own
# Xvfb display. Everything started here is stopped when the script exits.
set -euo pipefail
session_dir=$(mktemp -d)
session_pids=()
session_end() {
  local pid
  for pid in "${session_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$session_dir"
}
trap session_end EXIT

# Starts Xvfb on a free display, its screen $1 (1024x768x24 unless given),
# and exports DISPLAY. The server does not reset when its last client
# leaves, so a program started right after another one ended finds it
# ready.
start_xvfb() {
  Xvfb -displayfd 3 -screen 0 "${1:-1024x768x24}" -nolisten tcp -noreset 3>"$session_dir/display" 2>"$session_dir/xvfb.log" &
  session_pids+=($!)
  for _ in $(seq 100); do [ -s "$session_dir/display" ] && break; sleep 0.1; done
  [ -s "$session_dir/display" ] || { echo "Xvfb did not start"; cat "$session_dir/xvfb.log"; exit 1; }
  export DISPLAY=":$(head -n1 "$session_dir/display")"
  unset QT_QPA_PLATFORM
}

# Starts openbox, a small window manager, on the display, and waits until it
# manages it.
start_window_manager() {
  openbox --sm-disable --config-file /dev/null >"$session_dir/openbox.log" 2>&1 &
  session_pids+=($!)
  for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && return 0
    sleep 0.1
  done
  echo "openbox did not start" >&2
  cat "$session_dir/openbox.log" >&2
  exit 1
}

# Starts the program; its process id is in $app.
start_program() {
  "$@" >"$session_dir/program.log" 2>&1 &
  app=$!
  session_pids+=("$app")
}

# Prints the id of the window whose title is exactly $1, waiting up to ten
# seconds for it.
wait_window() {
  local window=""
  for _ in $(seq 100); do
    window=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1 || true)
    [ -n "$window" ] && { echo "$window"; return 0; }
    kill -0 "$app" 2>/dev/null || { echo "the program ended early" >&2; cat "$session_dir/program.log" >&2; exit 1; }
    sleep 0.1
  done
  echo "no window titled $1" >&2
  cat "$session_dir/program.log" >&2
  exit 1
}

# Waits until no window titled $1 is shown.
wait_window_gone() {
  for _ in $(seq 100); do
    [ -z "$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null || true)" ] && return 0
    sleep 0.1
  done
  echo "the window $1 stayed open" >&2
  exit 1
}

# Sets X, Y, WIDTH and HEIGHT to a window's place on the screen and size,
# frame left out. (xwininfo, not xdotool: xdotool adds the frame's offset
# twice under a reparenting window manager.)
window_geometry() {
  local info
  info=$(xwininfo -id "$1")
  X=$(sed -n 's/^ *Absolute upper-left X: *//p' <<<"$info")
  Y=$(sed -n 's/^ *Absolute upper-left Y: *//p' <<<"$info")
  WIDTH=$(sed -n 's/^ *Width: *//p' <<<"$info")
  HEIGHT=$(sed -n 's/^ *Height: *//p' <<<"$info")
}

# Clicks at x, y inside a window.
click_in() {
  local window=$1 x=$2 y=$3
  window_geometry "$window"
  xdotool mousemove $((X + x)) $((Y + y)) click 1
  sleep 0.3
}

# Saves a screenshot of one window.
screenshot() {
  local window=$1 file=$2
  window_geometry "$window"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$file"
}

# Asks a window to close, as a window manager's close button does.
close_window() { /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/close_window.py" "$1"; }

# Waits for the program to end; its exit status goes into $status.
wait_program() {
  for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$app" 2>/dev/null; then echo "the program did not end when its window closed" >&2; exit 1; fi
  status=0
  wait "$app" || status=$?
  echo "program ended with status $status"
}
