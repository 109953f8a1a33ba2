// Framework core: the shell's, the input's and the presentation's process-wide state.
#include "framework/core/app_state.h"

#include "framework/core/program_state.h"
#include "platform/window/window.h"

ShellState Shell;
const ProgramStateRegistration kShellReset{ResetStage::Shell, [] { Shell.reset(); }};
InputState Input;
const ProgramStateRegistration kInputReset{ResetStage::Shell, [] { Input.reset(); }};
PresentState Present;
const ProgramStateRegistration kPresentReset{ResetStage::Shell, [] { Present.reset(); }};
// The window records and the message queue below the shell.
const ProgramStateRegistration kWindowsReset{ResetStage::Platform, [] { platform::resetWindows(); }};
