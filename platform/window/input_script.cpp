// Platform: the input script (one event per line, "N EVENT ARGS"), read by the headless backend
// and by a window that replays a recorded session.
#include "platform/window/input_script.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>

#include "platform/files/os.h"

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

constexpr ArgRange kJoyArgs[] = {{0, 1}, {0, 65535}, {0, 65535}, {0, 4294967295LL}};
constexpr ArgRange kTickArgs[] = {{0, 4294967295LL}};
constexpr ArgRange kTimeArgs[] = {{0, 253402300799LL}};   // up to the end of the year 9999

// Every event the script knows, with its argument count and the range of its arguments.
constexpr EventKind kKinds[] = {
    {"move", 2, -32768, 32767}, {"ldown", 0, 0, 0},    {"lup", 0, 0, 0},
    {"rdown", 0, 0, 0},         {"rup", 0, 0, 0},      {"ldbl", 0, 0, 0},
    {"rdbl", 0, 0, 0},          {"key", 1, 1, 255},    {"keyup", 1, 1, 255},
    {"activate", 1, 0, 1},      {"close", 0, 0, 0},    {"lose-surfaces", 0, 0, 0},
    {"joy", 4, 0, 0, kJoyArgs, "ID (0 or 1), X and Y (0 to 65535) and BUTTONS (0 to 4294967295, bit n for button n + 1)", true},
    {"joy-off", 1, 0, 1, nullptr, nullptr, true},
    {"tick", 1, 0, 0, kTickArgs, "the tick count in milliseconds (0 to 4294967295)", true},
    {"time", 1, 0, 0, kTimeArgs, "the calendar time in whole seconds (0 or more)", true},
    {"text", 0, 0, 0},   // its quoted characters are read by parseText
};

constexpr const char* kTextUsage =
    "'text' takes characters in double quotes (UTF-8, printable, up to 255 bytes; \\\\, \\\" and \\xNN escapes)";

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Whether every character of `text` is whole UTF-8 and printable (no control character).
bool printableUtf8(const std::string& text) {
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char b = s[i];
        const std::size_t n = b < 0x80 ? 1 : b >= 0xC2 && b < 0xE0 ? 2 : b >= 0xE0 && b < 0xF0 ? 3 : b >= 0xF0 && b < 0xF5 ? 4 : 0;
        if (n == 0 || i + n > text.size()) return false;
        std::uint32_t c = n == 1 ? b : b & (0x7F >> n);
        for (std::size_t k = 1; k < n; ++k) {
            if ((s[i + k] & 0xC0) != 0x80) return false;
            c = c << 6 | (s[i + k] & 0x3Fu);
        }
        static constexpr std::uint32_t kSmallest[5] = {0, 0, 0x80, 0x800, 0x10000};
        if (c < kSmallest[n] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
        if (c < 0x20 || (c >= 0x7F && c < 0xA0)) return false;
        i += n;
    }
    return true;
}

// The quoted characters of a text event, the rest of its line; false when they are not.
bool parseText(std::string_view rest, std::string& out) {
    while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t' || rest.front() == '\r')) rest.remove_prefix(1);
    if (rest.empty() || rest.front() != '"') return false;
    rest.remove_prefix(1);
    out.clear();
    for (;;) {
        if (rest.empty()) return false;
        const char c = rest.front();
        rest.remove_prefix(1);
        if (c == '"') break;
        if (c != '\\') {
            out.push_back(c);
        } else if (!rest.empty() && (rest.front() == '\\' || rest.front() == '"')) {
            out.push_back(rest.front());
            rest.remove_prefix(1);
        } else if (rest.size() >= 3 && rest[0] == 'x' && hexDigit(rest[1]) >= 0 && hexDigit(rest[2]) >= 0) {
            out.push_back(static_cast<char>(hexDigit(rest[1]) * 16 + hexDigit(rest[2])));
            rest.remove_prefix(3);
        } else {
            return false;
        }
        if (out.size() > kMaxScriptText) return false;
    }
    for (char c : rest)
        if (c != ' ' && c != '\t' && c != '\r') return false;
    return !out.empty() && printableUtf8(out);
}

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

const EventKind* findKind(std::string_view name) {
    for (const EventKind& k : kKinds)
        if (name == k.name) return &k;
    return nullptr;
}

std::string at(int lineNo) { return "line " + std::to_string(lineNo) + ": "; }

// One line: false with error when it is not one of a script's lines; with an event, true and
// the event in ev, isEvent set.
bool parseLine(std::string_view line, int lineNo, ScriptEvent& ev, bool& isEvent, std::string& error) {
    isEvent = false;
    if (line.find('\0') != std::string_view::npos) {
        error = at(lineNo) + "a NUL byte: a script is text";
        return false;
    }
    line = line.substr(0, line.find('#'));
    if (line.find(kByteOrderMark) != std::string_view::npos) {
        error = at(lineNo) + "a byte-order mark (EF BB BF), which only the start of a script may hold";
        return false;
    }
    std::string_view frameWord, name;
    if (!nextWord(line, frameWord)) return true;
    ev = ScriptEvent{};
    ev.line = lineNo;
    long long frame = 0;
    const WordNumber n = wordNumber(frameWord, 0, kMaxScriptFrame, frame);
    if (n != WordNumber::ok) {
        const bool tooLarge = n == WordNumber::outOfRange && frameWord[0] != '-';
        error = at(lineNo) + "frame number must be " +
                (tooLarge ? std::to_string(kMaxScriptFrame) + " at most" : std::string("1 or more")) + ", not " +
                quotedWord(frameWord);
        return false;
    }
    ev.frame = static_cast<int>(frame);
    if (!nextWord(line, name)) {
        error = at(lineNo) + "event missing after frame number";
        return false;
    }
    const EventKind* kind = findKind(name);
    if (kind == nullptr) {
        error = at(lineNo) + "unknown event " + quotedWord(name);
        return false;
    }
    if (ev.frame == 0 && !kind->atStart) {
        error = at(lineNo) + "frame number must be 1 or more, not " + quotedWord(frameWord) +
                " (frame 0 is for joy, joy-off, tick and time only)";
        return false;
    }
    ev.name = kind->name;
    if (ev.name == "text") {
        if (!parseText(line, ev.text)) {
            error = at(lineNo) + kTextUsage;
            return false;
        }
        isEvent = true;
        return true;
    }
    for (int i = 0; i < kind->argc; ++i) {
        std::string_view w;
        const ArgRange range = kind->ranges ? kind->ranges[i] : ArgRange{kind->minValue, kind->maxValue};
        if (!nextWord(line, w) || wordNumber(w, range.minValue, range.maxValue, ev.args[i]) != WordNumber::ok) {
            error = at(lineNo) + "'" + kind->name + "' takes ";
            if (kind->usage != nullptr)
                error += kind->usage;
            else
                error += std::to_string(kind->argc) + " number(s) from " + std::to_string(kind->minValue) + " to " +
                         std::to_string(kind->maxValue);
            return false;
        }
    }
    std::string_view extra;
    if (nextWord(line, extra)) {
        error = at(lineNo) + "unexpected " + quotedWord(extra) + " after '" + kind->name + "'";
        return false;
    }
    isEvent = true;
    return true;
}

// Reads an open file to its end, one block past kMaxScriptBytes at most.
bool readAll(int fd, const std::string& name, std::string& text, std::string& error) {
    const std::string tooLarge = "cannot read " + name + ": larger than " + std::to_string(kMaxScriptBytes >> 20) +
                                 " MB, the most a script may hold";
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        error = "cannot read " + name + ": " + std::strerror(errno);
        return false;
    }
    // Files, pipes and terminals are read; directories, block devices and sockets are not.
    if (!S_ISREG(st.st_mode) && !S_ISFIFO(st.st_mode) && !S_ISCHR(st.st_mode)) {
        error = "cannot read " + name + ": " + (S_ISDIR(st.st_mode) ? std::strerror(EISDIR) : "not a file or a pipe");
        return false;
    }
    if (S_ISREG(st.st_mode) && static_cast<std::uint64_t>(st.st_size) > kMaxScriptBytes) {
        error = tooLarge;
        return false;
    }
    text.clear();
    if (S_ISREG(st.st_mode)) text.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            error = "cannot read " + name + ": " + std::strerror(errno);
            return false;
        }
        if (got == 0) return true;
        if (text.size() + static_cast<std::size_t>(got) > kMaxScriptBytes) {
            error = tooLarge;
            return false;
        }
        text.append(buffer, static_cast<std::size_t>(got));
    }
}

}  // namespace

std::string quoteScriptText(std::string_view utf8) {
    std::string out = "\"";
    for (char c : utf8) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F || c == '\\' || c == '"' || c == '#') {
            static const char kHex[] = "0123456789ABCDEF";
            out += "\\x";
            out.push_back(kHex[b >> 4]);
            out.push_back(kHex[b & 15]);
        } else {
            out.push_back(c);
        }
    }
    return out + "\"";
}

bool parseScript(const std::string& text, Script& out, std::string& error) {
    out.events.clear();
    std::string_view rest = text;
    // Some editors start UTF-8 text with a byte-order mark.
    if (rest.starts_with(kByteOrderMark)) rest.remove_prefix(kByteOrderMark.size());
    // Each event is kept: room for all of them at once, where a growing list would copy itself on
    // the way. The room is taken once every line has been read and found sound, for the events
    // they hold: a file of junk is refused at its first line, not after room was made for a
    // line's worth of event per line.
    std::size_t count = 0;
    std::string_view line;
    ScriptEvent ev;
    bool isEvent = false;
    int lineNo = 0;
    for (std::string_view scan = rest; nextLine(scan, line);) {
        if (!parseLine(line, ++lineNo, ev, isEvent, error)) return false;
        count += isEvent;
    }
    out.events.reserve(count);
    lineNo = 0;
    while (nextLine(rest, line)) {
        parseLine(line, ++lineNo, ev, isEvent, error);
        if (isEvent) out.events.push_back(ev);
    }
    auto byFrame = [](const ScriptEvent& a, const ScriptEvent& b) { return a.frame < b.frame; };
    // Sorting needs a copy's room; most scripts are in order already.
    if (!std::is_sorted(out.events.begin(), out.events.end(), byFrame))
        std::stable_sort(out.events.begin(), out.events.end(), byFrame);
    return true;
}

std::string scriptLanguage(std::string_view text) {
    std::string_view line;
    while (nextLine(text, line)) {
        std::string_view rest = line, word;
        if (!nextWord(rest, word) || word != "#" || !nextWord(rest, word) || word != "language") continue;
        if (nextWord(rest, word)) return std::string(word);
    }
    return {};
}

bool readScriptFile(const std::string& path, std::string& text, std::string& error) {
    if (path == "-") return readAll(os::standardInput(), "standard input", text, error);
    const std::string name = "'" + path + "'";
    const int fd = os::openDescriptor(path);
    if (fd < 0) {
        error = "cannot read " + name + ": " + std::strerror(errno);
        return false;
    }
    const bool ok = readAll(fd, name, text, error);
    ::close(fd);
    return ok;
}

bool nextLine(std::string_view& text, std::string_view& line) {
    if (text.empty()) return false;
    const std::size_t end = text.find('\n');
    line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    // A line ended by CR LF (written on Windows) reads as one ended by LF.
    if (end != std::string_view::npos && line.ends_with('\r')) line.remove_suffix(1);
    return true;
}

bool nextWord(std::string_view& rest, std::string_view& word) {
    // Blanks as a C stream's >> skips them.
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; };
    std::size_t i = 0;
    while (i < rest.size() && blank(rest[i])) ++i;
    std::size_t j = i;
    while (j < rest.size() && !blank(rest[j])) ++j;
    word = rest.substr(i, j - i);
    rest.remove_prefix(j);
    return !word.empty();
}

WordNumber wordNumber(std::string_view word, long long minValue, long long maxValue, long long& out) {
    if (word.size() > 1 && word[0] == '+' && word[1] != '-') word.remove_prefix(1);
    long long v = 0;
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), v);
    if (word.empty() || end != word.data() + word.size()) return WordNumber::notNumber;
    if (ec != std::errc{} || v < minValue || v > maxValue) return WordNumber::outOfRange;
    out = v;
    return WordNumber::ok;
}

std::string quotedWord(std::string_view word) {
    constexpr std::size_t kShown = 40;   // characters between the quotes, an escaped byte's four included
    std::string out = "'";
    std::size_t i = 0;
    for (; i < word.size() && out.size() <= kShown; ++i) {
        const unsigned char c = static_cast<unsigned char>(word[i]);
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            static const char kHex[] = "0123456789ABCDEF";
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    if (i < word.size()) out += "...";
    return out + "'";
}

}  // namespace platform
