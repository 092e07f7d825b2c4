#include "link/server_requests.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/ioctl.h>

#include <chrono>
#include <thread>
#include <numeric>

#include "tests/link/fake_server.h"

namespace ledsuite {
namespace {

using testing::FakeServer;
using testing::LoopbackListener;
using testing::ScriptedReply;
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
    for (size_t at = 270; at < 278; at += 2) EXPECT_EQ(At16(block, at), 0) << at;  // no group past the table's end
    const std::u16string north = u"North";
    for (size_t u = 0; u < 10; ++u) EXPECT_EQ(At16(block, 134 + 2 * u), u < 5 ? north[u] : 0) << u;
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
        EXPECT_EQ(UploadGroupTable(server.Socket(200), TwoGroups()), result);
        EXPECT_EQ(server.Requests().size(), requests);
        EXPECT_EQ(PendingOn(server.ServerFd()), 0);  // nothing more was sent
    }
}

TEST(GroupUpload, SilentServerFailsWithinTheTimeOut) {
    FakeServer server({std::vector<uint8_t>{}});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(UploadGroupTable(server.Socket(150), TwoGroups()), kUploadTimedOut);  // a time-out says so
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    EXPECT_FALSE(ServerConnected());
}

// A reply of `payload` bytes after its header, the bytes counting up from `first`.
std::vector<uint8_t> ReplyWithPayload(size_t payload, uint8_t first = 0) {
    std::vector<uint8_t> reply = ServerReply(0xFFFF);
    reply[26] = uint8_t(payload), reply[27] = uint8_t(payload >> 8);
    for (size_t i = 0; i < payload; ++i) reply.push_back(uint8_t(first + i));
    return reply;
}

TEST(ReceiveServerReply, ReadsToTheLengthItNamesAndNeverPastTheCapacity) {
    FakeServer server({});
    const ServerSocket socket = server.Socket(300);
    const std::vector<uint8_t> reply = ReplyWithPayload(52), next = ReplyWithPayload(4, 0x80);
    std::vector<uint8_t> both = reply;
    both.insert(both.end(), next.begin(), next.end());
    ASSERT_EQ(send(server.ServerFd(), both.data(), both.size(), 0), ssize_t(both.size()));
    std::vector<uint8_t> buffer(200, 0xEE);
    EXPECT_EQ(ReceiveServerReply(socket, buffer.data(), 200), 100);  // one reply, not what follows it
    EXPECT_TRUE(std::equal(reply.begin(), reply.end(), buffer.begin()));
    EXPECT_EQ(buffer[100], 0xEE);
    EXPECT_TRUE(ServerConnected());
    EXPECT_EQ(ReceiveServerReply(socket, buffer.data(), 200), 52);
    EXPECT_EQ(buffer[51], 0x83);

    // A reply longer than the room fails, writes nothing past it, and is skipped whole.
    const std::vector<uint8_t> big = ReplyWithPayload(100);
    ASSERT_EQ(send(server.ServerFd(), big.data(), big.size(), 0), ssize_t(big.size()));
    std::fill(buffer.begin(), buffer.end(), 0xEE);
    EXPECT_EQ(ReceiveServerReply(socket, buffer.data(), 64), kReceiveFailed);
    EXPECT_EQ(buffer[64], 0xEE);
    EXPECT_FALSE(ServerConnected());
    ASSERT_EQ(send(server.ServerFd(), next.data(), next.size(), 0), ssize_t(next.size()));
    EXPECT_EQ(ReceiveServerReply(socket, buffer.data(), 200), 52);
    EXPECT_EQ(buffer[48], 0x80);

    EXPECT_EQ(ReceiveServerReply(ServerSocket{-1, 10}, buffer.data(), 64), kReceiveFailed);
    EXPECT_EQ(ReceiveServerReply(socket, buffer.data(), 0), kReceiveFailed);  // no room: nothing read
    ASSERT_EQ(send(server.ServerFd(), reply.data(), 30, 0), 30);
    shutdown(server.ServerFd(), SHUT_WR);
    EXPECT_EQ(ReceiveServerReply(socket, buffer.data(), 200), 30);  // closed inside the header: short
    EXPECT_EQ(ReceiveServerReply(socket, buffer.data(), 200), 0);   // then the close
    EXPECT_FALSE(ServerConnected());

    // A close while an earlier reply is still owed is a close too.
    FakeServer owing({});
    const ServerSocket late = owing.Socket(50);
    EXPECT_EQ(ReceiveServerReply(late, buffer.data(), 200), kReceiveTimedOut);
    shutdown(owing.ServerFd(), SHUT_WR);
    EXPECT_EQ(ReceiveServerReply(late, buffer.data(), 200), 0);
}

TEST(ServerReplyChecks, MagicAndAcceptedCommand) {
    EXPECT_TRUE(CheckServerReply(ServerReply(0xFFFF)));
    EXPECT_FALSE(CheckServerReply(ServerReply(0xFFFE)));
    EXPECT_FALSE(CheckServerReply(ServerReply(0xFFFF, 0, 0, "KIP0")));
    auto shortReply = ServerReply(0xFFFF);
    shortReply.resize(47);
    EXPECT_FALSE(CheckServerReply(shortReply));
    EXPECT_FALSE(CheckServerReply({}));
    auto padded = ServerReply(0xFFFF);
    padded[4] = 0xAA;  // only the first four bytes are the magic
    EXPECT_TRUE(CheckServerReply(padded));
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

    // Ids kept past the table's end (after the empty name) belong to no group.
    GroupTable past = TwoGroups();
    past.groups[2].count = 1;
    past.groups[2].ids[0] = 77;
    EXPECT_EQ(FindGroupOfMember(past, 77), -1);
    EXPECT_EQ(FindGroupOfMember(past, 404), -1);
    EXPECT_EQ(EditGroupMembership(0, past, 77, u"North"), 1);

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

TEST(GroupMembership, OnlyEachGroupsCountOfIdsIsPacked) {
    GroupTable t = TwoGroups();
    t.groups[1].ids[1] = 55;  // a stale id past South's one member
    const GroupUploadBlock b = PackGroupTable(t);
    const std::vector<uint8_t> block(b.begin(), b.end());
    EXPECT_EQ(std::tuple(At16(block, 282), At16(block, 284)), std::tuple(21, 0));
    EXPECT_EQ(FindGroupByName(t, u"Nowhere"), -1);
    EXPECT_EQ(FindGroupByName(t, u"South"), 1);
    ServerRequestHeader header;
    header.command = 7;
    EXPECT_EQ(std::pair(UsedGroupCount(GroupTable{}), UsedGroupCount(t)), std::pair(0, 2));
    t.groups[2].count = 1;  // members after the empty name count for nothing
    EXPECT_EQ(TotalGroupMembers(t), 4);
    EXPECT_FALSE(ReadServerRequestHeader(std::vector<uint8_t>(47, 0xFF), header));
    EXPECT_EQ(header.command, 7);  // left as it was
}

TEST(GroupMembership, PackingSixGroupsOf1100IdsKeepsTheFirst1024) {
    const GroupUploadBlock b = PackGroupTable(FullTable());
    const std::vector<uint8_t> block(b.begin(), b.end());
    for (int g = 0; g < 6; ++g) EXPECT_EQ(At16(block, 266 + 2 * size_t(g)), g < 5 ? 200 * g : 1000) << g;
    for (size_t i = 0; i < 1024; ++i) ASSERT_EQ(At16(block, 278 + 2 * i), i + 1) << i;
    EXPECT_EQ(At16(block, 0), BitwiseModbus(block.data() + 2, 2324));
}

TEST(GroupMembership, AFullIdListLeavesLaterGroupsStartingAtItsEnd) {
    GroupTable t;
    SetGroup(t, 0, u"A", Ids(1, 1024));
    SetGroup(t, 1, u"B", Ids(2000, 5));
    SetGroup(t, 2, u"C", {3000});
    const GroupUploadBlock b = PackGroupTable(t);
    const std::vector<uint8_t> block(b.begin(), b.end());
    EXPECT_EQ(std::tuple(At16(block, 266), At16(block, 268), At16(block, 270)), std::tuple(0, 1024, 1024));
    EXPECT_EQ(At16(block, 278 + 2 * 1023), 1024);
}

TEST(GroupMembership, MoveChecksTheTargetBeforeTakingTheIdOut) {
    GroupTable t = TwoGroups();
    EXPECT_TRUE(MoveGroupMember(t, 13, u"South"));
    EXPECT_EQ(FindGroupOfMember(t, 13), 1);
    EXPECT_EQ(t.groups[0].count, 2);
    EXPECT_FALSE(MoveGroupMember(t, 13, u"South"));
    EXPECT_FALSE(MoveGroupMember(t, 13, u"Sout"));
    EXPECT_FALSE(MoveGroupMember(t, 404, u"North"));
    EXPECT_FALSE(MoveGroupMember(t, 0, u"South"));  // North's empty place is no vehicle
    SetGroup(t, 2, u"One", {1});
    EXPECT_TRUE(MoveGroupMember(t, 1, u"South"));
    EXPECT_TRUE(MoveGroupMember(t, 21, u"North"));  // into the first group
    EXPECT_EQ(FindGroupOfMember(t, 21), 0);
    EXPECT_EQ(t.groups[0].ids[2], 21);

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
        {{'k'}, PasswordResult::kNetworkException},  // one byte, then nothing: no answer, not a closed line
        {ServerReply(0xFFFF, 0, 0, "zip0"), PasswordResult::kNetworkException},
        {{}, PasswordResult::kTimedOut},
    };
    for (const Case& c : cases) {
        FakeServer server({c.reply});
        EXPECT_EQ(ChangePassword(server.Socket(100), 7, "oldpw", "newpass", "newpass"), c.result);
        ASSERT_EQ(server.Requests().size(), 1u);
        EXPECT_EQ(server.Requests()[0].size(), 80u);
    }
    EXPECT_EQ(PasswordMessage(PasswordResult::kNoMessage), u"");  // the dialog tests show the other texts
    // A server that closes without answering: disconnected, not a malformed answer; an upload
    // gets nothing, which is shorter than a reply.
    FakeServer closing({});
    shutdown(closing.ServerFd(), SHUT_WR);
    EXPECT_EQ(ChangePassword(closing.Socket(500), 7, "oldpw", "newpass", "newpass"), PasswordResult::kDisconnected);
    EXPECT_EQ(UploadGroupTable(closing.Socket(500), TwoGroups()), kUploadShortReply);
    // A line closed at the far end takes nothing: the send fails at once.
    FakeServer gone({});
    const int null = open("/dev/null", O_RDONLY);
    dup2(null, gone.ServerFd());  // the socket's far end closes; the number now names /dev/null
    close(null);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(SendServerBytes(gone.Socket(2000), PasswordRequest(1, "a", "b")));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

// A vehicle server on a real TCP connection over loopback, playing `script`.
struct TcpServer {
    LoopbackListener listener;
    int client = listener.Connect();
    FakeServer server;
    explicit TcpServer(std::vector<ScriptedReply> script, size_t skipFirst = 0)
        : server(listener.Accept(), std::move(script), skipFirst) {}
    ~TcpServer() { close(client); }
};

const std::vector<uint8_t> kRefusedPassword = ServerReply(0x8027, 0xFFFF, 0xFFFFFFFF);

TEST(ServerOverTcp, RepliesInPiecesWithPausesAreReadWhole) {
    TcpServer tcp({{ServerReply(0xFFFF), 0, {20, 28}, 50},                   // 20 + 28 bytes, 50 ms apart
                   {ReplyWithPayload(20), 0, {1, 9, 10, 10, 10, 8}, 30},       // six segments, across the payload
                   {kRefusedPassword, 0, {47}, 60}});
    ServerSocket socket{tcp.client, 1000};
    EXPECT_EQ(UploadGroupTable(socket, TwoGroups()), kUploadOk);
    EXPECT_EQ(ChangePassword(socket, 5, "oldpw", "newpass", "newpass"), PasswordResult::kWrongOld);
    const auto requests = tcp.server.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(std::vector<uint8_t>(requests[1].begin(), requests[1].begin() + 48), RequestHeader(0x8007, 1163, 1163));
    EXPECT_EQ(std::vector<uint8_t>(requests[2].begin(), requests[2].begin() + 48), RequestHeader(0x8027, 5, 32));
}

TEST(ServerOverTcp, ALateReplyIsNeverTakenForTheNextRequestsAnswer) {
    for (const bool lateBeforeNext : {true, false}) {
        // The first half's accepted reply comes 300 ms late; the password change is then refused.
        TcpServer tcp({{ServerReply(0xFFFF), 300}, {kRefusedPassword}});
        ServerSocket socket{tcp.client, 100};
        EXPECT_EQ(UploadGroupTable(socket, TwoGroups()), kUploadTimedOut);
        EXPECT_FALSE(ServerConnected());
        if (lateBeforeNext) std::this_thread::sleep_for(std::chrono::milliseconds(400));  // drained before it
        socket.timeoutMs = 1500;                                                        // else skipped after it
        EXPECT_EQ(ChangePassword(socket, 5, "oldpw", "newpass", "newpass"), PasswordResult::kWrongOld);
        const auto requests = tcp.server.Requests();
        ASSERT_EQ(requests.size(), 2u);  // the second half never went out
        EXPECT_EQ(requests[1].size(), 80u);
        EXPECT_EQ(PasswordMessage(PasswordResult::kTimedOut), u"The server did not answer in time, please retry later");
    }
}

TEST(ServerOverTcp, APayloadCutByTheTimeOutIsSkippedWhenItsRestComes) {
    // 60 bytes at once, then 17 and the last one, 150 ms apart: the skip waits for that last byte.
    std::vector<uint8_t> first = ReplyWithPayload(30);
    TcpServer tcp({{first, 0, {60, 17}, 150}, {ServerReply(0xFFFF)}});
    ServerSocket socket{tcp.client, 100};
    std::vector<uint8_t> request(48);
    ASSERT_TRUE(SendServerBytes(socket, request));
    std::vector<uint8_t> buffer(256);
    EXPECT_EQ(ReceiveServerReply(socket, buffer.data(), buffer.size()), kReceiveTimedOut);
    socket.timeoutMs = 1000;
    DrainServerSocket(socket);
    ASSERT_TRUE(SendServerBytes(socket, request));
    EXPECT_EQ(ReceiveServerReply(socket, buffer.data(), buffer.size()), 48);  // the 18 late bytes went first
    EXPECT_TRUE(CheckServerReply(std::span(buffer.data(), 48)));
}

TEST(ServerOverTcp, ALongLateReplyIsSkippedWhole) {
    // 5000 payload bytes of which 903 come in time: 4097 are skipped when they come.
    TcpServer tcp({{ReplyWithPayload(5000), 0, {951}, 300}, {ServerReply(0xFFFF)}});
    ServerSocket socket{tcp.client, 100};
    std::vector<uint8_t> buffer(0x10000);
    ASSERT_TRUE(SendServerBytes(socket, std::vector<uint8_t>(48)));
    EXPECT_EQ(ReceiveServerReply(socket, buffer.data(), buffer.size()), kReceiveTimedOut);
    socket.timeoutMs = 1500;
    ASSERT_TRUE(SendServerBytes(socket, std::vector<uint8_t>(48)));
    EXPECT_EQ(ReceiveServerReply(socket, buffer.data(), buffer.size()), 48);
    EXPECT_TRUE(CheckServerReply(std::span(buffer.data(), 48)));
}

// 48 bytes of 0xA5: no magic, and a length field (0xA5A5) that would swallow 42,405 bytes.
const std::vector<uint8_t> kForeignHeader(kServerHeaderSize, 0xA5);

TEST(ServerOverTcp, AReplyThatIsNoReplyIsDroppedAndTheNextRequestsReplyComesAtOnce) {
    // (late): the foreign header answers a request in time; or 300 ms late, after that request gave up.
    for (const bool late : {false, true}) {
        // The refusal comes with stray bytes after it: they answer nothing and are dropped too.
        std::vector<uint8_t> refusedAndStray = kRefusedPassword;
        refusedAndStray.insert(refusedAndStray.end(), 10, 0x5A);
        TcpServer tcp({{kForeignHeader, late ? 300 : 0}, {refusedAndStray}, {ServerReply(0xFFFF)},
                       {ServerReply(0xFFFF)}});
        ServerSocket socket{tcp.client, late ? 100 : 5000};
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(ChangePassword(socket, 5, "oldpw", "newpass", "newpass"),
                  late ? PasswordResult::kTimedOut : PasswordResult::kNetworkException);
        if (late) std::this_thread::sleep_for(std::chrono::milliseconds(400));
        socket.timeoutMs = 5000;
        const auto next = std::chrono::steady_clock::now();
        EXPECT_EQ(ChangePassword(socket, 5, "oldpw", "newpass", "newpass"), PasswordResult::kWrongOld) << late;
        EXPECT_EQ(UploadGroupTable(socket, TwoGroups()), kUploadOk) << late;
        // Three exchanges, each answered at once: far within one reply's wait.
        EXPECT_LT(std::chrono::steady_clock::now() - (late ? next : start), std::chrono::milliseconds(2500)) << late;
        EXPECT_EQ(tcp.server.Requests().size(), 4u);
    }
}

TEST(ServerOverTcp, ARequestTheServerTakesInPiecesArrivesWhole) {
    // The client's send path is filled first, and the server reads only after a pause: the
    // request goes out in as many pieces as the socket takes.
    LoopbackListener listener;
    const int client = listener.Connect();
    const int serverEnd = listener.Accept();
    std::vector<uint8_t> junk(1 << 16, 0x5A);
    size_t stuffed = 0;
    for (;;) {
        const ssize_t n = send(client, junk.data(), junk.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n <= 0) break;
        stuffed += size_t(n);
    }
    ASSERT_GT(stuffed, 0u);
    {
        FakeServer server(serverEnd, std::vector<ScriptedReply>{{ServerReply(0xFFFF)}, {ServerReply(0xFFFF)}}, stuffed);
        EXPECT_EQ(UploadGroupTable(ServerSocket{client, 3000}, TwoGroups()), kUploadOk);
        const auto requests = server.Requests();
        ASSERT_EQ(requests.size(), 2u);
        const GroupUploadBlock block = PackGroupTable(TwoGroups());
        EXPECT_TRUE(std::equal(requests[0].begin() + 48, requests[0].end(), block.begin()));
        EXPECT_TRUE(std::equal(requests[1].begin() + 48, requests[1].end(), block.begin() + 1163));
    }
    close(client);
    // A server that takes nothing: the send gives up within the time-out.
    const int stuck = listener.Connect();
    const int stuckEnd = listener.Accept();
    for (size_t sent = 0; send(stuck, junk.data(), junk.size(), MSG_DONTWAIT | MSG_NOSIGNAL) > 0;) sent++;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(SendServerBytes(ServerSocket{stuck, 150}, junk));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    close(stuck);
    close(stuckEnd);
}

}  // namespace
}  // namespace ledsuite
