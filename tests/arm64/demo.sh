#!/usr/bin/env bash
# tools/demo played by the arm64 headless runner under qemu-aarch64 and by this machine's: the
# trace (every ball's position every frame, the score), the whole sound and the dumped frames must
# be the same bytes (the sound within a unit where the arm64 build plays Debian's arm64
# synthesiser, below). Fused
# multiply-adds, or a C library's cosine, would move the balls in their last bits and part the two.
#   demo.sh SOURCE_DIR NATIVE_BIN_DIR ARM64_BIN_DIR WORK_DIR     exit 0 pass, 1 fail, 77 skipped
set -u
src=$1; native=$2; ARM64_BIN=$3; work=$4
here=$(cd "$(dirname "$0")" && pwd)
. "$here/qemu.sh"
arm64_check quorbix-headless
rm -rf "$work"; mkdir -p "$work"
# tools/demo takes one program as its runner: the emulator's call wrapped in a script.
printf '#!/bin/sh\nexec %s "%s" "$@"\n' "${arm64_qemu[*]}" "$ARM64_BIN/quorbix-headless" >"$work/arm64-runner"
chmod +x "$work/arm64-runner"
start=$SECONDS
QRB_RUNNER=$native/quorbix-headless "$src/tools/demo" "$work/x86-64" >/dev/null || { echo "FAIL: the native demo failed"; exit 1; }
QRB_RUNNER=$work/arm64-runner "$src/tools/demo" "$work/arm64" >"$work/arm64.log" 2>&1 ||
  { echo "FAIL: the arm64 demo failed:"; cat "$work/arm64.log"; exit 1; }
echo "both demos played in $((SECONDS - start)) s"
failed=0
files=$(cd "$work/x86-64" && ls)
[ "$files" = "$(cd "$work/arm64" && ls)" ] || { echo "FAIL: the demos wrote different files"; failed=1; }
# The music: the arm64 build plays it through FluidSynth built from Debian's source without fused
# multiply-adds (scripts/build-arm64), beside its programs, and the sound must be the same bytes.
# Without that source it plays Debian's arm64 library, which fuses them (the library alone renders
# QRBX.MID to other float bits there): then a unit in the last bit in a few samples, and no more.
# Everything the game's own arithmetic makes (trace, frames) must be the same bytes.
largest=0 share=0
if [ ! -f "$ARM64_BIN/libfluidsynth.so.3" ]; then
  largest=1 share=1
  echo "the arm64 build plays Debian's arm64 FluidSynth: the sound may differ by a unit in 0.1 % of its samples"
fi
for f in $files; do
  if [ "$f" = demo.wav ]; then
    python3 "$here/../replay/sound_diff.py" "$work/x86-64/$f" "$work/arm64/$f" "$largest" "$share" "arm64: demo.wav" ||
      failed=1
  elif ! cmp -s "$work/x86-64/$f" "$work/arm64/$f"; then
    echo "FAIL: $f differs between x86-64 and arm64"
    failed=1
    if [ "$f" = trace.jsonl ]; then
      diff "$work/x86-64/$f" "$work/arm64/$f" | head -4 | cut -c1-300
    fi
  fi
done
[ "$failed" = 0 ] || exit 1
if [ "$largest" = 0 ]; then
  echo "PASS: $(echo $files | wc -w) files the same bytes on x86-64 and arm64 (trace, frames, sound)"
else
  echo "PASS: $(echo $files | wc -w) files the same on x86-64 and arm64 (trace, frames; the sound within the synthesiser's rounding)"
fi
