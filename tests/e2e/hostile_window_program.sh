#!/usr/bin/env bash
# Whose rights the window program runs with, what it may reach, and a
# window program or toolkit that fails, answers badly or leaves children
# behind.
# Runs in private PID and mount namespaces; prints one row a case: the
# attack, what the tool did, what was stored where. Every run of the tool
# is bounded in time: a hang fails its row.
# Usage: hostile_window_program.sh KESTRUNE STUB_WINDOW_PROGRAM
source "$(dirname "$0")/hostile_common.sh"

start_window_session

# --- The window program: whose rights, and a toolkit that fails -------------
if second_user; then
  # As under sudo: the window runs as the user who asked, with their runtime
  # folder and session bus; root maps no toolkit library.
  fresh asSudoUser; mkdir -m 1777 "$rowdir/tmp"
  mkdir -p /run/user && mount -t tmpfs tmpfs /run/user
  mkdir -m 700 /run/user/65534 && chown nobody: /run/user/65534
  bus=$(as_nobody dbus-daemon --session --address=unix:path=/run/user/65534/bus --fork --print-pid)
  SUDO_UID=65534 SUDO_GID=65534 TMPDIR=$rowdir/tmp drive '2>"$work/err"' window procs key:Escape
  kill "$bus" 2>/dev/null
  check asSudoUser "exit status" 0 "$status"
  check asSudoUser "window's user and group" "$(printf 'Uid:\t65534\t65534\t65534\t65534\nGid:\t65534\t65534\t65534\t65534')" \
    "$(grep -E '^(Uid|Gid):' "$work/children")"
  check asSudoUser "window's session" "HOME=/nonexistent XDG_RUNTIME_DIR=/run/user/65534 DBUS_SESSION_BUS_ADDRESS=unix:path=/run/user/65534/bus" \
    "$(grep -E '^(HOME|XDG_RUNTIME_DIR|DBUS_SESSION_BUS_ADDRESS)=' "$work/children" | tr '\n' ' ' | sed 's/ $//')"
  check asSudoUser "toolkit libraries in the root process" "" "$(grep -E 'libQt6|libxcb|libfontconfig' "$work/maps")"
  record asSudoUser "run with sudo's SUDO_UID and SUDO_GID of nobody, who has a session bus" \
    "the window's process nobody's, with nobody's runtime folder and bus; root maps no toolkit library"
  umount /run/user
else
  skip_row asSudoUser "run with sudo's SUDO_UID and SUDO_GID of another user" "no second user in a user namespace"
fi

# A set-user-id copy, run by nobody, who names another user (daemon) as the
# one who asked for root: refused, and the notice's window is nobody's.
if second_user; then
  fresh setIdCopy; alone=$rowdir/alone; mkdir -p "$alone"; cp "$kestrune" "$program" "$alone/"
  chmod 4755 "$alone/kestrune"
  PATH=$bin:$PATH SUDO_UID=1 SUDO_GID=1 PKEXEC_UID=1 DOAS_USER=daemon \
    setpriv --reuid=65534 --regid=65534 --clear-groups "$alone/kestrune" >"$work/out" 2>"$work/err" </dev/null &
  pid=$!
  play_steps "$pid" window procs key:Return
  end_of "$pid"
  out=$(cat "$work/out")
  check setIdCopy "exit status" 1 "$status"
  check setIdCopy stdout "not excute by root, but by 65534" "$out"
  check setIdCopy "window's user" "$(printf 'Uid:\t65534\t65534\t65534\t65534')" "$(grep -E '^Uid:' "$work/children")"
  check setIdCopy "window's home" "HOME=/nonexistent" "$(grep -E '^HOME=' "$work/children")"
  record setIdCopy "a set-user-id copy run by nobody with \`SUDO_UID\`, \`PKEXEC_UID\` and \`DOAS_USER\` naming daemon (was: the notice's window ran as daemon)" \
    "nothing; the notice's window nobody's"
else
  skip_row setIdCopy "a set-user-id copy run by another user" "no second user in a user namespace"
fi

# Root names itself, through any of the three: root's own session, a window
# of root's with no folder of the caller's.
for asked in SUDO_UID=0 PKEXEC_UID=0 DOAS_USER=root; do
  name=rootNamedBy${asked%%_*}
  fresh "$name"
  export "${asked?}"; rm -f "$work/children"
  drive '2>"$work/err"' window procs key:Escape
  unset "${asked%%=*}"
  check "$name" "exit status" 0 "$status"
  check "$name" "windows shown" 1 "$windows_seen"
  check "$name" stderr "" "$err"
  check "$name" "window's user" "$(printf 'Uid:\t0\t0\t0\t0')" "$(grep -E '^Uid:' "$work/children")"
  record "$name" "run with \`$asked\` (was: $([ "$asked" = DOAS_USER=root ] && echo "refused as no user, asked at the terminal" || echo "the same"))" \
    "nothing; a window of root's"
done

# Root's own session with TMPDIR naming nobody's folder: the toolkit would
# make its runtime folder there, with root's rights.
if second_user; then
  fresh othersTemporaryFolder; mkdir "$rowdir/tmp"; chown nobody: "$rowdir/tmp"
  runtime=$XDG_RUNTIME_DIR; unset XDG_RUNTIME_DIR
  TMPDIR=$rowdir/tmp drive '2>"$work/err"' window procs key:Escape
  export XDG_RUNTIME_DIR=$runtime
  private=$(sed -n 's/^XDG_RUNTIME_DIR=//p' "$work/children")
  check othersTemporaryFolder "exit status" 0 "$status"
  check othersTemporaryFolder "made in nobody's folder" "" "$(ls -A "$rowdir/tmp")"
  check othersTemporaryFolder "window's TMPDIR" "" "$(grep -E '^TMPDIR=' "$work/children")"
  check othersTemporaryFolder "runtime folder, removed afterwards" "/tmp/kestrune-runtime-, gone" \
    "${private%??????}, $([ -e "$private" ] && echo left || echo gone)"
  record othersTemporaryFolder "root's own session, \`TMPDIR\` naming a folder of nobody's (was: a root-owned \`runtime-root\` made in it)" \
    "nothing in it; the window had a private runtime folder of root's, removed afterwards"
else
  skip_row othersTemporaryFolder "TMPDIR naming another user's folder" "no second user in a user namespace"
fi

# A fonts.conf in a config folder of nobody's: fontconfig, run by the
# window as root, would write its cache where nobody says and list root's
# folders for them to read.
if second_user; then
  fresh othersFontsConf; export XDG_CONFIG_HOME=$nobodyHome/fonts
  as_nobody mkdir -p "$XDG_CONFIG_HOME/fontconfig" "$nobodyHome/fontcache"
  printf '<?xml version="1.0"?>\n<fontconfig><dir>%s</dir><cachedir>%s</cachedir></fontconfig>\n' \
    "$work/rootonly" "$nobodyHome/fontcache" | as_nobody tee "$XDG_CONFIG_HOME/fontconfig/fonts.conf" >/dev/null
  drive '2>"$work/err"' window key:Escape
  check othersFontsConf "exit status" 0 "$status"
  check othersFontsConf "written into nobody's cache folder" "" "$(ls -A "$nobodyHome/fontcache")"
  record othersFontsConf "nobody's \`fonts.conf\` in \`\$XDG_CONFIG_HOME\`, naming a cache folder and root's folder" \
    "nothing; the window never read it"
else
  skip_row othersFontsConf "another user's fonts.conf" "no second user in a user namespace"
fi

# Faults the toolkit cannot survive, and displays it cannot use: each is a
# reason and then the terminal, within the time bound.
python3 - "$work/silent-x" <<'PYTHON' &
import os, socket, sys, time
for number in range(4711, 4800):
    path = "/tmp/.X11-unix/X%d" % number
    if os.path.exists(path):
        continue
    server = socket.socket(socket.AF_UNIX)
    try:
        server.bind("\0" + path)
    except OSError:
        continue
    break
server.listen(4)
open(sys.argv[1], "w").write(str(number))
accepted = []
deadline = time.time() + 120
while time.time() < deadline:
    server.settimeout(1)
    try:
        accepted.append(server.accept())
    except socket.timeout:
        pass
PYTHON
silent=$!
for _ in $(seq 100); do [ -s "$work/silent-x" ] && break; sleep 0.05; done
Xvfb -displayfd 8 -ac -nolisten tcp -screen 0 640x480x8 8>"$work/eight-bit" 2>/dev/null &
eightBit=$!
for _ in $(seq 100); do [ -s "$work/eight-bit" ] && break; sleep 0.05; done
mkfifo "$work/authority-fifo"
for case in "silentServer|DISPLAY=:$(cat "$work/silent-x")|an X server that accepts the connection and never answers|showed no window within 10 s" \
            "missingScreen|DISPLAY=$DISPLAY.5|a screen number the server does not have|has no screen 5" \
            "eightBitScreen|DISPLAY=:$(cat "$work/eight-bit")|an 8-bit screen|has 8-bit colour" \
            "authorityDevZero|XAUTHORITY=/dev/zero|XAUTHORITY is /dev/zero|XAUTHORITY=/dev/zero is not a plain file" \
            "authorityFifo|XAUTHORITY=$work/authority-fifo|XAUTHORITY is a FIFO|is not a plain file" \
            "controlBytes|DISPLAY=:9\033]0;owned\007|DISPLAY holds control bytes|no X server runs at display :9\\x1b]0;owned\\x07"; do
  IFS='|' read -r name setting what reason <<<"$case"
  fresh "$name"
  started=$(date +%s)
  printf 'Abc\nn\n' | env DISPLAY="$DISPLAY" "$(printf '%b' "$setting")" timeout -k 1 30 "$kestrune" >"$work/out" 2>"$work/err"
  status=$?; out=$(cat "$work/out"); took=$(($(date +%s) - started))
  check "$name" "exit status" 1 "$status"
  check "$name" stdout "setup to 'Abc'" "$out"
  case $(cat "$work/err") in *"$reason"*"; using the terminal"*) ;;
    *) check "$name" stderr "…$reason…; using the terminal" "$(cat "$work/err")" ;; esac
  check "$name" "control bytes on standard error" 0 "$(tr -d '\n\t' <"$work/err" | LC_ALL=C grep -c '[[:cntrl:]]')"
  record "$name" "$what (was: a crash, or a hang before any window)" "$(describe "$store"), asked at the terminal in $took s"
done
kill "$silent" "$eightBit" 2>/dev/null; wait "$silent" "$eightBit" 2>/dev/null

# Window programs that are not ours, played by the stub beside a copy of the
# tool: its script follows the dialog type on the command line (see
# tests/stub_window/main.cpp). An orphan is a child it leaves behind, holding
# its channel and standard error for a minute. Under strace, the root process
# alone: its pidfd_open failing as before Linux 5.3, or each of its polls
# late, so that the program has ended before it looks, and its orphan has
# filled the pipe of its standard error. Each stub first writes a control
# byte to its standard error: passed on, escaped, whoever else holds the pipe.
for case in "orphanAtCapture||ready,wait,shown,orphan,exit:0|y\\ny\\n|0||the window went away while asking for the operator name (the window program ended with status 0); nothing was changed|says shown, then ends, leaving an orphan that holds its channel (was: waited as long as the orphan lived)" \
            "orphanAtQuestion||ready,wait,shown,answer:1:Abc,wait,shown,orphan,exit:0|y\\ny\\n|1|setup to 'Abc'|the window went away at the question (the window program ended with status 0); taken as no|answers Abc, then says shown at the question and ends, leaving an orphan (was: waited as long as the orphan lived)" \
            "orphanWithoutPidfd|pidfd_open:error=ENOSYS|ready,wait,shown,orphan,exit:0|y\\ny\\n|0||the window went away while asking for the operator name (the window program ended with status 0); nothing was changed|says shown, then ends, leaving an orphan, on a kernel without pidfd_open (was: waited as long as the orphan lived)" \
            "orphanWriting|poll,ppoll:delay_enter=300000|ready,wait,shown,writing-orphan,exit:0|y\\ny\\n|0||the window went away while asking for the operator name (the window program ended with status 0); nothing was changed|says shown, then ends, leaving an orphan that writes to standard error without pause (was: waited as long as the orphan lived, passing on all it wrote: 650 MB in 20 s)" \
            "answerThenOrphan|poll,ppoll:delay_enter=300000|ready,wait,shown,answer:1:Abc,orphan,exit:0|Xyz\\nn\\n|1|setup to 'Abc'|the window program ended with status 0; using the terminal|answers Abc and ends at once, leaving an orphan; the question at the terminal (was: 10 s until it showed no window)" \
            "answerNotUtf8||ready,wait,shown,answer:1:A\\xffB\\xc0\\xafCd|y\\ny\\n|0||the window went away while asking for the operator name (the window program's answer is not UTF-8); nothing was changed|answers bytes that are not UTF-8 (was: stored and printed as they came)"; do
  IFS='|' read -r name inject script answers expected expectedOut reason what <<<"$case"
  fresh "$name"; alone=$rowdir/alone; mkdir -p "$alone"; cp "$kestrune" "$alone/"; cp "$stub" "$alone/kestrune-window"
  under=()
  [ -z "$inject" ] || under=("${strace[@]}" -qq -o /dev/null -e trace="${inject%%:*}" -e inject="$inject")
  started=$(date +%s%N)
  printf '%b' "$answers" | PATH=$bin:$PATH timeout -k 1 20 "${under[@]}" "$alone/kestrune" 0 \
    "--stub=stderr:starting\x1b[1m\x0a,$script" >"$work/out" 2>"$work/err"
  status=$?; out=$(cat "$work/out"); took=$((($(date +%s%N) - started) / 1000000))
  # Read with grep, and shown in part: an orphan may have written megabytes.
  err=$(head -c 2000 "$work/err")
  check "$name" "exit status" "$expected" "$status"
  check "$name" stdout "$expectedOut" "$out"
  grep -qF "kestrune: $reason" "$work/err" || check "$name" stderr "…kestrune: $reason…" "$err"
  check "$name" "the stub's line, escaped" 1 "$(grep -cF 'starting\x1b[1m' "$work/err")"
  check "$name" "standard error, a megabyte at most" yes "$([ "$(stat -c %s "$work/err")" -le 1048576 ] && echo yes || echo no)"
  check "$name" stored "$([ -n "$expectedOut" ] && echo "'Abc' (644, root)" || echo nothing)" "$(describe "$store")"
  check "$name" "refresh command" "" "$(cat "$work/refresh.log" 2>/dev/null)"
  record "$name" "the window program $what" \
    "$(describe "$store"); the run took $took ms, $(stat -c %s "$work/err") bytes on standard error"
done

# A caller that ignores SIGCHLD: the kernel would reap the window program
# itself, which could then not be waited for. Every kill of the tool's fails
# here, so that one aimed at the wrong process shows in the trace and
# reaches none.
fresh childSignalIgnored; alone=$rowdir/alone; mkdir -p "$alone"; cp "$kestrune" "$alone/"; cp "$stub" "$alone/kestrune-window"
printf 'y\ny\n' | PATH=$bin:$PATH timeout -k 1 20 "${strace[@]}" -qq -e signal=none -o "$work/kills" -e trace=kill -e inject=kill:error=EPERM \
  env --ignore-signal=CHLD "$alone/kestrune" 0 --stub=ready,wait,shown,answer:0: >"$work/out" 2>"$work/err"
status=$?; out=$(cat "$work/out"); err=$(cat "$work/err")
check childSignalIgnored "exit status" 0 "$status"
check childSignalIgnored stdout "" "$out"
check childSignalIgnored "kills" "" "$(cat "$work/kills")"
record childSignalIgnored "SIGCHLD ignored by the caller; the window program cancels (was: \`kill(-1, SIGKILL)\`, every process)" \
  "$(describe "$store"); $([ -s "$work/kills" ] && head -n 1 "$work/kills" | tr -s ' ' || echo "no kill")"

# --- Limits set by the caller ------------------------------------------------
# expect_terminal_under_limit NAME LIMIT REASON WHAT: a window asked for
# under the ulimit LIMIT gives REASON and then the terminal, where the run
# goes on.
expect_terminal_under_limit() {
  local name=$1 limit=$2 reason=$3 what=$4
  fresh "$name"
  printf 'Abc\nn\n' | bash -c "ulimit $limit && exec \"\$@\"" limit timeout -k 1 30 "$kestrune" >"$work/out" 2>"$work/err"
  status=$?; out=$(cat "$work/out")
  check "$name" "exit status" 1 "$status"
  check "$name" stdout "setup to 'Abc'" "$out"
  case $(cat "$work/err") in *"$reason; using the terminal"*) ;;
    *) check "$name" stderr "…$reason; using the terminal" "$(cat "$work/err")" ;; esac
  record "$name" "$what" "$(describe "$store")"
}

# Too few descriptors for the window program.
expect_terminal_under_limit fewDescriptors "-n 8" "Too many open files" \
  "a window, with 8 descriptors at most (\`ulimit -n 8\`; was: Qt aborts)"

# Too little address space for the toolkit's threads: Qt waits for ever
# before any window, and the time bound ends it. AddressSanitizer cannot run
# in so little.
if [ -z "${ASAN_OPTIONS:-}" ]; then
  expect_terminal_under_limit littleAddressSpace "-v 100000" "showed no window within 10 s" \
    "a window, with 100 MB of address space (\`ulimit -v\`; was: a deadlock before any window)"
else
  skip_row littleAddressSpace "100 MB of address space" "AddressSanitizer needs more"
fi

finish_table "hostile runs of the window program"
