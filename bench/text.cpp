// Benchmark: the per-frame text brackets (the frame rate and the play scene's status line) on
// Back, against SDL2_ttf rendering the same strings from the same font file at the same size.
#include <SDL.h>
#include <SDL_ttf.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "framework/draw/back_dc.h"
#include "framework/draw/debug_text.h"
#include "framework/draw/text.h"
#include "framework/system/code_page.h"
#include "framework/system/wait_timers.h"
#include "platform/font_engine.h"
#include "platform/system.h"

namespace {

const char* kFpsText = "20.0 FPS";
const char* kStatusText = "SCORE- 00420  TIME- 29";
std::string gothicFile;

void OurFps(benchmark::State& state) {
    // A measuring window that never closes, showing 20.0 as a game at 20 frames a second does.
    elSystem::Clock.FpsDeadline = platform::getTickCount() + 1000000000u;
    elDraw::Fps.FrameRate = 20.0f;
    for (auto _ : state) elDraw::ShowFps();
}

void OurStatus(benchmark::State& state) {
    for (auto _ : state) {
        elDraw::BeginText(1, 18, 0, 1, 0, 0);
        elDraw::SetTextColors(0xFFFFFF, 0x800000, 0);
        elDraw::PutText(150, 0, kStatusText);
        elDraw::EndText();
    }
}

struct TtfTarget {
    SDL_Surface* back = SDL_CreateRGBSurfaceWithFormat(0, 480, 360, 32, SDL_PIXELFORMAT_RGB888);
    ~TtfTarget() { SDL_FreeSurface(back); }
};

// Renders, blits and frees one string; `opaque` paints the text's box first, as the status
// line's opaque background does.
void TtfDraw(TTF_Font* font, SDL_Surface* back, const char* text, int x, bool opaque) {
    SDL_Surface* s = TTF_RenderUTF8_Blended(font, text, SDL_Color{255, 255, 255, 255});
    if (s == nullptr) return;
    SDL_Rect dst{x, 0, s->w, s->h};
    if (opaque) SDL_FillRect(back, &dst, SDL_MapRGB(back->format, 0, 0, 0x80));
    SDL_BlitSurface(s, nullptr, back, &dst);
    SDL_FreeSurface(s);
}

TTF_Font* OpenBold(int size) {
    TTF_Font* f = TTF_OpenFont(gothicFile.c_str(), size);
    if (f != nullptr) TTF_SetFontStyle(f, TTF_STYLE_BOLD);
    return f;
}

void TtfFps(benchmark::State& state) {
    TtfTarget t;
    TTF_Font* font = OpenBold(16);
    for (auto _ : state) TtfDraw(font, t.back, kFpsText, 0, true);
    TTF_CloseFont(font);
}

void TtfStatus(benchmark::State& state) {
    TtfTarget t;
    TTF_Font* font = OpenBold(18);
    for (auto _ : state) TtfDraw(font, t.back, kStatusText, 150, true);
    TTF_CloseFont(font);
}

// The font opened and closed around every string, as a bracket makes and deletes its font.
void TtfStatusOpenClose(benchmark::State& state) {
    TtfTarget t;
    for (auto _ : state) {
        TTF_Font* font = OpenBold(18);
        TtfDraw(font, t.back, kStatusText, 150, true);
        TTF_CloseFont(font);
    }
}

class Collector : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> nsPerIteration;
    void ReportRuns(const std::vector<Run>& runs) override {
        // The best of the repetitions, in CPU time: the machine may be busy with other work, which
        // stretches wall-clock time but not the time this thread spends.
        for (const Run& r : runs) {
            if (r.run_type != Run::RT_Iteration) continue;
            std::string name = r.benchmark_name();
            name = name.substr(0, name.find("/min_time"));
            double t = r.GetAdjustedCPUTime();
            if (!nsPerIteration.count(name) || t < nsPerIteration[name]) nsPerIteration[name] = t;
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int main(int argc, char** argv) {
    elDraw::AllocFont();
    platform::LogFont gothic{};
    const elSystem::CodePageText name("標準ゴシック");
    std::memcpy(gothic.lfFaceName, name.c_str(), name.size());
    gothic.lfHeight = 18;
    platform::FontFace* face = platform::resolveFont(gothic, nullptr);
    if (face == nullptr || TTF_Init() != 0) {
        std::fprintf(stderr, "bench-text: no Gothic face or SDL2_ttf cannot start\n");
        return 1;
    }
    gothicFile = platform::fontFile(face);

    benchmark::RegisterBenchmark("ours/show_fps", OurFps)->MinTime(0.2)->Repetitions(5);
    benchmark::RegisterBenchmark("ttf/fps", TtfFps)->MinTime(0.2)->Repetitions(5);
    benchmark::RegisterBenchmark("ours/status_line", OurStatus)->MinTime(0.2)->Repetitions(5);
    benchmark::RegisterBenchmark("ttf/status_line", TtfStatus)->MinTime(0.2)->Repetitions(5);
    benchmark::RegisterBenchmark("ttf/status_line_open_close", TtfStatusOpenClose)->MinTime(0.2)->Repetitions(5);
    benchmark::Initialize(&argc, argv);
    Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    benchmark::Shutdown();

    auto& t = collector.nsPerIteration;
    auto ratio = [&](const char* label, const char* ours, const char* ref) {
        if (t.count(ours) && t.count(ref) && t[ours] > 0)
            std::printf("ratio %s %.2f\n", label, t[ref] / t[ours]);
    };
    ratio("fps_vs_ttf", "ours/show_fps", "ttf/fps");
    ratio("status_vs_ttf", "ours/status_line", "ttf/status_line");
    ratio("status_vs_ttf_open_close", "ours/status_line", "ttf/status_line_open_close");
    TTF_Quit();
    elDraw::FreeFont();
    return 0;
}
