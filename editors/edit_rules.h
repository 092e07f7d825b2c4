#pragma once
// What the text editor's windows decide, as plain functions: the field sequences the
// toolbar and the context menu insert, the size list of a font-set mode and the entry
// an attribute's size selects, the font-set mode a program is edited in, and which
// context-menu entries are enabled.
#include <cstdint>
#include <string>
#include <vector>

#include "editors/cell_editor.h"

namespace ledsuite {

// Commands of the surface's context menu and of the editor's toolbar.
enum EditCommand : int {
    kCmdToAnimateFirst = 32803, kCmdToAnimateLast = 32810,
    kCmdInsertTime = 32812, kCmdInsertHour = 32813, kCmdInsertMinute = 32814, kCmdInsertSecond = 32815,
    kCmdInsertDate = 32817, kCmdInsertMonth = 32818, kCmdInsertMonthEn = 32819, kCmdInsertMonthEnShort = 32821,
    kCmdInsertDay = 32822, kCmdInsertYear = 32823, kCmdInsertWeekCn = 32825, kCmdInsertWeekEn = 32826,
    kCmdInsertTemperature = 32828, kCmdInsertHumid = 32829, kCmdInsertAdc = 32830, kCmdInsertTimer = 32831,
    kCmdInsertCounter = 32832, kCmdEditItem = 32833,
    kCmdCopy = 57634, kCmdCut = 57635, kCmdPaste = 57637,
    kToolInsertDate = 32779, kToolInsertWeek = 32780, kToolInsertTime = 32781, kToolInsertTemperature = 32782,
    kToolInsertHumid = 32783, kToolInsertClock = 32784, kToolInsertGrid = 32785, kToolInsertImage = 32786,
    kToolInsertIcon = 32787, kToolBold = 32788, kToolItalic = 32789, kToolUnderline = 32790,
    kToolAlignLeft = 32791, kToolAlignAverage = 32794, kToolVerticalAverage = 32795, kToolUseFontChip = 32796,
    kToolLyricShow = 32797, kToolReturnToText = 32798,
};

// The codes a field command inserts, in order; empty for commands that insert none.
// English forms when the language setting is 3, the Chinese forms for every other one.
std::u16string FieldSequence(int command, uint32_t languageSetting);

// The sizes the size combo lists for a font-set mode (its low four bits): 8..127 for
// 0, else 12, 16, 24, 32, 48, 64 cut after 2..6 entries (modes above 5 as 5).
std::vector<int> SizeListForMode(uint8_t mode);
// The entry of that list an attribute's size selects; always inside the list.
int SizeIndexForSize(uint8_t mode, int size);
// The size the combo's entry stands for; 16 when the index is outside the list.
int SizeForIndex(uint8_t mode, int index);

// The mode a program is edited in: system fonts without a font chip, else the chip
// for a text that was bound to a card font set.
uint8_t ProgramFontSetMode(uint8_t storedMode, uint8_t fontChip);

// Which entries of the surface's context menu are enabled.
struct EditMenuState {
    bool cut = false;
    bool copy = false;
    bool paste = false;
    bool edit = false;
    bool toAnimate = false;
};
EditMenuState ContextMenuState(const CellEditor& engine, bool clipboardHasContent);

// The item dialog a selected cell's "Edit" opens; kNoItemDialog for cells without one.
enum ItemDialog : int {
    kNoItemDialog = 0, kPictureDialog, kTableEditor, kAdcDialog, kTimerDialog, kCounterDialog, kClockDialog,
};
ItemDialog ItemDialogFor(char16_t code);

}  // namespace ledsuite
