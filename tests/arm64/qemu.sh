# Sourced by the arm64 tests: ARM64_BIN (the arm64 build's bin/) checked, and arm64_run, which runs
# one of its programs under qemu's user-mode emulator. A missing emulator, C library or build skips
# the test (exit 77) with one line.
#
# The programs run with the arm64 C library of Debian's multiarch (libc6:arm64, which every arm64
# library package the build links depends on), loader and all, as on an arm64 Debian system: qemu
# is given / as its root. The cross compiler's tree (/usr/aarch64-linux-gnu) holds a C library of
# its own, built from an older release; given that tree as its root, qemu takes the loader from it
# but the C library from the multiarch folder (qemu falls back to the machine's path for what the
# root lacks, and the loader searches /lib/aarch64-linux-gnu first). The two disagree on the layout
# of the loader's shared state, and the first pthread_create spins for ever inside the loader.
arm64_qemu=(qemu-aarch64 -L /)
arm64_check() {
  command -v qemu-aarch64 >/dev/null ||
    { echo "SKIPPED: arm64 test: qemu-aarch64 missing (scripts/setup-deps arm64 installs qemu-user)"; exit 77; }
  [ -e /lib/ld-linux-aarch64.so.1 ] ||
    { echo "SKIPPED: arm64 test: no arm64 C library (libc6:arm64; scripts/setup-deps arm64 installs it)"; exit 77; }
  local p
  for p in "$@"; do
    [ -x "$ARM64_BIN/$p" ] ||
      { echo "SKIPPED: arm64 test: no $ARM64_BIN/$p (make arm64 builds it; needs aarch64-linux-gnu-g++)"; exit 77; }
  done
}
arm64_run() {
  local program=$1; shift
  "${arm64_qemu[@]}" "$ARM64_BIN/$program" "$@"
}
