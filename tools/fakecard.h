#pragma once
// A control card played on the master side of a pseudo-terminal pair. The
// program under test opens the slave side like any serial port (list it in
// LEDSUITE_SERIAL_PORTS). The card parses card frames, answers from its script
// and records what it received.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace ledsuite {

struct FakeCardScript {
    uint32_t baud = 115200;           // the card's line rate: frames sent at another rate go unanswered; 0 never answers
    std::vector<uint8_t> info;        // the whole reply to the information query; empty: silent
    uint16_t cardId = 0;              // the reply to the ID query
    int ackDelayMs = 0;               // before each acknowledgement of a send block
    std::map<size_t, int> ackDelays;  // per block index: the delay in ms, -1 no acknowledgement
    int silentAnnouncements = 0;      // announcements left unanswered before one is answered
    uint8_t announceStatus = 1;       // after the 26-byte answer to an announcement (the card takes data after any)
    uint8_t finalStatus = 4;          // after the last byte of a send
    std::vector<uint8_t> readBackData;
    std::optional<uint32_t> readBackLength;  // announced for a read-back (default: the data's size)
    bool answerPower = true;                 // one byte for the power follow-up
    bool answerClock = true;                 // answer the clock bytes with clockAnswer
    std::vector<uint8_t> clockAnswer{0x01};
    uint32_t lineBaud = 0;                   // when set, bytes take 10 bits at this rate in each direction
    std::optional<std::pair<uint16_t, uint16_t>> partitionSize;  // the answer to 0x21 (width, height); none: silent
    int lyricAnswers = -1;                   // lyric lines answered "SU" before the card goes silent; -1 every one
    std::map<uint8_t, int> replyDelays;      // per command byte: ms before the card starts its answer
    int infoTailDelayMs = 0;                 // between the 3-byte head of the information reply and the rest
    int announceTailDelayMs = 0;             // before the last byte of the announcement's answer (and the status)
    std::string probeAnswer = "BAUDR";       // the answer to the baud probe
    int hangUpAtBlock = -1;                  // the card hangs up once this send block is in, instead of answering
    int hangUpAtRequest = -1;                // the card hangs up on this read-back request (0 the first)
    int pagedConfirm = 1;                    // paged send: the byte after the frame (-1 none)
    int pagedConfirmDelayMs = 0;             // before that byte
    int pagedFinal = 4;                      // paged send: the status after the image (-1 none)
    int pagedFinalDelayMs = 30;              // the card checks the image (its last byte in) before it answers
    std::string irCalibrate = "SUC";         // infrared calibrate answer (empty: silent)
    std::vector<uint8_t> irTable;            // infrared get: "RET" and these bytes (empty: silent)
    bool irAckSet = true;                    // infrared set: 0x01, then "SUC" after the table
};

struct FakeCardLog {
    std::vector<std::vector<uint8_t>> frames;  // every card frame received
    std::vector<size_t> blocks;                // sizes of the data pieces of the last send
    std::vector<uint8_t> data;                 // the data of the last send
    size_t requests = 0;                       // read-back request bytes
    std::vector<uint8_t> clock;                // card clock bytes received
    std::vector<uint32_t> probeRates;          // the line rate at each baud probe
    std::vector<std::vector<uint8_t>> lyricBodies;  // the body of every lyric line frame taken
    std::vector<std::vector<uint8_t>> refused;      // frames left unanswered for their byte 6
    std::vector<uint8_t> paged;                // the image of the last paged send
    size_t pagedEarly = 0;                     // of it, bytes that came before the confirmation left
    std::vector<uint8_t> irTable;              // the table of the last infrared set

    size_t count(uint8_t command) const;
};

// An information reply: family, model, length, firmware number, (type, value) pairs.
std::vector<uint8_t> MakeInfoReply(uint8_t family, uint8_t model, uint32_t firmware,
                                   const std::vector<std::pair<uint8_t, uint8_t>>& pairs = {});

class FakeCard {
public:
    explicit FakeCard(FakeCardScript script = {});
    ~FakeCard();
    FakeCard(const FakeCard&) = delete;
    FakeCard& operator=(const FakeCard&) = delete;

    bool ok() const { return master_ >= 0; }
    const std::string& slavePath() const { return slavePath_; }

    void Start();  // serves on a thread of its own until Stop (or destruction)
    void Stop();
    void Serve(const std::atomic<bool>& stop);  // serves on the calling thread until `stop`
    // Stops serving and closes the card's side of the line, as a pulled adapter or a
    // card that shuts down does: the program's open port is hung up.
    void HangUp();

    FakeCardLog log() const;
    // Writes bytes to the program on the card's own initiative (infrared learning reports).
    void SendRaw(const std::vector<uint8_t>& bytes);
    // The least time the traffic so far needs: each byte's 10 bits at the line
    // rate in both directions plus every answer delay.
    double modelledSeconds() const;

private:
    using Clock = std::chrono::steady_clock;
    enum class State { Idle, Clock, Receive, ReadBack, LyricBody, Paged, IrTable };

    size_t TakeInput();  // reads what is waiting, each byte in at the line rate; the count
    void Process(const std::atomic<bool>& stop);
    bool ProcessPaged(const std::atomic<bool>& stop);  // false: wait for more bytes
    bool ProcessIrTable(const std::atomic<bool>& stop);
    void HandleLinkFrame(const std::vector<uint8_t>& frame, const std::atomic<bool>& stop);
    void HandleFrame(const std::vector<uint8_t>& frame, const std::atomic<bool>& stop);
    void Reply(const std::vector<uint8_t>& bytes, const std::atomic<bool>& stop);
    void Wait(Clock::time_point until, const std::atomic<bool>& stop);
    void Delay(int ms);  // the next answer leaves `ms` later
    void CloseLine();
    std::chrono::nanoseconds LineTime(size_t bytes) const;

    FakeCardScript script_;
    int master_ = -1;
    int slave_ = -1;  // held open so the line never hangs up between the program's opens
    std::string slavePath_;
    std::thread thread_;
    std::atomic<bool> stop_{false};

    mutable std::mutex mutex_;  // guards log_ and modelled_
    FakeCardLog log_;
    std::chrono::nanoseconds modelled_{0};

    // Serving state (the serving thread only).
    State state_ = State::Idle;
    std::vector<uint8_t> pending_;
    Clock::time_point lineIn_{};  // when the last byte received so far is in
    Clock::time_point due_{};     // the earliest time the card's next answer can leave
    uint32_t sendLength_ = 0, received_ = 0;
    size_t blockSize_ = 128, blockIndex_ = 0, blockFill_ = 0;
    size_t readBackPos_ = 0;
    bool confirmed_ = false;  // the paged confirmation has left
    int silentLeft_ = 0;
    int lyricLeft_ = -1;
    bool lyricRefused_ = false;  // the lyric body now arriving belongs to a refused frame
};

}  // namespace ledsuite
