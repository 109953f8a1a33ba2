// Headless backend: parsing the input script and turning its events into window messages.
#include "platform/headless/script.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sstream>

#include "platform/headless/headless.h"
#include "platform/surface.h"
#include "platform/window.h"

namespace platform::headless {
namespace {

struct ArgRange {
    int minValue;
    int maxValue;
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

// Every event the script knows, with its argument count and the range of its arguments.
constexpr EventKind kKinds[] = {
    {"move", 2, -32768, 32767}, {"ldown", 0, 0, 0},    {"lup", 0, 0, 0},
    {"rdown", 0, 0, 0},         {"rup", 0, 0, 0},      {"ldbl", 0, 0, 0},
    {"rdbl", 0, 0, 0},          {"key", 1, 1, 255},    {"keyup", 1, 1, 255},
    {"activate", 1, 0, 1},      {"close", 0, 0, 0},    {"lose-surfaces", 0, 0, 0},
    {"joy", 4, 0, 0, kJoyArgs, "ID (0 or 1), X and Y (0 to 65535) and BUTTONS (0 to 15)", true},
    {"joy-off", 1, 0, 1, nullptr, nullptr, true},
};

const EventKind* findKind(const std::string& name) {
    for (const EventKind& k : kKinds)
        if (name == k.name) return &k;
    return nullptr;
}

bool parseInt(const std::string& word, long long minValue, long long maxValue, int& out) {
    if (word.empty()) return false;
    errno = 0;
    char* end = nullptr;
    long long v = std::strtoll(word.c_str(), &end, 10);
    if (errno != 0 || end == nullptr || *end != '\0' || v < minValue || v > maxValue) return false;
    out = static_cast<int>(v);
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
        if (!parseInt(frameWord, 0, INT_MAX, ev.frame)) {
            error = "line " + std::to_string(lineNo) + ": frame number must be 1 or more, not '" +
                    frameWord + "'";
            return false;
        }
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
                    frameWord + "' (frame 0 is for joy and joy-off only)";
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

void applyEvent(const ScriptEvent& ev) {
    WindowId w = mainWindow();
    const std::string& n = ev.name;
    if (n == "move") {
        setCursorFromClient(ev.args[0], ev.args[1]);
        postMessage(w, WM_MOUSEMOVE, 0, makePosition(ev.args[0], ev.args[1]));
    } else if (n == "ldown") {
        postMessage(w, WM_LBUTTONDOWN, 1, 0);
    } else if (n == "lup") {
        postMessage(w, WM_LBUTTONUP, 0, 0);
    } else if (n == "rdown") {
        postMessage(w, WM_RBUTTONDOWN, 2, 0);
    } else if (n == "rup") {
        postMessage(w, WM_RBUTTONUP, 0, 0);
    } else if (n == "ldbl") {
        postMessage(w, WM_LBUTTONDBLCLK, 1, 0);
    } else if (n == "rdbl") {
        postMessage(w, WM_RBUTTONDBLCLK, 2, 0);
    } else if (n == "key") {
        setKeyDown(ev.args[0], true);
        postMessage(w, WM_KEYDOWN, static_cast<WParam>(ev.args[0]), 1);
    } else if (n == "keyup") {
        setKeyDown(ev.args[0], false);
        postMessage(w, WM_KEYUP, static_cast<WParam>(ev.args[0]), 1);
    } else if (n == "activate") {
        postMessage(w, WM_ACTIVATEAPP, static_cast<WParam>(ev.args[0]), 0);
    } else if (n == "close") {
        postMessage(w, WM_CLOSE, 0, 0);
    } else if (n == "joy") {
        setJoystick(ev.args[0], ev.args[1], ev.args[2], static_cast<std::uint32_t>(ev.args[3]));
    } else if (n == "joy-off") {
        unplugJoystick(ev.args[0]);
    } else if (n == "lose-surfaces") {
        captureShownPicture();   // the lost desktop keeps nothing of what it showed
        loseAllSurfaces();
    }
}

}  // namespace platform::headless
