// The exported speech functions: a thin layer over the engine (speech_engine.h) and
// the speaking voice (speaker.h). The facade's own state is guarded by one mutex;
// the engine has its own.
#include "content/sound/kipvoice/kipvoice.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>

#include "content/sound/kipvoice/speaker.h"
#include "content/sound/kipvoice/speech_engine.h"

using namespace kipvoice_detail;

namespace {

struct FacadeState {
    std::unique_ptr<Speaker> speaker;  // the speaking voice; none before kipvoice_initial
    VoiceSettings settings;            // its voice, rate and volume
};

std::mutex g_stateMutex;
FacadeState g_state;

int VoiceCount() { return int(Voices().size()); }

// The text up to its terminator, at most `limit` units; a surrogate pair is never cut.
std::u16string_view Bounded(const char16_t* text, size_t limit) {
    size_t n = 0;
    while (n < limit && text[n]) ++n;
    if (n == limit && n > 0 && text[n] != 0 && text[n - 1] >= 0xD800 && text[n - 1] < 0xDC00) --n;
    return {text, n};
}

}  // namespace

extern "C" {

int kipvoice_initial(void) {
    std::lock_guard<std::mutex> lock(g_stateMutex);
    if (g_state.speaker) return 1;
    if (!EnsureEngine()) return 0;
    g_state.speaker = std::make_unique<Speaker>();
    g_state.settings = {};
    return 1;
}

void kipvoice_free(void) {
    std::unique_ptr<Speaker> speaker;
    {
        std::lock_guard<std::mutex> lock(g_stateMutex);
        speaker = std::move(g_state.speaker);
        g_state.settings = {};
    }
    speaker.reset();  // stops and joins outside the lock
}

int kipvoice_getvoicecount(void) {
    std::lock_guard<std::mutex> lock(g_stateMutex);
    return g_state.speaker ? VoiceCount() : 0;
}

int kipvoice_getvoicename(char16_t* buffer, int size, int index) {
    std::lock_guard<std::mutex> lock(g_stateMutex);
    if (!g_state.speaker || !buffer || size <= 0 || index < 0 || index >= VoiceCount()) return 0;
    const std::string& name = Voices()[size_t(index)].name;  // identifiers are ASCII
    const size_t n = std::min(name.size(), size_t(size) - 1);
    for (size_t i = 0; i < n; ++i) buffer[i] = char16_t(uint8_t(name[i]));
    buffer[n] = 0;
    return 1;
}

int kipvoice_selvoice(int index) {
    std::lock_guard<std::mutex> lock(g_stateMutex);
    if (!g_state.speaker || index < 0 || index >= VoiceCount()) return 0;
    g_state.settings.voice = index;
    return 1;
}

int kipvoice_speak(const char16_t* text, unsigned flags) {
    Speaker* speaker = nullptr;
    {
        std::lock_guard<std::mutex> lock(g_stateMutex);
        if (!g_state.speaker) return 0;
        speaker = g_state.speaker.get();
        speaker->Speak(text ? std::u16string(Bounded(text, SIZE_MAX)) : std::u16string(), g_state.settings,
                       (flags & KIPVOICE_SPEAK_PURGE) != 0);
    }
    // A synchronous speak waits for its text; kipvoice_free must not run meanwhile
    // (the same rule as for the voice it stands for).
    if (!(flags & KIPVOICE_SPEAK_ASYNC)) speaker->WaitUntilDone(std::nullopt);
    return 1;
}

int kipvoice_stop(void) {
    std::lock_guard<std::mutex> lock(g_stateMutex);
    if (!g_state.speaker) return 0;
    g_state.speaker->Stop();
    return 1;
}

int kipvoice_pause(void) {
    std::lock_guard<std::mutex> lock(g_stateMutex);
    if (!g_state.speaker) return 0;
    g_state.speaker->Pause();
    return 1;
}

int kipvoice_resume(void) {
    std::lock_guard<std::mutex> lock(g_stateMutex);
    if (!g_state.speaker) return 0;
    g_state.speaker->Resume();
    return 1;
}

int kipvoice_getrate(void) {
    std::lock_guard<std::mutex> lock(g_stateMutex);
    return g_state.speaker ? g_state.settings.rate : 0;
}

int kipvoice_setrate(int rate) {
    std::lock_guard<std::mutex> lock(g_stateMutex);
    if (!g_state.speaker) return 0;
    g_state.settings.rate = std::clamp(rate, -10, 10);
    return 1;
}

int kipvoice_setvolume(int volume) {
    std::lock_guard<std::mutex> lock(g_stateMutex);
    if (!g_state.speaker) return 0;
    g_state.settings.volume = std::clamp(volume, 0, 100);
    return 1;
}

int kipvoice_waituntildone(unsigned milliseconds) {
    Speaker* speaker = nullptr;
    {
        std::lock_guard<std::mutex> lock(g_stateMutex);
        if (!g_state.speaker) return 1;
        speaker = g_state.speaker.get();
    }
    return speaker->WaitUntilDone(std::chrono::milliseconds(milliseconds)) ? 1 : 0;
}

int kipvoice_towavstream(const char16_t* text, int voice, int rate, uint8_t** out) {
    if (!text || !*text || voice < 0 || !out || !EnsureEngine() || Voices().empty()) return 0;
    const VoiceSettings settings{std::min(voice, VoiceCount() - 1), std::clamp(rate, -10, 10), 100};
    const std::vector<int16_t> samples = Synthesize(Bounded(text, kMaxRenderChars), settings);
    if (samples.empty()) return 0;
    const std::vector<uint8_t> wav = MakeWaveBytes(samples);
    auto* buffer = static_cast<uint8_t*>(std::malloc(wav.size()));
    if (!buffer) return 0;
    std::memcpy(buffer, wav.data(), wav.size());
    *out = buffer;
    return int(wav.size());
}

void kipvoice_delete(uint8_t* buffer) { std::free(buffer); }

}  // extern "C"
