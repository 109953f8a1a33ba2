#!/usr/bin/env python3
"""scripts/make-cheatsheet on a small tree of its own: what it lists and how, what --check says
when the cheatsheet is stale, and that a declaration without a comment stops it."""
import os
import shutil
import subprocess
import sys
import tempfile

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "make-cheatsheet")
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)


def write(root, path, text):
    os.makedirs(os.path.dirname(os.path.join(root, path)), exist_ok=True)
    with open(os.path.join(root, path), "w", encoding="utf-8") as f:
        f.write(text)


def run(root, *args):
    done = subprocess.run([sys.executable, os.path.join(root, "scripts", "make-cheatsheet"), *args],
                          capture_output=True, text=True)
    return done.returncode, done.stderr


SERVICE = """// elThing: a service of the test tree.
#pragma once
#include "framework/thing/shared.h"

namespace elThing {

// Starts the thing. More about it follows (in two sentences). Really.
int Start(int speed = 2);
// Plays a sound; the first of a run.
void Play(int slot);
void PlayLoop(int slot);
int Volume(int slot);   // the volume, 0 to 100

// What a thing holds.
struct ThingState {
    int Count = 0;   // a member's comment, not the type's
};
// The thing itself.
extern ThingState Thing;
constexpr int kSlots = 30, kVoices = 4;

// A body is not shown.
inline int Twice(int x) { return 2 * x; }
void Message(const char* format, ...) __attribute__((format(printf, 1, 2)));   // a printf-style box

namespace {
int Hidden();
}  // namespace

}  // namespace elThing
"""
SHARED = """// Shared: what two services use.
#pragma once
// An edge state.
using Edge = int;
"""


def make_tree(root):
    os.makedirs(os.path.join(root, "scripts"))
    shutil.copy(SCRIPT, os.path.join(root, "scripts", "make-cheatsheet"))
    for name in ("system", "draw", "sound", "joystick", "program", "headless"):
        write(root, f"include/quorbix/{name}.h", f"// Quorbix: {name}.\n#pragma once\n")
    write(root, "include/quorbix/sound.h",
          '// Quorbix: sound.\n#include "framework/thing/thing.h"\n#include "framework/thing/shared.h"\n')
    write(root, "include/quorbix/joystick.h", '// Quorbix: joystick.\n#include "framework/thing/shared.h"\n')
    write(root, "framework/thing/thing.h", SERVICE)
    write(root, "framework/thing/shared.h", SHARED)
    os.makedirs(os.path.join(root, "docs"))


with tempfile.TemporaryDirectory() as root:
    make_tree(root)
    status, err = run(root)
    check(status == 0, f"writing: exit {status}: {err}")
    sheet = open(os.path.join(root, "docs", "cheatsheet.md"), encoding="utf-8").read()
    expected = [
        "- `int elThing::Start(int speed = 2)`: Starts the thing.",
        "- `void elThing::Play(int slot)`: Plays a sound; the first of a run.",
        "- `void elThing::PlayLoop(int slot)`: Plays a sound; the first of a run.",
        "- `int elThing::Volume(int slot)`: The volume, 0 to 100.",
        "- `int elThing::Twice(int x)`: A body is not shown.",
        "- `void elThing::Message(const char* format, ...)`: A printf-style box.",
        "- `struct elThing::ThingState`: What a thing holds.",
        "- `ThingState elThing::Thing`: The thing itself.",
        "- Constants: `elThing::kSlots`, `elThing::kVoices`",
        "- `using Edge = int`: An edge state.",
        "Also included: `framework/thing/shared.h` (under elSound).",
    ]
    for line in expected:
        check(line + "\n" in sheet, f"the cheatsheet lacks: {line}")
    check("Hidden" not in sheet, "a declaration in an anonymous namespace is listed")
    check(sheet.index("## elSound") < sheet.index("`using Edge") < sheet.index("## elJoystick"),
          "a header two groups include is not listed under the first")

    status, err = run(root, "--check")
    check(status == 0 and err == "", f"--check on a current cheatsheet: exit {status}: {err}")

    # A comment changed in a header: --check names the file and shows the change, and writes nothing.
    write(root, "framework/thing/thing.h", SERVICE.replace("// Starts the thing.", "// Starts the thing at once."))
    status, err = run(root, "--check")
    check(status == 1, f"--check on a stale cheatsheet: exit {status}")
    check("docs/cheatsheet.md is not what the headers say" in err and "+- `int elThing::Start" in err,
          f"--check does not say what is stale: {err}")
    check(open(os.path.join(root, "docs", "cheatsheet.md"), encoding="utf-8").read() == sheet,
          "--check changed the cheatsheet")

    # A declaration with no comment of its own nor a run to share: named, nothing written.
    write(root, "framework/thing/thing.h", SERVICE.replace("int Volume(int slot);   // the volume, 0 to 100\n",
                                                           "\nint Volume(int slot);\n"))
    status, err = run(root)
    check(status == 1 and "framework/thing/thing.h:13: Volume has no comment" in err,
          f"an undocumented declaration: exit {status}: {err}")
    check(open(os.path.join(root, "docs", "cheatsheet.md"), encoding="utf-8").read() == sheet,
          "a failed run changed the cheatsheet")

    os.remove(os.path.join(root, "docs", "cheatsheet.md"))
    write(root, "framework/thing/thing.h", SERVICE)
    status, err = run(root, "--check")
    check(status == 1 and "is missing" in err, f"--check without a cheatsheet: exit {status}: {err}")

for failure in failures:
    print("FAILED: " + failure, file=sys.stderr)
sys.exit(1 if failures else 0)
