// Platform: what a whole-or-nothing output file asks of the system (output_file_system.cpp, or
// windows/output_file_system.cpp on Windows); the bookkeeping around it, and the two helpers
// below that every system shares, are output_file.cpp's, which alone calls the rest.
#pragma once
#include <cstdio>
#include <string>

namespace platform::output_system {

// The C library's message for an errno value.
std::string reason(int error);
// TARGET.part-XXXXXX beside `target`, six letters and digits that differ between processes and
// between calls; a long name is cut so that the temporary one stays within the 255 bytes (or
// characters) a name may have. `separators` are the characters that end a folder's name.
std::string temporaryName(const std::string& target, const char* separators, unsigned long long processId);
// Called by OutputFile::open with a target that is not "": opens what takes the bytes, a new
// temporary file beside the file `target` names (a link followed, that file's name in
// `replaced`, whose permissions it gets), or `target` itself, written in place and `temp` left
// "", when it is not a regular file (a pipe, a terminal, a device). 0, or an errno value:
// EISDIR for a folder, EACCES (or the system's reason) for a file the user may not write; no
// temporary file is left then.
int openOutput(const std::string& target, std::FILE*& file, std::string& replaced, std::string& temp);
// Called by the commit with the flushed temporary file before it is closed and renamed: on
// Windows its bytes go to the disk first (FlushFileBuffers); elsewhere nothing. False with errno.
bool settle(std::FILE* file);
// Puts the complete temporary file in the target's place; 0, or an errno value.
int replaceTarget(const std::string& temp, const std::string& target);
// Removes a temporary file that will not be completed.
void removeTemporary(const std::string& temp);
// Called by sameOutputFile: whether the two paths would write one file, as it says.
bool sameFile(const std::string& a, const std::string& b);

}  // namespace platform::output_system
