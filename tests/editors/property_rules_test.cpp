#include <gtest/gtest.h>

#include <tuple>

#include "content/lang.h"
#include "editors/play_periods.h"
#include "editors/property_rules.h"

using namespace ledsuite;

TEST(ProgramSetRules, PlayModesEnablingWeekdaysAndPeriodItems) {
    const std::pair<int, int> modes[] = {{0, 0}, {1, 6}, {2, 1}, {3, 5}};
    for (auto [option, type] : modes) {
        EXPECT_EQ(PlayModeOfOption(option), type);
        EXPECT_EQ(PlayModeOptionOf(uint8_t(type)), option);
    }
    EXPECT_EQ(PlayModeOfOption(-1), 0);
    ProgramSetRecord set;
    for (auto [stored, repaired] : {std::pair{3, 0}, {5, 5}}) {
        set.playMode = uint8_t(stored);
        RepairProgramSetForGrid(set);
        EXPECT_EQ(set.playMode, repaired);
    }

    const std::tuple<int, bool, bool> enabling[] = {{1, true, false}, {6, false, true}, {0, false, false}, {5, false, false}};
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

TEST(ProgramRules, RepairsAndEffectOptions) {
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
        EXPECT_EQ(SecondaryEffectOptionOf(uint8_t(effect)), option);
        EXPECT_EQ(SecondaryEffectOfOption(option), effect);
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
    ChooseMainEffect(a, kEffectScroll - 1);
    EXPECT_EQ(std::tuple(a.effect, a.offset), std::tuple(uint8_t(7), int16_t(6)));
    ChooseMainEffect(a, kEffectMoveRight - 1);
    EXPECT_EQ(a.offset, 0);
    EXPECT_FALSE(ChooseMainEffect(a, kEffectMoveRight - 1));

    EXPECT_EQ(std::tuple(RoleOptionOf(0, 2), RoleOptionOf(255, 2), RoleOptionOf(3, 5)), std::tuple(0, 0, 3));
    EXPECT_FALSE(RoleOptionOf(3, 3).has_value());
}

TEST(ProgramRules, NumbersAreHeldToTheirStoredRanges) {
    ProgramRecord p;
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

TEST(PlayPeriods, HourlyFillTotalAndTimeline) {
    PlayPeriodTable periods{};
    FillHourlyPeriods(periods, {0, 5, 0}, {0, 35, 0});
    for (int h : {0, 1, 23}) EXPECT_EQ(periods[h], uint32_t(PackTime(h, 5, 0)) | uint32_t(PackTime(h, 35, 0)) << 16);
    EXPECT_EQ(std::tuple(TotalPeriodSeconds(periods), FormatPeriodTotal(TotalPeriodSeconds(periods)),
                         TimelineBars(periods).size()), std::tuple(12u * 3600, u"总时间: 12:00:00", 24u));

    PlayPeriodTable one{};
    one[4] = uint32_t(PackTime(5, 30, 0)) | uint32_t(PackTime(6, 30, 0)) << 16;
    one[5] = uint32_t(PackTime(8, 0, 0)) | uint32_t(PackTime(8, 0, 0)) << 16;  // empty
    one[6] = uint32_t(PackTime(9, 0, 0)) | uint32_t(PackTime(8, 0, 0)) << 16;  // empty
    const std::vector<TimelineBar> bars = TimelineBars(one);
    ASSERT_EQ(bars.size(), 2u);
    EXPECT_EQ(std::tuple(bars[0].row, bars[0].from, bars[0].to), std::tuple(0, 19800u, kTimelineRowSeconds));
    EXPECT_EQ(std::tuple(bars[1].row, bars[1].from, bars[1].to), std::tuple(1, 0u, 1800u));
    EXPECT_EQ(FormatPeriodTotal(TotalPeriodSeconds(one)), u"总时间: 01:00:00");
}

TEST(PlayPeriods, PickerTimesAndHalves) {
    const PeriodTime bad = ShownPeriodTime(uint16_t(25 << 11 | 63 << 5));
    EXPECT_EQ(std::tuple(bad.hour, bad.minute, bad.second), std::tuple(0, 0, 0));
    const PeriodTime ok = ShownPeriodTime(PackTime(23, 59, 58));
    EXPECT_EQ(std::tuple(ok.hour, ok.minute, ok.second), std::tuple(23, 59, 58));
    EXPECT_EQ(PackPeriodTime({7, 8, 9}), PackTime(7, 8, 8));
    PlayPeriodTable periods{};
    EXPECT_EQ(std::tuple(StorePeriodHalf(periods, 23, true, 0x1111), StorePeriodHalf(periods, 23, false, 0x2222),
                         StorePeriodHalf(periods, 24, false, 1)), std::tuple(true, true, false));
    EXPECT_EQ(periods[23], 0x11112222u);
}
