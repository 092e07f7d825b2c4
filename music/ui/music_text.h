#pragma once
// The texts of the music pane and its dialogs, one LangText row each.
#include <string>

#include "content/model/lang.h"

namespace ledsuite::music_text {

// List columns of the pane.
extern const LangText kColIndex, kColTitle, kColRole, kColPause, kColRate, kColStart, kColStop;
// Toolbar commands (tooltips).
extern const LangText kAdd, kPrevious, kPlay, kStop, kNext, kLoopPlay, kShiftUp, kShiftDown, kDel, kVolume,
    kLrcSetting, kRoleSetting;
// Messages.
extern const LangText kLinkBroken, kLyricShow, kNoCtrlCard, kNoLyricShow, kPathTooLong, kListFull;
// Volume dialog.
extern const LangText kMusicVolume, kSpeechVolume;
// LRC settings dialog.
extern const LangText kLrcSettingCaption, kFontHeight, kFontColor, kMonochrome, kRed, kGreen, kYellow, kRandom,
    kAuto, kVoiceLibLanguage, kFontChipLanguage, kLangDefault, kLangSimplified, kLangTraditional, kTextAlign,
    kAlignLeftText, kAlignCenterText, kAlignRightText, kAlignMoveText, kMoveSpeed, kSpeedDefault, kSentencePause,
    kDefaultText, kOk, kCancel;
// Lyric choice dialog.
extern const LangText kDownloadLyric, kArtist, kServer, kChinaTelecom, kChinaNetcom, kSearch, kPleaseSelect;
// "No lyric server is set" and where to set one: the settings file of the application.
std::u16string NoLyricServerMessage(const std::u16string& settingsFile);

// The card's partition size could not be read.
inline const LangText kSignSizeFailed{{u"获取分区大小失败", u"獲取分區大小失敗", u"Reading the partition size failed"}};
// Sound build dialog.
extern const LangText kSoundCaption, kAllProgress, kCurrentProgress;

}  // namespace ledsuite::music_text
