#!/usr/bin/env bash
# Windows that meet a hostile or failing world: planted stored names read to
# fill the entry, displays that vanish or refuse, damaged or untrusted
# window programs beside the tool.
# Runs in private PID and mount namespaces; prints one row a case: the
# attack, what the tool did, what was stored where. Every run of the tool
# is bounded in time: a hang fails its row.
# Usage: hostile_windows.sh KESTRUNE STUB_WINDOW_PROGRAM
source "$(dirname "$0")/hostile_common.sh"

# --- Windows --------------------------------------------------------------------
start_window_session

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

finish_table "hostile runs of the windows"
