// The languages and the text tables: a program's texts by number in the language shown, the
// default language's where a table lacks one, the framework's own texts, and the system's
// language as its settings name it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "framework/core/program_state.h"
#include "framework/core/texts.h"
#include "platform/files/text_codec.h"

namespace {

std::string Sjis(const char* utf8) {
    char buf[256];
    platform::utf8ToSjis(utf8, buf, sizeof buf);
    return buf;
}

// The language and the locale's settings go back as they were when a test ends.
struct Restore {
    const char* names[4] = {"LC_ALL", "LC_MESSAGES", "LANG", "LANGUAGE"};
    std::string values[4];
    bool set[4] = {};
    Restore() {
        for (int i = 0; i < 4; ++i)
            if (const char* v = std::getenv(names[i])) values[i] = v, set[i] = true;
    }
    ~Restore() {
        for (int i = 0; i < 4; ++i)
            set[i] ? setenv(names[i], values[i].c_str(), 1) : unsetenv(names[i]);
        SetLanguage("ja");
        ResetProgramState();
    }
};

enum { kHello, kOnlyJapanese, kMissingEverywhere, kCount };
const char* const kJapanese[kCount] = {"こんにちは", "日本語だけ", nullptr};
const char* const kEnglish[kCount] = {"Hello", nullptr, nullptr};

}  // namespace

TEST(Texts, ATextByNumberInTheLanguageShownElseTheDefaultOne) {
    Restore restore;
    ResetProgramState();
    EXPECT_STREQ(Language(), "ja");
    EXPECT_STREQ(Text(kHello), "") << "no table yet";
    ASSERT_TRUE(AddTextTable({"ja", kJapanese, kCount}));
    ASSERT_TRUE(AddTextTable({"en", kEnglish, 1}));   // shorter than the Japanese table
    struct Case {
        const char* language;
        int id;
        std::string expected;
    } cases[] = {
        {"ja", kHello, Sjis("こんにちは")},
        {"ja", kOnlyJapanese, Sjis("日本語だけ")},
        {"ja", kMissingEverywhere, ""},
        {"ja", -1, ""},
        {"ja", 1000, ""},
        {"en", kHello, "Hello"},
        {"en", kOnlyJapanese, Sjis("日本語だけ")},   // beyond the English table
        {"en", kMissingEverywhere, ""},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(SetLanguage(c.language));
        EXPECT_EQ(Text(c.id), c.expected) << c.language << " text " << c.id;
    }
    // A table registered again replaces the last one; a null text is missing from it.
    const char* const kOther[2] = {"Hi", nullptr};
    ASSERT_TRUE(AddTextTable({"en", kOther, 2}));
    EXPECT_STREQ(Text(kHello), "Hi");
    EXPECT_EQ(Text(kOnlyJapanese), Sjis("日本語だけ"));
    // The program-start reset forgets the tables but keeps the language the host chose.
    ResetProgramState();
    EXPECT_STREQ(Text(kHello), "");
    EXPECT_STREQ(Language(), "en");
}

TEST(Texts, OnlyTheFrameworksLanguagesAreTaken) {
    Restore restore;
    for (const char* bad : {"de", "", "EN", "en-US", "japanese"}) {
        EXPECT_FALSE(SetLanguage(bad)) << bad;
        EXPECT_FALSE(AddTextTable({bad, kEnglish, 1})) << bad;
    }
    EXPECT_FALSE(SetLanguage(nullptr));
    EXPECT_FALSE(AddTextTable({"en", kEnglish, -1}));
    EXPECT_FALSE(AddTextTable({"en", nullptr, 1}));
    EXPECT_STREQ(Language(), "ja");
    EXPECT_EQ(LanguageList(), "ja, en");
}

TEST(Texts, TheFrameworksOwnTextsFollowTheLanguage) {
    Restore restore;
    static const LocalText kText("範囲外です", "Out of range");
    EXPECT_EQ(std::string(kText), Sjis("範囲外です"));
    SetLanguage("en");
    EXPECT_STREQ(kText.c_str(), "Out of range");
}

TEST(Texts, TheSystemsLanguageIsEnglishOnlyWhereItAsksForEnglish) {
    Restore restore;
    struct Case {
        const char* lcAll;
        const char* lcMessages;
        const char* lang;
        const char* expected;
    } cases[] = {
        {nullptr, nullptr, "en_US.UTF-8", "en"},
        {nullptr, nullptr, "en_GB", "en"},
        {nullptr, nullptr, "ja_JP.UTF-8", "ja"},
        {nullptr, nullptr, "de_DE.UTF-8", "ja"},   // neither: Japanese
        {nullptr, nullptr, "C.UTF-8", "ja"},
        {nullptr, nullptr, "POSIX", "ja"},
        {nullptr, nullptr, "", "ja"},
        {nullptr, nullptr, nullptr, "ja"},
        {nullptr, "en_US.UTF-8", "ja_JP.UTF-8", "en"},   // the messages' setting over LANG
        {"ja_JP.UTF-8", "en_US.UTF-8", "en_US.UTF-8", "ja"},   // LC_ALL over both
        {"", "en_AU", "ja_JP", "en"},                          // an empty one counts as unset
        {"C", "en_US.UTF-8", nullptr, "ja"},                   // the C locale names no language
        {nullptr, nullptr, "EN_us", "en"},
        {nullptr, nullptr, "english", "ja"},
    };
    for (const Case& c : cases) {
        c.lcAll ? setenv("LC_ALL", c.lcAll, 1) : unsetenv("LC_ALL");
        c.lcMessages ? setenv("LC_MESSAGES", c.lcMessages, 1) : unsetenv("LC_MESSAGES");
        c.lang ? setenv("LANG", c.lang, 1) : unsetenv("LANG");
        EXPECT_STREQ(SystemLanguage(), c.expected)
            << "LC_ALL " << (c.lcAll ? c.lcAll : "unset") << ", LC_MESSAGES "
            << (c.lcMessages ? c.lcMessages : "unset") << ", LANG " << (c.lang ? c.lang : "unset");
    }
}
