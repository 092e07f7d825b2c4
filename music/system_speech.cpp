// The system's speech engine: the speech facade's kipvoice_ functions.
#include "content/sound/kipvoice/kipvoice.h"
#include "music/speech_engine.h"

namespace ledsuite {

namespace {

constexpr int kVoiceNameUnits = 256;

class KipvoiceSpeech final : public SpeechEngine {
public:
    KipvoiceSpeech() { kipvoice_initial(); }
    // The facade is process-wide and other windows speak through it too: it stays up.
    int VoiceCount() override { return kipvoice_getvoicecount(); }
    std::u16string VoiceName(int index) override {
        char16_t name[kVoiceNameUnits] = {};
        return kipvoice_getvoicename(name, kVoiceNameUnits, index) ? std::u16string(name) : std::u16string();
    }
    bool SelectVoice(int index) override { return kipvoice_selvoice(index) != 0; }
    void SetRate(int rate) override { kipvoice_setrate(rate); }
    void SetVolume(int volume) override { kipvoice_setvolume(volume); }
    bool Speak(const std::u16string& text) override { return kipvoice_speak(text.c_str(), KIPVOICE_SPEAK_ASYNC) != 0; }
    bool IsSpeaking() override { return kipvoice_waituntildone(0) == 0; }
    void Pause() override { kipvoice_pause(); }
    void Resume() override { kipvoice_resume(); }
    void Stop() override { kipvoice_stop(); }
};

}  // namespace

std::unique_ptr<SpeechEngine> MakeSystemSpeechEngine() { return std::make_unique<KipvoiceSpeech>(); }

}  // namespace ledsuite
