#include "content/sound/sound_clip.h"

#include <algorithm>
#include <cmath>

#include "content/bytes.h"

namespace ledsuite {

namespace {

constexpr uint32_t kRateTable[8] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100};

void SetData(SoundClip& clip, std::vector<uint8_t>&& data) {
    clip.data = std::move(data);
    clip.length = uint32_t(clip.data.size());
}

std::vector<int16_t> Samples16(const SoundClip& clip) {
    std::vector<int16_t> s(clip.data.size() / 2);
    for (size_t i = 0; i < s.size(); ++i) s[i] = int16_t(LoadU16(&clip.data[2 * i]));
    return s;
}

void SetSamples16(SoundClip& clip, const std::vector<int16_t>& s) {
    std::vector<uint8_t> d(s.size() * 2);
    for (size_t i = 0; i < s.size(); ++i) StoreU16(&d[2 * i], uint16_t(s[i]));
    SetData(clip, std::move(d));
}

int16_t Linear(int16_t a, int16_t b, float f) { return int16_t(float(a) + float(b - a) * f); }

}  // namespace

uint8_t WidthCodeOfBits(int bits) {
    switch (bits) {
        case 8: return 0;
        case 10: return 1;
        case 12: return 2;
        case 16: return 3;
        case 20: return 4;
        case 24: return 5;
        case 32: return 6;
        case 48: return 7;
        default: return 0;
    }
}

int RateCodeOfHz(uint32_t hz) {
    for (int i = 0; i < 8; ++i)
        if (kRateTable[i] == hz) return i;
    return -1;
}

int BytesPerSample(uint16_t format) {
    static constexpr int kBytes[8] = {1, 2, 2, 2, 3, 3, 4, 6};
    return kBytes[WidthCodeOf(format)] * (IsStereo(format) ? 2 : 1);
}

uint32_t RateCodeToHz(uint16_t format) { return kRateTable[RateCodeOf(format)]; }

bool IsMono16(const SoundClip& clip) { return WidthCodeOf(clip.format) == kWidthCode16 && !IsStereo(clip.format); }

void ClearSoundClip(SoundClip& clip) { clip = SoundClip{}; }

void ResetSoundClip(SoundClip& clip) {
    std::vector<uint8_t>().swap(clip.data);
    clip.format = 0;
    clip.length = 0;
    clip.marks.clear();
}

void StereoToMono(SoundClip& clip) {
    if (clip.data.empty() || !IsStereo(clip.format) || WidthCodeOf(clip.format) != kWidthCode16) return;
    const size_t frames = clip.data.size() / 4;
    std::vector<uint8_t> mono(frames * 2);
    // The left sample of each pair: a mix would clip or need scaling, and speech and
    // music tracks carry the same content on both sides.
    for (size_t i = 0; i < frames; ++i) std::copy_n(&clip.data[4 * i], 2, &mono[2 * i]);
    SetData(clip, std::move(mono));
    clip.format &= uint16_t(~kStereoBit);
}

bool Expand8To16(SoundClip& clip) {
    if (clip.data.empty()) return false;
    if (WidthCodeOf(clip.format) != kWidthCode8) return true;
    std::vector<uint8_t> wide(clip.data.size() * 2);
    for (size_t i = 0; i < clip.data.size(); ++i) StoreU16(&wide[2 * i], uint16_t((clip.data[i] - 128) * 256));
    SetData(clip, std::move(wide));
    clip.format = uint16_t((clip.format & ~7) | kWidthCode16);
    return true;
}

void MakeMono16(SoundClip& clip) {
    Expand8To16(clip);
    StereoToMono(clip);
}

int16_t CubicSample(const int16_t s[4], float t) {
    const double x = t;
    const double v = -s[0] * x * (x - 1) * (x - 2) / 6 + s[1] * (x + 1) * (x - 1) * (x - 2) / 2 -
                     s[2] * (x + 1) * x * (x - 2) / 2 + s[3] * (x + 1) * x * (x - 1) / 6;
    return int16_t(std::clamp(std::trunc(v), -32767.0, 32767.0));
}

// The resampler of ResampleClip, on any source rate (the loader also meets rates
// outside the table) and on each channel of interleaved samples.
std::vector<int16_t> ResampleSamples(const std::vector<int16_t>& in, int channels, uint32_t fromHz, uint32_t toHz) {
    const size_t n = in.size() / size_t(channels);
    if (n == 0 || fromHz == 0 || toHz == 0) return {};
    const float r = float(fromHz) / float(toHz);
    const size_t m = size_t(std::trunc(float(n) / r));
    std::vector<int16_t> out(m * size_t(channels));
    for (int c = 0; c < channels; ++c) {
        auto at = [&](size_t k) { return in[k * size_t(channels) + size_t(c)]; };
        for (size_t i = 0; i < m; ++i) {
            const float p = float(i) * r;
            const size_t k = size_t(p);
            const float f = p - float(k);
            int16_t v;
            if (n == 1) v = at(0);  // one sample: nothing to interpolate with
            else if (p < 1) v = Linear(at(0), at(1), f);
            else if (k + 2 < n) {
                const int16_t s[4] = {at(k - 1), at(k), at(k + 1), at(k + 2)};
                v = CubicSample(s, f);
            } else if (k + 2 == n) v = Linear(at(n - 2), at(n - 1), f);
            else v = at(n - 1);
            out[i * size_t(channels) + size_t(c)] = v;
        }
    }
    return out;
}

bool ResampleClip(uint8_t rateCode, SoundClip& clip) {
    rateCode &= 7;
    if (!IsMono16(clip) || clip.data.size() < 2 || RateCodeOf(clip.format) == rateCode) return false;
    SetSamples16(clip, ResampleSamples(Samples16(clip), 1, RateCodeToHz(clip.format), kRateTable[rateCode]));
    clip.format = uint16_t((clip.format & ~(7 << 3)) | rateCode << 3);
    return true;
}

bool HalveRate(SoundClip& clip) {
    if (!IsMono16(clip)) return false;
    const uint32_t hz = RateCodeToHz(clip.format);
    if (hz <= kCardMaxRate || clip.data.size() < 2) return true;
    if (hz != 44100) return ResampleClip(kRateCode22050, clip);
    const std::vector<int16_t> s = Samples16(clip);
    std::vector<int16_t> half(s.size() / 2);
    for (size_t i = 0; i < half.size(); ++i) half[i] = int16_t((s[2 * i] + s[2 * i + 1]) / 2);
    SetSamples16(clip, half);
    clip.format = uint16_t((clip.format & ~(7 << 3)) | kRateCode22050 << 3);
    return true;
}

bool PadClip(SoundClip& clip, uint32_t before, uint32_t after) {
    const uint8_t width = WidthCodeOf(clip.format);
    if (clip.data.empty() || (width != kWidthCode8 && width != kWidthCode16)) return false;
    before += before & 1;
    after += after & 1;
    std::vector<uint8_t> d(size_t(before) + clip.data.size() + after, 0);
    std::copy(clip.data.begin(), clip.data.end(), d.begin() + before);
    SetData(clip, std::move(d));
    return true;
}

bool AppendClip(SoundClip& clip, SoundClip& other, bool atFront) {
    MakeMono16(clip);
    MakeMono16(other);
    if (clip.data.empty()) {
        clip.format = other.format;
    } else if (clip.format != other.format) {
        return false;
    }
    std::vector<uint8_t> d;
    d.reserve(clip.data.size() + other.data.size());
    const std::vector<uint8_t>& first = atFront ? other.data : clip.data;
    const std::vector<uint8_t>& second = atFront ? clip.data : other.data;
    d.insert(d.end(), first.begin(), first.end());
    d.insert(d.end(), second.begin(), second.end());
    SetData(clip, std::move(d));
    return true;
}

bool JoinClipList(SoundClip& result, std::span<const SoundClip> clips, bool withMarks) {
    if (clips.empty()) return false;
    std::vector<uint8_t> d;
    std::vector<uint32_t> marks;
    uint16_t format = 0;
    for (size_t i = 0; i < clips.size(); ++i) {
        SoundClip c = clips[i];
        MakeMono16(c);
        if (!IsMono16(c)) return false;  // widths without a conversion
        if (i == 0) format = c.format;
        else if (c.format != format) return false;
        d.insert(d.end(), c.data.begin(), c.data.end());
        if (withMarks) marks.push_back(uint32_t(d.size() / size_t(BytesPerSample(c.format))));
    }
    ResetSoundClip(result);
    result.format = format;
    SetData(result, std::move(d));
    result.marks = std::move(marks);
    return true;
}

bool PrepareClipForCard(SoundClip& clip) {
    MakeMono16(clip);
    return !clip.data.empty() && HalveRate(clip);
}

}  // namespace ledsuite
