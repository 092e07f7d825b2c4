// The texts of the editors' menus, tooltips and messages.
#include "editors/ui/edit_texts.h"

namespace ledsuite::edit_text {

const LangText kCut{{u"剪切", u"剪下", u"Cut"}};
const LangText kCopy{{u"复制", u"複製", u"Copy"}};
const LangText kPaste{{u"粘贴", u"貼上", u"Paste"}};
const LangText kEdit{{u"编辑", u"編輯", u"Edit"}};
const LangText kToAnimate{{u"转成动画", u"轉成動畫", u"To Animate"}};
const LangText kTwinkle{{u"闪烁", u"閃爍", u"Twinkle"}};
const LangText kFlash{{u"闪动", u"閃動", u"Flash"}};
const LangText kFrame{{u"边框", u"邊框", u"Frame"}};
const LangText kTwinkleFrame{{u"闪烁边框", u"閃爍邊框", u"Twinkle Frame"}};
const LangText kHeartBeat{{u"心跳", u"心跳", u"Heart Beat"}};
const LangText kWave{{u"波浪", u"波浪", u"Wave"}};
const LangText kBubbleUp{{u"冒泡", u"冒泡", u"Bubble up"}};
const LangText kTurbulence{{u"抖动", u"抖動", u"Turbulence"}};
const LangText kInsertTimeMenu{{u"插入时间", u"插入時間", u"Insert time"}};
const LangText kTime{{u"时间", u"時間", u"Time"}};
const LangText kHour{{u"时", u"時", u"Hour"}};
const LangText kMinute{{u"分", u"分", u"Minute"}};
const LangText kSecond{{u"秒", u"秒", u"Second"}};
const LangText kInsertDateMenu{{u"插入日期", u"插入日期", u"Insert date"}};
const LangText kDate{{u"日期", u"日期", u"Date"}};
const LangText kYear{{u"年", u"年", u"Year"}};
const LangText kMonth{{u"月", u"月", u"Month"}};
const LangText kMonthEn{{u"月(英文)", u"月(英文)", u"Month (English)"}};
const LangText kMonthEnShort{{u"月(英文缩写)", u"月(英文縮寫)", u"Month (English For Short)"}};
const LangText kDay{{u"日", u"日", u"Day"}};
const LangText kInsertWeekMenu{{u"插入星期", u"插入星期", u"Insert week"}};
const LangText kWeekCn{{u"星期(中文)", u"星期(中文)", u"Week(Chinese)"}};
const LangText kWeekEn{{u"星期(英文)", u"星期(英文)", u"Week(English)"}};
const LangText kInsertOtherMenu{{u"插入其他", u"插入其他", u"Insert other"}};
const LangText kInsertTemperature{{u"插入温度", u"插入溫度", u"Insert temperature"}};
const LangText kInsertHumid{{u"插入湿度", u"插入濕度", u"Insert humid"}};
const LangText kAdcConvert{{u"A/D转换", u"A/D轉換", u"A/D Convert"}};
const LangText kTimer{{u"计时器", u"計時器", u"Timer"}};
const LangText kCounter{{u"计数器", u"計數器", u"Counter"}};
const LangText kMarkAs{{u"标记为", u"標記為", u"Mark As"}};
const LangText kNumber{{u"数字", u"數字", u"Number"}};
const LangText kCharacter{{u"字符", u"字元", u"Character"}};
const LangText kMissedFile{{u"文件已不存在, 无法载入", u"文件已不存在, 無法載入", u"Failed to load the missed file."}};

const LangText kToolTips[20] = {
    {{u"插入日期", u"插入日期", u"Insert Date"}},
    {{u"插入星期", u"插入星期", u"Insert Week"}},
    {{u"插入时间", u"插入時間", u"Insert Time"}},
    {{u"插入温度", u"插入溫度", u"Insert Temperature"}},
    {{u"插入湿度", u"插入濕度", u"Insert Humid"}},
    {{u"插入时钟", u"插入時鐘", u"Insert Clock"}},
    {{u"插入表格", u"插入表格", u"Insert Grid"}},
    {{u"插入图片", u"插入圖片", u"Insert Image"}},
    {{u"", u"", u""}},
    {{u"粗体", u"粗體", u"Bold"}},
    {{u"斜体", u"斜體", u"Italic"}},
    {{u"下划线", u"底線", u"Underline"}},
    {{u"左对齐", u"靠左對齊", u"Align Left"}},
    {{u"居中", u"置中", u"Align Center"}},
    {{u"右对齐", u"靠右對齊", u"Align Right"}},
    {{u"平均对齐", u"平均對齊", u"Align Average"}},
    {{u"垂直平均", u"垂直平均", u"Vertical Align Average"}},
    {{u"使用字库", u"使用字庫", u"Use font chip"}},
    {{u"设为歌词秀", u"設為歌詞秀", u"Set as lyrics show"}},
    {{u"返回文本编辑", u"返回文字編輯", u"Return to text editor"}},
};

const LangText kColumn{{u"列", u"列", u"Column"}};
const LangText kRow{{u"行", u"行", u"Row"}};
const LangText kFrameType{{u"边框类型", u"邊框類型", u"Frame Type"}};
const LangText kFrameColor{{u"边框颜色", u"邊框顏色", u"Frame Color"}};
const LangText kGridProperty{{u"表格属性", u"表格屬性", u"Grid property"}};
const LangText kInsertGrid{{u"插入表格", u"插入表格", u"Insert Grid"}};
const LangText kGridTooLarge{{u"表格太大, 单元格总数超出容量", u"表格太大, 儲存格總數超出容量",
                              u"The table is too large: its cells do not fit."}};

}  // namespace ledsuite::edit_text
