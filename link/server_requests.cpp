#include "link/server_requests.h"

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "content/bytes.h"
#include "content/model/crc16.h"
#include "content/model/lang.h"

namespace ledsuite {

namespace {

std::atomic<bool> g_connected{false};

constexpr uint8_t kMagic[4] = {'k', 'i', 'p', '0'};

// Header field offsets.
constexpr size_t kOffCommand = 20;
constexpr size_t kOffOffset = 22;
constexpr size_t kOffResult = 24;
constexpr size_t kOffLength = 26;
constexpr size_t kOffRefused = 44;

// Block offsets.
constexpr size_t kBlockNames = 134;
constexpr size_t kBlockValues = 254;
constexpr size_t kBlockStarts = 266;
constexpr size_t kBlockIds = 278;

uint16_t Get16(std::span<const uint8_t> b, size_t off) { return uint16_t(b[off] | b[off + 1] << 8); }
void Put16(uint8_t* b, uint16_t v) {
    b[0] = uint8_t(v);
    b[1] = uint8_t(v >> 8);
}

using Clock = std::chrono::steady_clock;

Clock::time_point DeadlineAfter(int timeoutMs) {
    return Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
}

// Milliseconds left until the deadline, 0 once it has passed (a poll then only looks).
int MsLeft(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return int(std::clamp<long long>(left, 0, 1 << 30));
}

int FailReceive(int result) {
    g_connected = false;
    return result;
}

enum class Fill { kDone, kTimedOut, kClosed, kFailed };

// A failure that only asks to try again: a signal, or nothing to read or room to write yet
// (EWOULDBLOCK is EAGAIN here).
static_assert(EAGAIN == EWOULDBLOCK);
bool TryAgain(int error) { return error == EINTR || error == EAGAIN; }

// Waits until the socket is ready for `events` or the deadline passes: true when ready.
// Already ready means true even past the deadline. A wait a signal cut short goes on.
bool WaitReady(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        pollfd p{fd, events, 0};
        if (poll(&p, 1, MsLeft(deadline)) > 0) return true;
        if (Clock::now() >= deadline) return false;
    }
}

// Reads until `out` holds `want` bytes (`have` already there), in whatever pieces the
// stream brings, until the deadline. Bytes already pending are read even after it.
Fill FillTo(int fd, uint8_t* out, size_t& have, size_t want, Clock::time_point deadline) {
    while (have < want) {
        if (!WaitReady(fd, POLLIN, deadline)) return Fill::kTimedOut;
        const ssize_t got = recv(fd, out + have, want - have, MSG_DONTWAIT);
        if (got > 0) {
            have += size_t(got);
        } else if (got == 0) {
            return Fill::kClosed;
        } else if (!TryAgain(errno)) {
            return Fill::kFailed;
        }
    }
    return Fill::kDone;
}

// Reads and drops `left` bytes until the deadline; `left` counts down as they go.
Fill SkipBytes(int fd, size_t& left, Clock::time_point deadline) {
    uint8_t scratch[4096];
    while (left != 0) {
        size_t have = 0;
        const Fill f = FillTo(fd, scratch, have, std::min(left, sizeof scratch), deadline);
        left -= have;
        if (f != Fill::kDone) return f;
    }
    return Fill::kDone;
}

// Reads and drops every byte pending on the socket, without waiting.
void DropPending(int fd) {
    uint8_t scratch[4096];
    for (;;) {
        const ssize_t got = recv(fd, scratch, sizeof scratch, MSG_DONTWAIT);
        if (got > 0) continue;
        if (got == 0 || errno != EINTR) return;  // closed, or nothing more pending
    }
}

// A header without the magic is no reply's: its length field names nothing, so where the
// next reply begins is unknown. It goes with every byte pending, and nothing is owed any
// more: the next reply that comes is the next request's own.
void DropForeignHeader(int fd, LateReplies& late) {
    DropPending(fd);
    late = {};
}

// Skips the late replies owed on the socket that come before the deadline: each one's
// header, then the payload length it names.
Fill SkipLateReplies(int fd, LateReplies& late, Clock::time_point deadline) {
    while (late.owed > 0) {
        if (late.head.size() < kServerHeaderSize) {
            size_t have = late.head.size();
            late.head.resize(kServerHeaderSize);
            const Fill f = FillTo(fd, late.head.data(), have, kServerHeaderSize, deadline);
            late.head.resize(have);
            if (f != Fill::kDone) return f;
            if (!HasServerMagic(late.head)) {
                DropForeignHeader(fd, late);
                return Fill::kDone;
            }
            late.bodyLeft = Get16(late.head, kOffLength);
        }
        if (const Fill f = SkipBytes(fd, late.bodyLeft, deadline); f != Fill::kDone) return f;
        late.head.clear();
        --late.owed;
    }
    return Fill::kDone;
}

// A reply the request stops waiting for: what is still to come of it is skipped later.
void OweRest(LateReplies& late, std::span<const uint8_t> begun, size_t bodyLeft) {
    late.owed = 1;
    late.head.assign(begun.begin(), begun.end());
    late.bodyLeft = bodyLeft;
}

}  // namespace

void WriteServerRequestHeader(const ServerRequestHeader& header, uint8_t* out48) {
    ByteWriter w(out48, kServerHeaderSize);
    w.put_bytes(header.magic.data(), 4);
    w.pad_to(kOffCommand);
    w.put_u16(header.command);
    w.put_u16(header.offset);
    w.put_u16(header.result);
    w.put_u16(header.length);
    w.pad_to(kOffRefused);
    w.put_u32(header.refused);
}

bool ReadServerRequestHeader(std::span<const uint8_t> reply, ServerRequestHeader& out) {
    if (reply.size() < kServerHeaderSize) return false;
    std::copy_n(reply.begin(), out.magic.size(), out.magic.begin());
    out.command = Get16(reply, kOffCommand);
    out.offset = Get16(reply, kOffOffset);
    out.result = Get16(reply, kOffResult);
    out.length = Get16(reply, kOffLength);
    out.refused = uint32_t(Get16(reply, kOffRefused)) | uint32_t(Get16(reply, kOffRefused + 2)) << 16;
    return true;
}

bool HasServerMagic(std::span<const uint8_t> reply) {
    return reply.size() >= kServerHeaderSize && std::equal(kMagic, kMagic + 4, reply.begin());
}

bool CheckServerReply(std::span<const uint8_t> reply) {
    return HasServerMagic(reply) && Get16(reply, kOffCommand) == kReplyAccepted;
}

int ReceiveServerReply(const ServerSocket& socket, uint8_t* buffer, size_t capacity) {
    capacity = std::min(capacity, kServerReplyCapacity);
    if (!buffer || capacity == 0 || socket.fd < 0) return FailReceive(kReceiveFailed);
    const Clock::time_point deadline = DeadlineAfter(socket.timeoutMs);
    LateReplies& late = socket.late;
    const Fill skipped = SkipLateReplies(socket.fd, late, deadline);
    if (skipped == Fill::kTimedOut) {
        ++late.owed;  // this request's reply comes after the late ones
        return FailReceive(kReceiveTimedOut);
    }
    if (skipped != Fill::kDone) return FailReceive(skipped == Fill::kClosed ? 0 : kReceiveFailed);
    std::array<uint8_t, kServerHeaderSize> head{};
    size_t have = 0;
    const Fill f = FillTo(socket.fd, head.data(), have, head.size(), deadline);
    if (f == Fill::kFailed) return FailReceive(kReceiveFailed);
    if (f == Fill::kTimedOut && have == 0) {
        late.owed = 1;  // the whole reply is still to come: skipped when it does
        return FailReceive(kReceiveTimedOut);
    }
    if (f != Fill::kDone || !HasServerMagic(head)) {
        // A short reply (or 0: closed), or a header that is no reply's: what it says is
        // returned, never waited for. After a foreign header nothing pending can be told
        // apart from the next reply, so all of it goes now; after a short reply whatever
        // may still follow is no whole reply the server owes: the drain before the next
        // request drops it.
        if (f == Fill::kDone) DropForeignHeader(socket.fd, late);
        std::copy_n(head.begin(), std::min(have, capacity), buffer);
        return FailReceive(int(std::min(have, capacity)));
    }
    const size_t bodyLength = Get16(head, kOffLength);
    const size_t total = kServerHeaderSize + bodyLength;
    if (total > capacity) {
        OweRest(late, head, bodyLength);  // skipped before the next reply is read
        return FailReceive(kReceiveFailed);
    }
    std::copy(head.begin(), head.end(), buffer);
    const Fill body = FillTo(socket.fd, buffer, have, total, deadline);
    if (body == Fill::kTimedOut) {
        OweRest(late, head, total - have);
        return FailReceive(kReceiveTimedOut);
    }
    if (body != Fill::kDone) return FailReceive(kReceiveFailed);
    g_connected = true;
    return int(total);
}

void DrainServerSocket(const ServerSocket& socket) {
    if (SkipLateReplies(socket.fd, socket.late, Clock::now()) != Fill::kDone) return;  // still owed: keep its place
    DropPending(socket.fd);  // nothing is owed: whatever else is pending answers no request of ours
}

bool ServerConnected() { return g_connected; }

bool SendServerBytes(const ServerSocket& socket, std::span<const uint8_t> bytes) {
    // A server that stops reading must not hold the UI: the send is bounded like a reply.
    const Clock::time_point deadline = DeadlineAfter(socket.timeoutMs);
    size_t sent = 0;
    while (sent < bytes.size()) {
        const std::span<const uint8_t> rest = bytes.subspan(sent);
        const ssize_t n = send(socket.fd, rest.data(), rest.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            sent += size_t(n);
        } else if (!TryAgain(errno) || !WaitReady(socket.fd, POLLOUT, deadline)) {
            return false;  // a broken connection, or a server that takes nothing in time
        }
    }
    return true;
}

// ---- vehicle groups ---------------------------------------------------------

std::u16string GroupName(const VehicleGroup& group) {
    const auto end = std::find(group.name.begin(), group.name.end(), u'\0');
    return std::u16string(group.name.begin(), end);
}

void SetGroupName(VehicleGroup& group, std::u16string_view name) {
    group.name.fill(0);
    std::copy_n(name.begin(), std::min(name.size(), group.name.size()), group.name.begin());
}

int UsedGroupCount(const GroupTable& table) {
    int n = 0;
    while (n < kGroupCount && table.groups[size_t(n)].name[0] != 0) ++n;
    return n;
}

static int MemberCount(const VehicleGroup& group) { return std::min<int>(group.count, kGroupIdCapacity); }

// The groups in use, and a group's members: what lies past them belongs to no group.
static std::span<const VehicleGroup> UsedGroups(const GroupTable& table) {
    return std::span(table.groups).first(size_t(UsedGroupCount(table)));
}
static std::span<const uint16_t> Members(const VehicleGroup& group) {
    return std::span(group.ids).first(size_t(MemberCount(group)));
}
// The index of the first used group that `match` accepts, or -1.
template <class Match>
static int FindUsedGroup(const GroupTable& table, Match match) {
    const auto used = UsedGroups(table);
    const auto it = std::find_if(used.begin(), used.end(), match);
    return it == used.end() ? -1 : int(std::distance(used.begin(), it));
}

int TotalGroupMembers(const GroupTable& table) {
    int total = 0;
    for (const VehicleGroup& group : UsedGroups(table)) total += MemberCount(group);
    return total;
}

int FindGroupOfMember(const GroupTable& table, uint16_t id) {
    return FindUsedGroup(table, [id](const VehicleGroup& group) {
        const auto members = Members(group);
        return std::find(members.begin(), members.end(), id) != members.end();
    });
}

int FindGroupByName(const GroupTable& table, std::u16string_view name) {
    if (name.empty()) return -1;
    return FindUsedGroup(table, [name](const VehicleGroup& group) { return GroupName(group) == name; });
}

// Takes the id out of a group that holds it; the places it leaves at the end are cleared.
static void RemoveMember(VehicleGroup& group, uint16_t id) {
    const auto members = std::span(group.ids).first(size_t(MemberCount(group)));
    const auto end = std::remove(members.begin(), members.end(), id);
    std::fill(end, members.end(), uint16_t(0));
    group.count = uint16_t(std::distance(members.begin(), end));
}

int EditGroupMembership(int mode, GroupTable& table, uint16_t id, std::u16string_view name) {
    if (id == 0) return 0;
    const int holder = FindGroupOfMember(table, id);
    if (mode == 1) {
        if (holder < 0) return 0;
        RemoveMember(table.groups[size_t(holder)], id);
        return 1;
    }
    if (mode != 0 || holder >= 0) return 0;
    const int target = FindGroupByName(table, name);
    // The upload block holds 1024 ids of all groups together: an add past that would be lost.
    if (target < 0 || TotalGroupMembers(table) >= kGroupIdCapacity) return 0;
    // Within the total, every group has room too.
    VehicleGroup& group = table.groups[size_t(target)];
    const int count = MemberCount(group);
    group.ids[size_t(count)] = id;
    group.count = uint16_t(count + 1);
    return 1;
}

bool MoveGroupMember(GroupTable& table, uint16_t id, std::u16string_view name) {
    const int from = FindGroupOfMember(table, id);
    const int to = FindGroupByName(table, name);
    if (id == 0 || from < 0 || to < 0 || from == to) return false;
    VehicleGroup& target = table.groups[size_t(to)];
    if (MemberCount(target) >= kGroupIdCapacity) return false;  // checked before the id leaves its group
    RemoveMember(table.groups[size_t(from)], id);
    target.ids[size_t(MemberCount(target))] = id;
    target.count = uint16_t(MemberCount(target) + 1);
    return true;
}

GroupUploadBlock PackGroupTable(const GroupTable& table) {
    GroupUploadBlock block{};
    size_t packed = 0;
    for (int g = 0; g < UsedGroupCount(table); ++g) {
        const VehicleGroup& group = table.groups[size_t(g)];
        uint8_t* name = block.data() + kBlockNames + size_t(g) * kGroupNameUnits * 2;
        for (size_t u = 0; u < kGroupNameUnits; ++u) Put16(name + 2 * u, group.name[u]);
        Put16(block.data() + kBlockValues + size_t(g) * 2, group.value);
        Put16(block.data() + kBlockStarts + size_t(g) * 2, uint16_t(packed));
        for (int m = 0; m < MemberCount(group) && packed < kGroupIdCapacity; ++m) {
            if (group.ids[size_t(m)] == 0) continue;
            Put16(block.data() + kBlockIds + packed * 2, group.ids[size_t(m)]);
            ++packed;
        }
    }
    Put16(block.data(), Crc16Modbus(kGroupBlockSize - 2, block.data() + 2));
    return block;
}

// Sends one request (header + payload) and checks the reply.
static int SendAccepted(const ServerSocket& socket, const ServerRequestHeader& header,
                        std::span<const uint8_t> payload) {
    std::vector<uint8_t> request(kServerHeaderSize + payload.size());
    WriteServerRequestHeader(header, request.data());
    std::copy(payload.begin(), payload.end(), request.begin() + kServerHeaderSize);
    DrainServerSocket(socket);
    if (!SendServerBytes(socket, request)) return kUploadNoReply;
    std::vector<uint8_t> reply(kServerReplyCapacity);
    const int got = ReceiveServerReply(socket, reply.data(), reply.size());
    if (got == kReceiveTimedOut) return kUploadTimedOut;
    if (got < 0) return kUploadNoReply;
    if (size_t(got) < kServerHeaderSize) return kUploadShortReply;
    return CheckServerReply(std::span(reply.data(), size_t(got))) ? kUploadOk : kUploadRefused;
}

int UploadGroupTable(const ServerSocket& socket, const GroupTable& table) {
    const GroupUploadBlock block = PackGroupTable(table);
    for (size_t half = 0; half < 2; ++half) {
        ServerRequestHeader header;
        header.command = kCmdGroupUpload;
        header.offset = uint16_t(half * kGroupBlockHalf);
        header.length = uint16_t(kGroupBlockHalf);
        const auto payload = std::span(block).subspan(half * kGroupBlockHalf, kGroupBlockHalf);
        const int result = SendAccepted(socket, header, payload);
        if (result != kUploadOk) return result;
    }
    return kUploadOk;
}

// ---- password change --------------------------------------------------------

PasswordResult CheckPasswordInput(std::string_view oldPassword, std::string_view newPassword,
                                  std::string_view confirm) {
    if (oldPassword.empty()) return PasswordResult::kEmptyOld;
    if (newPassword.size() < kPasswordMinLength) return PasswordResult::kTooShort;
    if (newPassword != confirm) return PasswordResult::kConfirmMismatch;
    return PasswordResult::kChanged;
}

std::array<uint8_t, kPasswordRequestSize> PasswordRequest(uint16_t userId, std::string_view oldPassword,
                                                          std::string_view newPassword) {
    std::array<uint8_t, kPasswordRequestSize> request{};
    ServerRequestHeader header;
    header.command = kCmdPasswordChange;
    header.offset = userId;
    header.length = uint16_t(2 * kPasswordUnits);
    WriteServerRequestHeader(header, request.data());
    std::copy_n(oldPassword.begin(), std::min(oldPassword.size(), kPasswordUnits), request.begin() + 48);
    std::copy_n(newPassword.begin(), std::min(newPassword.size(), kPasswordUnits), request.begin() + 64);
    return request;
}

PasswordResult ReadPasswordReply(std::span<const uint8_t> reply) {
    ServerRequestHeader header;
    // A reply too short for its fields, or not the server's, tells nothing: never a success.
    if (!HasServerMagic(reply) || !ReadServerRequestHeader(reply, header)) return PasswordResult::kNetworkException;
    if (header.refused != 0xFFFFFFFFu) return PasswordResult::kChanged;
    switch (header.result) {
        case 0xFFFF: return PasswordResult::kWrongOld;
        case 0xFFFE: return PasswordResult::kNetworkException;
        case 0xFFFD: return PasswordResult::kTooShort;
        default: return PasswordResult::kNoMessage;
    }
}

PasswordResult ChangePassword(const ServerSocket& socket, uint16_t userId, std::string_view oldPassword,
                              std::string_view newPassword, std::string_view confirm) {
    const PasswordResult input = CheckPasswordInput(oldPassword, newPassword, confirm);
    if (input != PasswordResult::kChanged) return input;
    const auto request = PasswordRequest(userId, oldPassword, newPassword);
    DrainServerSocket(socket);
    if (!SendServerBytes(socket, request)) return PasswordResult::kDisconnected;
    std::vector<uint8_t> reply(kServerReplyCapacity);
    const int got = ReceiveServerReply(socket, reply.data(), reply.size());
    if (got == kReceiveTimedOut) return PasswordResult::kTimedOut;
    if (got <= 0) return PasswordResult::kDisconnected;
    return ReadPasswordReply(std::span(reply.data(), size_t(got)));
}

std::u16string PasswordMessage(PasswordResult result) {
    static const LangText kTexts[] = {
        {{u"修改密码成功", u"修改密碼成功", u"Change password succeeded"}},
        {{u"请输入当前密码", u"請輸入當前密碼", u"Please input current password"}},
        {{u"新密码长度不能少于6位", u"新密碼長度不能少於6位", u"The lenght of new password counldn't be less than 6"}},
        {{u"确认密码不匹配", u"確認密碼不匹配", u"Confirm password not match"}},
        {{u"旧密码错误", u"舊密碼錯誤", u"Error old password"}},
        {{u"网络异常，请稍后重试", u"網絡異常，請稍後重試", u"Network exception, please retyr later"}},
        {{u"网络已断开，请重新登录", u"網絡已斷開，請重新登錄", u"Network disconnected, please relogin"}},
    };
    static const LangText kTimedOutText{{u"服务器没有及时应答，请稍后重试", u"伺服器沒有及時應答，請稍後重試",
                                         u"The server did not answer in time, please retry later"}};
    if (result == PasswordResult::kTimedOut) return std::u16string(kTimedOutText());
    const size_t index = size_t(result);
    return index < std::size(kTexts) ? std::u16string(kTexts[index]()) : std::u16string();
}

}  // namespace ledsuite
