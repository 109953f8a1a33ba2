#!/usr/bin/env bash
# The Windows programs' manifest (packaging/windows/quorbix.manifest): compiled with the resources
# of packaging/windows/quorbix.rc into a small program that reads it back under Wine and asks the
# system which DPI awareness it was given (tests/windows/manifest_check.c); then, where the package
# is there, the manifest embedded in its quorbix.exe and quorbix-gallery.exe.
#   manifest.sh SOURCE_DIR WORK_DIR PREFIX [ZIP]     exit 0 pass, 1 fail, 77 skipped
set -u
src=$1; work=$2; PREFIX=$3; zip=${4:-}
cc=x86_64-w64-mingw32-gcc-posix
windres=x86_64-w64-mingw32-windres
for tool in $cc $windres; do
  command -v $tool >/dev/null || { echo "SKIPPED: $tool is missing (scripts/setup-deps windows installs it)"; exit 77; }
done
. "$src/tests/windows/wine.sh"
rm -rf "$work"; mkdir -p "$work"
trap 'wine_stop' EXIT
(cd "$src/packaging/windows" && $windres quorbix.rc -O coff -o "$work/resources.o") ||
  { echo "FAIL: compiling the resources"; exit 1; }
$cc -municode -O1 -Wall -Wextra "$src/tests/windows/manifest_check.c" "$work/resources.o" -o "$work/manifest_check.exe" ||
  { echo "FAIL: cross-compiling"; exit 1; }
wine_ready
wine "$work/manifest_check.exe" 2>"$work/wine.log" || { echo "FAIL: the resources' manifest"; exit 1; }
if [ -n "$zip" ] && [ -f "$zip" ]; then
  mkdir -p "$work/pkg"
  (cd "$work/pkg" && cmake -E tar xf "$zip") || { echo "FAIL: the package does not unzip"; exit 1; }
  exes=$(find "$work/pkg" -maxdepth 2 -name '*.exe' | sort)
  [ -n "$exes" ] || { echo "FAIL: no programs in $zip"; exit 1; }
  wine "$work/manifest_check.exe" $exes 2>>"$work/wine.log" || { echo "FAIL: the package's programs"; exit 1; }
else
  echo "the package's programs not checked: no package (make windows makes it)"
fi
echo PASS
