# Installs what the build, the tests and the panel need on Debian 12 (sourced).
rcp_packages=(
  cmake ninja-build g++ libgtest-dev libgmock-dev googletest
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools
  wine wine64 xvfb x11-utils xdotool imagemagick python3 procps
  clang-14 libfuzzer-14-dev libclang-rt-14-dev
)

rcp_install_missing() {
  local missing=()
  for p in "${rcp_packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "== installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q >/dev/null
    apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
  fi
}

# rcp_configure <tree> [cmake args...]
rcp_configure() {
  local tree="$1"; shift
  if [ ! -f "$tree/build.ninja" ]; then
    cmake -S "$RCP_ROOT" -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
  fi
}
