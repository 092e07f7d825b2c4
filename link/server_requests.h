#pragma once
// Requests to the vehicle-screen server over one connected stream socket: the reply
// reader, the upload of the vehicle group table and the password change. Opening,
// logging in and closing the socket belong to the socket's owner, never to this code.
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ledsuite {

// What is left of replies the server still owes for requests whose wait ran out. The
// server answers in order, so these come first on the stream and are skipped when they
// arrive: a late answer is never read as the answer to a later request.
struct LateReplies {
    int owed = 0;                      // whole replies still to skip, the one begun included
    std::vector<uint8_t> head;         // bytes of the begun reply's 48-byte header read so far
    size_t bodyLeft = 0;               // bytes of its payload still to skip once the header is in
};

// A connected stream socket, how long one request may wait for its reply, and the late
// replies of earlier requests on it (kept with the socket: one object per connection).
struct ServerSocket {
    ServerSocket() = default;
    ServerSocket(int socketFd, int timeout) : fd(socketFd), timeoutMs(timeout) {}
    int fd = -1;
    int timeoutMs = 5000;
    mutable LateReplies late;
};

inline constexpr size_t kServerHeaderSize = 48;
inline constexpr size_t kServerReplyCapacity = 0x10000;  // one reply never reads past this
inline constexpr uint16_t kCmdGroupUpload = 0x8007;
inline constexpr uint16_t kCmdPasswordChange = 0x8027;
inline constexpr uint16_t kReplyAccepted = 0xFFFF;

// The 48-byte head of every request and reply (little-endian). Bytes not named here are zero.
struct ServerRequestHeader {
    std::array<uint8_t, 4> magic{};  // "kip0" in replies, zero in requests
    uint16_t command = 0;            // request code; 0xFFFF in an accepted reply
    uint16_t offset = 0;             // group upload: offset of the half; password change: user id
    uint16_t result = 0;             // password change reply: result code
    uint16_t length = 0;             // payload length
    uint32_t refused = 0;            // password change reply: 0xFFFFFFFF when refused
};
void WriteServerRequestHeader(const ServerRequestHeader& header, uint8_t* out48);
// The header of a reply; false (and `out` untouched) for fewer than 48 bytes.
bool ReadServerRequestHeader(std::span<const uint8_t> reply, ServerRequestHeader& out);

// True when the reply holds a whole header with the magic "kip0".
bool HasServerMagic(std::span<const uint8_t> reply);
// True when the reply's magic is "kip0" and its command field is 0xFFFF (accepted).
bool CheckServerReply(std::span<const uint8_t> reply);

enum : int { kReceiveFailed = -1, kReceiveTimedOut = -4 };
// Reads one reply into `buffer`: first the late replies the socket still owes are
// skipped, then the 48-byte header and the payload length it names, in as many pieces as
// the stream brings, all within the socket's time-out and never past `capacity` (held
// to 0x10000). Returns the reply's length; when the peer closes or the time-out ends
// inside the header, the bytes that came (a short reply; 0: closed); for a header
// without the magic, that header alone (at once: its length field is not trusted, and it
// goes with every byte pending, a late reply's too, so the next request reads its own
// reply); kReceiveTimedOut
// when nothing came in time (the whole reply becomes a late one) or the payload did not
// (its rest becomes a late one); kReceiveFailed on a socket failure or a reply longer
// than `capacity` (its rest is skipped later too). Sets the
// connected flag (1 after a whole reply, else 0).
int ReceiveServerReply(const ServerSocket& socket, uint8_t* buffer, size_t capacity);
// Before a request: skips the late replies that have come and drops any other bytes
// pending, so that the next reply read is this request's. Never waits.
void DrainServerSocket(const ServerSocket& socket);
// The process-wide "connected" flag that ReceiveServerReply keeps.
bool ServerConnected();
// Sends all bytes, in as many pieces as the socket takes, within the socket's time-out;
// false on a failure or when the server does not take them in time.
bool SendServerBytes(const ServerSocket& socket, std::span<const uint8_t> bytes);

// ---- vehicle groups ---------------------------------------------------------

inline constexpr int kGroupCount = 6;
inline constexpr int kGroupNameUnits = 10;
inline constexpr int kGroupIdCapacity = 1024;  // ids of all groups together

struct VehicleGroup {
    std::array<char16_t, kGroupNameUnits> name{};  // up to 10 units, zero-padded
    uint16_t value = 0;
    uint16_t count = 0;
    std::array<uint16_t, kGroupIdCapacity> ids{};
};

// Six groups; a group with an empty name ends the table.
struct GroupTable {
    std::array<VehicleGroup, kGroupCount> groups{};
};

// The name of a group (up to its first zero or ten units) and a bounded setter.
std::u16string GroupName(const VehicleGroup& group);
void SetGroupName(VehicleGroup& group, std::u16string_view name);
// The groups in use: those before the first empty name.
int UsedGroupCount(const GroupTable& table);
// Members of all used groups together (each group's count held to 1024).
int TotalGroupMembers(const GroupTable& table);
// The used group that holds the id, or -1; the used group with that exact name, or -1.
int FindGroupOfMember(const GroupTable& table, uint16_t id);
int FindGroupByName(const GroupTable& table, std::u16string_view name);

// Mode 0 adds the id to the group called `name` when no group holds it yet, the group
// has fewer than 1024 members and all groups together stay within 1024 ids; mode 1
// takes the id out of the group that holds it. 1 when the table changed, else 0 (also
// for id 0).
int EditGroupMembership(int mode, GroupTable& table, uint16_t id, std::u16string_view name);
// Moves the id from its group to the group called `name`; checks that the target
// exists, differs and has room before anything changes. True when it moved.
bool MoveGroupMember(GroupTable& table, uint16_t id, std::u16string_view name);

inline constexpr size_t kGroupBlockSize = 2326;
inline constexpr size_t kGroupBlockHalf = 1163;
using GroupUploadBlock = std::array<uint8_t, kGroupBlockSize>;

// The block of the table: CRC, names from 134, values from 254, start positions from
// 266, the id list from 278 (ids 0 skipped, at most 1024 in all).
GroupUploadBlock PackGroupTable(const GroupTable& table);

enum : int {
    kUploadOk = 0, kUploadNoReply = -1, kUploadShortReply = -2, kUploadRefused = -3, kUploadTimedOut = -4,
};
// Sends the block in two halves, each waiting for an accepted reply (the socket drained
// before each).
int UploadGroupTable(const ServerSocket& socket, const GroupTable& table);

// ---- password change --------------------------------------------------------

inline constexpr size_t kPasswordUnits = 16;
inline constexpr size_t kPasswordMinLength = 6;
inline constexpr size_t kPasswordRequestSize = 80;

enum class PasswordResult {
    kChanged,           // "Change password succeeded"
    kEmptyOld,          // "Please input current password"
    kTooShort,          // the length message (typed, or result 0xFFFD)
    kConfirmMismatch,   // "Confirm password not match"
    kWrongOld,          // result 0xFFFF
    kNetworkException,  // result 0xFFFE, or a reply that is not the server's
    kDisconnected,      // nothing came back
    kNoMessage,         // another result code
    kTimedOut,          // no whole reply within the time-out
};

// The checks made before anything is sent; kChanged when the input may go.
PasswordResult CheckPasswordInput(std::string_view oldPassword, std::string_view newPassword,
                                  std::string_view confirm);
// The 80-byte request: header (0x8027, user id, length 32), old and new password in 16
// bytes each (cut to 16, zero-padded).
std::array<uint8_t, kPasswordRequestSize> PasswordRequest(uint16_t userId, std::string_view oldPassword,
                                                          std::string_view newPassword);
// The answer a reply (already received, `length` >= 0) stands for.
PasswordResult ReadPasswordReply(std::span<const uint8_t> reply);
// Checks, sends the request and reads the reply.
PasswordResult ChangePassword(const ServerSocket& socket, uint16_t userId, std::string_view oldPassword,
                              std::string_view newPassword, std::string_view confirm);
// The localized message of a result; empty for kNoMessage.
std::u16string PasswordMessage(PasswordResult result);

}  // namespace ledsuite
