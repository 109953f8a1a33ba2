// elDraw: raster effect blits onto Back: waves, endless tiling, a wavy tiled band, mosaic,
// mirror, scan lines and jitter, built from one-row PutObject calls.
#pragma once
#if !defined(QRB_PUBLIC_HEADERS) && !defined(QRB_BUILDING)
#pragma message("framework/draw/raster_effects.h is the framework's own; include <quorbix/draw.h> instead (this path goes in Quorbix 2.0)")
#endif

namespace elDraw {

// The animated effects' state: one instance per effect, not per picture, so two pictures waved
// by the same effect in one frame share a phase that advances twice. Phases are in degrees,
// offsets and scroll positions in pixels (source rows for the scrolls).
struct RasterEffectState {
    float WavePhase = 0.0f;         // WaveObject, [0, 360)
    float TileOffsetX = 0.0f;       // TileObject, [-tile width, 0]
    float TileOffsetY = 0.0f;       // TileObject, [-tile height, 0]
    float WaveScrollPhase = 0.0f;   // WaveScrollObject, [0, 360)
    float WaveScrollPos = 0.0f;     // WaveScrollObject, [0, rectangle height)
    float BandPhase = 0.0f;         // WaveTileBand, [0, 360)
    float BandScroll = 0.0f;        // WaveTileBand, [0, rectangle height)
    void reset() { *this = RasterEffectState{}; }
};
extern RasterEffectState Effects;

// Source rectangles are left, top, right, bottom of the object, right and bottom exclusive.
// Every row goes through PutObject, so rows are clipped to the ClipWindow and keyed like any
// sprite. Speeds are per second and are multiplied by FrameDelta; the state advances once per
// call. Rows per degree, block height and tile sizes below 1 draw nothing and advance nothing.

// Each row shifted sideways by amplitude x cos((row / rowsPerDegree + WavePhase) degrees), the
// absolute source row being the one counted.
void WaveObject(int x, int y, int amplitude, int rowsPerDegree, float speed, int index, int left,
                int top, int right, int bottom);
// The rectangle as a tile over the whole screen, drifting by the speeds (pixels per second;
// positive moves right and down).
void TileObject(float speedX, float speedY, int index, int left, int top, int right, int bottom);
// The wave of WaveObject on a picture that also scrolls vertically and repeats; source row r is
// drawn at y + r. A positive scroll speed (rows per second) moves the picture down.
void WaveScrollObject(int x, int y, int amplitude, int rowsPerDegree, float waveSpeed,
                      float scrollSpeed, int index, int left, int top, int right, int bottom);
// Fills screen rows bandTop to bandBottom - 1 with the rectangle tiled both ways, each row waved
// sideways and the tile scrolled vertically.
void WaveTileBand(int bandTop, int bandBottom, int amplitude, int rowsPerDegree, float waveSpeed,
                  float scrollSpeed, int index, int left, int top, int right, int bottom);
// Strips of blockHeight rows, each repeating its first row; the last strip is drawn whole even
// where it runs past bottom.
void MosaicObject(int x, int y, int blockHeight, int index, int left, int top, int right, int bottom);
// Mode 0 plain, 1 mirrored left to right, 2 upside down, 3 both; drawn through Buffer with its
// black key. Any other mode draws whatever Buffer holds. A rectangle larger than Buffer (the
// screen) is cut to Buffer's size.
void MirrorObject(int x, int y, int mode, int index, int left, int top, int right, int bottom);
// spacing > 0: rows top + spacing, top + 2 spacing, ... below bottom. spacing < 0: random gaps of
// 1 to -spacing rows. 0 draws nothing.
void ScanLineObject(int x, int y, int spacing, int index, int left, int top, int right, int bottom);
// Each row shifted by a random -jitter to jitter - 1 pixels; jitter <= 0 is one plain PutObject.
void JitterObject(int x, int y, int jitter, int index, int left, int top, int right, int bottom);

}  // namespace elDraw
