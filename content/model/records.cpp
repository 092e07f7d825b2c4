#include "content/model/records.h"

#include <algorithm>
#include <limits>

#include "content/bytes.h"
#include "content/model/lang.h"

namespace ledsuite {

// ---- screen record ----------------------------------------------------------

std::array<uint8_t, kHardwareParamsSize> SerializeHardwareParams(const HardwareParams& hw) {
    std::array<uint8_t, kHardwareParamsSize> out{};
    ByteWriter w(out.data(), out.size());
    w.put_u8(hw.cardType);
    w.put_u8(hw.cardSubtype);
    w.put_u16(hw.width);
    w.put_u16(hw.height);
    w.put_u16(hw.colorCode);
    w.put_u8(hw.brightness);
    w.put_u8(hw.refresh);
    w.put_u8(hw.outputFlags);
    w.put_u8(hw.columnOrder);
    w.put_u8(hw.rowOrder);
    w.put_u8(hw.dataFlow);
    w.put_bytes(hw.reserved14);
    w.put_u16(hw.cardId);
    w.put_bytes(hw.reserved18);
    w.put_u16(hw.comIndex);
    w.put_u16(hw.baudIndex);
    w.put_bytes(hw.reserved24);
    w.put_u8(hw.fileSystem);
    w.put_u8(hw.pageSize);
    w.put_u16(hw.language);
    w.put_u16(hw.fontChip);
    w.put_bytes(hw.reserved34);
    w.put_u16(hw.switchOnTime);
    w.put_u16(hw.switchOffTime);
    for (uint32_t e : hw.timedBrightness) w.put_u32(e);
    w.put_u8(hw.soundMode);
    w.put_bytes(hw.reserved61);
    return out;
}

HardwareParams ParseHardwareParams(std::span<const uint8_t, kHardwareParamsSize> bytes) {
    ByteReader r(bytes.data(), bytes.size());
    HardwareParams hw;
    hw.cardType = r.u8();
    hw.cardSubtype = r.u8();
    hw.width = r.u16();
    hw.height = r.u16();
    hw.colorCode = r.u16();
    hw.brightness = r.u8();
    hw.refresh = r.u8();
    hw.outputFlags = r.u8();
    hw.columnOrder = r.u8();
    hw.rowOrder = r.u8();
    hw.dataFlow = r.u8();
    r.bytes(hw.reserved14.data(), hw.reserved14.size());
    hw.cardId = r.u16();
    r.bytes(hw.reserved18.data(), hw.reserved18.size());
    hw.comIndex = r.u16();
    hw.baudIndex = r.u16();
    r.bytes(hw.reserved24.data(), hw.reserved24.size());
    hw.fileSystem = r.u8();
    hw.pageSize = r.u8();
    hw.language = r.u16();
    hw.fontChip = r.u16();
    r.bytes(hw.reserved34.data(), hw.reserved34.size());
    hw.switchOnTime = r.u16();
    hw.switchOffTime = r.u16();
    for (uint32_t& e : hw.timedBrightness) e = r.u32();
    hw.soundMode = r.u8();
    r.bytes(hw.reserved61.data(), hw.reserved61.size());
    return hw;
}

const std::array<FontChipOption, 15> kFontChipOptions = {{
    {0x000, u"None"},      {0x001, u"GB16S2W1"},  {0x002, u"GB24S3W1"},  {0x003, u"GB32S4W1"},
    {0x004, u"GB48S5W1"},  {0x005, u"GB64S6W1"},  {0x006, u"GB80S7W1"},  {0x007, u"GB128S10W1"},
    {0x031, u"GB16S2W4"},  {0x013, u"GB32S4W2"},  {0x101, u"UNI16S2W1"}, {0x102, u"UNI24S3W1"},
    {0x103, u"UNI32S4W1"}, {0x104, u"UNI48S4W1"}, {0x105, u"UNI64S4W1"},
}};

uint16_t RepairFontChip(uint16_t code) {
    const unsigned low = code & 0xFF;
    switch (code >> 8) {
        case 0: return (low <= 7 || low == 0x13 || low == 0x31) ? code : 0;
        case 1: return low <= 5 ? code : 0x100;
        default: return 0;
    }
}

void RepairHardwareParams(HardwareParams& hw) {
    if (hw.cardType > 5) hw.cardType = 3;
    if (hw.cardType <= 1) hw.cardSubtype = 0;
    if (hw.colorCode != 5 && (hw.colorCode < 12 || hw.colorCode > 17)) hw.colorCode = 5;
    hw.refresh = std::min<uint8_t>(hw.refresh, 6);
    if (hw.columnOrder > 4) hw.columnOrder = 0;
    hw.rowOrder = std::min<uint8_t>(hw.rowOrder, 2);
    if (hw.dataFlow > 26 && hw.dataFlow != 0xFF) hw.dataFlow = 0;
    if (hw.baudIndex > 8) hw.baudIndex = 5;
    if (hw.fileSystem > 4) hw.fileSystem = 0;
    if (hw.pageSize > 4) hw.pageSize = 0;
    if (hw.soundMode > 2) hw.soundMode = 0;
    hw.fontChip = RepairFontChip(hw.fontChip);
    for (uint32_t& e : hw.timedBrightness)
        if ((e & 0xFFFF) >= 0xC000) e = 0;
}

// ---- program set --------------------------------------------------------------

void InitProgramSetRecord(ProgramSetRecord& set) {
    set.playMode = 0;
    set.weekdays = 0;
    set.duration = 0;
    const uint16_t today = TodayPackedDate();
    for (DateRange& d : set.dates) d = {today, today};
    set.periods.fill(0);
    set.borderType = 0;
    set.borderEffect = 0;
    set.borderSpeed = 40;
}

// ---- actions and effects --------------------------------------------------------

CardAction ActionRecord::ToBytes() const {
    CardAction b{effect, speed, byte2, repeat, pause, byte5};
    StoreU16(&b[6], uint16_t(offset));
    b[8] = direction;
    b[9] = continuous;
    StoreU16(&b[10], step);
    return b;
}

ActionRecord ActionRecord::FromBytes(const CardAction& b) {
    ActionRecord a;
    a.effect = b[0];
    a.speed = b[1];
    a.byte2 = b[2];
    a.repeat = b[3];
    a.pause = b[4];
    a.byte5 = b[5];
    a.offset = int16_t(LoadU16(&b[6]));
    a.direction = b[8];
    a.continuous = b[9];
    a.step = LoadU16(&b[10]);
    return a;
}

namespace {

const LangText kEffectNames[kEffectCount] = {
    {{u"无", u"無", u"None"}},
    {{u"左移", u"左移", u"Move Left"}},
    {{u"上移", u"上移", u"Move Up"}},
    {{u"右移", u"右移", u"Move Right"}},
    {{u"下移", u"下移", u"Move Down"}},
    {{u"水平百叶窗", u"水平百葉窗", u"Blinds horizonal"}},
    {{u"垂直百叶窗", u"垂直百葉窗", u"Blinds Vertical"}},
    {{u"卷动", u"捲動", u"Scroll"}},
    {{u"门打开/关闭", u"門打開/關閉", u"Door Open/Close"}},
    {{u"左帘", u"左簾", u"Curtain-Left"}},
    {{u"上帘", u"上簾", u"Curtain-Up"}},
    {{u"右帘", u"右簾", u"Curtain-Right"}},
    {{u"下帘", u"下簾", u"Curtain-Down"}},
    {{u"水平交织", u"水平交織", u"Interweave horizonal"}},
    {{u"垂直交织", u"垂直交織", u"Interweave Vertical"}},
    {{u"上堆叠", u"上堆疊", u"Stack Up"}},
    {{u"下堆叠", u"下堆疊", u"Stack Down"}},
    {{u"闪屏", u"閃屏", u"Flash"}},
    {{u"上飘雪", u"上飄雪", u"Snow Up"}},
    {{u"下飘雪", u"下飄雪", u"Snow Down"}},
    {{u"上舞动", u"上舞動", u"Dance Up"}},
    {{u"下舞动", u"下舞動", u"Dance Down"}},
    {{u"左黑板", u"左黑板", u"Blackboard Left"}},
    {{u"右黑板", u"右黑板", u"Blackboard Right"}},
    {{u"左镭射", u"左鐳射", u"Laser Left"}},
    {{u"右镭射", u"右鐳射", u"Laser Right"}},
    {{u"闪烁", u"閃爍", u"Twinkle"}},
    {{u"飘雪", u"飄雪", u"Snow"}},
    {{u"静态", u"静态", u"Static"}},
    {{u"随机", u"隨機", u"Random"}},
    {{u"连续左移", u"連續左移", u"Move Left Continue "}},
    {{u"连续右移", u"連續右移", u"Move Right Continue"}},
};

// How an effect's card form is built: its class, then bytes 6 and 7 (kKeep: the
// action's own byte) and which value goes into bytes 8-9 and 10-11.
constexpr int16_t kKeep = std::numeric_limits<int16_t>::min();  // not a byte value
enum Fill : uint8_t { kKept, kZero, kEight, kHalfWidth, kWidth, kHeight };
struct CardForm {
    uint8_t cls;
    int16_t byte6, byte7;
    Fill bytes8, bytes10;
};

// Rows for effects 1..31; the move effects (class 1) set bytes 8 and 9 apart.
const CardForm kCardForms[kEffectCount] = {
    {0, kKeep, kKeep, kKept, kKept},         // 0 None: copied unchanged
    {1, kKeep, kKeep, kKept, kKept},         // 1..4, 30, 31: direction and continuous below
    {1, kKeep, kKeep, kKept, kKept},
    {1, kKeep, kKeep, kKept, kKept},
    {1, kKeep, kKeep, kKept, kKept},
    {2, 0, 5, kZero, kEight},                // 5 Blinds horizonal
    {2, 1, 6, kZero, kEight},                // 6 Blinds Vertical
    {2, 0, 1, kZero, kHalfWidth},            // 7 Scroll
    {2, 0, 2, kHalfWidth, kHalfWidth},       // 8 Door Open/Close
    {2, 0, 3, kZero, kWidth},                // 9 Curtain-Left
    {2, 1, 4, kZero, kHeight},               // 10 Curtain-Up
    {2, 0, 5, kWidth, kWidth},               // 11 Curtain-Right
    {2, 1, 6, kHeight, kHeight},             // 12 Curtain-Down
    {3, 0, kKeep, kKept, kKept},             // 13, 14 Interweave
    {3, 1, kKeep, kKept, kKept},
    {5, 1, kKeep, kKept, kKept},             // 15, 16 Stack
    {5, 3, kKeep, kKept, kKept},
    {8, 10, 8, kKept, kKept},                // 17 Flash
    {11, 1, kKeep, kKept, kKept},            // 18, 19 Snow Up/Down
    {11, 3, kKeep, kKept, kKept},
    {12, 1, kKeep, kKept, kKept},            // 20, 21 Dance
    {12, 3, kKeep, kKept, kKept},
    {13, 0, kKeep, kKept, kKept},            // 22, 23 Blackboard
    {13, 2, kKeep, kKept, kKept},
    {14, 0, kKeep, kKept, kKept},            // 24, 25 Laser
    {14, 2, kKeep, kKept, kKept},
    {15, 10, 8, kKept, kKept},               // 26 Twinkle
    {16, kKeep, kKeep, kKept, kKept},        // 27 Snow
    {0, kKeep, kKeep, kKept, kKept},         // 28 Static
    {17, kKeep, kKeep, kKept, kKept},        // 29 Random
    {1, kKeep, kKeep, kKept, kKept},         // 30, 31 continuous moves
    {1, kKeep, kKeep, kKept, kKept},
};

void FillWord(CardAction& b, size_t at, Fill fill, int32_t width, int32_t height) {
    switch (fill) {
        case kKept: return;
        case kZero: StoreU16(&b[at], 0); return;
        case kEight: StoreU16(&b[at], 8); return;
        case kHalfWidth: StoreU16(&b[at], uint16_t(width / 2)); return;
        case kWidth: StoreU16(&b[at], uint16_t(width)); return;
        case kHeight: StoreU16(&b[at], uint16_t(height)); return;
    }
}

}  // namespace

const char16_t* EffectName(uint8_t code) { return code < kEffectCount ? kEffectNames[code]() : u""; }

int EffectMoveClass(const ActionRecord& action) {
    switch (action.effect) {
        case kEffectMoveLeft:
        case kEffectMoveRight: return 1;
        case kEffectMoveDown: return 4;
        case kEffectMoveLeftContinue:
        case kEffectMoveRightContinue: return 30;
        default: return 0;
    }
}

CardAction EffectToCardAction(const ActionRecord& action, int32_t left, int32_t top, int32_t right,
                              int32_t bottom) {
    CardAction b = action.ToBytes();
    const uint8_t code = action.effect;
    if (code == kEffectNone || code >= kEffectCount) return b;
    const CardForm& form = kCardForms[code];
    b[0] = form.cls;
    if (form.byte6 != kKeep) b[6] = uint8_t(form.byte6);
    if (form.byte7 != kKeep) b[7] = uint8_t(form.byte7);
    FillWord(b, 8, form.bytes8, right - left, bottom - top);
    FillWord(b, 10, form.bytes10, right - left, bottom - top);
    switch (code) {  // class 1: byte 8 the direction, byte 9 the continuous flag
        case kEffectMoveLeft: b[8] = 0, b[9] = 0; break;
        case kEffectMoveUp: b[8] = 1, b[9] = 0; break;
        case kEffectMoveRight: b[8] = 2, b[9] = 0; break;
        case kEffectMoveDown: b[8] = 3, b[9] = 0; break;
        case kEffectMoveLeftContinue: b[8] = 0, b[9] = 1; break;
        case kEffectMoveRightContinue: b[8] = 2, b[9] = 1; break;
        default: break;
    }
    if (!EffectKeepsPause(code)) b[4] = 0;
    return b;
}

bool EffectKeepsPause(uint8_t effect) {
    return effect != kEffectFlash && effect != kEffectTwinkle && effect != kEffectMoveLeftContinue &&
           effect != kEffectMoveRightContinue;
}

bool EffectKeepsOffset(uint8_t effect) {
    if (effect >= kEffectCount) return true;  // copied unchanged
    const CardForm& form = kCardForms[effect];
    // Class 16 (Snow) keeps bytes 6-7 in its form, but the image puts the place of the
    // effect's image set in bytes 6-9.
    return form.byte6 == kKeep && form.byte7 == kKeep && form.cls != 16;
}

ActionRecord CardActionToEffect(const CardAction& b) {
    ActionRecord a = ActionRecord::FromBytes(b);
    const uint8_t cls = b[0], b6 = b[6], b7 = b[7], b8 = b[8], b9 = b[9];
    uint8_t code = cls;  // 6, 7 and above 17 keep the class value
    switch (cls) {
        case 0: code = kEffectStatic; break;
        case 1:
        case 9:
        case 10:
            if (b8 == 1) code = kEffectMoveUp;
            else if (b8 == 2) code = b9 == 1 ? kEffectMoveRightContinue : kEffectMoveRight;
            else if (b8 == 3) code = kEffectMoveDown;
            else code = b9 == 1 ? kEffectMoveLeftContinue : kEffectMoveLeft;
            break;
        case 2:
            // The blinds share class and byte 7 with Curtain-Right/Down; their zero
            // bytes 8-9 and step 8 tell them apart.
            if ((b7 == 5 || b7 == 6) && LoadU16(&b[8]) == 0 && LoadU16(&b[10]) == 8)
                code = b7 == 5 ? kEffectBlindsHorizontal : kEffectBlindsVertical;
            else if (b7 >= 1 && b7 <= 6) code = uint8_t(kEffectScroll + b7 - 1);
            else code = b6 != 0 ? kEffectBlindsVertical : kEffectBlindsHorizontal;
            break;
        case 3: code = b6 != 0 ? kEffectInterweaveVertical : kEffectInterweaveHorizontal; break;
        case 4:
        case 5: code = b6 == 1 ? kEffectStackUp : kEffectStackDown; break;
        case 8: code = kEffectFlash; break;
        case 11: code = b6 == 1 ? kEffectSnowUp : kEffectSnowDown; break;
        case 12: code = b6 == 1 ? kEffectDanceUp : kEffectDanceDown; break;
        case 13: code = b6 != 0 ? kEffectBlackboardRight : kEffectBlackboardLeft; break;
        case 14: code = b6 != 0 ? kEffectLaserRight : kEffectLaserLeft; break;
        case 15: code = kEffectTwinkle; break;
        case 16: code = kEffectSnow; break;
        case 17: code = kEffectRandom; break;
        default: break;
    }
    a.effect = code;
    if (!EffectKeepsOffset(code)) a.offset = 0;  // bytes 6-7 are the effect's own there
    if (cls == 13 || cls == 16) {
        // Bytes 7-10 (class 13) or 6-10 (class 16) hold the place of the shared image set the
        // image gives these effects: nothing of the action's own, so they read as 0.
        a.direction = 0;
        a.continuous = 0;
        a.step = uint16_t(a.step & 0xFF00);
    }
    return a;
}

// ---- program ------------------------------------------------------------------

void InitProgramRecord(ProgramRecord& p, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    for (TextCell& c : p.content.cells) c = TextCell{};
    p.content.header.align = 0;
    p.left = left;
    p.top = top;
    p.right = right;
    p.bottom = bottom;
    p.borderType = 0;
    p.borderEffect = 0;
    p.borderSpeed = 40;
    p.borderFrames.clear();
    p.mainAction = ActionRecord{};
    p.mainAction.effect = kEffectMoveLeft;
    p.mainAction.speed = 21;
    p.mainAction.pause = 30;
    p.secondaryAction = ActionRecord{};
    p.secondaryAction.speed = 21;
    p.secondaryAction.pause = 30;
    p.musicPath.fill(0);
    p.prefixSound.fill(0);
    p.suffixSound.fill(0);
    p.rate = 0;
    p.soundAlign = 0;
}

}  // namespace ledsuite
