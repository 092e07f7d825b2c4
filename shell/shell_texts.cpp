#include "shell/shell_texts.h"

#include "content/model/text_codec.h"

namespace ledsuite {

const LangText kAppTitle{{u"ZU控制卡PC套件", u"ZU控制卡PC套件", u"ZU LED Control Card PC Suit"}};
const LangText kAboutCaption{{u"关于 ZU LED 显示控制器 PC 套件 ", u"關於 ZU LED 顯示控制器 PC 套件 ",
                              u"About ZU LED Display Controller PC Suit "}};
const LangText kAboutText{{u"ZU LED 显示控制器 PC 套件，版本 2012 (ledsuite)",
                           u"ZU LED 顯示控制器 PC 套件，版本 2012 (ledsuite)",
                           u"ZU LED Display Controller PC Suit, version 2012 (ledsuite)"}};
const LangText kOkButton{{u"确定", u"確定", u"OK"}};

const LangText kMenuFile{{u"文件(&F)", u"檔案(&F)", u"&File"}};
const LangText kMenuNew{{u"新建(&N)", u"新建(&N)", u"&New"}};
const LangText kMenuOpen{{u"打开(&O)", u"打開(&O)", u"&Open"}};
const LangText kMenuClose{{u"关闭(&C)", u"關閉(&C)", u"&Close"}};
const LangText kMenuSave{{u"保存(&S)", u"保存(&S)", u"&Save"}};
const LangText kMenuSaveAs{{u"另存为...", u"另存為...", u"&Save As..."}};
const LangText kMenuPrint{{u"打印...", u"列印...", u"Print..."}};
const LangText kMenuPrintPreview{{u"打印预览", u"列印預覽", u"Print Preview"}};
const LangText kMenuPrintSetup{{u"打印设置...", u"列印設定...", u"Print Setup..."}};
const LangText kMenuExit{{u"退出(&E)", u"退出(&E)", u"&Exit"}};
const LangText kMenuSetting{{u"设置(&S)", u"設定(&S)", u"&Setting"}};
const LangText kMenuLanguage{{u"语言", u"語言", u"Language"}};
const LangText kMenuChangePassword{{u"修改密码", u"修改密碼", u"Change Password"}};
const LangText kMenuPreference{{u"个人偏好", u"個人偏好", u"Preference"}};
const LangText kMenuTool{{u"工具(&T)", u"工具(&T)", u"&Tool"}};
const LangText kMenuRemoteControl{{u"遥控器", u"遙控器", u"&Remote Control"}};
const LangText kMenuLrcEditor{{u"LRC 编辑器", u"LRC 編輯器", u"&LRC Editor"}};
const LangText kMenuHelp{{u"帮助(&H)", u"幫助(&H)", u"&Help"}};
const LangText kMenuAbout{{u"关于(&A)", u"關於(&A)", u"&About"}};
const LangText kLangAuto{{u"自动", u"自動", u"Auto"}};
const LangText kLangSimplified{{u"中文(简体)", u"中文(簡體)", u"Chinese(Simplified)"}};
const LangText kLangTraditional{{u"中文(繁体)", u"中文(繁體)", u"Chinese(Tradition)"}};
const LangText kLangEnglish{{u"英语", u"英語", u"English"}};

namespace {
// Index k of the main toolbar; the separators (3, 10, 15) take the last row.
const std::array<LangText, kToolbarButtons + 1> kToolbarLabels{{
    {{u"新建", u"新建", u"New"}},          {{u"打开", u"打開", u"Open"}},
    {{u"保存", u"保存", u"Save"}},         {{u"未知", u"未知", u"Unknow"}},
    {{u"搜索", u"搜索", u"Search"}},       {{u"发送", u"發送", u"Send"}},
    {{u"回传", u"回傳", u"Upload"}},       {{u"开屏", u"開屏", u"Power On"}},
    {{u"关屏", u"關屏", u"Power Off"}},    {{u"校时", u"校時", u"Syn Time"}},
    {{u"未知", u"未知", u"Unknow"}},       {{u"预览", u"預覽", u"Preview"}},
    {{u"放大", u"放大", u"Zoom in"}},      {{u"缩小", u"縮小", u"Zoom out"}},
    {{u"居中", u"居中", u"Center"}},       {{u"未知", u"未知", u"Unknow"}},
    {{u"U盘", u"U盤", u"UDisk"}},          {{u"音乐", u"音樂", u"Music"}},
    {{u"未知", u"未知", u"Unknow"}},
}};
}  // namespace

const LangText& ToolbarLabel(int index) {
    return kToolbarLabels[index < 0 || index >= kToolbarButtons ? kToolbarButtons : size_t(index)];
}

const LangText kOutlookCaption{{u"快捷方式", u"捷徑", u"Shortcuts"}};
const LangText kPageProgramManager{{u"节目管理", u"節目管理", u"Program Manager"}};
const LangText kPageProgramRelease{{u"节目发布", u"節目發佈", u"Program Release"}};

const LangText kTabProgramEditor{{u"节目编辑器", u"節目編輯器", u"Program Editor"}};
const LangText kTabMusicPlayer{{u"音乐播放器", u"音樂播放器", u"Music Player"}};
const LangText kTabProgramsList{{u"节目列表", u"節目列表", u"Programs List"}};

const LangText kNoScreenItem{{u"没有LED屏项目", u"沒有LED屏項目", u"No LED Screen Item"}};
const LangText kCannotOpenDb{{u"无法打开数据库!", u"無法打開資料庫!", u"Can not open db!"}};
const LangText kErrorCaption{{u"错误", u"錯誤", u"error"}};
const LangText kSendFailed{{u"发送失败 (错误 %d)", u"發送失敗 (錯誤 %d)", u"Sending failed (error %d)"}};
const LangText kFileNotWritten{{u"无法写入文件 %s", u"無法寫入檔案 %s", u"The file %s could not be written."}};
const LangText kFileNotRead{{u"无法读取文件 %s", u"無法讀取檔案 %s", u"The file %s could not be read."}};
const LangText kSoundNotRead{{u"无法读取声音文件, 语音中没有它: %s", u"無法讀取聲音檔案, 語音中沒有它: %s",
                              u"The sound file could not be read and is left out of the speech: %s"}};
const LangText kFileNotFound{{u"%s\n找不到文件。\n请确认文件名是否正确。", u"%s\n找不到檔案。\n請確認檔名是否正確。",
                              u"%s\nFile not found.\nPlease verify the correct file name was given."}};
const LangText kSaveChangesQuestion{{u"节目已修改，是否保存？", u"節目已修改，是否儲存？",
                                     u"The programs have been changed. Save them?"}};
const LangText kTextCutForSmallCard{{u"此控制卡只保留第一个节目的前 %d 个字符：%d 个字符和 %d 个其他节目没有发送。",
                                     u"此控制卡只保留第一個節目的前 %d 個字元：%d 個字元和 %d 個其他節目沒有發送。",
                                     u"This card keeps only the first %d characters of the first program: "
                                     u"%d characters and %d other programs were left out."}};

std::u16string PortPaneText(int comNumber, uint32_t baudRate) {
    return u"Serial  Port: Com" + FormatIntStatic(comNumber) + u", Baurdrate: " + FormatIntStatic(int(baudRate));
}

const LangText kSettingsNotWritten{{u"无法保存串口设置 (ini.dat)", u"無法儲存串口設定 (ini.dat)",
                                    u"The port settings could not be saved (ini.dat)."}};

}  // namespace ledsuite
