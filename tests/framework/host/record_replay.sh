#!/usr/bin/env bash
# Records a session of the game in its window under a private X server (1920 x 1080, driven by
# xdotool), replays the recording headless and checks it frame by frame (replay-check): scene,
# score, balls and password. Also checks the window's scale and the pointer's mapping: the client
# area is 960 x 720 there, and window pixel (481, 361) reaches the game as (240, 180); with
# --scale 1 the client area is 480 x 360.
#   record_replay.sh BIN_DIR WORK_DIR      exit 0 pass, 1 fail, 77 skipped (no X server)
set -u
bin=$1; work=$2
. "$(dirname "$0")/session_steps.sh"
begin_window_test
# Starts the game, waits for its window and sets $win and $ppid.
start() { start_window Quorbix "$work/game.log" "$bin/quorbix" "$@"; }
size() { xwininfo -id "$win" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w "x" h}'; }
click() { xdotool mousemove --window "$win" "$1" "$2"; sleep 0.05; xdotool click 1; }
finish() {
  xdotool key --window "$win" Escape 2>/dev/null || xdotool key Escape
  for i in $(seq 50); do kill -0 $ppid 2>/dev/null || break; sleep 0.1; done
  kill -0 $ppid 2>/dev/null && fail "the game did not end on Escape"
  wait $ppid || fail "the game ended with status $?"
}

start --scale 1
[ "$(size)" = 480x360 ] || fail "--scale 1 gave a client area of $(size), not 480x360"
finish

start --record "$work/session.txt"
[ "$(size)" = 960x720 ] || fail "the client area on 1920 x 1080 is $(size), not 960x720"
click 481 361            # the title: a left click starts the game
# The recording is written as the frames run, to a temporary file beside session.txt that takes
# its place when the game ends: give a loaded machine a few seconds.
live() { cat "$work"/session.txt.part-* 2>/dev/null; }
for _ in $(seq 50); do live | grep -q '^[0-9]* move 240 180$' && break; sleep 0.1; done
live | grep -q '^[0-9]* move 240 180$' || fail "window pixel (481, 361) did not reach the game as (240, 180)"
play_a_game
finish
grep -q ' ldown$' "$work/session.txt" || fail "the recording holds no clicks"
[ -z "$(ls "$work"/session.txt.part-* 2>/dev/null)" ] || fail "the recording's temporary file was left behind"

replay_matches "$bin" "$work"
echo "PASS"
