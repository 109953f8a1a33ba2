// Framework core: the languages programs show their texts in, Japanese first and English second,
// and the texts in each: a program's text tables (one a language, its texts by the program's own
// numbers) and the framework's own texts (LocalText).
#pragma once
#if !defined(QRB_PUBLIC_HEADERS) && !defined(QRB_BUILDING)
#pragma message("framework/core/texts.h is the framework's own; include <quorbix/system.h> instead (this path goes in Quorbix 2.0)")
#endif
#include <string>

#include "framework/core/code_page.h"

namespace quorbix {

// The languages, the default first: "ja", "en".
constexpr int kLanguageCount = 2;
extern const char* const kLanguages[kLanguageCount];
// "ja, en", for the messages that list them.
std::string LanguageList();

// The language texts are shown in: "ja" until the program host or the program chooses another.
const char* Language();
// Chooses the language by its name in kLanguages; false, nothing changed, for any other.
bool SetLanguage(const char* language);
// The language the user reads, of kLanguages: the first of the system's languages (LC_ALL,
// LC_MESSAGES or LANG on Linux, the UI language on Windows, navigator.languages in a browser)
// whose first part ("en" of "en_GB.UTF-8", "en-US") names one; the default where none does.
// Called by the program host of windowed programs; headless runs keep the default.
const char* SystemLanguage();

// One language's texts of a program, UTF-8, indexed by the program's own text numbers:
//     enum { kTextStart, kTextQuit, kTextCount };
//     const char* const kEnglish[kTextCount] = {"Click to start", "Escape quits"};
//     quorbix::AddTextTable({"en", kEnglish, kTextCount});
struct TextTable {
    const char* language;       // of kLanguages
    const char* const* texts;   // `count` texts; a null one is missing from this table
    int count;
};
// Registers a program's table for its language, replacing the one registered before for it.
// The texts are converted into the code page here, once (up to 255 bytes each), unless the
// program's texts are UTF-8 (ProgramSetup::Texts), which keeps them as they are. False, nothing
// registered, for a language not in kLanguages or a count below 0.
bool AddTextTable(const TextTable& table);
// Text number `id` in the language shown, in the program's encoding, as PutText takes it; where that
// language's table lacks it the default language's text, else "". Valid until the next
// AddTextTable for that language or the program-start reset, which forgets every table.
const char* Text(int id);

// One of the framework's own texts, written in each language (UTF-8) and converted once; it
// reads as the one of the language shown:
//     const quorbix::LocalText kNoFile("ファイルがありません", "The file is missing");
class LocalText {
public:
    LocalText(const char* japanese, const char* english);
    const char* c_str() const;
    operator const char*() const { return c_str(); }

private:
    elSystem::CodePageText texts_[kLanguageCount];
};

}  // namespace quorbix

#include "framework/core/legacy_names.h"
