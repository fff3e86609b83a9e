# Installs what the build, the tests and the panel need on Debian 12 (sourced).
rcp_packages=(
  cmake ninja-build g++ libgtest-dev libgmock-dev googletest
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools
  wine wine64 xvfb x11-utils xdotool imagemagick python3 procps
  clang-14 libfuzzer-14-dev libclang-rt-14-dev
  # The installer: NSIS builds a 32-bit setup.exe, whose uninstaller loads the
  # i686 rcpclean.dll; both run only with Debian's 32-bit Wine beside wine64.
  nsis wine32:i386
  # The user's guide, Markdown rendered to HTML at build time.
  python3-markdown
)

rcp_install_missing() {
  local missing=() stale=0
  # wine32 comes from the i386 architecture; its package lists need an update once.
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    stale=1
  fi
  for p in "${rcp_packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ] || [ "$stale" = 1 ]; then
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

# rcp_windows_tree <tree> <program run under Wine> <target>...
# A 64-bit Windows tree ready for a script that runs its programs: packages
# installed, the tree configured, the targets built, the Wine prefix made.
rcp_windows_tree() {
  local tree="$1" program="$2"; shift 2
  rcp_install_missing
  rcp_configure "$tree" -DCMAKE_TOOLCHAIN_FILE="$RCP_ROOT/cmake/toolchain-mingw64.cmake"
  cmake --build "$tree" --target "$@" -j "$(nproc)" >/dev/null
  source "$RCP_ROOT/tools/wine-env.sh"
  rcp_wine_setup "$program"
}

# rcp_check_wow64 <build tree>
# The tree's Wine prefix must run 32-bit programs (the installer and its
# uninstaller) beside the 64-bit ones. A prefix made before wine32 was
# installed has an empty 32-bit system folder: it is made anew, once.
# Where the kernel runs no 32-bit programs at all, there is nothing to make:
# the tests that need them are skipped (they say so).
rcp_check_wow64() {
  local tree="$1" probe=/usr/lib/i386-linux-gnu/wine/i386-windows/hostname.exe
  [ -f "$probe" ] || { echo "32-bit Wine (wine32:i386) is missing" >&2; return 1; }
  (
    source "$RCP_ROOT/tools/wine-env.sh"
    rcp_wine_loader
    if [ "$RCP_WINE32" = 0 ]; then
      echo "== WoW64: this host's kernel runs no 32-bit programs; the installer tests will be skipped"
      return 0
    fi
    rcp_wine_setup "$tree/CMakeCache.txt"
    if [ -z "$(ls -A "$WINEPREFIX/drive_c/windows/syswow64" 2>/dev/null)" ]; then
      echo "== making $WINEPREFIX anew with 32-bit Windows beside 64-bit"
      wineserver -k 2>/dev/null || true
      rm -rf "$WINEPREFIX"
      rcp_wine_setup "$tree/CMakeCache.txt"
    fi
    # hostname.exe is a 32-bit program: it prints the host's name.
    local out
    out="$(mktemp)"
    timeout 120 wine "$probe" >"$out" 2>/dev/null </dev/null || true
    if [ -s "$out" ]; then
      echo "== WoW64: $WINEPREFIX runs 32-bit programs"
    else
      echo "== WoW64: $WINEPREFIX does not run 32-bit programs" >&2
    fi
    [ -s "$out" ]; local ok=$?
    rm -f "$out"
    return $ok
  )
}
