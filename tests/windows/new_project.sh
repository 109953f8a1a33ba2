#!/usr/bin/env bash
# A game writer's Windows game, as docs/framework.md says it, word for word: quorbix-new's
# project (this build's SDK installed and quorbix-new run by the lines of "A game of your own in
# five minutes") cross-built against the SDK of the Windows package (build-windows' zip, which
# the first line of "The game on Windows" makes), its test run by ctest under Wine and its
# headless program run under Wine, all by the guide's own lines, run as they are written from a
# folder standing for the checkout, with a home of its own. Then the game's zip: its program a
# window program that needs no DLLs but Windows' own, its files, the fonts and the sound font
# beside it (those of the package, byte for byte), unzipped into a new folder where the game runs
# under Wine and a private X server, a replayed session to its end, finding its fonts.
#   new_project.sh SOURCE_DIR BUILD_DIR ZIP WORK_DIR PREFIX      exit 0 pass, 1 fail, 77 skipped
set -u
src=$1; build=$2; zip=$3; work=$4; PREFIX=$5
here=$(cd "$(dirname "$0")" && pwd)
[ -f "$zip" ] || { echo "SKIPPED: no Windows package $zip (make windows makes it)"; exit 77; }
for t in x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-objdump unzip Xvfb xdotool; do
  command -v $t >/dev/null || { echo "SKIPPED: $t is missing (scripts/setup-deps test installs it)"; exit 77; }
done
. "$here/wine.sh"
. "$here/../framework/host/session_steps.sh"
. "$here/../sdk/guide_commands.sh"
rm -rf "$work"; mkdir -p "$work/home" "$work/checkout/build-windows"
pids=""; xpid=""
trap 'for p in $pids; do kill $p 2>/dev/null; done; wine_stop; [ -n "$xpid" ] && kill $xpid 2>/dev/null' EXIT
fail() { echo "FAIL: $*"; exit 1; }
wine_ready
unset DISPLAY

mapfile -t five < <(guide_commands "$src/docs/framework.md" "## A game of your own in five minutes" |
  grep -E '^cmake --install build |quorbix-new mygame$')
mapfile -t lines < <(guide_commands "$src/docs/framework.md" "### The game on Windows")
[ "${#five[@]}" = 2 ] || fail "the guide no longer installs the SDK from build and starts mygame with quorbix-new"
[ "${#lines[@]}" -ge 4 ] && [ "${lines[0]}" = "make windows" ] ||
  fail "the guide's Windows commands no longer begin with 'make windows' (${lines[*]:-none})"

# The checkout the guide's commands run in: this build as its build folder, and the package that
# make windows made in its place.
export HOME=$work/home
ln -s "$build" "$work/checkout/build"
ln -s "$zip" "$work/checkout/build-windows/$(basename "$zip")"
for line in "${five[@]}"; do guide_line "$work/checkout" "$line"; done
start=$SECONDS
for line in "${lines[@]:1}"; do guide_line "$work/checkout" "$line"; done
echo "the guide's Windows commands ran in $((SECONDS - start)) s"
game=$work/checkout/mygame
out=$game/build-windows

# The headless run the guide shows: its frames, none with a box or an error.
[ -f "$game/trace.jsonl" ] || fail "the guide's headless run wrote no mygame/trace.jsonl"
frames=$(grep -c '"frame"' "$game/trace.jsonl")
[ "$frames" -ge 100 ] || fail "the headless run under Wine traced $frames frames, not 100"
grep -v '"boxes":\[\]' "$game/trace.jsonl" | grep -q '"frame"' && fail "a frame of the headless run shows a box"

# The zip: the program, its files, the fonts, the sound font and the libraries' licence texts, and
# nothing else.
[ -f "$out/mygame-windows.zip" ] || fail "the build made no mygame/build-windows/mygame-windows.zip"
listed=$(unzip -Z1 "$out/mygame-windows.zip" | grep -v '/$' | grep -v '^licences/' | sort | tr '\n' ' ')
expected="BEEP SPRITES fonts/LICENSE fonts/README fonts/quorbix-gothic.ttf fonts/quorbix-mincho.ttf mygame.exe sf2/LICENSE sf2/README sf2/TimGM6mb.sf2 "
[ "$listed" = "$expected" ] || fail "the zip holds: $listed; expected: $expected"
mkdir -p "$work/zip"
unzip -q "$out/mygame-windows.zip" -d "$work/zip"
sdk_package=$HOME/quorbix-windows
licences=$(cd "$sdk_package" && ls licences/*.txt 2>/dev/null)
[ -n "$licences" ] || fail "the Windows package holds no licence texts"
for f in fonts/quorbix-gothic.ttf fonts/quorbix-mincho.ttf fonts/LICENSE sf2/TimGM6mb.sf2 sf2/LICENSE $licences; do
  cmp -s "$work/zip/$f" "$sdk_package/$f" || fail "the zip's $f is not the Windows package's"
done
cmp -s "$work/zip/SPRITES" "$game/SPRITES" && cmp -s "$work/zip/BEEP" "$game/BEEP" ||
  fail "the zip's SPRITES and BEEP are not the project's"
objdump=$(x86_64-w64-mingw32-objdump -p "$work/zip/mygame.exe")
grep -q 'Subsystem.*(Windows GUI)' <<<"$objdump" ||
  fail "mygame.exe is not a program of the window subsystem: a double-click would open a console"
others=$(sed -n 's/^\s*DLL Name: //p' <<<"$objdump" |
  grep -viE '^(kernel32|user32|gdi32|winmm|imm32|ole32|oleaut32|version|uuid|advapi32|setupapi|shell32|ws2_32|shlwapi|iphlpapi|dnsapi|msvcrt|comdlg32|hid|dinput8|dxgi|bcrypt|rpcrt4|userenv|api-ms-win-[a-z0-9-]*)\.dll$' || true)
[ -z "$others" ] || fail "mygame.exe needs DLLs that Windows lacks: $others"

# The game unzipped alone into a new folder, played in a window under Wine: a session replayed to
# its close, the fonts found beside it, no box.
wine_unzip_dir="$PREFIX/drive_c/my game"
rm -rf "$wine_unzip_dir"; mkdir -p "$wine_unzip_dir"
unzip -q "$out/mygame-windows.zip" -d "$wine_unzip_dir"
# A Wine session started without the X server would open no windows on it: it is ended first.
wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
x_server
printf '5 move 300 220\n5 ldown\n5 lup\n40 close\n' >"$work/session.txt"
win_path() { echo "Z:${1//\//\\}"; }
SDL_AUDIODRIVER=dummy timeout 120 wine 'C:\my game\mygame.exe' --replay "$(win_path "$work/session.txt")" \
  --trace "$(win_path "$work/window.jsonl")" >"$work/window.log" 2>&1 ||
  { sed 's/^/  /' "$work/window.log"; fail "mygame.exe from its zip did not end well under Wine"; }
grep -q "fonts are missing" "$work/window.log" && fail "mygame.exe did not find its fonts beside it"
frames=$(grep -c '"frame"' "$work/window.jsonl" 2>/dev/null || echo 0)
[ "$frames" -ge 39 ] || { sed 's/^/  /' "$work/window.log"; fail "mygame.exe from its zip traced $frames frames, not 40"; }
grep -v '"boxes":\[\]' "$work/window.jsonl" | grep -q '"frame"' && fail "a frame of mygame.exe from its zip shows a box"
rm -rf "$wine_unzip_dir"
echo "PASS ($(wc -c <"$out/mygame-windows.zip") bytes in mygame-windows.zip)"
