#pragma once
// The rules of the hardware-parameter grid without any window: how a screen record
// maps onto the grid's options and back, the card-size limits, the change test, which
// items a card subtype enables, the subtype a card's information reply implies, and
// the option texts built from words of the current language.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "content/model/lang.h"
#include "content/model/records.h"
#include "content/card/screen_header.h"

namespace ledsuite {

// What the grid shows: one value per item, list items as option indexes.
struct HardwareGridValues {
    int model = 0, width = 0, height = 0, color = 0, brightness = 0, refresh = 0;
    int oeLevel = 0, dataLevel = 0, columnOrder = 0, rowOrder = 0, dataFlow = 0, hblank = 0;
    int cardId = 0, comPort = 0, baud = 0, fontChip = 0, fileSystem = 0, pageSize = 0, soundMode = 0;
    uint16_t powerOn = 0, powerOff = 0;
    std::array<uint16_t, 4> timedTime{};
    std::array<int, 4> timedLevel{};
};

inline constexpr int kModelOptionCount = 21;
inline constexpr int kDataFlowOptionCount = 28;
inline constexpr int kMinComOptions = 19;  // "COM1" .. "COM19" always offered

struct CardModel {
    uint8_t type = 0;
    uint8_t subtype = 0;
};
// Model option of a type and subtype (type 2 with a subtype other than 6 or 7 is option 2,
// type 4 or 5 with any non-zero subtype option 18 or 20) and back.
int ModelOptionOf(uint8_t type, uint8_t subtype);
CardModel ModelOfOption(int option);  // an option outside 0..20 gives type 3, subtype 0

int ColorOptionOf(ColorCode code);  // 5 -> 0, 12..17 -> 1..6, else 0
ColorCode ColorCodeOfOption(int option);
int FontChipOptionOf(uint16_t code);  // high byte 1: low byte + 9; else its place in the table, 0 if none
uint16_t FontChipOfOption(int option);
int DataFlowOptionOf(uint8_t value);  // 0xFF -> 27
uint8_t DataFlowOfOption(int option);

// Fills the grid from a repaired record (LoadHardwareParams step 3 and 4).
HardwareGridValues GridValuesOf(const HardwareParams& hw);
// Writes the grid's fields into `hw` (every other field keeps its value), with the
// subtype rules: the font chip only for subtypes 1, 5, 6, 7, 10, 11, file system and
// page size only for 5, 6, 7, 10, 11, else 0.
void StoreGridValues(const HardwareGridValues& v, HardwareParams& hw);

// Size check of ReadHardwareParams.
enum class SizeCheck { Ok, Zero, WidthOut, HeightOut, TwoTone };
struct CardSizeLimits {
    int maxWidth, maxHeight, maxPixels;
};
CardSizeLimits CardSizeLimitsOf(uint8_t cardType);
SizeCheck CheckCardSize(const HardwareParams& hw);
const LangText& SizeCheckMessage(SizeCheck check);  // the message row of a failed check

// Set's change test: bytes 0..13, the font chip or the sound mode differ.
bool HardwareChanged(const HardwareParams& a, const HardwareParams& b);

// Items a card subtype enables.
struct SubtypeItems {
    bool voice = false;  // the program grid's speech items and "Sound Mode"
    bool fontChip = false;
    bool fileSystem = false;  // "File System" and "Page Size"
};
SubtypeItems SubtypeItemsOf(uint8_t subtype);

// Applies the card's information reply (only the bytes received) to a record read from
// the card: subtype 0; a reply of more than one byte whose byte 0 is 0 gives the card
// type; a reply whose firmware number is 3 or more gives the subtype of its pairs.
void ApplyCardInfoToRecord(std::span<const uint8_t> reply, HardwareParams& hw);
// The subtype of the (type, value) pairs of an information reply.
uint8_t SubtypeOfFeaturePairs(std::span<const std::pair<uint8_t, uint8_t>> pairs);

// The record of a read block: a copy of `screen` with the header's fields; false when
// fewer than the header's readable bytes arrived.
bool RecordOfReadBlock(const HardwareBlockRead& block, const HardwareParams& screen, HardwareParams& out);

// The service password that opens the hardware parameters to editing.
inline constexpr char16_t kServicePassword[] = u"168";
enum class PasswordCheck { Ok, Empty, Wrong };
PasswordCheck CheckServicePassword(std::u16string_view typed);

// Option texts in the current language.
std::vector<std::u16string> ModelOptionTexts();
std::vector<std::u16string> ColorOptionTexts();
std::vector<std::u16string> ColumnOrderOptionTexts();
std::vector<std::u16string> DataFlowOptionTexts();
std::vector<std::u16string> FontChipOptionTexts();
// "COM1" .. at least "COM19", and as many more as the port table or the stored index need.
std::vector<std::u16string> SerialPortOptionTexts(size_t tablePorts, uint16_t storedIndex);

}  // namespace ledsuite
