// Gallery: the pictures the pages draw from. The Poster is drawn once onto Back with the
// primitives and text and copied into a blank object with GrabObject; the transition pattern
// and the scrolling page are bitmaps made in memory and loaded by name.
#include <cstdint>

#include <quorbix/draw.h>
#include <quorbix/system.h>

#include "gallery/gallery.h"
#include "gallery/generated_bitmaps.h"

GalleryPictures Pictures;

namespace {

const elSystem::CodePageText kPosterSubtitle("エフェクト見本");
const elSystem::CodePageText kLabelText("鏡 Mirror");

// Colours are COLORREF values, 0x00BBGGRR.
constexpr std::uint32_t kBands[12] = {0x6B2A1E, 0x8C3A24, 0xA8552B, 0xB87432, 0xB0963A, 0x7FA048,
                                      0x4E9A5E, 0x3C8C82, 0x3A6FA0, 0x4652A8, 0x60409C, 0x7A3280};

// A solid rectangle: a thick horizontal line whose round ends are covered by the neighbours.
void Band(int left, int top, int right, int bottom, std::uint32_t color) {
    const int width = bottom - top;
    elDraw::Line(left, top + width / 2, right, top + width / 2, color, width);
}

void DrawPoster() {
    const PictureRect& r = kPosterPicture;
    for (int i = 0; i < 12; ++i) Band(r.left, r.top + 20 * i, r.right, r.top + 20 * i + 20, kBands[i]);
    // A grid of white lines, so that every sideways shift of a row shows.
    for (int x = r.left + 20; x < r.right; x += 40) elDraw::Line(x, r.top, x, r.bottom, 0xFFFFFF, 1);
    for (int y = r.top + 60; y < r.bottom; y += 60) elDraw::Line(r.left, y, r.right, y, 0xE0E0E0, 1);
    // A cross-hatched star (fill 2: hatched with transparent gaps).
    const elDraw::Point star[5] = {{340, 20}, {365, 95}, {300, 48}, {380, 48}, {315, 95}};
    elDraw::Polygon(star, 5, 0x40FFFF, 0x000000, 2, 2);

    elDraw::BeginText(elDraw::kFaceGothic, 72, 0, 1, 0, 0);
    elDraw::SetTextColors(0x202020, 0x000000, 1);
    elDraw::PutText(r.left + 43, r.top + 73, "Quorbix");   // a shadow under the white text
    elDraw::SetTextColors(0xFFFFFF, 0x000000, 1);
    elDraw::PutText(r.left + 40, r.top + 70, "Quorbix");
    elDraw::EndText();
    elDraw::BeginText(elDraw::kFaceMincho, 28, 0, 1, 0, 0);
    elDraw::SetTextColors(0xFFFFFF, 0x000000, 1);
    elDraw::PutText(r.left + 140, r.top + 170, kPosterSubtitle);
    elDraw::EndText();
}

void DrawTiles() {
    // Vertical stripes for the wavy band, their round ends reaching past the tile's edges.
    const PictureRect& b = kPosterBandTile;
    for (int i = 0; i < 8; ++i)
        elDraw::Line(b.left + 4 + 8 * i, b.top - 4, b.left + 4 + 8 * i, b.bottom + 4, kBands[(i * 3) % 12], 8);
    // A white diagonal and a line across, so that the vertical scroll shows.
    elDraw::Line(b.left + 3, b.bottom - 3, b.right - 3, b.top + 3, 0xFFFFFF, 4);
    elDraw::Line(b.left, b.top + 24, b.right, b.top + 24, 0xFFFFFF, 2);
    // A ball of the sprite sheet on a white tile: the sheet's green is its colour key.
    const PictureRect& t = kPosterTile;
    elDraw::FillWhiteRect(t.left, t.top, t.right, t.bottom);
    elDraw::PutObject(t.left + 8, t.top, Pictures.Sheet, 48, 0, 96, 48);
}

void DrawLabel() {
    // Dark blue text on white, and an arrow: a picture whose turns are easy to tell apart.
    const PictureRect& l = kPosterLabel;
    elDraw::FillWhiteRect(l.left, l.top, l.right, l.bottom);
    elDraw::BeginText(elDraw::kFaceGothic, 30, 0, 1, 0, 0);
    elDraw::SetTextColors(0x800000, 0xFFFFFF, 1);
    elDraw::PutText(l.left + 10, l.top + 14, kLabelText);
    elDraw::EndText();
    const elDraw::Point arrow[7] = {{180, 258}, {205, 258}, {205, 248}, {230, 270}, {205, 292}, {205, 282}, {180, 282}};
    elDraw::Polygon(arrow, 7, 0x0000C0, 0xFFFFFF, 2, 1);
}

}  // namespace

void MakeGalleryPictures() {
    // The game's sprite sheet, with pure green as its transparent colour.
    elDraw::SetDefaultKey(0x00FF00);
    Pictures.Sheet = elDraw::LoadObject("CHARA");

    // Black is the transparent colour of everything below.
    OfferGeneratedBitmaps();
    elDraw::LoadWipePattern(kWipePatternName);
    elDraw::LoadScrollPage(kScrollPageName, kScrollTileName, kScrollPageHeight);

    elDraw::SetDefaultKey(0x000000);
    Pictures.Poster = elDraw::CreateObject();
    elDraw::FillBlack();
    DrawPoster();
    elDraw::FillBlackRect(400, 0, 480, 240);   // the round ends of the Poster's bands
    DrawTiles();
    DrawLabel();
    elDraw::GrabObject(Pictures.Poster, 0, 0, 480, 360);
    elDraw::FillBlack();
}

void DrawScenePicture(int scene) {
    const PictureRect& p = kPosterPicture;
    if (scene != 3) {
        // Scene 2: the Poster in the middle over a row of balls.
        for (int x = 0; x < 480; x += 48) elDraw::PutObject(x, 294, Pictures.Sheet, 48 * (1 + x / 48 % 3), 0, 48 * (2 + x / 48 % 3), 48);
        elDraw::PutObject(40, 48, Pictures.Poster, p.left, p.top, p.right, p.bottom);
        return;
    }
    // Scene 3: the tile over the whole screen and the label in the middle.
    const PictureRect& t = kPosterTile;
    for (int y = 36; y < 342; y += 48)
        for (int x = 0; x < 480; x += 64) elDraw::PutObject(x, y, Pictures.Poster, t.left, t.top, t.right, t.bottom);
    const PictureRect& l = kPosterLabel;
    elDraw::PutObject(120, 160, Pictures.Poster, l.left, l.top, l.right, l.bottom);
}
