// The encoder's voice pass over a temporary folder as the drive, with real speech.
#include <gtest/gtest.h>

#include <algorithm>

#include "content/bytes.h"
#include "content/model/crc16.h"
#include "content/card/program_encoder.h"
#include "content/model/text_codec.h"
#include "content/render/font_tables.h"
#include "content/sound/voice_pass.h"
#include "tests/content/layout_helpers.h"
#include "tests/content/sound/sound_test_util.h"

using namespace ledsuite;
using namespace soundtest;

extern "C" __attribute__((used, visibility("default"))) const char* __lsan_default_suppressions() {
    return "leak:libglib-2.0.so\nleak:libgobject-2.0.so\nleak:libgstreamer-1.0.so\n";
}

namespace {

constexpr uint32_t kText16 = CellAttr::Make(16, 0, 0);
constexpr uint8_t kEnglish = 2 + 2;  // kind byte of voice index 2

// A new set holding one English speech program 128 LEDs wide.
void AddVoiceSet(ProgramTree& tree, const std::u16string& text, uint8_t effect, int height) {
    const size_t set = tree.sets().size();
    tree.AddProgramSet();
    ProgramRecord& p = *tree.AddProgram(set)->record;
    p.right = 128, p.bottom = height;
    p.mainAction.effect = effect;
    p.mainAction.pause = 0;
    PutText(p.content, text, kText16);
    tree.SetProgramKind(set, 0, kEnglish);
}
ProgramTree VoiceScreen(const std::u16string& text, uint8_t effect, int height) {
    HardwareParams hw;
    hw.fileSystem = 1, hw.fontChip = 1, hw.cardSubtype = 2;
    ProgramTree tree(hw);
    AddVoiceSet(tree, text, effect, height);
    return tree;
}

struct VoiceBuild {
    Bytes buffer;
    int32_t length = 0;
    std::vector<EncodeProgress> reports;
};

VoiceBuild BuildWithVoice(const ProgramTree& tree, DriveRecord& drive, size_t limit = kImageLimit) {
    VoiceBuild b;
    b.buffer.assign(limit, 0xFF);
    EncodeHooks hooks;
    hooks.voicePass = MakeVoicePass(drive);
    hooks.progress = [&](const EncodeProgress& p) { b.reports.push_back(p); };
    uint32_t position = 0;
    b.length = BuildProgramImage(b.buffer.data(), &position, tree, limit, hooks);
    return b;
}

// The sound place of the first program: u16 index and the kind byte.
std::pair<uint16_t, uint8_t> SoundPlace(const Bytes& b) {
    const size_t header = LoadU16(&b[LoadU16(&b[4])]);
    const size_t body = LoadU32(&b[header + 6]);
    return {LoadU16(&b[body]), b[body + 2]};
}

}  // namespace

TEST(VoicePass, PiecesAtPunctuationOrByPage) {
    ProgramTree tree = VoiceScreen(u"One, two. Three!", kEffectMoveLeft, 16);
    ProgramRecord& p = *tree.program(0, 0)->record;
    EXPECT_TRUE(SplitsAtPunctuation(p));
    EXPECT_EQ(SpeechPieces(p, true), (std::vector<std::u16string>{u"One,", u" two.", u" Three!"}));
    p.mainAction.pause = 3;
    EXPECT_FALSE(SplitsAtPunctuation(p));
    p.mainAction.effect = kEffectMoveLeftContinue;
    EXPECT_TRUE(SplitsAtPunctuation(p));
    p.secondaryAction.effect = kEffectFlash;
    EXPECT_FALSE(SplitsAtPunctuation(p));
    auto pieces = [](const std::u16string& text, uint8_t effect, bool punctuation) {
        return SpeechPieces(*VoiceScreen(text, effect, 16).program(0, 0)->record, punctuation);
    };
    // Pages: each line of 16 pixels fills the 16-pixel area.
    EXPECT_EQ(pieces(u"Hello\nWorld", kEffectBlindsHorizontal, false),
              (std::vector<std::u16string>{u"Hello\n", u"World"}));
    EXPECT_EQ(pieces(u"Hello\nWorld\nAgain", kEffectBlindsHorizontal, false),
              (std::vector<std::u16string>{u"Hello\n", u"World\n", u"Again"}));
    // A text wider than the area wraps into lines a page each, as the card shows it.
    const std::u16string longText = u"one two three four five six seven eight nine ten eleven twelve";
    const auto wrapped = pieces(longText, kEffectBlindsHorizontal, false);
    std::u16string joined;
    for (const std::u16string& piece : wrapped) joined += piece;
    EXPECT_EQ(std::pair(wrapped.size() >= 3, joined), std::pair(true, longText)) << wrapped.size();
    // A piece over 512 characters is cut, not shortened.
    const auto cut = pieces(std::u16string(1100, u'a'), kEffectMoveLeft, true);
    ASSERT_EQ(cut.size(), 3u);
    EXPECT_EQ(std::pair(cut[0].size(), cut[0] + cut[1] + cut[2]), std::pair(size_t(512), std::u16string(1100, u'a')));
    // A cut never parts a surrogate pair: a pair that ends at 512 stays, one that would be
    // cut moves whole into the next piece.
    for (const auto& [at, first] : {std::pair<size_t, size_t>{510, 512}, {511, 511}}) {
        std::u16string text(600, u'b');
        text[at] = 0xD800, text[at + 1] = 0xDC00;
        const auto two = pieces(text, kEffectMoveLeft, true);
        ASSERT_EQ(two.size(), 2u) << at;
        EXPECT_EQ(std::pair(two[0].size(), two[0] + two[1]), std::pair(first, text)) << at;
    }
}

TEST(VoicePass, Mode1FileAndTheCopyBehindTheImage) {
    TempFolder drive("drive1");
    DriveRecord record{drive.path().string(), 0, true};
    const ProgramTree tree = VoiceScreen(u"One, two. Three!", kEffectMoveLeft, 16);
    const VoiceBuild b = BuildWithVoice(tree, record);
    ASSERT_GT(b.length, 0);
    const size_t L = size_t(b.length);
    EXPECT_EQ(record.fileCount, 1);
    const Bytes file = ReadAll(drive / "ZIZodo/Sound/000.ssf");
    ASSERT_GT(file.size(), 512u + 22050);  // more than half a second of speech
    EXPECT_EQ(Bytes(file.begin() + 2, file.begin() + 6) + Bytes(file.begin() + 258, file.begin() + 263),
              (Bytes{'k', 'i', 'p', 0, 's', 'f', 'h', 0, 0x23}));
    // Mode 1, the samples at 512 up to the end, the stem "000".
    EXPECT_EQ(std::tuple(LoadU16(&file[276]), LoadU32(&file[272]), LoadU32(&file[268]), LoadU16(&file[18])),
              std::tuple(1, 512u, file.size() - 512, u'0'));
    // The image's CRC covers the stored index; behind it the "pde" block and the sound.
    EXPECT_EQ(SoundPlace(b.buffer), std::make_pair(uint16_t(0), kEnglish));
    EXPECT_EQ(LoadU16(&b.buffer[L - 2]), Crc16Modbus(L - 2, b.buffer.data()));
    EXPECT_EQ(Bytes(b.buffer.begin() + L, b.buffer.begin() + L + 40), (Bytes{'p', 'd', 'e', 0} + Bytes(36, 0)));
    const uint8_t* copy = &b.buffer[L + 40];
    EXPECT_TRUE(std::equal(file.begin() + 256, file.end(), copy + 256));  // same sound, no stem
    EXPECT_EQ(b.buffer[L + 40 + file.size()], 0xFF);
    EXPECT_EQ(record.placedEnd, L + 40 + file.size());  // the end a program file keeps
    // Reports: the program's start, then one per piece, the last at 1.
    ASSERT_EQ(b.reports.size(), 4u);
    EXPECT_EQ(std::tuple(b.reports.front().fraction, b.reports.back().fraction, b.reports.back().programs),
              std::tuple(0.0f, 1.0f, 1u));
}

TEST(VoicePass, SpeechMarkupInTheProgramTextIsObeyed) {
    TempFolder drive("drivemarkup");
    DriveRecord record{drive.path().string(), 0, true};
    ASSERT_GT(BuildWithVoice(VoiceScreen(u"Hello <silence msec=\"2000\"/> world", kEffectMoveLeft, 16), record).length,
              0);
    // The sound file's samples (offset by 32768) hold a pause of two seconds at 22,050 Hz.
    const Bytes file = ReadAll(drive / "ZIZodo/Sound/000.ssf");
    size_t longest = 0, run = 0;
    for (size_t at = 512; at + 1 < file.size(); at += 2)
        longest = std::max(longest, run = std::abs(int(LoadU16(&file[at])) - 0x8000) < 256 ? run + 1 : 0);
    EXPECT_GE(longest, 22050 * 19 / 10);
    EXPECT_LT(file.size(), 512u + 2 * 22050 * 4);  // and not the element's words
}

TEST(VoicePass, Mode2WithMarksAndFixedSounds) {
    TempFolder drive("drive2");
    TempFolder res("res2");
    std::filesystem::create_directories(res.path() / "zu_soundfix");
    ASSERT_TRUE(MakeToneWav(res / "zu_soundfix/ding.wav", 16000, 1, 0.25));
    setenv("LEDSUITE_RESOURCES", res.path().c_str(), 1);
    DriveRecord record{drive.path().string(), 0, false};
    ProgramTree tree = VoiceScreen(u"Hello\nWorld", kEffectBlindsHorizontal, 16);
    BuildWithVoice(tree, record);
    const Bytes plain = ReadAll(drive / "ZIZodo/Sound/000.ssf");
    ProgramRecord& p = *tree.program(0, 0)->record;
    std::copy_n(u"ding.wav", 9, p.prefixSound.begin());
    std::copy_n(u"ding.wav", 9, p.suffixSound.begin());
    const VoiceBuild b = BuildWithVoice(tree, record, kImageLimit);
    EXPECT_EQ(record.fileCount, 2);
    EXPECT_EQ(record.placedEnd, 0u);  // nothing placed behind the image without the flag
    const Bytes framed = ReadAll(drive / "ZIZodo/Sound/000.ssf");
    for (const Bytes* f : {&plain, &framed}) {
        ASSERT_GT(f->size(), 1024u);
        // Mode 2, two marks, the samples behind the padded mark table, whose size is the length field.
        EXPECT_EQ(std::tuple(LoadU16(&(*f)[276]), LoadU32(&(*f)[280]), LoadU32(&(*f)[272]), LoadU32(&(*f)[14])),
                  std::tuple(2, 8u, 1024u, 512u));
        // The last mark is the samples joined (the header's count is rounded down to 4 bytes).
        EXPECT_NEAR(double(LoadU32(&(*f)[516])), double(LoadU32(&(*f)[264])), 1.0);
    }
    // Each of the two pages got a quarter second before and after: about 22,050 samples more.
    const double added = double(LoadU32(&framed[264])) - double(LoadU32(&plain[264]));
    EXPECT_NEAR(added, 4 * 0.25 * 22050, 0.03 * 22050);
    EXPECT_EQ(b.buffer[size_t(b.length)], 0xFF);  // nothing behind the image without the flag

    // A suffix alone comes after the speech: the samples start as the plain ones do.
    std::fill(p.prefixSound.begin(), p.prefixSound.end(), u'\0');
    BuildWithVoice(tree, record, kImageLimit);
    unsetenv("LEDSUITE_RESOURCES");
    const Bytes suffixed = ReadAll(drive / "ZIZodo/Sound/000.ssf");
    ASSERT_GT(suffixed.size(), plain.size());
    EXPECT_TRUE(std::equal(plain.begin() + 1024, plain.begin() + 3024, suffixed.begin() + 1024));
}

TEST(VoicePass, RoomBehindTheImageAndSoundlessPrograms) {
    TempFolder drive("drive3");
    DriveRecord record{drive.path().string(), 0, true};
    // Several seconds of speech do not fit the room a paged image leaves.
    std::u16string text;
    for (int i = 0; i < 8; ++i) text += u"A sentence that takes a while to say. ";
    ProgramTree tree = VoiceScreen(text, kEffectMoveLeft, 16);
    // A short sound after it (a set holds one voice program) would fit, but the placing
    // behind the image has ended.
    AddVoiceSet(tree, u"Hi", kEffectMoveLeft, 16);
    VoiceBuild b = BuildWithVoice(tree, record, kPagedImageLimit);
    ASSERT_GT(b.length, 0);
    const size_t L = size_t(b.length);
    EXPECT_EQ(record.placedEnd, L + 40);  // the block head alone: the sound did not fit
    EXPECT_EQ(Bytes(b.buffer.begin() + L, b.buffer.begin() + L + 4), (Bytes{'p', 'd', 'e', 0}));
    EXPECT_TRUE(std::all_of(b.buffer.begin() + L + 40, b.buffer.end(), [](uint8_t x) { return x == 0xFF; }));
    EXPECT_GT(std::filesystem::file_size(drive / "ZIZodo/Sound/000.ssf"), kPagedImageLimit);
    EXPECT_LT(std::filesystem::file_size(drive / "ZIZodo/Sound/001.ssf"), kPagedImageLimit / 2);
    tree.RemoveProgramSet(1);

    // Music without its file, and speech with nothing to say: no sound (index 0xFFFF).
    std::filesystem::remove_all(drive / "ZIZodo");
    tree.SetProgramKind(0, 0, 1);
    std::copy_n(u"/no/such.mp3", 13, tree.program(0, 0)->record->musicPath.begin());
    b = BuildWithVoice(tree, record);
    EXPECT_EQ(SoundPlace(b.buffer), std::make_pair(uint16_t(0xFFFF), uint8_t(1)));
    tree = VoiceScreen(u"   ", kEffectMoveLeft, 16);
    b = BuildWithVoice(tree, record);
    EXPECT_EQ(SoundPlace(b.buffer), std::make_pair(uint16_t(0xFFFF), kEnglish));
    EXPECT_FALSE(std::filesystem::exists(drive / "ZIZodo/Sound/000.ssf"));
}

TEST(VoicePass, ProgressReachesTheChannel) {
    struct Recorder : InternalChannel {
        std::vector<BuildProgressReport> seen;
        int code = 0;
        intptr_t send(int c, intptr_t arg) override {
            code = c;
            seen.push_back(*reinterpret_cast<const BuildProgressReport*>(arg));
            return 0;
        }
        void post(int, intptr_t) override {}
    } channel;
    ProgressToChannel(channel, 77)({3, 1, 0.5f});
    ASSERT_EQ(channel.seen.size(), 1u);
    const BuildProgressReport& r = channel.seen[0];
    EXPECT_EQ(std::tuple(channel.code, r.programs, r.done, r.fraction, std::u16string(r.text), r.extra),
              std::tuple(544, 3u, 1u, 0.5f, std::u16string(u"Compiling speech"), 77));
    EXPECT_EQ(SpeakToWavBytes(u"", 0, 0).size(), 0u);
}

// Moving down splits at punctuation too; two lines a page make one piece.
TEST(VoicePass, PagesOfTwoLinesAndMovingDown) {
    ProgramTree tree = VoiceScreen(u"Hello\nWorld\nAgain", kEffectBlindsHorizontal, 32);
    ProgramRecord& p = *tree.program(0, 0)->record;
    EXPECT_EQ(SpeechPieces(p, false), (std::vector<std::u16string>{u"Hello\nWorld\n", u"Again"}));
    p.mainAction.effect = kEffectMoveDown;
    EXPECT_TRUE(SplitsAtPunctuation(p));
    EXPECT_EQ(SpeechVoice(kEnglish), 2);
    EXPECT_EQ(SpeechVoice(2), 0);
    // Room behind the image: the 40-byte block and four bytes per voice program.
    EXPECT_TRUE(VoiceBlockFits(1000 + 40 + 12, 1000, 3));
    EXPECT_FALSE(VoiceBlockFits(1000 + 40 + 11, 1000, 3));
    EXPECT_FALSE(VoiceBlockFits(1000 + 39, 1000, 0));
}

// A lyric program has no sound of its own: no file, its place keeps its number.
TEST(VoicePass, LyricProgramsGetNoSound) {
    TempFolder drive("drive5");
    DriveRecord record{drive.path().string(), 0, false};
    ProgramTree tree = VoiceScreen(u"Hello", kEffectMoveLeft, 16);
    tree.SetProgramKind(0, 0, 0xFF);
    const VoiceBuild b = BuildWithVoice(tree, record);
    ASSERT_GT(b.length, 0);
    EXPECT_EQ(record.fileCount, 1);
    EXPECT_EQ(SoundPlace(b.buffer), std::make_pair(uint16_t(0), uint8_t(0xFF)));
    EXPECT_FALSE(std::filesystem::exists(drive / "ZIZodo/Sound/000.ssf"));
}

// A prefix comes before the speech and a prefix named outside "zu_soundfix" is none.
TEST(VoicePass, PrefixFirstAndOnlyFromItsFolder) {
    TempFolder drive("drive4"), res("res4");
    std::filesystem::create_directories(res.path() / "zu_soundfix");
    ASSERT_TRUE(MakeToneWav(res / "zu_soundfix/ding.wav", 22050, 1, 0.25));
    ASSERT_TRUE(MakeToneWav(res / "outside.wav", 22050, 1, 0.25));
    setenv("LEDSUITE_RESOURCES", res.path().c_str(), 1);
    DriveRecord record{drive.path().string(), 0, false};
    ProgramTree tree = VoiceScreen(u"Hello there", kEffectMoveLeft, 16);
    BuildWithVoice(tree, record);
    const Bytes plain = ReadAll(drive / "ZIZodo/Sound/000.ssf");
    ASSERT_GT(plain.size(), 512u);
    // The engine's speech varies by some samples from one rendering to the next: sizes are near.
    const auto grown = [&] { return double(ReadAll(drive / "ZIZodo/Sound/000.ssf").size()) - double(plain.size()); };
    ProgramRecord& p = *tree.program(0, 0)->record;
    std::copy_n(u"../outside.wav", 15, p.prefixSound.begin());
    BuildWithVoice(tree, record);
    EXPECT_NEAR(grown(), 0, 2000);  // no prefix: a quarter second would be 11,025 bytes
    std::fill(p.prefixSound.begin(), p.prefixSound.end(), u'\0');
    std::copy_n(u"ding.wav", 9, p.prefixSound.begin());
    BuildWithVoice(tree, record);
    unsetenv("LEDSUITE_RESOURCES");
    EXPECT_NEAR(grown(), 11025, 2000);
    // The file's samples start with the ding as the card stores it.
    SoundClip ding;
    ASSERT_TRUE(LoadSoundFile({}, ding, res / "zu_soundfix/ding.wav"));
    const Bytes prefixed = ReadAll(drive / "ZIZodo/Sound/000.ssf");
    ASSERT_GT(prefixed.size(), 512u + 2000);
    for (size_t i = 0; i < 1000; ++i)
        ASSERT_EQ(LoadU16(&prefixed[512 + 2 * i]), uint16_t((LoadU16(&ding.data[2 * i]) ^ 0x8000) & 0xFFF0)) << i;
}

// The shipped sounds are short 16-bit mono clips at a low rate that the reader takes. A user's
// sound of a shipped name is the one played; one that is no sound, or missing, is named in
// the drive record and the speech is built without it.
TEST(VoicePass, ShippedSoundsTheUsersOwnAndUnreadableOnes) {
    const std::filesystem::path shipped = std::filesystem::path(std::getenv("LEDSUITE_SOURCE_DIR")) / "res";
    FontTableSet t;
    t.ScanSoundFix((shipped / "zu_soundfix").string());
    ASSERT_GE(t.soundFix().size(), 4u);
    for (const std::u16string& name : t.soundFix()) {
        SoundClip clip;
        ASSERT_TRUE(LoadSoundFile({}, clip, (shipped / "zu_soundfix" / WideToUtf8(name)).string()));
        EXPECT_EQ(clip.format, MakeFormatCode(kWidthCode16, 1, false));  // 11,025 Hz
        EXPECT_TRUE(clip.length >= 11025 / 5 * 2 && clip.length <= 11025 * 2) << clip.length;
    }
    TempFolder drive("drive6"), data("data6");
    setenv("LEDSUITE_RESOURCES", shipped.c_str(), 1);
    setenv("XDG_DATA_HOME", data.path().c_str(), 1);
    const std::string user = data / "ledsuite/zu_soundfix/";
    std::filesystem::create_directories(user);
    ASSERT_TRUE(MakeToneWav(user + "ding.wav", 22050, 1, 0.5));
    WriteFile(user + "broken.wav", Wav(FmtBody(1, 22050, 16), {}));  // a data chunk without samples
    EXPECT_EQ(std::tuple(SoundFixPath(u"ding.wav"), SoundFixPath(u"beep.wav"), SoundFixPath(u"../ding.wav")),
              std::tuple(user + "ding.wav", (shipped / "zu_soundfix/beep.wav").string(), std::string()));
    DriveRecord record{drive.path().string(), 0, false};
    ProgramTree tree = VoiceScreen(u"Hello there", kEffectMoveLeft, 16);
    ProgramRecord& p = *tree.program(0, 0)->record;
    const auto build = [&](const char16_t* prefix, const char16_t* suffix) {
        std::fill(p.prefixSound.begin(), p.prefixSound.end(), u'\0');
        std::fill(p.suffixSound.begin(), p.suffixSound.end(), u'\0');
        std::copy_n(prefix, std::char_traits<char16_t>::length(prefix), p.prefixSound.begin());
        std::copy_n(suffix, std::char_traits<char16_t>::length(suffix), p.suffixSound.begin());
        record.unreadSounds.clear();
        BuildWithVoice(tree, record);
        return ReadAll(drive / "ZIZodo/Sound/000.ssf");
    };
    const Bytes plain = build(u"", u"");
    const Bytes framed = build(u"ding.wav", u"broken.wav");
    EXPECT_EQ(record.unreadSounds, std::vector<std::string>{user + "broken.wav"});
    // Half a second of the user's ding (11,025 samples, not the shipped 0.6 s), nothing for the broken one.
    EXPECT_NEAR(double(LoadU32(&framed[264])) - double(LoadU32(&plain[264])), 11025, 1000);
    std::filesystem::remove(user + "ding.wav");
    const Bytes shippedDing = build(u"missing.wav", u"ding.wav");  // the shipped ding now: 0.6 s
    EXPECT_NEAR(double(LoadU32(&shippedDing[264])) - double(LoadU32(&plain[264])), 0.6 * 22050, 1000);
    EXPECT_EQ(record.unreadSounds,
              std::vector<std::string>{(shipped / "zu_soundfix/missing.wav").string()});
    unsetenv("LEDSUITE_RESOURCES");
    unsetenv("XDG_DATA_HOME");
}

// Names copied from other systems need not be UTF-8: a Latin-1 "b\xE9ll.wav" is listed as
// "béll.wav", and that name opens it when the speech is built, as a UTF-8 name beside it does.
TEST(VoicePass, ASoundNamedInLatin1IsListedAndFramesTheSpeech) {
    TempFolder drive("drive7"), data("data7"), res("res7");
    setenv("LEDSUITE_RESOURCES", res.path().c_str(), 1);
    setenv("XDG_DATA_HOME", data.path().c_str(), 1);
    const std::string user = data / "ledsuite/zu_soundfix/";
    std::filesystem::create_directories(user);
    std::filesystem::create_directories(res / "zu_soundfix");
    ASSERT_TRUE(MakeToneWav(user + "b\xE9ll.wav", 22050, 1, 0.5));
    ASSERT_TRUE(MakeToneWav(user + "caf\xC3\xA9.wav", 22050, 1, 0.25));
    FontTableSet t;
    t.ScanSoundFix(res / "zu_soundfix", user);
    EXPECT_EQ(t.soundFix(), (std::vector<std::u16string>{u"béll.wav", u"café.wav"}));
    EXPECT_EQ(SoundFixPath(u"béll.wav"), user + "b\xE9ll.wav");
    DriveRecord record{drive.path().string(), 0, false};
    ProgramTree tree = VoiceScreen(u"Hello there", kEffectMoveLeft, 16);
    BuildWithVoice(tree, record);
    const Bytes plain = ReadAll(drive / "ZIZodo/Sound/000.ssf");
    ProgramRecord& p = *tree.program(0, 0)->record;
    std::copy_n(t.soundFix()[0].c_str(), t.soundFix()[0].size(), p.prefixSound.begin());
    std::copy_n(t.soundFix()[1].c_str(), t.soundFix()[1].size(), p.suffixSound.begin());
    BuildWithVoice(tree, record);
    const Bytes framed = ReadAll(drive / "ZIZodo/Sound/000.ssf");
    EXPECT_TRUE(record.unreadSounds.empty());
    EXPECT_NEAR(double(LoadU32(&framed[264])) - double(LoadU32(&plain[264])), 0.75 * 22050, 1000);
    unsetenv("LEDSUITE_RESOURCES");
    unsetenv("XDG_DATA_HOME");
}
