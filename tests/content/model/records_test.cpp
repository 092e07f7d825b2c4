#include <gtest/gtest.h>

#include "content/bytes.h"
#include "content/model/clock.h"
#include "content/model/lang.h"
#include "content/model/records.h"

using namespace ledsuite;

TEST(HardwareParams, FieldsSitAtTheirOffsetsAndReservedBytesSurvive) {
    HardwareParams hw;
    auto d = SerializeHardwareParams(hw);  // defaults
    EXPECT_EQ((std::array<int, 8>{d[0], d[2], d[4], d[6], d[8], d[10], d[22], d[23]}),
              (std::array<int, 8>{3, 128, 32, 17, 255, 1, 5, 0}));
    // Every field holds its own offsets as value: byte k of the record must read k.
    auto pair = [](int k) { return uint16_t((k + 1) << 8 | k); };
    auto quad = [&](int k) { return uint32_t(pair(k + 2)) << 16 | pair(k); };
    hw.cardType = 0, hw.cardSubtype = 1, hw.width = pair(2), hw.height = pair(4), hw.colorCode = pair(6);
    hw.brightness = 8, hw.refresh = 9, hw.outputFlags = 10, hw.columnOrder = 11, hw.rowOrder = 12;
    hw.dataFlow = 13, hw.cardId = pair(16), hw.comIndex = pair(20), hw.baudIndex = pair(22);
    hw.fileSystem = 28, hw.pageSize = 29, hw.language = pair(30), hw.fontChip = pair(32);
    hw.switchOnTime = pair(40), hw.switchOffTime = pair(42), hw.soundMode = 60;
    hw.timedBrightness = {quad(44), quad(48), quad(52), quad(56)};
    auto b = SerializeHardwareParams(hw);
    for (size_t off = 0; off <= 60; ++off) {
        const bool reserved = off == 14 || off == 15 || off == 18 || off == 19 || (off >= 24 && off < 28) ||
                              (off >= 34 && off < 40);
        EXPECT_EQ(b[off], reserved ? 0 : off) << "offset " << off;
    }
    for (size_t i : {14, 15, 18, 19, 24, 27, 34, 39, 61, 90, 91}) b[i] = uint8_t(0xA0 + i);
    EXPECT_EQ(SerializeHardwareParams(ParseHardwareParams(b)), b);
}

TEST(HardwareParams, RepairKeepsEveryFieldInItsRange) {
    HardwareParams hw;
    hw.cardType = 6, hw.colorCode = 3, hw.refresh = 7, hw.columnOrder = 5, hw.rowOrder = 3;  // one past each end
    hw.dataFlow = 27, hw.baudIndex = 9, hw.fileSystem = 6, hw.pageSize = 7, hw.soundMode = 3;
    hw.timedBrightness = {0xFF00C000, 0x00FFBF7D, 0xFFFF, 0};
    RepairHardwareParams(hw);
    EXPECT_EQ((std::array<int, 10>{hw.cardType, hw.colorCode, hw.refresh, hw.columnOrder, hw.rowOrder,
                                   hw.dataFlow, hw.baudIndex, hw.fileSystem, hw.pageSize, hw.soundMode}),
              (std::array<int, 10>{3, 5, 6, 0, 2, 0, 5, 0, 0, 0}));
    EXPECT_EQ(hw.timedBrightness, (std::array<uint32_t, 4>{0, 0x00FFBF7D, 0, 0}));

    hw.dataFlow = 0xFF, hw.pageSize = 5, hw.cardType = 1, hw.cardSubtype = 6;
    RepairHardwareParams(hw);
    EXPECT_EQ(hw.dataFlow, 0xFF);
    EXPECT_EQ(hw.pageSize, 0);  // "16K" is offered later but not kept
    EXPECT_EQ(hw.cardSubtype, 0);

    const std::pair<uint16_t, uint16_t> chips[] = {{0x08, 0}, {0x106, 0x100}, {0x31, 0x31}, {0x13, 0x13},
                                                   {0x100, 0x100}, {0x205, 0}};
    for (auto [in, out] : chips) EXPECT_EQ(RepairFontChip(in), out) << in;
    for (const auto& opt : kFontChipOptions) EXPECT_EQ(RepairFontChip(opt.code), opt.code);
}

TEST(Effects, NamesFollowTheLanguageAndStopAt31) {
    SetUiLanguage(2);
    EXPECT_EQ(std::u16string(EffectName(8)), u"門打開/關閉");
    EXPECT_EQ(std::u16string(EffectName(32)) + EffectName(255), u"");
    ResetUiLanguageForTests();
}

TEST(Effects, CardFormRoundTripsOverSeveralAreas) {
    const int32_t areas[][4] = {{0, 0, 97, 16}, {0, 0, 128, 32}, {10, 5, 75, 21}, {0, 0, 8, 8}};
    for (const auto& r : areas) {
        for (int code = 0; code < kEffectCount; ++code) {
            ActionRecord a;
            a.effect = uint8_t(code), a.speed = 21, a.repeat = 2, a.pause = 30, a.offset = -3;
            ActionRecord back = CardActionToEffect(EffectToCardAction(a, r[0], r[1], r[2], r[3]));
            // "None" goes out as class 0, which the card also uses for "Static".
            EXPECT_EQ(back.effect, code == 0 ? kEffectStatic : code) << code << " width " << r[2] - r[0];
            EXPECT_EQ(back.speed, 21);
            EXPECT_EQ(back.repeat, 2);
            // The offset comes back for None, the moves, Static and Random (Snow's bytes 6-9 are the
            // place of its image set); the pause for all but Flash, Twinkle and the continuous moves.
            EXPECT_EQ(back.offset, code <= kEffectMoveDown || code >= kEffectStatic ? -3 : 0) << code;
            const bool noPause = code == kEffectFlash || code == kEffectTwinkle || code >= kEffectMoveLeftContinue;
            EXPECT_EQ(back.pause, noPause ? 0 : 30) << code;
        }
    }
    ActionRecord a;
    a.offset = -3, a.step = 0x1234, a.pause = 30;
    for (uint8_t code : {uint8_t(kEffectNone), uint8_t(kEffectCount), uint8_t(0xFF)}) {  // no card form
        a.effect = code;
        EXPECT_EQ(EffectToCardAction(a, 0, 0, 10, 10), a.ToBytes()) << int(code);
    }
    a.effect = kEffectDoor;
    CardAction door = EffectToCardAction(a, 0, 0, 97, 16);
    EXPECT_EQ((std::array<int, 3>{door[0], LoadU16(&door[8]), LoadU16(&door[10])}), (std::array<int, 3>{2, 48, 48}));

    CardAction c{};
    c[0] = 1, c[8] = 2, c[9] = 1;
    EXPECT_EQ(CardActionToEffect(c).effect, 31);
    c = {};
    c[0] = 2, c[6] = 1;
    EXPECT_EQ(CardActionToEffect(c).effect, 6);
    c[0] = 40;
    EXPECT_EQ(CardActionToEffect(c).effect, 40);

    const std::pair<uint8_t, int> classes[] = {{2, 0}, {4, 4}, {1, 1}, {3, 1}, {30, 30}, {31, 30}, {17, 0}};
    for (auto [code, cls] : classes) {
        a.effect = code;
        EXPECT_EQ(EffectMoveClass(a), cls) << int(code);
    }
}

TEST(Records, NewRecordsStartCleanAndDated) {
    ScopedClockOverride clock(LocalTime{2026, 3, 14, 9, 26, 53, 6, 0});
    ProgramSetRecord set;
    set.periods[5] = 77, set.dates[7].stop = 1;
    InitProgramSetRecord(set);
    const uint16_t today = PackDate(2026, 3, 14);
    for (const DateRange& d : set.dates) EXPECT_EQ(std::make_pair(d.start, d.stop), std::make_pair(today, today));
    EXPECT_EQ(set.periods[5], 0u);

    // A program keeps its kind; its cells, frames, actions and sounds start afresh.
    ProgramRecord p;
    p.content.header.kind = 255, p.content.cells[3] = TextCell(u'A', 0x10000000), p.musicPath[0] = u'x';
    p.rate = 9, p.soundAlign = 3;
    p.secondaryAction = ActionRecord::FromBytes(CardAction{9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9});
    p.mainAction = ActionRecord::FromBytes(CardAction{9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9});
    p.borderFrames.push_back(std::make_unique<RawImage>());
    InitProgramRecord(p, 0, 0, 64, 16);
    EXPECT_EQ(p.content.header.kind, 255);
    EXPECT_TRUE(p.content.cells[3].code == 0 && p.borderFrames.empty() && p.musicPath[0] == 0 && p.width() == 64);
    EXPECT_EQ(p.rate, 0);
    EXPECT_EQ(p.soundAlign, 0);
    EXPECT_EQ(p.mainAction.ToBytes(), (CardAction{1, 21, 0, 0, 30, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(p.secondaryAction.ToBytes(), (CardAction{0, 21, 0, 0, 30, 0, 0, 0, 0, 0, 0, 0}));
}
