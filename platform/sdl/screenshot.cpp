// SDL2 backend: the screenshot key. F12 saves the picture the window shows, at the program's own
// size (not the window's scaled one), as a PNG in the user's pictures folder, named with the
// program and the local date and time; the window's title says for two seconds what happened.
// QUORBIX_SCREENSHOT_DIR names another folder (tests, or a player who keeps them elsewhere).
// The notes in the title and the folder are shared with the session key (session_gif.cpp).
#include <SDL.h>

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "platform/files/os.h"
#include "platform/files/output_file.h"
#include "platform/files/png_writer.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/window/program_name.h"

namespace platform::sdl {
namespace {

constexpr Uint32 kNoteMs = 2000;

// The note in the title: the title it replaced, and when it goes (never: kept until replaced).
struct TitleNote {
    bool shown = false;
    bool kept = false;
    std::string title;
    Uint32 until = 0;
};

TitleNote note;

// The program's name as a file name's start: letters, digits, '-', '_' and '.' kept, others '-'.
std::string fileStem() {
    std::string stem = programName();
    for (char& c : stem)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_' && c != '.') c = '-';
    return stem.empty() ? std::string("quorbix") : stem;
}

void fail(const std::string& why, const std::string& title) {
    say("screenshot not saved: %s\n", why.c_str());
    showNote(title, kNoteMs);
}

}  // namespace

void showNote(const std::string& text, Uint32 ms) {
    SDL_Window* win = window();
    if (win == nullptr) return;
    if (!note.shown) note.title = SDL_GetWindowTitle(win);
    note.shown = true;
    note.kept = ms == 0;
    note.until = SDL_GetTicks() + ms;
    SDL_SetWindowTitle(win, (note.title + " - " + text).c_str());
}

std::string captureFolder(std::string& why) {
    const char* chosen = std::getenv("QUORBIX_SCREENSHOT_DIR");
    const std::string folder = chosen != nullptr && chosen[0] != '\0' ? chosen : os::picturesFolder();
    if (folder.empty()) {
        why = "no pictures folder (no home folder)";
        return folder;
    }
    const os::Kind kind = os::kindOf(folder);
    if (kind == os::Kind::missing) why = "the folder '" + folder + "' does not exist";
    else if (kind != os::Kind::directory) why = "'" + folder + "' is not a folder";
    else return folder;
    return {};
}

std::string freshStem(const std::string& folder, const std::vector<std::string>& extensions) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d-%H%M%S", &local);
    std::string base = folder;
    if (base.back() != '/' && base.back() != os::kSeparator) base += os::kSeparator;
    base += fileStem() + "-" + stamp;
    auto taken = [&](const std::string& stem) {
        for (const std::string& extension : extensions)
            if (os::kindOf(stem + extension) != os::Kind::missing) return true;
        return false;
    };
    std::string stem = base;
    for (int n = 2; taken(stem) && n < 1000; ++n) stem = base + "-" + std::to_string(n);
    return stem;
}

void takeScreenshot() {
    std::vector<std::uint32_t> pixels;
    int width = 0, height = 0;
    if (!shownPicture(pixels, width, height)) return fail("nothing is shown yet", "screenshot not saved: nothing shown yet");
    std::string why;
    const std::string folder = captureFolder(why);
    if (folder.empty()) return fail(why, "screenshot not saved: " + why);
    const std::string path = freshStem(folder, {".png"}) + ".png";
    std::string error;
    // Through a temporary file beside it: the PNG is there whole or not at all.
    if (!writePng(path, pixels.data(), width, height, error))
        return fail(error, "screenshot not saved: " + folder + " cannot be written");
    say("screenshot saved as %s\n", path.c_str());
    const std::size_t slash = path.find_last_of("/\\");
    showNote("saved " + path.substr(slash == std::string::npos ? 0 : slash + 1), kNoteMs);
}

Uint32 titleNoteLeft() {
    if (!note.shown) return 0;
    const Uint32 now = SDL_GetTicks();
    if (note.kept) return 0;
    if (static_cast<std::int32_t>(note.until - now) > 0) return note.until - now;
    note.shown = false;
    if (window() != nullptr) SDL_SetWindowTitle(window(), note.title.c_str());
    return 0;
}

void forgetTitleNote() { note = TitleNote{}; }

}  // namespace platform::sdl
