#!/usr/bin/env bash
# The best-score example keeps its best score across restarts on Windows: built as a window
# program against the Windows package's SDK (tests/windows/best_score/, with the SDK's toolchain
# file and quorbix_add_windows_zip), unzipped into a folder of its own and run twice under Wine and
# a private X server, each run a replayed session to its close. The first scores 2 in its round
# and saves it in %APPDATA%\best-score\; the second starts with that best score loaded, and a
# third after the file was damaged starts from nothing, says so, and saves its own.
#   saved_data.sh SOURCE_DIR ZIP WORK_DIR PREFIX      exit 0 pass, 1 fail, 77 skipped
set -u
src=$1; zip=$2; work=$3; PREFIX=$4
here=$(cd "$(dirname "$0")" && pwd)
[ -f "$zip" ] || { echo "SKIPPED: no Windows package $zip (make windows makes it)"; exit 77; }
for t in x86_64-w64-mingw32-g++-posix Xvfb xdotool; do
  command -v $t >/dev/null || { echo "SKIPPED: $t is missing (scripts/setup-deps test installs it)"; exit 77; }
done
. "$here/wine.sh"
. "$here/../framework/host/session_steps.sh"
rm -rf "$work"; mkdir -p "$work/package"
pids=""; xpid=""
trap 'for p in $pids; do kill $p 2>/dev/null; done; wine_stop; [ -n "$xpid" ] && kill $xpid 2>/dev/null' EXIT
fail() { echo "FAIL: $*"; exit 1; }

(cd "$work/package" && cmake -E tar xf "$zip") || fail "the package does not unzip"
[ -f "$work/package/sdk/cmake/mingw-w64-x86_64.cmake" ] || fail "the package's SDK has no cmake/mingw-w64-x86_64.cmake"
cmake -S "$here/best_score" -B "$work/build" -G Ninja -DSOURCE="$src" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$work/package/sdk/cmake/mingw-w64-x86_64.cmake" >"$work/build.log" 2>&1 &&
  cmake --build "$work/build" >>"$work/build.log" 2>&1 || { sed 's/^/  /' "$work/build.log"; fail "building best-score"; }

wine_ready
wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
x_server
folder="$PREFIX/drive_c/best score"
rm -rf "$folder"; mkdir -p "$folder"
(cd "$folder" && cmake -E tar xf "$work/build/best-score-windows.zip") || fail "best-score-windows.zip does not unzip"
# The user's folder for the program's data, as Wine's %APPDATA% names it, emptied first.
appdata=$(WINEDEBUG=-all wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')
case $appdata in [A-Za-z]:\\*) ;; *) fail "Wine's %APPDATA% is '$appdata'" ;; esac
data=$(winepath -u "$appdata" 2>/dev/null)/best-score
[ -n "$data" ] && [ "$data" != /best-score ] || fail "%APPDATA% ($appdata) has no Linux path"
rm -rf "$data"
win_path() { echo "Z:${1//\//\\}"; }

# run NAME CLICKS: a round with CLICKS clicks (frames 3, 6, ...), closed after it ends (110
# frames of 50 ms); FIRST_BEST and LAST_BEST the best score of the trace's first and last frames.
run() {
  local name=$1 count=$2 i script=""
  for i in $(seq "$count"); do script+="$((i * 3)) ldown"$'\n'"$((i * 3)) lup"$'\n'; done
  printf '%s110 close\n' "$script" >"$work/$name.txt"
  SDL_AUDIODRIVER=dummy timeout 120 wine 'C:\best score\best-score.exe' --replay "$(win_path "$work/$name.txt")" \
    --trace "$(win_path "$work/$name.jsonl")" >"$work/$name.log" 2>&1 ||
    { sed 's/^/  /' "$work/$name.log"; fail "the $name run ended with an error"; }
  [ -f "$work/$name.jsonl" ] || { sed 's/^/  /' "$work/$name.log"; fail "the $name run wrote no trace"; }
  FIRST_BEST=$(grep '"frame"' "$work/$name.jsonl" | head -1 | sed -n 's/.*"best":\([0-9]*\).*/\1/p')
  LAST_BEST=$(grep '"frame"' "$work/$name.jsonl" | tail -1 | sed -n 's/.*"best":\([0-9]*\).*/\1/p')
}
expect() { [ "$2" = "$3" ] || fail "$1: expected $3, got '$2'"; }

run first 2
expect "the first run's best at start" "$FIRST_BEST" 0
expect "the first run's best at its end" "$LAST_BEST" 2
[ -f "$data/best-score.dat" ] || fail "the first run saved nothing in $appdata\\best-score"
run second 0
expect "the second run's best, loaded" "$FIRST_BEST" 2
expect "the second run's best at its end" "$LAST_BEST" 2
# A damaged file (the score's byte changed, its checksum not) is refused with a message; the run
# goes on from nothing and saves its own best over it.
printf '\x07' | dd of="$data/best-score.dat" bs=1 seek=16 conv=notrunc 2>/dev/null
run damaged 1
expect "the best after a damaged file" "$FIRST_BEST" 0
grep -q "best-score.dat' is not used: it is damaged" "$work/damaged.log" ||
  fail "the damaged file was not said: $(cat "$work/damaged.log")"
expect "the damaged run's best at its end" "$LAST_BEST" 1
rm -rf "$folder" "$data"
echo "PASS (the best score kept in $appdata\\best-score across runs under Wine)"
