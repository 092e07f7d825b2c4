#include "link/play_schedule.h"

#include <gtest/gtest.h>

#include "content/model/crc16.h"
#include "content/bytes.h"
#include "content/model/lang.h"
#include "content/model/paths.h"
#include "content/sound/ssf_file.h"
#include "link/music_slots.h"
#include "link/udisk_export.h"
#include "link_test_util.h"
#include "tests/content/sound/sound_test_util.h"

using namespace ledsuite;
using namespace ledsuite::testing;

namespace {

ScheduleEntry Entry(int h1, int h2, uint8_t type, uint8_t volume) {
    return {PackTime(h1, 0, 0), PackTime(h2, 30, 0), type, volume};
}

// A slot file: both headers with their CRCs and magics, the title "song", `size` bytes in all.
std::vector<uint8_t> SlotFile(size_t size = 1024) {
    std::vector<uint8_t> b(size, 0);
    std::copy_n("kip", 4, b.begin() + 2);
    const std::u16string title = u"song";
    for (size_t i = 0; i < title.size(); ++i) StoreU16(&b[18 + 2 * i], title[i]);
    StoreU16(&b[0], Crc16Modbus(86, &b[2]));
    std::copy_n("sfh", 4, b.begin() + 258);
    b[262] = 0x23;
    StoreU32(&b[264], 4000);
    StoreU16(&b[256], Crc16Modbus(26, &b[258]));
    return b;
}

std::vector<uint8_t> ReadSlot(const std::string& path) {
    std::vector<uint8_t> bytes;
    ReadFileBytes(path, kMaxMusicSsfBytes, bytes);
    return bytes;
}

}  // namespace

TEST(Playtime, ThreeSlotsMakeATwentySixByteFile) {
    ScheduleTable table{};
    table[0] = Entry(8, 9, 1, 100);
    table[5] = Entry(10, 10, 1, 50);  // start == end: not written
    table[5].end = table[5].start;
    table[6] = Entry(11, 12, 2, kVolumeNotUse);
    table[7] = Entry(12, 13, 0, 10);  // no type: not written
    table[127] = Entry(20, 21, 2, 200);
    const auto entries = SavedEntries(table);
    const auto bytes = BuildPlaytimeFile(entries);
    ASSERT_EQ(bytes.size(), 26u);
    EXPECT_EQ(LoadU16(&bytes[0]), 26);
    EXPECT_EQ(std::string(bytes.begin() + 2, bytes.begin() + 6), std::string("ssh\0", 4));
    EXPECT_EQ(LoadU16(&bytes[6]), 3);
    EXPECT_EQ(LoadU16(&bytes[8]), PackTime(8, 0, 0));
    EXPECT_EQ(LoadU16(&bytes[10]), PackTime(9, 30, 0));
    EXPECT_EQ(bytes[12], 1);
    EXPECT_EQ(bytes[13], 100);
    EXPECT_EQ(bytes[19], 0xFF);
    EXPECT_EQ(bytes[25], 200);

    const auto back = ParsePlaytimeFile(bytes);
    ASSERT_TRUE(back);
    const ScheduleTable shown = ScheduleFromEntries(*back);
    EXPECT_EQ(shown[2].volume, 200);
    EXPECT_EQ(shown[3].type, 0);
    TempDir disk;
    ASSERT_TRUE(SavePlaytimeFile(disk.path.string(), table));
    EXPECT_EQ(LoadPlaytimeFile(disk.path.string())[1].start, PackTime(11, 0, 0));
}

TEST(Playtime, HeadsThatDoNotCheckLoadNothing) {
    const ScheduleEntry two[] = {Entry(1, 2, 1, 0), Entry(3, 4, 2, 0)};
    const auto good = BuildPlaytimeFile(two);
    auto bad = good;
    bad[6] = 1;  // count x 6 != size - 8
    EXPECT_FALSE(ParsePlaytimeFile(bad));
    bad = good;
    bad[0] = 19;  // stored size differs
    EXPECT_FALSE(ParsePlaytimeFile(bad));
    bad = good;
    bad[3] = 'x';
    EXPECT_FALSE(ParsePlaytimeFile(bad));
    EXPECT_FALSE(ParsePlaytimeFile(std::span(good).first(8)));
    std::vector<uint8_t> zero = {8 + 6, 0, 's', 's', 'h', 0, 0, 0, 1, 2, 3, 4, 5, 6};
    EXPECT_FALSE(ParsePlaytimeFile(zero));  // count 0
    // Types other than 1 and 2 are skipped when shown; the others move up.
    const ScheduleEntry mixed[] = {Entry(1, 2, 3, 0), Entry(3, 4, 2, 0)};
    const auto parsed = ParsePlaytimeFile(BuildPlaytimeFile(mixed));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(ScheduleFromEntries(*parsed)[0].type, 2);
    // 200 entries cannot be written; a file of 129 is read as 128.
    std::vector<ScheduleEntry> many(129, Entry(1, 2, 1, 0));
    ByteWriter w;
    w.put_u16(uint16_t(8 + 6 * 129));
    w.put_bytes("ssh", 4);
    w.put_u16(129);
    for (auto& e : many) w.put_u16(e.start), w.put_u16(e.end), w.put_u8(e.type), w.put_u8(e.volume);
    EXPECT_EQ(ParsePlaytimeFile(w.take())->size(), 128u);
}

TEST(Playtime, VolumeShownTheSameInListAndEditor) {
    // Choice k shows 5k and stores 10k; a stored byte shows the choice it falls in.
    EXPECT_EQ(VolumeStoredOf(10), 100);
    EXPECT_EQ(VolumeChoiceOf(100), 10);
    EXPECT_EQ(VolumeChoiceText(VolumeChoiceOf(VolumeStoredOf(10))), u"50");
    EXPECT_EQ(VolumeChoiceText(20), u"100");
    EXPECT_EQ(VolumeChoiceText(0), u"0");
    SetUiLanguage(3);
    EXPECT_EQ(VolumeChoiceText(21), VolumeChoiceText(-1));  // "Not use" both
    EXPECT_NE(VolumeChoiceText(21), u"105");
    EXPECT_EQ(VolumeStoredOf(20), 200);
    EXPECT_EQ(VolumeChoiceOf(255), 21);
    EXPECT_EQ(VolumeStoredOf(21), kVolumeNotUse);
    EXPECT_EQ(VolumeChoiceOf(254), 20);  // above 200: held to the last number
    EXPECT_EQ(VolumeChoiceOf(55), 5);
    for (int k = 0; k < kVolumeChoices; ++k) EXPECT_EQ(VolumeChoiceOf(VolumeStoredOf(k)), k);
    SetUiLanguage(3);
    EXPECT_EQ(ScheduleTypeText(1), u"Background Music");
    EXPECT_EQ(ScheduleTypeText(2), u"Sound Program");
    EXPECT_EQ(ScheduleTypeText(3), u"");
    EXPECT_EQ(ScheduleTypeText(0), u"");
}

// More entries than the table holds: the first 128 of type 1 or 2; a disk that cannot take the
// folder saves nothing; a file of its head alone (or less) loads nothing.
TEST(Playtime, TableBoundsAndFailedSaves) {
    std::vector<ScheduleEntry> many(kScheduleSlots + 2, Entry(1, 2, 1, 0));
    many[0].type = 3;
    many.back() = Entry(5, 6, 2, 0);
    const ScheduleTable table = ScheduleFromEntries(many);
    EXPECT_EQ(table.front().start, PackTime(1, 0, 0));
    EXPECT_EQ(table.back().type, 1);  // the last entry did not fit
    TempDir disk;
    const std::string file = (disk.path / "plain").string();
    ASSERT_TRUE(WriteFileAtomic(file, "x", 1));
    EXPECT_FALSE(SavePlaytimeFile(file, table));
    const ScheduleEntry one[] = {Entry(1, 2, 1, 0)};
    const auto good = BuildPlaytimeFile(one);
    for (size_t n : {size_t(0), size_t(2), size_t(8)}) {
        auto head = std::vector<uint8_t>(good.begin(), good.begin() + long(n));
        if (n >= 2) StoreU16(head.data(), uint16_t(n));
        if (n == 8) StoreU16(&head[6], 0);
        EXPECT_FALSE(ParsePlaytimeFile(head)) << n;
    }
}

TEST(MusicSlots, BothHeadersMustCheck) {
    const auto good = SlotFile();
    const auto slot = ReadMusicSlot(good);
    ASSERT_TRUE(slot);
    EXPECT_EQ(MusicSlotTitle(*slot), u"song");
    EXPECT_EQ(slot->sound[0], 0x23);
    EXPECT_EQ(LoadU32(&slot->sound[2]), 4000u);
    EXPECT_EQ(slot->state, kSlotOnDisk);
    auto bad = good;
    bad[270] ^= 1;  // the second header's CRC no longer checks
    EXPECT_FALSE(ReadMusicSlot(bad));
    bad = good;
    bad[3] = 'x';
    EXPECT_FALSE(ReadMusicSlot(bad));
    EXPECT_FALSE(ReadMusicSlot(SlotFile(512)));
    EXPECT_TRUE(ReadMusicSlot(SlotFile(513)));

    TempDir disk;
    const std::string root = disk.path.string();
    ASSERT_TRUE(MakeFolderPath(MusicFolderPath(root)));
    WriteFileAtomic(MusicSlotPath(root, 0), good.data(), good.size());
    auto broken = good;
    broken[260] = 'x';
    WriteFileAtomic(MusicSlotPath(root, 3), broken.data(), broken.size());
    std::array<MusicSlot, kMusicSlots> slots{};
    slots[5].state = kSlotNewSource;
    slots[5].source = "/chosen.mp3";
    LoadMusicSlots(root, slots);
    EXPECT_EQ(slots[0].state, kSlotOnDisk);
    EXPECT_EQ(slots[3].state, kSlotEmpty);
    EXPECT_EQ(slots[5].source, "/chosen.mp3");  // a new choice is kept
}

TEST(MusicSlots, WavConvertedIntoASlotFile) {
    soundtest::TempFolder dir("music");
    const std::string wav = dir / "tone.wav";  // MP3 sources: the dialog tests
    ASSERT_TRUE(soundtest::MakeToneWav(wav, 44100, 2, 0.3));
    TempDir disk;
    const std::string root = disk.path.string();
    std::array<MusicSlot, kMusicSlots> slots{};
    slots[0] = {wav, {}, {}, kSlotNewSource};
    slots[2] = {"", {}, {}, kSlotNewSource};  // an emptied slot: its file goes
    ASSERT_TRUE(MakeFolderPath(MusicFolderPath(root)));
    WriteFileAtomic(MusicSlotPath(root, 2), "x", 1);
    const MusicSavePlan plan = PlanMusicSave(root, slots);
    EXPECT_TRUE(plan.missing.empty());
    ASSERT_EQ(plan.targets, std::vector<std::string>{MusicSlotPath(root, 0)});
    EXPECT_FALSE(fs::exists(MusicSlotPath(root, 2)));
    EXPECT_EQ(slots[2].state, kSlotEmpty);
    ASSERT_TRUE(ConvertMusicFiles(plan.sources, plan.targets));
    for (auto& s : slots) s.state = kSlotEmpty;
    LoadMusicSlots(root, slots);
    EXPECT_EQ(MusicSlotTitle(slots[0]), u"tone");  // the music's own name
    EXPECT_EQ(slots[0].sound[0], 0x23);  // 16-bit mono 22,050 Hz

    slots[4] = {(dir / "none.wav"), {}, {}, kSlotNewSource};
    EXPECT_EQ(PlanMusicSave(root, slots).missing, dir / "none.wav");
    EXPECT_FALSE(ConvertMusicFile(dir / "none.wav", MusicSlotPath(root, 4)));
    EXPECT_FALSE(ConvertMusicFiles({wav}, {}));
    EXPECT_FALSE(ConvertMusicFiles({dir / "none.wav"}, {MusicSlotPath(root, 4)}));
    // Mode 0: the samples right behind the two headers, the length field their count + 512.
    const std::vector<uint8_t> file = ReadSlot(MusicSlotPath(root, 0));
    ASSERT_GT(file.size(), 512u);
    EXPECT_EQ(std::tuple(LoadU16(&file[276]), LoadU32(&file[14]), LoadU32(&file[272])),
              std::tuple(0, uint32_t(file.size()), 512u));
}

// The slot list reads a slot file up to kMaxMusicSsfBytes, and the conversion writes none larger.
TEST(MusicSlots, WriterAndReaderShareTheLongestSlot) {
    soundtest::TempFolder dir("music");
    const std::string wav = dir / "tone.wav", longWav = dir / "long.wav";
    ASSERT_TRUE(soundtest::MakeToneWav(wav, 22050, 1, 0.1));
    ASSERT_TRUE(soundtest::MakeSilentWavSparse(longWav, uint32_t(kMaxMusicSsfBytes - kSsfHeaderSize + 4)));
    TempDir disk;
    const std::string root = disk.path.string();
    ASSERT_TRUE(MakeFolderPath(MusicFolderPath(root)));
    EXPECT_FALSE(ConvertMusicFile(longWav, MusicSlotPath(root, 1)));
    EXPECT_FALSE(fs::exists(MusicSlotPath(root, 1)));

    ASSERT_TRUE(ConvertMusicFile(wav, MusicSlotPath(root, 0)));
    std::array<MusicSlot, kMusicSlots> slots{};
    for (const uintmax_t size : {uintmax_t(kMaxMusicSsfBytes), uintmax_t(kMaxMusicSsfBytes) + 1}) {
        fs::resize_file(MusicSlotPath(root, 0), size);  // the longest file the conversion can write, and one byte more
        LoadMusicSlots(root, slots);
        EXPECT_EQ(slots[0].state, size == kMaxMusicSsfBytes ? kSlotOnDisk : kSlotEmpty) << size;
    }
}

// Each header must carry its CRC, its magic and the zero after it; a title fills at most its
// 64 bytes; a disk without room for the folder plans nothing.
TEST(MusicSlots, HeadersTitlesAndFolders) {
    for (size_t at : {size_t(2), size_t(5), size_t(258), size_t(261)}) {
        auto b = SlotFile();
        b[at] = 'q';
        StoreU16(&b[0], Crc16Modbus(86, &b[2]));
        StoreU16(&b[256], Crc16Modbus(26, &b[258]));
        EXPECT_FALSE(ReadMusicSlot(b)) << at;
    }
    auto full = SlotFile();
    for (size_t i = 0; i < 32; ++i) StoreU16(&full[18 + 2 * i], uint16_t(u'A' + i % 26));
    StoreU16(&full[0], Crc16Modbus(86, &full[2]));
    const auto slot = ReadMusicSlot(full);
    ASSERT_TRUE(slot);
    EXPECT_EQ(MusicSlotTitle(*slot).size(), 32u);  // up to the sound bytes, none of them
    EXPECT_EQ(MusicSlotPath("/m", 7), "/m/ZIZodo/Music/007.ssf");
    EXPECT_EQ(ThreeDigits(255), "255");
    EXPECT_EQ(ThreeDigits(1234), "1234");

    TempDir disk;
    const std::string file = (disk.path / "plain").string();
    ASSERT_TRUE(WriteFileAtomic(file, "x", 1));
    std::array<MusicSlot, kMusicSlots> slots{};
    slots[19] = {file, {}, {}, kSlotNewSource};
    const MusicSavePlan plan = PlanMusicSave(file, slots);
    EXPECT_TRUE(plan.folderFailed);
    EXPECT_TRUE(plan.sources.empty());
    const std::string root = disk.path.string();
    const MusicSavePlan last = PlanMusicSave(root, slots);
    EXPECT_EQ(last.targets, std::vector<std::string>{MusicSlotPath(root, 19)});
}
