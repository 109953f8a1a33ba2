// replay-check RECORDING TRACE: checks a headless replay against the recorded session, frame by
// frame. The recording's "# state FRAME SCENE HASH" comments hold what each frame left in the
// window (written when it changed); every frame of the trace that ran must show the scene and
// the program fields (score, balls, password, ...) of the last state at or before it, and the
// recording's last state, kept in full, must be the trace's. Exit status 0 when they agree.
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "platform/window/recording.h"

namespace {

struct State {
    int scene = 0;
    std::uint64_t hash = 0;
};

long long Field(const std::string& line, const std::string& name) {
    const std::size_t at = line.find("\"" + name + "\":");
    return at == std::string::npos ? -999 : std::atoll(line.c_str() + at + name.size() + 3);
}

// The program's own fields of a trace line: from after the music's object to before "quit".
std::string ProgramFields(const std::string& line) {
    const std::size_t from = line.find("}", line.find("\"midi\":"));
    const std::size_t to = line.rfind(",\"quit\":");
    if (from == std::string::npos || to == std::string::npos || to < from + 1) return "";
    return line.substr(from + 1, to - from - 1);
}

std::string Quoted(const std::string& fields, const std::string& name) {
    const std::size_t at = fields.find("\"" + name + "\":");
    if (at == std::string::npos) return "?";
    const std::size_t end = fields.find_first_of(",]", at + name.size() + 3);
    return fields.substr(at + name.size() + 3, end - at - name.size() - 3);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: replay-check RECORDING TRACE\n");
        return 2;
    }
    std::ifstream recording(argv[1]), trace(argv[2]);
    if (!recording || !trace) {
        std::fprintf(stderr, "replay-check: cannot read %s\n", !recording ? argv[1] : argv[2]);
        return 2;
    }
    std::map<int, State> states;
    std::string line, endFields;
    int endFrame = 0, endScene = 0;
    while (std::getline(recording, line)) {
        std::istringstream words(line);
        std::string hashMark, kind;
        words >> hashMark >> kind;
        if (hashMark != "#") continue;
        if (kind == "state") {
            int frame = 0;
            State s;
            std::string hex;
            words >> frame >> s.scene >> hex;
            s.hash = std::stoull(hex, nullptr, 16);
            states[frame] = s;
        } else if (kind == "end") {
            std::string after, frameWord;
            words >> after >> frameWord;   // "after frame N: scene S FIELDS"
            std::string sceneWord;
            words >> endFrame;
            words.ignore(1);   // ':'
            words >> sceneWord >> endScene;
            words.ignore(1);
            std::getline(words, endFields);
        }
    }
    if (states.empty() || endFrame == 0) {
        std::fprintf(stderr, "replay-check: %s has no recorded states or no end\n", argv[1]);
        return 1;
    }
    int checked = 0, failures = 0;
    std::string lastFields;
    while (std::getline(trace, line)) {
        if (line.find("\"frame\":") == std::string::npos) continue;
        const int frame = static_cast<int>(Field(line, "frame"));
        if (frame > endFrame) break;
        auto it = states.upper_bound(frame);
        if (Field(line, "ran") != 1) {
            if (states.count(frame) != 0) {
                std::fprintf(stderr, "frame %d ran in the window but not in the replay\n", frame);
                ++failures;
            }
            continue;
        }
        if (it == states.begin()) continue;   // before the first recorded state
        const State& want = std::prev(it)->second;
        const std::string fields = ProgramFields(line);
        const int scene = static_cast<int>(Field(line, "scene"));
        if (scene != want.scene || platform::stateHash(fields) != want.hash) {
            if (failures < 5)
                std::fprintf(stderr, "frame %d differs: window scene %d, replay scene %d score %s password %s\n",
                             frame, want.scene, scene, Quoted(fields, "score").c_str(), Quoted(fields, "password").c_str());
            ++failures;
        }
        lastFields = fields;
        ++checked;
    }
    if (lastFields != endFields) {
        std::fprintf(stderr, "the last frame differs: window %s\n  replay %s\n", endFields.substr(0, 120).c_str(),
                     lastFields.substr(0, 120).c_str());
        ++failures;
    }
    std::printf("replay-check: %d frames compared, %d differ; window and replay end with score %s, password %s\n",
                checked, failures, Quoted(endFields, "score").c_str(), Quoted(endFields, "password").c_str());
    return failures == 0 ? 0 : 1;
}
