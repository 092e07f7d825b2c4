// What a card answers on the serial line, beyond the information reply's own parsing: the
// first byte picks an exchange, the second a variant of it, the rest is a script of answers,
// each a length byte and its bytes (255: the answer goes on in the next piece). A
// pseudo-terminal plays the card: every time the program writes, the next answer of the
// script goes back (an empty one is silence). The exchanges run with short waits.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "content/bytes.h"
#include "link/card.h"
#include "link/infrared.h"
#include "link/paged_send.h"
#include "link/transfer.h"
#include "music/lyric_line.h"
#include "music/playback.h"

using namespace ledsuite;

namespace {

constexpr int kWaitMs = 8;

// The card's end of the line, opened once; the slave is held open so that the line is
// never hung up between the program's opens.
struct Line {
    int master = -1;
    int held = -1;
    Line() {
        master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) abort();
        const std::string slave = ptsname(master);
        held = ::open(slave.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        setenv("LEDSUITE_SERIAL_PORTS", slave.c_str(), 1);
    }
    // Nothing of the last run left in either direction.
    void Quiet() const {
        tcflush(held, TCIOFLUSH);
        uint8_t buf[4096];
        for (pollfd p{master, POLLIN, 0}; ::poll(&p, 1, 0) > 0 && (p.revents & POLLIN);)
            if (::read(master, buf, sizeof buf) <= 0) break;
    }
};

// Answers each write of the program with the next piece of the script.
class Card {
public:
    Card(const Line& line, std::vector<std::vector<uint8_t>> pieces)
        : line_(line), pieces_(std::move(pieces)), thread_([this] { Serve(); }) {}
    ~Card() {
        done_ = true;
        thread_.join();
    }

private:
    void Serve() {
        size_t next = 0;
        uint8_t buf[4096];
        while (!done_) {
            pollfd p{line_.master, POLLIN, 0};
            if (::poll(&p, 1, 1) <= 0 || !(p.revents & POLLIN)) continue;
            if (::read(line_.master, buf, sizeof buf) <= 0) continue;
            if (next < pieces_.size() && !pieces_[next].empty())
                (void)!::write(line_.master, pieces_[next].data(), pieces_[next].size());
            ++next;
        }
    }
    const Line& line_;
    std::vector<std::vector<uint8_t>> pieces_;
    std::atomic<bool> done_{false};
    std::thread thread_;
};

std::vector<std::vector<uint8_t>> Pieces(const uint8_t* data, size_t size) {
    std::vector<std::vector<uint8_t>> pieces(1);
    for (size_t pos = 0; pos < size && pieces.size() <= 64;) {
        const size_t n = std::min<size_t>(data[pos], size - pos - 1);
        pieces.back().insert(pieces.back().end(), data + pos + 1, data + pos + 1 + n);
        if (data[pos] != 0xFF) pieces.emplace_back();
        pos += 1 + n;
    }
    pieces.pop_back();
    return pieces;
}

const PortSetting kPort{0, 8};  // COM index 0 at 115,200 baud
const LinkTarget kTarget = [] {
    LinkTarget t;
    t.port = kPort;
    t.cardType = 2;
    return t;
}();

// The information reply as the send and the playback start read it.
void InfoReply(uint8_t variant) {
    SerialPort port;
    if (SerialOpen(port, kPort.comIndex, kPort.baudRate()) != 0) return;
    WriteFrame(port, CardFrame::Command(0, CardCommand::Info));
    std::vector<uint8_t> reply(size_t(variant % 5 == 0 ? 2 : 3 + variant));
    const int n = ReadCardReply(port, CardCommand::Info, reply, kWaitMs);
    const CardInfoReply info = CardInfoReply::Parse({reply.data(), size_t(std::max(n, 0))});
    (void)LyricProtocolOf(info);
    WriteFrame(port, CardFrame::Command(0, CardCommand::CardId));
    std::array<uint8_t, 2> id{};
    if (ReadCardReply(port, CardCommand::CardId, id, kWaitMs) == 2) (void)LoadU16(id.data());
}

// The sign size read when playback starts, and the placement of a line it feeds.
void SignSize(uint8_t variant) {
    SerialPort port;
    if (SerialOpen(port, kPort.comIndex, kPort.baudRate()) != 0) return;
    WriteFrame(port, CardFrame::Command(0, CardCommand::PartitionSize));
    std::array<uint8_t, 4> size{};
    if (SerialRead(port, size.data(), size.size(), kWaitMs) != int(size.size())) return;
    LrcSettings settings;
    settings.signWidth = LoadU16(&size[0]);
    settings.signHeight = LoadU16(&size[2]);
    const std::u16string text = u"Lyric line 歌词";
    const uint32_t width = LyricTextWidth(text, settings.fontHeight);
    (void)PlaceLyricLine(width, settings.fontHeight, settings.signWidth, settings.signHeight, variant);
    LyricFrameState state;
    (void)LyricLineFrame::Build(text, settings, variant & 1, state).bytes();
}

void Exchange(uint8_t which, uint8_t variant) {
    TransferControl control;
    control.timeouts = {kWaitMs, kWaitMs};
    switch (which % 12) {
        case 0: InfoReply(variant); break;
        case 1: (void)SetScreenPower(kTarget, variant & 1); break;
        case 2: (void)SyncCardClock(kTarget); break;
        case 3: (void)ProbeCardBaud(nullptr, kPort, kWaitMs); break;
        case 4: {
            const std::vector<uint8_t> image(size_t(variant) * 3 + 1, 0x5A);
            (void)SendTransfer(kTarget, TransferMode(variant & 1), image, control);
            break;
        }
        case 5: (void)ReadBackTransfer(kTarget, TransferMode(variant & 1), size_t(variant) * 4, control); break;
        case 6: {
            const PagedCompile compile = [variant](std::span<uint8_t> buffer, uint32_t*) {
                return int(std::min<size_t>(buffer.size(), size_t(variant) * 2 + 1));
            };
            (void)SendPagedImage(kPort, compile, variant, variant & 1, {kWaitMs, kWaitMs});
            break;
        }
        case 7: (void)DeletePagedImage(kPort, variant, {kWaitMs, kWaitMs}); break;
        case 8: {
            InfraredWireTable wire{};
            if (InfraredGetTable(kPort, wire, {kWaitMs, kWaitMs}) == InfraredStatus::GotTable)
                (void)BuildWireTable(KeyTableFromWire(wire));
            break;
        }
        case 9: {
            SerialPort port;
            (void)InfraredCalibrate(port, kPort, {kWaitMs, kWaitMs});
            break;
        }
        case 10: (void)InfraredSetTable(kPort, BuildWireTable(EmptyKeyTable()), {kWaitMs, kWaitMs}); break;
        default: SignSize(variant); break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const Line line;
    if (size < 2 || size > 2048) return 0;
    line.Quiet();
    {
        Card card(line, Pieces(data + 2, size - 2));
        Exchange(data[0], data[1]);
    }
    line.Quiet();
    return 0;
}
