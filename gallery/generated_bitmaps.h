// Gallery: bitmaps made in memory at start-up (the transition's tile pattern, the scrolling page
// and its background tile), offered to the object loader as bitmap resources.
#pragma once

constexpr const char* kWipePatternName = "GALLERYWIPE";   // ten 64 x 48 frames side by side
constexpr const char* kScrollPageName = "GALLERYPAGE";    // 480 x kScrollPageHeight
constexpr const char* kScrollTileName = "GALLERYTILE";    // 64 x 48
constexpr int kScrollPageHeight = 1200;

// Makes the three bitmaps (black is their transparent colour) and puts them in front of the
// built-in resources, where elDraw::LoadObject finds them by name. They live until the program
// ends, so that a reload after lost surfaces finds them too.
void OfferGeneratedBitmaps();
