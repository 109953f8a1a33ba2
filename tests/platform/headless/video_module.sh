#!/usr/bin/env bash
# The runner's video encoder is a module loaded when a video is asked for, not with the program,
# whose start-up FFmpeg's libraries would otherwise cost most of: the programs link none of them,
# --video writes through the module beside the program, and a program without a module that
# loads says so in one line before the run, status 2, writing nothing.
#   video_module.sh BIN_DIR WORK_DIR INSTALLED_DIR PACKAGE_DIR     exit 0 pass, 1 fail
set -u
bin=$1; work=$2; installed=$3; package=$4
fail() { echo "FAIL: $*"; exit 1; }
rm -rf "$work"; mkdir -p "$work"; cd "$work" || exit 1
for p in quorbix-headless quorbix quorbix-tests quorbix-program-tests; do
  [ -x "$bin/$p" ] || continue
  ldd "$bin/$p" | grep -q 'libav\|libsw' && fail "$p links FFmpeg's libraries: $(ldd "$bin/$p" | grep 'libav\|libsw')"
done
[ -f "$bin/quorbix-video.so" ] || fail "no quorbix-video.so beside the programs"
"$bin/quorbix-headless" --frames 5 --video out.webm >/dev/null 2>err.log || fail "the video was not written: $(cat err.log)"
[ -s out.webm ] || fail "no video written"
# without DIR NAME: a copy of the program in DIR, where its module is missing or broken.
without() {
  local dir=$1
  "$dir/quorbix-headless" --frames 5 --video "$dir/out.webm" >/dev/null 2>err.log
  local status=$?
  err=$(cat err.log)
  [ $status = 2 ] || fail "$dir: exit status $status, not 2: $err"
  [ "$(wc -l <err.log)" = 1 ] || fail "$dir: not one line: $err"
  [[ $err == *"this build's video writer could not be loaded: "* ]] || fail "$dir: the reason was not said: $err"
  [ -e "$dir/out.webm" ] && fail "$dir: a video was written"
  ls "$dir" | grep -q part && fail "$dir: a temporary file was left"
  return 0
}
mkdir missing broken
cp "$bin/quorbix-headless" missing/
cp "$bin/quorbix-headless" broken/
# Where a module is installed, the copy without one beside it finds that one.
if [ ! -e "$installed/quorbix-video.so" ] && [ ! -e "$package/quorbix-video.so" ]; then
  without missing
  [[ $err == *"no quorbix-video.so beside the program"* ]] || fail "the missing module was not named: $err"
fi
echo 'not a library' >broken/quorbix-video.so
without broken
[[ $err == *"broken/quorbix-video.so"* ]] || fail "the broken module was not named: $err"
echo PASS
