#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "content/bytes.h"
#include "content/model/clock.h"
#include "content/model/file_names.h"
#include "content/model/lang.h"
#include "content/model/paths.h"
#include "content/model/text_codec.h"

using namespace ledsuite;

TEST(Bytes, WriterStaysInsideItsLimitAndReaderStopsAtTheEnd) {
    uint8_t buf[6] = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
    ByteWriter w(buf, 5);
    auto place = w.reserve(2);
    EXPECT_TRUE(w.put_u16(0x1234));
    EXPECT_FALSE(w.put_u16(0xABCD));  // 4 + 2 > 5
    EXPECT_FALSE(w.put_u8(1));        // once overflowed, nothing more is written
    EXPECT_TRUE(w.overflow() && w.patch(place, 0xBEEF));
    EXPECT_EQ(std::vector<uint8_t>(buf, buf + 6), (std::vector<uint8_t>{0xEF, 0xBE, 0x34, 0x12, 0xEE, 0xEE}));

    const uint8_t data[] = {0x01, 0x02, 0x03};
    ByteReader r(data, sizeof data);
    EXPECT_EQ(r.u16(), 0x0201);
    EXPECT_EQ(r.u32(), 0u);  // only one byte left
    EXPECT_EQ(r.u8(), 0);    // stays failed
    EXPECT_TRUE(r.failed());
    ByteReader be(data, sizeof data);
    EXPECT_EQ(be.u16be(), 0x0102);
    EXPECT_FALSE(be.skip(2));
}

TEST(Codec, GbkAndBig5RoundTrip) {
    const std::u16string text = u"中文 LED 顯示屏";
    std::string gbk = WideToAnsi(text, "CP936");
    EXPECT_EQ(AnsiToWide(gbk, "CP936"), text);
    std::string big5 = WideToAnsi(u"顯示屏", "BIG5");
    EXPECT_EQ(std::pair(big5.size(), AnsiToWide(big5, "BIG5")), std::pair(size_t(6), std::u16string(u"顯示屏")));
    // A character the code page cannot hold becomes '?'.
    EXPECT_EQ(WideToAnsi(u"a\u0E01b", "CP936"), "a?b");
    // The card's private-use field codes take code page 936's user-defined rows both ways.
    EXPECT_EQ(WideToAnsi(u"\uE029\uE000\uE234\uE4C6\uE765", "CP936"),
              "\xAA\xCA\xAA\xA1\xF8\xA1\xA1\x40\xA7\xA0");
    EXPECT_EQ(AnsiToWide("\xAA\xCA\xAA\xA1\xF8\xA1\xA1\x40\xA7\xA0", "CP936"), u"\uE029\uE000\uE234\uE4C6\uE765");
    EXPECT_EQ(WideToAnsi(u"\uE029", "BIG5"), "?");
    // glibc's CP949 converter reports this bad pair after consuming both bytes.
    EXPECT_EQ(AnsiToWide("\xA2\xE8", "CP949"), u"\uFFFD");

    // A fixed destination never splits a double-byte character and is always terminated.
    char dest[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(WideToAnsi(u"A中文", dest, sizeof dest), 3u);  // "A" + 2 bytes fit, the third character does not
    char tiny[2];
    EXPECT_EQ(WideToAnsi(u"中", tiny, sizeof tiny), 0u);
    EXPECT_EQ(std::pair(dest[3], tiny[0]), std::pair('\0', '\0'));
}

TEST(Codec, Utf8AndFields) {
    EXPECT_EQ(Utf8ToWide("a\xE4\xB8\xAD\xF0\x9F\x98\x80"), u"a中\U0001F600");
    EXPECT_EQ(WideToUtf8(u"a中\U0001F600"), "a\xE4\xB8\xAD\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf8ToWide("\xFF" "a"), u"\uFFFDa");
    char16_t field[4];
    U16ToField(field, 4, u"abcdef");
    EXPECT_EQ(U16FromField(field, 4), u"abc");
    U16ToField(field, 3, u"a\U0001F600");  // would split the pair: cut before it
    EXPECT_EQ(U16FromField(field, 3), u"a");
}

TEST(TextHelpers, TxtExtension) {
    EXPECT_TRUE(HasTxtExtension(u"a.txt") && HasTxtExtension(u"song.TxT"));
    EXPECT_FALSE(HasTxtExtension(u".TX") || HasTxtExtension(u"atxt") || HasTxtExtension(nullptr));
}

TEST(Language, SettingAndSystemLanguage) {
    ResetUiLanguageForTests();
    SetUiLanguageEnvForTests(
        [](const char* n) -> const char* { return std::string_view(n) == "LANG" ? "de_DE.UTF-8" : nullptr; });
    SetUiLanguage(0);
    EXPECT_EQ(UiLanguageIndex(), 2u);  // unmapped language keeps the index
    SetUiLanguage(7);                  // no such choice: Simplified Chinese
    EXPECT_EQ(std::make_pair(UiLanguageIndex(), UiLanguageSetting()), std::make_pair(0u, 1u));
    SetUiLanguageEnvForTests(
        [](const char* n) -> const char* { return std::string_view(n) == "LC_ALL" ? "zh_HK.UTF-8" : nullptr; });
    SetUiLanguage(0);
    EXPECT_EQ(UiLanguageIndex(), 1u);
    SetUiLanguageEnvForTests(
        [](const char* n) -> const char* { return std::string_view(n) == "LANGUAGE" ? "zh_CN:en" : "C"; });
    SetUiLanguage(0);
    EXPECT_EQ(UiLanguageIndex(), 0u);
    // English locales are 0x409; nothing set at all is no language.
    EXPECT_EQ(SystemUiLanguageId([](const char* n) -> const char* {
                  return std::string_view(n) == "LC_MESSAGES" ? "en_GB.UTF-8" : nullptr;
              }),
              0x409);
    EXPECT_EQ(SystemUiLanguageId([](const char*) -> const char* { return nullptr; }), 0);
    // A Japanese system is 0x411 and gets English, whatever the index was.
    static const char* japanese;
    const auto lang = [](const char* n) -> const char* { return std::string_view(n) == "LANG" ? japanese : nullptr; };
    for (const char* ja : {"ja_JP.UTF-8", "ja"}) {
        japanese = ja;
        EXPECT_EQ(SystemUiLanguageId(lang), 0x411) << ja;
        SetUiLanguage(1);
        SetUiLanguageEnvForTests(lang);
        SetUiLanguage(0);
        EXPECT_EQ(std::make_pair(UiLanguageIndex(), UiLanguageSetting()), std::make_pair(2u, 0u)) << ja;
    }
    SetUiLanguage(3);
    static const LangText row{{u"确定", u"確定", u"OK"}};
    EXPECT_EQ(std::u16string(row()), u"OK");
    SetUiLanguageEnvForTests(nullptr);
    ResetUiLanguageForTests();
}

TEST(DateWords, PackAndFormat) {
    EXPECT_EQ(PackTime(23, 59, 58), 0xBF7D);
    EXPECT_EQ(FormatDosTime(0xBF7D), "23:59:58");
    EXPECT_EQ(FormatDosTime(0x7FFF), "15:63:62");
    ScopedClockOverride clock(LocalTime{2029, 4, 15, 10, 0, 0, 0, 0});
    EXPECT_EQ(TodayPackedDate(), 0x3A8F);
}

TEST(Paths, AtomicWriteKeepsTheOldFileOnFailure) {
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / ("ledsuite-paths-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    ASSERT_TRUE(WriteFileAtomic((dir / "a.dat").string(), "old", 3));
    EXPECT_FALSE(WriteFileAtomic((dir / "missing" / "a.dat").string(), "new", 3));
    std::string s;
    std::ifstream(dir / "a.dat") >> s;
    EXPECT_EQ(s, "old");
    fs::remove_all(dir);
}

// Names that are not UTF-8 read as Latin-1 and lead back to their file; a name is found by its
// UTF-8 bytes first; names that would leave the folder or cut its path find nothing.
TEST(Paths, FileNamesReadAndFoundWhateverTheirBytes) {
    namespace fs = std::filesystem;
    EXPECT_EQ(FileNameText("b\xE9ll.wav"), u"b\u00E9ll.wav");
    EXPECT_EQ(FileNameText("b\xC3\xA9ll.wav"), u"b\u00E9ll.wav");
    EXPECT_EQ(FileNameText("\xED\xA0\x80"), u"\u00ED\u00A0\u0080");  // an encoded surrogate is no UTF-8
    const fs::path dir = fs::temp_directory_path() / ("ledsuite-names-" + std::to_string(::getpid()));
    fs::create_directories(dir / "sub");
    for (const char* name : {"caf\xE9", "caf\xC3\xA9", "l\xE9", "a", "sub/b"}) std::ofstream(dir / name) << "x";
    fs::create_directories(dir / "fold\xE9r");
    const std::string folder = dir.string();
    const std::pair<std::u16string, std::string> cases[] = {
        {u"caf\u00E9", "/caf\xC3\xA9"}, {u"l\u00E9", "/l\xE9"}, {u"a", "/a"}, {u"fold\u00E9r", ""},
        {u"", ""}, {u"sub/b", ""}, {u"..\\a", ""}, {std::u16string(u"a\0b", 3), ""}, {u"A", ""}};
    for (const auto& [name, found] : cases)
        EXPECT_EQ(FindFileNamed(folder, name).value_or(""), found.empty() ? "" : folder + found) << found;
    std::vector<std::u16string> names;
    for (const FolderFile& f : FilesIn(folder)) names.push_back(f.name);
    EXPECT_EQ(names, (std::vector<std::u16string>{u"a", u"caf\u00E9", u"caf\u00E9", u"l\u00E9"}));
    EXPECT_TRUE(FilesIn(folder + "/missing").empty());
    fs::remove_all(dir);
}
