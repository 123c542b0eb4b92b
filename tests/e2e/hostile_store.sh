#!/usr/bin/env bash
# Attacks on where the name is stored, as root meets them under sudo in a
# home that another user (nobody) controls: planted links and folders,
# hostile homes and paths, and a disk that fails or fills.
# Runs in private PID and mount namespaces; prints one row a case: the
# attack, what the tool did, what was stored where. Every run of the tool
# is bounded in time: a hang fails its row.
# Usage: hostile_store.sh KESTRUNE STUB_WINDOW_PROGRAM
source "$(dirname "$0")/hostile_common.sh"

# --- The stored name: planted links and folders -----------------------------
if second_user; then

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


# --- The stored name: a file size limit set by the caller ------------------
# Standard output and error go through pipes: the limit holds for files.
withOldName fileSizeLimit
(printf 'Abc\nn\n' | DISPLAY= bash -c 'ulimit -f 0 && exec "$@"' limit timeout -k 1 20 "$kestrune" |
  cat >"$work/out"; exit "${PIPESTATUS[1]}") 2>&1 | cat >"$work/err"
status=${PIPESTATUS[0]}; out=$(cat "$work/out")
expect_kept fileSizeLimit "File too large"
check fileSizeLimit stdout "setup to 'Abc'" "$out"
record fileSizeLimit "a file size limit of 0 (\`ulimit -f 0\`; was: killed by SIGXFSZ after its \`setup to\` line)" \
  "$(describe "$store") kept, no temporary file left"

finish_table "hostile runs of the store"
