#!/usr/bin/env bash
# Records the sessions that tests/replay/portable.sh replays on every build, each program in its
# SDL window under a private X server (1920 x 1080, window scale 2), driven by xdotool:
#   game     a right click on the title steps the level to hard, a left click starts a game,
#            clicks over the field for its 30 seconds, the result, back to the title, Escape
#   gallery  every page of the effects gallery (rotations, waves, transitions, wipes: the
#            framework's own arithmetic), a second on each, the pointer moving; then back a few
#            pages with right clicks, Escape
# Not a test: run it by hand to make a recording again, and check the new one in.
#   tests/replay/record.sh BIN_DIR game|gallery [OUT]    (OUT: tests/replay/game.txt, gallery.txt)
set -u
bin=$1; what=$2
here=$(cd "$(dirname "$0")" && pwd)
out=${3:-$here/$what.txt}
work=$(mktemp -d)
. "$here/../framework/host/session_steps.sh"
begin_window_test
trap 'for p in $pids; do kill $p 2>/dev/null; done; [ -n "$xpid" ] && kill $xpid 2>/dev/null; rm -rf "$work"' EXIT
click() { xdotool mousemove --window "$win" "$1" "$2"; sleep 0.05; xdotool click "${3:-1}"; }
live() { cat "$work"/session.txt.part-* 2>/dev/null; }
if [ "$what" = gallery ]; then
  start_window "Quorbix gallery" "$work/game.log" "$bin/quorbix-gallery" --record "$work/session.txt"
  sleep 1
  for page in $(seq 36); do
    xdotool mousemove --window "$win" $((200 + page * 15)) $((150 + page * 10)); sleep 0.5
    xdotool mousemove --window "$win" $((700 - page * 12)) $((500 - page * 8)); sleep 0.5
    click 900 700
  done
  for page in 1 2 3; do sleep 0.7; click 100 100 3; done
  sleep 1
  end_window "$work/game.log"
  program=quorbix-gallery
else
program=quorbix
start_window Quorbix "$work/game.log" "$bin/quorbix" --record "$work/session.txt"
sleep 1
click 481 361 3; sleep 0.5       # the title: normal
click 481 361 3; sleep 0.5       # hard
click 481 361                    # a game
# Clicks over the field until the result shows (scene 3 in the recording's state lines, written as
# the frames run): a loaded machine runs fewer frames a second than the game's 20.
scene_seen() { live | grep -q "^# state [0-9]* $1 "; }
x=100; y=100; end=$((SECONDS + 90))
while ! scene_seen 3 && [ $SECONDS -lt $end ]; do
  click $((x * 2)) $((y * 2))
  x=$(( (x + 37) % 300 + 90 )); y=$(( (y + 23) % 180 + 90 ))
  sleep 0.15
done
scene_seen 3 || fail "the game never reached its result"
sleep 1.5
click 400 400                    # the result: back to the title after a second
for _ in $(seq 100); do [ "$(live | grep '^# state' | tail -1 | cut -d' ' -f4)" = 2 ] && break; sleep 0.1; done
sleep 0.5
end_window "$work/game.log"
fi
grep -q ' ldown$' "$work/session.txt" || fail "the recording holds no clicks"
"$bin/$program-headless" --check "$work/session.txt" || fail "the recording does not replay headless"
# The header names where it was recorded: name the tree's copy instead.
sed "s|$work/session.txt|tests/replay/$what.txt|g" "$work/session.txt" >"$out"
echo "recorded $(grep -c '^# state' "$out") states over $(grep '^# end after frame' "$out" | cut -d' ' -f5 | tr -d :) frames into $out"
