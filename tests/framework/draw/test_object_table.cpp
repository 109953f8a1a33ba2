// The display set-up, the sprite object table and the colour-key helpers on the headless
// backend: slots, names, keys in 16 and 32 bits, reloads after lost surfaces, palettes.
#include <gtest/gtest.h>

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <fstream>

#include "tests/support/bmp_builder.h"
#include "tests/support/display_support.h"
#include "framework/core/texts.h"
#include "framework/draw/bitmap_helpers.h"
#include "framework/draw/blit.h"
#include "framework/system/system_utils.h"
#include "framework/system/wait_timers.h"
#include "platform/headless/headless.h"
#include "platform/video/gdi_bitmap.h"
#include "platform/video/surface.h"

using namespace elDraw;
using platform::ColorKey;

namespace {

constexpr std::uint32_t kGreen = 0x00FF00, kRed = 0xFF0000, kCorner = 0x336699;

// 8 x 4: green with a red pixel at (1, 1), the top-left pixel kCorner (0x00RRGGBB).
std::vector<std::uint8_t> Sheet(std::uint32_t corner = kCorner) {
    std::vector<std::uint32_t> px(32, kGreen);
    px[1 * 8 + 1] = kRed;
    px[0] = corner;
    return testbmp::Rgb24(8, 4, px);
}

std::uint32_t SurfaceKey(int index) {
    ColorKey key;
    if (Objects.Slot[index].Surface->GetColorKey(platform::DDCKEY_SRCBLT, &key) != platform::DD_OK) return 0xDEADBEEF;
    return key.low;
}

std::uint32_t RawOf(std::uint32_t rgb) {
    std::uint32_t colorref = ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
    return platform::colorToPixel(colorref, BackView().format);
}

}  // namespace

TEST(Display, ScreenOpensWindowedAndReleasesWhatItMade) {
    OpenDisplay();
    const int before = platform::liveSurfaceCount();
    ASSERT_EQ(Screen(480, 360), 1) << TakeBoxTexts();
    EXPECT_EQ(TakeBoxTexts(), "");
    EXPECT_EQ(Display.ClipWindow.right, 480);
    EXPECT_EQ(Display.ClipWindow.bottom, 360);
    EXPECT_EQ(Display.Front->width(), 1024) << "windowed, Front is the desktop";
    EXPECT_EQ(Display.Back->width(), 480);
    EXPECT_EQ(platform::liveSurfaceCount(), before + 4);
    for (int slot : {0, 1}) {
        EXPECT_EQ(Objects.Slot[slot].Name[0], '\0') << slot;
        EXPECT_EQ(Objects.Slot[slot].Key, 0u) << slot;
        EXPECT_EQ(SurfaceKey(slot), 0u) << slot;
    }
    EXPECT_EQ(elSystem::Clock.Wait[1], elSystem::WaitIdle) << "the wait timers were started";
    ReleaseScreen();
    EXPECT_EQ(platform::liveSurfaceCount(), before + 2) << "Front and Back go; Buffer and Screen stay in the table";
    EXPECT_EQ(Display.DirectDraw, nullptr);
    EXPECT_EQ(Display.Back, nullptr);
    PutObject(0, 0, 0, 0, 0, 10, 10);   // nothing to draw on: nothing happens
}

TEST(Display, FullScreenModesAndFailures) {
    struct Case {
        const char* name;
        int depth;        // the colour depth asked for
        int refused;      // the depth the backend refuses
        int result;
        int depthAfter;
        const char* box;
    } cases[] = {
        {"16 bits", 16, 0, 1, 16, ""},
        {"32 bits refused, 24 taken for good", 32, 32, 1, 24, ""},
        {"16 bits refused, no retry", 16, 16, 0, 16, "エラー発生|elDraw::Screen : 解像度が変更できません\n"},
    };
    for (const Case& c : cases) {
        OpenDisplay(32, 1, c.refused);
        EXPECT_EQ(Display.ColorDepth, 16) << "the full-screen depth starts at 16";
        if (c.depth == 32) UseTrueColor();
        EXPECT_EQ(Screen(480, 360), c.result) << c.name;
        EXPECT_EQ(Display.ColorDepth, c.depthAfter) << c.name;
        EXPECT_EQ(TakeBoxTexts(), c.box) << c.name;
        if (c.result == 0) continue;
        EXPECT_EQ(Display.Back->format(), c.depthAfter == 16 ? platform::PixelFormat::RGB565 : platform::PixelFormat::RGB888);
        const int live = platform::liveSurfaceCount();
        ReleaseScreen();
        EXPECT_EQ(platform::liveSurfaceCount(), live - 2) << c.name << ": the back buffer goes with Front";
        EXPECT_EQ(Display.Back, nullptr) << c.name;
    }
}

TEST(Display, ErrorsBeforeAndDuringSetUp) {
    OpenDisplay();
    const int beeps = platform::headless::beepCount();
    EXPECT_EQ(ShowError("elSystem::SetWait", "x"), 0);
    EXPECT_EQ(TakeBoxTexts(), "エラー発生|elSystem::SetWait : x\n") << "no display needed for the box";
    EXPECT_EQ(platform::headless::beepCount(), beeps + 1) << "the box comes with a beep";
    EXPECT_EQ(Screen(0, 360), 0);
    EXPECT_EQ(TakeBoxTexts(), "エラー発生|elDraw::Screen : 画面サイズが範囲外です\n");
    EXPECT_EQ(platform::headless::beepCount(), beeps + 2);
    // In English the caption and the framework's message are English; the operation stays.
    ASSERT_TRUE(quorbix::SetLanguage("en"));
    EXPECT_EQ(Screen(0, 360), 0);
    EXPECT_EQ(elSystem::SetWait(99, 10), 0);
    quorbix::SetLanguage("ja");
    EXPECT_EQ(TakeBoxTexts(),
              "Error|elDraw::Screen : The screen size is out of range\n"
              "Error|elSystem::SetWait : The wait number is out of range\n");
}

TEST(ObjectTable, SlotsNamesAndFailedLoads) {
    OpenDisplay();
    ASSERT_EQ(Screen(480, 360), 1);
    testbmp::Resources res;
    const std::string thirty(30, 'N'), thirtyOne(31, 'N');
    res.Add("SHEET", Sheet());
    res.Add(thirty, Sheet());
    EXPECT_EQ(LoadObject("SHEET"), 2);
    EXPECT_EQ(LoadObject(thirty.c_str()), 3) << "30 characters are accepted";
    EXPECT_EQ(LoadObject(thirtyOne.c_str()), 0);
    EXPECT_EQ(TakeBoxTexts(), "エラー発生|elDraw::LoadObject : ファイル名またはリソース名が長すぎます\n");
    EXPECT_EQ(LoadObject("MISSING"), 0);
    EXPECT_EQ(TakeBoxTexts(), "エラー発生|elDraw::LoadObject : BMPファイルを読み込めません\n");
    EXPECT_STREQ(Objects.Slot[4].Name, "MISSING") << "a failed load keeps its slot";
    ReleaseObject(4);
    EXPECT_STREQ(Objects.Slot[4].Name, "MISSING") << "no surface: nothing to release";
    EXPECT_EQ(CreateObject(), 5);
    EXPECT_STREQ(Objects.Slot[5].Name, "*");
    ReleaseObject(2);
    EXPECT_EQ(LoadObject("SHEET"), 2) << "the lowest free slot again";
    EXPECT_EQ(NamedObjectCount(), 4);
    EXPECT_EQ(SwapObject(thirtyOne.c_str(), 2), 0);
    EXPECT_STREQ(Objects.Slot[2].Name, "SHEET") << "a refused swap leaves the slot alone";
    TakeBoxTexts();

    // Fill the table: 1022 slots from 2 to 1023, then no more.
    for (int i = 0; i < kObjectCount; ++i) ReleaseObject(i);
    for (int i = 2; i < kObjectCount; ++i) Objects.Slot[i] = DrawObject{};
    for (int i = 2; i < kObjectCount; ++i) ASSERT_EQ(LoadObject("SHEET"), i);
    EXPECT_EQ(LoadObject("SHEET"), 0);
    EXPECT_EQ(CreateObject(), 0);
    EXPECT_EQ(TakeBoxTexts(), "エラー発生|elDraw::LoadObject : オブジェクト数が多すぎます\n"
                              "エラー発生|elDraw::CreateObject : オブジェクト数が多すぎます\n");
}

TEST(ObjectTable, AFileBesideTheExecutableWinsOverTheResource) {
    OpenDisplay();
    ASSERT_EQ(Screen(480, 360), 1);
    testbmp::Resources res;
    const std::string name = "qrb-test-" + std::to_string(getpid()) + ".bmp";
    res.Add(name, Sheet(0x0000FF));
    const std::string path = std::string(elSystem::GetExeDir()) + name;
    {
        auto file = Sheet(0xFF00FF);
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    }
    int k = LoadObject(name.c_str());
    std::remove(path.c_str());
    ASSERT_EQ(k, 2);
    PutObjectOpaque(0, 0, k, 0, 0, 1, 1);
    EXPECT_EQ(BackRgb(0, 0), 0xFF00FFu);
}

TEST(ObjectTable, KeysFromColoursAndFromTheTopLeftPixel) {
    for (int depth : {16, 32}) {
        OpenDisplay(depth);
        ASSERT_EQ(Screen(480, 360), 1);
        testbmp::Resources res;
        res.Add("SHEET", Sheet());
        res.Add("OTHER", Sheet(0xFFFFFF));
        SetDefaultKey(kGreen);
        int k = LoadObject("SHEET");
        EXPECT_EQ(Objects.Slot[k].Key, kGreen);
        EXPECT_EQ(SurfaceKey(k), depth == 16 ? 0x07E0u : 0x00FF00u) << depth << " bits";
        FillWhite();
        PutObject(10, 10, k, 0, 0, 8, 4);
        EXPECT_EQ(BackRgb(12, 11), 0xFFFFFFu) << depth << ": green is transparent";
        EXPECT_EQ(BackRgb(11, 11), kRed) << depth;

        // Corner keys come from the picture itself, on the resource way and through a swap.
        UseCornerKey();
        int c = LoadObject("SHEET");
        EXPECT_EQ(Objects.Slot[c].Key, CornerKey);
        EXPECT_EQ(SurfaceKey(c), RawOf(kCorner)) << depth;
        ASSERT_EQ(SwapObject("OTHER", c), 1);
        EXPECT_EQ(SurfaceKey(c), RawOf(0xFFFFFF)) << depth;

        // Matching a colour leaves the surface as it was.
        platform::Surface* s = Objects.Slot[k].Surface;
        EXPECT_EQ(MatchSurfaceColor(s, kGreen), depth == 16 ? 0x07E0u : 0x00FF00u);
        EXPECT_EQ(MatchSurfaceColor(s, CornerKey), RawOf(kCorner));
        EXPECT_EQ(platform::readPixel(s->view(), 0, 0), RawOf(kCorner)) << depth << ": top-left restored";

        SetObjectKey(k, 0x0000FF);   // a COLORREF: red
        EXPECT_EQ(SurfaceKey(k), RawOf(kRed));
        SetObjectCornerKey(k);
        EXPECT_EQ(Objects.Slot[k].Key, CornerKey);
        CopyObjectKey(c, k);
        EXPECT_EQ(SurfaceKey(c), RawOf(kCorner));
        EXPECT_EQ(Objects.Slot[c].Key, CornerKey) << "the stored key of the destination is not changed";
        EXPECT_EQ(TakeBoxTexts(), "");
    }
}

TEST(ObjectTable, RestoreAfterLostSurfacesReloadsEveryBitmapWithItsKey) {
    OpenDisplay();
    ASSERT_EQ(Screen(480, 360), 1);
    testbmp::Resources res;
    res.Add("SHEET", Sheet());
    SetDefaultKey(kGreen);
    int a = LoadObject("SHEET");
    UseCornerKey();
    int b = LoadObject("SHEET");
    SetDefaultKey(0x0000FF);
    int blank = CreateObject();
    platform::loseAllSurfaces();
    PutObject(0, 0, a, 0, 0, 8, 4);   // meets the lost surfaces and restores everything
    EXPECT_EQ(Display.Back->IsLost(), platform::DD_OK) << "Back is restored too";
    EXPECT_EQ(Objects.Slot[1].Surface->IsLost(), platform::DD_OK) << "and Screen";
    EXPECT_EQ(Objects.Slot[a].Key, kGreen);
    EXPECT_EQ(SurfaceKey(a), 0x00FF00u);
    EXPECT_EQ(SurfaceKey(b), RawOf(kCorner));
    EXPECT_EQ(Objects.Slot[blank].Surface->IsLost(), platform::DD_OK);
    EXPECT_EQ(Objects.DefaultKey, CornerKey) << "the key of the last bitmap reloaded";
    EXPECT_EQ(Objects.CornerKeyMode, 0);
    FillWhite();
    PutObject(20, 20, a, 0, 0, 8, 4);
    EXPECT_EQ(BackRgb(21, 21), kRed) << "drawing works again";
    EXPECT_EQ(BackRgb(22, 21), 0xFFFFFFu);
    EXPECT_EQ(TakeBoxTexts(), "");
}

TEST(ObjectTable, IndicesOutsideTheTableAreIgnored) {
    OpenDisplay();
    ASSERT_EQ(Screen(480, 360), 1);
    testbmp::Resources res;
    res.Add("SHEET", Sheet());
    int k = LoadObject("SHEET");
    FillWhite();
    for (int bad : {-1, kObjectCount, INT_MIN, INT_MAX}) {
        PutObject(0, 0, bad, 0, 0, 8, 4);
        PutObjectOpaque(0, 0, bad, 0, 0, 8, 4);
        StretchObject(0, 0, bad, 0, 0, 8, 4, 16, 8);
        GrabObject(bad, 0, 0, 8, 4);
        ReleaseObject(bad);
        SetObjectKey(bad, 0);
        SetObjectCornerKey(bad);
        CopyObjectKey(bad, k);
        CopyObjectKey(k, bad);
        EXPECT_EQ(SwapObject("SHEET", bad), 0);
    }
    EXPECT_EQ(BackRgb(0, 0), 0xFFFFFFu);
    EXPECT_EQ(BackRgb(15, 7), 0xFFFFFFu);
    EXPECT_EQ(TakeBoxTexts(), "");
}

TEST(BitmapHelpers, PalettesFromResourcesAndFiles) {
    OpenDisplay();
    ASSERT_EQ(Screen(480, 360), 1);
    auto rgb = [](const platform::PaletteEntry& e) { return (e.red << 16) | (e.green << 8) | e.blue; };
    platform::Palette* p = LoadBitmapPalette(Display.DirectDraw, nullptr);
    ASSERT_NE(p, nullptr);
    struct { int i; std::uint32_t want; } defaults[] = {
        {0, 0x000000}, {3, 0x0000FF}, {28, 0x00FF00}, {146, 0x9191AA}, {224, 0xFF0000}, {255, 0xFFFFFF}};
    for (auto d : defaults) EXPECT_EQ(rgb(p->entries[d.i]), d.want) << "default entry " << d.i;
    p->Release();

    // A resource that claims 300 colours but holds four: four are taken, the rest stay default.
    testbmp::BmpLayout s;
    s.width = 2;
    s.bpp = 8;
    s.colorsUsed = 300;
    s.palette = {0x112233, 0x445566, 0x778899, 0xAABBCC};
    testbmp::Resources res;
    res.Add("PAL", testbmp::File(s, {}));
    p = LoadBitmapPalette(Display.DirectDraw, "PAL");
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(rgb(p->entries[3]), 0xAABBCCu);
    EXPECT_EQ(rgb(p->entries[4]), 0x002400u) << "beyond the resource: default";
    EXPECT_EQ(rgb(p->entries[255]), 0xFFFFFFu);
    p->Release();

    // A file with three colours: the rest keep the default table, not the bytes that follow.
    s.colorsUsed = 3;
    s.bpp = 4;
    s.palette = {0x010203, 0x040506, 0x070809};
    const std::string path = "/tmp/qrb-palette-" + std::to_string(getpid()) + ".bmp";
    auto file = testbmp::File(s, std::vector<std::uint8_t>(64, 0xEE));
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    p = LoadBitmapPalette(Display.DirectDraw, path.c_str());
    std::remove(path.c_str());
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(rgb(p->entries[2]), 0x070809u);
    EXPECT_EQ(rgb(p->entries[3]), 0x0000FFu) << "beyond the file's colours: default";
    p->Release();
}

TEST(BitmapHelpers, BitmapsIntoNewAndExistingSurfaces) {
    OpenDisplay();
    ASSERT_EQ(Screen(480, 360), 1);
    testbmp::Resources res;
    res.Add("SHEET", Sheet());
    res.Add("WHITE", Sheet(0xFFFFFF));
    platform::DirectDraw* dd = Display.DirectDraw;
    auto pixel = [](platform::Surface* s, int x, int y) { return platform::readPixel(s->view(), x, y); };

    // Size 0 x 0: a surface of the bitmap's own size, nothing stretched; a size given scales it.
    platform::Surface* s = LoadBitmapSurface(dd, "SHEET", 0, 0);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->width(), 8);
    EXPECT_EQ(s->height(), 4);
    EXPECT_EQ(pixel(s, 0, 0), RawOf(kCorner));
    EXPECT_EQ(pixel(s, 1, 1), RawOf(kRed));
    EXPECT_EQ(pixel(s, 2, 1), RawOf(kGreen));
    platform::Surface* big = LoadBitmapSurface(dd, "SHEET", 16, 8);
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(big->width(), 16);
    EXPECT_EQ(pixel(big, 3, 3), RawOf(kRed)) << "(1, 1) doubled";
    big->Release();
    EXPECT_EQ(LoadBitmapSurface(dd, "NONE", 0, 0), nullptr);
    EXPECT_EQ(LoadBitmapSurface(nullptr, "SHEET", 0, 0), nullptr);

    // A reload copies the named bitmap over the surface; with no such bitmap the surface stays.
    EXPECT_EQ(ReloadBitmap(s, "WHITE"), platform::DD_OK);
    EXPECT_EQ(pixel(s, 0, 0), RawOf(0xFFFFFF));
    EXPECT_EQ(pixel(s, 1, 1), RawOf(kRed));
    EXPECT_EQ(ReloadBitmap(s, "NONE"), platform::E_FAIL);
    EXPECT_EQ(pixel(s, 0, 0), RawOf(0xFFFFFF));

    // A rectangle of the bitmap is stretched over the whole surface: here its one red pixel.
    platform::HGDIOBJ bitmap = platform::loadImage(platform::getModuleHandle(), "SHEET", platform::IMAGE_BITMAP,
                                                   0, 0, platform::LR_CREATEDIBSECTION);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(CopyBitmapToSurface(s, bitmap, 1, 1, 1, 1), platform::DD_OK);
    EXPECT_EQ(pixel(s, 0, 0), RawOf(kRed));
    EXPECT_EQ(pixel(s, 7, 3), RawOf(kRed));
    EXPECT_EQ(CopyBitmapToSurface(nullptr, bitmap, 0, 0, 0, 0), platform::E_FAIL);
    EXPECT_EQ(CopyBitmapToSurface(s, nullptr, 0, 0, 0, 0), platform::E_FAIL);
    platform::deleteObject(bitmap);
    s->Release();
    EXPECT_EQ(TakeBoxTexts(), "") << "the helpers never show a box";
}

TEST(ObjectTable, ExecutableDirectoryTooLongForThePath) {
    // Run from a long directory by the test object_loader_long_directory; elsewhere it has
    // nothing to show.
    const std::size_t dirLength = std::strlen(elSystem::GetExeDir());
    if (dirLength + kMaxObjectName < static_cast<std::size_t>(kPathSize)) GTEST_SKIP() << "directory of " << dirLength;
    OpenDisplay();
    ASSERT_EQ(Screen(480, 360), 1);
    testbmp::Resources res;
    const std::string name(kMaxObjectName, 'L');
    res.Add(name, Sheet());
    EXPECT_EQ(LoadObject(name.c_str()), 2) << "the resource is still found";
    EXPECT_EQ(SwapObject(name.c_str(), 2), 1);
    EXPECT_EQ(TakeBoxTexts(), "");
}
