# Shared by the run and test scripts: what each part needs from Debian's
# packages and how to install it, the one build step that every script's
# build goes through, and how to run kestrune as root.

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# The machine is shared: two compile jobs unless told otherwise (Ninja
# would start two more than there are cores).
export CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-2}

# The tool and its window program, and a CJK font so that the windows show
# the Chinese texts.
run_packages=(cmake ninja-build g++ qt6-base-dev libxcb1-dev fonts-wqy-zenhei)
# The test suite too.
build_packages=("${run_packages[@]}" libgtest-dev)
# For the end-to-end runs: a private X server, xdotool to type into it, xclip
# to read back what was typed, strace to slow the store down for the runs
# killed in the middle of it, valgrind; groff and git for the manual page; a
# session bus for the window program's user.
test_packages=(xvfb xdotool xclip strace procps util-linux valgrind groff-base git dbus-daemon)
fuzz_packages=(clang-14 libclang-rt-14-dev)
static_packages=(cppcheck clang-tidy-14)
arm_packages=(googletest g++-arm-linux-gnueabi qemu-user)
# What bench/run.sh installs for every run, --short included (so that the
# test command installs it with everything else); and the peers that only
# the full run measures Kestrune against.
bench_packages=(xvfb libx11-dev libxtst-dev python3 time)
bench_peer_packages=(zenity pinentry-gtk2 whiptail gnuplot-nox)
coverage_packages=(gcovr)

# Installs the named Debian packages that are not installed yet, saying in
# one line which. `apt-get update` runs once per command (the scripts it
# starts inherit KESTRUNE_APT_UPDATED); apt's output shows only on failure.
ensure_packages() {
  local missing=() package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
      missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0

  local as_root=()
  if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null; then
      echo "Missing Debian packages, and sudo is not installed to install them. Run" >&2
      echo "  su -c 'apt-get update && apt-get install ${missing[*]}'" >&2
      echo "and try again (or install sudo that way and add yourself to the group sudo)." >&2
      return 1
    fi
    as_root=(sudo)
  fi
  echo "Installing Debian packages: ${missing[*]}" >&2
  local log status=0
  log=$(mktemp)
  if [ -z "${KESTRUNE_APT_UPDATED:-}" ]; then
    "${as_root[@]}" apt-get update -qq >"$log" 2>&1 && export KESTRUNE_APT_UPDATED=1 || status=$?
  fi
  [ "$status" -eq 0 ] &&
    { "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
      --no-install-recommends "${missing[@]}" >"$log" 2>&1 || status=$?; }
  [ "$status" -eq 0 ] || { cat "$log" >&2; echo "Installing failed (status $status)" >&2; }
  rm -f "$log"
  return "$status"
}

# Under root in a clone that belongs to someone else (started with sudo, say),
# the command that runs what follows as that owner; nothing otherwise. Builds
# go through it so that no root-owned file lands in a user's clone.
as_clone_owner=() clone_owner=
if [ "$(id -u)" -eq 0 ] && [ "$(stat -c %u "$top")" -ne 0 ]; then
  clone_owner=$(stat -c %U "$top")
  as_clone_owner=(runuser -u "$clone_owner" --)
fi

# The build step of every script: configures with `cmake ARGUMENTS...` and
# builds the folder FOLDER (under build/), from the top of the clone and as
# its owner; with --configure-only, only configures. Says only what it
# builds, unless the build fails.
#   build_folder [--configure-only] FOLDER ARGUMENTS...
build_folder() {
  local configure_only=false
  [ "$1" = --configure-only ] && { configure_only=true; shift; }
  local folder=$1 path log status=0
  shift
  for path in "$top/build" "$top/$folder"; do
    if [ -n "$clone_owner" ] && [ -e "$path" ] && [ "$(stat -c %u "$path")" -eq 0 ]; then
      echo "$path belongs to root, from an earlier run as root: remove it" \
        "(sudo rm -rf $path) and try again" >&2
      return 1
    fi
  done
  echo "Building $folder${clone_owner:+ as $clone_owner}" >&2
  log=$(mktemp)
  (cd "$top" && "${as_clone_owner[@]}" cmake "$@" &&
    { $configure_only || "${as_clone_owner[@]}" cmake --build "$folder"; }) >"$log" 2>&1 ||
    status=$?
  [ "$status" -eq 0 ] || { tail -n 60 "$log" >&2; echo "Building $folder failed" >&2; }
  rm -f "$log"
  return "$status"
}

# Configures and builds the preset named $1 (installing what it needs first)
# in build/$1; with --configure-only after the name, only configures.
build_preset() {
  local preset=$1 packages=("${build_packages[@]}")
  shift
  [ "$preset" = run ] && packages=("${run_packages[@]}")
  ensure_packages "${packages[@]}" || return
  build_folder "$@" "build/$preset" --preset "$preset"
}

# Prints the command line that runs the given command as root from a user's
# session, keeping the display: sudo drops DISPLAY and XAUTHORITY unless told,
# and an empty XAUTHORITY means ~/.Xauthority, which root would not look for.
# Without sudo, the same through su, which keeps both.
root_command_line() {
  [ -n "${XAUTHORITY:-}" ] || printf 'XAUTHORITY=%q ' "$HOME/.Xauthority"
  if command -v sudo >/dev/null; then
    printf 'sudo --preserve-env=DISPLAY,XAUTHORITY'
    printf ' %q' "$@"
  else
    local command
    printf -v command '%q ' "$@"
    command=${command% }
    printf "su -c '%s'" "${command//\'/\'\\\'\'}"
  fi
  printf '\n'
}
