#!/usr/bin/env bash
# The shared part of the run and test scripts (scripts/lib.sh), with stand-ins
# for id, sudo, dpkg-query and apt-get: it must install only what is missing,
# update the package lists once, never call a sudo that is not there, and
# hand the tool to sudo with the display kept and its arguments intact.
set -u
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../e2e/checks.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Stand-ins that log to $work/calls: `id -u` prints $FAKE_UID, dpkg-query
# knows the packages named in $work/installed, apt-get fails when told to; and
# the few real tools the scripts need, so that PATH reaches no real sudo.
fakebin=$work/bin withsudo=$work/sudo
mkdir -p "$fakebin" "$withsudo"
for tool in bash cat dirname env grep mktemp rm stat tr; do
  ln -s "$(command -v "$tool")" "$fakebin/$tool"
done
cat >"$fakebin/id" <<'EOF'
#!/bin/sh
if [ "$1" = -u ]; then echo "$FAKE_UID"; else exec /usr/bin/id "$@"; fi
EOF
cat >"$fakebin/dpkg-query" <<'EOF'
#!/bin/sh
grep -qx "$3" "$FAKE_WORK/installed" && printf 'install ok installed'
EOF
cat >"$fakebin/apt-get" <<'EOF'
#!/bin/sh
# Options aside, as in: install a b
words=
for word in "$@"; do case $word in -*) ;; *) words="$words $word" ;; esac; done
echo "apt-get$words" >>"$FAKE_WORK/calls"
[ "$1" != "$FAKE_APT_FAILS" ]
EOF
cat >"$withsudo/sudo" <<'EOF'
#!/bin/sh
echo sudo >>"$FAKE_WORK/calls"
while [ "${1#-}" != "$1" ]; do shift; done
exec "$@"
EOF
cat >"$fakebin/su" <<'EOF'
#!/bin/sh
[ "$1" = -c ] && exec bash -c "$2"
EOF
chmod +x "$fakebin"/* "$withsudo"/*
export FAKE_WORK=$work FAKE_UID=1000

# Runs ensure_packages once per ;-separated group of packages, as a user of
# uid $1, with or without sudo ($2), with the packages in $3 installed, and
# apt-get failing at the step named in $4. Sets calls, status and err.
packages_run() {
  local uid=$1 sudo=$2 installed=$3 fails=$4 groups=$5 group path=$fakebin
  tr ' ' '\n' <<<"$installed" >"$work/installed"
  : >"$work/calls"
  [ "$sudo" = yes ] && path=$fakebin:$withsudo
  err=$(
    export PATH=$path FAKE_UID=$uid FAKE_APT_FAILS=$fails
    unset KESTRUNE_APT_UPDATED
    source "$here/../../scripts/lib.sh"
    IFS=';' read -r -a lists <<<"$groups"
    for group in "${lists[@]}"; do
      ensure_packages $group || exit
    done 2>&1
  )
  status=$?
  calls=$(paste -sd, "$work/calls")
}

# name | uid | sudo | installed | fails at | asked (;-separated calls) | calls | status
while IFS='|' read -r name uid sudo installed fails groups calls_expected status_expected; do
  packages_run "$uid" "$sudo" "$installed" "$fails" "$groups"
  check "$name" "calls" "$calls_expected" "$calls"
  check "$name" "exit status" "$status_expected" "$status"
done <<'TABLE'
allInstalled|0|no|a b|-|a b||0
onlyTheMissing|0|no|a|-|a b c|apt-get update,apt-get install b c|0
updatedOnce|0|no||-|a;b|apt-get update,apt-get install a,apt-get install b|0
userThroughSudo|1000|yes||-|a|sudo,apt-get update,sudo,apt-get install a|0
userWithoutSudo|1000|no||-|a||1
updateFails|0|no||update|a|apt-get update|1
installFails|0|no||install|a|apt-get update,apt-get install a|1
TABLE
packages_run 1000 no "" - "cmake qemu-user"
case $err in *"su -c 'apt-get update && apt-get install cmake qemu-user'"*) ;;
  *) check userWithoutSudo "what to do instead" "…su -c 'apt-get update && apt-get install cmake qemu-user'…" "$err" ;;
esac

# name | XAUTHORITY (unset: -) | HOME | sudo | tool and arguments (;-separated) | line
while IFS='|' read -r name xauthority home sudo words expected; do
  IFS=';' read -r -a command <<<"$words"
  path=$fakebin
  [ "$sudo" = yes ] && path=$fakebin:$withsudo
  line=$(
    export PATH=$path HOME=$home
    if [ "$xauthority" = - ]; then unset XAUTHORITY; else export XAUTHORITY=$xauthority; fi
    source "$here/../../scripts/lib.sh"
    root_command_line "${command[@]}"
  )
  check "$name" "command line" "$expected" "$line"
done <<'TABLE'
defaultAuthority|-|/home/ann|yes|/k/kestrune|XAUTHORITY=/home/ann/.Xauthority sudo --preserve-env=DISPLAY,XAUTHORITY /k/kestrune
emptyAuthority||/home/ann|yes|/k/kestrune|XAUTHORITY=/home/ann/.Xauthority sudo --preserve-env=DISPLAY,XAUTHORITY /k/kestrune
ownAuthority|/run/user/1000/xauth|/home/ann|yes|/k/kestrune;7|sudo --preserve-env=DISPLAY,XAUTHORITY /k/kestrune 7
blanksQuoted|-|/home/a b|yes|/k l/kestrune;x y|XAUTHORITY=/home/a\ b/.Xauthority sudo --preserve-env=DISPLAY,XAUTHORITY /k\ l/kestrune x\ y
withoutSudo|/x|/home/ann|no|/k l/kestrune;7|su -c '/k\ l/kestrune 7'
TABLE

# The line runs as printed (scripts/run.sh evaluates it): the tool gets its
# arguments intact and the display's authority file.
cat >"$work/show" <<'EOF'
#!/bin/sh
printf '%s\n' "XAUTHORITY=$XAUTHORITY" "$@"
EOF
chmod +x "$work/show"
for through in sudo su; do
  path=$fakebin
  [ "$through" = sudo ] && path=$fakebin:$withsudo
  ran=$(
    export PATH=$path HOME="/home/a b"
    unset XAUTHORITY
    source "$here/../../scripts/lib.sh"
    eval "$(root_command_line "$work/show" 'x  y' '$HOME' "it's")"
  )
  check "through $through" "what the tool got" \
    "$(printf '%s\n' 'XAUTHORITY=/home/a b/.Xauthority' 'x  y' '$HOME' "it's")" "$ran"
done

finish "shared script runs"
