// Bytes the vehicle server answers: read through the socket reader with a small
// capacity, then checked as a group-upload reply and as a password-change reply; and read
// again as the stream after replies that came late (skipped first), then drained.
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "link/server_requests.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace ledsuite;
    if (size > 4096) return 0;  // stays within a socket pair's buffer
    int fds[2];
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, fds) != 0) return 0;
    if (size > 0) (void)send(fds[1], data, size, MSG_NOSIGNAL);
    shutdown(fds[1], SHUT_WR);
    // The first byte picks a capacity, so that replies both fit and overflow.
    const size_t capacity = size > 0 ? size_t(data[0]) * 8 + 1 : 64;
    std::vector<uint8_t> buffer(capacity);
    const int got = ReceiveServerReply(ServerSocket{fds[0], 0}, buffer.data(), buffer.size());
    if (got > 0) {
        const std::span<const uint8_t> reply(buffer.data(), size_t(got));
        ServerRequestHeader header;
        (void)ReadServerRequestHeader(reply, header);
        (void)CheckServerReply(reply);
        (void)ReadPasswordReply(reply);
    }
    (void)CheckServerReply({data, size});
    (void)ReadPasswordReply({data, size});
    close(fds[0]);
    close(fds[1]);

    if (socketpair(AF_UNIX, SOCK_STREAM, 0, fds) != 0) return 0;
    if (size > 0) (void)send(fds[1], data, size, MSG_NOSIGNAL);
    shutdown(fds[1], SHUT_WR);
    const ServerSocket late(fds[0], 0);
    late.late.owed = size > 1 ? data[1] % 4 : 1;  // replies owed by earlier requests
    if (size > 2 && data[2] < 48) late.late.head.assign(data[2] % 8, 0);  // one of them begun
    (void)ReceiveServerReply(late, buffer.data(), buffer.size());
    DrainServerSocket(late);
    close(fds[0]);
    close(fds[1]);
    return 0;
}
