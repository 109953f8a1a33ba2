// Platform: the name the platform's messages on standard error begin with: the running program's.
#pragma once

namespace platform {

// Called by the framework when a program is installed (ProgramSetup::Name, UseProgram): its
// messages then begin "NAME: ". Null or "" goes back to the executable's file name. The text is
// copied (up to 63 bytes).
void setProgramName(const char* name);

// The name set, else the running executable's file name, else "quorbix". Called by say().
const char* programName();

// Writes "NAME: " and the printf-formatted text to standard error: how the platform tells the
// person running the program about a device, font or file it goes on without.
void say(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace platform
