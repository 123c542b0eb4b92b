#!/usr/bin/env bash
# Builds kestrune (installing what it needs first) and runs it with the
# given arguments.
set -eu
source "$(dirname "$0")/lib.sh"
build_preset default >&2
exec "$top/build/default/kestrune" "$@"
