// Game: the scenes' texts in Japanese and English. Each English text stays within the place its
// Japanese one takes on the screen (tests/programs/test_game_texts.cpp draws both).
#include "game/texts.h"

#include <quorbix/system.h>

namespace {

const char* const kJapanese[kGameTextCount] = {
    "by ＰＩＬＵ",
    "左クリック－スタート",
    "右クリック－レベル設定",
    "レベル－かんたん",
    "レベル－ふつう",
    "レベル－むずかしい",
    "パスワード- ",
    "左クリック－タイトルへ",
    "右クリック－バージョン情報",
};

const char* const kEnglish[kGameTextCount] = {
    "by PILU",
    "Left click: start",
    "Right click: set level",
    "Level: easy",
    "Level: normal",
    "Level: hard",
    "Password- ",
    "Left click: to title",
    "Right click: version",
};

}  // namespace

void AddGameTexts() {
    quorbix::AddTextTable({"ja", kJapanese, kGameTextCount});
    quorbix::AddTextTable({"en", kEnglish, kGameTextCount});
}
