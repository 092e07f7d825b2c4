// Any file handed to LoadSoundFile (prefix and suffix sounds, music of the sound build).
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "content/sound/sound_clip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/fuzz_sound_file." + std::to_string(::getpid());
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    ledsuite::SoundClip clip;
    if (ledsuite::LoadSoundFile({}, clip, path) && clip.length != clip.data.size()) __builtin_trap();
    return 0;
}
