#pragma once
// The send and read-back transfers of a program image or the hardware block.
// Each runs on a worker thread the progress dialog starts: it owns its port,
// reports progress through a callback (called on the worker thread), can be
// asked to stop, and returns one TransferResult that the UI thread applies.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "link/card.h"

namespace ledsuite {

enum class TransferMode : uint8_t { Program = 0, Hardware = 1 };

struct TransferResult {
    // Send codes.
    static constexpr int kSent = 0;
    static constexpr int kNothingToSend = -1;
    static constexpr int kSendPortFailed = 1;
    static constexpr int kSendTimeout = 0x100;   // the card stopped answering
    static constexpr int kTypeMismatch = 0x102;  // the card is another model than the screen's
    static constexpr int kNoCard = 0x103;        // nothing answered the information query
    static constexpr int kSendStopped = 0x104;   // the owner asked the send to stop
    // Read-back codes.
    static constexpr int kRead = 0;
    static constexpr int kNoData = 1;  // the card announced fewer than 32 bytes
    static constexpr int kReadPortFailed = 2;
    static constexpr int kReadTimeout = 3;
    static constexpr int kReadStopped = 4;  // the owner asked the read-back to stop
    static constexpr int kOutOfRange = 5;   // the announced length exceeds the capacity
    static constexpr int kDeclined = 6;     // the user declined the slow-adapter question

    int code = 0;
    std::vector<uint8_t> data;  // the bytes read back (their count is the byte count); empty otherwise
};

// The byte the read-back writes before each 8-byte chunk (and once before the first).
inline constexpr uint8_t kReadBackRequest = 0x01;

struct TransferTimeouts {
    int replyMs = 1500;   // each answer, acknowledgement and chunk
    int lengthMs = 2500;  // the read-back's announced length
};

struct TransferControl {
    std::function<void(int percent)> progress;  // 0..100
    const std::atomic<bool>* stop = nullptr;    // checked before each block or chunk
    std::function<bool()> confirmSlowUpload;    // the PL2303 read-back question; none: go on
    TransferTimeouts timeouts;
};

// Sends `data` (padded with 0xFF to a multiple of 4) to the target's card: the
// information check, the announcement, acknowledged blocks of 128 bytes (16 on
// a PL2303 adapter), the unacknowledged remainder and the final status 4.
TransferResult SendTransfer(const LinkTarget& target, TransferMode mode, std::span<const uint8_t> data,
                            const TransferControl& control = {});
// Reads back what the card announces, at most `capacity` bytes, in 8-byte chunks.
TransferResult ReadBackTransfer(const LinkTarget& target, TransferMode mode, size_t capacity,
                                const TransferControl& control = {});

// The message for a result (empty: no message); `comNumber` is the COM index + 1.
std::u16string SendResultMessage(int code, TransferMode mode, int comNumber);
std::u16string ReadBackResultMessage(int code, TransferMode mode, int comNumber);
// The yes/no question (No the default) asked before a program read-back over a PL2303 adapter.
std::u16string SlowUploadQuestion();
inline constexpr char16_t kSlowUploadCaption[] = u"Kesh Varn";

}  // namespace ledsuite
