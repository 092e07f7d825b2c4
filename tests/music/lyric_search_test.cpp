#include <gtest/gtest.h>

#include "content/model/text_codec.h"
#include "http_server.h"
#include "music/flyric.h"
#include "music/lyric_search.h"
#include "music_test_util.h"

namespace ledsuite {
namespace {

using testing::HttpAnswer;
using testing::LoopbackHttpServer;
namespace fs = std::filesystem;

TEST(LyricRequest, HexEncodingAndNormalisedSearchText) {
    EXPECT_EQ(NormalizeSearchText(u"X Y,Z"), u"xyz");
    EXPECT_EQ(HexEncodeUtf16(NormalizeSearchText(u"X Y,Z")), u"780079007A00");
    // Every script is lower-cased, one character for one, beyond the basic plane too.
    EXPECT_EQ(NormalizeSearchText(u"ÄBC ΣΟΦΊΑ,ДОМ Ǆ\U00010400\U00010000"), u"äbcσοφίαдомǆ\U00010428\U00010000");
    EXPECT_EQ(HexEncodeUtf16(u"周"), u"6854");
    EXPECT_EQ(HexEncodeUtf16(u""), u"");
    EXPECT_EQ(SearchRequestPath(u"", u"X Y,Z"), "/dll/lyricsvr.dll?sh?Artist=&Title=780079007A00&Flags=0");
}

TEST(LyricRequest, CheckValueWorkedOutStepByStep) {
    // Empty text, id 0: t1 = 0, t2 = ~t1 & 0xFF, t3 = ~0 & 0xFF, so K = 0x00FF00FF; S1 = S2 = 0;
    // D = (S1 ^ id) * M = 0.
    EXPECT_EQ(LyricRequestCode(u"", u"", 0), u"0");

    // "a" + "b", id 1: bytes 97, 98. t1 = 0, t2 = 0xFF, t3 = ~1 & 0xFF = 0xFE, K = 0x01FF00FE.
    // S1: i = 1: 0 + 0 + 98 = 98; i = 0: 98 + (98 << 4) + 97 = 1763.
    // S2: i = 0: 0 + 97 + 0 = 97; i = 1: (97 << 4) + 98 + 97 = 1747.
    // A = K ^ S1 = 0x01FF061D, B = (S2 | id) + A = 0x01FF0CF0, M = (K | S2) * B, D = (S1 ^ id) * M.
    EXPECT_EQ(LyricRequestCode(u"a", u"b", 1), u"939267104");

    // "周" (E5 91 A8, signed -27 -111 -88), id 0x01020304: every byte of the id is set, so
    // K = 0x04 << 24 | 0x02 << 16 | 0x03 << 8 | 0x01 = 0x04020301.
    // S1: i = 2: -88; i = 1: -88 + (-88 << 5) - 111 = -3015; i = 0: -3015 + (-3015 << 4) - 27 = -51282.
    // S2: i = 0: -27; i = 1: (-27 << 4) - 111 - 27 = -570; i = 2: (-570 << 3) - 88 - 570 = -5218.
    // D = (S1 ^ id) * ((K | S2) * ((S2 | id) + (K ^ S1))) in 32 bits, signed.
    EXPECT_EQ(LyricRequestCode(u"", u"周", 0x01020304), u"-479685602");
    // Only the first 10,239 bytes of artist and title count.
    auto letters = [](size_t n) { return LyricRequestCode(u"", std::u16string(n, u'a'), 1); };
    EXPECT_EQ(letters(10240), letters(10239));
    EXPECT_NE(letters(10239), letters(10238));
}

TEST(LyricRequest, ParseListAndDownloadPath) {
    std::vector<LyricMatch> matches = {{u"old", u"", u""}};
    const char16_t* answer =
        u"<?xml?><result><lrc id=\"12\" artist=\"A\" title=\"T1\"></lrc>"
        u"<lrc id=\"34\" artist=\"B C\" title=\"晴天\"></lrc>"
        u"<lrc id=\"56\" artist=\"D\"></lrc><lrc id=\"78\" artist=\"E\" title=\"F\"></lrc></result>";
    EXPECT_EQ(ParseLyricList(answer, matches), 2);
    const std::vector<LyricMatch> expected = {{u"12", u"A", u"T1"}, {u"34", u"B C", u"晴天"}};
    EXPECT_EQ(matches, expected);
    EXPECT_EQ(ParseLyricList(u"<lrc id=\"1\" artist=\"a\" title=\"b\">", matches), 0);  // no end
    // A marker at the element's very end, or without its quote, ends the list there.
    EXPECT_EQ(ParseLyricList(u"<lrc id=\"1\" artist=\"a\" title=></lrc>", matches), 0);
    EXPECT_EQ(ParseLyricList(u"<lrc id=\"1\" artist=\"a\" title=\"b></lrc>", matches), 0);
    EXPECT_EQ(ParseLyricList(u"<lrc id=\"1\" artist=a title=\"b\"></lrc>", matches), 0);
    EXPECT_EQ(ParseLyricList(u"", matches), 0);

    EXPECT_EQ(DownloadRequestPath({u"1", u"a", u"b"}), "/dll/lyricsvr.dll?dl?Id=1&Code=939267104");
    for (auto id : {u"", u"12a", u"-1", u"1 OR 1", u"99999999999", u"2147483648", u"99999999999999999999999"})
        EXPECT_FALSE(DownloadRequestPath({id, u"a", u"b"})) << WideToUtf8(id);
    // Every digit, up to ten of them and up to the largest 32-bit id, goes out as the number.
    for (auto [id, sent] : {std::pair{u"19", "19"}, {u"0080", "80"}, {u"2147483647", "2147483647"},
                            {u"1000000000", "1000000000"}, {u"000000000001", "1"}})
        EXPECT_TRUE(DownloadRequestPath({id, u"a", u"b"}).value_or("").starts_with("/dll/lyricsvr.dll?dl?Id=" +
                                                                                  std::string(sent) + "&Code="))
            << sent;
}

TEST(LyricHttp, SearchAndDownloadOverLoopback) {
    LoopbackHttpServer server([](const std::string& target) -> HttpAnswer {
        if (target.starts_with("/dll/lyricsvr.dll?sh?"))
            return {200, "<lrc id=\"7\" artist=\"ar\" title=\"\xE6\x99\xB4\"></lrc>"};
        if (target.starts_with("/dll/lyricsvr.dll?dl?Id=7&")) return {200, "[00:01]\xE6\x99\xB4\n"};
        return {404, "missing"};
    });
    LyricServerConfig config;
    config.hosts = {"", server.host()};
    std::vector<LyricMatch> matches;
    EXPECT_EQ(SearchLyrics(config, u"", u"Sun Ny", matches), 0);  // the first server has no host: nothing asked
    EXPECT_TRUE(server.requests().empty());
    config.choice = 1;
    ASSERT_EQ(SearchLyrics(config, u"A b", u"Sun Ny", matches), 1);
    EXPECT_EQ(matches[0], (LyricMatch{u"7", u"ar", u"晴"}));
    auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].starts_with("GET /dll/lyricsvr.dll?sh?Artist=61006200&Title=730075006E006E007900&Flags=0 "));
    EXPECT_NE(requests[0].find("User-Agent: Microsoft Internet Explorer\r\n"), std::string::npos);
    EXPECT_NE(requests[0].find("Host: " + server.host()), std::string::npos);

    EXPECT_EQ(DownloadLyric(config, matches[0]), u"[00:01]晴\n");
    const std::string code = WideToUtf8(LyricRequestCode(u"ar", u"晴", 7));
    EXPECT_TRUE(server.requests().back().starts_with("GET /dll/lyricsvr.dll?dl?Id=7&Code=" + code + " "));
    // A 404 answer is no lyric at all.
    EXPECT_EQ(DownloadLyric(config, {u"8", u"x", u"y"}), u"");
    // An id that is not a number is not asked for.
    const size_t asked = server.requests().size();
    EXPECT_EQ(DownloadLyric(config, {u"8x", u"x", u"y"}), u"");
    EXPECT_EQ(server.requests().size(), asked);
    EXPECT_EQ(HttpGetText("http://" + server.host() + "/other"), u"");
    EXPECT_EQ(HttpGetText("file:///etc/hostname"), u"");
}

TEST(LyricHttp, SlowAnswersTimeOutAndBigOnesAreRefused) {
    LoopbackHttpServer server([](const std::string& target) -> HttpAnswer {
        if (target == "/slow") return {200, "late", 1000};
        if (target.starts_with("/status/")) return {std::stoi(target.substr(8)), "answer"};
        if (target == "/cut") return {200, "[00:01]a", 0, 100};
        return {200, std::string(5000, 'x')};
    });
    HttpOptions small;
    small.maxBodyBytes = 4096;
    EXPECT_EQ(HttpGetText("http://" + server.host() + "/big", small), u"");
    EXPECT_EQ(HttpGetText("http://" + server.host() + "/big").size(), 5000u);
    // An answer cut short (the connection closes before the announced length) is no body.
    EXPECT_EQ(HttpGetText("http://" + server.host() + "/cut"), u"");
    // Only a 2xx answer is a body.
    for (auto [status, text] : {std::pair{199, u""}, {200, u"answer"}, {299, u"answer"}, {300, u""}})
        EXPECT_EQ(HttpGetText("http://" + server.host() + "/status/" + std::to_string(status)), text) << status;
    HttpOptions quick;
    quick.totalTimeoutMs = 300;
    EXPECT_EQ(HttpGetText("http://" + server.host() + "/slow", quick), u"");
    std::atomic<bool> stop{true};
    HttpOptions stopped;
    stopped.stop = &stop;
    EXPECT_EQ(HttpGetText("http://" + server.host() + "/slow", stopped), u"");
}

// Redirects of every kind are followed to the answer at their end, on this server or on
// another, up to five of them; a loop, a sixth hop, a redirect out of http and a 404 at the
// end give nothing.
TEST(LyricHttp, RedirectsAreFollowedAFewHopsOverHttpOnly) {
    LoopbackHttpServer moved([](const std::string& target) -> HttpAnswer {
        return target == "/lrc" ? HttpAnswer{200, "[00:01]moved"} : HttpAnswer{404, "gone"};
    });
    LoopbackHttpServer server([&](const std::string& target) -> HttpAnswer {
        auto to = [](int status, std::string location) { return HttpAnswer{status, "", 0, -1, std::move(location)}; };
        if (target == "/lrc") return {200, "[00:01]here"};
        if (target.starts_with("/status/")) return to(std::stoi(target.substr(8)), "/lrc");
        if (target.starts_with("/hop/")) {
            const int left = std::stoi(target.substr(5));
            return left == 0 ? HttpAnswer{200, "[00:01]far"} : to(302, "/hop/" + std::to_string(left - 1));
        }
        if (target == "/away") return to(301, moved.url("/lrc"));
        if (target == "/gone") return to(308, moved.url("/old"));
        if (target == "/loop") return to(302, "/loop");
        if (target == "/file") return to(302, "file:///etc/hostname");
        return to(307, "ftp://" + moved.host() + "/lrc");
    });
    const std::pair<const char*, const char16_t*> cases[] = {
        {"/status/301", u"[00:01]here"}, {"/status/302", u"[00:01]here"}, {"/status/307", u"[00:01]here"},
        {"/status/308", u"[00:01]here"}, {"/away", u"[00:01]moved"},      {"/hop/5", u"[00:01]far"},
        {"/hop/6", u""},                 {"/gone", u""},                  {"/loop", u""},
        {"/file", u""},                  {"/ftp", u""}};
    for (auto [target, text] : cases) EXPECT_EQ(HttpGetText(server.url(target)), text) << target;
    EXPECT_EQ(moved.requests().size(), 2u);  // the ftp redirect never left
}

TEST(LyricFiles, ANameEqualButForLetterCaseIsFoundWhenNoneIsExact) {
    // (files in the shipped and the user's "zu_lyric", the song's stem, the file found or "").
    struct Case {
        std::vector<std::string> shipped, user;
        std::string stem, found;
    };
    const Case cases[] = {
        {{"case.lrc"}, {}, "Case", "res/zu_lyric/case.lrc"},
        {{"Upper.LRC"}, {}, "Upper", "res/zu_lyric/Upper.LRC"},
        {{}, {"\xC3\x9CN\xC3\x8F.Lrc"}, "\xC3\xBCn\xC3\xAF", "ledsuite/zu_lyric/\xC3\x9CN\xC3\x8F.Lrc"},
        {{"caf\xC9.lrc"}, {}, "Caf\xC3\xA9", "res/zu_lyric/caf\xC9.lrc"},  // a Latin-1 name from Windows
        {{"both.lrc"}, {"Both.lrc"}, "Both", "ledsuite/zu_lyric/Both.lrc"},    // the exact name wins
        {{"B.lrc"}, {"b.lrc"}, "b", "ledsuite/zu_lyric/b.lrc"},
        {{"SONG.lrc", "Song.lrc"}, {}, "song", "res/zu_lyric/SONG.lrc"},  // several: the first by bytes
        {{"abcd.lrc", "abc.lrc.bak", "abc.txt"}, {}, "ABC", ""},
    };
    for (const Case& c : cases) {
        testing::MusicTempDir dir;
        testing::ScopedEnv data("XDG_DATA_HOME", dir.path.string());
        testing::ScopedEnv res("LEDSUITE_RESOURCES", dir.file("res"));
        for (auto [folder, names] : {std::pair{"res/zu_lyric/", &c.shipped}, {"ledsuite/zu_lyric/", &c.user}}) {
            fs::create_directories(dir.file(folder));
            for (const std::string& name : *names) testing::WriteBytes(dir.file(folder + name), "[00:01]x\n");
        }
        fs::create_directories(dir.file("res/zu_lyric/abc.LRC"));  // a folder is no lyric
        EXPECT_EQ(FindLyricFile(c.stem).value_or(""), c.found.empty() ? "" : dir.file(c.found)) << c.stem;
    }
}

TEST(LyricFiles, DownloadsAreStoredAsUtf16WithMarkAndFoundAgain) {
    testing::MusicTempDir dir;
    testing::ScopedEnv data("XDG_DATA_HOME", dir.path.string());
    testing::ScopedEnv res("LEDSUITE_RESOURCES", dir.file("res"));
    EXPECT_FALSE(FindLyricFile("song"));
    EXPECT_FALSE(SaveLyricFile(DownloadedLyricPath("song"), u""));  // an empty answer is not kept
    EXPECT_FALSE(FindLyricFile("song"));
    ASSERT_TRUE(SaveLyricFile(DownloadedLyricPath("song"), u"[00:02]晴"));
    auto found = FindLyricFile("song");
    ASSERT_TRUE(found);
    EXPECT_EQ(*found, dir.file("ledsuite/zu_lyric/song.lrc"));
    EXPECT_EQ(testing::ReadBytes(*found), std::string("\xFF\xFE[\0" "0\0" "0\0:\0" "0\0" "2\0]\0\x74\x66", 18));
    FLyric l;
    l.Load(*found);
    ASSERT_EQ(l.GetLineCount(), 1u);
    EXPECT_EQ(l.GetLine(0).text, u"晴");
}

}  // namespace
}  // namespace ledsuite
