// fuzz-midi: random bytes opened as a MIDI file through the sequencer, played for a tenth of a
// second on the headless clock, then closed.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/headless/audio.h"
#include "platform/sound/mci.h"
#include "platform/window/window.h"

namespace {
// The scratch file the inputs are written to, removed at exit.
struct Scratch {
    std::string path = "/tmp/fuzz-midi-" + std::to_string(::getpid()) + ".mid";
    ~Scratch() { std::remove(path.c_str()); }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Scratch scratch;
    const std::string& path = scratch.path;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    std::string open = "open " + path + " type sequencer alias midi";
    if (platform::mciSendString(open.c_str(), nullptr, 0, 0) == 0) {
        platform::mciSendString("seek midi to start", nullptr, 0, 0);
        platform::mciSendString("play midi notify", nullptr, 0, 0);
        platform::headless::renderAudioFrames(4410);
        platform::mciSendString("close midi", nullptr, 0, 0);
    }
    // The end notices pile up in the queue otherwise.
    platform::Message m;
    while (platform::peekMessage(m)) {
    }
    return 0;
}
