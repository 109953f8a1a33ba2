// make-assets: writes the game's sprite sheet, hit sound and music into a directory (default assets/),
// or with --examples the examples' wipe pattern (default examples/).
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "tools/hit_sound.h"
#include "tools/icon.h"
#include "tools/music.h"
#include "tools/sprite_sheet.h"
#include "tools/wipe_pattern.h"

namespace {

const char kUsage[] = "usage: make-assets [--examples | --icons] [DIRECTORY]\n"
                      "Writes CHARA.bmp, HIT.wav, QRBX.MID and ICON.bmp into DIRECTORY (default: assets);\n"
                      "with --examples, the examples' WIPE.BMP (default: examples); with --icons, the\n"
                      "icons quorbix-N.png, N = 16 to 512, for the desktop and the web pages, and\n"
                      "Windows' quorbix.ico (default: packaging/icons).\n";

struct Asset {
    const char* name;
    assets::Bytes (*make)();
};

// Writes beside the target and renames over it, so that a failed run never leaves a cut-off asset.
bool WriteFile(const std::filesystem::path& path, const assets::Bytes& bytes, std::string& error) {
    std::filesystem::path temp = path;
    temp += ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) {
            error = "cannot create " + temp.string();
            return false;
        }
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            error = "cannot write " + temp.string();
            std::error_code ignored;
            std::filesystem::remove(temp, ignored);
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec) {
        error = "cannot replace " + path.string() + ": " + ec.message();
        std::filesystem::remove(temp, ec);
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const bool examples = !args.empty() && args[0] == "--examples";
    const bool icons = !args.empty() && args[0] == "--icons";
    if (examples || icons) args.erase(args.begin());
    if (args.size() > 1 || (args.size() == 1 && (args[0] == "--help" || args[0] == "-h"))) {
        std::fputs(kUsage, args.size() > 1 ? stderr : stdout);
        return args.size() > 1 ? 2 : 0;
    }
    std::filesystem::path dir = args.size() == 1 ? args[0] : examples ? "examples" : icons ? "packaging/icons" : "assets";
    std::error_code ec;
    if (!std::filesystem::is_directory(dir, ec)) {
        std::fprintf(stderr, "make-assets: %s is not a directory\n", dir.string().c_str());
        return 1;
    }
    const std::vector<Asset> game = {{"CHARA.bmp", assets::MakeSpriteSheet}, {"HIT.wav", assets::MakeHitSound},
                                     {"QRBX.MID", assets::MakeMusic}, {"ICON.bmp", assets::MakeIconBmp}};
    const std::vector<Asset> forExamples = {{"WIPE.BMP", assets::MakeWipePattern}};
    const std::vector<Asset> forDesktop = {{"quorbix-16.png", [] { return assets::MakeIconPng(16); }},
                                           {"quorbix-32.png", [] { return assets::MakeIconPng(32); }},
                                           {"quorbix-48.png", [] { return assets::MakeIconPng(48); }},
                                           {"quorbix-64.png", [] { return assets::MakeIconPng(64); }},
                                           {"quorbix-128.png", [] { return assets::MakeIconPng(128); }},
                                           {"quorbix-256.png", [] { return assets::MakeIconPng(256); }},
                                           {"quorbix-192.png", [] { return assets::MakeIconPng(192); }},
                                           {"quorbix-512.png", [] { return assets::MakeIconPng(512); }},
                                           {"quorbix.ico", assets::MakeIconIco}};
    try {
        for (const Asset& a : examples ? forExamples : icons ? forDesktop : game) {
            std::string error;
            if (!WriteFile(dir / a.name, a.make(), error)) {
                std::fprintf(stderr, "make-assets: %s\n", error.c_str());
                return 1;
            }
        }
    } catch (const std::exception& e) {
        // The score and the pictures are data in the source; a mistake there is reported, not written.
        std::fprintf(stderr, "make-assets: %s\n", e.what());
        return 1;
    }
    return 0;
}
