#pragma once
// A fake vehicle server on one end of a socket pair: a thread that reads each request
// (a 48-byte header and the payload length it names) and answers it from a script.
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "link/server_requests.h"

namespace ledsuite::testing {

// A 48-byte reply header with the magic, a command and the password fields.
inline std::vector<uint8_t> ServerReply(uint16_t command, uint16_t result = 0, uint32_t refused = 0,
                                        const char* magic = "kip0") {
    std::vector<uint8_t> reply(kServerHeaderSize);
    ServerRequestHeader h;
    std::copy_n(magic, 4, h.magic.begin());
    h.command = command;
    h.result = result;
    h.refused = refused;
    WriteServerRequestHeader(h, reply.data());
    return reply;
}

class FakeServer {
public:
    // One reply per request, in order; an empty reply means the server stays silent.
    explicit FakeServer(std::vector<std::vector<uint8_t>> replies) : replies_(std::move(replies)) {
        int fds[2];
        if (socketpair(AF_UNIX, SOCK_STREAM, 0, fds) == 0) {
            client_ = fds[0];
            server_ = fds[1];
        }
        thread_ = std::thread([this] { Run(); });
    }
    ~FakeServer() {
        shutdown(server_, SHUT_RDWR);
        shutdown(client_, SHUT_RDWR);
        thread_.join();
        close(client_);
        close(server_);
    }
    ServerSocket Socket(int timeoutMs = 2000) const { return {client_, timeoutMs}; }
    int ServerFd() const { return server_; }
    // The requests read so far, whole.
    std::vector<std::vector<uint8_t>> Requests() {
        std::lock_guard lock(mutex_);
        return requests_;
    }

private:
    bool ReadExact(uint8_t* at, size_t n) {
        while (n > 0) {
            const ssize_t got = recv(server_, at, n, 0);
            if (got <= 0) return false;
            at += got;
            n -= size_t(got);
        }
        return true;
    }
    void Run() {
        for (const auto& reply : replies_) {
            std::vector<uint8_t> request(kServerHeaderSize);
            if (!ReadExact(request.data(), request.size())) return;
            const size_t length = size_t(request[26] | request[27] << 8);
            request.resize(kServerHeaderSize + length);
            if (!ReadExact(request.data() + kServerHeaderSize, length)) return;
            {
                std::lock_guard lock(mutex_);
                requests_.push_back(request);
            }
            if (!reply.empty()) send(server_, reply.data(), reply.size(), MSG_NOSIGNAL);
        }
    }

    std::vector<std::vector<uint8_t>> replies_;
    std::vector<std::vector<uint8_t>> requests_;
    std::mutex mutex_;
    int client_ = -1, server_ = -1;
    std::thread thread_;
};

}  // namespace ledsuite::testing
