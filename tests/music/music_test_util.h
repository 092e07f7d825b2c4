#pragma once
// Helpers of the music tests: a temporary folder, files written at test time.
#include <stdlib.h>

#include <algorithm>
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
// sleeps 1 ms at a time and keeps the worst lateness, counting a sleep it has not come back
// from yet. An upper bound on a wait takes a margin from it, so that the bound holds on a
// busy machine and still catches a wait far too long.
class WakeupProbe {
public:
    using ms = std::chrono::milliseconds;
    using Clock = std::chrono::steady_clock;
    WakeupProbe() : thread_([this] { Run(); }) {}
    ~WakeupProbe() {
        stop_ = true;
        thread_.join();
    }
    ms Late() const { return std::max(ms(worst_.load()), Since(asleep_.load()) - ms(1)); }
    // `expected` and a margin: 50 ms on an idle machine, and four times the worst lateness seen.
    ms Margin(ms expected) const { return expected + ms(50) + 4 * Late(); }

private:
    static int64_t Stamp() { return std::chrono::duration_cast<ms>(Clock::now().time_since_epoch()).count(); }
    static ms Since(int64_t stamp) { return ms(Stamp() - stamp); }
    void Run() {
        while (!stop_) {
            const int64_t before = Stamp();
            asleep_ = before;
            std::this_thread::sleep_for(ms(1));
            worst_ = std::max(worst_.load(), (Since(before) - ms(1)).count());
        }
    }
    std::atomic<bool> stop_{false};
    std::atomic<int64_t> worst_{0};
    std::atomic<int64_t> asleep_{Stamp()};  // when the sleep now under way began
    std::thread thread_;
};

}  // namespace ledsuite::testing
