#pragma once
// The removable drives a USB-disk export can write to: mounted volumes whose block
// device is removable or sits on a USB bus, with their labels. The mount point stands
// where a drive letter stood ("<mount>/ZIZodo/..."). LEDSUITE_REMOVABLE_ROOTS
// (colon-separated folders) replaces the list for tests and unusual set-ups.
#include <string>
#include <string_view>
#include <vector>

namespace ledsuite {

struct RemovableDrive {
    std::string root;   // the mount point, no trailing '/'
    std::string label;  // the volume label, may be empty
};

inline constexpr size_t kMaxRemovableDrives = 20;
// The mount table is read up to this many bytes (whole lines); a longer one is cut.
inline constexpr size_t kMaxMountInfoBytes = size_t(4) << 20;
// A sysfs value ("removable") is read up to this many bytes.
inline constexpr size_t kMaxSysfsValueBytes = 64;
// The fields of a mountinfo line before its optional fields and the "-" that ends them.
inline constexpr size_t kMountInfoFixedFields = 6;

// The drives, at most kMaxRemovableDrives: LEDSUITE_REMOVABLE_ROOTS when set (folders
// that exist), else the mounts of `mountInfoPath` whose device `sysfsRoot` shows as
// removable or on USB.
std::vector<RemovableDrive> ListRemovableDrives(const std::string& mountInfoPath = "/proc/self/mountinfo",
                                                const std::string& sysfsRoot = "/sys");
// "<root>/" or "<root>/ [label]".
std::string DriveDisplayName(const RemovableDrive& drive);

// The mount point and source device of each line of a mountinfo text (octal escapes
// such as "\040" decoded).
struct MountEntry {
    std::string mountPoint;
    std::string source;
};
std::vector<MountEntry> ParseMountInfo(std::string_view text);
// The device's name in sysfs's block class ("/dev/sdb1" "sdb1", "/dev/cciss/c0d0" "cciss!c0d0");
// empty for a path outside /dev or one that would leave the class folder.
std::string SysfsBlockName(const std::string& device);
// True when the block device (e.g. "/dev/sdb1") is removable or on USB under `sysfsRoot`
// (its "removable" attribute read as a short regular file).
bool IsRemovableDevice(const std::string& device, const std::string& sysfsRoot);

// A watch on the mount table: the descriptor signals POLLPRI (an exceptional
// condition) when a volume is mounted or unmounted. -1 when it cannot be opened.
int OpenMountWatch(const std::string& mountInfoPath = "/proc/self/mountinfo");
void CloseMountWatch(int fd);
// Waits up to `timeoutMs` for a change and re-arms the watch; true when one came.
bool MountTableChanged(int fd, int timeoutMs);

}  // namespace ledsuite
