#!/usr/bin/env bash
# cmake/page_split_wasm.py: a script carrying its module as a base64 data: address becomes the
# script naming NAME.wasm beside it and the module's own bytes; a script carrying none, two, or
# base64 that is no module is refused with status 1 and nothing written.
#   page_split_wasm.sh SOURCE_DIR WORK_DIR
set -u
tool=$1/cmake/page_split_wasm.py
work=$2
python=$(command -v python3) || { echo "SKIP: no python3"; exit 77; }
rm -rf "$work" && mkdir -p "$work/in" || exit 1
failed=0
fail() { echo "FAIL: $*"; failed=1; }

module=$(printf '\0asm\1\0\0\0\0\0\0' | base64 -w0)
head='var Module={};var wasmBinaryFile='
tail_='; if(!isDataURI(wasmBinaryFile)){wasmBinaryFile=locateFile(wasmBinaryFile)}'
printf '%s"data:application/octet-stream;base64,%s"%s' "$head" "$module" "$tail_" >"$work/in/lib-1.0.js"
if "$python" "$tool" "$work/in/lib-1.0.js" "$work/out"; then
    cmp -s "$work/out/lib-1.0.wasm" <(printf '\0asm\1\0\0\0\0\0\0') || fail "the module's bytes differ"
    [ "$(cat "$work/out/lib-1.0.js")" = "${head}\"lib-1.0.wasm\"${tail_}" ] || fail "the script is not the same with the module's name: $(cat "$work/out/lib-1.0.js")"
else
    fail "a script with one module was refused"
fi

refused() {   # refused NAME CONTENT WHY
    printf '%s' "$2" >"$work/in/$1.js"
    "$python" "$tool" "$work/in/$1.js" "$work/refused" 2>"$work/$1.err"
    local rc=$?
    [ $rc -eq 1 ] || fail "$3: status $rc, not 1"
    [ -s "$work/$1.err" ] || fail "$3: no reason given"
    [ -z "$(ls -A "$work/refused" 2>/dev/null)" ] || fail "$3: $(ls "$work/refused") written"
}
refused none 'var wasmBinaryFile="lib.wasm";' "a script without a module"
refused two "$(printf '%s"data:application/octet-stream;base64,%s";%s"data:application/octet-stream;base64,%s"' "$head" "$module" "$head" "$module")" "two modules"
refused text "$(printf '%s"data:application/octet-stream;base64,%s"' "$head" "$(printf 'not a module' | base64 -w0)")" "base64 of no module"
refused bad "$(printf '%s"data:application/octet-stream;base64,AAA"' "$head")" "base64 cut short"
[ $failed -eq 0 ] && echo PASS
exit $failed
