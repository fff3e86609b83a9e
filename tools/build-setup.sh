#!/usr/bin/env bash
# Builds setup.exe alone, without the tests: the product of the 64-bit and
# the 32-bit Windows trees (the panel, rcpctl, the 32-bit rcpclean.dll the
# uninstaller carries, rcpweb, the guide), then installer/build.sh. Installs only what
# that needs on Debian 12: no Wine, no test tools.
#
#   tools/build-setup.sh        writes build/installer/setup.exe
set -euo pipefail
RCP_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$RCP_ROOT"
source tools/setup.sh
# rcpweb.exe (the optional "Painel no navegador") needs the JSON library and
# the HTTP library's header from Debian's source package.
# The host compiler stays in the list: the 64-bit tree finds it once, when it
# is configured, for the parallel-port bridge that tools/run.sh builds later.
rcp_run_packages=(
  cmake ninja-build g++ g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools
  nsis python3 python3-markdown dpkg-dev nlohmann-json3-dev
)
rcp_install_missing run
rcp_fetch_web_deps

# Configured as the other commands configure them, so that they go on in the
# same trees without starting again.
testing=OFF
[ -d /usr/src/googletest ] && testing=ON
rcp_configure build/win64 -DCMAKE_TOOLCHAIN_FILE="$RCP_ROOT/cmake/toolchain-mingw64.cmake" -DBUILD_TESTING=$testing
rcp_configure build/win32 -DCMAKE_TOOLCHAIN_FILE="$RCP_ROOT/cmake/toolchain-mingw32.cmake" \
  -DBUILD_TESTING=OFF
echo "== building the product, 64-bit and 32-bit"
cmake --build build/win64 --target rcpanel rcpctl rcpweb rcp_guide -j "$(nproc)"
cmake --build build/win32 --target rcpanel rcpctl rcpweb rcpclean -j "$(nproc)"
echo "== making setup.exe"
bash installer/build.sh build/win64 build/win32 build/installer
