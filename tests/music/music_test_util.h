#pragma once
// Helpers of the music tests: a temporary folder, files written at test time.
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

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

}  // namespace ledsuite::testing
