# Sourced by the window tests and the screenshot script: a private X server
# and a way to wait for kestrune's windows on it.

# Starts Xvfb on a display number it picks itself, so parallel runs never
# collide, and exports DISPLAY. It stays up between clients (-noreset), as a
# desktop does. Without access control (-ac), so that a test
# can connect as another user; it listens on its local socket only.
start_xvfb() {
  local folder=$1 number
  # A number left from an earlier server of the same folder must not be read
  # before the new server has written its own.
  rm -f "$folder/display"
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

# xdotool reads the text to type in the locale's encoding: with no locale
# set (a fresh Debian, a container) that is ASCII and it drops the Chinese.
xdotool() { LC_ALL=C.UTF-8 command xdotool "$@"; }

# Types $1 into the focused entry, which the keyboard map may lack (Chinese):
# xdotool maps each such character to a spare key for a moment, and drops it
# when the window reads the keymap too late. So the entry's text is read back
# through the X selection (the entry owns it once all is selected) and typed
# again if it differs. Fails, saying what came out, if it never comes out right.
type_checked() {
  local text=$1
  for _ in 1 2 3; do
    xdotool key ctrl+a type --delay 50 "$text"
    xdotool key ctrl+a
    for _ in $(seq 40); do
      [ "$(xclip -o -selection primary 2>/dev/null)" = "$text" ] && return 0
      sleep 0.05
    done
  done
  echo "typed '$text' but the entry holds '$(xclip -o -selection primary 2>/dev/null)'" >&2
  return 1
}

# play_steps PID STEPS...: plays the steps to the windows of process PID:
# "window" waits for its next window and gives it the keyboard, "key:KEYS"
# presses keys, "type:TEXT" types, "checked:TEXT" types with type_checked,
# "killX" ends the X server, "procs" notes in $work/maps what PID has mapped
# and in $work/children the ids, environment and flags of the channel
# (descriptor 3) of its child processes.
# Stops at a window that never comes. Sets windows_seen to how many came.
play_steps() {
  local pid=$1 step id seen=(); shift
  for step in "$@"; do
    case $step in
      window) id=$(wait_window "${seen[@]}") || break; seen+=("$id") ;;
      key:*) xdotool key "${step#key:}" ;;
      type:*) xdotool type --delay 20 "${step#type:}" ;;
      checked:*) type_checked "${step#checked:}" ;;
      killX) stop_xvfb ;;
      procs) cat "/proc/$pid/maps" >"$work/maps"
             for id in $(cat /proc/"$pid"/task/*/children); do
               grep -E '^(Uid|Gid|Groups):' "/proc/$id/status"; tr '\0' '\n' <"/proc/$id/environ"
               sed -n 's/^flags:\s*/channel flags: /p' "/proc/$id/fdinfo/3"
             done >"$work/children" ;;
    esac
  done
  windows_seen=${#seen[@]}
}

# end_of PID: waits up to 10 s for the background process PID to end, then
# kills it. Sets status to its exit status, or says that it hung.
end_of() {
  local pid=$1
  for _ in $(seq 200); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
  if kill -0 "$pid" 2>/dev/null; then
    kill -KILL "$pid"; wait "$pid"; status="still running after 10 s"
  else
    wait "$pid"; status=$?
  fi
}
