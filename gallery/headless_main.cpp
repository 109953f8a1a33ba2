// quorbix-gallery-headless: the effects gallery on the headless backend, through the same runner
// and options as quorbix-headless (docs/gallery.md).
#include <cstdio>

#include <quorbix/headless.h>

#include "gallery/gallery.h"
#include "gallery/headless_tour.h"

int main(int argc, char** argv) {
    PagePictures pictures;
    const int status = quorbix::RunHeadlessProgram(GalleryProgram(), argc, argv, GalleryHeadlessCommandLine(),
                                                   [&pictures](quorbix::HeadlessCommandLine& run) {
                                                       return PrepareGalleryRun(run, pictures);
                                                   });
    return FinishGalleryRun(status, pictures);
}
