// Application shell: the shell's and the input's process-wide state, and the reset of all state.
#include "framework/core/app_state.h"

#include <algorithm>
#include <array>
#include <vector>

#include "framework/shell/frame_loop.h"
#include "framework/core/program_state.h"
#include "platform/window/window.h"

ShellState Shell;
const ProgramStateRegistration kShellReset{ResetStage::Shell, [] { Shell.reset(); }};
InputState Input;
const ProgramStateRegistration kInputReset{ResetStage::Shell, [] { Input.reset(); }};
// The window records and the message queue below the shell.
const ProgramStateRegistration kWindowsReset{ResetStage::Platform, [] { platform::resetWindows(); }};

namespace {

struct Registered {
    ResetStage stage;
    void (*reset)();
};

// Filled while the program's static objects are made, before main: constructed on first use, so
// that registrations from any file find it ready.
std::vector<Registered>& Registry() {
    static std::vector<Registered> registry;
    return registry;
}

}  // namespace

ProgramStateRegistration::ProgramStateRegistration(ResetStage stage, void (*reset)()) {
    Registry().push_back({stage, reset});
}

void ResetProgramState() {
    // Stable: within a stage, the order of registration.
    std::vector<Registered> order = Registry();
    std::stable_sort(order.begin(), order.end(),
                     [](const Registered& a, const Registered& b) { return a.stage < b.stage; });
    for (const Registered& r : order) r.reset();
    std::copy(std::begin(Program.Scenes), std::end(Program.Scenes), std::begin(SceneFunctions));
    if (Program.Reset != nullptr) Program.Reset();
}
