#!/usr/bin/env bash
# Regenerates the README's pictures, docs/capture-dialog.png and
# docs/confirmation.png: the tool's windows on a private X server with a
# window manager, so that the caption shows in the title bar. Runs as root,
# as the tool needs; the build belongs to whoever owns the clone.
set -eu
source "$(dirname "$0")/lib.sh"
if [ "$(id -u)" -ne 0 ]; then
  echo "The tool shows its dialogs only to root: run sudo $0" >&2
  exit 1
fi
ensure_packages "${test_packages[@]}" openbox x11-utils imagemagick
build_preset run
source "$top/tests/e2e/x_session.sh"

work=$(mktemp -d)
trap 'kill "${wm_pid:-}" 2>/dev/null; stop_xvfb; rm -rf "$work"' EXIT
start_xvfb "$work"
openbox >"$work/openbox.log" 2>&1 &
wm_pid=$!
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.05
done

# Takes a picture of window $1, frame included, once it has been painted;
# the file belongs to the clone's owner.
shoot() {
  sleep 0.5
  "${as_clone_owner[@]}" import -frame -window "$1" "$top/docs/$2"
  echo "docs/$2"
}

mkdir -p -m 700 "$work/runtime"
XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime "$top/build/run/kestrune" >/dev/null &
kestrune_pid=$!
capture=$(wait_window)
if ! type_checked '中国移动'; then
  echo "no picture taken" >&2
  kill "$kestrune_pid"
  exit 1
fi
xdotool key End  # no selection in the picture
shoot "$capture" capture-dialog.png
xdotool key Return
confirmation=$(wait_window "$capture")
shoot "$confirmation" confirmation.png
# No: the refresh would kill any process named phone on this machine.
xdotool key Escape
wait "$kestrune_pid" || true
