#include "editors/hardware_grid_rules.h"

#include <algorithm>
#include <cstring>

#include "editors/property_texts.h"
#include "link/card.h"

namespace ledsuite {

namespace {

bool OneOf(uint8_t v, std::initializer_list<uint8_t> set) { return std::find(set.begin(), set.end(), v) != set.end(); }

// Subtypes whose cards keep a font chip, and those that also have a file system. These are
// exactly the subtypes whose grid offers the items: what the user can choose is what is sent.
bool KeepsFontChip(uint8_t subtype) { return OneOf(subtype, {1, 4, 5, 6, 7, 10, 11}); }
bool KeepsFileSystem(uint8_t subtype) { return OneOf(subtype, {5, 6, 7, 10, 11}); }

}  // namespace

int ModelOptionOf(uint8_t type, uint8_t subtype) {
    switch (type) {
        case 0: return 0;
        case 1: return 1;
        case 2: return subtype == 6 ? 3 : subtype == 7 ? 4 : 2;
        case 4: return subtype ? 18 : 17;
        case 5: return subtype ? 20 : 19;
        default: return subtype <= 11 ? 5 + subtype : 5;  // type 3 (repaired records have no other)
    }
}

CardModel ModelOfOption(int option) {
    if (option == 0 || option == 1) return {uint8_t(option), 0};
    if (option >= 2 && option <= 4) return {2, uint8_t(option == 2 ? 0 : option + 3)};
    if (option >= 5 && option <= 16) return {3, uint8_t(option - 5)};
    if (option == 17 || option == 18) return {4, uint8_t(option == 17 ? 0 : 6)};
    if (option == 19 || option == 20) return {5, uint8_t(option - 19)};
    return {3, 0};
}

int ColorOptionOf(ColorCode code) { return code >= 12 && code <= 17 ? code - 11 : 0; }
ColorCode ColorCodeOfOption(int option) { return option >= 1 && option <= 6 ? ColorCode(option + 11) : 5; }

int FontChipOptionOf(uint16_t code) {
    // A Unicode chip sits at its low byte past option 9 (so 0x100 falls on option 9).
    if ((code >> 8) == 1) return std::min((code & 0xFF) + 9, int(kFontChipOptions.size()) - 1);
    for (size_t i = 0; i < kFontChipOptions.size(); ++i)
        if (kFontChipOptions[i].code == code) return int(i);
    return 0;
}

uint16_t FontChipOfOption(int option) {
    return option >= 0 && size_t(option) < kFontChipOptions.size() ? kFontChipOptions[size_t(option)].code : 0;
}

int DataFlowOptionOf(uint8_t value) { return value == 0xFF ? 27 : std::min<int>(value, 27); }
uint8_t DataFlowOfOption(int option) { return option == 27 ? 0xFF : uint8_t(std::clamp(option, 0, 26)); }

HardwareGridValues GridValuesOf(const HardwareParams& hw) {
    HardwareGridValues v;
    v.model = ModelOptionOf(hw.cardType, hw.cardSubtype);
    v.width = hw.width;
    v.height = hw.height;
    v.color = ColorOptionOf(hw.colorCode);
    v.brightness = hw.brightness;
    v.refresh = hw.refresh;
    v.oeLevel = hw.outputFlags & 1;
    v.dataLevel = (hw.outputFlags >> 1) & 1;
    v.hblank = (hw.outputFlags >> 2) & 1;
    v.columnOrder = hw.columnOrder;
    v.rowOrder = hw.rowOrder;
    v.dataFlow = DataFlowOptionOf(hw.dataFlow);
    v.cardId = hw.cardId;
    v.comPort = hw.comIndex;
    v.baud = hw.baudIndex;
    v.fontChip = FontChipOptionOf(hw.fontChip);
    v.fileSystem = hw.fileSystem;
    v.pageSize = hw.pageSize;
    v.soundMode = hw.soundMode;
    v.powerOn = hw.switchOnTime;
    v.powerOff = hw.switchOffTime;
    for (size_t k = 0; k < 4; ++k) {
        v.timedTime[k] = uint16_t(hw.timedBrightness[k] & 0xFFFF);
        v.timedLevel[k] = int((hw.timedBrightness[k] >> 16) & 0xFF);
    }
    return v;
}

void StoreGridValues(const HardwareGridValues& v, HardwareParams& hw) {
    const CardModel model = ModelOfOption(v.model);
    hw.cardType = model.type;
    hw.cardSubtype = model.subtype;
    hw.width = uint16_t(v.width);
    hw.height = uint16_t(v.height);
    hw.colorCode = ColorCodeOfOption(v.color);
    hw.brightness = uint8_t(v.brightness);
    hw.refresh = uint8_t(v.refresh);
    hw.outputFlags = uint8_t((v.oeLevel == 1 ? 1 : 0) | (v.dataLevel == 1 ? 2 : 0) | (v.hblank == 1 ? 4 : 0));
    hw.columnOrder = uint8_t(v.columnOrder);
    hw.rowOrder = uint8_t(v.rowOrder);
    hw.dataFlow = DataFlowOfOption(v.dataFlow);
    hw.cardId = uint16_t(v.cardId);
    hw.comIndex = uint16_t(v.comPort);
    hw.baudIndex = uint16_t(v.baud);
    hw.fontChip = KeepsFontChip(model.subtype) ? FontChipOfOption(v.fontChip) : 0;
    hw.fileSystem = KeepsFileSystem(model.subtype) ? uint8_t(v.fileSystem) : 0;
    hw.pageSize = KeepsFileSystem(model.subtype) ? uint8_t(v.pageSize) : 0;
    hw.soundMode = uint8_t(v.soundMode);
    hw.switchOnTime = v.powerOn;
    hw.switchOffTime = v.powerOff;
    for (size_t k = 0; k < 4; ++k)
        hw.timedBrightness[k] = uint32_t(v.timedTime[k]) | uint32_t(v.timedLevel[k] & 0xFF) << 16;
}

CardSizeLimits CardSizeLimitsOf(uint8_t cardType) {
    switch (cardType) {
        case 1: return {512, 32, 8192};
        case 2: return {640, 32, 20480};
        case 3: return {1280, 128, 40960};
        case 4: return {2048, 64, 65536};
        case 5: return {2048, 256, 131072};
        default: return {256, 32, 4096};  // type 0 and anything above 5
    }
}

SizeCheck CheckCardSize(const HardwareParams& hw) {
    const CardSizeLimits limits = CardSizeLimitsOf(hw.cardType);
    if (hw.width == 0 || hw.height == 0) return SizeCheck::Zero;
    if (hw.width > limits.maxWidth) return SizeCheck::WidthOut;
    if (hw.height > limits.maxHeight) return SizeCheck::HeightOut;
    // Two planes when the screen is not single-coloured.
    const int pixels = hw.width * hw.height * (hw.colorCode != 5 ? 2 : 1);
    return pixels > limits.maxPixels ? SizeCheck::TwoTone : SizeCheck::Ok;
}

const LangText& SizeCheckMessage(SizeCheck check) {
    switch (check) {
        case SizeCheck::WidthOut: return ptext::kWidthOutOfRange;
        case SizeCheck::HeightOut: return ptext::kHeightOutOfRange;
        case SizeCheck::TwoTone: return ptext::kHalveTwoTone;
        default: return ptext::kSizeZero;
    }
}

bool HardwareChanged(const HardwareParams& a, const HardwareParams& b) {
    const auto x = SerializeHardwareParams(a);
    const auto y = SerializeHardwareParams(b);
    return std::memcmp(x.data(), y.data(), 14) != 0 || a.fontChip != b.fontChip || a.soundMode != b.soundMode;
}

SubtypeItems SubtypeItemsOf(uint8_t subtype) {
    SubtypeItems s;
    s.voice = OneOf(subtype, {2, 3, 4, 10, 11});
    if (subtype == 1 || subtype == 4) {
        s.fontChip = true;
    } else if (KeepsFileSystem(subtype)) {
        s.fontChip = s.fileSystem = true;
    }
    return s;
}

uint8_t SubtypeOfFeaturePairs(std::span<const std::pair<uint8_t, uint8_t>> pairs) {
    uint8_t s = 0;
    for (auto [type, value] : pairs) {
        switch (type) {
            case 3: if (s == 0) s = 5; break;    // paged serial
            case 6: if (s == 0) s = 1; break;    // synchronous voice
            case 14: if (s == 0) s = 2; break;   // asynchronous voice I
            case 7: s = value == 1 ? 7 : 6; break;                          // GPRS, or SMS for value 1
            case 15: s = value == 4 ? 3 : value == 0xFF ? 2 : 4; break;     // asynchronous voice II/III
            default: break;
        }
    }
    return s;
}

void ApplyCardInfoToRecord(std::span<const uint8_t> reply, HardwareParams& hw) {
    hw.cardSubtype = 0;
    if (reply.size() <= 1) return;
    if (reply[0] == 0) hw.cardType = reply[1];
    const CardInfoReply info = CardInfoReply::Parse(reply);
    if (info.firmware >= 3) hw.cardSubtype = SubtypeOfFeaturePairs(info.pairs);
}

bool RecordOfReadBlock(const HardwareBlockRead& block, const HardwareParams& screen, HardwareParams& out) {
    const size_t n = std::min(block.received, block.bytes.size());
    if (n < kScreenHeaderMinRead) return false;
    HardwareParams local = screen;
    if (ParseProgramHeader(std::span<const uint8_t>(block.bytes.data(), n), local) != 0) return false;
    out = local;
    return true;
}

PasswordCheck CheckServicePassword(std::u16string_view typed) {
    if (typed.empty()) return PasswordCheck::Empty;
    return typed == kServicePassword ? PasswordCheck::Ok : PasswordCheck::Wrong;
}

// ---- option texts ----

std::vector<std::u16string> ModelOptionTexts() {
    static constexpr struct {
        const char16_t* size;
        int subtype;
    } kModels[kModelOptionCount] = {
        {u"04K", 0}, {u"10K", 0}, {u"20K", 0}, {u"20K", 6}, {u"20K", 7}, {u"40K", 0}, {u"40K", 1},
        {u"40K", 2}, {u"40K", 3}, {u"40K", 4}, {u"40K", 5}, {u"40K", 6}, {u"40K", 7}, {u"40K", 8},
        {u"40K", 9}, {u"40K", 10}, {u"40K", 11}, {u"64K", 0}, {u"64K", 6}, {u"128K", 0}, {u"128K", 1},
    };
    std::vector<std::u16string> out;
    for (const auto& m : kModels) out.push_back(std::u16string(m.size) + u" " + ptext::kSubtypeNames[m.subtype]());
    return out;
}

std::vector<std::u16string> ColorOptionTexts() {
    std::vector<std::u16string> out{ptext::kMonochrome()};
    for (const char16_t* pair : {u"(R-G)", u"(G-B)", u"(B-R)", u"(R-B)", u"(B-G)", u"(G-R)"})
        out.push_back(ptext::kTwoTone() + std::u16string(pair));
    return out;
}

std::vector<std::u16string> ColumnOrderOptionTexts() {
    const std::u16string normal = ptext::kNormal(), against = ptext::kAgainst();
    return {normal, against + u"-8", against + u"-16", normal + u"-8, " + against + u"-8",
            against + u"-8, " + normal + u"-8"};
}

std::vector<std::u16string> DataFlowOptionTexts() {
    const std::u16string general = ptext::kGeneral();
    return {
        u"1/16 - 8 × 1 " + general + u" " + ptext::kIndoor() + u" P3.75 P5.0",
        u"1/8 - 8 × 1  " + general + u" " + ptext::kVehicle(),
        u"1/8 - 8 × 2 ↓", u"1/8 - 8 × 2 ↑", u"1/8 - 16× 2 ↓", u"1/8 - 16× 2 ↑", u"1/4 - 8 × 1",
        u"1/4 - 8 × 2 ↓", u"1/4 - 8 × 2 ↑ P16", u"1/4 - 16× 2 ↓",
        u"1/4 - 16× 2 ↑ " + std::u16string(ptext::kNoCode()),
        u"1/4 - 8 × 4 ↓",
        u"1/4 - 8 × 4 ↑ " + general + u" P10 P12.5",
        u"1/4 - 16× 4 ↓", u"1/4 - 16× 4 ↑", u"1/1 - 8 × 4 ↓", u"1/1 - 8 × 4 ↑", u"1/1 - 16× 4 ↓",
        u"1/1 - 16× 4 ↑", u"1/1 - 8 × 8 ↓", u"1/1 - 8 × 8 ↑", u"1/1 - 16× 8 ↓", u"1/1 - 16× 8 ↑",
        u"1/1 - 8 × 16 ↓", u"1/1 - 8 × 16 ↑", u"1/1 - 16× 16 ↓", u"1/1 - 16× 16 ↑", u"0/0 - 0 ×  0",
    };
}

std::vector<std::u16string> FontChipOptionTexts() {
    std::vector<std::u16string> out;
    for (const FontChipOption& o : kFontChipOptions) out.push_back(o.name);
    return out;
}

std::vector<std::u16string> SerialPortOptionTexts(size_t tablePorts, uint16_t storedIndex) {
    const size_t count = std::max({size_t(kMinComOptions), tablePorts, size_t(storedIndex) + 1});
    std::vector<std::u16string> out;
    for (size_t i = 1; i <= count; ++i) {
        std::u16string n;
        for (char c : std::to_string(i)) n += char16_t(c);
        out.push_back(u"COM" + n);
    }
    return out;
}

}  // namespace ledsuite
