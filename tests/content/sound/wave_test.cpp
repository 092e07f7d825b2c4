// Loading clips: WAV images built here, WAV and MP3 files made by sox and lame.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

#include "content/sound/sound_clip.h"
#include "tests/content/sound/sound_test_util.h"

using namespace ledsuite;
using namespace soundtest;

namespace {

bool Parse(SoundClip& c, const Bytes& b) { return ParseWaveMemory(c, b.data(), b.size()); }

// A layer III header: its four bytes, the side information's size (which the Info tag
// follows) and the frame's size.
struct Mp3Layout {
    uint8_t header[4];
    size_t side, frame;
};
// 48 kHz mono at 128 kbit/s (MPEG-1): decoded again at 44.1 kHz.
constexpr Mp3Layout kMono48k{{0xFF, 0xFB, 0x94, 0xC0}, 17, 384};

// Three frames: an Info frame whose header claims `frames` frames, then two of silence.
Bytes InfoMp3(uint32_t frames, const Mp3Layout& layout = kMono48k) {
    Bytes f;
    for (int i = 0; i < 3; ++i) {
        f.insert(f.end(), layout.header, layout.header + 4);
        f.resize(f.size() + layout.frame - 4, 0);
    }
    std::copy_n("Info\0\0\0\1", 8, f.begin() + 4 + ptrdiff_t(layout.side));  // the frame count flag
    for (int i = 0; i < 4; ++i) f[4 + layout.side + 8 + i] = uint8_t(frames >> (24 - 8 * i));
    return f;
}

}  // namespace

TEST(WaveReading, ChunksAroundTheSamples) {
    const std::vector<int16_t> s = {1, -2, 300, -32768};
    // The 18-byte format, a fact chunk and a LIST chunk of odd size with its pad byte.
    Bytes dressed;
    Chunk(dressed, "fmt ", FmtBody(1, 22050, 16, true));
    Chunk(dressed, "fact", {4, 0, 0, 0});
    Chunk(dressed, "LIST", {'a', 'b', 'c', 0}, 3);
    Chunk(dressed, "data", Samples16(s));
    for (const Bytes& image : {Wav(FmtBody(1, 22050, 16), Samples16(s)), Riff(dressed)}) {
        SoundClip c;
        c.marks = {7};
        ASSERT_TRUE(Parse(c, image));
        // 16-bit, 22,050 Hz, mono; no marks kept
        EXPECT_EQ(std::tuple(c.format, c.length, SamplesOf(c), c.marks.size()), std::tuple(0x23, 8u, s, 0u));
    }
    // WAVE_FORMAT_EXTENSIBLE with the PCM sub-format, as sox writes it; stereo 44.1 kHz.
    Bytes ext = FmtBody(2, 44100, 16, false, 0xFFFE);
    Put16(ext, 22), Put16(ext, 16), Put32(ext, 3), Put16(ext, 1);
    ext.resize(40, 0);
    SoundClip c;
    ASSERT_TRUE(Parse(c, Wav(ext, Samples16({5, 6, 7, 8}))));
    EXPECT_EQ(c.format, 3 | 7 << 3 | 0x40);
    ext[24] = 3;  // IEEE float sub-format
    EXPECT_FALSE(Parse(c, Wav(ext, Samples16({5, 6, 7, 8}))));
}

TEST(WaveReading, SizesAreHeldToTheBytesPresent) {
    const Bytes samples = Samples16({10, 20, 30});
    for (uint32_t claimed : {0xFFFFFFFFu, 100u}) {  // streamed, and cut short
        Bytes b;
        Chunk(b, "fmt ", FmtBody(1, 16000, 16));
        Chunk(b, "data", samples, claimed);
        SoundClip c;
        ASSERT_TRUE(Parse(c, Riff(b)));
        EXPECT_EQ(std::pair(SamplesOf(c), c.format), std::pair(std::vector<int16_t>{10, 20, 30}, uint16_t(3 | 3 << 3)));
    }
    // Half a sample at the end is dropped.
    SoundClip c;
    ASSERT_TRUE(Parse(c, Wav(FmtBody(1, 16000, 16), {1, 0, 2})));
    EXPECT_EQ(c.length, 2u);
}

TEST(WaveReading, RefusesWhatIsNotPcmSound) {
    auto with = [](const Bytes& fmt, bool data = true) {
        Bytes b;
        Chunk(b, "fmt ", fmt);
        if (data) Chunk(b, "data", Samples16({1, 2}));
        return Riff(b);
    };
    Bytes fmt20 = FmtBody(1, 8000, 16, true);
    fmt20.resize(20, 0);
    Bytes noRiff = with(FmtBody(1, 8000, 16));
    noRiff[0] = 'X';
    Bytes dataFirst;
    Chunk(dataFirst, "data", Samples16({1, 2}));
    Chunk(dataFirst, "fmt ", FmtBody(1, 8000, 16));
    Bytes shortHead = with(FmtBody(1, 8000, 16), false);
    Put(shortHead, "dat");  // a chunk header with under 8 bytes left
    const std::vector<std::pair<const char*, Bytes>> cases = {
        {"under 20 bytes", Bytes(noRiff.begin(), noRiff.begin() + 19)},
        {"not RIFF", noRiff},
        {"fmt of 20 bytes", with(fmt20)},
        {"float samples", with(FmtBody(1, 8000, 32, false, 3))},
        {"three channels", with(FmtBody(3, 8000, 16))},
        {"12-bit samples", with(FmtBody(1, 8000, 12))},
        {"no data chunk", with(FmtBody(1, 8000, 16), false)},
        {"data before fmt", Riff(dataFirst)},
        {"short chunk header", shortHead},
        {"empty data", Wav(FmtBody(1, 8000, 16), {})},
    };
    for (const auto& [name, bytes] : cases) {
        SoundClip c;
        EXPECT_FALSE(Parse(c, bytes)) << name;
        EXPECT_TRUE(c.data.empty()) << name;
    }
}

TEST(WaveReading, WidthsAndRatesTheCardCannotTake) {
    // 8-bit samples stay 8-bit until converted.
    SoundClip c;
    ASSERT_TRUE(Parse(c, Wav(FmtBody(1, 8000, 8), {0, 128, 255, 1})));
    EXPECT_EQ(c.format, 0);
    ASSERT_TRUE(Expand8To16(c));
    EXPECT_EQ(std::pair(SamplesOf(c), c.format),
              std::pair(std::vector<int16_t>{-32768, 0, 32512, -32512}, uint16_t(3)));
    // 24-bit samples keep their top 16 bits.
    ASSERT_TRUE(Parse(c, Wav(FmtBody(1, 11025, 24), {0x11, 0x34, 0x12, 0xFF, 0xFF, 0x80})));
    EXPECT_EQ(std::pair(SamplesOf(c), c.format),
              std::pair(std::vector<int16_t>{0x1234, int16_t(0x80FF)}, uint16_t(3 | 1 << 3)));
    // 48 kHz is resampled to 44.1 kHz instead of being played as 8 kHz.
    ASSERT_TRUE(Parse(c, Wav(FmtBody(2, 48000, 16), Samples16(std::vector<int16_t>(2 * 4800, 1000)))));
    EXPECT_EQ(std::tuple(c.format, c.length, SamplesOf(c)[777]), std::tuple(3 | 7 << 3 | 0x40, 4u * 4410, 1000));
}

TEST(WaveReading, StereoAt44kBecomesAQuarterForTheCard) {
    std::vector<int16_t> s;
    for (int i = 0; i < 8; ++i) s.insert(s.end(), {int16_t(i * 100 + 1), int16_t(-5)});
    TempFolder dir("wave44");
    WriteFile(dir / "tone.wav", Wav(FmtBody(2, 44100, 16), Samples16(s)));
    SoundClip c;
    ASSERT_TRUE(LoadSoundFile({}, c, dir / "tone.wav"));
    StereoToMono(c);
    ASSERT_TRUE(HalveRate(c));
    // A quarter of the bytes: the left samples 1, 101, 201, ... averaged in pairs.
    EXPECT_EQ(std::tuple(c.length, c.format, SamplesOf(c)),
              std::tuple(32u / 4, 0x23, std::vector<int16_t>{51, 251, 451, 651}));
}

TEST(Mp3Loading, FilesMadeByLame) {
    TempFolder dir("mp3");
    struct Case {
        int rate, channels;
        uint16_t format;
        uint32_t hz;
    };
    // 48 kHz is decoded at 44.1 kHz; the others keep their rate.
    for (const Case& k : {Case{44100, 2, 3 | 7 << 3 | 0x40, 44100}, Case{48000, 1, 3 | 7 << 3, 44100},
                          Case{22050, 1, 0x23, 22050}}) {
        const std::string path = dir / ("tone" + std::to_string(k.rate) + ".mp3");
        ASSERT_TRUE(MakeToneMp3(path, k.rate, k.channels, 0.5)) << "sox and lame make the fixture";
        SoundClip c;
        uint32_t reports = 0, lastDone = 0;
        ASSERT_TRUE(LoadSoundFile([&](uint32_t, uint32_t done) { ++reports, lastDone = done; }, c, path)) << path;
        EXPECT_EQ(std::pair(c.format, size_t(c.length)), std::pair(k.format, c.data.size())) << k.rate;
        // Half a second, give or take the encoder's delay and padding.
        const double seconds = double(c.length) / BytesPerSample(c.format) / k.hz;
        EXPECT_NEAR(seconds, 0.5, 0.1) << k.rate;
        EXPECT_EQ(std::pair(reports > 0, lastDone), std::pair(true, uint32_t(std::filesystem::file_size(path))));
        ASSERT_TRUE(PrepareClipForCard(c));
        EXPECT_EQ(c.format, 0x23);  // 16-bit mono at 22,050 Hz
    }
}

TEST(Mp3Loading, TheEncodersDelayAndPaddingAreCut) {
    TempFolder dir("gapless");
    // (rate, channels, seconds): exactly the source's sample frames come back, no silence around them.
    for (auto [rate, channels, seconds] : {std::tuple(44100, 1, 1.5), std::tuple(22050, 2, 1.0)}) {
        const std::string path = dir / ("tone" + std::to_string(rate) + ".mp3");
        ASSERT_TRUE(MakeToneMp3(path, rate, channels, seconds)) << "sox and lame make the fixture";
        SoundClip c;
        ASSERT_TRUE(LoadSoundFile({}, c, path));
        EXPECT_EQ(c.length / BytesPerSample(c.format), uint32_t(rate * seconds)) << rate;
    }
}

TEST(Mp3Loading, OtherFilesFail) {
    TempFolder dir("notmp3");
    Bytes text(20000, 'a');
    WriteFile(dir / "text.mp3", text);
    Bytes noise(20000);
    for (size_t i = 0; i < noise.size(); ++i) noise[i] = uint8_t((i * 2654435761u) >> 13);
    WriteFile(dir / "noise.bin", noise);
    for (const char* name : {"text.mp3", "noise.bin", "missing.mp3"}) {
        SoundClip c;
        c.data = {1, 2};
        EXPECT_FALSE(LoadSoundFile({}, c, dir / name)) << name;
        EXPECT_EQ(std::pair(c.data.size(), c.length), std::pair(size_t(0), 0u)) << name;
    }
}

TEST(Mp3Loading, AFrameCountTheFileCannotHoldIsIgnored) {
    TempFolder dir("infocount");
    auto load = [&dir](const Bytes& b) {
        SoundClip c;
        WriteFile(dir / "info.mp3", b);
        EXPECT_TRUE(LoadSoundFile({}, c, dir / "info.mp3"));
        return c.data;
    };
    // The kept file (also a seed of the MP3 fuzz target) is this image: 1152 bytes that claim
    // four billion frames, which once took half a minute to decode at the forced 44.1 kHz.
    const char* source = std::getenv("LEDSUITE_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    const std::string kept = std::string(source) + "/tests/content/sound/data/info_claims_4g_frames.mp3";
    EXPECT_EQ(ReadAll(kept), InfoMp3(0xFFFFFFFF));
    SoundClip slow;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(LoadSoundFile({}, slow, kept));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    const Bytes unknown = load(InfoMp3(0));
    EXPECT_EQ(std::pair(slow.format, slow.data), std::pair(uint16_t(3 | 7 << 3), unknown));
    EXPECT_EQ(load(InfoMp3(0) + Bytes{'I', 'n', 'f', 'o'}), unknown);  // a tag cut short by the end is no tag
    // In every header layout a count up to size / 24 is taken, one beyond it is not (as if
    // it were 0, unknown).
    const Mp3Layout layouts[] = {
        kMono48k,
        {{0xFF, 0xFA, 0x94, 0xC0}, 17, 384},  // with a CRC, which the tag does not move
        {{0xFF, 0xFB, 0x94, 0x00}, 32, 384},  // stereo
        {{0xFF, 0xFA, 0x94, 0x00}, 32, 384},
        {{0xFF, 0xF3, 0x94, 0xC0}, 9, 240},   // MPEG-2, 24 kHz at 80 kbit/s
        {{0xFF, 0xF2, 0x94, 0xC0}, 9, 240},
        {{0xFF, 0xF3, 0x94, 0x00}, 17, 240},
        {{0xFF, 0xF2, 0x94, 0x00}, 17, 240},
        {{0xFF, 0xE3, 0x94, 0xC0}, 9, 480},   // MPEG-2.5, 12 kHz
    };
    for (const Mp3Layout& layout : layouts) {
        const uint32_t limit = uint32_t(3 * layout.frame / 24);
        const Bytes none = load(InfoMp3(0, layout));
        EXPECT_NE(load(InfoMp3(limit, layout)), none) << layout.side;
        EXPECT_EQ(load(InfoMp3(limit + 1, layout)), none) << layout.side;
    }
}
