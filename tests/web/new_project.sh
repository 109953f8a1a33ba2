#!/usr/bin/env bash
# A game writer's page, as docs/framework.md says it, word for word: quorbix-new's project (this
# build's SDK installed and quorbix-new run by the lines of "A game of your own in five minutes")
# built as a page against the web SDK by the lines of "The game as a page", run as they are
# written from a folder standing for the checkout, with a home of its own; the web SDK that the
# guide's first line installs from the web build is installed from this tree's (make web), as
# that line does once the build is up to date. Then the page in headless chromium
# (tests/web/new-project-page-test.cjs).
#   new_project.sh SOURCE_DIR BUILD_DIR WEB_BUILD NODE_MODULES WORK_DIR
#   exit 0 pass, 1 fail, 77 skipped (one "SKIP: reason" line)
set -u
src=$1; build=$2; web=$3; modules=$4; work=$5
skip() { echo "SKIP: $*"; exit 77; }
fail() { echo "FAIL: $*"; exit 1; }
command -v emcmake >/dev/null || skip "no emcmake (scripts/setup-deps web installs emscripten)"
command -v node >/dev/null || skip "no node"
[ -f "$web/build.ninja" ] && [ -f "$web/libquorbix-platform-web.a" ] || skip "the web build is missing in $web (make web)"
[ -d "$modules/puppeteer-core" ] || skip "no puppeteer-core in $modules (make web)"
. "$src/tests/sdk/guide_commands.sh"
rm -rf "$work"; mkdir -p "$work/home" "$work/checkout"

guide=$src/docs/framework.md
mapfile -t five < <(guide_commands "$guide" "## A game of your own in five minutes" |
  grep -E '^cmake --install build |quorbix-new mygame$')
mapfile -t lines < <(guide_commands "$guide" "### The game as a page")
[ "${#five[@]}" = 2 ] || fail "the guide no longer installs the SDK from build and starts mygame with quorbix-new"
[ "${#lines[@]}" -ge 3 ] && [ "${lines[0]}" = "scripts/build-web --install ~/quorbix-web-sdk" ] ||
  fail "the guide's page commands no longer begin with 'scripts/build-web --install ~/quorbix-web-sdk' (${lines[*]:-none})"

# The web build brought up to date (after scripts/build-web there is nothing to do) and its SDK
# installed where the guide's first line installs it. Debian's emscripten finds its JavaScript
# modules in Debian's node folder.
export NODE_PATH=/usr/share/nodejs
export HOME=$work/home
cmake --build "$web" --target qrb_framework qrb_platform_web >"$work/web-build.log" 2>&1 ||
  { sed 's/^/  /' "$work/web-build.log"; fail "bringing the web build up to date"; }
cmake --install "$web" --prefix "$HOME/quorbix-web-sdk" --component sdk >"$work/web-sdk.log" 2>&1 ||
  { sed 's/^/  /' "$work/web-sdk.log"; fail "installing the web SDK"; }
ln -s "$build" "$work/checkout/build"
for line in "${five[@]}"; do guide_line "$work/checkout" "$line"; done
start=$SECONDS
for line in "${lines[@]:1}"; do guide_line "$work/checkout" "$line"; done
echo "the guide's page commands ran in $((SECONDS - start)) s"

pages=$work/checkout/mygame/build-web
for file in mygame.html mygame.js mygame.wasm mygame.data quorbix-page.js quorbix-audio.js icon.png fonts/LICENSE; do
  [ -f "$pages/$file" ] || fail "the page's folder has no $file"
done
node "$src/tests/web/new-project-page-test.cjs" --pages "$pages" --page mygame.html --modules "$modules"
