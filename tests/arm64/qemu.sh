# Sourced by the arm64 tests: ARM64_BIN (the arm64 build's bin/) checked, and arm64_run, which runs
# one of its programs under qemu's user-mode emulator with the arm64 C library's folder. A missing
# emulator or build skips the test (exit 77) with one line.
arm64_check() {
  command -v qemu-aarch64 >/dev/null ||
    { echo "SKIPPED: arm64 test: qemu-aarch64 missing (scripts/setup-deps arm64 installs qemu-user)"; exit 77; }
  [ -d /usr/aarch64-linux-gnu/lib ] ||
    { echo "SKIPPED: arm64 test: no arm64 C library in /usr/aarch64-linux-gnu (scripts/setup-deps arm64)"; exit 77; }
  local p
  for p in "$@"; do
    [ -x "$ARM64_BIN/$p" ] ||
      { echo "SKIPPED: arm64 test: no $ARM64_BIN/$p (make arm64 builds it; needs aarch64-linux-gnu-g++)"; exit 77; }
  done
}
arm64_run() {
  local program=$1; shift
  qemu-aarch64 -L /usr/aarch64-linux-gnu "$ARM64_BIN/$program" "$@"
}
