// Layout and drawing of a full 2048-cell program, as the editor redraws it on every
// key: cell extents, line breaking, placement and every glyph into a surface.
#include <benchmark/benchmark.h>

#include <memory>
#include <string_view>

#include "content/render/font_renderer.h"
#include "content/render/render_context.h"
#include "content/render/surface.h"
#include "content/render/text_layout.h"

using namespace ledsuite;

namespace {

// Mixed Chinese and ASCII words in `size` pixels, or (size 0) in 16 and 32 pixels
// alternating independently of the script, in changing colours, some bold.
std::unique_ptr<TextContent> FullProgram(int size) {
    constexpr std::u16string_view kWords[] = {u"欢迎光临", u" Welcome ", u"今日特价", u" 2024-06-01 ",
                                              u"营业时间", u" 08:00-22:00\n"};
    auto text = std::make_unique<TextContent>();
    text->header.spread = 0;
    int i = 0;
    for (int w = 0; i < kMaxCells; ++w) {
        const int wordSize = size ? size : w % 4 < 2 ? 16 : 32;  // every word in both sizes over 12 words
        const uint32_t attr = CellAttr::Make(uint32_t(wordSize), 0, 1 + w % 7, w % 5 == 0 ? CellAttr::Bold : 0);
        for (char16_t c : kWords[w % 6])
            if (i < kMaxCells) text->cells[i++] = TextCell(c, attr);
    }
    return text;
}

void BM_RedrawFullProgram(benchmark::State& state) {
    FontRenderer fonts;
    const FontTables tables{{u"宋体", u"Courier New"}, {u"宋体"}, 0};
    RenderContext rc(fonts, tables);
    const auto text = FullProgram(int(state.range(0)));
    // A surface the size of the laid-out text, like the editor's back buffer.
    const CellSize size = MeasureTextBlock(rc, *text, 1024);
    Surface surface(1024, size.height);
    const PixelRect area{0, 0, 1024, size.height};
    RenderText(rc, surface, *text, 0, area);  // the editor's first paint fills the glyph cache
    const auto warm = fonts.cacheStats();
    for (auto _ : state) {
        surface.Fill(0);
        RenderText(rc, surface, *text, 0, area);
        benchmark::DoNotOptimize(surface.Pixel(0, 0));
    }
    const auto stats = fonts.cacheStats();
    const double hits = double(stats.hits - warm.hits), misses = double(stats.misses - warm.misses);
    state.counters["cache_hit_rate"] = hits + misses > 0 ? hits / (hits + misses) : 0;
    state.counters["lines_height"] = size.height;
}
// 16 pixels, 32 pixels, and both mixed (0).
BENCHMARK(BM_RedrawFullProgram)->Arg(16)->Arg(32)->Arg(0)->Unit(benchmark::kMillisecond);

// The same from a cold glyph cache: the first paint after start-up or a font change.
void BM_FirstDrawFullProgram(benchmark::State& state) {
    const FontTables tables{{u"宋体", u"Courier New"}, {u"宋体"}, 0};
    const auto text = FullProgram(int(state.range(0)));
    Surface surface(1024, 1024);
    for (auto _ : state) {
        FontRenderer fonts;
        RenderContext rc(fonts, tables);
        RenderText(rc, surface, *text, 0, {0, 0, 1024, 1024});
        benchmark::DoNotOptimize(surface.Pixel(0, 0));
    }
}
BENCHMARK(BM_FirstDrawFullProgram)->Arg(16)->Arg(32)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace
