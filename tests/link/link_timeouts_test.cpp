// The link's waits at their production values: for each, a card that answers just
// inside the wait and one that answers just outside it. Every case is a test of its
// own (CTest runs them side by side), and the two answers of a case run in parallel.
#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <thread>

#include "link/card.h"
#include "link/transfer.h"
#include "link_test_util.h"

using namespace ledsuite;
using namespace ledsuite::testing;
using std::chrono::milliseconds;

namespace {

constexpr int kInside = -90, kOutside = 90;  // how far from a wait the answers come

FakeCardScript Answering(uint8_t command, int delayMs) {
    return CardOnPort::TypeTwo({.baud = 9600, .replyDelays = {{command, delayMs}}});
}

// Runs `exchange` on COM index 0 and 1 at once; the answers in that order.
template <class F>
auto OnBothPorts(F exchange) {
    auto first = std::async(std::launch::async, exchange, 0);
    auto second = std::async(std::launch::async, exchange, 1);
    return std::pair{first.get(), second.get()};
}

// Two fake cards on COM index 0 and 1, started.
struct TwoCards {
    FakeCard inside, outside;
    ScopedPorts ports;
    TwoCards(FakeCardScript a, FakeCardScript b)
        : inside(std::move(a)), outside(std::move(b)), ports({inside.slavePath(), outside.slavePath()}) {
        inside.Start();
        outside.Start();
    }
};

size_t ProbesSettled(const FakeCard& card, size_t atLeast) {
    WaitFor([&] { return card.log().count(0xFF) >= atLeast; });
    return card.log().count(0xFF);
}

}  // namespace

// An answer later than the probe's wait is caught only by the next try.
TEST(LinkTimeouts, ProbeWaitsTwoHundredMs) {
    TwoCards c(Answering(0xFF, kProbeWaitMs - 60), Answering(0xFF, kProbeWaitMs + 60));
    EXPECT_EQ(OnBothPorts([](int com) { return ProbeCardBaud(nullptr, {uint16_t(com), 2}); }), std::pair(1, 1));
    EXPECT_EQ(c.inside.log().count(0xFF), 1u);
    EXPECT_EQ(ProbesSettled(c.outside, 2), 2u);
}

TEST(LinkTimeouts, ProbeOverAPl2303WaitsFourHundredMs) {
    TwoCards c(Answering(0xFF, 400 + kInside), Answering(0xFF, 400 + kOutside));
    ScopedPl2303 first(c.inside.slavePath());
    // Both adapters in one sysfs tree: the second is added beside the first.
    std::string second = c.outside.slavePath();
    std::replace(second.begin(), second.end(), '/', '!');
    AddUsbTty(first.sys.path, second.substr(5), "067b", "2303");
    EXPECT_EQ(OnBothPorts([](int com) { return ProbeCardBaud(nullptr, {uint16_t(com), 2}); }), std::pair(1, 1));
    EXPECT_EQ(c.inside.log().count(0xFF), 1u);
    EXPECT_EQ(ProbesSettled(c.outside, 2), 2u);
    EXPECT_EQ(c.outside.log().frames[0][6], 0xFE);
}

TEST(LinkTimeouts, ProbeOpensAgainAfterFourHundredMs) {
    FakeCard card(Answering(0xFF, 0));
    card.Start();
    ScopedPorts ports({card.slavePath()});
    // A free port opens at once, without the pause.
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ProbeCardBaud(nullptr, {0, 2}), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, milliseconds(400 + kInside));
    for (auto [heldMs, expected] : {std::pair{400 + kInside, 1}, {400 + kOutside, 0}}) {
        SerialPort holder;  // another program has the port for a while
        ASSERT_EQ(SerialOpen(holder, 0, 9600), 0);
        std::thread release([&holder, heldMs = heldMs] {
            std::this_thread::sleep_for(milliseconds(heldMs));
            SerialClose(holder);
        });
        EXPECT_EQ(ProbeCardBaud(nullptr, {0, 2}), expected) << heldMs;
        release.join();
    }
}

TEST(LinkTimeouts, AFiveByteAnswerOtherThanBaudrIsNoCard) {
    FakeCard card({.baud = 9600, .probeAnswer = "BAUDX"});
    card.Start();
    ScopedPorts ports({card.slavePath()});
    EXPECT_EQ(ProbeCardBaud(nullptr, {0, 2}), -2);
    EXPECT_EQ(card.log().count(0xFF), 3u);  // every try heard it
}

TEST(LinkTimeouts, QueryWaitsFifteenHundredMsForTheHead) {
    TwoCards c(Answering(0x01, kAckWaitMs + kInside), Answering(0x01, kAckWaitMs + kOutside));
    EXPECT_EQ(OnBothPorts([](int com) {
                  std::array<uint8_t, 32> reply{};
                  return QueryCard({uint16_t(com), 2}, CardCommand::Info, reply);
              }),
              std::pair(7, -1));
}

// The controller dialog's own, shorter wait for the head replaces the fifteen hundred ms.
TEST(LinkTimeouts, AQueryGivenAHeadWaitWaitsThatLongForTheHead) {
    TwoCards c(Answering(0x01, 300 + kInside), Answering(0x01, 300 + kOutside));
    EXPECT_EQ(OnBothPorts([](int com) {
                  std::array<uint8_t, 32> reply{};
                  return QueryCard({uint16_t(com), 2}, CardCommand::Info, reply, 300);
              }),
              std::pair(7, -1));
}

TEST(LinkTimeouts, QueryWaitsFifteenHundredMsForEachChunk) {
    auto tailAfter = [](int ms) {
        FakeCardScript s{.baud = 9600, .info = MakeInfoReply(0, 2, 3, {{1, 1}}), .infoTailDelayMs = ms};
        return s;
    };
    TwoCards c(tailAfter(kAckWaitMs + kInside), tailAfter(kAckWaitMs + kOutside));
    EXPECT_EQ(OnBothPorts([](int com) {
                  std::array<uint8_t, 32> reply{};
                  return QueryCard({uint16_t(com), 2}, CardCommand::Info, reply);
              }),
              std::pair(9, 3));
}

TEST(LinkTimeouts, PowerWaitsFiveHundredMs) {
    TwoCards c(Answering(0x16, 500 + kInside), Answering(0x16, 500 + kOutside));
    EXPECT_EQ(OnBothPorts([](int com) { return SetScreenPower({.port = {uint16_t(com), 2}}, true); }),
              std::pair(LinkStatus::Ok, LinkStatus::NoAnswer));
}

// A wait longer than the port's own 2500 ms read limit ends at that limit with what arrived.
TEST(LinkTimeouts, ThePortsReadLimitIsTwentyFiveHundredMs) {
    RawPty inside, outside;
    ScopedPorts ports({inside.slave, outside.slave});
    auto read = [&](int com) {
        const RawPty& far = com == 0 ? inside : outside;
        SerialPort port;
        if (SerialOpen(port, com, 9600) != 0) return -3;
        far.Send("ab");
        std::thread late([&far, com] {
            std::this_thread::sleep_for(milliseconds(kPortReadTimeoutMs + (com == 0 ? kInside : kOutside)));
            far.Send("cd");
        });
        char buf[4];
        const int n = SerialRead(port, buf, 4, 2 * kPortReadTimeoutMs);
        late.join();
        return n;
    };
    EXPECT_EQ(OnBothPorts(read), std::pair(4, 2));
}

TEST(LinkTimeouts, ReadBackWaitsTwentyFiveHundredMsForTheLength) {
    auto card = [](int delayMs) {
        FakeCardScript s = Answering(0x09, delayMs);
        s.readBackData = Image(40);
        return s;
    };
    TwoCards c(card(kPortReadTimeoutMs + kInside), card(kPortReadTimeoutMs + kOutside));
    EXPECT_EQ(OnBothPorts([](int com) {
                  const LinkTarget target{.port = {uint16_t(com), 2}, .cardType = 2};
                  return ReadBackTransfer(target, TransferMode::Program, 1024).code;
              }),
              std::pair(TransferResult::kRead, TransferResult::kReadTimeout));
}
