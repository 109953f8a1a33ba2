// Fuzz target: the headless runner's input script parser, fed whatever bytes come.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/window/input_script.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    platform::Script script;
    std::string error;
    std::string text(reinterpret_cast<const char*>(data), size);
    if (platform::parseScript(text, script, error)) {
        // A parsed script is sorted by frame and every frame is 0 or more.
        int last = 0;
        for (const auto& ev : script.events) {
            if (ev.frame < last) __builtin_trap();
            last = ev.frame;
        }
    } else if (error.compare(0, 5, "line ") != 0) {
        __builtin_trap();   // every refusal names its line
    }
    return 0;
}
