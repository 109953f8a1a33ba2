// elSystem's neighbour: a program's saved data (settings, a best score), kept per user under a
// name: in the user's data folder in a window ($XDG_DATA_HOME/PROGRAM/, else
// ~/.local/share/PROGRAM/ on Linux; %APPDATA%\PROGRAM\ on Windows), in the folder --data names
// in a headless run (none by default, so that a run writes nothing and stays the same every
// time). A page keeps it in the browser's storage for the site (IndexedDB), read in whole before
// the program starts and written through by each SaveData; where the browser keeps nothing
// (storage turned off), SaveData says so once and LoadData finds nothing.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quorbix {

// A name is 1 to kDataNameMax letters, digits, '-' and '_' (the file is NAME.dat), and not one
// of the names Windows keeps for devices (CON, PRN, AUX, NUL, COM0-COM9, LPT0-LPT9, in any
// case), so that a name good on one system is good on all. Names differing only in case are one
// file on Windows: a program should not rely on them being two.
constexpr std::size_t kDataNameMax = 64;
bool DataNameValid(const std::string& name);
// The most bytes one name keeps (16 MiB).
std::size_t DataSizeMax();

// Keeps `bytes` under `name`, whole or not at all: the earlier data stays until the new is
// complete. False, said on standard error, for a bad name, too many bytes, a folder that cannot
// be made or written, or where no data is kept (said once per run).
bool SaveData(const std::string& name, const std::vector<std::uint8_t>& bytes);
// The bytes kept under `name`; false with `bytes` empty when there are none: a bad name, nothing
// saved yet, no data kept in this run, or a file that is damaged, cut short or not saved data
// (said on standard error; the file is left for the next SaveData to replace).
bool LoadData(const std::string& name, std::vector<std::uint8_t>& bytes);

// Where SaveData and LoadData work. Called by the program hosts: RunWindowProgram keeps the data
// in the user's folder for the program's name, the headless programs in --data's folder or
// nowhere. A test may call them itself.
// The data goes to `folder` (made when missing); "" keeps none.
void KeepDataIn(const std::string& folder);
// The data goes to the user's data folder for `program`, the folder named as the program is
// (an executable's ".exe" left out): letters, digits, '-', '_', '.' and spaces, not at either
// end a '.' or a space. None is kept for another name, and that is said at the first SaveData.
void KeepDataPerUser(const std::string& program);
// The folder in use, "" when no data is kept.
const std::string& DataFolder();

}  // namespace quorbix
