#!/usr/bin/env bash
# The arm64 game package that scripts/build-arm64 makes: an arm64 package of the game, holding
# the files this machine's build installs for the game (the same layout as the amd64 package,
# which is made from that installation), with arm64 programs in it.
#   package.sh NATIVE_BUILD_DIR ARM64_BUILD_DIR WORK_DIR       exit 0 pass, 1 fail, 77 skipped
set -u
native=$1; arm64=$2; work=$3
deb=$(ls "$arm64"/quorbix_*_arm64.deb 2>/dev/null | head -1)
[ -n "$deb" ] || { echo "SKIPPED: arm64 package: no $arm64/quorbix_*_arm64.deb (make arm64 makes it)"; exit 77; }
[ -x "$native/bin/quorbix" ] ||
  { echo "SKIPPED: arm64 package: this build has no SDL game ($native/bin/quorbix) to lay out against"; exit 77; }
rm -rf "$work"; mkdir -p "$work"
failed=0
info=$(dpkg-deb --info "$deb") || { echo "FAIL: dpkg-deb cannot read $deb"; exit 1; }
for field in "Package: quorbix" "Architecture: arm64" "Section: games"; do
  grep -qx " $field" <<<"$info" || { echo "FAIL: $deb: no '$field' in its control file"; failed=1; }
done
# The files (and links) the package holds, against those this build installs for the game.
DESTDIR="$work/native" cmake --install "$native" --component game --prefix /usr >/dev/null ||
  { echo "FAIL: cmake --install of this build's game component failed"; exit 1; }
(cd "$work/native" && find . ! -type d | sort) >"$work/native.list"
dpkg-deb -x "$deb" "$work/arm64"
(cd "$work/arm64" && find . ! -type d | sort) >"$work/arm64.list"
# The runner's video module is built where FFmpeg's libraries are; the arm64 build has none, and
# its runner says so when asked for a video.
if ! grep -q '/quorbix-video\.so$' "$work/arm64.list"; then
  grep -v '/quorbix-video\.so$' "$work/native.list" >"$work/native.list.tmp"
  mv "$work/native.list.tmp" "$work/native.list"
fi
# Where FluidSynth's source was at hand, the arm64 build carries its own (built without fused
# multiply-adds) beside the game, and the package depends on what that library links, GLib, in
# place of Debian's FluidSynth.
own=./usr/lib/quorbix/libfluidsynth.so.3
if grep -qx "$own" "$work/arm64.list"; then
  grep -vx "$own" "$work/arm64.list" >"$work/arm64.list.tmp"
  mv "$work/arm64.list.tmp" "$work/arm64.list"
  file -L "$work/arm64/$own" | grep -q "ARM aarch64" || { echo "FAIL: the package's FluidSynth is not arm64's"; failed=1; }
  depends=$(dpkg-deb -f "$deb" Depends)
  if grep -q "libfluidsynth3" <<<"$depends" || ! grep -q "libglib2.0-0" <<<"$depends"; then
    echo "FAIL: the package carries its FluidSynth but depends on: $depends"
    failed=1
  fi
fi
if ! cmp -s "$work/native.list" "$work/arm64.list"; then
  echo "FAIL: the arm64 package's files differ from this build's installation (< here, > arm64):"
  diff "$work/native.list" "$work/arm64.list" | head -20
  failed=1
fi
for program in quorbix quorbix-headless; do
  file -L "$work/arm64/usr/lib/quorbix/$program" 2>/dev/null | grep -q "ARM aarch64" ||
    { echo "FAIL: the package's $program is not an arm64 program"; failed=1; }
done
[ "$failed" = 0 ] || exit 1
echo "PASS: $(basename "$deb"): $(wc -l <"$work/arm64.list") files, laid out as this build installs them, arm64 programs"
