#include "link/play_schedule.h"

#include <algorithm>

#include "content/bytes.h"
#include "content/model/lang.h"
#include "content/model/paths.h"
#include "content/model/text_codec.h"
#include "link/udisk_export.h"

namespace ledsuite {

namespace {

constexpr uint8_t kMagic[4] = {'s', 's', 'h', 0};
constexpr size_t kHeadSize = 8;
constexpr size_t kEntrySize = 6;
constexpr int kNotUseChoice = kVolumeChoices - 1;

const LangText kNotUse{{u"不使用", u"不使用", u"Not Use"}};
const LangText kMusicType{{u"背景音乐", u"背景音樂", u"Background Music"}};
const LangText kSoundType{{u"语音节目", u"語音節目", u"Sound Program"}};

}  // namespace

std::string PlaytimePath(const std::string& root) { return UDiskFolderPath(root) + "/playtime.dat"; }

std::vector<ScheduleEntry> SavedEntries(const ScheduleTable& table) {
    std::vector<ScheduleEntry> out;
    for (const ScheduleEntry& e : table)
        if (e.start < e.end && e.type != 0) out.push_back(e);
    return out;
}

std::vector<uint8_t> BuildPlaytimeFile(std::span<const ScheduleEntry> entries) {
    const size_t count = std::min(entries.size(), kScheduleSlots);
    ByteWriter w;
    w.put_u16(uint16_t(kHeadSize + kEntrySize * count));
    w.put_bytes(kMagic, sizeof kMagic);
    w.put_u16(uint16_t(count));
    for (size_t i = 0; i < count; ++i) {
        w.put_u16(entries[i].start);
        w.put_u16(entries[i].end);
        w.put_u8(entries[i].type);
        w.put_u8(entries[i].volume);
    }
    return w.take();
}

std::optional<std::vector<ScheduleEntry>> ParsePlaytimeFile(std::span<const uint8_t> bytes) {
    ByteReader in(bytes);  // a short file reads as zeros and fails the checks below
    const size_t size = in.u16();
    uint8_t magic[4] = {};
    for (uint8_t& m : magic) m = in.u8();
    const size_t count = in.u16();
    if (size != bytes.size() || !std::equal(magic, magic + 4, kMagic) || count == 0 ||
        count * kEntrySize != size - kHeadSize)
        return std::nullopt;
    std::vector<ScheduleEntry> entries(std::min(count, kScheduleSlots));
    for (ScheduleEntry& e : entries) {
        e.start = in.u16();
        e.end = in.u16();
        e.type = in.u8();
        e.volume = in.u8();
    }
    return entries;
}

ScheduleTable ScheduleFromEntries(std::span<const ScheduleEntry> entries) {
    ScheduleTable table{};
    size_t slot = 0;
    for (const ScheduleEntry& e : entries) {
        if (slot == table.size()) break;
        if (e.type == 1 || e.type == 2) table[slot++] = e;
    }
    return table;
}

bool SavePlaytimeFile(const std::string& root, const ScheduleTable& table) {
    if (!MakeFolderPath(UDiskFolderPath(root))) return false;
    const std::vector<uint8_t> bytes = BuildPlaytimeFile(SavedEntries(table));
    return WriteFileDurable(PlaytimePath(root), bytes.data(), bytes.size());
}

ScheduleTable LoadPlaytimeFile(const std::string& root) {
    std::vector<uint8_t> bytes;
    // The largest file the format can describe: a 16-bit size.
    if (ReadFileBytes(PlaytimePath(root), 0xFFFF, bytes) != ReadFileResult::Ok) return {};
    const auto entries = ParsePlaytimeFile(bytes);
    return entries ? ScheduleFromEntries(*entries) : ScheduleTable{};
}

int VolumeChoiceOf(uint8_t stored) {
    return stored == kVolumeNotUse ? kNotUseChoice : std::min(stored / 10, kNotUseChoice - 1);
}

uint8_t VolumeStoredOf(int choice) {
    return choice < 0 || choice >= kNotUseChoice ? kVolumeNotUse : uint8_t(10 * choice);
}

std::u16string VolumeChoiceText(int choice) {
    if (choice < 0 || choice >= kNotUseChoice) return kNotUse();
    return U16FromAscii(std::to_string(5 * choice));
}

std::u16string ScheduleTypeText(uint8_t type) {
    return type == 1 ? kMusicType() : type == 2 ? kSoundType() : std::u16string();
}

}  // namespace ledsuite
