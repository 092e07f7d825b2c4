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
// The magics of the two headers, each with the zero byte that follows it.
constexpr std::array<uint8_t, 4> kFileMagic{'k', 'i', 'p', 0};
constexpr std::array<uint8_t, 4> kSoundMagic{'s', 'f', 'h', 0};

size_t RoundUp512(size_t n) { return (n + 511) / 512 * 512; }

// Where the bytes go: the caller's buffer, or a temporary file beside the target that
// is renamed into place once everything is written and flushed.
class SsfSink {
public:
    SsfSink(uint8_t* buffer, size_t capacity) : buffer_(buffer), capacity_(capacity) {}
    ~SsfSink() { Abandon(); }

    bool Open(const std::string& path) {
        path_ = path;
        std::string tmp = path + ".XXXXXX";
        const int fd = ::mkstemp(tmp.data());
        if (fd < 0) return false;
        ::fchmod(fd, 0644);
        fd_ = fd;
        tmp_ = std::move(tmp);
        return true;
    }
    // False when the buffer cannot take the bytes (nothing written) or the file write failed.
    bool Put(const uint8_t* p, size_t n) {
        if (tmp_.empty()) {  // no file: the buffer
            if (n > capacity_ - used_) return false;
            std::copy_n(p, n, buffer_ + used_);
            used_ += n;
            return true;
        }
        while (n != 0) {
            const ssize_t w = ::write(fd_, p, n);
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) return false;
            p += w;
            n -= size_t(w);
        }
        return true;
    }
    // Flushes, closes and renames the opened file; a full disk shows up here at the latest.
    bool Commit() {
        bool ok = ::fsync(fd_) == 0;
        ok = ::close(fd_) == 0 && ok;
        ok = ok && std::rename(tmp_.c_str(), path_.c_str()) == 0;
        if (!ok) ::unlink(tmp_.c_str());
        tmp_.clear();
        return ok;
    }
    size_t remaining() const { return capacity_ - used_; }

private:
    // A file opened and not committed goes again (a committed one has no temporary name left).
    void Abandon() {
        if (tmp_.empty()) return;
        ::close(fd_);
        ::unlink(tmp_.c_str());
    }
    uint8_t* buffer_;
    size_t capacity_;
    size_t used_ = 0;
    int fd_{};  // the open temporary file while tmp_ names it
    std::string path_, tmp_;
};

using Header = std::array<uint8_t, kSsfHeaderSize>;

void PutFileHeader(Header& h, const std::string& path, uint32_t lengthField) {
    const LocalTime t = CurrentLocalTime();
    std::copy(kFileMagic.begin(), kFileMagic.end(), h.begin() + 2);
    StoreU16(&h[8], uint16_t((t.year % 4096) << 4 | t.month));
    StoreU16(&h[10], uint16_t(t.day << 11 | t.hour << 6 | t.minute));
    StoreU16(&h[12], uint16_t(t.second << 10 | t.millisecond % 1024));
    StoreU32(&h[14], lengthField);
    uint8_t* title = &h[18];
    for (char16_t c : SsfStem(path)) {
        StoreU16(title, uint16_t(c));
        title += 2;
    }
    StoreU16(&h[0], Crc16Modbus(kSsfFileHeaderSize - 2, &h[2]));
}

void PutSoundHeader(Header& h, const SoundClip& clip, uint32_t length, int mode, size_t markTable) {
    uint8_t* s = &h[kSsfSoundHeaderAt];
    std::copy(kSoundMagic.begin(), kSoundMagic.end(), s + 2);
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
    uint8_t* at = marks.data();
    for (uint32_t mark : clip.marks) {
        StoreU32(at, mark);
        at += 4;
    }
    return sink.Put(marks.data(), marks.size());
}

bool WriteSamples(SsfSink& sink, const SoundClip& clip, uint32_t length, const SoundProgressFn& progress) {
    const uint32_t total = length / 2;
    std::vector<uint8_t> block(kSsfBlockSamples * 2);
    if (progress) progress(1, 0);
    for (uint32_t done = 0; done < total;) {
        const uint32_t n = std::min<uint32_t>(uint32_t(kSsfBlockSamples), total - done);
        const uint8_t* from = clip.data.data() + 2 * size_t(done);
        uint8_t* const end = block.data() + 2 * size_t(n);
        for (uint8_t* to = block.data(); to != end; to += 2, from += 2)
            StoreU16(to, uint16_t((LoadU16(from) ^ 0x8000) & 0xFFF0));  // offset by 32768, low bits cleared
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
                     const std::string& path, size_t capacity, int mode, const std::string& titleName) {
    const bool toFile = !path.empty();
    if (!clip || (!toFile && (!buffer || capacity == 0))) return kSsfNoArgs;
    const uint32_t length = uint32_t(std::min<size_t>(clip->length, clip->data.size())) & ~3u;
    if (length == 0 || !IsMono16(*clip)) return kSsfBadClip;
    if (mode < 0 || mode > 3) return kSsfBadMode;
    SsfSink sink(buffer, capacity);  // a file's bytes go to the file alone
    if (toFile && !sink.Open(path)) return kSsfFileFailed;
    const bool ok = (mode == 3 || WriteHeaders(sink, *clip, titleName.empty() ? path : titleName, length, mode)) &&
                    WriteSamples(sink, *clip, length, progress);
    if (toFile) return ok && sink.Commit() ? int64_t(capacity) : kSsfFileFailed;
    return ok ? int64_t(sink.remaining()) : kSsfBufferFull;
}

}  // namespace ledsuite
