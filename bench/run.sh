#!/usr/bin/env bash
# Measures how quickly and lightly Kestrune shows its dialogs, against a bare
# Qt 6 program, zenity, pinentry-gtk2 and a raw Xlib window (and, at the
# terminal, whiptail and a shell's `read -p`), and writes the figures into
# docs/benchmarks.md and docs/benchmarks.png.
#
#   bench/run.sh                 the full run (installs the peers it needs)
#   bench/run.sh --short [FILE]  one round, Kestrune and the bare Qt program
#                                only, into FILE (a temporary file without it);
#                                checks only that the table was written
#   bench/run.sh --rounds N      more or fewer counted rounds (default 20)
set -eu
source "$(dirname "$0")/../scripts/lib.sh"

short=false output=$top/docs/benchmarks.md rounds=()
while [ $# -gt 0 ]; do
  case $1 in
    --short)
      short=true output=$(mktemp --suffix=.md)
      case ${2:-} in --*|"") ;; *) output=$2; shift ;; esac ;;
    --rounds) rounds=(--rounds "$2"); shift ;;
    *) echo "usage: bench/run.sh [--short [FILE]] [--rounds N]" >&2; exit 2 ;;
  esac
  shift
done

ensure_packages xvfb libx11-dev libxtst-dev python3 time
$short || ensure_packages zenity pinentry-gtk2 whiptail gnuplot-nox
build_preset default >&2
(cd "$top" && cmake -S bench -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null &&
  cmake --build build/bench) >&2

if $short; then
  /usr/bin/python3 "$top/bench/bench.py" --short --rounds 1 --warmup 1 \
    --kestrune "$top/build/default/kestrune" --tools "$top/build/bench" --output "$output" >/dev/null
  grep -q '^| Kestrune, window ' "$output" && grep -q '^| Bare Qt 6 program' "$output" &&
    grep -q '^| Kestrune, terminal ' "$output" || {
    echo "bench: no table in $output" >&2
    exit 1
  }
  echo "bench: short run wrote its table to $output"
  exit 0
fi
mkdir -p "$top/docs"
/usr/bin/python3 "$top/bench/bench.py" "${rounds[@]}" \
  --kestrune "$top/build/default/kestrune" --tools "$top/build/bench" \
  --output "$output" --chart "$top/docs/benchmarks.png"
