#!/usr/bin/env bash
# Odd standard streams, signals, toolkit options and platforms, and a
# refresh that cannot start, on the built kestrune at the terminal.
# Runs in private PID and mount namespaces; prints one row a case: the
# attack, what the tool did, what was stored where. Every run of the tool
# is bounded in time: a hang fails its row.
# Usage: hostile_streams.sh KESTRUNE STUB_WINDOW_PROGRAM
source "$(dirname "$0")/hostile_common.sh"

# --- Standard streams and signals ---------------------------------------------
# Killed at the refresh question: the name is applied, and its line is out,
# even with standard output on a file, which stdio would buffer to the end.
for signal in TERM HUP INT; do
  fresh "killed$signal"
  rm -f "$work/in"; mkfifo "$work/in"
  PATH=$bin:$PATH env --default-signal=INT,TERM,HUP "$kestrune" <"$work/in" >"$work/out" 2>"$work/err" &
  pid=$!
  exec 7>"$work/in"
  printf 'Abc\n' >&7
  for _ in $(seq 100); do grep -q '设置OK' "$work/err" && break; sleep 0.05; done
  kill -"$signal" "$pid"; wait "$pid"; status=$?
  exec 7>&-
  out=$(cat "$work/out")
  check "killed$signal" "exit status" $((128 + $(kill -l "$signal"))) "$status"
  check "killed$signal" "stdout" "setup to 'Abc'" "$out"
  check "killed$signal" "stored" "'Abc' (644, root)" "$(describe "$store")"
  record "killed$signal" "SIG$signal at the refresh question, standard output on a file" "$(describe "$store")"
done

# Yes when the tool leads its terminal's session, as under `ssh -t` or
# `xterm -e`: its exit hangs up its process group, the refresh shell with it.
fresh sessionLeader
"$work/phone" 600 &
phone=$!
status=$(PATH=$bin:$PATH timeout -k 1 30 python3 - "$kestrune" <<'PYTHON'
import os, pty, sys
pid, terminal = pty.fork()
if pid == 0:
    os.execv(sys.argv[1], [sys.argv[1]])
os.write(terminal, b"Abc\ny\n")
while True:
    try:
        if not os.read(terminal, 4096):
            break
    except OSError:
        break
print(os.waitstatus_to_exitcode(os.waitpid(pid, 0)[1]))
PYTHON
)
for _ in $(seq 60); do kill -0 "$phone" 2>/dev/null || break; sleep 0.05; done
killed=$(kill -0 "$phone" 2>/dev/null && echo "still running" || echo killed)
kill "$phone" 2>/dev/null; wait "$phone" 2>/dev/null
out="setup to 'Abc'"; : >"$work/err"
check sessionLeader "exit status" 1 "$status"
check sessionLeader phone killed "$killed"
record sessionLeader "yes, with the tool leading its terminal's session" "$(describe "$store"); \`phone\` $killed a second later"

# Yes after standard output's reader has gone: the run ends as usual.
fresh yesReaderGone
"$work/phone" 600 &
phone=$!
rm -f "$work/fifo"; mkfifo "$work/fifo"
exec 5<>"$work/fifo" 6>"$work/fifo" 5<&-
printf 'Abc\ny\n' | PATH=$bin:$PATH timeout -k 1 20 env --default-signal=PIPE "$kestrune" >&6 2>"$work/err"
status=$?; out=
exec 6>&-
for _ in $(seq 60); do kill -0 "$phone" 2>/dev/null || break; sleep 0.05; done
killed=$(kill -0 "$phone" 2>/dev/null && echo "still running" || echo killed)
kill "$phone" 2>/dev/null; wait "$phone" 2>/dev/null
check yesReaderGone "exit status" 1 "$status"
check yesReaderGone phone killed "$killed"
record yesReaderGone "yes, standard output's reader gone" "$(describe "$store"); \`phone\` $killed"

# End of input at the refresh question is a no.
fresh endAtQuestion
"$work/phone" 600 &
phone=$!
tool 'Abc\n'
sleep 1.5
alive=$(kill -0 "$phone" 2>/dev/null && echo alive || echo killed)
kill "$phone" 2>/dev/null; wait "$phone" 2>/dev/null
check endAtQuestion "exit status" 1 "$status"
check endAtQuestion phone alive "$alive"
check endAtQuestion "refresh command" "" "$(cat "$work/refresh.log" 2>/dev/null)"
record endAtQuestion "input ends at the refresh question" "$(describe "$store"); \`phone\` $alive, no refresh"

# The answers come a second late: the tool must wait for them, asleep, not
# spinning (its processor time is printed to descriptor 3).
fresh nonBlockingInput
(sleep 1; printf 'Abc\nn\n') | timeout -k 1 20 python3 -c '
import os, resource, sys
os.set_blocking(0, False)
pid = os.fork()
if pid == 0:
    os.execv(sys.argv[1], sys.argv[1:])
_, status, usage = os.wait4(pid, 0)
os.write(3, b"%d" % int(1000 * (usage.ru_utime + usage.ru_stime)))
sys.exit(os.waitstatus_to_exitcode(status))' "$kestrune" >"$work/out" 2>"$work/err" 3>"$work/cpu"
status=$?; out=$(cat "$work/out")
check nonBlockingInput "exit status" 1 "$status"
check nonBlockingInput "stored" "'Abc' (644, root)" "$(describe "$store")"
[ "$(cat "$work/cpu")" -lt 300 ] || check nonBlockingInput "processor time while waiting" "< 300 ms" "$(cat "$work/cpu") ms"
record nonBlockingInput "standard input non-blocking, answers a second late (was: taken as ended)" \
  "$(describe "$store"); $(cat "$work/cpu") ms of processor time"

fresh inputIsAFolder
timeout -k 1 20 "$kestrune" </ >"$work/out" 2>"$work/err"
status=$?; out=$(cat "$work/out")
check inputIsAFolder "exit status" 0 "$status"
check inputIsAFolder stderr "$(printf 'Kestrune — 运营商名称: kestrune: cannot read standard input: Is a directory\n\nx')" \
  "$(cat "$work/err"; printf x)"
record inputIsAFolder "standard input is a folder" "$(describe "$store")"

# --- Toolkit options and platforms --------------------------------------------
# Each must leave the terminal, with the reason, and the run must go on there.
for case in "qpaNope|QT_QPA_PLATFORM=nope|Qt has no platform" \
            "qpaOffscreen|QT_QPA_PLATFORM=offscreen|offscreen shows no window" \
            "qpaMinimal|QT_QPA_PLATFORM=minimal|minimal shows no window" \
            "displayOption|0 -display :5|no X server runs at display :5" \
            "platformOption|-platform x|-platform x: Qt has no platform"; do
  IFS='|' read -r name given reason <<<"$case"
  fresh "$name"
  if [[ $given == QT_* ]]; then
    export "${given%%=*}=${given#*=}"; tool 'Abc\nn\n'; unset QT_QPA_PLATFORM
  else
    # shellcheck disable=SC2086
    tool 'Abc\nn\n' $given
  fi
  check "$name" "exit status" 1 "$status"
  case $(cat "$work/err") in *"$reason"*"; using the terminal"*) ;;
    *) check "$name" stderr "…$reason…; using the terminal" "$(cat "$work/err")" ;; esac
  record "$name" "\`$given\` (was: Qt aborts, or waits on a window nobody sees)" "$(describe "$store")"
done

# --- A refresh that cannot start --------------------------------------------
fresh refreshCannotFork
printf 'Abc\ny\n' | DISPLAY= PATH=$bin:$PATH timeout -k 1 20 "${strace[@]}" -f -qq -o /dev/null \
  -e trace=clone,clone3,fork,vfork -e inject=clone,clone3,fork,vfork:error=EAGAIN \
  "$kestrune" >"$work/out" 2>"$work/err"
status=$?; out=$(cat "$work/out")
check refreshCannotFork "exit status" 1 "$status"
check refreshCannotFork stdout "setup to 'Abc'" "$out"
case $(cat "$work/err") in *"kestrune: the refresh command could not be started"*) ;;
  *) check refreshCannotFork stderr "…the refresh command could not be started" "$(cat "$work/err")" ;; esac
check refreshCannotFork "refresh command" "" "$(cat "$work/refresh.log" 2>/dev/null)"
record refreshCannotFork "yes, but no process can be made for the refresh shell" "$(describe "$store"); told, status 1"

finish_table "hostile runs of the streams"
