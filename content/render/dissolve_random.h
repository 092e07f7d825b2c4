#pragma once
// The seedable generator behind the dissolve masks: the classic linear congruence
// x = x * 214013 + 2531011, each value (x >> 16) & 0x7FFF (0 to 32767). Seeded with
// 1 it gives the same sequence as the runtime the card's masks were first made with,
// so masks built here and in the preview stay reproducible.
#include <cstdint>

namespace ledsuite {

class DissolveRandom {
public:
    static constexpr int kMax = 0x7FFF;

    explicit DissolveRandom(uint32_t seed = 1) : state_(seed) {}
    void Seed(uint32_t seed) { state_ = seed; }
    int Next() {
        state_ = state_ * 214013u + 2531011u;
        return int((state_ >> 16) & 0x7FFF);
    }

private:
    uint32_t state_;
};

}  // namespace ledsuite
