#pragma once
// MP3 decoding with libmpg123 (feed interface, signed 16-bit output). A stream whose
// rate is outside the clip's rate table (48,000 Hz) is decoded again at 44,100 Hz.
// A limit on resynchronisation makes files that are not MP3 fail quickly.
#include <cstdint>
#include <span>

#include "content/sound/sound_clip.h"

namespace ledsuite {

// No more PCM than this is produced (about 50 minutes of 44.1 kHz stereo).
constexpr size_t kMaxDecodedBytes = size_t(512) << 20;

// Decodes a whole MP3 file image into `clip` (reset first). Progress reports
// (total bytes, bytes fed) while decoding. False when no audio frame is found, the
// decoder fails, or the output would pass kMaxDecodedBytes.
bool DecodeMp3(std::span<const uint8_t> bytes, SoundClip& clip, const SoundProgressFn& progress);

}  // namespace ledsuite
