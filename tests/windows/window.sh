#!/usr/bin/env bash
# The Windows game's window and full screen under Wine, from its package, on a private X server of
# 1920 x 1080 (driven by xdotool; the client area as Windows reports it, by
# tests/windows/window_probe.c):
#   1. a display scaled to 150 % (Wine's LogPixels 144, put back afterwards): the client area is a
#      whole multiple of 480 x 360, each of the game's pixels a sharp square of the screen's
#      (the window's picture averaged over each square equals it sampled once a square), and the
#      picture is a headless title frame's; a pointer in the middle of pixel (240, 180) reaches
#      the game as that point;
#   2. --fullscreen: the client area covers the screen, the picture at the largest whole scale
#      (3), centred between black bars, equal to a headless title frame; three screen points reach
#      the game as the pixels under them; Alt+Enter goes back to a window of 960 x 720 and again
#      to the full screen; Escape ends the game with status 0.
#   window.sh NATIVE_BIN_DIR ZIP WORK_DIR PREFIX      exit 0 pass, 1 fail, 77 skipped
set -u
bin=$1; zip=$2; work=$3; PREFIX=$4
here=$(cd "$(dirname "$0")" && pwd)
[ -f "$zip" ] || { echo "SKIPPED: no Windows package $zip (make windows makes it)"; exit 77; }
for t in Xvfb xdotool import convert compare x86_64-w64-mingw32-gcc-posix; do
  command -v $t >/dev/null || { echo "SKIPPED: $t is missing (scripts/setup-deps test installs it)"; exit 77; }
done
. "$here/wine.sh"
. "$here/../framework/host/session_steps.sh"
rm -rf "$work"; mkdir -p "$work"

pids=""; xpid=""; dpi_set=""
put_back() {
  for p in $pids; do kill $p 2>/dev/null; done
  # The prefix is shared by the Windows tests: its DPI goes back to Wine's own.
  if [ -n "$dpi_set" ]; then
    wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
    wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1
    wineserver -w 2>/dev/null
  fi
  wine_stop; [ -n "$xpid" ] && kill $xpid 2>/dev/null
}
trap put_back EXIT
fail() {
  echo "FAIL: $*"
  for f in "$work"/*.log; do [ -s "$f" ] && { echo "$f:"; sed 's/^/  /' "$f"; }; done
  exit 1
}
x86_64-w64-mingw32-gcc-posix -municode -O1 "$here/window_probe.c" -lgdi32 -o "$work/window_probe.exe" ||
  fail "the window probe does not build"
x_server
wine_ready
wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
wine_unpack "$zip" "ゲーム 画面"
win_path() { echo "Z:${1//\//\\}"; }

# The headless title frames with the pointer at (240, 180): the pictures the window must show
# (both in Japanese, whatever language Wine and this machine ask for).
printf '1 move 240 180\n' >"$work/title-script.txt"
"$bin/quorbix-headless" --lang ja --frames 80 --frames-dir "$work/title-frames" --dump all "$work/title-script.txt" ||
  fail "the headless title frames could not be made"
mask=(-fill black -draw "rectangle 0,0 89,19")   # the frame-rate box: real time's own figure
for f in "$work"/title-frames/frame-*.png; do convert "$f" "${mask[@]}" "$f"; done

# probe: sets cx cy cw ch dpi from the game's window ("" when it has none).
probe() {
  local line
  line=$(wine "$work/window_probe.exe" Quorbix 2>/dev/null | tr -d '\r')
  read -r _ cx cy cw ch _ dpi <<<"${line:-x}"
  [ -n "${line}" ] || { cx=""; cw=""; }
}
# wait_client W H: up to 30 s for the client area to be W x H.
wait_client() {
  for i in $(seq 60); do probe; [ "$cw" = "$1" ] && [ "$ch" = "$2" ] && return 0; sleep 0.5; done
  return 1
}
# shows_title WHAT X Y SCALE: the screen's 480 x 360 picture at (X, Y), each pixel SCALE x SCALE,
# is sharp and equals one of the headless title frames.
shows_title() {
  local what=$1 w=$((480 * $4)) h=$((360 * $4)) f n
  import -window root -crop "${w}x${h}+$2+$3" +repage "$work/$what-screen.png" || fail "the screen could not be captured"
  convert "$work/$what-screen.png" -sample 480x360 "${mask[@]}" "$work/$what-sampled.png"
  convert "$work/$what-screen.png" -scale 480x360 "${mask[@]}" "$work/$what-averaged.png"
  n=$(compare -metric AE "$work/$what-sampled.png" "$work/$what-averaged.png" null: 2>&1 | cut -d' ' -f1)
  [ "$n" = 0 ] || fail "$what: $n of the game's pixels are not sharp squares of $4 x $4 (see $work)"
  for f in "$work"/title-frames/frame-*.png; do
    n=$(compare -metric AE "$work/$what-sampled.png" "$f" null: 2>&1 | cut -d' ' -f1)
    [ "$n" = 0 ] && return 0
  done
  fail "$what: the picture is no headless title frame's (see $work)"
}
live() { cat "$work"/session.txt.part-* "$work/session.txt" 2>/dev/null; }
# reaches SCREEN_X SCREEN_Y X Y: the pointer put there reaches the game as (X, Y).
reaches() {
  xdotool mousemove "$1" "$2"
  for i in $(seq 50); do live | grep -q "^[0-9]* move $3 $4\$" && return 0; sleep 0.1; done
  fail "screen point ($1, $2) did not reach the game as ($3, $4)"
}
ends_on_escape() {
  xdotool key Escape
  for i in $(seq 100); do kill -0 $1 2>/dev/null || break; sleep 0.1; done
  kill -0 $1 2>/dev/null && fail "the game did not end on Escape"
  local status=0; wait $1 || status=$?
  [ $status = 0 ] || fail "the game ended with status $status"
}

# --- 1. A display scaled to 150 % ---------------------------------------------------------------
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1 ||
  fail "the DPI could not be set"
dpi_set=1
wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
rm -f "$work"/session.txt*
SDL_AUDIODRIVER=dummy wine 'C:\ゲーム 画面\quorbix.exe' --lang ja --record "$(win_path "$work/session.txt")" \
  >"$work/scaled.log" 2>&1 & gpid=$!; pids="$pids $gpid"
for i in $(seq 120); do probe; [ -n "$cw" ] && break; kill -0 $gpid 2>/dev/null || break; sleep 0.5; done
[ -n "$cw" ] || fail "no game window within 60 s at 150 %"
[ "$dpi" = 144 ] || fail "Wine's DPI is $dpi, not 144: the scaled display was not set up"
sleep 1; probe
k=$((cw / 480))
[ $k -ge 1 ] && [ "$cw" = $((480 * k)) ] && [ "$ch" = $((360 * k)) ] ||
  fail "at 150 % the client area is ${cw} x ${ch}, not a whole multiple of 480 x 360"
echo "at 150 %: client area ${cw} x ${ch} at ($cx, $cy), scale $k"
xdotool mousemove $((cx + 240 * k + k / 2)) $((cy + 180 * k + k / 2))
sleep 1.5
reaches $((cx + 240 * k + k / 2)) $((cy + 180 * k + k / 2)) 240 180
shows_title scaled "$cx" "$cy" $k
ends_on_escape $gpid
wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1
wineserver -w 2>/dev/null
dpi_set=""

# --- 2. Full screen and Alt+Enter ---------------------------------------------------------------
rm -f "$work"/session.txt*
SDL_AUDIODRIVER=dummy wine 'C:\ゲーム 画面\quorbix.exe' --lang ja --fullscreen --record "$(win_path "$work/session.txt")" \
  >"$work/full.log" 2>&1 & gpid=$!; pids="$pids $gpid"
wait_client 1920 1080 || fail "--fullscreen: the client area is ${cw:-no window} x ${ch:-}, not the screen's 1920 x 1080"
[ "$cx,$cy" = 0,0 ] || fail "--fullscreen: the client area lies at ($cx, $cy), not the screen's corner"
# Scale 3 (1080 / 360): 240 pixels of black bar each side.
xdotool mousemove $((240 + 240 * 3 + 1)) $((180 * 3 + 1))
sleep 1.5
shows_title full 240 0 3
for side in 0 1680; do
  import -window root -crop "240x1080+$side+0" +repage "$work/bar-$side.png"
  [ "$(convert "$work/bar-$side.png" -format '%[max]' info:)" = 0 ] ||
    fail "--fullscreen: the bar at x $side is not black"
done
reaches 240 0 0 0
reaches $((240 + 3 * 479 + 2)) $((3 * 359 + 2)) 479 359
reaches $((240 + 3 * 123 + 1)) $((3 * 45 + 1)) 123 45
xdotool key alt+Return
wait_client 960 720 || fail "Alt+Enter: the client area is ${cw:-no window} x ${ch:-}, not the window's 960 x 720"
echo "Alt+Enter: back to the window, client area 960 x 720 at ($cx, $cy)"
xdotool key alt+Return
wait_client 1920 1080 || fail "Alt+Enter again: the client area is ${cw:-no window} x ${ch:-}, not 1920 x 1080"
ends_on_escape $gpid
echo PASS
