// The start of playback: the card checks on the pane's port, then the worker.
#include <algorithm>
#include <array>
#include <cstdlib>

#include "content/bytes.h"
#include "content/model/clock.h"
#include "content/model/text_codec.h"
#include "music/playback.h"

namespace ledsuite {

namespace {
constexpr size_t kInfoReplyMax = 128;  // bytes of the card information read at most
}

std::optional<PlaylistEntry> PlaybackShared::Row(int index) const {
    std::lock_guard<std::mutex> lock(mutex);
    if (index < 0 || size_t(index) >= rows.size()) return std::nullopt;
    return rows[size_t(index)];
}

std::optional<PlaylistEntry> PlaybackShared::TakeCurrent(int& row) {
    std::lock_guard<std::mutex> lock(mutex);
    currentRemoved = false;
    if (const int request = rowRequest.exchange(-1); request >= 0) currentRow = request;
    row = currentRow;
    if (row < 0 || size_t(row) >= rows.size()) return std::nullopt;
    return rows[size_t(row)];
}

void PlaybackShared::RemoveRows(std::vector<int> indices) {
    std::sort(indices.rbegin(), indices.rend());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    std::lock_guard<std::mutex> lock(mutex);
    for (int index : indices) {
        if (index < 0 || size_t(index) >= rows.size()) continue;
        rows.erase(rows.begin() + index);
        const int current = currentRow;
        if (index < current) currentRow = current - 1;
        else if (index == current) currentRemoved = true;
    }
}

void PlaybackShared::StepOn() {
    std::lock_guard<std::mutex> lock(mutex);
    if (!currentRemoved) ++currentRow;
    currentRemoved = false;
}

bool PlaybackShared::ShiftRow(int row, int to) {
    std::lock_guard<std::mutex> lock(mutex);
    const int count = int(rows.size());
    if (row < 0 || row >= count || to < 0 || to >= count || std::abs(to - row) != 1) return false;
    std::swap(rows[size_t(row)], rows[size_t(to)]);
    // Indices that name one of the two songs follow it. The place of a deleted current row
    // is a gap between two rows and stays where it is.
    auto follow = [&](std::atomic<int>& index) {
        if (index == row) index = to;
        else if (index == to) index = row;
    };
    if (!currentRemoved) follow(currentRow);
    follow(rowRequest);
    return true;
}

size_t PlaybackShared::RowCount() const {
    std::lock_guard<std::mutex> lock(mutex);
    return rows.size();
}

LrcSettings PlaybackShared::Settings() const {
    std::lock_guard<std::mutex> lock(mutex);
    return settings;
}

std::optional<uint8_t> LyricProtocolOf(const CardInfoReply& reply) {
    if (reply.received <= 7 || reply.firmware < 3) return std::nullopt;
    bool lyricShow = false;
    std::optional<uint8_t> protocol;
    // Type 4 marks the lyric show; type 6 carries the lyric protocol byte.
    for (auto [type, value] : reply.pairs) {
        if (type == 4) lyricShow = true;
        if (type == 6) protocol = value;
    }
    return lyricShow ? protocol : std::nullopt;
}

bool InDailyWindow(uint32_t start, uint32_t stop, uint32_t now) {
    if (start == stop) return true;
    if (start < stop) return now >= start && now <= stop;
    return now >= start || now <= stop;  // spans midnight
}

uint32_t PackedNow() {
    const LocalTime t = CurrentLocalTime();
    return PackDailyTime(t.hour, t.minute, t.second);
}

bool IsSpokenTextPath(std::u16string_view path) {
    return path.size() > 3 && EqualsIgnoreAsciiCase(path.substr(path.size() - 3), u"txt");
}

MusicPlayback::MusicPlayback(PlaybackShared& shared, MediaPlayer& media, SpeechEngine& speech,
                             InternalChannel* channel)
    : shared_(shared), media_(media), speech_(speech), channel_(channel) {}

MusicPlayback::~MusicPlayback() {
    RequestStop();
    Join();
}

void MusicPlayback::SetLyricServer(const LyricServerConfig& server) {
    std::lock_guard<std::mutex> lock(serverMutex_);
    server_ = server;
}

void MusicPlayback::RequestStop() {
    stopFlag_ = true;
    int state = shared_.runState.load();
    while ((state == kRunPlaying || state == kRunPaused) &&
           !shared_.runState.compare_exchange_weak(state, kRunStopRequested)) {
    }
}

void MusicPlayback::Join() {
    if (thread_.joinable()) thread_.join();
}

void MusicPlayback::Pause() {
    std::lock_guard<std::mutex> lock(mediaMutex_);
    int expected = kRunPlaying;
    if (!shared_.runState.compare_exchange_strong(expected, kRunPaused)) return;
    media_.Pause();
    speech_.Pause();
}

void MusicPlayback::Resume() {
    std::lock_guard<std::mutex> lock(mediaMutex_);
    int expected = kRunPaused;
    if (!shared_.runState.compare_exchange_strong(expected, kRunPlaying)) return;
    // A song held outside its daily window goes on when the window opens, not now.
    if (!heldByWindow_) media_.Resume();
    speech_.Resume();
}

StartResult MusicPlayback::Start(const HardwareParams& screen) {
    if (shared_.runState != kRunStopped) return StartResult::Busy;
    Join();  // a worker that ended by itself
    if (shared_.RowCount() == 0) return StartResult::EmptyList;
    {
        std::lock_guard<std::mutex> lock(shared_.mutex);
        shared_.settings.screenColorMode = uint8_t(screen.colorCode);
    }
    const PortSetting setting{screen.comIndex, screen.baudIndex};
    if (SerialOpen(port_, setting.comIndex, setting.baudRate()) != 0) return StartResult::PortFailed;
    if (ProbeCardBaud(&port_, setting) != 1) {
        SerialClose(port_);
        return StartResult::NoCard;
    }
    std::array<uint8_t, kInfoReplyMax> info{};
    int got = WriteFrame(port_, CardFrame::Command(GetAdapterMark(port_), CardCommand::Info))
                  ? ReadCardReply(port_, CardCommand::Info, info, kInfoWaitMs)
                  : -1;
    auto protocol = LyricProtocolOf(CardInfoReply::Parse(std::span(info.data(), size_t(std::max(got, 0)))));
    if (!protocol) {
        SerialClose(port_);
        return StartResult::NoLyricSupport;
    }
    protocol_ = *protocol;

    std::array<uint8_t, 4> size{};
    SerialPurgeInput(port_);
    const bool sized = WriteFrame(port_, CardFrame::Command(GetAdapterMark(port_), CardCommand::PartitionSize)) &&
                       SerialRead(port_, size.data(), size.size(), kSignSizeWaitMs) == int(size.size());
    {
        std::lock_guard<std::mutex> lock(shared_.mutex);
        shared_.settings.signWidth = sized ? LoadU16(&size[0]) : 0;
        shared_.settings.signHeight = sized ? LoadU16(&size[2]) : 0;
    }

    stopFlag_ = false;
    serverNoticeSent_ = false;
    shared_.currentRow = 0;
    shared_.rowRequest = -1;
    shared_.runState = kRunPlaying;
    lastRole_ = lastRate_ = -1;
    lastMusicVolume_ = lastSpeechVolume_ = std::nullopt;
    thread_ = std::thread(MusicPlayThreadProc, std::ref(*this));
    return sized ? StartResult::Started : StartResult::StartedWithoutSize;
}

bool MusicPlayback::SendLyricLine(std::u16string_view text, size_t length) {
    if (length > 0 && length < text.size()) text = text.substr(0, length);
    LyricLineFrame frame;
    {
        std::lock_guard<std::mutex> lock(shared_.mutex);
        frame = LyricLineFrame::Build(text, shared_.settings, protocol_, frameState_);
    }
    return SendLyricFrame(port_, frame);
}

}  // namespace ledsuite
