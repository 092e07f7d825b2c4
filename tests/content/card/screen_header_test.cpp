#include "content/card/screen_header.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "content/card/program_file.h"
#include "content/model/crc16.h"
#include "content/card/program_encoder.h"

namespace ledsuite {
namespace {

uint32_t Entry(uint16_t time, uint8_t level) { return time | uint32_t(level) << 16; }

HardwareParams SampleScreen() {
    HardwareParams hw;
    hw.width = 320, hw.height = 512, hw.colorCode = 17, hw.dataFlow = 7, hw.outputFlags = 5;
    hw.columnOrder = 3, hw.rowOrder = 2, hw.cardId = 0x1234, hw.brightness = 200, hw.baudIndex = 6;
    hw.fileSystem = 3, hw.pageSize = 7, hw.fontChip = 0x103, hw.refresh = 4;
    hw.switchOnTime = 0x4000, hw.switchOffTime = 0xC001;
    hw.timedBrightness = {Entry(0x6000, 5), Entry(0x3000, 6), Entry(0x9000, 7), Entry(0xC000, 8)};
    return hw;
}

TEST(ScreenHeader, WritesTheCardFieldsWithOrderedBrightnessEntries) {
    std::vector<uint8_t> block = BuildHardwareParamBlock(SampleScreen());
    ASSERT_EQ(block.size(), 1024u);
    const std::vector<uint8_t> expected = {
        0x40, 0, 0, 0, 0, 0, 0x40, 0x01, 0x00, 0x02, 17, 7, 5, 0x23, 0, 0,   // 512 high: 00 02
        0x34, 0x12, 200, 0, 6, 0xFF, 3, 0, 0x03, 0x01, 0xFF, 0xFF, 4, 0xFF, 0xFF, 0xFF,  // page size 7 -> 0
        0x00, 0x40, 0x01, 0xC0,                                                 // switch times as stored
        0x00, 0x30, 6, 0x00, 0x60, 5, 0x00, 0x90, 7};                          // 0xC000 left out
    std::vector<uint8_t> all = expected;
    all.resize(61, 0xFF);  // unused entries and byte 60, then the end mark 0 and the CRC
    all.push_back(0);
    EXPECT_EQ(std::vector<uint8_t>(block.begin(), block.begin() + 62), all);
    EXPECT_EQ(LoadU16(&block[62]), Crc16Modbus(62, block.data()));
    EXPECT_TRUE(std::all_of(block.begin() + 64, block.end(), [](uint8_t b) { return b == 0xFF; }));

    std::array<uint8_t, 63> small{};
    EXPECT_EQ(BuildProgramHeader(SampleScreen(), small), -1);
    EXPECT_TRUE(std::all_of(small.begin(), small.end(), [](uint8_t b) { return b == 0; }));
}

TEST(ScreenHeader, LeavesOutUnsetAndDarkEntries) {
    HardwareParams hw;
    hw.timedBrightness = {Entry(0xC000, 1), Entry(0xFFFF, 2), Entry(0x2000, 0), Entry(0xC100, 3)};
    ScreenHeader h;
    ASSERT_EQ(BuildProgramHeader(hw, h), 64);
    for (size_t i = 36; i < 60; ++i) EXPECT_EQ(h[i], 0xFF) << i;
}

TEST(ScreenHeader, ReadsBackTheFieldsAndTheBrightnessScheduleOnly) {
    ScreenHeader h;
    BuildProgramHeader(SampleScreen(), h);
    HardwareParams hw;  // fields the header does not carry keep their values
    hw.cardType = 1, hw.cardSubtype = 2, hw.comIndex = 3, hw.language = 2, hw.soundMode = 1;
    HardwareParams expected = SampleScreen();
    expected.cardType = 1, expected.cardSubtype = 2, expected.comIndex = 3, expected.language = 2;
    expected.soundMode = 1, expected.pageSize = 0, expected.switchOffTime = 0;  // 0xC001 reads as 0
    expected.timedBrightness = {Entry(0x3000, 6), Entry(0x6000, 5), Entry(0x9000, 7), 0};
    ASSERT_EQ(ParseProgramHeader(h, hw), 0);
    EXPECT_EQ(SerializeHardwareParams(hw), SerializeHardwareParams(expected));
}

TEST(ScreenHeader, LoadScreenHeaderNeedsByte35AndIgnoresTheChecksum) {
    ScreenHeader h;
    BuildProgramHeader(SampleScreen(), h);
    ProgramTree tree;
    EXPECT_EQ(LoadScreenHeader(tree, std::span(h).first(35)), -1);
    EXPECT_EQ(tree.screen().width, HardwareParams{}.width);

    h[16] = 7;  // what the USB-disk export does to copied files: byte 16 changes, the CRC stays
    EXPECT_EQ(LoadScreenHeader(tree, std::span(h).first(36)), 0);
    EXPECT_EQ(tree.screen().cardId, 0x1207);
    EXPECT_EQ(tree.screen().timedBrightness[0], 0u);  // not within the 36 bytes
}

// ---- ".lcs" files ---------------------------------------------------------------------

// An image of `size` bytes (at least 18) holding one program set without programs.
std::vector<uint8_t> EmptySetImage(size_t size) {
    std::vector<uint8_t> image(size, 0xFF);
    StoreU32(image.data(), uint32_t(size));
    StoreU16(&image[4], 14), StoreU16(&image[6], 0), StoreU32(&image[8], 0), StoreU16(&image[12], 0);
    StoreU32(&image[14], 0);
    return image;
}

TEST(ProgramFile, LoadsTheImageFrom0x214Bytes) {
    for (size_t fileSize : {0x213, 0x214}) {
        std::vector<uint8_t> file = BuildProgramFile(SampleScreen(), EmptySetImage(fileSize - 0x200));
        ASSERT_EQ(file.size(), fileSize);
        ProgramTree tree;
        LoadProgramFile(tree, file);
        EXPECT_EQ(tree.screen().width, 320);
        EXPECT_EQ(tree.sets().size(), fileSize == 0x214 ? 1u : 0u);
    }
}

TEST(ProgramFile, SavesAtomicallyAndOpensAgain) {
    const auto dir = std::filesystem::temp_directory_path() / ("lcs_test_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "a.lcs").string();
    ProgramTree tree(SampleScreen());
    EXPECT_EQ(SaveProgramFile(path, tree), kEncodeNoSet);  // nothing to encode: nothing written
    EXPECT_FALSE(std::filesystem::exists(path));
    tree.screen().fontChip = 1, tree.screen().fileSystem = 1;
    tree.AddProgramSet();
    tree.AddProgram(0)->record->content.cells[0] = TextCell(u'A', CellAttr::Make(16, 0, 1));
    ASSERT_EQ(SaveProgramFile(path, tree), 0);

    ProgramTree opened;
    EXPECT_EQ(OpenProgramFile(path, opened), 0);
    ASSERT_EQ(opened.sets().size(), 1u);
    EXPECT_EQ(std::pair(opened.screen().height, opened.program(0, 0)->record->content.cells[0].code),
              std::pair(uint16_t(512), u'A'));
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> file{std::istreambuf_iterator<char>(in), {}};
    ASSERT_GT(file.size(), 0x204u);
    EXPECT_EQ(file.size(), 0x200 + LoadU32(&file[0x200]));  // header area, then the image of length L
    EXPECT_EQ(LoadU32(file.data()), 64u);
    EXPECT_EQ(OpenProgramFile((dir / "missing.lcs").string(), opened), -1);
    EXPECT_EQ(SaveProgramFile((dir / "no" / "b.lcs").string(), tree), kProgramFileNotWritten);
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace ledsuite
