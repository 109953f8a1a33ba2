// quorbix-gallery: the effects gallery in a real window (SDL2 backend).
#include <quorbix/program.h>

#include "gallery/gallery.h"

int main(int argc, char** argv) { return quorbix::RunWindowProgram(GalleryProgram(), argc, argv); }
