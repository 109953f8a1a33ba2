// Platform: what a whole-or-nothing output file asks of the system (output_file_system.cpp, or
// windows/output_file_system.cpp on Windows); the bookkeeping around it is shared
// (output_file.cpp).
#pragma once
#include <string>

namespace platform::output_system {

// The C library's message for an errno value.
std::string reason(int error);
// TARGET.part-XXXXXX beside `target`, six letters and digits that differ between processes and
// between calls; a long name is cut so that the temporary one stays within the 255 bytes (or
// characters) a name may have. `separators` are the characters that end a folder's name.
std::string temporaryName(const std::string& target, const char* separators, unsigned long long processId);
// Puts the complete temporary file in the target's place; 0, or an errno value.
int replaceTarget(const std::string& temp, const std::string& target);
// Removes a temporary file that will not be completed.
void removeTemporary(const std::string& temp);

}  // namespace platform::output_system
