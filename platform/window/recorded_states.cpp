// Platform: the state comments of a recorded session, read back to check a replay.
#include "platform/window/recorded_states.h"

#include <charconv>
#include <climits>
#include <string_view>

#include "platform/window/input_script.h"

namespace platform {
namespace {

std::string at(int lineNo) { return "line " + std::to_string(lineNo) + ": "; }

bool number(std::string_view word, long long minValue, long long maxValue, int& out) {
    long long v = 0;
    if (wordNumber(word, minValue, maxValue, v) != WordNumber::ok) return false;
    out = static_cast<int>(v);
    return true;
}

// One hash word: 1 to 16 hexadecimal digits.
bool hashWord(std::string_view word, std::uint64_t& out) {
    const char* end = word.data() + word.size();
    return !word.empty() && word.size() <= 16 && std::from_chars(word.data(), end, out, 16).ptr == end;
}

// "FRAME SCENE HASH [PICTURE]", as the recorder writes after each frame whose state changed (the
// picture's hash is left out by recordings made before it was recorded).
bool readState(std::string_view rest, std::string_view line, int lineNo, RecordedStates& out, std::string& error) {
    std::string_view frameWord, sceneWord, fieldsWord, pictureWord, extra;
    int frame = 0;
    RecordedState s;
    nextWord(rest, frameWord);
    nextWord(rest, sceneWord);
    nextWord(rest, fieldsWord);
    s.havePicture = nextWord(rest, pictureWord);
    if (!number(frameWord, 1, kMaxScriptFrame, frame) || !number(sceneWord, INT_MIN, INT_MAX, s.scene) ||
        !hashWord(fieldsWord, s.hash) || (s.havePicture && !hashWord(pictureWord, s.picture)) ||
        nextWord(rest, extra)) {
        error = at(lineNo) + quotedWord(line) + " is not '# state FRAME SCENE HASH [PICTURE]' (FRAME 1 to " +
                std::to_string(kMaxScriptFrame) + ", each hash up to 16 hexadecimal digits)";
        return false;
    }
    s.line = lineNo;
    const auto [it, added] = out.states.emplace(frame, s);
    if (!added) {
        error = at(lineNo) + "a second state for frame " + std::to_string(frame) + " (the first on line " +
                std::to_string(it->second.line) + ")";
        return false;
    }
    return true;
}

// "after frame N: scene S FIELDS", as the recorder writes when the session ends.
bool readEnd(std::string_view rest, std::string_view line, int lineNo, RecordedStates& out, std::string& error) {
    std::string_view after, frame, frameWord, scene, sceneWord;
    const bool ok = nextWord(rest, after) && after == "after" && nextWord(rest, frame) && frame == "frame" &&
                    nextWord(rest, frameWord) && frameWord.ends_with(':') &&
                    number(frameWord.substr(0, frameWord.size() - 1), 0, kMaxScriptFrame, out.endFrame) &&
                    nextWord(rest, scene) && scene == "scene" && nextWord(rest, sceneWord) &&
                    number(sceneWord, INT_MIN, INT_MAX, out.endScene);
    if (!ok) {
        error = at(lineNo) + quotedWord(line) + " is not '# end after frame N: scene S FIELDS'";
        return false;
    }
    if (out.haveEnd) {
        error = at(lineNo) + "a second end: a recording holds one session";
        return false;
    }
    // The fields follow the one blank the recorder writes after the scene.
    if (!rest.empty()) rest.remove_prefix(1);
    out.endFields = rest;
    out.haveEnd = true;
    return true;
}

}  // namespace

bool readRecordedStates(const std::string& text, RecordedStates& out, std::string& error) {
    out = RecordedStates{};
    std::string_view rest = text, line;
    int lineNo = 0;
    while (nextLine(rest, line)) {
        ++lineNo;
        std::string_view words = line, hashMark, kind;
        if (!nextWord(words, hashMark) || hashMark != "#" || !nextWord(words, kind)) continue;
        if (kind == "state" && !readState(words, line, lineNo, out, error)) return false;
        if (kind == "end" && !readEnd(words, line, lineNo, out, error)) return false;
    }
    return true;
}

}  // namespace platform
