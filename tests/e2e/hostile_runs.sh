#!/usr/bin/env bash
# Attacks on the built kestrune, and faults around it, as root does meet them
# under sudo in a home that another user controls: links and folders that
# another user (nobody) planted, hostile homes and paths, files that are no
# stored name, a full disk and failing flushes, odd standard streams,
# signals, toolkit options, displays that vanish and damaged window modules.
# Runs in private PID and mount namespaces, so that a yes reaches only the
# stand-in `phone` here and the mounts vanish with the run. Prints one row a
# case: the attack, what the tool did, what was stored where.
# Every run of the tool is bounded in time: a hang fails its row.
# Usage: hostile_runs.sh KESTRUNE STUB_WINDOW_PROGRAM
set -u
kestrune=$(realpath "$1")
stub=$(realpath "$2")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/checks.sh"
enter_private_root "$0" "$@"
for tool in Xvfb xdotool python3 strace; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
source "$here/x_session.sh"

work=$(mktemp -d)
chmod 755 "$work"
sanitizer_files_for_others "$work"
# LeakSanitizer ends a traced program with a fatal error of its own (it
# needs ptrace itself), so under strace alone the leak checks are off.
strace=(env "ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" strace)
trap 'stop_xvfb; rm -rf "$work"' EXIT
umask 022
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM XAUTHORITY XDG_RUNTIME_DIR
table=$work/table

# Stand-ins for the refresh: `phone` is a copy of sleep; sleep and pidof
# record each call and then do their work.
bin=$work/bin
mkdir -p "$bin"
cp "$(command -v sleep)" "$work/phone"
for command in sleep pidof; do
  printf '#!/bin/sh\necho "%s $*" >>"%s/refresh.log"\nexec %s "$@"\n' \
    "$command" "$work" "$(command -v $command)" >"$bin/$command"
  chmod +x "$bin/$command"
done

# A folder only root may enter, with a secret in it, and a home of nobody's.
secret=$work/rootonly/secret
mkdir -m 700 "$work/rootonly" && echo "root's secret" >"$secret" && chmod 600 "$secret"
as_nobody() { setpriv --reuid=65534 --regid=65534 --clear-groups "$@"; }

# Each row gets a folder of its own for XDG_CONFIG_HOME and HOME.
fresh() {
  rowdir=$work/rows/$1
  mkdir -p "$rowdir"
  export XDG_CONFIG_HOME=$rowdir/config HOME=$rowdir/home
  mkdir -p "$XDG_CONFIG_HOME"
  store=$XDG_CONFIG_HOME/kestrune/service-name
  rm -f "$work/refresh.log"
  : >"$work/out"; : >"$work/err"
}

# What a file holds, and its mode and owner; or that there is none.
describe() {
  if [ -L "$1" ]; then echo "a link, to $(readlink "$1")"
  elif [ -f "$1" ] && [ "$(stat -c %s "$1")" -gt 100 ]; then
    printf "%s bytes (%s, %s)" "$(stat -c %s "$1")" "$(stat -c %a "$1")" "$(stat -c %U "$1")"
  elif [ -f "$1" ]; then printf "'%s' (%s, %s)" "$(cat "$1")" "$(stat -c %a "$1")" "$(stat -c %U "$1")"
  elif [ -e "$1" ]; then echo "$(stat -c %F "$1")"
  else echo "nothing"
  fi
}

# record NAME ATTACK STORED: a row of the table, with what the tool did.
record() {
  local reason
  reason=$(grep -m1 '^kestrune: ' "$work/err" 2>/dev/null | cut -c11-)
  local stored=${3//$work\//}
  reason=${reason//$work\/rows\/$1\//}
  reason=${reason//$work\//}
  [ ${#reason} -le 200 ] || reason="${reason:0:200}…"
  printf '| %s | %s | status %s%s%s | %s |\n' "$1" "$2" "$status" \
    "${out:+, \`${out//$'\n'/ }\`}" "${reason:+; $reason}" "$stored" >>"$table"
}

skip_row() { printf '| %s | %s | skipped: %s | |\n' "$1" "$2" "$3" >>"$table"; echo "SKIP $1: $3"; }

# At the terminal: ANSWERS on standard input, then any arguments; a run that
# hangs is ended after 20 s (status 124). Sets out, err, status.
# Command words in the array `around` go before the tool (see below).
around=()
tool() {
  local answers=$1; shift
  printf '%b' "$answers" | PATH=$bin:$PATH "${around[@]}" timeout -k 1 20 "$kestrune" "$@" >"$work/out" 2>"$work/err"
  status=$?
  out=$(cat "$work/out")
  err=$(cat "$work/err")
  around=()
}
with_umask() { local mask=$1; shift; (umask "$mask" && exec "$@"); }
in_folder() { local folder=$1; shift; (cd "$folder" && exec "$@"); }

expect_refused() {  # NAME REASON: the name applied as on the phone, the store refused
  check "$1" "exit status" 1 "$status"
  check "$1" stdout "setup to 'Abc'" "$out"
  case $err in *"cannot store the service name in "*"$2"*) ;;
    *) check "$1" stderr "…cannot store the service name in …$2…" "$err" ;; esac
}

# --- The stored name: planted links and folders -----------------------------
if second_user; then
  nobodyHome=$work/nobody-home
  mkdir -p "$nobodyHome" && chown nobody: "$nobodyHome"

  fresh linkedFolder; export XDG_CONFIG_HOME=$nobodyHome/linked
  as_nobody mkdir "$XDG_CONFIG_HOME" && as_nobody ln -s "$work/rootonly" "$XDG_CONFIG_HOME/kestrune"
  tool 'Abc\nn\n'
  expect_refused linkedFolder "kestrune is a symbolic link"
  check linkedFolder "root-only folder" secret "$(ls "$work/rootonly")"
  record linkedFolder "nobody links \`\$XDG_CONFIG_HOME/kestrune\` to a folder only root may enter" \
    "nothing; the folder still holds only \`secret\`"

  fresh othersFolder; export XDG_CONFIG_HOME=$nobodyHome/theirs
  as_nobody mkdir -p "$XDG_CONFIG_HOME/kestrune" && echo Old | as_nobody tee "$XDG_CONFIG_HOME/kestrune/service-name" >/dev/null
  tool 'Abc\nn\n'
  expect_refused othersFolder "belongs to user 65534, not to root or to the user running kestrune"
  check othersFolder "old name" "'Old' (644, nobody)" "$(describe "$XDG_CONFIG_HOME/kestrune/service-name")"
  record othersFolder "\`\$XDG_CONFIG_HOME/kestrune\` is nobody's, with an old name in it" \
    "$(describe "$XDG_CONFIG_HOME/kestrune/service-name") kept"

  fresh othersConfigHome; export XDG_CONFIG_HOME=$nobodyHome/bare
  as_nobody mkdir "$XDG_CONFIG_HOME"
  tool 'Abc\nn\n'
  expect_refused othersConfigHome "bare belongs to user 65534"
  check othersConfigHome "nothing created" "" "$(ls -A "$XDG_CONFIG_HOME")"
  record othersConfigHome "\`\$XDG_CONFIG_HOME\` is nobody's: kestrune/ would be made in it" "nothing"

  # Root's folder, open to all (mode 1777): all nobody can do is plant a name in it.
  shared() { fresh "$1"; mkdir -p "$XDG_CONFIG_HOME/kestrune"; chmod 1777 "$XDG_CONFIG_HOME/kestrune"; }
  shared linkInSharedFolder
  as_nobody ln -s "$secret" "$store"
  tool 'Abc\nn\n'
  check linkInSharedFolder "exit status" 1 "$status"
  check linkInSharedFolder "stored" "'Abc' (644, root)" "$(describe "$store")"
  check linkInSharedFolder secret "root's secret" "$(cat "$secret")"
  record linkInSharedFolder "nobody links \`service-name\` in a shared folder to root's secret" \
    "$(describe "$store"), a file of its own; the secret untouched"

  # Neither more rights nor fewer: those of a new file.
  for mode in 666 600; do
    shared "othersOldFile$mode"
    echo Old | as_nobody tee "$store" >/dev/null && as_nobody chmod "$mode" "$store"
    tool 'Abc\nn\n'
    check "othersOldFile$mode" "stored" "'Abc' (644, root)" "$(describe "$store")"
    record "othersOldFile$mode" "the old \`service-name\` is nobody's, mode $mode" "$(describe "$store"): no rights copied"
  done
else
  for name in linkedFolder othersFolder othersConfigHome linkInSharedFolder othersOldFile666 othersOldFile600; do
    skip_row "$name" "planted by another user" "no second user in a user namespace"
  done
fi

fresh setIdOldFile
mkdir -p "${store%/*}" && echo Old >"$store" && chmod 6755 "$store"
tool 'Abc\nn\n'
check setIdOldFile "stored" "'Abc' (644, root)" "$(describe "$store")"
record setIdOldFile "the old \`service-name\` is set-user-id, set-group-id and executable (6755)" \
  "$(describe "$store")"

for mask in 077 000; do
  fresh "umask$mask"
  around=(with_umask "$mask"); tool 'Abc\nn\n'
  modes="$(stat -c %a "${store%/*}") $(stat -c %a "$store")"
  check "umask$mask" "folder and file modes" "700 $([ $mask = 077 ] && echo 600 || echo 666)" "$modes"
  record "umask$mask" "umask $mask, no \`kestrune/\` yet" "\`kestrune/\` made 700, $(describe "$store")"
done

# --- The stored name: hostile homes and paths --------------------------------
# Root's home by the password database: a private, empty one here, named in a
# copy of /etc/passwd, so that the real /root (where this tree may live) stays
# in view and untouched.
roothome=$work/root-home
mkdir -m 700 "$roothome"
awk -F: -v OFS=: -v home="$roothome" '$3 == 0 { $6 = home } 1' /etc/passwd >"$work/passwd"
mount --bind "$work/passwd" /etc/passwd
for home in relative ''; do
  name=$([ -n "$home" ] && echo relativeHome || echo emptyHome)
  fresh "$name"; unset XDG_CONFIG_HOME; export HOME=$home
  around=(in_folder "$rowdir"); tool 'Abc\nn\n'
  check "$name" "exit status" 1 "$status"
  check "$name" "stored in root's home" "'Abc' (644, root)" "$(describe "$roothome/.config/kestrune/service-name")"
  check "$name" "nothing beside it" config "$(ls -A "$rowdir")"
  record "$name" "HOME=${home:-(empty)}, no XDG_CONFIG_HOME (was: endless recursion, a crash)" \
    "$(describe "$roothome/.config/kestrune/service-name") in .config/kestrune of root's home by the password database"
  rm -rf "$roothome/.config"
done
fresh noHome; unset XDG_CONFIG_HOME; export HOME=relative
awk -F: -v OFS=: '$3 == 0 { $6 = "relative" } 1' /etc/passwd >"$work/passwd.new"
cat "$work/passwd.new" >"$work/passwd"  # the same file, still mounted
around=(in_folder "$rowdir"); tool 'Abc\nn\n'
expect_refused noHome "~/.config/kestrune/service-name: no home folder: HOME is not an absolute path, and the password database names none"
check noHome "nothing made" config "$(ls -A "$rowdir")"
record noHome "HOME=relative, and root's home in the password database relative too" "nothing"
umount /etc/passwd

# As Debian's /nonexistent for system users; here, so that a tool that makes
# it makes it in the row's own folder.
fresh missingHome; unset XDG_CONFIG_HOME; export HOME=$rowdir/nonexistent
tool 'Abc\nn\n'
expect_refused missingHome "nonexistent does not exist"
check missingHome "home not made" no "$([ -e "$HOME" ] && echo yes || echo no)"
record missingHome "HOME names a folder that does not exist, as Debian's /nonexistent" "nothing; the home not made"

# A config home that is not there: neither it nor anything above it is made,
# wherever it points (here into a home that is missing too).
fresh missingConfigHome; export HOME=$rowdir/nonexistent XDG_CONFIG_HOME=$rowdir/nonexistent/.config
tool 'Abc\nn\n'
expect_refused missingConfigHome "nonexistent does not exist"
check missingConfigHome "nothing made" config "$(ls -A "$rowdir")"
record missingConfigHome "\`XDG_CONFIG_HOME=\$HOME/.config\`, and \`HOME\` names a folder that does not exist (was: root made both)" \
  "nothing; neither folder made"

fresh deepConfigHome
export XDG_CONFIG_HOME=$rowdir$(printf '/d%.0s' $(seq 1000))
mkdir -p "$XDG_CONFIG_HOME"
started=$(date +%s%N)
tool 'Abc\nn\n'
took=$((($(date +%s%N) - started) / 1000000))
check deepConfigHome "stored" "'Abc' (644, root)" "$(describe "$XDG_CONFIG_HOME/kestrune/service-name")"
record deepConfigHome "\`XDG_CONFIG_HOME\` 1,000 folders deep" \
  "$(describe "$XDG_CONFIG_HOME/kestrune/service-name") at the bottom; the run took $took ms"

fresh overlongConfigHome
export XDG_CONFIG_HOME=$rowdir$(printf '/d%.0s' $(seq 3000))
tool 'Abc\nn\n'
expect_refused overlongConfigHome "longer than 4096 bytes"
check overlongConfigHome "nothing made" config "$(ls -A "$rowdir")"
record overlongConfigHome "\`XDG_CONFIG_HOME\` 6,000 bytes long" "nothing"

# --- The stored name: durability and failures --------------------------------
fresh durable
printf 'Abc\nn\n' | timeout -k 1 20 "${strace[@]}" -f -y -qq -e trace=fsync,linkat,rename,renameat,renameat2 -o "$work/trace" \
  "$kestrune" >"$work/out" 2>"$work/err"
status=$?; out=$(cat "$work/out")
# A file without a name shows as #inode; how it gets its name varies (the
# descriptor itself, or its name in /proc).
steps=$(sed -E 's/^[0-9]+ +//; s/\(([0-9]+<)?([^,>)]*)>?.*/ \2/; s/^linkat .*/linkat/; s/#[0-9]+$/(no name)/' "$work/trace" |
  sed "s|$XDG_CONFIG_HOME/||g")
check durable "flushes" "$(printf 'fsync kestrune/(no name)\nlinkat\nrenameat kestrune\nfsync kestrune')" "$steps"
record durable "a power cut right after the run" \
  "$(describe "$store"): the new file flushed before it had a name, named and renamed over the old one, then the folder flushed"

# A failure to store leaves the old name and no temporary file.
expect_kept() {
  check "$1" "exit status" 1 "$status"
  case $(cat "$work/err") in *"$2"*) ;; *) check "$1" stderr "…$2…" "$(cat "$work/err")" ;; esac
  check "$1" "old name kept" "Old" "$(cat "$store")"
  check "$1" "no temporary file" "service-name" "$(ls -A "${store%/*}")"
}
withOldName() { fresh "$1"; mkdir -p "${store%/*}" && echo Old >"$store"; }

withOldName fullDisk
mount -t tmpfs -o size=64k tmpfs "${store%/*}" && echo Old >"$store"
dd if=/dev/zero of="${store%/*}/filler" bs=4k 2>/dev/null
tool 'Abc\nn\n'
rm -f "${store%/*}/filler"
expect_kept fullDisk "No space left on device"
record fullDisk "the disk is full" "$(describe "$store") kept, no temporary file left"
umount "${store%/*}"

for failing in "fsync 1 fileFlushFails cannot write" "fsync 2 folderFlushFails cannot flush the folder"; do
  read -r call when name reason <<<"$failing"
  withOldName "$name"
  printf 'Abc\nn\n' | timeout -k 1 20 "${strace[@]}" -f -qq -o /dev/null -e trace=fsync -e inject=fsync:error=EIO:when=$when \
    "$kestrune" >"$work/out" 2>"$work/err"
  status=$?; out=$(cat "$work/out")
  if [ "$when" = 1 ]; then
    expect_kept "$name" "$reason"
    record "$name" "flushing the new file fails (EIO)" "$(describe "$store") kept, no temporary file left"
  else
    case $(cat "$work/err") in *"$reason"*"Input/output error"*) ;; *) check "$name" stderr "…$reason…" "$(cat "$work/err")" ;; esac
    record "$name" "flushing the folder after the rename fails (EIO)" "$(describe "$store"), said not to be safe on disk"
  fi
done

# The close of the new file: which of the run's close calls it is, from a run
# that succeeds, then that one fails.
withOldName closeFails
printf 'Abc\nn\n' | timeout -k 1 20 "${strace[@]}" -f -y -qq -e trace=close -o "$work/closes" "$kestrune" >/dev/null 2>&1
echo Old >"$store"
when=$(awk '/close\(/ { n++ } /close\([0-9]+<[^>]*kestrune\/#[0-9]+>\(deleted\)/ { print n; exit }' "$work/closes")
printf 'Abc\nn\n' | timeout -k 1 20 "${strace[@]}" -f -qq -o /dev/null -e trace=close -e inject=close:error=EIO:when=$when \
  "$kestrune" >"$work/out" 2>"$work/err"
status=$?; out=$(cat "$work/out")
expect_kept closeFails "Input/output error"
record closeFails "closing the new file fails (EIO)" "$(describe "$store") kept, no temporary file left"

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

# --- Windows --------------------------------------------------------------------
start_xvfb "$work" || { echo "FAIL: Xvfb did not start"; exit 1; }
mkdir -m 700 "$work/runtime"; export XDG_RUNTIME_DIR=$work/runtime

tracer=()
# Runs kestrune in a window with REDIRECTIONS applied (as bash words), then
# plays the steps (see play_steps). Sets status, out, err.
drive() {
  local redirect=$1 pid; shift
  eval "PATH=\$bin:\$PATH \${tracer[@]} \"\$kestrune\" >\"\$work/out\" $redirect &"
  pid=$!
  play_steps "$pid" "$@"
  end_of "$pid"
  out=$(cat "$work/out"); err=$(cat "$work/err" 2>/dev/null)
}

# What pre-fills the entry: Return on the capture window tells, as
# "empty input" for an empty entry. The window must show at all.
for case in "storedFifo|a FIFO|mkfifo \"\$store\"" \
            "storedDevZero|a link to /dev/zero|ln -s /dev/zero \"\$store\"" \
            "storedSecretLink|a link to root's secret|ln -s \"\$secret\" \"\$store\"" \
            "storedSecondName|a second name of root's secret|ln \"\$secret\" \"\$store\"" \
            "storedOversized|a file of 4 KiB|head -c 4096 /dev/urandom >\"\$store\"" \
            "storedOthersFile|a name in a file of nobody's, in a folder open to all|chmod 1777 \"\${store%/*}\" && echo Theirs | as_nobody tee \"\$store\" >/dev/null"; do
  IFS='|' read -r name what plant <<<"$case"
  was=" (was: hangs, fills memory, or shows the secret)"
  if [[ $plant == *as_nobody* ]]; then
    was=
    second_user || { skip_row "$name" "planted by another user" "no second user in a user namespace"; continue; }
  fi
  fresh "$name"; mkdir -p "${store%/*}"; eval "$plant"
  drive '2>"$work/err"' window key:Return
  check "$name" "exit status" 255 "$status"
  check "$name" stdout "empty input" "$out"
  check "$name" secret "root's secret" "$(cat "$secret")"
  record "$name" "\`service-name\` is $what, read to fill the entry$was" \
    "the entry empty; \`service-name\` still $(describe "$store")"
done

fresh stderrClosed
drive '2>&-' window type:Abc key:Return window key:Return
check stderrClosed "exit status" 1 "$status"
check stderrClosed stored "'Abc' (644, root)" "$(describe "$store")"
record stderrClosed "standard error closed, in windows (was: the display's connection takes its place, and the run hangs)" \
  "$(describe "$store")"

# Plugin folders named in the environment, as `sudo -E` keeps them: anyone
# who can write there would have root run their code. Qt never looks there.
fresh pluginFolders; mkdir -p "$rowdir/plugins/platforms"
tracer=("${strace[@]}" -f -qq -e trace=openat,open,stat,newfstatat,access -o "$work/opened")
QT_PLUGIN_PATH=$rowdir/plugins QT_QPA_PLATFORM_PLUGIN_PATH=$rowdir/plugins/platforms \
  drive '2>"$work/err"' window key:Escape
tracer=()
check pluginFolders "exit status" 0 "$status"
check pluginFolders "looked into the planted folders" 0 "$(grep -c "$rowdir/plugins" "$work/opened")"
record pluginFolders "QT_PLUGIN_PATH and QT_QPA_PLATFORM_PLUGIN_PATH name a folder anyone may write" \
  "nothing; Qt never looked there"

# Without XDG_RUNTIME_DIR, Qt falls back to runtime-root in the folder for
# temporary files, which anyone may write: nobody plants it first.
for plant in "othersRuntimeFolder|a folder of nobody's|as_nobody mkdir -m 700" \
             "linkedRuntimeFolder|a link to a folder only root may enter|as_nobody ln -s $work/rootonly"; do
  IFS='|' read -r name what command <<<"$plant"
  if ! second_user; then skip_row "$name" "planted by another user" "no second user in a user namespace"; continue; fi
  fresh "$name"; mkdir -m 1777 "$rowdir/tmp"
  $command "$rowdir/tmp/runtime-root"
  runtime=$XDG_RUNTIME_DIR; unset XDG_RUNTIME_DIR; export TMPDIR=$rowdir/tmp
  drive '2>"$work/err"' window key:Escape
  export XDG_RUNTIME_DIR=$runtime; unset TMPDIR
  check "$name" "exit status" 0 "$status"
  check "$name" stderr "" "$err"
  check "$name" "root-only folder" secret "$(ls "$work/rootonly")"
  check "$name" "nothing made in it" "" "$(find "$rowdir/tmp/runtime-root" -mindepth 1)"
  record "$name" "no XDG_RUNTIME_DIR, and Qt's own runtime folder is $what" "nothing; Qt used no runtime folder"
done

fresh enterTwice; mkdir -p "${store%/*}" && echo Old >"$store"
drive '2>"$work/err"' window key:Return window procs key:Return
check enterTwice "exit status" 1 "$status"
check enterTwice "toolkit libraries in the root process" "" "$(grep -E 'libQt6|libxcb|libfontconfig' "$work/maps")"
flags=$(sed -n 's/^channel flags: //p' "$work/children")
check enterTwice "window's channel close-on-exec" yes "$([ $((0${flags:-0} & 02000000)) != 0 ] && echo yes || echo no)"
check enterTwice stdout "setup to 'Old'" "$out"
check enterTwice "refresh command" "" "$(cat "$work/refresh.log" 2>/dev/null)"
record enterTwice "Enter, Enter: the stored name kept, then the refresh question's default" \
  "$(describe "$store"); no refresh; no toolkit library mapped by root"

fresh displayDiesAtCapture
drive '2>"$work/err"' window killX
check displayDiesAtCapture "exit status" 0 "$status"
check displayDiesAtCapture stdout "" "$out"
check displayDiesAtCapture stored nothing "$(describe "$store")"
case $err in *"kestrune: the window went away while asking for the operator name ("*"); nothing was changed"*) ;;
  *) check displayDiesAtCapture stderr "…kestrune: the window went away while asking…; nothing was changed" "$err" ;; esac
record displayDiesAtCapture "the X server ends while the name is asked for (was: status 1, as if applied)" \
  "$(describe "$store")"
start_xvfb "$work"

fresh displayDiesAtQuestion
drive '2>"$work/err"' window type:Abc key:Return window killX
check displayDiesAtQuestion "exit status" 1 "$status"
check displayDiesAtQuestion stdout "setup to 'Abc'" "$out"
case $err in *"kestrune: the window went away at the question ("*"); taken as no"*) ;;
  *) check displayDiesAtQuestion stderr "…the window went away at the question (…); taken as no" "$err" ;; esac
record displayDiesAtQuestion "the X server ends at the refresh question" "$(describe "$store")"
start_xvfb "$work"

# An X server that refuses us: the reason names the fix.
fresh notAuthorised
# The server loads every cookie of its file, whatever display it names.
xauth -q -f "$work/xauth" add :99 MIT-MAGIC-COOKIE-1 "$(od -An -tx1 -N16 /dev/urandom | tr -d ' \n')" 2>/dev/null
Xvfb -displayfd 8 -auth "$work/xauth" -nolisten tcp 8>"$work/locked" 2>/dev/null &
locked=$!
for _ in $(seq 100); do [ -s "$work/locked" ] && break; sleep 0.05; done
# Only its abstract socket left, as some servers have: it still listens.
rm -f "/tmp/.X11-unix/X$(cat "$work/locked")"
DISPLAY=:$(cat "$work/locked") tool 'Abc\nn\n'
kill "$locked"; wait "$locked" 2>/dev/null
check notAuthorised "exit status" 1 "$status"
case $err in *"the X server of display :$(cat "$work/locked") does not let this user in"*"XAUTHORITY"*"using the terminal"*) ;;
  *) check notAuthorised stderr "…the X server of display :N does not let this user in…XAUTHORITY…using the terminal" "$err" ;; esac
record notAuthorised "an X server that wants a cookie the tool has not" "$(describe "$store")"

# Damaged or untrusted window programs beside a copy of the tool: the tool
# says why and asks at the terminal.
program=$(dirname "$kestrune")/kestrune-window
# ldconfig is in sbin, which a normal user's PATH leaves out.
library=$(PATH=$PATH:/usr/sbin:/sbin ldconfig -p | sed -n 's/.*libxcb\.so\.1 .*=> //p' | head -n 1)
[ -f "$library" ] || { echo "FAIL: libxcb.so.1 not found by ldconfig"; exit 1; }
for case in "cutShort|cut short after 20,000 bytes|head -c 20000 \"\$program\" >\$alone/kestrune-window; chmod +x \$alone/kestrune-window|the window program " \
            "notElf|not an ELF file|echo garbage >\$alone/kestrune-window; chmod +x \$alone/kestrune-window|Exec format error" \
            "aLibrary|a library, not a program|cp \"\$library\" \$alone/kestrune-window; chmod +x \$alone/kestrune-window|the window program " \
            "programLink|a link to the real program|ln -s \"\$program\" \$alone/kestrune-window|is a symbolic link" \
            "programFolder|a folder|mkdir \$alone/kestrune-window|is not a plain file" \
            "writableByAll|writable by every user|cp \"\$program\" \$alone/kestrune-window; chmod o+w \$alone/kestrune-window|may have been changed by another user" \
            "folderForAll|in a folder every user may write, as /tmp (a qt.conf there would be Qt's)|cp \"\$program\" \$alone/; chmod 1777 \$alone|alone may be written by other users"; do
  IFS='|' read -r name what plant reason <<<"$case"
  fresh "$name"; alone=$rowdir/alone; mkdir -p "$alone"; cp "$kestrune" "$alone/"; eval "$plant"
  printf 'Abc\nn\n' | DISPLAY=$DISPLAY timeout -k 1 20 "$alone/kestrune" >"$work/out" 2>"$work/err"
  status=$?; out=$(cat "$work/out")
  check "$name" "exit status" 1 "$status"
  case $(cat "$work/err") in *"$reason"*"; using the terminal"*) ;;
    *) check "$name" stderr "…$reason…; using the terminal" "$(cat "$work/err")" ;; esac
  record "$name" "the window program is $what" "$(describe "$store")"
done

# expect_window_from_copy NAME [COMMAND...]: the copy of the tool in $alone,
# run through COMMAND when given, shows its window, and Escape cancels it.
expect_window_from_copy() {
  local pid window
  PATH=$bin:$PATH timeout -k 1 20 "${@:2}" "$alone/kestrune" >"$work/out" 2>"$work/err" </dev/null &
  pid=$!
  window=$(wait_window) && xdotool key Escape
  wait "$pid"; status=$?; out=$(cat "$work/out")
  check "$1" "a window shown" yes "$([ -n "$window" ] && echo yes || echo no)"
  check "$1" "exit status" 0 "$status"
  check "$1" stdout "" "$out"
}

# A user's own build, run as root: the program belongs to whoever owns the
# tool. Another user's folder around them is not: a qt.conf of theirs there
# would point Qt at their plugins.
if second_user; then
  fresh usersBuild; alone=$rowdir/alone; mkdir -p "$alone"; cp "$kestrune" "$program" "$alone/"
  chown -R nobody: "$alone"
  expect_window_from_copy usersBuild
  record usersBuild "the tool and its window program both nobody's, run as root" "a window, cancelled"

  fresh othersQtConf; alone=$rowdir/alone; mkdir -p "$alone"; cp "$kestrune" "$program" "$alone/"
  chown nobody: "$alone"
  printf '[Paths]\nPlugins=%s/plugins\n' "$rowdir" | as_nobody tee "$alone/qt.conf" >/dev/null
  printf 'Abc\nn\n' | DISPLAY=$DISPLAY timeout -k 1 20 "$alone/kestrune" >"$work/out" 2>"$work/err"
  status=$?; out=$(cat "$work/out")
  check othersQtConf "exit status" 1 "$status"
  case $(cat "$work/err") in *"alone belongs to user 65534, not to root or to the tool's owner; using the terminal"*) ;;
    *) check othersQtConf stderr "…alone belongs to user 65534…; using the terminal" "$(cat "$work/err")" ;; esac
  record othersQtConf "the tool and its window program in nobody's folder, with nobody's \`qt.conf\`" "$(describe "$store")"

  # Root of a user namespace that nobody made: root's folders above the copy
  # show there as the overflow id, as the users outside it do.
  fresh nobodysNamespace; alone=$rowdir/alone; mkdir -p "$alone"; cp "$kestrune" "$program" "$alone/"
  chown -R nobody: "$rowdir"
  if as_nobody unshare --map-root-user true 2>/dev/null; then
    expect_window_from_copy nobodysNamespace setpriv --reuid=65534 --regid=65534 --clear-groups unshare --map-root-user
    record nobodysNamespace "the tool and its window program nobody's, run as root of nobody's user namespace" "a window, cancelled"
  else
    skip_row nobodysNamespace "the tool run as root of another user's user namespace" "unshare --map-root-user was refused to nobody"
  fi
else
  skip_row usersBuild "the tool and its window program both another user's" "no second user in a user namespace"
  skip_row othersQtConf "nobody's folder around the tool, with a qt.conf" "no second user in a user namespace"
  skip_row nobodysNamespace "the tool run as root of another user's user namespace" "no second user in a user namespace"
fi

# Without libxcb, the window program cannot start.
fresh noLibxcb
mount --bind /dev/null "$library"
tool 'Abc\nn\n'
umount "$library"
check noLibxcb "exit status" 1 "$status"
case $err in *"the window program ended with status 127; using the terminal"*) ;;
  *) check noLibxcb stderr "…the window program ended with status 127; using the terminal" "$err" ;; esac
record noLibxcb "libxcb cannot be loaded" "$(describe "$store")"

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

# --- Limits set by the caller, and a refresh that cannot start ---------------
# Standard output and error go through pipes: the limit holds for files.
withOldName fileSizeLimit
(printf 'Abc\nn\n' | DISPLAY= bash -c 'ulimit -f 0 && exec "$@"' limit timeout -k 1 20 "$kestrune" |
  cat >"$work/out"; exit "${PIPESTATUS[1]}") 2>&1 | cat >"$work/err"
status=${PIPESTATUS[0]}; out=$(cat "$work/out")
expect_kept fileSizeLimit "File too large"
check fileSizeLimit stdout "setup to 'Abc'" "$out"
record fileSizeLimit "a file size limit of 0 (\`ulimit -f 0\`; was: killed by SIGXFSZ after its \`setup to\` line)" \
  "$(describe "$store") kept, no temporary file left"

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

echo "| Row | Attack or fault | What the tool did | What was stored, where |"
echo "|---|---|---|---|"
cat "$table"
finish "hostile runs"
