// quorbix-gallery: the effects gallery in a real window (SDL2 backend).
#include "framework/shell/frame_loop.h"
#include "framework/shell/trace.h"
#include "gallery/gallery.h"
#include "platform/window.h"

int main(int argc, char** argv) {
    if (!TakeTraceOption(argc, argv)) return 2;
    UseGallery();
    return WinMain("", platform::SW_SHOWNORMAL) == 0 ? 1 : 0;
}
