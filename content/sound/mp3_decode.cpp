#include "content/sound/mp3_decode.h"

#include <mpg123.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <vector>

namespace ledsuite {

namespace {

constexpr long kResyncLimit = 4096;       // bytes searched for the next frame header
constexpr size_t kFeedChunk = 64 * 1024;  // bytes fed (and reported) at a time
constexpr long kForcedRate = 44100;

struct HandleDeleter {
    void operator()(mpg123_handle* h) const {
        mpg123_close(h);
        mpg123_delete(h);
    }
};
using Handle = std::unique_ptr<mpg123_handle, HandleDeleter>;

// The shortest MPEG audio frame there is (layer III, MPEG-2, 8 kbit/s at 24 kHz): a file
// cannot hold more frames than its size divided by this.
constexpr size_t kMinFrameBytes = 24;

uint32_t LoadU32Be(const uint8_t* p) { return uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]; }

// How far behind a layer III frame header at `p` an Xing/Info tag lies (the size of the side
// information; with a CRC too, where the decoder looks), or 0 when `p` holds no such header.
size_t LayerThreeSideInfo(const uint8_t* p) {
    const int version = (p[1] >> 3) & 3, layer = (p[1] >> 1) & 3;
    const int bitrate = p[2] >> 4, rate = (p[2] >> 2) & 3;
    if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0 || version == 1 || layer != 1 || bitrate == 15 || rate == 3) return 0;
    const bool mono = (p[3] >> 6) == 3, mpeg1 = version == 3;
    return mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17);
}

// Where the frame count of a Xing/Info header at `tag` lies, or 0: the tag must sit right
// behind a layer III header and its side information, with the frame-count flag set.
size_t FrameCountAt(std::span<const uint8_t> b, size_t tag) {
    if (tag + 12 > b.size()) return 0;
    for (size_t side : {9, 17, 32}) {
        if (tag < side + 4 || LayerThreeSideInfo(&b[tag - side - 4]) != side) continue;
        return (LoadU32Be(&b[tag + 4]) & 1) ? tag + 8 : 0;
    }
    return 0;
}

// libmpg123 trusts the frame count of an Xing/Info header: with gapless decoding and a
// resampled rate it works through every claimed frame, so a few hundred bytes that claim
// four billion frames take half a minute. A count the file's size cannot hold is set to 0
// (unknown) in a copy of the bytes, so that the work follows the file's size; a file
// without such a count is decoded as it is (empty result).
std::vector<uint8_t> WithoutImpossibleFrameCounts(std::span<const uint8_t> b) {
    std::vector<uint8_t> fixed;
    const size_t maxFrames = b.size() / kMinFrameBytes;
    for (const char* tag : {"Xing", "Info"}) {
        for (auto at = b.begin(); (at = std::search(at, b.end(), tag, tag + 4)) != b.end(); ++at) {
            const size_t count = FrameCountAt(b, size_t(at - b.begin()));
            if (!count || LoadU32Be(&b[count]) <= maxFrames) continue;
            if (fixed.empty()) fixed.assign(b.begin(), b.end());
            std::fill_n(fixed.begin() + ptrdiff_t(count), 4, 0);
        }
    }
    return fixed;
}

enum class Outcome { Ok, Failed, RateOutsideTable };

Handle OpenDecoder(long forceRate) {
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });  // needed by older library versions
    int err = MPG123_OK;
    Handle h(mpg123_new(nullptr, &err));
    if (!h) return nullptr;
    // Added to the default flags: setting them outright turns gapless decoding off, and the
    // encoder's delay and padding would stay in the samples.
    mpg123_param(h.get(), MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    mpg123_param(h.get(), MPG123_RESYNC_LIMIT, kResyncLimit, 0);
    if (forceRate) mpg123_param(h.get(), MPG123_FORCE_RATE, forceRate, 0);
    mpg123_format_none(h.get());
    static constexpr long kRates[] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
    for (long r : kRates) mpg123_format(h.get(), r, MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    if (forceRate) mpg123_format(h.get(), forceRate, MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    if (mpg123_open_feed(h.get()) != MPG123_OK) return nullptr;
    return h;
}

// Takes what the decoder has ready; false on a decoder error or too much output.
bool Drain(mpg123_handle* h, SoundClip& clip, long& rate, int& channels, bool& formatSeen) {
    unsigned char buf[32768];
    for (;;) {
        size_t got = 0;
        const int r = mpg123_read(h, buf, sizeof buf, &got);
        if (got) {
            if (clip.data.size() + got > kMaxDecodedBytes) return false;
            clip.data.insert(clip.data.end(), buf, buf + got);
        }
        if (r == MPG123_NEW_FORMAT) {
            int enc = 0;
            mpg123_getformat(h, &rate, &channels, &enc);
            formatSeen = true;
            continue;
        }
        if (r == MPG123_NEED_MORE || r == MPG123_DONE) return true;
        if (r != MPG123_OK) return false;
    }
}

Outcome Decode(std::span<const uint8_t> bytes, SoundClip& clip, const SoundProgressFn& progress, long forceRate) {
    ResetSoundClip(clip);
    Handle h = OpenDecoder(forceRate);
    if (!h) return Outcome::Failed;
    long rate = 0;
    int channels = 0;
    bool formatSeen = false;
    for (size_t at = 0; at < bytes.size(); at += kFeedChunk) {
        const size_t n = std::min(kFeedChunk, bytes.size() - at);
        if (mpg123_feed(h.get(), bytes.data() + at, n) != MPG123_OK) return Outcome::Failed;
        if (!Drain(h.get(), clip, rate, channels, formatSeen)) return Outcome::Failed;
        if (progress) progress(uint32_t(bytes.size()), uint32_t(at + n));
    }
    if (!formatSeen || clip.data.empty() || channels < 1 || channels > 2) return Outcome::Failed;
    const int code = RateCodeOfHz(uint32_t(rate));
    if (code < 0) return Outcome::RateOutsideTable;
    const size_t frame = size_t(channels) * 2;
    clip.data.resize(clip.data.size() / frame * frame);
    clip.length = uint32_t(clip.data.size());
    clip.format = MakeFormatCode(kWidthCode16, uint8_t(code), channels == 2);
    return Outcome::Ok;
}

}  // namespace

bool DecodeMp3(std::span<const uint8_t> bytes, SoundClip& clip, const SoundProgressFn& progress) {
    const std::vector<uint8_t> fixed = WithoutImpossibleFrameCounts(bytes);
    if (!fixed.empty()) bytes = fixed;
    Outcome o = Decode(bytes, clip, progress, 0);
    if (o == Outcome::RateOutsideTable) o = Decode(bytes, clip, progress, kForcedRate);
    if (o != Outcome::Ok) ResetSoundClip(clip);
    return o == Outcome::Ok;
}

}  // namespace ledsuite
