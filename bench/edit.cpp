// A keystroke in the middle of a full program text as the editor handles it: the
// insertion, the new layout of all 2048 cells and the redraw of the visible window.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string_view>

#include "content/render/font_renderer.h"
#include "content/render/plain_text.h"
#include "content/render/render_context.h"
#include "editors/cell_editor.h"

using namespace ledsuite;

namespace {

void BM_KeystrokeInFullText(benchmark::State& state) {
    FontRenderer fonts;
    const FontTables tables{{u"宋体", u"Courier New"}, {u"宋体"}, 0};
    RenderContext rc(fonts, tables);
    auto text = std::make_unique<TextContent>();
    constexpr std::u16string_view kWords = u"欢迎光临 Welcome 今日特价 2024-06-01\n";
    // One cell short of full, so that every keystroke is taken and then taken back.
    for (int i = 0; i < kMaxCells - 1; ++i)
        text->cells[size_t(i)] = TextCell(kWords[size_t(i) % kWords.size()], CellAttr::Make(16, 0, 1 + i % 7));
    CellEditor engine(rc, nullptr);
    engine.Resize(640, 400);
    engine.Attach(text.get(), 0, 0, 0, 600, 300);
    for (auto _ : state) {
        engine.SetSelection(1000, 1000);
        engine.SetCurrentAttr(CellAttr::Make(16, 0, 2));
        engine.InsertChar(u'X', true);  // insert and lay out
        engine.Redraw();
        state.PauseTiming();
        engine.DeleteBack();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_KeystrokeInFullText)->Unit(benchmark::kMillisecond);

// A 2 MB text file dropped on an empty program text: read, decoded, inserted as typed
// (only the first 2047 characters find room) and laid out.
void BM_DropTwoMegabyteTextFile(benchmark::State& state) {
    FontRenderer fonts;
    const FontTables tables{{u"宋体", u"Courier New"}, {u"宋体"}, 0};
    RenderContext rc(fonts, tables);
    const std::string path = (std::filesystem::temp_directory_path() / "ledsuite_bench_drop.txt").string();
    {
        std::ofstream out(path, std::ios::binary);
        const std::string line = "Welcome to the show, today's offers 2024-06-01\r\n";
        for (size_t written = 0; written < (size_t(2) << 20); written += line.size()) out << line;
    }
    auto text = std::make_unique<TextContent>();
    CellEditor engine(rc, nullptr);
    engine.Resize(640, 400);
    for (auto _ : state) {
        state.PauseTiming();
        FreeCellObjects(*text);
        engine.Attach(text.get(), 0, 0, 0, 600, 300);
        state.ResumeTiming();
        const auto dropped = LoadTextFile(path);
        engine.InsertTyped(*dropped);
        engine.Relayout();
        benchmark::DoNotOptimize(CountCells(*text));
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_DropTwoMegabyteTextFile)->Unit(benchmark::kMillisecond);

}  // namespace
