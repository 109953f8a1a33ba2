// Platform: taking MCI command strings apart.
#include <strings.h>

#include <cstring>
#include <string_view>
#include <vector>

#include "platform/sound/mci.h"

namespace platform {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool same(std::string_view a, const char* b) {
    return a.size() == std::strlen(b) && strncasecmp(a.data(), b, a.size()) == 0;
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

// Splits blank-separated words; a word in double quotes may hold blanks.
MciError splitWords(std::string_view s, std::vector<std::string>& out) {
    std::size_t i = 0;
    while (i < s.size()) {
        if (isBlank(s[i])) {
            ++i;
            continue;
        }
        if (s[i] == '"') {
            std::size_t close = s.find('"', i + 1);
            if (close == std::string_view::npos) return MCIERR_NO_CLOSING_QUOTE;
            out.emplace_back(s.substr(i + 1, close - i - 1));
            i = close + 1;
            continue;
        }
        std::size_t start = i;
        while (i < s.size() && !isBlank(s[i])) ++i;
        out.emplace_back(s.substr(start, i - start));
    }
    return 0;
}

// Finds the last " type " (any case, any blank) in s; npos when there is none.
std::size_t lastTypeKeyword(std::string_view s) {
    for (std::size_t i = s.size(); i-- > 0;) {
        if (i + 5 <= s.size() && isBlank(s[i]) && strncasecmp(s.data() + i + 1, "type", 4) == 0 &&
            (i + 5 == s.size() || isBlank(s[i + 5])))
            return i;
    }
    return std::string_view::npos;
}

MciError parseOpen(std::string_view rest, MciCommand& out) {
    std::vector<std::string> words;
    if (!rest.empty() && rest.front() == '"') {
        std::size_t close = rest.find('"', 1);
        if (close == std::string_view::npos) return MCIERR_NO_CLOSING_QUOTE;
        out.device = std::string(rest.substr(1, close - 1));
        rest.remove_prefix(close + 1);
    } else {
        std::size_t type = lastTypeKeyword(rest);
        if (type != std::string_view::npos) {
            out.device = std::string(trim(rest.substr(0, type)));
            rest.remove_prefix(type);
        } else {
            std::size_t blank = 0;
            while (blank < rest.size() && !isBlank(rest[blank])) ++blank;
            out.device = std::string(rest.substr(0, blank));
            rest.remove_prefix(blank);
        }
    }
    if (out.device.empty()) return MCIERR_MISSING_DEVICE_NAME;
    if (MciError e = splitWords(rest, words)) return e;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (same(words[i], "notify")) {
            out.notify = true;
        } else if (same(words[i], "type") || same(words[i], "alias")) {
            if (i + 1 >= words.size()) return MCIERR_MISSING_PARAMETER;
            std::string& field = same(words[i], "type") ? out.type : out.alias;
            field = words[i + 1];
            ++i;
        } else {
            return MCIERR_UNRECOGNIZED_KEYWORD;
        }
    }
    return 0;
}

}  // namespace

MciError parseMciCommand(const char* text, MciCommand& out) {
    out = MciCommand{};
    if (text == nullptr) return MCIERR_MISSING_COMMAND_STRING;
    std::size_t length = strnlen(text, kMaxMciCommand + 1);
    if (length > kMaxMciCommand) return MCIERR_PARAM_OVERFLOW;
    std::string_view s = trim(std::string_view(text, length));
    if (s.empty()) return MCIERR_MISSING_COMMAND_STRING;
    std::size_t verbEnd = 0;
    while (verbEnd < s.size() && !isBlank(s[verbEnd])) ++verbEnd;
    std::string_view verb = s.substr(0, verbEnd);
    std::string_view rest = trim(s.substr(verbEnd));

    if (same(verb, "open")) {
        out.verb = MciCommand::Verb::Open;
        return parseOpen(rest, out);
    }
    if (same(verb, "seek")) out.verb = MciCommand::Verb::Seek;
    else if (same(verb, "play")) out.verb = MciCommand::Verb::Play;
    else if (same(verb, "stop")) out.verb = MciCommand::Verb::Stop;
    else if (same(verb, "close")) out.verb = MciCommand::Verb::Close;
    else if (same(verb, "status")) out.verb = MciCommand::Verb::Status;
    else return MCIERR_UNRECOGNIZED_COMMAND;

    std::vector<std::string> words;
    if (MciError e = splitWords(rest, words)) return e;
    if (words.empty() || words[0].empty()) return MCIERR_MISSING_DEVICE_NAME;
    out.device = words[0];
    for (std::size_t i = 1; i < words.size(); ++i) {
        const std::string& w = words[i];
        if (same(w, "notify")) {
            out.notify = true;
        } else if (out.verb == MciCommand::Verb::Seek && same(w, "to")) {
            if (i + 1 >= words.size()) return MCIERR_MISSING_PARAMETER;
            const std::string& where = words[++i];
            if (same(where, "start")) out.seekTo = MciCommand::SeekTo::Start;
            else if (same(where, "end")) out.seekTo = MciCommand::SeekTo::End;
            else return MCIERR_UNSUPPORTED_FUNCTION;
        } else if (out.verb == MciCommand::Verb::Status && out.item.empty()) {
            out.item = w;
        } else {
            return MCIERR_UNRECOGNIZED_KEYWORD;
        }
    }
    if (out.verb == MciCommand::Verb::Seek && out.seekTo == MciCommand::SeekTo::None) return MCIERR_MISSING_PARAMETER;
    if (out.verb == MciCommand::Verb::Status && out.item.empty()) return MCIERR_MISSING_PARAMETER;
    return 0;
}

}  // namespace platform
