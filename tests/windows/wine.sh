# The Windows programs' tests: Wine with a private prefix, made once and shared by the tests of
# one build tree (the first boot takes a minute; later ones reuse it). Sourced by the scripts of
# tests/windows with PREFIX set to the prefix's folder; exits 77 (skipped) without Wine.
#   wine_ready            boots the prefix if it is new; sets WINEPREFIX, WINEDEBUG
#   wine_stop             ends this prefix's wineserver (only ours: WINEPREFIX is set)
#   wine_unpack ZIP NAME  the package unzipped into the prefix's drive C:, in the folder NAME (a
#                         name with a space and Japanese characters, as a player might choose),
#                         the programs at its top; sets FOLDER; calls fail on a bad package
command -v wine >/dev/null || { echo "SKIPPED: wine is missing (scripts/setup-deps test installs wine64)"; exit 77; }
export WINEDEBUG=-all
# Wine reads the command line's and the file names' bytes in the locale's character set: in the C
# locale (a shell or CI runner with no LANG) "C:\ゲーム フォルダ\quorbix.exe" cannot be opened
# (c0000135), and xwininfo prints Japanese titles as "(failure in conversion ...)".
case $(locale charmap 2>/dev/null) in UTF-8) ;; *) export LC_ALL=C.UTF-8 ;; esac
# No Mono or Gecko installer dialogs on the first boot: the programs need neither.
export WINEDLLOVERRIDES="mscoree,mshtml="
wine_ready() {
  export WINEPREFIX=$PREFIX
  mkdir -p "$(dirname "$PREFIX")"
  (
    flock 9
    if [ ! -f "$PREFIX/.booted" ]; then
      echo "making the Wine prefix $PREFIX (once per build tree)"
      rm -rf "$PREFIX"
      wineboot -i >/dev/null 2>&1 && wineserver -w && touch "$PREFIX/.booted"
    fi
  ) 9>"$PREFIX.lock"
  [ -f "$PREFIX/.booted" ] || { echo "FAIL: the Wine prefix $PREFIX could not be made"; exit 1; }
}
wine_stop() { [ -n "${WINEPREFIX:-}" ] && wineserver -k 2>/dev/null; true; }
wine_unpack() {
  FOLDER="$PREFIX/drive_c/$2"
  rm -rf "$FOLDER"; mkdir -p "$FOLDER"
  (cd "$FOLDER" && cmake -E tar xf "$1") || fail "the package does not unzip"
  local top
  top=$(ls "$FOLDER")
  [ -f "$FOLDER/$top/quorbix.exe" ] && { mv "$FOLDER/$top"/* "$FOLDER/"; rmdir "$FOLDER/$top"; }
  [ -f "$FOLDER/quorbix.exe" ] || fail "no quorbix.exe in the package"
}
