#include "tools/fakecard.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "content/bytes.h"
#include "link/card.h"
#include "link/line_settings.h"
#include "link/transfer.h"

namespace ledsuite {

size_t FakeCardLog::count(uint8_t command) const {
    return size_t(std::count_if(frames.begin(), frames.end(), [&](const auto& f) { return f[7] == command; }));
}

std::vector<uint8_t> MakeInfoReply(uint8_t family, uint8_t model, uint32_t firmware,
                                   const std::vector<std::pair<uint8_t, uint8_t>>& pairs) {
    ByteWriter w;
    w.put_u8(family);
    w.put_u8(model);
    w.put_u8(uint8_t(4 + 2 * pairs.size()));
    w.put_u32(firmware);
    for (auto [type, value] : pairs) {
        w.put_u8(type);
        w.put_u8(value);
    }
    return w.take();
}

namespace {

// Byte 6 as the card takes it. The sign power commands (with their follow-up), the clock,
// page deletion and the lyric line carry 0x00 on every adapter; every other command
// carries the adapter mark, 0xFE behind a PL2303 and 0x00 elsewhere.
bool MarkAccepted(const std::vector<uint8_t>& frame) {
    switch (CardCommand(frame[7])) {
        case CardCommand::PowerOn:
        case CardCommand::PowerOff:
        case CardCommand::PowerFollowUp:
        case CardCommand::SetClock:
        case CardCommand::DeletePage:
        case CardCommand::LyricLine:
            return frame[6] == 0x00;
        default:
            return frame[6] == 0x00 || frame[6] == 0xFE;
    }
}

}  // namespace

FakeCard::FakeCard(FakeCardScript script)
    : script_(std::move(script)), silentLeft_(script_.silentAnnouncements), lyricLeft_(script_.lyricAnswers) {
    int m = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m < 0) return;
    const char* name = grantpt(m) == 0 && unlockpt(m) == 0 ? ptsname(m) : nullptr;
    int s = name ? open(name, O_RDWR | O_NOCTTY | O_CLOEXEC) : -1;
    if (s < 0) {
        close(m);
        return;
    }
    MakeLineRaw(s);
    master_ = m;
    slave_ = s;
    slavePath_ = name;
}

FakeCard::~FakeCard() { HangUp(); }

void FakeCard::HangUp() {
    Stop();
    CloseLine();
}

void FakeCard::CloseLine() {
    // Closing the master hangs up every open of the slave side.
    if (slave_ >= 0) close(slave_);
    if (master_ >= 0) close(master_);
    slave_ = master_ = -1;
}

void FakeCard::Start() {
    if (!ok() || thread_.joinable()) return;
    stop_ = false;
    thread_ = std::thread([this] { Serve(stop_); });
}

void FakeCard::Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
}

FakeCardLog FakeCard::log() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return log_;
}

double FakeCard::modelledSeconds() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::chrono::duration<double>(modelled_).count();
}

std::chrono::nanoseconds FakeCard::LineTime(size_t bytes) const {
    if (script_.lineBaud == 0) return {};
    return std::chrono::nanoseconds(uint64_t(bytes) * 10 * 1'000'000'000ull / script_.lineBaud);
}

void FakeCard::Wait(Clock::time_point until, const std::atomic<bool>& stop) {
    // Short slices so that a stop is seen; the last slice ends on time.
    while (!stop && Clock::now() < until)
        std::this_thread::sleep_until(std::min(until, Clock::now() + std::chrono::milliseconds(5)));
}

void FakeCard::Delay(int ms) {
    if (ms <= 0) return;
    due_ = std::max(due_, Clock::now()) + std::chrono::milliseconds(ms);
    std::lock_guard<std::mutex> lock(mutex_);
    modelled_ += std::chrono::milliseconds(ms);
}

void FakeCard::Reply(const std::vector<uint8_t>& bytes, const std::atomic<bool>& stop) {
    // The answer leaves once the request is in and the card's delays are over, and
    // arrives whole after its own line time: one sleep to an absolute time.
    const auto t = LineTime(bytes.size());
    {
        std::lock_guard<std::mutex> lock(mutex_);
        modelled_ += t;
    }
    due_ = std::max(due_, Clock::now()) + t;
    Wait(due_, stop);
    size_t done = 0;
    while (done < bytes.size() && !stop) {
        ssize_t n = write(master_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += size_t(n);
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            return;
        } else {
            pollfd p{master_, POLLOUT, 0};
            poll(&p, 1, 20);
        }
    }
}

void FakeCard::Serve(const std::atomic<bool>& stop) {
    if (!ok()) return;
    prctl(PR_SET_TIMERSLACK, 1UL);  // the line pacing wants sleeps that end on time
    while (!stop && master_ >= 0) {
        pollfd p{master_, POLLIN, 0};
        if (poll(&p, 1, 20) <= 0 || !(p.revents & POLLIN)) continue;
        if (TakeInput() > 0) Process(stop);
    }
}

size_t FakeCard::TakeInput() {
    uint8_t buf[4096];
    size_t total = 0;
    for (ssize_t n; (n = read(master_, buf, sizeof buf)) > 0;) {
        if (auto t = LineTime(size_t(n)); t.count()) {
            // The bytes left the program at once; on the line they come one after
            // another, and the card can answer only once the last one is in.
            lineIn_ = std::max(lineIn_, Clock::now()) + t;
            due_ = std::max(due_, lineIn_);
            std::lock_guard<std::mutex> lock(mutex_);
            modelled_ += t;
        }
        pending_.insert(pending_.end(), buf, buf + n);
        total += size_t(n);
    }
    return total;
}

void FakeCard::Process(const std::atomic<bool>& stop) {
    while (master_ >= 0) {
        switch (state_) {
            case State::Idle: {
                auto it = std::search(pending_.begin(), pending_.end(), kFrameMagic, kFrameMagic + kFrameMagicSize);
                // Keep a tail that may be the start of a frame still arriving.
                size_t drop = it == pending_.end()
                                  ? pending_.size() - std::min<size_t>(pending_.size(), kFrameMagicSize - 1)
                                  : size_t(it - pending_.begin());
                pending_.erase(pending_.begin(), pending_.begin() + long(drop));
                if (pending_.size() < 8) return;
                const size_t len = CardFrameLength(pending_[7]);
                if (pending_.size() < len) return;
                std::vector<uint8_t> frame(pending_.begin(), pending_.begin() + long(len));
                pending_.erase(pending_.begin(), pending_.begin() + long(len));
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    log_.frames.push_back(frame);
                }
                HandleFrame(frame, stop);
                break;
            }
            case State::Clock: {
                if (pending_.size() < 8) return;
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    log_.clock.assign(pending_.begin(), pending_.begin() + 8);
                }
                pending_.erase(pending_.begin(), pending_.begin() + 8);
                state_ = State::Idle;
                if (script_.answerClock) Reply(script_.clockAnswer, stop);
                break;
            }
            case State::Receive: {
                if (pending_.empty()) return;
                // The current piece: a whole block, or the remainder at the end.
                const size_t piece = std::min<size_t>(blockSize_, sendLength_ - blockIndex_ * blockSize_);
                const size_t take = std::min(pending_.size(), piece - blockFill_);
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    log_.data.insert(log_.data.end(), pending_.begin(), pending_.begin() + long(take));
                    if (blockFill_ + take == piece) log_.blocks.push_back(piece);
                }
                pending_.erase(pending_.begin(), pending_.begin() + long(take));
                blockFill_ += take;
                received_ += uint32_t(take);
                if (blockFill_ < piece) return;
                blockFill_ = 0;
                if (int(blockIndex_) == script_.hangUpAtBlock) {
                    CloseLine();
                    return;
                }
                if (piece == blockSize_) {
                    auto d = script_.ackDelays.find(blockIndex_);
                    int delay = d == script_.ackDelays.end() ? script_.ackDelayMs : d->second;
                    if (delay >= 0) {
                        Delay(delay);
                        Reply({0x01}, stop);
                    }
                }
                ++blockIndex_;
                if (received_ == sendLength_) {
                    state_ = State::Idle;
                    Reply({script_.finalStatus}, stop);
                }
                break;
            }
            case State::LyricBody: {
                // XOR byte, u16 length of what follows it less 2, then that many bytes.
                if (pending_.size() < 3) return;
                const size_t len = size_t(LoadU16(&pending_[1])) + 3;
                if (pending_.size() < len) return;
                if (!lyricRefused_) {
                    std::lock_guard<std::mutex> lock(mutex_);
                    log_.lyricBodies.emplace_back(pending_.begin(), pending_.begin() + long(len));
                }
                pending_.erase(pending_.begin(), pending_.begin() + long(len));
                state_ = State::Idle;
                if (!lyricRefused_ && lyricLeft_ != 0) {
                    if (lyricLeft_ > 0) --lyricLeft_;
                    Reply({'S', 'U'}, stop);
                }
                break;
            }
            case State::Paged:
                if (!ProcessPaged(stop)) return;
                break;
            case State::IrTable:
                if (!ProcessIrTable(stop)) return;
                break;
            case State::ReadBack: {
                if (pending_.empty()) return;
                if (pending_.front() != kReadBackRequest) {
                    state_ = State::Idle;
                    break;
                }
                pending_.erase(pending_.begin());
                size_t request = 0;
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    request = log_.requests++;
                }
                if (int(request) == script_.hangUpAtRequest) {
                    CloseLine();
                    return;
                }
                const auto& data = script_.readBackData;
                const size_t k = std::min<size_t>(8, data.size() - readBackPos_);
                if (k)
                    Reply(
                        std::vector<uint8_t>(data.begin() + long(readBackPos_), data.begin() + long(readBackPos_ + k)),
                        stop);
                readBackPos_ += k;
                break;
            }
        }
    }
}

void FakeCard::HandleFrame(const std::vector<uint8_t>& frame, const std::atomic<bool>& stop) {
    // On a real line, bytes sent at another rate than the card's arrive garbled: the card hears nothing.
    const uint32_t rate = ReadLineBaud(master_);
    if (CardCommand(frame[7]) == CardCommand::BaudProbe) {
        std::lock_guard<std::mutex> lock(mutex_);
        log_.probeRates.push_back(rate);
    }
    if (script_.baud == 0 || rate != script_.baud) return;
    const bool accepted = MarkAccepted(frame);
    if (!accepted) {
        std::lock_guard<std::mutex> lock(mutex_);
        log_.refused.push_back(frame);
    }
    // A refused lyric line's body is still taken off the line, and goes unanswered.
    if (CardCommand(frame[7]) == CardCommand::LyricLine) lyricRefused_ = !accepted;
    else if (!accepted) return;
    if (auto d = script_.replyDelays.find(frame[7]); d != script_.replyDelays.end()) Delay(d->second);
    switch (CardCommand(frame[7])) {
        case CardCommand::Info:
            if (script_.info.size() > 3 && script_.infoTailDelayMs > 0) {
                Reply({script_.info.begin(), script_.info.begin() + 3}, stop);
                Delay(script_.infoTailDelayMs);
                Reply({script_.info.begin() + 3, script_.info.end()}, stop);
            } else if (!script_.info.empty()) {
                Reply(script_.info, stop);
            }
            break;
        case CardCommand::CardId:
            Reply({uint8_t(script_.cardId), uint8_t(script_.cardId >> 8)}, stop);
            break;
        case CardCommand::BaudProbe:
            Reply({script_.probeAnswer.begin(), script_.probeAnswer.end()}, stop);
            break;
        case CardCommand::PowerFollowUp:
            if (script_.answerPower) Reply({0x01}, stop);
            break;
        case CardCommand::SetClock:
            state_ = State::Clock;
            break;
        case CardCommand::LyricLine:
            state_ = State::LyricBody;
            break;
        case CardCommand::PartitionSize:
            if (auto size = script_.partitionSize) {
                const auto [w, h] = *size;
                Reply({uint8_t(w), uint8_t(w >> 8), uint8_t(h), uint8_t(h >> 8)}, stop);
            }
            break;
        case CardCommand::SendProgram:
        case CardCommand::SendHardware: {
            if (silentLeft_ > 0) {
                --silentLeft_;
                break;
            }
            sendLength_ = LoadU32(&frame[8]);
            received_ = 0;
            blockSize_ = frame[6] == 0xFE ? 16 : 128;
            blockIndex_ = 0;
            blockFill_ = 0;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                log_.blocks.clear();
                log_.data.clear();
            }
            Reply(std::vector<uint8_t>(25, 0x00), stop);
            Delay(script_.announceTailDelayMs);
            Reply({0x00, script_.announceStatus}, stop);
            // A card that refused still listens, so data sent after a refusal shows in the log.
            if (sendLength_ > 0) state_ = State::Receive;
            break;
        }
        case CardCommand::ReadProgram:
        case CardCommand::ReadHardware: {
            uint32_t length = script_.readBackLength.value_or(uint32_t(script_.readBackData.size()));
            readBackPos_ = 0;
            Reply({uint8_t(length), uint8_t(length >> 8), uint8_t(length >> 16), uint8_t(length >> 24)}, stop);
            state_ = State::ReadBack;
            break;
        }
        default:
            HandleLinkFrame(frame, stop);
            break;
    }
}

void FakeCard::SendRaw(const std::vector<uint8_t>& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(master_, bytes.data() + done, bytes.size() - done);
        if (n > 0) done += size_t(n);
        else if (n < 0 && errno != EAGAIN && errno != EINTR) return;
    }
}

// Paged sending, page deletion and infrared learning.
void FakeCard::HandleLinkFrame(const std::vector<uint8_t>& frame, const std::atomic<bool>& stop) {
    switch (CardCommand(frame[7])) {
        case CardCommand::PagedSend: {
            sendLength_ = LoadU32(&frame[8]);
            received_ = 0;
            confirmed_ = false;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                log_.paged.clear();
                log_.pagedEarly = 0;
            }
            state_ = sendLength_ ? State::Paged : State::Idle;
            if (script_.pagedConfirm >= 0) {
                // The image may already be on its way (a sender that does not wait): count what came first.
                Delay(script_.pagedConfirmDelayMs);
                Wait(due_, stop);
                TakeInput();  // on the line's clock, as every byte the card takes
                ProcessPaged(stop);
                Reply({uint8_t(script_.pagedConfirm)}, stop);
            }
            confirmed_ = true;
            break;
        }
        case CardCommand::DeletePage:
            Reply({'D', 'E', 'L', 'O', 'K', 0}, stop);
            break;
        case CardCommand::InfraredLearn:
            if (frame[8] == 0 && !script_.irCalibrate.empty()) {
                Reply(std::vector<uint8_t>(script_.irCalibrate.begin(), script_.irCalibrate.end()), stop);
            } else if (frame[8] == 1 && !script_.irTable.empty()) {
                Reply({'R', 'E', 'T'}, stop);  // its head is in after its own line time
                Reply(script_.irTable, stop);
            } else if (frame[8] == 2 && script_.irAckSet) {
                state_ = State::IrTable;
                Reply({0x01}, stop);
            }
            break;
        default:
            break;  // recorded only
    }
}

bool FakeCard::ProcessPaged(const std::atomic<bool>& stop) {
    if (state_ != State::Paged) return true;
    const size_t take = std::min<size_t>(pending_.size(), sendLength_ - received_);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        log_.paged.insert(log_.paged.end(), pending_.begin(), pending_.begin() + long(take));
        if (!confirmed_) log_.pagedEarly += take;
    }
    pending_.erase(pending_.begin(), pending_.begin() + long(take));
    received_ += uint32_t(take);
    if (received_ < sendLength_) return false;
    state_ = State::Idle;
    if (script_.pagedFinal < 0) return true;
    Delay(script_.pagedFinalDelayMs);
    Reply({uint8_t(script_.pagedFinal)}, stop);
    return true;
}

bool FakeCard::ProcessIrTable(const std::atomic<bool>& stop) {
    if (pending_.size() < 256) return false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        log_.irTable.assign(pending_.begin(), pending_.begin() + 256);
    }
    pending_.erase(pending_.begin(), pending_.begin() + 256);
    state_ = State::Idle;
    Reply({'S', 'U', 'C'}, stop);
    return true;
}

}  // namespace ledsuite
