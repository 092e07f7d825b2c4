#pragma once
// The speech engine behind the facade: espeak-ng synthesising into memory.
// espeak-ng is one engine per process and not reentrant, so every call into it runs
// under one mutex; the facade's speaking worker and any rendering thread share it.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "content/sound/kipvoice/speech_markup.h"

namespace kipvoice_detail {

constexpr int kSampleRate = 22050;
constexpr size_t kMaxRenderChars = 1024;

struct Voice {
    std::string identifier;  // e.g. "sit/cmn"
    std::string name;        // the identifier after its last slash or backslash
};

// What to render with: a voice index into Voices(), a rate -10..10, a volume 0..100.
struct VoiceSettings {
    int voice = 0;
    int rate = 0;
    int volume = 100;
};

// Starts the engine once per process and lists its voices; false when it cannot start.
bool EnsureEngine();
// The voices in their fixed order (empty before EnsureEngine succeeded).
const std::vector<Voice>& Voices();
// The order key of a voice identifier: Mandarin 0, Cantonese 1, English 2, others 3.
int VoiceRank(std::string_view identifier);

// Synthesises plain text (never markup) into 16-bit mono samples at kSampleRate.
// `cancel`, when given and set, ends the synthesis early. Empty on failure.
std::vector<int16_t> Synthesize(std::u16string_view text, const VoiceSettings& settings,
                                const std::atomic<bool>* cancel = nullptr);

// A WAV image (44-byte header, PCM 16-bit mono at kSampleRate) of the samples.
std::vector<uint8_t> MakeWaveBytes(const std::vector<int16_t>& samples);

}  // namespace kipvoice_detail
