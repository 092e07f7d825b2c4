#pragma once
// Stand-ins for the playback's two outputs that have no place in a test run: a media
// player whose clock runs from Play (no sound card), and a speech engine that takes a
// fixed time per sentence. The card, the port, the files and the HTTP server are real.
#include <algorithm>
#include <chrono>
#include <mutex>
#include <string>
#include <vector>

#include "content/imc_codes.h"
#include "music/media_player.h"
#include "music/speech_engine.h"

namespace ledsuite::testing {

class ClockMediaPlayer : public MediaPlayer {
public:
    explicit ClockMediaPlayer(int64_t lengthMs) : length_(lengthMs) {}
    bool Open(const std::string& path) override {
        std::lock_guard<std::mutex> lock(mutex_);
        opened_.push_back(path);
        open_ = true;
        played_ = 0;
        running_ = false;
        return true;
    }
    void Play() override { Resume(); }
    void Pause() override {
        std::lock_guard<std::mutex> lock(mutex_);
        played_ = Now();
        running_ = false;
    }
    void Resume() override {
        std::lock_guard<std::mutex> lock(mutex_);
        since_ = Clock::now();
        running_ = true;
    }
    void Stop() override {
        std::lock_guard<std::mutex> lock(mutex_);
        ++stops_;
        open_ = running_ = false;
    }
    int64_t PositionMs() override {
        std::lock_guard<std::mutex> lock(mutex_);
        return Now();
    }
    int64_t LengthMs() override { return length_; }
    bool Ended() override {
        std::lock_guard<std::mutex> lock(mutex_);
        return !open_ || Now() >= length_;
    }
    void SetVolume(int volume) override {
        std::lock_guard<std::mutex> lock(mutex_);
        volumes_.push_back(volume);
    }

    std::vector<std::string> opened() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return opened_;
    }
    std::vector<int> volumes() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return volumes_;
    }
    int stops() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return stops_;
    }

private:
    using Clock = std::chrono::steady_clock;
    int64_t Now() const {
        if (!running_) return played_;
        return played_ + std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since_).count();
    }
    mutable std::mutex mutex_;
    int64_t length_;
    int64_t played_ = 0;
    Clock::time_point since_{};
    bool open_ = false, running_ = false;
    int stops_ = 0;
    std::vector<std::string> opened_;
    std::vector<int> volumes_;
};

class TimedSpeech : public SpeechEngine {
public:
    explicit TimedSpeech(int msPerSentence = 20, int voices = 2) : ms_(msPerSentence), voices_(voices) {}
    int VoiceCount() override { return voices_; }
    std::u16string VoiceName(int index) override { return u"voice " + std::u16string(1, char16_t(u'0' + index)); }
    bool SelectVoice(int index) override {
        std::lock_guard<std::mutex> lock(mutex_);
        selected_.push_back(index);
        return true;
    }
    void SetRate(int rate) override {
        std::lock_guard<std::mutex> lock(mutex_);
        rates_.push_back(rate);
    }
    void SetVolume(int) override {}
    bool Speak(const std::u16string& text) override {
        std::lock_guard<std::mutex> lock(mutex_);
        spoken_.push_back(text);
        until_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms_);
        return true;
    }
    bool IsSpeaking() override {
        std::lock_guard<std::mutex> lock(mutex_);
        return std::chrono::steady_clock::now() < until_;
    }
    void Pause() override {}
    void Resume() override {}
    void Stop() override {
        std::lock_guard<std::mutex> lock(mutex_);
        ++stops_;
        until_ = {};
    }

    std::vector<std::u16string> spoken() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return spoken_;
    }
    std::vector<int> selected() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return selected_;
    }
    std::vector<int> rates() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return rates_;
    }
    int stops() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return stops_;
    }

private:
    mutable std::mutex mutex_;
    int ms_, voices_;
    std::chrono::steady_clock::time_point until_{};
    std::vector<std::u16string> spoken_;
    std::vector<int> selected_, rates_;
    int stops_ = 0;
};

// Records what the worker sends and posts; speaks IMC_SPEAK_TEXT and answers the lyric choice.
class RecordingChannel : public InternalChannel {
public:
    explicit RecordingChannel(SpeechEngine* speech, int choice = 0) : speech_(speech), choice_(choice) {}
    intptr_t send(int code, intptr_t arg) override {
        std::lock_guard<std::mutex> lock(mutex_);
        sent_.push_back(code);
        if (code == IMC_SPEAK_TEXT && speech_) speech_->Speak(*reinterpret_cast<const std::u16string*>(arg));
        return code == IMC_SELECT_LYRIC ? choice_ : 0;
    }
    void post(int code, intptr_t) override {
        std::lock_guard<std::mutex> lock(mutex_);
        posted_.push_back(code);
    }
    std::vector<int> sent() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return sent_;
    }
    std::vector<int> posted() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return posted_;
    }

private:
    mutable std::mutex mutex_;
    SpeechEngine* speech_;
    int choice_;
    std::vector<int> sent_, posted_;
};

}  // namespace ledsuite::testing
