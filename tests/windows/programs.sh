# The Windows tests' own programs (tests/windows/programs), built against the SDK of the package
# as a game writer builds a game, in one folder shared by the tests of a build tree and kept
# between runs (the SDK is unpacked again when the package is newer). Sourced by pads.sh and
# box.sh, which define fail.
#   windows_programs ZIP SOURCE_DIR DIR    builds them in DIR/build; sets PROGRAMS to that folder
windows_programs() {
  local zip=$1 source=$2 dir=$3
  mkdir -p "$dir"
  (
    flock 9
    if [ ! -f "$dir/unpacked.stamp" ] || [ "$zip" -nt "$dir/unpacked.stamp" ]; then
      rm -rf "$dir/unpacked" "$dir/build"; mkdir -p "$dir/unpacked"
      (cd "$dir/unpacked" && cmake -E tar xf "$zip") || exit 1
      touch "$dir/unpacked.stamp"
    fi
    local sdk
    sdk=$(dirname "$(ls "$dir"/unpacked/*/sdk/lib/cmake/Quorbix/QuorbixConfig.cmake "$dir"/unpacked/sdk/lib/cmake/Quorbix/QuorbixConfig.cmake 2>/dev/null | head -1)")
    [ -n "$sdk" ] && [ "$sdk" != . ] || { echo "the package holds no SDK"; exit 1; }
    sdk=${sdk%/lib/cmake/Quorbix}
    if [ ! -f "$dir/build/build.ninja" ]; then
      cmake -S "$source/tests/windows/programs" -B "$dir/build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$source/cmake/mingw-w64-x86_64.cmake" -DQRB_WINDOWS_PREFIX="$sdk" \
        -DCMAKE_BUILD_TYPE=Release -DQRB_SOURCE="$source" >"$dir/configure.log" 2>&1 || { cat "$dir/configure.log"; exit 1; }
    fi
    nice cmake --build "$dir/build" -j 2 >"$dir/build.log" 2>&1 || { cat "$dir/build.log"; exit 1; }
  ) 9>"$dir.lock" >"$dir.log" 2>&1 || fail "the Windows test programs do not build against the package's SDK:
$(sed 's/^/  /' "$dir.log")"
  PROGRAMS=$dir/build
}
