// The playback worker: one row after another until the list ends, a stop is asked or the
// card stops answering; on every way out the media and the speech stop and the port closes.
#include <chrono>
#include <filesystem>

#include "content/render/plain_text.h"
#include "content/model/text_codec.h"
#include "music/playback.h"

namespace ledsuite {

namespace {
constexpr std::chrono::milliseconds kTurn{10};
constexpr int kWindowCheckTurns = 50;  // the daily window is checked on every 50th turn of an item
constexpr uint32_t kMaxRateIndex = 20;
}  // namespace

void MusicPlayThreadProc(MusicPlayback& playback) { playback.Run(); }

bool MusicPlayback::Active() const {
    const int state = shared_.runState;
    return state == kRunPlaying || state == kRunPaused;
}

bool MusicPlayback::Interrupted() const { return !Active() || shared_.rowRequest >= 0; }

bool MusicPlayback::WaitFor(std::chrono::milliseconds time) {
    const auto until = std::chrono::steady_clock::now() + time;
    while (std::chrono::steady_clock::now() < until) {
        if (Interrupted()) return false;
        std::this_thread::sleep_for(std::min(time, kTurn));
    }
    return !Interrupted();
}

bool MusicPlayback::WaitWhilePaused() {
    while (shared_.runState == kRunPaused) std::this_thread::sleep_for(kTurn);
    return !Interrupted();
}

bool MusicPlayback::WaitDailyWindow(const PlaylistEntry& entry) {
    while (!InDailyWindow(entry.startTime, entry.stopTime, PackedNow()))
        if (!WaitFor(kTurn)) return false;
    return true;
}

bool MusicPlayback::HoldOutsideWindow(const PlaylistEntry& entry) {
    {
        std::lock_guard<std::mutex> lock(mediaMutex_);
        heldByWindow_ = true;
        media_.Pause();
    }
    const bool open = WaitDailyWindow(entry);
    std::lock_guard<std::mutex> lock(mediaMutex_);
    heldByWindow_ = false;
    // A song paused by the user meanwhile waits for the user; an interrupted one is stopped next.
    if (open && shared_.runState == kRunPlaying) media_.Resume();
    return open;
}

void MusicPlayback::ApplyVolumes() {
    if (const int v = shared_.musicVolume; v != lastMusicVolume_) {
        lastMusicVolume_ = v;
        media_.SetVolume(v);
    }
    if (const int v = shared_.speechVolume; v != lastSpeechVolume_) {
        lastSpeechVolume_ = v;
        speech_.SetVolume(v);
    }
}

void MusicPlayback::SetSource(uint8_t source) {
    std::lock_guard<std::mutex> lock(shared_.mutex);
    shared_.settings.source = source;
}

void MusicPlayback::Run() {
    while (Active()) {
        if (!WaitWhilePaused() && !Active()) break;
        int row = 0;
        auto entry = shared_.TakeCurrent(row);
        if (!entry) {
            // Past the last row: with loop on the first comes next, else playback ends; a
            // missing first row means the list is empty (it may shrink under the worker).
            if (row == 0 || !shared_.Settings().loop) break;
            shared_.currentRow = 0;
            continue;
        }
        media_.Stop();
        if (!WaitDailyWindow(*entry)) continue;
        Item item = IsSpokenTextPath(entry->path) ? PlayText(*entry) : PlayMedia(*entry);
        if (item == Item::Done) item = PauseAfter(*entry);
        if (item == Item::Broken) {
            if (channel_) channel_->post(IMC_LINK_BROKEN, 0);
            break;
        }
        if (item == Item::Interrupted) continue;
        shared_.StepOn();
    }
    Finish();
}

void MusicPlayback::Finish() {
    media_.Stop();
    speech_.Stop();
    SerialClose(port_);
    shared_.rowRequest = -1;
    shared_.runState = kRunStopped;
}

MusicPlayback::Item MusicPlayback::PauseAfter(const PlaylistEntry& entry) {
    if (entry.pauseAfter == 0) return Item::Done;
    if (!SendLyricLine(shared_.Settings().defaultText)) return Item::Broken;
    // A steady clock counts the pause, so midnight needs no care.
    const std::chrono::seconds pause(std::min<uint32_t>(entry.pauseAfter, 86400));
    return WaitFor(pause) ? Item::Done : Item::Interrupted;
}

void MusicPlayback::LoadLyricFor(const std::u16string& mediaPath) {
    lyric_.Clear();
    const std::string stem = std::filesystem::path(WideToUtf8(mediaPath)).stem().string();
    if (auto found = FindLyricFile(stem)) {
        lyric_.Load(*found);
        return;
    }
    LyricChoice choice;
    {
        std::lock_guard<std::mutex> lock(serverMutex_);
        choice.server = server_;
    }
    if (choice.server.host().empty()) {
        // Nothing to ask: the user learns once per playback where the servers are set.
        if (channel_ && !serverNoticeSent_) channel_->post(IMC_NO_LYRIC_SERVER, 0);
        serverNoticeSent_ = true;
        return;
    }
    choice.server.http.stop = &stopFlag_;
    const int count = SearchLyrics(choice.server, u"", Utf8ToWide(stem), choice.matches);
    if (count == 1) choice.chosen = 0;
    // The pane may search again and switch server: the choice comes back with its list and server.
    if (count > 1 && channel_)
        choice.chosen = int(channel_->send(IMC_SELECT_LYRIC, reinterpret_cast<intptr_t>(&choice)));
    const LyricMatch* match = choice.Chosen();
    if (!match) return;
    std::u16string text = DownloadLyric(choice.server, *match);
    // Only a real answer is kept: an empty one would block every later try.
    const std::string path = DownloadedLyricPath(stem);
    if (SaveLyricFile(path, text)) lyric_.Load(path);
}

MusicPlayback::Item MusicPlayback::PlayMedia(const PlaylistEntry& entry) {
    SetSource(kSourceMedia);
    LoadLyricFor(entry.path);
    if (Interrupted()) return Item::Interrupted;
    if (!media_.Open(WideToUtf8(entry.path))) return Item::Done;  // cannot be played: the next row
    lastMusicVolume_.reset();
    ApplyVolumes();
    media_.Play();
    std::optional<int> lastLine;
    for (int turn = 1;; ++turn) {
        if (!WaitWhilePaused()) return Item::Interrupted;
        ApplyVolumes();
        // Outside its daily window the song pauses where it is and goes on when the window opens.
        if (turn % kWindowCheckTurns == 0 && !InDailyWindow(entry.startTime, entry.stopTime, PackedNow()) &&
            !HoldOutsideWindow(entry))
            return Item::Interrupted;
        if (media_.Ended()) return Item::Done;
        const int line = lyric_.LineAt(uint32_t(std::max<int64_t>(media_.PositionMs(), 0)));
        if (line >= 0 && line != lastLine) {
            lastLine = line;
            if (!SendLyricLine(lyric_.GetLine(size_t(line)).text)) return Item::Broken;
        }
        std::this_thread::sleep_for(kTurn);
    }
}

void MusicPlayback::Speak(const std::u16string& sentence) {
    if (channel_) channel_->send(IMC_SPEAK_TEXT, reinterpret_cast<intptr_t>(&sentence));
    else speech_.Speak(sentence);
}

MusicPlayback::Item MusicPlayback::PlayText(const PlaylistEntry& entry) {
    SetSource(kSourceSpeech);
    auto text = LoadTextFile(WideToUtf8(entry.path));
    if (!text) return Item::Done;
    if (int(entry.voiceRole) < speech_.VoiceCount() && entry.voiceRole != lastRole_) {
        lastRole_ = entry.voiceRole;
        speech_.SelectVoice(lastRole_);
    }
    if (entry.rateIndex <= kMaxRateIndex && int(entry.rateIndex) != lastRate_) {
        lastRate_ = int(entry.rateIndex);
        speech_.SetRate(lastRate_ - 10);
    }
    for (const auto& sentence : SplitSentences(*text)) {
        if (!WaitWhilePaused()) return Item::Interrupted;
        ApplyVolumes();
        Speak(sentence);
        if (!SendLyricLine(sentence)) return Item::Broken;
        while (speech_.IsSpeaking()) {
            if (Interrupted()) {
                speech_.Stop();
                return Item::Interrupted;
            }
            ApplyVolumes();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        // The pause is kept in hundredths of a second.
        if (!WaitFor(std::chrono::duration<int, std::centi>(shared_.Settings().sentencePause))) return Item::Interrupted;
    }
    return Item::Done;
}

}  // namespace ledsuite
