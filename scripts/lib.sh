# Shared by the run and test scripts: installs what the build needs from
# Debian's packages, then configures and builds with a CMake preset.

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Installs the named Debian packages that are not installed yet.
ensure_packages() {
  local missing=() package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
      missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local as_root=()
  [ "$(id -u)" -eq 0 ] || as_root=(sudo)
  echo "Installing ${missing[*]}" >&2
  "${as_root[@]}" apt-get update -qq >&2 &&
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
      "${missing[@]}" >&2
}

# The build, and a CJK font so that the windows show the Chinese texts.
build_packages=(cmake ninja-build g++ qt6-base-dev libgtest-dev util-linux libxcb1-dev
  fonts-wqy-zenhei)
# For the window tests: a private X server, xdotool to type into it, xclip
# to read back what was typed; strace to slow the store down for the runs
# killed in the middle of it.
test_packages=(xvfb xdotool xclip strace procps)

# Configures and builds the preset named $1.
build_preset() {
  ensure_packages "${build_packages[@]}" || return
  (cd "$top" && cmake --preset "$1" >/dev/null && cmake --build --preset "$1")
}
