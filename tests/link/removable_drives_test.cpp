#include "link/removable_drives.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include "content/model/paths.h"

#include "link_test_util.h"

using namespace ledsuite;
using namespace ledsuite::testing;

namespace {

struct ScopedRoots {
    explicit ScopedRoots(const std::string& v) { setenv("LEDSUITE_REMOVABLE_ROOTS", v.c_str(), 1); }
    ~ScopedRoots() { unsetenv("LEDSUITE_REMOVABLE_ROOTS"); }
};

// class/block/<name> -> a device folder; `removable` written into the disk's folder.
void AddBlock(const fs::path& sys, const std::string& disk, const std::string& part, const std::string& bus,
              const std::string& removable) {
    const fs::path diskDir = sys / "devices" / bus / "block" / disk;
    fs::create_directories(diskDir / part);
    std::ofstream(diskDir / "removable") << removable << "\n";
    fs::create_directories(sys / "class" / "block");
    fs::create_directory_symlink(diskDir / part, sys / "class" / "block" / part);
}

}  // namespace

TEST(RemovableDrives, MountInfoAndDeviceChecks) {
    const std::string text =
        "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
        "90 22 8:17 / /media/u/MY\\040STICK rw,nosuid shared:50 - vfat /dev/sdb1 rw\n"
        "91 22 0:5 / /proc rw - proc proc rw\n"
        "92 22 8:33 / /media/it\\047s\\08x rw - vfat /dev/sdc1 rw\n"
        "broken line\n"
        "93 22 8:34 / \\040m\\181\\811\\040 rw - vfat /dev/sdc2\n"  // escapes first and last; "\\181", "\\811" none
        "94 22 8:35 / /no/source rw - vfat\n";
    const auto m = ParseMountInfo(text);
    ASSERT_EQ(m.size(), 5u);
    EXPECT_EQ(m[4].mountPoint, " m\\181\\811 ");
    EXPECT_EQ(m[4].source, "/dev/sdc2");
    EXPECT_EQ(m[3].mountPoint, "/media/it's\\08x");  // three octal digits only
    EXPECT_EQ(m[1].mountPoint, "/media/u/MY STICK");
    EXPECT_EQ(m[1].source, "/dev/sdb1");

    TempDir sys;
    AddBlock(sys.path, "sda", "sda1", "pci0000:00/ata1", "0");
    AddBlock(sys.path, "sdb", "sdb1", "pci0000:00/usb2/2-1", "0");
    AddBlock(sys.path, "mmcblk0", "mmcblk0p1", "platform/mmc", "1");
    EXPECT_FALSE(IsRemovableDevice("/dev/sda1", sys.path.string()));
    EXPECT_TRUE(IsRemovableDevice("/dev/sdb1", sys.path.string()));       // on USB
    EXPECT_TRUE(IsRemovableDevice("/dev/mmcblk0p1", sys.path.string()));  // marked removable
    EXPECT_FALSE(IsRemovableDevice("proc", sys.path.string()));
    EXPECT_FALSE(IsRemovableDevice("/dev/nothere", sys.path.string()));

    TempDir info;
    std::ofstream(info.path / "mountinfo") << text;
    const auto drives = ListRemovableDrives((info.path / "mountinfo").string(), sys.path.string());
    ASSERT_EQ(drives.size(), 1u);
    EXPECT_EQ(drives[0].root, "/media/u/MY STICK");
}

// Device names that would leave the block class, a "removable" that is not a short regular file,
// and a mount table read from a FIFO or cut at its bound: no drive offered, nothing waits.
TEST(RemovableDrives, OutsideNamesAndOddFilesOfferNothing) {
    EXPECT_EQ(SysfsBlockName("/dev/sdb1"), "sdb1");
    EXPECT_EQ(SysfsBlockName("/dev/cciss/c0d0"), "cciss!c0d0");
    EXPECT_EQ(SysfsBlockName("/dev/../../tmp/x"), "..!..!tmp!x");
    EXPECT_EQ(SysfsBlockName("/dev/.."), "");
    EXPECT_EQ(SysfsBlockName("/dev/"), "");
    EXPECT_EQ(SysfsBlockName("x/dev/sdb1"), "");

    TempDir sys;
    AddBlock(sys.path, "sdd", "sdd1", "platform/mmc", "1 \nmore");
    EXPECT_FALSE(IsRemovableDevice("/dev/sdd1", sys.path.string()));  // "1 " is not "1"
    AddBlock(sys.path, "sdg", "sdg1", "platform/mmc", "");
    const fs::path plain = sys.path / "devices" / "platform/mmc" / "block" / "sdg" / "removable";
    WriteFileAtomic(plain.string(), "1", 1);  // no line end
    EXPECT_TRUE(IsRemovableDevice("/dev/sdg1", sys.path.string()));
    // A FIFO in its place, with a writer that has said "1": not a value, and no wait for one.
    AddBlock(sys.path, "sde", "sde1", "platform/mmc", "1");
    const fs::path removable = sys.path / "devices" / "platform/mmc" / "block" / "sde" / "removable";
    fs::remove(removable);
    ASSERT_EQ(::mkfifo(removable.c_str(), 0600), 0);
    EXPECT_FALSE(IsRemovableDevice("/dev/sde1", sys.path.string()));
    const int writer = ::open(removable.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(::write(writer, "1\n", 2), 2);
    EXPECT_FALSE(IsRemovableDevice("/dev/sde1", sys.path.string()));
    ::close(writer);
    fs::create_directories(sys.path / "class" / "evil");
    std::ofstream(sys.path / "class" / "evil" / "removable") << "1\n";
    EXPECT_FALSE(IsRemovableDevice("/dev/../evil", sys.path.string()));

    const std::string file = (sys.path / "text").string();
    WriteFileAtomic(file, "abcdef", 6);
    EXPECT_EQ(ReadRegularText(file, 1), "a");
    EXPECT_EQ(ReadRegularText(file, 6), "abcdef");
    EXPECT_EQ(ReadRegularText(file, 99), "abcdef");
    EXPECT_EQ(ReadRegularText(sys.path.string(), 99), "");

    AddBlock(sys.path, "sdf", "sdf1", "platform/mmc", "1");
    TempDir info;
    const fs::path table = info.path / "mountinfo";
    ASSERT_EQ(::mkfifo(table.c_str(), 0600), 0);
    EXPECT_TRUE(ListRemovableDrives(table.string(), sys.path.string()).empty());
    fs::remove(table);
    // At the bound the table is cut: its last, cut line is left out even where it would parse.
    const std::string first = "90 22 8:17 / /media/f rw - vfat /dev/sdf1 rw\n";
    const std::string second = "91 22 8:97 / /media/g rw - vfat /dev/sdg1 rw,uid=1000\n";
    std::string text = first;
    text.resize(kMaxMountInfoBytes - second.size() + 6, ' ');
    text.back() = '\n';
    std::ofstream(table) << text << second;
    auto drives = ListRemovableDrives(table.string(), sys.path.string());
    ASSERT_EQ(drives.size(), 1u);
    EXPECT_EQ(drives[0].root, "/media/f");
    // Below the bound a last line without its line end counts.
    std::ofstream(table) << first << second.substr(0, second.size() - 1);
    drives = ListRemovableDrives(table.string(), sys.path.string());
    ASSERT_EQ(drives.size(), 2u);
    EXPECT_EQ(drives[1].root, "/media/g");
}

// Twenty drives at most; a watched table that changes is noticed, a closed watch never.
TEST(RemovableDrives, AtMostTwentyAndTheWatchSeesAMount) {
    TempDir sys, info;
    AddBlock(sys.path, "sdb", "sdb1", "pci0000:00/usb2/2-1", "0");
    std::string text;
    for (int i = 0; i < 21; ++i)
        text += "9" + std::to_string(i) + " 1 8:1 / /m" + std::to_string(i) + " rw - vfat /dev/sdb1 rw\n";
    std::ofstream(info.path / "mountinfo") << text;
    const auto drives = ListRemovableDrives((info.path / "mountinfo").string(), sys.path.string());
    ASSERT_EQ(drives.size(), kMaxRemovableDrives);
    EXPECT_EQ(drives.back().root, "/m19");
    {
        ScopedRoots roots("//");
        ASSERT_EQ(ListRemovableDrives().size(), 1u);
        EXPECT_EQ(ListRemovableDrives()[0].root, "/");
    }
    std::string many = "/";
    for (int i = 0; i < 21; ++i) many += ":/";
    ScopedRoots roots(many);
    EXPECT_EQ(ListRemovableDrives().size(), kMaxRemovableDrives);

    const int closed = OpenMountWatch();
    ASSERT_GE(closed, 0);
    CloseMountWatch(closed);
    EXPECT_FALSE(MountTableChanged(closed, 0));
    if (::geteuid() != 0) GTEST_SKIP() << "mounting a tmpfs needs root: a mount is not watched for";
    const int fd = OpenMountWatch();
    ASSERT_GE(fd, 0);
    MountTableChanged(fd, 0);
    TempDir point;
    if (::mount("tmpfs", point.path.c_str(), "tmpfs", 0, "size=16k") != 0) {
        CloseMountWatch(fd);
        GTEST_SKIP() << "mount failed: a mount is not watched for";
    }
    EXPECT_TRUE(MountTableChanged(fd, 2000));
    ::umount(point.path.c_str());
    EXPECT_TRUE(MountTableChanged(fd, 2000));
    CloseMountWatch(fd);
}

TEST(RemovableDrives, RootsFromTheEnvironmentAndNames) {
    TempDir a, b;
    ScopedRoots roots(a.path.string() + "/:" + (a.path / "missing").string() + ":" + b.path.string());
    const auto drives = ListRemovableDrives("/nonexistent", "/nonexistent");
    ASSERT_EQ(drives.size(), 2u);
    EXPECT_EQ(drives[0].root, a.path.string());
    EXPECT_EQ(drives[1].root, b.path.string());
    EXPECT_EQ(DriveDisplayName({"/media/x", ""}), "/media/x/");
    EXPECT_EQ(DriveDisplayName({"/media/x", "KINGSTON"}), "/media/x/ [KINGSTON]");
}

TEST(RemovableDrives, MountWatchIsQuietWithoutChanges) {
    const int fd = OpenMountWatch();
    ASSERT_GE(fd, 0);
    MountTableChanged(fd, 0);  // a first poll may report the table as new
    // Other programs on the machine may mount meanwhile: one quiet wait of a few is enough.
    bool quiet = false;
    for (int attempt = 0; attempt < 5 && !quiet; ++attempt) quiet = !MountTableChanged(fd, 20);
    EXPECT_TRUE(quiet);
    CloseMountWatch(fd);
    EXPECT_FALSE(MountTableChanged(-1, 0));
    EXPECT_EQ(OpenMountWatch("/no/such/file"), -1);
}
