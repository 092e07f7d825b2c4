#pragma once
// Stand-ins for the playback's two outputs that have no place in a test run: a media
// player whose clock runs from Play (no sound card), and a speech engine that takes a
// fixed time per sentence. The card, the port, the files and the HTTP server are real.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "content/imc_codes.h"
#include "music/media_player.h"
#include "music/speech_engine.h"
#include "tools/fakecard.h"

namespace ledsuite::testing {

// A card that shows lyrics: firmware 3, the lyric pair (type 4) and protocol 1 (type 6), its
// sign 192 x 32 unless told otherwise.
using SignSize = std::optional<std::pair<uint16_t, uint16_t>>;
inline FakeCardScript LyricCard(std::vector<std::pair<uint8_t, uint8_t>> pairs = {{1, 2}, {4, 1}, {6, 1}},
                                SignSize size = std::pair<uint16_t, uint16_t>(192, 32)) {
    FakeCardScript s;
    s.info = MakeInfoReply(0, 2, 3, pairs);
    s.partitionSize = size;
    return s;
}

// What a fake was asked to do, kept under its lock; tests read a copy.
template <class Log>
class Recorder {
public:
    Log log() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return log_;
    }

protected:
    mutable std::mutex mutex_;
    Log log_;
};

struct MediaLog {
    std::vector<std::string> opened;
    std::vector<int> volumes;
    int stops = 0, pauses = 0, resumes = 0;
};

// A clock that moves only when the test moves it: a song on it cannot end, nor reach its next
// line, while the test is still acting, however busy the machine.
class ManualClock {
public:
    std::chrono::steady_clock::time_point now() const {
        return std::chrono::steady_clock::time_point(std::chrono::milliseconds(ms_.load()));
    }
    void Advance(std::chrono::milliseconds by) { ms_ += by.count(); }

private:
    std::atomic<int64_t> ms_{0};
};

// Plays for `lengthMs` on the steady clock, or on `clock` when one is given, or, after
// MoveOnEachLook, at the pace of whoever asks for its position, whatever the machine's load.
class ClockMediaPlayer : public MediaPlayer, public Recorder<MediaLog> {
public:
    explicit ClockMediaPlayer(int64_t lengthMs, const ManualClock* clock = nullptr)
        : length_(lengthMs), clock_(clock) {}
    // Each look at the position while playing moves the song on by `ms` (and nothing else does).
    void MoveOnEachLook(int64_t ms) {
        std::lock_guard<std::mutex> lock(mutex_);
        msPerLook_ = ms;
    }
    bool Open(const std::string& path) override {
        std::lock_guard<std::mutex> lock(mutex_);
        log_.opened.push_back(path);
        open_ = true;
        played_ = 0;
        running_ = false;
        return true;
    }
    void Play() override { Run(false); }
    void Pause() override {
        std::lock_guard<std::mutex> lock(mutex_);
        ++log_.pauses;
        played_ = Now();
        running_ = false;
    }
    void Resume() override { Run(true); }
    void Stop() override {
        std::lock_guard<std::mutex> lock(mutex_);
        ++log_.stops;
        open_ = running_ = false;
    }
    int64_t PositionMs() override {
        std::lock_guard<std::mutex> lock(mutex_);
        if (running_) played_ += msPerLook_;
        return Now();
    }
    int64_t LengthMs() override { return length_; }
    bool Ended() override {
        std::lock_guard<std::mutex> lock(mutex_);
        return !open_ || Now() >= length_;
    }
    void SetVolume(int volume) override {
        std::lock_guard<std::mutex> lock(mutex_);
        log_.volumes.push_back(volume);
    }

private:
    using Clock = std::chrono::steady_clock;
    void Run(bool resume) {
        std::lock_guard<std::mutex> lock(mutex_);
        log_.resumes += resume;
        if (running_) return;
        since_ = Stamp();
        running_ = true;
    }
    int64_t Now() const {
        if (!running_ || msPerLook_) return played_;
        return played_ + std::chrono::duration_cast<std::chrono::milliseconds>(Stamp() - since_).count();
    }
    Clock::time_point Stamp() const { return clock_ ? clock_->now() : Clock::now(); }
    int64_t length_;
    const ManualClock* clock_;
    int64_t msPerLook_ = 0;
    int64_t played_ = 0;
    Clock::time_point since_{};
    bool open_ = false, running_ = false;
};

struct SpeechLog {
    std::vector<std::u16string> spoken;
    std::vector<std::chrono::steady_clock::time_point> spokenAt;
    std::vector<int> selected, rates, volumes;
    int stops = 0, pauses = 0, resumes = 0;
};

// Takes `msPerSentence` to speak a sentence, or until EndSentence; a pause holds the rest.
class TimedSpeech : public SpeechEngine, public Recorder<SpeechLog> {
public:
    explicit TimedSpeech(int msPerSentence = 20, int voices = 2) : ms_(msPerSentence), voices_(voices) {}
    int VoiceCount() override { return voices_; }
    std::u16string VoiceName(int index) override { return u"voice " + std::u16string(1, char16_t(u'0' + index)); }
    bool SelectVoice(int index) override {
        std::lock_guard<std::mutex> lock(mutex_);
        log_.selected.push_back(index);
        return true;
    }
    void SetRate(int rate) override {
        std::lock_guard<std::mutex> lock(mutex_);
        log_.rates.push_back(rate);
    }
    void SetVolume(int volume) override {
        std::lock_guard<std::mutex> lock(mutex_);
        log_.volumes.push_back(volume);
    }
    bool Speak(const std::u16string& text) override {
        std::lock_guard<std::mutex> lock(mutex_);
        log_.spoken.push_back(text);
        log_.spokenAt.push_back(Clock::now());
        left_ = std::chrono::milliseconds(ms_);
        until_ = Clock::now() + left_;
        return true;
    }
    bool IsSpeaking() override {
        std::lock_guard<std::mutex> lock(mutex_);
        return paused_ ? left_.count() > 0 : Clock::now() < until_;
    }
    void Pause() override {
        std::lock_guard<std::mutex> lock(mutex_);
        ++log_.pauses;
        if (!paused_) left_ = std::max(Clock::duration{}, until_ - Clock::now());
        paused_ = true;
    }
    void Resume() override {
        std::lock_guard<std::mutex> lock(mutex_);
        ++log_.resumes;
        if (paused_) until_ = Clock::now() + left_;
        paused_ = false;
    }
    void Stop() override {
        std::lock_guard<std::mutex> lock(mutex_);
        ++log_.stops;
        until_ = {};
        left_ = {};
    }
    // The sentence being spoken ends now.
    void EndSentence() {
        std::lock_guard<std::mutex> lock(mutex_);
        until_ = Clock::now();
        left_ = {};
    }

private:
    using Clock = std::chrono::steady_clock;
    int ms_, voices_;
    bool paused_ = false;
    Clock::duration left_{};  // of the sentence, while paused
    Clock::time_point until_{};
};

struct ChannelLog {
    std::vector<int> sent, posted;
};

// Records what the worker sends and posts; speaks IMC_SPEAK_TEXT and answers the lyric choice.
class RecordingChannel : public InternalChannel, public Recorder<ChannelLog> {
public:
    explicit RecordingChannel(SpeechEngine* speech, int choice = 0) : speech_(speech), choice_(choice) {}
    intptr_t send(int code, intptr_t arg) override {
        std::lock_guard<std::mutex> lock(mutex_);
        log_.sent.push_back(code);
        if (code == IMC_SPEAK_TEXT && speech_) speech_->Speak(*reinterpret_cast<const std::u16string*>(arg));
        return code == IMC_SELECT_LYRIC ? choice_ : 0;
    }
    void post(int code, intptr_t) override {
        std::lock_guard<std::mutex> lock(mutex_);
        log_.posted.push_back(code);
    }

private:
    SpeechEngine* speech_;
    int choice_;
};

}  // namespace ledsuite::testing
