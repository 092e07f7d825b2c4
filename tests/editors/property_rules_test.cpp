// The property window's rules: hardware grid options and checks, program set and program
// values, and the play periods.
#include <gtest/gtest.h>

#include <tuple>

#include "content/model/lang.h"
#include "content/card/screen_header.h"
#include "editors/hardware_grid_rules.h"
#include "editors/play_periods.h"
#include "editors/property_rules.h"
#include "editors/property_texts.h"
#include "tools/fakecard.h"

using namespace ledsuite;

TEST(HardwareGridRules, OptionsMapBothWays) {
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
    EXPECT_EQ(std::tuple(ModelOptionOf(2, 3), ModelOptionOf(4, 3), ModelOptionOf(5, 9), ModelOfOption(-1).type),
              std::tuple(2, 18, 20, 3));
    HardwareParams hw;
    hw.colorCode = 3;
    RepairHardwareParams(hw);
    EXPECT_EQ(std::tuple(hw.colorCode, ColorOptionOf(hw.colorCode)), std::tuple(5, 0));
    for (int c = 12; c <= 17; ++c) EXPECT_EQ(ColorCodeOfOption(ColorOptionOf(ColorCode(c))), c);
    EXPECT_EQ(ColorCodeOfOption(9), 5);

    const std::pair<uint16_t, int> chips[] = {{0x31, 8}, {0x13, 9}, {0x105, 14}, {0x100, 9}, {0x101, 10}, {7, 7}};
    for (auto [code, option] : chips) EXPECT_EQ(FontChipOptionOf(code), option) << code;
    EXPECT_EQ(FontChipOfOption(FontChipOptionOf(0x100)), 0x13);
    EXPECT_EQ(std::tuple(FontChipOptionTexts()[8], FontChipOptionTexts()[14]), std::tuple(u"GB16S2W4", u"UNI64S4W1"));

    EXPECT_EQ(std::tuple(DataFlowOptionOf(0xFF), DataFlowOfOption(27), DataFlowOfOption(26)), std::tuple(27, 0xFF, 26));
}

TEST(HardwareGridRules, OptionTextsFollowTheLanguageAndSizeLimitsInOrder) {
    SetUiLanguage(3);
    EXPECT_EQ(std::tuple(ModelOptionTexts()[3], ModelOptionTexts()[20], ColorOptionTexts()[6]),
              std::tuple(u"20K GPRS", u"128K Synch Voice", u"Two Tone(G-R)"));
    EXPECT_EQ(std::tuple(ColumnOrderOptionTexts()[3], ColumnOrderOptionTexts()[4]),
              std::tuple(u"Normal-8, Against-8", u"Against-8, Normal-8"));
    EXPECT_EQ(std::tuple(DataFlowOptionTexts()[0], DataFlowOptionTexts()[10]),
              std::tuple(u"1/16 - 8 × 1 General Indoor P3.75 P5.0", u"1/4 - 16× 2 ↑ No Code"));
    EXPECT_EQ(std::tuple(std::u16string(SizeCheckMessage(SizeCheck::TwoTone)()),
                         std::u16string(SizeCheckMessage(SizeCheck::Zero)())),
              std::tuple(u"Please halve the width or the height in two-tone",
                         u"The width or the height could not be zero"));
    SetUiLanguage(1);
    EXPECT_EQ(std::tuple(ModelOptionTexts()[4], ColorOptionTexts()[1], DataFlowOptionTexts()[12]),
              std::tuple(u"20K 短信", u"双色(R-G)", u"1/4 - 8 × 4 ↑ 常规 P10 P12.5"));
    ResetUiLanguageForTests();
    HardwareParams hw;
    // type, colour, width, height -> the first limit broken (type 9 counts as type 0)
    const std::tuple<int, int, int, int, SizeCheck> cases[] = {
        {3, 17, 0, 5000, SizeCheck::Zero},     {3, 17, 1281, 16, SizeCheck::WidthOut},
        {3, 17, 1280, 129, SizeCheck::HeightOut}, {3, 17, 1280, 32, SizeCheck::TwoTone},
        {3, 5, 1280, 32, SizeCheck::Ok},       {9, 5, 257, 8, SizeCheck::WidthOut},
        {5, 5, 2048, 64, SizeCheck::Ok},       {5, 5, 2048, 257, SizeCheck::HeightOut},
        {1, 5, 256, 32, SizeCheck::Ok},        {1, 5, 256, 33, SizeCheck::HeightOut},
        {2, 5, 640, 32, SizeCheck::Ok},        {2, 17, 640, 32, SizeCheck::TwoTone}};
    for (auto [type, colour, w, h, result] : cases) {
        hw.cardType = uint8_t(type), hw.colorCode = uint8_t(colour), hw.width = uint16_t(w), hw.height = uint16_t(h);
        EXPECT_EQ(CheckCardSize(hw), result) << type << " " << w << "x" << h;
    }
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
    EXPECT_EQ(std::tuple(back.fontChip, back.fileSystem, back.pageSize),
              std::tuple(uint16_t(0x31), uint8_t(0), uint8_t(0)));
    v.oeLevel = 0, v.hblank = 0, v.dataLevel = 1;
    StoreGridValues(v, back);
    EXPECT_EQ(back.outputFlags, 2);
}

TEST(HardwareGridRules, ChangeTestSubtypeItemsSerialPortsAndPassword) {
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
    EXPECT_EQ(std::tuple(SerialPortOptionTexts(2, 0).size(), SerialPortOptionTexts(0, 24).size()),
              std::tuple(19u, 25u));
    EXPECT_EQ(std::tuple(SerialPortOptionTexts(22, 0).back(), SerialPortOptionTexts(0, 0)[0]),
              std::tuple(u"COM22", u"COM1"));
    for (auto [typed, result] : {std::pair{u"", PasswordCheck::Empty}, {u"169", PasswordCheck::Wrong},
                                 {u"1680", PasswordCheck::Wrong}, {kServicePassword, PasswordCheck::Ok}})
        EXPECT_EQ(CheckServicePassword(typed), result);
}

TEST(HardwareGridRules, SubtypeFromTheCardsReplyAndTheReadBlock) {
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
    // A read block needs a header and keeps the screen's other fields.
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

TEST(ProgramSetRules, PlayModesEnablingWeekdaysAndPeriodItems) {
    const std::pair<int, int> modes[] = {{0, 0}, {1, 6}, {2, 1}, {3, 5}};
    for (auto [option, type] : modes) {
        EXPECT_EQ(std::tuple(PlayModeOfOption(option), PlayModeOptionOf(uint8_t(type))), std::tuple(type, option));
    }
    EXPECT_EQ(PlayModeOfOption(-1), 0);
    ProgramSetRecord set;
    for (auto [stored, repaired] : {std::pair{3, 0}, {5, 5}}) {
        set.playMode = uint8_t(stored);
        RepairProgramSetForGrid(set);
        EXPECT_EQ(set.playMode, repaired);
    }

    const std::tuple<int, bool, bool> enabling[] = {{1, true, false}, {6, false, true}, {0, false, false},
                                                    {5, false, false}};
    for (auto [type, duration, schedule] : enabling) {
        const PlayModeEnabling e = PlayModeEnablingOf(uint8_t(type));
        EXPECT_EQ(std::tuple(e.duration, e.schedule), std::tuple(duration, schedule)) << type;
    }

    uint8_t bits = 0;
    for (int day : {0, 6, 7}) SetWeekday(bits, day, true);
    EXPECT_EQ(bits, 0x41);
    SetWeekday(bits, 0, false);
    EXPECT_EQ(bits, 0x40);

    PlayPeriodTable periods{};
    StorePeriodItem(periods, 17, 0x1234);  // start of entry 1
    StorePeriodItem(periods, 20, 0xABCD);  // end of entry 2
    StorePeriodItem(periods, 21, 0xFFFF);  // no period item
    EXPECT_EQ(std::tuple(periods[1], periods[2], PeriodItemValue(periods, 20), PeriodItemValue(periods, 18)),
              std::tuple(0x1234u, 0xABCD0000u, 0xABCD, 0));
    periods.fill(0xFFFFFFFF);  // ids outside the period items read nothing
    EXPECT_EQ(std::tuple(PeriodItemValue(periods, 14), PeriodItemValue(periods, 21)), std::tuple(0, 0));
}

TEST(ProgramRules, RepairsEffectOptionsAndNumbersHeldToTheirStoredRanges) {
    ProgramRecord p;
    p.mainAction.effect = 0, p.secondaryAction.effect = 3, p.rate = 15, p.soundAlign = 7;
    RepairProgramForGrid(p);
    EXPECT_EQ(std::tuple(p.mainAction.effect, p.secondaryAction.effect, p.rate, p.soundAlign),
              std::tuple(uint8_t(1), uint8_t(0), int16_t(10), uint16_t(0)));
    p.rate = -12, p.secondaryAction.effect = 5;
    RepairProgramForGrid(p);
    EXPECT_EQ(std::tuple(p.rate, p.secondaryAction.effect), std::tuple(int16_t(-10), uint8_t(5)));
    // stored secondary effect <-> option
    for (auto [effect, option] : {std::pair{0, 0}, {5, 1}, {29, 25}}) {
        EXPECT_EQ(std::tuple(SecondaryEffectOptionOf(uint8_t(effect)), SecondaryEffectOfOption(option)),
                  std::tuple(option, effect));
    }

    // main effect changes and the offset
    ActionRecord a;
    a.effect = kEffectBlindsHorizontal, a.offset = 6;
    EXPECT_TRUE(ChooseMainEffect(a, kEffectMoveLeft - 1));
    EXPECT_EQ(std::tuple(a.effect, a.offset), std::tuple(uint8_t(1), int16_t(0)));
    a.offset = 6;
    ChooseMainEffect(a, kEffectMoveRightContinue - 1);
    EXPECT_EQ(std::tuple(a.effect, a.offset), std::tuple(uint8_t(31), int16_t(6)));
    a.effect = kEffectMoveLeft;
    ChooseMainEffect(a, kEffectScroll - 1);  // Scroll's card form takes bytes 6-7: no offset to keep
    EXPECT_EQ(std::tuple(a.effect, a.offset), std::tuple(uint8_t(7), int16_t(0)));
    ProgramRecord scroll;
    scroll.mainAction.effect = kEffectScroll;
    ASSERT_TRUE(StoreProgramNumber(scroll, 14, 5));
    EXPECT_EQ(ProgramNumber(scroll, 14), 0);
    scroll.mainAction.effect = kEffectFlash;  // Flash has no pause in its card form
    ASSERT_TRUE(StoreProgramNumber(scroll, 12, 9));
    EXPECT_EQ(ProgramNumber(scroll, 12), 0);
    ActionRecord moving;
    moving.pause = 30;
    ChooseMainEffect(moving, kEffectTwinkle - 1);
    EXPECT_EQ(moving.pause, 0);
    ChooseMainEffect(a, kEffectMoveRight - 1);
    EXPECT_EQ(a.offset, 0);
    EXPECT_FALSE(ChooseMainEffect(a, kEffectMoveRight - 1));
    // Snow: the image puts its image set's place where the offset would go.
    a.effect = kEffectMoveUp, a.offset = 5, a.pause = 8;
    ChooseMainEffect(a, kEffectSnow - 1);
    EXPECT_EQ(std::tuple(a.offset, a.pause), std::tuple(int16_t(0), uint8_t(8)));
    scroll.mainAction.effect = kEffectSnow;
    ASSERT_TRUE(StoreProgramNumber(scroll, 14, -1));
    EXPECT_EQ(ProgramNumber(scroll, 14), 0);
    // The secondary action is held the same way, on choosing its effect and on typing its pause.
    ActionRecord second;
    second.effect = kEffectCurtainUp, second.pause = 13, second.offset = 4;
    EXPECT_TRUE(ChooseSecondaryEffect(second, SecondaryEffectOptionOf(kEffectFlash)));
    EXPECT_EQ(std::tuple(second.effect, second.pause, second.offset), std::tuple(uint8_t(kEffectFlash), uint8_t(0), int16_t(0)));
    EXPECT_FALSE(ChooseSecondaryEffect(second, SecondaryEffectOptionOf(kEffectFlash)));
    EXPECT_TRUE(ChooseSecondaryEffect(second, 0));
    EXPECT_EQ(second.effect, 0);
    ChooseSecondaryEffect(second, 99);  // past the last option: the last
    EXPECT_EQ(second.effect, kEffectRandom);
    ProgramRecord twinkle;
    twinkle.secondaryAction.effect = kEffectTwinkle;
    ASSERT_TRUE(StoreProgramNumber(twinkle, 17, 13));
    EXPECT_EQ(ProgramNumber(twinkle, 17), 0);
    // A record shown with a pause or offset its effects cannot keep is repaired.
    twinkle.secondaryAction.pause = 13, twinkle.mainAction.effect = kEffectSnow, twinkle.mainAction.offset = 339;
    twinkle.mainAction.pause = 7;
    RepairProgramForGrid(twinkle);
    EXPECT_EQ(std::tuple(twinkle.secondaryAction.pause, twinkle.mainAction.offset, twinkle.mainAction.pause),
              std::tuple(uint8_t(0), int16_t(0), uint8_t(7)));

    EXPECT_EQ(std::tuple(RoleOptionOf(0, 2), RoleOptionOf(255, 2), RoleOptionOf(3, 5), RoleOptionOf(3, 3)),
              std::tuple(0, 0, 3, std::nullopt));
    // id, typed, stored
    const std::tuple<int, int, int> cases[] = {
        {9, 300, 254}, {11, 0, 1}, {11, 255, 254}, {12, 300, 255}, {13, -1, 0}, {14, 40000, 32767},
        {14, -40000, -32768}, {14, -128, -128}, {16, 0, 1}, {16, 255, 255}, {17, 255, 254}, {18, 256, 255}};
    for (auto [id, typed, stored] : cases) {
        ASSERT_TRUE(StoreProgramNumber(p, id, typed));
        EXPECT_EQ(ProgramNumber(p, id), stored) << id;
    }
    EXPECT_FALSE(StoreProgramNumber(p, 10, 3));

    p.left = 10, p.right = 74, p.top = 0, p.bottom = 16;
    MoveProgramArea(p, 30, 0);
    EXPECT_EQ(std::tuple(p.left, p.right), std::tuple(30, 94));
    ResizeProgramArea(p, 300, 16);
    EXPECT_EQ(p.right, 330);
    ResizeProgramArea(p, 0, -5);
    EXPECT_EQ(std::tuple(p.width(), p.height()), std::tuple(1, 1));
    MoveProgramArea(p, -4, -1);
    EXPECT_EQ(std::tuple(p.left, p.top, p.width(), p.height()), std::tuple(0, 0, 1, 1));
}

TEST(ProgramRules, BoundedTextsSoundsAndBorders) {
    std::array<char16_t, 128> text{};
    const std::u16string longest(127, u'a');
    ASSERT_TRUE(CopyBoundedText(text, longest));
    EXPECT_EQ(std::tuple(text[127], BufferText(text)), std::tuple(u'\0', longest));
    EXPECT_FALSE(CopyBoundedText(text, std::u16string(128, u'b')));
    EXPECT_EQ(BufferText(text), longest);
    ASSERT_TRUE(CopyBoundedText(text, u"ab"));
    EXPECT_EQ(std::tuple(text[2], text[3]), std::tuple(u'\0', u'\0'));  // the rest is cleared

    const std::vector<std::u16string> sounds = {u"ding.wav", u"dong.mp3"};
    // option -> stored, true when stored; option 0 is no sound, past the list nothing changes
    for (auto [option, stored, shown] : {std::tuple{2, true, u"dong.mp3"}, {3, false, u"dong.mp3"}, {0, true, u""}}) {
        EXPECT_EQ(StoreSoundOption(text, option, sounds), stored) << option;
        EXPECT_EQ(BufferText(text), shown) << option;
    }

    uint8_t type = 0;
    FrameVector frames;
    frames.push_back(std::make_unique<RawImage>());
    EXPECT_TRUE(ApplyBorderType(type, frames, 1));
    EXPECT_EQ(std::tuple(type, frames.size()), std::tuple(uint8_t(1), size_t(1)));
    EXPECT_FALSE(ApplyBorderType(type, frames, 2));
    EXPECT_EQ(std::tuple(type, frames.size() > 1), std::tuple(2, true));
    ApplyBorderType(type, frames, 0);
    EXPECT_TRUE(frames.empty());
}

TEST(PlayPeriods, HourlyFillTotalTimelinePickerTimesAndHalves) {
    PlayPeriodTable periods{};
    FillHourlyPeriods(periods, {0, 5, 0}, {0, 35, 0});
    for (int h : {0, 1, 23}) EXPECT_EQ(periods[h], uint32_t(PackTime(h, 5, 0)) | uint32_t(PackTime(h, 35, 0)) << 16);
    EXPECT_EQ(std::tuple(TotalPeriodSeconds(periods), FormatPeriodTotal(TotalPeriodSeconds(periods)),
                         TimelineBars(periods).size()), std::tuple(12u * 3600, u"Total time: 12:00:00", 24u));

    PlayPeriodTable one{};
    one[4] = uint32_t(PackTime(5, 30, 0)) | uint32_t(PackTime(6, 30, 0)) << 16;
    one[5] = uint32_t(PackTime(8, 0, 0)) | uint32_t(PackTime(8, 0, 0)) << 16;  // empty
    one[6] = uint32_t(PackTime(9, 0, 0)) | uint32_t(PackTime(8, 0, 0)) << 16;  // empty
    const std::vector<TimelineBar> bars = TimelineBars(one);
    ASSERT_EQ(bars.size(), 2u);
    EXPECT_EQ(std::tuple(bars[0].row, bars[0].from, bars[0].to, bars[1].row, bars[1].from, bars[1].to),
              std::tuple(0, 19800u, kTimelineRowSeconds, 1, 0u, 1800u));
    EXPECT_EQ(FormatPeriodTotal(TotalPeriodSeconds(one)), u"Total time: 01:00:00");
    // The picker shows a time no clock has as 00:00:00.
    const PeriodTime bad = ShownPeriodTime(uint16_t(25 << 11 | 63 << 5)), ok = ShownPeriodTime(PackTime(23, 59, 58));
    EXPECT_EQ(std::tuple(bad.hour, bad.minute, bad.second, ok.hour, ok.minute, ok.second, PackPeriodTime({7, 8, 9})),
              std::tuple(0, 0, 0, 23, 59, 58, PackTime(7, 8, 8)));
    EXPECT_EQ(std::tuple(StorePeriodHalf(one, 23, true, 0x1111), StorePeriodHalf(one, 23, false, 0x2222),
                         StorePeriodHalf(one, 24, false, 1)), std::tuple(true, true, false));
    EXPECT_EQ(one[23], 0x11112222u);
}

TEST(HardwareGridRules, EveryModelStoresWhatItsItemsOfferAndShowsItselfAgain) {
    static const char16_t* const kSizes[] = {u"04K", u"10K", u"20K", u"40K", u"64K", u"128K"};
    const std::vector<std::u16string> texts = ModelOptionTexts();
    ASSERT_EQ(texts.size(), size_t(kModelOptionCount));
    for (int option = 0; option < kModelOptionCount; ++option) {
        HardwareGridValues v = GridValuesOf(HardwareParams{});
        v.model = option, v.fontChip = 3, v.fileSystem = 2, v.pageSize = 4;
        HardwareParams hw;
        StoreGridValues(v, hw);
        const SubtypeItems items = SubtypeItemsOf(hw.cardSubtype);
        EXPECT_EQ(std::tuple(hw.fontChip == 3, hw.fileSystem == 2, hw.pageSize == 4),
                  std::tuple(items.fontChip, items.fileSystem, items.fileSystem)) << option;
        EXPECT_EQ(ModelOptionOf(hw.cardType, hw.cardSubtype), option);
        EXPECT_EQ(texts[size_t(option)],
                  std::u16string(kSizes[hw.cardType]) + u" " + ptext::kSubtypeNames[hw.cardSubtype]()) << option;
    }
}

TEST(PlayPeriods, EachPickerFieldPastItsClockSecondsCountAndBarsStayInTheFourRows) {
    // hour, minute, second as stored -> as the picker shows them
    const std::array<int, 6> shown[] = {{24, 0, 0, 0, 0, 0}, {23, 60, 0, 23, 0, 0}, {23, 59, 60, 23, 59, 0},
                                        {1, 2, 62, 1, 2, 0}};
    for (const auto& [h, m, s, sh, sm, ss] : shown) {
        const PeriodTime t = ShownPeriodTime(uint16_t(h << 11 | m << 5 | s / 2));
        EXPECT_EQ(std::tuple(t.hour, t.minute, t.second), std::tuple(sh, sm, ss)) << h << ":" << m << ":" << s;
    }
    PlayPeriodTable p{};
    p[0] = uint32_t(PackTime(0, 0, 2)) | uint32_t(PackTime(0, 0, 10)) << 16;     // eight seconds
    p[1] = uint32_t(PackTime(5, 0, 0)) | uint32_t(PackTime(6, 0, 0)) << 16;      // ends on a row's edge
    p[2] = uint32_t(PackTime(23, 0, 0)) | uint32_t(uint16_t(25 << 11)) << 16;    // an end no clock has
    EXPECT_EQ(FormatPeriodTotal(PeriodSeconds(p[0])), u"Total time: 00:00:08");
    const std::vector<TimelineBar> bars = TimelineBars(p);
    ASSERT_EQ(bars.size(), 3u);  // no empty bar at 06:00, nothing past the fourth row
    EXPECT_EQ(std::tuple(bars[1].row, bars[1].to, bars[2].row, bars[2].from, bars[2].to),
              std::tuple(0, kTimelineRowSeconds, 3, 5u * 3600, kTimelineRowSeconds));

    ProgramSetRecord set;  // the fill writes the 24 periods and nothing after them
    set.borderType = 7;
    FillHourlyPeriods(set.periods, {0, 1, 0}, {0, 2, 0});
    EXPECT_EQ(std::tuple(set.periods[23] >> 16, set.borderType), std::tuple(uint32_t(PackTime(23, 2, 0)), uint8_t(7)));
}

TEST(ProgramRules, FirstItemsOfEachListAndTheContinuousMoves) {
    PlayPeriodTable periods{};
    StorePeriodItem(periods, 15, 0x1111);  // the first start item
    EXPECT_EQ(std::tuple(periods[0], PeriodItemValue(periods, 15)), std::tuple(0x1111u, uint16_t(0x1111)));
    ProgramRecord p;
    p.secondaryAction.effect = 1;  // a main-only effect as secondary: none
    RepairProgramForGrid(p);
    ASSERT_TRUE(StoreProgramNumber(p, 9, -3));  // border speed held to 0
    std::array<char16_t, 16> sound{};
    EXPECT_TRUE(StoreSoundOption(sound, 1, {u"ding", u"dong"}));  // option 1: the first fixed sound
    EXPECT_EQ(std::tuple(p.secondaryAction.effect, p.borderSpeed, BufferText(sound), RoleOptionOf(1, 3)),
              std::tuple(uint8_t(0), uint8_t(0), std::u16string(u"ding"), std::optional<int>(1)));
    for (uint8_t code : {kEffectMoveLeftContinue, kEffectMoveRightContinue}) {
        ActionRecord a;
        a.effect = kEffectMoveUp, a.offset = 5;
        ASSERT_TRUE(ChooseMainEffect(a, code - 1));  // a horizontal move starts without an offset
        EXPECT_EQ(a.offset, 0) << int(code);
    }
}
