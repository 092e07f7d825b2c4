// WAV reading (ParseWaveMemory) and the sound-file loader (LoadSoundFile).
#include <algorithm>
#include <cstring>

#include "content/bytes.h"
#include "content/sound/mp3_decode.h"
#include "content/model/paths.h"
#include "content/sound/sound_clip.h"

namespace ledsuite {

namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatExtensible = 0xFFFE;

struct WaveFormat {
    uint16_t channels = 0;
    uint32_t rate = 0;
    uint16_t bits = 0;
};

bool Tag(const uint8_t* p, const char* tag) { return std::memcmp(p, tag, 4) == 0; }

// A "fmt " body: 16 bytes, 18 (the extra size word skipped), or the extensible form
// whose sub-format GUID starts with the PCM tag. Only PCM of 1 or 2 channels and 8,
// 16, 24 or 32 bits is taken.
bool ReadFormat(const uint8_t* body, uint32_t size, WaveFormat& f) {
    if (size != 16 && size != 18 && size < 40) return false;
    const uint16_t tag = LoadU16(body);
    if (tag == kFormatExtensible && (size < 40 || LoadU16(body + 24) != kFormatPcm)) return false;
    if (tag != kFormatPcm && tag != kFormatExtensible) return false;
    f.channels = LoadU16(body + 2);
    f.rate = LoadU32(body + 4);
    f.bits = LoadU16(body + 14);
    const bool widthOk = f.bits == 8 || f.bits == 16 || f.bits == 24 || f.bits == 32;
    return (f.channels == 1 || f.channels == 2) && f.rate > 0 && widthOk;
}

// 24- and 32-bit samples keep their top 16 bits: the card plays 16-bit sound.
std::vector<uint8_t> NarrowTo16(std::span<const uint8_t> data, int bytes) {
    std::vector<uint8_t> out(data.size() / size_t(bytes) * 2);
    for (size_t i = 0; i < out.size() / 2; ++i) std::copy_n(&data[i * size_t(bytes) + size_t(bytes) - 2], 2, &out[2 * i]);
    return out;
}

// The samples as a clip: the format code from the table, wide samples narrowed, and a
// rate outside the table resampled to the next table rate up (44,100 Hz above it).
bool MakeClip(SoundClip& clip, const WaveFormat& f, std::span<const uint8_t> data) {
    const size_t frame = size_t(f.channels) * (f.bits / 8);
    data = data.first(data.size() / frame * frame);
    if (data.empty()) return false;
    const bool stereo = f.channels == 2;
    clip.data = f.bits > 16 ? NarrowTo16(data, f.bits / 8) : std::vector<uint8_t>(data.begin(), data.end());
    const uint8_t width = f.bits == 8 ? kWidthCode8 : kWidthCode16;
    const int code = RateCodeOfHz(f.rate);
    clip.format = MakeFormatCode(width, uint8_t(std::max(code, 0)), stereo);
    clip.length = uint32_t(clip.data.size());
    if (code >= 0) return true;
    Expand8To16(clip);
    uint8_t target = 7;
    for (uint8_t c = 0; c < 8; ++c) {
        if (RateCodeToHz(MakeFormatCode(0, c, false)) >= f.rate) {
            target = c;
            break;
        }
    }
    std::vector<int16_t> s(clip.data.size() / 2);
    for (size_t i = 0; i < s.size(); ++i) s[i] = int16_t(LoadU16(&clip.data[2 * i]));
    s = ResampleSamples(s, f.channels, f.rate, RateCodeToHz(MakeFormatCode(0, target, false)));
    clip.data.assign(s.size() * 2, 0);
    for (size_t i = 0; i < s.size(); ++i) StoreU16(&clip.data[2 * i], uint16_t(s[i]));
    clip.length = uint32_t(clip.data.size());
    clip.format = MakeFormatCode(kWidthCode16, target, stereo);
    return !clip.data.empty();
}

}  // namespace

bool ParseWaveMemory(SoundClip& clip, const uint8_t* bytes, size_t size) {
    if (!bytes || size < 20) return false;
    ResetSoundClip(clip);
    if (!Tag(bytes, "RIFF") || !Tag(bytes + 8, "WAVE")) return false;
    WaveFormat format;
    bool haveFormat = false;
    size_t pos = 12;
    while (size - pos >= 8) {
        const uint8_t* head = bytes + pos;
        const uint32_t chunk = LoadU32(head + 4);
        const size_t avail = size - pos - 8;
        if (Tag(head, "fmt ")) {
            if (chunk > avail || !ReadFormat(head + 8, chunk, format)) return false;
            haveFormat = true;
        } else if (Tag(head, "data")) {
            // Streamed files leave the size at 0xFFFFFFFF; a cut file is shorter than it says.
            if (!haveFormat) return false;
            const bool ok = MakeClip(clip, format, {head + 8, std::min<size_t>(chunk, avail)});
            if (!ok) ResetSoundClip(clip);
            return ok;
        }
        // Chunks are padded to even sizes.
        const size_t skip = size_t(chunk) + (chunk & 1);
        if (skip > avail) break;
        pos += 8 + skip;
    }
    return false;  // no samples
}

bool LoadSoundFile(const SoundProgressFn& progress, SoundClip& clip, const std::string& path) {
    ClearSoundClip(clip);
    std::vector<uint8_t> bytes;
    if (ReadFileBytes(path, kMaxSoundFileBytes, bytes) != ReadFileResult::Ok) return false;
    const bool riff = bytes.size() >= 12 && Tag(bytes.data(), "RIFF") && Tag(bytes.data() + 8, "WAVE");
    if (riff) return ParseWaveMemory(clip, bytes.data(), bytes.size());
    return DecodeMp3(bytes, clip, progress);
}

}  // namespace ledsuite
