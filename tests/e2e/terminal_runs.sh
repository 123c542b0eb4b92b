#!/usr/bin/env bash
# Runs the built kestrune through its terminal interface, as a person piping
# answers in would, and checks standard output, the exit status and the
# stored name. Never answers yes with the real shell commands in reach.
set -u
source "$(dirname "$0")/checks.sh"
kestrune=$1
enter_private_root "$0" "$@"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
sanitizer_files_for_others "$work"

# Runs kestrune with the given answers on standard input and a fresh store.
# Sets: out, err, status, stored (the store file's bytes, or <none>).
run() {
  local answers=$1; shift
  export XDG_CONFIG_HOME=$work/config
  rm -rf "$XDG_CONFIG_HOME"; mkdir -p "$XDG_CONFIG_HOME"
  printf '%b' "$answers" | env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
    "$kestrune" "$@" >"$work/out" 2>"$work/err"
  status=$?
  out=$(cat "$work/out"; printf x); out=${out%x}
  err=$(cat "$work/err")
  stored=$(cat "$XDG_CONFIG_HOME/kestrune/service-name" 2>/dev/null && printf x) || stored="<none>"
  stored=${stored%x}
}

# name | answers | expected stdout | exit status | stored file | arguments...
expect() {
  local name=$1 answers=$2 stdout=$3 code=$4 file=$5; shift 5
  run "$answers" "$@"
  check "$name" stdout "$(bytes "$stdout"; printf x)" "${out}x"
  check "$name" "exit status" "$code" "$status"
  check "$name" "stored name" "$(bytes "$file"; printf x)" "${stored}x"
}

a99=$(printf 'a%.0s' $(seq 99))
zh33=$(printf '中%.0s' $(seq 33))
ff33=$(printf '\\xff%.0s' $(seq 33))
fffd33=$(printf '\\xef\\xbf\\xbd%.0s' $(seq 33))

expect applied            '  Abc  \nn\n'    "setup to 'Abc'\n" 1 'Abc\n'
expect crlfLine           'Abc\r\nno\r\n'   "setup to 'Abc'\n" 1 'Abc\n'
expect noFinalNewline     'Abc'             "setup to 'Abc'\n" 1 'Abc\n'
expect chinese            '中国移动\nn\n'   "setup to '中国移动'\n" 1 '中国移动\n'
expect invalidUtf8        '\xffAb\nn\n'     "setup to '\xef\xbf\xbdAb'\n" 1 '\xef\xbf\xbdAb\n'
# Each byte that is not UTF-8 grows to the three of U+FFFD on the way in;
# the limit counts what arrives.
expect invalidAtLimit     "$ff33\nn\n"      "setup to '$fffd33'\n" 1 "$fffd33\n"
expect invalidPastLimit   "${ff33}\xff\nn\n" 'input too long\n' 255 '<none>'
# Only the space is a blank: tab, carriage return, no-break space and the
# ideographic space are part of the name wherever they stand.
expect tabs               '\tA\tb\t \nn\n'  "setup to '\tA\tb\t'\n" 1 '\tA\tb\t\n'
expect returnInside       ' A\rb \nn\n'     "setup to 'A\rb'\n" 1 'A\rb\n'
expect noBreakSpaces      ' \xc2\xa0Ab\xc2\xa0 \nn\n' "setup to '\xc2\xa0Ab\xc2\xa0'\n" 1 '\xc2\xa0Ab\xc2\xa0\n'
expect ideographicSpaces  ' 　中国　 \nn\n'  "setup to '　中国　'\n" 1 '　中国　\n'
expect cancelled          ''                '' 0 '<none>'

# The prompts are the stand-in's interface: standard error, byte for byte,
# for answers piped in (each prompt then ends its line).
prompt='Kestrune — 运营商名称: '
question='Kestrune — 设置OK，是否刷新手机？ [y/N] '
for row in "applied|Abc\nn\n|$prompt\n$question\n" "cancelled||$prompt\n" \
           "noAnswerToRefresh|Abc\n|$prompt\n$question\n" "empty|\n|$prompt\n"; do
  IFS='|' read -r name answers expected <<<"$row"
  run "$answers"
  check "$name" "stderr, byte for byte" "$(bytes "$expected"; printf x)" "$(cat "$work/err"; printf x)"
done
expect empty              '\n'              'empty input\n' 255 '<none>'
expect allBlank           '    \n'          'all blank input\n' 255 '<none>'
expect longestThatFits    "$a99\nn\n"       "setup to '$a99'\n" 1 "$a99\n"
expect tooLong            "${a99}a\nn\n"    'input too long\n' 255 '<none>'
expect chineseAtLimit     "$zh33\nn\n"      "setup to '$zh33'\n" 1 "$zh33\n"
expect chinesePastLimit   "${zh33}中\nn\n"  'input too long\n' 255 '<none>'
# The type only reaches the framework (the flow tests check which one); on
# the stand-in any argument, however odd, leaves the run as it is.
for argument in '' 2 abc 12abc ' 7' -3 +4 99999999999999999999; do
  expect "argument[$argument]" 'Abc\nn\n' "setup to 'Abc'\n" 1 'Abc\n' ${argument:+"$argument"}
done
expect secondArgument     'Abc\nn\n'        "setup to 'Abc'\n" 1 'Abc\n' 12abc second
# Only these exact words, as the first argument, answer without a dialog,
# on standard output, byte for byte.
usage="Usage: kestrune [TYPE]
       kestrune --help | --version
Asks for a new operator name, applies it and offers to restart the phone's
phone process. Acts only when run as root. TYPE, a base-10 integer, is the
capture dialog's type (0 without it).
Exit status: 1 the name was applied (or, not run as root, nothing was done);
0 cancelled; 255 the entry was empty, all blanks or too long.
"
for option in --help --version; do
  run 'Abc\nn\n' "$option"
  if [ "$option" = --help ]; then
    check "$option" stdout "$usage" "$out"
  else
    [[ $out =~ ^kestrune\ [0-9]+\.[0-9]+\.[0-9]+$'\n'$ ]] || check "$option" stdout "kestrune X.Y.Z" "$out"
  fi
  check "$option" "exit status" 0 "$status"
  check "$option" "no dialog" "" "$(cat "$work/err")"
  check "$option" "stored name" '<none>' "$stored"
done
for argument in --Help -help --version=1 ' --help'; do
  expect "notAnOption[$argument]" 'Abc\nn\n' "setup to 'Abc'\n" 1 'Abc\n' "$argument"
done
expect helpSecond         'Abc\nn\n'        "setup to 'Abc'\n" 1 'Abc\n' 0 --help
expect noAnswerToRefresh  'Abc\n'           "setup to 'Abc'\n" 1 'Abc\n'

# A megabyte on one line is refused like any other long entry.
run "$(head -c 1048576 /dev/zero | tr '\0' x)\nn\n"
check hugeLine stdout 'input too long' "${out%$'\n'}"
check hugeLine "exit status" 255 "$status"
check hugeLine "stored name" '<none>' "$stored"

# Standard streams closed, empty or with their reader gone: never a crash,
# always the run's own exit status. A pipe without a reader, made once:
mkfifo "$work/fifo"
exec 5<>"$work/fifo" 6>"$work/fifo" 5<&-
# SIGPIPE as a shell normally leaves it, even where the test runner ignores it.
tool=(env --default-signal=PIPE -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$kestrune")
# name | exit status | stored file
streams() {
  local name=$1 code=$2 file=$3
  export XDG_CONFIG_HOME=$work/config
  rm -rf "$XDG_CONFIG_HOME"; mkdir -p "$XDG_CONFIG_HOME"
  case $name in
    stdinClosed)       "${tool[@]}" <&- >"$work/out" 2>"$work/err" ;;
    stdinEmpty)        "${tool[@]}" </dev/null >"$work/out" 2>"$work/err" ;;
    stdoutClosed)      printf 'Abc\nn\n' | "${tool[@]}" >&- 2>"$work/err" ;;
    stdoutReaderGone)  printf 'Abc\nn\n' | "${tool[@]}" >&6 2>"$work/err" ;;
    stderrReaderGone)  printf 'Abc\nn\n' | "${tool[@]}" >"$work/out" 2>&6 ;;
    allOutputClosed)   printf 'Abc\nn\n' | "${tool[@]}" >&- 2>&- ;;
  esac
  status=$?
  err=$(cat "$work/err" 2>/dev/null)
  stored=$(cat "$XDG_CONFIG_HOME/kestrune/service-name" 2>/dev/null && printf x) || stored="<none>"
  check "$name" "exit status" "$code" "$status"
  check "$name" "stored name" "$(bytes "$file"; printf x)" "${stored%x}x"
}
streams stdinClosed      0 '<none>'
streams stdinEmpty       0 '<none>'
streams stdoutClosed     1 'Abc\n'
streams stdoutReaderGone 1 'Abc\n'
streams stderrReaderGone 1 'Abc\n'
streams allOutputClosed  1 'Abc\n'
exec 6>&-

# A store that cannot be written is reported; the run goes on as the phone's would.
export XDG_CONFIG_HOME=$work/blocked
rm -rf "$XDG_CONFIG_HOME"; mkdir -p "$XDG_CONFIG_HOME"; echo old >"$XDG_CONFIG_HOME/kestrune"
printf 'Abc\nn\n' | env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$kestrune" >"$work/out" 2>"$work/err"
status=$?; err=$(cat "$work/err")
check unwritableStore "exit status" 1 "$status"
check unwritableStore stdout "setup to 'Abc'" "$(cat "$work/out")"
check unwritableStore "old file" old "$(cat "$XDG_CONFIG_HOME/kestrune")"
case $err in
  *"cannot store the service name in $XDG_CONFIG_HOME/kestrune/service-name: "?*) ;;
  *) check unwritableStore "stderr reason" "cannot store the service name in …: <reason>" "$err" ;;
esac

# Yes, in any letter case with blanks around, starts the refresh command; its
# commands are stand-ins here that only record how they were called.
fakebin=$work/fakebin
refresh_stand_ins "$fakebin" "$work/refresh.log"
for answer in y YES '  Yes  ' yES $'\v\tyes\f\r'; do
  rm -f "$work/refresh.log"
  PATH=$fakebin:$PATH run "Abc\n$answer\n"
  check "yes:$answer" "exit status" 1 "$status"
  for _ in $(seq 50); do [ -s "$work/refresh.log" ] && grep -q pidof "$work/refresh.log" && break; sleep 0.1; done
  check "yes:$answer" "refresh command" "$(printf 'sleep 1s\npidof phone')" "$(cat "$work/refresh.log" 2>/dev/null)"
done
for answer in n no '' 'yes please' 'y e s' 1; do
  rm -f "$work/refresh.log"
  PATH=$fakebin:$PATH run "Abc\n$answer\n"
  sleep 0.3
  check "notYes:$answer" "refresh command" "" "$(cat "$work/refresh.log" 2>/dev/null)"
done

# Anyone but root is refused, by the real user id; only root can switch users.
if second_user; then
  # In a coverage build, that user could not write the build's counts, and
  # the coverage library would say so on standard error: they go here.
  mkdir -m 1777 "$work/others-counts"
  for ids in "--reuid=500 --regid=500" "--ruid=500 --euid=0 --regid=500"; do
    # shellcheck disable=SC2086
    export XDG_CONFIG_HOME=$work/config
    rm -rf "$XDG_CONFIG_HOME"; mkdir -p "$XDG_CONFIG_HOME"
    printf 'Abc\nn\n' | env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM GCOV_PREFIX="$work/others-counts" \
      setpriv $ids --clear-groups "$kestrune" >"$work/out" 2>"$work/err"
    status=$?; err=$(cat "$work/err")
    check "notRoot($ids)" stdout "not excute by root, but by 500" "$(cat "$work/out")"
    check "notRoot($ids)" "exit status" 1 "$status"
    check "notRoot($ids)" "nothing stored" no "$([ -e "$XDG_CONFIG_HOME/kestrune" ] && echo yes || echo no)"
    check "notRoot($ids)" "the notice, byte for byte" \
      "Kestrune — 检测到本程序未以root身份执行，将不作任何操作！" "$err"
  done
  # Before the root gate: anyone may ask.
  setpriv --reuid=500 --regid=500 --clear-groups "$kestrune" --version >"$work/out" 2>&1
  check "notRoot --version" "exit status" 0 $?
else
  echo "SKIP notRoot: no second user in a user namespace"
fi

finish "terminal runs"
