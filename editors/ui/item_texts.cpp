// The texts of the item dialogs.
#include "editors/ui/item_texts.h"

namespace ledsuite::item_text {

const LangText kAdcTitle{{u"A/D数模转换", u"A/D數據轉換", u"A/D Convert"}};
const LangText kChannel{{u"通道", u"通道", u"Channel"}};
const LangText kShowSign{{u"显示符号", u"顯示符號", u"Show Sign"}};
const LangText kFillZero{{u"补零", u"補零", u"Fill Zero"}};
const LangText kGrabPeriod{{u"采样周期", u"採樣週期", u"Grab Period"}};
const LangText kCalibrateType{{u"校正方式", u"校正方式", u"Calibrae Type"}};
const LangText kShowFormat{{u"显示格式(整数 / 小数)", u"顯示格式(整數位/小數位)", u"Show Format(Integer / Decimal)"}};
const LangText kThreePower{{u"三次函数", u"三次函數", u"Three Power Function)"}};
const LangText kIndex{{u"索引", u"索引", u"Index"}};

const LangText kClockTitle{{u"表钟", u"表鐘", u"Clock"}};
const LangText kClockHand{{u"时钟指针", u"時針指針", u"Clock Hand"}};
const LangText kLine{{u"直线", u"直線", u"Line"}};
const LangText kBackground{{u"背景", u"背景", u"Background"}};

const LangText kCounterTitle{{u"计数器", u"計數器", u"Counter"}};
const LangText kStart{{u"开始", u"開始", u"Start"}};
const LangText kEnd{{u"结束", u"結束", u"End"}};
const LangText kTrigger{{u"触发器", u"觸發器", u"Trigger"}};
const LangText kWeek{{u"星期", u"星期", u"Week"}};
const LangText kRisingEdge{{u"上升沿", u"上升沿", u"Rising Edge"}};
const LangText kFallingEdge{{u"下降沿", u"下降沿", u"Falling Edge"}};
const LangText kSign{{u"Sign", u"Sign", u"Sign"}};
const LangText kTimerTitle{{u"计时器", u"計時器", u"Timer"}};
const LangText kStartDateTime{{u"开始日期时间", u"開始時期時間", u"Start Date Time"}};
const LangText kEndDateTime{{u"结束日期时间", u"結束時期時間", u"End  Date Time"}};
const LangText kCountDirection{{u"计时方向", u"計時方向", u"Time Count Direct"}};
const LangText kCountUp{{u"正计时", u"正計時", u"Count Up"}};
const LangText kCountDown{{u"倒计时", u"倒計時", u"Count Down"}};
const LangText kDaysLength{{u"天数长度", u"天數長度", u"Days' Lenght"}};

const LangText kImageEditorTitle{{u"图片编辑器", u"圖片編輯器", u"Image Editor"}};
const LangText kWidth{{u"宽度", u"寬度", u"Width"}};
const LangText kHeight{{u"高度", u"髙度", u"Height"}};
const LangText kPauseTime{{u"暂停时间", u"暫停時間", u"Pause Time"}};
const LangText kThreshR{{u"阈值 R", u"閾值 R", u"Thresh R"}};
const LangText kThreshG{{u"阈值 G", u"閾值 G", u"Thresh G"}};
const LangText kThreshB{{u"阈值 B", u"閾值 B", u"Thresh B"}};
const LangText kFinishEditing{{u"完成编辑", u"完成編輯", u"Finish Editing"}};
const LangText kPropertyTitle{{u"Property", u"Property", u"Property"}};
const LangText kApplyAll{{u"全部应用", u"全部應用", u"Apply All"}};
const LangText kBadImageSize{{u"宽度和高度必须大于0", u"寬度和高度必須大於0", u"Width and height must be above 0"}};
const LangText kImageToolTips[14] = {
    {{u"打开", u"打開", u"Open"}},
    {{u"逆时针旋转", u"逆時針旋轉", u"Rotate anticlockwise Editor"}},
    {{u"顺时针旋转", u"順時針旋轉", u"Rotate clockwise"}},
    {{u"水平翻转", u"水平翻轉", u"Flip horizontal"}},
    {{u"垂直翻转", u"垂直翻轉", u"Flip vertical"}},
    {{u"反色", u"反色", u"Invert color"}},
    {{u"插入文本", u"插入文本", u"Insert text"}},
    {{u"插入图片", u"插入圖片", u"Insert image"}},
    {{u"上一帧", u"上一幀", u"Pre frame"}},
    {{u"下一帧", u"下一幀", u"Next frame"}},
    {{u"放大", u"放大", u"Zoom in"}},
    {{u"缩小", u"縮小", u"Zoom out"}},
    {{u"居中", u"居中", u"Center"}},
    {{u"属性", u"屬性", u"Property"}},
};

const LangText kFrameEditorTitle{{u"编辑边框", u"編輯邊框", u"Frame Editor"}};
const LangText kColor{{u"颜色", u"顏色", u"Color"}};
const LangText kSave{{u"保存", u"保存", u"Save"}};
const LangText kDelete{{u"删除", u"刪除", u"Del"}};
const LangText kSaved{{u"保存成功", u"保存成功", u"Save"}};
const LangText kSaveFailed{{u"保存失败", u"保存失敗", u"Failed to save"}};
const LangText kSelectToDelete{{u"请选择删除项", u"請選擇刪除項", u"Please select an item to delete"}};
const LangText kDeleteFailed{{u"删除失败", u"刪除失敗", u"Failed to delete"}};
const LangText kBuiltInTile{{u"自带边框不能删除", u"自帶邊框不能刪除", u"A frame that comes with the program cannot be deleted"}};

}  // namespace ledsuite::item_text
