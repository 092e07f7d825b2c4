#include "content/render/text_layout.h"

#include <algorithm>

#include "content/render/builtin_font.h"
#include "content/render/font_tables.h"
#include "content/render/item_painters.h"
#include "content/model/records.h"

namespace ledsuite {

namespace {

constexpr std::u16string_view kWeekChinese[] = {u"天", u"一", u"二", u"三", u"四", u"五", u"六"};
constexpr std::u16string_view kWeekEnglish[] = {u"Sunday",   u"Monday", u"Tuesday", u"Wednesday",
                                                u"Thursday", u"Friday", u"Saturday"};
constexpr std::u16string_view kWeekShort[] = {u"Sun", u"Mon", u"Tues", u"Wednes", u"Thurs", u"Fri", u"Satur"};
constexpr std::u16string_view kMonthEnglish[] = {u"January", u"February", u"March",     u"April",
                                                 u"May",     u"June",     u"July",      u"August",
                                                 u"September", u"October", u"November", u"December"};
constexpr std::u16string_view kMonthShort[] = {u"Jan.", u"Feb.", u"Mar.", u"Apr.", u"May.", u"Jun.",
                                               u"Jul.", u"Aug.", u"Sep.", u"Oct.", u"Nov.", u"Dec."};

std::u16string Decimal(int value, int digits) {
    std::u16string s;
    for (unsigned v = unsigned(std::max(value, 0)); v || int(s.size()) < digits; v /= 10)
        s.insert(s.begin(), char16_t(u'0' + v % 10));
    return s;
}

bool IsThaiMark(const TextCell& c) {
    const int k = ThaiCharClass(c);
    return k >= 0 && k <= 2;
}

// The marks following a Thai consonant at `index`, bounded by the text's end.
int ThaiMarkCount(std::span<const TextCell> cells, int n, int index) {
    int marks = 0;
    while (marks < kThaiMaxMarks && index + 1 + marks < n && IsThaiMark(cells[size_t(index + 1 + marks)])) ++marks;
    return marks;
}

// The cells a cluster starting at `index` can take, so that cluster scans stay short.
std::span<const TextCell> ClusterCells(std::span<const TextCell> cells, int n, int index) {
    return cells.subspan(size_t(index), size_t(std::min(kThaiMaxMarks + 1, n - index)));
}

bool EndsWithNewline(std::span<const TextCell> cells, int n, const LineExtent& l) {
    return l.last >= 0 && l.last < n && cells[size_t(l.last)].code == kNewline;
}

// Calls fn(begin, end) for each group of lines [begin, end): the wrapped lines of one
// hard line, up to and including a line that ends in a newline.
template <class F>
void ForEachGroup(const TextView& text, std::span<const LineExtent> lines, F&& fn) {
    const int n = text.count();
    size_t begin = 0;
    for (size_t i = 0; i < lines.size(); ++i)
        if (i + 1 == lines.size() || EndsWithNewline(text.cells, n, lines[i])) {
            fn(begin, i + 1);
            begin = i + 1;
        }
}

int GroupHeight(std::span<const LineExtent> lines, size_t begin, size_t end) {
    int h = 0;
    for (size_t i = begin; i < end; ++i) h = std::max(h, lines[i].height);
    return h;
}

// A width taken up to the next whole multiple of the area width.
int RoundUpTo(int width, int area) { return width <= 0 ? 0 : int((int64_t(width) + area - 1) / area * area); }

bool IsTimeField(char16_t code) {
    return (code >= FC_YEAR && code <= FC_SECOND) || (code >= FC_WEEK_CN && code <= FC_MONTH_EN_SHORT);
}

// Fields measured as a number of widths of "J" in their font (dates, times, names).
bool MeasuredInJ(char16_t code) {
    return (code >= FC_YEAR && code <= FC_SECOND) || (code >= FC_WEEK_EN && code <= FC_MONTH_EN_SHORT) ||
           code == FC_LYRIC;
}

// A field's characters stand in cells one "J" wide, each clipped to its cell as the card's
// glyphs are: in a face whose letters or digits are wider at some size, no character
// runs into the next one.
void DrawFieldInCells(Surface& s, int left, int top, std::u16string_view text) {
    const int w = s.renderer() ? s.renderer()->CharWidth(s.font(), U'J') : 0;
    const PixelRect clip = s.clip();
    int x = left;
    for (char16_t c : text) {
        s.SetClip(clip.Intersect({x, clip.top, x + w, clip.bottom}));
        s.DrawText(x, top, {&c, 1});
        x += w;
    }
    s.SetClip(clip);
}

// The frame of a picture at an animation time: the first whose running pause reaches
// the time taken modulo the pauses' sum.
const RawImage* PictureFrameAt(const PictureObject& picture, uint32_t time) {
    uint64_t sum = 0;
    for (const auto& f : picture.frames.frames) sum += f ? f->pause : 0;
    const uint64_t t = time % std::max<uint64_t>(sum, 1);
    uint64_t run = 0;
    const RawImage* last = nullptr;
    for (const auto& f : picture.frames.frames) {
        if (!f) continue;
        last = f.get();
        run += f->pause;
        if (run >= t) return last;
    }
    return last;
}

}  // namespace

// ---- field texts ------------------------------------------------------------------

std::span<const std::u16string_view> FieldNames(char16_t code) {
    switch (code) {
    case FC_WEEK_CN: return kWeekChinese;
    case FC_WEEK_EN: return kWeekEnglish;
    case FC_WEEK_EN_SHORT: return kWeekShort;
    case FC_MONTH_EN: return kMonthEnglish;
    case FC_MONTH_EN_SHORT: return kMonthShort;
    default: return {};
    }
}

std::u16string FieldDisplayText(const TextCell& cell, const LocalTime& now) {
    switch (cell.code) {
    case FC_YEAR: return Decimal(now.year, 1);
    case FC_MONTH: return Decimal(now.month, 2);
    case FC_DAY: return Decimal(now.day, 2);
    case FC_HOUR: return Decimal(now.hour, 2);
    case FC_MINUTE: return Decimal(now.minute, 2);
    case FC_SECOND: return Decimal(now.second, 2);
    case FC_TEMPERATURE: return u"20";
    case FC_HUMIDITY: return u"40";
    case FC_LYRIC: return u"LRC";
    case FC_WEEK_CN:
    case FC_WEEK_EN:
    case FC_WEEK_EN_SHORT: return std::u16string(FieldNames(cell.code)[size_t(std::clamp(now.weekday, 0, 6))]);
    case FC_MONTH_EN:
    case FC_MONTH_EN_SHORT: return std::u16string(FieldNames(cell.code)[size_t(std::clamp(now.month, 1, 12) - 1)]);
    default: return std::u16string(1, cell.code);
    }
}

bool IsFieldCell(char16_t code) {
    return IsPictureTableOrClock(code) || (code >= FC_YEAR && code <= FC_HUMIDITY) ||
           (code >= FC_WEEK_CN && code <= FC_MONTH_EN_SHORT) || (code >= FC_LYRIC && code <= FC_DIGITS);
}

bool TextReadsTheClock(const TextContent& text) {
    const auto reads = [](std::span<const TextCell> cells) {
        const size_t n = size_t(CountCells(cells));
        return std::any_of(cells.begin(), cells.begin() + long(n),
                           [](const TextCell& c) { return IsTimeField(c.code) || c.code == FC_CLOCK; });
    };
    if (reads(text.cells)) return true;
    const size_t n = size_t(CountCells(text.cells));
    return std::any_of(text.cells.begin(), text.cells.begin() + long(n), [&](const TextCell& c) {
        const auto* grid = c.code == FC_TABLE ? CellObjectAs<GridObject>(c) : nullptr;
        return grid && reads(grid->cells);
    });
}

// ---- drawing cells ------------------------------------------------------------------

void DrawCell(RenderContext& rc, Surface& s, const TextCell& cell, const PixelRect& rect, size_t frame) {
    const int left = rect.left, top = rect.top;
    switch (cell.code) {
    case 0:
    case kNewline: return;
    case FC_PICTURE:
        if (auto* p = CellObjectAs<PictureObject>(cell))
            if (const RawImage* image = GetImageFrame(&p->frames, frame)) DrawImageOr(s, *image, left, top, rect);
        return;
    case FC_TABLE:
        if (auto* g = CellObjectAs<GridObject>(cell)) DrawGrid(rc, s, *g, 0, 0, 0, nullptr, left, top, rect.right, rect.bottom);
        return;
    case FC_CLOCK:
        if (auto* c = CellObjectAs<ClockObject>(cell)) DrawClock(s, *c, true, left, top, rect.width(), rect.height());
        return;
    case FC_ADC:
        if (auto* f = CellObjectAs<AdcField>(cell)) DrawAdcField(s, left, top, *f);
        return;
    case FC_TIMER:
        if (auto* f = CellObjectAs<TimerField>(cell)) DrawTimerField(s, left, top, *f);
        return;
    case FC_COUNTER:
        if (auto* f = CellObjectAs<CounterField>(cell)) DrawCounterField(s, left, top, *f);
        return;
    case FC_DIGITS:
        if (auto* g = CellObjectAs<DigitGroup>(cell)) DrawDigitGroup(rc, s, left, top, *g);
        return;
    default: break;
    }
    const std::u16string text = FieldDisplayText(cell, IsTimeField(cell.code) ? CurrentLocalTime() : LocalTime{});
    const uint32_t colour = CellColor(cell);
    s.SetTextColor(colour);
    if (CellFontSize(cell) != 8) {
        if (MeasuredInJ(cell.code)) DrawFieldInCells(s, left, top, text);
        else s.DrawText(left, top, text);
        return;
    }
    // 8-pixel text: the built-in font, the small font for what it lacks.
    int x = left;
    for (char16_t c : text) {
        if (!DrawBuiltinGlyph(s, x, top, c, colour)) rc.fonts.Draw(s, x, top - kSmallFontRise, SmallFont(), {&c, 1}, colour);
        x += kBuiltinGlyphAdvance;
    }
}

int DrawThaiCluster(Surface& s, std::span<const TextCell> cells, int x, int y, int index) {
    const int n = CountCells(cells);
    if (index < 0 || index >= n || ThaiCharClass(cells[size_t(index)]) != 5) return 0;
    const int marks = ThaiMarkCount(cells, n, index);
    std::u16string cluster;
    for (int i = index; i <= index + marks; ++i) cluster += cells[size_t(i)].code;
    s.SetTextColor(CellColor(cells[size_t(index)]));
    s.DrawText(x, y, cluster);
    return marks;
}

CellSize ThaiClusterExtent(RenderContext& rc, std::span<const TextCell> cells, int index, bool snap) {
    const int n = CountCells(cells);
    if (index < 0 || index >= n || ThaiCharClass(cells[size_t(index)]) != 5) return {};
    CellSize e = CellExtent(cells[size_t(index)], rc.measurer, snap, snap);
    for (int i = index + 1, end = index + ThaiMarkCount(cells, n, index); i <= end; ++i)
        e.width = std::max(e.width, CellExtent(cells[size_t(i)], rc.measurer, snap, snap).width);
    return e;
}

// ---- layout ---------------------------------------------------------------------------

bool BreakTextLines(RenderContext& rc, const TextView& text, std::span<CellSize> extents,
                    std::vector<LineExtent>& lines, int maxWidth) {
    lines.clear();
    const int n = text.count();
    if (n == 0 || extents.size() < size_t(n)) return false;
    std::fill(extents.begin(), extents.end(), CellSize{});
    const bool card = text.header.fontSet != 0;
    for (int i = 0; i < n; ++i) {
        const TextCell& cell = text.cells[size_t(i)];
        if (cell.code == kNewline) {
            extents[size_t(i)] = {0, CellFontSize(cell)};
        } else if (ThaiCharClass(cell) == 5) {
            const CellSize cluster = ThaiClusterExtent(rc, ClusterCells(text.cells, n, i), 0, card);
            extents[size_t(i)] = cluster;
            for (int m = ThaiMarkCount(text.cells, n, i); m > 0; --m) extents[size_t(++i)] = {0, cluster.height};
        } else {
            extents[size_t(i)] = CellExtent(cell, rc.measurer, card, card);
        }
    }

    LineExtent line{0, 0, 0, -1};  // empty while last < first
    auto close = [&](int last) {
        line.last = last;
        lines.push_back(line);
        line = {0, 0, last + 1, last};
    };
    for (int i = 0; i < n; ++i) {
        const CellSize e = extents[size_t(i)];
        if (text.cells[size_t(i)].code == kNewline) {
            line.height = std::max(line.height, e.height);
            close(i);
            line.height = e.height;
            continue;
        }
        if (line.last >= line.first && line.width + e.width > maxWidth) close(i - 1);
        line.width += e.width;
        line.height = std::max(line.height, e.height);
        line.last = i;
    }
    if (lines.empty() || lines.back().last != n - 1) lines.push_back(line);
    return true;
}

std::vector<LineExtent> MergeLineExtents(const TextView& text, std::span<const LineExtent> lines) {
    std::vector<LineExtent> merged;
    ForEachGroup(text, lines, [&](size_t begin, size_t end) {
        LineExtent m = lines[begin];
        for (size_t i = begin + 1; i < end; ++i) {
            m.width += lines[i].width;
            m.height = std::max(m.height, lines[i].height);
            m.last = lines[i].last;
        }
        merged.push_back(m);
    });
    return merged;
}

CellSize MeasureEffectContent(RenderContext& rc, int effect, const TextView& text, int areaWidth) {
    CellExtents extents;
    std::vector<LineExtent> lines;
    if (!BreakTextLines(rc, text, extents, lines, areaWidth)) return {};
    CellSize size;
    if (effect == kEffectMoveLeftContinue || effect == kEffectMoveRightContinue) {
        for (const LineExtent& l : MergeLineExtents(text, lines)) {
            size.width = std::max(size.width, l.width);
            size.height += l.height;
        }
    } else if (effect == kEffectMoveLeft || effect == kEffectMoveRight) {
        ForEachGroup(text, lines, [&](size_t begin, size_t end) {
            size.width = std::max(size.width, int(end - begin) * areaWidth);
            size.height += GroupHeight(lines, begin, end);
        });
    } else {
        size.width = areaWidth;
        for (const LineExtent& l : lines) size.height += l.height;
    }
    return size;
}

// Moving effects (1, 3, 30, 31): each hard line is one row; its lines follow one
// another at the row's running x, the row as tall as its tallest line. Effect 1 and 3
// give a line its width rounded up to whole area widths (effect 1 not the last line
// of a left-aligned row), 30 and 31 its own width. Effect 3 with right alignment lays
// each row from right to left so that it ends at the widest row's right end, the first
// line moved right by what its width leaves of its area widths.
//
// Page effects (all others): lines are stacked into pages of the area height; a line
// taller than the area stands on ceil(height / area height) pages of its own. With the
// header's spread flag, each page's free height is shared out evenly before, between
// and after its lines. The height is the area height times the pages.
CellSize LayoutEffectFrames(const TextView& text, int effect, std::span<const LineExtent> lines,
                            std::vector<LinePlacement>& placements, int areaWidth, int areaHeight) {
    placements.assign(lines.size(), LinePlacement{});
    if (areaWidth < 1) return {};
    const bool continuous = effect == kEffectMoveLeftContinue || effect == kEffectMoveRightContinue;
    const bool rightToLeft = effect == kEffectMoveRight && text.header.align == 2;
    if (continuous || effect == kEffectMoveLeft || (effect == kEffectMoveRight && !rightToLeft)) {
        CellSize size;
        ForEachGroup(text, lines, [&](size_t begin, size_t end) {
            const int h = GroupHeight(lines, begin, end);
            int x = 0;
            for (size_t i = begin; i < end; ++i) {
                placements[i] = {x, size.height, h};
                const bool own = continuous || (effect == kEffectMoveLeft && i + 1 == end && text.header.align == 0);
                x += own ? lines[i].width : RoundUpTo(lines[i].width, areaWidth);
            }
            size.width = std::max(size.width, x);
            size.height += h;
        });
        return size;
    }
    if (rightToLeft) {
        CellSize size;
        ForEachGroup(text, lines, [&](size_t begin, size_t end) {
            int w = 0;
            for (size_t i = begin; i < end; ++i) w += RoundUpTo(lines[i].width, areaWidth);
            size.width = std::max(size.width, w);
        });
        ForEachGroup(text, lines, [&](size_t begin, size_t end) {
            const int h = GroupHeight(lines, begin, end);
            int x = size.width;
            for (size_t i = end; i-- > begin;) {
                x -= RoundUpTo(lines[i].width, areaWidth);
                placements[i] = {x, size.height, h};
            }
            placements[begin].x += RoundUpTo(lines[begin].width, areaWidth) - lines[begin].width;
            size.height += h;
        });
        return size;
    }

    if (areaHeight < 1) return {};
    const bool spread = (text.header.spread & 0xFF) != 0;
    int pages = 0, used = 0;
    size_t pageBegin = 0;
    auto finishPage = [&](size_t end) {  // lines [pageBegin, end) make the next page(s)
        if (end == pageBegin) return;
        const int gap = spread ? std::max(0, (areaHeight - used) / int(end - pageBegin + 1)) : 0;
        int y = pages * areaHeight;
        for (size_t i = pageBegin; i < end; ++i) {
            y += gap;
            placements[i] = {0, y, lines[i].height};
            y += lines[i].height;
        }
        pages += std::max(1, int((int64_t(used) + areaHeight - 1) / areaHeight));
        pageBegin = end;
        used = 0;
    };
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > pageBegin && used + lines[i].height > areaHeight) finishPage(i);
        used += lines[i].height;
        if (lines[i].height > areaHeight) finishPage(i + 1);
    }
    finishPage(lines.size());
    return {areaWidth, pages * areaHeight};
}

LineAlignment AlignLine(int align, int areaWidth, const LineExtent& line) {
    switch (align) {
    case 1: return {(areaWidth - line.width) / 2, 0};
    case 2: return {areaWidth - line.width, 0};
    case 3: return {0, std::max(0, (areaWidth - line.width) / (std::max(line.last - line.first + 1, 0) + 1))};
    default: return {};
    }
}

CellSize MeasureTextBlock(RenderContext& rc, const TextView& text, int maxWidth) {
    CellExtents extents;
    std::vector<LineExtent> lines;
    if (!BreakTextLines(rc, text, extents, lines, maxWidth)) return {};
    CellSize size;
    for (const LineExtent& l : lines) {
        size.width = std::max(size.width, l.width);
        size.height += l.height;
    }
    return size;
}

TextBlockMeasure TextBlockMeasurer(RenderContext& rc) {
    return [&rc](const TextHeader& header, std::span<const TextCell> cells, int maxWidth) {
        return MeasureTextBlock(rc, TextView(header, cells), maxWidth);
    };
}

CellSize MaxCellExtent(RenderContext& rc, const TextView& text) {
    const bool card = text.header.fontSet != 0;
    CellSize m{8, 8};
    for (const TextCell& cell : text.cells.first(size_t(text.count()))) {
        if (IsPictureTableOrClock(cell.code)) continue;
        const CellSize e = CellExtent(cell, rc.measurer, card, card);
        m.width = std::max(m.width, e.width);
        m.height = std::max(m.height, e.height);
    }
    m.width += m.width / 5;
    return m;
}

void RenderText(RenderContext& rc, Surface& s, const TextView& text, uint32_t animationTime, const PixelRect& rect,
                const FieldCollector* collector) {
    CellExtents extents;
    std::vector<LineExtent> lines;
    if (rect.empty() || !BreakTextLines(rc, text, extents, lines, rect.width())) return;
    std::vector<LinePlacement> placements;
    LayoutEffectFrames(text, kEffectMoveUp, lines, placements, rect.width(), rect.height());
    const ClipScope clip(s, rect);
    const FontScope keep(s);  // a table drawn as a cell leaves its caller's font selected
    const int n = text.count();
    const bool card = text.header.fontSet != 0;
    const uint32_t* fontAttr = nullptr;  // the attribute whose font is selected
    int skip = 0;                        // Thai marks drawn with their consonant
    for (size_t k = 0; k < lines.size(); ++k) {
        const LineExtent& line = lines[k];
        const LineAlignment align = AlignLine(text.header.align, rect.width(), line);
        const int lineTop = rect.top + placements[k].y;
        int x = rect.left + align.x;
        for (int i = line.first; i <= line.last; ++i) {
            x += align.gap;
            const TextCell& cell = text.cells[size_t(i)];
            const CellSize e = extents[size_t(i)];
            const int top = lineTop + line.height - e.height;
            if (skip > 0) {
                --skip;
            } else if (collector && IsFieldCell(cell.code)) {
                (*collector)(PlacedField{&cell, x, top, lineTop});
            } else if (cell.code == FC_PICTURE) {
                if (auto* p = CellObjectAs<PictureObject>(cell))
                    if (const RawImage* f = PictureFrameAt(*p, animationTime))
                        DrawImageOr(s, *f, x + int16_t(f->placeX), top + int16_t(f->placeY), rect);
            } else if (cell.code == FC_CLOCK) {
                if (auto* c = CellObjectAs<ClockObject>(cell)) DrawImageOr(s, ClockToImage(*c, true), x, top, rect);
            } else if (cell.code != FC_TABLE && cell.code != kNewline) {
                const uint32_t* attr = CellAttrPtr(cell);
                if (attr && (!fontAttr || *attr != *fontAttr)) {
                    SelectCellFont(rc, s, cell, card);
                    fontAttr = attr;
                }
                if (ThaiCharClass(cell) == 5) skip = DrawThaiCluster(s, ClusterCells(text.cells, n, i), x, top, 0);
                else DrawCell(rc, s, cell, {x, top, x + e.width, top + e.height});
            }
            x += e.width;
        }
    }
}

// ---- caret query ------------------------------------------------------------------------

namespace {

// The carets of one line: from its first cell to `end`; `lastCell` is the line's last
// cell (-1 for the empty row behind a closing newline). A row that `wraps` goes on in
// the next one: its end is the next row's first place.
struct CaretRow {
    int first, end, lastCell, y, height;
    bool wraps;
};

struct CaretRows {
    std::vector<CaretRow> rows;  // empty when the lines do not describe the text
    int width = 0;
    int height = 0;
};

// One row per line, and an empty row behind a text that ends in a newline.
CaretRows BuildCaretRows(const TextView& text, int n, std::span<const CellSize> extents,
                         std::span<const LineExtent> lines) {
    CaretRows out;
    int y = 0, expect = 0;
    for (size_t k = 0; k < lines.size(); ++k) {
        const LineExtent& l = lines[k];
        if (l.first != expect || l.last < l.first || l.last >= n) return {};  // not this text's layout
        const bool closed = text.cells[size_t(l.last)].code == kNewline;
        const bool wraps = !closed && k + 1 < lines.size();
        out.rows.push_back({l.first, closed ? l.last : l.last + 1, l.last, y, l.height, wraps});
        y += l.height;
        out.width = std::max(out.width, l.width);
        expect = l.last + 1;
    }
    if (out.rows.empty() || expect != n) return {};
    if (text.cells[size_t(n - 1)].code == kNewline) {
        out.rows.push_back({n, n, -1, y, extents[size_t(n - 1)].height, false});
        y += out.rows.back().height;
    }
    out.height = y;
    return out;
}

// The row of a caret; the end of a wrapped row belongs to it only at `lineEnd`.
size_t CaretRowOf(std::span<const CaretRow> rows, int caret, bool lineEnd) {
    size_t r = 0;
    while (r + 1 < rows.size() && caret > rows[r].end) ++r;
    if (rows[r].wraps && caret == rows[r].end && !lineEnd) ++r;
    return r;
}

// Whether the caret `c` put on row `r` stands at the end of a wrapped line.
bool AtWrappedEnd(std::span<const CaretRow> rows, size_t r, int c) { return rows[r].wraps && c == rows[r].end; }

// The widths of the row's cells before the caret.
int CaretX(const CaretRow& row, int caret, std::span<const CellSize> extents) {
    int x = 0;
    for (int i = row.first; i < caret; ++i) x += extents[size_t(i)].width;
    return x;
}

// The cell boundary of the row nearest to x.
int HitCaretRow(const CaretRow& row, int x, std::span<const CellSize> extents) {
    int left = 0;
    for (int i = row.first; i < row.end; ++i) {
        const int w = extents[size_t(i)].width;
        if (x < left + w / 2) return i;
        left += w;
    }
    return row.end;
}

// Moves the caret `c` (of a text of n cells, at a line's end when `lineEnd`) as the
// query asks; the edge code when the move would leave the text, the caret then staying.
int MoveCaret(const CaretQuery& q, std::span<const CaretRow> rows, std::span<const CellSize> extents, int n,
              int& c, bool& lineEnd) {
    const size_t r = CaretRowOf(rows, c, lineEnd);
    // A hit on row k: after a wrapped line's last cell the caret stays on that line.
    auto hit = [&](size_t k, int x) {
        c = HitCaretRow(rows[k], x, extents);
        lineEnd = AtWrappedEnd(rows, k, c);
    };
    switch (q.kind) {
    case CaretQueryKind::Point: return 0;
    case CaretQueryKind::HitTest: {
        size_t k = 0;
        while (k + 1 < rows.size() && q.y >= rows[k].y + rows[k].height) ++k;
        hit(k, q.x);
        return 0;
    }
    case CaretQueryKind::Left:
        if (c == 0) return CaretEdge::Start;
        --c, lineEnd = false;
        return 0;
    case CaretQueryKind::Right:
        if (c >= n) return CaretEdge::End;
        ++c, lineEnd = false;
        return 0;
    case CaretQueryKind::Up:
        if (r == 0) return CaretEdge::Top;
        hit(r - 1, CaretX(rows[r], c, extents));
        return 0;
    case CaretQueryKind::Down:
        if (r + 1 == rows.size()) return CaretEdge::Bottom;
        hit(r + 1, CaretX(rows[r], c, extents));
        return 0;
    case CaretQueryKind::Home: c = rows[r].first, lineEnd = false; return 0;
    case CaretQueryKind::End: c = rows[r].end, lineEnd = rows[r].wraps; return 0;
    }
    return 0;
}

// The caret's index, point and heights: the cell at the caret, else the one before
// it on the row, else the row's height.
void PlaceCaret(CaretQuery& q, std::span<const CaretRow> rows, std::span<const CellSize> extents, int c,
                bool lineEnd) {
    const size_t r = CaretRowOf(rows, c, lineEnd);
    const CaretRow& row = rows[r];
    q.result = c;
    q.lineEnd = AtWrappedEnd(rows, r, c);
    q.x = CaretX(row, c, extents);
    q.y = row.y;
    q.lineHeight = row.height;
    int h = 0;
    if (c <= row.lastCell) h = extents[size_t(c)].height;
    else if (c > row.first) h = extents[size_t(c - 1)].height;
    q.caretHeight = h > 0 ? h : row.height;
}

}  // namespace

int CellIndexToPoint(CaretQuery& q, const TextView& text, std::span<const CellSize> extents,
                     std::span<const LineExtent> wrapped) {
    const int n = std::min(text.count(), int(extents.size()));
    std::vector<LineExtent> merged;
    std::span<const LineExtent> lines = wrapped;
    if (q.moveClass == 1 || q.moveClass == 30) lines = merged = MergeLineExtents(text, wrapped);
    const CaretRows layout = BuildCaretRows(text, n, extents, lines);
    q.contentWidth = layout.width;
    q.contentHeight = layout.height;

    int edge = 0;
    int c = std::clamp(q.caret, 0, n);
    if (layout.rows.empty()) {
        static constexpr int kEdge[8] = {0, 0, CaretEdge::Start, CaretEdge::Top, CaretEdge::End, CaretEdge::Bottom, 0, 0};
        edge = kEdge[int(q.kind) & 7];
        q.result = q.x = q.y = 0;
        q.lineEnd = false;
    } else {
        bool lineEnd = q.lineEnd;
        edge = MoveCaret(q, layout.rows, extents, n, c, lineEnd);
        PlaceCaret(q, layout.rows, extents, c, lineEnd);
    }
    q.edges |= uint8_t(edge);
    return edge;
}

}  // namespace ledsuite
