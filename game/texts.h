// Game: the texts the scenes show, by number, in each language the game speaks.
#pragma once

enum GameText {
    kTextCredit,
    kTextStartPrompt,
    kTextLevelPrompt,
    kTextLevelEasy,
    kTextLevelNormal,
    kTextLevelHard,
    kTextPasswordLabel,
    kTextTitlePrompt,
    kTextVersionPrompt,
    kGameTextCount
};

// Called by GameInit: the game's table in each language, registered with the framework
// (quorbix::Text gives a text in the language shown).
void AddGameTexts();
