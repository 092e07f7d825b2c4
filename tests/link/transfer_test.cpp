#include "link/transfer.h"

#include <gtest/gtest.h>

#include <numeric>

#include "content/bytes.h"
#include "link_test_util.h"
#include "tools/fakecard.h"

using namespace ledsuite;
using namespace ledsuite::testing;

namespace {

constexpr int kWaitMs = 200;  // every answer's wait in these tests

TransferControl Quick() {
    TransferControl c;
    c.timeouts = {kWaitMs, kWaitMs};
    return c;
}

std::vector<uint8_t> Image(size_t n) {
    std::vector<uint8_t> v(n);
    std::iota(v.begin(), v.end(), uint8_t(1));
    return v;
}

LinkTarget Target(uint8_t cardType = 2) {
    LinkTarget t;
    t.port = {0, 8};
    t.cardType = cardType;
    return t;
}

// One fake card of type 2 on COM index 0.
struct CardOnPort {
    FakeCard card;
    ScopedPorts ports;
    explicit CardOnPort(FakeCardScript s) : card(Prepared(std::move(s))), ports({card.slavePath()}) { card.Start(); }
    static FakeCardScript Prepared(FakeCardScript s) {
        if (s.info.empty()) s.info = MakeInfoReply(0, 2, 3);
        return s;
    }
};

// A script with some fields changed.
template <class F>
FakeCardScript Script(F change) {
    FakeCardScript s;
    change(s);
    return s;
}

std::vector<size_t> Pieces(size_t count, size_t size, size_t rest) {
    std::vector<size_t> v(count, size);
    v.push_back(rest);
    return v;
}

}  // namespace

TEST(SendTransfer, SendsAcknowledgedBlocksAndThePaddedRemainder) {
    CardOnPort c({});
    std::vector<int> progress;
    TransferControl control = Quick();
    control.progress = [&](int p) { progress.push_back(p); };
    const auto image = Image(1001);
    EXPECT_EQ(SendTransfer(Target(), TransferMode::Program, image, control).code, TransferResult::kSent);

    FakeCardLog log = c.card.log();
    ASSERT_EQ(log.frames.size(), 2u);
    EXPECT_EQ(log.frames[1][7], 0x08);
    EXPECT_EQ(LoadU32(&log.frames[1][8]), 1004u);
    EXPECT_EQ(log.blocks, Pieces(7, 128, 108));
    auto expected = image;
    expected.insert(expected.end(), {0xFF, 0xFF, 0xFF});
    EXPECT_EQ(log.data, expected);
    EXPECT_EQ(progress, (std::vector<int>{0, 12, 25, 38, 50, 63, 76, 89, 100}));
    EXPECT_EQ(SendResultMessage(0, TransferMode::Program, 1), u"Send program successfully");
}

TEST(SendTransfer, Pl2303AdapterSendsSixteenByteBlocks) {
    CardOnPort c({});
    ScopedPl2303 adapter(c.card.slavePath());
    EXPECT_EQ(SendTransfer(Target(), TransferMode::Hardware, Image(1001), Quick()).code, TransferResult::kSent);
    FakeCardLog log = c.card.log();
    ASSERT_EQ(log.frames.size(), 2u);
    EXPECT_EQ(log.frames[0][6], 0xFE);
    EXPECT_EQ(log.frames[1][6], 0xFE);
    EXPECT_EQ(log.frames[1][7], 0x06);
    EXPECT_EQ(log.blocks, Pieces(62, 16, 12));
}

TEST(SendTransfer, ChecksTheCardBeforeAnnouncing) {
    {
        CardOnPort other(Script([&](FakeCardScript& s) { s.info = MakeInfoReply(0, 3, 3); }));
        EXPECT_EQ(SendTransfer(Target(2), TransferMode::Program, Image(64), Quick()).code,
                  TransferResult::kTypeMismatch);
        EXPECT_EQ(other.card.log().count(0x08), 0u);
    }
    {
        CardOnPort uCard(Script(
            [&](FakeCardScript& s) { s.info = MakeInfoReply(4, 9, 3); }));  // family 4 and above: no type comparison
        EXPECT_EQ(SendTransfer(Target(2), TransferMode::Program, Image(64), Quick()).code, TransferResult::kSent);
    }
    {
        FakeCard mute;  // no information reply
        mute.Start();
        ScopedPorts ports({mute.slavePath()});
        EXPECT_EQ(SendTransfer(Target(), TransferMode::Program, Image(64), Quick()).code, TransferResult::kNoCard);
    }
    ScopedPorts none({});
    EXPECT_EQ(SendTransfer(Target(), TransferMode::Program, Image(64), Quick()).code, TransferResult::kSendPortFailed);
    EXPECT_EQ(SendTransfer(Target(), TransferMode::Program, {}, Quick()).code, TransferResult::kNothingToSend);
    EXPECT_EQ(SendResultMessage(TransferResult::kTypeMismatch, TransferMode::Program, 1),
              u"Control Card type doesn't match");
    EXPECT_EQ(SendResultMessage(TransferResult::kNoCard, TransferMode::Program, 1), u"No control card found");
    EXPECT_EQ(SendResultMessage(TransferResult::kSendPortFailed, TransferMode::Program, 4),
              u"Series port 4 doesn't exist or has been opened by other application");
    EXPECT_EQ(SendResultMessage(0x7777, TransferMode::Program, 1), u"");  // no unknown code reads as success
}

TEST(SendTransfer, LateAcknowledgementIsNotResent) {
    CardOnPort c(Script([&](FakeCardScript& s) { s.ackDelays = {{3, kWaitMs * 3 / 2}}; }));
    const auto image = Image(1001);
    EXPECT_EQ(SendTransfer(Target(), TransferMode::Program, image, Quick()).code, TransferResult::kSent);
    FakeCardLog log = c.card.log();
    EXPECT_EQ(log.blocks, Pieces(7, 128, 108));
    EXPECT_TRUE(std::equal(image.begin(), image.end(), log.data.begin()));
}

TEST(SendTransfer, TwoMissedAcknowledgementsTimeOut) {
    CardOnPort c(Script([&](FakeCardScript& s) { s.ackDelays = {{2, -1}}; }));
    EXPECT_EQ(SendTransfer(Target(), TransferMode::Program, Image(1001), Quick()).code, TransferResult::kSendTimeout);
    EXPECT_EQ(c.card.log().blocks.size(), 3u);
    EXPECT_EQ(SendResultMessage(TransferResult::kSendTimeout, TransferMode::Program, 1),
              u"Download timeout, please check the cable connection");
}

TEST(SendTransfer, UnansweredAnnouncementIsRepeatedAndStatusBytesDecide) {
    CardOnPort c(Script([&](FakeCardScript& s) { s.silentAnnouncements = 1; }));
    EXPECT_EQ(SendTransfer(Target(), TransferMode::Program, Image(300), Quick()).code, TransferResult::kSent);
    EXPECT_EQ(c.card.log().count(0x08), 2u);
    CardOnPort refused(Script([&](FakeCardScript& s) { s.announceStatus = 9; }));
    EXPECT_EQ(SendTransfer(Target(), TransferMode::Program, Image(300), Quick()).code, TransferResult::kSendTimeout);
    CardOnPort unfinished(Script([&](FakeCardScript& s) { s.finalStatus = 3; }));
    EXPECT_EQ(SendTransfer(Target(), TransferMode::Program, Image(300), Quick()).code, TransferResult::kSendTimeout);
    EXPECT_EQ(unfinished.card.log().data.size(), 300u);
}

TEST(SendTransfer, StopsWhenAsked) {
    CardOnPort c({});
    std::atomic<bool> stop{false};
    TransferControl control = Quick();
    control.stop = &stop;
    control.progress = [&](int p) { stop = p >= 50; };
    EXPECT_EQ(SendTransfer(Target(), TransferMode::Program, Image(1001), control).code, TransferResult::kSendStopped);
    EXPECT_EQ(c.card.log().blocks.size(), 4u);
    EXPECT_EQ(SendResultMessage(TransferResult::kSendStopped, TransferMode::Program, 1), u"");
}

TEST(ReadBackTransfer, ReadsEightByteChunksAndTheRemainder) {
    const auto data = Image(100);
    CardOnPort c(Script([&](FakeCardScript& s) { s.readBackData = data; }));
    const TransferResult r = ReadBackTransfer(Target(), TransferMode::Program, 0x100000, Quick());
    EXPECT_EQ(r.code, TransferResult::kRead);
    EXPECT_EQ(r.data, data);
    FakeCardLog log = c.card.log();
    EXPECT_EQ(log.frames.back(), (std::vector<uint8_t>{'V', 'U', 'Z', 'U', 'Z', 'E', 0x00, 0x09}));
    EXPECT_EQ(log.requests, 13u);  // one before each of the 12 chunks and one for the remainder
    EXPECT_EQ(ReadBackResultMessage(0, TransferMode::Hardware, 1), u"Read hardware parameter successfully");
}

TEST(ReadBackTransfer, AnnouncedLengthDecides) {
    {
        CardOnPort c(Script([&](FakeCardScript& s) {
            s.readBackData = Image(64);
            s.readBackLength = 31;
        }));
        EXPECT_EQ(ReadBackTransfer(Target(), TransferMode::Hardware, 1024, Quick()).code, TransferResult::kNoData);
    }
    {
        CardOnPort c(Script([&](FakeCardScript& s) { s.readBackData = Image(64); }));
        EXPECT_EQ(ReadBackTransfer(Target(), TransferMode::Hardware, 63, Quick()).code, TransferResult::kOutOfRange);
        EXPECT_EQ(c.card.log().requests, 0u);
    }
    {
        CardOnPort c(Script([&](FakeCardScript& s) {
            s.readBackData = Image(60);
            s.readBackLength = 64;
        }));  // the last chunk never comes
        TransferResult r = ReadBackTransfer(Target(), TransferMode::Hardware, 1024, Quick());
        EXPECT_EQ(r.code, TransferResult::kReadTimeout);
        EXPECT_TRUE(r.data.empty());
    }
    ScopedPorts none({});
    EXPECT_EQ(ReadBackTransfer(Target(), TransferMode::Program, 1024, Quick()).code, TransferResult::kReadPortFailed);
    EXPECT_EQ(ReadBackResultMessage(TransferResult::kNoData, TransferMode::Program, 1), u"No data");
    EXPECT_EQ(ReadBackResultMessage(TransferResult::kOutOfRange, TransferMode::Program, 1), u"Data out of range");
    EXPECT_EQ(ReadBackResultMessage(TransferResult::kReadTimeout, TransferMode::Program, 1),
              u"Upload timed out, please check the cable connection.");
}

TEST(ReadBackTransfer, Pl2303QuestionCanDecline) {
    CardOnPort c(Script([&](FakeCardScript& s) { s.readBackData = Image(64); }));
    ScopedPl2303 adapter(c.card.slavePath());
    int asked = 0;
    TransferControl control = Quick();
    control.confirmSlowUpload = [&] { return ++asked > 1; };
    EXPECT_EQ(ReadBackTransfer(Target(), TransferMode::Program, 1024, control).code, TransferResult::kDeclined);
    EXPECT_EQ(ReadBackTransfer(Target(), TransferMode::Program, 1024, control).code, TransferResult::kRead);
    EXPECT_EQ(ReadBackTransfer(Target(), TransferMode::Hardware, 1024, control).code, TransferResult::kRead);
    EXPECT_EQ(asked, 2);  // the hardware block is not asked about
    const FakeCardLog log = c.card.log();
    ASSERT_EQ(log.frames.size(), 2u);
    EXPECT_EQ(log.frames[0], (std::vector<uint8_t>{'V', 'U', 'Z', 'U', 'Z', 'E', 0xFE, 0x09}));
    EXPECT_EQ(log.frames[1][7], 0x07);
}

TEST(LinkTargetFromScreen, TheScreenRecordChoosesPortRateAndCardType) {
    HardwareParams screen;
    screen.comIndex = 1;
    screen.baudIndex = 8;
    screen.cardType = 2;
    screen.cardSubtype = 5;
    const LinkTarget t = LinkTargetFromScreen(screen);
    EXPECT_EQ(t.port.packed(), 1u | 8u << 16);
    EXPECT_EQ(t.cardSubtype, 5);

    // COM index 1 is the card; index 0 is a line where nothing answers.
    FakeCard card(CardOnPort::Prepared({})), mute;
    card.Start();
    mute.Start();
    ScopedPorts ports({mute.slavePath(), card.slavePath()});
    EXPECT_EQ(SendTransfer(t, TransferMode::Program, Image(64), Quick()).code, TransferResult::kSent);
    screen.cardType = 3;
    EXPECT_EQ(SendTransfer(LinkTargetFromScreen(screen), TransferMode::Program, Image(64), Quick()).code,
              TransferResult::kTypeMismatch);
    screen.cardType = 2;
    screen.baudIndex = 2;  // 9600: the card, at 115200, hears nothing
    EXPECT_EQ(SendTransfer(LinkTargetFromScreen(screen), TransferMode::Program, Image(64), Quick()).code,
              TransferResult::kNoCard);
    screen.baudIndex = 9;  // outside the rate table: the port does not open
    EXPECT_EQ(SendTransfer(LinkTargetFromScreen(screen), TransferMode::Program, Image(64), Quick()).code,
              TransferResult::kSendPortFailed);
}
