#!/usr/bin/env bash
# The Windows game as a player runs it: the package unzipped into C:\ゲーム フォルダ\ (spaces and
# Japanese characters) in a private Wine prefix, under a private X server (1920 x 1080, driven by
# xdotool). Checks: the window's title and client size; window pixel (481, 361) reaching the game
# as (240, 180); the title's pixels equal to a headless title frame outside the frame-rate box;
# a right click stepping the level; the music and the fonts found beside the
# program; the pop in the output of SDL's disk audio driver; Escape ending it with status 0; and
# the recorded session replayed by the native headless runner, equal frame by frame. Then the
# gallery: its window, its fonts, Escape.
#   game.sh NATIVE_BIN_DIR ZIP WORK_DIR PREFIX      exit 0 pass, 1 fail, 77 skipped
set -u
bin=$1; zip=$2; work=$3; PREFIX=$4
here=$(cd "$(dirname "$0")" && pwd)
[ -f "$zip" ] || { echo "SKIPPED: no Windows package $zip (make windows makes it)"; exit 77; }
for t in Xvfb xdotool xwininfo import compare; do
  command -v $t >/dev/null || { echo "SKIPPED: $t is missing (scripts/setup-deps test installs it)"; exit 77; }
done
. "$here/wine.sh"
. "$here/../framework/host/session_steps.sh"
rm -rf "$work"; mkdir -p "$work"

pids=""; xpid=""
trap 'for p in $pids; do kill $p 2>/dev/null; done; wine_stop; [ -n "$xpid" ] && kill $xpid 2>/dev/null' EXIT
x_server
fail() { echo "FAIL: $*"; echo "the game printed:"; sed 's/^/  /' "$work/game.log" 2>/dev/null; exit 1; }

wine_ready
# A Wine session another test left running (it lingers a few seconds) has its desktop without this
# X server: windows would fail to open in it. This prefix's own session is ended first.
wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
# The package in a folder whose name has a space and Japanese characters, as a player might.
wine_unpack "$zip" "ゲーム フォルダ"
folder=$FOLDER
win_path() { echo "Z:${1//\//\\}"; }
# window_of PID TITLE: the first window whose title starts with TITLE, waited for up to 60 s
# while the program runs ("" if none).
window_of() {
  local w=""
  for i in $(seq 600); do
    w=$(xdotool search --name "^$2" 2>/dev/null | head -1); [ -n "$w" ] && break
    kill -0 $1 2>/dev/null || break; sleep 0.1
  done
  echo "$w"
}
# escape_ends WINDOW PID WHAT: Escape in the window ends the program with status 0.
escape_ends() {
  xdotool key --window "$1" Escape
  for i in $(seq 100); do kill -0 $2 2>/dev/null || break; sleep 0.1; done
  kill -0 $2 2>/dev/null && fail "the $3 did not end on Escape"
  local status=0; wait $2 || status=$?
  [ $status = 0 ] || fail "the $3 ended with status $status"
}

start=$SECONDS
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$(win_path "$work/disk.raw")" \
  wine 'C:\ゲーム フォルダ\quorbix.exe' --lang ja --record "$(win_path "$work/session.txt")" \
    --trace "$(win_path "$work/trace.jsonl")" >"$work/game.log" 2>&1 & ppid=$!; pids="$pids $ppid"
win=$(window_of $ppid Quorbix)
[ -n "$win" ] || fail "no window titled Quorbix within 60 s"
echo "window after $((SECONDS - start)) s: '$(xdotool getwindowname "$win")'"
sleep 1
# Wine draws the frame itself where no window manager runs: the client area is the window's
# child of the game's size, or the window itself.
client=$(xwininfo -id "$win" -children | awk '/^ *0x/ {print $1}' | head -1)
for w in $client $win; do
  s=$(xwininfo -id "$w" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w "x" h}')
  [ "$s" = 960x720 ] && break
done
[ "$s" = 960x720 ] || fail "the client area on 1920 x 1080 is $s, not 960x720"
click() { xdotool mousemove --window "$w" "$1" "$2"; sleep 0.05; xdotool click "${3:-1}"; }
live() { cat "$work"/session.txt.part-* 2>/dev/null; }

# The title's picture (Japanese text included) against the headless runner's title frames with the
# pointer at the same place: one of them is equal, pixel for pixel, outside the frame-rate box
# (real time fills that with its own figure). The window shows each pixel as 2 x 2.
xdotool mousemove --window "$w" 481 361
sleep 1.5
import -window "$w" "$work/title-window.png" || fail "the window could not be captured"
mask=(-fill black -draw "rectangle 0,0 89,19")
convert "$work/title-window.png" -sample 480x360 "${mask[@]}" "$work/title-shown.png"
printf '1 move 240 180\n' >"$work/title-script.txt"
"$bin/quorbix-headless" --frames 80 --frames-dir "$work/title-frames" --dump all "$work/title-script.txt" ||
  fail "the headless title frames could not be made"
matched=""; fewest=""
for f in "$work"/title-frames/frame-*.png; do
  convert "$f" "${mask[@]}" "$work/title-headless.png"
  n=$(compare -metric AE "$work/title-shown.png" "$work/title-headless.png" null: 2>&1 | cut -d' ' -f1)
  [ "$n" = 0 ] && { matched=$(basename "$f"); break; }
  { [ -z "$fewest" ] || [ "${n%.*}" -lt "${fewest%.*}" ]; } 2>/dev/null && fewest=$n
done
[ -n "$matched" ] || fail "no headless title frame has the window's pixels (the nearest differs in $fewest; see $work)"
echo "the title's pixels equal the headless $matched"

click 481 361 3          # the title: a right click steps the level
for _ in $(seq 50); do grep -q '"level":2' "$work"/trace.jsonl* 2>/dev/null && break; sleep 0.1; done
live | grep -q '^[0-9]* move 240 180$' || fail "window pixel (481, 361) did not reach the game as (240, 180)"
live | grep -q ' rdown$' || fail "the right click did not reach the game"
click 481 361            # a left click starts the game
play_a_game
escape_ends "$win" $ppid game

grep -q "fonts are missing" "$work/game.log" && fail "the game did not find its fonts"
# Without a synthesiser in the build (it says so) the sound font is not loaded either.
grep -q "no MIDI synthesiser" "$work/game.log" || ! grep -q "no General MIDI" "$work/game.log" ||
  fail "the game did not find its sound font"
grep -q ' ldown$' "$work/session.txt" || fail "the recording holds no clicks"
replay_matches "$bin" "$work"
grep -q '"level":2' "$work/replay.jsonl" || fail "the right click did not step the level"
# The disk driver's output: 16-bit samples, some of them loud (the pops; the music where there is a
# synthesiser).
[ -s "$work/disk.raw" ] || fail "SDL's disk audio driver wrote nothing"
loud=$(od -An -v -td2 -w2 "$work/disk.raw" | awk '$1 > 2000 || $1 < -2000 {n++} END {print n + 0}')
[ "$loud" -gt 100 ] || fail "the sound output is silent ($loud loud samples)"

# The gallery from the same folder: its window opens, it finds the fonts beside it, and Escape
# ends it with status 0. It starts under a Wine server of its own: Escape's release, sent to the
# game's window after the game closed it, never reached Wine, which holds the key down for as
# long as its server runs.
wineserver -w 2>/dev/null
SDL_AUDIODRIVER=dummy wine 'C:\ゲーム フォルダ\quorbix-gallery.exe' >"$work/gallery.log" 2>&1 & gpid=$!
pids="$pids $gpid"
gwin=$(window_of $gpid 'Quorbix gallery')
[ -n "$gwin" ] || { sed 's/^/  /' "$work/gallery.log"; fail "no window titled Quorbix gallery within 60 s"; }
sleep 1
escape_ends "$gwin" $gpid gallery
grep -q "fonts are missing" "$work/gallery.log" && fail "the gallery did not find its fonts"
echo "PASS ($((SECONDS - start)) s; $(wc -c <"$work/disk.raw") bytes of sound, $loud loud samples)"
