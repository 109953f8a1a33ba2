#!/usr/bin/env bash
# The Windows programs' music under Wine, from the package unzipped into a private Wine prefix:
#   1. the game in its window (a private X server): a click on the title starts play, and QRBX.MID
#      plays through SDL's disk audio driver (the output is loud where nothing was popped, and
#      the game does not say it has no synthesiser);
#   2. the same synthesiser on both systems: a whole game's music, from the click on the title
#      through the 30 seconds of play to 5 seconds into the result (where it stops), rendered by
#      the headless runner natively and by its Windows build under Wine, with the same sound
#      font, compared sample by sample. The largest difference and where it lies are printed;
#      more than MAX_DIFF (default 0: identical) fails.
#   music.sh NATIVE_BIN_DIR WINDOWS_BUILD_DIR ZIP WORK_DIR PREFIX     exit 0 pass, 1 fail, 77 skipped
set -u
bin=$1; wbuild=$2; zip=$3; work=$4; PREFIX=$5
max_allowed=${MAX_DIFF:-0}
here=$(cd "$(dirname "$0")" && pwd)
[ -f "$zip" ] || { echo "SKIPPED: no Windows package $zip (make windows makes it)"; exit 77; }
[ -f "$wbuild/bin/quorbix-headless.exe" ] || { echo "SKIPPED: no $wbuild/bin/quorbix-headless.exe (make windows makes it)"; exit 77; }
for t in Xvfb xdotool; do
  command -v $t >/dev/null || { echo "SKIPPED: $t is missing (scripts/setup-deps test installs it)"; exit 77; }
done
. "$here/wine.sh"
. "$here/../framework/host/session_steps.sh"
rm -rf "$work"; mkdir -p "$work"
pids=""; xpid=""
trap 'for p in $pids; do kill $p 2>/dev/null; done; wine_stop; [ -n "$xpid" ] && kill $xpid 2>/dev/null' EXIT
fail() { echo "FAIL: $*"; for f in "$work"/*.log; do echo "$f:"; sed 's/^/  /' "$f"; done; exit 1; }
win_path() { echo "Z:${1//\//\\}"; }

wine_ready
wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
wine_unpack "$zip" "ゲーム 音楽"
folder=$FOLDER

# --- 1. The game's music in its window --------------------------------------------------------
x_server
start=$SECONDS
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$(win_path "$work/disk.raw")" \
  wine 'C:\ゲーム 音楽\quorbix.exe' >"$work/game.log" 2>&1 & gpid=$!; pids="$pids $gpid"
win=""
for i in $(seq 600); do
  win=$(xdotool search --name '^Quorbix' 2>/dev/null | head -1); [ -n "$win" ] && break
  kill -0 $gpid 2>/dev/null || break; sleep 0.1
done
[ -n "$win" ] || fail "no window titled Quorbix within 60 s"
sleep 1
# A click in the corner, where no ball flies: play starts, and nothing pops.
xdotool mousemove --window "$win" 4 4; sleep 0.1; xdotool click 1
sleep 6
xdotool key --window "$win" Escape
for i in $(seq 100); do kill -0 $gpid 2>/dev/null || break; sleep 0.1; done
kill -0 $gpid 2>/dev/null && fail "the game did not end on Escape"
status=0; wait $gpid || status=$?
[ $status = 0 ] || fail "the game ended with status $status"
grep -q "no MIDI synthesiser\|no General MIDI" "$work/game.log" && fail "the game has no music: $(cat "$work/game.log")"
[ -s "$work/disk.raw" ] || fail "SDL's disk audio driver wrote nothing"
loud=$(od -An -v -td2 -w2 "$work/disk.raw" | awk '$1 > 1000 || $1 < -1000 {n++} END {print n + 0}')
[ "$loud" -gt 20000 ] || fail "the music is silent under Wine ($loud loud samples in $(wc -c <"$work/disk.raw") bytes)"
echo "the game under Wine: $loud loud samples of music in $(wc -c <"$work/disk.raw") bytes ($((SECONDS - start)) s)"

# --- 2. The same game's music rendered on both systems ---------------------------------------------
cmp -s /usr/share/sounds/sf2/TimGM6mb.sf2 "$folder/sf2/TimGM6mb.sf2" ||
  fail "the package's sound font is not the one the native build loads"
cp "$wbuild/bin/quorbix-headless.exe" "$folder/"
printf '1 move 4 4\n2 ldown\n3 lup\n' >"$work/script.txt"
frames=703
"$bin/quorbix-headless" --frames $frames --audio "$work/native.wav" "$work/script.txt" >"$work/native.log" 2>&1 ||
  fail "the native render failed"
wine 'C:\ゲーム 音楽\quorbix-headless.exe' --frames $frames --audio "$(win_path "$work/windows.wav")" \
  "$(win_path "$work/script.txt")" >"$work/windows.log" 2>&1 || fail "the render under Wine failed"
[ -s "$work/windows.wav" ] || fail "the render under Wine wrote no sound"
n=$(wc -c <"$work/native.wav"); w=$(wc -c <"$work/windows.wav")
[ "$n" = "$w" ] || fail "the renders differ in length: $n bytes natively, $w under Wine"
# The WAV's 44-byte header, then 16-bit stereo samples at 44100 Hz.
samples() { od -An -v -td2 -w2 -j44 "$1"; }
result=$(paste <(samples "$work/native.wav") <(samples "$work/windows.wav") | awk '
  { d = $1 - $2; if (d < 0) d = -d; if (d > 0) n++; if (d > max) { max = d; at = NR - 1; a = $1; b = $2 }
    if ($1 > 1000 || $1 < -1000) loud++ }
  END { printf "%d %d %d %d %d %d %d\n", NR, n, max, at, a, b, loud }')
read -r total differing largest at native windows loud <<<"$result"
[ "$loud" -gt 20000 ] || fail "the native render holds no music ($loud loud samples)"
if [ "$differing" = 0 ]; then
  echo "the $total samples of a whole game's music are identical natively and under Wine"
else
  echo "of $total samples $differing differ; the largest difference is $largest at sample $at" \
    "(frame $((at / 2)), $( ((at % 2)) && echo right || echo left) channel, $(awk -v f=$((at / 2)) 'BEGIN {printf "%.3f", f / 44100}') s):" \
    "$native natively, $windows under Wine"
  [ "$largest" -le "$max_allowed" ] || fail "the Windows synthesiser's output differs from the native one by more than $max_allowed"
fi
echo PASS
