#include "music/ui/music_text.h"

namespace ledsuite::music_text {

const LangText kColIndex{{u"序号", u"序號", u"Index"}};
const LangText kColTitle{{u"标题", u"標題", u"Title"}};
const LangText kColRole{{u"角色", u"角色", u"Role"}};
const LangText kColPause{{u"播放完停顿", u"播放完停頓", u"Pause After Play Finished"}};
const LangText kColRate{{u"语速", u"語速", u"Rate"}};
const LangText kColStart{{u"开始播放", u"開始播放", u"Start Playing"}};
const LangText kColStop{{u"停止播放", u"停止播放", u"Stop Playing"}};

const LangText kAdd{{u"添加", u"添加", u"Add"}};
const LangText kPrevious{{u"上一首", u"上一首", u"Previous"}};
const LangText kPlay{{u"播放", u"播放", u"Play"}};
const LangText kStop{{u"停止", u"停止", u"Stop"}};
const LangText kNext{{u"下一首", u"下一首", u"Next"}};
const LangText kLoopPlay{{u"循环播放", u"循環播放", u"Loop Play"}};
const LangText kShiftUp{{u"上移", u"上移", u"Shift Up"}};
const LangText kShiftDown{{u"下移", u"下移", u"Shift Down"}};
const LangText kDel{{u"删除", u"刪除", u"Del"}};
const LangText kVolume{{u"音量", u"音量", u"Volume"}};
const LangText kLrcSetting{{u"歌词设置", u"歌詞設置", u"LRC Setting"}};
const LangText kRoleSetting{{u"角色设置", u"角色設置", u"Role Setting"}};

const LangText kLinkBroken{{u"与控制卡的连接已断开", u"與控制卡的連接已斷開", u"The connection to Ctrl Card has been broken"}};
const LangText kLyricShow{{u"歌词显示", u"歌詞顯示", u"Lyric Show"}};
const LangText kNoCtrlCard{{u"未检测到控制卡, \n请确定连线正确", u"未檢測到控制卡, \n請確定連線正確",
                            u"No Ctrl Card found, \nplease check the cable connection"}};
const LangText kNoLyricShow{{u"所连接的控制卡不支持歌词显示", u"所連接的控制卡不支持歌詞顯示",
                             u"The connected ctrl card doesn't support lyric show"}};
const LangText kPathTooLong{{u"文件路径太长", u"文件路徑太長", u"The file path is too long"}};
const LangText kListFull{{u"播放列表已满", u"播放列表已滿", u"The playlist is full"}};

const LangText kMusicVolume{{u"音乐音量", u"音樂音量", u"Music Volume"}};
const LangText kSpeechVolume{{u"语音音量", u"語音音量", u"Speech Volume"}};

const LangText kLrcSettingCaption{{u"歌词设置", u"歌詞設置", u"LRC Setting"}};
const LangText kFontHeight{{u"字体高度", u"字體高度", u"Font Height"}};
const LangText kFontColor{{u"字体颜色", u"字體顏色", u"Font Color"}};
const LangText kMonochrome{{u"单色", u"單色", u"Monochrome"}};
const LangText kRed{{u"红色", u"紅色", u"Red"}};
const LangText kGreen{{u"绿色", u"綠色", u"Green"}};
const LangText kYellow{{u"黄色", u"黃色", u"Yellow"}};
const LangText kRandom{{u"随机", u"隨機", u"Random"}};
const LangText kAuto{{u"自动", u"自動", u"Auto"}};
const LangText kVoiceLibLanguage{{u"语音库语言", u"語音庫語言", u"Voice Lib Lanuage"}};
const LangText kFontChipLanguage{{u"字库语言", u"字庫語言", u"Font Chip Language"}};
const LangText kLangDefault{{u"默认", u"默認", u"Default"}};
const LangText kLangSimplified{{u"简体中文", u"簡體中文", u"Chinese(Simplified)"}};
const LangText kLangTraditional{{u"繁体中文", u"繁體中文", u"Chinese(Tradition)"}};
const LangText kTextAlign{{u"对齐方式", u"對齊方式", u"Text Align"}};
const LangText kAlignLeftText{{u"左对齐", u"左對齊", u"Align Left"}};
const LangText kAlignCenterText{{u"居中", u"居中", u"Align Center"}};
const LangText kAlignRightText{{u"右对齐", u"右對齊", u"Align Right"}};
const LangText kAlignMoveText{{u"移动", u"移動", u"Move"}};
const LangText kMoveSpeed{{u"移动速度", u"移動速度", u"Move Speed"}};
const LangText kSpeedDefault{{u"默认", u"默認", u"Default"}};
const LangText kSentencePause{{u"句间停顿", u"句間停頓", u"Sentence Pause"}};
const LangText kDefaultText{{u"默认文字", u"默認文字", u"Default Text"}};
const LangText kOk{{u"确定", u"確定", u"OK"}};
const LangText kCancel{{u"取消", u"取消", u"Cancel"}};

const LangText kDownloadLyric{{u"下载歌词", u"下載歌詞", u"Download lyric"}};
const LangText kArtist{{u"歌手", u"歌手", u"Artist"}};
const LangText kServer{{u"服务器", u"伺服器", u"Server"}};
const LangText kChinaTelecom{{u"中国电信", u"中國電信", u"China Telecom"}};
const LangText kChinaNetcom{{u"中国网通", u"中國網通", u"China Netcom"}};
const LangText kSearch{{u"搜索", u"搜尋", u"Search"}};
const LangText kPleaseSelect{{u"请选择", u"請選擇", u"Please select"}};
const LangText kNoLyricServer{{u"未设置歌词服务器, 请在设置文件中填写 \"Lyrics/Server1\" (及 \"Lyrics/Server2\") 的主机:\n",
                               u"未設置歌詞伺服器, 請在設置文件中填寫 \"Lyrics/Server1\" (及 \"Lyrics/Server2\") 的主機:\n",
                               u"No lyric server is set. Give \"Lyrics/Server1\" (and \"Lyrics/Server2\") "
                               u"a host or host:port in the settings file:\n"}};

std::u16string NoLyricServerMessage(const std::u16string& settingsFile) { return kNoLyricServer() + settingsFile; }

const LangText kSoundCaption{{u"声音/音乐编码", u"聲音/音樂編碼", u"Sound/Music Code"}};
const LangText kAllProgress{{u"全部声音/音乐编码进度", u"全部聲音/音樂編碼進度", u"All Sound/Music Code Process"}};
const LangText kCurrentProgress{{u"当前声音/音乐编码进度", u"當前聲音/音樂編碼進度",
                                 u"Current Sound/Music Code Process"}};

}  // namespace ledsuite::music_text
