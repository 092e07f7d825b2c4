// GStreamer playbin behind MediaPlayer. No GLib main loop runs: the bus is polled when
// the player is asked whether it ended. Every call takes the player's lock, so the pane
// (pause, resume) and the playback thread (position, volume) can both use it.
#include <gst/gst.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>

#include "music/media_player.h"

namespace ledsuite {

namespace {

constexpr GstClockTime kOpenWait = 5 * GST_SECOND;  // preroll of a file that can be played

class GstMediaPlayer final : public MediaPlayer {
public:
    explicit GstMediaPlayer(const std::string& audioSink) : audioSink_(audioSink) {
        static std::once_flag once;
        std::call_once(once, [] { gst_init(nullptr, nullptr); });
    }
    ~GstMediaPlayer() override { Close(); }

    bool Open(const std::string& path) override {
        std::lock_guard<std::mutex> lock(mutex_);
        Close();
        GError* error = nullptr;
        gchar* uri = gst_filename_to_uri(path.c_str(), &error);
        if (!uri) {
            g_clear_error(&error);
            return false;
        }
        pipeline_ = gst_element_factory_make("playbin", nullptr);
        if (!pipeline_) {
            g_free(uri);
            return false;
        }
        g_object_set(pipeline_, "uri", uri, nullptr);
        g_free(uri);
        // The video of a clip is never shown: the old media window was hidden too.
        if (GstElement* video = gst_element_factory_make("fakesink", nullptr))
            g_object_set(pipeline_, "video-sink", video, nullptr);
        if (!audioSink_.empty()) {
            if (GstElement* audio = gst_parse_bin_from_description(audioSink_.c_str(), TRUE, nullptr))
                g_object_set(pipeline_, "audio-sink", audio, nullptr);
        }
        g_object_set(pipeline_, "volume", volume_, nullptr);
        ended_ = false;
        if (gst_element_set_state(pipeline_, GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE ||
            gst_element_get_state(pipeline_, nullptr, nullptr, kOpenWait) != GST_STATE_CHANGE_SUCCESS) {
            Close();
            return false;
        }
        return true;
    }

    void Play() override { SetState(GST_STATE_PLAYING); }
    void Pause() override { SetState(GST_STATE_PAUSED); }
    void Resume() override { SetState(GST_STATE_PLAYING); }
    void Stop() override {
        std::lock_guard<std::mutex> lock(mutex_);
        Close();
    }

    int64_t PositionMs() override {
        std::lock_guard<std::mutex> lock(mutex_);
        gint64 ns = 0;
        if (!pipeline_ || !gst_element_query_position(pipeline_, GST_FORMAT_TIME, &ns) || ns < 0) return 0;
        return ns / 1000000;
    }

    int64_t LengthMs() override {
        std::lock_guard<std::mutex> lock(mutex_);
        gint64 ns = 0;
        if (!pipeline_ || !gst_element_query_duration(pipeline_, GST_FORMAT_TIME, &ns) || ns < 0) return 0;
        return ns / 1000000;
    }

    bool Ended() override {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!pipeline_) return true;
        GstBus* bus = gst_element_get_bus(pipeline_);
        while (GstMessage* msg =
                   gst_bus_pop_filtered(bus, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR))) {
            ended_ = true;
            gst_message_unref(msg);
        }
        gst_object_unref(bus);
        return ended_;
    }

    void SetVolume(int volume) override {
        std::lock_guard<std::mutex> lock(mutex_);
        volume_ = std::clamp(volume, 0, 1000) / 1000.0;
        if (pipeline_) g_object_set(pipeline_, "volume", volume_, nullptr);
    }

private:
    void SetState(GstState state) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (pipeline_) gst_element_set_state(pipeline_, state);
    }
    void Close() {
        if (!pipeline_) return;
        gst_element_set_state(pipeline_, GST_STATE_NULL);
        gst_object_unref(pipeline_);
        pipeline_ = nullptr;
    }

    std::mutex mutex_;
    std::string audioSink_;
    GstElement* pipeline_ = nullptr;
    double volume_ = 1.0;
    bool ended_ = false;
};

}  // namespace

std::unique_ptr<MediaPlayer> MakeGstMediaPlayer(const std::string& audioSink) {
    std::string sink = audioSink;
    if (const char* env = std::getenv("LEDSUITE_AUDIO_SINK"); sink.empty() && env) sink = env;
    if (sink == "fakesink") sink = "fakesink sync=true";  // plays in real time, as a device would
    return std::make_unique<GstMediaPlayer>(sink);
}

}  // namespace ledsuite
