#!/usr/bin/env bash
# The screenshot key in the SDL window, under a private X server: F12 saves the shown picture as
# a PNG at the program's own size (the window is scaled 2x), equal byte for byte to the headless
# runner's frame of the same moment (both go through the one PNG writer); the title says so; the
# program never sees F12 (the recording, which notes every key the program is handed, holds none,
# and its replay still matches); a missing folder or one closed to writing gives a message and no
# file.
#   screenshot.sh BIN_DIR WORK_DIR      exit 0 pass, 1 fail, 77 skipped (no X server)
set -u
bin=$1; work=$2
. "$(dirname "$0")/session_steps.sh"
rm -rf "$work/shots" "$work/frames" "$work/closed"
begin_window_test
title="Keys and stick"
start() { start_window "$title" "$work/window.log" "$bin/keys-and-stick" --scale 2 "$@"; }
finish() { end_window "$work/window.log"; }
hold() { xdotool keydown "$1"; sleep "$2"; xdotool keyup "$1"; sleep 0.4; }

shots=$work/shots; mkdir -p "$shots"
export QUORBIX_SCREENSHOT_DIR=$shots
start --record "$work/session.txt"
hold Right 0.8
xdotool key F12; title_says "saved keys-and-stick-"
hold Down 0.6
xdotool key F12; sleep 0.3
for i in $(seq 50); do xdotool getwindowname "$win" | grep -q "saved" || break; sleep 0.1; done
[ "$(xdotool getwindowname "$win")" = "$title" ] || fail "the title was not put back: '$(xdotool getwindowname "$win")'"
finish
mapfile -t files < <(ls "$shots")
[ ${#files[@]} -eq 2 ] || fail "expected two screenshots, found: ${files[*]}"
for f in "${files[@]}"; do
  [[ $f =~ ^keys-and-stick-[0-9]{4}-[0-9]{2}-[0-9]{2}-[0-9]{6}(-2)?\.png$ ]] || fail "unexpected name $f"
done
grep -qE '^[0-9]+ key(up)? 123$' "$work/session.txt" && fail "the program was handed F12"
"$bin/keys-and-stick-headless" --check "$work/session.txt" --frames-dir "$work/frames" --dump all \
  2>"$work/headless.log" || { sed 's/^/  /' "$work/headless.log"; fail "the headless replay differs"; }
# The moment of each F12: after the arrow's release, before the next key the recording holds.
releases=($(awk '$2 == "keyup" && ($3 == 39 || $3 == 40) {print $1}' "$work/session.txt"))
# (Only the first press of each: a key held past the X server's repeat delay comes again.)
nexts=($(awk '$2 == "key" && $3 == 40 {print $1; exit}' "$work/session.txt") $(awk '$2 == "key" && $3 == 27 {print $1; exit}' "$work/session.txt"))
for n in 0 1; do
  f=$shots/${files[$n]}; found=""
  for frame in $(seq "${releases[$n]}" "${nexts[$n]}"); do
    cmp -s "$f" "$(printf '%s/frame-%06d.png' "$work/frames" "$frame")" && { found=$frame; break; }
  done
  [ -n "$found" ] || fail "${files[$n]} equals no headless frame from ${releases[$n]} to ${nexts[$n]}"
  echo "${files[$n]} = headless frame $found"
done
cmp -s "$shots/${files[0]}" "$shots/${files[1]}" && fail "the two screenshots are one picture"

# A folder that is missing, then one closed to writing: a message, the title says so, no file.
bad_folder() {
  export QUORBIX_SCREENSHOT_DIR=$1
  start
  xdotool key F12; title_says "screenshot not saved"
  finish
  grep -q "screenshot not saved: $2" "$work/window.log" || { sed 's/^/  /' "$work/window.log"; fail "no message for $1"; }
}
bad_folder "$work/missing" "the folder '$work/missing' does not exist"
[ -e "$work/missing" ] && fail "the missing folder was made"
if [ "$(id -u)" -ne 0 ]; then
  mkdir -p "$work/closed"; chmod 555 "$work/closed"
  bad_folder "$work/closed" "cannot write"
  [ -z "$(ls -A "$work/closed")" ] || fail "something was left in the closed folder: $(ls -A "$work/closed")"
else
  # Root writes through folder permissions: a folder of /proc takes no new file from anybody.
  bad_folder /proc "cannot write"
fi
echo "PASS"
