#pragma once
// The twenty background-music slots on the USB disk, "<root>/ZIZodo/Music/<nnn>.ssf":
// what a slot file shows (the title and sound properties of its two checked headers),
// the plan of a save, and the default conversion of a music file into a slot.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace ledsuite {

inline constexpr int kMusicSlots = 20;

enum MusicSlotState : uint8_t { kSlotEmpty = 0, kSlotNewSource = 1, kSlotOnDisk = 2 };

struct MusicSlot {
    std::string source;               // the chosen music file (state 1)
    std::array<uint8_t, 64> title{};  // the first header's title (UTF-16 stem)
    std::array<uint8_t, 6> sound{};   // format code, 0, sample count of the second header
    uint8_t state = kSlotEmpty;
};

std::string MusicFolderPath(const std::string& root);             // "<root>/ZIZodo/Music"
std::string MusicSlotPath(const std::string& root, int slot);     // "<root>/ZIZodo/Music/<nnn>.ssf"

// The slot a file's bytes give: longer than 512 bytes and both headers checked (CRC and
// magic), else nothing.
std::optional<MusicSlot> ReadMusicSlot(std::span<const uint8_t> bytes);
// The title as text (up to its first zero unit).
std::u16string MusicSlotTitle(const MusicSlot& slot);
// Reloads every slot from the disk; slots in state 1 keep their new source.
void LoadMusicSlots(const std::string& root, std::array<MusicSlot, kMusicSlots>& slots);

struct MusicSavePlan {
    std::vector<std::string> sources, targets;  // what the conversion writes
    std::string missing;                        // a chosen source that does not exist: the save ends
    bool folderFailed = false;
};
// Makes the folders, clears the slots whose new source is empty (their files deleted),
// and lists the conversions.
MusicSavePlan PlanMusicSave(const std::string& root, std::array<MusicSlot, kMusicSlots>& slots);

// Converts a WAV or MP3 file into a card sound file (16-bit mono, at most 22,050 Hz).
// False (nothing written) also for music whose file would pass kMaxMusicSsfBytes.
bool ConvertMusicFile(const std::string& source, const std::string& target);
// Converts every pair in turn; false at the first failure.
using MusicConverter = std::function<bool(const std::vector<std::string>& sources,
                                          const std::vector<std::string>& targets)>;
bool ConvertMusicFiles(const std::vector<std::string>& sources, const std::vector<std::string>& targets);

}  // namespace ledsuite
