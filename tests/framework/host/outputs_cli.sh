#!/usr/bin/env bash
# The programs' output files as a user meets them: every option and input is checked before an
# output is opened, one file is never given to two outputs, and an output takes its file's place
# only once it is complete: a run that fails leaves the earlier file as it was and no temporary
# file beside it.
#   outputs_cli.sh BIN_DIR WORK_DIR headless|window      exit 0 pass, 1 fail
set -u
bin=$1; work=$2; case=$3
rm -rf "$work"; mkdir -p "$work"; cd "$work" || exit 1
fail() { echo "FAIL: $*"; exit 1; }
# run STATUS PROGRAM ARGS...: runs a program and checks its exit status; its stderr in $err.
run() {
  local want=$1; shift
  "$@" >out.log 2>err.log; local got=$?
  err=$(cat err.log)
  [ "$got" = "$want" ] || fail "$*: exit $got, not $want: $err"
}
# kept FILE TEXT: the file still holds what it held before the run, with nothing left beside it.
kept() {
  [ "$(cat "$1")" = "$2" ] || fail "$1 was changed: $(head -c 200 "$1")"
  no_leftovers
}
no_leftovers() {
  local left; left=$(ls -- *.part-* 2>/dev/null)
  [ -z "$left" ] || fail "temporary files were left behind: $left"
}

headless() {
  local h=$bin/quorbix-headless
  # Item 4: a bad script is found before the trace is opened.
  echo precious >p.jsonl
  echo "1 move 10" >bad.txt
  run 2 "$h" --trace p.jsonl bad.txt
  kept p.jsonl precious
  # One file given to two outputs, or to an output and the script, under any of its names.
  echo "# a script" >s.txt
  ln s.txt hard.txt; ln -s s.txt soft.txt
  run 2 "$h" --frames 1 --trace x.jsonl --audio ./x.jsonl
  [[ $err == *"--trace and --audio name the same file"* ]] || fail "two outputs on one new file: $err"
  [ ! -e x.jsonl ] || fail "x.jsonl was written"
  for alias in s.txt hard.txt soft.txt ../"$(basename "$work")"/s.txt; do
    run 2 "$h" --frames 1 --trace "$alias" s.txt
    kept s.txt "# a script"
  done
  run 0 "$h" --frames 1 --trace t.jsonl --audio t.wav s.txt
  no_leftovers

  # Item 10: sound longer than a wave file holds is refused before anything runs.
  SECONDS=0
  run 2 "$h" --frames 500000 --audio big.wav
  [[ $err == *"more than a wave file holds"* ]] || fail "the wave limit is said otherwise: $err"
  [ ! -e big.wav ] && [ $SECONDS -lt 10 ] || fail "the long run was not refused at once"
  # 486957 frames of 50 ms fit (4294960740 bytes), one more does not; the game quits at frame 1.
  echo "1 close" >close.txt
  run 0 "$h" --frames 486957 --audio fits.wav close.txt
  run 2 "$h" --frames 486958 --audio fits.wav close.txt

  # Item 10: a frame that cannot be written leaves the trace and the wave complete, and says so.
  mkdir -p frames/frame-000002.png
  run 1 "$h" --frames 4 --frames-dir frames --dump all --audio mix.wav --trace mix.jsonl
  [[ $err == *"frame-000002.png"* ]] || fail "the frame's failure is not said: $err"
  [ "$(stat -c %s mix.wav)" = 35324 ] || fail "mix.wav is $(stat -c %s mix.wav) bytes"
  [ "$(od -An -tu4 -j40 -N4 mix.wav | tr -d ' ')" = 35280 ] || fail "the wave's header does not count its samples"
  [ "$(grep -c '"frame"' mix.jsonl)" = 4 ] || fail "the trace lacks frames"

  # Items 4 and 10: a run cut short by a full disk (a file size limit here) leaves the earlier
  # files as they were and says which could not be written.
  echo "old sound" >cut.wav
  echo "old trace" >cut.jsonl
  run 1 bash -c "trap '' XFSZ; ulimit -f 64; exec '$h' --frames 1000 --audio cut.wav --trace cut.jsonl"
  [[ $err == *"writing 'cut.wav' failed: File too large"* ]] || fail "the cut wave is said otherwise: $err"
  [[ $err == *"writing 'cut.jsonl' failed: File too large"* ]] || fail "the cut trace is said otherwise: $err"
  kept cut.wav "old sound"
  kept cut.jsonl "old trace"
}

window() {
  local q=$bin/quorbix
  # Item 3: without a display the game ends with status 1 and the earlier session stays.
  printf '1 move 1 2\n' >session.txt
  run 1 env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER "$q" --record session.txt --trace t.jsonl
  [[ $err == *"no display to open a window on (DISPLAY is not set); the headless runner build/bin/quorbix-headless runs the game without one."* ]] ||
    fail "no display is said otherwise: $err"
  kept session.txt "1 move 1 2"
  [ ! -e t.jsonl ] || fail "a trace was left by a game that never ran"
  # A display that cannot be opened is said so too: SDL would otherwise run the game on a driver
  # that draws into memory, with no window anyone sees.
  run 1 env -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER DISPLAY=:9876 "$q" --record session.txt
  [[ $err == *"no display to open a window on (the display :9876 could not be opened)"* ]] ||
    fail "a display that cannot be opened is said otherwise: $err"
  kept session.txt "1 move 1 2"
  # Item 4: the options are checked before an output is opened; one file is not two outputs.
  echo precious >precious.jsonl
  run 2 "$q" --trace precious.jsonl --scale 0
  kept precious.jsonl precious
  run 2 "$q" --trace x --record ./x
  [ ! -e x ] || fail "x was written"
  run 2 "$q" --trace session.txt --replay session.txt
  kept session.txt "1 move 1 2"
  # A session that ends (SIGTERM closes the window) puts the recording and the trace in place;
  # until then they grow beside the earlier files.
  SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$q" --record session.txt --trace t.jsonl >game.log 2>&1 &
  local pid=$!
  for _ in $(seq 100); do grep -qs '^1 tick' session.txt.part-* && break; sleep 0.1; done
  grep -qs '^1 tick' session.txt.part-* || { kill $pid; fail "no recording is being written: $(cat game.log)"; }
  [ "$(cat session.txt)" = "1 move 1 2" ] || { kill $pid; fail "the earlier session was replaced while recording"; }
  kill -TERM $pid
  wait $pid || fail "the game ended with status $?: $(cat game.log)"
  grep -q '^# end after frame' session.txt || fail "the recording was not put in place"
  grep -q '"quit":1' t.jsonl || fail "the trace was not put in place"
  no_leftovers
}

$case
echo PASS
