#pragma once
// Where the suite keeps and finds its files.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ledsuite {

// "$XDG_CONFIG_HOME/KIP ZE2012" (~/.config when unset), or LEDSUITE_APPDATA.
// Computed once, created on first use (one mkdir, failure ignored). Holds
// "ini.dat" and "playlist.dat". No trailing separator.
std::string GetAppDataFolder();
// Forgets the cached folder so the next call reads the environment again (tests).
void ResetAppDataFolderForTests();

// The running executable's folder with its trailing '/'.
std::string GetExeFolder();

// A read-only resource folder ("zu_frame", "zu_img", "zu_clock", "zu_lyric",
// "zu_soundfix", or a file such as "fonts.conf"): LEDSUITE_RESOURCES first, then
// res/ beside the executable, then the installed share folder. Returns the first
// that exists, or the LEDSUITE_RESOURCES/beside-the-executable candidate when none does.
std::string ResourcePath(const std::string& name);

// Where the user's own files go ("$XDG_DATA_HOME/ledsuite/<name>"); the folder
// chain is created (`name` is a folder). Frame tiles and downloaded lyrics live here.
std::string UserDataPath(const std::string& name);

// Writes `size` bytes to `path` through a temporary file in the same folder and a
// rename, so an existing file is never left half-written. False on any failure
// (the temporary is removed).
bool WriteFileAtomic(const std::string& path, const void* data, size_t size);

// Reads a whole regular file of at most `maxBytes` into `out` (outside files are
// never read unbounded).
enum class ReadFileResult { Ok, Failed, TooLarge };
ReadFileResult ReadFileBytes(const std::string& path, size_t maxBytes, std::vector<uint8_t>& out);

}  // namespace ledsuite
