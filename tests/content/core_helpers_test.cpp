#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "content/bytes.h"
#include "content/clock.h"
#include "content/lang.h"
#include "content/paths.h"
#include "content/text_codec.h"

using namespace ledsuite;

TEST(ByteWriter, StaysInsideItsLimitAndPatchesPlaces) {
    uint8_t buf[6] = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
    ByteWriter w(buf, 5);
    auto place = w.reserve(2);
    EXPECT_TRUE(w.put_u16(0x1234));
    EXPECT_FALSE(w.put_u16(0xABCD));  // 4 + 2 > 5
    EXPECT_TRUE(w.overflow());
    EXPECT_FALSE(w.put_u8(1));        // once overflowed, nothing more is written
    EXPECT_TRUE(w.patch(place, 0xBEEF));
    EXPECT_EQ(w.size(), 4u);
    EXPECT_EQ(buf[0], 0xEF);
    EXPECT_EQ(buf[1], 0xBE);
    EXPECT_EQ(buf[2], 0x34);
    EXPECT_EQ(buf[3], 0x12);
    EXPECT_EQ(buf[4], 0xEE);
    EXPECT_EQ(buf[5], 0xEE);
}

TEST(ByteReader, StopsCleanlyAtTheEnd) {
    const uint8_t data[] = {0x01, 0x02, 0x03};
    ByteReader r(data, sizeof data);
    EXPECT_EQ(r.u16(), 0x0201);
    EXPECT_EQ(r.u32(), 0u);  // only one byte left
    EXPECT_TRUE(r.failed());
    EXPECT_EQ(r.u8(), 0);    // stays failed
    ByteReader be(data, sizeof data);
    EXPECT_EQ(be.u16be(), 0x0102);
    EXPECT_FALSE(be.skip(2));
}

TEST(Codec, GbkAndBig5RoundTrip) {
    const std::u16string text = u"中文 LED 顯示屏";
    std::string gbk = WideToAnsi(text, "CP936");
    EXPECT_EQ(AnsiToWide(gbk, "CP936"), text);
    std::string big5 = WideToAnsi(u"顯示屏", "BIG5");
    EXPECT_EQ(big5.size(), 6u);
    EXPECT_EQ(AnsiToWide(big5, "BIG5"), u"顯示屏");
    // A character the code page cannot hold becomes '?'.
    EXPECT_EQ(WideToAnsi(u"a\u0E01b", "CP936"), "a?b");
    // The card's private-use field codes take code page 936's user-defined rows both ways.
    EXPECT_EQ(WideToAnsi(u"\uE029\uE000\uE234\uE4C6\uE765", "CP936"),
              "\xAA\xCA\xAA\xA1\xF8\xA1\xA1\x40\xA7\xA0");
    EXPECT_EQ(AnsiToWide("\xAA\xCA\xAA\xA1\xF8\xA1\xA1\x40\xA7\xA0", "CP936"), u"\uE029\uE000\uE234\uE4C6\uE765");
    EXPECT_EQ(WideToAnsi(u"\uE029", "BIG5"), "?");
}

TEST(Codec, FixedDestinationNeverSplitsADoubleByteCharacter) {
    char dest[4];
    std::memset(dest, 'x', sizeof dest);
    size_t n = WideToAnsi(u"A中文", dest, sizeof dest);  // "A" + 2 bytes fit, the third char does not
    EXPECT_EQ(n, 3u);
    EXPECT_EQ(dest[3], '\0');
    char tiny[2];
    EXPECT_EQ(WideToAnsi(u"中", tiny, sizeof tiny), 0u);
    EXPECT_EQ(tiny[0], '\0');
}

TEST(Codec, Utf8AndFields) {
    EXPECT_EQ(Utf8ToWide("a\xE4\xB8\xAD\xF0\x9F\x98\x80"), u"a中\U0001F600");
    EXPECT_EQ(WideToUtf8(u"a中\U0001F600"), "a\xE4\xB8\xAD\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf8ToWide("\xFF" "a"), u"\uFFFDa");
    EXPECT_TRUE(Utf8ToWideAlloc("").empty());
    char16_t field[4];
    U16ToField(field, 4, u"abcdef");
    EXPECT_EQ(U16FromField(field, 4), u"abc");
    U16ToField(field, 3, u"a\U0001F600");  // would split the pair: cut before it
    EXPECT_EQ(U16FromField(field, 3), u"a");
}

TEST(Numbers, IgnoreTheProcessLocale) {
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = old ? old : "C";
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");  // may not exist; the result must not depend on it
    EXPECT_EQ(FormatDoubleStatic(1.5f), u"1.500000");
    EXPECT_EQ(FormatIntStatic(-42), u"-42");
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(TextHelpers, TxtExtension) {
    EXPECT_TRUE(HasTxtExtension(u"a.txt"));
    EXPECT_TRUE(HasTxtExtension(u"song.TxT"));
    EXPECT_FALSE(HasTxtExtension(u".TX"));
    EXPECT_FALSE(HasTxtExtension(u"atxt"));
    EXPECT_FALSE(HasTxtExtension(nullptr));
}

TEST(Language, SettingAndSystemLanguage) {
    ResetUiLanguageForTests();
    SetUiLanguageEnvForTests([](const char* n) -> const char* {
        return std::string_view(n) == "LANG" ? "de_DE.UTF-8" : nullptr;
    });
    SetUiLanguage(0);
    EXPECT_EQ(UiLanguageIndex(), 2u);  // unmapped language keeps the index
    SetUiLanguage(7);
    EXPECT_EQ(UiLanguageIndex(), 0u);
    EXPECT_EQ(UiLanguageSetting(), 1u);
    SetUiLanguageEnvForTests([](const char* n) -> const char* {
        return std::string_view(n) == "LC_ALL" ? "zh_HK.UTF-8" : nullptr;
    });
    SetUiLanguage(0);
    EXPECT_EQ(UiLanguageIndex(), 1u);
    SetUiLanguageEnvForTests([](const char* n) -> const char* {
        return std::string_view(n) == "LANGUAGE" ? "zh_CN:en" : "C";
    });
    SetUiLanguage(0);
    EXPECT_EQ(UiLanguageIndex(), 0u);
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
    std::string file = (dir / "a.dat").string();
    ASSERT_TRUE(WriteFileAtomic(file, "old", 3));
    EXPECT_FALSE(WriteFileAtomic((dir / "missing" / "a.dat").string(), "new", 3));
    std::ifstream in(file);
    std::string s;
    in >> s;
    EXPECT_EQ(s, "old");
    fs::remove_all(dir);
}
