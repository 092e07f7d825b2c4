#pragma once
// The rules of the program-set and program grids without any window: option mappings,
// the play-mode enabling, the repairs made when a record is shown, the stored ranges
// the typed numbers are held to, area moves and resizes, and bounded sound texts.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "content/model/records.h"

namespace ledsuite {

// ---- program set ----

int PlayModeOptionOf(uint8_t type);       // 0, 6, 1, 5 -> 0..3; -1 for any other type
uint8_t PlayModeOfOption(int option);     // 1, 2, 3 -> 6, 1, 5; anything else 0
// Repairs an unknown play-mode type to 0 (shown as option 0).
void RepairProgramSetForGrid(ProgramSetRecord& set);

struct PlayModeEnabling {
    bool duration = false;  // "Time": only for type 1
    bool schedule = false;  // dates, weekdays, periods and "More": only for type 6
};
PlayModeEnabling PlayModeEnablingOf(uint8_t type);

void SetWeekday(uint8_t& bits, int day, bool yes);  // day 0 Sunday .. 6 Saturday
// Grid 3 ids 15..20: the start (even offset) or end half of period entry (id - 15) / 2.
void StorePeriodItem(PlayPeriodTable& periods, int id, uint16_t word);
uint16_t PeriodItemValue(const PlayPeriodTable& periods, int id);

// ---- program ----

// Repairs made when a program is shown: main effect 0 -> 1, secondary effect 1..4 -> 0,
// a pause or offset the action's effect cannot keep -> 0, rate held to -10..10, sound
// alignment above 4 -> 0.
void RepairProgramForGrid(ProgramRecord& program);

inline constexpr int kMainEffectOptions = 31;       // effects 1..31
inline constexpr int kSecondaryEffectOptions = 26;  // effect 0, then 5..29
int SecondaryEffectOptionOf(uint8_t code);          // 0 -> 0, else code - 4
uint8_t SecondaryEffectOfOption(int option);        // 0 -> 0, else option + 4
// Main effect := option + 1; a change onto a horizontal move (1, 3, 30, 31) from an
// effect that is not one of them sets the offset to 0. True when the effect changed.
// The pause and offset the new effect's card form has no room for are held at 0 as well.
bool ChooseMainEffect(ActionRecord& action, int option);
// Secondary effect := SecondaryEffectOfOption(option), with the same holds. True when it changed.
bool ChooseSecondaryEffect(ActionRecord& action, int option);

// Role option of a kind byte: 0 for 0 and 255, the kind when below `optionCount`,
// nothing (selection unchanged) otherwise.
std::optional<int> RoleOptionOf(uint8_t kind, int optionCount);

// The range a typed number of grid 4 is stored in (by item id), and the value held to it.
struct StoredRange {
    int lo, hi;
};
StoredRange ProgramItemRange(int id);
int ClampProgramItem(int id, int value);
// Writes a number of grid 4 (ids 9, 11-14, 16-18) into the record, clamped, and a pause or
// offset the action's effect cannot keep as 0; false for other ids.
bool StoreProgramNumber(ProgramRecord& program, int id, int value);
// The number an id shows.
int ProgramNumber(const ProgramRecord& program, int id);

// The area moved to (x, y) keeping its size, and resized from its origin; offsets are
// held to 0 and above, sizes to 1 and above (both within the stored range).
void MoveProgramArea(ProgramRecord& program, int x, int y);
void ResizeProgramArea(ProgramRecord& program, int width, int height);

// Copies `text` into a NUL-terminated buffer, clearing the rest. A text that would
// leave no room for the terminator is refused: false, the buffer unchanged.
bool CopyBoundedText(std::span<char16_t> buffer, std::u16string_view text);
std::u16string BufferText(std::span<const char16_t> buffer);  // up to the first NUL or the end
// Prefix and suffix sound of an option: option 0 clears the text; option n copies
// fixed sound n - 1. False (buffer unchanged) when there is no such sound or it is too long.
bool StoreSoundOption(std::span<char16_t> buffer, int option, const std::vector<std::u16string>& fixedSounds);

// A border choice: type := option; option 1 (Custom) keeps the frames for the frame
// editor and answers true; any other empties them and, for a type other than 0,
// loads the built-in frames of that type.
bool ApplyBorderType(uint8_t& borderType, FrameVector& frames, int option);

}  // namespace ledsuite
