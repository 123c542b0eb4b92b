#!/usr/bin/env bash
# The manual page as the build makes it: the project's version and a date
# filled in, nothing of the template left, and groff has nothing to say about
# it. Then the date itself (cmake/release_date.cmake): the same for every
# build of the same sources, in UTC, whatever the time zone.
# Usage: manual_page_test.sh PAGE VERSION
set -u
page=$1 version=$2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../e2e/checks.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

title=$(head -n 1 "$page")
check page "title line" yes \
  "$([[ $title =~ ^\.TH\ KESTRUNE\ 1\ \"[0-9]{4}-[0-9]{2}-[0-9]{2}\"\ \"Kestrune\ $version\"\ \"User\ Commands\"$ ]] && echo yes)"
check page "template left over" "" "$(grep -o '@[A-Za-z_]*@' "$page")"
if command -v groff >/dev/null; then
  check page "groff warnings" "" "$(groff -k -man -Tutf8 -ww -z "$page" 2>&1)"
fi

# Prints the date that the build would give the sources in folder $1.
release_date() {
  printf 'cmake_minimum_required(VERSION 3.25)\ninclude(%s)\nkestrune_release_date(date "%s")\nmessage("${date}")\n' \
    "$here/../../cmake/release_date.cmake" "$1" >"$work/date.cmake"
  cmake -P "$work/date.cmake" 2>&1
}

# A clone whose last commit was made late on 4 March 2021, in UTC.
mkdir "$work/clone" "$work/plain"
git -C "$work/clone" init -q &&
  GIT_COMMITTER_DATE='2021-03-04T23:30:00Z' git -C "$work/clone" -c user.name=t -c user.email=t@t \
    commit -q --allow-empty -m first || echo "cannot make a clone here; its rows will fail"

# name | SOURCE_DATE_EPOCH (unset: -) | TZ | folder | date
while IFS='|' read -r name epoch zone folder expected; do
  [ "$expected" = today ] && expected=$(date -u +%Y-%m-%d)
  actual=$(
    if [ "$epoch" = - ]; then unset SOURCE_DATE_EPOCH; else export SOURCE_DATE_EPOCH=$epoch; fi
    TZ=$zone release_date "$work/$folder"
  )
  check "$name" date "$expected" "$actual"
done <<'TABLE'
epochStart|0|UTC|plain|1970-01-01
epochInUtc|1700000000|CST-8|plain|2023-11-14
epochBeforeCommit|1700000000|UTC|clone|2023-11-14
lastCommit|-|CST-8|clone|2021-03-04
emptyEpochMeansUnset||UTC|clone|2021-03-04
noCommitToday|-|UTC|plain|today
TABLE

finish "manual page checks"
