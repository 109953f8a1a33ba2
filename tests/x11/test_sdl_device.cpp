// The game on the real SDL backend in this process, under a private X server: a renderer reset in
// the middle of play loses every surface, and the game restores every object (its bitmaps loaded
// again) and plays on.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "framework/draw/display.h"
#include "framework/draw/object_table.h"
#include "framework/core/app_state.h"
#include "framework/shell/frame_loop.h"
#include "game/game_state.h"
#include "game/scenes.h"
#include "platform/window/window.h"
#include "x_session.h"

namespace {

struct ResetRun {
    int frames = 0;
    std::vector<std::uint32_t> sheetBefore;
    int namedBefore = 0;
    int lostAtEnd = -1;           // surfaces still lost a few frames after the reset
    bool sheetSame = false;
    int namedAfter = 0;
    int sceneAtReset = 0;
    int sceneAtEnd = 0;
};
ResetRun run;

std::vector<std::uint32_t> Pixels(platform::Surface* surface) {
    std::vector<std::uint32_t> out;
    if (surface == nullptr) return out;
    const platform::PixelView v = surface->view();
    for (int y = 0; y < v.height; ++y) {
        const std::uint8_t* row = v.pixels + static_cast<std::ptrdiff_t>(y) * v.pitch;
        out.insert(out.end(), reinterpret_cast<const std::uint32_t*>(row),
                   reinterpret_cast<const std::uint32_t*>(row) + v.width);
    }
    return out;
}

int LostSurfaces() {
    int lost = 0;
    for (const elDraw::DrawObject& slot : elDraw::Objects.Slot)
        if (slot.Surface != nullptr && slot.Surface->IsLost() != platform::DD_OK) ++lost;
    for (platform::Surface* s : {elDraw::Display.Front, elDraw::Display.Back})
        if (s != nullptr && s->IsLost() != platform::DD_OK) ++lost;
    return lost;
}

void OnFrame(bool quit) {
    if (quit) return;
    ++run.frames;
    const platform::WindowId window = Shell.MainWindow;
    if (run.frames == 3) {
        // A left click starts a game.
        platform::postMessage(window, platform::WM_LBUTTONDOWN, 0, platform::makePosition(240, 180));
        platform::postMessage(window, platform::WM_LBUTTONUP, 0, platform::makePosition(240, 180));
    } else if (run.frames == 12) {
        run.sheetBefore = Pixels(elDraw::Objects.Slot[Game.SheetObject].Surface);
        run.namedBefore = elDraw::NamedObjectCount();
        run.sceneAtReset = Shell.SceneId;
        // A mark on the sheet that only reloading the bitmap takes away.
        platform::Surface* sheet = elDraw::Objects.Slot[Game.SheetObject].Surface;
        if (sheet != nullptr) reinterpret_cast<std::uint32_t*>(sheet->view().pixels)[0] ^= 0x00FFFFFFu;
        SDL_Event e{};
        e.type = SDL_RENDER_TARGETS_RESET;
        SDL_PushEvent(&e);
    } else if (run.frames == 18) {
        run.lostAtEnd = LostSurfaces();
        run.sheetSame = Pixels(elDraw::Objects.Slot[Game.SheetObject].Surface) == run.sheetBefore;
        run.namedAfter = elDraw::NamedObjectCount();
        run.sceneAtEnd = Shell.SceneId;
        platform::postMessage(window, platform::WM_KEYDOWN, 27, 1);   // Escape ends the program
    }
}

}  // namespace

TEST(SdlDevice, ARendererResetInPlayRestoresEveryObject) {
    XSession x;
    std::string why;
    if (!x.Start(why)) GTEST_SKIP() << "no X server: " << why;
    setenv("DISPLAY", x.DisplayName().c_str(), 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    UseProgram(GameProgram());
    ResetProgramState();
    SetFrameObserver(OnFrame);
    WinMain("", platform::SW_SHOWNORMAL);
    SetFrameObserver(nullptr);

    ASSERT_GE(run.frames, 18) << "the game ended early";
    EXPECT_EQ(run.sceneAtReset, kScenePlay) << "the reset should come in the middle of play";
    EXPECT_EQ(run.lostAtEnd, 0) << "surfaces still lost after the restore";
    EXPECT_TRUE(run.sheetSame) << "the sprite sheet was not loaded again (it keeps the mark made before the reset)";
    EXPECT_EQ(run.namedAfter, run.namedBefore);
    EXPECT_EQ(run.sceneAtEnd, kScenePlay) << "play goes on";
}
