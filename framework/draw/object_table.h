// elDraw: the sprite object table (1024 slots of surface, name and key) and bitmap loading.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/video/surface.h"

namespace elDraw {

constexpr int kObjectCount = 1024;      // indices 0 to 1023
constexpr int kFirstFreeSlot = 2;       // 0 is Buffer, 1 is Screen
constexpr int kObjectNameSize = 32;
constexpr int kMaxObjectName = 30;      // longer names are refused
constexpr int kPathSize = 256;

struct DrawObject {
    platform::Surface* Surface = nullptr;
    char Name[kObjectNameSize] = {};    // empty: free; "*": blank (CreateObject); else a bitmap name
    std::uint32_t Key = 0;              // the COLORREF the key was made from, or CornerKey
    // Objects loaded with their alpha kept: one opacity byte (0 clear to 255 solid) per pixel of
    // the surface, row after row; empty for every other object. The surface itself holds the
    // picture keyed as LoadObject keys it, for the calls that know only colour keys.
    std::vector<std::uint8_t> Alpha;
    bool KeepAlpha = false;             // reloads keep the alpha again
};

struct ObjectTable {
    DrawObject Slot[kObjectCount];
    std::uint32_t DefaultKey = 0x000000;
    int CornerKeyMode = 0;
    // Program-start state; the surfaces still held are released first.
    void reset();
};
extern ObjectTable Objects;

// True for 0 to 1023. Every operation that takes an index ignores any other.
bool ValidObject(int index);
// Named slots (loaded or created); Buffer and Screen have no name and are not counted.
int NamedObjectCount();

int LoadObject(const char* name);
int CreateObject();
int SwapObject(const char* name, int index);
void ReleaseObject(int index);
// After lost surfaces: restores every surface and loads every named bitmap again with its key.
void RestoreObjects();
void SetDefaultKey(std::uint32_t color);
void UseCornerKey();
void SetObjectKey(int index, std::uint32_t color);
void SetObjectCornerKey(int index);
void CopyObjectKey(int destination, int source);
// Loaders for the end-of-frame overlays (both key the bitmaps black).
void LoadWipePattern(const char* name);
void LoadScrollPage(const char* page, const char* tile, int height);
void ToggleScrollPage();

}  // namespace elDraw
