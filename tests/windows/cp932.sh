#!/usr/bin/env bash
# Code page 932 through Windows' conversion against the web build's exported table, every code:
# tests/windows/cp932_check.cpp cross-compiled with the Windows converter and run under Wine.
#   cp932.sh SOURCE_DIR TABLE_DIR WORK_DIR PREFIX     exit 0 pass, 1 fail, 77 skipped
set -u
src=$1; table=$2; work=$3; PREFIX=$4
cxx=x86_64-w64-mingw32-g++-posix
command -v $cxx >/dev/null || { echo "SKIPPED: $cxx is missing (scripts/setup-deps windows installs it)"; exit 77; }
. "$src/tests/windows/wine.sh"
mkdir -p "$work"
links=$work/include
mkdir -p "$links"
ln -sfn "$src/platform" "$links/platform"
$cxx -std=c++20 -O1 -static -Wall -Wextra -I"$links" -I"$table" "$src/tests/windows/cp932_check.cpp" \
  "$src/platform/files/windows/cp932_windows.cpp" -o "$work/cp932_check.exe" || { echo "FAIL: cross-compiling"; exit 1; }
wine_ready
wine "$work/cp932_check.exe" 2>"$work/wine.log"
status=$?
[ $status = 0 ] && echo PASS || { echo "FAIL: the conversions differ (status $status)"; exit 1; }
