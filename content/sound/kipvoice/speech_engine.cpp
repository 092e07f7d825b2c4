#include "content/sound/kipvoice/speech_engine.h"

#include <espeak-ng/speak_lib.h>

#include <algorithm>
#include <cstring>

namespace kipvoice_detail {

namespace {

std::mutex g_engineMutex;  // around every espeak-ng call
bool g_started = false;
std::vector<Voice> g_voices;

// One synthesis in progress: the samples gathered so far and its cancel flag.
struct Collector {
    std::vector<int16_t>* out;
    const std::atomic<bool>* cancel;
};

// The synthesis in progress (set and cleared under the engine mutex; synchronous
// output calls back on the synthesising thread).
Collector* g_collector = nullptr;

int OnSamples(short* wav, int count, espeak_EVENT*) {
    Collector* c = g_collector;
    if (!c) return 0;
    if (wav && count > 0) c->out->insert(c->out->end(), wav, wav + count);
    return (c->cancel && c->cancel->load()) ? 1 : 0;  // 1 asks the engine to stop
}

std::string NameOf(const std::string& identifier) {
    const size_t cut = identifier.find_last_of("/\\");
    return cut == std::string::npos ? identifier : identifier.substr(cut + 1);
}

void ListVoices() {
    g_voices.clear();
    const espeak_VOICE** list = espeak_ListVoices(nullptr);
    for (size_t i = 0; list && list[i]; ++i) {
        const char* id = list[i]->identifier;
        // MBROLA voices need databases that are rarely installed; they cannot speak.
        if (!id || !*id || std::string_view(id).starts_with("mb/")) continue;
        g_voices.push_back({id, NameOf(id)});
    }
    std::stable_sort(g_voices.begin(), g_voices.end(), [](const Voice& a, const Voice& b) {
        const int ra = VoiceRank(a.identifier), rb = VoiceRank(b.identifier);
        return ra != rb ? ra < rb : a.identifier < b.identifier;
    });
}

void StoreU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
void StoreU16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

}  // namespace

int VoiceRank(std::string_view identifier) {
    const std::string_view name = identifier.substr(identifier.find_last_of("/\\") + 1);
    if (name == "cmn") return 0;
    if (name == "yue") return 1;
    if (identifier == "gmw/en") return 2;
    return 3;
}

bool EnsureEngine() {
    std::lock_guard<std::mutex> lock(g_engineMutex);
    if (g_started) return true;
    // Synchronous output: espeak_Synth returns when the text is done, samples arrive
    // through the callback on the calling thread.
    const int rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 200, nullptr, espeakINITIALIZE_DONT_EXIT);
    if (rate <= 0) return false;
    espeak_SetSynthCallback(OnSamples);
    ListVoices();
    g_started = !g_voices.empty();
    return g_started;
}

const std::vector<Voice>& Voices() { return g_voices; }

std::vector<int16_t> Synthesize(std::u16string_view text, const VoiceSettings& settings,
                                const std::atomic<bool>* cancel) {
    std::vector<int16_t> samples;
    if (!EnsureEngine() || text.empty() || g_voices.empty()) return samples;
    std::lock_guard<std::mutex> lock(g_engineMutex);
    const size_t voice = std::min(size_t(std::max(settings.voice, 0)), g_voices.size() - 1);
    if (espeak_SetVoiceByName(g_voices[voice].identifier.c_str()) != EE_OK) return samples;
    espeak_SetParameter(espeakRATE, RateToWordsPerMinute(settings.rate), 0);
    const std::string ssml = MarkupToSsml(text, settings.rate);
    espeak_SetParameter(espeakVOLUME, std::clamp(settings.volume, 0, 100), 0);
    Collector collector{&samples, cancel};
    g_collector = &collector;
    const espeak_ERROR err = espeak_Synth(ssml.c_str(), ssml.size() + 1, 0, POS_CHARACTER, 0,
                                          espeakCHARS_UTF8 | espeakSSML, nullptr, nullptr);
    g_collector = nullptr;
    if (err != EE_OK) samples.clear();
    return samples;
}

std::vector<uint8_t> MakeWaveBytes(const std::vector<int16_t>& samples) {
    const uint32_t dataBytes = uint32_t(samples.size() * 2);
    std::vector<uint8_t> b(44 + size_t(dataBytes));
    uint8_t* p = b.data();
    std::memcpy(p, "RIFF", 4);
    StoreU32(p + 4, 36 + dataBytes);
    std::memcpy(p + 8, "WAVEfmt ", 8);
    StoreU32(p + 16, 16);
    StoreU16(p + 20, 1);  // PCM
    StoreU16(p + 22, 1);  // mono
    StoreU32(p + 24, kSampleRate);
    StoreU32(p + 28, kSampleRate * 2);
    StoreU16(p + 32, 2);
    StoreU16(p + 34, 16);
    std::memcpy(p + 36, "data", 4);
    StoreU32(p + 40, dataBytes);
    for (size_t i = 0; i < samples.size(); ++i) StoreU16(p + 44 + 2 * i, uint16_t(samples[i]));
    return b;
}

}  // namespace kipvoice_detail
