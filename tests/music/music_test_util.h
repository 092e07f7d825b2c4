#pragma once
// Helpers of the music tests: a temporary folder, files written at test time.
#include <stdlib.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/link/link_test_util.h"
#include "tests/sound/sound_test_util.h"

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

// A mono 16-bit WAV of `ms` milliseconds at `hz`: a 440 Hz tone, or silence.
inline std::string ToneWav(int ms, uint32_t hz = 8000, bool silent = false) {
    std::vector<int16_t> samples(hz * uint32_t(ms) / 1000);
    for (size_t i = 0; !silent && i < samples.size(); ++i)
        samples[i] = int16_t(8000 * std::sin(double(i) * 2 * 3.14159 * 440 / hz));
    soundtest::Bytes chunks;
    soundtest::Chunk(chunks, "fmt ", soundtest::FmtBody(1, hz, 16));
    soundtest::Chunk(chunks, "data", soundtest::Samples16(samples));
    const auto bytes = soundtest::Riff(chunks);
    return {bytes.begin(), bytes.end()};
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

}  // namespace ledsuite::testing
