#!/usr/bin/env bash
# The Windows package's README.txt tells what the programs are built from: each library the
# programs link with its Debian source package, exact version and licence (written by the build),
# the MinGW-w64 runtime's versions, how to relink with changed LGPL libraries, and how to read
# the boxes where Wine draws no Japanese. The copyright and licence text of each of those
# libraries, of MinGW-w64's runtime and of the sound font. And each of the two faces in the
# package once.
#   readme.sh ZIP WORK_DIR     exit 0 pass, 1 fail, 77 skipped
set -u
zip=$1; work=$2
[ -f "$zip" ] || { echo "SKIPPED: no Windows package $zip (make windows makes it)"; exit 77; }
rm -rf "$work"; mkdir -p "$work"
(cd "$work" && cmake -E tar xf "$zip") || { echo "FAIL: the package does not unzip"; exit 1; }
readme=$(find "$work" -name README.txt -maxdepth 2 | head -1)
[ -n "$readme" ] || { echo "FAIL: no README.txt in the package"; exit 1; }
text=$(tr -d '\r' <"$readme")
failed=0
fail() { echo "FAIL: $*"; failed=1; }
# A music-less build links no synthesiser, nor what only it needs.
libs="zlib libpng freetype sdl2"
grep -q "has no MIDI synthesiser" <<<"$text" || libs="$libs libffi pcre2 libintl glib fluidsynth"
for lib in $libs; do
  line=$(grep -A1 "^  $lib: Debian source package [a-z0-9.+-]* [0-9]" <<<"$text")
  [ -n "$line" ] || { fail "README.txt gives no source and version for $lib"; continue; }
  grep -q "^      licence: ." <<<"$line" || fail "README.txt gives no licence for $lib"
done
top=$(dirname "$readme")
for lib in $libs mingw-w64-x86-64-dev gcc-mingw-w64-x86-64-posix-runtime GPL-2 GPL-3 LGPL-2.1; do
  [ -s "$top/licences/$lib.txt" ] || fail "the package has no licence text for $lib (licences/$lib.txt)"
done
grep -qi "GPL" "$top/sf2/LICENSE" 2>/dev/null || fail "the package has no licence text for the sound font (sf2/LICENSE)"
grep -q "mingw-w64-x86-64-dev [0-9]" <<<"$text" && grep -q "gcc-mingw-w64-x86-64-posix-runtime [0-9]" <<<"$text" ||
  fail "README.txt does not give the MinGW-w64 runtime's versions"
[[ $libs != *fluidsynth* ]] || grep -q "put them in place of the ones in sdk.lib" <<<"$text" ||
  fail "README.txt does not say how to relink with changed LGPL libraries"
# A player whose Wine shows a Japanese box as squares is told what to do.
grep -q -- "--lang en" <<<"$text" && grep -q "cjkfonts" <<<"$text" ||
  fail "README.txt does not say how to read the boxes where Japanese is not drawn"
# Where a program started from Explorer writes its messages.
grep -qF '%LOCALAPPDATA%\quorbix\quorbix.log' <<<"$text" || fail "README.txt does not say where the game's log is"
# Each face lies in the package once, in fonts/, where the game finds it and the SDK's
# quorbix_add_windows_zip takes it from for a game writer's zip: no copy of it under sdk/ or
# anywhere else, and no other font file.
for face in quorbix-gothic.ttf quorbix-mincho.ttf; do
  [ -f "$top/fonts/$face" ] || { fail "the package has no fonts/$face"; continue; }
  sum=$(sha256sum <"$top/fonts/$face" | cut -d' ' -f1)
  copies=$(find "$top" -type f -exec sha256sum {} + | grep -c "^$sum ")
  [ "$copies" = 1 ] || fail "the package holds fonts/$face $copies times"
done
fonts=$(find "$top" -type f | grep -iE '\.(ttf|otf|ttc|woff2?)$' | sed "s|^$top/||" | sort | tr '\n' ' ')
[ "$fonts" = "fonts/quorbix-gothic.ttf fonts/quorbix-mincho.ttf " ] || fail "the package's font files: $fonts"
[ $failed = 0 ] && echo PASS
exit $failed
