#!/usr/bin/env bash
# Shared set-up for run.sh and test.sh: install the Debian packages the build needs
# (only the missing ones), then configure a build folder.
#   tools/setup.sh install            install missing packages
#   tools/setup.sh check-format       fail when a C++ file is not clang-formatted
#   tools/setup.sh configure DIR ARGS configure DIR with extra CMake arguments
#   tools/setup.sh configure-main     configure build/, the folder run.sh and test.sh share
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ pkg-config clang-format ccache clang libclang-rt-14-dev
  qt6-base-dev libqt6opengl6-dev qt6-charts-dev
  libglu1-mesa-dev libgl-dev libegl-dev libgl1-mesa-dri
  xvfb xauth x11-utils imagemagick openbox
  libgtest-dev libgmock-dev libbenchmark-dev
  libmuparser-dev liblua5.4-dev libtinyxml2-dev
  liburdfdom-dev liborocos-kdl-dev libkdl-parser-dev admesh libassimp-dev
  nlohmann-json3-dev
  lintian desktop-file-utils appstream
)

install_missing() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$p")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing missing packages: ${missing[*]}"
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Need root or sudo to install: ${missing[*]}" >&2; exit 1; }
    sudo=(sudo)
  fi
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

configure() {
  local dir=$1; shift
  local launcher=()
  # A compiler cache, where one is installed, lets several build folders share their objects.
  # The program and the window tests precompile their Qt headers: the cache keeps those objects
  # only when told to trust the precompiled header's macros and the header's fresh time stamps.
  local cache="env;CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime;ccache"
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER="$cache" -DCMAKE_C_COMPILER_LAUNCHER="$cache")
  cmake -S . -B "$dir" -G Ninja "${launcher[@]}" "$@"
}

# Every C++ file git knows must be as clang-format writes it with the repository's style.
check_format() {
  local bad=()
  while IFS= read -r f; do
    [ -f "$f" ] || continue
    clang-format --dry-run -Werror "$f" >/dev/null 2>&1 || bad+=("$f")
  done < <(git ls-files -co --exclude-standard -- '*.cpp' '*.h')
  if [ ${#bad[@]} -gt 0 ]; then
    echo "These files are not formatted (run: clang-format -i FILE):" >&2
    printf '  %s\n' "${bad[@]}" >&2
    return 1
  fi
}

# build/ is optimised as the program ships (-O2) but carries no debug information: a build from
# nothing takes a fifth less time. To debug, configure a folder of your own with
# -DCMAKE_BUILD_TYPE=RelWithDebInfo.
configure_main() {
  configure build -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG"
}

case "${1:-}" in
  install) install_missing ;;
  check-format) check_format ;;
  configure) shift; configure "$@" ;;
  configure-main) configure_main ;;
  *) echo "usage: tools/setup.sh install | check-format | configure DIR [cmake args] | configure-main" >&2
     exit 2 ;;
esac
