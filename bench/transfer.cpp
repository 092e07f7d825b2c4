// Sending a 256 KiB program image to the fake card at 115,200 baud. The card
// paces its reading at the line rate (10 bits a byte) and acknowledges each
// block 2 ms after its last byte. The least time this can take is the line time
// of every byte in both directions plus every answer delay; the card adds that
// up, and the counters show it beside the measured time.
#include "link/transfer.h"

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <vector>

#include "tools/fakecard.h"

using namespace ledsuite;

static void SendImageAtLineRate(benchmark::State& state) {
    FakeCardScript script;
    script.info = MakeInfoReply(0, 2, 3);
    script.ackDelayMs = 2;
    script.lineBaud = 115200;
    FakeCard card(script);
    if (!card.ok()) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    card.Start();
    setenv("LEDSUITE_SERIAL_PORTS", card.slavePath().c_str(), 1);

    std::vector<uint8_t> image(256 * 1024);
    for (size_t i = 0; i < image.size(); ++i) image[i] = uint8_t(i * 7 + 3);
    LinkTarget target;
    target.port = {0, 8};  // 115,200 baud
    target.cardType = 2;

    double measured = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        TransferResult r = SendTransfer(target, TransferMode::Program, image);
        measured += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (r.code != TransferResult::kSent) state.SkipWithError("the send failed");
    }
    const double minimum = card.modelledSeconds();
    state.counters["minimum_s"] = benchmark::Counter(minimum / double(state.iterations()));
    state.counters["measured_s"] = benchmark::Counter(measured / double(state.iterations()));
    state.counters["overhead_pct"] = benchmark::Counter(minimum > 0 ? (measured - minimum) / minimum * 100 : 0);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(image.size()));
    unsetenv("LEDSUITE_SERIAL_PORTS");
}
BENCHMARK(SendImageAtLineRate)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
