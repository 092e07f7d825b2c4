#include "link/infrared.h"

#include <gtest/gtest.h>

#include <thread>

#include "link_test_util.h"

using namespace ledsuite;
using namespace ledsuite::testing;

namespace {

constexpr InfraredTimeouts kFast{400, 200};
constexpr int kKeyZero = 10;  // the key "0"

std::vector<uint8_t> Report(uint8_t code, uint8_t complement) { return {'I', 'R', 'C', 'A', code, complement}; }

}  // namespace

TEST(InfraredTables, FunctionsSwapPowerAndZeroBothWays) {
    EXPECT_EQ(std::u16string(kInfraredKeyLabels[0]), u"PW");
    EXPECT_EQ(std::u16string(kInfraredKeyLabels[kKeyZero]), u"0");
    EXPECT_EQ(std::u16string(kInfraredKeyLabels[17]), u"VO+");
    InfraredKeyTable keys = EmptyKeyTable();
    keys[kKeyZero] = 0x45;
    keys[0] = 0x10;
    keys[17] = 0x99;
    const InfraredWireTable wire = BuildWireTable(keys);
    EXPECT_EQ(wire[0x45], 0);   // key "0" is function 0
    EXPECT_EQ(wire[0x10], 10);  // "PW" is function 10
    EXPECT_EQ(wire[0x99], 17);
    EXPECT_EQ(std::count(wire.begin(), wire.end(), kNoCode), 253);
    EXPECT_EQ(KeyTableFromWire(wire), keys);
    EXPECT_EQ(KeyCodeText(0x45), u"45");
    EXPECT_EQ(KeyCodeText(0x0a), u"0a");
    EXPECT_EQ(KeyCodeText(kNoCode), u"");
}

TEST(InfraredReports, ValidComplementOnlyAndSplitReadsJoined) {
    InfraredReportScanner s;
    EXPECT_EQ(s.Feed(Report(0x45, 0xBA)), std::vector<uint8_t>{0x45});
    EXPECT_TRUE(s.Feed(Report(0x45, 0x00)).empty());
    // Split over two reads, with noise in front.
    std::vector<uint8_t> first{0x00, 'x', 'I', 'R', 'C'}, second{'A', 0x12, 0xED};
    EXPECT_TRUE(s.Feed(first).empty());
    EXPECT_EQ(s.Feed(second), std::vector<uint8_t>{0x12});
    // Two reports in one read; a broken one before a good one.
    std::vector<uint8_t> two = Report(0x01, 0x02);
    const auto good = Report(0x02, 0xFD);
    two.insert(two.end(), good.begin(), good.end());
    EXPECT_EQ(s.Feed(two), std::vector<uint8_t>{0x02});
    EXPECT_EQ(s.Pending(), 0u);
    EXPECT_TRUE(s.Feed(std::vector<uint8_t>(1000, 'Q')).empty());
    EXPECT_LE(s.Pending(), 3u);  // noise does not pile up
}

TEST(InfraredExchanges, CalibrateGetSetOverTheFakeCard) {
    std::vector<uint8_t> table(256, kNoCode);
    table[0x45] = 0;
    table[0x30] = 13;
    CardOnPort c({.irTable = table});
    SerialPort port;
    EXPECT_EQ(InfraredCalibrate(port, {0, 8}, kFast), InfraredStatus::Started);
    EXPECT_TRUE(port.isOpen());
    c.card.SendRaw(Report(0x45, 0xBA));
    uint8_t got[6] = {};
    EXPECT_EQ(SerialRead(port, got, 6, 500), 6);
    SerialClose(port);

    InfraredWireTable wire{};
    EXPECT_EQ(InfraredGetTable({0, 8}, wire, kFast), InfraredStatus::GotTable);
    EXPECT_TRUE(std::equal(wire.begin(), wire.end(), table.begin()));
    const InfraredKeyTable keys = KeyTableFromWire(wire);
    EXPECT_EQ(keys[kKeyZero], 0x45);
    EXPECT_EQ(keys[13], 0x30);
    EXPECT_EQ(InfraredSetTable({0, 8}, BuildWireTable(keys), kFast), InfraredStatus::SetDone);
    EXPECT_EQ(c.card.log().irTable, table);  // get then set sends back the same table
}

TEST(InfraredExchanges, AnswersThatFail) {
    {
        CardOnPort c({.irCalibrate = "ERR", .irAckSet = false});
        SerialPort port;
        EXPECT_EQ(InfraredCalibrate(port, {0, 8}, kFast), InfraredStatus::NotUniversal);
        EXPECT_FALSE(port.isOpen());
        EXPECT_EQ(InfraredMessage(InfraredStatus::NotUniversal, true, 1), u"Not a universal remote card");
        InfraredWireTable wire{};
        EXPECT_EQ(InfraredGetTable({0, 8}, wire, kFast), InfraredStatus::NoAnswer);
        EXPECT_EQ(InfraredSetTable({0, 8}, wire, kFast), InfraredStatus::NoAck);
    }
    {
        CardOnPort c({.irCalibrate = "XYZ", .irTable = {1, 2, 3}});
        SerialPort port;
        EXPECT_EQ(InfraredCalibrate(port, {0, 8}, kFast), InfraredStatus::BadAnswer);
        InfraredWireTable wire{};
        wire.fill(7);
        EXPECT_EQ(InfraredGetTable({0, 8}, wire, kFast), InfraredStatus::Timeout);
        EXPECT_EQ(wire[0], 7);  // a short table changes nothing
        EXPECT_EQ(InfraredMessage(InfraredStatus::Timeout, false, 1), u"Timed out, please retry");
    }
    SerialPort port;
    EXPECT_EQ(InfraredCalibrate(port, {9, 8}, kFast), InfraredStatus::PortFailed);
}

TEST(InfraredTables, MergeKeepsWhatWasReadAndReplacesOnlyRelearntKeys) {
    InfraredWireTable read = EmptyWireTable();
    read[0x40] = 17, read[0x41] = 17, read[0x22] = 0, read[0x10] = 10;
    InfraredKeyTable keys = KeyTableFromWire(read);
    EXPECT_EQ(MergeWireTable(read, keys), read);
    keys[17] = 0x50;  // VO+ learnt anew: both old codes go, the new one maps
    keys[3] = 0x22;   // "3" takes the code of key "0"
    InfraredWireTable expected = EmptyWireTable();
    expected[0x50] = 17, expected[0x22] = 3, expected[0x10] = 10;
    EXPECT_EQ(MergeWireTable(read, keys), expected);
    keys[1] = kNoCode;
    EXPECT_EQ(MergeWireTable(EmptyWireTable(), keys), BuildWireTable(keys));
    // Code 0 is a code like any other: the card's table maps it to key "5".
    InfraredWireTable zero = EmptyWireTable();
    zero[0x00] = 5;
    EXPECT_EQ(KeyCodeText(KeyTableFromWire(zero)[5]), u"00");
}
