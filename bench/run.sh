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
#
# A run of Kestrune that fails fails the benchmark, saying why. Kestrune acts
# only as root: a normal user's benchmark runs as root of a user namespace of
# its own, every candidate alike, as the end-to-end tests do; where the
# kernel refuses one, it says so and ends with status 77 (skipped).
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

as_root=()
if [ "$(id -u)" -ne 0 ]; then
  if ! unshare --map-root-user true 2>/dev/null; then
    echo "SKIP: Kestrune acts only as root, and unshare --map-root-user was refused here;" \
      "run bench/run.sh with sudo"
    exit 77
  fi
  as_root=(unshare --map-root-user)
fi

if $short; then
  # The run's own temporary files go into a folder of its own, which must be
  # empty again at the end.
  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' EXIT
  mkdir "$scratch/tmp"
  table=${output:-$scratch/benchmarks.md} status=0
  TMPDIR=$scratch/tmp "${as_root[@]}" /usr/bin/python3 "$top/bench/bench.py" --short --rounds 1 --warmup 1 \
    --kestrune "$top/build/default/kestrune" --tools "$top/build/bench" --output "$table" >/dev/null || status=$?
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
  exit "$status"
fi
mkdir -p "$top/docs"
"${as_root[@]}" /usr/bin/python3 "$top/bench/bench.py" "${rounds[@]}" \
  --kestrune "$top/build/default/kestrune" --tools "$top/build/bench" \
  --output "$output" --chart "$top/docs/benchmarks.png"
