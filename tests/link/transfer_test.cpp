#include "link/transfer.h"

#include <gtest/gtest.h>

#include "content/bytes.h"
#include "link_test_util.h"

using namespace ledsuite;
using namespace ledsuite::testing;

namespace {

const TransferControl kQuick{.timeouts = {kWaitMs, kWaitMs}};
const LinkTarget kTarget{.port = {0, 8}, .cardType = 2};

int Send(size_t bytes, const TransferControl& control = kQuick, TransferMode mode = TransferMode::Program) {
    return SendTransfer(kTarget, mode, Image(bytes), control).code;
}

std::vector<size_t> Pieces(size_t count, size_t size, size_t rest) {
    std::vector<size_t> v(count, size);
    v.push_back(rest);
    return v;
}

}  // namespace

TEST(SendTransfer, SendsAcknowledgedBlocksAndThePaddedRemainder) {
    CardOnPort c;
    std::vector<int> progress;
    TransferControl control = kQuick;
    control.progress = [&](int p) { progress.push_back(p); };
    EXPECT_EQ(Send(1001, control), TransferResult::kSent);
    FakeCardLog log = c.card.log();
    ASSERT_EQ(log.frames.size(), 2u);
    EXPECT_EQ(log.frames[1][7], 0x08);
    EXPECT_EQ(LoadU32(&log.frames[1][8]), 1004u);
    EXPECT_EQ(log.blocks, Pieces(7, 128, 108));
    auto expected = Image(1001);
    expected.insert(expected.end(), {0xFF, 0xFF, 0xFF});
    EXPECT_EQ(log.data, expected);
    EXPECT_EQ(progress, (std::vector<int>{0, 12, 25, 38, 50, 63, 76, 89, 100}));
}

TEST(SendTransfer, CardCheckAnnouncementAndStatusBytesDecide) {
    struct Case {
        FakeCardScript script;
        int code;
        size_t announcements, dataBytes;
    };
    const Case cases[] = {
        {{.info = MakeInfoReply(0, 3, 3)}, TransferResult::kTypeMismatch, 0, 0},
        {{.info = MakeInfoReply(4, 9, 3)}, TransferResult::kSent, 1, 64},  // family 4 and above: no type comparison
        {{.baud = 0}, TransferResult::kNoCard, 0, 0},                     // nothing answers the information query
        {{.info = {0, 2, 4, 3, 0, 0}}, TransferResult::kNoCard, 0, 0},    // four bytes announced, three sent
        {{.silentAnnouncements = 1}, TransferResult::kSent, 2, 64},
        {{.silentAnnouncements = 2}, TransferResult::kSent, 3, 64},
        {{.silentAnnouncements = 3}, TransferResult::kSendTimeout, 3, 0},  // three times at most
        {{.announceStatus = 9}, TransferResult::kSendTimeout, 1, 0},       // nothing is sent after a refusal
        {{.finalStatus = 3}, TransferResult::kSendTimeout, 1, 64},
        // The answer's last byte comes alone, in a later read.
        {{.announceTailDelayMs = kWaitMs * 3 / 2}, TransferResult::kSent, 1, 64},
    };
    for (const Case& k : cases) {
        CardOnPort c(k.script);
        EXPECT_EQ(Send(64), k.code);
        const FakeCardLog log = c.card.log();
        EXPECT_EQ(log.count(0x08), k.announcements) << k.code;
        EXPECT_EQ(log.data.size(), k.dataBytes) << k.code;
    }
    ScopedPorts none({});
    EXPECT_EQ(Send(64), TransferResult::kSendPortFailed);
    EXPECT_EQ(Send(0), TransferResult::kNothingToSend);
}

TEST(SendTransfer, LateAcknowledgementIsNotResentTwoMissedOnesTimeOut) {
    {
        CardOnPort late({.ackDelays = {{3, kWaitMs * 3 / 2}}});  // inside the second wait
        EXPECT_EQ(Send(1001), TransferResult::kSent);
        EXPECT_EQ(late.card.log().blocks, Pieces(7, 128, 108));
        EXPECT_EQ(late.card.log().data.size(), 1004u);
    }
    CardOnPort missed({.ackDelays = {{2, -1}}});
    EXPECT_EQ(Send(1001), TransferResult::kSendTimeout);
    EXPECT_EQ(missed.card.log().blocks.size(), 3u);
}

TEST(SendTransfer, StopsWhenAsked) {
    CardOnPort c;
    std::atomic<bool> stop{false};
    TransferControl control = kQuick;
    control.stop = &stop;
    control.progress = [&](int p) { stop = p >= 50; };
    EXPECT_EQ(Send(1001, control), TransferResult::kSendStopped);
    EXPECT_EQ(c.card.log().blocks.size(), 4u);
}

TEST(SendTransfer, APl2303BehindAStableLinkSendsSixteenByteBlocks) {
    FakeCard card(CardOnPort::TypeTwo({}));
    card.Start();
    ScopedPl2303 adapter(card.slavePath());
    TempDir dev;
    const fs::path link = dev.path / "usb-Prolific_Technology_Inc._USB-Serial_Controller-if00-port0";
    fs::create_symlink(card.slavePath(), link);
    ScopedPorts ports({link.string()});
    EXPECT_EQ(Send(1001, kQuick, TransferMode::Hardware), TransferResult::kSent);
    const FakeCardLog log = card.log();
    ASSERT_EQ(log.frames.size(), 2u);
    EXPECT_EQ(log.frames[0][6], 0xFE);
    EXPECT_EQ(log.frames[1][6], 0xFE);
    EXPECT_EQ(log.frames[1][7], 0x06);
    EXPECT_EQ(log.blocks, Pieces(62, 16, 12));
}

// What each adapter needs, known from the adapter alone (the fake card sizes its blocks
// from the frame's mark, so it agrees with any mark the program sends).
TEST(SendTransfer, EachAdapterGetsItsOwnMarkAndBlockSize) {
    struct Case {
        Adapter adapter;
        uint8_t chip, mark;
        size_t block;
    };
    const Case cases[] = {
        {kPl2303, kChipPl2303, 0xFE, 16},         {kCh340, kChipCh340, 0x00, 128},
        {{"1a86", "5523"}, kChipCh340, 0x00, 128}, {{"0403", "6001"}, kChipOtherUsb, 0x00, 128},
        {kOnBoard, kChipNotUsb, 0x00, 128},       {kNoEntry, kChipNone, 0x00, 128},
    };
    for (const Case& c : cases) {
        const std::string name = c.adapter.vid + ":" + c.adapter.pid;
        FakeCard card(CardOnPort::TypeTwo({}));
        card.Start();
        ScopedAdapter adapter(card.slavePath(), c.adapter);
        ScopedPorts ports({card.slavePath()});
        EXPECT_EQ(DetectUsbSerialChip(card.slavePath()), c.chip) << name;
        EXPECT_EQ(Send(1001), TransferResult::kSent) << name;
        const FakeCardLog log = card.log();
        ASSERT_EQ(log.frames.size(), 2u) << name;
        for (const auto& frame : log.frames) EXPECT_EQ(frame[6], c.mark) << name;
        EXPECT_EQ(log.blocks, Pieces(1004 / c.block, c.block, 1004 % c.block)) << name;
    }
}

TEST(TransferMessages, SuccessNamesTheModeFailuresThePortAndUnknownCodesNothing) {
    EXPECT_EQ(SendResultMessage(0, TransferMode::Program, 1), u"Send program successfully");
    EXPECT_EQ(SendResultMessage(TransferResult::kSendPortFailed, TransferMode::Program, 4),
              u"Series port 4 doesn't exist or has been opened by other application");
    EXPECT_EQ(SendResultMessage(TransferResult::kSendStopped, TransferMode::Program, 1), u"");
    EXPECT_EQ(SendResultMessage(0x7777, TransferMode::Program, 1), u"");  // no unknown code reads as success
    EXPECT_EQ(ReadBackResultMessage(0, TransferMode::Hardware, 1), u"Read hardware parameter successfully");
    EXPECT_EQ(ReadBackResultMessage(TransferResult::kNoData, TransferMode::Program, 1), u"No data");
}

TEST(ReadBackTransfer, ReadsEightByteChunksAndTheRemainder) {
    CardOnPort c({.readBackData = Image(100)});
    const TransferResult r = ReadBackTransfer(kTarget, TransferMode::Program, 0x100000, kQuick);
    EXPECT_EQ(r.code, TransferResult::kRead);
    EXPECT_EQ(r.data, Image(100));
    EXPECT_EQ(c.card.log().frames.back(), (std::vector<uint8_t>{'V', 'U', 'Z', 'U', 'Z', 'E', 0x00, 0x09}));
    EXPECT_EQ(c.card.log().requests, 13u);  // one before each of the 12 chunks and one for the remainder

    std::vector<int> progress;
    TransferControl control = kQuick;
    control.progress = [&](int p) { progress.push_back(p); };
    EXPECT_EQ(ReadBackTransfer(kTarget, TransferMode::Program, 0x100000, control).code, TransferResult::kRead);
    EXPECT_EQ(progress, (std::vector<int>{0, 8, 16, 24, 32, 40, 48, 56, 64, 72, 80, 88, 96, 100}));
    CardOnPort forty({.readBackData = Image(40)});
    progress.clear();
    EXPECT_EQ(ReadBackTransfer(kTarget, TransferMode::Program, 0x100000, control).data, Image(40));
    EXPECT_EQ(progress, (std::vector<int>{0, 20, 40, 60, 80, 100, 100}));
}

TEST(ReadBackTransfer, AnnouncedLengthDecides) {
    // (bytes the card holds, the length it announces, capacity, result, bytes returned)
    const std::tuple<size_t, std::optional<uint32_t>, size_t, int, size_t> cases[] = {
        {64, 31, 1024, TransferResult::kNoData, 0},
        {32, {}, 32, TransferResult::kRead, 32},  // 32 bytes are data, and exactly fill the buffer
        {64, {}, 63, TransferResult::kOutOfRange, 0},
        {60, 64, 1024, TransferResult::kReadTimeout, 0},  // the last chunk never comes
    };
    for (const auto& [held, announced, capacity, code, returned] : cases) {
        CardOnPort c({.readBackData = Image(held), .readBackLength = announced});
        const TransferResult r = ReadBackTransfer(kTarget, TransferMode::Hardware, capacity, kQuick);
        EXPECT_EQ(r.code, code) << held;
        EXPECT_EQ(r.data, Image(returned)) << held;
    }
    ScopedPorts none({});
    EXPECT_EQ(ReadBackTransfer(kTarget, TransferMode::Hardware, 1024, kQuick).code, TransferResult::kReadPortFailed);
}

TEST(Transfers, ACardThatHangsUpEndsThemAtOnceWithTheTimeoutMessage) {
    // The production waits: on a dead line none of them may be sat out.
    const TransferControl production{};
    for (int block : {0, 3}) {
        CardOnPort c({.hangUpAtBlock = block});
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Send(1001, production), TransferResult::kSendTimeout) << block;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000)) << block;
        EXPECT_EQ(c.card.log().blocks.size(), size_t(block) + 1);
    }
    EXPECT_EQ(SendResultMessage(TransferResult::kSendTimeout, TransferMode::Program, 1),
              u"Download timeout, please check the cable connection");
    CardOnPort c({.readBackData = Image(100), .hangUpAtRequest = 2});
    const auto start = std::chrono::steady_clock::now();
    const TransferResult r = ReadBackTransfer(kTarget, TransferMode::Program, 0x100000, production);
    EXPECT_EQ(r.code, TransferResult::kReadTimeout);
    EXPECT_TRUE(r.data.empty());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
    EXPECT_EQ(ReadBackResultMessage(r.code, TransferMode::Program, 1),
              u"Upload timed out, please check the cable connection.");
}

TEST(ReadBackTransfer, Pl2303QuestionCanDecline) {
    CardOnPort c({.readBackData = Image(64)});
    ScopedPl2303 adapter(c.card.slavePath());
    int asked = 0;
    TransferControl control = kQuick;
    control.confirmSlowUpload = [&] { return ++asked > 1; };
    EXPECT_EQ(ReadBackTransfer(kTarget, TransferMode::Program, 1024, control).code, TransferResult::kDeclined);
    EXPECT_EQ(ReadBackTransfer(kTarget, TransferMode::Program, 1024, control).code, TransferResult::kRead);
    EXPECT_EQ(ReadBackTransfer(kTarget, TransferMode::Hardware, 1024, control).code, TransferResult::kRead);
    EXPECT_EQ(asked, 2);  // the hardware block is not asked about
    const FakeCardLog log = c.card.log();
    ASSERT_EQ(log.frames.size(), 2u);
    EXPECT_EQ(log.frames[0], (std::vector<uint8_t>{'V', 'U', 'Z', 'U', 'Z', 'E', 0xFE, 0x09}));
    EXPECT_EQ(log.frames[1][7], 0x07);
}

TEST(LinkTargetFromScreen, TheScreenRecordChoosesPortRateAndCardType) {
    HardwareParams screen{.cardType = 3, .cardSubtype = 5, .comIndex = 1, .baudIndex = 8};
    EXPECT_EQ(LinkTargetFromScreen(screen).port.packed(), 1u | 8u << 16);
    EXPECT_EQ(LinkTargetFromScreen(screen).cardSubtype, 5);

    // COM index 1 is the card; index 0 is a line where nothing answers.
    FakeCard card(CardOnPort::TypeTwo({})), mute;
    card.Start(), mute.Start();
    ScopedPorts ports({mute.slavePath(), card.slavePath()});
    auto send = [&] { return SendTransfer(LinkTargetFromScreen(screen), TransferMode::Program, Image(64), kQuick).code; };
    EXPECT_EQ(send(), TransferResult::kTypeMismatch);
    screen.cardType = 2;
    EXPECT_EQ(send(), TransferResult::kSent);
    screen.baudIndex = 2;  // 9600: the card, at 115200, hears nothing
    EXPECT_EQ(send(), TransferResult::kNoCard);
    screen.baudIndex = 9;  // outside the rate table: the port does not open
    EXPECT_EQ(send(), TransferResult::kSendPortFailed);
}
