// Gallery: one page per raster effect. Each page calls its effect once per frame on the Poster
// (or one of its tiles), exactly as the heading's call reads, and prints the effect's state.
#include <quorbix/draw.h>

#include "gallery/gallery.h"

namespace {

const PictureRect& P = kPosterPicture;

void Wave(int t) {
    elDraw::WaveObject(40, 48, 16, 1, 120.0f, Pictures.Poster, P.left, P.top, P.right, P.bottom);
    elDraw::DebugPrint(40, 300, "WavePhase %.1f degrees (120 per second)", elDraw::Effects.WavePhase);
}

void Tile(int t) {
    const PictureRect& tile = kPosterTile;
    elDraw::TileObject(-30.0f, -20.0f, Pictures.Poster, tile.left, tile.top, tile.right, tile.bottom);
    elDraw::DebugPrint(40, 300, "TileOffsetX %.1f  TileOffsetY %.1f", elDraw::Effects.TileOffsetX,
                       elDraw::Effects.TileOffsetY);
}

void WaveScroll(int t) {
    elDraw::WaveScrollObject(40, 48, 12, 2, 90.0f, 24.0f, Pictures.Poster, P.left, P.top, P.right, P.bottom);
    elDraw::DebugPrint(40, 300, "WaveScrollPhase %.1f  WaveScrollPos %.1f rows", elDraw::Effects.WaveScrollPhase,
                       elDraw::Effects.WaveScrollPos);
}

void WaveBand(int t) {
    const PictureRect& tile = kPosterBandTile;
    elDraw::WaveTileBand(70, 280, 12, 1, 180.0f, 20.0f, Pictures.Poster, tile.left, tile.top, tile.right, tile.bottom);
    elDraw::DebugPrint(40, 300, "BandPhase %.1f  BandScroll %.1f rows", elDraw::Effects.BandPhase,
                       elDraw::Effects.BandScroll);
}

void Mosaic(int t) {
    // The block height steps through 1, 2, 4, 8, 16, 8, 4, 2 every half second.
    static const int kHeights[8] = {1, 2, 4, 8, 16, 8, 4, 2};
    const int height = kHeights[t / 10 % 8];
    elDraw::MosaicObject(40, 48, height, Pictures.Poster, P.left, P.top, P.right, P.bottom);
    elDraw::DebugPrint(40, 300, "block height %d", height);
}

void Mirror(int t) {
    const PictureRect& l = kPosterLabel;
    for (int mode = 0; mode < 4; ++mode) {
        const int x = mode % 2 * 240, y = 60 + mode / 2 * 130;
        elDraw::MirrorObject(x, y, mode, Pictures.Poster, l.left, l.top, l.right, l.bottom);
        elDraw::DebugPrint(x + 4, y + 64, "mode %d", mode);
    }
}

void ScanLines(int t) {
    elDraw::ScanLineObject(40, 48, 3, Pictures.Poster, P.left, P.top, 200, P.bottom);
    elDraw::ScanLineObject(240, 48, -4, Pictures.Poster, 200, P.top, P.right, P.bottom);
    elDraw::DebugPrint(40, 300, "spacing 3");
    elDraw::DebugPrint(240, 300, "spacing -4: random gaps of 1 to 4 rows");
}

void Jitter(int t) {
    elDraw::JitterObject(40, 48, 6, Pictures.Poster, P.left, P.top, P.right, P.bottom);
    elDraw::DebugPrint(40, 300, "every row moved by -6 to 5 pixels, every frame");
}

}  // namespace

const GalleryPage kEffectPages[] = {
    {.name = "elDraw::WaveObject",
     .call = "elDraw::WaveObject(40, 48, 16, 1, 120.0f, poster, 0, 0, 400, 240);",
     .file = "wave-object", .frame = Wave, .showcase = 20},
    {.name = "elDraw::TileObject",
     .call = "elDraw::TileObject(-30.0f, -20.0f, poster, 400, 0, 464, 48);",
     .file = "tile-object", .frame = Tile, .showcase = 20},
    {.name = "elDraw::WaveScrollObject",
     .call = "elDraw::WaveScrollObject(40, 48, 12, 2, 90.0f, 24.0f, poster, 0, 0, 400, 240);",
     .file = "wave-scroll-object", .frame = WaveScroll, .showcase = 20},
    {.name = "elDraw::WaveTileBand",
     .call = "elDraw::WaveTileBand(70, 280, 12, 1, 180.0f, 20.0f, poster, 400, 48, 464, 96);",
     .file = "wave-tile-band", .frame = WaveBand, .showcase = 20},
    {.name = "elDraw::MosaicObject",
     .call = "elDraw::MosaicObject(40, 48, height, poster, 0, 0, 400, 240);",
     .file = "mosaic-object", .frame = Mosaic, .showcase = 35},
    {.name = "elDraw::MirrorObject",
     .call = "elDraw::MirrorObject(x, y, mode, poster, 0, 240, 240, 300);  // mode 0 to 3",
     .file = "mirror-object", .frame = Mirror, .showcase = 5},
    {.name = "elDraw::ScanLineObject",
     .call = "elDraw::ScanLineObject(40, 48, 3, ...);  elDraw::ScanLineObject(240, 48, -4, ...);",
     .file = "scan-line-object", .frame = ScanLines, .showcase = 5},
    {.name = "elDraw::JitterObject",
     .call = "elDraw::JitterObject(40, 48, 6, poster, 0, 0, 400, 240);",
     .file = "jitter-object", .frame = Jitter, .showcase = 5},
};
const int kEffectPageCount = sizeof kEffectPages / sizeof kEffectPages[0];
