#include "editors/property_rules.h"

#include <algorithm>
#include <climits>

#include "content/render/image_sources.h"
#include "editors/play_periods.h"

namespace ledsuite {

namespace {
constexpr int kMaxAreaValue = 0x7FFF;  // offsets and sizes: what a screen of the largest card can hold, and more

bool IsHorizontalMove(uint8_t code) {
    return code == kEffectMoveLeft || code == kEffectMoveRight || code == kEffectMoveLeftContinue ||
           code == kEffectMoveRightContinue;
}

// The pause and offset an effect's card form has no room for are held at 0.
void HoldToEffect(ActionRecord& action) {
    if (!EffectKeepsOffset(action.effect)) action.offset = 0;
    if (!EffectKeepsPause(action.effect)) action.pause = 0;
}
}  // namespace

int PlayModeOptionOf(uint8_t type) {
    switch (type) {
        case 0: return 0;
        case 6: return 1;
        case 1: return 2;
        case 5: return 3;
        default: return -1;
    }
}

uint8_t PlayModeOfOption(int option) {
    switch (option) {
        case 1: return 6;
        case 2: return 1;
        case 3: return 5;
        default: return 0;
    }
}

void RepairProgramSetForGrid(ProgramSetRecord& set) {
    if (PlayModeOptionOf(set.playMode) < 0) set.playMode = 0;
}

PlayModeEnabling PlayModeEnablingOf(uint8_t type) { return {type == 1, type == 6}; }

void SetWeekday(uint8_t& bits, int day, bool yes) {
    if (day < 0 || day > 6) return;
    bits = uint8_t(yes ? bits | (1u << day) : bits & ~(1u << day));
}

void StorePeriodItem(PlayPeriodTable& periods, int id, uint16_t word) {
    if (id < 15 || id > 20) return;
    StorePeriodHalf(periods, size_t(id - 15) / 2, (id - 15) % 2 == 1, word);
}

uint16_t PeriodItemValue(const PlayPeriodTable& periods, int id) {
    if (id < 15 || id > 20) return 0;
    const uint32_t entry = periods[size_t(id - 15) / 2];
    return uint16_t((id - 15) % 2 == 1 ? entry >> 16 : entry & 0xFFFF);
}

void RepairProgramForGrid(ProgramRecord& program) {
    if (program.mainAction.effect == kEffectNone) program.mainAction.effect = kEffectMoveLeft;
    if (program.secondaryAction.effect >= 1 && program.secondaryAction.effect <= 4) program.secondaryAction.effect = 0;
    HoldToEffect(program.mainAction);
    HoldToEffect(program.secondaryAction);
    program.rate = int16_t(std::clamp<int>(program.rate, -10, 10));
    if (program.soundAlign > 4) program.soundAlign = 0;
}

int SecondaryEffectOptionOf(uint8_t code) { return code == 0 ? 0 : code - 4; }
uint8_t SecondaryEffectOfOption(int option) { return option <= 0 ? 0 : uint8_t(option + 4); }

bool ChooseMainEffect(ActionRecord& action, int option) {
    const uint8_t code = uint8_t(std::clamp(option, 0, kMainEffectOptions - 1) + 1);
    if (code == action.effect) return false;
    if (IsHorizontalMove(code) && !IsHorizontalMove(action.effect)) action.offset = 0;
    action.effect = code;
    HoldToEffect(action);
    return true;
}

bool ChooseSecondaryEffect(ActionRecord& action, int option) {
    const uint8_t code = SecondaryEffectOfOption(std::clamp(option, 0, kSecondaryEffectOptions - 1));
    if (code == action.effect) return false;
    action.effect = code;
    HoldToEffect(action);
    return true;
}

std::optional<int> RoleOptionOf(uint8_t kind, int optionCount) {
    if (kind == 0 || kind == 255) return 0;
    if (kind < optionCount) return int(kind);
    return std::nullopt;
}

StoredRange ProgramItemRange(int id) {
    switch (id) {
        case 2: case 3: return {0, kMaxAreaValue};   // offsets
        case 5: case 6: return {1, kMaxAreaValue};   // sizes
        case 9: return {0, 254};                     // border speed
        case 11: return {1, 254};                    // main speed
        case 12: return {0, 255};                    // main pause
        case 13: case 18: return {0, 255};           // repeat counts
        case 14: return {INT16_MIN, INT16_MAX};      // main offset (an i16)
        case 16: return {1, 255};                    // secondary speed
        case 17: return {0, 254};                    // secondary pause
        default: return {INT_MIN, INT_MAX};
    }
}

int ClampProgramItem(int id, int value) {
    const StoredRange r = ProgramItemRange(id);
    return std::clamp(value, r.lo, r.hi);
}

bool StoreProgramNumber(ProgramRecord& p, int id, int value) {
    const int v = ClampProgramItem(id, value);
    switch (id) {
        case 9: p.borderSpeed = uint8_t(v); return true;
        case 11: p.mainAction.speed = uint8_t(v); return true;
        case 12: p.mainAction.pause = uint8_t(EffectKeepsPause(p.mainAction.effect) ? v : 0); return true;
        case 13: p.mainAction.repeat = uint8_t(v); return true;
        case 14: p.mainAction.offset = int16_t(EffectKeepsOffset(p.mainAction.effect) ? v : 0); return true;
        case 16: p.secondaryAction.speed = uint8_t(v); return true;
        case 17: p.secondaryAction.pause = uint8_t(EffectKeepsPause(p.secondaryAction.effect) ? v : 0); return true;
        case 18: p.secondaryAction.repeat = uint8_t(v); return true;
        default: return false;
    }
}

int ProgramNumber(const ProgramRecord& p, int id) {
    switch (id) {
        case 2: return p.left;
        case 3: return p.top;
        case 5: return p.height();
        case 6: return p.width();
        case 9: return p.borderSpeed;
        case 11: return p.mainAction.speed;
        case 12: return p.mainAction.pause;
        case 13: return p.mainAction.repeat;
        case 14: return p.mainAction.offset;
        case 16: return p.secondaryAction.speed;
        case 17: return p.secondaryAction.pause;
        case 18: return p.secondaryAction.repeat;
        default: return 0;
    }
}

void MoveProgramArea(ProgramRecord& p, int x, int y) {
    x = ClampProgramItem(2, x);
    y = ClampProgramItem(3, y);
    p.right += x - p.left;
    p.bottom += y - p.top;
    p.left = x;
    p.top = y;
}

void ResizeProgramArea(ProgramRecord& p, int width, int height) {
    p.right = p.left + ClampProgramItem(6, width);
    p.bottom = p.top + ClampProgramItem(5, height);
}

bool CopyBoundedText(std::span<char16_t> buffer, std::u16string_view text) {
    if (text.size() >= buffer.size()) return false;
    std::fill(buffer.begin(), buffer.end(), u'\0');
    std::copy(text.begin(), text.end(), buffer.begin());
    return true;
}

std::u16string BufferText(std::span<const char16_t> buffer) {
    const auto end = std::find(buffer.begin(), buffer.end(), u'\0');
    return std::u16string(buffer.begin(), end);
}

bool StoreSoundOption(std::span<char16_t> buffer, int option, const std::vector<std::u16string>& fixedSounds) {
    if (option <= 0) return CopyBoundedText(buffer, u"");
    if (size_t(option) > fixedSounds.size()) return false;
    return CopyBoundedText(buffer, fixedSounds[size_t(option) - 1]);
}

bool ApplyBorderType(uint8_t& borderType, FrameVector& frames, int option) {
    borderType = uint8_t(option);
    if (option == 1) return true;
    frames.clear();
    if (option != 0) MakeBorderFrames(&frames, option);
    return false;
}

}  // namespace ledsuite
