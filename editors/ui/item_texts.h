#pragma once
// The texts of the item dialogs: A/D value, clock, counter, timer, picture editor, frame
// property and frame editor (Simplified Chinese, Traditional Chinese, English rows).
#include "content/model/lang.h"

namespace ledsuite::item_text {

// A/D value.
extern const LangText kAdcTitle, kChannel, kCalibrateType, kShowFormat, kThreePower, kIndex;
extern const LangText kShowSign, kFillZero, kGrabPeriod;
// Clock.
extern const LangText kClockTitle, kClockHand, kLine, kBackground;
// Counter and timer.
extern const LangText kCounterTitle, kStart, kEnd, kTrigger, kWeek, kRisingEdge, kFallingEdge, kSign;
extern const LangText kTimerTitle, kStartDateTime, kEndDateTime, kCountDirection, kCountUp, kCountDown;
extern const LangText kDaysLength;
// Picture editor and frame property.
extern const LangText kImageEditorTitle, kWidth, kHeight, kPauseTime, kThreshR, kThreshG, kThreshB;
extern const LangText kFinishEditing, kPropertyTitle, kApplyAll, kBadImageSize;
// Toolbar tooltips of commands 32894 .. 32907, in order.
extern const LangText kImageToolTips[14];
// Frame editor.
extern const LangText kFrameEditorTitle, kColor, kSave, kDelete, kSaved, kSaveFailed, kSelectToDelete;
extern const LangText kBuiltInTile, kDeleteFailed;

}  // namespace ledsuite::item_text
