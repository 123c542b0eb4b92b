#!/usr/bin/env bash
# Runs the built kestrune in windows on a private X server and answers its
# dialogs as a person would, typing and pressing keys with xdotool; checks
# standard output, the exit status and the stored name. Never answers yes:
# the refresh commands are stand-ins on PATH that only log, in case one did.
set -u
kestrune=$1
build_dir=$2
here=$(cd "$(dirname "$0")" && pwd)
for tool in Xvfb xdotool xclip setpriv; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
source "$here/checks.sh"
enter_private_root "$0" "$@"
source "$here/x_session.sh"

work=$(mktemp -d)
chmod 755 "$work"
sanitizer_files_for_others "$work"
trap 'stop_xvfb; rm -rf "$work"' EXIT
start_xvfb "$work" || { echo "FAIL: Xvfb did not start"; exit 1; }
unset WAYLAND_DISPLAY QT_QPA_PLATFORM XAUTHORITY
export XDG_CONFIG_HOME=$work/config

fakebin=$work/fakebin
refresh_stand_ins "$fakebin" "$work/refresh.log"

# Empties the store, or makes it hold the name $1 and a newline.
prepare_store() {
  rm -rf "$XDG_CONFIG_HOME" "$work/refresh.log"; mkdir -p "$XDG_CONFIG_HOME"
  [ -z "$1" ] && return
  mkdir -p "$XDG_CONFIG_HOME/kestrune"
  printf '%s\n' "$1" >"$XDG_CONFIG_HOME/kestrune/service-name"
}

# Runs kestrune as the user as_uid with the store holding $1, and plays the
# steps after it (see play_steps).
# Sets out, err, status, stored and dialogs (how many dialogs showed).
drive() {
  prepare_store "$1"; shift
  local runtime=$work/runtime-$as_uid as_user=()
  mkdir -p -m 700 "$runtime" && chown "$as_uid:$as_uid" "$runtime"
  [ "$as_uid" = 0 ] || as_user=(setpriv --reuid="$as_uid" --regid="$as_uid" --clear-groups)
  local runtime_setting=(XDG_RUNTIME_DIR="$runtime")
  [ -z "${without_runtime:-}" ] || runtime_setting=(-u XDG_RUNTIME_DIR)
  PATH=$fakebin:$PATH env "${runtime_setting[@]}" "${as_user[@]}" "$kestrune" >"$work/out" 2>"$work/err" &
  local pid=$!
  play_steps "$pid" "$@"
  dialogs=$windows_seen
  end_of "$pid"
  collect
}

# name | dialogs shown | expected stdout | exit status | stored file
expect() {
  check "$1" "dialogs shown" "$2" "$dialogs"
  check "$1" stdout "$(bytes "$3"; printf x)" "${out}x"
  check "$1" "exit status" "$4" "$status"
  check "$1" "stored name" "$(bytes "$5"; printf x)" "${stored}x"
  check "$1" "refresh command" "" "$(cat "$work/refresh.log" 2>/dev/null)"
}

as_uid=0

# The stored name is in the entry, selected: typing replaces it.
drive 'Old name' window 'type:  Abc  ' key:Return window key:n
expect applied 2 "setup to 'Abc'\n" 1 'Abc\n'

drive 'Old name' window key:Escape
expect cancelled 1 '' 0 'Old name\n'

# As under sudo: no runtime folder. Qt's note about it is no news to anyone,
# and a window run writes nothing else to standard error.
without_runtime=yes drive 'Old name' window key:Escape
expect noRuntimeFolder 1 '' 0 'Old name\n'
check noRuntimeFolder stderr "" "$err"

drive '' window checked:中国移动 key:Return window key:Escape
expect chinese 2 "setup to '中国移动'\n" 1 '\xe4\xb8\xad\xe5\x9b\xbd\xe7\xa7\xbb\xe5\x8a\xa8\n'

drive '' window key:Return
expect empty 1 'empty input\n' 255 '<none>'

# An X session whose XDG_SESSION_TYPE says wayland, and an empty
# QT_QPA_PLATFORM: Qt would look for its Wayland platform first; it is told
# the one that was checked, and says nothing.
XDG_SESSION_TYPE=wayland QT_QPA_PLATFORM= drive 'Old name' window key:Escape
expect sessionSaysWayland 1 '' 0 'Old name\n'
check sessionSaysWayland stderr "" "$err"

# A platform the caller names, with options: Qt is left with it.
QT_QPA_PLATFORM=xcb:nograb drive 'Old name' window key:Escape
expect chosenPlatformWithOptions 1 '' 0 'Old name\n'

# An installed copy finds its window module under lib/kestrune. It is also
# the copy that another user can surely reach, wherever the build tree is.
cmake --install "$build_dir" --prefix "$work/prefix" >/dev/null
kestrune=$work/prefix/bin/kestrune drive 'Old name' window key:Escape
expect installed 1 '' 0 'Old name\n'

if second_user; then
  as_uid=500
  kestrune=$work/prefix/bin/kestrune drive 'Old name' window key:Return
  expect notRoot 1 'not excute by root, but by 500\n' 1 'Old name\n'
  as_uid=0
else
  echo "SKIP notRoot: no second user in a user namespace"
fi

# Without its window program beside it, the tool asks at the terminal; the
# run goes on there.
mkdir "$work/alone" && cp "$kestrune" "$work/alone/"
prepare_store ''
printf 'Abc\nn\n' | "$work/alone/kestrune" >"$work/out" 2>"$work/err"
status=$?; collect
check missingModule stdout "setup to 'Abc'" "${out%$'\n'}"
check missingModule "exit status" 1 "$status"
case $err in *"no window program at $work/alone/kestrune-window"*"using the terminal"*) ;;
  *) check missingModule stderr "…no window program at…using the terminal…" "$err" ;; esac

finish "window runs"
