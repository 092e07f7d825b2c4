// The link's waits at their production values: for each, a card that answers just
// inside the wait and one that answers just outside it. Every case is a test of its
// own (CTest runs them side by side), and the two answers of a case run in parallel.
//
// The answers come a margin of 90 ms either side of the wait. A busy machine may run a
// thread later than that, so each case also measures how late the machine wakes a
// sleeping thread while it runs: when the results are not the expected ones and that
// delay was more than a third of the margin, the case told nothing about the wait, and it
// runs again with a margin three times the delay seen. A wrong wait still fails: on a
// quiet machine at once, on a busy one at the widest margin.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <future>
#include <sstream>
#include <thread>

#include "link/card.h"
#include "link/transfer.h"
#include "link_test_util.h"

using namespace ledsuite;
using namespace ledsuite::testing;
using std::chrono::milliseconds;

namespace {

constexpr int kMargin = 90;       // how far from a wait the answers come
constexpr int kWidestMargin = 1000;  // a margin past this would pass a wait of 100 ms made 1500

// The worst lateness of a thread that sleeps 1 ms at a time, while this object lives.
class SchedulingDelay {
public:
    SchedulingDelay() : thread_([this] { Run(); }) {}
    ~SchedulingDelay() {
        stop_ = true;
        thread_.join();
    }
    int WorstMs() const { return int(worst_.load()); }

private:
    void Run() {
        using Clock = std::chrono::steady_clock;
        while (!stop_) {
            const auto asked = Clock::now() + milliseconds(1);
            std::this_thread::sleep_until(asked);
            const long long late = std::chrono::duration_cast<milliseconds>(Clock::now() - asked).count();
            worst_ = std::max(worst_.load(), late);
        }
    }
    std::atomic<bool> stop_{false};
    std::atomic<long long> worst_{0};
    std::thread thread_;
};

}  // namespace

namespace ledsuite {
void PrintTo(LinkStatus status, std::ostream* out) { *out << "LinkStatus " << int(status); }
}  // namespace ledsuite

namespace {

template <class T>
std::string Show(const T& value) {
    std::ostringstream out;
    out << ::testing::PrintToString(value);
    return out.str();
}

// Runs `exchange(margin)` and expects `expected`; see the note at the top for when a case
// runs again with a wider margin.
// No margin grows past `widest`.
template <class Exchange, class Result>
void CheckWait(Exchange exchange, const Result& expected, int widest = kWidestMargin) {
    for (int margin = std::min(kMargin, widest);;) {
        SchedulingDelay delay;
        const Result got = exchange(margin);
        const int late = delay.WorstMs();
        if (got == expected || late * 3 <= margin || margin >= widest) {
            EXPECT_EQ(Show(got), Show(expected)) << "answers " << margin << " ms either side; threads ran up to "
                                                 << late << " ms late";
            return;
        }
        const int wider = std::min(widest, std::max(2 * margin, 3 * late));
        std::printf("threads ran up to %d ms late around a margin of %d ms: once more at %d ms\n", late, margin, wider);
        margin = wider;
    }
}

// An answer `margin` inside the wait (never before the request) and one `margin` outside it.
int Inside(int waitMs, int margin) { return std::max(0, waitMs - margin); }
int Outside(int waitMs, int margin) { return waitMs + margin; }

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

// Two cards answering `command` `margin` inside and outside `waitMs`.
struct CardsAround : TwoCards {
    CardsAround(uint8_t command, int waitMs, int margin)
        : TwoCards(Answering(command, Inside(waitMs, margin)), Answering(command, Outside(waitMs, margin))) {}
};

size_t ProbesSettled(const FakeCard& card, size_t atLeast) {
    WaitFor([&] { return card.log().count(0xFF) >= atLeast; });
    return card.log().count(0xFF);
}

// The probe results on both cards, and whether the inside card heard one probe and the
// outside card more than one (its answer missed the first try's wait).
auto ProbeBoth(const TwoCards& c) {
    const auto results = OnBothPorts([](int com) { return ProbeCardBaud(nullptr, {uint16_t(com), 2}); });
    return std::tuple(results, c.inside.log().count(0xFF) == 1, ProbesSettled(c.outside, 2) >= 2);
}

int QueryInfo(int com, int headWaitMs = kAckWaitMs) {
    std::array<uint8_t, 32> reply{};
    return QueryCard({uint16_t(com), 2}, CardCommand::Info, reply, headWaitMs);
}

}  // namespace

// An answer later than the probe's wait is caught only by the next try (of three, 200 ms
// each: the widest margin leaves the late answer inside the second).
TEST(LinkTimeouts, ProbeWaitsTwoHundredMs) {
    CheckWait([](int margin) { return ProbeBoth(CardsAround(0xFF, kProbeWaitMs, margin)); },
              std::tuple(std::pair(1, 1), true, true), 150);
}

TEST(LinkTimeouts, ProbeOverAPl2303WaitsFourHundredMs) {
    auto probe = [](int margin) {
        CardsAround c(0xFF, 400, margin);
        ScopedPl2303 first(c.inside.slavePath());
        // Both adapters in one sysfs tree: the second is added beside the first.
        std::string second = c.outside.slavePath();
        std::replace(second.begin(), second.end(), '/', '!');
        AddUsbTty(first.sys.path, second.substr(5), "067b", "2303");
        const auto probed = ProbeBoth(c);
        const FakeCardLog log = c.outside.log();
        return std::tuple(probed, log.frames.empty() ? 0 : log.frames[0][6]);
    };
    CheckWait(probe, std::tuple(std::tuple(std::pair(1, 1), true, true), uint8_t(0xFE)), 300);
}

TEST(LinkTimeouts, ProbeOpensAgainAfterFourHundredMs) {
    FakeCard card(Answering(0xFF, 0));
    card.Start();
    ScopedPorts ports({card.slavePath()});
    // A free port opens at once, without the pause.
    CheckWait(
        [](int margin) {
            const auto start = std::chrono::steady_clock::now();
            const int result = ProbeCardBaud(nullptr, {0, 2});
            return std::pair(result, std::chrono::steady_clock::now() - start < milliseconds(Inside(400, margin)));
        },
        std::pair(1, true), 300);
    auto heldFor = [](int heldMs) {
        SerialPort holder;  // another program has the port for a while
        if (SerialOpen(holder, 0, 9600) != 0) return -3;
        std::thread release([&holder, heldMs] {
            std::this_thread::sleep_for(milliseconds(heldMs));
            SerialClose(holder);
        });
        const int result = ProbeCardBaud(nullptr, {0, 2});
        release.join();
        return result;
    };
    CheckWait([&](int margin) { return std::pair(heldFor(Inside(400, margin)), heldFor(Outside(400, margin))); },
              std::pair(1, 0), 300);
}

TEST(LinkTimeouts, AFiveByteAnswerOtherThanBaudrIsNoCard) {
    FakeCard card({.baud = 9600, .probeAnswer = "BAUDX"});
    card.Start();
    ScopedPorts ports({card.slavePath()});
    EXPECT_EQ(ProbeCardBaud(nullptr, {0, 2}), -2);
    EXPECT_EQ(card.log().count(0xFF), 3u);  // every try heard it
}

TEST(LinkTimeouts, QueryWaitsFifteenHundredMsForTheHead) {
    CheckWait(
        [](int margin) {
            CardsAround c(0x01, kAckWaitMs, margin);
            return OnBothPorts([](int com) { return QueryInfo(com); });
        },
        std::pair(7, -1));
}

// The controller dialog's own, shorter wait for the head replaces the fifteen hundred ms.
TEST(LinkTimeouts, AQueryGivenAHeadWaitWaitsThatLongForTheHead) {
    CheckWait(
        [](int margin) {
            CardsAround c(0x01, 300, margin);
            return OnBothPorts([](int com) { return QueryInfo(com, 300); });
        },
        std::pair(7, -1), 290);
}

TEST(LinkTimeouts, QueryWaitsFifteenHundredMsForEachChunk) {
    auto tailAfter = [](int ms) {
        FakeCardScript s{.baud = 9600, .info = MakeInfoReply(0, 2, 3, {{1, 1}}), .infoTailDelayMs = ms};
        return s;
    };
    CheckWait(
        [&](int margin) {
            TwoCards c(tailAfter(Inside(kAckWaitMs, margin)), tailAfter(Outside(kAckWaitMs, margin)));
            return OnBothPorts([](int com) { return QueryInfo(com); });
        },
        std::pair(9, 3));
}

TEST(LinkTimeouts, PowerWaitsFiveHundredMs) {
    CheckWait(
        [](int margin) {
            CardsAround c(0x16, 500, margin);
            return OnBothPorts([](int com) { return SetScreenPower({.port = {uint16_t(com), 2}}, true); });
        },
        std::pair(LinkStatus::Ok, LinkStatus::NoAnswer));
}

// The clock's answer is awaited 100 ms: a later one is no answer.
TEST(LinkTimeouts, ClockWaitsOneHundredMs) {
    CheckWait(
        [](int margin) {
            CardsAround c(uint8_t(CardCommand::SetClock), 100, margin);
            return OnBothPorts([](int com) { return SyncCardClock({.port = {uint16_t(com), 2}}); });
        },
        std::pair(LinkStatus::Ok, LinkStatus::NoAnswer));
}

// A wait longer than the port's own 2500 ms read limit ends at that limit with what arrived.
TEST(LinkTimeouts, ThePortsReadLimitIsTwentyFiveHundredMs) {
    RawPty inside, outside;
    ScopedPorts ports({inside.slave, outside.slave});
    auto read = [&](int com, int margin) {
        const RawPty& far = com == 0 ? inside : outside;
        SerialPort port;
        if (SerialOpen(port, com, 9600) != 0) return -3;
        far.Send("ab");
        const int after = com == 0 ? Inside(kPortReadTimeoutMs, margin) : Outside(kPortReadTimeoutMs, margin);
        std::thread late([&far, after] {
            std::this_thread::sleep_for(milliseconds(after));
            far.Send("cd");
        });
        char buf[4];
        const int n = SerialRead(port, buf, 4, 2 * kPortReadTimeoutMs);
        late.join();
        return n;
    };
    CheckWait([&](int margin) { return OnBothPorts([&](int com) { return read(com, margin); }); }, std::pair(4, 2));
}

TEST(LinkTimeouts, ReadBackWaitsTwentyFiveHundredMsForTheLength) {
    auto card = [](int delayMs) {
        FakeCardScript s = Answering(0x09, delayMs);
        s.readBackData = Image(40);
        return s;
    };
    CheckWait(
        [&](int margin) {
            TwoCards c(card(Inside(kPortReadTimeoutMs, margin)), card(Outside(kPortReadTimeoutMs, margin)));
            return OnBothPorts([](int com) {
                const LinkTarget target{.port = {uint16_t(com), 2}, .cardType = 2};
                return ReadBackTransfer(target, TransferMode::Program, 1024).code;
            });
        },
        std::pair(TransferResult::kRead, TransferResult::kReadTimeout));
}
