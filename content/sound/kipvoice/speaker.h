#pragma once
// The speaking voice: a worker thread that takes queued texts, synthesises each
// (speech_engine.h) and plays the samples through GStreamer (appsrc into the
// default audio sink, or "fakesink sync=true" when there is no audio device or
// LEDSUITE_AUDIO_SINK names another sink), so that a text takes as long to play as
// it sounds, and pause, resume, stop and the timed wait behave like a real voice.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "content/sound/kipvoice/speech_engine.h"

typedef struct _GstElement GstElement;

namespace kipvoice_detail {

class Speaker {
public:
    Speaker();
    ~Speaker();  // stops speaking and joins the worker
    Speaker(const Speaker&) = delete;
    Speaker& operator=(const Speaker&) = delete;

    // Queues a text; with `purge` whatever is queued or playing is dropped first.
    void Speak(std::u16string text, const VoiceSettings& settings, bool purge);
    void Stop();
    void Pause();
    void Resume();
    // Waits until nothing is queued or playing, at most `limit` (none: no limit).
    bool WaitUntilDone(std::optional<std::chrono::milliseconds> limit);

private:
    struct Item {
        std::u16string text;
        VoiceSettings settings;
    };
    void Run();
    void PlaySamples(const std::vector<int16_t>& samples);
    GstElement* StartPipeline(const std::vector<int16_t>& samples, bool fake);
    void DropLocked();

    std::mutex m_;
    std::condition_variable cv_;
    std::deque<Item> queue_;
    bool busy_ = false;
    bool quit_ = false;
    bool paused_ = false;
    std::atomic<bool> cancel_{false};  // ends the current text's synthesis and playback
    GstElement* pipeline_ = nullptr;   // the playing pipeline, guarded by m_
    std::thread worker_;
};

}  // namespace kipvoice_detail
