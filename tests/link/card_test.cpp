#include "link/card.h"

#include <gtest/gtest.h>

#include "content/bytes.h"
#include "content/model/clock.h"
#include "link_test_util.h"

using namespace ledsuite;
using namespace ledsuite::testing;

namespace {

std::vector<uint8_t> Frame(uint8_t mark, uint8_t command, std::initializer_list<uint8_t> rest = {}) {
    std::vector<uint8_t> v{'V', 'U', 'Z', 'U', 'Z', 'E', mark, command};
    for (uint8_t b : rest) v.push_back(b);
    return v;
}

FakeCardScript CardAt(uint32_t baud, std::vector<uint8_t> info = MakeInfoReply(0, 2, 3)) {
    return {.baud = baud, .info = std::move(info)};
}

}  // namespace

TEST(CardFrames, AllFormsAndTheirLengths) {
    const std::pair<CardFrame, std::vector<uint8_t>> cases[] = {
        {CardFrame::Command(0xFE, CardCommand::Info), Frame(0xFE, 0x01)},
        {CardFrame::WithSubcommand(0x00, CardCommand::InfraredLearn, 2), Frame(0x00, 0x22, {2})},
        {CardFrame::WithLength(0x00, CardCommand::SendProgram, 1004), Frame(0x00, 0x08, {0xEC, 0x03, 0x00, 0x00})},
        {CardFrame::PagedSend(0xFE, 0x100, 255), Frame(0xFE, 0x1A, {0x00, 0x01, 0, 0, 0xFF, 0, 0, 0})},
        {CardFrame::DeletePage(0xFFFFFFFF), Frame(0x00, 0x05, {0x02, 0xFD, 0xFD, 0x02, 0xFF, 0xFF, 0xFF, 0xFF})},
    };
    for (const auto& [frame, bytes] : cases) {
        EXPECT_EQ(std::vector<uint8_t>(frame.view().begin(), frame.view().end()), bytes);
        EXPECT_EQ(frame.AdapterMark(), bytes[6]);
        EXPECT_EQ(CardFrameLength(bytes[7]), bytes.size());
    }
    EXPECT_EQ(CardFrameLength(0x06), 12u);
}

TEST(CardFrames, InfoReplyReadsOnlyWhatArrivedAndNameTablesAreGuarded) {
    // A reply as "model firmware type:value...".
    const auto parsed = [](std::vector<uint8_t> bytes, size_t arrived = SIZE_MAX) {
        const CardInfoReply r = CardInfoReply::Parse(std::span(bytes).first(std::min(arrived, bytes.size())));
        std::string s = std::to_string(r.model) + " " + std::to_string(r.firmware);
        for (auto [type, value] : r.pairs) s += " " + std::to_string(type) + ":" + std::to_string(value);
        return s;
    };
    EXPECT_EQ(parsed({0, 2, 8, 5, 0, 0, 0, 1, 1, 4, 0x31, 9}), "2 5 1:1 4:49");  // the odd byte is no pair
    EXPECT_EQ(parsed({0, 2, 8, 5, 0, 0, 0, 1, 1, 4, 0x31, 9}, 6), "2 0");  // the firmware number did not arrive
    EXPECT_EQ(parsed({0, 2, 4, 5, 0, 0, 0}), "2 5");                          // a firmware number and no pair
    // Bytes past what the reply announces are not its own.
    EXPECT_EQ(parsed({1, 3, 0, 9, 9, 9, 9, 1, 1}), "3 0");
    EXPECT_EQ(parsed({0, 2, 6, 5, 0, 0, 0, 1, 1, 4, 0x31}), "2 5 1:1");
    EXPECT_EQ(CardInfoReply::Parse({}).received, 0u);

    EXPECT_EQ(FlashSizeName(5), u"Unkonw");
    EXPECT_EQ(CardModelSizeName(6), u"");
    EXPECT_EQ(UCardSizeName(-1), u"");
    const std::u16string kinds[] = {u"Unkonw", u"Ctrl Card", u"U Card", u"RF2.4G Card", u"Ele Write Card", u"Unkonw"};
    for (int kind = -1; kind <= 4; ++kind) EXPECT_EQ(CardKindName(kind), kinds[kind + 1]);
    const std::u16string labels[] = {u"",          u"Terminal",   u"Type",  u"ID",   u"Series Com",
                                     u"Baud Rate", u"UDisk",      u"RS485", u"Page", u"Font Chip",
                                     u"Infrared",  u"Lyric Show", u"Interface Protocol",
                                     u"Program Flash", u"Audio Decoder", u"Audio Storage", u"Version", u""};
    for (int row = -1; row <= kCardInfoRows; ++row) EXPECT_EQ(CardInfoRowLabel(row), labels[row + 1]);
}

TEST(CardQuery, ReadsAsMuchAsTheReplyAnnounces) {
    std::vector<uint8_t> long29 = MakeInfoReply(0, 1, 7, std::vector<std::pair<uint8_t, uint8_t>>(12, {1, 1}));
    long29.push_back(0x55);  // length 4 + 24 + 1 = 29
    long29[2] = 29;
    FakeCard headOnly(CardAt(9600, {0, 2, 0, 0x55})), full(CardAt(9600, long29));
    headOnly.Start(), full.Start();
    ScopedPorts ports({headOnly.slavePath(), full.slavePath(), "/dev/ledsuite-missing"});

    std::array<uint8_t, 32> buf{};
    EXPECT_EQ(QueryCard({0, 2}, CardCommand::Info, buf), 3);  // a stray byte after a head of length 0 is not read
    EXPECT_EQ(QueryCard({0, 2}, CardCommand::Info, std::span(buf).first(4)), 3);
    EXPECT_EQ(QueryCard({1, 2}, CardCommand::Info, buf), 32);
    EXPECT_EQ(LoadU32(&buf[3]), 7u);
    EXPECT_EQ(QueryCard({2, 2}, CardCommand::Info, buf), 0);  // the port does not open
    FakeCardScript more = CardAt(9600, {0, 2, 1, 0x55});
    more.partitionSize = {{96, 256}};  // its third byte, 0, would end an information reply
    FakeCard oneMore(more);
    oneMore.Start();
    ScopedPorts third({oneMore.slavePath()});
    EXPECT_EQ(QueryCard({0, 2}, CardCommand::Info, buf), 4);
    EXPECT_EQ(buf[3], 0x55);
    EXPECT_EQ(QueryCard({0, 2}, CardCommand::PartitionSize, std::span(buf).first(4)), 4);  // others fill the buffer
    EXPECT_EQ(headOnly.log().frames.front(), Frame(0x00, 0x01));
}

TEST(CardProbe, AnswersOnlyAtTheCardsRate) {
    FakeCard card(CardAt(9600));
    card.Start();
    ScopedPorts ports({card.slavePath()});
    EXPECT_EQ(ProbeCardBaud(nullptr, {0, 8}, 50), -2);
    EXPECT_EQ(ProbeCardBaud(nullptr, {0, 2}, 50), 1);
    EXPECT_EQ(card.log().probeRates, (std::vector<uint32_t>{115200, 115200, 115200, 9600}));

    EXPECT_FALSE(ReadCardInfoThread({.port = {0, 2}, .cardType = 2}, nullptr, 50).adapterRemark);
    SerialPort given;  // a closed record receives the port and keeps it
    EXPECT_EQ(ProbeCardBaud(&given, {0, 2}, 50), 1);
    EXPECT_TRUE(given.isOpen());
    EXPECT_EQ(ProbeCardBaud(&given, {0, 2}, 50), 1);
    SerialClose(given);

    // Over a PL2303 adapter the probe and the queries carry the mark 0xFE.
    ScopedPl2303 adapter(card.slavePath());
    EXPECT_EQ(ProbeCardBaud(nullptr, {0, 2}, 50), 1);
    std::array<uint8_t, 2> id{};
    EXPECT_EQ(QueryCard({0, 2}, CardCommand::CardId, id), 2);
    const FakeCardLog log = card.log();
    EXPECT_EQ(log.frames[log.frames.size() - 2], Frame(0xFE, 0xFF));
    EXPECT_EQ(log.frames.back(), Frame(0xFE, 0x17));
    const CardInfoResult r = ReadCardInfoThread({.port = {0, 2}, .cardType = 2}, nullptr, 50);
    EXPECT_TRUE(r.adapterRemark);
    EXPECT_FALSE(r.portSettingsChanged);
    EXPECT_EQ(AdapterRemarkText(),
              u"Remark: THe USB-to-serial is instable, if occur to link failed, send or upload programs failed, please "
              u"pull and re-plug the device");
}

TEST(CardSearch, FindsTheCardOnTheSecondPortAtItsRate) {
    FakeCard silent1(CardAt(0)), card(CardAt(115200)), silent2(CardAt(0));
    silent1.Start(), card.Start(), silent2.Start();
    ScopedPorts ports({silent1.slavePath(), card.slavePath(), silent2.slavePath()});

    std::vector<std::u16string> texts;
    SearchProgress progress;
    progress.show = [&](const std::u16string& t) { texts.push_back(t); };
    PortSetting setting{0, 2};
    EXPECT_EQ(SearchCardPorts(setting, &progress, 25), SearchOutcome::Found);
    EXPECT_EQ(setting, (PortSetting{1, 8}));
    // Every port at the screen's own rate first, then port by port through every rate.
    ASSERT_EQ(texts.size(), 3u + 9u + 9u);
    EXPECT_EQ(texts[0], u"Interface\tRS232\r\nSeries Com\t1\r\nBaud Rate\t9600");
    EXPECT_EQ(texts[2], u"Interface\tRS232\r\nSeries Com\t3\r\nBaud Rate\t9600");
    EXPECT_EQ(texts[3], u"Interface\tRS232\r\nSeries Com\t1\r\nBaud Rate\t2400");
    EXPECT_EQ(texts.back(), u"Interface\tRS232\r\nSeries Com\t2\r\nBaud Rate\t115200");

    // A rate index outside the table skips the first pass and still finds the card; a port
    // that does not open is not tried again at the other rates.
    ScopedPorts missingFirst({"/dev/ledsuite-missing", card.slavePath()});
    texts.clear();
    setting = {0, 9};
    EXPECT_EQ(SearchCardPorts(setting, &progress, 25), SearchOutcome::Found);
    EXPECT_EQ(setting, (PortSetting{1, 8}));
    EXPECT_EQ(texts.size(), 1u + 9u);
}

TEST(CardSearch, StopsWhenAskedAndRestoresTheSetting) {
    FakeCard silent1(CardAt(0)), card(CardAt(9600)), silent2(CardAt(0));
    silent1.Start(), card.Start(), silent2.Start();
    ScopedPorts ports({silent1.slavePath(), card.slavePath(), silent2.slavePath()});

    std::atomic<bool> stop{false};
    SearchProgress progress;
    progress.stop = &stop;
    progress.show = [&](const std::u16string&) { stop = true; };  // after the first probe starts
    PortSetting setting{0, 2};
    EXPECT_EQ(SearchCardPorts(setting, &progress, 25), SearchOutcome::Stopped);
    EXPECT_EQ(setting, (PortSetting{0, 2}));
    EXPECT_EQ(progress.comNumber, 1);
    EXPECT_EQ(card.log().count(0xFF), 0u);

    // A stop asked for during the probe that finds the card: the worker queries nothing.
    ScopedPorts cardOnly({card.slavePath()});
    stop = false;
    CardInfoResult r = ReadCardInfoThread({.port = {0, 2}}, &progress, 50);
    EXPECT_EQ(r.outcome, SearchOutcome::Stopped);
    EXPECT_FALSE(r.portSettingsChanged);
    EXPECT_EQ(card.log().count(0x01) + card.log().count(0x17), 0u);
}

TEST(CardInfo, FillsTheRowsFromTheReplyOrSaysWhyNot) {
    FakeCardScript s = CardAt(
        19200, MakeInfoReply(0, 7, 5, {{1, 1}, {3, 0}, {4, 0x31}, {6, 12}, {8, 0}, {10, 2}, {13, 3}, {14, 5}, {99, 1}}));
    s.cardId = 513;
    FakeCard card(s), old(CardAt(9600, MakeInfoReply(1, 4, 2, {{1, 1}})));
    card.Start(), old.Start();
    ScopedPorts ports({card.slavePath(), old.slavePath()});
    LinkTarget target{.port = {0, 4}, .cardType = 2};
    CardInfoResult r = ReadCardInfoThread(target, nullptr, 50);
    ASSERT_EQ(r.outcome, SearchOutcome::Found);
    EXPECT_EQ(r.target.cardType, 7);  // the card's model; no size name exists for it
    EXPECT_EQ(r.target.firmware, 5u);
    EXPECT_EQ(r.target.cardSubtype, 5);  // the page pair came before the version pair
    EXPECT_TRUE(r.portSettingsChanged);
    const std::array<std::u16string, kCardInfoRows> expected = {
        u"Ctrl Card",   u"ZU Serial Com-Page", u"513",         u"1",           u"19200(Fixed)", u"Supported",
        u"Unsupported", u"Supported",          u"KIPFC16S2W4", u"Unsupported", u"Unsupported",  u"2",
        u"32Mb",        u"SSF, WAV",           u"----",        u"V1.0.0.12"};
    EXPECT_EQ(r.values, expected);

    // Old firmware: no pairs are read; a U-disk card keeps the screen's type.
    target.port = {1, 2};
    r = ReadCardInfoThread(target, nullptr, 50);
    ASSERT_EQ(r.outcome, SearchOutcome::Found);
    EXPECT_FALSE(r.portSettingsChanged);
    EXPECT_EQ(r.target.cardType, 2);
    EXPECT_EQ(r.values[0], u"U Card");
    EXPECT_EQ(r.values[1], u"ZU20K Serial Com/UDisk");
    EXPECT_EQ(r.values[4], u"9600(Unfixed)");
    EXPECT_EQ(r.values[5], u"Unkonw");
    EXPECT_EQ(r.values[15], u"1.0.0.1002");

    // Searches that fail say why and fill no row.
    target.port = {0, 2};
    FakeCard deaf(CardAt(0));
    deaf.Start();
    const std::pair<std::vector<std::string>, std::u16string> failures[] = {
        {{}, u"No series port found"},
        {{"/dev/ledsuite-missing"}, u"Series port 1 doesn't exist or has been opened by other application"},
        {{"/dev/ledsuite-missing", deaf.slavePath()}, u"No LED Display Control Card found"},
    };
    for (const auto& [paths, status] : failures) {
        ScopedPorts listed(paths);
        r = ReadCardInfoThread(target, nullptr, 50);
        EXPECT_EQ(r.status, status);
        EXPECT_EQ(r.values, decltype(r.values){}) << paths.size();
        EXPECT_FALSE(r.portSettingsChanged);
    }
}

TEST(CardCommands, PowerAndClock) {
    FakeCard card(CardAt(9600)), silent({.baud = 9600, .info = {0, 2, 0}, .answerPower = false, .answerClock = false});
    FakeCard six({.baud = 9600, .clockAnswer = {0x01, 2, 3, 4, 5, 6}});
    card.Start(), silent.Start(), six.Start();
    ScopedPorts ports({card.slavePath(), silent.slavePath(), six.slavePath()});
    ScopedPl2303 adapter(card.slavePath());  // these commands carry the mark 0x00 on every adapter
    LinkTarget target{.port = {0, 2}};
    EXPECT_EQ(SetScreenPower(target, false), LinkStatus::Ok);
    ScopedClockOverride clock(LocalTime{2009, 3, 7, 14, 5, 9, 6});
    EXPECT_EQ(SyncCardClock(target), LinkStatus::Ok);
    FakeCardLog log = card.log();
    EXPECT_EQ(log.frames, (std::vector<std::vector<uint8_t>>{Frame(0x00, 0x03), Frame(0x00, 0x16), Frame(0x00, 0x12)}));
    EXPECT_EQ(log.clock, (std::vector<uint8_t>{0x09, 0x05, 0x14, 0x07, 0x03, 0x06, 0x09, 0x00}));

    target.port.comIndex = 1;
    EXPECT_EQ(SetScreenPower(target, true), LinkStatus::NoAnswer);
    const std::u16string noCard = u"No Ctrl Card found, \nplease check the cable connection";
    const std::u16string noPort =
        u"Failed to open serial port, \nplease check it whether exists and isn't taken by other program";
    EXPECT_EQ(PowerMessage(LinkStatus::NoAnswer, true), noCard);
    EXPECT_EQ(PowerMessage(LinkStatus::PortFailed, false), noPort);
    EXPECT_EQ(PowerMessage(LinkStatus::Ok, true), u"Succeeded to power on");
    EXPECT_EQ(PowerMessage(LinkStatus::Ok, false), u"Succeeded to power off");
    EXPECT_EQ(ClockMessage(LinkStatus::Ok), u"Succeeded to syn time");
    EXPECT_EQ(ClockMessage(LinkStatus::NoAnswer), noCard);
    EXPECT_EQ(ClockMessage(LinkStatus::PortFailed), noPort);
    EXPECT_EQ(SyncCardClock(target), LinkStatus::NoAnswer);
    // A clock answer of one byte and five more: the sixth ends the read, the 100 ms wait is not sat out.
    target.port.comIndex = 2;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(SyncCardClock(target), LinkStatus::Ok);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(90));
    target.port.comIndex = 5;
    EXPECT_EQ(SyncCardClock(target), LinkStatus::PortFailed);
}

namespace {
// The information list of a card playing `script`, for a screen of card type `cardType`.
CardInfoResult InfoFrom(FakeCardScript script, uint8_t cardType) {
    FakeCard card(std::move(script));
    card.Start();
    ScopedPorts ports({card.slavePath()});
    return ReadCardInfoThread({.port = {0, 2}, .cardType = cardType}, nullptr, 50);
}
// The information list of a control card of model `model` answering with `pairs`.
CardInfoResult InfoOf(std::vector<std::pair<uint8_t, uint8_t>> pairs, uint32_t firmware = 3, uint8_t model = 2) {
    return InfoFrom(CardAt(9600, MakeInfoReply(0, model, firmware, pairs)), model);
}
}  // namespace

TEST(CardInfo, TheHeadAloneGivesFamilyAndModelAShorterReplyNothing) {
    FakeCardScript noId = CardAt(9600, {0, 4, 0});
    noId.cardId = 7;
    noId.replyDelays[0x17] = 1600;  // the ID comes too late
    CardInfoResult r = InfoFrom(noId, 2);
    EXPECT_EQ(r.target.cardModel, 4);
    EXPECT_EQ(r.target.cardType, 4);
    EXPECT_TRUE(r.portSettingsChanged);
    EXPECT_EQ(r.values[1], u"ZU64K Serial Com/UDisk");
    EXPECT_EQ(r.values[15], u"1.0.0.1000");
    EXPECT_EQ(r.values[2], u"0");
    r = InfoFrom(CardAt(9600, {0, 4}), 2);  // the head's read waits its whole time and brings nothing
    EXPECT_EQ(r.target.cardModel, 0);
    EXPECT_EQ(r.target.cardType, 2);
    EXPECT_FALSE(r.portSettingsChanged);
}

TEST(CardInfo, EveryPairTypeSetsItsRowAndTheCommunicationMode) {
    constexpr int kType = 1, kUDisk = 5, kRs485 = 6, kPage = 7, kFontChip = 8, kInfrared = 9, kProtocol = 11, kFlash = 12;
    constexpr int kDecoder = 13;
    // (pairs, the "Type" row)
    const std::pair<std::vector<std::pair<uint8_t, uint8_t>>, std::u16string> modes[] = {
        {{}, u"ZU20K Serial Com/UDisk"},
        {{{3, 0}}, u"ZU20K Serial Com-Page"},
        {{{4, 1}}, u"ZU20K Serial Com/UDisk"},
        {{{7, 0}}, u"ZU20K GPRS"},
        {{{7, 1}}, u"ZU20K SMS"},
        {{{7, 2}}, u"ZU20K GPRS-TTS"},
        {{{7, 3}}, u"ZU20K SMS-TTS"},
        {{{15, 4}}, u"ZU20K Asyn Voice-Ⅱ"},
        {{{15, 0xFF}}, u"ZU20K Asyn Voice-Ⅰ"},
        {{{15, 1}}, u"ZU20K Asyn Voice-Ⅲ"},
        {{{14, 1}}, u"ZU20K Asyn Voice-Ⅰ"},
        {{{6, 1}, {3, 0}, {14, 1}}, u"ZU20K Synch Voice"},  // only the first of these sets the mode
        {{{3, 0}, {7, 1}}, u"ZU20K SMS"},                   // 7 and 15 set it whatever came before
        {{{6, 1}, {15, 4}}, u"ZU20K Asyn Voice-Ⅱ"},
    };
    for (const auto& [pairs, type] : modes) EXPECT_EQ(InfoOf(pairs).values[kType], type) << pairs.size();
    EXPECT_EQ(InfoOf({{7, 3}}).target.cardSubtype, 11);

    // (pair, row, text)
    const std::tuple<std::pair<uint8_t, uint8_t>, int, std::u16string> rows[] = {
        {{2, 0}, kRs485, u"Supported"},          {{5, 0}, kInfrared, u"Supported"},
        {{3, 0}, kPage, u"Supported"},           {{4, 1}, kPage, u"Unsupported"},
        {{4, 0xFF}, kFontChip, u"Custom"},       {{4, 0x01}, kFontChip, u"KIPFC16S2W1"},
        {{4, 0x21}, kFontChip, u"KIPFC16S2W1"},  {{4, 0x32}, kFontChip, u"KIPFC24S3W1"},
        {{4, 0x03}, kFontChip, u"KIPFC32S4W1"},  {{4, 0x04}, kFontChip, u"KIPFC48S5W1"},
        {{4, 0x05}, kFontChip, u"KIPFC64S6W1"},  {{4, 0x06}, kFontChip, u"Unsupported"},
        {{4, 0x00}, kFontChip, u"Unsupported"},  {{14, 7}, kDecoder, u"SSF, MP3, WAV"},
        {{14, 2}, kDecoder, u"MP3"},             {{14, 0x0F}, kDecoder, u"SSF, MP3, WAV"},             {{14, 6}, kDecoder, u"MP3, WAV"},
        {{13, 0}, kFlash, u"4Mb"},               {{13, 4}, kFlash, u"64Mb"},
        {{13, 5}, kFlash, u"Unkonw"},            {{10, 7}, kProtocol, u"7"},
        {{1, 0}, kUDisk, u"Supported"},          {{9, 1}, kUDisk, u"Unsupported"},
    };
    for (const auto& [pair, row, text] : rows) EXPECT_EQ(InfoOf({pair}).values[row], text) << int(pair.first);
    // From firmware 3 on the pairs count; before, "UDisk" is unknown and the rest unsupported.
    EXPECT_EQ(InfoOf({{2, 0}}, 2).values[kRs485], u"Unsupported");
    EXPECT_EQ(InfoOf({{2, 0}}, 2).values[kUDisk], u"Unkonw");
    // The size names of the "Type" row by card type.
    const std::u16string sizes[] = {u"04K", u"10K", u"20K", u"40K", u"64K", u"128K"};
    for (uint8_t model = 0; model < 6; ++model)
        EXPECT_EQ(InfoOf({}, 3, model).values[kType], u"ZU" + sizes[model] + u" Serial Com/UDisk");
}
