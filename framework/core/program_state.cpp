// Framework core: the registry of resets that ResetProgramState runs stage by stage.
#include "framework/core/program_state.h"


#include <algorithm>
#include <vector>

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
}
