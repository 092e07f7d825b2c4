// What the removable-drive list reads: "/proc/self/mountinfo" and the sysfs "removable"
// attribute of each mounted block device. The input is split at its first 0 byte: the
// mount table before it, the attribute's content after it; both go through files, as the
// list reads them, over a small sysfs tree (a USB disk sdb, an internal disk sda).
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "content/model/paths.h"
#include "link/removable_drives.h"

namespace fs = std::filesystem;

namespace {

struct Tree {
    fs::path root = fs::temp_directory_path() / ("fuzz_removable_drives_" + std::to_string(getpid()));
    fs::path removable = root / "sys/devices/pci0000:00/ata1/block/sda/removable";
    Tree() {
        unsetenv("LEDSUITE_REMOVABLE_ROOTS");
        const fs::path sys = root / "sys";
        fs::create_directories(sys / "class/block");
        fs::create_directories(sys / "devices/pci0000:00/usb2/2-1/block/sdb/sdb1");
        fs::create_directories(sys / "devices/pci0000:00/ata1/block/sda/sda1");
        std::ofstream(sys / "devices/pci0000:00/usb2/2-1/block/sdb/removable") << "1\n";
        fs::create_directory_symlink(sys / "devices/pci0000:00/usb2/2-1/block/sdb/sdb1", sys / "class/block/sdb1");
        fs::create_directory_symlink(sys / "devices/pci0000:00/ata1/block/sda/sda1", sys / "class/block/sda1");
        fs::create_directory_symlink(sys / "devices/pci0000:00/ata1/block/sda", sys / "class/block/sda");
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace ledsuite;
    static const Tree tree;
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    const size_t cut = std::min(all.find('\0'), all.size());
    const std::string_view table = all.substr(0, cut), attribute = all.substr(std::min(cut + 1, all.size()));
    const std::string mountInfo = (tree.root / "mountinfo").string();
    if (!WriteFileAtomic(mountInfo, table.data(), table.size()) ||
        !WriteFileAtomic(tree.removable.string(), attribute.data(), attribute.size()))
        return 0;
    for (const MountEntry& m : ParseMountInfo(table)) {
        (void)SysfsBlockName(m.source);
        (void)IsRemovableDevice(m.source, (tree.root / "sys").string());
    }
    const auto drives = ListRemovableDrives(mountInfo, (tree.root / "sys").string());
    if (drives.size() > kMaxRemovableDrives) __builtin_trap();
    for (const RemovableDrive& d : drives) (void)DriveDisplayName(d);
    return 0;
}
