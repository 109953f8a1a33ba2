// Platform: what the platform asks of the operating system by name: files whose names are UTF-8
// on every system (Windows takes them as UTF-16 at its own calls), the program's path, the disk
// and memory figures. os.cpp answers on Linux and in the browser, windows/os.cpp on Windows.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace platform::os {

// ---------------------------------------------------------------- files by name

// Opens a file as std::fopen does ("rb", "wb", ...). Called by every reader of a named file.
std::FILE* openFile(const std::string& name, const char* mode);

// A read-only descriptor of the file, or -1 with errno set. Called by the input script reader,
// which reads pipes too.
int openDescriptor(const std::string& name);
// Standard input's descriptor, read as bytes: on Windows it starts in text mode, where a 0x1A
// byte ends it and CR LF is read as LF, and is switched to binary. Called by the same reader
// for "-".
int standardInput();

// A regular file's bytes in memory, read-only, for as long as the object lives: mapped (POSIX
// mmap, on Windows a file mapping opened by the UTF-16 name), or read whole in one call where
// the file cannot be mapped. Called by the font engine, which hands a face's file to FreeType
// whole instead of through a stream it would seek for every read. A file cut short while mapped
// is the writer's fault as with any mapping; fonts are replaced by renaming, which leaves the
// mapped file as it was.
class MappedFile {
public:
    MappedFile() = default;
    ~MappedFile() { close(); }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // False, with nothing held, when the name is no regular file, cannot be opened or read, or
    // is longer than `maxBytes`. An empty file opens as no bytes.
    bool open(const std::string& name, std::uint64_t maxBytes);
    void close();

    const unsigned char* data() const { return data_; }
    std::size_t size() const { return size_; }

private:
    const unsigned char* data_ = nullptr;
    std::size_t size_ = 0;
    bool mapped_ = false;              // else data_ is copy_'s
    std::vector<unsigned char> copy_;
};

enum class Kind { missing, regular, directory, other };
// What the name is; `size` gets a regular file's length.
Kind kindOf(const std::string& name, std::uint64_t* size = nullptr);

// The names in a folder (not "." and ".."); false when it cannot be read.
bool listFolder(const std::string& folder, std::vector<std::string>& names);

// Makes the folder and any folders above it that are missing; 0 when it is there (made now or
// before), else an errno value (ENOTDIR when a file stands in the way).
int makeFolders(const std::string& folder);

// The folder under which programs keep their data for the user running them: $XDG_DATA_HOME
// (when absolute), else ~/.local/share on Linux, %APPDATA% on Windows; in a page /userdata, the
// copy of what the browser keeps for the site, read before the program started (web/user_data.cpp).
// "" with the reason in `why` when there is none: no home folder, or a browser that keeps nothing.
std::string userDataFolder(std::string& why);
// Called once a file under userDataFolder() has been written whole: a page hands it to the
// browser's storage and waits until the browser has kept it; elsewhere the file is kept already.
// False with the reason in `error` when the browser refused it.
bool userDataWritten(const std::string& path, std::string& error);

// ---------------------------------------------------------------- the program and the machine

// The program's arguments in UTF-8: argv itself, except on Windows, where the process's own argv
// (or main's copy of it) is in the ANSI code page and its words are taken from the UTF-16
// command line instead. Called by the command-line parser.
std::vector<std::string> arguments(int argc, char** argv);

// Standard output and error of a window program reach the console it was typed in: on Windows a
// program of the window subsystem has none of its own, so where its output is not redirected it
// attaches to its parent's console, if there is one (a double-click opens no console window).
// Without one (a double-click) they go to the program's log, %LOCALAPPDATA%\PROGRAM\PROGRAM.log,
// appended to (each session begins with a line naming the program, its process and the time; a
// log past 1 MiB is first renamed PROGRAM.old.log). Nothing elsewhere. Called by the window
// programs' host before anything is printed, with the program's name.
void attachParentConsole(const std::string& program);

// The separator between folders in a path of this system.
#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

// The running program's full path, links resolved; "" when the system does not say.
std::string executablePath();

// The folder of the running program, ending in its separator ("" when unknown).
std::string executableFolder();

// The free and total bytes of the volume holding `folder`; false when the system does not say.
bool diskSpace(const std::string& folder, std::uint64_t& freeBytes, std::uint64_t& totalBytes);

// The physical memory available to programs, in bytes (0 when unknown).
std::uint64_t availableMemory();

// The languages the user reads, most wanted first, as the system names them ("en_US.UTF-8",
// "en-GB", "ja"): on Linux the locale's messages setting (LC_ALL, else LC_MESSAGES, else LANG),
// on Windows the user's UI language, in a browser navigator.languages. Empty when the system
// names none (the "C" and "POSIX" locales). Called by the framework's choice of language.
std::vector<std::string> userLanguages();

// The user's pictures folder, where screenshots go: on Linux what `xdg-user-dir PICTURES` says
// (unless it says the home folder itself, its answer when none is set), else ~/Pictures; on
// Windows the Pictures known folder. "" when the system names none (no home folder). The folder
// may not exist.
std::string picturesFolder();

// Where this system keeps General MIDI sound fonts: Debian's folder on Linux, the sf2 folder
// beside the program on Windows.
std::string soundFontFolder();
// How a player gets one there, for the message that none could be loaded.
const char* soundFontRemedy();

}  // namespace platform::os
