#pragma once
// The rich text of a program: an 8-byte header and 2048 character cells. A cell
// holds a UTF-16 code and either its own attribute word or an owned field object.
#include <array>
#include <cstdint>
#include <memory>

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
}  // namespace CellAttr

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

}  // namespace ledsuite
