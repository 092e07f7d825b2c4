#pragma once
// The items of the program-set grid (grid 3), the program grid (grid 4) and the user
// grid (grid 5). In grids 3 and 4 the keys of the items are their item ids; groups
// without an id take keys from 100.
#include <vector>

#include "toolkit/property_grid.h"

namespace ledsuite {

enum ProgramSetKey : int {
    kSetBorderType = 1, kSetBorderEffect = 2, kSetBorderSpeed = 3, kSetPlayMode = 4, kSetDuration = 5,
    kSetDateStart = 6, kSetDateEnd = 7, kSetFirstWeekday = 8, kSetFirstPeriod = 15, kSetMore = 21,
    kSetAppearanceGroup = 100, kSetPlayModeGroup, kSetWeekGroup, kSetPeriodGroup, kSetMoreGroup,
    kSetPeriodEntryGroup = 110,  // + k for period k = 0..2
};

enum ProgramKey : int {
    kPrgOffsetGroup = 1, kPrgOffsetX = 2, kPrgOffsetY = 3, kPrgSizeGroup = 4, kPrgHeight = 5, kPrgWidth = 6,
    kPrgBorderType = 7, kPrgBorderEffect = 8, kPrgBorderSpeed = 9, kPrgMainEffect = 10, kPrgMainSpeed = 11,
    kPrgMainPause = 12, kPrgMainRepeat = 13, kPrgMainOffset = 14, kPrgSecondEffect = 15, kPrgSecondSpeed = 16,
    kPrgSecondPause = 17, kPrgSecondRepeat = 18, kPrgRole = 19, kPrgRate = 20, kPrgPrefix = 21, kPrgSuffix = 22,
    kPrgMusic = 23, kPrgSoundAlign = 24,
    kPrgRegionGroup = 100, kPrgFrameGroup, kPrgActionGroup, kPrgMasterGroup, kPrgSlaveGroup, kPrgSpeechGroup,
};

std::vector<PropertySpec> ProgramSetGridSpecs();
// `fixedSounds`: the names the prefix and suffix sounds offer after "Mute".
std::vector<PropertySpec> ProgramGridSpecs(const std::vector<std::u16string>& fixedSounds);
std::vector<PropertySpec> UserGridSpecs();

}  // namespace ledsuite
