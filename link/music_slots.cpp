#include "link/music_slots.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "content/bytes.h"
#include "content/model/crc16.h"
#include "content/model/paths.h"
#include "content/sound/sound_clip.h"
#include "content/sound/ssf_file.h"
#include "link/udisk_export.h"

namespace ledsuite {

namespace fs = std::filesystem;

namespace {

constexpr size_t kTitleAt = 18;
constexpr size_t kSoundPropertiesAt = kSsfSoundHeaderAt + 6;
constexpr int kMusicSsfMode = 0;  // samples behind the two headers, no mark table

// A header: the CRC of its bytes from 2 stored at 0, then the magic and a zero byte.
bool HeaderChecks(std::span<const uint8_t> header, const char* magic) {
    if (Crc16Modbus(header.subspan(2)) != uint16_t(header[0] | header[1] << 8)) return false;
    return std::equal(magic, magic + 3, header.begin() + 2) && header[5] == 0;
}

}  // namespace

std::string MusicFolderPath(const std::string& root) { return UDiskFolderPath(root) + "/Music"; }

std::string MusicSlotPath(const std::string& root, int slot) {
    return MusicFolderPath(root) + "/" + ThreeDigits(slot) + ".ssf";
}

std::optional<MusicSlot> ReadMusicSlot(std::span<const uint8_t> bytes) {
    if (bytes.size() <= kSsfHeaderSize) return std::nullopt;
    if (!HeaderChecks(bytes.subspan(0, kSsfFileHeaderSize), "kip") ||
        !HeaderChecks(bytes.subspan(kSsfSoundHeaderAt, kSsfSoundHeaderSize), "sfh"))
        return std::nullopt;
    MusicSlot slot;
    std::copy_n(bytes.begin() + kTitleAt, slot.title.size(), slot.title.begin());
    std::copy_n(bytes.begin() + kSoundPropertiesAt, slot.sound.size(), slot.sound.begin());
    slot.state = kSlotOnDisk;
    return slot;
}

std::u16string MusicSlotTitle(const MusicSlot& slot) {
    std::u16string title;
    for (size_t at = 0; at < slot.title.size(); at += 2) {
        const char16_t c = char16_t(LoadU16(&slot.title[at]));
        if (c == 0) break;
        title += c;
    }
    return title;
}

void LoadMusicSlots(const std::string& root, std::array<MusicSlot, kMusicSlots>& slots) {
    std::error_code ec;
    const bool folder = fs::is_directory(MusicFolderPath(root), ec);
    int i = -1;
    for (MusicSlot& slot : slots) {
        ++i;
        if (slot.state == kSlotNewSource) continue;
        slot = {};
        std::vector<uint8_t> bytes;
        if (!folder || ReadFileBytes(MusicSlotPath(root, i), kMaxMusicSsfBytes, bytes) != ReadFileResult::Ok) continue;
        if (auto read = ReadMusicSlot(bytes)) slot = *read;
    }
}

MusicSavePlan PlanMusicSave(const std::string& root, std::array<MusicSlot, kMusicSlots>& slots) {
    MusicSavePlan plan;
    if (!MakeFolderPath(MusicFolderPath(root))) {
        plan.folderFailed = true;
        return plan;
    }
    int i = -1;
    for (MusicSlot& slot : slots) {
        ++i;
        if (slot.state != kSlotNewSource) continue;
        if (slot.source.empty()) {
            ::unlink(MusicSlotPath(root, i).c_str());
            slot.state = kSlotEmpty;
            continue;
        }
        std::error_code ec;
        if (!fs::exists(slot.source, ec)) {
            plan.missing = slot.source;
            return plan;
        }
        plan.sources.push_back(slot.source);
        plan.targets.push_back(MusicSlotPath(root, i));
    }
    return plan;
}

bool ConvertMusicFile(const std::string& source, const std::string& target) {
    SoundClip clip;
    if (!LoadSoundFile({}, clip, source) || !PrepareClipForCard(clip)) return false;
    if (!FitsMusicSsf(clip.data.size())) return false;  // the slot list could not read it back
    // Titled by the music's own name, not the slot's number.
    return WriteSsfFile({}, &clip, nullptr, target, 1, kMusicSsfMode, source) == 1;
}

bool ConvertMusicFiles(const std::vector<std::string>& sources, const std::vector<std::string>& targets) {
    if (sources.size() != targets.size()) return false;
    for (size_t i = 0; i < sources.size(); ++i)
        if (!ConvertMusicFile(sources[i], targets[i])) return false;
    return true;
}

}  // namespace ledsuite
