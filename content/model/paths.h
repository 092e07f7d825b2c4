#pragma once
// Where the suite keeps and finds its files.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ledsuite {

// What making a folder with its parents gave: ok, or the first folder of the chain
// that could not be made and the system's error number, for the caller's message.
struct FolderResult {
    bool ok = true;
    std::string folder;  // the folder asked for
    std::string failed;  // when not ok: the folder that could not be made
    int error = 0;       // when not ok: its errno

    explicit operator bool() const { return ok; }
    // The system's reason ("Permission denied", "Not a directory", ...); empty when ok.
    std::string reason() const;
};

// Makes `path` and every missing parent (mode 0755). A chain that already exists is
// ok; a part that exists but is no folder, or that cannot be made, is reported.
FolderResult MakeFolderPath(const std::string& path);

// "$XDG_CONFIG_HOME/KIP ZE2012" (~/.config when unset), or LEDSUITE_APPDATA.
// Computed once and made with its parents on first use. Holds "ini.dat" and
// "playlist.dat". No trailing separator.
std::string GetAppDataFolder();
// Makes the application-data folder with its parents now (again, when it went
// missing) and says whether it exists; start-up turns a failure into a message.
FolderResult EnsureAppDataFolder();
// Forgets the cached folder so the next call reads the environment again (tests).
void ResetAppDataFolderForTests();

// The running executable's folder with its trailing '/'.
std::string GetExeFolder();

// A read-only resource folder ("zu_frame", "zu_img", "zu_clock", "zu_lyric", "zu_soundfix",
// the toolbar icons "icons") or file (such as "fonts.conf"): LEDSUITE_RESOURCES first, then
// res/ beside the executable, then the installed share folder. Returns the first
// that exists, or the LEDSUITE_RESOURCES/beside-the-executable candidate when none does.
std::string ResourcePath(const std::string& name);

// Where the user's own files go ("$XDG_DATA_HOME/ledsuite/<name>", ~/.local/share
// when unset); the folder chain is made (`name` is a folder) and, when `made` is
// given, what that gave is stored there. Frame tiles and downloaded lyrics live here.
std::string UserDataPath(const std::string& name, FolderResult* made = nullptr);

// Writes `size` bytes to `path` through a temporary file in the same folder and a
// rename, so an existing file is never left half-written. False on any failure
// (the temporary is removed).
bool WriteFileAtomic(const std::string& path, const void* data, size_t size);

// Reads a whole regular file of at most `maxBytes` into `out` (outside files are
// never read unbounded).
enum class ReadFileResult { Ok, Failed, TooLarge };
ReadFileResult ReadFileBytes(const std::string& path, size_t maxBytes, std::vector<uint8_t>& out);

// Up to `limit` bytes of a regular file, read to its end (proc and sysfs files are regular
// but report a size of their own); empty for anything else at the path, without waiting on it.
std::string ReadRegularText(const std::string& path, size_t limit);

}  // namespace ledsuite
