// Example: a program whose texts are UTF-8, and a name typed by the player. Letters, digits and
// characters of any script come from quorbix::TypedText; Backspace takes the last character off
// and Enter keeps the name. The texts go to PutText as they are written in the source.
#include <cstring>
#include <string>

#include <quorbix/draw.h>
#include <quorbix/program.h>
#include <quorbix/system.h>

#include "examples/examples.h"

namespace {

constexpr std::size_t kLongestName = 48;   // bytes of UTF-8

struct TypingExampleState {
    std::string Name;
    std::string Kept;   // the name Enter kept
    ButtonState Back = kButtonUp;
    ButtonState Enter = kButtonUp;
};
TypingExampleState State;

// The number of characters, not bytes: each UTF-8 character has one byte that is no
// continuation byte (10xxxxxx).
int Characters(const std::string& text) {
    int n = 0;
    for (char c : text) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    return n;
}

void TypingInit() {
    elDraw::Screen(480, 360);
    Shell.SceneId = 1;
}

void SceneTyping() {
    // What was typed since the last frame, whole characters, UTF-8.
    const char* typed = quorbix::TypedText();
    if (State.Name.size() + std::strlen(typed) <= kLongestName) State.Name += typed;
    if (elSystem::GetKey(elKey::Backspace, State.Back) == kButtonPressed && !State.Name.empty()) {
        // Off with the last character: its continuation bytes, then its first byte.
        while ((static_cast<unsigned char>(State.Name.back()) & 0xC0) == 0x80) State.Name.pop_back();
        State.Name.pop_back();
    }
    if (elSystem::GetKey(elKey::Enter, State.Enter) == kButtonPressed) State.Kept = State.Name;

    elDraw::FillBlack();
    elDraw::BeginText(elDraw::kFaceGothic, 24, 0, 0, 0, 0);
    elDraw::SetTextColors(0xFFFFFF, 0, 1);
    // UTF-8 straight from the source: the program declared its texts UTF-8.
    elDraw::PutText(40, 60, "名前を入力してください (Enter で決定)");
    elDraw::PutText(40, 120, ("> " + State.Name + "_").c_str());
    if (!State.Kept.empty()) elDraw::PutText(40, 200, ("ようこそ、" + State.Kept + " さん").c_str());
    elDraw::EndText();
    elDraw::Flip();
}

}  // namespace

void UseTyping() {
    quorbix::ProgramSetup setup;
    setup.Title = "Typing";
    setup.Init = TypingInit;
    setup.Scenes[1] = SceneTyping;
    setup.Texts = quorbix::TextEncoding::Utf8;   // PutText and the other text calls take UTF-8
    setup.Reset = [] { State = TypingExampleState{}; };
    setup.TraceFields = [](std::string& line) {
        line += ",\"name_bytes\":" + std::to_string(State.Name.size()) +
                ",\"name_chars\":" + std::to_string(Characters(State.Name)) +
                ",\"kept_chars\":" + std::to_string(Characters(State.Kept));
    };
    quorbix::UseProgram(setup);
}
