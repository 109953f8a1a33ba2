// bench-blit: sprites per second of elDraw::PutObject (colour-keyed), PutObjectOpaque and
// FillBlack on the 480 x 360 32-bit Back, against SDL_BlitSurface (with and without RLE) and
// SDL_FillRect on identical SDL surfaces, and memcpy / memset of the same bytes (the limit);
// and of the turned put (PutObjectRotated, unturned and at 30 degrees) against PutObject.
// Prints "ratio NAME VALUE": our speed divided by the reference's (higher is better).
// After the timing each side draws one batch more, untimed, on a cleared target: every side must
// change the picture, and give the same pixels as the others of its group.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include "bench/bench_util.h"
#include "bench/best_runs.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "framework/core/app_state.h"
#include "framework/draw/blit.h"
#include "framework/draw/display.h"
#include "framework/draw/object_table.h"
#include "platform/video/blit.h"
#include "platform/headless/headless.h"
#include "platform/video/pixels.h"
#include "platform/files/bmp_writer.h"
#include "platform/files/resources.h"

namespace {

constexpr int kSprite = 47;
constexpr int kBatch = 256;          // sprites per benchmark iteration
constexpr int kPositions = 4096;

struct Sprite {
    int x, y, ball;
};

struct Setup {
    std::vector<std::uint8_t> bmp;
    platform::ResourceEntry resource{};
    int sheet = 0;
    std::vector<Sprite> sprites;
    SDL_Surface* sdlBack = nullptr;
    SDL_Surface* sdlKeyed = nullptr;
    SDL_Surface* sdlRle = nullptr;
    SDL_Surface* sdlOpaque = nullptr;
};
Setup S;

// The sprite sheet: four shaded balls of 47 x 47, 48 pixels apart, on pure green; a 32-bit BMP.
std::vector<std::uint8_t> SheetBmp() {
    const int w = 192, h = 48;
    platform::BmpInfo info;
    info.width = w;
    info.height = -h;
    info.bitsPerPixel = 32;
    std::vector<std::uint8_t> b;
    platform::putBmpFileHeader(b, 54 + w * h * 4, 54);
    platform::putBmpInfoHeader(b, info);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int dx = x % 48 - 23, dy = y - 23;
            std::uint32_t c = 0x00FF00;
            if (x % 48 < kSprite && y < kSprite && dx * dx + dy * dy <= 23 * 23) {
                int shade = std::max(0, 200 - (dx + dy + 46) * 2);
                c = (static_cast<std::uint32_t>(shade / 2 + 40 * (x / 48)) << 16) | (static_cast<std::uint32_t>(shade / 3) << 8) | 0xC0;
            }
            platform::putLe32(b, c);
        }
    return b;
}

SDL_Surface* SdlCopyOfSheet() {
    const platform::PixelView v = elDraw::Objects.Slot[S.sheet].Surface->view();
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, v.width, v.height, 32, SDL_PIXELFORMAT_RGB888);
    for (int y = 0; y < v.height; ++y)
        std::memcpy(static_cast<std::uint8_t*>(s->pixels) + y * s->pitch, v.pixels + y * v.pitch, v.width * 4u);
    return s;
}

bool SetUp() {
    platform::headless::configure(platform::headless::Config{});
    ResetProgramState();
    Shell.FullScreen = 0;   // windowed, as the game runs
    if (elDraw::Screen(480, 360) != 1) {
        for (const auto& box : platform::headless::takeBoxes()) std::fprintf(stderr, "bench-blit: %s\n", box.text.c_str());
        return false;
    }
    S.bmp = SheetBmp();
    S.resource = platform::ResourceEntry{"BALLS", "BITMAP", S.bmp.data(), S.bmp.size()};
    platform::setExtraResources(&S.resource, 1);
    elDraw::SetDefaultKey(0x00FF00);
    S.sheet = elDraw::LoadObject("BALLS");
    if (S.sheet == 0) {
        std::fprintf(stderr, "bench-blit: the sprite sheet did not load\n");
        return false;
    }
    // Random places, some of them cut by the edges, as balls flying off the screen are.
    std::mt19937 rng(1);
    for (int i = 0; i < kPositions; ++i)
        S.sprites.push_back(Sprite{static_cast<int>(rng() % (480 + kSprite)) - kSprite / 2,
                                   static_cast<int>(rng() % (360 + kSprite)) - kSprite / 2, static_cast<int>(rng() % 4)});
    S.sdlBack = SDL_CreateRGBSurfaceWithFormat(0, 480, 360, 32, SDL_PIXELFORMAT_RGB888);
    S.sdlKeyed = SdlCopyOfSheet();
    S.sdlRle = SdlCopyOfSheet();
    S.sdlOpaque = SdlCopyOfSheet();
    const Uint32 green = SDL_MapRGB(S.sdlKeyed->format, 0, 255, 0);
    SDL_SetColorKey(S.sdlKeyed, SDL_TRUE, green);
    SDL_SetColorKey(S.sdlRle, SDL_TRUE, green);
    SDL_SetSurfaceRLE(S.sdlRle, 1);
    SDL_SetSurfaceBlendMode(S.sdlOpaque, SDL_BLENDMODE_NONE);
    return true;
}

template <typename Draw>
void Sprites(benchmark::State& state, Draw draw) {
    std::size_t i = 0;
    for (auto _ : state) {
        for (int n = 0; n < kBatch; ++n) draw(S.sprites[i++ & (kPositions - 1)]);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
}

void SdlBlit(SDL_Surface* sheet, const Sprite& s) {
    SDL_Rect src{48 * s.ball, 0, kSprite, kSprite}, dst{s.x, s.y, kSprite, kSprite};
    SDL_BlitSurface(sheet, &src, S.sdlBack, &dst);
}

// The same rows copied with memcpy, cut at the edges the same way.
void MemcpyBlit(const Sprite& s) {
    const int x0 = std::max(0, s.x), y0 = std::max(0, s.y);
    const int x1 = std::min(480, s.x + kSprite), y1 = std::min(360, s.y + kSprite);
    if (x1 <= x0 || y1 <= y0) return;
    const platform::PixelView v = elDraw::Objects.Slot[S.sheet].Surface->view();
    for (int y = y0; y < y1; ++y)
        std::memcpy(static_cast<std::uint8_t*>(S.sdlBack->pixels) + y * S.sdlBack->pitch + x0 * 4,
                    v.pixels + (y - s.y) * v.pitch + (48 * s.ball + x0 - s.x) * 4, static_cast<std::size_t>(x1 - x0) * 4);
}

void OursKeyed(benchmark::State& st) {
    Sprites(st, [](const Sprite& s) { elDraw::PutObject(s.x, s.y, S.sheet, 48 * s.ball, 0, 48 * s.ball + kSprite, kSprite); });
}
void SdlKeyed(benchmark::State& st) { Sprites(st, [](const Sprite& s) { SdlBlit(S.sdlKeyed, s); }); }
void SdlKeyedRle(benchmark::State& st) { Sprites(st, [](const Sprite& s) { SdlBlit(S.sdlRle, s); }); }
void MemcpyRows(benchmark::State& st) { Sprites(st, MemcpyBlit); }
void OursOpaque(benchmark::State& st) {
    Sprites(st, [](const Sprite& s) { elDraw::PutObjectOpaque(s.x, s.y, S.sheet, 48 * s.ball, 0, 48 * s.ball + kSprite, kSprite); });
}
void SdlOpaque(benchmark::State& st) { Sprites(st, [](const Sprite& s) { SdlBlit(S.sdlOpaque, s); }); }

// The turned put with the same sprite centres as PutObject's.
void RotatedOne(const Sprite& s, double degrees) {
    elDraw::PutObjectRotated(s.x + kSprite / 2, s.y + kSprite / 2, S.sheet, 48 * s.ball, 0, 48 * s.ball + kSprite,
                             kSprite, degrees, 1);
}
void OursRotated0(benchmark::State& st) { Sprites(st, [](const Sprite& s) { RotatedOne(s, 0); }); }
void OursRotated30(benchmark::State& st) { Sprites(st, [](const Sprite& s) { RotatedOne(s, 30); }); }

void OursFill(benchmark::State& state) {
    for (auto _ : state) {
        elDraw::FillBlack();
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}
void SdlFill(benchmark::State& state) {
    for (auto _ : state) {
        SDL_FillRect(S.sdlBack, nullptr, 0);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}
void Memset(benchmark::State& state) {
    for (auto _ : state) {
        std::memset(S.sdlBack->pixels, 0, static_cast<std::size_t>(S.sdlBack->pitch) * 360);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}

// ---------------------------------------------------------------- checks

constexpr std::uint32_t kUntouched = 0x123456;

std::vector<std::uint32_t> OursPicture() {
    const platform::PixelView v = elDraw::Display.Back->view();
    std::vector<std::uint32_t> p(480 * 360);
    for (int y = 0; y < 360; ++y)
        for (int x = 0; x < 480; ++x) p[y * 480 + x] = platform::readPixel(v, x, y) & 0xFFFFFF;
    return p;
}

std::vector<std::uint32_t> SdlPicture() {
    std::vector<std::uint32_t> p(480 * 360);
    for (int y = 0; y < 360; ++y)
        for (int x = 0; x < 480; ++x)
            p[y * 480 + x] = *reinterpret_cast<const std::uint32_t*>(static_cast<const std::uint8_t*>(S.sdlBack->pixels) +
                                                                     y * S.sdlBack->pitch + x * 4) & 0xFFFFFF;
    return p;
}

// Clears the side's target to kUntouched, lets it draw once and returns its picture.
std::vector<std::uint32_t> Drawn(bool ours, const std::function<void()>& draw) {
    const platform::PixelView v = elDraw::Display.Back->view();
    for (int y = 0; y < 360; ++y)
        for (int x = 0; x < 480; ++x) platform::writePixel(v, x, y, kUntouched);
    SDL_FillRect(S.sdlBack, nullptr, kUntouched);
    draw();
    return ours ? OursPicture() : SdlPicture();
}

std::function<void()> Batch(void (*one)(const Sprite&)) {
    return [one] {
        for (int n = 0; n < kBatch; ++n) one(S.sprites[n]);
    };
}

// Checks a group: every side changed at least `minChanged` pixels, and all equal the first.
void CheckGroup(bench::Checks& checks, const std::vector<std::pair<std::string, std::vector<std::uint32_t>>>& sides,
                int minChanged) {
    for (const auto& [name, picture] : sides) {
        const long changed = std::count_if(picture.begin(), picture.end(), [](std::uint32_t c) { return c != kUntouched; });
        long differ = 0;
        for (std::size_t i = 0; i < picture.size(); ++i) differ += picture[i] != sides.front().second[i];
        char what[160];
        std::snprintf(what, sizeof what, "%ld pixels changed (at least %d expected), %ld differ from %s", changed,
                      minChanged, differ, sides.front().first.c_str());
        checks.Expect(name, changed >= minChanged && differ == 0, std::string("wrong picture: ") + what);
    }
}

void OursKeyedOne(const Sprite& s) { elDraw::PutObject(s.x, s.y, S.sheet, 48 * s.ball, 0, 48 * s.ball + kSprite, kSprite); }
void OursOpaqueOne(const Sprite& s) { elDraw::PutObjectOpaque(s.x, s.y, S.sheet, 48 * s.ball, 0, 48 * s.ball + kSprite, kSprite); }

void CheckAll(bench::Checks& checks) {
    // Keyed: 256 balls cover most of the picture; their corners (the key) must stay untouched.
    CheckGroup(checks,
               {{"keyed/ours", Drawn(true, Batch(OursKeyedOne))},
                {"keyed/sdl", Drawn(false, Batch([](const Sprite& s) { SdlBlit(S.sdlKeyed, s); }))},
                {"keyed/sdl_rle", Drawn(false, Batch([](const Sprite& s) { SdlBlit(S.sdlRle, s); }))},
                {"rotated0/ours", Drawn(true, Batch([](const Sprite& s) { RotatedOne(s, 0); }))}},
               100000);
    // Turned, the balls cover as much and must differ from the unturned picture.
    const auto turned = Drawn(true, Batch([](const Sprite& s) { RotatedOne(s, 30); }));
    const auto unturned = Drawn(true, Batch(OursKeyedOne));
    CheckGroup(checks, {{"rotated30/ours", turned}}, 100000);
    checks.Expect("rotated30/ours", turned != unturned, "the 30-degree picture equals the unturned one");
    CheckGroup(checks,
               {{"opaque/ours", Drawn(true, Batch(OursOpaqueOne))},
                {"opaque/sdl", Drawn(false, Batch([](const Sprite& s) { SdlBlit(S.sdlOpaque, s); }))},
                {"keyed/memcpy", Drawn(false, Batch(MemcpyBlit))}},
               100000);
    CheckGroup(checks,
               {{"fill/ours", Drawn(true, [] { elDraw::FillBlack(); })},
                {"fill/sdl", Drawn(false, [] { SDL_FillRect(S.sdlBack, nullptr, 0); })},
                {"fill/memset", Drawn(false, [] { std::memset(S.sdlBack->pixels, 0, static_cast<std::size_t>(S.sdlBack->pitch) * 360); })}},
               480 * 360);
}

}  // namespace

int main(int argc, char** argv) {
    const bool quick = bench::TakeQuick(argc, argv);
    bench::Checks checks("bench-blit");
    if (!SetUp()) return 1;
    for (auto [name, fn] : std::initializer_list<std::pair<const char*, void (*)(benchmark::State&)>>{
             {"keyed/ours", OursKeyed}, {"keyed/sdl", SdlKeyed}, {"keyed/sdl_rle", SdlKeyedRle},
             {"keyed/memcpy", MemcpyRows}, {"opaque/ours", OursOpaque}, {"opaque/sdl", SdlOpaque},
             {"rotated0/ours", OursRotated0}, {"rotated30/ours", OursRotated30}, {"fill/ours", OursFill}, {"fill/sdl", SdlFill}, {"fill/memset", Memset}})
        benchmark::RegisterBenchmark(name, fn)->MinTime(quick ? 0.02 : 0.2)->Repetitions(quick ? 1 : 3)->ReportAggregatesOnly(false);
    benchmark::Initialize(&argc, argv);
    BestRuns recorder(bench::ConsoleOptions());
    benchmark::RunSpecifiedBenchmarks(&recorder);
    CheckAll(checks);
    auto& b = recorder.best;
    auto ratio = [&](const char* name, const char* ours, const char* theirs) {
        checks.Ratio(name, ours, theirs, b[theirs] > 0 ? b[ours] / b[theirs] : 0.0);
    };
    std::printf("keyed copy path: %s; ns per sprite: ours %.0f, SDL %.0f, SDL RLE %.0f, memcpy %.0f; "
                "opaque ours %.0f, SDL %.0f; ns per fill: ours %.0f, SDL %.0f, memset %.0f\n",
                platform::blitPath(), 1e9 / b["keyed/ours"], 1e9 / b["keyed/sdl"], 1e9 / b["keyed/sdl_rle"],
                1e9 / b["keyed/memcpy"], 1e9 / b["opaque/ours"], 1e9 / b["opaque/sdl"], 1e9 / b["fill/ours"],
                1e9 / b["fill/sdl"], 1e9 / b["fill/memset"]);
    std::printf("ns per turned sprite: unturned %.0f, at 30 degrees %.0f\n", 1e9 / b["rotated0/ours"],
                1e9 / b["rotated30/ours"]);
    ratio("keyed_vs_sdl", "keyed/ours", "keyed/sdl");
    ratio("keyed_vs_sdl_rle", "keyed/ours", "keyed/sdl_rle");
    ratio("keyed_vs_memcpy", "keyed/ours", "keyed/memcpy");
    ratio("opaque_vs_sdl", "opaque/ours", "opaque/sdl");
    ratio("opaque_vs_memcpy", "opaque/ours", "keyed/memcpy");
    ratio("rotated_vs_put", "rotated0/ours", "keyed/ours");
    ratio("rotated30_vs_put", "rotated30/ours", "keyed/ours");
    ratio("fill_vs_sdl", "fill/ours", "fill/sdl");
    ratio("fill_vs_memset", "fill/ours", "fill/memset");
    SDL_FreeSurface(S.sdlBack);
    SDL_FreeSurface(S.sdlKeyed);
    SDL_FreeSurface(S.sdlRle);
    SDL_FreeSurface(S.sdlOpaque);
    platform::setExtraResources(nullptr, 0);
    return checks.Status();
}
