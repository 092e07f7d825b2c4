#pragma once
// Media playback behind a small interface: the playback thread plays music through it,
// the pane pauses and resumes it. GstMediaPlayer plays any file Debian's GStreamer
// plugins decode (mp3, avi, wma, mpeg, MIDI through fluidsynth), video unseen.
#include <memory>
#include <string>

namespace ledsuite {

class MediaPlayer {
public:
    virtual ~MediaPlayer() = default;
    // Opens a file, ready to play; false when it cannot be played.
    virtual bool Open(const std::string& path) = 0;
    virtual void Play() = 0;
    virtual void Pause() = 0;
    virtual void Resume() = 0;
    virtual void Stop() = 0;  // also closes the file
    virtual int64_t PositionMs() = 0;
    virtual int64_t LengthMs() = 0;  // 0 while unknown
    // True once the open file has played to its end or failed while playing.
    virtual bool Ended() = 0;
    virtual void SetVolume(int volume) = 0;  // 0..1000
};

// GStreamer playbin. `audioSink` is a pipeline description for the sound output
// ("fakesink" in tests, which then plays in real time); empty takes LEDSUITE_AUDIO_SINK,
// else the system's default output.
std::unique_ptr<MediaPlayer> MakeGstMediaPlayer(const std::string& audioSink = {});

}  // namespace ledsuite
