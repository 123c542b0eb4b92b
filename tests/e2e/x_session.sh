# Sourced by the window tests and the screenshot script: a private X server
# and a way to wait for kestrune's windows on it.

# Starts Xvfb on a display number it picks itself, so parallel runs never
# collide, and exports DISPLAY. It stays up between clients (-noreset), as a
# desktop does. Without access control (-ac), so that a test
# can connect as another user; it listens on its local socket only.
start_xvfb() {
  local folder=$1 number
  Xvfb -displayfd 3 -ac -noreset -nolisten tcp -screen 0 1024x768x24 \
    3>"$folder/display" 2>"$folder/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 200); do
    if read -r number 2>/dev/null <"$folder/display" && [ -n "$number" ]; then
      export DISPLAY=:$number
      return 0
    fi
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.05
  done
  cat "$folder/xvfb.log" >&2
  return 1
}

stop_xvfb() {
  [ -n "${xvfb_pid:-}" ] || return 0
  kill "$xvfb_pid" 2>/dev/null
  wait "$xvfb_pid" 2>/dev/null
  xvfb_pid=
}

# Prints the id of the visible window titled Kestrune other than the ids
# given (the dialogs before it), and gives it the keyboard. Fails after 10 s.
wait_window() {
  local id known
  for _ in $(seq 200); do
    for id in $(xdotool search --onlyvisible --name '^Kestrune$' 2>/dev/null); do
      for known in "$@"; do [ "$id" = "$known" ] && continue 2; done
      # No window manager runs here to hand out the focus.
      xdotool windowfocus --sync "$id" 2>/dev/null || continue
      echo "$id"
      return 0
    done
    sleep 0.05
  done
  return 1
}
