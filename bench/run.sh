#!/usr/bin/env bash
# Measures how quickly and lightly Kestrune shows its dialogs, against a bare
# Qt 6 program, zenity, pinentry-gtk2 and a raw Xlib window (and, at the
# terminal, whiptail and a shell's `read -p`), and writes the figures into
# docs/benchmarks.md and docs/benchmarks.png.
#
#   bench/run.sh                 the full run (installs the peers it needs)
#   bench/run.sh --short [FILE]  one round, Kestrune and the bare Qt program
#                                only, into FILE (printed without it); checks
#                                only that the table was written and that the
#                                run left nothing behind in its temporary folder
#   bench/run.sh --rounds N      more or fewer counted rounds (default 20)
set -eu
source "$(dirname "$0")/../scripts/lib.sh"

short=false output=$top/docs/benchmarks.md rounds=()
while [ $# -gt 0 ]; do
  case $1 in
    --short)
      short=true output=
      case ${2:-} in --*|"") ;; *) output=$2; shift ;; esac ;;
    --rounds) rounds=(--rounds "$2"); shift ;;
    *) echo "usage: bench/run.sh [--short [FILE]] [--rounds N]" >&2; exit 2 ;;
  esac
  shift
done

ensure_packages "${bench_packages[@]}"
$short || ensure_packages "${bench_peer_packages[@]}"
build_preset default
build_folder build/bench -S bench -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

if $short; then
  # The run's own temporary files go into a folder of its own, which must be
  # empty again at the end.
  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' EXIT
  mkdir "$scratch/tmp"
  table=${output:-$scratch/benchmarks.md}
  TMPDIR=$scratch/tmp /usr/bin/python3 "$top/bench/bench.py" --short --rounds 1 --warmup 1 \
    --kestrune "$top/build/default/kestrune" --tools "$top/build/bench" --output "$table" >/dev/null
  grep -q '^| Kestrune, window ' "$table" && grep -q '^| Bare Qt 6 program' "$table" &&
    grep -q '^| Kestrune, terminal ' "$table" || {
    echo "bench: no table in $table" >&2
    exit 1
  }
  leftovers=$(ls -A "$scratch/tmp")
  if [ -n "$leftovers" ]; then
    echo "bench: the run left behind in its temporary folder: $leftovers" >&2
    exit 1
  fi
  if [ -n "$output" ]; then
    echo "bench: short run wrote its table to $output"
  else
    cat "$table"
  fi
  exit 0
fi
mkdir -p "$top/docs"
/usr/bin/python3 "$top/bench/bench.py" "${rounds[@]}" \
  --kestrune "$top/build/default/kestrune" --tools "$top/build/bench" \
  --output "$output" --chart "$top/docs/benchmarks.png"
