#include "content/card/program_loader.h"

#include <algorithm>
#include <bit>
#include <string>
#include <string_view>
#include <vector>

#include "content/card/bitmap_image.h"
#include "content/render/image_sources.h"
#include "content/render/led_planes.h"
#include "content/card/program_image.h"
#include "content/model/text_codec.h"

namespace ledsuite {

namespace {

// A load may take this much memory plus kAllowancePerByte for each byte of the image:
// a program record or a table is about 33 KiB made from a few dozen image bytes.
constexpr size_t kBaseAllowance = size_t(64) << 20;
constexpr size_t kAllowancePerByte = 1024;

constexpr uint8_t kImageSetMark = 3;
constexpr uint8_t kClockBlockMark = 4;
constexpr uint8_t kContentBorder = 0x02;
constexpr uint8_t kContentSoundPlace = 0x01;
constexpr size_t kTableRuleBytes = 10;  // colour, x1, y1, x2, y2
constexpr size_t kClockEntrySize = 8;

constexpr uint32_t kStartAttr = CellAttr::Make(16, 0, 0);

bool IsCommandByte(uint8_t b) { return b >= kCmdFont && b <= kCmdPosition; }
bool IsTableUnit(uint8_t param) {
    return param == kObjTableEnd || param == kObjTableCell || param == kObjTableRule;
}

// The field code of a card field type in the command stream; 0 for none. Type 14, the
// picture, carries an image set and is read before this.
char16_t FieldCodeOfCardType(uint8_t type) {
    static constexpr char16_t kCodes[] = {
        FC_YEAR,    FC_MONTH,          FC_DAY,      FC_HOUR,  FC_MINUTE, FC_SECOND,         FC_TEMPERATURE,
        FC_HUMIDITY, 0,                FC_WEEK_CN,  FC_WEEK_EN, FC_MONTH_EN, FC_MONTH_EN_SHORT, FC_CARD13,
        FC_PICTURE, FC_WEEK_EN_SHORT,  0,           FC_CARD17, FC_CARD18, FC_CARD19};
    return type < std::size(kCodes) ? kCodes[type] : 0;
}

// RgbBits of a colour code of the command stream. 0 is what the writer emits for a
// text without colour bits.
uint32_t RgbOfColourCode(uint8_t code) {
    switch (code) {
    case 0: return 0;
    case 9: return 1;
    case 10: return 2;
    case 11: return 4;
    case 12:
    case 17: return 3;
    case 13:
    case 16: return 6;
    case 14:
    case 15: return 5;
    default: return 7;
    }
}

// A character of a command stream with byte order 0: 0x00 and an ASCII byte, or one
// double-byte character of the code page (the lead byte is never a command byte here).
char16_t CodePageChar(uint8_t lead, uint8_t trail) {
    if (lead == 0) return trail;
    if (lead < 0x81 || trail < 0x40) return 0;
    // A pair the code page cannot map converts to a replacement and the trail byte.
    const std::u16string wide = AnsiToWide(std::string{char(lead), char(trail)});
    return wide.size() == 1 ? wide[0] : 0;
}

// Appends cells in order; cells past the array's end are dropped.
struct CellList {
    std::span<TextCell> cells;
    size_t count = 0;

    TextCell* Add(char16_t code, uint32_t attr) {
        if (count >= cells.size()) return nullptr;
        TextCell& c = cells[count++];
        c = TextCell(code, attr);
        return &c;
    }
};

// The table of a code stream being read.
struct OpenTable {
    GridObject* grid = nullptr;  // null when the text had no room for the table
    CellList cells;
    int markers = 0;
    bool full = false;  // no further cell start is taken
};

void SetHeaderFromFlags(TextHeader& header, uint8_t mode, uint8_t flags) {
    header.fontSet = mode;
    header.align = flags & 3;
    header.spread = (flags & 4) ? 1 : 0;
}

// Totals of a table read from the code stream: the first row's widths, the first column's heights.
void SumGridSize(GridObject& grid) {
    const std::vector<uint16_t> index = CollectGridCells(grid);
    uint32_t width = 0, height = 0;
    for (size_t i = 0; i < index.size(); ++i) {
        const uint32_t marker = grid.cells[index[i]].attr;
        if (i < grid.columns) width += uint32_t(GridCellWidth(marker));
        if (grid.columns && i % grid.columns == 0) height += uint32_t(GridCellHeight(marker));
    }
    grid.totalWidth = uint16_t(width);
    grid.totalHeight = uint16_t(height);
}

std::unique_ptr<PictureObject> ReadPicture(ProgramImageView& image, size_t at) {
    std::optional<FrameVector> frames = ReadImageSet(image, at);
    if (!frames || !image.Charge(sizeof(PictureObject))) return nullptr;
    auto picture = std::make_unique<PictureObject>();
    picture->frames = std::move(*frames);
    return picture;
}

bool DecodeCommandStream(TextContent& text, ProgramImageView& image, ByteReader& r) {
    const uint8_t mode = r.u8(), flags = r.u8(), order = r.u8();
    if (!r.skip(3)) return false;
    SetHeaderFromFlags(text.header, mode, flags);
    uint32_t attr = kStartAttr;
    CellList top{text.cells};
    CellList table;  // the open table's cells (none when the text had no room for it)
    bool inTable = false;
    for (;;) {
        const uint8_t b0 = r.u8(), b1 = r.u8();
        if (r.failed()) return false;
        if (b0 == 0 && b1 == 0) return true;
        CellList& out = inTable ? table : top;
        const bool command = IsCommandByte(order == 0 ? b0 : b1);
        // A table's own units keep the order command, parameter under either flag.
        const bool tableUnit = !command && inTable && b0 == kCmdObject && IsTableUnit(b1);
        if (!command && !tableUnit) {
            const char16_t c = order == 0 ? CodePageChar(b0, b1) : char16_t(b0 | b1 << 8);
            if (c) out.Add(c, attr);
            continue;
        }
        const uint8_t cmd = command && order != 0 ? b1 : b0;
        const uint8_t param = command && order != 0 ? b0 : b1;
        switch (cmd) {
        case kCmdFont: attr = (attr & ~CellAttr::FontMask) | uint32_t(param) << CellAttr::FontShift; break;
        case kCmdSize: attr = (attr & ~CellAttr::SizeMask) | uint32_t(param) << CellAttr::SizeShift; break;
        case kCmdColor: attr = (attr & ~CellAttr::ColorMask) | RgbOfColourCode(param) << 11; break;
        case kCmdPosition:  // one operand word per parameter bit: 0x03 x, y; 0x07 x, y, spacing; 0x02 y
            if (!r.skip(2 * size_t(std::popcount(param)))) return false;
            break;
        default:  // kCmdObject
            if (param == kObjPicture) {
                const uint32_t at = r.u32();
                if (r.failed()) return false;
                std::unique_ptr<PictureObject> picture = ReadPicture(image, at);
                if (!picture) return false;
                if (TextCell* c = out.Add(FC_PICTURE, attr)) c->obj = std::move(picture);
            } else if (param == kObjTable) {
                r.skip(4);  // u16 0, u16 5
                const uint16_t width = r.u16(), height = r.u16();
                const uint8_t columns = r.u8(), rows = r.u8();
                const uint32_t frame = r.u32();
                if (r.failed()) return false;
                if (inTable) break;  // no table inside a table
                if (!image.Charge(sizeof(GridObject))) return false;
                auto grid = std::make_unique<GridObject>();
                grid->columns = columns, grid->rows = rows, grid->style = frame;
                grid->totalWidth = width, grid->totalHeight = height;
                inTable = true;
                table = CellList{};
                if (TextCell* c = top.Add(FC_TABLE, attr)) {
                    table = CellList{grid->cells};
                    c->obj = std::move(grid);
                }
            } else if (param == kObjTableCell) {
                const uint32_t marker = r.u32();
                if (r.failed()) return false;
                if (inTable) table.Add(FC_GRIDCELL, marker);
            } else if (param == kObjTableRule) {
                if (!r.skip(kTableRuleBytes)) return false;
            } else if (param == kObjTableEnd) {
                inTable = false;
            } else if (const char16_t code = FieldCodeOfCardType(param)) {
                if (!r.skip(4)) return false;  // offset of the field's code table
                out.Add(code, attr);
            }
            break;
        }
    }
}

// Gives the picture, A-D, timer and counter cells of a code stream their objects from
// the dynamic-field records of the rendered pictures that follow the stream.
bool ReadFieldRecords(ProgramImageView& image, ByteReader& r, std::span<TextCell* const> cells) {
    size_t next = 0;
    for (;;) {
        const uint32_t planes = r.u32();
        if (r.failed()) return false;
        if (planes == 0) return true;
        if (!r.skip(4)) return false;  // x, y of the picture's line
        for (;;) {
            const uint8_t colour = r.u8();
            if (r.failed()) return false;
            if (colour == 0) break;
            const uint8_t type = r.u8();
            r.skip(4);
            const uint32_t at = r.u32();
            if (r.failed()) return false;
            const bool carriesObject = type == kCardFieldPicture || type == kCardFieldAdc ||
                                       type == kCardFieldTimer || type == kCardFieldCounter;
            if (!carriesObject || next >= cells.size()) continue;
            TextCell& cell = *cells[next++];
            std::unique_ptr<CellObject> obj;
            if (type == kCardFieldPicture && cell.code == FC_PICTURE) {
                if (!(obj = ReadPicture(image, at))) return false;
            } else if (type == kCardFieldAdc && cell.code == FC_ADC) {
                if (!(obj = ReadAdcField(image, at))) return false;
            } else if (type == kCardFieldTimer && cell.code == FC_TIMER) {
                if (!(obj = ReadTimerField(image, at))) return false;
            } else if (type == kCardFieldCounter && cell.code == FC_COUNTER) {
                if (!(obj = ReadCounterField(image, at))) return false;
            }
            if (obj) cell.obj = std::move(obj);
        }
    }
}

bool DecodeCodeStream(TextContent& text, ProgramImageView& image, ByteReader& r) {
    const uint8_t mode = r.u8(), flags = r.u8();
    r.skip(1);
    const uint8_t mark = r.u8();
    r.skip(2);  // unit count; the 0 unit ends the stream
    if (r.failed() || mark != 0xFF) return false;
    SetHeaderFromFlags(text.header, mode, flags);
    uint32_t attr = kStartAttr;
    CellList top{text.cells};
    std::vector<TextCell*> objectCells;  // in stream order, table cells included, as the records list them
    const auto hasObject = [](char16_t u) { return u == FC_PICTURE || u == FC_ADC || u == FC_TIMER || u == FC_COUNTER; };
    std::optional<OpenTable> table;
    for (;;) {
        const uint16_t u = r.u16();
        if (r.failed()) return false;
        if (u == FC_ATTR) {
            attr = r.u32();
            if (r.failed()) return false;
            continue;
        }
        if (table) {
            OpenTable& t = *table;
            if (u == 0) {
                if (t.grid) SumGridSize(*t.grid);
                table.reset();
            } else if (u == FC_GRIDCELL) {
                const uint32_t marker = r.u32();
                if (r.failed()) return false;
                t.full = t.full || !t.grid || t.markers >= t.grid->columns * t.grid->rows;
                if (!t.full) {
                    t.cells.Add(FC_GRIDCELL, marker);
                    ++t.markers;
                }
            } else if (u != FC_TABLE && !t.full) {  // no table inside a table
                if (TextCell* c = t.cells.Add(u, attr); c && hasObject(u)) objectCells.push_back(c);
            }
            continue;
        }
        if (u == 0) break;
        if (u == FC_TABLE) {
            const uint16_t style = r.u16(), size = r.u16();
            if (r.failed() || !image.Charge(sizeof(GridObject))) return false;
            auto g = std::make_unique<GridObject>();
            g->style = style >> 8;
            g->columns = uint8_t(size), g->rows = uint8_t(size >> 8);
            table.emplace();
            if (TextCell* c = top.Add(FC_TABLE, attr)) {
                table->grid = g.get();
                table->cells = CellList{g->cells};
                c->obj = std::move(g);
            }
        } else if (u != FC_GRIDCELL) {  // a stray cell start outside a table is skipped
            if (TextCell* c = top.Add(u, attr); c && hasObject(u)) objectCells.push_back(c);
        }
    }
    return ReadFieldRecords(image, r, objectCells);
}

// The clock of entry `entry` of a rendered text's clock table; null when the block is
// not a clock block. `ok` turns false on a read outside the image.
std::unique_ptr<ClockObject> ReadClockBlock(ProgramImageView& image, size_t table, size_t entry, bool& ok) {
    ByteReader r = image.At(table + kClockEntrySize * entry + 4);
    const uint32_t block = r.u32();
    ByteReader b = image.At(block);
    const uint8_t mark = b.u8();
    b.skip(1);
    const uint8_t half = b.u8(), style = b.u8();
    if (r.failed() || b.failed()) return ok = false, nullptr;
    if (mark != kClockBlockMark) return nullptr;
    if (!image.Charge(sizeof(ClockObject))) return ok = false, nullptr;
    auto clock = std::make_unique<ClockObject>();
    clock->style = style;
    clock->size = uint8_t(half * 2);
    if (style != 0) {  // every clock but the plain one is drawn over its face
        std::optional<FrameVector> face = ReadImageSet(image, block + 4);
        if (!face) return ok = false, nullptr;
        clock->face = std::move(*face);
    }
    return clock;
}

bool RestoreSchedule(ProgramSetRecord& set, ProgramImageView& image, uint8_t type, uint16_t p1, uint16_t p2) {
    set.playMode = type;
    switch (type) {
    case 1: set.duration = p1; return true;
    case 2: set.periods[0] = p1 | uint32_t(p2) << 16; return true;
    case 3: set.weekdays = uint8_t(p1); return true;  // stored in both parameters
    case 4: set.dates[0] = {p1, p2}; return true;
    case 6: break;
    default: return true;  // 0, 5: nothing to restore
    }
    ByteReader r = image.At(p1 | uint32_t(p2) << 16);
    const uint8_t weekdays = r.u8(), ranges = r.u8();
    if (r.failed()) return false;
    set.weekdays = weekdays;
    if (ranges > 0) {
        const uint32_t range = r.u32();
        if (r.failed()) return false;
        set.dates[0] = {uint16_t(range), uint16_t(range >> 16)};
        r.skip(4 * size_t(ranges - 1));
    }
    const size_t periods = std::min<size_t>(r.u8(), kMaxSchedulePeriods);
    for (size_t i = 0; i < periods && r.ok(); ++i) set.periods[i] = r.u32();
    return r.ok();
}

// A border block that does not fit the image is no border.
bool LoadBorder(ProgramRecord& program, ProgramImageView& image, size_t block) {
    if (block + kBorderBlockSize >= image.size()) return true;
    ByteReader r = image.At(block);  // the type, effect, speed, a spare byte and four side offsets
    const uint8_t type = r.u8(), effect = r.u8(), speed = r.u8();
    r.skip(1);
    std::array<uint32_t, 4> sides{};
    for (uint32_t& s : sides) s = r.u32();
    program.borderType = type, program.borderEffect = effect, program.borderSpeed = speed;
    if (type == 1) {
        for (size_t side : {2, 0, 3, 1}) {  // the order the sides were written in
            if (image.At(sides[side]).u8() != kImageSetMark) continue;  // 0 past the end
            std::optional<FrameVector> set = ReadImageSet(image, sides[side]);
            if (!set) return false;
            if (!set->empty()) program.borderFrames.push_back(RemoveFirstFrame(*set));
        }
    } else {  // a built-in pattern is drawn again, not read; type 0 has none
        ClearImageFrames(program.borderFrames);
        MakeBorderFrames(&program.borderFrames, type);
    }
    return true;
}

}  // namespace

ProgramImageView::ProgramImageView(std::span<const uint8_t> image)
    : image_(image), allowance_(kBaseAllowance + kAllowancePerByte * image.size()) {}

ByteReader ProgramImageView::At(size_t offset) const {
    ByteReader r(image_);
    r.seek(offset);
    return r;
}

bool ProgramImageView::Charge(size_t bytes) {
    if (bytes > allowance_) {
        allowance_ = 0;
        return false;
    }
    allowance_ -= bytes;
    return true;
}

std::optional<FrameVector> ReadImageSet(ProgramImageView& image, size_t offset) {
    ByteReader r = image.At(offset);
    const uint8_t mark = r.u8();
    r.skip(1);
    const uint8_t count = r.u8();
    if (r.failed() || mark != kImageSetMark) return std::nullopt;
    FrameVector frames;
    for (uint8_t i = 0; i < count; ++i) {
        LedPlanes planes;
        if (!LedPlanes::Read(r, planes)) return std::nullopt;
        const uint32_t at = r.u32();
        const size_t length = planes.PlaneBytes();
        if (r.failed() || !image.At(at).has(length)) return std::nullopt;
        if (!image.Charge(sizeof(RawImage) + size_t(planes.width) * planes.height * 4)) return std::nullopt;
        auto frame = std::make_unique<RawImage>();
        if (!ImageFromLedPlanes(planes.width, planes.height, image.bytes().data() + at, length, planes.colorMode,
                                *frame))
            return std::nullopt;
        frame->pause = planes.pause;
        frame->placeX = planes.placeX;
        frame->placeY = planes.placeY;
        frames.push_back(std::move(frame));
    }
    return frames;
}

std::unique_ptr<AdcField> ReadAdcField(ProgramImageView& image, size_t offset) {
    ByteReader r = image.At(offset);
    if (!r.has(kAdcRecordSize) || !image.Charge(sizeof(AdcField))) return nullptr;
    auto field = std::make_unique<AdcField>();
    field->reserved = r.u16();
    field->number = r.u16();
    field->channel = r.u8();
    field->calibrated = r.u8();
    field->digitFormat = r.u8();
    field->flags = r.u8();
    field->attr = r.u32();
    r.skip(4);  // offset of the digit glyph set
    const size_t rows = r.u16();
    r.skip(2);
    if (rows > field->rows.size() || !r.has(rows * kAdcRowSize)) return nullptr;
    for (size_t i = 0; i < rows; ++i) {
        AdcCalibration& row = field->rows[i];
        row.x1 = r.u16();
        row.x2 = r.u16();
        row.a = r.f32();
        row.b = r.f32();
        row.c = r.f32();
        row.d = r.f32();
    }
    return field;
}

std::unique_ptr<TimerField> ReadTimerField(ProgramImageView& image, size_t offset) {
    ByteReader r = image.At(offset);
    if (!image.Charge(sizeof(TimerField))) return nullptr;  // a record cut short fails at the end
    auto timer = std::make_unique<TimerField>();
    r.skip(1);
    timer->mode = r.u8();
    timer->dayDigits = r.u8();
    r.skip(5);  // 3 bytes, the unit count of the labels
    for (TimerDateTime* t : {&timer->a, &timer->b}) {
        t->year = r.u16();
        t->monthDayHour = r.u16();
        t->minuteSecond = r.u16();
    }
    r.skip(16);  // unit positions
    for (uint8_t& u : timer->units) u = r.u8();
    r.skip(4 + 16 + 4);  // colours, label images, digit glyph set
    timer->attr = r.u32();
    int k = 0;
    for (auto& label : timer->labels) {
        if (!timer->UnitShown(k++)) continue;
        for (char16_t& c : label) {
            if ((c = r.u16()) == 0) break;
        }
    }
    return r.ok() ? std::move(timer) : nullptr;
}

std::unique_ptr<CounterField> ReadCounterField(ProgramImageView& image, size_t offset) {
    ByteReader r = image.At(offset);
    if (!r.has(kCounterRecordSize) || !image.Charge(sizeof(CounterField))) return nullptr;
    auto counter = std::make_unique<CounterField>();
    counter->reserved = r.u8();
    counter->digitFormat = r.u8();
    counter->channel = r.u8();
    counter->unit = r.u8();
    counter->flags = r.u8();
    r.skip(3);
    counter->start = r.i32();
    counter->end = r.i32();
    counter->startFraction = r.i32();
    counter->endFraction = r.i32();
    counter->attr = r.u32();
    return counter;  // the last word is the offset of the digit glyph set
}

bool DecodeTextStream(TextContent& text, ProgramImageView& image, size_t stream, int form) {
    for (TextCell& c : text.cells) c = TextCell{};
    ByteReader r = image.At(stream);
    if (form == kTextFormCommands) return DecodeCommandStream(text, image, r);
    if (form == kTextFormRendered) return DecodeCodeStream(text, image, r);
    return true;
}

bool LoadContentText(TextContent& text, ProgramImageView& image, size_t textHead) {
    ByteReader r = image.At(textHead);
    r.skip(4);  // width, height
    const uint8_t form = r.u8();  // 0 (no text) past the end
    r.skip(1);
    if (form == kTextFormRendered || form == kTextFormCommands) return DecodeTextStream(text, image, r.pos(), form);
    if (form != kTextFormClocks) return true;  // 0, 14 (lyric show) and the rest carry no text

    // Rendered text with clocks: a table whose entry 0 points at the stream's form
    // bytes and whose further entries hold the clock blocks.
    const uint16_t entries = r.u16();
    if (r.failed()) return false;
    if (entries == 0) return true;
    const size_t table = r.pos();
    r.skip(4);
    const uint32_t formAt = r.u32();
    if (r.failed()) return false;
    const uint8_t streamForm = image.At(formAt).u8();  // 0 past the end
    if (streamForm != kTextFormRendered && streamForm != kTextFormCommands) return false;
    bool ok = DecodeTextStream(text, image, size_t(formAt) + 2, streamForm);
    size_t entry = 1;
    for (TextCell& cell : std::span(text.cells).first(size_t(CountCells(text)))) {
        if (cell.code != FC_CLOCK) continue;
        std::unique_ptr<ClockObject> clock;
        if (ok && entry < entries) clock = ReadClockBlock(image, table, entry++, ok);
        if (clock) cell.obj = std::move(clock);
        else cell.code = u'j';
    }
    return ok;
}

bool LoadProgramContent(ProgramRecord& program, ProgramImageView& image, const ContentHeaderFields& header) {
    if (size_t(header.bodyOffset) + 13 >= image.size()) return true;
    size_t pos = header.bodyOffset;
    if (header.flags & kContentBorder) {
        const uint32_t block = image.At(pos).u32();  // inside: the body lies 13 bytes before the end
        if (!LoadBorder(program, image, block)) return false;
        pos += 4;
    }
    if (header.flags & kContentSoundPlace) {  // the program had a voice role; which one the image does not keep
        pos += 3;
        program.content.header.kind = 1;
    }
    ByteReader r = image.At(pos);
    CardAction action{};
    if (!r.bytes(action.data(), action.size())) return false;
    program.mainAction = CardActionToEffect(action);
    if (header.actions > 1) {
        if (!r.bytes(action.data(), action.size())) return false;
        program.secondaryAction = CardActionToEffect(action);
    }
    const size_t textHead = pos + kCardActionSize * size_t(header.actions);
    if (textHead + kTextHeadSize > image.size()) return true;
    if (image.bytes()[textHead + 4] == kTextFormLyric) {  // only a text bound to a card font set has this form
        program.content.header.kind = kKindLyricShow;
        if (program.content.header.fontSet == 0) program.content.header.fontSet = 1;
    }
    return LoadContentText(program.content, image, textHead);
}

bool LoadProgram(ProgramSetNode& set, ProgramImageView& image, const ProgramRecordWords& record) {
    if (!image.Charge(sizeof(ProgramRecord))) return false;
    ProgramRecord& program = *set.programs.emplace_back().record;
    InitProgramRecord(program, record.left, record.top, record.right, record.bottom);
    if (record.one == 0 || size_t(record.contentOffset) + kContentHeaderSize >= image.size()) return true;
    ByteReader r = image.At(record.contentOffset);
    ContentHeaderFields header;
    header.actions = r.u8();
    header.flags = r.u8();
    r.skip(4);
    header.bodyOffset = r.u32();  // inside: the header lies 10 bytes before the end
    return LoadProgramContent(program, image, header);
}

void LoadProgramImage(ProgramTree& tree, std::span<const uint8_t> bytes) {
    if (bytes.size() < 16 || LoadU32(bytes.data()) != bytes.size()) return;
    if (LoadU32(bytes.data() + 4) == kBitmapImageMark) {
        LoadBitmapProgramImage(bytes, tree);
        return;
    }
    ProgramImageView image(bytes);
    for (size_t at = 4;; at += kSetRecordSize) {
        ByteReader r = image.At(at);
        const uint16_t first = r.u16();
        if (r.failed() || first == 0) return;  // the u32 0 that ends the set table
        const uint16_t count = r.u16(), p1 = r.u16(), p2 = r.u16();
        const uint8_t type = r.u8();
        if (r.failed() || !image.Charge(sizeof(ProgramSetNode) + sizeof(ProgramSetRecord))) return;
        ProgramSetNode& set = *tree.AddProgramSet();
        if (!RestoreSchedule(*set.record, image, type, p1, p2)) return;
        if (first < kSetRecordSize || first >= image.size()) return;
        for (size_t i = 0; i < count; ++i) {
            ByteReader p = image.At(first + kProgramRecordSize * i);
            ProgramRecordWords words;
            words.contentOffset = p.u16();
            words.one = p.u16();
            words.left = p.i16();
            words.top = p.i16();
            words.right = p.i16();
            words.bottom = p.i16();
            if (p.failed() || words.contentOffset >= image.size()) return;
            if (!LoadProgram(set, image, words)) return;
        }
    }
}

}  // namespace ledsuite
