#!/usr/bin/env python3
# Splits a script that carries its WebAssembly module inside it, as a base64 data: address
# (wasmBinaryFile="data:application/octet-stream;base64,..."), into the script, which then loads
# NAME.wasm from beside itself, and NAME.wasm: a page transfers the module in a sixth fewer bytes
# compressed, the browser compiles it as it arrives instead of decoding text first, and the page
# can ask for it from its head on.
#
#   page_split_wasm.py SCRIPT OUT_DIR      writes OUT_DIR/NAME.js and OUT_DIR/NAME.wasm
#                                          (NAME: SCRIPT's name without .js)
#
# Exit status: 0 written, 1 the script does not carry its module so (exactly once) or the files
# could not be written (a line says why; nothing is left half written), 2 bad arguments.
import base64
import binascii
import os
import re
import sys

kPattern = re.compile(rb'wasmBinaryFile\s*=\s*"data:application/octet-stream;base64,([A-Za-z0-9+/=]*)"')


def write_whole(path, data):
    tmp = path + '.tmp'
    with open(tmp, 'wb') as f:
        f.write(data)
    os.replace(tmp, path)


def main(argv):
    if len(argv) != 3:
        print('usage: page_split_wasm.py SCRIPT OUT_DIR', file=sys.stderr)
        return 2
    script, out = argv[1], argv[2]
    name = os.path.basename(script)
    if not name.endswith('.js'):
        print(f'page_split_wasm: {script} is not a .js file', file=sys.stderr)
        return 2
    name = name[:-3]
    try:
        with open(script, 'rb') as f:
            text = f.read()
    except OSError as e:
        print(f'page_split_wasm: {e}', file=sys.stderr)
        return 1
    found = list(kPattern.finditer(text))
    if len(found) != 1:
        print(f'page_split_wasm: {script} carries {len(found)} modules as data: addresses, not one', file=sys.stderr)
        return 1
    try:
        module = base64.b64decode(found[0].group(1), validate=True)
    except binascii.Error as e:
        print(f'page_split_wasm: the module in {script} is not base64: {e}', file=sys.stderr)
        return 1
    if module[:4] != b'\0asm':
        print(f'page_split_wasm: the data: address in {script} holds no WebAssembly module', file=sys.stderr)
        return 1
    m = found[0]
    rest = text[:m.start()] + f'wasmBinaryFile="{name}.wasm"'.encode() + text[m.end():]
    try:
        os.makedirs(out, exist_ok=True)
        write_whole(os.path.join(out, name + '.wasm'), module)
        write_whole(os.path.join(out, name + '.js'), rest)
    except OSError as e:
        print(f'page_split_wasm: {e}', file=sys.stderr)
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
