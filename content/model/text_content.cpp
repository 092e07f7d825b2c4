#include "content/model/text_content.h"

#include <algorithm>

#include "content/model/field_objects.h"
#include "content/model/raw_image.h"

namespace ledsuite {

namespace {

using namespace CellAttr;

// Calls `fn` on every attribute word the cell's look depends on: none for pictures,
// tables and clocks, each digit of a digit group, else the effective attribute.
template <class F>
void ForEachAttr(TextCell& cell, F&& fn) {
    if (IsPictureTableOrClock(cell.code)) return;
    if (cell.code == FC_DIGITS) {
        if (auto* g = CellObjectAs<DigitGroup>(cell))
            for (int i = 0, n = g->DigitCount(); i < n; ++i) fn(g->digits[i].attr);
        return;
    }
    fn(*CellAttrPtr(cell));
}

uint32_t EffectiveAttr(const TextCell& cell) {
    const uint32_t* p = CellAttrPtr(cell);
    return p ? *p : 0;
}

uint32_t WithSize(uint32_t attr, int size) {
    return (attr & ~SizeMask) | uint32_t(std::clamp(size, 0, 255)) << SizeShift;
}

uint32_t WithFont(uint32_t attr, uint32_t index) { return (attr & ~FontMask) | (index & 0x3FF) << FontShift; }

int TableIndex(const std::vector<std::u16string>& table, uint32_t index) {
    return index < table.size() ? int(index) : 0;
}

// First entry whose name contains `face`, or -1.
int FindContaining(const std::vector<std::u16string>& table, const std::u16string& face) {
    for (size_t i = 0; i < table.size(); ++i)
        if (table[i].find(face) != std::u16string::npos) return int(i);
    return -1;
}

}  // namespace

// ---- font tables ----------------------------------------------------------------

std::u16string FontTables::FaceName(uint32_t index, bool defaultTable) const {
    const auto& t = Table(defaultTable);
    return t.empty() ? std::u16string() : t[TableIndex(t, index)];
}

uint32_t FontTables::InstalledToDefault(uint32_t index) const {
    if (defaults.size() <= 1) return 0;
    return uint32_t(std::max(FindContaining(defaults, FaceName(index, false)), 0));
}

uint32_t FontTables::DefaultToInstalled(uint32_t index) const {
    int i = FindContaining(installed, FaceName(index, true));
    return i < 0 ? defaultFontIndex : uint32_t(i);
}

// ---- per-cell operations ----------------------------------------------------------

const uint32_t* CellAttrPtr(const TextCell& cell) {
    switch (cell.code) {
    case FC_ADC:
        if (auto* f = CellObjectAs<AdcField>(cell)) return &f->attr;
        break;
    case FC_TIMER:
        if (auto* f = CellObjectAs<TimerField>(cell)) return &f->attr;
        break;
    case FC_COUNTER:
        if (auto* f = CellObjectAs<CounterField>(cell)) return &f->attr;
        break;
    case FC_DIGITS: {
        auto* g = CellObjectAs<DigitGroup>(cell);
        int n = g ? g->DigitCount() : 0;
        return n ? &g->digits[n - 1].attr : nullptr;
    }
    default:
        break;
    }
    return &cell.attr;
}

uint32_t CellAttrValue(const TextCell& cell) {
    const uint32_t* attr = CellAttrPtr(cell);
    return attr ? *attr : 0;
}

uint32_t* CellAttrPtr(TextCell& cell) {
    return const_cast<uint32_t*>(CellAttrPtr(static_cast<const TextCell&>(cell)));
}

void ApplyAttrMask(uint32_t* target, uint32_t mask, uint32_t source) {
    if (!target) return;
    uint32_t take = mask & (AttrMask::Bold | AttrMask::Italic | AttrMask::Underline);
    if (mask & AttrMask::Font) take |= FontMask;
    if (mask & AttrMask::Color) take |= ColorMask;
    if ((mask & AttrMask::Size) && SizeOf(source) >= 8) take |= SizeMask;
    *target = (*target & ~take) | (source & take);
}

void ApplyCellAttrMask(TextCell& cell, uint32_t source, uint32_t mask) {
    if (cell.code == FC_PICTURE || cell.code == FC_CLOCK) {
        if ((mask & AttrMask::Size) && SizeOf(source) > 8) SetCellFontSize(cell, int(SizeOf(source)));
        return;
    }
    ForEachAttr(cell, [&](uint32_t& a) { ApplyAttrMask(&a, mask, source); });
}

int CellFontSize(const TextCell& cell) {
    switch (cell.code) {
    case FC_PICTURE: {
        auto* p = CellObjectAs<PictureObject>(cell);
        return p && !p->frames.empty() && p->frames[0] ? p->frames[0]->displayHeight : 0;
    }
    case FC_TABLE: {
        auto* g = CellObjectAs<GridObject>(cell);
        return g ? g->totalHeight & 0xFF : 0;
    }
    case FC_CLOCK: {
        auto* c = CellObjectAs<ClockObject>(cell);
        return c ? c->size : 0;
    }
    case FC_DIGITS: {
        auto* g = CellObjectAs<DigitGroup>(cell);
        return g ? DigitGroupSize(*g) : 0;
    }
    default:
        return int(SizeOf(EffectiveAttr(cell)));
    }
}

void SetCellFontSize(TextCell& cell, int size) {
    size = std::clamp(size, 8, 255);
    if (auto* p = cell.code == FC_PICTURE ? CellObjectAs<PictureObject>(cell) : nullptr) {
        FitFramesToHeight(p->frames, size);
    } else if (auto* c = cell.code == FC_CLOCK ? CellObjectAs<ClockObject>(cell) : nullptr) {
        c->size = uint8_t(size);
        FitFramesToHeight(c->face, size);
    } else {
        ForEachAttr(cell, [&](uint32_t& a) { a = WithSize(a, size); });
    }
}

void SetCellFontIndex(TextCell& cell, uint32_t index, const FontTables& fonts, bool defaultTable) {
    const uint32_t i = uint32_t(TableIndex(fonts.Table(defaultTable), index));
    ForEachAttr(cell, [&](uint32_t& a) { a = WithFont(a, i); });
}

int SetCellFontIndexAndSize(TextCell& cell, uint32_t index, int size) {
    if (IsPictureTableOrClock(cell.code)) return 0;
    ForEachAttr(cell, [&](uint32_t& a) { a = WithSize(WithFont(a & ColorMask, index), size); });
    return 1;
}

uint32_t CellColor(const TextCell& cell) {
    if (IsPictureTableOrClock(cell.code)) return 0xFFFFFF;
    const uint32_t a = EffectiveAttr(cell);
    return (a & Red ? 0xFF0000u : 0) | (a & Green ? 0x00FF00u : 0) | (a & Blue ? 0x0000FFu : 0);
}

void SetCellColor(TextCell& cell, uint32_t rgb) {
    const uint32_t bits = ((rgb >> 16 & 0xFF) >= 128 ? Red : 0) | ((rgb >> 8 & 0xFF) >= 128 ? Green : 0) |
                          ((rgb & 0xFF) >= 128 ? Blue : 0);
    ForEachAttr(cell, [&](uint32_t& a) { a = (a & ~ColorMask) | bits; });
}

int CellPaletteIndex(const TextCell* cell) {
    // By RgbBits: none, red, green, red+green, blue, red+blue, green+blue, all three.
    static constexpr int kIndex[8] = {5, 9, 10, 12, 11, 14, 13, 7};
    if (!cell || IsPictureTableOrClock(cell->code)) return 5;
    return kIndex[RgbOf(EffectiveAttr(*cell))];
}

std::optional<CellFont> CreateCellFont(const TextCell& cell, bool useDefaultTable, const FontTables& fonts) {
    const uint32_t* p = CellAttrPtr(cell);
    if (IsPictureTableOrClock(cell.code) || !p) return std::nullopt;
    const uint32_t a = *p;
    return CellFont{fonts.FaceName(FontOf(a), useDefaultTable), int(SizeOf(a)), a & Bold ? 700 : 400,
                    (a & Italic) != 0, (a & Underline) != 0, (a & Strikeout) != 0};
}

int SnapCardFontSize(int size) {
    static constexpr int kBelow[] = {12, 15, 18, 28, 38, 54, 70, 96};
    static constexpr int kSize[] = {8, 12, 16, 24, 32, 48, 64, 80};
    for (int i = 0; i < 8; ++i)
        if (size < kBelow[i]) return kSize[i];
    return 128;
}

CellSize CellExtent(const TextCell& cell, TextMeasurer& measurer, bool snap, bool defaultTable) {
    const char16_t code = cell.code;
    switch (code) {
    case 0:
        return {};
    case FC_PICTURE: {
        auto* p = CellObjectAs<PictureObject>(cell);
        if (!p || p->frames.empty() || !p->frames[0]) return {};
        return {p->frames[0]->displayWidth, p->frames[0]->displayHeight};
    }
    case FC_TABLE: {
        auto* g = CellObjectAs<GridObject>(cell);
        return g ? CellSize{g->totalWidth, g->totalHeight} : CellSize{};
    }
    case FC_CLOCK: {
        auto* c = CellObjectAs<ClockObject>(cell);
        return c ? ClockExtent(*c) : CellSize{};
    }
    case FC_DIGITS: {
        auto* g = CellObjectAs<DigitGroup>(cell);
        return g ? CellSize{DigitGroupWidth(*g, measurer, defaultTable), DigitGroupSize(*g)} : CellSize{};
    }
    default:
        break;
    }
    const uint32_t attr = EffectiveAttr(cell);
    const int height = int(SizeOf(attr));
    if (auto* t = code == FC_TIMER ? CellObjectAs<TimerField>(cell) : nullptr)
        return {TimerWidth(*t, measurer, defaultTable), height};
    if (auto* c = code == FC_COUNTER ? CellObjectAs<CounterField>(cell) : nullptr)
        return {CounterWidth(*c, measurer, defaultTable), height};

    // Every other cell is `count` units of w, w being "J" or the character itself.
    enum Rules { SmallThenSnap, SnapThenSmall, SmallOnly };
    Rules rules = SnapThenSmall;
    int count = 1;
    bool onJ = true;
    if (code == FC_YEAR) {
        rules = SmallThenSnap, count = 4;
    } else if (code >= FC_MONTH && code <= FC_SECOND) {
        rules = SmallThenSnap, count = 2;
    } else if (auto* f = code == FC_ADC ? CellObjectAs<AdcField>(cell) : nullptr) {
        rules = SmallThenSnap, count = int(FormatAdcPlaceholder(*f).size());
    } else if (code == FC_WEEK_EN || code == FC_MONTH_EN) {
        count = 9;
    } else if (code == FC_WEEK_EN_SHORT || code == FC_MONTH_EN_SHORT) {
        count = 4;
    } else if (code == FC_LYRIC) {
        rules = SmallOnly, count = 3;
    } else {
        onJ = false;
    }
    int w = onJ ? measurer.TextWidth(u"J", attr, defaultTable) : measurer.CharWidth(code, attr, defaultTable);
    auto smallSize = [&] {
        if (height == 8 || height == 9) w = 6;
        else if (height == 10) w = 7;
    };
    auto snapWidth = [&] {
        if (snap) w = SnapCardFontSize(w);
    };
    if (rules == SnapThenSmall) snapWidth();
    smallSize();
    if (rules == SmallThenSnap) snapWidth();
    return {w * count, height};
}

void FreeCellObject(TextCell& cell) { cell.obj.reset(); }

int CountCells(std::span<const TextCell> cells) {
    int n = 0;
    while (n < int(cells.size()) && cells[n].code != 0) ++n;
    return n;
}

int CountCells(const TextContent& text) { return CountCells(std::span<const TextCell>(text.cells)); }

bool IsThaiChar(const TextCell& cell) { return cell.code >= 0x0E00 && cell.code <= 0x0E5B; }

int ThaiCharClass(const TextCell& cell) {
    const char16_t c = cell.code;
    if (c == 0x0E38 || c == 0x0E39) return 0;
    if (c == 0x0E31 || (c >= 0x0E33 && c <= 0x0E37) || c == 0x0E47 || (c >= 0x0E4C && c <= 0x0E4E)) return 1;
    if (c >= 0x0E48 && c <= 0x0E4B) return 2;
    if (c == 0x0E2F || c == 0x0E30 || c == 0x0E3A || (c >= 0x0E40 && c <= 0x0E46) || c == 0x0E5A || c == 0x0E5B)
        return 3;
    if (c == 0x0E00 || c == 0x0E3F || (c >= 0x0E4F && c <= 0x0E59)) return 4;
    if ((c >= 0x0E01 && c <= 0x0E2E) || c == 0x0E32) return 5;
    return -1;
}

// ---- whole texts ----------------------------------------------------------------

namespace {

// The size a card font-set ladder (mode & 15, 1..5) gives a pixel size.
int LadderSize(int ladder, int size) {
    static constexpr int kFrom[6] = {0, 14, 20, 28, 40, 56};
    static constexpr int kLadder[5][6] = {{12, 16, 16, 16, 16, 16},
                                          {24, 24, 24, 24, 24, 24},
                                          {12, 16, 24, 32, 32, 32},
                                          {12, 16, 24, 32, 48, 48},
                                          {12, 16, 24, 32, 48, 64}};
    int step = 0;
    while (step < 5 && size >= kFrom[step + 1]) ++step;
    return kLadder[ladder - 1][step];
}

}  // namespace

void ConvertCardFontSet(TextContent& text, uint8_t mode, const FontTables& fonts) {
    if (text.header.fontSet == mode) return;
    const int n = CountCells(text);
    if (mode == 0) {
        for (int i = 0; i < n; ++i)
            ForEachAttr(text.cells[i], [&](uint32_t& a) { a = WithFont(a, fonts.DefaultToInstalled(FontOf(a))); });
        text.header.fontSet = 0;
        return;
    }
    const int ladder = mode & 15;
    if (ladder < 1 || ladder > 5) {
        if (n == 0) text.header.fontSet = mode;
        return;
    }
    const bool translate = mode >= 8 && text.header.fontSet == 0;
    for (int i = 0; i < n; ++i) {
        TextCell& cell = text.cells[i];
        const int size = LadderSize(ladder, CellFontSize(cell));
        if (IsPictureTableOrClock(cell.code)) {
            SetCellFontSize(cell, size);
            continue;
        }
        ForEachAttr(cell, [&](uint32_t& a) {
            const uint32_t font = translate ? fonts.InstalledToDefault(FontOf(a)) : 0;
            a = WithSize(WithFont(a & ~(Bold | Italic | Underline), font), size);
        });
    }
    text.header.fontSet = mode;
}

namespace {

// Units of the card code stream with the attribute markers before them.
class CodeStream {
public:
    explicit CodeStream(ByteWriter& out) : out_(out) {}

    unsigned units() const { return units_; }
    bool ok() const { return units_ <= 0xFFFF && out_.ok(); }

    void Unit(uint16_t u) {
        if (++units_ <= 0xFFFF) out_.put_u16(u);
    }
    void Word(uint32_t w) {
        Unit(uint16_t(w));
        Unit(uint16_t(w >> 16));
    }
    void Attr(uint32_t attr) {
        if (attr == last_) return;
        last_ = attr;
        Unit(FC_ATTR);
        Word(attr);
    }

    void Cells(std::span<const TextCell> cells) {
        for (const TextCell& c : cells.first(CountCells(cells))) Cell(c, false);
    }

private:
    void Cell(const TextCell& c, bool inTable) {
        switch (c.code) {
        case FC_GRIDCELL:  // only inside a table
            return;
        case FC_PICTURE:
        case FC_CLOCK:
            Unit(c.code);
            return;
        case FC_TABLE:
            if (auto* g = CellObjectAs<GridObject>(c); g && !inTable) Table(*g);
            return;
        default:
            Attr(EffectiveAttr(c));
            Unit(c.code);
        }
    }

    void Table(const GridObject& g) {
        Unit(FC_TABLE);
        Unit(uint16_t((g.style & 0xFF) << 8));
        Unit(uint16_t(g.rows << 8 | g.columns));
        const int limit = g.columns * g.rows;
        int markers = 0;
        for (const TextCell& c : std::span(g.cells).first(CountCells(g.cells))) {
            if (c.code == FC_GRIDCELL) {
                if (markers++ == limit) break;
                Unit(FC_GRIDCELL);
                Word(c.attr);
            } else if (markers > 0) {  // text before the first marker belongs to no cell
                Cell(c, true);
            }
        }
        Unit(0);
    }

    ByteWriter& out_;
    unsigned units_ = 0;
    uint32_t last_ = 0;
};

}  // namespace

int SerializeTextForCard(const TextContent& text, ByteWriter& out) {
    const size_t begin = out.size();
    out.put_u8(text.header.fontSet);
    out.put_u8(uint8_t(text.header.align | ((text.header.spread & 0xFF) ? 4 : 0)));
    out.put_u16(0xFF00);
    const ByteWriter::Place count = out.reserve(2);
    CodeStream s(out);
    s.Cells(text.cells);
    s.Unit(0);
    if (!s.ok()) return -1;
    out.patch(count, s.units());
    return int(out.size() - begin);
}

}  // namespace ledsuite
