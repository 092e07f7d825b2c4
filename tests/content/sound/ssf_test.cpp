// The ".ssf" file against headers built here by hand, at a fixed clock.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <fstream>

#include "content/bytes.h"
#include "content/model/clock.h"
#include "content/sound/ssf_file.h"
#include "tests/content/sound/sound_test_util.h"

using namespace ledsuite;
using namespace soundtest;

namespace {

// CRC-16/MODBUS, bit by bit.
uint16_t Crc(const uint8_t* p, size_t n) {
    uint16_t crc = 0xFFFF;
    for (size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k) crc = (crc & 1) ? uint16_t((crc >> 1) ^ 0xA001) : uint16_t(crc >> 1);
    }
    return crc;
}

// The 512 header bytes of a file written at 2024-03-20 13:05:09.250.
Bytes ExpectedHeader(const std::u16string& stem, uint32_t lengthField, uint32_t samples, uint16_t mode,
                     uint32_t markBytes, uint32_t offset) {
    Bytes h(512, 0);
    std::copy_n("kip", 3, &h[2]);
    StoreU16(&h[8], 2024 << 4 | 3);
    StoreU16(&h[10], 20 << 11 | 13 << 6 | 5);
    StoreU16(&h[12], 9 << 10 | 250);
    StoreU32(&h[14], lengthField);
    for (size_t i = 0; i < stem.size(); ++i) StoreU16(&h[18 + 2 * i], stem[i]);
    StoreU16(&h[0], Crc(&h[2], 86));
    std::copy_n("sfh", 3, &h[258]);
    h[262] = 0x23;
    StoreU32(&h[264], samples), StoreU32(&h[268], samples * 2), StoreU32(&h[272], offset);
    StoreU16(&h[276], mode), StoreU32(&h[280], markBytes);
    StoreU16(&h[256], Crc(&h[258], 26));
    return h;
}

const LocalTime kWritten{2024, 3, 20, 13, 5, 9, 3, 250};

// Eight samples and a half-filled ninth: the length is rounded down to 16 bytes.
SoundClip Sample() {
    SoundClip c = Clip(kMono22k, {-32768, 32767, 0, 1, -1, 17, 100, 5, 44});
    c.length = 18;
    return c;
}
const Bytes kStored = {0x00, 0x00, 0xF0, 0xFF, 0x00, 0x80, 0x00, 0x80,
                       0xF0, 0x7F, 0x10, 0x80, 0x60, 0x80, 0x00, 0x80};

}  // namespace

TEST(SsfFile, FileOfMode0) {
    const ScopedClockOverride clock(kWritten);
    TempFolder dir("ssf0");
    const std::string path = dir / "Hello.ssf";
    const SoundClip clip = Sample();
    EXPECT_EQ(WriteSsfFile({}, &clip, nullptr, path, 1234, 0), 1234);
    EXPECT_EQ(ReadAll(path), ExpectedHeader(u"Hello", 16 + 512, 8, 0, 0, 512) + kStored);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);  // no temporary left
    using std::filesystem::perms;
    EXPECT_EQ(std::filesystem::status(path).permissions() & perms::all,
              perms::owner_read | perms::owner_write | perms::group_read | perms::others_read);
}

TEST(SsfFile, MemoryOfModes1To3) {
    const ScopedClockOverride clock(kWritten);
    SoundClip clip = Sample();
    Bytes buf(2000, 0xEE);
    EXPECT_EQ(WriteSsfFile({}, &clip, buf.data(), "", 600, 1), 600 - 528);
    EXPECT_EQ(Bytes(buf.begin(), buf.begin() + 528), ExpectedHeader(u"", 16 + 512, 8, 1, 0, 512) + kStored);
    EXPECT_EQ(buf[528], 0xEE);

    // Mode 2: the marks behind the headers, padded to 512; the length field holds that size.
    clip.marks = {3, 8};
    std::fill(buf.begin(), buf.end(), 0xEE);
    EXPECT_EQ(WriteSsfFile({}, &clip, buf.data(), "", 2000, 2), 2000 - 1040);
    Bytes expected = ExpectedHeader(u"", 512, 8, 2, 8, 1024);
    expected.resize(1024, 0);
    expected[512] = 3, expected[516] = 8;
    EXPECT_EQ(Bytes(buf.begin(), buf.begin() + 1040), expected + kStored);

    // 128 marks fill the 512 bytes exactly; one more takes another 512.
    for (const auto& [count, table] : {std::pair<uint32_t, uint32_t>{128, 512}, {129, 1024}}) {
        clip.marks.assign(count, 1);
        Bytes big(4096, 0xEE);
        EXPECT_EQ(WriteSsfFile({}, &clip, big.data(), "", big.size(), 2), int64_t(4096 - 512 - table - 16));
        EXPECT_EQ(std::tuple(LoadU32(&big[14]), LoadU32(&big[272]), LoadU32(&big[280])),
                  std::tuple(table, 512 + table, count * 4));
    }
    // 16,260 marks take 65,040 bytes: a table of 128 blocks.
    clip.marks.assign(16260, 1);
    Bytes large(70000, 0xEE);
    EXPECT_EQ(WriteSsfFile({}, &clip, large.data(), "", large.size(), 2), int64_t(70000 - 512 - 65536 - 16));
    EXPECT_EQ(LoadU32(&large[14]), 65536u);
    EXPECT_EQ(WriteSsfFile({}, &clip, buf.data(), "", 16, 3), 0);  // samples only
    EXPECT_EQ(Bytes(buf.begin(), buf.begin() + 16), kStored);
}

TEST(SsfFile, RefusalsAndAFullBuffer) {
    SoundClip clip = Sample();
    Bytes buf(600);
    EXPECT_EQ(WriteSsfFile({}, nullptr, buf.data(), "", 600, 0), -1);
    EXPECT_EQ(WriteSsfFile({}, &clip, nullptr, "", 600, 0), -1);
    EXPECT_EQ(WriteSsfFile({}, &clip, buf.data(), "", 0, 0), -1);
    EXPECT_EQ(WriteSsfFile({}, &clip, buf.data(), "", 600, 4), -4);
    EXPECT_EQ(WriteSsfFile({}, &clip, buf.data(), "", 600, -1), -4);
    EXPECT_EQ(WriteSsfFile({}, &clip, buf.data(), "", 100, 0), -10);  // no room for the headers
    EXPECT_EQ(WriteSsfFile({}, &clip, buf.data(), "", 520, 0), -10);  // nor for the block
    SoundClip three = Clip(kMono22k, {1, 2, 3});
    three.length = 3;  // under 4 bytes after rounding
    EXPECT_EQ(WriteSsfFile({}, &three, buf.data(), "", 600, 0), -2);
    clip.format |= 0x40;
    EXPECT_EQ(WriteSsfFile({}, &clip, buf.data(), "", 600, 0), -2);
    TempFolder dir("ssfbad");
    clip = Sample();
    EXPECT_EQ(WriteSsfFile({}, &clip, nullptr, dir / "mode4.ssf", 0, 4), -4);
    EXPECT_FALSE(std::filesystem::exists(dir / "mode4.ssf"));
    EXPECT_EQ(WriteSsfFile({}, &clip, nullptr, dir / "no/such/folder.ssf", 0, 0), 0);
}

TEST(SsfFile, ProgressByBlocksAndTheStem) {
    std::vector<int16_t> samples(200000, 3);
    samples[0] = 0x100, samples[81920] = 0x1234, samples[163840] = -0x1234;  // the first of each block
    const SoundClip clip = Clip(kMono22k, samples);
    std::vector<std::pair<uint32_t, uint32_t>> calls;
    TempFolder dir("ssfprog");
    EXPECT_EQ(WriteSsfFile([&](uint32_t t, uint32_t d) { calls.emplace_back(t, d); }, &clip, nullptr,
                           dir / "long.ssf", 0, 3),
              0);
    EXPECT_EQ(calls, (std::vector<std::pair<uint32_t, uint32_t>>{
                         {1, 0}, {200000, 81920}, {200000, 163840}, {200000, 200000}, {100, 100}}));
    const Bytes stored = ReadAll(dir / "long.ssf");
    ASSERT_EQ(stored.size(), 400000u);
    // 0x100 + 0x8000, 3 + 0x8000 with the low bits cleared, 0x1234 + 0x8000 and 0x8000 - 0x1234.
    EXPECT_EQ((Bytes{stored[0], stored[1], stored[2], stored[3], stored[163840], stored[163841], stored[327680],
                     stored[327681]}),
              (Bytes{0x00, 0x81, 0x00, 0x80, 0x30, 0x92, 0xC0, 0x6D}));
    EXPECT_EQ(SsfStem("D:\\ZIZodo\\Sound\\007.ssf"), u"007");
    EXPECT_EQ(SsfStem("/media/usb/a.b/节目.x.ssf"), u"节目.x");
    EXPECT_EQ(SsfStem("/m/" + std::string(40, 'n') + ".ssf"), std::u16string(31, u'n'));
}

TEST(SsfFile, AFullDiskReportsFailureAndKeepsTheOldFile) {
    TempFolder dir("ssffull");
    const std::string path = dir / "full.ssf";
    std::ofstream(path) << "old";
    const SoundClip clip = Clip(kMono22k, std::vector<int16_t>(4000, 1));
    // A file-size limit makes write() fail with EFBIG, as a full disk fails with ENOSPC.
    signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const int64_t r = WriteSsfFile({}, &clip, nullptr, path, 77, 0);
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(r, 0);
    EXPECT_EQ(ReadAll(path), (Bytes{'o', 'l', 'd'}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}
