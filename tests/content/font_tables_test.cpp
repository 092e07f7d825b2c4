#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "content/font_tables.h"
#include "content/text_content.h"

using namespace ledsuite;

namespace {

FontNameTable TableOf(std::initializer_list<const char16_t*> names) {
    FontNameTable t;
    for (const char16_t* n : names) t.AddInstalledFace(n, 0);
    return t;
}

}  // namespace

TEST(FontNameTable, AddInstalledFaceKeepsDistinctStoredNames) {
    FontNameTable t;
    EXPECT_FALSE(t.AddInstalledFace(u"", 0));
    EXPECT_FALSE(t.AddInstalledFace(u"@Arial", 0));  // vertical variant of a Latin face
    EXPECT_FALSE(t.AddInstalledFace(u"@", 0));
    EXPECT_TRUE(t.AddInstalledFace(u"@宋体", 134));  // a vertical CJK face is kept
    EXPECT_TRUE(t.AddInstalledFace(u"宋体", 134));
    EXPECT_FALSE(t.AddInstalledFace(u"宋体", 0));  // exact, case-sensitive duplicate
    EXPECT_TRUE(t.AddInstalledFace(u"arial", 0));
    EXPECT_TRUE(t.AddInstalledFace(u"Arial", 0));

    // Names longer than 64 units keep their first 64; one that differs only after
    // them is the same stored face.
    const std::u16string longA = std::u16string(64, u'x') + u"A", longB = std::u16string(64, u'x') + u"B";
    EXPECT_TRUE(t.AddInstalledFace(longA, 0));
    EXPECT_FALSE(t.AddInstalledFace(longB, 0));
    EXPECT_EQ(t.names.back(), std::u16string(64, u'x'));
    EXPECT_EQ(t.count(), 5);
    EXPECT_EQ(t.charsets[1], 134);
    EXPECT_EQ(t.IndexOf(u"宋体"), 1);
    EXPECT_EQ(t.IndexContaining(u"ria"), 2);

    // The table holds at most 1024 faces.
    for (int i = 0; t.count() < kMaxInstalledFaces; ++i) t.AddInstalledFace(u"Face " + std::u16string(1, char16_t(0x4E00 + i)), 0);
    EXPECT_FALSE(t.AddInstalledFace(u"One more", 0));
    EXPECT_EQ(t.names.size(), kMaxInstalledFaces);
    EXPECT_EQ(t.charsets.size(), kMaxInstalledFaces);
}

TEST(FontTableSet, DefaultCardFontsFollowTheInstalledFaces) {
    FontTableSet a;  // "Courier" but no "宋体": still "宋体" first
    a.SetInstalled(TableOf({u"Arial", u"Courier"}));
    EXPECT_TRUE(a.facePresent());
    EXPECT_EQ(a.defaults().count, 0);
    EXPECT_TRUE(a.SetDefaultCardFonts(0));
    EXPECT_EQ(a.defaults().count, 1);
    EXPECT_EQ(a.defaults().names[0], u"宋体");

    FontTableSet b;
    b.SetInstalled(TableOf({u"Arial"}));
    // 0xFF is a font chip like any other: the first call fills the table.
    EXPECT_TRUE(b.SetDefaultCardFonts(0xFF));
    EXPECT_EQ(b.defaults().names[0], u"Courier New");
    EXPECT_EQ(b.defaults().count, 1);

    FontTableSet c;
    c.SetInstalled(TableOf({u"@华文楷体", u"繁体楷体", u"华文楷体", u"宋体", u"方正准圆", u"准圆繁体"}));
    EXPECT_TRUE(c.SetDefaultCardFonts(kFontChipFourFaces));
    ASSERT_EQ(c.defaults().count, 4);
    EXPECT_EQ(c.defaults().names[0], u"宋体");
    EXPECT_EQ(c.defaults().names[1], u"黑体");
    EXPECT_EQ(c.defaults().names[2], u"华文楷体");
    EXPECT_EQ(c.defaults().names[3], u"方正准圆");
    // The same chip again changes nothing, even with other faces installed since.
    c.SetInstalled(TableOf({u"Arial"}));
    EXPECT_FALSE(c.SetDefaultCardFonts(kFontChipFourFaces));
    EXPECT_EQ(c.defaults().count, 4);
    EXPECT_EQ(c.defaults().names[0], u"宋体");

    FontTableSet d;  // 楷体 without 准圆: written, but two counted
    d.SetInstalled(TableOf({u"宋体", u"楷体"}));
    d.SetDefaultCardFonts(kFontChipFourFaces);
    EXPECT_EQ(d.defaults().count, 2);
    EXPECT_EQ(d.defaults().names[2], u"楷体");
    EXPECT_TRUE(d.defaults().names[3].empty());
}

TEST(FontTableSet, IndexLookupsAndTranslation) {
    FontTableSet t;
    t.SetInstalled(TableOf({u"Arial", u"楷体", u"宋体", u"准圆", u"黑体"}));
    EXPECT_EQ(t.DefaultFontIndex(), 2);
    t.SetDefaultCardFonts(1);
    EXPECT_EQ(t.DefaultFontIndexOf(u"黑体"), 0);  // a single default entry
    t.SetDefaultCardFonts(kFontChipFourFaces);
    EXPECT_EQ(t.DefaultFontIndexOf(u"黑体"), 1);
    EXPECT_EQ(t.DefaultFontIndexOf(u"Arial"), 0);
    EXPECT_EQ(t.InstalledFontIndexOf(u"准圆"), 3);
    EXPECT_EQ(t.InstalledFontIndexOf(u"Tahoma"), 2);  // the default index
    EXPECT_EQ(t.InstalledToDefaultIndex(4), 1);       // 黑体
    EXPECT_EQ(t.InstalledToDefaultIndex(999), 0);     // past the count: entry 0, Arial
    EXPECT_EQ(t.DefaultToInstalledIndex(2), 1);       // 楷体
    EXPECT_EQ(t.DefaultToInstalledIndex(9), 2);       // past the count: 宋体

    FontTableSet none;  // nothing installed
    EXPECT_EQ(none.DefaultFontIndex(), 0);
    EXPECT_EQ(none.InstalledToDefaultIndex(3), 0);
}

TEST(FontTableSet, SoundFixListsWaveAndMp3Files) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("ledsuite_soundfix_" + std::to_string(::getpid()));
    fs::create_directories(dir / "sub.wav");
    for (const std::string& name : std::vector<std::string>{"BELL.WAV", "bell.ogg", "ding.Mp3", "a.wav.txt",
                                                            std::string(123, 'n') + ".wav",  // 127 units
                                                            std::string(124, 'n') + ".wav", "\xE9\x93\x83.wav"})
        std::ofstream(dir / name) << "x";
    FontTableSet t;
    t.ScanSoundFix(dir.string());
    const auto& list = t.soundFix();
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0], u"BELL.WAV");
    EXPECT_EQ(list[1], u"ding.Mp3");
    EXPECT_EQ(list[2].size(), 128u - 1);
    EXPECT_EQ(list[3], u"铃.wav");
    t.ScanSoundFix((dir / "missing").string());
    EXPECT_TRUE(t.soundFix().empty());
    fs::remove_all(dir);
}

TEST(FontTables, InstalledFacesComeFromTheFontconfigFile) {
    const FontNameTable t = EnumerateInstalledFaces();
    ASSERT_GT(t.count(), 0);
    EXPECT_LE(t.count(), kMaxInstalledFaces);
    for (const char16_t* name : {u"宋体", u"黑体", u"楷体", u"准圆", u"SimSun", u"AR PL UMing CN"}) {
        const int i = t.IndexOf(name);
        ASSERT_GE(i, 0);
        EXPECT_EQ(t.charsets[i], kCharsetGb2312);
    }
    for (const char16_t* name : {u"Courier New", u"Courier", u"Liberation Mono"}) {
        const int i = t.IndexOf(name);
        ASSERT_GE(i, 0);
        EXPECT_EQ(t.charsets[i], kCharsetDefault);
    }
    EXPECT_GE(t.IndexOf(u"文泉驿正黑"), 0);  // localised family names too
    // Set by set, then by name, each name once.
    for (size_t i = 1; i < t.names.size(); ++i)
        EXPECT_LT(std::make_pair(t.charsets[i - 1], t.names[i - 1]), std::make_pair(t.charsets[i], t.names[i]));

    BuildFontTables();
    SetDefaultCardFonts(kFontChipFourFaces);
    const DefaultFontTable d = DefaultFonts();
    ASSERT_EQ(d.count, 4);
    EXPECT_EQ(d.names[0], u"宋体");
    EXPECT_EQ(d.names[1], u"黑体");
    EXPECT_EQ(d.names[2], u"楷体");
    EXPECT_EQ(d.names[3], u"准圆");
    EXPECT_EQ(InstalledFontName(DefaultFontIndex()), u"宋体");
    EXPECT_EQ(DefaultFontName(3), u"准圆");
    EXPECT_TRUE(DefaultFontName(4).empty());
    EXPECT_EQ(DefaultToInstalledIndex(1), InstalledFontIndexOf(u"黑体"));

    // The cells' tables: a default face that no installed face contains goes back to "宋体".
    FontTables lists = MakeFaceLists<FontTables>();
    EXPECT_EQ(lists.installed, InstalledFontTable().names);
    EXPECT_EQ(lists.defaults, (std::vector<std::u16string>{u"宋体", u"黑体", u"楷体", u"准圆"}));
    lists.defaults[3] = u"No such face";
    EXPECT_EQ(lists.installed[lists.DefaultToInstalled(3)], u"宋体");
    EXPECT_FALSE(SoundFixName(1000).has_value());
}
