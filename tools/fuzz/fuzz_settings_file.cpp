// "ini.dat" as start-up finds it in the application-data folder: the bytes are written there
// and loaded into a screen record, which is then used as start-up uses it (saved back, and
// the values the hardware pane shows).
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "content/model/paths.h"
#include "content/model/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace ledsuite;
    static const std::string folder = [] {
        const std::string f = "/tmp/fuzz_settings_file_" + std::to_string(getpid());
        std::filesystem::create_directories(f);
        setenv("LEDSUITE_APPDATA", f.c_str(), 1);
        ResetAppDataFolderForTests();
        return f;
    }();
    if (size > 4096 || !WriteFileAtomic(SettingsFilePath(), data, size)) return 0;
    HardwareParams hw;
    if (!LoadSettingsFile(hw)) DefaultSettings(hw);
    // A loaded record is repaired: saving and loading it again gives the same record.
    if (SaveSettingsFile(hw)) {
        HardwareParams again;
        if (!LoadSettingsFile(again) || SerializeHardwareParams(again) != SerializeHardwareParams(hw)) __builtin_trap();
    }
    return 0;
}
