# The steps the window tests share (sourced by record_replay.sh and windows/game.sh; each defines
# click X Y [BUTTON] in window pixels, and fail).
#   play_a_game             from the start of play: clicks over the field where the balls fly
#                           for the 600 frames (30 s) of play, then the result back to the title
#   replay_matches BIN WORK WORK/session.txt replayed by the headless runner, equal to the window
#                           frame by frame (replay-check) and reaching the result scene
play_a_game() {
  local end=$((SECONDS + 32)) x=100 y=100
  while [ $SECONDS -lt $end ]; do
    click $((x * 2)) $((y * 2))
    x=$(( (x + 37) % 300 + 90 )); y=$(( (y + 23) % 180 + 90 ))
    sleep 0.15
  done
  sleep 1.5
  click 400 400            # the result: back to the title after a second
  sleep 0.5
}
replay_matches() {
  "$1/quorbix-headless" --trace "$2/replay.jsonl" "$2/session.txt" || fail "the headless replay failed"
  "$1/replay-check" "$2/session.txt" "$2/replay.jsonl" || fail "the replay differs from the window"
  grep -q '"scene":3' "$2/replay.jsonl" || fail "the session never reached the result scene"
}
