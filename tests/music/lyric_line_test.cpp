#include <gtest/gtest.h>

#include <set>

#include "music/lyric_line.h"

namespace ledsuite {
namespace {

LrcSettings Sign(uint16_t width, uint16_t height) {
    LrcSettings s;
    s.screenColorMode = 5;
    s.signWidth = width;
    s.signHeight = height;
    return s;
}

std::vector<uint8_t> WithXor(std::vector<uint8_t> body) {
    uint8_t x = 0;
    for (size_t i = 1; i < body.size(); ++i) x ^= body[i];
    body[0] = x;
    return body;
}

TEST(LyricLineFrame, GoldenBytesForBothProtocols) {
    LrcSettings s = Sign(192, 32);
    LyricFrameState state;
    // "Ab中": 8 + 8 + 16 = 32 px on a 192 x 32 sign: x = 80, width sent 202, y = 8.
    auto plain = LyricLineFrame::Build(u"Ab\t中\r\n", s, 1, state);
    const std::vector<uint8_t> head = {'V', 'U', 'Z', 'U', 'Z', 'E', 0x00, 0x20};
    EXPECT_EQ(std::vector<uint8_t>(plain.head.view().begin(), plain.head.view().end()), head);
    const std::vector<uint8_t> codes = {0xFA, 0x10, 0xFB, 0x05, 0xFD, 0x03, 80, 0, 8, 0,
                                        0x00, 'A', 0x00, 'b', 0xD6, 0xD0, 0, 0, 0, 0};
    std::vector<uint8_t> expected = {0, 26, 0, 0, 0, 202, 0, 16, 0};
    expected.insert(expected.end(), codes.begin(), codes.end());
    EXPECT_EQ(plain.body, WithXor(expected));
    EXPECT_EQ(s.frameSent, 0);
    EXPECT_EQ(plain.bytes().size(), 8 + expected.size());

    // Any other protocol: speed 18 (automatic at 16 px), flag 1, four empty bytes, codes from 13.
    auto moving = LyricLineFrame::Build(u"Ab中", s, 2, state);
    std::vector<uint8_t> expected2 = {0, 30, 0, 18, 1, 202, 0, 16, 0, 0, 0, 0, 0};
    expected2.insert(expected2.end(), codes.begin(), codes.end());
    EXPECT_EQ(moving.body, WithXor(expected2));
    EXPECT_EQ(std::vector<uint8_t>(moving.head.view().begin(), moving.head.view().end()), head);
    EXPECT_EQ(s.frameSent, 1);
    EXPECT_EQ(state.lastSpeed, 18);
}

TEST(LyricLineFrame, EveryCharacterIsOneUnitAndLinesAreCut) {
    LrcSettings s = Sign(0, 0);
    LyricFrameState state;
    // The euro sign is a single byte in code page 936 and Thai has no code there: both
    // stay two bytes so the 16-bit stream keeps its alignment.
    // U+00FF is the last code sent as a single byte; U+0100 is not in the code page, U+0101 is A8 A1.
    auto odd = LyricLineFrame::Build(u"€ก\u00FF\u0100\u0101", s, 1, state);
    const std::vector<uint8_t> chars(odd.body.begin() + 19, odd.body.end());
    EXPECT_EQ(chars, (std::vector<uint8_t>{0x00, 0x80, 0x00, '?', 0x00, 0xFF, 0x00, '?', 0xA8, 0xA1, 0, 0, 0, 0}));

    auto longLine = LyricLineFrame::Build(std::u16string(250, u'x'), s, 1, state);
    EXPECT_EQ(longLine.body.size(), 9u + 10 + 200 * 2 + 4);
    // The cut never keeps half a surrogate pair: 199 letters and the pair's first half end at 199.
    auto pair = LyricLineFrame::Build(std::u16string(199, u'x') + u"\U0001F600z", s, 1, state);
    EXPECT_EQ(pair.body.size(), 9u + 10 + 199 * 2 + 4);
    // A character from U+E000 up is whole in one unit: 200 are kept.
    auto wide = LyricLineFrame::Build(std::u16string(199, u'x') + u"！！", s, 1, state);
    EXPECT_EQ(wide.body.size(), 9u + 10 + 200 * 2 + 4);

    SerialPort closed;
    EXPECT_FALSE(SendLyricFrame(closed, pair));
    EXPECT_EQ(LyricTextWidth(std::u16string(250, u'x'), 16), 250u * 8);

    s.fontChipLanguage = 1;
    EXPECT_EQ(MapChineseScript(u"晴天們", 1), u"晴天们");
    EXPECT_EQ(MapChineseScript(u"们", 2), u"們");
    EXPECT_EQ(MapChineseScript(u"们", 0), u"们");
}

TEST(LyricLineFrame, PlacementOnTheSign) {
    // (text width, line height, sign width, sign height, alignment) -> (x, width, y).
    const struct { int textW, lineH, signW, signH, align, x, width, y; } cases[] = {
        {100, 16, 192, 32, kAlignLeft, 46, 202, 0},
        {300, 16, 192, 32, kAlignMove, 0, 300, 8},
        {192, 16, 192, 32, 9, 0, 202, 8},           // fits exactly; alignment 9 counts as centred
        {10, 32, 192, 32, kAlignCenter, 91, 202, 0},  // as high as the sign
        {0, 16, 0, 0, kAlignCenter, 0, 10, 0},        // sign size unknown
    };
    for (const auto& c : cases) {
        const auto p = PlaceLyricLine(c.textW, c.lineH, c.signW, c.signH, c.align);
        EXPECT_EQ(std::tuple(p.x, p.width, p.y), std::tuple(c.x, c.width, c.y)) << c.textW << " " << c.align;
    }
}

TEST(LyricLineFrame, ColoursOfTheScreenModes) {
    LyricFrameState state;
    EXPECT_EQ(LyricColor(kLrcColorRed, 5, state), 5);
    EXPECT_EQ(LyricColor(kLrcColorRed, 3, state), 5);  // not a known mode: monochrome
    EXPECT_EQ(LyricColor(kLrcColorRed, 17, state), 9);
    EXPECT_EQ(LyricColor(kLrcColorYellow, 13, state), 12);
    // Auto walks red, green and yellow in turn, from wherever it starts.
    const std::vector<uint8_t> order = {9, 10, 12};
    const uint8_t start = LyricColor(kLrcColorAuto, 12, state);
    const auto first = std::find(order.begin(), order.end(), start) - order.begin();
    ASSERT_LT(first, 3);
    for (int i = 1; i < 6; ++i) EXPECT_EQ(LyricColor(kLrcColorAuto, 12, state), order[size_t((first + i) % 3)]) << i;
    // Random: the generator x * 214013 + 2531011 from its seed, bits 16-30 picking one of the three.
    LyricFrameState seeded;
    std::vector<uint8_t> drawn;
    for (int i = 0; i < 6; ++i) drawn.push_back(LyricColor(kLrcColorRandom, 12, seeded));
    EXPECT_EQ(drawn, (std::vector<uint8_t>{12, 12, 10, 9, 9, 12}));
    std::set<uint8_t> random;
    for (int i = 0; i < 60; ++i) random.insert(LyricColor(kLrcColorRandom, 15, state));
    EXPECT_EQ(random, (std::set<uint8_t>{10, 11, 15}));
}

TEST(LyricLineFrame, MoveSpeeds) {
    LyricFrameState state;
    const std::pair<int, int> automatic[] = {{16, 18}, {24, 16}, {32, 15}, {48, 12}, {64, 9}, {12, 20}};
    for (auto [h, speed] : automatic) EXPECT_EQ(LyricMoveSpeed(kMoveSpeedAuto, h, state), speed) << h;
    EXPECT_EQ(LyricMoveSpeed(2, 16, state), 5);
    EXPECT_EQ(LyricMoveSpeed(99, 16, state), 35);
    EXPECT_EQ(LyricMoveSpeed(kMoveSpeedKeep, 16, state), 0);  // nothing sent yet
    LrcSettings s = Sign(64, 16);
    s.moveSpeed = 7;
    LyricLineFrame::Build(u"a", s, 0, state);
    s.moveSpeed = kMoveSpeedKeep;
    EXPECT_EQ(LyricLineFrame::Build(u"a", s, 0, state).body[3], 7);
}

TEST(Sentences, MarksAndLengthRules) {
    using V = std::vector<std::u16string>;
    EXPECT_EQ(SplitSentences(u"Hello, world! How are you?"), (V{u"Hello,", u" world!", u" How are you?"}));
    // A run of marks stays with the sentence it closes: no sentence is marks alone, so the
    // sign never gets an empty line (a file's last line break included).
    EXPECT_EQ(SplitSentences(u"a,,b;c. d"), (V{u"a,,", u"b;", u"c. d"}));
    EXPECT_EQ(SplitSentences(u"你好，世界。再见！\n"), (V{u"你好，", u"世界。", u"再见！\n"}));
    EXPECT_EQ(SplitSentences(u"Line one.\r\nLine two.\r\n"), (V{u"Line one.\r\n", u"Line two.\r\n"}));
    EXPECT_EQ(SplitSentences(u"\r\n\r\nHi!\n"), (V{u"\r\n\r\nHi!\n"}));
    EXPECT_EQ(SplitSentences(u"\r\n"), V{});
    EXPECT_EQ(SplitSentences(u"?!"), V{u"?!"});
    const std::u16string letters(70, u'a');
    EXPECT_EQ(SplitSentences(letters), (V{letters.substr(0, 60), letters.substr(60)}));
    std::u16string words;
    for (int i = 0; i < 55; ++i) words.push_back(i % 2 ? u'Z' : u'A');
    words += u" cc";
    EXPECT_EQ(SplitSentences(words), (V{words.substr(0, 56), u"cc"}));
    // Once a sentence has 50 characters, the first that is not an ASCII letter ends it.
    const std::u16string han(100, u'中');
    EXPECT_EQ(SplitSentences(han), (V{han.substr(0, 50), han.substr(50)}));
    std::u16string fifty(49, u'a');
    EXPECT_EQ(SplitSentences(fifty + u"1bc"), (V{fifty + u"1", u"bc"}));
    // A character beyond the basic plane is never cut in two.
    for (const char16_t* pair : {u"\U00010000", u"\U0001F600", u"\U0010FFFF"}) {
        const std::u16string pairs = std::u16string(59, u'x') + pair + u"z";
        EXPECT_EQ(SplitSentences(pairs), (V{pairs.substr(0, 61), u"z"}));
    }
    // Both ends of both letter ranges count as letters.
    const std::u16string edges = fifty + u"zZaA1";
    EXPECT_EQ(SplitSentences(edges + u"b"), (V{edges, u"b"}));
    EXPECT_EQ(SplitSentences(u""), V{});
}

}  // namespace
}  // namespace ledsuite
