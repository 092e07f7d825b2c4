// The hardware grid's Read: the card's information reply (first byte: its length, at most 64)
// and the parameter block that follows it.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "editors/hardware_grid_rules.h"

using namespace ledsuite;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const size_t replyLength = std::min<size_t>({data[0], size - 1, 64});
    const std::span<const uint8_t> reply(data + 1, replyLength);
    const std::span<const uint8_t> rest(data + 1 + replyLength, size - 1 - replyLength);
    HardwareBlockRead block;
    block.received = rest.size();
    std::memcpy(block.bytes.data(), rest.data(), std::min(rest.size(), block.bytes.size()));
    HardwareParams screen, local;
    if (RecordOfReadBlock(block, screen, local)) ApplyCardInfoToRecord(reply, local);
    RepairHardwareParams(local);
    (void)GridValuesOf(local);
    return 0;
}
