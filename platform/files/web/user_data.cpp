// Platform (web): the user's data folder of a page. The page's script (quorbix-page.js) reads
// what the browser keeps for the site (IndexedDB) into /userdata before the program starts, and
// keeps each file the program writes there as one record, put whole in one transaction. The
// program waits for the browser's answer, so that SaveData's result says whether it was kept.
#include <emscripten.h>

#include <string>

#include "platform/files/os.h"

namespace platform::os {
namespace {

// The folder's name, or "" when the browser keeps nothing for this page.
EM_JS(int, pageSavedFolder, (char* out, int size), {
    const saved = Module.page && Module.page.saved;
    const text = saved && saved.ready ? saved.root : "";
    stringToUTF8(text, out, size);
    return text.length;
});

// Why nothing is kept, when pageSavedFolder gave "".
EM_JS(void, pageSavedWhy, (char* out, int size), {
    const saved = Module.page && Module.page.saved;
    stringToUTF8(saved ? saved.why : "the page did not say where it keeps data", out, size);
});

// Starts keeping the file at `path`; a number to ask about, or 0 when it could not start.
EM_JS(int, pageKeepSaved, (const char* path), {
    const saved = Module.page && Module.page.saved;
    return saved && saved.ready ? saved.keep(Module, UTF8ToString(path)) : 0;
});

// 0 while the browser works on it, 1 kept, -1 refused (the reason by pageSavedError).
EM_JS(int, pageSavedState, (int id), { return Module.page.saved.state(id); });
EM_JS(void, pageSavedError, (int id, char* out, int size), {
    stringToUTF8(Module.page.saved.error(id), out, size);
});

// How long the program waits for the browser, in steps of 5 ms: ten seconds.
constexpr int kWaitSteps = 2000;

}  // namespace

std::string userDataFolder(std::string& why) {
    char folder[256];
    // The page's folder is a short ASCII name: a longer one would be cut, and is not used.
    const int n = pageSavedFolder(folder, sizeof folder);
    if (n > 0 && n < static_cast<int>(sizeof folder)) return folder;
    char text[512];
    pageSavedWhy(text, sizeof text);
    why = text;
    return "";
}

bool userDataWritten(const std::string& path, std::string& error) {
    const int id = pageKeepSaved(path.c_str());
    if (id == 0) {
        error = "the browser keeps no data for this page";
        return false;
    }
    for (int step = 0; step < kWaitSteps; ++step) {
        const int state = pageSavedState(id);
        if (state == 1) return true;
        if (state < 0) {
            char text[512];
            pageSavedError(id, text, sizeof text);
            error = std::string("the browser did not keep it: ") + text;
            return false;
        }
        emscripten_sleep(5);
    }
    error = "the browser did not say within ten seconds that it kept it";
    return false;
}

}  // namespace platform::os
