#!/usr/bin/env bash
# scripts/architecture-tables on a made-up tree of its own (a git repository in WORK_DIR): the
# figures it writes, the hand-written column it keeps, and what --check says when they are stale.
#
#   tests/scripts/architecture_tables.sh SOURCE_DIR WORK_DIR
set -u
src=$1 work=$2
failed=0
fail() { echo "FAIL: $*"; failed=1; }
expect_line() {  # expect_line WHAT FILE LINE: FILE holds LINE exactly
  grep -qxF -- "$3" "$2" || { fail "$1: expected the line"; echo "  expected: $3"; echo "  actual:"; grep '^  |' "$2" | sed 's/^/    /'; }
}

rm -rf "$work" && mkdir -p "$work/scripts" "$work/docs" && cd "$work" || exit 1
cp "$src/scripts/architecture-tables" scripts/
git init -q . && git config user.email t@t && git config user.name t
mkdir -p platform/files/desktop platform/window platform/sdl framework/core framework/draw
printf '// contract\nint a;\n' >platform/backend.h
printf 'a\nb\nc\n' >platform/files/bytes.h
# a subfolder counts as its folder; the folder's own headers, system headers and headers beside
# the file are no folder of the layer
printf '#include "platform/files/bytes.h"\n#include <png.h>\n#include "local.h"\nx\n' \
  >platform/files/desktop/png.cpp
# backend.h is left out; an include behind spaces after the hash still counts
printf '#include "platform/backend.h"\n# include "platform/files/bytes.h"\n' >platform/window/window.h
printf '#include "platform/window/window.h"\n' >platform/sdl/window.cpp
printf '#include "platform/window/window.h"\n' >framework/core/shell.h
printf '#include "framework/core/shell.h"\n#include "platform/files/bytes.h"\n' >framework/draw/draw.cpp
# a file git does not track is not counted
printf '1\n2\n3\n4\n5\n' >platform/window/scratch.txt
cat >docs/architecture.md <<'EOF'
# Test

<!-- tables: framework-folders -->
| folder | what it holds | includes | of the platform |
|---|---|---|---|
| `core/` | the core, with `a | b` in code | stale | stale |
| `draw/` | drawing | | |
<!-- end -->

- Platform:

  <!-- tables: platform-folders -->
  | folder | what it holds | includes | lines |
  |---|---|---|---|
  | `backend.h` | the contract | — | 2 |
  | `files/` | formats | — | 1 |
  | `window/` | windows | files | 2 |
  | `sdl/` | the backend | window | 1 |
  <!-- end -->

after
EOF
git add platform framework docs scripts ':!platform/window/scratch.txt'
cp docs/architecture.md before.md

out=$(scripts/architecture-tables --check 2>&1) && fail "--check passed on stale tables"
echo "$out" | grep -qF -- '-  | `files/` | formats | — | 1 |' || fail "--check did not show the stale row: $out"
cmp -s docs/architecture.md before.md || fail "--check changed the document"

scripts/architecture-tables >/dev/null || fail "writing the tables failed"
expect_line "framework row with a bar in code" docs/architecture.md \
  '| `core/` | the core, with `a | b` in code | — | window |'
expect_line "framework row filled in" docs/architecture.md '| `draw/` | drawing | core | files |'
expect_line "backend.h" docs/architecture.md '  | `backend.h` | the contract | — | 2 |'
expect_line "subfolder counted" docs/architecture.md '  | `files/` | formats | — | 7 |'
expect_line "backend.h left out, untracked file not counted" docs/architecture.md \
  '  | `window/` | windows | files | 2 |'
expect_line "backend" docs/architecture.md '  | `sdl/` | the backend | window | 1 |'
diff <(grep -v '^ *|' before.md) <(grep -v '^ *|' docs/architecture.md) >/dev/null ||
  fail "text outside the tables changed"
scripts/architecture-tables --check >/dev/null || fail "--check failed right after writing"

# a folder without a row, and a row without a folder, are reported and nothing is written
mkdir -p platform/sound && printf 'x\n' >platform/sound/mixer.cpp && git add platform/sound
sed -i 's/`sdl\/` | the backend/`gone\/` | the backend/' docs/architecture.md
cp docs/architecture.md before.md
out=$(scripts/architecture-tables 2>&1) && fail "a folder without a row passed"
echo "$out" | grep -q 'platform/sound has no row' || fail "the folder without a row not named: $out"
echo "$out" | grep -q 'platform/sdl has no row' || fail "the renamed row's folder not named: $out"
echo "$out" | grep -q '`gone/` names no folder' || fail "the row without a folder not named: $out"
cmp -s docs/architecture.md before.md || fail "the document was written despite the problems"

[ $failed -eq 0 ] && echo "architecture-tables: all cases pass"
exit $failed
