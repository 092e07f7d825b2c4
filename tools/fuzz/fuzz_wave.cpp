// WAV images in memory: speech rendered by the engine, files chosen for the sound build.
#include <cstddef>
#include <cstdint>

#include "content/sound/sound_clip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ledsuite::SoundClip clip;
    if (ledsuite::ParseWaveMemory(clip, data, size)) {
        if (clip.data.empty() || clip.length != clip.data.size()) __builtin_trap();
        if (clip.length % size_t(ledsuite::BytesPerSample(clip.format)) != 0) __builtin_trap();
        ledsuite::PrepareClipForCard(clip);
    }
    return 0;
}
