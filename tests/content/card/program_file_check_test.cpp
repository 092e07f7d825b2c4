// Checks of ".lcs" files before loading, and the Excel import's rows into a tree.
#include "content/card/program_file_check.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <tuple>

#include "content/bytes.h"
#include "content/model/excel_import.h"
#include "content/card/program_file.h"
#include "content/card/program_image.h"
#include "content/card/program_encoder.h"

using namespace ledsuite;

namespace {

std::vector<uint8_t> GoodFile() {
    ProgramTree tree;
    tree.AddProgramSet();
    ProgramRecord& p = *tree.AddProgram(0)->record;
    p.content.cells[0] = TextCell(u'A', CellAttr::Make(16, 0, 1));
    std::vector<uint8_t> image(kImageLimit, 0xFF);
    uint32_t position = 0;
    const int32_t length = BuildProgramImage(image.data(), &position, tree, kImageLimit);
    image.resize(size_t(length));
    return BuildProgramFile(tree.screen(), image);
}

}  // namespace

// The sample workbooks (the source folder comes from the test's environment: the compiler may
// have seen this file under a relative name).
TEST(ProgramFileCheck, RefusesBadHeadersSizesAndImagesAndOnlyWarnsOnTheCrc) {
    const std::vector<uint8_t> good = GoodFile();
    auto check = [](std::vector<uint8_t> bytes) { return CheckProgramFile(bytes); };
    auto with = [&](size_t at, uint8_t value) {
        auto b = good;
        b[at] = value;
        return b;
    };
    EXPECT_EQ(std::tuple(check(good).error, check(good).hasImage, check(good).crcMismatch),
              std::tuple(ProgramFileError::None, true, false));
    EXPECT_EQ(check({good.begin(), good.begin() + 63}).error, ProgramFileError::TooShort);
    const auto screenOnly = check({good.begin(), good.begin() + 64});  // the screen header and nothing else
    EXPECT_EQ(std::pair(screenOnly.error, screenOnly.hasImage), std::pair(ProgramFileError::None, false));
    const auto headerOnly = check({good.begin(), good.begin() + 0x213});
    EXPECT_EQ(std::pair(headerOnly.error, headerOnly.hasImage), std::pair(ProgramFileError::None, false));
    EXPECT_EQ(check(with(0, 65)).error, ProgramFileError::HeaderLength);
    EXPECT_EQ(check(with(61, 0xFF)).error, ProgramFileError::HeaderEndMark);
    EXPECT_EQ(check(with(16, 0x55)).error, ProgramFileError::None);  // the USB-disk export's byte
    EXPECT_EQ(check({good.begin(), good.end() - 1}).error, ProgramFileError::ImageLength);
    auto longer = good;  // sounds behind the image (a USB-disk export): the image is still whole
    longer.insert(longer.end(), {'p', 'd', 'e', 0});
    EXPECT_EQ(std::pair(check(longer).error, check(longer).imageLength),
              std::pair(ProgramFileError::None, uint32_t(good.size() - 0x200)));
    auto tiny = std::vector<uint8_t>(good.begin(), good.begin() + 0x200 + 20);
    StoreU32(tiny.data() + 0x200, 12);
    EXPECT_EQ(check(tiny).error, ProgramFileError::ImageLength);
    EXPECT_EQ(check(with(good.size() - 4, 0)).error, ProgramFileError::ImageEndMark);
    const auto crc = check(with(good.size() - 2, uint8_t(good[good.size() - 2] ^ 0x10)));
    EXPECT_EQ(std::pair(crc.error, crc.crcMismatch), std::pair(ProgramFileError::None, true));
    EXPECT_EQ(check(std::vector<uint8_t>(kMaxProgramFileSize + 1, 0)).error, ProgramFileError::TooLarge);
    // A USB-disk build's file, header, image and 1.2 MB of sounds behind it, opens; an image
    // whose own length passes the largest image does not.
    auto withSounds = good;
    withSounds.resize(1229620, 0x5A);
    EXPECT_EQ(check(withSounds).error, ProgramFileError::None);
    auto huge = withSounds;
    StoreU32(huge.data() + 0x200, uint32_t(kImageLimit + 1));
    EXPECT_EQ(check(huge).error, ProgramFileError::ImageLength);
    // The limits themselves still open: a file of the largest size, an image of the largest
    // length, the shortest image, and a file just long enough to hold an image.
    auto largest = withSounds;
    largest.resize(kMaxProgramFileSize, 0x5A);
    EXPECT_EQ(check(largest).error, ProgramFileError::None);
    StoreU32(largest.data() + 0x200, uint32_t(kImageLimit));
    StoreU16(largest.data() + 0x200 + kImageLimit - 4, kImageEndMark);
    EXPECT_EQ(std::pair(check(largest).error, check(largest).imageLength),
              std::pair(ProgramFileError::None, uint32_t(kImageLimit)));
    for (const uint32_t length : {16u, 20u}) {
        auto shortest = std::vector<uint8_t>(good.begin(), good.begin() + 0x200 + 20);
        StoreU32(shortest.data() + 0x200, length);
        StoreU16(shortest.data() + 0x200 + length - 4, kImageEndMark);
        const auto c = check(shortest);
        EXPECT_EQ(std::tuple(c.error, c.hasImage, c.imageLength), std::tuple(ProgramFileError::None, true, length));
    }
    EXPECT_TRUE(ProgramFileErrorText(ProgramFileError::None).empty());
    EXPECT_FALSE(ProgramFileErrorText(ProgramFileError::HeaderLength).empty());
}

TEST(ExcelImport, RowsBecomeSetsAndProgramsWithinTheirLimits) {
    ExcelSheet sheet;
    sheet.columns = {u"x", u"内容", u"节目集"};
    std::u16string longText;
    for (int i = 0; i < 600; ++i) longText += u"\uE003ab";  // 1800 units, 600 of them field codes
    longText += u'\0';
    sheet.rows = {
        {std::nullopt, longText, u"默认节目"},
        {u"ignored", u"hi\uE030\uE001!", u"Named"},
        {std::nullopt, std::nullopt, std::nullopt},  // no set name: nothing
        {std::nullopt, std::nullopt, u"默认 only a set"},
    };
    ProgramTree tree;
    tree.screen().height = 512;  // its low byte would be 0
    EXPECT_EQ(ImportProgramSets(tree, sheet, 7), 3);
    ASSERT_EQ(tree.sets().size(), 3u);
    EXPECT_EQ(std::tuple(tree.sets()[0].record->playMode, tree.sets()[1].record->playMode,
                         tree.sets()[2].record->playMode, tree.sets()[2].programs.size()),
              std::tuple(0, 5, 0, 0u));
    const TextContent& first = tree.sets()[0].programs[0].record->content;
    EXPECT_EQ(std::tuple(CountCells(first), first.cells[0].code, first.cells[999].code, first.cells[0].attr),
              std::tuple(1000, u'a', u'b', CellAttr::Make(255, 7, 1)));
    const TextContent& second = tree.sets()[1].programs[0].record->content;
    EXPECT_EQ(std::tuple(CountCells(second), second.cells[2].code, tree.sets()[1].programs[0].record->right),
              std::tuple(3, u'!', 128));
    // Without the set column nothing is added; an unreadable file says so.
    ExcelSheet none;
    none.columns = {u"内容"};
    none.rows = {{u"text"}};
    EXPECT_EQ(ImportProgramSets(tree, none, 0), 0);
    ExcelSheet out;
    EXPECT_EQ(ReadExcelSheet("/nonexistent/book.xls", kImportSheet, out), ExcelReadResult::CannotOpen);
}

// The bytes the reading process sends back: read back whole, refused when cut anywhere or when
// they announce more rows or columns than a sheet has (or more cells than bytes).
TEST(ExcelImport, TheReadersBytesComeBackOrAreRefused) {
    ExcelSheet sheet;
    sheet.columns = {u"节目集", u"内容"};
    sheet.rows = {{u"A", std::nullopt}, {std::nullopt, u"x\uE001"}};
    const std::vector<uint8_t> bytes = SerializeExcelSheet(ExcelReadResult::Ok, sheet);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 18),
              (std::vector<uint8_t>{0, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 0x82, 0x82}));
    ExcelSheet back;
    ASSERT_EQ(ParseExcelSheet(bytes, back), ExcelReadResult::Ok);
    EXPECT_EQ(std::tie(back.columns, back.rows), std::tie(sheet.columns, sheet.rows));
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 30, bytes.end()),  // presence byte 1, then the text
              (std::vector<uint8_t>{1, 1, 0, 0, 0, 'A', 0, 0, 0, 1, 2, 0, 0, 0, 'x', 0, 0x01, 0xE0}));
    for (size_t n = 0; n < bytes.size(); ++n) {
        ExcelSheet cut;
        cut.columns = {u"kept"};
        EXPECT_EQ(ParseExcelSheet({bytes.data(), n}, cut), ExcelReadResult::CannotOpen) << n;
        EXPECT_EQ(cut.columns, std::vector<std::u16string>{u"kept"});
    }
    EXPECT_EQ(ParseExcelSheet(SerializeExcelSheet(ExcelReadResult::NoSheet, {}), back), ExcelReadResult::NoSheet);
    std::vector<uint8_t> wide = SerializeExcelSheet(ExcelReadResult::Ok, {});
    StoreU32(&wide[4], kImportMaxColumns + 1);
    EXPECT_EQ(ParseExcelSheet(wide, back), ExcelReadResult::CannotOpen);
    StoreU32(&wide[4], kImportMaxColumns);
    StoreU32(&wide[8], 1);
    wide.resize(wide.size() + kImportMaxColumns * 4 + kImportMaxColumns - 1, 0);  // empty names, one cell short
    EXPECT_EQ(ParseExcelSheet(wide, back), ExcelReadResult::CannotOpen);
    wide.push_back(0);
    EXPECT_EQ(ParseExcelSheet(wide, back), ExcelReadResult::Ok);
    EXPECT_EQ(back.rows.at(0).size(), kImportMaxColumns);
    // Rows without columns take no bytes: as many as a sheet has are read, one more is refused.
    std::vector<uint8_t> tall = SerializeExcelSheet(ExcelReadResult::Ok, {});
    StoreU32(&tall[8], kImportMaxRows);
    EXPECT_EQ(ParseExcelSheet(tall, back), ExcelReadResult::Ok);
    EXPECT_EQ(back.rows.size(), kImportMaxRows);
    StoreU32(&tall[8], kImportMaxRows + 1);
    EXPECT_EQ(ParseExcelSheet(tall, back), ExcelReadResult::CannotOpen);

    // A workbook that crashes the reader library: refused, and this process goes on.
    const std::filesystem::path data =
        std::filesystem::path(LEDSUITE_SOURCE_ROOT) / "tests/content/model/data";
    ASSERT_TRUE(std::filesystem::exists(data / "reader_crash.xls"));
    EXPECT_EQ(ReadExcelSheet(data / "reader_crash.xls", kImportSheet, back), ExcelReadResult::CannotOpen);
}

// A good workbook comes through the reading process cell by cell, an empty cell as none.
TEST(ExcelImport, AWorkbookComesBackFromTheReader) {
    const std::string book =
        (std::filesystem::path(LEDSUITE_SOURCE_ROOT) / "tests/content/model/data/two_sets.xls").string();
    const auto openFiles = [] { return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}); };
    const auto filesBefore = openFiles();
    ExcelSheet sheet;
    ASSERT_EQ(ReadExcelSheet(book, kImportSheet, sheet), ExcelReadResult::Ok);
    EXPECT_EQ(openFiles(), filesBefore);  // the pipe is closed on both ends
    EXPECT_EQ(sheet.columns, (std::vector<std::u16string>{u"节目集", u"内容"}));
    using Row = std::vector<std::optional<std::u16string>>;
    EXPECT_EQ(sheet.rows, (std::vector<Row>{{u"默认节目", u"Hello \uE003 world"}, {u"Other", std::nullopt}}));
    ProgramTree tree;
    EXPECT_EQ(ImportProgramSets(tree, sheet, 0), 2);
    ExcelSheet kept = sheet;
    EXPECT_EQ(ReadExcelSheet(book, "Sheet2", kept), ExcelReadResult::NoSheet);
    EXPECT_EQ(kept.rows, sheet.rows);
}
