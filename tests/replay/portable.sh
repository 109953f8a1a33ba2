#!/usr/bin/env bash
# Recorded sessions played by every build: tests/replay/game.txt (a whole game) and gallery.txt
# (every page of the effects gallery: rotations, waves, transitions, wipes), each recorded in its
# SDL window on x86-64 Linux under a private X server (tests/replay/record.sh made them), replayed
# by the headless runners of one build with --check, which compares every frame's state hash and
# picture hash with the recording's. This machine's runners replay them too, and the build's
# traces (every ball's position every frame, the score, the password; the gallery's page) and
# sound must equal this machine's: the traces byte for byte, the sound sample for sample (unless
# the build had to take a FluidSynth not built from the one source, said below, and measured on
# every run).
#
# Fused multiply-adds (a*b+c in one rounding, which GCC makes by default where the processor has
# the instruction) or a C library's own sine, cosine or power would move the balls or an effect's
# pixels in their last bits wherever a result lands near a rounding boundary; the builds turn
# contraction off and the game computes its own cosine and sine (docs/architecture.md).
#
#   portable.sh native  SESSIONS NATIVE_BIN WORK
#   portable.sh arm64   SESSIONS NATIVE_BIN WORK ARM64_BIN            (under qemu-aarch64)
#   portable.sh windows SESSIONS NATIVE_BIN WORK WINDOWS_BUILD PREFIX (under Wine)
#   portable.sh web     SESSIONS NATIVE_BIN WORK RUNNER_DIR MODULES   (in chromium)
# SESSIONS is the folder of game.txt and gallery.txt.
# exit 0 pass, 1 fail, 77 skipped (one line: the build or its tool is missing)
set -u
kind=$1; sessions=$2; native=$3; work=$4; shift 4
here=$(cd "$(dirname "$0")" && pwd)
fail() { echo "FAIL: $kind: $*"; exit 1; }
skip() { echo "SKIPPED: portable replay on $kind: $*"; exit 77; }
for what in game gallery; do
  [ -f "$sessions/$what.txt" ] || fail "no recording $sessions/$what.txt"
done

# The build's runners and what they need, checked before anything runs.
case $kind in
  native) ;;
  arm64)
    ARM64_BIN=$1
    . "$here/../arm64/qemu.sh"
    arm64_check quorbix-headless quorbix-gallery-headless ;;
  windows)
    wbuild=$1; PREFIX=$2
    for p in quorbix-headless quorbix-gallery-headless; do
      [ -f "$wbuild/bin/$p.exe" ] || skip "no $wbuild/bin/$p.exe (make windows builds it)"
    done
    zip=$(ls "$wbuild"/quorbix-*-windows-x64.zip 2>/dev/null | head -1)
    [ -n "$zip" ] || skip "no Windows package in $wbuild (make windows makes it)"
    . "$here/../windows/wine.sh" ;;
  web)
    runner=$1; modules=$2
    for p in quorbix-headless quorbix-gallery-headless; do
      [ -f "$runner/$p.js" ] || skip "no $runner/$p.js (make web builds it)"
    done
    command -v node >/dev/null || skip "node is missing"
    command -v chromium >/dev/null || skip "chromium is missing (scripts/setup-deps test installs it)"
    [ -d "$modules/puppeteer-core" ] || skip "no puppeteer-core in $modules (scripts/web-deps installs it)" ;;
  *) echo "portable.sh: unknown build '$kind'"; exit 2 ;;
esac
rm -rf "$work"; mkdir -p "$work"
if [ "$kind" = windows ]; then
  # The package's folder holds what the runners read beside themselves (fonts, sound font, music).
  trap 'wine_stop' EXIT
  wine_ready
  wine_unpack "$zip" "replay"
  cp "$wbuild/bin/quorbix-headless.exe" "$wbuild/bin/quorbix-gallery-headless.exe" "$FOLDER/"
fi
win() { echo "Z:${1//\//\\}"; }
# The runner's verdict in its LOG, "replay: N frames as recorded".
replayed() { grep -o 'replay: [0-9]* frames as recorded' "$1"; }

# PROGRAM's headless runner of the build (RUN) replays SESSION into DIR: trace.jsonl, sound.wav,
# log (standard error); the status in $status.
run() {
  local how=$1 program=$2 session=$3 dir=$4
  mkdir -p "$dir"
  case $how in
    native)
      "$native/$program" --check "$session" --trace "$dir/trace.jsonl" --audio "$dir/sound.wav" 2>"$dir/log" ;;
    arm64)
      arm64_run "$program" --check "$session" --trace "$dir/trace.jsonl" --audio "$dir/sound.wav" 2>"$dir/log" ;;
    windows)
      cp "$session" "$dir/session.txt"
      wine "C:\\replay\\$program.exe" --check "$(win "$dir/session.txt")" --trace "$(win "$dir/trace.jsonl")" \
        --audio "$(win "$dir/sound.wav")" 2>"$dir/log" >/dev/null ;;
    web)
      NODE_PATH=$modules node "$here/web-replay.cjs" --runner "$runner" --program "$program" --session "$session" \
        --out "$dir" --modules "$modules" >"$dir/page.log" 2>&1
      local s=$?
      [ $s = 77 ] && skip "$(tail -1 "$dir/page.log")"
      [ -f "$dir/log" ] || { cat "$dir/page.log"; fail "the page did not run $program"; }
      return $s ;;
  esac
}

failed=0
for what in game gallery; do
  program=quorbix-headless
  [ $what = gallery ] && program=quorbix-gallery-headless
  session=$sessions/$what.txt
  # This machine's replay: what the other builds' trace and sound are compared with.
  ref=$work/native-$what
  start=$SECONDS
  run native $program "$session" "$ref" ||
    { sed 's/^/  /' "$ref/log" | head -20; kind=native fail "$what: this machine's replay differs from the recording"; }
  frames=$(replayed "$ref/log") || { cat "$ref/log"; kind=native fail "$what: no verdict from this machine's replay"; }
  echo "$what natively: $frames ($((SECONDS - start)) s)"
  [ "$kind" = native ] && continue

  out=$work/$kind-$what
  start=$SECONDS
  run $kind $program "$session" "$out"
  status=$?
  took=$((SECONDS - start))
  if [ $status != 0 ]; then
    sed 's/^/  /' "$out/log" | head -20
    fail "$what: the replay differs from the recording (status $status)"
  fi
  got=$(replayed "$out/log") || { cat "$out/log"; fail "$what: no verdict from the replay"; }
  [ "$got" = "$frames" ] || fail "$what: $got, natively $frames"
  echo "$what on $kind: $got ($took s)"

  if ! cmp -s "$ref/trace.jsonl" "$out/trace.jsonl"; then
    echo "FAIL: $kind: $what: the trace differs from this machine's; the first line apart:"
    diff "$ref/trace.jsonl" "$out/trace.jsonl" | head -4 | cut -c1-300
    failed=1
  fi
  # The sound: sample by sample (sound_diff.py). Every build plays the music through FluidSynth
  # built from Debian's source without fused multiply-adds (Linux x86-64 through Debian's own
  # library, which has none), so no sample may differ; a build that had to take another
  # FluidSynth is allowed its own difference, and says so.
  largest=0 share=0
  case $kind in
    arm64)
      if [ ! -f "$ARM64_BIN/libfluidsynth.so.3" ]; then
        # Debian's arm64 library fuses its multiply-adds: a unit in the last bit, in a few samples.
        echo "$what: the arm64 build plays Debian's arm64 FluidSynth (no FluidSynth source when it was built): allowed 1 in 0.1 % of the samples"
        largest=1 share=1
      fi ;;
    web)
      if ! grep -q "built from" "$runner/libfluidsynth.txt" 2>/dev/null; then
        # Another build of FluidSynth (2.3.0, built elsewhere): the game's music differs from 17 s
        # on in 3.0 % of the samples, by up to 17 (of 32767); the gallery plays none.
        echo "$what: the pages play $(cat "$runner/libfluidsynth.txt" 2>/dev/null || echo "a FluidSynth of unknown origin"): allowed 20 in 4 % of the samples"
        largest=20 share=40
      fi ;;
  esac
  python3 "$here/sound_diff.py" "$ref/sound.wav" "$out/sound.wav" "$largest" "$share" "$kind: $what" || failed=1
done
[ "$failed" = 0 ] || exit 1
if [ "$kind" = native ]; then
  echo "PASS: native: every frame's state and picture as recorded"
else
  echo "PASS: $kind: every frame's state and picture as recorded, the traces the same bytes as this machine's"
fi
