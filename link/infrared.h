#pragma once
// Infrared remote learning: the key table (learnt remote code per function key), the
// card's wire table (function number per remote code), the learning reports the card
// sends on its own, and the calibrate / get / set exchanges of command 0x22.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "link/card.h"

namespace ledsuite {

inline constexpr int kInfraredKeys = 18;
inline constexpr uint8_t kNoCode = 0xFF;
// Function keys by position: 0 "PW", 1..9 "1".."9", 10 "0", 11 "CH-", 12 "CH+", 13 "PL",
// 14 "LU-", 15 "LU+", 16 "VO-", 17 "VO+".
extern const char16_t* const kInfraredKeyLabels[kInfraredKeys];

// Key table: indexed by key position, the learnt remote code (kNoCode none).
using InfraredKeyTable = std::array<uint8_t, 256>;
// Wire table: indexed by remote code, the card's function number (kNoCode none).
using InfraredWireTable = std::array<uint8_t, 256>;

InfraredKeyTable EmptyKeyTable();
// The card's function number of a key position: positions 0 and 10 are exchanged.
int KeyFunction(int position);
InfraredWireTable BuildWireTable(const InfraredKeyTable& keys);
InfraredKeyTable KeyTableFromWire(const InfraredWireTable& wire);
// The wire table to send after `read` came from the card and the keys became `keys`:
// what was read goes back unchanged (a second code the card maps to the same function
// too); a key whose code changed since has its old codes dropped and its new code
// mapped, taken from any other function. With an empty `read`, BuildWireTable(keys).
InfraredWireTable MergeWireTable(const InfraredWireTable& read, const InfraredKeyTable& keys);
inline InfraredWireTable EmptyWireTable() { return EmptyKeyTable(); }
// "%02x" of a code; empty for kNoCode.
std::u16string KeyCodeText(uint8_t code);

// Collects the bytes the card sends while learning and finds its reports: "IRCA",
// the code, the code's complement. Reports split over several reads are joined;
// bytes before a report and reports with a wrong complement are dropped.
class InfraredReportScanner {
public:
    // Adds bytes; returns the codes of the valid reports they completed, in order.
    std::vector<uint8_t> Feed(std::span<const uint8_t> bytes);
    size_t Pending() const { return pending_.size(); }
    void Clear() { pending_.clear(); }

private:
    std::vector<uint8_t> pending_;
};

enum class InfraredStatus {
    PortFailed,   // the port message
    Started,      // calibrate: "SUC", learning may begin (the port stays open)
    NotUniversal, // calibrate "ERR" / get: not "RET"
    BadAnswer,    // calibrate: another answer
    NoAnswer,     // no answer at all
    GotTable,     // get: the whole table came
    Timeout,      // get: the table did not come whole
    SetDone,      // set: three answer bytes
    SetFailed,    // set: fewer
    NoAck,        // set: no acknowledgement 0x01
};

struct InfraredTimeouts {
    int answerMs = kAckWaitMs;
    int retMs = 200;
};

// Calibrate: opens `port` (closed first) and asks the card to start learning; the port
// stays open on Started and is closed otherwise.
InfraredStatus InfraredCalibrate(SerialPort& port, PortSetting setting, const InfraredTimeouts& t = {});
// Get: reads the card's wire table into `wire`.
InfraredStatus InfraredGetTable(PortSetting setting, InfraredWireTable& wire, const InfraredTimeouts& t = {});
// Set: sends the wire table to the card.
InfraredStatus InfraredSetTable(PortSetting setting, const InfraredWireTable& wire, const InfraredTimeouts& t = {});

// The message of a status (Chinese only, or the port message); empty for Started.
std::u16string InfraredMessage(InfraredStatus status, bool calibrating, int comNumber);

}  // namespace ledsuite
