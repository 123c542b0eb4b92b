# Sourced by the hostile_*.sh scripts: the private namespaces, the stand-ins
# for the refresh, the folders of root's and of nobody's, a row's own folders,
# and the table every script prints.
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
cp "$(command -v sleep)" "$work/phone"
refresh_stand_ins "$bin" "$work/refresh.log" working

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

# A home of nobody's, for the rows where that user plants things.
if second_user; then
  nobodyHome=$work/nobody-home
  mkdir -p "$nobodyHome" && chown nobody: "$nobodyHome"
fi

# A failure to store leaves the old name and no temporary file.
expect_kept() {
  check "$1" "exit status" 1 "$status"
  case $(cat "$work/err") in *"$2"*) ;; *) check "$1" stderr "…$2…" "$(cat "$work/err")" ;; esac
  check "$1" "old name kept" "Old" "$(cat "$store")"
  check "$1" "no temporary file" "service-name" "$(ls -A "${store%/*}")"
}
withOldName() { fresh "$1"; mkdir -p "${store%/*}" && echo Old >"$store"; }

# The window program beside the tool.
program=$(dirname "$kestrune")/kestrune-window

# start_window_session: an X server of our own, a runtime folder of root's,
# and `drive`, which runs the tool in a window and plays the steps.
start_window_session() {
  start_xvfb "$work" || { echo "FAIL: Xvfb did not start"; exit 1; }
  mkdir -m 700 "$work/runtime"; export XDG_RUNTIME_DIR=$work/runtime
}

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

# finish_table WHAT: the rows this script printed, and its closing line.
finish_table() {
  echo "| Row | Attack or fault | What the tool did | What was stored, where |"
  echo "|---|---|---|---|"
  cat "$table"
  finish "$1"
}
