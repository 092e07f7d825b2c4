// The exchanges at real line speeds: the fake card takes every byte at the line rate
// (10 bits a byte) and answers only once the last one is in, with images larger than a
// serial port's 4 KiB kernel queue. Every answer is waited for with the exchange's own
// time-outs, which start once the request has left on the line.
#include <gtest/gtest.h>

#include <chrono>

#include "content/bytes.h"
#include "link/infrared.h"
#include "link/paged_send.h"
#include "link/transfer.h"
#include "link_test_util.h"

using namespace ledsuite;
using namespace ledsuite::testing;

namespace {

using Clock = std::chrono::steady_clock;

struct Rate {
    uint32_t baud;
    uint16_t index;
};

void PrintTo(const Rate& rate, std::ostream* os) { *os << rate.baud; }

class LineRate : public ::testing::TestWithParam<Rate> {
protected:
    FakeCardScript Script(FakeCardScript s = {}) const {
        s.baud = s.lineBaud = GetParam().baud;
        return s;
    }
    PortSetting Port() const { return {0, GetParam().index}; }
    // The least time `bytes` need on the line.
    double LineSeconds(size_t bytes) const { return double(bytes) * 10 / GetParam().baud; }
};

double Since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

PagedCompile ImageOf(size_t n) {
    return [n](std::span<uint8_t> buffer, uint32_t*) {
        const auto bytes = Image(n);
        std::copy(bytes.begin(), bytes.end(), buffer.begin());
        return int(n);
    };
}

}  // namespace

TEST_P(LineRate, PagedSendOfALargeImageIsAnsweredAfterItsLineTime) {
    for (int protocol : {kProtocolKip, kProtocolGps}) {
        CardOnPort c(Script());
        const size_t n = protocol == kProtocolKip ? 5292 : 4500;
        const auto start = Clock::now();
        const PagedResult r = SendPagedImage(Port(), ImageOf(n), 7, protocol);
        EXPECT_EQ(r.outcome, PagedOutcome::Sent) << protocol;
        EXPECT_EQ(PagedResultMessage(r, 1), u"Sent successfully!");
        EXPECT_GE(Since(start), LineSeconds(n));  // the card really took the bytes at the line rate
        EXPECT_EQ(c.card.log().paged, Image(n));
    }
}

TEST_P(LineRate, APagedSendWithoutAFinalAnswerFailsOnlyAfterTheLineTimeAndDeleteAllGoesOut) {
    // A card that says nothing after the image: one "no answer", not before its line time is over.
    CardOnPort silent(Script({.pagedFinal = -1}));
    const auto start = Clock::now();
    EXPECT_EQ(SendPagedImage(Port(), ImageOf(4200), 0, kProtocolKip).outcome, PagedOutcome::NoFinalAnswer);
    EXPECT_GE(Since(start), LineSeconds(4200) + kAckWaitMs / 1000.0);
    EXPECT_EQ(DeletePagedImage(Port(), kAllPages).outcome, PagedOutcome::Deleted);
    EXPECT_EQ(LoadU32(&silent.card.log().frames.back()[12]), kAllPages);
}

TEST_P(LineRate, SendTransferOfALargeImage) {
    CardOnPort c(Script({.ackDelayMs = 2}));
    const LinkTarget target{.port = Port(), .cardType = 2};
    EXPECT_EQ(SendTransfer(target, TransferMode::Program, Image(4801)).code, TransferResult::kSent);
    auto expected = Image(4801);
    expected.insert(expected.end(), {0xFF, 0xFF, 0xFF});
    EXPECT_EQ(c.card.log().data, expected);
}

TEST_P(LineRate, ReadBackOfALargeImage) {
    CardOnPort c(Script({.readBackData = Image(4196)}));
    const LinkTarget target{.port = Port(), .cardType = 2};
    const TransferResult r = ReadBackTransfer(target, TransferMode::Program, 0x10000);
    EXPECT_EQ(r.code, TransferResult::kRead);
    EXPECT_EQ(r.data, Image(4196));
}

TEST_P(LineRate, InfraredTableGoesBackUnchanged) {
    InfraredWireTable table;
    table.fill(kNoCode);
    table[0x40] = 17, table[0x41] = 17, table[0x45] = 0;
    CardOnPort c(Script({.irTable = std::vector<uint8_t>(table.begin(), table.end())}));
    InfraredWireTable got{};
    ASSERT_EQ(InfraredGetTable(Port(), got), InfraredStatus::GotTable);
    EXPECT_EQ(got, table);
    EXPECT_EQ(InfraredSetTable(Port(), got), InfraredStatus::SetDone);
    EXPECT_EQ(c.card.log().irTable, std::vector<uint8_t>(table.begin(), table.end()));
}

INSTANTIATE_TEST_SUITE_P(Bauds, LineRate, ::testing::Values(Rate{9600, 2}, Rate{19200, 4}, Rate{115200, 8}),
                         [](const auto& info) { return std::to_string(info.param.baud); });

// The drain itself: a wait after a write starts once the bytes are on the line, even where
// tcdrain returns at once (a pseudo-terminal).
TEST(SerialDrain, WaitsForTheLineTimeOfWhatWasWritten) {
    RawPty pty;
    ScopedPorts ports({pty.slave});
    SerialPort port;
    ASSERT_EQ(SerialOpen(port, 0, 19200), 0);
    const std::vector<uint8_t> bytes(960, 0x55);  // 0.5 s at 19,200 baud
    const auto start = Clock::now();
    ASSERT_EQ(SerialWrite(port, bytes.data(), bytes.size()), 960);
    EXPECT_LT(Since(start), 0.25);  // the write itself only queued them
    uint8_t b{};
    EXPECT_FALSE(SerialReadByte(port, b, 20));
    EXPECT_GE(Since(start), 0.5 + 0.02);
    const auto again = Clock::now();
    EXPECT_EQ(SerialDrain(port), 0);  // nothing new was written: no wait
    EXPECT_LT(Since(again), 0.05);
    // Asked for directly, the drain waits the same way and then says it is done.
    const auto direct = Clock::now();
    ASSERT_EQ(SerialWrite(port, bytes.data(), 480), 480);  // 0.25 s
    EXPECT_EQ(SerialDrain(port), 0);
    EXPECT_GE(Since(direct), 0.25);
    SerialClose(port);
    EXPECT_EQ(SerialDrain(port), -1);
}
