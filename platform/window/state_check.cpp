// Platform: a replay checked frame by frame against its recording's state comments.
#include "platform/window/state_check.h"

#include <iterator>

#include "platform/window/recorded_states.h"

namespace platform {
namespace {

struct StateCheck {
    bool active = false;
    RecordedStates recorded;
    StateCheckResult result;
};
StateCheck check;

// What differs between a frame and its recorded state; "" when nothing does.
std::string difference(const RecordedState& want, int scene, const std::string& fields, std::uint64_t picture) {
    if (scene != want.scene) return "scene " + std::to_string(scene) + ", recorded " + std::to_string(want.scene);
    if (stateHash(fields) != want.hash) return "the program's fields";
    if (want.havePicture && picture != want.picture) return "the picture";
    return "";
}

}  // namespace

bool startStateCheck(const std::string& text, std::string& error) {
    check = StateCheck{};
    if (!readRecordedStates(text, check.recorded, error)) return false;
    check.active = true;
    return true;
}

bool stateCheckActive() { return check.active; }

void stopStateCheck() { check = StateCheck{}; }

void checkFrameState(int frame, int scene, const std::string& fields, std::uint64_t picture) {
    if (!check.active || check.recorded.states.empty()) return;
    // The session ended with its last frame: a replay that goes on (the window's own input takes
    // over) is past what was recorded.
    const int last = check.recorded.haveEnd ? check.recorded.endFrame : check.recorded.states.rbegin()->first;
    if (frame > last) return;
    auto after = check.recorded.states.upper_bound(frame);
    if (after == check.recorded.states.begin()) return;
    const std::string why = difference(std::prev(after)->second, scene, fields, picture);
    StateCheckResult& r = check.result;
    ++r.checked;
    if (why.empty()) return;
    if (r.differing++ == 0) {
        r.firstFrame = frame;
        r.first = why;
    }
}

StateCheckResult stateCheckResult() { return check.result; }

std::string stateCheckSummary() {
    const StateCheckResult& r = check.result;
    if (r.differing == 0) return "replay: " + std::to_string(r.checked) + " frames as recorded";
    return "replay: " + std::to_string(r.differing) + " of " + std::to_string(r.checked) +
           " frames differ from the recording, the first at frame " + std::to_string(r.firstFrame) + " (" +
           r.first + ")";
}

}  // namespace platform
