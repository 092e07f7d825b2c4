#pragma once
// "ini.dat": the last screen record, kept in the application-data folder.
// 512 bytes: u32 512, u32 512, the 92 record bytes, 412 zero bytes.
#include <string>

#include "content/model/records.h"

namespace ledsuite {

constexpr size_t kSettingsFileSize = 512;

// GetAppDataFolder() + "/ini.dat".
std::string SettingsFilePath();

// Fills the record with the screen defaults: card type 3, subtype 0, 128 x 32,
// colour code 17, brightness 255, output flags 1, baud index 5, everything else 0.
void DefaultSettings(HardwareParams& hw);

// Loads "ini.dat". A missing or unreadable file leaves the record untouched and
// gives false. Otherwise the record takes the defaults; a file that is not 512
// bytes or whose first u32 is not 512 gives false with the defaults kept; a good
// file overwrites the record's first 90 bytes (bytes 90-91 keep their defaults),
// the record is repaired (RepairHardwareParams) and the result is true.
bool LoadSettingsFile(HardwareParams& hw);

// Writes "ini.dat" through a temporary file and a rename (making the folder and its
// parents first), with UiLanguageSetting() as the record's language, which the
// caller's record then takes too. False when it could not be written; the record
// and an existing file are then left as they were.
bool SaveSettingsFile(HardwareParams& hw);

}  // namespace ledsuite
