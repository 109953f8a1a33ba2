#!/usr/bin/env bash
# A pad read through the SDL backend, as a program reads it with elJoystick, on a private X server:
# keys-and-stick-pad (tests/programs/keys_and_stick/pad_main.cpp) plugs in a virtual pad of SDL's
# own, moves its left stick, face buttons and d-pad by a script of steps of ten frames, and ends
# itself; each frame of its trace must read the step's direction (the dead zone and the d-pad
# over the stick included) and buttons 1 to 4 as A, B, X, Y, and the square must move with the
# stick. "linux" runs the native program; "windows" runs it under Wine, built against the SDK of
# the package (tests/windows/programs.sh), through SDL's Windows build, the one the game links:
# Wine's own joystick driver sees no pad on machines without /dev/input, but SDL's virtual pad
# takes the same path from the pad's mapping to the query as a real one.
#   pads.sh linux NATIVE_BIN_DIR WORK_DIR
#   pads.sh windows ZIP SOURCE_DIR PROGRAMS_DIR WORK_DIR PREFIX      exit 0 pass, 1 fail, 77 skipped
set -u
mode=$1; shift
here=$(cd "$(dirname "$0")" && pwd)
pids=""; xpid=""
case $mode in
  linux) bin=$1; work=$2 ;;
  windows)
    zip=$1; source=$2; programs_dir=$3; work=$4; PREFIX=$5
    [ -f "$zip" ] || { echo "SKIPPED: no Windows package $zip (make windows makes it)"; exit 77; }
    command -v x86_64-w64-mingw32-g++-posix >/dev/null ||
      { echo "SKIPPED: MinGW-w64 is missing (scripts/setup-deps windows installs it)"; exit 77; }
    . "$here/wine.sh"
    . "$here/programs.sh" ;;
  *) echo "pads.sh linux|windows ..."; exit 2 ;;
esac
for t in Xvfb xdotool; do
  command -v $t >/dev/null || { echo "SKIPPED: $t is missing (scripts/setup-deps test installs it)"; exit 77; }
done
. "$here/../framework/host/session_steps.sh"
fail() {
  echo "FAIL: $*"
  for f in "$work"/*.log; do [ -s "$f" ] && { echo "$f:"; sed 's/^/  /' "$f"; }; done
  exit 1
}
rm -rf "$work"; mkdir -p "$work"
trap 'for p in $pids; do kill $p 2>/dev/null; done; [ $mode = windows ] && wine_stop; [ -n "$xpid" ] && kill $xpid 2>/dev/null' EXIT

if [ $mode = windows ]; then
  windows_programs "$zip" "$source" "$programs_dir"
  wine_ready
  wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
  # Beside the package's programs, where its fonts are.
  wine_unpack "$zip" "ゲーム パッド"
  cp "$PROGRAMS/keys-and-stick-pad.exe" "$FOLDER/"
fi
x_server
start=$SECONDS
if [ $mode = linux ]; then
  SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy "$bin/keys-and-stick-pad" --scale 1 --trace "$work/trace.jsonl" \
    >"$work/pad.log" 2>&1 & ppid=$!
else
  SDL_AUDIODRIVER=dummy wine 'C:\ゲーム パッド\keys-and-stick-pad.exe' --scale 1 --trace "Z:${work//\//\\}\\trace.jsonl" \
    >"$work/pad.log" 2>&1 & ppid=$!
fi
pids="$pids $ppid"
for i in $(seq 1200); do kill -0 $ppid 2>/dev/null || break; sleep 0.1; done
kill -0 $ppid 2>/dev/null && fail "the program did not end by itself within 120 s"
status=0; wait $ppid || status=$?
[ $status = 0 ] || fail "the program ended with status $status"
[ -s "$work/trace.jsonl" ] || fail "no trace"
grep -m1 '^keys-and-stick-pad: SDL' "$work/pad.log" | tr -d '\r'

# Each step: the direction and the buttons every frame of it reads; how the square moves over it
# (+ grows, - shrinks, 0 stays) in x and y.
#   step  stick    buttons  moves
expected='0 0,0 0 0,0
1 1,0 0 +,0
2 -1,-1 1 -,-
3 0,0 14 0,0
4 0,1 0 0,+
5 0,0 0 0,0
6 0,-1 0 0,-'
report=$(tr -d '\r' <"$work/trace.jsonl" | awk -v expected="$expected" '
  function field(line, key,   i, s) {
    i = index(line, "\"" key "\":"); if (i == 0) return "none"
    s = substr(line, i + length(key) + 3)
    if (substr(s, 1, 1) == "[") return substr(s, 2, index(s, "]") - 2)
    match(s, /^-?[0-9]+/); return substr(s, 1, RLENGTH)
  }
  BEGIN {
    n = split(expected, rows, "\n")
    for (r = 1; r <= n; ++r) { split(rows[r], c, " "); stick[c[1]] = c[2]; buttons[c[1]] = c[3]; moves[c[1]] = c[4] }
    steps = n; bad = 0
  }
  field($0, "ran") == 1 && field($0, "pad_step") != "none" {
    s = field($0, "pad_step") + 0; ++frames[s]
    got = field($0, "stick") " " field($0, "buttons")
    if (got != stick[s] " " buttons[s] && bad < 5) {
      printf "frame %s, step %d: stick and buttons %s, not %s\n", field($0, "frame"), s, got, stick[s] " " buttons[s]; ++bad
    }
    x[s] = field($0, "x") + 0; y[s] = field($0, "y") + 0
  }
  function way(a, b) { return b > a ? "+" : b < a ? "-" : "0" }
  END {
    for (s = 0; s < steps; ++s) {
      if (frames[s] < 5) { printf "step %d: %d frames run, not 10\n", s, frames[s]; ++bad; continue }
      if (s > 0 && way(x[s - 1], x[s]) "," way(y[s - 1], y[s]) != moves[s]) {
        printf "step %d: the square moved %s, not %s (%d,%d to %d,%d)\n", s, way(x[s - 1], x[s]) "," way(y[s - 1], y[s]),
          moves[s], x[s - 1], y[s - 1], x[s], y[s]; ++bad
      }
    }
    if (bad == 0) printf "ok: %d steps as scripted, the square from 220,160 to %d,%d\n", steps, x[steps - 1], y[steps - 1]
  }')
echo "$report"
case $report in ok:*) ;; *) fail "the pad did not read as scripted (trace: $work/trace.jsonl)" ;; esac
echo "PASS ($mode, $((SECONDS - start)) s)"
