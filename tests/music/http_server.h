#pragma once
// A loopback HTTP server for the lyric tests: 127.0.0.1 on a free port, one thread,
// one request per connection; each answer comes from the test's handler.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace ledsuite::testing {

struct HttpAnswer {
    int status = 200;
    std::string body;
    int delayMs = 0;  // before the answer leaves
    long contentLength = -1;  // announced instead of the body's size when set (a cut answer)
    std::string location;     // sent as the Location header when set (a redirect)
};

class LoopbackHttpServer {
public:
    using Handler = std::function<HttpAnswer(const std::string& target)>;

    explicit LoopbackHttpServer(Handler handler) : handler_(std::move(handler)) {
        fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        if (bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(fd_, 8) != 0 ||
            getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len) != 0)
            return;
        port_ = ntohs(a.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~LoopbackHttpServer() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        close(fd_);
    }

    std::string host() const { return "127.0.0.1:" + std::to_string(port_); }
    std::string url(const std::string& target) const { return "http://" + host() + target; }
    // The raw requests received (request line and headers).
    std::vector<std::string> requests() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return requests_;
    }

private:
    void Serve() {
        while (!stop_) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0) continue;
            int c = accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (c >= 0) Answer(c);
        }
    }
    void Answer(int c) {
        std::string request;
        char buf[2048];
        while (request.find("\r\n\r\n") == std::string::npos) {
            pollfd p{c, POLLIN, 0};
            if (poll(&p, 1, 2000) <= 0) break;
            ssize_t n = read(c, buf, sizeof buf);
            if (n <= 0) break;
            request.append(buf, size_t(n));
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            requests_.push_back(request);
        }
        const size_t sp = request.find(' ');
        const std::string target = request.substr(sp + 1, request.find(' ', sp + 1) - sp - 1);
        HttpAnswer a = handler_(target);
        for (int waited = 0; waited < a.delayMs && !stop_; waited += 10)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::string out = "HTTP/1.1 " + std::to_string(a.status) + " X\r\nContent-Length: " +
                          std::to_string(a.contentLength >= 0 ? size_t(a.contentLength) : a.body.size()) +
                          (a.location.empty() ? "" : "\r\nLocation: " + a.location) +
                          "\r\nConnection: close\r\n\r\n" + a.body;
        (void)!write(c, out.data(), out.size());
        close(c);
    }

    Handler handler_;
    int fd_ = -1;
    uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
};

}  // namespace ledsuite::testing
