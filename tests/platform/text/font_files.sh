#!/usr/bin/env bash
# The game's faces as fontconfig names them, from a font folder of the test's own: copies of the
# system's Japanese faces draw the title exactly as the system's files do; a face file that is
# cut short, emptied, gone or a folder after fontconfig listed it is said once on standard error
# and the frame is drawn without text, never a crash; a run ending before its first frame, while
# the faces are made ready, ends cleanly.
#   font_files.sh BIN_DIR WORK_DIR     exit 0 pass, 1 fail, 77 skipped
set -u
bin=$1; work=$2
fail() { echo "FAIL: $*"; exit 1; }
command -v fc-match >/dev/null || { echo "SKIPPED: fc-match is missing"; exit 77; }
gothic=$(fc-match -f '%{file}' 'IPAexGothic:lang=ja'); mincho=$(fc-match -f '%{file}' 'IPAexMincho:lang=ja')
[[ $(fc-match -f '%{family}' 'IPAexGothic:lang=ja') == *IPAexGothic* ]] ||
  { echo "SKIPPED: the IPAex faces are not installed"; exit 77; }
rm -rf "$work"; mkdir -p "$work/fonts"; cd "$work" || exit 1
cp "$gothic" fonts/gothic.ttf && cp "$mincho" fonts/mincho.ttf || fail "copying the faces"
cat >fonts.conf <<CONF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig><dir>$work/fonts</dir><cachedir>$work/cache</cachedir></fontconfig>
CONF
# run NAME [ENV...]: the first frame of the game into NAME/frame-000001.png, its stderr in $err.
run() {
  local name=$1; shift
  env "$@" "$bin/quorbix-headless" --frames 1 --dump 1 --frames-dir "$name" >/dev/null 2>err.log
  local status=$?
  err=$(cat err.log)
  [ $status = 0 ] || fail "$name: exit status $status: $err"
}
run system
run copies FONTCONFIG_FILE="$work/fonts.conf"
[ -z "$err" ] || fail "the copied faces: $err"
cmp -s system/frame-000001.png copies/frame-000001.png || fail "the copied faces draw other pixels"

# Fontconfig keeps its list of the folder (made by the run above) while the folder's time is the
# same: each damage below is done with the folder's time put back, so the list still names both
# files as good faces and the engine meets the damage itself.
touch -r fonts folder.time
damage() {
  case $1 in
    cut) for f in fonts/*.ttf; do head -c 3000 "$f" >cut.tmp && cat cut.tmp >"$f"; done ;;
    empty) for f in fonts/*.ttf; do : >"$f"; done ;;
    zeros) for f in fonts/*.ttf; do head -c "$(stat -c %s "$f")" /dev/zero >cut.tmp && cat cut.tmp >"$f"; done ;;
    gone) rm fonts/*.ttf ;;
    folder) rm fonts/*.ttf && mkdir fonts/gothic.ttf fonts/mincho.ttf ;;
  esac
  touch -r folder.time fonts
}
for how in cut empty zeros gone folder; do
  rm -rf fonts/*.ttf && cp "$gothic" fonts/gothic.ttf && cp "$mincho" fonts/mincho.ttf && touch -r folder.time fonts
  damage $how
  run $how FONTCONFIG_FILE="$work/fonts.conf"
  [ "$(grep -c 'no font can be opened' err.log)" = 1 ] || fail "$how: not said once: $err"
  cmp -s system/frame-000001.png $how/frame-000001.png && fail "$how: the text was drawn all the same"
done
# A run that ends before its first frame ends while the faces are still being made ready on their
# own thread: it waits for them and ends cleanly, every time.
for i in 1 2 3 4 5 6 7 8 9 10; do
  "$bin/quorbix-headless" --frames 0 >/dev/null 2>err.log || fail "a run of no frames: exit status $?: $(cat err.log)"
  [ -s err.log ] && fail "a run of no frames: $(cat err.log)"
done
echo PASS
