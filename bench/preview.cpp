// One 10 ms round of the preview: 16 programs moving at every round on a full-colour
// screen, 512 x 256 with 128 x 64 areas composed at every zoom, or 256 x 128 with 64 x 32
// areas at zoom 1, 2 and 4. The counter "of_tick" is the round's time as a fraction of
// the 10 ms timer tick that drives it.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "content/preview/layout_canvas.h"
#include "content/preview/preview_player.h"

using namespace ledsuite;

namespace {

constexpr std::u16string_view kTexts[] = {u"欢迎光临 Welcome", u"今日特价 2024-06-01", u"营业时间 08:00-22:00",
                                          u"LED Display 显示屏"};

// 16 programs of (w / 4) x (h / 4) on a w x h screen.
ProgramTree MovingScreen(int w, int h) {
    HardwareParams hw;
    hw.width = uint16_t(w), hw.height = uint16_t(h), hw.colorCode = 17;
    ProgramTree tree(hw);
    tree.AddProgramSet();
    const int aw = w / 4, ah = h / 4;
    for (int i = 0; i < 16; ++i) {
        ProgramRecord& p = *tree.AddProgram(0)->record;
        const int x = (i % 4) * aw, y = (i / 4) * ah;
        InitProgramRecord(p, x, y, x + aw, y + ah);
        const std::u16string_view text = kTexts[i % 4];
        for (size_t k = 0; k < text.size(); ++k)
            p.content.cells[k] = TextCell(text[k], CellAttr::Make(uint8_t(ah / 2), 0, 1 + i % 7));
        p.mainAction.effect = i % 2 ? kEffectMoveLeft : kEffectMoveUp;
        p.mainAction.speed = 1;
        p.mainAction.repeat = 200;
        p.mainAction.pause = 0;
    }
    return tree;
}

void BM_PreviewRound(benchmark::State& state) {
    FontRenderer fonts;
    const FontTables tables{{u"宋体", u"Courier New"}, {u"宋体"}, 0};
    RenderContext rc(fonts, tables);
    const int w = int(state.range(0)), h = w / 2;
    ProgramTree tree = MovingScreen(w, h);
    LayoutCanvas canvas;
    InitCanvas(canvas, rc);
    uint64_t now = 0;
    canvas.clock = [&now] { return now; };
    canvas.tree = &tree;
    canvas.selection = {1, 0, 0};
    canvas.zoom = int(state.range(1));
    ResizeCanvas(canvas, 1100, 560);
    SetPreviewRunning(canvas, true);
    for (int i = 0; i < 20; ++i) {  // past the first steps (layouts made, glyphs cached)
        now += kPreviewRoundMs;
        PreviewThreadProc(canvas);
    }
    double seconds = 0;
    for (auto _ : state) {
        now += kPreviewRoundMs;
        const auto start = std::chrono::steady_clock::now();
        PreviewThreadProc(canvas);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        benchmark::DoNotOptimize(canvas.backImage.pixels.data());
    }
    state.counters["of_tick"] = seconds / double(state.iterations()) / (kPreviewRoundMs / 1000.0);
}
void Screens(benchmark::internal::Benchmark* b) {
    for (int zoom = kMinZoom; zoom <= kMaxZoom; ++zoom) b->Args({512, zoom});
    for (int zoom : {1, 2, 4}) b->Args({256, zoom});
}
BENCHMARK(BM_PreviewRound)->Apply(Screens)->Unit(benchmark::kMicrosecond);

}  // namespace
