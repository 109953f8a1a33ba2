// SDL2 backend: pad mappings, which name a pad's sticks, d-pad and face buttons the same on every
// system. SDL's own database comes first; then a gamecontrollerdb.txt beside the program, then
// the file SDL_GAMECONTROLLERCONFIG_FILE names (the environment or SDL's hint), each line a
// mapping in the database's format. A file that cannot be read or holds a line that is not a
// mapping is said once on standard error and left out whole.
#include <SDL.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files/os.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/window/program_name.h"

namespace platform::sdl {
namespace {

constexpr const char* kFileBesideProgram = "gamecontrollerdb.txt";
// The public database is well under a megabyte; a larger file is not one.
constexpr std::uint64_t kMaxFileBytes = 16u << 20;

bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool isHexDigit(unsigned char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool isNameChar(unsigned char c) { return isDigit(c) || (c >= 'a' && c <= 'z'); }

bool allOf(std::string_view s, bool (*test)(unsigned char)) {
    if (s.empty()) return false;
    for (char c : s)
        if (!test(static_cast<unsigned char>(c))) return false;
    return true;
}

// A binding: a0 (with ~ for an inverted axis), b3, h0.4, each with an optional half-axis sign.
bool isBinding(std::string_view v) {
    if (!v.empty() && (v[0] == '+' || v[0] == '-')) v.remove_prefix(1);
    if (v.size() < 2) return false;
    const char kind = v[0];
    v.remove_prefix(1);
    if (kind == 'a') {
        if (v.back() == '~') v.remove_suffix(1);
        return allOf(v, isDigit);
    }
    if (kind == 'b') return allOf(v, isDigit);
    if (kind == 'h') {
        const auto dot = v.find('.');
        return dot != std::string_view::npos && allOf(v.substr(0, dot), isDigit) && allOf(v.substr(dot + 1), isDigit);
    }
    return false;
}

// Fields whose value is not a binding: the system the line is for, and what later SDL versions
// add (a condition on a hint, the device's checksum, the SDK range).
bool isFreeField(std::string_view key) {
    return key == "platform" || key == "hint" || key == "crc" || key == "sdk>=" || key == "sdk<=";
}

bool isElementName(std::string_view key) {
    if (!key.empty() && (key[0] == '+' || key[0] == '-')) key.remove_prefix(1);
    return allOf(key, isNameChar);
}

std::vector<std::string_view> splitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const auto comma = line.find(',', start);
        fields.push_back(line.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    if (fields.size() > 1 && fields.back().empty()) fields.pop_back();   // the usual trailing comma
    return fields;
}

// The platform a mapping line is for; "" when it names none (after mappingFault said it is well made).
std::string_view platformOf(std::string_view line) {
    for (std::string_view f : splitFields(line))
        if (f.substr(0, 9) == "platform:") return f.substr(9);
    return {};
}

bool sameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// The lines of a file, without their line ends, numbered from 1.
template <typename Fn>
void forEachLine(std::string_view text, Fn fn) {
    int number = 0;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        fn(++number, line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
}

bool isCommentOrBlank(std::string_view line) {
    const auto first = line.find_first_not_of(" \t");
    return first == std::string_view::npos || line[first] == '#';
}

bool readWhole(const std::string& path, std::string& text, std::string& fault) {
    std::uint64_t size = 0;
    const os::Kind kind = os::kindOf(path, &size);
    if (kind == os::Kind::missing) {
        fault = "there is no such file";
        return false;
    }
    if (kind != os::Kind::regular) {
        fault = "it is not a file";
        return false;
    }
    if (size > kMaxFileBytes) {
        fault = "it is larger than 16 MB";
        return false;
    }
    std::FILE* f = os::openFile(path, "rb");
    if (f == nullptr) {
        fault = std::strerror(errno);
        return false;
    }
    text.resize(static_cast<std::size_t>(size));
    const std::size_t got = text.empty() ? 0 : std::fread(text.data(), 1, text.size(), f);
    const bool ok = got == text.size() && std::ferror(f) == 0;
    std::fclose(f);
    if (!ok) fault = "a read failed";
    return ok;
}

}  // namespace

std::string mappingFault(std::string_view line) {
    const std::vector<std::string_view> fields = splitFields(line);
    if (fields.size() < 3) return "not a mapping (device id, name, bindings)";
    if (fields[0] != "xinput" && !(fields[0].size() == 32 && allOf(fields[0], isHexDigit)))
        return "the device id is not 32 hexadecimal digits";
    if (fields[1].empty()) return "the pad has no name";
    bool platformNamed = false;
    for (std::size_t i = 2; i < fields.size(); ++i) {
        const std::string_view f = fields[i];
        const auto colon = f.find(':');
        if (colon == std::string_view::npos || colon == 0) return "\"" + std::string(f) + "\" is not name:binding";
        const std::string_view key = f.substr(0, colon), value = f.substr(colon + 1);
        if (key == "platform") platformNamed = !value.empty();
        if (isFreeField(key)) continue;
        // An element without a binding ("guide:") says the pad has none; SDL's own database has such.
        if (!isElementName(key) || (!value.empty() && !isBinding(value)))
            return "\"" + std::string(f) + "\" is not name:binding";
    }
    if (!platformNamed) return "it names no platform";
    return {};
}

std::string mappingFileFault(std::string_view text, int& forThisSystem) {
    forThisSystem = 0;
    std::string fault;
    forEachLine(text, [&](int number, std::string_view line) {
        if (!fault.empty() || isCommentOrBlank(line)) return;
        std::string what = mappingFault(line);
        if (!what.empty()) {
            fault = "line " + std::to_string(number) + ": " + what;
            return;
        }
        if (sameText(platformOf(line), SDL_GetPlatform())) ++forThisSystem;
    });
    return fault;
}

int addPadMappingFile(const std::string& path, bool quietWhenMissing) {
    std::string text, fault;
    if (!readWhole(path, text, fault)) {
        if (!(quietWhenMissing && os::kindOf(path) == os::Kind::missing))
            platform::say("the pad mappings in %s cannot be read (%s); they are left out.\n", path.c_str(), fault.c_str());
        return -1;
    }
    int forThisSystem = 0;
    fault = mappingFileFault(text, forThisSystem);
    if (!fault.empty()) {
        platform::say("the pad mappings in %s are left out: %s.\n", path.c_str(), fault.c_str());
        return -1;
    }
    int added = 0;
    forEachLine(text, [&](int, std::string_view line) {
        if (isCommentOrBlank(line) || !sameText(platformOf(line), SDL_GetPlatform())) return;
        if (SDL_GameControllerAddMapping(std::string(line).c_str()) >= 0) ++added;
    });
    if (added < forThisSystem)
        platform::say("SDL took %d of the %d pad mappings for this system in %s (%s).\n", added, forThisSystem,
                      path.c_str(), SDL_GetError());
    return added;
}

void holdBackMappingFile(std::string& named) {
    const char* hint = SDL_GetHint(SDL_HINT_GAMECONTROLLERCONFIG_FILE);
    named = hint != nullptr ? hint : "";
    // SDL would read it quietly when its pads start; it is read here instead, so that a fault is said.
    SDL_SetHintWithPriority(SDL_HINT_GAMECONTROLLERCONFIG_FILE, "", SDL_HINT_OVERRIDE);
}

void loadPadMappings(const std::string& named) {
    const std::string folder = os::executableFolder();
    const std::string beside = folder.empty() ? std::string() : folder + kFileBesideProgram;
    if (!beside.empty()) addPadMappingFile(beside, true);
    if (!named.empty() && named != beside) addPadMappingFile(named, false);
}

}  // namespace platform::sdl
