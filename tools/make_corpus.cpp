// make-corpus: writes the generated seed files into fuzz/corpus/{bmp,wave,midi}/ (or under the
// directory given). Generated files are named g-*; the hand-made seeds beside them are kept, and
// g-* files the generator no longer makes are removed.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <system_error>

#include "tools/corpus.h"

int main(int argc, char** argv) {
    if (argc > 2 || (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h"))) {
        std::fputs("usage: make-corpus [DIRECTORY]\nWrites the generated seeds into DIRECTORY/bmp, wave and midi "
                   "(default: fuzz/corpus).\n", argc > 2 ? stderr : stdout);
        return argc > 2 ? 2 : 0;
    }
    namespace fs = std::filesystem;
    const fs::path dir = argc == 2 ? argv[1] : "fuzz/corpus";
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) {
        std::fprintf(stderr, "make-corpus: %s is not a directory\n", dir.string().c_str());
        return 1;
    }
    std::set<fs::path> written;
    for (const corpus::Entry& e : corpus::MakeCorpus()) {
        const fs::path folder = dir / corpus::FolderOf(e.kind);
        fs::create_directories(folder, ec);
        const fs::path path = folder / e.name;
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(e.bytes.data()), static_cast<std::streamsize>(e.bytes.size()));
        out.close();
        if (!out) {
            std::fprintf(stderr, "make-corpus: cannot write %s\n", path.string().c_str());
            return 1;
        }
        written.insert(path);
    }
    for (const char* kind : {"bmp", "wave", "midi"}) {
        for (const auto& f : fs::directory_iterator(dir / kind, ec))
            if (f.path().filename().string().rfind("g-", 0) == 0 && written.count(f.path()) == 0) fs::remove(f.path(), ec);
    }
    return 0;
}
