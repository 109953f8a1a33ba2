#!/usr/bin/env bash
# The Windows game's error box under Wine, from its package, on a private X server: started with
# no sound device (an audio driver SDL does not have), the game shows its one box, caption
# "エラー発生" and text "elSound::Init : DirectSoundが使用できません" (--lang en: "Error",
# "elSound::Init : DirectSound cannot be used"). tests/windows/box_probe.c finds the box, reads
# its title and text, and checks the screen: the text's pixels are those of the text drawn in the
# message font, the title's those of the title in the caption's, and no two of the characters
# are drawn alike (the empty squares of a font without them). Enter closes the box, no second one
# follows, the game goes on, and Escape ends it with status 0, as on Linux. The screenshots stay
# in WORK_DIR (box-ja.png, box-en.png). The two languages run one after the other, each under a
# Wine server of its own (see win_box).
# Then the errors example (built against the package's SDK, tests/windows/programs.sh), beside
# it a TITLE.BMP that is missing and then one that breaks off after its header: its box
# "エラー発生" / "elDraw::LoadObject : BMPファイルを読み込めません" (in English "Error" / "... The
# BMP file cannot be read") checked the same way, in both languages, Enter closing it and Escape
# ending the program with the exit status the native program ends with on Linux, where the same
# steps are taken on SDL's own box (box-missing-ja.png, ... in WORK_DIR).
# Wine draws Japanese in its dialogs only with a font that has it (a player installs one, see the
# package's README.txt): the test links the IPAex Gothic face installed on this machine to Wine's
# dialog font, and lets Wine draw the boxes' frames itself (no window manager runs), putting both
# settings of the shared prefix back afterwards.
#   box.sh ZIP WORK_DIR PREFIX [NATIVE_BIN_DIR SOURCE_DIR PROGRAMS_DIR]    exit 0 pass, 1 fail, 77 skipped
set -u
zip=$1; work=$2; PREFIX=$3; bin=${4:-}; source=${5:-}; programs_dir=${6:-}
here=$(cd "$(dirname "$0")" && pwd)
[ -f "$zip" ] || { echo "SKIPPED: no Windows package $zip (make windows makes it)"; exit 77; }
for t in Xvfb xdotool xwininfo import x86_64-w64-mingw32-gcc-posix; do
  command -v $t >/dev/null || { echo "SKIPPED: $t is missing (scripts/setup-deps test installs it)"; exit 77; }
done
[ -n "$(fc-list 'IPAexGothic' file 2>/dev/null)" ] ||
  { echo "SKIPPED: no IPAex Gothic face for Wine's dialogs (scripts/setup-deps installs fonts-ipaexfont)"; exit 77; }
. "$here/wine.sh"
. "$here/../framework/host/session_steps.sh"
. "$here/programs.sh"
rm -rf "$work"; mkdir -p "$work"

link_key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
x11_key='HKCU\Software\Wine\X11 Driver'
pids=""; xpid=""; saved=""
# The prefix's settings as they were: each value's reg add arguments, or none.
saved_value() {
  wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
    awk -v name="$2" '$1 == name { $1 = ""; type = $2; $2 = ""; sub(/^ +/, ""); print type "\t" $0 }'
}
put_back() {
  for p in $pids; do kill $p 2>/dev/null; done
  if [ -n "$saved" ]; then
    wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
    wine reg delete "$link_key" /v Tahoma /f >/dev/null 2>&1
    wine reg delete "$x11_key" /v Managed /f >/dev/null 2>&1
    [ -z "$old_link" ] || wine reg add "$link_key" /v Tahoma /t "${old_link%%$'\t'*}" /d "${old_link#*$'\t'}" /f >/dev/null 2>&1
    [ -z "$old_managed" ] || wine reg add "$x11_key" /v Managed /d "${old_managed#*$'\t'}" /f >/dev/null 2>&1
    wineserver -w 2>/dev/null
  fi
  wine_stop; [ -n "$xpid" ] && kill $xpid 2>/dev/null
}
trap put_back EXIT
fail() {
  echo "FAIL: $*"
  for f in "$work"/*.log "$work"/probe-*.txt; do [ -s "$f" ] && { echo "$f:"; sed 's/^/  /' "$f"; }; done
  exit 1
}
x86_64-w64-mingw32-gcc-posix -municode -O1 "$here/box_probe.c" -lgdi32 -o "$work/box_probe.exe" ||
  fail "the box probe does not build"
x_server
wine_ready
wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
old_link=$(saved_value "$link_key" Tahoma)
old_managed=$(saved_value "$x11_key" Managed)
saved=1
# The IPAex face first, then what Wine linked before.
wine reg add "$link_key" /v Tahoma /t REG_MULTI_SZ /d "ipaexg.ttf,IPAexGothic${old_link:+\\0${old_link#*$'\t'}}" /f \
  >/dev/null 2>&1 || fail "the dialog font's link could not be set"
wine reg add "$x11_key" /v Managed /d N /f >/dev/null 2>&1 || fail "Wine could not be told to draw the frames"
wineserver -w 2>/dev/null
wine_unpack "$zip" "ゲーム 箱"

# probe TITLE: box_probe's answer in $work/probe-$name.txt; its status in $probed.
# A probe that printed nothing did not run (Wine failed to start it): no box seen.
probe() {
  wine "$work/box_probe.exe" "$1" 2>/dev/null | tr -d '\r' >"$work/probe-$name.txt"; probed=${PIPESTATUS[0]}
  [ -s "$work/probe-$name.txt" ] || probed=3
}
# win_box NAME TITLE TEXT WINDOW EXE [OPTION...]: EXE started under Wine (with $box_env before it)
# must show one box titled TITLE saying TEXT, on the screen (box-NAME.png); Enter closes it, no
# second one follows, the program's window (titled WINDOW...) goes on and Escape ends it; the
# exit status in $status.
win_box() {
  name=$1; local title=$2 text=$3 window=$4 exe=$5 i w; shift 5
  env $box_env wine "$exe" "$@" >"$work/$name.log" 2>&1 & gpid=$!
  pids="$pids $gpid"
  probed=3
  for i in $(seq 120); do probe "$title"; [ $probed != 3 ] && break; kill -0 $gpid 2>/dev/null || { echo "$name: the program is gone after $i tries"; break; }; sleep 0.5; done
  [ $probed != 3 ] || fail "$name: no box titled '$title' within 60 s"
  sleep 1; probe "$title"   # drawn whole by now
  import -window root "$work/box-$name.png" || fail "the screen could not be captured"
  grep -qxF "title $title" "$work/probe-$name.txt" || fail "$name: the box's title is not '$title'"
  grep -qxF "text Static $text" "$work/probe-$name.txt" || fail "$name: the box does not say '$text'"
  [ $probed = 0 ] || fail "$name: the screen does not show the box's title and text (see $work/box-$name.png)"
  echo "$name: '$title' / '$text' on the screen: $(grep -c . "$work/probe-$name.txt") checks"
  xdotool key Return
  for i in $(seq 40); do probe "$title"; [ $probed = 3 ] && break; sleep 0.5; done
  [ $probed = 3 ] || fail "$name: Enter did not close the box"
  sleep 2; probe "$title"
  [ $probed = 3 ] || fail "$name: a second box followed the first"
  kill -0 $gpid 2>/dev/null || fail "$name: the program ended with the box"
  w=$(xdotool search --name "^$window" 2>/dev/null | head -1)
  [ -n "$w" ] || fail "$name: no window titled $window after the box"
  xdotool key --window "$w" Escape
  for i in $(seq 100); do kill -0 $gpid 2>/dev/null || break; sleep 0.1; done
  kill -0 $gpid 2>/dev/null && fail "$name: the program did not end on Escape"
  status=0; wait $gpid || status=$?
  # Escape's release, sent after its press to a window the program has closed by then, never
  # reaches Wine, which keeps the key held for as long as its server runs: the next program
  # started under it would read Escape at once and end. So each runs under a server of its own.
  wineserver -w 2>/dev/null
}
# The X window titled exactly TITLE ("" when none). SDL's own box has no class, and xdotool's
# search passes over such windows.
x_window() { xwininfo -root -tree 2>/dev/null | awk -v t=" \"$1\": " 'index($0, t) { print $1; exit }'; }
# linux_box NAME TITLE WINDOW PROGRAM [OPTION...]: the native program on the same X server, its box
# (SDL's own) closed with Enter and the program ended with Escape the same way; the exit status in
# $status.
linux_box() {
  name=$1; local title=$2 window=$3 program=$4 i b w; shift 4
  SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy "$program" "$@" >"$work/$name.log" 2>&1 & gpid=$!
  pids="$pids $gpid"
  b=""
  for i in $(seq 300); do
    b=$(x_window "$title"); [ -n "$b" ] && break
    kill -0 $gpid 2>/dev/null || break; sleep 0.1
  done
  [ -n "$b" ] || fail "$name: no box titled '$title' within 30 s"
  sleep 0.5; xdotool key Return
  for i in $(seq 50); do [ -z "$(x_window "$title")" ] && break; sleep 0.1; done
  [ -z "$(x_window "$title")" ] || fail "$name: Enter did not close the box"
  w=$(xdotool search --name "^$window" 2>/dev/null | head -1)
  [ -n "$w" ] || fail "$name: no window titled $window after the box"
  xdotool windowfocus "$w" 2>/dev/null; sleep 0.3; xdotool key Escape
  for i in $(seq 100); do kill -0 $gpid 2>/dev/null || break; sleep 0.1; done
  kill -0 $gpid 2>/dev/null && fail "$name: the program did not end on Escape"
  status=0; wait $gpid || status=$?
}

# 1. The game with no sound device: its one box, in both languages, one after the other.
box_env="SDL_AUDIODRIVER=no-such-driver"
for lang in ja en; do
  if [ $lang = ja ]; then title="エラー発生"; text="elSound::Init : DirectSoundが使用できません"
  else title="Error"; text="elSound::Init : DirectSound cannot be used"; fi
  win_box $lang "$title" "$text" Quorbix 'C:\ゲーム 箱\quorbix.exe' --lang $lang
  [ $status = 0 ] || fail "$lang: the game ended with status $status, not 0"
done

# 2. A bitmap the program loads that is not there, and one that is not a bitmap: the errors
# example's TITLE.BMP beside it, on Linux and under Wine, the same box and the same exit status.
if [ -n "$bin" ]; then
  [ -x "$bin/framework-examples-window" ] || fail "no $bin/framework-examples-window"
  windows_programs "$zip" "$source" "$programs_dir"
  cp "$PROGRAMS/errors.exe" "$FOLDER/"
  mkdir -p "$work/linux"; cp "$bin/framework-examples-window" "$work/linux/"
  box_env="SDL_AUDIODRIVER=dummy"
  for asset in missing broken; do
    rm -f "$FOLDER/TITLE.BMP" "$work/linux/TITLE.BMP"
    # A file that begins as a bitmap does and breaks off after its first header.
    [ $asset = missing ] || printf 'BM\066\000\000\000\000\000\000\000\066\000\000\000' | tee "$FOLDER/TITLE.BMP" >"$work/linux/TITLE.BMP"
    for lang in ja en; do
      if [ $lang = ja ]; then title="エラー発生"; text="elDraw::LoadObject : BMPファイルを読み込めません"
      else title="Error"; text="elDraw::LoadObject : The BMP file cannot be read"; fi
      linux_box linux-$asset-$lang "$title" Errors "$work/linux/framework-examples-window" errors --lang $lang
      linux_status=$status
      win_box $asset-$lang "$title" "$text" Errors 'C:\ゲーム 箱\errors.exe' --lang $lang
      [ $status = $linux_status ] ||
        fail "$asset-$lang: the program ended with status $status under Wine and $linux_status on Linux"
      echo "$asset-$lang: status $status, as on Linux"
    done
  done
fi
echo PASS
