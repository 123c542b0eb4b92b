#!/usr/bin/env bash
# Builds kestrune and its window program (installing what they need first; no
# tests) and runs it with the given arguments. The build belongs to whoever
# owns the clone, even under sudo; only the tool itself runs as root, which it
# needs: from a user's session through sudo, keeping the display.
set -eu
source "$(dirname "$0")/lib.sh"
build_preset run
tool=$top/build/run/kestrune

if [ "$(id -u)" -eq 0 ]; then
  if [ -n "${SUDO_USER:-}" ] && [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "No display (sudo drops it): asking at the terminal. For the windows:" \
      "sudo --preserve-env=DISPLAY,XAUTHORITY $0" >&2
  fi
  exec "$tool" "$@"
fi

line=$(root_command_line "$tool" "$@")
if ! command -v sudo >/dev/null; then
  echo "kestrune acts only as root, and sudo is not installed. Run it as root with" >&2
  echo "  $line" >&2
  echo "or install sudo and add yourself to the group sudo." >&2
  exit 1
fi
echo "kestrune acts only as root; running: $line" >&2
eval "$line"
