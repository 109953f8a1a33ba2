// Benchmark: the per-frame text brackets (the frame rate and the play scene's status line) on
// Back, against SDL2_ttf rendering the same strings with 1-bit glyphs (TTF_RenderUTF8_Solid, as
// ours draws them) from the same font file at the same size and style onto a 480 x 360 32-bit
// surface, both painting the text's opaque background. The anti-aliased, alpha-blended renderer
// and a font opened for every string are shown as figures: they do other work than ours.
// After the timing each side draws once more, untimed, and is checked: the text's box painted
// with the background and the text colour, nothing outside it touched, and about as much ink as
// the other side.
#include <SDL.h>
#include <SDL_ttf.h>
#include <benchmark/benchmark.h>

#include "bench/bench_util.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "framework/core/app_state.h"
#include "framework/draw/debug_text.h"
#include "framework/draw/display.h"
#include "framework/draw/text.h"
#include "framework/core/code_page.h"
#include "framework/system/wait_timers.h"
#include "platform/text/font_engine.h"
#include "platform/headless/headless.h"
#include "platform/video/pixels.h"
#include "platform/window/system.h"

namespace {

const char* kFpsText = "20.0 FPS";
const char* kStatusText = "SCORE- 00420  TIME- 29";
constexpr int kStatusX = 150;
constexpr std::uint32_t kUntouched = 0x123456;   // what the target holds before a checked draw
constexpr std::uint32_t kInk = 0xFFFFFF;         // 0xRRGGBB
constexpr std::uint32_t kPaper = 0x000080;       // the status line's dark blue background
std::string gothicFile;

void ShowTwentyFps() {
    // A measuring window that never closes, showing 20.0 as a game at 20 frames a second does.
    elSystem::Clock.FpsDeadline = platform::getTickCount() + 1000000000u;
    elDraw::Fps.FrameRate = 20.0f;
    elDraw::ShowFps();
}

void DrawStatus() {
    elDraw::BeginText(1, 18, 0, 1, 0, 0);
    elDraw::SetTextColors(0xFFFFFF, 0x800000, 0);   // white on dark blue (0x00BBGGRR)
    elDraw::PutText(kStatusX, 0, kStatusText);
    elDraw::EndText();
}

void OurFps(benchmark::State& state) {
    for (auto _ : state) ShowTwentyFps();
}

void OurStatus(benchmark::State& state) {
    for (auto _ : state) DrawStatus();
}

struct TtfTarget {
    SDL_Surface* back = SDL_CreateRGBSurfaceWithFormat(0, 480, 360, 32, SDL_PIXELFORMAT_RGB888);
    ~TtfTarget() { SDL_FreeSurface(back); }
};

// Renders, blits and frees one string on the opaque background, as the brackets do.
enum class Render { Solid, Blended };
bool TtfDraw(TTF_Font* font, SDL_Surface* back, const char* text, int x, Render how) {
    const SDL_Color white{255, 255, 255, 255};
    SDL_Surface* s = how == Render::Solid ? TTF_RenderUTF8_Solid(font, text, white)
                                          : TTF_RenderUTF8_Blended(font, text, white);
    if (s == nullptr) return false;
    SDL_Rect dst{x, 0, s->w, s->h};
    SDL_FillRect(back, &dst, SDL_MapRGB(back->format, 0, 0, 0x80));
    SDL_BlitSurface(s, nullptr, back, &dst);
    SDL_FreeSurface(s);
    return true;
}

TTF_Font* OpenBold(int size) {
    TTF_Font* f = TTF_OpenFont(gothicFile.c_str(), size);
    if (f != nullptr) TTF_SetFontStyle(f, TTF_STYLE_BOLD);
    return f;
}

template <Render How>
void TtfFps(benchmark::State& state) {
    TtfTarget t;
    TTF_Font* font = OpenBold(16);
    for (auto _ : state) TtfDraw(font, t.back, kFpsText, 0, How);
    TTF_CloseFont(font);
}

template <Render How>
void TtfStatus(benchmark::State& state) {
    TtfTarget t;
    TTF_Font* font = OpenBold(18);
    for (auto _ : state) TtfDraw(font, t.back, kStatusText, kStatusX, How);
    TTF_CloseFont(font);
}

// The font opened and closed around every string, as a bracket makes and deletes its font.
void TtfStatusOpenClose(benchmark::State& state) {
    TtfTarget t;
    for (auto _ : state) {
        TTF_Font* font = OpenBold(18);
        TtfDraw(font, t.back, kStatusText, kStatusX, Render::Solid);
        TTF_CloseFont(font);
    }
}

class Collector : public benchmark::ConsoleReporter {
public:
    using ConsoleReporter::ConsoleReporter;
    std::map<std::string, double> nsPerIteration;
    void ReportRuns(const std::vector<Run>& runs) override {
        // The best of the repetitions, in CPU time: the machine may be busy with other work, which
        // stretches wall-clock time but not the time this thread spends.
        for (const Run& r : runs) {
            if (r.run_type != Run::RT_Iteration || r.error_occurred) continue;
            std::string name = r.benchmark_name();
            name = name.substr(0, name.find("/min_time"));
            double t = r.GetAdjustedCPUTime();
            if (!nsPerIteration.count(name) || t < nsPerIteration[name]) nsPerIteration[name] = t;
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

// ---------------------------------------------------------------- checks

// What one draw did to a 480 x 360 picture that held kUntouched everywhere.
struct Ink {
    int ink = 0, paper = 0, outside = 0;   // outside: pixels changed outside the allowed box
    int left = 480, right = 0;             // columns holding ink
};

template <typename Read>
Ink Measure(Read read, int boxLeft, int boxRight, int boxBottom) {
    Ink r;
    for (int y = 0; y < 360; ++y)
        for (int x = 0; x < 480; ++x) {
            const std::uint32_t c = read(x, y) & 0xFFFFFF;
            if (c == kUntouched) continue;
            if (x < boxLeft || x >= boxRight || y >= boxBottom) ++r.outside;
            if (c == kInk) {
                ++r.ink;
                r.left = std::min(r.left, x);
                r.right = std::max(r.right, x + 1);
            } else if (c == kPaper) {
                ++r.paper;
            }
        }
    return r;
}

Ink OursDrawn(void (*draw)(), int boxLeft) {
    if (elDraw::Display.Back == nullptr) return Ink{};   // no display: nothing can have been drawn
    const platform::PixelView v = elDraw::Display.Back->view();
    for (int y = 0; y < 360; ++y)
        for (int x = 0; x < 480; ++x) platform::writePixel(v, x, y, kUntouched);
    draw();
    return Measure([&](int x, int y) { return platform::readPixel(v, x, y); }, boxLeft, 480, 40);
}

Ink TtfDrawn(int size, const char* text, int x, Render how, bool& drew) {
    TtfTarget t;
    SDL_FillRect(t.back, nullptr, kUntouched);   // RGB888 is 0x00RRGGBB
    TTF_Font* font = OpenBold(size);
    drew = font != nullptr && TtfDraw(font, t.back, text, x, how);
    if (font != nullptr) TTF_CloseFont(font);
    const auto* px = static_cast<const std::uint8_t*>(t.back->pixels);
    const int pitch = t.back->pitch;
    return Measure([&](int cx, int cy) { return *reinterpret_cast<const std::uint32_t*>(px + cy * pitch + cx * 4); },
                   x, 480, 40);
}

// Checks one drawn string: its box painted, ink in it, nothing outside, and (against the
// reference) roughly the same amount of ink in about the same columns.
void CheckText(bench::Checks& checks, const std::string& side, const Ink& got, const Ink* reference) {
    char what[200];
    std::snprintf(what, sizeof what, "%d ink, %d background and %d stray pixels, ink in columns %d-%d", got.ink,
                  got.paper, got.outside, got.left, got.right);
    bool ok = got.ink >= 50 && got.paper >= 100 && got.outside == 0;
    if (ok && reference != nullptr) {
        const double share = static_cast<double>(got.ink) / std::max(1, reference->ink);
        ok = share > 0.6 && share < 1.67 && std::abs(got.left - reference->left) <= 4 &&
             std::abs(got.right - reference->right) <= 24;
        std::snprintf(what + std::strlen(what), sizeof what - std::strlen(what), "; reference %d ink in columns %d-%d",
                      reference->ink, reference->left, reference->right);
    }
    checks.Expect(side, ok, std::string("the text was not drawn as expected: ") + what);
}

}  // namespace

int main(int argc, char** argv) {
    const bool quick = bench::TakeQuick(argc, argv);
    bench::Checks checks("bench-text");
    // Back, as the game has it: without a display the brackets get no context and draw nothing.
    platform::headless::configure(platform::headless::Config{});
    ResetProgramState();
    Shell.FullScreen = 0;
    if (elDraw::Screen(480, 360) != 1) {
        for (const auto& box : platform::headless::takeBoxes()) std::printf("error: bench-text: %s\n", box.text.c_str());
        return 1;
    }
    elDraw::AllocFont();
    platform::LogFont gothic{};
    const elSystem::CodePageText name("標準ゴシック");
    std::memcpy(gothic.lfFaceName, name.c_str(), name.size());
    gothic.lfHeight = 18;
    platform::FontFace* face = platform::resolveFont(gothic, nullptr);
    if (face == nullptr || TTF_Init() != 0) {
        std::printf("error: bench-text: no Gothic face or SDL2_ttf cannot start\n");
        return 1;
    }
    gothicFile = platform::fontFile(face);

    const double minTime = quick ? 0.02 : 0.2;
    const int reps = quick ? 1 : 5;
    for (auto [label, fn] : std::initializer_list<std::pair<const char*, void (*)(benchmark::State&)>>{
             {"ours/show_fps", OurFps},
             {"ttf_solid/fps", TtfFps<Render::Solid>},
             {"ttf_blended/fps", TtfFps<Render::Blended>},
             {"ours/status_line", OurStatus},
             {"ttf_solid/status_line", TtfStatus<Render::Solid>},
             {"ttf_blended/status_line", TtfStatus<Render::Blended>},
             {"ttf_solid/status_line_open_close", TtfStatusOpenClose}})
        benchmark::RegisterBenchmark(label, fn)->MinTime(minTime)->Repetitions(reps);
    benchmark::Initialize(&argc, argv);
    Collector collector(bench::ConsoleOptions());
    benchmark::RunSpecifiedBenchmarks(&collector);
    benchmark::Shutdown();

    // The untimed draws, checked.
    bool drew = false;
    const Ink ttfFps = TtfDrawn(16, kFpsText, 0, Render::Solid, drew);
    checks.Expect("ttf_solid/fps", drew, "TTF_RenderUTF8_Solid failed");
    CheckText(checks, "ttf_solid/fps", ttfFps, nullptr);
    CheckText(checks, "ours/show_fps", OursDrawn(ShowTwentyFps, 0), &ttfFps);
    const Ink ttfStatus = TtfDrawn(18, kStatusText, kStatusX, Render::Solid, drew);
    checks.Expect("ttf_solid/status_line", drew, "TTF_RenderUTF8_Solid failed");
    CheckText(checks, "ttf_solid/status_line", ttfStatus, nullptr);
    CheckText(checks, "ours/status_line", OursDrawn(DrawStatus, kStatusX), &ttfStatus);
    for (auto [side, size, text, x] : {std::tuple{"ttf_blended/fps", 16, kFpsText, 0},
                                       std::tuple{"ttf_blended/status_line", 18, kStatusText, kStatusX}}) {
        const Ink got = TtfDrawn(size, text, x, Render::Blended, drew);
        // Anti-aliased: fewer pixels are exactly white, so only "something was drawn" is asked.
        checks.Expect(side, drew && got.ink >= 20 && got.outside == 0, "TTF_RenderUTF8_Blended drew nothing");
    }
    checks.Expect("ttf_solid/status_line_open_close", true, "");

    auto& t = collector.nsPerIteration;
    auto speed = [&](const char* ours, const char* ref) { return t.count(ours) && t.count(ref) && t[ours] > 0 ? t[ref] / t[ours] : 0.0; };
    checks.Ratio("fps_vs_ttf", "ours/show_fps", "ttf_solid/fps", speed("ours/show_fps", "ttf_solid/fps"));
    checks.Ratio("status_vs_ttf", "ours/status_line", "ttf_solid/status_line", speed("ours/status_line", "ttf_solid/status_line"));
    if (checks.Passed("ours/show_fps")) checks.Figure("fps_vs_ttf_blended", "ttf_blended/fps", speed("ours/show_fps", "ttf_blended/fps"), "%.2f");
    if (checks.Passed("ours/status_line")) {
        checks.Figure("status_vs_ttf_blended", "ttf_blended/status_line", speed("ours/status_line", "ttf_blended/status_line"), "%.2f");
        checks.Figure("status_vs_ttf_open_close", "ttf_solid/status_line", speed("ours/status_line", "ttf_solid/status_line_open_close"), "%.2f");
    }
    TTF_Quit();
    elDraw::FreeFont();
    return checks.Status();
}
