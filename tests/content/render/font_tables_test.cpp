#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "content/render/font_tables.h"
#include "content/model/text_content.h"

using namespace ledsuite;
using Names = std::vector<std::u16string>;

namespace {

FontNameTable TableOf(std::initializer_list<const char16_t*> names) {
    FontNameTable t;
    for (const char16_t* n : names) t.AddInstalledFace(n, 0);
    return t;
}

Names All(const DefaultFontTable& d) { return {d.names.begin(), d.names.end()}; }

}  // namespace

TEST(FontNameTable, AddInstalledFaceKeepsDistinctStoredNames) {
    FontNameTable t;
    // Empty names and vertical Latin faces are skipped, a vertical CJK face is kept;
    // duplicates are exact and case-sensitive; names keep their first 64 units.
    const std::u16string x64(64, u'x');
    const std::tuple<std::u16string, uint8_t, bool> adds[] = {
        {u"", 0, false},     {u"@Arial", 0, false}, {u"@", 0, false},   {u"@宋体", 134, true},
        {u"宋体", 134, true}, {u"宋体", 0, false},    {u"arial", 0, true}, {u"Arial", 0, true},
        {x64 + u"A", 0, true}, {x64 + u"B", 0, false}};
    for (const auto& [name, charset, stored] : adds)
        EXPECT_EQ(t.AddInstalledFace(name, charset), stored) << std::string(name.begin(), name.end());
    EXPECT_EQ(t.names, (Names{u"@宋体", u"宋体", u"arial", u"Arial", x64}));
    EXPECT_EQ(std::tuple(int(t.charsets[1]), t.IndexOf(u"宋体"), t.IndexContaining(u"ria")), std::tuple(134, 1, 2));

    // The table holds at most 1024 faces.
    for (int i = 0; t.count() < kMaxInstalledFaces; ++i)
        t.AddInstalledFace(u"Face " + std::u16string(1, char16_t(0x4E00 + i)), 0);
    EXPECT_FALSE(t.AddInstalledFace(u"One more", 0));
    EXPECT_EQ(std::pair(t.names.size(), t.charsets.size()),
              std::pair(size_t(kMaxInstalledFaces), size_t(kMaxInstalledFaces)));
}

TEST(FontTableSet, DefaultCardFontsFollowTheInstalledFaces) {
    FontTableSet a;  // "Courier" but no "宋体": still "宋体" first
    a.SetInstalled(TableOf({u"Arial", u"Courier"}));
    EXPECT_TRUE(a.facePresent());
    EXPECT_EQ(a.defaults().count, 0);
    EXPECT_TRUE(a.SetDefaultCardFonts(0));
    EXPECT_EQ(std::pair(int(a.defaults().count), a.defaults().names[0]), std::pair(1, std::u16string(u"宋体")));

    FontTableSet b;  // no face: "Courier New"; 0xFF is a font chip like any other
    b.SetInstalled(TableOf({u"Arial"}));
    EXPECT_TRUE(b.SetDefaultCardFonts(0xFF));
    EXPECT_EQ(All(b.defaults()), (Names{u"Courier New", u"", u"", u""}));

    FontTableSet c;
    c.SetInstalled(TableOf({u"@华文楷体", u"繁体楷体", u"华文楷体", u"宋体", u"方正准圆", u"准圆繁体"}));
    EXPECT_TRUE(c.SetDefaultCardFonts(kFontChipFourFaces));
    EXPECT_EQ(std::pair(int(c.defaults().count), All(c.defaults())),
              std::pair(4, Names{u"宋体", u"黑体", u"华文楷体", u"方正准圆"}));
    // The same chip again changes nothing, even with other faces installed since.
    c.SetInstalled(TableOf({u"Arial"}));
    EXPECT_FALSE(c.SetDefaultCardFonts(kFontChipFourFaces));
    EXPECT_EQ(All(c.defaults()), (Names{u"宋体", u"黑体", u"华文楷体", u"方正准圆"}));

    FontTableSet d;  // 楷体 without 准圆: written, but two counted
    d.SetInstalled(TableOf({u"宋体", u"楷体"}));
    d.SetDefaultCardFonts(kFontChipFourFaces);
    EXPECT_EQ(std::pair(int(d.defaults().count), All(d.defaults())), std::pair(2, Names{u"宋体", u"黑体", u"楷体", u""}));
}

TEST(FontTableSet, IndexLookupsAndTranslation) {
    FontTableSet t;
    t.SetInstalled(TableOf({u"Arial", u"楷体", u"宋体", u"准圆", u"黑体"}));
    t.SetDefaultCardFonts(1);
    EXPECT_EQ(t.DefaultFontIndexOf(u"黑体"), 0);  // a single default entry
    t.SetDefaultCardFonts(kFontChipFourFaces);
    EXPECT_EQ(t.DefaultFontIndexOf(u"黑体"), 1);
    EXPECT_EQ(t.InstalledFontIndexOf(u"Tahoma"), 2);  // none: the index of 宋体
    // Translated by face name; an index past its table's count is entry 0.
    EXPECT_EQ(std::vector<int>({t.InstalledToDefaultIndex(4), t.InstalledToDefaultIndex(999), t.DefaultToInstalledIndex(2),
                                t.DefaultToInstalledIndex(9)}),
              (std::vector<int>{1, 0, 1, 2}));
    FontTableSet none;  // nothing installed
    EXPECT_EQ(std::tuple(none.DefaultFontIndex(), none.InstalledToDefaultIndex(3)), std::tuple(0, 0));
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
    EXPECT_EQ(t.soundFix(), (Names{u"BELL.WAV", u"ding.Mp3", std::u16string(123, u'n') + u".wav", u"铃.wav"}));
    t.ScanSoundFix((dir / "missing").string());
    EXPECT_TRUE(t.soundFix().empty());

    // The user's folder adds its own names after the shipped ones; a name in both is listed once
    // (where the shipped list has it), and a missing shipped folder leaves the user's.
    fs::create_directories(dir / "user");
    for (const char* name : {"zz.wav", "BELL.WAV", "aa.mp3", "bell.wav"}) std::ofstream(dir / "user" / name) << "x";
    t.ScanSoundFix(dir.string(), (dir / "user").string());
    EXPECT_EQ(t.soundFix(), (Names{u"BELL.WAV", u"ding.Mp3", std::u16string(123, u'n') + u".wav", u"铃.wav",
                                   u"aa.mp3", u"bell.wav", u"zz.wav"}));
    t.ScanSoundFix((dir / "missing").string(), (dir / "user").string());
    EXPECT_EQ(t.soundFix(), (Names{u"BELL.WAV", u"aa.mp3", u"bell.wav", u"zz.wav"}));
    fs::remove_all(dir);
}

TEST(FontTables, InstalledFacesComeFromTheFontconfigFile) {
    const FontNameTable t = EnumerateInstalledFaces();
    ASSERT_TRUE(t.count() > 0 && t.count() <= int(kMaxInstalledFaces)) << t.count();
    auto charset = [&](const char16_t* name) { return t.IndexOf(name) < 0 ? -1 : int(t.charsets[t.IndexOf(name)]); };
    for (const char16_t* name : {u"宋体", u"黑体", u"楷体", u"准圆", u"SimSun", u"AR PL UMing CN"})
        EXPECT_EQ(charset(name), kCharsetGb2312);
    for (const char16_t* name : {u"Courier New", u"Courier", u"Liberation Mono"})
        EXPECT_EQ(charset(name), kCharsetDefault);
    EXPECT_GE(t.IndexOf(u"文泉驿正黑"), 0);  // localised family names too
    // Set by set, then by name, each name once.
    for (size_t i = 1; i < t.names.size(); ++i)
        EXPECT_LT(std::make_pair(t.charsets[i - 1], t.names[i - 1]), std::make_pair(t.charsets[i], t.names[i]));

    BuildFontTables();
    SetDefaultCardFonts(kFontChipFourFaces);
    const DefaultFontTable d = DefaultFonts();
    EXPECT_EQ(std::pair(int(d.count), All(d)), std::pair(4, Names{u"宋体", u"黑体", u"楷体", u"准圆"}));
    EXPECT_EQ(std::tuple(InstalledFontName(DefaultFontIndex()), DefaultFontName(3), DefaultFontName(4)),
              std::tuple(std::u16string(u"宋体"), std::u16string(u"准圆"), std::u16string()));
    EXPECT_EQ(DefaultToInstalledIndex(1), InstalledFontIndexOf(u"黑体"));

    // The cells' tables: a default face that no installed face contains goes back to "宋体".
    FontTables lists = MakeFaceLists<FontTables>();
    EXPECT_EQ(lists.installed, InstalledFontTable().names);
    EXPECT_EQ(lists.defaults, (Names{u"宋体", u"黑体", u"楷体", u"准圆"}));
    lists.defaults[3] = u"No such face";
    EXPECT_EQ(lists.installed[lists.DefaultToInstalled(3)], u"宋体");
    EXPECT_FALSE(SoundFixName(1000).has_value());
}
