#include "content/sound/ssf_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>

#include "content/bytes.h"
#include "content/model/clock.h"
#include "content/model/crc16.h"
#include "content/model/text_codec.h"

namespace ledsuite {

namespace {

constexpr size_t kStemUnits = 31;

size_t RoundUp512(size_t n) { return (n + 511) / 512 * 512; }

// Where the bytes go: the caller's buffer, or a temporary file beside the target that
// is renamed into place once everything is written and flushed.
class SsfSink {
public:
    SsfSink(uint8_t* buffer, size_t capacity) : buffer_(buffer), capacity_(capacity) {}
    ~SsfSink() { Abandon(); }

    bool Open(const std::string& path) {
        path_ = path;
        tmp_ = path + ".XXXXXX";
        fd_ = ::mkstemp(tmp_.data());
        if (fd_ >= 0) ::fchmod(fd_, 0644);
        return fd_ >= 0;
    }
    // False when the buffer cannot take the bytes (nothing written) or the file write failed.
    bool Put(const uint8_t* p, size_t n) {
        if (fd_ < 0) {
            if (n > capacity_ - used_) return false;
            std::copy_n(p, n, buffer_ + used_);
            used_ += n;
            return true;
        }
        while (n > 0) {
            const ssize_t w = ::write(fd_, p, n);
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) return false;
            p += w;
            n -= size_t(w);
        }
        return true;
    }
    // Flushes, closes and renames the file; a full disk shows up here at the latest.
    bool Commit() {
        if (fd_ < 0) return true;
        bool ok = ::fsync(fd_) == 0;
        ok = ::close(fd_) == 0 && ok;
        fd_ = -1;
        ok = ok && std::rename(tmp_.c_str(), path_.c_str()) == 0;
        if (!ok) ::unlink(tmp_.c_str());
        tmp_.clear();
        return ok;
    }
    size_t remaining() const { return capacity_ - used_; }

private:
    void Abandon() {
        if (fd_ < 0) return;
        ::close(fd_);
        ::unlink(tmp_.c_str());
        fd_ = -1;
    }
    uint8_t* buffer_;
    size_t capacity_;
    size_t used_ = 0;
    int fd_ = -1;
    std::string path_, tmp_;
};

using Header = std::array<uint8_t, kSsfHeaderSize>;

void PutFileHeader(Header& h, const std::string& path, uint32_t lengthField) {
    const LocalTime t = CurrentLocalTime();
    std::copy_n("kip", 4, h.begin() + 2);
    StoreU16(&h[8], uint16_t((t.year % 4096) << 4 | t.month));
    StoreU16(&h[10], uint16_t(t.day << 11 | t.hour << 6 | t.minute));
    StoreU16(&h[12], uint16_t(t.second << 10 | t.millisecond % 1024));
    StoreU32(&h[14], lengthField);
    const std::u16string stem = SsfStem(path);
    for (size_t i = 0; i < stem.size(); ++i) StoreU16(&h[18 + 2 * i], uint16_t(stem[i]));
    StoreU16(&h[0], Crc16Modbus(kSsfFileHeaderSize - 2, &h[2]));
}

void PutSoundHeader(Header& h, const SoundClip& clip, uint32_t length, int mode, size_t markTable) {
    uint8_t* s = &h[kSsfSoundHeaderAt];
    std::copy_n("sfh", 4, s + 2);
    s[6] = uint8_t(clip.format);
    StoreU32(s + 8, length / 2);
    StoreU32(s + 12, length);
    StoreU32(s + 16, uint32_t(kSsfHeaderSize + markTable));
    StoreU16(s + 20, uint16_t(mode));
    StoreU32(s + 24, mode == 2 ? uint32_t(clip.marks.size() * 4) : 0);
    StoreU16(s, Crc16Modbus(kSsfSoundHeaderSize - 2, s + 2));
}

// The headers (and in mode 2 the mark table) of modes 0 to 2.
bool WriteHeaders(SsfSink& sink, const SoundClip& clip, const std::string& path, uint32_t length, int mode) {
    const size_t markTable = mode == 2 ? RoundUp512(clip.marks.size() * 4) : 0;
    // Mode 2's length field holds the mark table's size, as the cards read it.
    const uint32_t lengthField = mode == 2 ? uint32_t(markTable) : length + uint32_t(kSsfHeaderSize);
    Header h{};
    PutFileHeader(h, path, lengthField);
    PutSoundHeader(h, clip, length, mode, markTable);
    if (!sink.Put(h.data(), h.size())) return false;
    if (mode != 2) return true;
    std::vector<uint8_t> marks(markTable, 0);
    for (size_t i = 0; i < clip.marks.size(); ++i) StoreU32(&marks[4 * i], clip.marks[i]);
    return sink.Put(marks.data(), marks.size());
}

bool WriteSamples(SsfSink& sink, const SoundClip& clip, uint32_t length, const SoundProgressFn& progress) {
    const uint32_t total = length / 2;
    std::vector<uint8_t> block(kSsfBlockSamples * 2);
    if (progress) progress(1, 0);
    for (uint32_t done = 0; done < total;) {
        const uint32_t n = std::min<uint32_t>(uint32_t(kSsfBlockSamples), total - done);
        for (uint32_t i = 0; i < n; ++i) {
            const int sample = int16_t(LoadU16(&clip.data[2 * size_t(done + i)]));
            StoreU16(&block[2 * size_t(i)], uint16_t((sample + 32768) & 0xFFF0));
        }
        if (!sink.Put(block.data(), size_t(n) * 2)) return false;
        done += n;
        if (progress) progress(total, done);
    }
    if (progress) progress(100, 100);
    return true;
}

}  // namespace

std::u16string SsfStem(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (const size_t dot = name.rfind('.'); dot != std::string::npos) name.resize(dot);
    std::u16string stem = Utf8ToWide(name);
    if (stem.size() > kStemUnits) stem.resize(kStemUnits);
    return stem;
}

int64_t WriteSsfFile(const SoundProgressFn& progress, const SoundClip* clip, uint8_t* buffer,
                     const std::string& path, size_t capacity, int mode) {
    const bool toFile = !path.empty();
    if (!clip || (!toFile && (!buffer || capacity == 0))) return kSsfNoArgs;
    const uint32_t length = uint32_t(std::min<size_t>(clip->length, clip->data.size())) & ~3u;
    if (length == 0 || !IsMono16(*clip)) return kSsfBadClip;
    if (mode < 0 || mode > 3) return kSsfBadMode;
    SsfSink sink(toFile ? nullptr : buffer, toFile ? 0 : capacity);
    if (toFile && !sink.Open(path)) return kSsfFileFailed;
    const bool ok = (mode == 3 || WriteHeaders(sink, *clip, path, length, mode)) &&
                    WriteSamples(sink, *clip, length, progress);
    if (toFile) return ok && sink.Commit() ? int64_t(capacity) : kSsfFileFailed;
    return ok ? int64_t(sink.remaining()) : kSsfBufferFull;
}

}  // namespace ledsuite
