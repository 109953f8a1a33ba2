#!/usr/bin/env bash
# The headless GoogleTest programs of the arm64 build run under qemu-aarch64, one process each
# (a process a case would cost a second of emulator start-up per case), each with the filter
# tests/arm64/README.md gives it (the part of the whole that runs in a minute or two there).
#   unit.sh ARM64_BIN_DIR WORK_DIR        exit 0 pass, 1 fail, 77 skipped
set -u
ARM64_BIN=$1; work=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/qemu.sh"
arm64_check quorbix-tests quorbix-program-tests
rm -rf "$work"; mkdir -p "$work"; cd "$work"
failed=0
for program in quorbix-tests quorbix-program-tests; do
  start=$SECONDS
  filter=$(sed -n "s/^    $program: //p" "$here/README.md")
  [ -n "$filter" ] || { echo "FAIL: tests/arm64/README.md gives no filter for $program"; exit 1; }
  arm64_run "$program" --gtest_brief=1 --gtest_filter="$filter" >"$work/$program.log" 2>&1 || failed=1
  echo "$program under qemu: $((SECONDS - start)) s: $(grep -E "^\[  (PASSED|FAILED)  \]" "$work/$program.log" | head -2 | paste -sd" " -)"
done
[ "$failed" = 0 ] || { grep -B5 '^\[  FAILED  \]' "$work"/*.log | head -80; exit 1; }
echo PASS
