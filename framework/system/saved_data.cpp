// elSystem's neighbour: saved data by name, on the platform's saved-data file.
#include "framework/system/saved_data.h"

#include <cctype>
#include <cstring>

#include "platform/files/os.h"
#include "platform/files/saved_data.h"
#include "platform/window/program_name.h"

namespace quorbix {

namespace {

struct DataPlace {
    std::string Folder;        // "" when none is kept
    std::string WhyNone;       // what SaveData says when none is kept
    bool Said = false;         // WhyNone said this run
};
DataPlace Place{"", "no data is kept in this run (--data names a folder for it)"};

bool DeviceName(const std::string& name) {
    std::string upper;
    for (char c : name) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const char* device : {"CON", "PRN", "AUX", "NUL"})
        if (upper == device) return true;
    return upper.size() == 4 && (upper.compare(0, 3, "COM") == 0 || upper.compare(0, 3, "LPT") == 0) &&
           std::isdigit(static_cast<unsigned char>(upper[3])) != 0;
}

// The folder name for a program's name: its executable's ".exe" dropped (Windows' programs
// without ProgramSetup::Name are named by their file), then letters, digits, '-', '_', '.' and
// spaces, neither starting nor ending with '.' or a space (Windows drops those at the end). ""
// for any other.
std::string ProgramFolder(std::string name) {
    if (name.size() > 4) {
        std::string tail = name.substr(name.size() - 4);
        for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (tail == ".exe") name.resize(name.size() - 4);
    }
    if (name.empty() || name.size() > kDataNameMax || DeviceName(name)) return "";
    for (char c : name)
        if (std::isalnum(static_cast<unsigned char>(c)) == 0 && std::strchr("-_. ", c) == nullptr) return "";
    for (char end : {name.front(), name.back()})
        if (end == '.' || end == ' ') return "";
    return name;
}

std::string PathOf(const std::string& name) { return Place.Folder + platform::os::kSeparator + name + ".dat"; }

}  // namespace

bool DataNameValid(const std::string& name) {
    if (name.empty() || name.size() > kDataNameMax) return false;
    for (char c : name)
        if (std::isalnum(static_cast<unsigned char>(c)) == 0 && c != '-' && c != '_') return false;
    return !DeviceName(name);
}

std::size_t DataSizeMax() { return platform::saved::kMaxBytes; }

void KeepDataIn(const std::string& folder) {
    Place = DataPlace{folder, "no data is kept in this run (--data names a folder for it)"};
    // "DIR/" and "DIR" are one folder.
    while (Place.Folder.size() > 1 && (Place.Folder.back() == '/' || Place.Folder.back() == platform::os::kSeparator))
        Place.Folder.pop_back();
}

void KeepDataPerUser(const std::string& program) {
    std::string why;
    const std::string base = platform::os::userDataFolder(why);
    if (base.empty()) {
        Place = DataPlace{"", "no data is kept: " + why};
    } else if (const std::string folder = ProgramFolder(program); folder.empty()) {
        Place = DataPlace{"", "no data is kept: the program's name '" + program +
                                  "' is not a folder name (letters, digits, '-', '_', '.' and spaces)"};
    } else {
        Place = DataPlace{base + platform::os::kSeparator + folder, ""};
    }
}

const std::string& DataFolder() { return Place.Folder; }

bool SaveData(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    if (!DataNameValid(name)) {
        platform::say("saved data cannot be named '%s': a name is 1 to %d letters, digits, '-' and '_'\n",
                      name.c_str(), static_cast<int>(kDataNameMax));
        return false;
    }
    if (Place.Folder.empty()) {
        if (!Place.Said) platform::say("%s\n", Place.WhyNone.c_str());
        Place.Said = true;
        return false;
    }
    if (const int error = platform::os::makeFolders(Place.Folder); error != 0) {
        platform::say("'%s' is not saved: the folder '%s' cannot be made: %s\n", name.c_str(), Place.Folder.c_str(),
                      std::strerror(error));
        return false;
    }
    std::string error;
    if (!platform::saved::write(PathOf(name), bytes, error) || !platform::os::userDataWritten(PathOf(name), error)) {
        platform::say("'%s' is not saved: %s\n", name.c_str(), error.c_str());
        return false;
    }
    return true;
}

bool LoadData(const std::string& name, std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    if (!DataNameValid(name)) {
        platform::say("saved data cannot be named '%s': a name is 1 to %d letters, digits, '-' and '_'\n",
                      name.c_str(), static_cast<int>(kDataNameMax));
        return false;
    }
    if (Place.Folder.empty()) return false;
    std::string error;
    if (platform::saved::read(PathOf(name), bytes, error)) return true;
    if (!error.empty())
        platform::say("the saved data in '%s' is not used: %s; the program goes on without it\n",
                      PathOf(name).c_str(), error.c_str());
    return false;
}

}  // namespace quorbix
