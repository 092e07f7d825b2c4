// Compiling a large screen into its program image: 512 x 256 LEDs in colour code
// 17, 8 program sets of 8 programs, each a full 2048-cell text with dynamic
// fields, A-D, timer and counter fields, a picture and a border; once with system
// fonts (rendered line pictures and glyph sets) and once for a font chip (command
// streams and code tables).
//
// The system-font image of this screen is larger than a card takes (its texts
// alone are several MiB of pictures), so it is built into a 32 MiB buffer: the
// point is the encoder's speed. "serial_ratio" is the encode time over the time
// the same bytes take on the serial line at 115200 baud (bytes x 10 / 115200 s);
// the encoder should stay under 0.01 of it.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string_view>
#include <vector>

#include "content/model/field_objects.h"
#include "content/card/program_encoder.h"
#include "content/model/text_codec.h"

using namespace ledsuite;

namespace {

constexpr size_t kBenchLimit = size_t(32) << 20;

template <class T>
TextCell ObjectCell(char16_t code, std::unique_ptr<T> object) {
    TextCell cell(code, 0);
    cell.obj = std::move(object);
    return cell;
}

TextCell Picture(int size) {
    auto picture = std::make_unique<PictureObject>();
    for (int f = 0; f < 2; ++f) {
        auto frame = std::make_unique<RawImage>();
        ResetImage(*frame, 64, 64);
        FillImage(*frame, f ? 0x00FF00 : 0xFF0000);
        frame->displayWidth = frame->displayHeight = size;  // packed at its display size
        picture->frames.push_back(std::move(frame));
    }
    return ObjectCell(FC_PICTURE, std::move(picture));
}

void FillProgram(ProgramRecord& p, uint8_t fontSet, int index) {
    constexpr std::u16string_view kWords[] = {u"欢迎光临", u" Welcome ", u"今日特价", u" 2024-06-01 ",
                                              u"营业时间", u" 08:00-22:00 "};
    constexpr char16_t kFields[] = {FC_HOUR, FC_MINUTE, FC_SECOND, FC_WEEK_EN, FC_WEEK_CN, FC_YEAR, FC_TEMPERATURE};
    TextContent& t = p.content;
    t.header.fontSet = fontSet;
    t.header.spread = 0;
    p.mainAction.effect = index % 2 ? kEffectBlindsHorizontal : kEffectMoveLeft;
    p.borderType = uint8_t(2 + index % 7);
    size_t i = 0;
    for (int w = 0; i < kMaxCells; ++w) {
        const uint32_t attr = CellAttr::Make(w % 2 ? 16 : 24, 0, 1 + w % 7, w % 5 == 0 ? CellAttr::Bold : 0);
        for (char16_t c : kWords[w % 6])
            if (i < kMaxCells) t.cells[i++] = TextCell(c, attr);
        if (i < kMaxCells && w % 3 == 0) t.cells[i++] = TextCell(kFields[w % 7], attr);
    }
    const uint32_t attr = CellAttr::Make(16, 0, 2);
    t.cells[100] = Picture(24);
    auto adc = std::make_unique<AdcField>();
    adc->attr = attr;
    t.cells[400] = ObjectCell(FC_ADC, std::move(adc));
    auto timer = std::make_unique<TimerField>();
    timer->attr = attr;
    U16ToField(timer->labels[0].data(), kTimerLabelUnits, u"天");
    t.cells[800] = ObjectCell(FC_TIMER, std::move(timer));
    auto counter = std::make_unique<CounterField>();
    counter->attr = attr;
    t.cells[1200] = ObjectCell(FC_COUNTER, std::move(counter));
}

std::unique_ptr<ProgramTree> LargeScreen(uint8_t fontSet) {
    HardwareParams hw;
    hw.cardType = 3, hw.width = 512, hw.height = 256, hw.colorCode = 17;
    hw.fileSystem = fontSet ? 1 : 0, hw.fontChip = fontSet;
    auto tree = std::make_unique<ProgramTree>(hw);
    for (size_t s = 0; s < 8; ++s) {
        ProgramSetRecord& set = *tree->AddProgramSet()->record;
        set.playMode = 6, set.weekdays = 0x7F;
        set.periods = {0x48004000, 0x90008000};
        for (size_t k = 0; k < 8; ++k) FillProgram(*tree->AddProgram(s)->record, fontSet, int(s * 8 + k));
    }
    return tree;
}

void EncodeScreen(benchmark::State& state, uint8_t fontSet) {
    const auto tree = LargeScreen(fontSet);
    std::vector<uint8_t> buffer(kBenchLimit);
    int32_t length = 0;
    double seconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::fill(buffer.begin(), buffer.end(), 0xFF);  // the caller's part
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        uint32_t position = 0;
        length = BuildProgramImage(buffer.data(), &position, *tree, buffer.size());
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (length <= 0) {
            state.SkipWithError("the screen did not encode");
            return;
        }
    }
    const double perScreen = seconds / double(state.iterations());
    const double serial = double(length) * 10 / 115200;
    state.SetBytesProcessed(int64_t(state.iterations()) * length);
    state.counters["image_bytes"] = length;
    state.counters["ms_per_screen"] = perScreen * 1000;
    state.counters["serial_ratio"] = perScreen / serial;
}

void BM_EncodeSystemFonts(benchmark::State& state) { EncodeScreen(state, 0); }
void BM_EncodeFontChip(benchmark::State& state) { EncodeScreen(state, 3); }
BENCHMARK(BM_EncodeSystemFonts)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeFontChip)->Unit(benchmark::kMillisecond);

}  // namespace
