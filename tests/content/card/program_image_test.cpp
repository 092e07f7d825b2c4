#include "content/card/program_image.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string_view>
#include <tuple>

#include "content/model/crc16.h"
#include "content/render/image_sources.h"
#include "content/render/led_planes.h"
#include "tests/content/image_walker.h"

using namespace ledsuite;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using ::testing::_;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes At(const ProgramImage& image, size_t off, size_t n) {
    auto b = image.bytes();
    return Bytes(b.begin() + off, b.begin() + off + n);
}

std::unique_ptr<RawImage> Image(int w, int h, uint32_t colour = 0xFFFFFF) {
    auto image = std::make_unique<RawImage>();
    ResetImage(*image, w, h);
    FillImage(*image, colour);
    return image;
}

FrameVector Frames(size_t n, int w, int h) {
    FrameVector frames;
    for (size_t i = 0; i < n; ++i) frames.push_back(Image(w, h));
    return frames;
}

// The planes of an image as LedPlanes packs them.
Bytes Packed(const RawImage& image, uint16_t colorCode) {
    LedPlanes header;
    Bytes planes(2 * size_t(image.height) * ((size_t(image.width) + 7) >> 3));
    planes.resize(PackLedPlanes(&header, &image, planes.data(), planes.size(), colorCode));
    return planes;
}

// The planes of the first frame of the image set at `set`.
Bytes FirstFramePlanes(const ProgramImage& image, size_t set) {
    const uint8_t* h = image.bytes().data() + set + 3;
    const size_t bytes = (h[1] == 5 ? 1 : 2) * size_t(LoadU16(h + 4)) * ((LoadU16(h + 2) + 7u) >> 3);
    return At(image, LoadU32(h + 10), bytes);
}

// A screen whose programs use card font set 1 (a command stream), and a tree of one set.
ProgramTree CardFontTree(size_t programs, uint16_t fontChip = 0x0001) {
    HardwareParams hw;
    hw.fileSystem = 1, hw.fontChip = fontChip, hw.cardSubtype = 2;
    ProgramTree tree(hw);
    tree.AddProgramSet();
    for (size_t i = 0; i < programs; ++i) tree.AddProgram(0);
    return tree;
}

// Skeleton, then for each program its body up to the text head, with the text
// written by `text` (nothing for a lyric show), then the end of the image.
template <typename Text>
int32_t BuildImage(ProgramImage& image, const ProgramTree& tree, Text text) {
    std::vector<PendingContent> pending;
    if (WriteImageSkeleton(image, tree, pending) < 0) return kEncodeTooLarge;
    for (const PendingContent& c : pending) {
        const TextHeader& h = c.program->content.header;
        ContentBody body = WriteContentBody(image, *c.program, tree.screen(), c.body, TextFormOf(h, false));
        text(*c.program, body);
    }
    return WriteImageEnd(image);
}

void NoText(const ProgramRecord&, ContentBody&) {}

// A test glyph renderer: 6 x 9 cells, each glyph's rows hold its character code.
GlyphRenderer TestGlyphs(int w = 6, int h = 9) {
    return {[w, h](char16_t, uint32_t) { return std::pair{w, h}; },
            [](char16_t ch, uint32_t, int, int, std::span<uint8_t> bits) {
                for (auto& b : bits) b = uint8_t(ch);
            }};
}

}  // namespace

TEST(Crc16Modbus, CheckValueAndStoredOrder) {
    const std::string_view check = "123456789";
    EXPECT_EQ(Crc16Modbus(check.size(), reinterpret_cast<const uint8_t*>(check.data())), 0x4B37);
    EXPECT_EQ(Crc16Modbus(0, nullptr), 0xFFFF);
    const uint8_t one = 0x01;
    EXPECT_EQ(Crc16Modbus(1, &one), 0x807E);  // bitwise reference of the reflected polynomial
}

TEST(ProgramImage, SmallestImageIsALyricShowOf68BytesAndNeedsAllOfThem) {
    ProgramTree tree = CardFontTree(1);
    tree.SetProgramKind(0, 0, kKindLyricShow);
    ProgramRecord& p = *tree.program(0, 0)->record;
    p.left = 0, p.top = 0, p.right = 96, p.bottom = 16;
    ProgramImage image;
    ASSERT_EQ(BuildImage(image, tree, NoText), 68);
    const Bytes b(image.bytes().begin(), image.bytes().end());
    EXPECT_THAT(At(image, 0, 18), ElementsAre(68, 0, 0, 0, 18, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0));
    EXPECT_THAT(At(image, 18, 14), ElementsAre(32, 0, 1, 0, 0, 0, 0, 0, 96, 0, 16, 0, 0, 0));
    // Content header: one action, kind flag 0x01 and moving class 0x40, body at 42.
    EXPECT_THAT(At(image, 32, 10), ElementsAre(1, 0x41, 0, 0, 0, 0, 42, 0, 0, 0));
    EXPECT_THAT(At(image, 42, 3), ElementsAre(0, 0, 2));  // sound place with the subtype
    const CardAction main = EffectToCardAction(p.mainAction, 0, 0, 96, 16);
    EXPECT_THAT(At(image, 45, 12), ElementsAreArray(main));
    EXPECT_THAT(At(image, 57, 11), ElementsAre(96, 0, 16, 0, 14, 0, 0xFF, 0xFF, 0x00, b[66], b[67]));
    EXPECT_EQ(LoadU16(&b[66]), Crc16Modbus(66, b.data()));
    EXPECT_THAT(CheckProgramImage(b), IsEmpty());

    // Exactly sized buffers: ASan catches any stray byte, one byte short fails.
    for (size_t limit : {size_t(68), size_t(67)}) {
        auto buffer = std::make_unique<uint8_t[]>(limit);
        std::fill_n(buffer.get(), limit, 0xFF);
        ProgramImage exact(buffer.get(), limit);
        EXPECT_EQ(BuildImage(exact, tree, NoText), limit == 68 ? 68 : kEncodeTooLarge) << limit;
    }
}

TEST(ProgramImage, NarrowFieldsRefuseValuesThatDoNotFit) {
    auto fails = [](auto write) {
        ProgramImage image;
        WriteImageHead(image, 1);
        write(image);
        return !image.ok() && WriteImageEnd(image) == kEncodeTooLarge;
    };
    EXPECT_TRUE(fails([](ProgramImage& i) { WriteSingleImageSet(i, *Image(0x10000, 1), 5); }));
    EXPECT_TRUE(fails([](ProgramImage& i) { WriteImageSet(i, Frames(256, 1, 1), 5); }));
    EXPECT_FALSE(fails([](ProgramImage& i) { WriteImageSet(i, Frames(255, 1, 1), 5); }));
    EXPECT_TRUE(fails([](ProgramImage& i) { WriteGlyphSet(i, kFieldTableDigits, 0, TestGlyphs(256, 8)); }));
    // 12 month names of 255 x 255 glyphs: the glyph offsets pass 0xFFFF; 64 x 64 still fit.
    EXPECT_TRUE(fails([](ProgramImage& i) { WriteGlyphSet(i, kFieldTableMonthName, 0, TestGlyphs(255, 255)); }));
    EXPECT_FALSE(fails([](ProgramImage& i) { WriteGlyphSet(i, kFieldTableMonthName, 0, TestGlyphs(64, 64)); }));
    for (auto [x, fits] : {std::pair{65535, true}, {65536, false}, {-1, false}})
        EXPECT_EQ(fails([x](ProgramImage& i) { PutLineStart(i, x, 0, 0); }), !fits) << x;
    // Digit glyphs of 255 x 136 and 255 x 137: the last glyph at 98 + 15 * 4352 fits 16 bits, at 65858 not.
    for (auto [h, fits] : {std::pair{136, true}, {137, false}})
        EXPECT_EQ(fails([h](ProgramImage& i) { WriteGlyphSet(i, kFieldTableDigits, 0, TestGlyphs(255, h)); }), !fits);
    // Program records beyond 0xFFFF for the set record's 16-bit offset.
    EXPECT_TRUE(fails([](ProgramImage& i) {
        i.writer().fill(0, 0x10000);
        WriteSetRecord(i, 4, ProgramSetRecord{}, 1);
    }));
    EXPECT_TRUE(fails([](ProgramImage& i) {
        TimerLabels labels;
        labels.digitWidth = 30000;  // 3 day digits: the hours begin at x 90000
        WriteTimerRecord(i, TimerField{}, labels, 5);
    }));
}

TEST(ProgramImage, CommandUnitsFollowTheByteOrderFlag) {
    for (uint16_t chip : {uint16_t(0x0001), uint16_t(0x0101)}) {
        const uint8_t order = uint8_t(chip >> 8);
        ProgramTree tree = CardFontTree(1, chip);
        ProgramImage image;
        size_t stream = 0;
        int32_t table = 0;
        const int32_t length = BuildImage(image, tree, [&](const ProgramRecord& p, ContentBody& body) {
            SetTextSize(image, body.textHead, 40, 16);
            WriteCommandStreamHead(image, p.content.header, ByteOrderFlag(tree.screen()));
            stream = image.pos();
            PutLineStart(image, 2, 0, order);
            PutCommandUnit(image, kCmdColor, CommandColorCode(CellAttr::Red | CellAttr::Green), order);
            for (char16_t c : std::u16string_view(u"A\u00E9\u4E2D\u0E01")) PutCommandChar(image, c, order);
            const ByteWriter::Place field = PutObjectRef(image, uint8_t(CommandFieldType(FC_WEEK_CN)), order);
            PutTableStart(image, 64, 32, 2, 1, 0x0C, order);
            PutTableRule(image, 0x0C, 0, 0, 62, 0);
            PutTableCell(image, 0x00100020);
            PutCommandChar(image, u'B', order);
            PutTableEnd(image);
            PutStreamEnd(image);
            table = WriteCodeTable(image, kFieldTableWeekdayCn);
            EXPECT_EQ(WriteCodeTable(image, kFieldTableWeekdayCn), table);  // one table per image
            image.Patch(field, table);
        });
        ASSERT_GT(length, 0);
        const uint8_t t0 = uint8_t(table), t1 = uint8_t(table >> 8);
        const Bytes expected =
            order == 0 ? Bytes{0xFD, 0x03, 2, 0, 0, 0, 0xFB, 12, 0x00, 'A', 0x00, 0xE9, 0xD6, 0xD0, 0x00, '?',
                               0xFC, 9, t0, t1, 0, 0, 0xFC, 0x18}
                       : Bytes{0x03, 0xFD, 2, 0, 0, 0, 12, 0xFB, 'A', 0x00, 0xE9, 0x00, 0x2D, 0x4E, 0x01, 0x0E,
                               9, 0xFC, t0, t1, 0, 0, 0x18, 0xFC};
        EXPECT_THAT(At(image, stream, 24), ElementsAreArray(expected)) << "flag " << int(order);
        // Table operands, then rule, cell and end as FC 1B, FC 1A, FC 19 under either flag.
        const Bytes b = {0x42, 0x00};
        EXPECT_THAT(At(image, stream + 24, 38),
                    ElementsAre(0, 0, 5, 0, 64, 0, 32, 0, 2, 1, 0x0C, 0, 0, 0, 0xFC, 0x1B, 0x30, 0, 0, 0, 0, 0, 62, 0,
                                0, 0, 0xFC, 0x1A, 0x20, 0, 0x10, 0, order ? b[0] : b[1], order ? b[1] : b[0], 0xFC,
                                0x19, 0, 0));
        // The Chinese weekday code table: width 1, then each character's code-page bytes.
        EXPECT_THAT(At(image, size_t(table), 5), ElementsAre(1, 0xCC, 0xEC, 0xD2, 0xBB));
        const ImageWalk walk = WalkProgramImage(image.bytes());
        EXPECT_THAT(walk.problems, IsEmpty());
        EXPECT_EQ(walk.codeTables.size(), 1u);
    }
}

TEST(ProgramImage, CodeTablesPadEntriesWithBlanks) {
    ProgramImage image;
    const int32_t at = WriteCodeTable(image, kFieldTableMonthAbbr);
    EXPECT_EQ(image.pos(), 1u + 12 * 8);
    EXPECT_THAT(At(image, size_t(at), 9), ElementsAre(4, 0, 'J', 0, 'a', 0, 'n', 0, '.'));
    const int32_t en = WriteCodeTable(image, kFieldTableWeekdayEn);
    EXPECT_THAT(At(image, size_t(en) + 1 + 18, 18),  // "Monday" and three blank units
                ElementsAre(0, 'M', 0, 'o', 0, 'n', 0, 'd', 0, 'a', 0, 'y', 0x20, 0x20, 0x20, 0x20, 0x20, 0x20));
}

TEST(ProgramImage, ContentHeaderFlagsAndCardActions) {
    ProgramTree tree = CardFontTree(3);
    tree.screen().colorCode = 17;
    ProgramRecord& a = *tree.program(0, 0)->record;  // Blackboard, then Snow; speeds out of range
    a.mainAction.effect = kEffectBlackboardLeft, a.mainAction.speed = 0;
    a.secondaryAction.effect = kEffectSnow, a.secondaryAction.speed = 255;
    a.borderType = 2;
    ProgramRecord& b = *tree.program(0, 1)->record;  // Blackboard too: the four images are shared
    b.mainAction.effect = kEffectBlackboardRight;
    b.borderType = 1;  // custom without a frame: no border at all
    tree.SetProgramKind(0, 2, 1);
    ProgramImage image;
    std::vector<PendingContent> pending;
    ASSERT_EQ(WriteImageSkeleton(image, tree, pending), 0);
    std::vector<ContentBody> bodies;
    for (const PendingContent& c : pending) {
        bodies.push_back(WriteContentBody(image, *c.program, tree.screen(), c.body, kTextFormCommands));
        WriteCommandStreamHead(image, c.program->content.header, 0);
        PutStreamEnd(image);
    }
    image.Patch(bodies[0].border, WriteBorderBlock(image, a, 17));
    DissolveRandom random;
    for (const ContentBody& body : bodies)
        for (size_t i = 0; i < body.actionCount; ++i)
            EXPECT_TRUE(CompleteCardAction(image, body.actions[i], tree.screen().colorCode, random));
    ASSERT_GT(WriteImageEnd(image), 0);

    auto header = [&](size_t i) { return At(image, 18 + 3 * kProgramRecordSize + 10 * i, 2); };
    EXPECT_THAT(header(0), ElementsAre(2, 0x02));         // secondary action, border
    EXPECT_THAT(header(1), ElementsAre(1, 0x00));         // no border: no flag, no slot
    EXPECT_THAT(header(2), ElementsAre(1, 0x01 | 0x40));  // sound kind, moving main action
    EXPECT_FALSE(bodies[1].border.valid);
    const Bytes first = At(image, bodies[0].actions[0], 12), second = At(image, bodies[0].actions[1], 12);
    EXPECT_THAT(Bytes(first.begin(), first.begin() + 2), ElementsAre(13, 1));
    EXPECT_THAT(Bytes(second.begin(), second.begin() + 2), ElementsAre(16, 253));
    EXPECT_EQ(second[10], 3);
    const uint32_t images = LoadU32(&first[7]);
    EXPECT_EQ(LoadU32(At(image, bodies[1].actions[0] + 7, 4).data()), images);
    // Mode 17: both planes of the first built-in image are its mask.
    EXPECT_THAT(At(image, images, 9), ElementsAre(3, 0, 4, 30, 17, 16, 0, 16, 0));
    const Bytes sprite = {0x00, 0x38, 0x00, 0x7c, 0x00, 0x7e, 0x00, 0x7f, 0x80, 0x3f, 0xc0, 0x1f, 0xe0, 0x0f, 0xf0, 0x07,
                          0xf8, 0x03, 0xfc, 0x01, 0xfe, 0x00, 0x7e, 0x00, 0x3f, 0x00, 0x1f, 0x00, 0x03, 0x00, 0x00, 0x00};
    Bytes twice = sprite;
    twice.insert(twice.end(), sprite.begin(), sprite.end());
    EXPECT_EQ(FirstFramePlanes(image, images), twice);
    // The dissolve set runs from an empty to a full mask.
    const size_t dissolve = LoadU32(&second[6]);
    EXPECT_EQ(FirstFramePlanes(image, dissolve), Bytes(64, 0));
    const ImageWalk walk = WalkProgramImage(image.bytes());
    EXPECT_THAT(walk.problems, IsEmpty());
    EXPECT_EQ(walk.imageSets.size(), 4u + 2);  // border sides, the built-in images, the dissolve set
}

TEST(ProgramImage, BorderBlocksShareSideSetsButKeepTheirEffectAndSpeed) {
    // Four programs: pattern 3 twice, ball (6), and a custom border of two frames.
    ProgramTree tree = CardFontTree(4);
    auto set = [&](size_t i, uint8_t type, uint8_t effect, uint8_t speed) {
        ProgramRecord& p = *tree.program(0, i)->record;
        p.borderType = type, p.borderEffect = effect, p.borderSpeed = speed;
        return &p;
    };
    set(0, 3, 2, 40);
    set(1, 3, 5, 4);
    set(2, 6, 1, 20);
    ProgramRecord* custom = set(3, 1, 0, 30);
    custom->borderFrames.push_back(Image(2, 8, 0xFF0000));
    custom->borderFrames.push_back(Image(8, 2, 0x00FF00));
    EXPECT_EQ(BorderSideFrames(custom->borderFrames, 1)[3], custom->borderFrames[1]);

    std::vector<size_t> blocks, sizes;
    ProgramImage image;
    ASSERT_GT(BuildImage(image, tree, [&](const ProgramRecord& p, ContentBody& body) {
                  WriteCommandStreamHead(image, p.content.header, 0);
                  PutStreamEnd(image);
                  const int32_t at = WriteBorderBlock(image, p, tree.screen().colorCode);
                  image.Patch(body.border, at);
                  blocks.push_back(size_t(at));
                  sizes.push_back(image.pos() - size_t(at));
              }),
              0);
    const Bytes b0 = At(image, blocks[0], 28), b1 = At(image, blocks[1], 28);
    EXPECT_THAT(Bytes(b0.begin(), b0.begin() + 4), ElementsAre(3, 2, 40, 8));
    EXPECT_THAT(Bytes(b1.begin(), b1.begin() + 4), ElementsAre(3, 5, 10, 8));  // own effect, speed raised to 10
    EXPECT_EQ(Bytes(b0.begin() + 4, b0.end()), Bytes(b1.begin() + 4, b1.end()));
    EXPECT_EQ(Bytes(b0.begin() + 20, b0.end()), Bytes(8, 0));
    EXPECT_EQ(LoadU32(&b0[12]), blocks[0] + 28);  // the first side set right behind the block
    EXPECT_EQ(sizes[1], 28u);                      // a block on shared sets has nothing behind it
    // Frame i (left, top, right, bottom) sits behind the offset word 12, 4, 16, 8.
    auto side = [&](const Bytes& blk, size_t word) { return FirstFramePlanes(image, LoadU32(&blk[word])); };
    FrameVector pattern;
    MakeBorderFrames(&pattern, 3);
    const uint16_t code = tree.screen().colorCode;
    EXPECT_EQ(side(b0, 12), Packed(*pattern[0], code));
    EXPECT_EQ(side(b0, 4), Packed(*pattern[1], code));
    EXPECT_EQ(side(b0, 16), Packed(*pattern[2], code));
    EXPECT_EQ(side(b0, 8), Packed(*pattern[3], code));
    const Bytes ball = At(image, blocks[2], 28);
    FrameVector balls;
    MakeBorderFrames(&balls, 6);
    EXPECT_EQ(ball[3], 8);
    for (size_t w : {4, 8, 12, 16}) EXPECT_EQ(LoadU32(&ball[w]), LoadU32(&ball[4]));  // one set for every side
    EXPECT_EQ(side(ball, 4), Packed(*balls[1], code));                              // the upright pattern
    const Bytes c = At(image, blocks[3], 28);
    EXPECT_EQ(c[3], 0xFF);
    EXPECT_EQ(side(c, 12), Packed(*custom->borderFrames[0], code));
    EXPECT_EQ(side(c, 4), Packed(*custom->borderFrames[1], code));
    EXPECT_EQ(LoadU32(&c[16]), LoadU32(&c[4]));  // the missing frames reuse the last one's set
    EXPECT_EQ(LoadU32(&c[8]), LoadU32(&c[4]));
    const ImageWalk walk = WalkProgramImage(image.bytes());
    EXPECT_THAT(walk.problems, IsEmpty());
    EXPECT_EQ(walk.borderBlocks.size(), 4u);
    EXPECT_EQ(walk.imageSets.size(), 4u + 1 + 2);
}

TEST(ProgramImage, GlyphSetsListDistinctCharactersAndAreShared) {
    EXPECT_EQ(GlyphSetCharacters(kFieldTableDigits), u"0123456789.+-*/ ");
    EXPECT_EQ(GlyphSetCharacters(kFieldTableWeekdayEn).substr(0, 6), u"yadnuS");
    EXPECT_EQ(FieldTableStrings(kFieldTableWeekdayCn)[0], u"天");

    ProgramImage image;
    const uint32_t attr = CellAttr::Make(16, 2, 1);
    const int32_t en = WriteGlyphSet(image, kFieldTableWeekdayEn, attr, TestGlyphs());
    EXPECT_EQ(WriteGlyphSet(image, kFieldTableWeekdayEn, CellAttr::Make(16, 2, 6), TestGlyphs()), en);
    EXPECT_NE(WriteGlyphSet(image, kFieldTableWeekdayEn, CellAttr::Make(24, 2, 1), TestGlyphs()), en);
    EXPECT_NE(WriteGlyphSet(image, kFieldTableMonthAbbr, attr, TestGlyphs()), en);
    // w 6, h 9; seven string offsets; "Sunday" lists the glyphs of S u n d a y, then 0.
    const uint8_t* g = image.bytes().data() + en;
    EXPECT_EQ(g[0], 6);
    EXPECT_EQ(g[1], 9);
    const size_t glyphsAt = 2 + 2 * 7 + 2 * (6 + 6 + 7 + 9 + 8 + 6 + 8 + 7);
    EXPECT_EQ(LoadU16(g + 2), 16u);
    EXPECT_EQ(LoadU16(g + 4), 16u + 2 * 7);  // "Monday" behind the 6 glyphs and 0 of "Sunday"
    const std::u16string chars = GlyphSetCharacters(kFieldTableWeekdayEn);
    for (size_t i = 0; i < 6; ++i) {
        const size_t glyph = LoadU16(g + 16 + 2 * i);
        EXPECT_EQ(glyph, glyphsAt + 9 * chars.find(u"Sunday"[i]));
        EXPECT_EQ(g[glyph], uint8_t(u"Sunday"[i]));
    }
    EXPECT_EQ(LoadU16(g + 16 + 12), 0u);
}

TEST(ProgramImage, RenderedFormWithClocksPicturesAndFieldRecords) {
    HardwareParams hw;
    ProgramTree tree(hw);
    tree.AddProgramSet();
    ProgramRecord& program = *tree.AddProgram(0)->record;
    const uint32_t attr = CellAttr::Make(16, 0, 2);
    program.content.cells[0] = TextCell(FC_HOUR, attr);
    program.content.cells[1] = TextCell(FC_CLOCK, 0);
    auto clock = std::make_unique<ClockObject>();
    clock->size = 16;
    program.content.cells[1].obj = std::move(clock);

    auto adc = std::make_unique<AdcField>();
    adc->number = 7, adc->channel = 3, adc->attr = attr;
    adc->rows[0] = {0, 100, 1, 2, 3, 4};
    adc->rows[1] = {50, 50};
    adc->rows[2] = {10, 4097};
    adc->rows[kAdcCalibrationRows - 1] = {100, 4096, 0.5f};
    TimerField timer;
    timer.units = {1, 0, 3, 4}, timer.attr = attr, timer.dayDigits = 3;
    timer.labels[0][0] = u'd', timer.labels[1][0] = u'h';
    timer.labels[3].fill(u'x');  // 32 units without a NUL: 31 are kept
    const auto d = Image(6, 16), h = Image(6, 16), sLabel = Image(20, 16);
    const TimerLabels labels{{d.get(), h.get(), nullptr, sLabel.get()}, 5};
    CounterField counter;
    counter.digitFormat = 0x21, counter.channel = 1, counter.unit = 2, counter.flags = 1;
    counter.start = -5, counter.startFraction = 3, counter.attr = attr;

    size_t counterAt = 0, timerAt = 0, adcAt = 0, head = 0;
    ProgramImage image;
    ASSERT_GT(BuildImage(image, tree, [&](const ProgramRecord& p, ContentBody& body) {
                  head = body.textHead;
                  SetTextSize(image, head, 80, 16);
                  image.data()[head + 4] = TextFormOf(p.content.header, true);
                  const std::pair<int32_t, int32_t> clocks[] = {{40, 0}};
                  const auto clockPlaces = WriteClockTable(image, clocks);
                  ASSERT_GT(SerializeTextForCard(p.content, image.writer()), 0);
                  const ByteWriter::Place planes = WritePictureEntry(image, 0, 0);
                  const auto hour = WriteFieldRecord(image, FieldColorCode(attr), uint8_t(CardFieldType(FC_HOUR)), 0, 0);
                  const auto adcPlace = WriteFieldRecord(image, 5, kCardFieldAdc, 16, 0);
                  const auto timerPlace = WriteFieldRecord(image, 5, kCardFieldTimer, 24, 0);
                  const auto counterPlace = WriteFieldRecord(image, 5, kCardFieldCounter, 32, 0);
                  const auto pic = WriteFieldRecord(image, 5, kCardFieldPicture, 48, 0);
                  EndPictureEntry(image);
                  EndPictureEntries(image);
                  image.Patch(planes, WritePicture(image, *Image(80, 16), 5));
                  image.Patch(clockPlaces[0], WriteClockBlock(image, *CellObjectAs<ClockObject>(p.content.cells[1]),
                                                              Frames(2, 16, 16), 5));
                  image.Patch(pic, WriteSingleImageSet(image, *Image(8, 8), 5));
                  const FieldRecordPlace a = WriteAdcRecord(image, *adc);
                  const FieldRecordPlace t = WriteTimerRecord(image, timer, labels, 5);
                  const FieldRecordPlace c = WriteCounterRecord(image, counter);
                  adcAt = size_t(a.offset), timerAt = size_t(t.offset), counterAt = size_t(c.offset);
                  image.Patch(adcPlace, a.offset), image.Patch(timerPlace, t.offset), image.Patch(counterPlace, c.offset);
                  const int32_t digits = WriteGlyphSet(image, kFieldTableDigits, attr, TestGlyphs());
                  for (const auto& place : {hour, a.glyphSet, t.glyphSet, c.glyphSet}) image.Patch(place, digits);
              }),
              0);
    // Clock table: 2 entries, entry 0 pointing at the bytes 2, 0 right behind the table.
    EXPECT_THAT(At(image, head, 16), ElementsAre(80, 0, 16, 0, 1, 0, 2, 0, 0, 0, 0, 0, uint8_t(head + 24), 0, 0, 0));
    EXPECT_THAT(At(image, head + 24, 2), ElementsAre(2, 0));
    const uint8_t a0 = attr & 0xFF, a1 = (attr >> 8) & 0xFF, a2 = (attr >> 16) & 0xFF, a3 = attr >> 24;
    EXPECT_THAT(At(image, adcAt, 20), ElementsAre(0, 0, 7, 0, 3, 1, 0x24, 0, a0, a1, a2, a3, _, _, _, _, 2, 0, 0xFF, 0xFF));
    EXPECT_THAT(At(image, adcAt + 20, 4), ElementsAre(0, 0, 100, 0));  // only the first and the last row
    EXPECT_THAT(At(image, adcAt + 40, 4), ElementsAre(100, 0, 0, 0x10));
    // Timer: days, minutes and seconds shown; minutes begin after 3 digits and "d", seconds after 2 more.
    const Bytes t = At(image, timerAt, 68);
    EXPECT_THAT(Bytes(t.begin(), t.begin() + 8), ElementsAre(0, 0, 3, 0, 0, 0, 2 + 2 + 1 + 32, 0));
    EXPECT_THAT(Bytes(t.begin() + 20, t.begin() + 44),
                ElementsAre(0, 0, 0, 0, 0, 0, 0, 0, 21, 0, 0, 0, 31, 0, 0, 0, 1, 0, 3, 4, 2, 2, 2, 2));
    EXPECT_NE(LoadU32(&t[44]), 0u);
    EXPECT_EQ(LoadU32(&t[48]), 0u);  // hours hidden
    EXPECT_EQ(LoadU32(&t[52]), 0u);  // minutes have no label
    EXPECT_THAT(Bytes(t.begin() + 64, t.end()), ElementsAre(a0, a1, a2, a3));
    EXPECT_THAT(At(image, counterAt, 28), ElementsAre(0, 0x21, 1, 2, 1, 0, 0, 0, 0xFB, 0xFF, 0xFF, 0xFF, 99, 0, 0, 0,
                                                     3, 0, 0, 0, 0, 0, 0, 0, a0, a1, a2, a3));
    const ImageWalk walk = WalkProgramImage(image.bytes());
    EXPECT_THAT(walk.problems, IsEmpty());
    EXPECT_EQ(walk.glyphSets.size(), 1u);
    EXPECT_EQ(walk.fieldRecords.size(), 3u);
    EXPECT_EQ(walk.clockBlocks.size(), 1u);
    EXPECT_EQ(walk.pictures.size(), 1u);
}

TEST(ImageWalker, ReportsBrokenOffsetsAndBlocks) {
    ProgramTree tree = CardFontTree(1);
    tree.program(0, 0)->record->borderType = 4;
    ProgramImage image;
    size_t block = 0, textHead = 0;
    const int32_t length = BuildImage(image, tree, [&](const ProgramRecord& p, ContentBody& body) {
        textHead = body.textHead;
        WriteCommandStreamHead(image, p.content.header, 0);
        PutStreamEnd(image);
        block = size_t(WriteBorderBlock(image, p, tree.screen().colorCode));
        image.Patch(body.border, int64_t(block));
    });
    ASSERT_GT(length, 0);
    const Bytes good(image.bytes().begin(), image.bytes().end());
    ASSERT_THAT(CheckProgramImage(good), IsEmpty());
    auto broken = [&](auto change) {
        Bytes b = good;
        change(b);
        StoreImageCrc(b.data(), b.size());
        return CheckProgramImage(b);
    };
    const size_t side = LoadU32(&good[block + 4]);
    EXPECT_EQ(broken([&](Bytes& b) { StoreU32(&b[block + 4], uint32_t(length)); }).size(), 1u);  // at the end mark
    EXPECT_EQ(broken([&](Bytes& b) { b[side] = 7; }).size(), 1u);                                // not 03 00
    EXPECT_EQ(broken([&](Bytes& b) { b[block + 3] = 8; }).size(), 1u);                           // pattern size
    EXPECT_EQ(broken([&](Bytes& b) { b[textHead + 4] = 3; }).size(), 1u);                        // text form
    EXPECT_EQ(broken([&](Bytes& b) { b[textHead + 6 + 6] = 0xFD; }).size(), 1u);                 // unknown position unit
    EXPECT_EQ(broken([&](Bytes& b) { StoreU32(&b[0], uint32_t(length + 4)); }).size(), 1u);      // length word
    Bytes tail = good;
    tail.insert(tail.end(), {'p', 'd', 'x', 0});
    EXPECT_EQ(CheckProgramImage(tail).size(), 1u);  // behind the image only a voice block may follow
    // Any changed byte is reported, and garbage offsets are walked without reading outside the bytes.
    for (size_t i = 0; i < good.size(); ++i) {
        Bytes b = good;
        b[i] ^= 0xA5;
        EXPECT_FALSE(CheckProgramImage(b).empty()) << i;
    }
}

// ---- edges of the block writers -----------------------------------------------------

TEST(ProgramImage, VoiceHeadSoundIndexAndTheWidestPicture) {
    ProgramImage image(0x1000);
    image.writer().put_u8(0xAA);
    ASSERT_TRUE(WriteVoiceBlockHead(image));
    Bytes head = {0xAA, 'p', 'd', 'e', 0};
    head.resize(1 + 40, 0);
    EXPECT_EQ(At(image, 0, image.pos()), head);

    // The sound place's kind byte may be the last byte written.
    const size_t place = image.pos();
    image.writer().fill(0xEE, 3);
    ASSERT_TRUE(StoreSoundIndex(image, place, 0x0102, 7));
    EXPECT_EQ(At(image, place, 3), (Bytes{0x02, 0x01, 7}));
    EXPECT_FALSE(StoreSoundIndex(image, place + 1, 0x0102, 7));  // one byte past the end
    EXPECT_FALSE(image.ok());

    // A side of 65535 is the longest a frame header holds, across and down.
    for (auto [side, fits] : {std::pair{65535, true}, {65536, false}}) {
        for (bool across : {true, false}) {
            ProgramImage image(0x20000);
            const auto frame = across ? Image(side, 1) : Image(1, side);
            EXPECT_EQ(WriteSingleImageSet(image, *frame, 5) >= 0, fits) << side << across;
            if (fits) {
                EXPECT_EQ(LoadU16(&image.bytes()[3 + (across ? 2 : 4)]), 65535u);
            }
        }
    }
}

TEST(ProgramImage, GlyphSizesAtTheirLimitsAndZeroedGlyphBytes) {
    // A renderer that paints nothing leaves every glyph byte 0.
    const GlyphRenderer blank{[](char16_t, uint32_t) { return std::pair{6, 9}; },
                              [](char16_t, uint32_t, int, int, std::span<uint8_t>) {}};
    ProgramImage image(0x4000);
    image.writer().fill(0xFF, 4);
    const int32_t set = WriteGlyphSet(image, kFieldTableDigits, 0, blank);
    ASSERT_EQ(set, 4);
    // 16 digit strings: the 34-byte head, 16 lists of one glyph and a 0, 16 distinct glyphs of 9 bytes.
    EXPECT_EQ(image.pos(), size_t(4 + 2 + 32 + 16 * 4 + 16 * 9));
    for (size_t i = size_t(set) + 2 + 32 + 64; i < image.pos(); ++i) EXPECT_EQ(image.bytes()[i], 0) << i;

    const std::pair<std::pair<int, int>, bool> sizes[] = {{{0, 9}, true},    {{255, 9}, true},  {{256, 9}, false},
                                                          {{-1, 9}, false},  {{6, 0}, true},    {{6, 255}, true},
                                                          {{6, 256}, false}, {{6, -1}, false}};
    // The size is the first distinct character's ("0" for digits).
    ProgramImage sized(0x1000);
    const GlyphRenderer byChar{[](char16_t ch, uint32_t) { return std::pair{ch == u'0' ? 5 : 7, 9}; },
                               [](char16_t, uint32_t, int, int, std::span<uint8_t>) {}};
    EXPECT_EQ(WriteGlyphSet(sized, kFieldTableDigits, 0, byChar), 0);
    EXPECT_THAT(At(sized, 0, 2), ElementsAre(5, 9));
    for (GlyphRenderer half : {GlyphRenderer{TestGlyphs().measure, {}}, GlyphRenderer{{}, TestGlyphs().paint}})
        EXPECT_EQ(WriteGlyphSet(image, kFieldTableMonthName, 0, half), kEncodeTooLarge);
    for (const auto& [wh, fits] : sizes) {
        ProgramImage big(0x10000);
        const GlyphRenderer r{[wh](char16_t, uint32_t) { return wh; },
                              [](char16_t, uint32_t, int, int, std::span<uint8_t>) {}};
        EXPECT_EQ(WriteGlyphSet(big, kFieldTableDigits, 0, r) >= 0, fits) << wh.first << " x " << wh.second;
        if (fits) {
            EXPECT_THAT(At(big, 0, 2), ElementsAre(uint8_t(wh.first), uint8_t(wh.second)));
        }
    }
}

TEST(ProgramImage, CardAndCommandFieldTypesOfEveryCode) {
    // Rendered records: the card field type table; -1 where no record is made.
    const std::pair<char16_t, int> card[] = {
        {0xE010, 0},  {0xE011, 1},  {0xE012, 2},  {0xE013, 3},  {0xE014, 4},  {0xE015, 5},  {0xE016, 6},
        {0xE018, 7},  {0xE020, 9},  {0xE021, 10}, {0xE022, 10}, {0xE023, 11}, {0xE024, 12}, {0xE017, 13},
        {0xE003, 14}, {0xE029, 20}, {0xE02A, 21}, {0xE02B, 22}, {0xE025, -1}, {0xE028, -1}, {0xE02C, -1},
        {0xE030, -1}, {0xE005, -1}, {0xE00F, -1}, {0xE019, -1}, {u'A', -1}};
    for (auto [code, type] : card) EXPECT_EQ(CardFieldType(code), type) << std::hex << int(code);
    // The command stream: the same, with U+E022 as 15, U+E025-U+E027 as 17-19, lyric and
    // digit groups as 0, and A-D, timer, counter and pictures written otherwise (-1).
    const std::pair<char16_t, int> command[] = {
        {0xE010, 0},  {0xE016, 6},  {0xE018, 7},  {0xE020, 9},  {0xE021, 10}, {0xE022, 15}, {0xE023, 11},
        {0xE024, 12}, {0xE017, 13}, {0xE025, 17}, {0xE026, 18}, {0xE027, 19}, {0xE028, 0},  {0xE02C, 0},
        {0xE003, -1}, {0xE029, -1}, {0xE02A, -1}, {0xE02B, -1}, {0xE030, -1}, {u'A', -1}};
    for (auto [code, type] : command) EXPECT_EQ(CommandFieldType(code), type) << std::hex << int(code);
}

TEST(ProgramImage, CustomBorderNeedsOneFrame) {
    ProgramRecord p;
    p.borderType = 1;
    EXPECT_EQ(EffectiveBorderType(p), 0);
    p.borderFrames.push_back(Image(4, 4));
    EXPECT_EQ(EffectiveBorderType(p), 1);
    const auto sides = BorderSideFrames(p.borderFrames, 1);  // one frame serves all four sides
    for (const RawImage* side : sides) EXPECT_EQ(side, p.borderFrames[0]);
    for (uint8_t type : {2, 8}) {
        p.borderType = type;
        EXPECT_EQ(EffectiveBorderType(p), type);
    }
    p.borderType = 9;
    EXPECT_EQ(EffectiveBorderType(p), 0);
}

TEST(ProgramImage, PatchWidthsAndTheShortestImageEnd) {
    ProgramImage image(0x100);
    image.writer().fill(0, 8);
    EXPECT_TRUE(image.Patch({0, 4, true}, 0xFFFFFFFF));
    EXPECT_TRUE(image.Patch({4, 1, true}, 0xFF));
    EXPECT_FALSE(image.Patch({4, 1, true}, 0x100));
    ProgramImage zero(0x100), five(0x100), invalid(0x100);
    for (ProgramImage* i : {&zero, &five, &invalid}) i->writer().fill(0, 8);
    EXPECT_FALSE(zero.Patch({0, 0, true}, 0));
    EXPECT_FALSE(five.Patch({0, 5, true}, 0));
    EXPECT_FALSE(invalid.Patch({0, 2, false}, 0));
    EXPECT_FALSE(zero.ok() || five.ok() || invalid.ok());

    // An image needs at least its length word before its end.
    ProgramImage four(0x100), three(0x100);
    four.writer().fill(0, 4);
    three.writer().fill(0, 3);
    EXPECT_EQ(WriteImageEnd(four), 8);
    EXPECT_THAT(At(four, 0, 6), ElementsAre(8, 0, 0, 0, 0xFF, 0x00));  // the length word, the end mark
    EXPECT_EQ(WriteImageEnd(three), kEncodeTooLarge);
}

TEST(ProgramImage, FrameColourModeIsTheCodeFromTwelveToSeventeen) {
    const std::pair<uint16_t, uint8_t> modes[] = {{0, 5}, {5, 5}, {11, 5}, {12, 12}, {15, 15}, {17, 17}, {18, 5}};
    for (auto [code, mode] : modes) {
        ProgramImage image(0x100);
        ASSERT_EQ(WriteSingleImageSet(image, *Image(8, 2), code), 0);
        EXPECT_EQ(image.bytes()[3 + 1], mode) << code;
        ProgramImage empty(0x100);  // a frame without pixels keeps the mode of its code
        ASSERT_EQ(WriteSingleImageSet(empty, RawImage{}, code), 0);
        EXPECT_EQ(empty.bytes()[3 + 1], mode) << code;
        EXPECT_EQ(LoadU32(&empty.bytes()[3 + 2]), 0u);  // 0 x 0, no planes
        EXPECT_EQ(empty.pos(), 3 + kFrameHeaderSize);
    }
    for (const RawImage* side : BorderSideFrames(FrameVector{}, 1)) EXPECT_EQ(side, nullptr);
    FrameVector five = Frames(5, 2, 2);  // a custom border takes its first four frames
    const auto sides = BorderSideFrames(five, 1);
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(sides[i], five[i]);
}

TEST(ProgramImage, CrcOfTheShortestImage) {
    uint8_t four[4] = {0x01, 0x02, 0xEE, 0xEE};
    StoreImageCrc(four, 4);
    EXPECT_EQ(LoadU16(four + 2), Crc16Modbus(2, four));
    uint8_t three[3] = {0x01, 0xEE, 0xEE};
    StoreImageCrc(three, 3);  // too short to hold a CRC: left alone
    EXPECT_THAT(three, ElementsAre(0x01, 0xEE, 0xEE));
}

TEST(ProgramImage, CodePageCharactersAtTheirEdges) {
    // Below U+0100 the character itself; above, the code-page bytes: one byte (the euro at 0x80), two, or "?".
    const std::pair<char16_t, Bytes> chars[] = {{u'\u00FF', {0x00, 0xFF}}, {u'\u0100', {0x00, '?'}},
                                                {u'\u0101', {0xA8, 0xA1}}, {u'\u20AC', {0x00, 0x80}}};
    for (const auto& [ch, bytes] : chars) {
        ProgramImage image(0x10);
        ASSERT_TRUE(PutCommandChar(image, ch, 0));
        EXPECT_EQ(At(image, 0, 2), bytes) << std::hex << int(ch);
    }
}

TEST(ProgramImage, RecordsAndActionsThatJustFit) {
    // Two program records after a 10-byte set record: 38 bytes fit, 37 do not.
    for (auto [limit, fits] : {std::pair{38, true}, {37, false}}) {
        ProgramImage image(limit);
        image.writer().fill(0, kSetRecordSize);
        EXPECT_EQ(WriteSetRecord(image, 0, ProgramSetRecord{}, 2), fits ? 10 : kEncodeTooLarge) << limit;
    }
    // Area corners: the low 16 bits of -0x8000..0xFFFF.
    for (auto [left, fits] : {std::pair{-0x8000, true}, {-0x8001, false}, {0xFFFF, true}, {0x10000, false}}) {
        ProgramImage image(0x100);
        image.writer().fill(0, kProgramRecordSize);
        ProgramRecord p;
        p.left = left;
        WriteProgramRecord(image, 0, p);
        EXPECT_EQ(image.ok(), fits) << left;
        if (fits) {
            EXPECT_EQ(LoadU16(&image.bytes()[4]), uint16_t(left));
        }
    }
    // A card action must lie wholly before the write position.
    DissolveRandom random;
    for (auto [actionAt, fits] : {std::pair{12, true}, {13, false}}) {
        ProgramImage image(0x100);
        image.writer().fill(0, 24);
        EXPECT_EQ(CompleteCardAction(image, actionAt, 5, random), fits) << actionAt;
    }
}

TEST(ProgramImage, FramesDimUnpackableOrTooLarge) {
    RawImage noPixels;  // keeps its size, every plane byte 0
    noPixels.width = 16, noPixels.height = 2;
    ProgramImage image(0x100);
    ASSERT_EQ(WriteSingleImageSet(image, noPixels, 5), 0);
    EXPECT_EQ(image.pos(), 3 + 14 + 4u);
    EXPECT_EQ(FirstFramePlanes(image, 0), Bytes(4, 0));
    // Planes past the caller's buffer are not written at all.
    Bytes buffer(64, 0xEE);
    ProgramImage small(buffer.data(), 3 + 14 + 7);
    EXPECT_EQ(WriteSingleImageSet(small, *Image(8, 8), 5), kEncodeTooLarge);
    EXPECT_EQ(Bytes(buffer.begin() + 17, buffer.end()), Bytes(47, 0xEE));
    // A rendered picture counts any lit channel: 01 01 01 is on.
    ProgramImage dim(0x100);
    const int32_t at = WritePicture(dim, *Image(8, 1, 0x010101), 5);
    EXPECT_EQ(At(dim, size_t(at) + kFrameHeaderSize, 1), Bytes{0xFF});
}

TEST(ProgramImage, BorderPatternSizesCodeTableWidthsAndStreamFlags) {
    const std::pair<uint8_t, uint8_t> patterns[] = {{1, 0xFF}, {2, 8}, {3, 8}, {4, 16}, {5, 5},
                                                    {6, 8},    {7, 14}, {8, 5}, {9, 0xFF}};
    for (auto [type, size] : patterns) EXPECT_EQ(BorderPatternSize(type), size) << int(type);
    const std::pair<FieldTable, uint8_t> widths[] = {{kFieldTableDigits, 1},    {kFieldTableWeekdayCn, 1},
                                                     {kFieldTableWeekdayEn, 9}, {kFieldTableMonthName, 9},
                                                     {kFieldTableMonthAbbr, 4}};
    for (auto [table, width] : widths) EXPECT_EQ(CodeTableWidth(table), width) << int(table);
    // Stream flags: the alignment, 0x04 added when the low byte of the spread is set.
    const std::tuple<uint8_t, uint16_t, uint8_t> flags[] = {
        {0, 0, 0}, {2, 0, 2}, {2, 0x100, 2}, {2, 1, 6}, {3, 0xFF, 7}};
    for (auto [align, spread, flag] : flags) {
        TextHeader h;
        h.align = align, h.spread = spread;
        EXPECT_EQ(StreamFlags(h), flag) << int(align) << " " << spread;
    }
}
