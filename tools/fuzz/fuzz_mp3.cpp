// MP3 files of the sound build, decoded through libmpg123.
#include <cstddef>
#include <cstdint>

#include "content/sound/mp3_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ledsuite::SoundClip clip;
    if (ledsuite::DecodeMp3({data, size}, clip, {})) {
        if (clip.data.empty() || clip.length != clip.data.size()) __builtin_trap();
        ledsuite::PrepareClipForCard(clip);
    }
    return 0;
}
