#pragma once
// The fake card program (tools/fakecard) run as a user runs it: started with its arguments,
// its output read line by line, ended with SIGTERM. Test programs that use it define
// LEDSUITE_FAKECARD_BIN as the program's path.
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char** environ;

namespace ledsuite::testing {

// The program started with `args`; its output read line by line; ended with SIGTERM.
class FakeCardProgram {
public:
    explicit FakeCardProgram(std::vector<std::string> args) {
        int out[2];
        if (pipe(out) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        args.insert(args.begin(), LEDSUITE_FAKECARD_BIN);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        fd_ = out[0];
    }
    ~FakeCardProgram() {
        if (pid_ > 0) kill(pid_, SIGTERM), waitpid(pid_, nullptr, 0);
        if (fd_ >= 0) close(fd_);
    }
    // The next line it prints (empty after two seconds of silence).
    std::string Line() {
        for (;;) {
            if (size_t nl = buffer_.find('\n'); nl != std::string::npos) {
                std::string line = buffer_.substr(0, nl);
                buffer_.erase(0, nl + 1);
                return line;
            }
            pollfd p{fd_, POLLIN, 0};
            char chunk[512];
            ssize_t n = poll(&p, 1, 2000) > 0 ? read(fd_, chunk, sizeof chunk) : 0;
            if (n <= 0) return {};
            buffer_.append(chunk, size_t(n));
        }
    }

private:
    pid_t pid_ = -1;
    int fd_ = -1;
    std::string buffer_;
};

}  // namespace ledsuite::testing
