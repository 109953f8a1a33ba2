// Framework core: the framework's error reporter. It is offered as elDraw's, with the display,
// but every service reports its failures through it, so it sits below them all.
#pragma once

namespace elDraw {

// Builds operation + " : " + message (code-page texts), beeps, shows the system-modal error box
// with the caption "エラー発生" and returns 0, the failure result its callers pass on.
int ShowError(const char* operation, const char* message);

}  // namespace elDraw
