#pragma once
// The music pane's playback: the start checks against the card (port, baud answer, card
// information, sign size), the worker that walks the playlist (media with lyric lines,
// texts spoken sentence by sentence), and the lyric line sent for each.
//
// The pane and the worker share PlaybackShared: the run state, the current row and the
// volumes are atomics; the rows and the settings sit behind one mutex and the worker
// reads a copy of the row it plays, so Del and Shift never pull a row from under it.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "content/imc_codes.h"
#include "content/model/records.h"
#include "link/card.h"
#include "link/serial.h"
#include "music/flyric.h"
#include "music/lyric_line.h"
#include "music/lyric_search.h"
#include "music/media_player.h"
#include "music/playlist.h"
#include "music/speech_engine.h"

namespace ledsuite {

enum RunState : int { kRunStopped = 0, kRunPlaying = 1, kRunPaused = 2, kRunStopRequested = 3 };

struct PlaybackShared {
    std::atomic<int> runState{kRunStopped};
    std::atomic<int> currentRow{0};
    std::atomic<int> rowRequest{-1};  // Previous / Next while playing: the row to go to
    std::atomic<int> musicVolume{1000};
    std::atomic<int> speechVolume{100};

    mutable std::mutex mutex;  // guards rows, settings and currentRemoved, and the row indices' moves
    std::vector<PlaylistEntry> rows;
    LrcSettings settings;
    bool currentRemoved = false;  // the current row was deleted: its follower now stands at currentRow

    std::optional<PlaylistEntry> Row(int index) const;
    // The worker's pick of the item to play: a copy of the current row (none past the end).
    std::optional<PlaylistEntry> TakeCurrent(int& row);
    // Deletes the given rows (any order); the current row keeps pointing at the same song, or,
    // when that row goes, at the row that followed it, which then plays next.
    void RemoveRows(std::vector<int> indices);
    // After an item: the next row becomes current (the follower of a deleted row already is).
    void StepOn();
    // Swaps a row with its neighbour `to` (Shift Up / Shift Down); the current row and a pending
    // row request keep pointing at their songs, so the row that now follows the playing song
    // plays next. False when either row is not there.
    bool ShiftRow(int row, int to);
    size_t RowCount() const;
    LrcSettings Settings() const;
};

enum class StartResult { Started, StartedWithoutSize, EmptyList, Busy, PortFailed, NoCard, NoLyricSupport };

// The waits of the start: the card information and the sign size.
inline constexpr int kInfoWaitMs = 1500;
inline constexpr int kSignSizeWaitMs = 500;

// The lyric protocol byte of a card that supports the lyric show: more than 7 bytes came,
// the firmware number is at least 3, and the pairs that arrived hold a type 4 and a type
// 6 (whose value it is). None otherwise.
std::optional<uint8_t> LyricProtocolOf(const CardInfoReply& reply);
// Whether the packed local time `now` is inside the daily window [start, stop] (ends
// included); equal ends mean always, a start after the stop spans midnight.
bool InDailyWindow(uint32_t start, uint32_t stop, uint32_t now);
uint32_t PackedNow();
// A path longer than 3 characters ending in "txt" (any case) is a text to speak.
bool IsSpokenTextPath(std::u16string_view path);

class MusicPlayback {
public:
    // `channel` carries IMC_SELECT_LYRIC (arg: LyricChoice*, filled in by the pane) and
    // IMC_SPEAK_TEXT (sent), IMC_LINK_BROKEN and IMC_NO_LYRIC_SERVER (posted) to the pane;
    // without one the worker speaks itself and picks no lyric.
    MusicPlayback(PlaybackShared& shared, MediaPlayer& media, SpeechEngine& speech, InternalChannel* channel);
    ~MusicPlayback();  // stops and joins the worker
    MusicPlayback(const MusicPlayback&) = delete;
    MusicPlayback& operator=(const MusicPlayback&) = delete;

    // Runs the checks against the card of `screen` and starts the worker.
    StartResult Start(const HardwareParams& screen);
    // Asks the worker to stop (run state 3) and aborts a lyric download in flight.
    void RequestStop();
    // Waits for the worker to end (after RequestStop, or at the end of the list).
    void Join();
    bool WorkerAlive() const { return thread_.joinable(); }
    void Pause();
    void Resume();

    void SetLyricServer(const LyricServerConfig& server);
    uint8_t LyricProtocol() const { return protocol_; }

    // Builds and sends one lyric line on the worker's port (`length` 0: the whole text);
    // true when the card answered "SU".
    bool SendLyricLine(std::u16string_view text, size_t length = 0);

private:
    friend void MusicPlayThreadProc(MusicPlayback& playback);
    enum class Item { Done, Interrupted, Broken };

    void Run();
    void Finish();
    bool Active() const;            // playing or paused
    bool Interrupted() const;       // stop asked or another row requested
    bool WaitWhilePaused();         // false when interrupted meanwhile
    bool WaitFor(std::chrono::milliseconds time);  // false when interrupted meanwhile
    bool WaitDailyWindow(const PlaylistEntry& entry);
    bool HoldOutsideWindow(const PlaylistEntry& entry);  // false when interrupted meanwhile
    Item PlayMedia(const PlaylistEntry& entry);
    Item PlayText(const PlaylistEntry& entry);
    Item PauseAfter(const PlaylistEntry& entry);
    void LoadLyricFor(const std::u16string& mediaPath);
    void ApplyVolumes();
    void Speak(const std::u16string& sentence);
    void SetSource(uint8_t source);

    PlaybackShared& shared_;
    MediaPlayer& media_;
    SpeechEngine& speech_;
    InternalChannel* channel_;
    std::mutex serverMutex_;
    LyricServerConfig server_;
    std::atomic<bool> stopFlag_{false};
    std::mutex mediaMutex_;      // the user's pause and resume against the window's hold
    bool heldByWindow_ = false;  // the song waits, paused, for its daily window to open

    // The worker's own from here on (the start fills them before it runs).
    SerialPort port_;
    uint8_t protocol_ = 0;
    FLyric lyric_;
    LyricFrameState frameState_;
    bool serverNoticeSent_ = false;  // IMC_NO_LYRIC_SERVER goes out once per playback
    std::optional<int> lastMusicVolume_, lastSpeechVolume_;  // none: set on the next turn
    int lastRole_ = -1, lastRate_ = -1;
    std::thread thread_;
};

// The worker: walks the rows while the run state is playing or paused.
void MusicPlayThreadProc(MusicPlayback& playback);

}  // namespace ledsuite
