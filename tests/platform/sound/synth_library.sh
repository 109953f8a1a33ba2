#!/usr/bin/env bash
# The MIDI synthesiser's library is loaded when the music starts, not with the program, whose
# start-up it would otherwise cost most of: the programs do not link it, the game's music plays
# through it, and without it the game plays on silent, said once, never a crash. A library of
# that name beside the program comes before the system's (the arm64 build carries its own), and
# one beside it that cannot be loaded is said, and the system's plays.
#   synth_library.sh BIN_DIR WORK_DIR SHIM     exit 0 pass, 1 fail
set -u
bin=$1; work=$2; shim=$3
fail() { echo "FAIL: $*"; exit 1; }
rm -rf "$work"; mkdir -p "$work"; cd "$work" || exit 1
for p in quorbix-headless quorbix; do
  [ -x "$bin/$p" ] || continue
  ldd "$bin/$p" | grep -q fluidsynth && fail "$p links the synthesiser's library: $(ldd "$bin/$p" | grep fluidsynth)"
done
[ -f "$bin/QRBX.MID" ] || fail "no QRBX.MID beside the program"
# A click on the title starts the game and its music; 60 frames of it.
printf '2 move 240 180\n2 ldown\n2 lup\n' >start.txt
# run NAME [ENV...]: the game for 62 frames, its trace in NAME.jsonl, its stderr in $err; the
# program in $program's folder (by default the build's).
program=$bin/quorbix-headless
run() {
  local name=$1; shift
  env "$@" "$program" --frames 62 --trace $name.jsonl start.txt >/dev/null 2>err.log
  local status=$?
  err=$(cat err.log)
  [ $status = 0 ] || fail "$name: exit status $status: $err"
  [ "$(grep -c '"frame"' $name.jsonl)" = 62 ] || fail "$name: not every frame ran"
}
run with
[[ $err == *"could not be loaded"* ]] && fail "the library did not load: $err"
[ "$(grep -c '"playing":1' with.jsonl)" -ge 55 ] || fail "the music did not play"
run without LD_PRELOAD="$shim"
[ "$(grep -c "the MIDI synthesiser's library libfluidsynth.so.3 could not be loaded" err.log)" = 1 ] ||
  fail "the missing library was not said once: $err"

# The runner copied into a folder of its own, with its music, and a libfluidsynth.so.3 beside it.
mkdir own
cp "$bin/quorbix-headless" "$bin/QRBX.MID" own/
program=$PWD/own/quorbix-headless
# A library without the synthesiser's calls: taken before the system's (and so the music is silent).
cp "$shim" own/libfluidsynth.so.3
run own-without-calls
[ "$(grep -c "library $PWD/own/libfluidsynth.so.3 could not be loaded (it has no " err.log)" = 1 ] ||
  fail "the library beside the program was not the one loaded: $err"
# A file that is no library: said, and the system's plays the music.
echo "not a library" >own/libfluidsynth.so.3
run own-broken
[ "$(grep -c "beside the program, $PWD/own/libfluidsynth.so.3, could not be loaded" err.log)" = 1 ] ||
  fail "the broken library beside the program was not said once: $err"
[ "$(grep -c '"playing":1' own-broken.jsonl)" -ge 55 ] || fail "the system's library did not play the music: $err"
echo PASS
