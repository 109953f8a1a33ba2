// Platform: the input script, one event per line as "N EVENT ARGS" (docs/headless.md). The
// headless backend plays it; a window replays a recorded session from it.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The largest frame number a script may name: no run goes past it (the runner's --frames).
constexpr int kMaxScriptFrame = 100000000;
// The most bytes a script may hold: some hours of a recorded session, and a bound on what a
// script costs in memory (each event is kept).
constexpr std::size_t kMaxScriptBytes = 32u << 20;

struct ScriptEvent {
    int frame = 0;
    std::string_view name;   // the event's name in the parser's table (static storage)
    long long args[4] = {0, 0, 0, 0};
    std::string text;        // a text event's characters, UTF-8
    int line = 0;
};

// The most bytes one text event may carry.
constexpr std::size_t kMaxScriptText = 255;
// A text event's words as a script holds them: the characters (UTF-8) in double quotes, with
// '\', '"', '#' and every control character written as \xNN. Called by the recorder.
std::string quoteScriptText(std::string_view utf8);

struct Script {
    // Sorted by frame, file order within a frame: a recording may write a frame's tick or time
    // after the next frame's input.
    std::vector<ScriptEvent> events;
};

// Called by the headless backend (loadScript) and startReplay. A text event, "N text \"...\"",
// carries characters typed (up to kMaxScriptText bytes of UTF-8, printable characters only;
// \\, \" and \xNN escapes; a '#' must be \x23, as it starts a comment). False with "line N: ..." in
// error for anything it does not understand: a NUL byte, a byte-order mark past the start, a
// number with anything after its digits. A UTF-8 byte-order mark at the very start is skipped.
bool parseScript(const std::string& text, Script& out, std::string& error);

// Called by the headless runner and startReplay: the language a script's comment line
// "# language TAG" names (the first one), for the program's texts; "" when none does (scripts
// written by hand, sessions recorded before there were languages).
std::string scriptLanguage(std::string_view text);

// Called by the headless runner, startReplay and replay-check: reads a script or a recording
// whole; "-" reads standard input. A file, a pipe or a character device is read (kMaxScriptBytes
// at most); False with "cannot read 'PATH': REASON" for a directory, a missing file, a read
// error or a script over the limit.
bool readScriptFile(const std::string& path, std::string& text, std::string& error);

// ---------------------------------------------------------------- pieces of the readers
// Called by the readers of scripts and recordings (parseScript, readRecordedStates).

// The next line of text, taken off it, without its LF or CR LF; the last line may lack its
// newline. False at the end.
bool nextLine(std::string_view& text, std::string_view& line);
// The next word of a line, split at blanks as a C stream splits them, taken off rest. False at
// the line's end.
bool nextWord(std::string_view& rest, std::string_view& word);
// The whole word as a decimal number: an optional sign, then digits and nothing else.
enum class WordNumber { ok, notNumber, outOfRange };
WordNumber wordNumber(std::string_view word, long long minValue, long long maxValue, long long& out);
// For their messages: the word in quotes, cut
// after about 40 characters ("..." follows), bytes other than printable ASCII as \xNN.
std::string quotedWord(std::string_view word);

}  // namespace platform
