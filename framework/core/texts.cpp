// Framework core: the language shown, the programs' text tables and the framework's own texts.
#include "framework/core/texts.h"

#include <cstring>
#include <vector>

#include "framework/core/program_state.h"
#include "platform/files/os.h"
#include "platform/files/text_codec.h"

namespace quorbix {

const char* const kLanguages[kLanguageCount] = {"ja", "en"};

namespace {

// The language chosen survives the program-start reset: the host chooses it before the program
// starts. The tables are the program's and go with it.
struct Texts {
    int language = 0;
    std::vector<std::string> tables[kLanguageCount];   // the code page's bytes, by text number
    std::vector<bool> present[kLanguageCount];          // which numbers each table has
    void reset() {
        for (auto& t : tables) t.clear();
        for (auto& p : present) p.clear();
    }
};

Texts texts;
const ProgramStateRegistration kTextsReset{ResetStage::Text, [] { texts.reset(); }};

int IndexOf(const char* language) {
    if (language == nullptr) return -1;
    for (int i = 0; i < kLanguageCount; ++i)
        if (std::strcmp(language, kLanguages[i]) == 0) return i;
    return -1;
}

// The first part of a system's language name: "en" of "en_GB.UTF-8", "en-US" or "EN", lower case.
std::string PrimaryPart(const std::string& name) {
    std::string part;
    for (char c : name) {
        if (c == '_' || c == '-' || c == '.' || c == '@') break;
        part += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    return part;
}

}  // namespace

std::string LanguageList() {
    std::string list;
    for (int i = 0; i < kLanguageCount; ++i) list += (i > 0 ? ", " : "") + std::string(kLanguages[i]);
    return list;
}

const char* Language() { return kLanguages[texts.language]; }

bool SetLanguage(const char* language) {
    const int index = IndexOf(language);
    if (index < 0) return false;
    texts.language = index;
    return true;
}

const char* SystemLanguage() {
    for (const std::string& name : platform::os::userLanguages()) {
        const int index = IndexOf(PrimaryPart(name).c_str());
        if (index >= 0) return kLanguages[index];
    }
    return kLanguages[0];
}

bool AddTextTable(const TextTable& table) {
    const int index = IndexOf(table.language);
    if (index < 0 || table.count < 0 || (table.count > 0 && table.texts == nullptr)) return false;
    std::vector<std::string>& converted = texts.tables[index];
    std::vector<bool>& present = texts.present[index];
    converted.assign(static_cast<std::size_t>(table.count), std::string());
    present.assign(static_cast<std::size_t>(table.count), false);
    for (int id = 0; id < table.count; ++id) {
        if (table.texts[id] == nullptr) continue;
        if (ProgramTextEncoding() == TextEncoding::Utf8) {
            converted[static_cast<std::size_t>(id)] = table.texts[id];
        } else {
            char bytes[256];
            const std::size_t length = platform::utf8ToSjis(table.texts[id], bytes, sizeof bytes);
            converted[static_cast<std::size_t>(id)].assign(bytes, length);
        }
        present[static_cast<std::size_t>(id)] = true;
    }
    return true;
}

const char* Text(int id) {
    for (int index : {texts.language, 0}) {
        const std::vector<bool>& present = texts.present[index];
        if (id >= 0 && static_cast<std::size_t>(id) < present.size() && present[static_cast<std::size_t>(id)])
            return texts.tables[index][static_cast<std::size_t>(id)].c_str();
    }
    return "";
}

LocalText::LocalText(const char* japanese, const char* english)
    : texts_{elSystem::CodePageText(japanese), elSystem::CodePageText(english)} {}

const char* LocalText::c_str() const { return texts_[texts.language].c_str(); }

}  // namespace quorbix
