#pragma once
// The play-time schedule on the USB disk, "<root>/ZIZodo/playtime.dat" (little-endian):
//   0  u16 file size (8 + 6 x count) | "ssh" 0 | u16 count | count entries of
//      u16 start, u16 end (packed time words) | u8 type (1 music, 2 sound program) | u8 volume
// The volume is stored as 10 x k for the choice k of "0", "5" .. "100" (0..200), 0xFF "Not Use".
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace ledsuite {

struct ScheduleEntry {
    uint16_t start = 0;
    uint16_t end = 0;
    uint8_t type = 0;  // 0 unused slot, 1 "Background Music", 2 "Sound Program"
    uint8_t volume = 0xFF;
};

inline constexpr size_t kScheduleSlots = 128;
inline constexpr size_t kScheduleRows = 32;
inline constexpr size_t kScheduleColumns = 4;
inline constexpr uint8_t kVolumeNotUse = 0xFF;
inline constexpr int kVolumeChoices = 22;  // "0".."100" in steps of 5, then "Not Use"
using ScheduleTable = std::array<ScheduleEntry, kScheduleSlots>;

// "<root>/ZIZodo/playtime.dat".
std::string PlaytimePath(const std::string& root);
// The entries a save writes: slots whose start is below their end and whose type is not 0.
std::vector<ScheduleEntry> SavedEntries(const ScheduleTable& table);
// The file's bytes for those entries.
std::vector<uint8_t> BuildPlaytimeFile(std::span<const ScheduleEntry> entries);
// The entries of a file (count capped at 128), or nothing when its head does not check:
// longer than 8 bytes, stored size = file size, the magic, count not 0 and 6 x count = size - 8.
std::optional<std::vector<ScheduleEntry>> ParsePlaytimeFile(std::span<const uint8_t> bytes);
// The table the schedule tab shows: the entries of type 1 or 2 in order, then blank slots.
ScheduleTable ScheduleFromEntries(std::span<const ScheduleEntry> entries);

// Writes the saved entries of the table as "playtime.dat" (folder made when missing). False on failure.
bool SavePlaytimeFile(const std::string& root, const ScheduleTable& table);
// The table of the disk's "playtime.dat"; all blank when it is missing or does not check.
ScheduleTable LoadPlaytimeFile(const std::string& root);

// Volume choices. The list and the editor both show the choice a stored byte falls in:
// choice min(stored / 10, 20) ("0".."100"), or "Not Use" for 0xFF.
int VolumeChoiceOf(uint8_t stored);
uint8_t VolumeStoredOf(int choice);
std::u16string VolumeChoiceText(int choice);  // "0", "5" .. "100", "Not Use" (localized)
std::u16string ScheduleTypeText(uint8_t type);  // "Background Music", "Sound Program", else empty

}  // namespace ledsuite
