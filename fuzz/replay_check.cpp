// fuzz-replay_check: replay-check's reader of a recording's state comments (readRecordedStates),
// fed whatever bytes come. Checked: a refusal names its line and stays short (a long word is cut),
// and what is read is what the recorder could have written.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/window/input_script.h"
#include "platform/window/recorded_states.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    platform::RecordedStates recorded;
    std::string error;
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (!platform::readRecordedStates(text, recorded, error)) {
        if (error.compare(0, 5, "line ") != 0 || error.size() > 200) __builtin_trap();
        return 0;
    }
    for (const auto& [frame, state] : recorded.states)
        if (frame < 1 || frame > platform::kMaxScriptFrame) __builtin_trap();
    if (recorded.endFrame < 0 || recorded.endFrame > platform::kMaxScriptFrame) __builtin_trap();
    if (!recorded.haveEnd && (recorded.endFrame != 0 || !recorded.endFields.empty())) __builtin_trap();
    return 0;
}
