#pragma once
// The records of a program tree: the screen (HardwareParams), a program set
// (ProgramSetRecord) and a program area (ProgramRecord) with its two actions;
// the display-effect codes with their names and their card form.
#include <array>
#include <cstdint>
#include <span>

#include "content/model/raw_image.h"
#include "content/model/text_content.h"

namespace ledsuite {

// ---- screen record ----------------------------------------------------------

// Bytes of a HardwareParams in "ini.dat" and wherever it is stored.
constexpr size_t kHardwareParamsSize = 92;

// The LED colour arrangement of a screen: 5 one colour plane, 12..17 two planes.
using ColorCode = uint16_t;

// The screen record. Member order follows the stored layout (offsets in comments);
// SerializeHardwareParams / ParseHardwareParams convert it, reserved bytes included,
// so a parse and a serialise give back the same 92 bytes.
struct HardwareParams {
    uint8_t cardType = 3;                      // 0: card type 0..5
    uint8_t cardSubtype = 0;                   // 1: model within the type
    uint16_t width = 128;                      // 2: screen width in LEDs
    uint16_t height = 32;                      // 4: screen height in LEDs
    ColorCode colorCode = 17;                  // 6: 5 or 12..17
    uint8_t brightness = 255;                  // 8
    uint8_t refresh = 0;                       // 9: 0..6
    uint8_t outputFlags = 1;                   // 10: bit 0 OE polarity, bit 1 data polarity, bit 2 row blanking
    uint8_t columnOrder = 0;                   // 11: 0..4
    uint8_t rowOrder = 0;                      // 12: 0..2
    uint8_t dataFlow = 0;                      // 13: 0..26 or 0xFF
    std::array<uint8_t, 2> reserved14{};       // 14
    uint16_t cardId = 0;                       // 16: card number
    std::array<uint8_t, 2> reserved18{};       // 18
    uint16_t comIndex = 0;                     // 20: 0-based COM port index
    uint16_t baudIndex = 5;                    // 22: index into the baud-rate table, 0..8
    std::array<uint8_t, 4> reserved24{};       // 24
    uint8_t fileSystem = 0;                    // 28: 0..4
    uint8_t pageSize = 0;                      // 29: 0..4
    uint16_t language = 0;                     // 30: UiLanguageSetting at the last save
    uint16_t fontChip = 0;                     // 32: font-chip code
    std::array<uint8_t, 6> reserved34{};       // 34
    uint16_t switchOnTime = 0;                 // 40: packed time word, 0xC000 or more = unset
    uint16_t switchOffTime = 0;                // 42
    std::array<uint32_t, 4> timedBrightness{}; // 44: low u16 packed time, high u16 level
    uint8_t soundMode = 0;                     // 60: 0..2
    std::array<uint8_t, 31> reserved61{};      // 61..91
};

std::array<uint8_t, kHardwareParamsSize> SerializeHardwareParams(const HardwareParams& hw);
HardwareParams ParseHardwareParams(std::span<const uint8_t, kHardwareParamsSize> bytes);

// Writes the value repairs into the record: card type above 5 -> 3 (types 0 and 1
// force subtype 0), colour code other than 5 and 12..17 -> 5, refresh above 6 -> 6,
// column order above 4 -> 0, row order above 2 -> 2, data flow 27..254 -> 0, baud
// index above 8 -> 5, file system and page size above 4 -> 0, sound mode above 2
// -> 0, an invalid font chip -> RepairFontChip, a timed-brightness entry whose time
// is 0xC000 or more -> 0. Switch-on and switch-off times stay (0xC000+ reads as unset).
void RepairHardwareParams(HardwareParams& hw);

// Font-chip codes in the order the hardware grid offers them.
struct FontChipOption {
    uint16_t code;
    const char16_t* name;
};
extern const std::array<FontChipOption, 15> kFontChipOptions;

// High byte 0: low byte 0..7, 0x13 or 0x31 stays, else 0. High byte 1: low byte
// 0..5 stays, else 0x100. Any other high byte: 0.
uint16_t RepairFontChip(uint16_t code);

// ---- program set --------------------------------------------------------------

struct DateRange {
    uint16_t start = 0;  // packed date words
    uint16_t stop = 0;
};

// 24 daily play periods: low u16 start, high u16 end (packed time words); 0 = none.
using PlayPeriodTable = std::array<uint32_t, 24>;

struct ProgramSetRecord {
    uint8_t playMode = 0;       // play-mode type
    uint8_t weekdays = 0;       // bit 0 Sunday .. bit 6 Saturday
    uint16_t duration = 0;      // play duration, packed time word
    std::array<DateRange, 8> dates{};  // dates[0] is "Date Start" / "Date End"
    PlayPeriodTable periods{};
    uint8_t borderType = 0;
    uint8_t borderEffect = 0;
    uint8_t borderSpeed = 0;
    FrameVector borderFrames;
};

// Play mode, weekdays and duration 0, every date today, no periods, border
// type 0, effect 0, speed 40. The border frames are left as they are.
void InitProgramSetRecord(ProgramSetRecord& set);

// ---- actions and effects --------------------------------------------------------

enum EffectCode : uint8_t {
    kEffectNone = 0, kEffectMoveLeft, kEffectMoveUp, kEffectMoveRight, kEffectMoveDown,
    kEffectBlindsHorizontal, kEffectBlindsVertical, kEffectScroll, kEffectDoor,
    kEffectCurtainLeft, kEffectCurtainUp, kEffectCurtainRight, kEffectCurtainDown,
    kEffectInterweaveHorizontal, kEffectInterweaveVertical, kEffectStackUp, kEffectStackDown,
    kEffectFlash, kEffectSnowUp, kEffectSnowDown, kEffectDanceUp, kEffectDanceDown,
    kEffectBlackboardLeft, kEffectBlackboardRight, kEffectLaserLeft, kEffectLaserRight,
    kEffectTwinkle, kEffectSnow, kEffectStatic, kEffectRandom,
    kEffectMoveLeftContinue, kEffectMoveRightContinue,
    kEffectCount
};

// The card's 12-byte form of an action.
using CardAction = std::array<uint8_t, 12>;

// The action of a program, 12 bytes in this order.
struct ActionRecord {
    uint8_t effect = 0;     // 0: EffectCode ("Action Effect")
    uint8_t speed = 0;      // 1: "Effect Speed"
    uint8_t byte2 = 0;      // 2: carried unchanged into the card form
    uint8_t repeat = 0;     // 3: "Repeat"
    uint8_t pause = 0;      // 4: "Pause Time"
    uint8_t byte5 = 0;      // 5: carried unchanged
    int16_t offset = 0;     // 6-7: "Offset", LEDs the content is drawn lower for a moving text
    uint8_t direction = 0;  // 8: card direction (card form only)
    uint8_t continuous = 0; // 9: card continuous-move flag (card form only)
    uint16_t step = 0;      // 10-11: card step (card form only)

    CardAction ToBytes() const;
    static ActionRecord FromBytes(const CardAction& bytes);
};

// The localized name of an effect for the current language; empty above 31.
const char16_t* EffectName(uint8_t code);

// Layout class of an action's effect: 1 for Move Left/Right, 4 for Move Down,
// 30 for the continuous moves, 0 for every other effect.
int EffectMoveClass(const ActionRecord& action);

// The card form of an action for an area (right and bottom exclusive). Effects 0
// and above 31 are copied unchanged.
CardAction EffectToCardAction(const ActionRecord& action, int32_t left, int32_t top, int32_t right,
                              int32_t bottom);
// The action of a card form: bytes 1-11 copied, byte 0 mapped from the card class. An
// effect whose card form takes bytes 6-7 for itself keeps no offset: it reads as 0.
ActionRecord CardActionToEffect(const CardAction& card);
// True when the card form of the effect leaves bytes 6-7 to the action's offset (None,
// the moves, Static, Random); other effects (Snow among them, whose bytes 6-9 the image
// fills with the place of its image set) cannot keep an offset.
bool EffectKeepsOffset(uint8_t effect);
// False for the effects whose card form has no pause (Flash, Twinkle, the continuous moves).
bool EffectKeepsPause(uint8_t effect);

// ---- program ------------------------------------------------------------------

struct ProgramRecord {
    TextContent content;
    int32_t left = 0;    // area in LEDs from the screen's top-left; right and bottom exclusive
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    uint8_t borderType = 0;
    uint8_t borderEffect = 0;
    uint8_t borderSpeed = 0;
    FrameVector borderFrames;
    ActionRecord mainAction;       // "Action Master"
    ActionRecord secondaryAction;  // "Action Slave"
    std::array<char16_t, 260> musicPath{};    // NUL-terminated, empty = none
    std::array<char16_t, 128> prefixSound{};  // spoken before the program
    std::array<char16_t, 128> suffixSound{};  // spoken after it
    int16_t rate = 0;          // speech rate -10..10
    uint16_t soundAlign = 0;   // 0..4

    int32_t width() const { return right - left; }
    int32_t height() const { return bottom - top; }
};

// Makes a new program over the area: everything but the content header is
// cleared (cells, frames, both actions in full, sounds), the alignment set to 0,
// border speed 40, main action Move Left at speed 21 with pause 30, secondary
// action None at speed 21 with pause 30. The header's font-set mode and kind stay.
void InitProgramRecord(ProgramRecord& program, int32_t left, int32_t top, int32_t right, int32_t bottom);

}  // namespace ledsuite
