// Framework core: the display's answers, as it registered them.
#include "framework/core/display_link.h"


namespace {
// Filled while the program's static objects are made: constructed on first use, so that the
// registration finds it ready whichever file is made first.
DisplayLink& Link() {
    static DisplayLink link;
    return link;
}
}  // namespace

DisplayLinkRegistration::DisplayLinkRegistration(const DisplayLink& link) { Link() = link; }

void PrepareDisplayForBox() {
    if (Link().PrepareForBox != nullptr) Link().PrepareForBox();
}

void GetScreenSize(int& width, int& height) {
    width = height = 0;
    if (Link().ScreenSize != nullptr) Link().ScreenSize(width, height);
}
