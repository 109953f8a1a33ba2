#!/usr/bin/env bash
# A measurement, not a timed check: the game in its window under a private X server, played for
# 15 seconds, then F9 and more play while the headless runner makes the GIF in the background.
# The window counts the frames that started more than half a period late, before and while the
# GIF is made (QUORBIX_FRAME_TIMING), and this prints both with the machine's load. It fails only
# when the counts are missing (no frame counted while the GIF was made) or no GIF was made.
#   gif_frame_timing.sh BIN_DIR WORK_DIR      exit 0 pass, 1 fail, 77 skipped (no X server)
set -u
bin=$1; work=$2
. "$(dirname "$0")/session_steps.sh"
rm -rf "$work/shots"
begin_window_test
mkdir -p "$work/shots"
export QUORBIX_SCREENSHOT_DIR=$work/shots QUORBIX_FRAME_TIMING=1
click() { xdotool mousemove --window "$win" "$1" "$2"; sleep 0.05; xdotool click 1; }
x=100; y=100
play_for() {   # clicks over the field for $1 seconds, or until the title holds $2
  local end=$((SECONDS + $1))
  while [ $SECONDS -lt $end ]; do
    [ -n "${2:-}" ] && xdotool getwindowname "$win" | grep -q "$2" && return 0
    click $((x * 2)) $((y * 2))
    x=$(( (x + 37) % 300 + 90 )); y=$(( (y + 23) % 180 + 90 ))
    sleep 0.15
  done
  [ -z "${2:-}" ]
}
start_window Quorbix "$work/game.log" "$bin/quorbix" --record "$work/session.txt"
click 481 361            # the title: a left click starts the game
play_for 15
xdotool key F9
play_for 120 "GIF ready" || fail "the title never said 'GIF ready'"
load=$(cut -d' ' -f1-3 /proc/loadavg)
end_window "$work/game.log"
line=$(grep '^quorbix: frame timing: ' "$work/game.log" || grep 'frame timing: ' "$work/game.log")
[ -n "$line" ] || { sed 's/^/  /' "$work/game.log"; fail "the window said no frame timing"; }
echo "${line#*frame timing: } (load $load)"
making=$(sed -n 's/.*while a GIF was being made: \([0-9]*\) frames.*/\1/p' <<<"$line")
[ "${making:-0}" -gt 0 ] || fail "no frame was counted while the GIF was made"
[ "$(ls "$work/shots"/*.gif 2>/dev/null | wc -l)" -eq 1 ] || fail "no GIF was made: $(ls "$work/shots")"
echo "PASS"
