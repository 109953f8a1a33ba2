// fuzz-mci: random text taken apart as a sequencer command string.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/mci.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    platform::MciCommand command;
    platform::parseMciCommand(text.c_str(), command);
    return 0;
}
