#!/usr/bin/env bash
# The Windows programs' resources (packaging/windows/quorbix.rc) compiled into a small program
# that looks for its manifest under Wine (tests/windows/manifest_check.c).
#   manifest.sh SOURCE_DIR WORK_DIR PREFIX     exit 0 pass, 1 fail, 77 skipped
set -u
src=$1; work=$2; PREFIX=$3
cc=x86_64-w64-mingw32-gcc-posix
windres=x86_64-w64-mingw32-windres
for tool in $cc $windres; do
  command -v $tool >/dev/null || { echo "SKIPPED: $tool is missing (scripts/setup-deps windows installs it)"; exit 77; }
done
. "$src/tests/windows/wine.sh"
rm -rf "$work"; mkdir -p "$work"
(cd "$src/packaging/windows" && $windres quorbix.rc -O coff -o "$work/resources.o") ||
  { echo "FAIL: compiling the resources"; exit 1; }
$cc -O1 -Wall -Wextra "$src/tests/windows/manifest_check.c" "$work/resources.o" -o "$work/manifest_check.exe" ||
  { echo "FAIL: cross-compiling"; exit 1; }
wine_ready
wine "$work/manifest_check.exe" 2>"$work/wine.log"
status=$?
[ $status = 0 ] && echo PASS || { echo "FAIL: status $status"; exit 1; }
