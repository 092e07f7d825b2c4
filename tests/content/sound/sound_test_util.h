#pragma once
// Helpers of the sound tests: WAV images built chunk by chunk, clips from sample
// lists, a private temporary folder, and files made by the sox and lame tools.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "content/bytes.h"
#include "content/sound/sound_clip.h"

inline std::vector<uint8_t> operator+(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

namespace soundtest {

using Bytes = std::vector<uint8_t>;

inline void Put(Bytes& b, const std::string& s) { b.insert(b.end(), s.begin(), s.end()); }
inline void Put16(Bytes& b, uint16_t v) { b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8)}); }
inline void Put32(Bytes& b, uint32_t v) { Put16(b, uint16_t(v)), Put16(b, uint16_t(v >> 16)); }
inline void Chunk(Bytes& b, const std::string& id, const Bytes& body, uint32_t size) {
    Put(b, id), Put32(b, size);
    b = b + body;
}
inline void Chunk(Bytes& b, const std::string& id, const Bytes& body) { Chunk(b, id, body, uint32_t(body.size())); }

// A "fmt " body: 16 bytes, or with `extra` the two-byte size word of the 18-byte form.
inline Bytes FmtBody(uint16_t channels, uint32_t rate, uint16_t bits, bool extra = false, uint16_t tag = 1) {
    Bytes f;
    Put16(f, tag), Put16(f, channels), Put32(f, rate), Put32(f, rate * channels * bits / 8);
    Put16(f, uint16_t(channels * bits / 8)), Put16(f, bits);
    if (extra) Put16(f, 0);
    return f;
}
inline Bytes Riff(const Bytes& chunks) {
    Bytes b;
    Put(b, "RIFF"), Put32(b, uint32_t(chunks.size() + 4)), Put(b, "WAVE");
    return b + chunks;
}
// A WAV image of a "fmt " chunk and a "data" chunk.
inline Bytes Wav(const Bytes& fmt, const Bytes& data) {
    Bytes b;
    Chunk(b, "fmt ", fmt);
    Chunk(b, "data", data);
    return Riff(b);
}
inline Bytes Samples16(const std::vector<int16_t>& s) {
    Bytes b;
    for (int16_t v : s) Put16(b, uint16_t(v));
    return b;
}
inline std::vector<int16_t> SamplesOf(const ledsuite::SoundClip& c) {
    std::vector<int16_t> s(c.data.size() / 2);
    for (size_t i = 0; i < s.size(); ++i) s[i] = int16_t(ledsuite::LoadU16(&c.data[2 * i]));
    return s;
}
inline ledsuite::SoundClip Clip(uint16_t format, const std::vector<int16_t>& s) {
    ledsuite::SoundClip c;
    c.format = format;
    c.data = Samples16(s);
    c.length = uint32_t(c.data.size());
    return c;
}
constexpr uint16_t kMono22k = 3 | 4 << 3;

// A fresh folder under the test temporary folder, removed with the object.
class TempFolder {
public:
    explicit TempFolder(const std::string& name)
        : path_(std::filesystem::path(testing::TempDir()) / (name + "-" + std::to_string(::getpid()))) {
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() { std::filesystem::remove_all(path_); }
    std::string operator/(const std::string& f) const { return (path_ / f).string(); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline Bytes ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}
inline void WriteFile(const std::string& path, const Bytes& b) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

// Runs a shell command of the fixture tools; true on exit status 0.
inline bool Run(const std::string& cmd) { return std::system((cmd + " >/dev/null 2>&1").c_str()) == 0; }

// A silent 16-bit mono 22,050 Hz WAV file of `dataBytes` sample bytes; the silence is left
// sparse, so that long music costs no writing.
inline bool MakeSilentWavSparse(const std::string& path, uint32_t dataBytes) {
    Bytes head;
    Put(head, "RIFF"), Put32(head, 36 + dataBytes), Put(head, "WAVE");
    Chunk(head, "fmt ", FmtBody(1, 22050, 16));
    Put(head, "data"), Put32(head, dataBytes);
    WriteFile(path, head);
    std::error_code ec;
    std::filesystem::resize_file(path, head.size() + dataBytes, ec);
    return !ec;
}

// A sine tone as a WAV file made by sox, and as an MP3 encoded from it by lame.
inline bool MakeToneWav(const std::string& path, int rate, int channels, double seconds) {
    return Run("sox -n -r " + std::to_string(rate) + " -c " + std::to_string(channels) + " -b 16 '" + path +
               "' synth " + std::to_string(seconds) + " sine 440");
}
inline bool MakeToneMp3(const std::string& path, int rate, int channels, double seconds) {
    const std::string wav = path + ".wav";
    const bool ok = MakeToneWav(wav, rate, channels, seconds) && Run("lame --quiet '" + wav + "' '" + path + "'");
    std::filesystem::remove(wav);
    return ok;
}

}  // namespace soundtest
