#!/usr/bin/env bash
# Makes setup.exe from the two Windows build trees:
#
#   installer/build.sh <win64 tree> <win32 tree> <output folder>
#
# The 64-bit tree gives the 64-bit program and the guide, the 32-bit tree the
# 32-bit program and the 32-bit rcpclean.dll that the (32-bit) uninstaller
# loads. Before packing it checks that both programs carry their version
# resource, icon and manifest; afterwards it prints the sizes and fails when a
# program passes its limit (800 KB).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"
[ $# -eq 3 ] || { echo "usage: $0 <win64 tree> <win32 tree> <output folder>" >&2; exit 2; }
win64="$(cd "$1" && pwd)/dist"
win32="$(cd "$2" && pwd)/dist"
mkdir -p "$3"
out="$(cd "$3" && pwd)"
limit=$((800 * 1024))

for f in "$win64/rcpanel.exe" "$win32/rcpanel.exe" "$win32/rcpclean.dll" "$win64/guia.html" \
         "$win64/rcpweb.exe" "$win32/rcpweb.exe"; do
  [ -f "$f" ] || { echo "missing: $f (build both Windows trees first)" >&2; exit 1; }
done

# resources <program> <triplet>: the version resource, the application icon
# (group 101) and the manifest's three promises.
check_resources() {
  local exe="$1" triplet="$2" rc
  rc="$(mktemp)"
  "$triplet-windres" -i "$exe" -O rc -o "$rc"
  local problems=()
  grep -q '^1 VERSIONINFO' "$rc" || problems+=("no version resource")
  grep -q '^101 14 ' "$rc" || problems+=("no application icon")
  grep -q '^1 24 ' "$rc" || problems+=("no manifest")
  grep -aq 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' "$exe" || problems+=("manifest without common controls 6")
  grep -aq 'level="asInvoker"' "$exe" || problems+=("manifest without asInvoker")
  grep -aq '<dpiAware[^>]*>true</dpiAware>' "$exe" || problems+=("manifest without DPI awareness")
  rm -f "$rc"
  if [ ${#problems[@]} -gt 0 ]; then
    printf '%s: %s\n' "$exe" "${problems[@]}" >&2
    return 1
  fi
}
check_resources "$win64/rcpanel.exe" x86_64-w64-mingw32
check_resources "$win32/rcpanel.exe" i686-w64-mingw32

# The version shown in the list of installed programs is the program's own
# "ProductVersion" text.
rc="$(mktemp)"
x86_64-w64-mingw32-windres -i "$win64/rcpanel.exe" -O rc -o "$rc"
version="$(sed -n 's/^ *VALUE "ProductVersion", "\([^"]*\)".*/\1/p' "$rc" | head -1)"
rm -f "$rc"
[ -n "$version" ] || { echo "rcpanel.exe has no ProductVersion" >&2; exit 1; }

log="$out/makensis.log"
if ! makensis -V2 -INPUTCHARSET UTF8 -NOCD \
    "-DDIST64=$win64" "-DDIST32=$win32" "-DGUIDE=$win64/guia.html" \
    "-DICON=$root/res/app.ico" "-DVERSION=$version" "-DOUTFILE=$out/setup.exe" \
    "$here/rcpanel.nsi" >"$log" 2>&1; then
  cat "$log" >&2
  echo "makensis failed" >&2
  exit 1
fi

status=0
size() {
  local label="$1" file="$2" bytes
  bytes="$(stat -c %s "$file")"
  printf 'size: %-26s %9d bytes (%d KB)\n' "$label" "$bytes" $(((bytes + 1023) / 1024))
  if [ "$label" != "${label#rcpanel.exe}" ] && [ "$bytes" -gt "$limit" ]; then
    echo "$label is over its limit of $limit bytes" >&2
    status=1
  fi
}
echo "== release $version: $out/setup.exe"
size "rcpanel.exe (64-bit)" "$win64/rcpanel.exe"
size "rcpanel.exe (32-bit)" "$win32/rcpanel.exe"
size "rcpclean.dll (32-bit)" "$win32/rcpclean.dll"
size "setup.exe" "$out/setup.exe"
exit $status
