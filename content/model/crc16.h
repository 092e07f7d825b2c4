#pragma once
// CRC-16/MODBUS: reflected polynomial 0xA001, initial value 0xFFFF, no final XOR.
// It guards the program image, the screen header, the bitmap image, the sound-file
// headers, "playlist.dat" and the group-upload block; each stores it little-endian.
#include <cstddef>
#include <cstdint>
#include <span>

namespace ledsuite {

// The CRC of `count` bytes at `data`; 0xFFFF for no bytes.
uint16_t Crc16Modbus(size_t count, const uint8_t* data);
inline uint16_t Crc16Modbus(std::span<const uint8_t> bytes) { return Crc16Modbus(bytes.size(), bytes.data()); }

}  // namespace ledsuite
