// elDraw: the sprite object table (1024 slots of surface, name and key) and bitmap loading.
#pragma once
#if !defined(QRB_PUBLIC_HEADERS) && !defined(QRB_BUILDING)
#pragma message("framework/draw/object_table.h is the framework's own; include <quorbix/draw.h> instead (this path goes in Quorbix 2.0)")
#endif
#include <cstdint>
#include <vector>

#include "platform/video/surface.h"

namespace elDraw {

constexpr int kObjectCount = 1024;      // indices 0 to 1023
constexpr int kFirstFreeSlot = 2;       // 0 is Buffer, 1 is Screen
constexpr int kObjectNameSize = 32;
constexpr int kMaxObjectName = 30;      // longer names are refused
constexpr int kPathSize = 256;

// One slot of the object table: its surface, its name and its colour key.
struct DrawObject {
    platform::Surface* Surface = nullptr;
    char Name[kObjectNameSize] = {};    // empty: free; "*": blank (CreateObject); else a bitmap name
    std::uint32_t Key = 0;              // the COLORREF the key was made from, or CornerKey
    // Objects loaded with their alpha kept: the PNG picture as decoded, 0xAARRGGBB per pixel of
    // the surface, row after row, which the blended puts read; empty for every other object.
    // The surface itself holds the picture keyed as LoadObject keys it, for the calls that know
    // only colour keys.
    std::vector<std::uint32_t> Alpha;
    bool Png = false;                   // loaded by LoadPngObject: reloads read a PNG again
    bool KeepAlpha = false;             // and keep its alpha again
};

// The object table: 1024 slots, the default colour key and the corner-key mode.
struct ObjectTable {
    DrawObject Slot[kObjectCount];
    std::uint32_t DefaultKey = 0x000000;
    int CornerKeyMode = 0;
    // Program-start state; the surfaces still held are released first.
    void reset();
};
// The object table itself.
extern ObjectTable Objects;

// True for 0 to 1023. Every operation that takes an index ignores any other.
bool ValidObject(int index);
// Named slots (loaded or created); Buffer and Screen have no name and are not counted.
int NamedObjectCount();

// Loads a picture into a free slot and answers its index (0 after an error box). The file is
// looked for in the asset folder (elSystem::GetAssetDir), then a built-in resource under the
// bare name. A BMP file or "BITMAP" resource as the design has it; a name ending in ".png" (any case) is read as a PNG file
// or "PNG" resource, as is a bare name with no BMP file or bitmap resource but a PNG resource.
// A PNG's alpha becomes the colour key: pixels of alpha below 128 are painted in the key colour
// the object gets (the default key, or in corner-key mode the top-left pixel's colour when that
// pixel is solid), so every put leaves them out; the others keep their colour, alpha dropped.
// As with BMPs, a solid pixel of exactly the key colour is left out too.
int LoadObject(const char* name);
// Called by programs for PNG pictures with soft edges or see-through parts. Loads the PNG file
// (or "PNG" resource) `name`, whatever its ending, as LoadObject does; with keepAlpha the object
// keeps its alpha and PutObject and PutObjectRotated blend it over Back, pixel by pixel:
// (colour * a + Back * (255 - a)) / 255 per channel, alpha 0 leaving Back alone. The calls that
// know only colour keys (PutObjectOpaque, StretchObject, the effects) see the keyed picture that
// LoadObject would make. Without keepAlpha the object is LoadObject's. Answers as LoadObject.
int LoadPngObject(const char* name, bool keepAlpha);
// A blank screen-sized object in a free slot, for a picture the program draws itself (GrabObject);
// its index, 0 after an error box.
int CreateObject();
// Loads the picture `name` into slot `index` in place of what it held; 1 on success, else 0.
int SwapObject(const char* name, int index);
// Frees slot `index` for the next load.
void ReleaseObject(int index);
// After lost surfaces: restores every surface and loads every named bitmap again with its key.
void RestoreObjects();
// The colour key (0x00BBGGRR) of what is loaded from now on; ends the corner-key mode.
void SetDefaultKey(std::uint32_t color);
// From now on each loaded bitmap's key is its own top-left pixel.
void UseCornerKey();
// Changes a loaded object's colour key.
void SetObjectKey(int index, std::uint32_t color);
// Makes an object's key its own top-left pixel.
void SetObjectCornerKey(int index);
// Gives an object the colour key of another.
void CopyObjectKey(int destination, int source);
// Loaders for the end-of-frame overlays (both key the bitmaps black).

// Loads the pattern strip of transition style 0: ten 64 x 48 frames side by side.
void LoadWipePattern(const char* name);
// Loads the scrolling page and its background tile that Flip draws while the page is shown.
void LoadScrollPage(const char* page, const char* tile, int height);
// Shows the scrolling page, or takes it away.
void ToggleScrollPage();

}  // namespace elDraw
