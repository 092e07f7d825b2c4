#include "link/server_requests.h"

#include <gtest/gtest.h>
#include <sys/ioctl.h>

#include <chrono>
#include <numeric>

#include "tests/link/fake_server.h"

namespace ledsuite {
namespace {

using testing::FakeServer;
using testing::ServerReply;

uint16_t At16(const std::vector<uint8_t>& b, size_t off) { return uint16_t(b[off] | b[off + 1] << 8); }

// A request header: zero but for the command at 20, the offset (or user id) at 22 and the length at 26.
std::vector<uint8_t> RequestHeader(uint16_t command, uint16_t offset, uint16_t length) {
    std::vector<uint8_t> h(48, 0);
    h[20] = uint8_t(command), h[21] = uint8_t(command >> 8);
    h[22] = uint8_t(offset), h[23] = uint8_t(offset >> 8);
    h[26] = uint8_t(length), h[27] = uint8_t(length >> 8);
    return h;
}

// CRC-16/MODBUS bit by bit, apart from the library's table.
uint16_t BitwiseModbus(const uint8_t* p, size_t n) {
    uint16_t crc = 0xFFFF;
    for (size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int b = 0; b < 8; ++b) crc = (crc & 1) ? uint16_t((crc >> 1) ^ 0xA001) : uint16_t(crc >> 1);
    }
    return crc;
}

int PendingOn(int fd) {
    int pending = 0;
    ioctl(fd, FIONREAD, &pending);
    return pending;
}

std::vector<uint16_t> Ids(int first, int n) {
    std::vector<uint16_t> v(static_cast<size_t>(n));
    std::iota(v.begin(), v.end(), uint16_t(first));
    return v;
}

void SetGroup(GroupTable& t, size_t g, std::u16string_view name, const std::vector<uint16_t>& ids, uint16_t value = 0) {
    SetGroupName(t.groups[g], name);
    t.groups[g].value = value;
    t.groups[g].count = uint16_t(ids.size());
    std::copy(ids.begin(), ids.end(), t.groups[g].ids.begin());
}

GroupTable TwoGroups() {
    GroupTable t;
    SetGroup(t, 0, u"North", {11, 0, 13}, 0x1234);  // an id 0 is skipped in the block
    SetGroup(t, 1, u"South", {21}, 7);
    SetGroup(t, 3, u"Hidden", {99});  // after the empty name of group 2: not in the table
    return t;
}

// Six groups holding 1100 ids (ids 1..1100), 200 in the first five and 100 in the last.
GroupTable FullTable() {
    GroupTable t;
    for (int g = 0; g < kGroupCount; ++g) {
        SetGroup(t, size_t(g), std::u16string{u'G', char16_t(u'0' + g)}, Ids(1 + 200 * g, g < 5 ? 200 : 100));
    }
    return t;
}

TEST(GroupUpload, SendsTwoHalvesWithHeaderFieldsAndTheBlockCrc) {
    FakeServer server({ServerReply(0xFFFF), ServerReply(0xFFFF)});
    EXPECT_EQ(UploadGroupTable(server.Socket(), TwoGroups()), 0);
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    std::vector<uint8_t> block;
    for (size_t half = 0; half < 2; ++half) {
        const auto& r = requests[half];
        ASSERT_EQ(r.size(), 48u + 1163u);
        EXPECT_EQ(std::vector<uint8_t>(r.begin(), r.begin() + 48), RequestHeader(0x8007, uint16_t(half * 1163), 1163));
        block.insert(block.end(), r.begin() + 48, r.end());
    }
    EXPECT_EQ(At16(block, 0), BitwiseModbus(block.data() + 2, 2324));
    for (size_t i = 2; i < 134; ++i) ASSERT_EQ(block[i], 0) << i;
    // (offset, value): names from 134 (the table ends at the first empty name), values from 254,
    // start positions from 266, ids from 278.
    const std::pair<size_t, uint16_t> fields[] = {{134, u'N'}, {154, u'S'}, {174, 0},  {254, 0x1234},
                                                  {256, 7},    {266, 0},    {268, 2},  {278, 11},
                                                  {280, 13},   {282, 21},   {284, 0}};
    for (auto [at, value] : fields) EXPECT_EQ(At16(block, at), value) << at;
    EXPECT_TRUE(ServerConnected());
}

TEST(GroupUpload, ReplyFailuresStopAtTheFirstHalf) {
    auto shortReply = ServerReply(0xFFFF);
    shortReply.resize(47);
    // (replies, result, requests read): command 0, another magic, under 48 bytes, the second half refused.
    const std::tuple<std::vector<std::vector<uint8_t>>, int, size_t> cases[] = {
        {{ServerReply(0x0000)}, -3, 1},
        {{ServerReply(0xFFFF, 0, 0, "kip1")}, -3, 1},
        {{shortReply}, -2, 1},
        {{ServerReply(0xFFFF), ServerReply(0x8007)}, -3, 2},
    };
    for (const auto& [replies, result, requests] : cases) {
        FakeServer server(replies);
        EXPECT_EQ(UploadGroupTable(server.Socket(), TwoGroups()), result);
        EXPECT_EQ(server.Requests().size(), requests);
        EXPECT_EQ(PendingOn(server.ServerFd()), 0);  // nothing more was sent
    }
}

TEST(GroupUpload, SilentServerFailsWithinTheTimeOut) {
    FakeServer server({std::vector<uint8_t>{}});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(UploadGroupTable(server.Socket(150), TwoGroups()), -1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    EXPECT_FALSE(ServerConnected());
}

TEST(ReceiveServerReply, ReadsPendingBytesAndNeverPassesTheCapacity) {
    FakeServer server({});
    std::vector<uint8_t> sent(100);
    for (size_t i = 0; i < sent.size(); ++i) sent[i] = uint8_t(i);
    ASSERT_EQ(send(server.ServerFd(), sent.data(), 60, 0), 60);
    ASSERT_EQ(send(server.ServerFd(), sent.data() + 60, 40, 0), 40);
    std::vector<uint8_t> buffer(200, 0xEE);
    EXPECT_EQ(ReceiveServerReply(server.Socket(), buffer.data(), 100), 100);
    EXPECT_TRUE(std::equal(sent.begin(), sent.end(), buffer.begin()));
    EXPECT_TRUE(ServerConnected());

    ASSERT_EQ(send(server.ServerFd(), sent.data(), 100, 0), 100);
    EXPECT_EQ(ReceiveServerReply(server.Socket(), buffer.data(), 64), -1);
    EXPECT_EQ(buffer[100], 0xEE);  // nothing written past the capacity
    EXPECT_FALSE(ServerConnected());
    EXPECT_EQ(ReceiveServerReply(ServerSocket{-1, 10}, buffer.data(), 64), -1);
    EXPECT_EQ(ReceiveServerReply(server.Socket(), buffer.data(), 0), -1);  // no room: nothing read
    shutdown(server.ServerFd(), SHUT_WR);
    EXPECT_EQ(ReceiveServerReply(server.Socket(), buffer.data(), 100), 36);  // the rest
    EXPECT_EQ(ReceiveServerReply(server.Socket(), buffer.data(), 100), 0);   // then the close
    EXPECT_FALSE(ServerConnected());
}

TEST(ServerReplyChecks, MagicAndAcceptedCommand) {
    EXPECT_TRUE(CheckServerReply(ServerReply(0xFFFF)));
    EXPECT_FALSE(CheckServerReply(ServerReply(0xFFFE)));
    EXPECT_FALSE(CheckServerReply(ServerReply(0xFFFF, 0, 0, "KIP0")));
    auto shortReply = ServerReply(0xFFFF);
    shortReply.resize(47);
    EXPECT_FALSE(CheckServerReply(shortReply));
    EXPECT_FALSE(CheckServerReply({}));
}

TEST(GroupMembership, AddRemoveAndTheLimitOfAllGroups) {
    GroupTable t = TwoGroups();
    EXPECT_EQ(EditGroupMembership(0, t, 0, u"North"), 0);
    EXPECT_EQ(EditGroupMembership(0, t, 21, u"North"), 0);  // South holds it already
    EXPECT_EQ(EditGroupMembership(0, t, 50, u"Nowhere"), 0);
    EXPECT_EQ(EditGroupMembership(0, t, 50, u"Hidden"), 0);  // beyond the table's end
    EXPECT_EQ(EditGroupMembership(0, t, 50, u"South"), 1);
    EXPECT_EQ(t.groups[1].count, 2);
    EXPECT_EQ(t.groups[1].ids[1], 50);
    EXPECT_EQ(EditGroupMembership(1, t, 11, u""), 1);
    EXPECT_EQ(t.groups[0].count, 2);
    EXPECT_EQ(t.groups[0].ids[0], 0);
    EXPECT_EQ(t.groups[0].ids[1], 13);
    EXPECT_EQ(t.groups[0].ids[2], 0);  // the vacated place is cleared
    EXPECT_EQ(EditGroupMembership(1, t, 11, u""), 0);
    EXPECT_EQ(EditGroupMembership(2, t, 77, u"North"), 0);

    GroupTable full = FullTable();
    EXPECT_EQ(TotalGroupMembers(full), 1100);
    EXPECT_EQ(EditGroupMembership(0, full, 5000, u"G5"), 0);
    EXPECT_EQ(full.groups[5].count, 100);
    ASSERT_EQ(EditGroupMembership(1, full, 1, u""), 1);
    EXPECT_EQ(EditGroupMembership(0, full, 5000, u"G5"), 0);  // 1099 still passes 1024

    GroupTable under;
    SetGroup(under, 0, u"A", Ids(1, 1023));
    SetGroup(under, 1, u"B", {});
    EXPECT_EQ(EditGroupMembership(0, under, 5000, u"B"), 1);
    EXPECT_EQ(EditGroupMembership(0, under, 5001, u"B"), 0);
}

TEST(GroupMembership, PackingSixGroupsOf1100IdsKeepsTheFirst1024) {
    const GroupUploadBlock b = PackGroupTable(FullTable());
    const std::vector<uint8_t> block(b.begin(), b.end());
    for (int g = 0; g < 6; ++g) EXPECT_EQ(At16(block, 266 + 2 * size_t(g)), g < 5 ? 200 * g : 1000) << g;
    for (size_t i = 0; i < 1024; ++i) ASSERT_EQ(At16(block, 278 + 2 * i), i + 1) << i;
    EXPECT_EQ(At16(block, 0), BitwiseModbus(block.data() + 2, 2324));
}

TEST(GroupMembership, MoveChecksTheTargetBeforeTakingTheIdOut) {
    GroupTable t = TwoGroups();
    EXPECT_TRUE(MoveGroupMember(t, 13, u"South"));
    EXPECT_EQ(FindGroupOfMember(t, 13), 1);
    EXPECT_EQ(t.groups[0].count, 2);
    EXPECT_FALSE(MoveGroupMember(t, 13, u"South"));
    EXPECT_FALSE(MoveGroupMember(t, 13, u"Sout"));
    EXPECT_FALSE(MoveGroupMember(t, 404, u"North"));

    GroupTable full;
    SetGroup(full, 0, u"Full", Ids(1, 1024));
    SetGroup(full, 1, u"Other", {9999});
    EXPECT_FALSE(MoveGroupMember(full, 9999, u"Full"));
    EXPECT_EQ(FindGroupOfMember(full, 9999), 1);  // still in its group
    EXPECT_EQ(full.groups[1].count, 1);
}

TEST(GroupNames, BoundedCopies) {
    VehicleGroup g;
    SetGroupName(g, u"ABCDEFGHIJKLMN");
    EXPECT_EQ(GroupName(g), u"ABCDEFGHIJ");
    SetGroupName(g, u"ab");
    EXPECT_EQ(GroupName(g), u"ab");
    EXPECT_EQ(g.name[2], 0);
    EXPECT_EQ(g.name[9], 0);
}

TEST(PasswordChange, RequestBytes) {
    const auto r = PasswordRequest(0x0102, "oldpass", "12345678901234567890");
    ASSERT_EQ(r.size(), 80u);
    EXPECT_EQ(std::vector<uint8_t>(r.begin(), r.begin() + 48), RequestHeader(0x8027, 0x0102, 32));
    EXPECT_EQ(std::string(r.begin() + 48, r.end()), std::string("oldpass\0\0\0\0\0\0\0\0\0", 16) + "1234567890123456");
}

TEST(PasswordChange, InputRefusedBeforeAnythingIsSent) {
    FakeServer server({});
    const ServerSocket s = server.Socket(50);
    EXPECT_EQ(ChangePassword(s, 1, "", "abcdef", "abcdef"), PasswordResult::kEmptyOld);
    EXPECT_EQ(ChangePassword(s, 1, "old", "abcde", "abcde"), PasswordResult::kTooShort);
    EXPECT_EQ(ChangePassword(s, 1, "old", "abcdef", "abcdeg"), PasswordResult::kConfirmMismatch);
    EXPECT_EQ(PendingOn(server.ServerFd()), 0);
}

TEST(PasswordChange, EachAnswer) {
    struct Case {
        std::vector<uint8_t> reply;
        PasswordResult result;
    };
    auto shortReply = ServerReply(0xFFFF, 0, 0);
    shortReply.resize(44);
    const Case cases[] = {
        {ServerReply(0xFFFF, 0, 0), PasswordResult::kChanged},
        {ServerReply(0x8027, 0xFFFF, 0xFFFFFFFF), PasswordResult::kWrongOld},
        {ServerReply(0x8027, 0xFFFE, 0xFFFFFFFF), PasswordResult::kNetworkException},
        {ServerReply(0x8027, 0xFFFD, 0xFFFFFFFF), PasswordResult::kTooShort},
        {ServerReply(0x8027, 0x0001, 0xFFFFFFFF), PasswordResult::kNoMessage},
        {shortReply, PasswordResult::kNetworkException},
        {ServerReply(0xFFFF, 0, 0, "zip0"), PasswordResult::kNetworkException},
        {{}, PasswordResult::kDisconnected},
    };
    for (const Case& c : cases) {
        FakeServer server({c.reply});
        EXPECT_EQ(ChangePassword(server.Socket(100), 7, "oldpw", "newpass", "newpass"), c.result);
        ASSERT_EQ(server.Requests().size(), 1u);
        EXPECT_EQ(server.Requests()[0].size(), 80u);
    }
    EXPECT_EQ(PasswordMessage(PasswordResult::kNoMessage), u"");  // the dialog tests show the other texts
}

}  // namespace
}  // namespace ledsuite
