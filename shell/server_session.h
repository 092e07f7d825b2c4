#pragma once
// The vehicle-server session the main frame owns: the vehicle group table and the one
// stream socket to the server that the multi-screen page, the preference dialog and the
// password dialog use. No login exchange is made: the socket is opened at start-up to
// the host and port kept in the settings, and only when both are set:
//   "Server/Host"  a numeric IPv4 or IPv6 address, or "localhost" (names are not looked
//                  up, so a slow resolver cannot hold up start-up);
//   "Server/Port"  1 to 65535;
//   "Server/UserId" the id of the user the host logged in (0 to 65535, 0 when unset),
//                  sent with a password change.
// The connect waits at most kServerConnectTimeoutMs. Without a connection Socket() is
// null: the vehicle pages stay empty and their server commands report the failure.
#include <string>

#include "link/server_requests.h"

namespace ledsuite {

inline constexpr char kServerHostKey[] = "Server/Host";
inline constexpr char kServerPortKey[] = "Server/Port";
inline constexpr char kServerUserIdKey[] = "Server/UserId";
inline constexpr int kServerConnectTimeoutMs = 3000;

// A connected, blocking stream socket to host:port, or -1 when the host is not a numeric
// address (or "localhost"), the port is out of range, the peer refuses or does not
// answer within `timeoutMs`.
int OpenServerConnection(const std::string& host, int port, int timeoutMs);

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

    bool IsConnected() const { return socket_.fd >= 0; }
    // The connected socket, or null when there is no connection.
    const ServerSocket* Socket() const { return IsConnected() ? &socket_ : nullptr; }
    // The logged-in user's id, read from the settings with the host and port.
    uint16_t UserId() const { return userId_; }
    GroupTable& Groups() { return groups_; }
    const GroupTable& Groups() const { return groups_; }

private:
    GroupTable groups_;
    ServerSocket socket_;
    uint16_t userId_ = 0;
};

}  // namespace ledsuite
