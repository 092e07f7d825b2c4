#include <gtest/gtest.h>

#include "content/model/text_codec.h"
#include "music/flyric.h"
#include "music_test_util.h"

namespace ledsuite {
namespace {

using testing::MusicTempDir;

std::string Utf16LeWithMark(std::u16string_view text) {
    std::string out = "\xFF\xFE";
    for (char16_t c : text) out.push_back(char(c & 0xFF)), out.push_back(char(c >> 8));
    return out;
}

// The same lyric written as the three encodings the loader meets.
enum class Enc { Utf16Mark, Utf8, Utf8Mark, Gbk };
std::string Encode(std::u16string_view text, Enc enc) {
    switch (enc) {
        case Enc::Utf16Mark: return Utf16LeWithMark(text);
        case Enc::Utf8: return WideToUtf8(text);
        case Enc::Utf8Mark: return "\xEF\xBB\xBF" + WideToUtf8(text);
        case Enc::Gbk: return WideToAnsi(text, "CP936");
    }
    return {};
}

class FLyricTable : public ::testing::TestWithParam<Enc> {
protected:
    FLyric Load(std::u16string_view text) {
        MusicTempDir dir;
        testing::WriteBytes(dir.file("song.lrc"), Encode(text, GetParam()));
        FLyric lyric;
        EXPECT_TRUE(lyric.Load(dir.file("song.lrc")));
        return lyric;
    }
};

TEST_P(FLyricTable, HeaderTagsAndFractionLengths) {
    FLyric l = Load(u"[ar:周杰伦]\r\n[ti:晴天]\r\n[al:叶惠美]\r\n[by:someone]\r\n[key:k1]\r\n"
                    u"[00:12.5]a\r\n[00:12.50]b\r\n[00:12.500]c\r\n[00:12.5000]d\r\n[01:02]e\n");
    EXPECT_EQ((std::vector{l.ar, l.ti, l.al, l.by, l.key}),
              (std::vector<std::u16string>{u"周杰伦", u"晴天", u"叶惠美", u"someone", u"k1"}));
    const std::vector<LineLyric> expected = {{12000, u"d"}, {12500, u"a"}, {12500, u"b"}, {12500, u"c"}, {62000, u"e"}};
    EXPECT_EQ(l.Lines(), expected);
}

TEST_P(FLyricTable, TwoTagsShareTheirTextAndOffsetMovesEveryLine) {
    FLyric two = Load(u"[00:01.00][00:03.00]Hello\r\n");
    const std::vector<LineLyric> twoLines = {{1000, u"Hello"}, {3000, u"Hello"}};
    EXPECT_EQ(two.Lines(), twoLines);

    FLyric shifted = Load(u"[offset:500]\n[00:01.00]one\n[00:00.20]zero\n");
    EXPECT_EQ(shifted.offset, 500);
    const std::vector<LineLyric> shiftedLines = {{0, u"zero"}, {500, u"one"}};
    EXPECT_EQ(shifted.Lines(), shiftedLines);
}

TEST_P(FLyricTable, OutOfOrderLinesStaySorted) {
    FLyric l = Load(u"[00:10]a\n[00:05]b\n[00:07]c\n[00:20]d\n[00:07]e\n");
    const std::vector<LineLyric> expected = {{5000, u"b"}, {7000, u"c"}, {7000, u"e"}, {10000, u"a"}, {20000, u"d"}};
    EXPECT_EQ(l.Lines(), expected);
    EXPECT_EQ(l.LineAt(0), -1);
    EXPECT_EQ(l.LineAt(5000), 0);
    EXPECT_EQ(l.LineAt(9999), 2);
    EXPECT_EQ(l.LineAt(999999), 4);
}

TEST_P(FLyricTable, ANulEndsOnlyTheLineItStandsIn) {
    using namespace std::string_view_literals;
    FLyric l = Load(u"[00:01]one\r\n[00:02]t\0晴wo\r\n[00:03]三 three\r\n"sv);
    const std::vector<LineLyric> expected = {{1000, u"one"}, {2000, u"t"}, {3000, u"三 three"}};
    EXPECT_EQ(l.Lines(), expected);
}

INSTANTIATE_TEST_SUITE_P(Encodings, FLyricTable, ::testing::Values(Enc::Utf16Mark, Enc::Utf8, Enc::Utf8Mark, Enc::Gbk));

TEST(FLyric, OddTagsAndFilesThatAreNotLyrics) {
    FLyric l;
    // Headers stop after the first timed line; a tag that does not start with a digit is
    // skipped; negative seconds count as 0; a line without "[" is ignored.
    l.LoadBytes("[00:02]x\n[ar:late]\n[xx:1]y\nplain\n[00:-5.1]z\n[00:03");
    EXPECT_EQ(l.ar, u"");
    const std::vector<LineLyric> expected = {{100, u"z"}, {2000, u"x"}};
    EXPECT_EQ(l.Lines(), expected);

    // UTF-16 without its mark reads as 8-bit text, which ends at the first NUL.
    std::string noMark = Utf16LeWithMark(u"[00:01]a\n").substr(2);
    l.LoadBytes(noMark);
    EXPECT_EQ(l.GetLineCount(), 0u);

    ::testing::internal::CaptureStdout();
    EXPECT_FALSE(l.Load("/nonexistent/x.lrc"));
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "FLyric::Load: read file /nonexistent/x.lrc failed!\r\n");
    EXPECT_EQ(l.GetLineCount(), 0u);

    // An empty tag is passed over; a time of 1 ms stays 1 ms (only below 1 becomes 0); only the
    // first 29 characters of a tag are read, so the digits after them do not count.
    l.LoadBytes("[][00:01.00]b\r\n[00:00.001]c\n[00:" + std::string(25, '0') + "1234]d\n");
    EXPECT_EQ(l.Lines(), (std::vector<LineLyric>{{1, u"c"}, {1000, u"b"}, {1000, u"d"}}));
    // A second tag is read within its own brackets; minutes of one digit count, a letter first does not.
    l.LoadBytes("[00:01][00:03.5]e\n[1:02]f\n[a1:02]g\n");
    EXPECT_EQ(l.Lines(), (std::vector<LineLyric>{{1000, u"e"}, {3500, u"e"}, {62000, u"f"}}));
    l.LoadBytes("[5]h\n[12.5]i\n");  // digits without a colon are no time
    EXPECT_EQ(l.GetLineCount(), 0u);
    l.LoadBytes("[offset:+500]\n[00:01.00]a\n");
    EXPECT_EQ(std::pair(l.offset, l.GetLine(0).time), std::pair(500, 500u));

    // A long line is cut; the tag at its start still counts.
    l.LoadBytes("[00:01]" + std::string(2000, 'q') + "\n");
    ASSERT_EQ(l.GetLineCount(), 1u);
    EXPECT_EQ(l.GetLine(0).text.size(), kLyricLineUnits - 7);
}

}  // namespace
}  // namespace ledsuite
