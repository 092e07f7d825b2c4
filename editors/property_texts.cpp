#include "editors/property_texts.h"

namespace ledsuite::ptext {

const LangText kDisplayParameter{{u"显示参数", u"顯示參數", u"Display Parameter"}};
const LangText kOutputParameter{{u"输出参数", u"輸出參數", u"Output Parameter"}};
const LangText kOther{{u"其它", u"其它", u"Other"}};
const LangText kCtrlCardType{{u"控制卡型号", u"控制卡型號", u"Ctrl Card Type"}};
const LangText kWidth{{u"宽度", u"寬度", u"Width"}};
const LangText kHeight{{u"高度", u"高度", u"Height"}};
const LangText kColor{{u"颜色", u"顏色", u"Color"}};
const LangText kLuminance{{u"亮度", u"亮度", u"luminance"}};
const LangText kRefreshRate{{u"刷新率", u"刷新率", u"Refresh Rate"}};
const LangText kValidOeLevel{{u"OE有效", u"OE有效", u"Valid OE Level"}};
const LangText kValidDataLevel{{u"数据有效", u"數據有效", u"Valid Data Level"}};
const LangText kColumnOrder{{u"列顺序", u"列順序", u"Column Order"}};
const LangText kRowOrder{{u"行顺序", u"行順序", u"Row Order"}};
const LangText kDataFlow{{u"数据流向", u"數據流向", u"Data Flow"}};
const LangText kHBlank{{u"行消隐", u"行消隱", u"HBlank"}};
const LangText kId{{u"ID", u"ID", u"ID"}};
const LangText kSerialPort{{u"串口号", u"串口號", u"Serial Port"}};
const LangText kBaudRate{{u"波特率", u"串列傳輸速率", u"Baud Rate"}};
const LangText kFontChip{{u"字库芯片", u"字形檔晶片", u"Font Chip"}};
const LangText kFileSystem{{u"文件系统", u"檔案系統", u"File System"}};
const LangText kPageSize{{u"分页大小", u"分頁大小", u"Page Size"}};
const LangText kSoundMode{{u"声音模式", u"聲音模式", u"Sound Mode"}};
const LangText kPowerOnOff{{u"定时开关机", u"定時開關機", u"Scheduled To Power On/Off"}};
const LangText kPowerOn{{u"开机", u"開機", u"Power-On"}};
const LangText kPowerOff{{u"关机", u"關機", u"Power-Off"}};
const LangText kScheduledLuminance{{u"定时亮度", u"定時亮度", u"Scheduled Luminance"}};
const LangText kTime{{u"时间", u"時間", u"Time"}};
const LangText kLowLevel{{u"低电平", u"低電平", u"Low Level"}};
const LangText kHighLevel{{u"高电平", u"高電平", u"High Level"}};
const LangText kNormal{{u"正常", u"正常", u"Normal"}};
const LangText kAgainst{{u"反向", u"反向", u"Against"}};
const LangText kNoCode{{u"免译码", u"免解碼", u"No Code"}};
const LangText kNo{{u"否", u"否", u"No"}};
const LangText kYes{{u"是", u"是", u"Yes"}};
const LangText kSequence{{u"顺序", u"順序", u"Sequence"}};
const LangText kPage{{u"分页", u"分頁", u"Page"}};
const LangText kMute{{u"静音", u"靜音", u"Mute"}};
const LangText kInOrder{{u"顺序", u"順序", u"In Oder"}};
const LangText kRandom{{u"随机", u"隨機", u"Random"}};
const LangText kMonochrome{{u"单色", u"單色", u"Monochrome"}};
const LangText kTwoTone{{u"双色", u"雙色", u"Two Tone"}};
const LangText kGeneral{{u"常规", u"常規", u"General"}};
const LangText kIndoor{{u"室内", u"室內", u"Indoor"}};
const LangText kVehicle{{u"车载", u"車載", u"Vehicle"}};

const std::array<LangText, 12> kSubtypeNames = {{
    {{u"串口/U盘", u"串口/U盤", u"Serial Com/UDisk"}},
    {{u"同步语音", u"同步語音", u"Synch Voice"}},
    {{u"异步语音-Ⅰ", u"異步語音-Ⅰ", u"Asyn Voice-Ⅰ"}},
    {{u"异步语音-Ⅱ", u"異步語音-Ⅱ", u"Asyn Voice-Ⅱ"}},
    {{u"异步语音-Ⅲ", u"異步語音-Ⅲ", u"Asyn Voice-Ⅲ"}},
    {{u"串口-分页", u"串口-分頁", u"Serial Com-Page"}},
    {{u"GPRS", u"GPRS", u"GPRS"}},
    {{u"短信", u"短信", u"SMS"}},
    {{u"网络", u"網絡", u"Network"}},
    {{u"RF无线", u"RF無線", u"RF"}},
    {{u"GPRS语音", u"GPRS語音", u"GPRS-TTS"}},
    {{u"短信语音", u"短信語音", u"SMS-TTS"}},
}};

const std::array<LangText, 4> kToolbarTexts = {{
    {{u"应用", u"應用", u"Apply"}},
    {{u"设置", u"設置", u"Set"}},
    {{u"读取", u"讀取", u"Read"}},
    {{u"默认", u"默認", u"Default"}},
}};
const std::array<LangText, 4> kToolbarTips = {{
    {{u"应用模拟屏硬件参数", u"應用模擬屏硬體參數", u"Apply the simulated screen' s hardware parameter"}},
    {{u"设置控制卡硬件参数", u"設置控制卡硬體參數", u"Set the ctrl card's hardware parameter"}},
    {{u"读取控制卡硬件参数", u"讀取控制卡硬體參數", u"Read the ctrl card's hardware parameter"}},
    {{u"默认模拟屏硬件参数", u"默認模擬屏硬體參數", u"Default the simulated screen' s hardware parameter"}},
}};
const LangText kSizeZero{{u"宽度高度不能为 0", u"寬度高度不能為 0", u"The width or the height could not be zero"}};
const LangText kWidthOutOfRange{{u"宽度超出控制卡范围", u"寬度超出控制卡範圍", u"The width is out of the range "}};
const LangText kHeightOutOfRange{{u"高度超出控制卡范围", u"高度超出控制卡範圍", u"The height is out of the range "}};
const LangText kHalveTwoTone{
    {u"双色时，请将宽度或高度减半", u"雙色時，請將寬度或高度減半", u"Please halve the width or the height in two-tone"}};
const LangText kSettingsNotSaved{{u"硬件参数已应用，但无法保存到 ini.dat", u"硬體參數已應用，但無法儲存到 ini.dat",
                                  u"The hardware parameters are applied but could not be saved to ini.dat."}};
const LangText kApplySucceeded{
    {u"硬件参数应用成功", u"硬體參數應用成功", u"Apply the hardware parameter successfully"}};

const LangText kAppearance{{u"外观", u"外觀", u"Appearance"}};
const LangText kFrameType{{u"边框类型", u"邊框類型", u"Frame Type"}};
const LangText kFrameEffect{{u"边框特效", u"邊框特效", u"Frame Effect"}};
const LangText kEffectSpeed{{u"特效速度", u"特效速度", u"Effect Speed"}};
const LangText kPlayMode{{u"播放模式", u"播放模式", u"Play Mode"}};
const LangText kMode{{u"模式", u"模式", u"Mode"}};
const LangText kDateStart{{u"起始日期", u"開始日期", u"Date Start"}};
const LangText kDateEnd{{u"结束日期", u"結束日期", u"Date End"}};
const LangText kWeek{{u"星期", u"星期", u"Week"}};
const LangText kPeriod{{u"时间段", u"時間段", u"Period"}};
const LangText kStart{{u"开始", u"開始", u"Start"}};
const LangText kEnd{{u"结束", u"結束", u"End"}};
const LangText kMore{{u"更多", u"更多", u"More"}};
const std::array<LangText, 7> kDayNames = {{
    {{u"星期天", u"星期天", u"Sunday"}},
    {{u"星期一", u"星期一", u"Monday"}},
    {{u"星期二", u"星期二", u"Tuesday"}},
    {{u"星期三", u"星期三", u"Wednesday"}},
    {{u"星期四", u"星期四", u"Thursday"}},
    {{u"星期五", u"星期五", u"Friday"}},
    {{u"星期六", u"星期六", u"Saturday"}},
}};
const std::array<LangText, 4> kPlayModeNames = {{
    {{u"顺序", u"順序", u"In Oder"}},
    {{u"时间", u"時間", u"Time"}},
    {{u"时长", u"時長", u"Duration"}},
    {{u"索引", u"索引", u"Index"}},
}};
const std::array<LangText, 9> kBorderTypeNames = {{
    {{u"无", u"無", u"None"}},
    {{u"自定义", u"自訂", u"Custom"}},
    {{u"线", u"線", u"Line"}},
    {{u"流水线 8", u"流水線 8", u"flow 8"}},
    {{u"流水线 16", u"流水線 16", u"flow 16"}},
    {{u"三角形", u"三角形", u"Triangle"}},
    {{u"球", u"球", u"Ball"}},
    {{u"星星", u"星星", u"Star"}},
    {{u"三角形 2", u"三角形 2", u"Triangle 2"}},
}};
const std::array<LangText, 9> kBorderEffectNames = {{
    {{u"随机", u"隨機", u"Random"}},
    {{u"无", u"無", u"None"}},
    {{u"顺时针旋转", u"順時針旋轉", u"Rotate Clockwise"}},
    {{u"逆时针旋转", u"逆時針旋轉", u"Rotate Anticlockwise"}},
    {{u"左上 - 右下", u"左上 - 右下", u"TL - BR"}},
    {{u"左下 - 右上", u"左下 - 右上", u"BL - TR"}},
    {{u"右下 - 左上", u"右下 - 左上", u"BR - TL"}},
    {{u"右上 - 左下", u"右上 - 左下", u"TR - BL"}},
    {{u"闪烁", u"閃爍", u"Twinkle"}},
}};

const LangText kRegionParameter{{u"分区参数", u"分區參數", u"Region Parameter"}};
const LangText kOffset{{u"偏移", u"偏移", u"Offset"}};
const LangText kOffsetX{{u"偏移X", u"偏移X", u"Offset X"}};
const LangText kOffsetY{{u"偏移Y", u"偏移Y", u"Offset Y"}};
const LangText kSize{{u"尺寸", u"尺寸", u"Size"}};
const LangText kFrame{{u"边框", u"邊框", u"Frame"}};
const LangText kProgramAction{{u"节目动作", u"節目動作", u"Program Action"}};
const LangText kActionMaster{{u"主动作", u"主動作", u"Action Master"}};
const LangText kActionEffect{{u"动作特效", u"動作特效", u"Action Effect"}};
const LangText kPauseTime{{u"暂停时间", u"暫停時間", u"Pause Time"}};
const LangText kRepeat{{u"重复次数", u"重複次數", u"Repeat"}};
const LangText kActionSlave{{u"从动作", u"從動作", u"Action Slave"}};
const LangText kSpeech{{u"语音", u"語音", u"Speech"}};
const LangText kRole{{u"角色", u"角色", u"Role"}};
const LangText kRate{{u"语速", u"語速", u"Rate"}};
const LangText kPrefixSound{{u"前缀音", u"前綴音", u"Prefix Sound"}};
const LangText kSuffixSound{{u"后缀音", u"后綴音", u"Suffix Sound"}};
const LangText kBackgroundMusic{{u"背景音乐", u"背景音樂", u"Background Music"}};
const LangText kSoundAlign{{u"语音对齐", u"語音對齊", u"Sound Align"}};
const LangText kRoleNone{{u"无", u"無", u"None"}};
const LangText kRoleFile{{u"文件", u"文件", u"File"}};
const std::array<LangText, 5> kSoundAlignNames = {{
    {{u"空", u"空", u"None"}},
    {{u"左对齐", u"左對齊", u"Align Left"}},
    {{u"居中对齐", u"居中對齊", u"Align Center"}},
    {{u"右对齐", u"右對齊", u"Align Right"}},
    {{u"均匀对齐", u"均勻對齊", u"Align Average"}},
}};

const LangText kUserInfo{{u"用户信息", u"用戶信息", u"User Infomation"}};
const LangText kAccount{{u"用户账号", u"用戶賬號", u"Account"}};
const LangText kUserName{{u"用户名", u"用戶名", u"User Name"}};
const LangText kUserType{{u"用户类型", u"用戶類型", u"User Type"}};
const LangText kRegisterTime{{u"注册时间", u"注冊時間", u"Register Time"}};
const LangText kGprsInfo{{u"GPRS信息", u"GPRS信息", u"GPRS Infomation"}};
const LangText kAll{{u"全部", u"全部", u"All"}};
const LangText kOnline{{u"在线", u"在線", u"Online"}};
const LangText kOffline{{u"离线", u"離線", u"Offline"}};
const LangText kOnlineRatio{{u"在线率", u"在線率", u"Online Ratio"}};

const LangText kInputPassword{{u"Input Password", u"Input Password", u"Input Password"}};
const LangText kPasswordLabel{{u"Password", u"Password", u"Password"}};
const LangText kPasswordWarning{{u"Warning: To avoid the LED Screen working abnormally, laypeople please does not modify "
                                 u"the hardware pamater freely",
                                 u"Warning: To avoid the LED Screen working abnormally, laypeople please does not modify "
                                 u"the hardware pamater freely",
                                 u"Warning: To avoid the LED Screen working abnormally, laypeople please does not modify "
                                 u"the hardware pamater freely"}};
const LangText kOk{{u"OK", u"OK", u"OK"}};
const LangText kCancel{{u"Cancel", u"Cancel", u"Cancel"}};
const LangText kPasswordEmpty{{u"Password is empty", u"Password is empty", u"Password is empty"}};
const LangText kPasswordError{{u"Password Error", u"Password Error", u"Password Error"}};

}  // namespace ledsuite::ptext
