#include "content/model/settings.h"

#include <algorithm>
#include <vector>

#include "content/bytes.h"
#include "content/model/lang.h"
#include "content/model/paths.h"

namespace ledsuite {

namespace {
// Only this many record bytes are taken back from the file.
constexpr size_t kLoadedRecordBytes = 90;
constexpr size_t kRecordOffset = 8;
}  // namespace

std::string SettingsFilePath() { return GetAppDataFolder() + "/ini.dat"; }

void DefaultSettings(HardwareParams& hw) { hw = HardwareParams{}; }

bool LoadSettingsFile(HardwareParams& hw) {
    // Only a regular file is read, and only one byte more than expected (which tells a long
    // file from a good one): a FIFO, a folder or a device at the path is an unreadable file.
    std::vector<uint8_t> bytes;
    const ReadFileResult read = ReadFileBytes(SettingsFilePath(), kSettingsFileSize, bytes);
    if (read == ReadFileResult::Failed) return false;
    DefaultSettings(hw);
    if (read != ReadFileResult::Ok || bytes.size() != kSettingsFileSize || LoadU32(bytes.data()) != kSettingsFileSize)
        return false;
    auto record = SerializeHardwareParams(hw);
    std::copy_n(bytes.begin() + kRecordOffset, kLoadedRecordBytes, record.begin());
    hw = ParseHardwareParams(record);
    RepairHardwareParams(hw);
    return true;
}

bool SaveSettingsFile(HardwareParams& hw) {
    HardwareParams saved = hw;
    saved.language = uint16_t(UiLanguageSetting());
    uint8_t buf[kSettingsFileSize] = {};
    ByteWriter w(buf, sizeof buf);
    w.put_u32(kSettingsFileSize);
    w.put_u32(kSettingsFileSize);
    w.put_bytes(SerializeHardwareParams(saved));
    // The folder may be missing on a fresh account or may have been removed since start-up.
    if (!w.ok() || !EnsureAppDataFolder() || !WriteFileAtomic(SettingsFilePath(), buf, sizeof buf)) return false;
    hw.language = saved.language;
    return true;
}

}  // namespace ledsuite
