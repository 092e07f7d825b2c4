#pragma once
// The vehicle-server session the main frame owns: the vehicle group table and the one
// stream socket to the server that the multi-screen page, the preference dialog and the
// password dialog use. No login exchange is made: the socket is opened at start-up to
// the host and port kept in the settings, and only when both are set:
//   "Server/Host"  a host name or a numeric IPv4 or IPv6 address (a name's lookup is
//                  bounded by the connect's wait, so a slow resolver cannot hold up
//                  start-up; a name that does not resolve is told on the group page);
//   "Server/Port"  1 to 65535;
//   "Server/UserId" the id of the user the host logged in (0 to 65535, 0 when unset),
//                  sent with a password change.
// The name's lookup and the connect each wait at most kServerConnectTimeoutMs. Without a
// connection Socket() is null: the vehicle pages stay empty and their server commands
// report the failure.
//
// The vehicle group table is the server's: it comes over the connection (ReceiveGroups,
// called by whoever reads it from the server). Until a table has been received nothing
// may be uploaded, since an upload replaces the server's groups with the table sent.
#include <functional>
#include <string>

#include "content/model/lang.h"
#include "link/server_requests.h"

namespace ledsuite {

inline constexpr char kServerHostKey[] = "Server/Host";
inline constexpr char kServerPortKey[] = "Server/Port";
inline constexpr char kServerUserIdKey[] = "Server/UserId";
inline constexpr int kServerConnectTimeoutMs = 3000;

// Why no connection was made.
enum class ServerConnectFailure { kNone, kBadAddress, kNameNotFound, kNoAnswer };
// A connected, blocking stream socket to host:port, or -1 (with the reason in `failure`)
// when the host is empty or the port out of range, the name does not resolve within
// `timeoutMs`, or the peer refuses or does not answer within `timeoutMs`.
int OpenServerConnection(const std::string& host, int port, int timeoutMs, ServerConnectFailure* failure = nullptr);

// Upload results beyond UploadGroupTable's: refused before anything is sent.
enum : int { kUploadNoConnection = -10, kUploadNoGroupTable = -11 };
// The message of an upload result (empty for kUploadOk).
std::u16string GroupUploadMessage(int result);
// "Not connected to the server": what a server command says without a connection.
extern const LangText kNotConnectedText;
class ServerSession;
// Why the group page is empty: no connection (and why), or no table received yet (empty
// otherwise).
std::u16string NoGroupsReason(const ServerSession* server);

class ServerSession {
public:
    ServerSession() = default;
    ~ServerSession() { Close(); }
    ServerSession(const ServerSession&) = delete;
    ServerSession& operator=(const ServerSession&) = delete;

    // Closes a present connection, then connects; true when connected.
    bool Connect(const std::string& host, int port, int timeoutMs = kServerConnectTimeoutMs);
    // Connects to the host and port of the settings when both are set; false otherwise.
    bool ConnectFromSettings(int timeoutMs = kServerConnectTimeoutMs);
    void Close();
    // Takes over a stream socket its host has connected (and logged in); closes a present one.
    void Adopt(int fd, int timeoutMs = 5000);

    bool IsConnected() const { return socket_.fd >= 0; }
    // What to tell without a connection: that the server's name cannot be found when the
    // last connect failed on it, else "Not connected to the server".
    std::u16string NotConnectedReason() const;
    // The connected socket, or null when there is no connection.
    const ServerSocket* Socket() const { return IsConnected() ? &socket_ : nullptr; }
    // How long one request waits for its reply (and for the server to take the request).
    void SetRequestTimeout(int timeoutMs) { socket_.timeoutMs = timeoutMs; }
    // The logged-in user's id, read from the settings with the host and port.
    uint16_t UserId() const { return userId_; }
    GroupTable& Groups() { return groups_; }
    const GroupTable& Groups() const { return groups_; }
    // The table the server sent: from now on it is shown and may be edited and uploaded.
    void ReceiveGroups(const GroupTable& table);
    bool HasGroups() const { return groupsReceived_; }
    // Uploads the table; refused without a connection or before a table was received.
    int UploadGroups();
    // Called after a table was received (the group page refills its tree).
    void SetGroupsChanged(std::function<void()> onChanged) { groupsChanged_ = std::move(onChanged); }

private:
    GroupTable groups_;
    bool groupsReceived_ = false;
    std::function<void()> groupsChanged_;
    ServerSocket socket_;
    uint16_t userId_ = 0;
    std::string unresolved_;  // the host name the last connect could not resolve
};

}  // namespace ledsuite
