#include <gtest/gtest.h>

#include "content/model/clock.h"
#include "content/model/text_codec.h"
#include "http_server.h"
#include "music/playback.h"
#include "music_test_util.h"
#include "playback_fakes.h"
#include "tests/link/link_test_util.h"

namespace ledsuite {
namespace {

using namespace ledsuite::testing;

HardwareParams Screen() {
    HardwareParams hw;
    hw.comIndex = 0;
    hw.baudIndex = 8;  // 115200, the fake card's rate
    hw.colorCode = 5;
    return hw;
}

// The text of a lyric frame body of protocol 1 (ASCII characters only).
std::string BodyText(const std::vector<uint8_t>& body) {
    std::string text;
    for (size_t i = 19; i + 1 < body.size() - 4; i += 2) text.push_back(char(body[i + 1]));
    return text;
}

std::vector<std::string> Lines(const FakeCard& card) {
    std::vector<std::string> out;
    for (const auto& b : card.log().lyricBodies) out.push_back(BodyText(b));
    return out;
}

// One playback on a fake card with its files in a folder of their own.
struct Rig {
    MusicTempDir dir;
    ScopedEnv resources{"LEDSUITE_RESOURCES", dir.path.string()};
    ScopedEnv data{"XDG_DATA_HOME", dir.file("data")};
    FakeCard card;
    ScopedPorts ports{{card.slavePath()}};
    PlaybackShared shared;
    ClockMediaPlayer media;
    TimedSpeech speech;
    RecordingChannel channel{&speech, 1};
    MusicPlayback playback{shared, media, speech, &channel};

    explicit Rig(FakeCardScript script = LyricCard(), int64_t mediaMs = 300, int speechMs = 20)
        : card(std::move(script)), media(mediaMs), speech(speechMs) {
        card.Start();
        fs::create_directories(dir.path / "zu_lyric");
    }
    std::u16string File(const std::string& name, const std::string& bytes) {
        WriteBytes(dir.file(name), bytes);
        return Utf8ToWide(dir.file(name));
    }
    void Add(const std::u16string& path, uint32_t pause = 0, uint32_t start = 0, uint32_t stop = 0) {
        std::lock_guard<std::mutex> lock(shared.mutex);
        shared.rows.push_back({path, 1, pause, 13, start, stop});
    }
    template <class Edit>
    void Settings(Edit edit) {
        std::lock_guard<std::mutex> lock(shared.mutex);
        edit(shared.settings);
    }
    // Starts and waits for the end of the list.
    bool Run() { return playback.Start(Screen()) == StartResult::Started && WaitStopped(); }
    bool WaitStopped() { return WaitStopped(playback); }
    bool WaitStopped(MusicPlayback& p) {
        for (int i = 0; i < 1000 && shared.runState != kRunStopped; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        p.Join();
        return shared.runState == kRunStopped;
    }
};

TEST(PlaybackStart, CardChecksDecideWhetherPlaybackStarts) {
    {
        Rig rig;
        EXPECT_EQ(rig.playback.Start(Screen()), StartResult::EmptyList);
        rig.Add(u"/none.mp3");
        HardwareParams elsewhere = Screen();
        elsewhere.comIndex = 3;  // not in the port table
        EXPECT_EQ(rig.playback.Start(elsewhere), StartResult::PortFailed);
        EXPECT_EQ(rig.shared.runState, kRunStopped);
    }
    FakeCardScript silent = LyricCard();
    silent.baud = 0;
    // A silent card; the lyric pair without the protocol pair; the protocol pair alone.
    const std::pair<FakeCardScript, StartResult> cards[] = {{silent, StartResult::NoCard},
                                                            {LyricCard({{4, 1}, {5, 0}}), StartResult::NoLyricSupport},
                                                            {LyricCard({{6, 1}}), StartResult::NoLyricSupport}};
    for (const auto& [script, result] : cards) {
        Rig rig(script);
        rig.Add(u"/none.mp3");
        EXPECT_EQ(rig.playback.Start(Screen()), result);
        EXPECT_EQ(rig.card.log().count(result == StartResult::NoCard ? 0x01 : 0x21), 0u);
        EXPECT_FALSE(rig.playback.WorkerAlive());
    }
}

TEST(PlaybackStart, SignSizeAnsweredOrNot) {
    Rig rig(LyricCard({{4, 1}, {6, 2}}, std::nullopt));
    rig.Add(rig.File("a.mp3", "x"));
    rig.Settings([](LrcSettings& s) { s.signWidth = 99; });
    EXPECT_EQ(rig.playback.Start(Screen()), StartResult::StartedWithoutSize);
    EXPECT_EQ(rig.playback.LyricProtocol(), 2);
    EXPECT_EQ(std::tuple(rig.shared.Settings().signWidth, rig.shared.Settings().signHeight), std::tuple(0, 0));
    EXPECT_TRUE(rig.WaitStopped());
    EXPECT_EQ(rig.media.log().opened.size(), 1u);
}

TEST(Playback, MediaSendsItsLyricLinesThenTheListEnds) {
    Rig rig;
    WriteBytes(rig.dir.file("zu_lyric/song.lrc"), "[00:00.00]one\n[00:00.10]two\n[00:00.20]three\n");
    rig.Add(rig.File("song.mp3", "x"));
    rig.media.MoveOnEachLook(10);  // a turn of the worker is 10 ms of the song, so none of the lines is passed over
    rig.Settings([](LrcSettings& s) { s.screenColorMode = 9; });  // replaced by the screen's colour mode
    rig.shared.musicVolume = 500;
    ASSERT_TRUE(rig.Run());
    EXPECT_EQ(rig.shared.Settings().signWidth, 192);
    EXPECT_EQ(rig.shared.Settings().screenColorMode, 5);
    EXPECT_EQ(Lines(rig.card), (std::vector<std::string>{"one", "two", "three"}));
    EXPECT_EQ(rig.shared.Settings().source, kSourceMedia);
    EXPECT_EQ(rig.media.log().volumes.front(), 500);
    EXPECT_GE(rig.speech.log().stops, 1);  // the end purges speech too
    EXPECT_TRUE(rig.channel.log().posted.empty());
}

TEST(Playback, ALongSongPlaysToItsEnd) {
    Rig rig(LyricCard(), 1200);  // long enough for the checks of the daily window on the way
    rig.media.MoveOnEachLook(10);
    WriteBytes(rig.dir.file("zu_lyric/long.lrc"), "[00:00.00]start\n[00:00.90]late\n");
    rig.Add(rig.File("long.mp3", "x"));
    ASSERT_TRUE(rig.Run());
    EXPECT_EQ(Lines(rig.card), (std::vector<std::string>{"start", "late"}));
}

TEST(Playback, TextIsSpokenSentenceBySentenceWithItsVoiceAndRate) {
    Rig rig;
    rig.Add(rig.File("talk.TXT", "Hello, world! How are you?"), 1);
    rig.Settings([](LrcSettings& s) { s.defaultText = u"pause"; });
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(rig.Run());
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));  // the row's pause after play
    const SpeechLog spoke = rig.speech.log();
    EXPECT_EQ(spoke.spoken, (std::vector<std::u16string>{u"Hello,", u" world!", u" How are you?"}));
    EXPECT_EQ(Lines(rig.card), (std::vector<std::string>{"Hello,", " world!", " How are you?", "pause"}));
    EXPECT_EQ(std::pair(spoke.selected, spoke.rates), std::pair(std::vector<int>{1}, std::vector<int>{3}));
    EXPECT_EQ(rig.channel.log().sent, std::vector<int>(3, IMC_SPEAK_TEXT));
    EXPECT_TRUE(rig.media.log().opened.empty());
}

TEST(Playback, TextThroughTheSystemSpeechFacade) {
    Rig rig;
    auto speech = MakeSystemSpeechEngine();
    ASSERT_GT(speech->VoiceCount(), 0);
    RecordingChannel channel(speech.get());
    MusicPlayback playback(rig.shared, rig.media, *speech, &channel);
    rig.Add(rig.File("talk.txt", "Hello, world!"));
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(playback.Start(Screen()), StartResult::Started);
    ASSERT_TRUE(rig.WaitStopped(playback));
    // Each sentence is shown as it is spoken, and the next waits until the voice is done.
    EXPECT_EQ(Lines(rig.card), (std::vector<std::string>{"Hello,", " world!"}));
    EXPECT_GT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
    EXPECT_FALSE(speech->IsSpeaking());
}

TEST(Playback, SpeechMarkupInATextIsObeyedNotReadOut) {
    // What the voice says goes into a file instead of the audio device.
    MusicTempDir dir;
    const std::string spoken = dir.file("spoken.raw");
    ScopedEnv sink("LEDSUITE_AUDIO_SINK", "filesink append=true location=" + spoken);
    Rig rig;
    auto speech = MakeSystemSpeechEngine();
    RecordingChannel channel(speech.get());
    MusicPlayback playback(rig.shared, rig.media, *speech, &channel);
    rig.Add(rig.File("talk.txt", "Hello. <silence msec=\"2000\"/> World."));
    ASSERT_EQ(playback.Start(Screen()), StartResult::Started);
    ASSERT_TRUE(rig.WaitStopped(playback));
    // 16-bit samples at 22,050 Hz: a pause of two seconds, and not the element's words.
    const std::string raw = ReadBytes(spoken);
    size_t longest = 0, run = 0;
    for (size_t at = 0; at + 1 < raw.size(); at += 2) {
        const int sample = int16_t(uint8_t(raw[at]) | uint8_t(raw[at + 1]) << 8);
        longest = std::max(longest, run = std::abs(sample) < 256 ? run + 1 : 0);
    }
    EXPECT_GE(longest, 22050 * 19 / 10);
    EXPECT_LT(raw.size(), 2u * 22050 * 4);
}

// Volumes moved while a song plays or a sentence is spoken reach the player and the voice
// at once, not with the next item.
TEST(Playback, VolumesMovedMidItemApplyAtOnce) {
    for (const char* name : {"song.mp3", "talk.txt"}) {
        Rig rig(LyricCard(), 100000, 100000);  // neither ends by itself
        rig.Add(rig.File(name, "Hello."));
        ASSERT_EQ(rig.playback.Start(Screen()), StartResult::Started);
        ASSERT_TRUE(WaitFor([&] { return rig.media.log().opened.size() + rig.speech.log().spoken.size() == 1; }));
        ASSERT_TRUE(WaitFor([&] { return !rig.media.log().volumes.empty() && !rig.speech.log().volumes.empty(); }));
        rig.shared.musicVolume = 300;
        rig.shared.speechVolume = 30;
        EXPECT_TRUE(WaitFor([&] { return rig.media.log().volumes.back() == 300; })) << name;
        EXPECT_TRUE(WaitFor([&] { return rig.speech.log().volumes.back() == 30; })) << name;
        rig.playback.RequestStop();
        ASSERT_TRUE(rig.WaitStopped());
    }
}

// The user's pause holds the voice in the middle of its sentence, and the next sentence waits;
// resume lets the voice go on.
TEST(Playback, PauseHoldsTheVoiceMidSentence) {
    Rig rig(LyricCard(), 300, 100000);  // a sentence lasts until the test ends it
    rig.Add(rig.File("talk.txt", "one, two."));
    ASSERT_EQ(rig.playback.Start(Screen()), StartResult::Started);
    ASSERT_TRUE(WaitFor([&] { return rig.card.log().lyricBodies.size() == 1; }));
    rig.playback.Pause();
    EXPECT_EQ(rig.speech.log().pauses, 1);
    rig.speech.EndSentence();  // no more to say: still nothing new while paused
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(rig.speech.log().spoken.size(), 1u);
    rig.playback.Resume();
    EXPECT_EQ(rig.speech.log().resumes, 1);
    ASSERT_TRUE(WaitFor([&] { return rig.speech.log().spoken.size() == 2; }));
    rig.speech.EndSentence();
    ASSERT_TRUE(rig.WaitStopped());
    EXPECT_EQ(Lines(rig.card), (std::vector<std::string>{"one,", " two."}));
}

// The sentence pause is kept in hundredths of a second: 30 waits 300 ms between sentences.
TEST(Playback, SentencePauseCountsTensOfMilliseconds) {
    Rig rig;
    rig.Add(rig.File("talk.txt", "one, two, three."));
    rig.Settings([](LrcSettings& s) { s.sentencePause = 30; });
    WakeupProbe probe;
    ASSERT_TRUE(rig.Run());
    const auto at = rig.speech.log().spokenAt;
    ASSERT_EQ(at.size(), 3u);
    for (size_t i = 1; i < at.size(); ++i) {
        EXPECT_GE(at[i] - at[i - 1], std::chrono::milliseconds(300 + 20)) << i;  // the sentence, then the pause
        EXPECT_LE(at[i] - at[i - 1], probe.Margin(std::chrono::milliseconds(300 + 20))) << i;
    }
}

TEST(Playback, MissingAnswerEndsWithTheLinkBrokenNotice) {
    FakeCardScript once = LyricCard();
    once.lyricAnswers = 1;
    Rig rig(once);
    rig.Add(rig.File("talk.txt", "one; two; three;"));
    ASSERT_TRUE(rig.Run());
    EXPECT_EQ(rig.card.log().lyricBodies.size(), 2u);
    EXPECT_EQ(rig.channel.log().posted, std::vector<int>{IMC_LINK_BROKEN});
    EXPECT_GE(std::min(rig.speech.log().stops, rig.media.log().stops), 1);
}

TEST(Playback, StopLoopAndRowRequestsWhilePlaying) {
    Rig rig(LyricCard(), 100000);  // the media plays until told otherwise
    rig.Add(rig.File("a.mp3", "x"));
    rig.Add(rig.File("b.mp3", "x"));
    ASSERT_EQ(rig.playback.Start(Screen()), StartResult::Started);
    ASSERT_TRUE(WaitFor([&] { return rig.media.log().opened.size() == 1; }));  // a.mp3 plays
    rig.shared.rowRequest = 1;
    WaitFor([&] { return rig.media.log().opened.size() >= 2; }, 1000);
    // Rows deleted under the worker: it keeps its copy and never reads a freed row.
    {
        std::lock_guard<std::mutex> lock(rig.shared.mutex);
        rig.shared.rows.clear();
    }
    rig.playback.Pause();
    EXPECT_EQ(rig.shared.runState, kRunPaused);
    rig.playback.Resume();
    rig.playback.RequestStop();
    ASSERT_TRUE(rig.WaitStopped());
    auto opened = rig.media.log().opened;
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_TRUE(opened[1].ends_with("b.mp3"));
}

TEST(Playback, LoopStartsAgainAndAClosedWindowWaits) {
    Rig rig(LyricCard(), 10);
    rig.Add(rig.File("a.mp3", "x"));
    rig.Settings([](LrcSettings& s) { s.loop = 1; });
    ASSERT_EQ(rig.playback.Start(Screen()), StartResult::Started);
    EXPECT_TRUE(WaitFor([&] { return rig.media.log().opened.size() >= 3; }));
    rig.playback.RequestStop();
    ASSERT_TRUE(rig.WaitStopped());

    // 12:00 is outside 22:00..06:00: the row waits and nothing plays until the stop.
    ScopedClockOverride noon(LocalTime{2024, 5, 1, 12, 0, 0, 3, 0});
    Rig night;
    night.Add(night.File("n.mp3", "x"), 0, PackDailyTime(22, 0, 0), PackDailyTime(6, 0, 0));
    ASSERT_EQ(night.playback.Start(Screen()), StartResult::Started);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_TRUE(night.media.log().opened.empty());
    night.playback.RequestStop();
    ASSERT_TRUE(night.WaitStopped());
}

TEST(Playback, MissingLyricsAreSearchedChosenDownloadedAndKept) {
    LoopbackHttpServer server([](const std::string& target) -> HttpAnswer {
        if (target.find("?sh?") != std::string::npos)
            return {200, "<lrc id=\"1\" artist=\"a\" title=\"x\"></lrc><lrc id=\"2\" artist=\"b\" title=\"y\"></lrc>"};
        if (target.find("Id=2&") != std::string::npos) return {200, "[00:00.00]got it\n"};
        return {404, ""};
    });
    Rig rig;
    LyricServerConfig config;
    config.hosts = {server.host(), ""};
    rig.playback.SetLyricServer(config);
    rig.Add(rig.File("new song.mp3", "x"));
    ASSERT_TRUE(rig.Run());
    EXPECT_EQ(Lines(rig.card), std::vector<std::string>{"got it"});
    EXPECT_EQ(rig.channel.log().sent, std::vector<int>{IMC_SELECT_LYRIC});
    EXPECT_TRUE(fs::exists(rig.dir.file("data/ledsuite/zu_lyric/new song.lrc")));
    EXPECT_NE(server.requests()[0].find("Title=6E006500770073006F006E006700"), std::string::npos);
}

// Lyric files copied from Windows may differ from the song's name in letter case.
TEST(Playback, ALyricNamedSoButForLetterCaseShowsItsLines) {
    Rig rig(LyricCard(), 50);
    WriteBytes(rig.dir.file("zu_lyric/case.lrc"), "[00:00.00]lower\n");
    WriteBytes(rig.dir.file("zu_lyric/Upper.LRC"), "[00:00.00]upper\n");
    rig.Add(rig.File("Case.mp3", "x"));
    rig.Add(rig.File("Upper.mp3", "x"));
    ASSERT_TRUE(rig.Run());
    EXPECT_EQ(Lines(rig.card), (std::vector<std::string>{"lower", "upper"}));
    EXPECT_TRUE(rig.channel.log().posted.empty());  // no one is sent to a lyric server
}

// A lyric server that moved redirects to its new address: the lyric comes from there. One
// that redirects to itself gives none, and the song plays without it.
TEST(Playback, ALyricServerThatMovedIsFollowedOneThatLoopsGivesNone) {
    LoopbackHttpServer moved([](const std::string& target) -> HttpAnswer {
        if (target.find("?sh?") != std::string::npos) return {200, "<lrc id=\"3\" artist=\"a\" title=\"m\"></lrc>"};
        if (target.find("?dl?Id=3&") != std::string::npos) return {200, "[00:00.00]moved here\n"};
        return {404, ""};
    });
    LoopbackHttpServer redirecting(
        [&](const std::string& target) { return HttpAnswer{301, "", 0, -1, moved.url(target)}; });
    LoopbackHttpServer looping([](const std::string& target) { return HttpAnswer{302, "", 0, -1, target}; });
    for (auto [server, lines] : {std::pair{&redirecting, std::vector<std::string>{"moved here"}}, {&looping, {}}}) {
        Rig rig(LyricCard(), 50);
        LyricServerConfig config;
        config.hosts = {server->host(), ""};
        rig.playback.SetLyricServer(config);
        rig.Add(rig.File("moved.mp3", "x"));
        ASSERT_TRUE(rig.Run());
        EXPECT_EQ(Lines(rig.card), lines);
        EXPECT_EQ(rig.media.log().opened.size(), 1u);
        EXPECT_TRUE(rig.media.Ended());
    }
}

TEST(Playback, EveryRowInTurnWithItsRateSetOnceAndOneServerNotice) {
    Rig rig(LyricCard(), 10);
    for (const char* name : {"a.mp3", "b.mp3"}) rig.Add(rig.File(name, "x"));
    rig.Add(rig.File("t1.txt", "one."));
    rig.Add(rig.File("t2.txt", "two."));
    rig.shared.speechVolume = 40;
    ASSERT_TRUE(rig.Run());
    const auto opened = rig.media.log().opened;
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_TRUE(opened[0].ends_with("a.mp3") && opened[1].ends_with("b.mp3"));
    const SpeechLog spoke = rig.speech.log();
    EXPECT_EQ(spoke.spoken, (std::vector<std::u16string>{u"one.", u"two."}));
    EXPECT_EQ(std::tuple(spoke.selected, spoke.rates, spoke.volumes.front()),
              std::tuple(std::vector<int>{1}, std::vector<int>{3}, 40));
    // Neither media row has a lyric and no lyric server is set: the pane hears it once.
    EXPECT_EQ(rig.channel.log().posted, std::vector<int>{IMC_NO_LYRIC_SERVER});
}

TEST(Playback, BackToTheFirstRowAndAListEmptiedWhileLooping) {
    Rig rig(LyricCard(), 100000);
    for (const char* name : {"a.mp3", "b.mp3"}) rig.Add(rig.File(name, "x"));
    rig.Settings([](LrcSettings& s) { s.loop = 1; });
    ASSERT_EQ(rig.playback.Start(Screen()), StartResult::Started);
    auto opened = [&](size_t n) { return WaitFor([&] { return rig.media.log().opened.size() >= n; }, 2000); };
    ASSERT_TRUE(opened(1));
    rig.shared.rowRequest = 1;
    ASSERT_TRUE(opened(2));
    rig.shared.rowRequest = 0;
    ASSERT_TRUE(opened(3));
    EXPECT_TRUE(rig.media.log().opened[2].ends_with("a.mp3"));
    // Every row deleted and the first asked for: nothing is left to play, so playback ends.
    {
        std::lock_guard<std::mutex> lock(rig.shared.mutex);
        rig.shared.rows.clear();
    }
    rig.shared.rowRequest = 0;
    EXPECT_TRUE(WaitFor([&] { return rig.shared.runState == kRunStopped; }, 2000));
    rig.playback.RequestStop();
    ASSERT_TRUE(rig.WaitStopped());
}

TEST(Playback, WithNoOneToAskOnlyASingleMatchIsDownloaded) {
    LoopbackHttpServer server([](const std::string& target) -> HttpAnswer {
        auto row = [](int id) { return "<lrc id=\"" + std::to_string(id) + "\" artist=\"a\" title=\"t\"></lrc>"; };
        if (target.find("Title=" + WideToUtf8(HexEncodeUtf16(u"one")) + "&") != std::string::npos) return {200, row(5)};
        if (target.find("?sh?") != std::string::npos) return {200, row(6) + row(7)};
        if (target.find("?dl?Id=5&") != std::string::npos) return {200, "[00:00.00]five\n"};
        return {200, "[00:00.00]other\n"};
    });
    Rig rig(LyricCard(), 50);
    MusicPlayback alone(rig.shared, rig.media, rig.speech, nullptr);
    LyricServerConfig config;
    config.hosts = {server.host(), ""};
    alone.SetLyricServer(config);
    rig.Add(rig.File("one.mp3", "x"));
    rig.Add(rig.File("two.mp3", "x"));
    ASSERT_EQ(alone.Start(Screen()), StartResult::Started);
    ASSERT_TRUE(rig.WaitStopped(alone));
    EXPECT_EQ(Lines(rig.card), std::vector<std::string>{"five"});
    size_t downloads = 0;
    for (const std::string& r : server.requests()) downloads += r.find("?dl?") != std::string::npos;
    EXPECT_EQ(downloads, 1u);
}

TEST(PlaybackRules, WindowsPathsAndCardInformation) {
    const uint32_t t6 = PackDailyTime(6, 0, 0), t12 = PackDailyTime(12, 0, 0), t22 = PackDailyTime(22, 0, 0);
    // (start, stop, now, inside): a window with start > stop spans midnight.
    const std::tuple<uint32_t, uint32_t, uint32_t, bool> windows[] = {
        {0, 0, t12, true},   {t6, t12, t6, true}, {t6, t12, t12, true}, {t6, t12, t22, false},
        {t22, t6, PackDailyTime(23, 0, 0), true}, {t22, t6, PackDailyTime(1, 0, 0), true}, {t22, t6, t12, false}};
    for (auto [start, stop, now, inside] : windows) EXPECT_EQ(InDailyWindow(start, stop, now), inside) << now;
    for (auto [path, spoken] : {std::pair{u"a.txt", true}, {u"/x/B.TxT", true}, {u"txt", false}, {u"a.mp3", false}})
        EXPECT_EQ(IsSpokenTextPath(path), spoken);
    // The pairs are walked over the bytes that arrived only.
    auto reply = MakeInfoReply(0, 2, 3, {{4, 1}, {6, 7}});
    EXPECT_EQ(LyricProtocolOf(CardInfoReply::Parse(reply)), 7);
    reply[2] = 100;  // announces more than came
    EXPECT_EQ(LyricProtocolOf(CardInfoReply::Parse(reply)), 7);
    EXPECT_FALSE(LyricProtocolOf(CardInfoReply::Parse(std::span(reply.data(), 9))));
    EXPECT_FALSE(LyricProtocolOf(CardInfoReply::Parse(MakeInfoReply(0, 2, 2, {{4, 1}, {6, 7}}))));
}

}  // namespace
}  // namespace ledsuite

namespace ledsuite {
namespace {

// Row indices the list no longer has (or names twice) delete nothing more.
TEST(PlaybackRows, RemovingRowsKeepsTheCurrentRowOnItsSong) {
    PlaybackShared shared;
    for (const char16_t* path : {u"/a.mp3", u"/b.mp3", u"/c.mp3", u"/d.mp3"}) shared.rows.push_back({path});
    shared.currentRow = 2;
    shared.RemoveRows({4, 0, 0, -1});
    ASSERT_EQ(shared.RowCount(), 3u);
    EXPECT_EQ(shared.Row(shared.currentRow)->path, u"/c.mp3");
    shared.StepOn();
    EXPECT_EQ(shared.Row(shared.currentRow)->path, u"/d.mp3");
    // The current row deleted: its follower plays next, past the end nothing does.
    shared.RemoveRows({2});
    shared.StepOn();
    EXPECT_FALSE(shared.Row(shared.currentRow).has_value());
    EXPECT_EQ(shared.currentRow, 2);
}

}  // namespace
}  // namespace ledsuite

namespace ledsuite {
namespace {

// The list as its file letters, with the current row in brackets: "a[b]cd".
std::string Listed(const PlaybackShared& shared) {
    std::string out;
    for (int i = 0; i < int(shared.RowCount()); ++i) {
        const char letter = char(shared.Row(i)->path[1]);
        out += i == shared.currentRow ? std::string{'[', letter, ']'} : std::string(1, letter);
    }
    return out;
}

void FourRows(PlaybackShared& shared, int current) {
    for (const char16_t* path : {u"/a.mp3", u"/b.mp3", u"/c.mp3", u"/d.mp3"}) shared.rows.push_back({path});
    shared.currentRow = current;
}

TEST(PlaybackRows, ShiftedRowsKeepTheCurrentRowOnItsSong) {
    // (current, row, to, list after the shift, list after the song ends): the playing row moves
    // down and up, the row after it and the row before it move past it, rows elsewhere move.
    const std::tuple<int, int, int, std::string, std::string> cases[] = {
        {1, 1, 2, "ac[b]d", "acb[d]"}, {1, 1, 0, "[b]acd", "b[a]cd"}, {1, 2, 1, "ac[b]d", "acb[d]"},
        {1, 0, 1, "[b]acd", "b[a]cd"}, {1, 2, 3, "a[b]dc", "ab[d]c"}, {2, 0, 1, "ba[c]d", "bac[d]"}};
    for (const auto& [current, row, to, shifted, next] : cases) {
        PlaybackShared shared;
        FourRows(shared, current);
        EXPECT_TRUE(shared.ShiftRow(row, to));
        EXPECT_EQ(Listed(shared), shifted) << row << "->" << to;
        shared.StepOn();
        EXPECT_EQ(Listed(shared), next) << row << "->" << to;
    }
}

TEST(PlaybackRows, ShiftsOutOfTheListRequestsAndTheGapOfADeletedRow) {
    PlaybackShared shared;
    FourRows(shared, 0);
    for (auto [row, to] : {std::pair{3, 4}, {-1, 0}, {0, -1}, {0, 2}, {1, 1}}) EXPECT_FALSE(shared.ShiftRow(row, to));
    EXPECT_EQ(Listed(shared), "[a]bcd");
    // A row asked for by Next follows its song too, and the worker takes it as the current row.
    shared.rowRequest = 2;
    EXPECT_TRUE(shared.ShiftRow(2, 3));
    EXPECT_EQ(shared.rowRequest, 3);
    int row = -1;
    EXPECT_EQ(shared.TakeCurrent(row)->path, u"/c.mp3");
    EXPECT_EQ(std::pair(row, shared.rowRequest.load()), std::pair(3, -1));
    // The playing row deleted: the row at its place plays next, whatever moves around it.
    shared.currentRow = 1;
    shared.RemoveRows({1});
    EXPECT_TRUE(shared.ShiftRow(1, 0));
    shared.StepOn();
    EXPECT_EQ(Listed(shared), "d[a]c");
}

}  // namespace
}  // namespace ledsuite
