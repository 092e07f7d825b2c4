#pragma once
// The 64-byte screen header: the card's form of a screen's hardware parameters. It is the
// head of the card's 1024-byte hardware-parameter block and of every ".lcs" program file.
// Bytes it does not name hold 0xFF. Readers do not check the length word, the end mark or
// the CRC: the USB-disk export rewrites byte 16 of copied files without a new CRC.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "content/model/program_tree.h"
#include "content/model/records.h"

namespace ledsuite {

constexpr size_t kScreenHeaderSize = 64;
// Bytes a header must have to be read: the fields up to the switch-off time.
constexpr size_t kScreenHeaderMinRead = 36;
// The hardware-parameter block sent to and read from the card.
constexpr size_t kHardwareParamBlockSize = 1024;

using ScreenHeader = std::array<uint8_t, kScreenHeaderSize>;

// What a read of the card's hardware-parameter block fills: the bytes, and how many of
// them came from the card (only those may be parsed).
struct HardwareBlockRead {
    std::array<uint8_t, kHardwareParamBlockSize> bytes{};
    size_t received = 0;
};

// Fills `out` with 0xFF and writes the header of the screen record at its start; 64, or
// -1 (nothing written) when `out` is shorter than a header.
int BuildProgramHeader(const HardwareParams& hw, std::span<uint8_t> out);
// The card's hardware-parameter block: the header, then 0xFF up to 1024 bytes.
std::vector<uint8_t> BuildHardwareParamBlock(const HardwareParams& hw);

// Writes the header's fields into the record: sizes, colour code, data flow, output
// flags, column and row order, brightness, refresh, card number, baud index, file system,
// page size, font chip, switch-on and switch-off times (0 when above 0xC000) and the
// timed-brightness entries stored from byte 36 (up to four, ended by a time of 0xC000 or
// more; the entries not stored become 0). Other fields keep their values. 0, or -1 with
// the record untouched when fewer than 36 bytes are given.
int ParseProgramHeader(std::span<const uint8_t> header, HardwareParams& hw);

// ParseProgramHeader into the tree's screen record.
int LoadScreenHeader(ProgramTree& tree, std::span<const uint8_t> bytes);

}  // namespace ledsuite
