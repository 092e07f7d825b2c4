#include "link/udisk_export.h"

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <fstream>

#include "content/bytes.h"
#include "content/imc_codes.h"
#include "content/model/paths.h"
#include "content/model/text_codec.h"
#include "link_test_util.h"

using namespace ledsuite;
using namespace ledsuite::testing;

namespace {

// An .lcs file of `size` bytes with the header length and image length given.
std::vector<uint8_t> Lcs(size_t size, uint32_t headerLength = 512, uint32_t imageLength = 10, uint8_t fill = 0x33) {
    std::vector<uint8_t> b(size, fill);
    if (size >= 4) StoreU32(b.data(), headerLength);
    if (size >= 516) StoreU32(b.data() + 512, imageLength);
    return b;
}

std::string Put(const fs::path& dir, const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = (dir / name).string();
    EXPECT_TRUE(WriteFileAtomic(path, bytes.data(), bytes.size()));
    return path;
}

std::vector<uint8_t> Read(const std::string& path) {
    std::vector<uint8_t> b;
    ReadFileBytes(path, 1 << 20, b);
    return b;
}

const auto kYes = [] { return true; };

}  // namespace

TEST(UDiskPaths, PrefixesPathsAndSaveCodes) {
    const char* prefixes[] = {"4k", "8k", "20k", "40k", "64k", "128k"};
    for (uint8_t t = 0; t < 6; ++t) EXPECT_EQ(ModelPrefix(t), prefixes[t]);
    EXPECT_FALSE(ModelPrefix(6));
    EXPECT_FALSE(ModelPrefix(255));
    EXPECT_EQ(UDiskProgramPath("/media/stick", "4k", 0), "/media/stick/ZIZodo/4k000.lcs");
    EXPECT_EQ(UDiskProgramPath("/media/stick/", "128k", 255), "/media/stick/ZIZodo/128k255.lcs");
    EXPECT_EQ(UDiskSoundPath("/m"), "/m/ZIZodo/zusound.ssf");
    EXPECT_EQ(UDiskSyncTimePath("/m"), "/m/ZIZodo/syntime.dat");
    for (uint8_t s : {0, 1, 5, 11}) EXPECT_EQ(UDiskSaveCode(s), IMC_FILE_SAVE) << int(s);
    for (uint8_t s : {2, 3, 4}) EXPECT_EQ(UDiskSaveCode(s), IMC_FILE_SAVE_TO) << int(s);
    EXPECT_EQ(WithPath(u"Invalid program file.", "/a/b.lcs"), u"Invalid program file.\r\n/a/b.lcs");
    EXPECT_EQ(WithPath(u"x", ""), u"x");
}

TEST(UDiskExport, ThreeFilesChainedAndOnePointsToItself) {
    TempDir src, disk;
    std::vector<std::string> sources;
    for (int i = 0; i < 3; ++i) sources.push_back(Put(src.path, "p" + std::to_string(i) + ".lcs", Lcs(600, 512, 20, uint8_t(i))));
    UDiskResult r = ExportProgramFiles(disk.path.string(), 0, sources, kYes);
    ASSERT_EQ(r.error, UDiskError::None);
    EXPECT_EQ(r.written, 3u);
    for (int i = 0; i < 3; ++i) {
        const auto b = Read(UDiskProgramPath(disk.path.string(), "4k", i));
        ASSERT_EQ(b.size(), 600u);
        EXPECT_EQ(LoadU16(b.data() + 16), (i + 1) % 3) << i;
        EXPECT_EQ(b[100], uint8_t(i));  // the rest as the source had it
    }
    r = ExportProgramFiles(disk.path.string(), 0, {sources[1]}, kYes);
    ASSERT_EQ(r.error, UDiskError::None);
    EXPECT_EQ(LoadU16(Read(UDiskProgramPath(disk.path.string(), "4k", 0)).data() + 16), 0);
    EXPECT_FALSE(fs::exists(UDiskProgramPath(disk.path.string(), "4k", 1)));  // the old chain is gone
}

TEST(UDiskExport, SizeAndLengthChecks) {
    EXPECT_FALSE(IsValidLcs(Lcs(521)));
    EXPECT_FALSE(IsValidLcs(Lcs(102401)));
    EXPECT_TRUE(IsValidLcs(Lcs(522, 10, 10)));
    EXPECT_TRUE(IsValidLcs(Lcs(102400, 512, 100)));
    EXPECT_FALSE(IsValidLcs(Lcs(600, 513, 10)));        // header longer than 512
    EXPECT_FALSE(IsValidLcs(Lcs(600, 512, 89)));        // image longer than what follows
    EXPECT_TRUE(IsValidLcs(Lcs(600, 512, 88)));
    EXPECT_FALSE(IsValidLcs(Lcs(600, 512, 0xFFFFFFFF)));  // no wrap-around

    TempDir src, disk;
    for (size_t size : {size_t(521), size_t(102401)}) {
        const std::string p = Put(src.path, "bad.lcs", Lcs(size));
        const UDiskResult r = ExportProgramFiles(disk.path.string(), 1, {p}, kYes);
        EXPECT_EQ(r.error, UDiskError::SourceInvalid) << size;
        EXPECT_EQ(r.path, p);
    }
    const UDiskResult ok = ExportProgramFiles(disk.path.string(), 1, {Put(src.path, "ok.lcs", Lcs(522, 10, 10))}, kYes);
    EXPECT_EQ(ok.error, UDiskError::None);
    EXPECT_TRUE(fs::exists(UDiskProgramPath(disk.path.string(), "8k", 0)));
    const UDiskResult missing = ExportProgramFiles(disk.path.string(), 1, {(src.path / "none.lcs").string()}, kYes);
    EXPECT_EQ(missing.error, UDiskError::SourceMissing);
    EXPECT_EQ(missing.written, 0u);
    const UDiskResult folder = ExportProgramFiles(disk.path.string(), 1, {src.path.string()}, kYes);
    EXPECT_EQ(folder.error, UDiskError::SourceUnreadable);  // a folder cannot be read as a file
    EXPECT_EQ(folder.written, 0u);
    EXPECT_EQ(UDiskErrorText(missing.error), u"The program file doesn't exist.");
}

TEST(UDiskExport, NothingOnTheDiskChangesUnlessEverySourceIsGoodAndTheUserAgrees) {
    TempDir src, disk;
    const std::string root = disk.path.string();
    const std::vector<std::string> old = {Put(src.path, "a.lcs", Lcs(600, 512, 10, 0xA0)),
                                          Put(src.path, "b.lcs", Lcs(600, 512, 10, 0xB0))};
    ASSERT_EQ(ExportProgramFiles(root, 2, old, kYes).error, UDiskError::None);
    const auto before0 = Read(UDiskProgramPath(root, "20k", 0)), before1 = Read(UDiskProgramPath(root, "20k", 1));

    // A bad third source: the old files stay; the question is never asked.
    int asked = 0;
    const auto count = [&] { return ++asked, true; };
    std::vector<std::string> fresh = {Put(src.path, "c.lcs", Lcs(600)), Put(src.path, "d.lcs", Lcs(600)),
                                      Put(src.path, "e.lcs", Lcs(100))};
    EXPECT_EQ(ExportProgramFiles(root, 2, fresh, count).error, UDiskError::SourceInvalid);
    EXPECT_EQ(asked, 0);
    // The user declines: untouched.
    fresh.pop_back();
    EXPECT_EQ(ExportProgramFiles(root, 2, fresh, [&] { return ++asked, false; }).error, UDiskError::Declined);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(Read(UDiskProgramPath(root, "20k", 0)), before0);
    EXPECT_EQ(Read(UDiskProgramPath(root, "20k", 1)), before1);
    // Sources read from the disk's own folder survive the deletion of the old files.
    const UDiskResult r = ExportProgramFiles(root, 2, {UDiskProgramPath(root, "20k", 1)}, kYes);
    ASSERT_EQ(r.error, UDiskError::None);
    EXPECT_EQ(Read(UDiskProgramPath(root, "20k", 0))[100], 0xB0);
    EXPECT_FALSE(fs::exists(UDiskProgramPath(root, "20k", 1)));

    EXPECT_EQ(ExportProgramFiles(root, 6, {old[0]}, kYes).error, UDiskError::NoPrefix);
    const UDiskResult tooMany = ExportProgramFiles(root, 2, std::vector<std::string>(257, old[0]), kYes);
    EXPECT_EQ(std::tuple(tooMany.error, tooMany.written), std::tuple(UDiskError::TooManyFiles, 0u));
    EXPECT_EQ(ExportProgramFiles(root, 2, std::vector<std::string>(256, old[0]), kYes).written, 256u);
}

// A 64 KiB disk: a tmpfs of sixteen 4 KiB pages, mounted for the test (root only).
struct SmallDisk {
    TempDir dir;
    std::string root = dir.path.string();
    bool mounted = ::geteuid() == 0 && ::mount("tmpfs", root.c_str(), "tmpfs", 0, "size=64k") == 0;
    ~SmallDisk() {
        if (mounted) ::umount(root.c_str());
    }
    // A file of `size` bytes in the disk's folder; false when the disk is full.
    bool Fill(const std::string& name, size_t size) {
        const std::vector<uint8_t> bytes(size, 0x5A);
        return WriteFileAtomic(UDiskFolderPath(root) + "/" + name, bytes.data(), bytes.size());
    }
    size_t Free() const { return size_t(fs::space(root).available); }
};

TEST(UDiskExport, AFullDiskKeepsTheOldProgramsOrIsLeftClean) {
    SmallDisk disk;
    if (!disk.mounted) GTEST_SKIP() << "a size-limited tmpfs needs root and mount: the full-disk export is not tried";
    TempDir src;
    std::vector<std::string> sources;
    for (int i = 0; i < 3; ++i)
        sources.push_back(Put(src.path, "p" + std::to_string(i) + ".lcs", Lcs(20000, 512, 100, uint8_t(0x10 + i))));
    const std::string& root = disk.root;
    // The old set: two 20 KB programs (ten pages), and a sound file of five pages beside them.
    ASSERT_EQ(ExportProgramFiles(root, 3, {sources[0], sources[1]}, kYes).error, UDiskError::None);
    ASSERT_TRUE(disk.Fill("zusound.ssf", 20000));
    const auto old0 = Read(UDiskProgramPath(root, "40k", 0)), old1 = Read(UDiskProgramPath(root, "40k", 1));

    // Three new programs need fifteen pages; one page is free and the old set frees ten: refused
    // before the question, the old set as it was.
    int asked = 0;
    UDiskResult r = ExportProgramFiles(root, 3, sources, [&] { return ++asked, true; });
    EXPECT_EQ(r.error, UDiskError::NoRoom);
    EXPECT_EQ(std::tuple(r.path, r.written, asked), std::tuple(UDiskFolderPath(root), 0u, 0));
    EXPECT_EQ(UDiskErrorText(r.error), u"Not enough room on the usb disk; nothing was changed.");
    EXPECT_EQ(Read(UDiskProgramPath(root, "40k", 0)), old0);
    EXPECT_EQ(Read(UDiskProgramPath(root, "40k", 1)), old1);

    // Without the sound file they fit (sixteen pages, one to spare)... but another program fills
    // the disk while the question is open: the third write fails and the first two are removed.
    fs::remove(UDiskFolderPath(root) + "/zusound.ssf");
    r = ExportProgramFiles(root, 3, sources, [&] {
        const bool filled = disk.Fill("other.bin", disk.Free());
        EXPECT_TRUE(filled || disk.Free() < 4096);
        return true;
    });
    EXPECT_EQ(r.error, UDiskError::WriteFailedRemoved);
    EXPECT_EQ(r.path, UDiskProgramPath(root, "40k", 2));
    EXPECT_EQ(r.written, 0u);
    EXPECT_EQ(UDiskErrorText(r.error),
              u"Failed to save the programs file. The program files this export wrote were removed.");
    EXPECT_TRUE(ExistingPrograms(root, "40k").empty());  // no chain pointing to a missing file
    for (const auto& e : fs::directory_iterator(UDiskFolderPath(root)))
        EXPECT_EQ(e.path().filename(), "other.bin");  // nor a temporary file left over

    // Room again: the chain is written whole.
    fs::remove(UDiskFolderPath(root) + "/other.bin");
    r = ExportProgramFiles(root, 3, sources, kYes);
    EXPECT_EQ(r.error, UDiskError::None);
    EXPECT_EQ(r.written, 3u);
    EXPECT_EQ(LoadU16(Read(UDiskProgramPath(root, "40k", 2)).data() + 16), 0);
}

// An old program that cannot be deleted (a folder in its place): the export stops there with
// its path, nothing of the new set is written.
TEST(UDiskExport, AnOldProgramThatCannotBeDeletedStopsTheExport) {
    TempDir src, disk;
    const std::string root = disk.path.string();
    ASSERT_TRUE(MakeFolderPath(UDiskProgramPath(root, "64k", 1)));
    const UDiskResult r = ExportProgramFiles(root, 4, {Put(src.path, "a.lcs", Lcs(600))}, kYes);
    EXPECT_EQ(r.error, UDiskError::DeleteFailed);
    EXPECT_EQ(r.path, UDiskProgramPath(root, "64k", 1));
    EXPECT_EQ(r.written, 0u);
    EXPECT_FALSE(fs::exists(UDiskProgramPath(root, "64k", 0)));
    EXPECT_EQ(WithPath(UDiskErrorText(r.error), r.path),
              u"Failed to delete the existing program file.\r\n" + Utf8ToWide(UDiskProgramPath(root, "64k", 1)));
}

// Room in whole blocks, one to spare; what the old files free counts in 512-byte sectors.
TEST(UDiskExport, RoomInBlocksWithTheOldFilesFreed) {
    const std::vector<size_t> sizes{4096, 4097, 1};  // 1 + 2 + 1 blocks, and the spare one
    EXPECT_TRUE(ProgramsFit(5, 4096, 0, sizes));
    EXPECT_FALSE(ProgramsFit(4, 4096, 0, sizes));
    EXPECT_TRUE(ProgramsFit(0, 4096, 40, sizes));   // five blocks freed
    EXPECT_FALSE(ProgramsFit(0, 4096, 39, sizes));
    EXPECT_TRUE(ProgramsFit(4, 4096, 8, sizes));
    const std::vector<size_t> large(99, 4096);   // a hundred blocks with the spare one
    EXPECT_FALSE(ProgramsFit(0, 4096, 799, large));  // 512 bytes each, not a byte more
    EXPECT_TRUE(ProgramsFit(0, 4096, 800, large));
    EXPECT_TRUE(ProgramsFit(7, 1, 0, {3, 3}));
    EXPECT_FALSE(ProgramsFit(6, 1, 0, {3, 3}));
    EXPECT_FALSE(ProgramsFit(100, 0, 0, {1}));  // no block size: nothing is known

    TempDir disk;
    const std::vector<std::vector<uint8_t>> one{std::vector<uint8_t>(1, 0)};
    EXPECT_TRUE(ExportFits(disk.path.string(), one, {}));
    EXPECT_FALSE(ExportFits((disk.path / "missing").string(), one, {}));
}

TEST(UDiskExport, SyncTimeFileHoldsTheCardTime) {
    TempDir disk;
    const CardTime t = CardTime::From({2024, 5, 17, 13, 45, 30, 5});
    ASSERT_TRUE(WriteSyncTimeFile(disk.path.string(), t));
    const auto b = Read(UDiskSyncTimePath(disk.path.string()));
    EXPECT_EQ(b, (std::vector<uint8_t>{0x30, 0x45, 0x13, 0x17, 0x05, 0x05, 0x24, 0x00}));
    const std::string file = Put(disk.path, "plain", {1});
    EXPECT_FALSE(WriteSyncTimeFile(file, t));  // a root that is a file
}
