#pragma once
// The music pane's playlist rows and lyric-show settings, and the file "playlist.dat" that
// keeps them between runs: a CRC-16/MODBUS over everything after it, "mfis", the row count,
// the 272-byte settings record and one 540-byte record per row, all little-endian.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace ledsuite {

inline constexpr size_t kPlaylistPathUnits = 260;
inline constexpr size_t kPlaylistEntrySize = 540;
inline constexpr size_t kLrcSettingsSize = 272;
inline constexpr size_t kPlaylistHeaderSize = 10;
inline constexpr size_t kPlaylistFixedSize = kPlaylistHeaderSize + kLrcSettingsSize;  // 282
inline constexpr size_t kLrcDefaultTextUnits = 128;
inline constexpr size_t kLrcDefaultTextMax = 126;  // what the settings dialog keeps of a typed text
inline constexpr size_t kMaxPlaylistRows = 0xFFFF;   // the count field is 16 bits
inline constexpr char kPlaylistFileName[] = "playlist.dat";

// One row: a media or text file and how it plays.
struct PlaylistEntry {
    std::u16string path;      // at most 259 units (Add refuses longer paths)
    uint16_t voiceRole = 0;   // index of the speech voice
    uint32_t pauseAfter = 0;  // seconds of the pause after the item
    uint32_t rateIndex = 10;  // speech rate index 0..20 (rate = index - 10)
    uint32_t startTime = 0;   // daily window, hour << 12 | minute << 6 | second
    uint32_t stopTime = 0;
    bool operator==(const PlaylistEntry&) const = default;
};

// Lyric-show settings.
enum : uint8_t {
    kLrcColorMono = 5, kLrcColorRed = 9, kLrcColorGreen = 10, kLrcColorYellow = 12,
    kLrcColorAuto = 240, kLrcColorRandom = 241,
};
enum : uint8_t { kMoveSpeedAuto = 255, kMoveSpeedKeep = 254, kMoveSpeedMin = 5, kMoveSpeedMax = 35 };
enum : uint8_t { kAlignLeft = 0, kAlignCenter = 1, kAlignRight = 2, kAlignMove = 3 };
enum : uint8_t { kSourceMedia = 1, kSourceSpeech = 2 };

struct LrcSettings {
    uint8_t fontHeight = 16;          // 12, 16, 24, 32, 48 or 64
    uint8_t color = kLrcColorMono;    // 5, 9, 10, 12, 241 Random, 240 Auto
    uint8_t screenColorMode = 0;      // from the screen record when playback starts
    uint8_t source = 0;               // 1 media, 2 speech (the item playing)
    uint8_t loop = 0;                 // 1: the playlist repeats
    uint8_t voiceLanguage = 0;        // voice library language
    uint8_t fontChipLanguage = 0;     // 0 as is, 1 Simplified Chinese, 2 Traditional Chinese
    uint8_t moveSpeed = kMoveSpeedAuto;
    uint8_t frameSent = 0;            // 1 once a lyric line carried a move speed
    uint8_t alignment = kAlignCenter; // above 3 counts as centred
    uint16_t sentencePause = 0;       // 10 ms units
    std::u16string defaultText;       // sent during the pause after an item
    uint16_t signWidth = 0;
    uint16_t signHeight = 0;
    bool operator==(const LrcSettings&) const = default;
};

struct PlaylistFile {
    LrcSettings settings;
    std::vector<PlaylistEntry> rows;
};

// The records in their file form.
std::array<uint8_t, kPlaylistEntrySize> EncodePlaylistEntry(const PlaylistEntry& entry);
PlaylistEntry DecodePlaylistEntry(std::span<const uint8_t, kPlaylistEntrySize> bytes);
std::array<uint8_t, kLrcSettingsSize> EncodeLrcSettings(const LrcSettings& settings);
LrcSettings DecodeLrcSettings(std::span<const uint8_t, kLrcSettingsSize> bytes);

// The whole file; empty when there are more rows than the count field holds.
std::vector<uint8_t> EncodePlaylistFile(const PlaylistFile& file);
// None unless the bytes are a whole, intact file (size, zero word, magic, count, CRC).
std::optional<PlaylistFile> DecodePlaylistFile(std::span<const uint8_t> bytes);

// "playlist.dat" in the application-data folder, or `folder` when given.
std::string PlaylistFilePath(const std::string& folder = {});
// Written through a temporary file and a rename; false on failure (the old file stays).
bool SavePlaylistFile(const PlaylistFile& file, const std::string& path);
std::optional<PlaylistFile> LoadPlaylistFile(const std::string& path);

// ---- how the pane shows and edits the numbers -----------------------------------

// "%02d:%02d:%02d" of hours, minutes and seconds (90 -> "00:01:30").
std::u16string FormatSeconds(uint32_t seconds);
// "%02d:%02d:%02d" of the packed fields hour << 12 | minute << 6 | second.
std::u16string FormatPackedTime(uint32_t packed);
uint32_t PackDailyTime(int hour, int minute, int second);
// "%d" of index - 10.
std::u16string FormatRate(uint32_t rateIndex);
// A time typed as "HH:mm:ss"; none when it is not one.
struct Hms {
    int hour = 0, minute = 0, second = 0;
};
std::optional<Hms> ParseHms(std::u16string_view text);
// The role index to show for a stored index: clamped to the voices present; with no
// voices installed it stays as stored (it never becomes -1).
int ClampVoiceRole(uint32_t stored, int voiceCount);

// ---- the settings dialog's choices ---------------------------------------------

inline constexpr std::array<uint8_t, 6> kLrcHeights = {12, 16, 24, 32, 48, 64};
// The heights offered for a screen's font-chip code (its low nibble: 1 up to 16, 2 up to
// 24, 3 up to 32, 4 up to 48, 5 all six, any other none).
std::vector<uint8_t> LrcHeightChoices(uint16_t fontChip);
// Colour item: 0 Monochrome, 1 Red, 2 Green, 3 Yellow, 4 Random, 5 Auto.
int LrcColorItem(uint8_t color);
uint8_t LrcColorFromItem(int item);
// Move-speed item: 0 "Default" (255), then 1.. for 5..35.
int MoveSpeedItem(uint8_t speed);
uint8_t MoveSpeedFromItem(int item);

}  // namespace ledsuite
