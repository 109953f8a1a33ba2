// replay-check RECORDING TRACE: checks a headless replay against the recorded session, frame by
// frame. The recording's "# state FRAME SCENE HASH" comments hold what each frame left in the
// window (written when it changed); every frame of the trace that ran must show the scene and
// the program fields (score, balls, password, ...) of the last state at or before it, and the
// recording's last state, kept in full, must be the trace's. Exit status 0 when they agree.
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "framework/runner/headless_runner.h"
#include "platform/window/input_script.h"
#include "platform/window/recorded_states.h"
#include "platform/window/recording.h"

namespace {

// The program's own fields of a trace line: from after the music's object to before "quit".
// False when the line lacks either.
bool ProgramFields(const std::string& line, std::string& fields) {
    const std::size_t midi = line.find("\"midi\":");
    const std::size_t from = midi == std::string::npos ? midi : line.find("}", midi);
    const std::size_t to = line.rfind(",\"quit\":");
    if (from == std::string::npos || to == std::string::npos || to < from + 1) return false;
    fields = line.substr(from + 1, to - from - 1);
    return true;
}

bool HasField(const std::string& line, const char* name) {
    return line.find("\"" + std::string(name) + "\":") != std::string::npos;
}

std::string Quoted(const std::string& fields, const std::string& name) {
    const std::size_t at = fields.find("\"" + name + "\":");
    if (at == std::string::npos) return "?";
    const std::size_t end = fields.find_first_of(",]", at + name.size() + 3);
    return fields.substr(at + name.size() + 3, end - at - name.size() - 3);
}

// Reads the recording's state comments; false after saying why.
bool ReadRecording(const char* path, platform::RecordedStates& recorded) {
    std::string text, error;
    if (!platform::readScriptFile(path, text, error)) {
        std::fprintf(stderr, "replay-check: %s\n", error.c_str());
        return false;
    }
    if (!platform::readRecordedStates(text, recorded, error)) {
        std::fprintf(stderr, "replay-check: %s: %s\n", path, error.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: replay-check RECORDING TRACE\n");
        return 2;
    }
    platform::RecordedStates recorded;
    if (!ReadRecording(argv[1], recorded)) return 2;
    struct stat st;
    std::ifstream trace(argv[2]);
    if (!trace || ::stat(argv[2], &st) != 0 || S_ISDIR(st.st_mode)) {
        std::fprintf(stderr, "replay-check: cannot read the trace '%s'\n", argv[2]);
        return 2;
    }
    const auto& states = recorded.states;
    const int endFrame = recorded.endFrame;
    const std::string& endFields = recorded.endFields;
    if (states.empty() || endFrame == 0) {
        std::fprintf(stderr, "replay-check: %s has no recorded states or no end\n", argv[1]);
        return 1;
    }
    // An end without fields would agree with a trace that shows none.
    if (endFields.empty()) {
        std::fprintf(stderr, "replay-check: %s: the recording's end names no fields\n", argv[1]);
        return 2;
    }
    std::string line;
    int checked = 0, failures = 0, lineNo = 0, reached = 0;
    std::string lastFields;
    while (std::getline(trace, line)) {
        ++lineNo;
        if (!HasField(line, "frame")) continue;
        for (const char* name : {"ran", "scene"}) {
            if (!HasField(line, name)) {
                std::fprintf(stderr, "replay-check: %s: trace line %d: no '%s' field\n", argv[2], lineNo, name);
                return 2;
            }
        }
        std::string fields;
        if (!ProgramFields(line, fields)) {
            std::fprintf(stderr, "replay-check: %s: trace line %d: no program fields (between \"midi\" and \"quit\")\n",
                         argv[2], lineNo);
            return 2;
        }
        const int frame = static_cast<int>(TraceField(line, "frame"));
        reached = std::max(reached, frame);
        if (frame > endFrame) break;
        auto it = states.upper_bound(frame);
        if (TraceField(line, "ran") != 1) {
            if (states.count(frame) != 0) {
                std::fprintf(stderr, "frame %d ran in the window but not in the replay\n", frame);
                ++failures;
            }
            continue;
        }
        if (it == states.begin()) continue;   // before the first recorded state
        const platform::RecordedState& want = std::prev(it)->second;
        const int scene = static_cast<int>(TraceField(line, "scene"));
        if (scene != want.scene || platform::stateHash(fields) != want.hash) {
            if (failures < 5)
                std::fprintf(stderr, "frame %d differs: window scene %d, replay scene %d score %s password %s\n",
                             frame, want.scene, scene, Quoted(fields, "score").c_str(), Quoted(fields, "password").c_str());
            ++failures;
        }
        lastFields = fields;
        ++checked;
    }
    if (trace.bad()) {
        std::fprintf(stderr, "replay-check: cannot read the trace '%s' to its end\n", argv[2]);
        return 2;
    }
    if (reached < endFrame) {
        std::fprintf(stderr, "the trace ends at frame %d, before the recording's end after frame %d\n", reached,
                     endFrame);
        ++failures;
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
