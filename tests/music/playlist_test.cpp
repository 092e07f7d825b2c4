#include <gtest/gtest.h>

#include "content/model/crc16.h"
#include "music/playlist.h"
#include "music_test_util.h"

namespace ledsuite {
namespace {

using testing::MusicTempDir;

// The file's own CRC rule typed out: CRC-16/MODBUS, reflected 0xA001, start 0xFFFF.
uint16_t ModbusByHand(const std::vector<uint8_t>& bytes, size_t from) {
    uint16_t crc = 0xFFFF;
    for (size_t i = from; i < bytes.size(); ++i) {
        crc ^= bytes[i];
        for (int k = 0; k < 8; ++k) crc = (crc & 1) ? uint16_t((crc >> 1) ^ 0xA001) : uint16_t(crc >> 1);
    }
    return crc;
}

uint32_t U16At(const std::vector<uint8_t>& bytes, size_t at) { return bytes[at] | bytes[at + 1] << 8; }

PlaylistEntry Row(const std::u16string& path, uint32_t pause) {
    return {path, 3, pause, 7, PackDailyTime(8, 30, 0), PackDailyTime(22, 15, 59)};
}

TEST(PlaylistFile, EmptyListIs282BytesWithCountZeroAndItsCrc) {
    auto bytes = EncodePlaylistFile({});
    ASSERT_EQ(bytes.size(), 282u);
    ASSERT_TRUE(DecodePlaylistFile(bytes));
    EXPECT_EQ(std::string(bytes.begin() + 4, bytes.begin() + 8), "mfis");
    EXPECT_EQ(U16At(bytes, 0), ModbusByHand(bytes, 2));
    // Two zero words, count 0, then the settings' defaults: height 16, colour 5, move speed 255, centred.
    EXPECT_EQ(std::tuple(U16At(bytes, 2), U16At(bytes, 8), bytes[10], bytes[11], bytes[17], bytes[19]),
              std::tuple(0u, 0u, 16, 5, 255, 1));
}

TEST(PlaylistFile, RowsAndSettingsSitAtTheirOffsetsAndComeBack) {
    PlaylistFile file;
    file.settings.fontHeight = 24;
    file.settings.color = kLrcColorRandom;
    file.settings.loop = 1;
    file.settings.sentencePause = 0x1234;
    file.settings.defaultText = u"你好";
    file.settings.signWidth = 192;
    file.settings.signHeight = 0x2010;
    file.rows = {Row(u"/music/a.mp3", 90), Row(u"/texts/b.txt", 0)};
    auto bytes = EncodePlaylistFile(file);
    ASSERT_EQ(bytes.size(), 282u + 2 * 540);
    // (offset, 16-bit word): the count; the settings at 10 (pause, text "你", sign width and height);
    // the first row at 282 (path, role, pause, rate index, start time as two words).
    const size_t r0 = 282;
    const std::pair<size_t, uint32_t> words[] = {
        {8, 2},        {10 + 10, 0x1234}, {10 + 12, 0x4F60}, {10 + 268, 192},
        {10 + 270, 0x2010}, {r0, '/'},    {r0 + 520, 3},     {r0 + 524, 90},
        {r0 + 522, 0}, {r0 + 528, 7}, {r0 + 532, (8 << 12 | 30 << 6) & 0xFFFF}, {r0 + 534, (8 << 12 | 30 << 6) >> 16}};
    for (auto [at, word] : words) EXPECT_EQ(U16At(bytes, at), word) << "offset " << at;
    auto back = DecodePlaylistFile(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->settings, file.settings);
    EXPECT_EQ(back->rows, file.rows);
}

TEST(PlaylistFile, DamagedFilesLoadNothing) {
    PlaylistFile file;
    file.rows = {Row(u"/music/a.mp3", 1)};
    const auto good = EncodePlaylistFile(file);
    ASSERT_TRUE(DecodePlaylistFile(good));
    for (size_t at : {size_t(2), size_t(5), size_t(8), size_t(100), size_t(282 + 10), good.size() - 1}) {
        auto bad = good;
        bad[at] ^= 0x01;
        EXPECT_FALSE(DecodePlaylistFile(bad)) << "byte " << at;
    }
    // A bad header is refused even when the CRC over it is right: bytes 2-3 not 0, another
    // magic, a count that does not match the size.
    for (size_t at : {size_t(3), size_t(4), size_t(7), size_t(9)}) {
        auto bad = good;
        bad[at] ^= 0x20;
        const uint16_t crc = Crc16Modbus(bad.size() - 2, bad.data() + 2);
        bad[0] = uint8_t(crc), bad[1] = uint8_t(crc >> 8);
        EXPECT_FALSE(DecodePlaylistFile(bad)) << "byte " << at;
    }
    auto longer = good;
    longer.push_back(0);
    EXPECT_FALSE(DecodePlaylistFile(longer));
    EXPECT_FALSE(DecodePlaylistFile(std::span(good.data(), 281)));
}

TEST(PlaylistFile, AsManyRowsAsTheCountHoldsAndNoMore) {
    PlaylistFile file;
    file.rows.assign(kMaxPlaylistRows, Row(u"/a.mp3", 0));
    const auto bytes = EncodePlaylistFile(file);
    ASSERT_EQ(bytes.size(), 282u + 540u * 0xFFFF);
    EXPECT_EQ(U16At(bytes, 8), 0xFFFFu);
    file.rows.push_back(Row(u"/b.mp3", 0));
    EXPECT_TRUE(EncodePlaylistFile(file).empty());  // a count of 65,536 cannot be written
}

TEST(PlaylistFile, UnterminatedFieldsStayInsideTheirRecords) {
    PlaylistFile file;
    file.rows = {Row(std::u16string(300, u'x'), 0)};  // cut to 259 units and a NUL on save
    file.settings.defaultText = std::u16string(200, u'y');
    auto bytes = EncodePlaylistFile(file);
    // Fill both fields to their ends with no NUL and fix the CRC: the load stops at the field's end.
    for (size_t i = 0; i < 260; ++i) bytes[282 + 2 * i] = 'z', bytes[282 + 2 * i + 1] = 0;
    for (size_t i = 0; i < 128; ++i) bytes[22 + 2 * i] = 'w', bytes[22 + 2 * i + 1] = 0;
    const uint16_t crc = Crc16Modbus(bytes.size() - 2, bytes.data() + 2);
    bytes[0] = uint8_t(crc), bytes[1] = uint8_t(crc >> 8);
    auto back = DecodePlaylistFile(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->rows[0].path, std::u16string(260, u'z'));
    EXPECT_EQ(back->rows[0].voiceRole, 3);
    EXPECT_EQ(back->settings.defaultText, std::u16string(128, u'w'));
    EXPECT_EQ(back->settings.signWidth, 0);
}

TEST(PlaylistFile, SaveGoesThroughARenameAndLoadsBack) {
    MusicTempDir dir;
    const std::string path = PlaylistFilePath(dir.path.string());
    EXPECT_EQ(path, dir.file("playlist.dat"));
    PlaylistFile file;
    file.rows = {Row(u"/a.mp3", 5)};
    ASSERT_TRUE(SavePlaylistFile(file, path));
    auto back = LoadPlaylistFile(path);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->rows, file.rows);
    // A failed save (the folder is gone) leaves nothing half-written behind.
    EXPECT_FALSE(SavePlaylistFile(file, dir.file("missing/playlist.dat")));
    EXPECT_FALSE(LoadPlaylistFile(dir.file("missing/playlist.dat")));
}

TEST(PlaylistText, TimesRatesAndRolesAsThePaneShowsThem) {
    for (auto [s, text] : {std::pair{90u, u"00:01:30"}, {3 * 3600 + 4 * 60 + 5u, u"03:04:05"}, {3600u, u"01:00:00"}})
        EXPECT_EQ(FormatSeconds(s), text);
    EXPECT_EQ(FormatPackedTime(PackDailyTime(23, 59, 58)), u"23:59:58");
    EXPECT_EQ(PackDailyTime(1, 2, 3), 4096u + 128 + 3);
    for (auto [index, text] : {std::pair{0u, u"-10"}, {10u, u"0"}, {20u, u"10"}}) EXPECT_EQ(FormatRate(index), text);
    for (auto [text, hms] : {std::pair{u"12:34:56", 123456}, {u"1:02:03", 10203}, {u"23:59:59", 235959}}) {
        auto t = ParseHms(text);
        ASSERT_TRUE(t);
        EXPECT_EQ(t->hour * 10000 + t->minute * 100 + t->second, hms);
    }
    for (auto bad : {u"", u"12:34", u"1:2:3:4", u"1:2:3:", u":1:2", u"1::2", u"1:2:", u"1:2:345", u"001:02:03",
                     u"12:00:60", u"24:00:00", u"aa:bb:cc", u"12:60:00"})
        EXPECT_FALSE(ParseHms(bad));
    // (stored role, voices) -> shown role; with no voices the role is kept, never -1.
    for (auto [role, voices, shown] : {std::tuple{5, 3, 2}, {1, 3, 1}, {3, 1, 0}, {4, 0, 4}})
        EXPECT_EQ(ClampVoiceRole(role, voices), shown) << role << "/" << voices;
}

TEST(LrcDialogChoices, HeightsColoursAndSpeeds) {
    using H = std::vector<uint8_t>;
    const std::pair<uint16_t, H> heights[] = {{0x01, {12, 16}}, {0x02, {12, 16, 24}}, {0x03, {12, 16, 24, 32}},
                                              {0x104, {12, 16, 24, 32, 48}}, {0x105, {12, 16, 24, 32, 48, 64}},
                                              {0x00, {}}, {0x06, {}}, {0x31, {12, 16}}};  // low nibble 1
    for (const auto& [chip, offered] : heights) EXPECT_EQ(LrcHeightChoices(chip), offered) << chip;
    // Items: Monochrome, Red, Green, Yellow, Random, Auto.
    const std::pair<uint8_t, int> colours[] = {{5, 0}, {9, 1}, {10, 2}, {12, 3}, {241, 4}, {240, 5}};
    for (auto [c, item] : colours) {
        EXPECT_EQ(LrcColorItem(c), item) << int(c);
        EXPECT_EQ(LrcColorFromItem(item), c);
    }
    EXPECT_EQ(LrcColorItem(7), 0);
    EXPECT_EQ(LrcColorFromItem(9), 5);
    EXPECT_EQ(LrcColorFromItem(6), 5);
    // "Default", "5", "6", "7", ...: out-of-range speeds are clamped to 5 and 35.
    for (auto [speed, item] : {std::pair{255, 0}, {7, 3}, {2, 1}, {254, 31}}) EXPECT_EQ(MoveSpeedItem(speed), item);
    for (auto [item, speed] : {std::pair{0, 255}, {1, 5}, {3, 7}, {31, 35}}) EXPECT_EQ(MoveSpeedFromItem(item), speed);
}

}  // namespace
}  // namespace ledsuite
