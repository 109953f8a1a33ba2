#!/usr/bin/env bash
# The blitter's benchmark of the arm64 build under qemu-aarch64, quick mode: it checks its own
# pixels against the plain loop before it measures (the NEON keyed copy among them), and must
# print each of its ratios. The emulator gives the arm64 code paths, not their speed: the ratios
# are printed, never judged.
#   bench.sh ARM64_BIN_DIR        exit 0 pass, 1 fail, 77 skipped
set -u
ARM64_BIN=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/qemu.sh"
[ -x "$ARM64_BIN/bench-blit" ] ||
  { echo "SKIPPED: arm64 bench: no $ARM64_BIN/bench-blit (make arm64 builds it where libbenchmark-dev:arm64 and libsdl2-ttf-dev:arm64 are installed)"; exit 77; }
arm64_check bench-blit
start=$SECONDS
out=$(arm64_run bench-blit --quick 2>&1)
status=$?
echo "$out" | grep -E '^(ratio|figure) '
echo "bench-blit --quick under qemu: $((SECONDS - start)) s"
[ $status = 0 ] || { echo "$out" | tail -20; echo "FAIL: bench-blit exited with $status"; exit 1; }
for ratio in keyed_vs_sdl keyed_vs_memcpy opaque_vs_memcpy rotated_vs_put fill_vs_memset; do
  grep -qE "^ratio $ratio [0-9]+(\.[0-9]+)?$" <<<"$out" || { echo "FAIL: no 'ratio $ratio VALUE' line"; exit 1; }
done
echo PASS
