#pragma once
// A fake vehicle server on one end of a socket pair (or of a TCP connection on loopback):
// a thread that reads each request (a 48-byte header and the payload length it names)
// and answers it from a script: at once, late, in pieces with pauses, or not at all.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
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

// One answer of the script: its bytes (none: silent), sent after `delayMs`, in pieces of
// the sizes listed (the rest in a last piece) with `pauseMs` between them.
struct ScriptedReply {
    std::vector<uint8_t> bytes{};
    int delayMs = 0;
    std::vector<size_t> pieces{};
    int pauseMs = 0;
};

// A listening TCP socket on 127.0.0.1 (any free port); Accept() gives the server end of
// the next connection, with Nagle off so that each piece leaves as its own segment.
class LoopbackListener {
public:
    LoopbackListener() {
        fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof a;
        if (bind(fd_, reinterpret_cast<sockaddr*>(&a), size) != 0 || listen(fd_, 4) != 0 ||
            getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &size) != 0)
            return;
        port_ = ntohs(a.sin_port);
    }
    ~LoopbackListener() { close(fd_); }
    int Port() const { return port_; }
    int Accept() const {
        const int fd = accept(fd_, nullptr, nullptr);
        const int one = 1;
        if (fd >= 0) setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        return fd;
    }
    // A client connected to this listener (blocking), or -1.
    int Connect() const {
        const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(uint16_t(port_));
        if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) return fd;
        close(fd);
        return -1;
    }

private:
    int fd_ = -1;
    int port_ = 0;
};

class FakeServer {
public:
    // One reply per request, in order; an empty reply means the server stays silent.
    explicit FakeServer(std::vector<std::vector<uint8_t>> replies) : script_(Prompt(std::move(replies))) {
        int fds[2];
        if (socketpair(AF_UNIX, SOCK_STREAM, 0, fds) == 0) {
            client_ = fds[0];
            server_ = fds[1];
        }
        thread_ = std::thread([this] { Run(); });
    }
    // The same on the server end of a connection made elsewhere (an accepted TCP socket); closed at the end.
    FakeServer(int serverFd, std::vector<std::vector<uint8_t>> replies) : FakeServer(serverFd, Prompt(std::move(replies))) {}
    // `skipFirst`: bytes that reach the server before the first request, read and dropped.
    FakeServer(int serverFd, std::vector<ScriptedReply> script, size_t skipFirst = 0)
        : script_(std::move(script)), skipFirst_(skipFirst) {
        server_ = serverFd;
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
    static std::vector<ScriptedReply> Prompt(std::vector<std::vector<uint8_t>> replies) {
        std::vector<ScriptedReply> script;
        for (auto& r : replies) script.push_back({std::move(r)});
        return script;
    }
    static void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
    void Answer(const ScriptedReply& reply) {
        Pause(reply.delayMs);
        size_t at = 0;
        for (size_t piece : reply.pieces) {
            if (at + piece > reply.bytes.size()) break;
            send(server_, reply.bytes.data() + at, piece, MSG_NOSIGNAL);
            at += piece;
            Pause(reply.pauseMs);
        }
        if (at < reply.bytes.size()) send(server_, reply.bytes.data() + at, reply.bytes.size() - at, MSG_NOSIGNAL);
    }
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
        std::vector<uint8_t> junk(skipFirst_);
        if (skipFirst_ > 0) Pause(200);  // a server slow to read: the client's sends come back short
        if (!ReadExact(junk.data(), junk.size())) return;
        for (const auto& reply : script_) {
            std::vector<uint8_t> request(kServerHeaderSize);
            if (!ReadExact(request.data(), request.size())) return;
            const size_t length = size_t(request[26] | request[27] << 8);
            request.resize(kServerHeaderSize + length);
            if (!ReadExact(request.data() + kServerHeaderSize, length)) return;
            {
                std::lock_guard lock(mutex_);
                requests_.push_back(request);
            }
            Answer(reply);
        }
    }

    std::vector<ScriptedReply> script_;
    size_t skipFirst_ = 0;
    std::vector<std::vector<uint8_t>> requests_;
    std::mutex mutex_;
    int client_ = -1, server_ = -1;
    std::thread thread_;
};

// A table the server would send: "East" with vehicle 101 and "West" with vehicle 201.
inline GroupTable TwoGroups() {
    GroupTable t;
    SetGroupName(t.groups[0], u"East");
    SetGroupName(t.groups[1], u"West");
    t.groups[0].count = t.groups[1].count = 1;
    t.groups[0].ids[0] = 101;
    t.groups[1].ids[0] = 201;
    return t;
}

}  // namespace ledsuite::testing
