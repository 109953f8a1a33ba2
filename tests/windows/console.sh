#!/usr/bin/env bash
# The Windows programs' text in a console under Wine: quorbix.exe and quorbix-gallery.exe, window
# programs, started from a console as the command prompt starts them (no console or standard
# handles of their own: tests/windows/console_launch.c), print --help, --version and a usage error
# there with the status they have on Linux; the text names no Linux path or package and no program
# the package lacks. They stay programs of the window subsystem, which a double-click starts
# without a console window; started so, with no console to attach to, they write to their log.
#   console.sh ZIP WORK_DIR PREFIX     exit 0 pass, 1 fail, 77 skipped
set -u
zip=$1; work=$2; PREFIX=$3
here=$(cd "$(dirname "$0")" && pwd)
[ -f "$zip" ] || { echo "SKIPPED: no Windows package $zip (make windows makes it)"; exit 77; }
for t in x86_64-w64-mingw32-gcc-posix x86_64-w64-mingw32-objdump script; do
  command -v $t >/dev/null || { echo "SKIPPED: $t is missing (scripts/setup-deps test installs it)"; exit 77; }
done
. "$here/wine.sh"
rm -rf "$work"; mkdir -p "$work/pkg"
trap 'wine_stop' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }
(cd "$work/pkg" && cmake -E tar xf "$zip") || { echo "FAIL: the package does not unzip"; exit 1; }
pkg=$(dirname "$(find "$work/pkg" -name quorbix.exe | head -1)")
x86_64-w64-mingw32-gcc-posix -municode -O2 "$here/console_launch.c" -o "$work/console_launch.exe" ||
  { echo "FAIL: the launcher does not build"; exit 1; }
wine_ready

# in_console PROGRAM ARGS...: the program's text in a console (a pseudo-terminal: the console Wine
# gives the launcher) without the terminal's control sequences; sets text and status.
in_console() {
  local cmd
  cmd=$(printf '%q ' wine "$work/console_launch.exe" "$@")
  text=$(script -qec "$cmd; echo \"status=\$?\"" /dev/null </dev/null 2>&1 |
    sed 's/\x1b\[[0-9;?]*[a-zA-Z]//g; s/\r//g')
  status=$(sed -n 's/^status=//p' <<<"$text" | tail -1)
}
for exe in quorbix quorbix-gallery; do
  x86_64-w64-mingw32-objdump -p "$pkg/$exe.exe" | grep -q 'Subsystem.*(Windows GUI)' ||
    fail "$exe.exe is not a program of the window subsystem: a double-click would open a console"
  in_console "$pkg/$exe.exe" --help
  [ "$status" = 0 ] || fail "$exe.exe --help: status $status"
  # The console shows a space as a move of the cursor, which the filter above removes.
  grep -q "^usage:$exe" <<<"${text// /}" || fail "$exe.exe --help printed no usage in the console: $text"
  grep -q -- "--version" <<<"$text" || fail "$exe.exe --help lists no options: $text"
  grep -qiE '/usr/|build/bin|apt-get|debian|setup-deps' <<<"$text" && fail "$exe.exe --help names a Linux path or package: $text"
  # The package holds no headless programs: the help must not send a player to one.
  if grep -qi headless <<<"$text" && ! ls "$pkg"/*headless*.exe >/dev/null 2>&1; then
    fail "$exe.exe --help names a headless program, which the package does not hold: $text"
  fi
  in_console "$pkg/$exe.exe" --version
  [ "$status" = 0 ] || fail "$exe.exe --version: status $status"
  grep -q "1\.0" <<<"$text" || fail "$exe.exe --version printed no version in the console: $text"
  in_console "$pkg/$exe.exe" --no-such-option
  [ "$status" = 2 ] || fail "$exe.exe --no-such-option: status $status, not 2"
  grep -q "no-such-option" <<<"$text" || fail "$exe.exe's usage error is not in the console: $text"
done
# Output redirected to a file stays there.
wine "$pkg/quorbix.exe" --version >"$work/version.txt" 2>/dev/null
grep -q "1\.0" "$work/version.txt" || fail "quorbix.exe --version redirected to a file wrote nothing there"

# Started with no console anywhere (as a double-click starts it), a program writes what it says to
# its log under %LOCALAPPDATA%: standard error and output both, each session after the last, the
# log put aside as quorbix.old.log once it is past 1 MiB.
local_data=$(wine cmd /c 'echo %LOCALAPPDATA%' 2>/dev/null | tr -d '\r')
logs=$(winepath -u "$local_data" 2>/dev/null)/quorbix
if [ -z "$local_data" ] || [ "$logs" = /quorbix ]; then
  fail "Wine does not say where %LOCALAPPDATA% is"
else
  rm -rf "$logs"
  detached() { wine "$work/console_launch.exe" --no-console "$pkg/quorbix.exe" "$@" >/dev/null 2>&1; status=$?; }
  detached --no-such-option
  [ "$status" = 2 ] || fail "quorbix.exe --no-such-option without a console: status $status, not 2"
  grep -q "no-such-option" "$logs/quorbix.log" 2>/dev/null || fail "the usage error is not in the log $logs/quorbix.log"
  detached --version
  grep -q "1\.0" "$logs/quorbix.log" 2>/dev/null || fail "--version's text is not in the log"
  sessions=$(grep -c '^--- quorbix, process [0-9]*, started 20' "$logs/quorbix.log" 2>/dev/null)
  [ "$sessions" = 2 ] || fail "the log holds $sessions sessions' first lines, not 2: $(cat "$logs/quorbix.log")"
  grep -q "no-such-option" "$logs/quorbix.log" || fail "the second session wrote over the first"
  # A log past 1 MiB.
  head -c 1100000 /dev/zero | tr '\0' 'x' >>"$logs/quorbix.log"
  detached --version
  [ "$(wc -c <"$logs/quorbix.old.log" 2>/dev/null)" -gt 1100000 ] 2>/dev/null ||
    fail "a log past 1 MiB was not put aside as quorbix.old.log"
  [ "$(grep -c '^--- quorbix' "$logs/quorbix.log" 2>/dev/null)" = 1 ] ||
    fail "the log after a full one does not begin afresh"
fi
[ $failed = 0 ] && echo PASS
exit $failed
