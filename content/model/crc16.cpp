#include "content/model/crc16.h"

#include <array>

namespace ledsuite {
namespace {

// The byte table of the reflected polynomial: the CRC of one byte value over a
// zero register. The classic high/low table pair is this table split by byte.
constexpr std::array<uint16_t, 256> MakeCrcTable() {
    std::array<uint16_t, 256> t{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned crc = i;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
        t[i] = uint16_t(crc);
    }
    return t;
}

constexpr std::array<uint16_t, 256> kCrcTable = MakeCrcTable();

}  // namespace

uint16_t Crc16Modbus(size_t count, const uint8_t* data) {
    uint16_t crc = 0xFFFF;
    for (size_t i = 0; i < count; ++i) crc = uint16_t((crc >> 8) ^ kCrcTable[(crc ^ data[i]) & 0xFF]);
    return crc;
}

}  // namespace ledsuite
