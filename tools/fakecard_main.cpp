// Plays a control card on a pseudo-terminal until killed:
//   fakecard --pty [--baud RATE] [--family F] [--model M] [--firmware N] [--line-rate RATE]
//                  [--voice [--lyric-protocol P] [--sign WxH] [--lyric-answers N]]
// prints the slave path to put into LEDSUITE_SERIAL_PORTS. Without options it is the card a
// new screen expects (its card type as the model, at its baud rate), so that a new
// screen's Send goes through; --model and --baud make it another. With --voice the card is a
// voice-capable model that shows lyrics: its information carries the lyric show (type 4)
// and the lyric protocol (type 6, default 1), it answers the sign-size query (0x21, default
// 192x32) and the lyric lines (0x20, "SU"; after N of them it goes silent), and it prints a
// line for each lyric line it receives and for each frame it refuses for its byte 6.
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "content/model/records.h"
#include "link/card.h"
#include "link/serial.h"
#include "tools/fakecard.h"
#include "tools/fakecard_lyric.h"

namespace {
std::atomic<bool> g_stop{false};
void OnSignal(int) { g_stop = true; }

constexpr char kUsage[] =
    "usage: fakecard --pty [--baud RATE] [--family F] [--model M] [--firmware N] [--line-rate RATE]\n"
    "                      [--voice [--lyric-protocol P] [--sign WxH] [--lyric-answers N]]\n"
    "By default the card a new screen expects: model %lu at %u baud.\n";

// Serves on its own thread and prints what a lyric-capable card receives, as it comes.
void ServeAndLog(ledsuite::FakeCard& card) {
    card.Start();
    size_t lines = 0, sizeQueries = 0, refused = 0;
    while (!g_stop) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        const ledsuite::FakeCardLog log = card.log();
        for (; sizeQueries < log.count(uint8_t(ledsuite::CardCommand::PartitionSize)); ++sizeQueries)
            std::printf("sign size asked\n");
        for (; lines < log.lyricBodies.size(); ++lines)
            std::printf("%s\n", ledsuite::DescribeLyricBody(log.lyricBodies[lines]).c_str());
        for (; refused < log.refused.size(); ++refused) {
            const auto& frame = log.refused[refused];
            std::printf("refused command 0x%02X: byte 6 is 0x%02X\n", frame[7], frame[6]);
        }
        std::fflush(stdout);
    }
    card.Stop();
}
}  // namespace

int main(int argc, char** argv) {
    const ledsuite::HardwareParams newScreen;
    bool pty = false, voice = false;
    unsigned long family = 0, model = newScreen.cardType, firmware = 3, protocol = 1;
    ledsuite::FakeCardScript script;
    script.baud = ledsuite::BaudRateOf(newScreen.baudIndex);
    std::pair<uint16_t, uint16_t> sign(192, 32);
    for (int i = 1; i < argc; ++i) {
        auto value = [&](unsigned long& out) {
            if (i + 1 >= argc) return false;
            out = std::strtoul(argv[++i], nullptr, 0);
            return true;
        };
        unsigned long v = 0;
        bool ok = true;
        if (!std::strcmp(argv[i], "--pty")) pty = true;
        else if (!std::strcmp(argv[i], "--baud")) ok = value(v), script.baud = uint32_t(v);
        else if (!std::strcmp(argv[i], "--line-rate")) ok = value(v), script.lineBaud = uint32_t(v);
        else if (!std::strcmp(argv[i], "--family")) ok = value(family);
        else if (!std::strcmp(argv[i], "--model")) ok = value(model);
        else if (!std::strcmp(argv[i], "--firmware")) ok = value(firmware);
        else if (!std::strcmp(argv[i], "--voice")) voice = true;
        else if (!std::strcmp(argv[i], "--lyric-protocol")) ok = value(protocol) && protocol < 256;
        else if (!std::strcmp(argv[i], "--lyric-answers")) ok = value(v), script.lyricAnswers = int(v);
        else if (!std::strcmp(argv[i], "--sign")) {
            auto size = i + 1 < argc ? ledsuite::ParseSignSize(argv[++i]) : std::nullopt;
            ok = size.has_value();
            if (size) sign = *size;
        } else ok = false;
        if (!ok) pty = false, i = argc;
    }
    if (!pty) {
        std::fprintf(stderr, kUsage, (unsigned long)newScreen.cardType, ledsuite::BaudRateOf(newScreen.baudIndex));
        return 2;
    }
    std::vector<std::pair<uint8_t, uint8_t>> pairs = {{1, 1}, {2, 1}, {3, 1}};
    if (voice) {
        pairs.insert(pairs.end(), {{4, 1}, {6, uint8_t(protocol)}});
        script.partitionSize = sign;
    }
    script.info = ledsuite::MakeInfoReply(uint8_t(family), uint8_t(model), uint32_t(firmware), pairs);
    ledsuite::FakeCard card(script);
    if (!card.ok()) {
        std::perror("fakecard: pseudo-terminal");
        return 1;
    }
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    std::printf("%s\n", card.slavePath().c_str());
    std::fflush(stdout);
    if (voice) ServeAndLog(card);
    else card.Serve(g_stop);
    return 0;
}
