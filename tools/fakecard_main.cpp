// Plays a control card on a pseudo-terminal until killed:
//   fakecard --pty [--baud RATE] [--family F] [--model M] [--firmware N] [--line-rate RATE]
// prints the slave path to put into LEDSUITE_SERIAL_PORTS.
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tools/fakecard.h"

namespace {
std::atomic<bool> g_stop{false};
void OnSignal(int) { g_stop = true; }
}  // namespace

int main(int argc, char** argv) {
    bool pty = false;
    unsigned long family = 0, model = 0, firmware = 3;
    ledsuite::FakeCardScript script;
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
        else ok = false;
        if (!ok) pty = false, i = argc;
    }
    if (!pty) {
        std::fprintf(
            stderr, "usage: fakecard --pty [--baud RATE] [--family F] [--model M] [--firmware N] [--line-rate RATE]\n");
        return 2;
    }
    script.info =
        ledsuite::MakeInfoReply(uint8_t(family), uint8_t(model), uint32_t(firmware), {{1, 1}, {2, 1}, {3, 1}});
    ledsuite::FakeCard card(script);
    if (!card.ok()) {
        std::perror("fakecard: pseudo-terminal");
        return 1;
    }
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    std::printf("%s\n", card.slavePath().c_str());
    std::fflush(stdout);
    card.Serve(g_stop);
    return 0;
}
