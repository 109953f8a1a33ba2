#!/usr/bin/env bash
# scripts/setup-deps without installing anything: stand-ins for dpkg-query, apt-get, sudo and tee
# come first on PATH (apt-get, sudo and tee only record that they were called), and a made-up
# os-release says which system this is.
#
#   tests/scripts/setup_deps.sh SOURCE_DIR WORK_DIR lists|systems
#
#   lists    what each task installs: the game's task nothing of the tests' or the web build's,
#            each task all of those it builds on, and the tests' everything any task installs
#   systems  Debian 12 installs; another system, or none named, is refused with a clear message
#            and nothing run, unless QRB_SETUP_ANY_SYSTEM=1; nothing missing is quiet anywhere
set -u
src=$1 work=$2 what=$3
setup="$src/scripts/setup-deps"
failed=0
fail() { echo "FAIL: $*"; failed=1; }

rm -rf "$work" && mkdir -p "$work/bin"
# dpkg-query answers from $work/installed ("all" or nothing); the others must not be reached.
cat >"$work/bin/dpkg-query" <<EOF
#!/bin/sh
[ "\$(cat "$work/installed" 2>/dev/null)" = all ] && { printf 'install ok installed'; exit 0; }
exit 1
EOF
for tool in apt-get sudo tee; do
  printf '#!/bin/sh\necho "%s $*" >>"%s/called"\nexit 1\n' "$tool" "$work" >"$work/bin/$tool"
done
chmod +x "$work/bin/"*
export PATH="$work/bin:$PATH"
unset QRB_SETUP_ANY_SYSTEM

os() {   # os FILE LINES...: a made-up os-release
  local file="$work/$1"; shift
  printf '%s\n' "$@" >"$file"
}
os debian12 'PRETTY_NAME="Debian GNU/Linux 12 (bookworm)"' 'ID=debian' 'VERSION_ID="12"' 'VERSION_CODENAME=bookworm'
os debian11 'PRETTY_NAME="Debian GNU/Linux 11 (bullseye)"' 'ID=debian' 'VERSION_ID="11"' 'VERSION_CODENAME=bullseye'
os ubuntu 'PRETTY_NAME="Ubuntu 22.04.4 LTS"' 'ID=ubuntu' 'ID_LIKE=debian' 'VERSION_ID="22.04"' 'VERSION_CODENAME=jammy'

# try_setup [ENV=VALUE...] -- ARGS...: status in $status, both outputs in $out
try_setup() {
  local env=()
  while [ "$1" != "--" ]; do env+=("$1"); shift; done
  shift
  out=$(env ${env[@]+"${env[@]}"} "$setup" "$@" 2>&1)
  status=$?
}
has() { grep -qx -- "$2" <<<"$1"; }

lists() {
  local run web test arm64 p
  try_setup -- --list run; run=$out; [ "$status" = 0 ] || fail "--list run: status $status: $out"
  try_setup -- --list web; web=$out
  try_setup -- --list test; test=$out
  try_setup -- --list arm64; arm64=$out
  for p in $run; do has "$arm64" "$p" || fail "the arm64 task lacks the game's $p"; done
  for p in $arm64; do has "$test" "$p" || fail "the test task lacks the arm64 task's $p (scripts/test builds for arm64)"; done
  try_setup -- --list; [ "$out" = "$run" ] || fail "--list without a task is not --list run"
  for p in libsdl2-dev libfluidsynth-dev timgm6mb-soundfont fonts-ipaexfont-gothic fonts-ipaexfont-mincho \
           libfreetype-dev libfontconfig-dev libpng-dev libgif-dev cmake ninja-build build-essential pkg-config; do
    has "$run" "$p" || fail "the game's task lacks $p"
  done
  for p in chromium emscripten clang libgtest-dev libbenchmark-dev imagemagick fluidsynth xvfb dpkg-dev fonttools python3-brotli \
           crossbuild-essential-arm64 qemu-user libsdl2-dev:arm64 libavcodec-dev ffmpeg; do
    ! has "$run" "$p" || fail "the game's task installs $p"
  done
  for p in emscripten dpkg-dev fonttools python3-brotli; do has "$web" "$p" || fail "the web task lacks $p"; done
  for p in chromium libgtest-dev xvfb; do ! has "$web" "$p" || fail "the web task installs $p"; done
  for p in $run; do has "$web" "$p" || fail "the web task lacks the game's $p"; done
  for p in $web; do has "$test" "$p" || fail "the test task lacks the web task's $p (scripts/test builds the web pages)"; done
  for p in libgtest-dev libbenchmark-dev libsdl2-ttf-dev xvfb xdotool x11-utils xfonts-base imagemagick fluidsynth \
           clang libclang-rt-14-dev appstream desktop-file-utils man-db lintian chromium \
           crossbuild-essential-arm64 qemu-user libfluidsynth-dev:arm64 libgtest-dev:arm64 libbenchmark-dev:arm64 \
           libavformat-dev libavcodec-dev libswscale-dev libswresample-dev ffmpeg; do
    has "$test" "$p" || fail "the test task lacks $p"
  done
  try_setup -- --list run web test
  [ "$(sort <<<"$out")" = "$(sort <<<"$test")" ] || fail "the tasks together install more than the test task"
  [ "$(sort <<<"$out" | uniq -d)" = "" ] || fail "a package is listed twice: $(sort <<<"$out" | uniq -d)"
  try_setup -- --list play; [ "$status" = 2 ] || fail "an unknown task: status $status, not 2"
}

systems() {
  local release
  : >"$work/installed"
  try_setup QRB_OS_RELEASE="$work/debian12" -- --dry-run run
  [ "$status" = 0 ] && grep -q "would install: .*libsdl2-dev" <<<"$out" ||
    fail "Debian 12, nothing installed, --dry-run: status $status: $out"
  for release in ubuntu debian11 missing; do
    try_setup QRB_OS_RELEASE="$work/$release" -- run
    [ "$status" = 1 ] || fail "$release: status $status, not 1"
    grep -q "not Debian 12" <<<"$out" && grep -q "QRB_SETUP_ANY_SYSTEM=1" <<<"$out" &&
      grep -q "missing: .*libsdl2-dev" <<<"$out" || fail "$release: the refusal says: $out"
  done
  grep -q "this is Ubuntu 22.04.4 LTS" <<<"$(QRB_OS_RELEASE="$work/ubuntu" "$setup" 2>&1)" ||
    fail "the refusal does not name the system"
  try_setup QRB_OS_RELEASE="$work/ubuntu" QRB_SETUP_ANY_SYSTEM=1 -- --dry-run web
  [ "$status" = 0 ] && grep -q "would install: .*emscripten" <<<"$out" ||
    fail "Ubuntu with QRB_SETUP_ANY_SYSTEM=1, --dry-run: status $status: $out"
  ! grep -q "would add a deb-src" <<<"$out" || fail "a bookworm deb-src entry would be written on Ubuntu: $out"
  # Everything there: nothing to do and nothing to say, whatever the system.
  echo all >"$work/installed"
  try_setup QRB_OS_RELEASE="$work/ubuntu" -- run
  [ "$status" = 0 ] && [ -z "$out" ] || fail "Ubuntu with everything installed: status $status: $out"
  [ ! -e "$work/called" ] || fail "setup ran: $(cat "$work/called")"
}

case "$what" in
  lists) lists ;;
  systems) systems ;;
  *) echo "usage: setup_deps.sh SOURCE_DIR WORK_DIR lists|systems" >&2; exit 2 ;;
esac
[ "$failed" = 0 ] && echo "PASS"
exit "$failed"
