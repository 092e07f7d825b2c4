#pragma once
// The objects a text cell can own: A/D values, timers, counters, tables, pictures,
// clocks and digit groups, with their initial state, the placeholder each shows in the
// editor and preview, how wide each measures, and the table operations.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "content/model/clock.h"
#include "content/model/raw_image.h"
#include "content/model/text_content.h"
#include "content/model/text_measurer.h"

namespace ledsuite {

template <class T>
T* CellObjectAs(TextCell& cell) {
    return dynamic_cast<T*>(cell.obj.get());
}
template <class T>
const T* CellObjectAs(const TextCell& cell) {
    return dynamic_cast<const T*>(cell.obj.get());
}

// Digit format of A/D values and counters: integer digits in the high four bits,
// decimals in the low four bits.
constexpr int AdcIntDigits(uint8_t fmt) { return fmt >> 4; }
constexpr int AdcDecimals(uint8_t fmt) { return fmt & 0xF; }
constexpr uint8_t MakeDigitFormat(int intDigits, int decimals) {
    return uint8_t((intDigits & 0xF) << 4 | (decimals & 0xF));
}

// One calibration row: a raw reading in [x1, x2) shows a*x^3 + b*x^2 + c*x + d.
struct AdcCalibration {
    uint16_t x1 = 0;
    uint16_t x2 = 0;
    float a = 0, b = 0, c = 0, d = 0;
};
constexpr int kAdcCalibrationRows = 4096;

// U+E029. A default-constructed field is what InitAdcSettings makes with font index 0.
struct AdcField final : CellObject {
    static constexpr uint8_t FlagSign = 1;      // a sign in front of the value
    static constexpr uint8_t FlagFillZero = 2;  // the dialog's second option

    uint16_t reserved = 0;
    uint16_t number = 0;         // sampling number the A/D dialog keeps
    uint8_t channel = 0;         // 0..15
    uint8_t calibrated = 1;      // 1: the calibration rows apply
    uint8_t digitFormat = 0x24;  // AdcIntDigits / AdcDecimals
    uint8_t flags = 0;
    uint32_t attr = CellAttr::Make(16, 0, 0);
    std::array<uint32_t, 2> reserved2{};
    std::array<AdcCalibration, kAdcCalibrationRows> rows{};

    std::unique_ptr<CellObject> Clone() const override { return std::make_unique<AdcField>(*this); }
};

// A timer's date and time: the year; month << 10 | day << 5 | hour; minute << 6 | second.
struct TimerDateTime {
    uint16_t year = 0;
    uint16_t monthDayHour = 0;
    uint16_t minuteSecond = 0;
    bool operator==(const TimerDateTime&) const = default;
};
TimerDateTime PackTimerDateTime(const LocalTime& t);

constexpr int kTimerLabelUnits = 32;
constexpr int kMaxTimerDayDigits = 8;  // the timer dialog offers 1 to 8

// U+E02A.
struct TimerField final : CellObject {
    uint8_t mode = 0;       // 0 count up, 1 count down
    uint8_t dayDigits = 3;
    TimerDateTime a, b;
    std::array<uint8_t, 4> units{1, 2, 3, 4};  // unit k (days, hours, minutes, seconds) shown when k + 1
    uint32_t attr = CellAttr::Make(16, 0, 0);
    // Labels of the four units, NUL-terminated unless they fill all 32 units.
    std::array<std::array<char16_t, kTimerLabelUnits>, 4> labels{};

    bool UnitShown(int k) const { return units[k] == k + 1; }
    std::u16string Label(int k) const;

    std::unique_ptr<CellObject> Clone() const override { return std::make_unique<TimerField>(*this); }
};

// U+E02B.
struct CounterField final : CellObject {
    static constexpr uint8_t FlagSign = 1;  // rising edge; "+" for a non-negative value of a signed range

    uint8_t reserved = 0;
    uint8_t digitFormat = 0x20;  // AdcIntDigits / AdcDecimals
    uint8_t channel = 0;
    uint8_t unit = 0;            // trigger code
    uint8_t flags = 0;
    int32_t start = 0;
    int32_t end = 99;
    int32_t startFraction = 0;
    int32_t endFraction = 0;
    uint32_t attr = 0;

    std::unique_ptr<CellObject> Clone() const override { return std::make_unique<CounterField>(*this); }
};

// Geometry word of a table cell's U+E006 marker.
constexpr int GridCellWidth(uint32_t marker) { return marker & 0x3FF; }
constexpr int GridCellHeight(uint32_t marker) { return (marker >> 12) & 0x3FF; }
constexpr int GridCellAlign(uint32_t marker) { return (marker >> 24) & 3; }
constexpr uint32_t MakeGridMarker(int width, int height, int align = 0) {
    return uint32_t(width & 0x3FF) | uint32_t(height & 0x3FF) << 12 | uint32_t(align & 3) << 24;
}
constexpr uint32_t kNewGridMarker = MakeGridMarker(64, 16);

// U+E005, a table. Its cells hold the table's texts row by row, each table cell a
// U+E006 marker followed by its text cells.
struct GridObject final : CellObject {
    uint8_t columns = 0;
    uint8_t rows = 0;
    uint32_t style = 0;  // byte 0: frame type << 5 | RgbBits << 2; byte 1: font-set mode of the texts
    uint16_t totalWidth = 0;
    uint16_t totalHeight = 0;  // its low byte is the table's size
    std::array<TextCell, kMaxCells> cells;

    std::unique_ptr<CellObject> Clone() const override { return std::make_unique<GridObject>(*this); }
};

// U+E003: the frames of a picture or animation, fitted to the cell's size.
struct PictureObject final : CellObject {
    FrameVector frames;

    std::unique_ptr<CellObject> Clone() const override { return std::make_unique<PictureObject>(*this); }
};

// U+E030.
struct ClockObject final : CellObject {
    uint8_t style = 0;     // 0 a plain drawn clock, else drawn over the face image
    uint8_t size = 0;      // pixel height (and width when plain)
    uint8_t reserved = 0;
    FrameVector face;

    std::unique_ptr<CellObject> Clone() const override { return std::make_unique<ClockObject>(*this); }
};

// U+E02C: a run of digit cells ('0'..'9'; the run ends at the first other code).
struct DigitGroup final : CellObject {
    std::vector<TextCell> digits;
    uint8_t extra = 0;

    int DigitCount() const;

    std::unique_ptr<CellObject> Clone() const override { return std::make_unique<DigitGroup>(*this); }
};

// ---- initial state ------------------------------------------------------------

void InitAdcSettings(AdcField& field, uint32_t defaultFontIndex = 0);
// Digit format, range, fractions, attribute, unit and flags; the first byte and the
// channel stay as they are.
void InitCounterSettings(CounterField& field);
// Both date-times become the local time now.
void InitTimerField(TimerField& timer, uint32_t defaultFontIndex = 0);
void InitGridObject(GridObject& grid);

// ---- shown text and widths ----------------------------------------------------

// "iiii.dd", "0.dd", "iii" or "" by the digit format, with "+" in front under FlagSign.
std::u16string FormatAdcPlaceholder(const AdcField& field);
// A counter value by the field's digit format: sign, exactly n integer digits, then "."
// and exactly d fraction digits; empty when the digit format is 0.
std::u16string FormatDigitValue(const CounterField& field, int32_t value, int32_t fraction);
// Placeholder letters and label of every shown unit ("DDDdHHhMMmSSs").
std::u16string FormatTimerField(const TimerField& timer);
CellSize ClockExtent(const ClockObject& clock);
// Widths in the field's font; w is the width of "J".
int CounterWidth(const CounterField& field, TextMeasurer& measurer, bool defaultTable);
int TimerWidth(const TimerField& timer, TextMeasurer& measurer, bool defaultTable);
int DigitGroupWidth(const DigitGroup& group, TextMeasurer& measurer, bool defaultTable);
int DigitGroupSize(const DigitGroup& group);

// ---- tables -------------------------------------------------------------------

// Frees the objects of the table's cells and zeroes all cells.
void FreeGridCells(GridObject& grid);
// Position of each table cell's marker, row by row; at most columns x rows of them,
// ending at the first code 0.
std::vector<uint16_t> CollectGridCells(const GridObject& grid);
// The number of array cells of table cell (column, row), marker included, deep-copied
// into `out` as far as it holds them; 0 for a cell outside the table.
int CopyGridCell(const GridObject& grid, std::span<const uint16_t> index, std::span<TextCell> out, int column,
                 int row);
// Frees the objects of the text cells (not the marker) of one table cell.
void FreeGridCellObjects(GridObject& grid, std::span<const uint16_t> index, int column, int row);
// Resizes the table, keeping the texts of the cells that stay. Refused (false, table
// unchanged) for a size of 0 or above 255, or when the markers and kept cells would not
// fit the 2048 cells. Callers collect the index list again afterwards.
bool SetGridSize(GridObject& grid, int columns, int rows);

// Measures a text given as a header and a view of its cells (they end at their first
// code 0 or the view's end) within a maximum width: the layout's MeasureTextBlock.
using TextBlockMeasure = std::function<CellSize(const TextHeader& header, std::span<const TextCell> cells,
                                                int maxWidth)>;
// Sizes of the first `count` table cells' texts within `maxWidth` into `out` (the table's
// font-set mode, the cell's alignment, lines spread as in a new text).
void MeasureGridCells(const GridObject& grid, std::span<const uint16_t> index, const TextBlockMeasure& measure,
                      int maxWidth, int count, std::span<CellSize> out);

}  // namespace ledsuite
