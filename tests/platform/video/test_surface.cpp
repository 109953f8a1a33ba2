// Display surfaces: rectangles are checked before any pixel moves, the vector blitters agree
// with the plain loops to the bit, and lost surfaces refuse work until restored.
#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <vector>

#include "platform/video/blit.h"
#include "platform/video/surface.h"
#include "tests/support/test_support.h"

using namespace platform;

namespace {

// A display object on the headless desktop at the given depth, and the surfaces made on it.
class TestDisplay {
public:
    explicit TestDisplay(int depth = 32) {
        platform::headless::Config cfg;
        cfg.colorDepth = depth;
        platform::headless::configure(cfg);
        ResetProgramState();
        directDrawCreate(nullptr, &dd_);
        dd_->SetCooperativeLevel(0, DDSCL_NORMAL);
    }
    ~TestDisplay() {
        for (Surface* s : made_) s->Release();
        dd_->Release();
    }
    Surface* Make(int w, int h) {
        SurfaceDesc d;
        d.flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        d.caps = DDSCAPS_OFFSCREENPLAIN;
        d.width = w;
        d.height = h;
        Surface* s = nullptr;
        EXPECT_EQ(dd_->CreateSurface(&d, &s), DD_OK);
        made_.push_back(s);
        return s;
    }
    DirectDraw* dd() { return dd_; }

private:
    DirectDraw* dd_ = nullptr;
    std::vector<Surface*> made_;
};

// Fills a surface with distinct values, so that any stray write shows.
void Pattern(Surface* s, std::uint32_t seed) {
    PixelView v = s->view();
    for (int y = 0; y < v.height; ++y)
        for (int x = 0; x < v.width; ++x) writePixel(v, x, y, (seed + 7919u * (y * v.width + x)) & colorBits(v.format));
}

std::vector<std::uint32_t> Pixels(Surface* s) {
    std::vector<std::uint32_t> out;
    PixelView v = s->view();
    for (int y = 0; y < v.height; ++y)
        for (int x = 0; x < v.width; ++x) out.push_back(readPixel(v, x, y));
    return out;
}

}  // namespace

TEST(Surface, BlitRectanglesOutsideEitherSurfaceChangeNothing) {
    TestDisplay d;
    Surface* dst = d.Make(40, 30);
    Surface* src = d.Make(20, 10);
    Pattern(src, 1);
    struct Case {
        const char* name;
        int x, y;
        Rect r;
        HResult want;
    } cases[] = {
        {"inside", 5, 5, {0, 0, 20, 10}, DD_OK},
        {"touching the far corner", 20, 20, {0, 0, 20, 10}, DD_OK},
        {"empty rectangle", 5, 5, {3, 3, 3, 8}, DD_OK},
        {"source past its right edge", 0, 0, {10, 0, 21, 10}, DDERR_INVALIDRECT},
        {"source above its top", 0, 0, {0, -1, 5, 5}, DDERR_INVALIDRECT},
        {"source turned inside out", 0, 0, {8, 0, 4, 5}, DDERR_INVALIDRECT},
        {"destination past the right", 21, 0, {0, 0, 20, 10}, DDERR_INVALIDRECT},
        {"destination past the bottom", 0, 21, {0, 0, 20, 10}, DDERR_INVALIDRECT},
        {"destination left of the surface", -1, 0, {0, 0, 20, 10}, DDERR_INVALIDRECT},
        {"destination at the end of int", INT_MAX, INT_MAX, {0, 0, 20, 10}, DDERR_INVALIDRECT},
    };
    for (const Case& c : cases) {
        for (std::uint32_t flags : {DDBLTFAST_WAIT, DDBLTFAST_WAIT | DDBLTFAST_SRCCOLORKEY}) {
            Pattern(dst, 2);
            auto before = Pixels(dst);
            HResult got = dst->BltFast(c.x, c.y, src, &c.r, flags);
            EXPECT_EQ(got, c.want) << c.name;
            if (c.want != DD_OK || c.r.right == c.r.left) {
                EXPECT_EQ(Pixels(dst), before) << c.name << ": pixels changed";
            }
        }
    }
    Rect outside{30, 20, 41, 30};
    BltFx fx;
    Pattern(dst, 3);
    auto before = Pixels(dst);
    EXPECT_EQ(dst->Blt(&outside, nullptr, nullptr, DDBLT_COLORFILL, &fx), DDERR_INVALIDRECT);
    EXPECT_EQ(Pixels(dst), before) << "a fill past the edge";
}

TEST(Surface, VectorKeyedCopyEqualsThePlainLoopInEveryFormat) {
    std::mt19937 rng(12345);
    for (const char* path : {"avx512", "avx2", "sse2", "neon"}) {
        if (!forceBlitPath(path)) continue;   // this processor has not got it
        for (PixelFormat f : {PixelFormat::RGB565, PixelFormat::RGB888, PixelFormat::XRGB8888}) {
            const int bpp = bytesPerPixel(f);
            const int W = 80, H = 6;
            std::vector<std::uint8_t> src(W * H * bpp), dst(W * H * bpp);
            PixelView sv{src.data(), W, H, W * bpp, f};
            for (int w = 1; w <= 70; ++w) {
                const std::uint32_t key = rng() & colorBits(f);
                for (int y = 0; y < H; ++y)
                    for (int x = 0; x < W; ++x) writePixel(sv, x, y, (rng() & 1) ? key : (rng() & colorBits(f)));
                if (f == PixelFormat::XRGB8888)   // a fourth byte that is not zero is not colour either
                    for (std::size_t i = 3; i < src.size(); i += 4) src[i] = static_cast<std::uint8_t>(rng());
                for (auto& b : dst) b = static_cast<std::uint8_t>(rng());
                std::vector<std::uint8_t> ref = dst;
                PixelView dv{dst.data(), W, H, W * bpp, f}, rv{ref.data(), W, H, W * bpp, f};
                const int dx = static_cast<int>(rng() % (W - w + 1)), sx = static_cast<int>(rng() % (W - w + 1));
                blitKeyed(dv, dx, 1, sv, sx, 0, w, H - 2, key);
                blitKeyedScalar(rv, dx, 1, sv, sx, 0, w, H - 2, key);
                ASSERT_EQ(dst, ref) << "format " << bpp * 8 << " bits, width " << w << " (" << blitPath() << ")";
            }
        }
    }
    forceBlitPath(nullptr);
}

TEST(Surface, BlitsWithinOneSurfaceReadBeforeTheyWrite) {
    TestDisplay d;
    Surface* s = d.Make(24, 16);
    s->SetColorKey(DDCKEY_SRCBLT, nullptr);
    ColorKey key{0x123456, 0x123456};
    for (int dir : {1, -1}) {
        for (bool keyed : {false, true}) {
            Pattern(s, 9);
            PixelView v = s->view();
            for (int x = 0; x < 24; x += 3) writePixel(v, x, 6, key.low);   // some key pixels
            auto before = Pixels(s);
            s->SetColorKey(DDCKEY_SRCBLT, keyed ? &key : nullptr);
            Rect r{4, 4, 16, 12};
            ASSERT_EQ(s->BltFast(4 + 3 * dir, 4 + 2 * dir, s, &r, keyed ? DDBLTFAST_SRCCOLORKEY : 0), DD_OK);
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 24; ++x) {
                    int sx = x - 3 * dir, sy = y - 2 * dir;
                    std::uint32_t want = before[y * 24 + x];
                    bool covered = sx >= 4 && sx < 16 && sy >= 4 && sy < 12;
                    if (covered && !(keyed && before[sy * 24 + sx] == key.low)) want = before[sy * 24 + sx];
                    ASSERT_EQ(readPixel(v, x, y), want) << "dir " << dir << " keyed " << keyed << " at " << x << "," << y;
                }
        }
    }
}

TEST(Surface, FillsUseTheFormatsBits) {
    struct Case { int depth; std::uint32_t white; } cases[] = {{16, 0xFFFF}, {24, 0xFFFFFF}, {32, 0xFFFFFF}};
    for (const Case& c : cases) {
        TestDisplay d(c.depth);
        Surface* s = d.Make(9, 5);
        Pattern(s, 4);
        auto before = Pixels(s);
        BltFx fx;
        fx.fillColor = 0xFFFFFF;
        Rect r{2, 1, 7, 4};
        ASSERT_EQ(s->Blt(&r, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
        auto after = Pixels(s);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 9; ++x) {
                bool in = x >= 2 && x < 7 && y >= 1 && y < 4;
                EXPECT_EQ(after[y * 9 + x], in ? c.white : before[y * 9 + x]) << c.depth << " bits at " << x << "," << y;
            }
    }
}

TEST(Surface, LostSurfacesRefuseWorkUntilRestored) {
    TestDisplay d(16);
    Surface* a = d.Make(8, 8);
    Surface* b = d.Make(8, 8);
    ColorKey key{0x07E0, 0x07E0};
    a->SetColorKey(DDCKEY_SRCBLT, &key);
    Pattern(a, 5);
    loseAllSurfaces();
    SurfaceDesc desc;
    HDC dc = nullptr;
    BltFx fx;
    EXPECT_EQ(a->IsLost(), DDERR_SURFACELOST);
    EXPECT_EQ(b->BltFast(0, 0, a, nullptr, 0), DDERR_SURFACELOST);
    EXPECT_EQ(b->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx), DDERR_SURFACELOST);
    EXPECT_EQ(a->Lock(nullptr, &desc, 0), DDERR_SURFACELOST);
    EXPECT_EQ(a->GetDC(&dc), DDERR_SURFACELOST);
    EXPECT_EQ(a->Restore(), DD_OK);
    EXPECT_EQ(b->BltFast(0, 0, a, nullptr, 0), DDERR_SURFACELOST) << "b is still lost";
    b->Restore();
    EXPECT_EQ(b->BltFast(0, 0, a, nullptr, 0), DD_OK);
    // Size, format and key survive; the picture does not.
    ColorKey got;
    EXPECT_EQ(a->GetColorKey(DDCKEY_SRCBLT, &got), DD_OK);
    EXPECT_EQ(got.low, 0x07E0u);
    EXPECT_EQ(a->width(), 8);
    EXPECT_EQ(a->format(), PixelFormat::RGB565);
    EXPECT_EQ(Pixels(a), std::vector<std::uint32_t>(64, 0u));
}

TEST(Surface, LocksContextsAndFlipChains) {
    TestDisplay d;
    Surface* s = d.Make(6, 4);
    HDC dc = nullptr, second = nullptr;
    ASSERT_EQ(s->GetDC(&dc), DD_OK);
    EXPECT_EQ(dc->view.pixels, s->view().pixels);
    EXPECT_EQ(s->GetDC(&second), DDERR_DCALREADYCREATED);
    EXPECT_EQ(s->ReleaseDC(nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(s->ReleaseDC(dc), DD_OK);
    SurfaceDesc desc;
    Rect r{2, 1, 7, 3};
    EXPECT_EQ(s->Lock(&r, &desc, 0), DDERR_INVALIDRECT);
    EXPECT_EQ(s->Unlock(nullptr), DDERR_NOTLOCKED);
    r.right = 6;
    ASSERT_EQ(s->Lock(&r, &desc, 0), DD_OK);
    EXPECT_EQ(desc.surface, s->view().pixels + s->view().pitch + 2 * 4);
    EXPECT_EQ(s->Unlock(nullptr), DD_OK);
    EXPECT_EQ(s->Flip(nullptr, DDFLIP_WAIT), DDERR_NOTFLIPPABLE);

    // A flip chain needs exclusive full-screen mode; a second primary is refused.
    SurfaceDesc chain;
    chain.flags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    chain.caps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    chain.backBufferCount = 1;
    Surface* front = nullptr;
    EXPECT_EQ(d.dd()->CreateSurface(&chain, &front), DDERR_NOEXCLUSIVEMODE);
    SurfaceDesc plain;
    plain.flags = DDSD_CAPS;
    plain.caps = DDSCAPS_PRIMARYSURFACE;
    ASSERT_EQ(d.dd()->CreateSurface(&plain, &front), DD_OK);
    Surface* again = nullptr;
    EXPECT_EQ(d.dd()->CreateSurface(&plain, &again), DDERR_PRIMARYSURFACEALREADYEXISTS);
    EXPECT_EQ(front->width(), 1024) << "the primary is the desktop";
    front->Release();
}
