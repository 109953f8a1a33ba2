// elDraw: the display's set-up, elDraw::Screen: the driver, the surfaces, then the other services
// it starts (sound, music, timers, the font, joysticks). Above the display's state, the object
// table and the text, which it sets up.
#include <algorithm>

#include "framework/core/app_state.h"
#include "framework/core/code_page.h"
#include "framework/core/texts.h"
#include "framework/draw/bitmap_helpers.h"
#include "framework/draw/display.h"
#include "framework/draw/object_table.h"
#include "framework/draw/text.h"
#include "framework/input/joystick.h"
#include "framework/sound/midi_music.h"
#include "framework/sound/sound_objects.h"
#include "framework/system/system_utils.h"
#include "framework/system/wait_timers.h"

namespace elDraw {

namespace {

const quorbix::LocalText kBadSize("画面サイズが範囲外です", "The screen size is out of range");
const quorbix::LocalText kNoWindowSize("ウィンドウサイズが変更できません", "The window size cannot be changed");
const quorbix::LocalText kNoDriver("DirectDrawが使用できません", "DirectDraw cannot be used");
const quorbix::LocalText kNoCooperation("フルスクリーン化できません", "The full screen cannot be entered");
const quorbix::LocalText kNoMode("解像度が変更できません", "The resolution cannot be changed");
const quorbix::LocalText kNoFront("スプライト(Front)が生成できません", "The sprite (Front) cannot be made");
const quorbix::LocalText kNoBack("スプライト(Back)が取得できません", "The sprite (Back) cannot be obtained");
const quorbix::LocalText kNoBuffer("スプライト(Buffer)が生成できません", "The sprite (Buffer) cannot be made");
const quorbix::LocalText kNoScreen("スプライト(Screen)が生成できません", "The sprite (Screen) cannot be made");

int Fail(const char* message) { return ShowError("elDraw::Screen", message); }

// A secondary display device that can do 3D is preferred; the primary driver (no GUID) is
// skipped here and taken afterwards if nothing better turned up.
bool TryDriver(const platform::Guid* guid, const char*, const char*, void* context) {
    if (guid == nullptr) return true;
    platform::DirectDraw* dd = nullptr;
    if (platform::failed(platform::directDrawCreate(guid, &dd)) || dd == nullptr) return true;
    platform::DDCaps driverCaps, emulationCaps;
    driverCaps.size = sizeof driverCaps;
    emulationCaps.size = sizeof emulationCaps;
    dd->GetCaps(&driverCaps, &emulationCaps);
    if (driverCaps.caps & platform::DDCAPS_3D) {
        *static_cast<platform::DirectDraw**>(context) = dd;
        return false;
    }
    dd->Release();
    return true;
}

platform::Surface* CreateOffscreen(int width, int height) {
    platform::SurfaceDesc desc;
    desc.flags = platform::DDSD_CAPS | platform::DDSD_HEIGHT | platform::DDSD_WIDTH;
    desc.caps = platform::DDSCAPS_OFFSCREENPLAIN;
    desc.width = width;
    desc.height = height;
    platform::Surface* s = nullptr;
    if (platform::failed(Display.DirectDraw->CreateSurface(&desc, &s))) return nullptr;
    return s;
}

// Buffer and Screen: screen-sized work surfaces keyed black, with key 0 recorded in their slot.
bool CreateWorkSurface(int slot) {
    platform::Surface* s = CreateOffscreen(Display.ScreenWidth, Display.ScreenHeight);
    if (s == nullptr) return false;
    Objects.Slot[slot].Surface = s;
    SetSurfaceColorKey(s, 0x000000);
    Objects.Slot[slot].Key = 0;
    return true;
}

}  // namespace

int Screen(int width, int height) {
    using namespace platform;
    // Every surface below is made at this size; a side out of range makes nothing at all.
    if (width < 1 || height < 1 || width > kMaxScreenSide || height > kMaxScreenSide) return Fail(kBadSize);
    Display.ScreenWidth = width;
    Display.ScreenHeight = height;
    SetClipWindow(0, 0, width, height);

    DirectDraw* chosen = nullptr;
    directDrawEnumerate(TryDriver, &chosen);
    if (chosen == nullptr && failed(directDrawCreate(nullptr, &chosen))) chosen = nullptr;
    if (chosen == nullptr) return Fail(kNoDriver);
    Display.DirectDraw = chosen;

    const bool full = Shell.FullScreen != 0;
    const std::uint32_t level = full ? (DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT) : DDSCL_NORMAL;
    if (failed(Display.DirectDraw->SetCooperativeLevel(Shell.MainWindow, level))) return Fail(kNoCooperation);

    // Windowed, the picture is shown in the client area, which the entry point opened at a size
    // of its own: it takes the picture's size, before the desktop surface is made around it.
    if (!full && Shell.MainWindow != 0) {
        if (!setClientSize(Shell.MainWindow, width, height)) return Fail(kNoWindowSize);
        Shell.ClientWidth = width;
        Shell.ClientHeight = height;
    }

    if (full && failed(Display.DirectDraw->SetDisplayMode(width, height, Display.ColorDepth))) {
        // A card without 32-bit modes often has 24-bit ones; the depth stays 24 from then on.
        if (Display.ColorDepth != 32) return Fail(kNoMode);
        Display.ColorDepth = 24;
        if (failed(Display.DirectDraw->SetDisplayMode(width, height, Display.ColorDepth))) return Fail(kNoMode);
    }

    SurfaceDesc desc;
    desc.flags = DDSD_CAPS;
    desc.caps = DDSCAPS_PRIMARYSURFACE;
    if (full) {
        desc.flags |= DDSD_BACKBUFFERCOUNT;
        desc.caps |= DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE;
        desc.backBufferCount = 1;
    }
    if (failed(Display.DirectDraw->CreateSurface(&desc, &Display.Front))) {
        Display.Front = nullptr;
        return Fail(kNoFront);
    }

    if (full) {
        if (failed(Display.Front->GetAttachedSurface(DDSCAPS_BACKBUFFER, &Display.Back))) Display.Back = nullptr;
    } else {
        Display.Back = CreateOffscreen(width, height);
    }
    if (Display.Back == nullptr) return Fail(kNoBack);

    if (!CreateWorkSurface(0)) return Fail(kNoBuffer);
    if (!CreateWorkSurface(1)) return Fail(kNoScreen);

    // The other services start here, their results ignored.
    elSound::Init();
    elSound::ClearObjects();
    elSound::InitMidi();
    elSystem::Init();
    AllocFont();
    elJoystick::Init();
    if (Shell.CursorClipMode != 0) elSystem::ClipCursorToScreen();
    return 1;
}

}  // namespace elDraw
