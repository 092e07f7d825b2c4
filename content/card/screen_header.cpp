#include "content/card/screen_header.h"

#include <algorithm>
#include <utility>

#include "content/bytes.h"
#include "content/model/crc16.h"

namespace ledsuite {

namespace {

constexpr size_t kBrightnessAt = 36;  // timed-brightness entries, 3 bytes each
constexpr size_t kEndMarkAt = 60;
constexpr uint16_t kUnsetTime = 0xC000;

uint8_t LevelOf(uint32_t entry) { return uint8_t(entry >> 16); }

}  // namespace

int BuildProgramHeader(const HardwareParams& hw, std::span<uint8_t> out) {
    if (out.size() < kScreenHeaderSize) return -1;
    std::fill(out.begin(), out.end(), uint8_t(0xFF));
    ByteWriter w(out.data(), kScreenHeaderSize);
    w.put_u32(kScreenHeaderSize);
    w.put_u16(0);
    w.put_u16(hw.width);
    w.put_u16(hw.height);
    w.put_u8(uint8_t(hw.colorCode));
    w.put_u8(hw.dataFlow);
    w.put_u8(hw.outputFlags);
    w.put_u8(uint8_t(hw.rowOrder << 4 | (hw.columnOrder & 0x0F)));
    w.put_u16(0);
    w.put_u16(hw.cardId);
    w.put_u16(hw.brightness);
    w.put_u8(uint8_t(hw.baudIndex));
    w.put_u8(0xFF);
    w.put_u8(hw.fileSystem > 4 ? 0 : hw.fileSystem);
    w.put_u8(hw.pageSize > 4 ? 0 : hw.pageSize);
    w.put_u16(hw.fontChip);
    w.fill(0xFF, 2);
    w.put_u8(hw.refresh);
    w.fill(0xFF, 3);
    w.put_u16(hw.switchOnTime);
    w.put_u16(hw.switchOffTime);

    // Set entries in order of time by exchanges (two equal times are never exchanged with
    // each other), unset ones left out.
    std::array<uint32_t, 4> entries = hw.timedBrightness;
    for (size_t i = 0; i < 3; ++i)
        for (size_t j = i + 1; j < 4; ++j)
            if (uint16_t(entries[i]) > uint16_t(entries[j])) std::swap(entries[i], entries[j]);
    for (uint32_t e : entries) {
        if (uint16_t(e) >= kUnsetTime || LevelOf(e) == 0) continue;
        w.put_u16(uint16_t(e));
        w.put_u8(LevelOf(e));
    }
    w.pad_to(kEndMarkAt, 0xFF);
    w.put_u16(0x00FF);
    w.put_u16(Crc16Modbus(kScreenHeaderSize - 2, out.data()));
    return int(kScreenHeaderSize);
}

std::vector<uint8_t> BuildHardwareParamBlock(const HardwareParams& hw) {
    std::vector<uint8_t> block(kHardwareParamBlockSize);
    BuildProgramHeader(hw, block);
    return block;
}

int ParseProgramHeader(std::span<const uint8_t> header, HardwareParams& hw) {
    if (header.size() < kScreenHeaderMinRead) return -1;
    const uint8_t* p = header.data();
    hw.width = LoadU16(p + 6);
    hw.height = LoadU16(p + 8);
    hw.colorCode = p[10];
    hw.dataFlow = p[11];
    hw.outputFlags = p[12];
    hw.columnOrder = p[13] & 0x0F;
    hw.rowOrder = p[13] >> 4;
    hw.cardId = LoadU16(p + 16);
    hw.brightness = p[18];
    hw.baudIndex = p[20];
    hw.fileSystem = p[22];
    hw.pageSize = p[23];
    hw.fontChip = LoadU16(p + 24);
    hw.refresh = p[28];
    const auto time = [](uint16_t t) { return t > kUnsetTime ? uint16_t(0) : t; };
    hw.switchOnTime = time(LoadU16(p + 32));
    hw.switchOffTime = time(LoadU16(p + 34));

    // The stored entries are in order of time; the 0xFF fill reads as an unset time.
    hw.timedBrightness.fill(0);
    const size_t end = std::min(header.size(), kEndMarkAt);
    for (size_t i = 0, at = kBrightnessAt; i < hw.timedBrightness.size() && at + 3 <= end; ++i, at += 3) {
        const uint16_t t = LoadU16(p + at);
        if (t >= kUnsetTime) break;
        hw.timedBrightness[i] = t | uint32_t(p[at + 2]) << 16;
    }
    return 0;
}

int LoadScreenHeader(ProgramTree& tree, std::span<const uint8_t> bytes) {
    return ParseProgramHeader(bytes, tree.screen());
}

}  // namespace ledsuite
