#pragma once
// Helpers of the music tests: a temporary folder, files written at test time.
#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "tests/link/link_test_util.h"
#include "tests/content/sound/sound_test_util.h"

namespace ledsuite::testing {

// A temporary folder; file(name) is a path in it.
struct MusicTempDir : TempDir {
    std::string file(const std::string& name) const { return (path / name).string(); }
};

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// An environment variable set while alive (the old value back after).
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = getenv(name)) old_ = old, had_ = true;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (had_) setenv(name_, old_.c_str(), 1);
        else unsetenv(name_);
    }

private:
    const char* name_;
    std::string old_;
    bool had_ = false;
};

// How late this machine wakes a sleeping thread while the probe lives: a thread of its own
// sleeps 1 ms at a time and keeps the worst lateness. An upper bound on a wait takes a margin
// from it, so that the bound holds on a busy machine and still catches a wait far too long.
class WakeupProbe {
public:
    using ms = std::chrono::milliseconds;
    WakeupProbe() : thread_([this] { Run(); }) {}
    ~WakeupProbe() {
        stop_ = true;
        thread_.join();
    }
    ms Late() const { return ms(lateMs_.load()); }
    // `expected` and a margin: 50 ms on an idle machine, and four times the worst lateness seen.
    ms Margin(ms expected) const { return expected + ms(50) + 4 * Late(); }

private:
    void Run() {
        while (!stop_) {
            const auto before = std::chrono::steady_clock::now();
            std::this_thread::sleep_for(ms(1));
            const auto late = std::chrono::duration_cast<ms>(std::chrono::steady_clock::now() - before - ms(1));
            if (late.count() > lateMs_) lateMs_ = late.count();
        }
    }
    std::atomic<bool> stop_{false};
    std::atomic<int64_t> lateMs_{0};
    std::thread thread_;
};

}  // namespace ledsuite::testing
