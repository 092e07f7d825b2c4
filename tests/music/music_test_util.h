#pragma once
// Helpers of the music tests: a temporary folder, files written at test time.
#include <stdlib.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "content/bytes.h"

namespace ledsuite::testing {

namespace fs = std::filesystem;

struct MusicTempDir {
    fs::path path;
    MusicTempDir() {
        std::string templ = (fs::temp_directory_path() / "ledsuite-music-XXXXXX").string();
        path = mkdtemp(templ.data());
    }
    ~MusicTempDir() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
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
    const uint32_t samples = hz * uint32_t(ms) / 1000;
    ByteWriter w;
    w.put_bytes("RIFF", 4);
    w.put_u32(36 + samples * 2);
    w.put_bytes("WAVEfmt ", 8);
    for (uint32_t v : {16u, 1u | 1u << 16, hz, hz * 2, 2u | 16u << 16}) w.put_u32(v);
    w.put_bytes("data", 4);
    w.put_u32(samples * 2);
    for (uint32_t i = 0; i < samples; ++i)
        w.put_i16(silent ? int16_t(0) : int16_t(8000 * std::sin(i * 2 * 3.14159 * 440 / hz)));
    auto bytes = w.take();
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
