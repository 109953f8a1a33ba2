#!/usr/bin/env bash
# The Windows file calls under Wine: tests/windows/files_check.cpp cross-compiled with
# platform/files/windows and run in a folder named "ゲーム フォルダ" (spaces and Japanese).
#   files.sh SOURCE_DIR WORK_DIR PREFIX     exit 0 pass, 1 fail, 77 skipped
set -u
src=$1; work=$2; PREFIX=$3
cxx=x86_64-w64-mingw32-g++-posix
command -v $cxx >/dev/null || { echo "SKIPPED: $cxx is missing (scripts/setup-deps windows installs it)"; exit 77; }
. "$src/tests/windows/wine.sh"
rm -rf "$work"; mkdir -p "$work/include" "$work/ゲーム フォルダ"
ln -sfn "$src/platform" "$work/include/platform"
$cxx -std=c++20 -O1 -static -Wall -Wextra -I"$work/include" "$src/tests/windows/files_check.cpp" \
  "$src"/platform/files/windows/{os,wide,output_file_system}.cpp "$src"/platform/files/output_file.cpp \
  "$src"/platform/window/input_script.cpp \
  -lshell32 -lole32 -luuid -o "$work/files_check.exe" ||
  { echo "FAIL: cross-compiling"; exit 1; }
wine_ready
# The work folder as Wine names it (its Z: drive is the Linux root).
# Then two words a Western code page cannot both hold, and bytes text mode would change on its
# standard input.
printf '1 close\032\r\nrest\n' | wine "$work/files_check.exe" "Z:${work//\//\\}" café ゲーム 2>"$work/wine.log"
status=$?
[ $status = 0 ] && echo PASS || { echo "FAIL: status $status"; exit 1; }
