#include <gtest/gtest.h>

#include <tuple>

#include "content/lang.h"
#include "content/screen_header.h"
#include "editors/hardware_grid_rules.h"
#include "editors/property_texts.h"
#include "tools/fakecard.h"

using namespace ledsuite;

namespace {
HardwareParams Repaired(HardwareParams hw) {
    RepairHardwareParams(hw);
    return hw;
}
}  // namespace

TEST(HardwareGridRules, ModelOptionsMapBothWays) {
    // option -> (card type, subtype), as the model table lists them
    const std::tuple<int, int, int> table[] = {
        {0, 0, 0}, {1, 1, 0}, {2, 2, 0}, {3, 2, 6}, {4, 2, 7}, {5, 3, 0}, {6, 3, 1}, {10, 3, 5}, {16, 3, 11},
        {17, 4, 0}, {18, 4, 6}, {19, 5, 0}, {20, 5, 1}};
    for (auto [option, type, subtype] : table) {
        const CardModel m = ModelOfOption(option);
        EXPECT_EQ(std::tuple(int(m.type), int(m.subtype)), std::tuple(type, subtype)) << option;
        EXPECT_EQ(ModelOptionOf(uint8_t(type), uint8_t(subtype)), option);
    }
    // type 2 with a subtype neither 6 nor 7; type 4 (stored back as subtype 6); type 5
    EXPECT_EQ(std::tuple(ModelOptionOf(2, 3), ModelOptionOf(4, 3), ModelOptionOf(5, 9)), std::tuple(2, 18, 20));
    EXPECT_EQ(ModelOfOption(-1).type, 3);
    EXPECT_EQ(ModelOptionTexts().size(), size_t(kModelOptionCount));
}

TEST(HardwareGridRules, ColourFontChipAndDataFlowOptions) {
    HardwareParams hw;
    hw.colorCode = 3;
    hw = Repaired(hw);
    EXPECT_EQ(std::tuple(hw.colorCode, ColorOptionOf(hw.colorCode)), std::tuple(5, 0));
    for (int c = 12; c <= 17; ++c) EXPECT_EQ(ColorCodeOfOption(ColorOptionOf(ColorCode(c))), c);
    EXPECT_EQ(ColorCodeOfOption(9), 5);

    const std::pair<uint16_t, int> chips[] = {{0x31, 8}, {0x13, 9}, {0x105, 14}, {0x100, 9}, {0x101, 10}, {7, 7}};
    for (auto [code, option] : chips) EXPECT_EQ(FontChipOptionOf(code), option) << code;
    EXPECT_EQ(FontChipOfOption(FontChipOptionOf(0x100)), 0x13);
    EXPECT_EQ(std::tuple(FontChipOptionTexts()[8], FontChipOptionTexts()[14]), std::tuple(u"GB16S2W4", u"UNI64S4W1"));

    EXPECT_EQ(std::tuple(DataFlowOptionOf(0xFF), DataFlowOfOption(27), DataFlowOfOption(26)), std::tuple(27, 0xFF, 26));
    EXPECT_EQ(DataFlowOptionTexts().size(), size_t(kDataFlowOptionCount));
}

TEST(HardwareGridRules, OptionTextsFollowTheLanguage) {
    SetUiLanguage(3);
    EXPECT_EQ(std::tuple(ModelOptionTexts()[3], ModelOptionTexts()[20], ColorOptionTexts()[6]),
              std::tuple(u"20K GPRS", u"128K Synch Voice", u"Two Tone(G-R)"));
    EXPECT_EQ(std::tuple(ColumnOrderOptionTexts()[3], ColumnOrderOptionTexts()[4]),
              std::tuple(u"Normal-8, Against-8", u"Against-8, Normal-8"));
    EXPECT_EQ(std::tuple(DataFlowOptionTexts()[0], DataFlowOptionTexts()[10]),
              std::tuple(u"1/16 - 8 × 1 General Indoor P3.75 P5.0", u"1/4 - 16× 2 ↑ No Code"));
    SetUiLanguage(1);
    EXPECT_EQ(std::tuple(ModelOptionTexts()[4], ColorOptionTexts()[1], DataFlowOptionTexts()[12]),
              std::tuple(u"20K 短信", u"双色(R-G)", u"1/4 - 8 × 4 ↑ 常规 P10 P12.5"));
    ResetUiLanguageForTests();
}

TEST(HardwareGridRules, GridValuesStoreBackWithTheSubtypeRules) {
    HardwareParams hw;
    hw.cardType = 2, hw.cardSubtype = 6, hw.fontChip = 0x31, hw.fileSystem = 2, hw.pageSize = 3;
    hw.dataFlow = 0xFF, hw.outputFlags = 5;
    hw.timedBrightness[0] = uint32_t(PackTime(11, 16, 0)) | 255u << 16;
    hw.timedBrightness[3] = uint32_t(PackTime(1, 2, 4)) | 7u << 16;
    hw.switchOffTime = PackTime(22, 0, 0);
    HardwareGridValues v = GridValuesOf(hw);
    EXPECT_EQ(std::tuple(v.model, v.oeLevel, v.dataLevel, v.hblank), std::tuple(3, 1, 0, 1));
    EXPECT_EQ(std::tuple(v.timedTime[0], v.timedLevel[0], v.timedLevel[3], v.powerOff),
              std::tuple(PackTime(11, 16, 0), 255, 7, PackTime(22, 0, 0)));
    HardwareParams back = hw;
    back.width = 1;
    StoreGridValues(v, back);
    EXPECT_EQ(SerializeHardwareParams(back), SerializeHardwareParams(hw));

    v.model = 7;  // 40K, subtype 2: no font chip, no file system
    StoreGridValues(v, back);
    EXPECT_EQ(std::tuple(back.cardSubtype, back.fontChip, back.fileSystem, back.pageSize),
              std::tuple(uint8_t(2), uint16_t(0), uint8_t(0), uint8_t(0)));
    v.model = 6;  // subtype 1: the font chip only
    StoreGridValues(v, back);
    EXPECT_EQ(std::tuple(back.fontChip, back.fileSystem, back.pageSize), std::tuple(uint16_t(0x31), uint8_t(0), uint8_t(0)));
    v.oeLevel = 0, v.hblank = 0, v.dataLevel = 1;
    StoreGridValues(v, back);
    EXPECT_EQ(back.outputFlags, 2);
}

TEST(HardwareGridRules, SizeLimitsInOrder) {
    HardwareParams hw;
    auto check = [&](int w, int h) {
        hw.width = uint16_t(w);
        hw.height = uint16_t(h);
        return CheckCardSize(hw);
    };
    // type, colour, width, height -> the first limit broken (type 9 counts as type 0)
    const std::tuple<int, int, int, int, SizeCheck> cases[] = {
        {3, 17, 0, 5000, SizeCheck::Zero},     {3, 17, 1281, 16, SizeCheck::WidthOut},
        {3, 17, 1280, 129, SizeCheck::HeightOut}, {3, 17, 1280, 32, SizeCheck::TwoTone},
        {3, 5, 1280, 32, SizeCheck::Ok},       {9, 5, 257, 8, SizeCheck::WidthOut},
        {5, 5, 2048, 64, SizeCheck::Ok},       {5, 5, 2048, 257, SizeCheck::HeightOut}};
    for (auto [type, colour, w, h, result] : cases) {
        hw.cardType = uint8_t(type), hw.colorCode = uint8_t(colour);
        EXPECT_EQ(check(w, h), result) << type << " " << w << "x" << h;
    }
    SetUiLanguage(3);
    EXPECT_EQ(std::u16string(SizeCheckMessage(SizeCheck::TwoTone)()), u"Please halve the width or the height in two-tone");
    EXPECT_EQ(std::u16string(SizeCheckMessage(SizeCheck::Zero)()), u"The width or the height could not be zero");
    ResetUiLanguageForTests();
}

TEST(HardwareGridRules, ChangeTestAndSubtypeItems) {
    HardwareParams a, b;
    b.cardId = 9, b.comIndex = 3;
    EXPECT_FALSE(HardwareChanged(a, b));
    for (auto change : {+[](HardwareParams& h) { h.dataFlow = 4; }, +[](HardwareParams& h) { h.soundMode = 1; },
                        +[](HardwareParams& h) { h.fontChip = 2; }}) {
        b = a;
        change(b);
        EXPECT_TRUE(HardwareChanged(a, b));
    }

    // subtype -> voice, font chip, file system and page size
    const std::tuple<int, bool, bool, bool> table[] = {
        {0, false, false, false}, {1, false, true, false}, {2, true, false, false}, {4, true, true, false},
        {5, false, true, true}, {8, false, false, false}, {10, true, true, true}, {11, true, true, true}};
    for (auto [subtype, voice, chip, fs] : table) {
        const SubtypeItems s = SubtypeItemsOf(uint8_t(subtype));
        EXPECT_EQ(std::tuple(s.voice, s.fontChip, s.fileSystem), std::tuple(voice, chip, fs)) << subtype;
    }
}

TEST(HardwareGridRules, SubtypeFromTheCardsReply) {
    using Pairs = std::vector<std::pair<uint8_t, uint8_t>>;
    const std::pair<Pairs, int> cases[] = {
        {{{3, 0}}, 5}, {{{6, 0}}, 1}, {{{14, 0}}, 2}, {{{3, 0}, {6, 0}}, 5}, {{{6, 0}, {7, 1}}, 7},
        {{{7, 0}, {3, 0}}, 6}, {{{15, 4}}, 3}, {{{15, 0xFF}}, 2}, {{{15, 1}}, 4}, {{{2, 9}}, 0}};
    for (const auto& [pairs, subtype] : cases) EXPECT_EQ(SubtypeOfFeaturePairs(pairs), subtype);

    HardwareParams hw;
    hw.cardType = 3, hw.cardSubtype = 9;
    ApplyCardInfoToRecord(MakeInfoReply(0, 4, 3, {{7, 1}}), hw);
    EXPECT_EQ(std::tuple(hw.cardType, hw.cardSubtype), std::tuple(uint8_t(4), uint8_t(7)));
    ApplyCardInfoToRecord(MakeInfoReply(1, 2, 2, {{7, 1}}), hw);  // old firmware: no pair walk; family 1 keeps the type
    EXPECT_EQ(std::tuple(hw.cardType, hw.cardSubtype), std::tuple(uint8_t(4), uint8_t(0)));
    std::vector<uint8_t> cut = MakeInfoReply(0, 2, 3, {{6, 0}, {7, 0}});
    cut[2] = 200;     // announces far more than came
    cut.resize(9);    // only the first pair arrived
    ApplyCardInfoToRecord(cut, hw);
    EXPECT_EQ(std::tuple(hw.cardType, hw.cardSubtype), std::tuple(uint8_t(2), uint8_t(1)));
    const uint8_t one[] = {0};
    ApplyCardInfoToRecord(one, hw);
    EXPECT_EQ(std::tuple(hw.cardType, hw.cardSubtype), std::tuple(uint8_t(2), uint8_t(0)));
}

TEST(HardwareGridRules, ReadBlockNeedsAHeaderAndKeepsTheScreensOtherFields) {
    HardwareParams card, screen;
    card.width = 320, card.height = 64, card.brightness = 99;
    screen.comIndex = 4, screen.language = 3;
    HardwareBlockRead block;
    BuildProgramHeader(card, block.bytes);
    block.received = kScreenHeaderMinRead - 1;
    HardwareParams out;
    out.width = 7;
    EXPECT_FALSE(RecordOfReadBlock(block, screen, out));
    EXPECT_EQ(out.width, 7);
    block.received = 5000;  // more than the buffer: only the buffer counts
    ASSERT_TRUE(RecordOfReadBlock(block, screen, out));
    EXPECT_EQ(std::tuple(out.width, out.height, out.brightness, out.comIndex, out.language),
              std::tuple(uint16_t(320), uint16_t(64), uint8_t(99), uint16_t(4), uint16_t(3)));
}

TEST(HardwareGridRules, SerialPortsAndPassword) {
    EXPECT_EQ(std::tuple(SerialPortOptionTexts(2, 0).size(), SerialPortOptionTexts(0, 24).size()),
              std::tuple(19u, 25u));
    EXPECT_EQ(std::tuple(SerialPortOptionTexts(22, 0).back(), SerialPortOptionTexts(0, 0)[0]), std::tuple(u"COM22", u"COM1"));
    for (auto [typed, result] : {std::pair{u"", PasswordCheck::Empty}, {u"169", PasswordCheck::Wrong},
                                 {u"1680", PasswordCheck::Wrong}, {kServicePassword, PasswordCheck::Ok}})
        EXPECT_EQ(CheckServicePassword(typed), result);
}
