// The system's speech engine. Until the speech facade joins the build this engine has no
// voices and speaks nothing: texts in the playlist still go to the sign sentence by sentence.
#include "music/speech_engine.h"

namespace ledsuite {

namespace {
class NoVoiceSpeech final : public SpeechEngine {
public:
    int VoiceCount() override { return 0; }
    std::u16string VoiceName(int) override { return {}; }
    bool SelectVoice(int) override { return false; }
    void SetRate(int) override {}
    void SetVolume(int) override {}
    bool Speak(const std::u16string&) override { return false; }
    bool IsSpeaking() override { return false; }
    void Pause() override {}
    void Resume() override {}
    void Stop() override {}
};
}  // namespace

std::unique_ptr<SpeechEngine> MakeSystemSpeechEngine() { return std::make_unique<NoVoiceSpeech>(); }

}  // namespace ledsuite
