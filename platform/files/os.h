// Platform: what the platform asks of the operating system by name: files whose names are UTF-8
// on every system (Windows takes them as UTF-16 at its own calls), the program's path, the disk
// and memory figures. os.cpp answers on Linux and in the browser, windows/os.cpp on Windows.
#pragma once
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

enum class Kind { missing, regular, directory, other };
// What the name is; `size` gets a regular file's length.
Kind kindOf(const std::string& name, std::uint64_t* size = nullptr);

// The names in a folder (not "." and ".."); false when it cannot be read.
bool listFolder(const std::string& folder, std::vector<std::string>& names);

// Makes the folder and any folders above it that are missing; 0 when it is there (made now or
// before), else an errno value (ENOTDIR when a file stands in the way).
int makeFolders(const std::string& folder);

// The folder under which programs keep their data for the user running them: $XDG_DATA_HOME
// (when absolute), else ~/.local/share on Linux, %APPDATA% on Windows. "" with the reason in
// `why` when there is none: no home folder, or a browser page (its storage is not a folder).
std::string userDataFolder(std::string& why);

// ---------------------------------------------------------------- the program and the machine

// The program's arguments in UTF-8: argv itself, except on Windows, where the process's own argv
// is in the ANSI code page and its words are taken from the UTF-16 command line instead. Called
// by the command-line parser.
std::vector<std::string> arguments(int argc, char** argv);

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

// Where this system keeps General MIDI sound fonts: Debian's folder on Linux, the sf2 folder
// beside the program on Windows.
std::string soundFontFolder();
// How a player gets one there, for the message that none could be loaded.
const char* soundFontRemedy();

}  // namespace platform::os
