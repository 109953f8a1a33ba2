#!/usr/bin/env bash
# Where scripts/windows-deps takes each library's source from, without a mirror or a compiler:
# stand-ins for apt-cache, apt-get and MinGW's compiler come first on PATH (apt-get does what
# $work/mirror says of each package and version, and records each call), and the script runs with
# --fetch, which stops once the sources are fetched and checked.
#
#   tests/scripts/windows_deps_sources.sh SOURCE_DIR WORK_DIR
#
# Checks: a revision the mirror lacks gives way to the older one, and the output says so; a
# revision whose files do not match their checksums is refused, with no older one tried; where
# apt cannot fetch FluidSynth, its upstream tarball in QRB_WINDOWS_SOURCES is unpacked once its
# SHA-256 matches the .dsc, and refused with both sums when it does not; without that folder the
# programs lose the synthesiser and GLib's stack is not fetched; a second run at the same time
# waits for the first; --verify alone.
set -u
src=$1 work=$2
deps="$src/scripts/windows-deps"
failed=0
fail() { echo "FAIL: $*"; failed=1; }

rm -rf "$work" && mkdir -p "$work/bin" "$work/mirror" "$work/sources"
# The versions apt offers, newest last here (the script sorts them).
cat >"$work/offers" <<'EOF'
zlib 1:1.2.13.dfsg-1 1:1.2.13.dfsg-1+deb12u1
libpng1.6 1.6.39-2+deb12u5 1.6.39-2+deb12u6
freetype 2.12.1+dfsg-5+deb12u4
libsdl2 2.26.5+dfsg-1
libffi 3.4.4-1
pcre2 10.42-1
gettext 0.21-12
glib2.0 2.74.6-2+deb12u9
fluidsynth 2.3.1-2
EOF
cat >"$work/bin/apt-cache" <<EOF
#!/bin/sh
# apt-cache showsrc PACKAGE
grep "^\$2 " "$work/offers" | tr ' ' '\n' | tail -n +2 | sed 's/^/Version: /'
EOF
# apt-get source -qq PACKAGE=VERSION: $work/mirror/PACKAGE_VERSION says what the mirror holds:
# nothing there, all of it; "missing" none of it; "dsc" the .dsc alone; "mismatch" files whose
# sums are wrong.
cat >"$work/bin/apt-get" <<EOF
#!/bin/bash
wanted=\$3; pkg=\${wanted%%=*}; v=\${wanted#*=}; v=\${v#*:}
echo "\$pkg=\$v" >>"$work/called"
url="http://mirror.invalid/pool/\${pkg}_\$v"
case "\$(cat "$work/mirror/\${pkg}_\$v" 2>/dev/null)" in
  missing) echo "E: Failed to fetch \$url.dsc  404  Not Found"; exit 100 ;;
  dsc) cp "$work/sources/\${pkg}_\$v.dsc" .; echo "E: Failed to fetch \$url.orig.tar.gz  404  Not Found"; exit 100 ;;
  mismatch) echo "E: Failed to fetch \$url.orig.tar.gz  Hash Sum mismatch"; exit 100 ;;
  *) mkdir "\$pkg-\$v"; echo "\$v" >"\$pkg-\$v/from-apt" ;;
esac
EOF
for tool in x86_64-w64-mingw32-gcc-posix x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-windres; do
  printf '#!/bin/sh\necho 12\n' >"$work/bin/$tool"
done
chmod +x "$work/bin/"*
export PATH="$work/bin:$PATH"

# FluidSynth's upstream tarball (a small stand-in) and its .dsc, as Debian writes one.
mkdir -p "$work/tar/fluidsynth-2.3.1"
echo "project(FluidSynth)" >"$work/tar/fluidsynth-2.3.1/CMakeLists.txt"
tar -czf "$work/sources/fluidsynth_2.3.1.orig.tar.gz" -C "$work/tar" fluidsynth-2.3.1
sum=$(sha256sum "$work/sources/fluidsynth_2.3.1.orig.tar.gz" | cut -d' ' -f1)
size=$(stat -c %s "$work/sources/fluidsynth_2.3.1.orig.tar.gz")
cat >"$work/sources/fluidsynth_2.3.1-2.dsc" <<EOF
Format: 3.0 (quilt)
Source: fluidsynth
Version: 2.3.1-2
Checksums-Sha1:
 f9aa343a2f61ec7f7cf48361be138706bc09653f $size fluidsynth_2.3.1.orig.tar.gz
Checksums-Sha256:
 $sum $size fluidsynth_2.3.1.orig.tar.gz
 4266b3a5d21890c89cf30d21731641e3ca309119a6a69cee90ccb9fe73f34c57 20468 fluidsynth_2.3.1-2.debian.tar.xz
Files:
 7025da39fde375854bfb19ed38b7ee79 $size fluidsynth_2.3.1.orig.tar.gz
EOF

# run NAME [ENV...]: the script with --fetch and a cache of its own; sets out and status.
run() {
  local name=$1; shift
  : >"$work/called"
  out=$(env QRB_WINDOWS_SOURCES= QRB_WINDOWS_CACHE="$work/cache-$name" "$@" "$deps" --fetch 2>&1)
  status=$?
}

# The mirror lacks zlib's and libpng's security updates and FluidSynth's files (its .dsc it has).
echo missing >"$work/mirror/zlib_1.2.13.dfsg-1+deb12u1"
echo missing >"$work/mirror/libpng1.6_1.6.39-2+deb12u6"
echo dsc >"$work/mirror/fluidsynth_2.3.1-2"
shared=$work/shared
mkdir -p "$shared" && cp "$work/sources/fluidsynth_2.3.1.orig.tar.gz" "$work/sources/fluidsynth_2.3.1-2.dsc" "$shared/"
run fallback QRB_WINDOWS_SOURCES="$shared"
[ $status = 0 ] || fail "with older revisions on the mirror and the tarball beside: status $status: $out"
grep -qx 'zlib zlib 1:1.2.13.dfsg-1 (the mirror lacks the files of 1:1.2.13.dfsg-1+deb12u1)' <<<"$out" ||
  fail "zlib's fall-back to the older revision is not said: $out"
grep -q '^libpng libpng1.6 1.6.39-2+deb12u5 (the mirror lacks' <<<"$out" || fail "libpng did not fall back: $out"
grep -qx 'freetype freetype 2.12.1+dfsg-5+deb12u4' <<<"$out" || fail "freetype's newest revision is not used: $out"
grep -q "^fluidsynth fluidsynth 2.3.1-2, its upstream tarball fluidsynth_2.3.1.orig.tar.gz alone" <<<"$out" ||
  fail "FluidSynth is not built from its upstream tarball: $out"
[ -f "$work/cache-fallback/sources/fluidsynth_2.3.1-2.upstream/CMakeLists.txt" ] ||
  fail "the tarball was not unpacked into the cache"
grep -q '^glib glib2.0 2.74.6-2+deb12u9$' <<<"$out" || fail "GLib's source was not fetched with FluidSynth's: $out"
# A second run fetches nothing it has (it tries the missing revisions again).
run fallback QRB_WINDOWS_SOURCES="$shared"
[ "$(sort "$work/called" | tr '\n' ' ')" = "fluidsynth=2.3.1-2 libpng1.6=1.6.39-2+deb12u6 zlib=1.2.13.dfsg-1+deb12u1 " ] ||
  fail "a second run fetched again: $(tr '\n' ' ' <"$work/called")"

# A file that does not match its checksum stops the build: no older revision stands in for it.
echo mismatch >"$work/mirror/libpng1.6_1.6.39-2+deb12u6"
run mismatch QRB_WINDOWS_SOURCES="$shared"
[ $status != 0 ] || fail "a checksum mismatch was not refused: $out"
grep -q "libpng: the files of libpng1.6 1.6.39-2+deb12u6 do not match their checksums" <<<"$out" ||
  fail "the mismatch is not said: $out"
grep -q "libpng1.6=1.6.39-2+deb12u5" "$work/called" && fail "an older libpng was fetched after a checksum mismatch"
echo missing >"$work/mirror/libpng1.6_1.6.39-2+deb12u6"

# A tarball that does not match the .dsc is refused with both sums.
mkdir -p "$work/shared-bad" && cp "$work/sources/fluidsynth_2.3.1-2.dsc" "$work/shared-bad/"
{ cat "$work/sources/fluidsynth_2.3.1.orig.tar.gz"; echo x; } >"$work/shared-bad/fluidsynth_2.3.1.orig.tar.gz"
bad=$(sha256sum "$work/shared-bad/fluidsynth_2.3.1.orig.tar.gz" | cut -d' ' -f1)
run badtar QRB_WINDOWS_SOURCES="$work/shared-bad"
[ $status != 0 ] || fail "a tarball that does not match the .dsc was taken: $out"
grep -q "SHA-256 in fluidsynth_2.3.1-2.dsc: $sum" <<<"$out" && grep -q "SHA-256 of the file: *$bad" <<<"$out" ||
  fail "the refusal does not give both sums: $out"
[ -d "$work/cache-badtar/sources/fluidsynth_2.3.1-2.upstream" ] && fail "the refused tarball was unpacked"
# The .dsc apt fetched counts too: a tarball beside a .dsc that agrees with it, but not with apt's,
# is refused.
sed "s/$sum/$bad/" "$work/sources/fluidsynth_2.3.1-2.dsc" >"$work/shared-bad/fluidsynth_2.3.1-2.dsc"
run baddsc QRB_WINDOWS_SOURCES="$work/shared-bad"
[ $status != 0 ] || fail "a tarball the .dsc apt fetched does not list was taken: $out"

# Without the folder FluidSynth is not built, nor the libraries only it needs; the rest is.
run nosynth
[ $status = 0 ] || fail "without FluidSynth's source: status $status: $out"
grep -q "fluidsynth NOT BUILT" <<<"$out" || fail "the missing synthesiser is not said: $out"
grep -q "^\(libffi\|glib\|fluidsynth\) " <<<"$out" && fail "FluidSynth's libraries are listed without it: $out"
grep -q "glib2.0" "$work/called" && fail "GLib was fetched without FluidSynth"
grep -q '^sdl2 libsdl2 2.26.5+dfsg-1$' <<<"$out" || fail "SDL2 is missing without FluidSynth: $out"

# Without QRB_WINDOWS_SOURCES the folder ../shared/windows-sources beside the project is taken.
mkdir -p "$work/beside/project/scripts" "$work/beside/shared/windows-sources"
cp "$deps" "$work/beside/project/scripts/"
cp "$shared"/* "$work/beside/shared/windows-sources/"
: >"$work/called"
out=$(env -u QRB_WINDOWS_SOURCES QRB_WINDOWS_CACHE="$work/cache-beside" "$work/beside/project/scripts/windows-deps" --fetch 2>&1)
grep -q "^fluidsynth fluidsynth 2.3.1-2, its upstream tarball" <<<"$out" ||
  fail "the folder of sources beside the project is not taken by default: $out"

# One run at a time: a second one waits for the first, and says so.
mkdir -p "$work/cache-locked"
(flock 9; sleep 2) 9>"$work/cache-locked/lock" &
holder=$!
sleep 0.3
run locked QRB_WINDOWS_SOURCES="$shared"
kill -0 $holder 2>/dev/null && fail "a second run did not wait for the first"
wait $holder
[ $status = 0 ] && grep -q "another run is building in .*: waiting for it" <<<"$out" ||
  fail "a second run at the same time did not wait (status $status): $out"

# --verify on its own.
"$deps" --verify "$work/sources/fluidsynth_2.3.1-2.dsc" "$work/sources/fluidsynth_2.3.1.orig.tar.gz" ||
  fail "--verify refused the matching tarball"
"$deps" --verify "$work/sources/fluidsynth_2.3.1-2.dsc" "$work/shared-bad/fluidsynth_2.3.1.orig.tar.gz" 2>/dev/null &&
  fail "--verify took a tarball that does not match"

[ $failed = 0 ] && echo PASS
exit $failed
