// Text drawing through the glyph cache, and the cost of a glyph cache miss.
#include <benchmark/benchmark.h>

#include "content/render/font_renderer.h"
#include "content/render/surface.h"

using namespace ledsuite;

namespace {

const std::u16string kLine = u"欢迎光临 Welcome 2024-06-01 12:00";

void ReportCache(benchmark::State& state, const FontRenderer& fonts) {
    const auto stats = fonts.cacheStats();
    state.counters["hits"] = double(stats.hits);
    state.counters["misses"] = double(stats.misses);
}

void BM_DrawCachedLine(benchmark::State& state) {
    FontRenderer fonts;
    Surface surface(512, 32);
    const FontDesc spec{u"宋体", int(state.range(0))};
    for (auto _ : state) benchmark::DoNotOptimize(fonts.Draw(surface, 0, 0, spec, kLine, 0xFF0000));
    ReportCache(state, fonts);
}
BENCHMARK(BM_DrawCachedLine)->Arg(16)->Arg(32);

void BM_DrawUncachedLine(benchmark::State& state) {
    FontRenderer fonts;
    Surface surface(512, 32);
    const FontDesc spec{u"宋体", int(state.range(0))};
    for (auto _ : state) {
        fonts.ClearCache();
        benchmark::DoNotOptimize(fonts.Draw(surface, 0, 0, spec, kLine, 0xFF0000));
    }
}
BENCHMARK(BM_DrawUncachedLine)->Arg(16)->Arg(32);

}  // namespace
