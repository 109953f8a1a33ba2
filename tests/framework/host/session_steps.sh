# The steps the window tests share (sourced by record_replay.sh, replay_keys.sh and
# tests/windows/game.sh; each defines click X Y [BUTTON] in window pixels; $work is the test's
# folder).
#   begin_window_test       the test's start (below); fail MESSAGE ends it as failed
#   x_server                a private X server (1920 x 1080) for the test: DISPLAY set, its
#                           process in $xpid; exits 77 (skipped) when none starts
#   start_window TITLE LOG PROGRAM [OPTION...]
#                           starts PROGRAM with its options, its output in LOG, and waits for its
#                           window titled TITLE...: $win and $ppid set; fails when none comes
#   end_window LOG          Escape to the window; the program must end with status 0 (else its
#                           LOG is shown)
#   title_says TEXT [TENTHS] waits up to TENTHS tenths of a second (15) for the window's title
#                           to hold TEXT
#   play_a_game             from the start of play: clicks over the field where the balls fly
#                           for the 600 frames (30 s) of play, then the result back to the title
#   replay_matches BIN WORK WORK/session.txt replayed by the headless runner, equal to the window
#                           frame by frame (replay-check) and reaching the result scene
# The start of record_replay.sh and replay_keys.sh: the test's folder emptied, skipped (77)
# without Xvfb, xdotool or xwininfo, a private X server, SDL's sound on its dummy driver; what
# it starts is killed when it ends (their process ids in $pids), and fail says why it failed.
begin_window_test() {
  mkdir -p "$work"; rm -f "$work"/*
  local t
  for t in Xvfb xdotool xwininfo; do
    command -v $t >/dev/null || { echo "SKIPPED: $t is missing (apt-get install xvfb xdotool x11-utils)"; exit 77; }
  done
  pids=""; xpid=""
  trap 'for p in $pids; do kill $p 2>/dev/null; done; [ -n "$xpid" ] && kill $xpid 2>/dev/null' EXIT
  x_server
  export SDL_AUDIODRIVER=dummy
}
fail() { echo "FAIL: $*"; exit 1; }
# The server picks a free display itself and writes its number once it is ready to take clients.
# A server that comes up and goes again (a display still being released by an earlier test) is
# started afresh, three times at most.
x_server() {
  local attempt d
  for attempt in 1 2 3; do
    rm -f "$work/display"
    Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/display" >>"$work/xvfb.log" 2>&1 & xpid=$!
    for i in $(seq 100); do grep -q '[0-9]' "$work/display" 2>/dev/null && break; kill -0 $xpid 2>/dev/null || break; sleep 0.1; done
    d=$(tr -dc '0-9' <"$work/display" 2>/dev/null)
    if [ -n "$d" ]; then
      export DISPLAY=:$d
      for i in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
      xdotool getmouselocation >/dev/null 2>&1 && kill -0 $xpid 2>/dev/null && return 0
    fi
    echo "X server attempt $attempt failed (display '${d:-none}'):"; sed 's/^/  /' "$work/xvfb.log"
    kill $xpid 2>/dev/null; wait $xpid 2>/dev/null; xpid=""; sleep 1
  done
  echo "SKIPPED: no X server could be started (see $work/xvfb.log)"; exit 77
}
# A server just started may refuse the first client; a program that could not connect is started
# once more (SDL is held to X, so that it cannot fall back to a driver that shows nothing). A
# loaded machine (a fresh clone's first run) can take a while to map the window.
start_window() {
  local title=$1 log=$2 program=$3 attempt i; shift 3
  for attempt in 1 2; do
    SDL_VIDEODRIVER=x11 "$program" "$@" >"$log" 2>&1 & ppid=$!; pids="$pids $ppid"
    win=""
    for i in $(seq 300); do
      win=$(xdotool search --name "^$title" 2>/dev/null | head -1); [ -n "$win" ] && break
      kill -0 $ppid 2>/dev/null || break; sleep 0.1
    done
    [ -n "$win" ] && break
    kill $ppid 2>/dev/null; wait $ppid 2>/dev/null
    grep -q "no display to open a window on" "$log" && [ $attempt -eq 1 ] && { sleep 1; continue; }
    break
  done
  if [ -z "$win" ]; then
    echo "$(basename "$program") printed:"; sed 's/^/  /' "$log"
    echo "windows on the server:"; xdotool search --name '.' 2>/dev/null | while read -r w; do
      echo "  $w $(xdotool getwindowname "$w" 2>/dev/null)"; done
    fail "no $(basename "$program") window within 30 s"
  fi
  xdotool windowfocus "$win" 2>/dev/null
  sleep 0.5
}
end_window() {
  xdotool key Escape
  for i in $(seq 300); do kill -0 $ppid 2>/dev/null || break; sleep 0.1; done
  wait $ppid || { sed 's/^/  /' "$1"; fail "the program ended with an error"; }
}
title_says() {
  for i in $(seq "${2:-15}"); do xdotool getwindowname "$win" | grep -q "$1" && return 0; sleep 0.1; done
  fail "the title never said '$1' (it says '$(xdotool getwindowname "$win")')"
}
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
