// Program host: the per-frame trace, and its writer for the programs that run in real time.
#include "framework/host/trace.h"

#include <cstdio>
#include <cstring>

#include "framework/draw/debug_text.h"
#include "framework/draw/object_table.h"
#include "framework/core/app_state.h"
#include "framework/shell/frame_loop.h"
#include "framework/host/json_text.h"
#include "framework/sound/midi_music.h"
#include "framework/sound/sound_objects.h"
#include "platform/files/output_file.h"
#include "platform/window/system.h"

namespace quorbix {

std::string TraceBackendLine() {
    const platform::BackendInfo& info = platform::backendInfo();
    std::string line = "{\"backend\":";
    AppendJsonString(line, info.name);
    line += ",\"real_time\":" + std::to_string(info.realTime ? 1 : 0);
    line += ",\"has_display\":" + std::to_string(info.hasDisplay ? 1 : 0) + "}\n";
    return line;
}

std::string TraceFrameLine(int frame, std::uint32_t tick, bool ran, bool quit,
                           const std::vector<TraceBox>& boxes) {
    const FrameSeen& seen = Shell.LastFrame;
    std::string line;
    line.reserve(256);
    line += "{\"frame\":" + std::to_string(frame);
    line += ",\"tick\":" + std::to_string(tick);
    line += ",\"ran\":" + std::to_string(ran ? 1 : 0);
    line += ",\"scene\":" + std::to_string(ran ? seen.Scene : 0);
    line += ",\"entered\":" + std::to_string(ran ? seen.Entered : 0);
    line += ",\"next_scene\":" + std::to_string(Shell.SceneId);
    line += ",\"delta_ms\":" + std::to_string(ran ? static_cast<long>(seen.DeltaMs + 0.5f) : 0L);
    line += ",\"mouse\":[" + std::to_string(ran ? seen.MouseX : Input.MouseX) + "," +
            std::to_string(ran ? seen.MouseY : Input.MouseY) + "]";
    line += ",\"left_click\":" + std::to_string(ran ? seen.LeftClick : 0);
    line += ",\"right_click\":" + std::to_string(ran ? seen.RightClick : 0);
    line += ",\"last_key\":" + std::to_string(ran ? seen.LastKey : Input.LastKey);
    char rate[32];
    std::snprintf(rate, sizeof rate, "%.1f", static_cast<double>(elDraw::Fps.FrameRate));
    line += ",\"frame_rate\":";
    line += rate;
    line += ",\"boxes\":[";
    bool first = true;
    for (const TraceBox& box : boxes) {
        if (!first) line += ",";
        first = false;
        line += "{\"caption\":";
        AppendJsonString(line, box.caption);
        line += ",\"text\":";
        AppendJsonString(line, box.text);
        line += "}";
    }
    line += "]";
    line += ",\"objects\":" + std::to_string(elDraw::NamedObjectCount());
    line += ",\"sounds\":[";
    int started[elSound::kStartLogSize];
    int count = elSound::TakeStartedSlots(started, elSound::kStartLogSize);
    for (int i = 0; i < count; ++i) line += (i > 0 ? "," : "") + std::to_string(started[i]);
    line += "]";
    line += ",\"midi\":{\"open\":" + std::to_string(elSound::Midi.MidiOpen) +
            ",\"loop\":" + std::to_string(elSound::Midi.MidiLoop) +
            ",\"playing\":" + std::to_string(elSound::MidiPlaying() ? 1 : 0) + "}";
    if (Program.TraceFields != nullptr) Program.TraceFields(line);
    line += ",\"quit\":" + std::to_string(quit ? 1 : 0);
    line += "}\n";
    return line;
}

namespace {

struct RealTimeTrace {
    platform::OutputFile file;   // the trace, put in place once the program quits
    const char* program = "";
    int written = 0;             // frames whose line is written
    std::string error;           // why the trace could not be written in full
};
RealTimeTrace realTimeTrace;

void Write(const std::string& line) {
    realTimeTrace.file.write(line.data(), line.size());
    // Each line reaches the (temporary) file as the frame ends, so that a watcher (or a killed
    // program) has every frame up to now.
    realTimeTrace.file.flush();
}

void OnFrame(bool quit) {
    if (!realTimeTrace.file.isOpen()) return;
    const FrameSeen& seen = Shell.LastFrame;
    // The line after the last frame says that the program quit; it stands for no new frame, and
    // the trace is complete.
    if (quit) {
        const int frame = realTimeTrace.written + 1;
        Write(TraceFrameLine(frame, platform::getTickCount(), false, true, {}));
        if (!realTimeTrace.file.commit(realTimeTrace.error))
            std::fprintf(stderr, "%s: %s\n", realTimeTrace.program, realTimeTrace.error.c_str());
        return;
    }
    realTimeTrace.written = seen.Count;
    Write(TraceFrameLine(seen.Count, seen.Tick, true, false, {}));
}

}  // namespace

bool StartTrace(const char* program, const std::string& path) {
    realTimeTrace.file.discard();
    realTimeTrace.program = program;
    realTimeTrace.written = 0;
    realTimeTrace.error.clear();
    std::string error;
    if (!realTimeTrace.file.open(path, error)) {
        std::fprintf(stderr, "%s: %s\n", program, error.c_str());
        return false;
    }
    Write(TraceBackendLine());
    SetFrameObserver(OnFrame);
    return true;
}

bool EndTrace() {
    // A program that never quit (its window did not open) leaves no trace behind.
    realTimeTrace.file.discard();
    return realTimeTrace.error.empty();
}

}  // namespace quorbix
