#!/usr/bin/env bash
# The session key in the SDL window, under a private X server: F9 while recording writes the
# session so far beside the screenshots and the program's headless runner makes a GIF of its
# last 30 seconds in the background; the title says when it is ready. The copy is the recording's
# start as it stood (the full recording goes on after it) and replays with --check; the GIF is the
# one the runner makes from it by hand, byte for byte; the program never sees F9. A missing folder,
# or a window that records nothing, gives a message and no file.
#   session_gif.sh BIN_DIR WORK_DIR      exit 0 pass, 1 fail, 77 skipped (no X server)
set -u
bin=$1; work=$2
. "$(dirname "$0")/session_steps.sh"
rm -rf "$work/shots" "$work/missing"
begin_window_test
title="Keys and stick"
start() { start_window "$title" "$work/window.log" "$bin/keys-and-stick" --scale 2 "$@"; }
finish() { end_window "$work/window.log"; }
hold() { xdotool keydown "$1"; sleep "$2"; xdotool keyup "$1"; sleep 0.4; }

shots=$work/shots; mkdir -p "$shots"
export QUORBIX_SCREENSHOT_DIR=$shots
start --record "$work/session.txt"
hold Right 0.8
xdotool key F9; title_says "GIF"
# The runner takes its time on a loaded machine: two minutes at most.
title_says "GIF ready" 1200
hold Down 0.6
finish
mapfile -t files < <(ls "$shots")
[ ${#files[@]} -eq 2 ] || fail "expected a session and a GIF, found: ${files[*]}"
stem=${files[0]%.*}
[[ $stem =~ ^keys-and-stick-[0-9]{4}-[0-9]{2}-[0-9]{2}-[0-9]{6}$ ]] || fail "unexpected name ${files[0]}"
[ "${files[0]}" = "$stem.gif" ] && [ "${files[1]}" = "$stem.txt" ] || fail "not one stem: ${files[*]}"
copy=$shots/$stem.txt; gif=$shots/$stem.gif
grep -qE '^[0-9]+ key(up)? 120$' "$work/session.txt" && fail "the program was handed F9"
# The copy: the recording as it stood, then a close and its end; the recording went on (Down) after it.
n=$(($(wc -l <"$copy") - 2))
cmp -s <(head -n $n "$copy") <(head -n $n "$work/session.txt") || fail "the copy is not the recording's start"
grep -qE '^[0-9]+ key 40$' "$copy" && fail "the copy holds a key pressed after F9"
grep -qE '^[0-9]+ close$' <(tail -n 2 "$copy") && grep -qE '^# end after frame [0-9]+: ' <(tail -n 1 "$copy") ||
  fail "the copy has no end: $(tail -n 2 "$copy")"
timeout 120 "$bin/keys-and-stick-headless" --check "$copy" >/dev/null 2>"$work/check.log" ||
  { sed 's/^/  /' "$work/check.log"; fail "the copy does not replay"; }
read -r from to < <(sed -n 's/.*\.gif of frames \([0-9]*\) to \([0-9]*\)$/\1 \2/p' "$work/window.log")
[ -n "${to:-}" ] || { sed 's/^/  /' "$work/window.log"; fail "the window did not say which frames"; }
end=$(tail -n 1 "$copy" | sed 's/^# end after frame \([0-9]*\):.*/\1/')
[ "$to" = "$end" ] || fail "the GIF ends at frame $to, the copy at $end"
timeout 120 "$bin/keys-and-stick-headless" "$copy" --gif "$work/again.gif" --from "$from" --to "$to" >/dev/null ||
  fail "the runner did not make the GIF by hand"
cmp -s "$gif" "$work/again.gif" || fail "the background GIF differs from the runner's own"
echo "GIF of frames $from to $to: $(stat -c %s "$gif") bytes"

# A missing folder, then a window that records nothing: a message, the title says so, no file.
export QUORBIX_SCREENSHOT_DIR=$work/missing
start --record "$work/session2.txt"
xdotool key F9; title_says "session not saved"
finish
grep -q "session not saved: the folder '$work/missing' does not exist" "$work/window.log" ||
  { sed 's/^/  /' "$work/window.log"; fail "no message for the missing folder"; }
[ -e "$work/missing" ] && fail "the missing folder was made"
export QUORBIX_SCREENSHOT_DIR=$shots
start
xdotool key F9; title_says "session not saved"
finish
grep -q "session not saved: no session is being recorded" "$work/window.log" ||
  { sed 's/^/  /' "$work/window.log"; fail "no message for a window that records nothing"; }
[ "$(ls "$shots" | wc -l)" -eq 2 ] || fail "a file was written without a recording: $(ls "$shots")"
echo "PASS"
