#pragma once
// The items of the hardware-parameter grid (grid 2). Keys 1 and 2 are the item ids of
// "Ctrl Card Type" and "Sound Mode"; the other keys name group and position.
#include <vector>

#include "toolkit/property_grid.h"

namespace ledsuite {

enum HardwareKey : int {
    kHwModel = 1,
    kHwSoundMode = 2,
    kHwDisplayGroup = 100, kHwWidth, kHwHeight, kHwColor, kHwBrightness, kHwRefresh,
    kHwOutputGroup = 200, kHwOeLevel, kHwDataLevel, kHwColumnOrder, kHwRowOrder, kHwDataFlow, kHwHBlank,
    kHwOtherGroup = 300, kHwCardId, kHwSerialPort, kHwBaud, kHwFontChip, kHwFileSystem, kHwPageSize,
    kHwPowerGroup = 320, kHwPowerOn, kHwPowerOff,
    kHwTimedGroup = 330,  // group k at 330 + 3k, its time at 331 + 3k, its level at 332 + 3k
};
inline constexpr int TimedGroupKey(int k) { return kHwTimedGroup + 3 * k; }
inline constexpr int TimedTimeKey(int k) { return kHwTimedGroup + 3 * k + 1; }
inline constexpr int TimedLevelKey(int k) { return kHwTimedGroup + 3 * k + 2; }

std::vector<PropertySpec> HardwareGridSpecs();

}  // namespace ledsuite
