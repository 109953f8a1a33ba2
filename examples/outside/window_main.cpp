// first-scene: the guide's first example as a game of one's own, in a window.
#include "framework/shell/frame_loop.h"
#include "platform/window/window.h"

#include "first_scene.h"

int main() {
    UseFirstScene();
    return WinMain("", platform::SW_SHOWNORMAL) == 0 ? 1 : 0;
}
