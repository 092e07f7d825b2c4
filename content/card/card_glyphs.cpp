// The three producers of the card's text forms: the command stream of a text in
// a card font set, the line pictures of a system-font text, and the glyphs of
// the glyph sets.
#include <algorithm>
#include <optional>

#include "content/render/item_painters.h"
#include "content/render/led_planes.h"
#include "content/card/program_encoder.h"

namespace ledsuite {
namespace {

using Place = ByteWriter::Place;

// What the command stream last told the card. Colour and size run across the
// whole stream, tables included; the font is forgotten at every line start.
struct StreamState {
    uint32_t rgb = 0;
    uint32_t size = 0;
    std::optional<uint32_t> font;
};

CellSize EncodeStream(ProgramImage& image, RenderContext& rc, const TextView& text, int areaWidth, int areaHeight,
                      int effect, uint8_t byteOrder, int cellX, int cellY, std::vector<PendingItem>& items,
                      StreamState& st, bool tableCell);

bool EncodeTable(ProgramImage& image, RenderContext& rc, const GridObject& grid, uint8_t byteOrder,
                 std::vector<PendingItem>& items, StreamState& st) {
    const std::vector<uint16_t> index = CollectGridCells(grid);
    const size_t columns = grid.columns, rows = grid.rows;
    auto marker = [&](size_t k) { return k < index.size() ? grid.cells[index[k]].attr : 0u; };
    // Where each row and column starts, and behind the last one where the table ends.
    const auto edges = [&](size_t count, size_t step, int (*size)(uint32_t)) {
        std::vector<int64_t> at{0};
        for (size_t i = 0; i < count; ++i) at.push_back(at.back() + size(marker(i * step)));
        return at;
    };
    const std::vector<int64_t> rowAt = edges(rows, columns, GridCellHeight);
    const std::vector<int64_t> columnAt = edges(columns, 1, GridCellWidth);
    // A rule on each row's and column's first pixel, the closing ones on the table's last.
    const auto ruleAt = [](const std::vector<int64_t>& at, size_t i) {
        return i + 1 < at.size() ? at[i] : std::max<int64_t>(at[i] - 1, 0);
    };

    PutTableStart(image, grid.totalWidth, grid.totalHeight, grid.columns, grid.rows, grid.style, byteOrder);
    const int64_t right = std::max(int64_t(grid.totalWidth) - 2, int64_t(0));
    const int64_t bottom = std::max(int64_t(grid.totalHeight) - 2, int64_t(0));
    for (size_t r = 0; r < rowAt.size(); ++r) {
        const int64_t y = ruleAt(rowAt, r);
        PutTableRule(image, grid.style, 0, y, right, y);
    }
    for (size_t c = 0; c < columnAt.size(); ++c) {
        const int64_t x = ruleAt(columnAt, c);
        PutTableRule(image, grid.style, x, 0, x, bottom);
    }
    const std::span<const TextCell> cells(grid.cells);
    const size_t end = size_t(CountCells(cells));
    for (size_t k = 0; k < index.size() && image.ok(); ++k) {
        const uint32_t word = marker(k);
        PutTableCell(image, word);
        const size_t first = size_t(index[k]) + 1;
        const size_t last = k + 1 < index.size() ? index[k + 1] : end;
        TextHeader header;
        header.fontSet = uint8_t(grid.style >> 8);
        header.align = uint8_t(GridCellAlign(word));
        const TextView view(header, cells.subspan(first, std::max(last, first) - first));
        // There are at most columns x rows cell markers, so columns is not 0 here.
        EncodeStream(image, rc, view, GridCellWidth(word), GridCellHeight(word), kEffectMoveUp, byteOrder,
                     int(columnAt[k % columns]), int(rowAt[k / columns]), items, st, true);
    }
    PutTableEnd(image);
    return image.ok();
}

CellSize EncodeStream(ProgramImage& image, RenderContext& rc, const TextView& text, int areaWidth, int areaHeight,
                      int effect, uint8_t byteOrder, int cellX, int cellY, std::vector<PendingItem>& items,
                      StreamState& st, bool tableCell) {
    CardLayout layout;
    LayoutCardText(rc, text, effect, areaWidth, areaHeight, false, layout);
    const bool fonts = text.header.fontSet > 7;
    for (size_t k = 0; k < layout.lines.size() && image.ok(); ++k) {
        const LineExtent& line = layout.lines[k];
        const CardLineStart start = PlaceCardLine(text.header, effect, areaWidth, line, layout.placements[k]);
        const int64_t y = cellY + start.y;
        if (start.justified) PutJustifiedLineStart(image, cellX + start.x, y, start.gap, byteOrder);
        else PutLineStart(image, cellX + start.x, y, byteOrder);
        int offset = 0;
        st.font.reset();
        for (int i = line.first; i <= line.last; ++i) {
            const TextCell& cell = text.cells[size_t(i)];
            if (cell.code == FC_CLOCK || (cell.code == FC_TABLE && tableCell)) continue;
            const int cellOffset = line.height - layout.extents[size_t(i)].height;
            if (cellOffset != offset) {
                PutLineOffset(image, y + cellOffset, byteOrder);
                offset = cellOffset;
            }
            if (cell.code == FC_PICTURE) {
                const Place place = PutObjectRef(image, kObjPicture, byteOrder);
                items.push_back({.kind = kItemPicture, .place = place, .object = cell.obj.get()});
                continue;
            }
            if (cell.code == FC_TABLE) {
                if (auto* grid = CellObjectAs<GridObject>(cell)) EncodeTable(image, rc, *grid, byteOrder, items, st);
                continue;
            }
            const uint32_t attr = CellAttrValue(cell);
            if (fonts && st.font != CellAttr::FontOf(attr)) {
                st.font = CellAttr::FontOf(attr);
                if (*st.font > 0xFF) image.Fail();  // the parameter is a byte
                PutCommandUnit(image, kCmdFont, uint8_t(*st.font), byteOrder);
            }
            if (CellAttr::RgbOf(attr) != st.rgb) {
                st.rgb = CellAttr::RgbOf(attr);
                PutCommandUnit(image, kCmdColor, CommandColorCode(attr), byteOrder);
            }
            if (CellAttr::SizeOf(attr) != st.size) {
                st.size = CellAttr::SizeOf(attr);
                PutCommandUnit(image, kCmdSize, uint8_t(st.size), byteOrder);
            }
            if (const int type = CommandFieldType(cell.code); type >= 0) {
                const Place place = PutObjectRef(image, uint8_t(type), byteOrder);
                items.push_back({.kind = kItemCodeTable, .subKind = FieldTableOf(cell.code), .place = place});
            } else {
                PutCommandChar(image, cell.code, byteOrder);
            }
        }
    }
    if (!tableCell) PutStreamEnd(image);
    return image.ok() ? layout.size : CellSize{-1, -1};
}

// ORs the top-left w x h of `src` into `dest` with its top-left at (dx, dy),
// clipped to both.
void OrInto(RawImage& dest, const RawImage& src, int w, int h, int dx, int dy) {
    if (!dest.is32() || !src.is32()) return;
    const int x0 = std::max(0, -dx), y0 = std::max(0, -dy);
    const int x1 = std::min({w, dest.width - dx, src.width}), y1 = std::min({h, dest.height - dy, src.height});
    for (int y = y0; y < y1; ++y) {
        const uint32_t* s = src.row32(y);
        uint32_t* d = dest.row32(dy + y) + dx;
        for (int x = x0; x < x1; ++x) d[x] |= s[x];
    }
}

// Draws cells one at a time on a scratch surface as large as the cell (its
// extent, an eighth more to the right for overhangs, the rows the small font
// rises above its cell) and ORs each onto the line picture, so that a line may be wider than any
// surface. Cells sit on the line's bottom, so nothing below a cell lands in the
// picture and the scratch needs no room there.
class CellStamper {
public:
    explicit CellStamper(RenderContext& rc) : rc_(rc) {}

    // Draws cell `i` of the text with its top-left at (x, top) on `line`. A Thai
    // consonant is drawn with its marks; the marks have no width of their own, so
    // stamping them again draws nothing.
    void Stamp(RawImage& line, const TextView& text, int i, int x, int top, CellSize e) {
        const TextCell& cell = text.cells[size_t(i)];
        const int w = e.width + e.width / 8, h = e.height + kAbove;
        if (scratch_.width() < w || scratch_.height() < h) {
            scratch_.Reset(std::max(w, scratch_.width()), std::max(h, scratch_.height()));
            fontAttr_.reset();
        }
        scratch_.ResetClip();
        scratch_.FillRect({0, 0, w, h}, 0);
        scratch_.SetClip({0, 0, w, h});
        const uint32_t* attr = CellAttrPtr(cell);
        if (attr && fontAttr_ != *attr && SelectCellFont(rc_, scratch_, cell, false)) fontAttr_ = *attr;
        if (ThaiCharClass(cell) == 5) DrawThaiCluster(scratch_, text.cells, 0, kAbove, i);
        else DrawCell(rc_, scratch_, cell, {0, kAbove, e.width, kAbove + e.height});
        OrInto(line, scratch_.image(), w, h, x, top - kAbove);
    }

private:
    static constexpr int kAbove = kSmallFontRise;
    RenderContext& rc_;
    Surface scratch_;
    std::optional<uint32_t> fontAttr_;
};

}  // namespace

CellSize EncodeCommandStream(ProgramImage& image, RenderContext& rc, const TextView& text, int areaWidth,
                             int areaHeight, int effect, uint8_t byteOrder, int cellX, int cellY,
                             std::vector<PendingItem>& items, bool tableCell) {
    StreamState st;
    return EncodeStream(image, rc, text, areaWidth, areaHeight, effect, byteOrder, cellX, cellY, items, st,
                        tableCell);
}

bool EncodeTableCommands(ProgramImage& image, RenderContext& rc, const GridObject& grid, uint8_t byteOrder,
                         std::vector<PendingItem>& items) {
    StreamState st;
    return EncodeTable(image, rc, grid, byteOrder, items, st);
}

int RenderTextPictures(RenderContext& rc, const TextContent& content, int effect, int areaWidth, int areaHeight,
                       uint16_t colorCode, size_t room, RenderedText& out) {
    out = {};
    const TextView text(content);
    CardLayout layout;
    LayoutCardText(rc, text, effect, areaWidth, areaHeight, RunningLineEffect(effect), layout);

    // Every picture's size is checked before any is drawn.
    std::vector<CardLineStart> starts;
    std::vector<CellSize> sizes;
    const size_t planes = size_t(LedPlanes::PlaneCount(colorCode));
    size_t need = 0;
    for (size_t k = 0; k < layout.lines.size(); ++k) {
        const LineExtent& line = layout.lines[k];
        starts.push_back(PlaceCardLine(text.header, effect, areaWidth, line, layout.placements[k]));
        const int64_t w = line.width + int64_t(starts.back().gap) * (line.last - line.first + 1);
        if (w > 0xFFFF || line.height > 0xFFFF) return kEncodeTooLarge;
        sizes.push_back({int32_t(w), line.height});
        need += kFrameHeaderSize + planes * size_t(line.height) * ((size_t(w) + 7) >> 3);
        if (need > room) return kEncodeTooLarge;
    }

    CellStamper stamper(rc);
    out.size = layout.size;
    for (size_t k = 0; k < layout.lines.size(); ++k) {
        const LineExtent& line = layout.lines[k];
        TextPicture pic;
        pic.x = int32_t(starts[k].x);
        pic.y = int32_t(starts[k].y);
        if (sizes[k].width > 0 && sizes[k].height > 0) {
            if (!ResetImage(pic.image, sizes[k].width, sizes[k].height)) return kEncodeTooLarge;
        } else {
            pic.image.width = sizes[k].width;  // an empty line: a picture without pixels
            pic.image.height = sizes[k].height;
        }
        int x = 0;
        for (int i = line.first; i <= line.last; ++i) {
            x += starts[k].gap;
            const TextCell& cell = text.cells[size_t(i)];
            const CellSize e = layout.extents[size_t(i)];
            const int top = line.height - e.height;
            if (cell.code == FC_TABLE) {
                if (auto* grid = CellObjectAs<GridObject>(cell)) {
                    // The table's own fields are listed; its clocks are drawn as faces.
                    std::vector<PlacedField> placed;
                    const FieldCollector collect = [&](const PlacedField& f) { placed.push_back(f); };
                    const RawImage table = GridToBitmap(rc, *grid, &collect);
                    OrInto(pic.image, table, table.width, table.height, x, top);
                    for (const PlacedField& f : placed) {
                        if (f.cell->code != FC_CLOCK) {
                            pic.fields.push_back({x + f.x, top + f.y, f.cell});
                        } else if (auto* clock = CellObjectAs<ClockObject>(*f.cell)) {
                            const RawImage face = ClockToImage(*clock, false);
                            OrInto(pic.image, face, face.width, face.height, x + f.x, top + f.y);
                        }
                    }
                }
            } else if (IsFieldCell(cell.code)) {
                pic.fields.push_back({x, top, &cell});
                if (cell.code == FC_CLOCK) out.clocks.push_back({pic.x + x, pic.y + top, &cell});
            } else {  // a newline has no width and draws nothing
                stamper.Stamp(pic.image, text, i, x, top, e);
            }
            x += e.width;
        }
        out.pictures.push_back(std::move(pic));
    }
    return 0;
}

GlyphRenderer CardGlyphRenderer(RenderContext& rc) {
    GlyphRenderer r;
    r.measure = [&rc](char16_t ch, uint32_t attr) {
        const CellSize e = CellExtent(TextCell(ch, attr), rc.measurer, false, false);
        return std::pair<int, int>(e.width, e.height);
    };
    r.paint = [&rc](char16_t ch, uint32_t attr, int width, int height, std::span<uint8_t> bits) {
        Surface glyph(width, height);
        const TextCell cell(ch, attr | CellAttr::ColorMask);
        SelectCellFont(rc, glyph, cell, false);
        DrawCell(rc, glyph, cell, {0, 0, width, height});
        const RawImage image = glyph.TakeImage();  // thresholds 0x80
        LedPlanes header;
        PackLedPlanes(&header, &image, bits.data(), bits.size(), kGreyPlaneMode);
    };
    return r;
}

}  // namespace ledsuite
