#pragma once
// The card's ".ssf" sound file (little-endian):
//   0    u16 CRC-16/MODBUS of bytes 2..87 | "kip" 0 | u16 0 | u16 date (year mod 4096) << 4 | month
//   10   u16 day << 11 | hour << 6 | minute | u16 second << 10 | millisecond mod 1024
//   14   u32 modes 0, 1: data length + 512; mode 2: the mark table's size rounded up to 512
//   18   64 bytes: the file stem, UTF-16, at most 31 characters | zero up to 256
//   256  u16 CRC of bytes 258..283 | "sfh" 0 | u8 format code | u8 0 | u32 sample count
//   268  u32 data length | u32 sample offset | u16 mode | u16 0 | u32 mark table bytes (mode 2)
//   284  zero up to 512 | mode 2: the marks (u32), zero-padded to a multiple of 512 | samples
// Samples are stored unsigned, (sample + 32768) with the lowest four bits cleared.
// Mode 3 is the samples alone.
#include <cstddef>
#include <cstdint>
#include <string>

#include "content/sound/sound_clip.h"

namespace ledsuite {

constexpr int kSsfNoArgs = -1;        // no clip, or neither a path nor a buffer
constexpr int kSsfBadClip = -2;       // no data, or not 16-bit mono
constexpr int kSsfBadMode = -4;       // a mode above 3
constexpr int kSsfBufferFull = -10;   // the buffer cannot take a header or a block
constexpr int kSsfFileFailed = 0;     // the file could not be created or written

constexpr size_t kSsfHeaderSize = 512;
constexpr size_t kSsfFileHeaderSize = 88;
constexpr size_t kSsfSoundHeaderAt = 256;
constexpr size_t kSsfSoundHeaderSize = 28;
constexpr size_t kSsfBlockSamples = 81920;
// The largest music file (mode 0) the slot list and the card read back: 64 MiB, about 25
// minutes at 22,050 Hz. The music conversions refuse a longer clip.
constexpr size_t kMaxMusicSsfBytes = size_t(64) << 20;

// The size of the mode-0 file WriteSsfFile makes of `dataBytes` sample bytes.
constexpr uint64_t MusicSsfFileSize(uint64_t dataBytes) { return kSsfHeaderSize + (dataBytes & ~uint64_t(3)); }
// True when that file is within kMaxMusicSsfBytes.
constexpr bool FitsMusicSsf(uint64_t dataBytes) { return MusicSsfFileSize(dataBytes) <= kMaxMusicSsfBytes; }

// Writes the clip to `path` (through a temporary file renamed into place; nothing is
// left behind on failure) or, with an empty path, into `buffer` of `capacity` bytes.
// Returns the remaining capacity (for a file the capacity as given), or one of the
// codes above. Progress: (1, 0) first, (total samples, samples written) after each
// block of kSsfBlockSamples, (100, 100) at the end. A buffer that runs out keeps the
// part written. The file is titled by the stem of `titleName`, or of `path` when that is
// empty (a music slot "003.ssf" is titled by the music it holds).
int64_t WriteSsfFile(const SoundProgressFn& progress, const SoundClip* clip, uint8_t* buffer,
                     const std::string& path, size_t capacity, int mode, const std::string& titleName = {});

// The stem WriteSsfFile stores: the name between the last '/' or '\' and the last dot,
// at most 31 UTF-16 units.
std::u16string SsfStem(const std::string& path);

}  // namespace ledsuite
