// elDraw: the object table: loading bitmaps into slots, blank objects, colour keys, and the
// reload of every bitmap after the display's surfaces were lost.
#include "framework/draw/object_table.h"

#include <strings.h>

#include <cstring>
#include <utility>

#include "framework/core/app_state.h"
#include "framework/core/code_page.h"
#include "framework/core/texts.h"
#include "framework/core/program_state.h"
#include "framework/draw/bitmap_helpers.h"
#include "framework/draw/display.h"
#include "framework/system/system_utils.h"
#include "platform/video/gdi_bitmap.h"

namespace elDraw {

ObjectTable Objects;
const ProgramStateRegistration kObjectsReset{ResetStage::Objects, [] { Objects.reset(); }};

namespace {

using namespace platform;

const quorbix::LocalText kNameTooLong("ファイル名またはリソース名が長すぎます", "The file or resource name is too long");
const quorbix::LocalText kTooManyObjects("オブジェクト数が多すぎます", "There are too many objects");
const quorbix::LocalText kCannotLoad("BMPファイルを読み込めません", "The BMP file cannot be read");
// The same box for a load that read a PNG alone (LoadPngObject, a name ending in ".png"), so that
// it names the format that was tried.
const quorbix::LocalText kCannotLoadPng("PNGファイルを読み込めません", "The PNG file cannot be read");
const quorbix::LocalText kCannotCreate("スプライトを作成できません", "The sprite cannot be made");

bool NameTooLong(const char* name) { return std::strlen(name) > kMaxObjectName; }

int FreeSlot() {
    for (int i = kFirstFreeSlot; i < kObjectCount; ++i)
        if (Objects.Slot[i].Name[0] == '\0') return i;
    return 0;
}

void SetName(DrawObject& slot, const char* name) {
    // RestoreObjects passes the slot's own name: the copy may be onto itself.
    std::memmove(slot.Name, name, std::strlen(name) + 1);
}

void ReleaseSurface(DrawObject& slot) {
    if (slot.Surface != nullptr) slot.Surface->Release();
    slot.Surface = nullptr;
}

// The key rule for a slot's new surface: its own top-left pixel in corner-key mode, else the
// default key colour.
void ApplyKeyRule(DrawObject& slot) {
    if (Objects.CornerKeyMode != 0) {
        SetSurfaceColorKey(slot.Surface, CornerKey);
        slot.Key = CornerKey;
    } else {
        SetSurfaceColorKey(slot.Surface, Objects.DefaultKey);
        slot.Key = Objects.DefaultKey;
    }
}

bool IsPngName(const char* name) {
    const std::size_t n = std::strlen(name);
    return n >= 4 && strcasecmp(name + n - 4, ".png") == 0;
}

// The box a failed load of the slot's picture gives: the format LoadInto read it as.
const quorbix::LocalText& CannotLoad(const DrawObject& slot) {
    return slot.Png || IsPngName(slot.Name) ? kCannotLoadPng : kCannotLoad;
}

// The colour a PNG's clear pixels are painted in: the key the slot is about to get. In
// corner-key mode (or when a reload made the corner key the default) that is the top-left
// pixel's colour when it is solid; a clear top-left pixel takes the default key like the rest.
std::uint32_t ClearColor(const DecodedBitmap& picture) {
    const bool corner = Objects.CornerKeyMode != 0 || Objects.DefaultKey == CornerKey;
    if (corner && !picture.pixels.empty() && (picture.pixels[0] >> 24) >= 128) {
        const std::uint32_t c = picture.pixels[0];
        return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
    }
    return Objects.DefaultKey;
}

// A PNG picture into the slot: the file at `path` (when given), else the PNG resource `name`.
bool LoadPngInto(DrawObject& slot, const char* path, const char* name) {
    DecodedBitmap picture;
    if ((path == nullptr || !loadPngPicture(nullptr, path, picture)) &&
        !loadPngPicture(getModuleHandle(), name, picture))
        return false;
    slot.Surface = SurfaceFromPicture(Display.DirectDraw, picture, ClearColor(picture));
    if (slot.Surface == nullptr) return false;
    ApplyKeyRule(slot);
    if (slot.KeepAlpha) slot.Alpha = std::move(picture.pixels);
    return true;
}

// Loads the picture `name` into the slot: a bitmap resource or BMP file at the asset folder
// (elSystem::GetAssetDir, the executable's directory unless the program set one) + name, else a
// bitmap resource under the bare name, else a PNG resource; PNG files and resources alone for a
// name ending in ".png" and for LoadPngObject's slots. The key is
// taken once the picture is in the surface, so that corner-key mode reads the picture's own
// top-left pixel on every way.
bool LoadInto(DrawObject& slot, const char* name) {
    slot.Alpha.clear();
    char path[kPathSize];
    const char* dir = elSystem::GetAssetDir();
    const std::size_t dirLen = std::strlen(dir), nameLen = std::strlen(name);
    // A path that does not fit the buffer names no file; the resource is still tried.
    const bool havePath = dirLen + nameLen < sizeof path;
    if (havePath) {
        std::memcpy(path, dir, dirLen);
        std::memcpy(path + dirLen, name, nameLen + 1);
    }
    if (slot.Png || IsPngName(name)) return LoadPngInto(slot, havePath ? path : nullptr, name);
    if (havePath) {
        if (Surface* s = LoadBitmapSurface(Display.DirectDraw, path, 0, 0)) {
            slot.Surface = s;
            ApplyKeyRule(slot);
            return true;
        }
    }
    if (Display.DirectDraw == nullptr) return false;
    // The resource alone here: a file under the bare name would be one in the working directory.
    const BitmapHandle bitmap(loadImage(getModuleHandle(), name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (bitmap == nullptr) return LoadPngInto(slot, nullptr, name);
    HResult copied = DD_OK;
    slot.Surface = SurfaceFromBitmap(Display.DirectDraw, bitmap.get(), &copied);
    if (slot.Surface == nullptr || failed(copied)) return false;
    ApplyKeyRule(slot);
    return true;
}

}  // namespace

void ObjectTable::reset() {
    for (DrawObject& slot : Slot) ReleaseSurface(slot);
    *this = ObjectTable{};
}

bool ValidObject(int index) { return index >= 0 && index < kObjectCount; }

int NamedObjectCount() {
    int n = 0;
    for (const DrawObject& slot : Objects.Slot) n += slot.Name[0] != '\0' ? 1 : 0;
    return n;
}

namespace {

int LoadNew(const char* caller, const char* name, bool png, bool keepAlpha) {
    if (name == nullptr) name = "";
    if (NameTooLong(name)) return ShowError(caller, kNameTooLong);
    int index = FreeSlot();
    if (index == 0) return ShowError(caller, kTooManyObjects);
    DrawObject& slot = Objects.Slot[index];
    SetName(slot, name);
    slot.Png = png;
    slot.KeepAlpha = keepAlpha;
    // A failed load keeps its slot: the name stays, as the caller's later reload expects.
    if (!LoadInto(slot, name)) return ShowError(caller, CannotLoad(slot));
    return index;
}

}  // namespace

int LoadObject(const char* name) { return LoadNew("elDraw::LoadObject", name, false, false); }

int LoadPngObject(const char* name, bool keepAlpha) {
    return LoadNew("elDraw::LoadPngObject", name, true, keepAlpha);
}

int CreateObject() {
    int index = FreeSlot();
    if (index == 0) return ShowError("elDraw::CreateObject", kTooManyObjects);
    DrawObject& slot = Objects.Slot[index];
    SetName(slot, "*");
    SurfaceDesc desc;
    desc.flags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    desc.caps = DDSCAPS_OFFSCREENPLAIN;
    desc.width = Display.ScreenWidth;
    desc.height = Display.ScreenHeight;
    if (Display.DirectDraw == nullptr || failed(Display.DirectDraw->CreateSurface(&desc, &slot.Surface))) {
        slot.Surface = nullptr;
        return ShowError("elDraw::CreateObject", kCannotCreate);
    }
    // A new surface is cleared to black, so in corner-key mode its key is black.
    ApplyKeyRule(slot);
    return index;
}

int SwapObject(const char* name, int index) {
    if (name == nullptr) name = "";
    if (NameTooLong(name)) return ShowError("elDraw::SwapObject", kNameTooLong);
    if (!ValidObject(index)) return 0;
    DrawObject& slot = Objects.Slot[index];
    ReleaseSurface(slot);
    SetName(slot, name);
    if (!LoadInto(slot, slot.Name)) return ShowError("elDraw::SwapObject", CannotLoad(slot));
    return 1;
}

void ReleaseObject(int index) {
    if (!ValidObject(index)) return;
    DrawObject& slot = Objects.Slot[index];
    if (slot.Surface == nullptr) return;
    ReleaseSurface(slot);
    slot = DrawObject{};
}

void RestoreObjects() {
    if (Display.Front != nullptr) Display.Front->Restore();
    // Back (windowed, a surface of its own) and Screen are restored too: a lost Back would make
    // every later frame fail, and a lost Screen every transition.
    if (Display.Back != nullptr) Display.Back->Restore();
    for (int i = 0; i < kFirstFreeSlot; ++i)
        if (Objects.Slot[i].Surface != nullptr) Objects.Slot[i].Surface->Restore();
    for (int i = kFirstFreeSlot; i < kObjectCount; ++i) {
        DrawObject& slot = Objects.Slot[i];
        if (slot.Name[0] == '\0') continue;
        if (slot.Surface != nullptr) slot.Surface->Restore();
        if (slot.Name[0] == '*') continue;
        SetDefaultKey(slot.Key);
        SwapObject(slot.Name, i);
    }
}

void SetDefaultKey(std::uint32_t color) {
    Objects.DefaultKey = color;
    Objects.CornerKeyMode = 0;
}

void UseCornerKey() { Objects.CornerKeyMode = 1; }

void SetObjectKey(int index, std::uint32_t color) {
    if (!ValidObject(index)) return;
    Objects.Slot[index].Key = color;
    SetSurfaceColorKey(Objects.Slot[index].Surface, color);
}

void SetObjectCornerKey(int index) { SetObjectKey(index, CornerKey); }

void CopyObjectKey(int destination, int source) {
    if (!ValidObject(destination) || !ValidObject(source)) return;
    Surface* from = Objects.Slot[source].Surface;
    Surface* to = Objects.Slot[destination].Surface;
    if (from == nullptr || to == nullptr) return;
    ColorKey key;
    // A source without a key has nothing to give; the destination keeps its own.
    if (!failed(from->GetColorKey(DDCKEY_SRCBLT, &key))) to->SetColorKey(DDCKEY_SRCBLT, &key);
}

void LoadWipePattern(const char* name) {
    SetDefaultKey(0x000000);
    Present.TransitionPattern = LoadObject(name);
}

void LoadScrollPage(const char* page, const char* tile, int height) {
    SetDefaultKey(0x000000);
    Present.ScrollPageObject = LoadObject(page);
    Present.ScrollTileObject = LoadObject(tile);
    Present.ScrollPageHeight = height;
}

void ToggleScrollPage() {
    if (Present.ScrollMode != 0)
        Present.ScrollMode = 0;
    else if (Present.ScrollPageHeight != 0)
        Present.ScrollMode = 1;
}

}  // namespace elDraw
