#pragma once
// The texts of the editors' menus, toolbar tooltips and messages (Simplified Chinese,
// Traditional Chinese, English rows).
#include "content/model/lang.h"

namespace ledsuite::edit_text {

extern const LangText kCut, kCopy, kPaste, kEdit, kToAnimate;
extern const LangText kTwinkle, kFlash, kFrame, kTwinkleFrame, kHeartBeat, kWave, kBubbleUp, kTurbulence;
extern const LangText kInsertTimeMenu, kTime, kHour, kMinute, kSecond;
extern const LangText kInsertDateMenu, kDate, kYear, kMonth, kMonthEn, kMonthEnShort, kDay;
extern const LangText kInsertWeekMenu, kWeekCn, kWeekEn;
extern const LangText kInsertOtherMenu, kInsertTemperature, kInsertHumid, kAdcConvert, kTimer, kCounter;
extern const LangText kMarkAs, kNumber, kCharacter;
extern const LangText kMissedFile;
// Toolbar tooltips, in the toolbar's order (32779 .. 32798; the entry for 32787 is empty).
extern const LangText kToolTips[20];
// Table dialog.
extern const LangText kColumn, kRow, kFrameType, kFrameColor, kGridProperty, kInsertGrid;
extern const LangText kGridTooLarge;

}  // namespace ledsuite::edit_text
