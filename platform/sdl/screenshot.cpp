// SDL2 backend: the screenshot key. F12 saves the picture the window shows, at the program's own
// size (not the window's scaled one), as a PNG in the user's pictures folder, named with the
// program and the local date and time; the window's title says for two seconds what happened.
// QUORBIX_SCREENSHOT_DIR names another folder (tests, or a player who keeps them elsewhere).
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

// The note in the title: the title it replaced, and when it goes.
struct TitleNote {
    bool shown = false;
    std::string title;
    Uint32 until = 0;
};

TitleNote note;

void showNote(const std::string& text) {
    SDL_Window* win = window();
    if (win == nullptr) return;
    if (!note.shown) note.title = SDL_GetWindowTitle(win);
    note.shown = true;
    note.until = SDL_GetTicks() + kNoteMs;
    SDL_SetWindowTitle(win, (note.title + " - " + text).c_str());
}

// The program's name as a file name's start: letters, digits, '-', '_' and '.' kept, others '-'.
std::string fileStem() {
    std::string stem = programName();
    for (char& c : stem)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_' && c != '.') c = '-';
    return stem.empty() ? std::string("quorbix") : stem;
}

std::string screenshotFolder() {
    const char* chosen = std::getenv("QUORBIX_SCREENSHOT_DIR");
    if (chosen != nullptr && chosen[0] != '\0') return chosen;
    return os::picturesFolder();
}

// NAME-YYYY-MM-DD-HHMMSS.png in the folder, with -2, -3... when that second has one already.
std::string freshName(const std::string& folder) {
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
    std::string name = base + ".png";
    for (int n = 2; os::kindOf(name) != os::Kind::missing && n < 1000; ++n) name = base + "-" + std::to_string(n) + ".png";
    return name;
}

void fail(const std::string& why, const std::string& title) {
    say("screenshot not saved: %s\n", why.c_str());
    showNote(title);
}

}  // namespace

void takeScreenshot() {
    std::vector<std::uint32_t> pixels;
    int width = 0, height = 0;
    if (!shownPicture(pixels, width, height)) return fail("nothing is shown yet", "screenshot not saved: nothing shown yet");
    const std::string folder = screenshotFolder();
    if (folder.empty()) return fail("no pictures folder (no home folder)", "screenshot not saved: no pictures folder");
    const os::Kind kind = os::kindOf(folder);
    if (kind == os::Kind::missing)
        return fail("the folder '" + folder + "' does not exist", "screenshot not saved: no folder " + folder);
    if (kind != os::Kind::directory)
        return fail("'" + folder + "' is not a folder", "screenshot not saved: " + folder + " is not a folder");
    const std::string path = freshName(folder);
    std::string error;
    // Through a temporary file beside it: the PNG is there whole or not at all.
    if (!writePng(path, pixels.data(), width, height, error))
        return fail(error, "screenshot not saved: " + folder + " cannot be written");
    say("screenshot saved as %s\n", path.c_str());
    const std::size_t slash = path.find_last_of("/\\");
    showNote("saved " + path.substr(slash == std::string::npos ? 0 : slash + 1));
}

Uint32 titleNoteLeft() {
    if (!note.shown) return 0;
    const Uint32 now = SDL_GetTicks();
    if (static_cast<std::int32_t>(note.until - now) > 0) return note.until - now;
    note.shown = false;
    if (window() != nullptr) SDL_SetWindowTitle(window(), note.title.c_str());
    return 0;
}

void forgetTitleNote() { note = TitleNote{}; }

}  // namespace platform::sdl
