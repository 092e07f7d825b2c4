#pragma once
// The card command frame and the short exchanges built on it: query, baud
// probe, the search of every port and rate, the card information list, sign
// power and the card clock. Every exchange opens its own port and closes it on
// every path; results are codes and texts, never UI.
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "content/model/clock.h"
#include "content/model/records.h"
#include "link/serial.h"
#include "content/imc_codes.h"

namespace ledsuite {

enum class CardCommand : uint8_t {
    Info = 0x01,
    PowerOn = 0x02,
    PowerOff = 0x03,
    DeletePage = 0x05,
    SendHardware = 0x06,
    ReadHardware = 0x07,
    SendProgram = 0x08,
    ReadProgram = 0x09,
    SetClock = 0x12,
    PowerFollowUp = 0x16,
    CardId = 0x17,
    PagedSend = 0x1A,
    LyricLine = 0x20,
    PartitionSize = 0x21,
    InfraredLearn = 0x22,
    BaudProbe = 0xFF,
};

// "VUZUZE", the adapter mark, the command byte, and what the longer forms add.
struct CardFrame {
    std::array<uint8_t, 16> bytes{};
    size_t size = 0;

    std::span<const uint8_t> view() const { return {bytes.data(), size}; }
    // Byte 6: 0xFE when the port's adapter is a PL2303, else 0x00 (see GetAdapterMark).
    uint8_t AdapterMark() const { return bytes[6]; }

    static CardFrame Command(uint8_t mark, CardCommand command);                      // 8 bytes
    static CardFrame WithSubcommand(uint8_t mark, CardCommand command, uint8_t sub);  // 9 bytes
    static CardFrame WithLength(uint8_t mark, CardCommand command, uint32_t length);  // 12 bytes
    static CardFrame PagedSend(uint8_t mark, uint32_t length, uint32_t page);         // 16 bytes
    static CardFrame DeletePage(uint32_t page);  // 16 bytes, mark 0; page 0xFFFFFFFF deletes all
};

inline constexpr char kFrameMagic[] = "VUZUZE";
inline constexpr size_t kFrameMagicSize = 6;
// The length of the frame that carries `command` (8, 9, 12 or 16 bytes).
size_t CardFrameLength(uint8_t command);
// Writes the frame; true when all of it went out.
bool WriteFrame(SerialPort& port, const CardFrame& frame);

// The card clock: BCD second, minute, hour, day, month, weekday (0 Sunday), BCD year % 100, 0.
struct CardTime {
    std::array<uint8_t, 8> bytes{};
    static CardTime From(const LocalTime& t);
};

// The reply to the information query, read from the bytes that arrived and the reply announces only.
struct CardInfoReply {
    size_t received = 0;
    uint8_t family = 0;                              // index of CardKindName
    uint8_t model = 0;                               // model index within the family
    uint8_t length = 0;                              // bytes after the 3-byte head
    uint32_t firmware = 0;                           // bytes 3-6, only when they arrived and belong to the reply
    std::vector<std::pair<uint8_t, uint8_t>> pairs;  // (type, value) from byte 7, whole pairs only

    static CardInfoReply Parse(std::span<const uint8_t> received);
};

// What the card link needs of a screen; the caller maps its screen record onto it.
struct LinkTarget {
    PortSetting port;
    uint8_t cardType = 0;     // the model index the screen is built for
    uint8_t cardSubtype = 0;  // the communication mode
    uint8_t cardFamily = 0;
    uint8_t cardModel = 0;
    uint32_t firmware = 0;
};

// The link target of a screen record: its COM and baud indices and its card type
// and subtype; what the card reports is left for the card to fill in.
LinkTarget LinkTargetFromScreen(const HardwareParams& screen);

// Name tables of the information list.
std::u16string FlashSizeName(int index);      // "4Mb".."64Mb", else the unknown text
std::u16string CardModelSizeName(int index);  // "04K".."128K", else empty
std::u16string UCardSizeName(int index);      // "UC512K".."UC8M", else empty
std::u16string CardKindName(int kind);        // localized; the unknown text past 3

// Opens the port, sends the command, reads the reply into `buffer` (its size is
// the maximum), closes. The count read; the failed read's result when the head of
// an information reply did not come; -1 when the frame could not be written;
// 0 when the port did not open.
// `headWaitMs` is the wait for the information reply's 3-byte head (the chunks after it
// wait kAckWaitMs each).
int QueryCard(PortSetting setting, CardCommand command, std::span<uint8_t> buffer, int headWaitMs = kAckWaitMs);

// Reads a reply on an open port: for the information query the 3-byte head
// within the wait (else that read's result), then up to its announced length;
// otherwise up to the buffer's size. Chunks of what is still missing, each within
// the wait, until the maximum is in or a chunk brings nothing. The count read.
// `headWaitMs` (when not negative) replaces the wait for the information reply's head.
int ReadCardReply(SerialPort& port, CardCommand command, std::span<uint8_t> buffer, int waitMs, int headWaitMs = -1);

inline constexpr int kProbeWaitMs = 200;
// 1 when a card answers "BAUDR" at the setting's rate, -2 when none does, 0 when
// the port does not open. With a record given, an open one is used and stays
// open; a closed one receives the port opened here.
int ProbeCardBaud(SerialPort* port, PortSetting setting, int answerWaitMs = kProbeWaitMs);

struct SearchProgress {
    const std::atomic<bool>* stop = nullptr;          // set: the search ends before its next probe
    std::function<void(const std::u16string&)> show;  // the status text of each probe (searching thread)
    int comNumber = 0;                                // the port and rate being tried
    int baudIndex = 0;
};

enum class SearchOutcome { Found, NoAnswer, PortUnavailable, NoPorts, Stopped };

// Looks for a card on every listed port, first at the setting's rate, then at
// every rate. Found: the setting holds what answered; otherwise it is restored.
// A probe waits `probeWaitMs` for each answer (twice that on a PL2303 adapter).
SearchOutcome SearchCardPorts(PortSetting& setting, SearchProgress* progress, int probeWaitMs = kProbeWaitMs);


inline constexpr int kCardInfoRows = 16;
// The localized label of an information row (0 "Terminal" .. 15 "Version").
std::u16string CardInfoRowLabel(int row);
// The remark shown for a PL2303 adapter.
std::u16string AdapterRemarkText();

struct CardInfoResult {
    SearchOutcome outcome = SearchOutcome::NoAnswer;
    std::u16string status;                             // the status text when no card was found
    std::array<std::u16string, kCardInfoRows> values;  // the value column
    LinkTarget target;                                 // with what the card reported
    bool portSettingsChanged = false;                  // store target.port and the card type (IMC_PORT_SETTINGS_CHANGED)
    bool adapterRemark = false;                        // show AdapterRemarkText()
};

// The card search and information query of the card link dialog, run on its
// worker thread: searches from the target's port setting, then queries the card.
// A stop request is seen before each probe and before each query (outcome Stopped,
// nothing to store).
CardInfoResult ReadCardInfoThread(const LinkTarget& target, SearchProgress* progress, int probeWaitMs = kProbeWaitMs);

enum class LinkStatus { Ok, PortFailed, NoAnswer };
// Switches the sign on or off and checks that the card answers.
LinkStatus SetScreenPower(const LinkTarget& target, bool on);
// Sets the card clock to CurrentLocalTime().
LinkStatus SyncCardClock(const LinkTarget& target);
// The messages of the power and clock commands.
std::u16string PowerMessage(LinkStatus status, bool on);
// "No Ctrl Card found, " a line break and "please check the cable connection", localized.
std::u16string NoCardMessage();
std::u16string ClockMessage(LinkStatus status);

}  // namespace ledsuite
