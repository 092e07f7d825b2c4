#pragma once
// The speech engine as the playback loop and the pane use it: voices, rate, volume,
// speaking without waiting, and pause, resume and stop. The system's speech facade sits
// behind it; tests may put any engine there.
#include <memory>
#include <string>

namespace ledsuite {

class SpeechEngine {
public:
    virtual ~SpeechEngine() = default;
    virtual int VoiceCount() = 0;
    virtual std::u16string VoiceName(int index) = 0;
    virtual bool SelectVoice(int index) = 0;
    virtual void SetRate(int rate) = 0;      // -10..10
    virtual void SetVolume(int volume) = 0;  // 0..100
    // Starts speaking and returns at once; false when nothing could be spoken.
    virtual bool Speak(const std::u16string& text) = 0;
    virtual bool IsSpeaking() = 0;
    virtual void Pause() = 0;
    virtual void Resume() = 0;
    virtual void Stop() = 0;  // purges what is queued
};

// The system's speech engine (the speech facade).
std::unique_ptr<SpeechEngine> MakeSystemSpeechEngine();

}  // namespace ledsuite
