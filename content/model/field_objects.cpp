#include "content/model/field_objects.h"

#include <algorithm>

#include "content/model/text_codec.h"

namespace ledsuite {

namespace {

// `count` decimal digits of v (leading zeros, higher digits dropped).
void AppendDigits(std::u16string& s, uint64_t v, int count) {
    std::u16string digits(size_t(count), u'0');
    for (int i = count - 1; i >= 0 && v; --i, v /= 10) digits[size_t(i)] = char16_t(u'0' + v % 10);
    s += digits;
}

uint64_t Magnitude(int32_t v) { return uint64_t(v < 0 ? -int64_t(v) : int64_t(v)); }

// A value below zero: a negative integer part, or -0.x, whose sign is kept in the fraction.
bool CounterNegative(int32_t value, int32_t fraction) { return value < 0 || (value == 0 && fraction < 0); }
// The range reaches below zero, so every value takes a sign column.
bool CounterSigned(const CounterField& f) {
    return CounterNegative(f.start, f.startFraction) || CounterNegative(f.end, f.endFraction);
}

int TimerUnitDigits(const TimerField& t, int k) { return k == 0 ? std::min<int>(t.dayDigits, kMaxTimerDayDigits) : 2; }

// First array cell and number of array cells (marker included) of table cell k.
struct CellRange {
    int start = 0;
    int count = 0;
};
CellRange GridCellRange(const GridObject& g, std::span<const uint16_t> index, int k) {
    if (k < 0 || size_t(k) >= index.size() || index[size_t(k)] >= kMaxCells) return {};
    const int start = index[size_t(k)];
    int end = start + 1;
    while (end < kMaxCells && g.cells[end].code != 0 && g.cells[end].code != FC_GRIDCELL) ++end;
    return {start, end - start};
}

int GridCellNumber(const GridObject& g, int column, int row) {
    if (column < 0 || row < 0 || column >= g.columns || row >= g.rows) return -1;
    return row * g.columns + column;
}

// Totals from the first row's widths and the first column's heights, held to 16 bits.
void UpdateGridTotals(GridObject& g) {
    const std::vector<uint16_t> index = CollectGridCells(g);
    int width = 0, height = 0;
    for (int c = 0; c < g.columns && size_t(c) < index.size(); ++c) width += GridCellWidth(g.cells[index[c]].attr);
    for (int r = 0; r < g.rows && size_t(r) * g.columns < index.size(); ++r)
        height += GridCellHeight(g.cells[index[size_t(r) * g.columns]].attr);
    g.totalWidth = uint16_t(std::min(width, 0xFFFF));
    g.totalHeight = uint16_t(std::min(height, 0xFFFF));
}

}  // namespace

TimerDateTime PackTimerDateTime(const LocalTime& t) {
    return {uint16_t(t.year), uint16_t(t.month << 10 | t.day << 5 | t.hour), uint16_t(t.minute << 6 | t.second)};
}

std::u16string TimerField::Label(int k) const { return U16FromField(labels[size_t(k)].data(), kTimerLabelUnits); }

int DigitGroup::DigitCount() const {
    int n = 0;
    while (size_t(n) < digits.size() && digits[size_t(n)].code >= u'0' && digits[size_t(n)].code <= u'9') ++n;
    return n;
}

// ---- initial state ------------------------------------------------------------

void InitAdcSettings(AdcField& field, uint32_t defaultFontIndex) {
    field.reserved = 0;
    field.number = 0;
    field.channel = 0;
    field.calibrated = 1;
    field.digitFormat = 0x24;
    field.flags = 0;
    field.attr = CellAttr::Make(16, defaultFontIndex, 0);
    field.reserved2 = {};
    field.rows.fill(AdcCalibration{});
}

void InitCounterSettings(CounterField& field) {
    field.digitFormat = 0x20;
    field.start = 0;
    field.end = 99;
    field.startFraction = 0;
    field.endFraction = 0;
    field.attr = 0;
    field.unit = 0;
    field.flags = 0;
}

void InitTimerField(TimerField& timer, uint32_t defaultFontIndex) {
    timer.attr = CellAttr::Make(16, defaultFontIndex, 0);
    for (auto& label : timer.labels) label.fill(0);
    timer.mode = 0;
    timer.dayDigits = 3;
    timer.units = {1, 2, 3, 4};
    timer.a = timer.b = PackTimerDateTime(CurrentLocalTime());
}

void InitGridObject(GridObject& grid) {
    grid.columns = grid.rows = 0;
    FreeGridCells(grid);
    grid.totalWidth = grid.totalHeight = 0;
}

// ---- shown text and widths ----------------------------------------------------

std::u16string FormatAdcPlaceholder(const AdcField& field) {
    const int n = AdcIntDigits(field.digitFormat), d = AdcDecimals(field.digitFormat);
    std::u16string s = (field.flags & AdcField::FlagSign) ? u"+" : u"";
    if (n > 0) s.append(size_t(n), u'i');
    else if (d > 0) s += u'0';
    if (d > 0) s.append(1, u'.').append(size_t(d), u'd');
    return s;
}

std::u16string FormatDigitValue(const CounterField& field, int32_t value, int32_t fraction) {
    if (field.digitFormat == 0) return {};
    const int n = AdcIntDigits(field.digitFormat), d = AdcDecimals(field.digitFormat);
    std::u16string s;
    if (CounterNegative(value, fraction)) s += u'-';
    else if (CounterSigned(field)) s += (field.flags & CounterField::FlagSign) ? u'+' : u' ';
    AppendDigits(s, n > 0 ? Magnitude(value) : 0, std::max(n, 1));
    if (d > 0) {
        s += u'.';
        AppendDigits(s, Magnitude(fraction), d);
    }
    return s;
}

std::u16string FormatTimerField(const TimerField& timer) {
    static constexpr char16_t kLetter[4] = {u'D', u'H', u'M', u'S'};
    std::u16string s;
    for (int k = 0; k < 4; ++k) {
        if (!timer.UnitShown(k)) continue;
        s.append(size_t(TimerUnitDigits(timer, k)), kLetter[k]);
        s += timer.Label(k);
    }
    return s;
}

CellSize ClockExtent(const ClockObject& clock) {
    if (clock.style == 0) return {clock.size, clock.size};
    const RawImage* first = clock.face.empty() ? nullptr : clock.face[0];
    return {first ? first->displayWidth : 0, clock.size};
}

int CounterWidth(const CounterField& field, TextMeasurer& measurer, bool defaultTable) {
    if (field.digitFormat == 0) return 0;
    const int n = AdcIntDigits(field.digitFormat), d = AdcDecimals(field.digitFormat);
    const int chars = std::max(n, 1) + (d > 0 ? d + 1 : 0) + (CounterSigned(field) ? 1 : 0);
    return chars * measurer.TextWidth(u"J", field.attr, defaultTable);
}

int TimerWidth(const TimerField& timer, TextMeasurer& measurer, bool defaultTable) {
    const int w = measurer.TextWidth(u"J", timer.attr, defaultTable);
    int width = 0;
    for (int k = 0; k < 4; ++k) {
        if (!timer.UnitShown(k)) continue;
        width += TimerUnitDigits(timer, k) * w;
        const std::u16string label = timer.Label(k);
        if (!label.empty()) width += measurer.TextWidth(label, timer.attr, defaultTable);
    }
    return width;
}

int DigitGroupWidth(const DigitGroup& group, TextMeasurer& measurer, bool defaultTable) {
    int width = 0, w = 0;
    for (int i = 0, n = group.DigitCount(); i < n; ++i) {
        const uint32_t attr = group.digits[size_t(i)].attr;
        if (i == 0 || attr != group.digits[size_t(i) - 1].attr) w = measurer.TextWidth(u"J", attr, defaultTable);
        width += w;
    }
    return width;
}

int DigitGroupSize(const DigitGroup& group) {
    int size = 0;
    for (int i = 0, n = group.DigitCount(); i < n; ++i)
        size = std::max(size, int(CellAttr::SizeOf(group.digits[size_t(i)].attr)));
    return size;
}

// ---- tables -------------------------------------------------------------------

void FreeGridCells(GridObject& grid) { grid.cells.fill(TextCell{}); }

std::vector<uint16_t> CollectGridCells(const GridObject& grid) {
    const size_t limit = size_t(grid.columns) * grid.rows;
    std::vector<uint16_t> index;
    for (int i = 0; i < kMaxCells && index.size() < limit && grid.cells[i].code != 0; ++i)
        if (grid.cells[i].code == FC_GRIDCELL) index.push_back(uint16_t(i));
    return index;
}

int CopyGridCell(const GridObject& grid, std::span<const uint16_t> index, std::span<TextCell> out, int column,
                 int row) {
    const CellRange r = GridCellRange(grid, index, GridCellNumber(grid, column, row));
    const size_t copied = std::min(size_t(r.count), out.size());
    for (size_t i = 0; i < copied; ++i) out[i] = grid.cells[size_t(r.start) + i];
    return r.count;
}

void FreeGridCellObjects(GridObject& grid, std::span<const uint16_t> index, int column, int row) {
    const CellRange r = GridCellRange(grid, index, GridCellNumber(grid, column, row));
    for (int i = r.start + 1; i < r.start + r.count; ++i) FreeCellObject(grid.cells[i]);
}

bool SetGridSize(GridObject& grid, int columns, int rows) {
    if (columns < 1 || rows < 1 || columns > 255 || rows > 255) return false;
    if (columns == grid.columns && rows == grid.rows) return true;

    // The new array as pieces: runs of old cells kept (start >= 0) or new markers.
    struct Piece {
        int start = -1;
        int count = 1;
        uint32_t marker = kNewGridMarker;
    };
    std::vector<Piece> plan;
    size_t total = 0;
    if (grid.columns == 0 || grid.rows == 0) {
        plan.assign(size_t(columns) * rows, Piece{});
        total = plan.size();
    } else {
        const std::vector<uint16_t> index = CollectGridCells(grid);
        std::vector<uint32_t> rowMarkers(size_t(columns), kNewGridMarker);
        for (int r = 0; r < rows; ++r) {
            if (r < grid.rows) {
                const CellRange first = GridCellRange(grid, index, r * grid.columns);
                const uint32_t firstMarker = first.count ? grid.cells[first.start].attr : kNewGridMarker;
                for (int c = 0; c < columns; ++c) {
                    const CellRange kept = c < grid.columns ? GridCellRange(grid, index, r * grid.columns + c)
                                                            : CellRange{};
                    Piece p;
                    if (kept.count) p = {kept.start, kept.count, grid.cells[kept.start].attr};
                    else p.marker = (firstMarker & ~0x3FFu) | 64;
                    rowMarkers[size_t(c)] = p.marker;
                    plan.push_back(p);
                }
            } else {  // a new row repeats the last kept row's markers
                for (int c = 0; c < columns; ++c) plan.push_back(Piece{-1, 1, rowMarkers[size_t(c)]});
            }
        }
        for (const Piece& p : plan) total += size_t(p.count);
    }
    if (total > size_t(kMaxCells)) return false;

    std::vector<TextCell> built;
    built.reserve(total);
    for (const Piece& p : plan) {
        if (p.start < 0) built.emplace_back(FC_GRIDCELL, p.marker);
        else
            for (int i = 0; i < p.count; ++i) built.push_back(std::move(grid.cells[size_t(p.start + i)]));
    }
    // Cells not moved over (dropped columns and rows) are freed with their objects here.
    for (size_t i = 0; i < size_t(kMaxCells); ++i) grid.cells[i] = i < built.size() ? std::move(built[i]) : TextCell{};
    grid.columns = uint8_t(columns);
    grid.rows = uint8_t(rows);
    UpdateGridTotals(grid);
    return true;
}

void MeasureGridCells(const GridObject& grid, std::span<const uint16_t> index, const TextBlockMeasure& measure,
                      int maxWidth, int count, std::span<CellSize> out) {
    if (!measure) return;
    const size_t n = std::min({size_t(std::max(count, 0)), index.size(), out.size()});
    for (size_t k = 0; k < n; ++k) {
        const CellRange r = GridCellRange(grid, index, int(k));
        if (!r.count) continue;
        TextHeader header;
        header.fontSet = uint8_t(grid.style >> 8);
        header.align = uint8_t(GridCellAlign(grid.cells[r.start].attr));
        header.spread = 1;
        out[k] = measure(header, std::span(grid.cells).subspan(size_t(r.start) + 1, size_t(r.count) - 1), maxWidth);
    }
}

}  // namespace ledsuite
