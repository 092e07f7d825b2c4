#pragma once
// The texts of the property window: group and item labels of the four grids, their
// language-dependent options, the hardware toolbar and the hardware messages.
// Rows are Simplified Chinese, Traditional Chinese, English.
#include <array>

#include "content/model/lang.h"

namespace ledsuite::ptext {

// ---- hardware grid ----
extern const LangText kDisplayParameter, kOutputParameter, kOther;
extern const LangText kCtrlCardType, kWidth, kHeight, kColor, kLuminance, kRefreshRate;
extern const LangText kValidOeLevel, kValidDataLevel, kColumnOrder, kRowOrder, kDataFlow, kHBlank;
extern const LangText kId, kSerialPort, kBaudRate, kFontChip, kFileSystem, kPageSize, kSoundMode;
extern const LangText kPowerOnOff, kPowerOn, kPowerOff, kScheduledLuminance, kTime;
extern const LangText kLowLevel, kHighLevel, kNormal, kAgainst, kNoCode, kNo, kYes;
extern const LangText kSequence, kPage, kMute, kInOrder, kRandom, kMonochrome, kTwoTone;
extern const LangText kGeneral, kIndoor, kVehicle;
extern const std::array<LangText, 12> kSubtypeNames;
// Toolbar in button order: Apply, Set, Read, Default; tooltips in the same order.
extern const std::array<LangText, 4> kToolbarTexts;
extern const std::array<LangText, 4> kToolbarTips;
extern const LangText kSizeZero, kWidthOutOfRange, kHeightOutOfRange, kHalveTwoTone, kApplySucceeded,
    kSettingsNotSaved;

// ---- program-set grid ----
extern const LangText kAppearance, kFrameType, kFrameEffect, kEffectSpeed, kPlayMode, kMode;
extern const LangText kDateStart, kDateEnd, kWeek, kPeriod, kStart, kEnd, kMore;
extern const std::array<LangText, 7> kDayNames;  // Sunday first
extern const std::array<LangText, 4> kPlayModeNames;
extern const std::array<LangText, 9> kBorderTypeNames;
extern const std::array<LangText, 9> kBorderEffectNames;

// ---- program grid ----
extern const LangText kRegionParameter, kOffset, kOffsetX, kOffsetY, kSize, kFrame;
extern const LangText kProgramAction, kActionMaster, kActionEffect, kPauseTime, kRepeat, kActionSlave;
extern const LangText kSpeech, kRole, kRate, kPrefixSound, kSuffixSound, kBackgroundMusic, kSoundAlign;
extern const LangText kRoleNone, kRoleFile;
extern const std::array<LangText, 5> kSoundAlignNames;

// ---- user grid ----
extern const LangText kUserInfo, kAccount, kUserName, kUserType, kRegisterTime;
extern const LangText kGprsInfo, kAll, kOnline, kOffline, kOnlineRatio;

// ---- password prompt ----
extern const LangText kInputPassword, kPasswordLabel, kPasswordWarning, kOk, kCancel, kPasswordEmpty,
    kPasswordError;

}  // namespace ledsuite::ptext
