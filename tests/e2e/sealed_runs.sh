#!/usr/bin/env bash
# Runs that must not touch the machine: answering yes to the refresh, with a
# stand-in `phone` process, and a store on a read-only file system. Each runs
# in a private PID and mount namespace, where the refresh command can only
# reach the stand-ins and the mounts vanish with the namespace.
# Usage: sealed_runs.sh KESTRUNE
set -u
kestrune=$1
source "$(dirname "$0")/checks.sh"
# From here on, inside the namespace. Never answer yes anywhere else.
enter_private_root "$0" "$@"
work=$(mktemp -d)
trap 'umount "$work/readonly" 2>/dev/null; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config

now() { date +%s%N; }
milliseconds() { echo $((($2 - $1) / 1000000)); }

# Sets processes to the names of every process in the namespace but this
# script, sorted. Looks without starting a process, which would show up.
listProcesses() {
  local entry comm names=()
  for entry in /proc/[0-9]*; do
    [ "${entry#/proc/}" = 1 ] && continue
    read -r comm <"$entry/comm" 2>/dev/null && names+=("$comm")
  done
  processes=$(printf '%s\n' "${names[@]}" | sort)
}

# Stand-ins: `phone` and an unrelated `bystander`, both copies of sleep, and
# sleep and pidof that record each call before doing their work.
bin=$work/bin
mkdir -p "$bin"
cp "$(command -v sleep)" "$bin/phone"
cp "$(command -v sleep)" "$bin/bystander"
refresh_stand_ins "$work/refresh" "$work/refresh.log" working
"$bin/bystander" 600 &
bystander=$!

# Runs kestrune with the given answers; the refresh command finds the
# recording sleep and pidof first. Sets status, out, started and ended (ns).
run() {
  rm -rf "$XDG_CONFIG_HOME" "$work/refresh.log"; mkdir -p "$XDG_CONFIG_HOME"
  started=$(now)
  printf '%b' "$1" | PATH=$work/refresh:$PATH "${without_display[@]}" \
    "$kestrune" >"$work/out" 2>"$work/err"
  status=$?
  ended=$(now)
  out=$(cat "$work/out")
}

refreshLog() { cat "$work/refresh.log" 2>/dev/null; }

# --- Yes, with a phone running ----------------------------------------------
"$bin/phone" 600 &
phone=$!
run 'Abc\ny\n'
phoneAliveAfterExit=no; alive "$phone" && phoneAliveAfterExit=yes
echo "refresh: the tool exited after $(milliseconds "$started" "$ended") ms"
check refresh "exit status" 1 "$status"
check refresh stdout "setup to 'Abc'" "$out"
check refresh "stored name" Abc "$(cat "$XDG_CONFIG_HOME/kestrune/service-name" 2>/dev/null)"
# The tool does not wait for the refresh: the phone outlives it.
check refresh "phone alive right after the tool exited" yes "$phoneAliveAfterExit"
for _ in $(seq 100); do alive "$phone" || break; sleep 0.05; done
killed=$(now)
if alive "$phone"; then
  check refresh "phone gone within 5 s" no yes
  kill -KILL "$phone"
else
  wait "$phone"
  check refresh "phone ended by SIGTERM" 143 $?
fi
echo "refresh: phone gone $(milliseconds "$started" "$killed") ms after the tool started"
# `sleep 1s` comes first, so the kill can never be earlier.
[ "$(milliseconds "$started" "$killed")" -ge 1000 ] ||
  check refresh "phone killed at least 1 s after the tool started" ">= 1000 ms" \
    "$(milliseconds "$started" "$killed") ms"
sleep 0.2
check refresh "refresh command ran once" "$(printf 'sleep 1s\npidof phone')" "$(refreshLog)"
check refresh "bystander untouched" yes "$(alive "$bystander" && echo yes || echo no)"

# --- Yes, with no phone at all ----------------------------------------------
listProcesses; before=$processes
run 'Abc\ny\n'
check noPhone "exit status" 1 "$status"
check noPhone stdout "setup to 'Abc'" "$out"
for _ in $(seq 100); do refreshLog | grep -q pidof && break; sleep 0.05; done
sleep 0.3
check noPhone "refresh command ran once" "$(printf 'sleep 1s\npidof phone')" "$(refreshLog)"
# Nothing was killed and nothing is left running.
listProcesses
check noPhone "processes" "$before" "$processes"

# --- A store on a read-only file system -------------------------------------
# Root may write anywhere else, so read-only is the one way to refuse it.
readonly=$work/readonly
mkdir -p "$readonly"
mount -t tmpfs tmpfs "$readonly"
mkdir -p "$readonly/config/kestrune" "$readonly/empty"
echo Old >"$readonly/config/kestrune/service-name"
# Read-only on this mount: a user namespace may do that, but not remount the file system.
mount -o remount,ro,bind "$readonly"
# name | configuration folder | what stderr names as the reason
for row in "oldName|$readonly/config|" "noFolder|$readonly/empty|cannot create the folder"; do
  IFS='|' read -r name folder reason <<<"$row"
  XDG_CONFIG_HOME=$folder
  printf 'Abc\nn\n' | env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
    "$kestrune" >"$work/out" 2>"$work/err"
  status=$?
  check "readOnly:$name" "exit status" 1 "$status"
  check "readOnly:$name" stdout "setup to 'Abc'" "$(cat "$work/out")"
  case $(cat "$work/err") in
    *"cannot store the service name in $folder/kestrune/service-name: $reason"?*) ;;
    *) check "readOnly:$name" stderr "cannot store the service name in …: $reason…" "$(cat "$work/err")" ;;
  esac
done
check readOnly:oldName "old name" Old "$(cat "$readonly/config/kestrune/service-name")"
export XDG_CONFIG_HOME=$work/config

kill "$bystander"
finish "sealed runs"
