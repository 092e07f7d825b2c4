#pragma once
// The compact program image of card type 0 screens: the first program set's
// schedule and up to 14 characters of its first program, rendered once with a
// 16-pixel Song face into one 1-bit picture. Its schedule and offset words are
// big-endian; the length word, the character units and the CRC little-endian.
//
//   u32 L | u32 0xFFFF0000 | "gif" 01 | u8 effect class | u8 speed | u16be picture
//   block | u16be start date | u16be stop date | u8 weekdays | u8 m | m x (u16be
//   start, u16be end) | u32 attribute | up to 14 u16 characters | u16 0 |
//   picture block: "bmp" 00 00 00 00 00 | u8 w | u8 h | u8 colour | 1E |
//   u16be offset of the bits | w x h / 8 bytes |
//   0xFF padding to a multiple of 4 | FF 00 | CRC-16/MODBUS of bytes 0..L-3.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "content/model/program_tree.h"

namespace ledsuite {

constexpr uint32_t kBitmapImageMark = 0xFFFF0000;  // the u32 at offset 4
constexpr size_t kBitmapImageChars = 14;

// The fields of an image.
struct BitmapProgramImage {
    uint8_t effectClass = 0;
    uint8_t speed = 0;
    DateRange range;           // 0, 0 when the set has no valid range
    uint8_t weekdays = 0;
    std::vector<uint32_t> periods;  // start in the low, end in the high 16 bits
    uint32_t attr = 0;         // the first character's attribute word
    std::u16string chars;      // at most 14
    uint8_t width = 0;         // picture size in pixels, the width a multiple of 8
    uint8_t height = 0;
    uint8_t colour = 1;
    std::vector<uint8_t> bits;  // rows of width / 8 bytes, pixel x at bit x % 8
};

// Writes the image; its length L, or -4 when it does not fit the writer.
int32_t WriteBitmapProgramImage(const BitmapProgramImage& image, ByteWriter& out);
// Reads an image of `bytes.size()` bytes; false for one that is too short, whose
// length word, marks or CRC are wrong, or whose fields point outside it.
bool ReadBitmapProgramImage(std::span<const uint8_t> bytes, BitmapProgramImage& image);

// The effect class byte of a main effect: 1 and 30 give 1, 2 gives 2, 3 and 31
// give 3, 4 gives 4, 26 gives 6, any other 0.
uint8_t BitmapEffectClass(uint8_t effect);
// The effect a class stands for when the image is read back: 1..4 as
// themselves, 6 as 26 (twinkle), any other as 28 (static).
uint8_t BitmapClassEffect(uint8_t effectClass);

// Builds the image of the tree's first program set and its first program into
// `buffer` (filled with 0xFF by the caller, `limit` bytes). Returns L; -1 when
// the screen has no program set, -2 when the first set has no program, -3 when
// the first program has no drawable character, -4 when the image does not fit
// the limit. The error-position word is 0 after every call.
int32_t BuildBitmapProgramImage(const ProgramTree& tree, uint32_t* errorPosition, uint8_t* buffer, size_t limit);

// What the compact image leaves out of a tree: characters of the first program past
// the 14 it keeps, and every program but the first one of the first set.
struct BitmapImageLoss {
    size_t charsKept = 0;
    size_t charsLeftOut = 0;
    size_t programsLeftOut = 0;
    bool any() const { return charsLeftOut > 0 || programsLeftOut > 0; }
};
BitmapImageLoss BitmapImageLeftOut(const ProgramTree& tree);

// Reads an image back into the tree: a new program set at the end (today's
// date, the stored date range, weekdays and periods; play-mode type 0) with one
// program over the whole screen holding the stored characters in the stored
// attribute, its main effect from the class and its speed from byte 13. Returns
// the number of characters read; -1 (nothing added) for an image that is too
// short, whose length word, marks or CRC are wrong, or whose fields point
// outside it.
int LoadBitmapProgramImage(std::span<const uint8_t> image, ProgramTree& tree);

}  // namespace ledsuite
