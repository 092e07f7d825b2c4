#pragma once
// Sound clips: PCM in memory, loaded from WAV (file or memory image) or MP3, and the
// conversions that bring any clip to the card's form (16-bit mono, at most 22,050 Hz),
// joined, padded and appended. ssf_file.h writes a clip as the card's ".ssf" file.
//
// The format code: bits 0-2 the sample width code, bits 3-5 the rate code, bit 6
// stereo. Width codes by bits per sample: 8 -> 0, 10 -> 1, 12 -> 2, 16 -> 3, 20 -> 4,
// 24 -> 5, 32 -> 6, 48 -> 7. Rate codes 0..7: 8000, 11025, 12000, 16000, 22050,
// 24000, 32000, 44100 Hz. 16-bit samples are signed little-endian, stereo interleaved
// left first.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace ledsuite {

struct SoundClip {
    uint16_t format = 0;           // format code (high byte 0)
    uint32_t length = 0;           // bytes of sample data (always data.size())
    std::vector<uint8_t> data;     // the samples
    std::vector<uint32_t> marks;   // sample positions where joined clips meet
};

// Progress of a long sound operation: (total, done) in the operation's own units.
// Empty means no report.
using SoundProgressFn = std::function<void(uint32_t total, uint32_t done)>;

constexpr uint8_t kWidthCode8 = 0;
constexpr uint8_t kWidthCode16 = 3;
constexpr uint8_t kRateCode22050 = 4;
constexpr uint16_t kStereoBit = 0x40;
// The card plays at most this rate.
constexpr uint32_t kCardMaxRate = 22050;
// No sound file larger than this is read (an hour of 44.1 kHz stereo is about 600 MB
// of PCM; compressed or not, a larger file is refused).
constexpr size_t kMaxSoundFileBytes = size_t(768) << 20;

constexpr uint8_t WidthCodeOf(uint16_t format) { return uint8_t(format & 7); }
constexpr uint8_t RateCodeOf(uint16_t format) { return uint8_t((format >> 3) & 7); }
constexpr bool IsStereo(uint16_t format) { return (format & kStereoBit) != 0; }
constexpr uint16_t MakeFormatCode(uint8_t widthCode, uint8_t rateCode, bool stereo) {
    return uint16_t((widthCode & 7) | (rateCode & 7) << 3 | (stereo ? kStereoBit : 0));
}
// The width code of a WAV bits-per-sample value (0 for widths outside the table).
uint8_t WidthCodeOfBits(int bits);
// The rate code of a rate in the table, or -1.
int RateCodeOfHz(uint32_t hz);
// Bytes per sample of a format code, doubled for stereo.
int BytesPerSample(uint16_t format);
// The rate of the format code's bits 3-5.
uint32_t RateCodeToHz(uint16_t format);
bool IsMono16(const SoundClip& clip);

// Frees the data and the marks' storage and zeroes the clip.
void ClearSoundClip(SoundClip& clip);
// Frees the data, zeroes format and length, empties the marks keeping their storage.
void ResetSoundClip(SoundClip& clip);

// Clears the clip and loads a WAV file, else an MP3 file. False when the file cannot
// be read or is neither (the clip is then empty). Rates outside the table come back
// resampled to a table rate (48,000 Hz as 44,100 Hz); 24- and 32-bit PCM as 16-bit.
bool LoadSoundFile(const SoundProgressFn& progress, SoundClip& clip, const std::string& path);
// Reads a RIFF/WAVE image: false for fewer than 20 bytes, no RIFF/WAVE, a "fmt " that
// is not PCM (plain or extensible) of 1 or 2 channels, or no samples. Chunk sizes are
// held to the bytes present.
bool ParseWaveMemory(SoundClip& clip, const uint8_t* bytes, size_t size);

// A 16-bit stereo clip keeps its left samples and becomes mono; others are left.
void StereoToMono(SoundClip& clip);
// An 8-bit clip (mono or stereo) becomes 16-bit: each byte b as (b - 128) << 8.
// False without data.
bool Expand8To16(SoundClip& clip);
// Expand8To16 then StereoToMono: any 8- or 16-bit clip as 16-bit mono.
void MakeMono16(SoundClip& clip);
// The cubic through s[0..3] (at -1, 0, 1, 2) at t in [0, 1), rounded toward zero and
// held to -32767..32767.
int16_t CubicSample(const int16_t s[4], float t);
// The resampler behind ResampleClip for any two rates and 1 or 2 interleaved channels:
// trunc(n / r) frames for n frames and r = from / to (single precision), linear at the
// first and the last pair, the cubic in between.
std::vector<int16_t> ResampleSamples(const std::vector<int16_t>& in, int channels, uint32_t fromHz, uint32_t toHz);
// Resamples a 16-bit mono clip to the rate of `rateCode`; false for other clips, no
// data, or equal rates.
bool ResampleClip(uint8_t rateCode, SoundClip& clip);
// Brings a 16-bit mono clip to at most 22,050 Hz: 44,100 Hz by averaging pairs,
// 24,000 and 32,000 Hz by ResampleClip; lower rates stay. False for other clips.
bool HalveRate(SoundClip& clip);
// Zero bytes before and after the data (counts rounded up to even); 8- or 16-bit
// clips with data only.
bool PadClip(SoundClip& clip, uint32_t before, uint32_t after);
// Puts `other`'s data after (or, `atFront`, before) the clip's; both are made 16-bit
// mono first. An empty clip takes the other's format. False when the formats differ.
bool AppendClip(SoundClip& clip, SoundClip& other, bool atFront);
// The clips' data joined into `result` with the first clip's format; with `withMarks`
// a mark (samples so far) after each clip. Clips are taken as 16-bit mono; false for
// no clips or clips of different rates.
bool JoinClipList(SoundClip& result, std::span<const SoundClip> clips, bool withMarks);
// What the card takes: 16-bit mono at no more than 22,050 Hz. False for a clip that
// cannot be converted (no data, or a width other than 8 and 16 bits).
bool PrepareClipForCard(SoundClip& clip);

}  // namespace ledsuite
