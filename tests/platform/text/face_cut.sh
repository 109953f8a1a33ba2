#!/usr/bin/env bash
# A page's small cut of the faces draws every text of the game exactly as the whole faces do. The
# cut is made as the web build makes the game's (tools/page_chars.py over the game's and the
# framework's sources, tools/web_font_subset.py) from the system's IPAex faces, then:
#   - font_subset_check finds every character of the cut drawn as the whole face draws it (the
#     hinted outline, the advance and the bitmap at 9 sizes) and the face's measures the same;
#   - the game's frames of every text (test FaceCut.FramesOfEveryText: each scene, language and
#     level, every password letter, every digit) are the same with the cut as with the whole
#     faces, both given to the game through fontconfig;
#   - a cut without the characters the font hinter measures a face by is caught drawing otherwise,
#     by the check and in the frames.
#   face_cut.sh SOURCE_DIR PROGRAM_TESTS CHECKER WORK_DIR     exit 0 pass, 1 fail, 77 skipped
set -u
src=$1; tests=$2; checker=$3; work=$4
fail() { echo "FAIL: $*"; exit 1; }
python=/usr/bin/python3
[ -x "$python" ] && "$python" -c 'import fontTools.subset' 2>/dev/null ||
  { echo "SKIPPED: no fontTools for $python (apt-get install fonttools)"; exit 77; }
gothic=$(fc-match -f '%{file}' 'IPAexGothic:lang=ja' 2>/dev/null); mincho=$(fc-match -f '%{file}' 'IPAexMincho:lang=ja' 2>/dev/null)
[[ $(fc-match -f '%{family}' 'IPAexGothic:lang=ja' 2>/dev/null) == *IPAexGothic* ]] ||
  { echo "SKIPPED: the IPAex faces are not installed"; exit 77; }
rm -rf "$work"; mkdir -p "$work/whole" "$work/cut"; cd "$work" || exit 1
cp "$gothic" whole/gothic.ttf && cp "$mincho" whole/mincho.ttf || fail "copying the faces"

mapfile -t sources < <(find "$src/game" "$src/framework" "$src/platform" "$src/include" -type f \
  \( -name '*.cpp' -o -name '*.h' \) -not -path '*/windows/*' | sort)
"$python" "$src/tools/page_chars.py" chars.txt "$src/tools/hinter-chars.txt" "${sources[@]}" || fail "page_chars.py"
: >none.txt
"$python" "$src/tools/page_chars.py" chars-unhinted.txt none.txt "${sources[@]}" || fail "page_chars.py"
for face in gothic mincho; do
  name="Quorbix ${face^}"
  "$python" "$src/tools/web_font_subset.py" --no-hinting "whole/$face.ttf" "cut/$face.ttf" chars.txt "$name" "a test's cut" \
    >"cut-$face.log" 2>&1 || fail "cutting $face: $(cat "cut-$face.log")"
  "$checker" --chars chars.txt "whole/$face.ttf" "cut/$face.ttf" >"check-$face.log" 2>&1 ||
    fail "the cut of $face draws otherwise: $(cat "check-$face.log")"
  "$python" "$src/tools/web_font_subset.py" --no-hinting "whole/$face.ttf" "unhinted-$face.ttf" chars-unhinted.txt "$name" "x" \
    >/dev/null 2>&1 || fail "cutting $face without the hinter's characters"
  mkdir -p unhinted && cp "unhinted-$face.ttf" "unhinted/$face.ttf"
  "$checker" --chars chars-unhinted.txt "whole/$face.ttf" "unhinted-$face.ttf" >/dev/null 2>&1
  [ $? = 1 ] || fail "a cut of $face without the hinter's characters was not found to draw otherwise"
done
echo "cut: $(grep -c . chars.txt) characters asked; $(sed -n 's/.*mapped or shared, //p' cut-gothic.log) in the Gothic cut"

# The faces under the families the game asks for, from a folder of the test's own.
conf() {   # conf NAME DIR: NAME.conf, with the cut's families standing for the installed ones
  cat >"$1.conf" <<CONF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig><dir>$work/$2</dir><cachedir>$work/cache-$1</cachedir>
<alias binding="same"><family>IPAexGothic</family><accept><family>Quorbix Gothic</family></accept></alias>
<alias binding="same"><family>IPAexMincho</family><accept><family>Quorbix Mincho</family></accept></alias>
</fontconfig>
CONF
}
conf whole whole
conf cut cut
conf unhinted unhinted
for run in whole cut unhinted; do
  FONTCONFIG_FILE="$work/$run.conf" QRB_FACE_FRAMES="$work/frames-$run.txt" \
    "$tests" --gtest_filter=FaceCut.FramesOfEveryText >"test-$run.log" 2>&1 || fail "$run: $(tail -20 "test-$run.log")"
  [ -s "frames-$run.txt" ] || fail "$run: no frames written"
done
grep -q "drawn with IPAexGothic" frames-whole.txt || fail "the whole run did not draw with IPAexGothic: $(tail -1 frames-whole.txt)"
grep -q "drawn with Quorbix Gothic" frames-cut.txt || fail "the cut run did not draw with the cut: $(tail -1 frames-cut.txt)"
differ=$(diff <(sed '$d' frames-whole.txt) <(sed '$d' frames-cut.txt) | grep -c '^<')
[ "$differ" = 0 ] || fail "$differ of $(($(wc -l <frames-whole.txt) - 1)) frames differ with the cut: $(diff frames-whole.txt frames-cut.txt | head -6)"
unhinted=$(diff <(sed '$d' frames-whole.txt) <(sed '$d' frames-unhinted.txt) | grep -c '^<')
[ "$unhinted" -gt 0 ] || fail "the frames did not change with a cut lacking the hinter's characters: they do not show the texts"
echo "PASS: $(($(wc -l <frames-whole.txt) - 1)) frames the same with the cut as with the whole faces ($unhinted differ without the hinter's characters)"
