#include "content/model/settings.h"

#include <algorithm>
#include <cstdio>
#include <memory>

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
    std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(SettingsFilePath().c_str(), "rb"), &std::fclose);
    if (!f) return false;
    DefaultSettings(hw);
    // One byte more than expected tells a long file from a good one.
    uint8_t buf[kSettingsFileSize + 1];
    const size_t n = std::fread(buf, 1, sizeof buf, f.get());
    if (n != kSettingsFileSize || LoadU32(buf) != kSettingsFileSize) return false;
    auto bytes = SerializeHardwareParams(hw);
    std::copy_n(buf + kRecordOffset, kLoadedRecordBytes, bytes.begin());
    hw = ParseHardwareParams(bytes);
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
