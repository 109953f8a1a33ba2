#!/usr/bin/env bash
# Records a session of a program in its SDL window under a private X server, then replays it in
# the window and headless, every frame checked against the recording (the scene, the program's
# fields and the picture):
#   keys-and-stick: arrow keys held (IsKeyDown), the space bar pressed (GetKey), a virtual
#                   joystick moving with the wall clock
#   newgame:        the template of a new game: clicks on its ball, the space bar holding it
# A copy of the recording without its key events must fail the check: the keys are what moves
# the square. Last, the host's --fullscreen: the program starts covering the screen.
#   replay_keys.sh BIN_DIR WORK_DIR      exit 0 pass, 1 fail, 77 skipped (no X server)
set -u
bin=$1; work=$2
. "$(dirname "$0")/session_steps.sh"
begin_window_test
# Starts program $1 with the rest as its options, waits for its window titled $title: $win, $ppid.
start() { local program=$1; shift; start_window "$title" "$work/$program.log" "$bin/$program" "$@"; }
hold() { xdotool keydown "$1"; sleep "$2"; xdotool keyup "$1"; sleep 0.2; }
click() { xdotool mousemove --window "$win" "$1" "$2"; sleep 0.05; xdotool click 1; sleep 0.1; }
# Escape ends the program; its status must be 0.
finish() {
  xdotool key Escape 2>/dev/null || xdotool key --window "$win" Escape
  wait_end "$1"
}
wait_end() {
  for i in $(seq 600); do kill -0 $ppid 2>/dev/null || break; sleep 0.1; done
  kill -0 $ppid 2>/dev/null && fail "$1 did not end"
  local rc=0
  wait $ppid || rc=$?
  [ $rc -eq 0 ] || { sed 's/^/  /' "$work/$1.log"; fail "$1 ended with status $rc"; }
}
# The recording replayed in the window (it ends by itself, on the recorded Escape) and headless.
replays() {
  local program=$1 session=$2
  start "$program" --replay "$session"
  wait_end "$program"
  grep -q "replay: [1-9][0-9]* frames as recorded" "$work/$program.log" ||
    { sed 's/^/  /' "$work/$program.log"; fail "$program's replay in the window differs from the recording"; }
  "$bin/$program-headless" --check "$session" 2>"$work/$program-headless.log" ||
    { sed 's/^/  /' "$work/$program-headless.log"; fail "$program's headless replay differs from the recording"; }
  grep -q "replay: [1-9][0-9]* frames as recorded" "$work/$program-headless.log" || fail "no frame of $program was checked headless"
  echo "$program: $(grep -o 'replay: .*' "$work/$program.log") in the window; $(grep -o '[0-9]* frames as recorded' "$work/$program-headless.log") headless"
}

title="Keys and stick"
QRB_VIRTUAL_STICK=1 start keys-and-stick --scale 1 --record "$work/keys.txt"
hold Right 1.2
hold Down 0.6
xdotool key space; sleep 0.3; xdotool key space; sleep 0.3
hold Left 0.5
sleep 2.5                 # the joystick alone
finish keys-and-stick
grep -q '^[0-9]* key 39$' "$work/keys.txt" || fail "the recording holds no Right arrow"
grep -q '^[0-9]* joy 0 ' "$work/keys.txt" || fail "the recording holds no joystick reading"
replays keys-and-stick "$work/keys.txt"
# Without its keys the replay cannot be the session: the check must say so.
grep -vE '^[0-9]+ key(up)? (37|38|39|40)$' "$work/keys.txt" >"$work/no-keys.txt"
if "$bin/keys-and-stick-headless" --check "$work/no-keys.txt" 2>"$work/no-keys.log"; then
  fail "a replay without the arrow keys passed the check"
fi
grep -q "frames differ from the recording" "$work/no-keys.log" || fail "the check did not say where the replay differs"

title="NEWGAME"
start newgame --scale 1 --record "$work/newgame.txt"
for i in 1 2 3 4 5 6; do click $((60 + i * 40)) 224; done
hold space 1
for i in 1 2 3; do click 300 224; done
finish newgame
grep -q '^[0-9]* key 32$' "$work/newgame.txt" || fail "the template's recording holds no space bar"
replays newgame "$work/newgame.txt"
title="Keys and stick"
start keys-and-stick --fullscreen
size=$(xwininfo -id "$win" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w "x" h}')
[ "$size" = 1920x1080 ] || fail "--fullscreen opened a window of $size on a 1920 x 1080 screen"
finish keys-and-stick
echo "PASS"
