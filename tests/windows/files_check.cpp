// The Windows file calls (platform/files/windows): UTF-8 names with Japanese characters and
// spaces open, list, map and are replaced whole; a name too long for its temporary one whole; a
// target held open a moment by another program; the program's own path; the command line in
// UTF-8; standard input as bytes. A Windows program, run under Wine by tests/windows/files.sh in
// the folder it is to use, with the arguments "café" and "ゲーム" after it and known bytes on
// its standard input; prints each failed check with expected and actual, exit status 1 if any.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "platform/files/os.h"
#include "platform/files/output_file.h"
#include "platform/window/input_script.h"

namespace os = platform::os;

namespace {

int failures = 0;

void check(const char* name, bool ok, const std::string& expected, const std::string& actual) {
    if (ok) return;
    ++failures;
    std::printf("FAIL %s: expected %s, actual %s\n", name, expected.c_str(), actual.c_str());
}

std::string readAll(const std::string& path) {
    std::string text;
    if (std::FILE* f = os::openFile(path, "rb")) {
        char buffer[256];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
        std::fclose(f);
    }
    return text;
}

bool writeWhole(const std::string& path, const std::string& text, std::string& error) {
    platform::OutputFile out;
    return out.open(path, error) && out.write(text.data(), text.size()) && out.commit(error);
}

}  // namespace

int main(int argc, char** argv) {
    // The folder given on the command line (UTF-8 from the UTF-16 command line, whatever the
    // ANSI code page), where the files are made; then an accented word and a Japanese one.
    const std::vector<std::string> args = os::arguments(argc, argv);
    check("arguments", args.size() == 4, "4 words", std::to_string(args.size()));
    if (args.size() != 4) return 1;
    check("an accented argument", args[2] == "café", "café", args[2]);
    check("a Japanese argument", args[3] == "ゲーム", "ゲーム", args[3]);

    // Standard input as its bytes: neither a 0x1A nor CR LF is text mode's.
    std::string input, error;
    check("standard input read", platform::readScriptFile("-", input, error), "read", error);
    check("standard input's bytes", input == "1 close\x1a\r\nrest\n", "15 bytes with 1A and CR LF",
          std::to_string(input.size()) + " bytes");
    const std::string folder = args[1] + "\\ゲーム フォルダ";
    check("the folder's name", folder.find("ゲーム") != std::string::npos, "ゲーム in it", folder);
    check("the folder exists", os::kindOf(folder) == os::Kind::directory, "a directory", folder);

    // A file written whole, then replaced: the second write takes the first one's place.
    const std::string target = folder + "\\記録 1.txt";
    check("a new file", writeWhole(target, "first", error), "written", error);
    check("a file replaced", writeWhole(target, "second", error), "written", error);
    check("the replacing bytes", readAll(target) == "second", "second", readAll(target));
    std::uint64_t size = 0;
    check("its kind and size", os::kindOf(target, &size) == os::Kind::regular && size == 6, "a file of 6 bytes",
          std::to_string(size));

    // The file's bytes in memory, as the font engine maps a face; a folder and a missing file
    // are refused.
    {
        os::MappedFile mapped;
        check("a file mapped", mapped.open(target, 100), "mapped", "refused");
        const std::string bytes(reinterpret_cast<const char*>(mapped.data()), mapped.size());
        check("the mapped bytes", bytes == "second", "second", bytes);
        check("a folder not mapped", !mapped.open(folder, 100) && mapped.data() == nullptr, "refused", "mapped");
        check("a missing file not mapped", !mapped.open(folder + "\\無い.ttf", 100), "refused", "mapped");
        check("a file over the limit not mapped", !mapped.open(target, 5), "refused", "mapped");
    }

    // Nothing is left beside it, and the folder lists the name as it was written.
    std::vector<std::string> names;
    check("the folder lists", os::listFolder(folder, names), "true", "false");
    std::string listed;
    for (const std::string& n : names) listed += "[" + n + "]";
    check("the listing", listed == "[記録 1.txt]", "[記録 1.txt]", listed);

    // A write that is discarded leaves the earlier file.
    {
        platform::OutputFile out;
        out.open(target, error);
        out.write("third", 5);
    }
    check("a discarded write", readAll(target) == "second", "second", readAll(target));

    // A directory is not a file to write; a read-only file is not replaced.
    check("a directory refused", !writeWhole(folder, "x", error), "refused", "written");
    check("one file, two spellings", platform::sameOutputFile(target, folder + "/記録 1.TXT"), "same", "different");
    check("two files", !platform::sameOutputFile(target, folder + "\\other.txt"), "different", "same");

    // A name of 70 Japanese characters (210 bytes): its temporary name is cut to whole ones.
    std::string longName = folder + "\\";
    for (int i = 0; i < 70; ++i) longName += "ゲ";
    check("a long Japanese name", writeWhole(longName, "long", error), "written", error);
    check("its bytes", readAll(longName) == "long", "long", readAll(longName));

    // A target another program holds open a moment, without sharing its deletion: the rename
    // waits for it.
    std::wstring wideTarget(MAX_PATH, L'\0');
    wideTarget.resize(MultiByteToWideChar(CP_UTF8, 0, target.c_str(), -1, wideTarget.data(), MAX_PATH) - 1);
    HANDLE held = CreateFileW(wideTarget.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    check("the target held", held != INVALID_HANDLE_VALUE, "open", "not open");
    {
        platform::OutputFile out;
        check("writing beside a held file", out.open(target, error) && out.write("fourth", 6), "open", error);
        std::thread release([held] {
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
            CloseHandle(held);
        });
        check("a held file replaced", out.commit(error), "written", error);
        release.join();
    }
    check("the replacing bytes", readAll(target) == "fourth", "fourth", readAll(target));

    // The program's own path names this program, and its folder ends in the separator.
    const std::string exe = os::executablePath();
    const std::string exeFolder = os::executableFolder();
    check("the program's path", exe.size() > 4 && exe.substr(exe.size() - 4) == ".exe", "...\\*.exe", exe);
    check("the program's folder", !exeFolder.empty() && exeFolder.back() == '\\' && exe.rfind(exeFolder, 0) == 0,
          "a prefix of the path ending in \\", exeFolder);
    check("the sound font folder", os::soundFontFolder() == exeFolder + "sf2", exeFolder + "sf2",
          os::soundFontFolder());

    std::printf("%s\n", failures == 0 ? "all checks passed" : "some checks failed");
    return failures == 0 ? 0 : 1;
}
