// make-assets: writes the game's sprite sheet, hit sound and music into a directory (default assets/).
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "tools/hit_sound.h"
#include "tools/music.h"
#include "tools/sprite_sheet.h"

namespace {

const char kUsage[] = "usage: make-assets [DIRECTORY]\n"
                      "Writes CHARA.bmp, HIT.wav and QRBX.MID into DIRECTORY (default: assets).\n";

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
    if (argc > 2 || (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h"))) {
        std::fputs(kUsage, argc > 2 ? stderr : stdout);
        return argc > 2 ? 2 : 0;
    }
    std::filesystem::path dir = argc == 2 ? argv[1] : "assets";
    std::error_code ec;
    if (!std::filesystem::is_directory(dir, ec)) {
        std::fprintf(stderr, "make-assets: %s is not a directory\n", dir.string().c_str());
        return 1;
    }
    try {
        struct Asset {
            const char* name;
            assets::Bytes (*make)();
        };
        for (const Asset& a : {Asset{"CHARA.bmp", assets::MakeSpriteSheet}, Asset{"HIT.wav", assets::MakeHitSound},
                               Asset{"QRBX.MID", assets::MakeMusic}}) {
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
