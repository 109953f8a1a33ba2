#!/usr/bin/env bash
# One recording played by every build: tests/replay/session.txt, a whole game recorded in the SDL
# window on x86-64 Linux under a private X server (tests/replay/record.sh made it), replayed by the
# headless runner of one build with --check, which compares every frame's state hash and picture
# hash with the recording's. This machine's runner replays it too, and the build's trace (every
# ball's position every frame, the score, the password) and its sound must equal this machine's:
# the trace byte for byte, the sound sample for sample, except where the build's music library
# itself renders otherwise (said below for each build, and measured on every run).
#
# Fused multiply-adds (a*b+c in one rounding, which GCC makes by default where the processor has
# the instruction) or a C library's own sine and cosine move the balls in their last bits, and the
# frames part from the recording within a few frames of play.
#
#   portable.sh native  SESSION NATIVE_BIN WORK
#   portable.sh arm64   SESSION NATIVE_BIN WORK ARM64_BIN           (under qemu-aarch64)
#   portable.sh windows SESSION NATIVE_BIN WORK WINDOWS_BUILD PREFIX (under Wine)
#   portable.sh web     SESSION NATIVE_BIN WORK RUNNER_DIR MODULES   (in chromium)
# exit 0 pass, 1 fail, 77 skipped (one line: the build or its tool is missing)
set -u
kind=$1; session=$2; native=$3; work=$4; shift 4
here=$(cd "$(dirname "$0")" && pwd)
fail() { echo "FAIL: $kind: $*"; exit 1; }
skip() { echo "SKIPPED: portable replay on $kind: $*"; exit 77; }
[ -f "$session" ] || fail "no recording $session"

# The build's runner and what it needs, checked before anything runs.
case $kind in
  native) ;;
  arm64)
    ARM64_BIN=$1
    . "$here/../arm64/qemu.sh"
    arm64_check quorbix-headless ;;
  windows)
    wbuild=$1; PREFIX=$2
    exe=$wbuild/bin/quorbix-headless.exe
    [ -f "$exe" ] || skip "no $exe (make windows builds it)"
    . "$here/../windows/wine.sh" ;;
  web)
    runner=$1; modules=$2
    [ -f "$runner/quorbix-headless.js" ] || skip "no $runner/quorbix-headless.js (make web builds it)"
    command -v node >/dev/null || skip "node is missing"
    command -v chromium >/dev/null || skip "chromium is missing (scripts/setup-deps test installs it)"
    [ -d "$modules/puppeteer-core" ] || skip "no puppeteer-core in $modules (scripts/web-deps installs it)" ;;
  *) echo "portable.sh: unknown build '$kind'"; exit 2 ;;
esac
rm -rf "$work"; mkdir -p "$work/native" "$work/$kind"

# This machine's replay: the reference the other builds' trace and sound are compared with.
replayed() {  # LOG: the runner's verdict, "replay: N frames as recorded"
  grep -o 'replay: [0-9]* frames as recorded' "$1"
}
start=$SECONDS
"$native/quorbix-headless" --check "$session" --trace "$work/native/trace.jsonl" --audio "$work/native/sound.wav" \
  2>"$work/native/log" || { cat "$work/native/log"; kind=native fail "this machine's replay differs from the recording"; }
frames=$(replayed "$work/native/log") || { cat "$work/native/log"; kind=native fail "no verdict from this machine's replay"; }
echo "native: $frames ($((SECONDS - start)) s)"
[ "$kind" = native ] && { echo "PASS: native: every frame's state and picture as recorded"; exit 0; }

# The same replay by the build's runner.
out=$work/$kind
start=$SECONDS
case $kind in
  arm64)
    arm64_run quorbix-headless --check "$session" --trace "$out/trace.jsonl" --audio "$out/sound.wav" 2>"$out/log"
    status=$? ;;
  windows)
    # The package's folder holds what the runner reads beside itself (fonts, sound font, music).
    zip=$(ls "$wbuild"/quorbix-*-windows-x64.zip 2>/dev/null | head -1)
    [ -n "$zip" ] || skip "no Windows package in $wbuild (make windows makes it)"
    trap 'wine_stop' EXIT
    wine_ready
    wine_unpack "$zip" "replay"
    cp "$exe" "$FOLDER/"
    cp "$session" "$out/session.txt"
    win() { echo "Z:${1//\//\\}"; }
    wine 'C:\replay\quorbix-headless.exe' --check "$(win "$out/session.txt")" --trace "$(win "$out/trace.jsonl")" \
      --audio "$(win "$out/sound.wav")" 2>"$out/log" >/dev/null
    status=$? ;;
  web)
    NODE_PATH=$modules node "$here/web-replay.cjs" --runner "$runner" --session "$session" --out "$out" \
      --modules "$modules" >"$out/page.log" 2>&1
    status=$?
    [ $status = 77 ] && skip "$(tail -1 "$out/page.log")"
    [ -f "$out/log" ] || { cat "$out/page.log"; fail "the page did not run the runner"; } ;;
esac
took=$((SECONDS - start))
if [ $status != 0 ]; then
  sed 's/^/  /' "$out/log" | head -20
  fail "the replay differs from the recording (status $status)"
fi
got=$(replayed "$out/log") || { cat "$out/log"; fail "no verdict from the replay"; }
[ "$got" = "$frames" ] || fail "$got, natively $frames"
echo "$kind: $got ($took s)"

failed=0
if ! cmp -s "$work/native/trace.jsonl" "$out/trace.jsonl"; then
  echo "FAIL: $kind: the trace differs from this machine's; the first line apart:"
  diff "$work/native/trace.jsonl" "$out/trace.jsonl" | head -4 | cut -c1-300
  failed=1
fi

# The sound: sample by sample. Where it differs, how many samples, by how much, and where the
# first and the largest lie; the allowance is the build's music library's own (below).
case $kind in
  # Debian's FluidSynth for arm64 rounds its floating point otherwise than the x86-64 one (the
  # library alone renders QRBX.MID to other float bits there): a unit in the last bit, rarely.
  arm64) largest=1 share=1000 ;;
  # Everything else plays the music through the same library built from the same source.
  *) largest=0 share=0 ;;
esac
python3 - "$work/native/sound.wav" "$out/sound.wav" "$largest" "$share" "$kind" <<'PY' || failed=1
import array, sys
a, b = (open(p, "rb").read() for p in sys.argv[1:3])
largest, per_mille, kind = int(sys.argv[3]), int(sys.argv[4]), sys.argv[5]
if len(a) != len(b) or a[:44] != b[:44]:
    sys.exit(f"FAIL: {kind}: the sound differs in length or header: {len(a)} bytes natively, {len(b)} here")
x, y = array.array("h", a[44:]), array.array("h", b[44:])
apart = [(abs(p - q), i) for i, (p, q) in enumerate(zip(x, y)) if p != q]
def where(i):
    return f"sample {i} ({i // 2 / 44100:.3f} s, {'right' if i % 2 else 'left'})"
if not apart:
    print(f"sound: the {len(x)} samples are identical")
    sys.exit(0)
top = max(apart)
print(f"sound: {len(apart)} of {len(x)} samples differ ({len(apart) * 100 / len(x):.4f} %), by up to {top[0]}"
      f" (at {where(top[1])}: {x[top[1]]} natively, {y[top[1]]} here); the first at {where(apart[0][1])}")
if top[0] > largest or len(apart) * 1000 > per_mille * len(x):
    sys.exit(f"FAIL: {kind}: the sound differs beyond {largest} in {per_mille / 10} % of the samples")
PY
[ "$failed" = 0 ] || exit 1
echo "PASS: $kind: every frame's state and picture as recorded, the trace the same bytes as this machine's"
