#include "content/sound/kipvoice/speaker.h"

#include <gst/app/gstappsrc.h>
#include <gst/gst.h>

#include <cstdlib>
#include <mutex>

namespace kipvoice_detail {

namespace {

constexpr size_t kChunkSamples = kSampleRate / 10;  // 100 ms per buffer
constexpr GstClockTime kBusPoll = 10 * GST_MSECOND;

bool InitGstreamer() {
    static std::once_flag once;
    static bool ok = false;
    std::call_once(once, [] { ok = gst_init_check(nullptr, nullptr, nullptr); });
    return ok;
}

// The sink's description: LEDSUITE_AUDIO_SINK when set, else the default audio output;
// a fake sink always plays in real time so waits and pauses behave as with a device.
std::string SinkDescription(bool fake) {
    std::string name = "autoaudiosink";
    if (const char* env = std::getenv("LEDSUITE_AUDIO_SINK"); env && *env) name = env;
    if (fake) name = "fakesink";
    return name == "fakesink" ? "fakesink sync=true" : name;
}

void PushSamples(GstElement* src, const std::vector<int16_t>& samples) {
    for (size_t at = 0; at < samples.size(); at += kChunkSamples) {
        const size_t n = std::min(kChunkSamples, samples.size() - at);
        GstBuffer* buf = gst_buffer_new_memdup(samples.data() + at, n * 2);
        GST_BUFFER_PTS(buf) = gst_util_uint64_scale(at, GST_SECOND, kSampleRate);
        GST_BUFFER_DURATION(buf) = gst_util_uint64_scale(n, GST_SECOND, kSampleRate);
        gst_app_src_push_buffer(GST_APP_SRC(src), buf);  // takes the buffer
    }
    gst_app_src_end_of_stream(GST_APP_SRC(src));
}

void DestroyPipeline(GstElement* pipe) {
    if (!pipe) return;
    gst_element_set_state(pipe, GST_STATE_NULL);
    gst_object_unref(pipe);
}

}  // namespace

Speaker::Speaker() : worker_([this] { Run(); }) {}

Speaker::~Speaker() {
    {
        std::lock_guard<std::mutex> lock(m_);
        quit_ = true;
        DropLocked();
    }
    cv_.notify_all();
    worker_.join();
}

void Speaker::DropLocked() {
    queue_.clear();
    if (busy_) cancel_ = true;
}

void Speaker::Speak(std::u16string text, const VoiceSettings& settings, bool purge) {
    {
        std::lock_guard<std::mutex> lock(m_);
        if (purge) DropLocked();
        if (!text.empty()) queue_.push_back({std::move(text), settings});
    }
    cv_.notify_all();
}

void Speaker::Stop() { Speak({}, {}, true); }

void Speaker::Pause() {
    std::lock_guard<std::mutex> lock(m_);
    paused_ = true;
    if (pipeline_) gst_element_set_state(pipeline_, GST_STATE_PAUSED);
}

void Speaker::Resume() {
    std::lock_guard<std::mutex> lock(m_);
    paused_ = false;
    if (pipeline_) gst_element_set_state(pipeline_, GST_STATE_PLAYING);
}

bool Speaker::WaitUntilDone(std::optional<std::chrono::milliseconds> limit) {
    std::unique_lock<std::mutex> lock(m_);
    auto idle = [this] { return queue_.empty() && !busy_; };
    if (!limit) {
        cv_.wait(lock, idle);
        return true;
    }
    return cv_.wait_for(lock, *limit, idle);
}

void Speaker::Run() {
    std::unique_lock<std::mutex> lock(m_);
    for (;;) {
        cv_.wait(lock, [this] { return quit_ || !queue_.empty(); });
        if (quit_) return;
        Item item = std::move(queue_.front());
        queue_.pop_front();
        busy_ = true;
        cancel_ = false;
        lock.unlock();
        const std::vector<int16_t> samples = Synthesize(item.text, item.settings, &cancel_);
        if (!cancel_ && !samples.empty()) PlaySamples(samples);
        lock.lock();
        busy_ = false;
        cv_.notify_all();
    }
}

GstElement* Speaker::StartPipeline(const std::vector<int16_t>& samples, bool fake) {
    const std::string desc = "appsrc name=src format=time caps=audio/x-raw,format=S16LE,rate=" +
                             std::to_string(kSampleRate) +
                             ",channels=1,layout=interleaved ! audioconvert ! audioresample ! " + SinkDescription(fake);
    GError* error = nullptr;
    GstElement* pipe = gst_parse_launch(desc.c_str(), &error);
    if (error) g_error_free(error);
    if (!pipe) return nullptr;
    GstElement* src = gst_bin_get_by_name(GST_BIN(pipe), "src");
    if (src) {
        PushSamples(src, samples);
        gst_object_unref(src);
    }
    std::lock_guard<std::mutex> lock(m_);
    const GstStateChangeReturn r = gst_element_set_state(pipe, paused_ ? GST_STATE_PAUSED : GST_STATE_PLAYING);
    if (!src || r == GST_STATE_CHANGE_FAILURE) {
        DestroyPipeline(pipe);
        return nullptr;
    }
    pipeline_ = pipe;
    return pipe;
}

void Speaker::PlaySamples(const std::vector<int16_t>& samples) {
    if (!InitGstreamer()) return;
    bool fake = false;
    GstElement* pipe = StartPipeline(samples, fake);
    if (!pipe) pipe = StartPipeline(samples, fake = true);  // no audio device: play into the fake sink
    if (!pipe) return;
    GstBus* bus = gst_element_get_bus(pipe);
    for (bool done = false; !done && !cancel_;) {
        GstMessage* msg = gst_bus_timed_pop_filtered(bus, kBusPoll, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
        if (!msg) continue;
        const bool failed = GST_MESSAGE_TYPE(msg) == GST_MESSAGE_ERROR;
        gst_message_unref(msg);
        done = true;
        if (failed && !fake) {  // the device refused the stream: play it silently instead
            {
                std::lock_guard<std::mutex> lock(m_);
                pipeline_ = nullptr;
            }
            gst_object_unref(bus);
            DestroyPipeline(pipe);
            pipe = StartPipeline(samples, fake = true);
            if (!pipe) return;
            bus = gst_element_get_bus(pipe);
            done = false;
        }
    }
    gst_object_unref(bus);
    {
        std::lock_guard<std::mutex> lock(m_);
        pipeline_ = nullptr;
    }
    DestroyPipeline(pipe);
}

}  // namespace kipvoice_detail
