// What the text editor's windows decide; see edit_rules.h.
#include "editors/edit_rules.h"

#include <algorithm>
#include <array>

namespace ledsuite {

namespace {
constexpr uint32_t kLanguageEnglish = 3;
constexpr int kSystemMinSize = 8;
constexpr int kSystemMaxSize = 127;
constexpr int kDefaultSize = 16;
// The card font sizes; mode m (1..5) offers the first m + 1.
constexpr std::array<int, 6> kCardSizes{12, 16, 24, 32, 48, 64};
}  // namespace

std::u16string FieldSequence(int command, uint32_t languageSetting) {
    const bool en = languageSetting == kLanguageEnglish;
    switch (command) {
    case kCmdInsertTime:
    case kToolInsertTime:
        return en ? u"\uE013:\uE014:\uE015" : u"\uE013\u65F6\uE014\u5206\uE015\u79D2";
    case kCmdInsertDate:
    case kToolInsertDate:
        return en ? u"\uE010-\uE011-\uE012" : u"\uE010\u5E74\uE011\u6708\uE012\u65E5";
    case kToolInsertWeek: return en ? u"\uE021" : u"\u661F\u671F\uE020";
    case kCmdInsertHour: return u"\uE013";
    case kCmdInsertMinute: return u"\uE014";
    case kCmdInsertSecond: return u"\uE015";
    case kCmdInsertMonth: return u"\uE011";
    case kCmdInsertMonthEn: return u"\uE023";
    case kCmdInsertMonthEnShort: return u"\uE024";
    case kCmdInsertDay: return u"\uE012";
    case kCmdInsertYear: return u"\uE010";
    case kCmdInsertWeekCn: return u"\uE020";
    case kCmdInsertWeekEn: return u"\uE021";
    case kCmdInsertTemperature:
    case kToolInsertTemperature: return u"\uE016\u2103";
    case kCmdInsertHumid:
    case kToolInsertHumid: return u"\uE018%";
    default: return {};
    }
}

std::vector<int> SizeListForMode(uint8_t mode) {
    const int m = mode & 0xF;
    std::vector<int> sizes;
    if (m == 0) {
        for (int s = kSystemMinSize; s <= kSystemMaxSize; ++s) sizes.push_back(s);
        return sizes;
    }
    sizes.assign(kCardSizes.begin(), kCardSizes.begin() + std::min(m, 5) + 1);
    return sizes;
}

int SizeIndexForSize(uint8_t mode, int size) {
    const std::vector<int> sizes = SizeListForMode(mode);
    const int last = int(sizes.size()) - 1;
    if ((mode & 0xF) == 0) {
        // Sizes above the list (128..255) would select past its end: the default instead.
        if (size > kSystemMaxSize) size = kDefaultSize;
        return std::clamp(size < kSystemMinSize ? size : size - kSystemMinSize, 0, last);
    }
    // Upper bounds of each entry: half-way to the next size.
    constexpr std::array<int, 5> kBounds{13, 19, 27, 39, 55};
    for (int i = 0; i < last; ++i)
        if (size <= kBounds[size_t(i)]) return i;
    return last;
}

int SizeForIndex(uint8_t mode, int index) {
    const std::vector<int> sizes = SizeListForMode(mode);
    return index >= 0 && index < int(sizes.size()) ? sizes[size_t(index)] : kDefaultSize;
}

uint8_t ProgramFontSetMode(uint8_t storedMode, uint8_t fontChip) {
    if (fontChip == 0) return 0;
    return storedMode != 0 ? fontChip : 0;
}

EditMenuState ContextMenuState(const CellEditor& engine, bool clipboardHasContent) {
    EditMenuState s;
    s.cut = s.copy = engine.caret() != engine.anchor();
    s.paste = clipboardHasContent;
    s.edit = ItemDialogFor(engine.GetSelectedCell().code) != kNoItemDialog;
    s.toAnimate = engine.SelectionIsPlainText();
    return s;
}

ItemDialog ItemDialogFor(char16_t code) {
    switch (code) {
    case FC_PICTURE: return kPictureDialog;
    case FC_TABLE: return kTableEditor;
    case FC_ADC: return kAdcDialog;
    case FC_TIMER: return kTimerDialog;
    case FC_COUNTER: return kCounterDialog;
    case FC_CLOCK: return kClockDialog;
    default: return kNoItemDialog;
    }
}

}  // namespace ledsuite
