#pragma once
// The rich text of a program: an 8-byte header and 2048 character cells. A cell
// holds a UTF-16 code and either its own attribute word or an owned field object.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "content/bytes.h"
#include "content/model/text_measurer.h"

namespace ledsuite {

constexpr int kMaxCells = 2048;

// CellAttr bits.
namespace CellAttr {
constexpr uint32_t Bold = 1u << 0;
constexpr uint32_t Italic = 1u << 1;
constexpr uint32_t Underline = 1u << 2;
constexpr uint32_t Strikeout = 1u << 3;
constexpr uint32_t Red = 1u << 11;
constexpr uint32_t Green = 1u << 12;
constexpr uint32_t Blue = 1u << 13;
constexpr uint32_t ColorMask = Red | Green | Blue;
constexpr int FontShift = 14;
constexpr uint32_t FontMask = 0x3FFu << FontShift;
constexpr int SizeShift = 24;
constexpr uint32_t SizeMask = 0xFFu << SizeShift;

constexpr uint32_t Make(uint32_t size, uint32_t fontIndex, uint32_t rgbBits, uint32_t style = 0) {
    return (size << SizeShift) | ((fontIndex & 0x3FF) << FontShift) | ((rgbBits & 7) << 11) | (style & 0xF);
}
constexpr uint32_t SizeOf(uint32_t a) { return a >> SizeShift; }
constexpr uint32_t FontOf(uint32_t a) { return (a >> FontShift) & 0x3FF; }
constexpr uint32_t RgbOf(uint32_t a) { return (a >> 11) & 7; }
constexpr uint32_t StyleMask = Bold | Italic | Underline | Strikeout;
}  // namespace CellAttr

// Mask bits of ApplyAttrMask / ApplyCellAttrMask: which parts of an attribute to copy.
namespace AttrMask {
constexpr uint32_t Bold = 0x001;
constexpr uint32_t Italic = 0x002;
constexpr uint32_t Underline = 0x004;
constexpr uint32_t Strikeout = 0x008;  // never copied
constexpr uint32_t Size = 0x100;
constexpr uint32_t Font = 0x200;
constexpr uint32_t Color = 0x400;
}  // namespace AttrMask

// The cell that ends a line.
constexpr char16_t kNewline = 10;

// Private-use characters that stand for something other than a character.
enum FieldCode : char16_t {
    FC_ATTR = 0xE001,      // attribute marker (card stream only), followed by a u32 CellAttr
    FC_PICTURE = 0xE003,   // PictureObject
    FC_TABLE = 0xE005,     // GridObject
    FC_GRIDCELL = 0xE006,  // start of one table cell (inside a GridObject), u32 geometry word
    FC_YEAR = 0xE010,
    FC_MONTH = 0xE011,
    FC_DAY = 0xE012,
    FC_HOUR = 0xE013,
    FC_MINUTE = 0xE014,
    FC_SECOND = 0xE015,
    FC_TEMPERATURE = 0xE016,
    FC_CARD13 = 0xE017,
    FC_HUMIDITY = 0xE018,
    FC_WEEK_CN = 0xE020,
    FC_WEEK_EN = 0xE021,
    FC_WEEK_EN_SHORT = 0xE022,
    FC_MONTH_EN = 0xE023,
    FC_MONTH_EN_SHORT = 0xE024,
    FC_CARD17 = 0xE025,
    FC_CARD18 = 0xE026,
    FC_CARD19 = 0xE027,
    FC_LYRIC = 0xE028,
    FC_ADC = 0xE029,       // AdcField
    FC_TIMER = 0xE02A,     // TimerField
    FC_COUNTER = 0xE02B,   // CounterField
    FC_DIGITS = 0xE02C,    // digit group
    FC_CLOCK = 0xE030,     // ClockObject
};

// Base of the objects a cell can own (pictures, tables, A/D values, timers,
// counters, digit groups, clocks). Copies of a cell clone the object.
struct CellObject {
    virtual ~CellObject() = default;
    virtual std::unique_ptr<CellObject> Clone() const = 0;
};

struct TextCell {
    char16_t code = 0;
    uint32_t attr = 0;                // CellAttr for characters and plain fields
    std::unique_ptr<CellObject> obj;  // the owned object of an object cell, else null

    TextCell() = default;
    TextCell(char16_t c, uint32_t a) : code(c), attr(a) {}
    TextCell(TextCell&&) noexcept = default;
    TextCell& operator=(TextCell&&) noexcept = default;
    TextCell(const TextCell& o) : code(o.code), attr(o.attr), obj(o.obj ? o.obj->Clone() : nullptr) {}
    TextCell& operator=(const TextCell& o) {
        if (this != &o) {
            code = o.code;
            attr = o.attr;
            obj = o.obj ? o.obj->Clone() : nullptr;
        }
        return *this;
    }
};

struct TextHeader {
    uint8_t fontSet = 0;   // byte 0: card font-set mode, 0 = system fonts
    uint8_t align = 0;     // byte 1: 0 left, 1 centred, 2 right, 3 justified
    uint8_t reserved = 0;  // byte 2
    uint8_t kind = 0;      // byte 3: 0 no voice, 1 music, 2+ voice, 255 lyric show
    uint16_t spread = 1;   // bytes 4-5: low byte not 0 spreads lines over the height
    uint16_t unused = 0;   // bytes 6-7
};

constexpr uint8_t kKindLyricShow = 255;

struct TextContent {
    TextHeader header;
    std::array<TextCell, kMaxCells> cells;
};

struct CellSize {
    int32_t width = 0;
    int32_t height = 0;
    bool operator==(const CellSize&) const = default;
};

// The face names of the two font tables, filled by the font-table code: the installed
// faces (texts in system-font mode) and the default faces of the card's font set (texts
// bound to a card font set).
struct FontTables {
    std::vector<std::u16string> installed;
    std::vector<std::u16string> defaults;
    uint32_t defaultFontIndex = 0;  // installed index that new fields take (DefaultFontIndex)

    const std::vector<std::u16string>& Table(bool defaultTable) const { return defaultTable ? defaults : installed; }
    // Face of an index; an index at or past the table's count means entry 0 (empty when
    // the table is empty).
    std::u16string FaceName(uint32_t index, bool defaultTable) const;
    // An installed index translated to the default table by face name: the first default
    // entry whose name contains the face, 0 when none or when there is at most one entry.
    uint32_t InstalledToDefault(uint32_t index) const;
    // A default index translated to the installed table: the first installed entry whose
    // name contains the face, else defaultFontIndex.
    uint32_t DefaultToInstalled(uint32_t index) const;
};

// A platform font description made from a cell (the renderer creates the face from it).
struct CellFont {
    std::u16string face;
    int pixelHeight = 0;
    int weight = 400;  // 700 when bold
    bool italic = false;
    bool underline = false;
    bool strikeout = false;
    bool operator==(const CellFont&) const = default;
};

// Pictures, tables and clocks carry an object instead of an attribute word: colour,
// font and style operations skip them.
constexpr bool IsPictureTableOrClock(char16_t code) {
    return code == FC_PICTURE || code == FC_TABLE || code == FC_CLOCK;
}

// ---- per-cell operations ------------------------------------------------------

// Where the cell's effective attribute lies: the field object's word for A/D values,
// timers and counters, the last digit cell's for a digit group (null without digits),
// else the cell's own word.
uint32_t* CellAttrPtr(TextCell& cell);
const uint32_t* CellAttrPtr(const TextCell& cell);
// The attribute word CellAttrPtr points at; 0 for an object cell without its object.
uint32_t CellAttrValue(const TextCell& cell);
// Copies from `source` the parts `mask` selects (AttrMask bits); the size only when the
// source size is at least 8; strikeout never. A null target does nothing.
void ApplyAttrMask(uint32_t* target, uint32_t mask, uint32_t source);
// The same on a cell: pictures and clocks only take a size above 8 (and refit their
// frames to it), tables take nothing, digit groups apply it to every digit cell.
void ApplyCellAttrMask(TextCell& cell, uint32_t source, uint32_t mask);
// The pixel size: a picture's first frame's display height, a table's size (low byte of
// its total height), a clock's size, a digit group's largest digit, else the effective
// attribute's size.
int CellFontSize(const TextCell& cell);
// Raises the size to 8 (and holds it to 255), then stores it where CellFontSize reads it;
// pictures and clocks refit their frames, tables are left alone.
void SetCellFontSize(TextCell& cell, int size);
// Stores the font index in the effective attribute (every digit of a digit group); an
// index at or past the count of the table the text uses becomes 0.
void SetCellFontIndex(TextCell& cell, uint32_t index, const FontTables& fonts, bool defaultTable);
// The attribute becomes size and index with the colour bits kept and no style bits;
// 1, or 0 for pictures, tables and clocks.
int SetCellFontIndexAndSize(TextCell& cell, uint32_t index, int size);
// The colour to draw with, 0x00RRGGBB: white for pictures, tables and clocks.
uint32_t CellColor(const TextCell& cell);
// Sets the colour bits from a 0x00RRGGBB colour (a channel of 128 or more is on).
void SetCellColor(TextCell& cell, uint32_t rgb);
// Index into the 16-entry display palette; 5 for no cell, pictures, tables, clocks and no colour.
int CellPaletteIndex(const TextCell* cell);
// The font of a cell, none for pictures, tables, clocks and empty digit groups.
std::optional<CellFont> CreateCellFont(const TextCell& cell, bool useDefaultTable, const FontTables& fonts);
// A pixel size snapped to the sizes of the card's fonts (8 .. 128).
int SnapCardFontSize(int size);
// Width and height of a cell. `snap` applies SnapCardFontSize to the unit width (texts
// bound to a card font set); `defaultTable` picks the font table the measurer uses.
CellSize CellExtent(const TextCell& cell, TextMeasurer& measurer, bool snap, bool defaultTable);
// Frees the cell's object (a table's cells' objects with it) and clears the reference.
void FreeCellObject(TextCell& cell);
// Cells before the first code 0, at most the span's length.
int CountCells(std::span<const TextCell> cells);
int CountCells(const TextContent& text);
bool IsThaiChar(const TextCell& cell);
// Cluster class of a Thai character (0 below, 1 above, 2 tone, 3, 4, 5 consonant), -1 otherwise.
int ThaiCharClass(const TextCell& cell);

// ---- whole texts --------------------------------------------------------------

// Binds a text to card font-set `mode` (sizes moved onto the mode's ladder, style bits
// cleared, font indexes translated or reset) or back to system fonts (mode 0).
void ConvertCardFontSet(TextContent& text, uint8_t mode, const FontTables& fonts);
// Appends the text's card code stream; the byte length, or -1 when the stream does not
// fit the writer or holds more than 65535 units.
int SerializeTextForCard(const TextContent& text, ByteWriter& out);

}  // namespace ledsuite
