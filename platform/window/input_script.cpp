// Platform: the input script (one event per line, "N EVENT ARGS"), read by the headless backend
// and by a window that replays a recorded session.
#include "platform/window/input_script.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sstream>


namespace platform {
namespace {

struct ArgRange {
    long long minValue;
    long long maxValue;
};

struct EventKind {
    const char* name;
    int argc;
    int minValue;   // smallest value each argument may take
    int maxValue;
    const ArgRange* ranges = nullptr;   // per argument, for events whose arguments differ
    const char* usage = nullptr;        // what the arguments are, for the error message
    bool atStart = false;               // may be given for frame 0: the machine at start-up
};

constexpr ArgRange kJoyArgs[] = {{0, 1}, {0, 65535}, {0, 65535}, {0, 15}};
constexpr ArgRange kTickArgs[] = {{0, 4294967295LL}};
constexpr ArgRange kTimeArgs[] = {{0, 253402300799LL}};   // up to the end of the year 9999

// Every event the script knows, with its argument count and the range of its arguments.
constexpr EventKind kKinds[] = {
    {"move", 2, -32768, 32767}, {"ldown", 0, 0, 0},    {"lup", 0, 0, 0},
    {"rdown", 0, 0, 0},         {"rup", 0, 0, 0},      {"ldbl", 0, 0, 0},
    {"rdbl", 0, 0, 0},          {"key", 1, 1, 255},    {"keyup", 1, 1, 255},
    {"activate", 1, 0, 1},      {"close", 0, 0, 0},    {"lose-surfaces", 0, 0, 0},
    {"joy", 4, 0, 0, kJoyArgs, "ID (0 or 1), X and Y (0 to 65535) and BUTTONS (0 to 15)", true},
    {"joy-off", 1, 0, 1, nullptr, nullptr, true},
    {"tick", 1, 0, 0, kTickArgs, "the tick count in milliseconds (0 to 4294967295)", true},
    {"time", 1, 0, 0, kTimeArgs, "the calendar time in whole seconds (0 or more)", true},
};

const EventKind* findKind(const std::string& name) {
    for (const EventKind& k : kKinds)
        if (name == k.name) return &k;
    return nullptr;
}

bool parseInt(const std::string& word, long long minValue, long long maxValue, long long& out) {
    if (word.empty()) return false;
    errno = 0;
    char* end = nullptr;
    long long v = std::strtoll(word.c_str(), &end, 10);
    if (errno != 0 || end == nullptr || *end != '\0' || v < minValue || v > maxValue) return false;
    out = v;
    return true;
}

}  // namespace

bool parseScript(const std::string& text, Script& out, std::string& error) {
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    out.events.clear();
    while (std::getline(in, line)) {
        ++lineNo;
        std::size_t hash = line.find('#');
        if (hash != std::string::npos) line.erase(hash);
        std::istringstream words(line);
        std::string frameWord, name;
        if (!(words >> frameWord)) continue;
        ScriptEvent ev;
        ev.line = lineNo;
        long long frame = 0;
        if (!parseInt(frameWord, 0, INT_MAX, frame)) {
            error = "line " + std::to_string(lineNo) + ": frame number must be 1 or more, not '" +
                    frameWord + "'";
            return false;
        }
        ev.frame = static_cast<int>(frame);
        if (!(words >> name)) {
            error = "line " + std::to_string(lineNo) + ": event missing after frame number";
            return false;
        }
        const EventKind* kind = findKind(name);
        if (kind == nullptr) {
            error = "line " + std::to_string(lineNo) + ": unknown event '" + name + "'";
            return false;
        }
        if (ev.frame == 0 && !kind->atStart) {
            error = "line " + std::to_string(lineNo) + ": frame number must be 1 or more, not '" +
                    frameWord + "' (frame 0 is for joy, joy-off, tick and time only)";
            return false;
        }
        ev.name = name;
        for (int i = 0; i < kind->argc; ++i) {
            std::string w;
            ArgRange range = kind->ranges ? kind->ranges[i] : ArgRange{kind->minValue, kind->maxValue};
            if (!(words >> w) || !parseInt(w, range.minValue, range.maxValue, ev.args[i])) {
                error = "line " + std::to_string(lineNo) + ": '" + name + "' takes ";
                if (kind->usage != nullptr)
                    error += kind->usage;
                else
                    error += std::to_string(kind->argc) + " number(s) from " +
                             std::to_string(kind->minValue) + " to " + std::to_string(kind->maxValue);
                return false;
            }
        }
        std::string extra;
        if (words >> extra) {
            error = "line " + std::to_string(lineNo) + ": unexpected '" + extra + "' after '" + name + "'";
            return false;
        }
        out.events.push_back(ev);
    }
    std::stable_sort(out.events.begin(), out.events.end(),
                     [](const ScriptEvent& a, const ScriptEvent& b) { return a.frame < b.frame; });
    return true;
}

}  // namespace platform
