#!/usr/bin/env bash
# The Debian packages checked by lintian, Debian's own package checker: no error and no warning,
# but for one warning left on purpose (the SDK's pkg-config files lie in /usr/lib/pkgconfig, where
# the SDK has always put them, not in the architecture's folder).
#   lintian.sh native BUILD_DIR WORK_DIR     makes this build's packages (cpack) and checks them
#   lintian.sh debs DEB...                    checks the packages given
# exit 0 pass, 1 fail, 77 skipped (lintian or the packages missing)
set -u
mode=$1; shift
command -v lintian >/dev/null ||
  { echo "SKIPPED: lintian is not installed (scripts/setup-deps test installs it)"; exit 77; }
case $mode in
  native)
    build=$1; work=$2
    rm -rf "$work"; mkdir -p "$work"
    (cd "$build" && cpack -G DEB -B "$work") >"$work/cpack.log" 2>&1 ||
      { cat "$work/cpack.log"; echo "FAIL: cpack could not make the packages"; exit 1; }
    debs=("$work"/*.deb) ;;
  debs)
    debs=()
    for d in "$@"; do [ -f "$d" ] && debs+=("$d"); done
    [ ${#debs[@]} -gt 0 ] || { echo "SKIPPED: no packages among $* (make arm64 makes them)"; exit 77; } ;;
  *) echo "lintian.sh: unknown mode '$mode'"; exit 2 ;;
esac
out=$(lintian --fail-on error,warning --suppress-tags pkg-config-unavailable-for-cross-compilation "${debs[@]}" 2>&1)
status=$?
out=$(grep -v 'running with root privileges' <<<"$out")
[ -z "$out" ] || echo "$out"
[ $status = 0 ] || { echo "FAIL: lintian: $(grep -c '^[EW]: ' <<<"$out") errors and warnings in $(basename -a "${debs[@]}" | paste -sd' ')"; exit 1; }
echo "PASS: lintian: $(basename -a "${debs[@]}" | paste -sd' ')"
