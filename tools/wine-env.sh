# Shared set-up for running Windows programs under Wine (sourced).
#
# rcp_wine_setup <path inside a build tree>
#   exports WINEPREFIX (<build tree>/wineprefix unless RCP_WINEPREFIX is set),
#   WINEARCH, WINEDEBUG, WINEDLLOVERRIDES, LANG (C.UTF-8 unless RCP_WINE_LANG
#   names another locale) and DISPLAY; makes the prefix
#   once; starts one persistent wineserver and, without a display, an Xvfb.
#   Where 32-bit programs cannot run, `wine` is the 64-bit loader alone
#   (RCP_WINE32=0, the reason in RCP_WINE32_WHY); otherwise RCP_WINE32=1.

# rcp_wine_loader: sets RCP_WINE32 (1 when 32-bit programs run, else 0) and
# RCP_WINE32_WHY. Debian's `wine` starts the 32-bit loader whenever wine32 is
# installed, and that loader cannot start at all where the kernel has 32-bit
# emulation switched off. There a `wine` of our own, first in PATH, starts the
# 64-bit loader: every 64-bit program still runs, 32-bit ones do not. Without
# wine32 Debian's `wine` runs the 64-bit loader itself.
rcp_wine_loader() {
  [ -n "${RCP_WINE32:-}" ] && return 0
  export RCP_WINE32=1 RCP_WINE32_WHY=""
  if ! [ -e "${RCP_WINE32_LOADER:-/usr/lib/wine/wine}" ]; then
    RCP_WINE32=0
    RCP_WINE32_WHY="$(cat "${RCP_SETUP_STATE:-/var/lib/rcp-setup}/wine32-missing" 2>/dev/null ||
                      echo "32-bit Wine (wine32:i386) is not installed")"
    return 0
  fi
  if [ -e /lib/ld-linux.so.2 ] && ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    RCP_WINE32=0
    RCP_WINE32_WHY="this host's kernel runs no 32-bit programs"
    local bin="${TMPDIR:-/tmp}/rcp-wine64-only"
    mkdir -p "$bin"
    for name in wine wine-stable; do
      printf '#!/bin/sh\nexport WINELOADER=/usr/lib/wine/wine64\nexec /usr/lib/wine/wine64 "$@"\n' >"$bin/$name.$$"
      chmod +x "$bin/$name.$$"
      mv -f "$bin/$name.$$" "$bin/$name"
    done
    export PATH="$bin:$PATH"
  fi
}

rcp_find_build_tree() {
  local dir
  dir="$(cd "$(dirname "$1")" 2>/dev/null && pwd)" || return 1
  while [ "$dir" != "/" ]; do
    if [ -f "$dir/CMakeCache.txt" ]; then echo "$dir"; return 0; fi
    dir="$(dirname "$dir")"
  done
  return 1
}

rcp_wine_setup() {
  local tree
  rcp_wine_loader
  if [ -n "${RCP_WINEPREFIX:-}" ]; then
    export WINEPREFIX="$RCP_WINEPREFIX"
  else
    tree="$(rcp_find_build_tree "$1")" || tree="${TMPDIR:-/tmp}/rcp-wine"
    export WINEPREFIX="$tree/wineprefix"
  fi
  export WINEARCH=win64
  export WINEDEBUG="${WINEDEBUG:--all,+debugstr,err+module,err+winediag}"
  export WINEDLLOVERRIDES="mscoree,mshtml=;winhlp32.exe=d"
  # Pinned: the Unix locale is Wine's. The screenshots ask for Portuguese.
  export LANG="${RCP_WINE_LANG:-C.UTF-8}" LC_ALL="${RCP_WINE_LANG:-C.UTF-8}"

  if [ -z "${DISPLAY:-}" ]; then
    export DISPLAY=":${RCP_XVFB_DISPLAY:-87}"
    local n="${DISPLAY#:}"
    (
      flock 8
      if ! [ -e "/tmp/.X11-unix/X$n" ] || ! xdpyinfo -display "$DISPLAY" >/dev/null 2>&1; then
        rm -f "/tmp/.X$n-lock" "/tmp/.X11-unix/X$n"
        # The server outlives this block: it must not inherit (and so keep) the lock.
        nohup Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 </dev/null 8>&- &
        for _ in $(seq 1 50); do
          xdpyinfo -display "$DISPLAY" >/dev/null 2>&1 && break
          sleep 0.1
        done
      fi
    ) 8>"/tmp/rcp-xvfb-$n.start-lock"
  fi

  mkdir -p "$WINEPREFIX"
  (
    flock 9
    # A prefix made before 32-bit Wine was installed cannot start any program
    # once the 32-bit loader is there: make it again.
    if [ -f "$WINEPREFIX/.rcp-ready" ] && [ "$RCP_WINE32" = 1 ] &&
       [ -z "$(ls -A "$WINEPREFIX/drive_c/windows/syswow64" 2>/dev/null)" ]; then
      wineserver -k 9>&- 2>/dev/null || true
      rm -rf "$WINEPREFIX"
      mkdir -p "$WINEPREFIX"
    fi
    if [ ! -f "$WINEPREFIX/.rcp-ready" ]; then
      # Wine's server and services outlive these commands: none may keep the lock.
      wineboot -i >/dev/null 2>&1 </dev/null 9>&-
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null 9>&-
      wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 </dev/null 9>&-
      wineserver -w 9>&-
      touch "$WINEPREFIX/.rcp-ready"
    fi
    # One server for all runs: a small program then starts in a fraction of a second.
    # (It answers 2 when the server is already there, which is just as good.)
    wineserver -p >/dev/null 2>&1 </dev/null 9>&- || true
  ) 9>"$WINEPREFIX.setup-lock"
}
