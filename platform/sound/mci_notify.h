// Platform: the codes of the MIDI sequencer's end-of-play notification (MM_MCINOTIFY), which both
// the command strings (mci.h) and the sequencer's render post.
#pragma once
#include "platform/window/window.h"

namespace platform {

// The first parameter of MM_MCINOTIFY; the second is the device's id.
constexpr WParam MCI_NOTIFY_SUCCESSFUL = 1;
constexpr WParam MCI_NOTIFY_SUPERSEDED = 2;
constexpr WParam MCI_NOTIFY_ABORTED = 4;
constexpr WParam MCI_NOTIFY_FAILURE = 8;

}  // namespace platform
