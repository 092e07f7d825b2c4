// Bytes that go to the card as they are: the card form of every effect, the plane
// order of every colour code and the built-in border patterns. Each expectation is
// typed here from the card's own tables, never taken from the code's tables.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

#include "content/bytes.h"
#include "content/render/image_sources.h"
#include "content/render/led_planes.h"
#include "content/card/program_encoder.h"
#include "content/model/program_tree.h"
#include "content/model/records.h"
#include "tests/content/layout_helpers.h"
#include "tests/content/image_walker.h"

using namespace ledsuite;
using ::testing::IsEmpty;

namespace {

using Bytes = std::vector<uint8_t>;

// What the card form holds in a byte or word: the action's own value, or a value
// taken from the area.
constexpr int kKept = -1, kHalfWidth = -2, kWidth = -3, kHeight = -4;

struct EffectForm {
    int cls, byte6, byte7;
    int word8;   // bytes 8-9 (for the moves: byte 8 the direction, byte 9 the continuous flag)
    int word10;  // bytes 10-11
};

// The card form of effects 0..31.
const EffectForm kForms[32] = {
    {0, kKept, kKept, kKept, kKept},          // 0 None: unchanged, class byte included
    {1, kKept, kKept, 0x0000, kKept},         // 1 Move Left
    {1, kKept, kKept, 0x0001, kKept},         // 2 Move Up
    {1, kKept, kKept, 0x0002, kKept},         // 3 Move Right
    {1, kKept, kKept, 0x0003, kKept},         // 4 Move Down
    {2, 0, 5, 0, 8},                          // 5 Blinds horizonal
    {2, 1, 6, 0, 8},                          // 6 Blinds Vertical
    {2, 0, 1, 0, kHalfWidth},                 // 7 Scroll
    {2, 0, 2, kHalfWidth, kHalfWidth},        // 8 Door Open/Close
    {2, 0, 3, 0, kWidth},                     // 9 Curtain-Left
    {2, 1, 4, 0, kHeight},                    // 10 Curtain-Up
    {2, 0, 5, kWidth, kWidth},                // 11 Curtain-Right
    {2, 1, 6, kHeight, kHeight},              // 12 Curtain-Down
    {3, 0, kKept, kKept, kKept},              // 13 Interweave horizonal
    {3, 1, kKept, kKept, kKept},              // 14 Interweave Vertical
    {5, 1, kKept, kKept, kKept},              // 15 Stack Up
    {5, 3, kKept, kKept, kKept},              // 16 Stack Down
    {8, 10, 8, kKept, kKept},                 // 17 Flash
    {11, 1, kKept, kKept, kKept},             // 18 Snow Up
    {11, 3, kKept, kKept, kKept},             // 19 Snow Down
    {12, 1, kKept, kKept, kKept},             // 20 Dance Up
    {12, 3, kKept, kKept, kKept},             // 21 Dance Down
    {13, 0, kKept, kKept, kKept},             // 22 Blackboard Left
    {13, 2, kKept, kKept, kKept},             // 23 Blackboard Right
    {14, 0, kKept, kKept, kKept},             // 24 Laser Left
    {14, 2, kKept, kKept, kKept},             // 25 Laser Right
    {15, 10, 8, kKept, kKept},                // 26 Twinkle
    {16, kKept, kKept, kKept, kKept},         // 27 Snow
    {0, kKept, kKept, kKept, kKept},          // 28 Static
    {17, kKept, kKept, kKept, kKept},         // 29 Random
    {1, kKept, kKept, 0x0100, kKept},         // 30 Move Left Continue
    {1, kKept, kKept, 0x0102, kKept},         // 31 Move Right Continue
};

int WordOf(int what, int kept, int width, int height) {
    switch (what) {
        case kKept: return kept;
        case kHalfWidth: return width / 2;
        case kWidth: return width;
        case kHeight: return height;
        default: return what;
    }
}

// 1-bit rows (lowest bit leftmost) of the lit pixels of an image.
Bytes LitBits(const RawImage& image) {
    const int rowBytes = (image.width + 7) >> 3;
    Bytes bits(size_t(rowBytes * image.height), 0);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            if (image.row32(y)[x] != 0) bits[size_t(y * rowBytes + (x >> 3))] |= uint8_t(1u << (x & 7));
    return bits;
}

}  // namespace

TEST(CardForms, EveryEffectOnTwoAreas) {
    // The action's own bytes are all distinct, so a byte taken from the wrong place shows.
    const CardAction own = {0, 21, 0x22, 3, 30, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAA, 0xBB};
    const int32_t areas[2][4] = {{0, 0, 97, 16}, {10, 2, 311, 258}};  // 97 x 16 and 301 x 256
    for (const auto& area : areas) {
        const int width = area[2] - area[0], height = area[3] - area[1];
        for (int code = 0; code < 32; ++code) {
            SCOPED_TRACE(testing::Message() << "effect " << code << " width " << width);
            CardAction in = own;
            in[0] = uint8_t(code);
            const EffectForm& f = kForms[code];
            CardAction want = in;
            if (code != 0) want[0] = uint8_t(f.cls);
            if (f.byte6 != kKept) want[6] = uint8_t(f.byte6);
            if (f.byte7 != kKept) want[7] = uint8_t(f.byte7);
            StoreU16(&want[8], uint16_t(WordOf(f.word8, LoadU16(&in[8]), width, height)));
            StoreU16(&want[10], uint16_t(WordOf(f.word10, LoadU16(&in[10]), width, height)));
            if (code == 17 || code == 26 || code == 30 || code == 31) want[4] = 0;  // no pause
            EXPECT_EQ(EffectToCardAction(ActionRecord::FromBytes(in), area[0], area[1], area[2], area[3]), want);
        }
    }
}

TEST(CardForms, CardClassesReadBackByTheirTable) {
    struct Case {
        CardAction card;
        int effect;
    };
    auto card = [](int cls, int b6, int b7, int b8, int b9) {
        return CardAction{uint8_t(cls), 7, 0, 0, 30, 0, uint8_t(b6), uint8_t(b7), uint8_t(b8), uint8_t(b9), 0, 0};
    };
    const Case cases[] = {
        {card(0, 0, 0, 0, 0), 28},   {card(9, 0, 0, 1, 0), 2},    {card(10, 0, 0, 3, 0), 4},
        {card(1, 0, 0, 2, 0), 3},    {card(1, 0, 0, 2, 1), 31},   {card(1, 0, 0, 7, 1), 30},
        {card(1, 0, 0, 7, 2), 1},    {card(2, 0, 1, 0, 0), 7},    {card(2, 0, 6, 9, 0), 12},
        {card(2, 0, 7, 0, 0), 5},    {card(2, 2, 0, 0, 0), 6},    {card(3, 2, 0, 0, 0), 14},
        {card(3, 0, 0, 0, 0), 13},   {card(4, 1, 0, 0, 0), 15},   {card(5, 2, 0, 0, 0), 16},
        {card(8, 0, 0, 0, 0), 17},   {card(11, 1, 0, 0, 0), 18},  {card(11, 2, 0, 0, 0), 19},
        {card(12, 1, 0, 0, 0), 20},  {card(12, 0, 0, 0, 0), 21},  {card(13, 0, 0, 0, 0), 22},
        {card(13, 5, 0, 0, 0), 23},  {card(14, 0, 0, 0, 0), 24},  {card(14, 1, 0, 0, 0), 25},
        {card(15, 0, 0, 0, 0), 26},  {card(16, 0, 0, 0, 0), 27},  {card(17, 0, 0, 0, 0), 29},
        {card(6, 0, 0, 0, 0), 6},    {card(7, 0, 0, 0, 0), 7},    {card(18, 0, 0, 0, 0), 18},
    };
    for (const Case& c : cases) {
        const ActionRecord a = CardActionToEffect(c.card);
        EXPECT_EQ(a.effect, c.effect) << "class " << int(c.card[0]);
        CardAction rest = a.ToBytes();
        rest[0] = c.card[0];
        if (!EffectKeepsOffset(a.effect)) {  // bytes 6-7 are the effect's own: the offset reads 0
            EXPECT_EQ(a.offset, 0) << "class " << int(c.card[0]);
            rest[6] = c.card[6], rest[7] = c.card[7];
        }
        EXPECT_EQ(rest, c.card);  // bytes 1-11 copied
    }
    // Snow (class 16) and the blackboards (class 13) carry the place of their image set in
    // bytes 6-9 and 7-10, byte 10 of Snow is the image's own 3: none of it is the action's.
    const ActionRecord snow = CardActionToEffect({16, 7, 0, 0, 30, 0, 0x53, 0x01, 0x02, 0x00, 3, 0x12});
    const ActionRecord board = CardActionToEffect({13, 7, 0, 0, 30, 0, 2, 0x53, 0x01, 0x02, 0x00, 0x12});
    for (const ActionRecord& a : {snow, board})
        EXPECT_EQ(std::tuple(a.offset, a.direction, a.continuous, a.step, a.pause),
                  std::tuple(int16_t(0), uint8_t(0), uint8_t(0), uint16_t(0x1200), uint8_t(30)));
    // A class beyond the known effects is kept as it is, its offset with it.
    for (uint8_t cls : {uint8_t(kEffectCount), uint8_t(40)}) {
        const ActionRecord other = CardActionToEffect({cls, 7, 0, 0, 30, 0, 0xFD, 0xFF, 1, 0, 0, 0});
        EXPECT_EQ(std::tuple(other.effect, other.offset, other.direction), std::tuple(cls, int16_t(-3), uint8_t(1)));
    }
}

TEST(CardForms, PlaneOrderOfEveryColourCode) {
    // One pixel each of red, green and blue: bit 0, 1 and 2 of a plane's only byte.
    RawImage img;
    ResetImage(img, 3, 1);
    img.row32(0)[0] = 0xFF0000, img.row32(0)[1] = 0x00FF00, img.row32(0)[2] = 0x0000FF;
    constexpr uint8_t R = 1, G = 2, B = 4;
    const struct {
        int mode;
        uint8_t first, second;
    } planes[] = {{12, R, G}, {13, G, B}, {14, B, R}, {15, R, B}, {16, B, G}, {17, G, R}};
    for (const auto& p : planes) {
        SCOPED_TRACE(p.mode);
        uint8_t buf[2];
        LedPlanes header;
        ASSERT_EQ(PackLedPlanes(&header, &img, buf, sizeof buf, p.mode), 2u);
        EXPECT_EQ(header.colorMode, p.mode);
        EXPECT_EQ(buf[0], p.first);
        EXPECT_EQ(buf[1], p.second);
        // And back: each plane lights its own channel alone; the third channel stays dark.
        RawImage back;
        ASSERT_EQ(ImageFromLedPlanes(3, 1, buf, 2, p.mode, back), 1);
        const uint32_t shown[3] = {0xFF0000, 0x00FF00, 0x0000FF};
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(back.row32(0)[k], (p.first | p.second) & (1 << k) ? shown[k] : 0u) << k;
    }
    // Red text on the default code 17 lights the red plane alone, which comes second.
    RawImage red;
    ResetImage(red, 8, 1);
    FillImage(red, 0xFF0000);
    uint8_t buf[2];
    LedPlanes header;
    ASSERT_EQ(PackLedPlanes(&header, &red, buf, sizeof buf, 17), 2u);
    EXPECT_EQ(Bytes(buf, buf + 2), (Bytes{0x00, 0xFF}));
    // One-plane modes read back into their channel: 9 red, 10 green, 11 blue, 5 white.
    const uint8_t lit = 0x01;
    const std::pair<int, uint32_t> single[] = {{9, 0xFF0000}, {10, 0x00FF00}, {11, 0x0000FF}, {5, 0xFFFFFF}};
    for (auto [mode, colour] : single) {
        RawImage back;
        ASSERT_EQ(ImageFromLedPlanes(1, 1, &lit, 1, mode, back), 1);
        EXPECT_EQ(back.row32(0)[0], colour) << mode;
    }
}

TEST(CardForms, PlaneHeaderAndReaderEdges) {
    LedPlanes h;
    h.pause = 7, h.colorMode = 14, h.width = 0x0102, h.height = 0x0304, h.placeX = 0x0506, h.placeY = 0x0708;
    ByteWriter w;
    ASSERT_TRUE(h.Write(w));
    EXPECT_EQ(Bytes(w.bytes().begin(), w.bytes().end()), (Bytes{7, 14, 2, 1, 4, 3, 6, 5, 8, 7}));

    // Bits past a row's width are padding: they light nothing, in this row or the next.
    const uint8_t padded[2] = {0xFF, 0x00};
    RawImage img;
    ASSERT_EQ(ImageFromLedPlanes(3, 2, padded, 2, 5, img), 1);
    EXPECT_EQ(std::vector<uint32_t>(img.row32(0), img.row32(0) + 3), (std::vector<uint32_t>(3, 0xFFFFFF)));
    EXPECT_EQ(std::vector<uint32_t>(img.row32(1), img.row32(1) + 3), (std::vector<uint32_t>(3, 0)));
    // Codes 6 to 8 and past 17 leave the picture black.
    const uint8_t all[2] = {0xFF, 0xFF};
    for (int mode : {6, 8, 18, 255}) {
        ASSERT_EQ(ImageFromLedPlanes(3, 1, all, 2, mode, img), 1) << mode;
        EXPECT_EQ(CountLit(img), 0) << mode;
    }
    // No picture of no rows or columns, or of more pixels than any image may have.
    EXPECT_EQ(ImageFromLedPlanes(3, 0, all, 2, 5, img), 0);
    EXPECT_EQ(ImageFromLedPlanes(0, 3, all, 2, 5, img), 0);
    EXPECT_EQ(ImageFromLedPlanes(1 << 16, 1 << 16, all, 2, 6, img), 0);
}

TEST(CardForms, BorderPatternsAndTheFourthSprite) {
    struct Pattern {
        int style, width, height;
        Bytes bits;
    };
    const Pattern patterns[] = {
        {2, 8, 1, {0xFF}},
        {3, 8, 1, {0x0F}},
        {4, 16, 1, {0xF0, 0x0F}},
        {5, 5, 3, {0x1F, 0x0E, 0x04}},
        {6, 8, 8, {0x00, 0x18, 0x3C, 0x7E, 0x7E, 0x3C, 0x18, 0x00}},
        {7, 14, 12, {0x40, 0x00, 0xC0, 0x00, 0xE0, 0x00, 0xE0, 0x01, 0xFF, 0x3F, 0xFE, 0x1F,
                     0xFC, 0x0F, 0xF0, 0x03, 0xF0, 0x03, 0xF8, 0x07, 0x38, 0x07, 0x0C, 0x0C}},
        {8, 5, 2, {0x0E, 0x04}},
    };
    for (const Pattern& p : patterns) {
        SCOPED_TRACE(p.style);
        FrameVector frames;
        ASSERT_EQ(MakeBorderFrames(&frames, p.style), 1);
        ASSERT_EQ(frames.size(), 4u);
        // The second frame is the pattern as it is; the first is it turned by 90.
        EXPECT_EQ(std::make_pair(frames[1]->width, frames[1]->height), std::make_pair(p.width, p.height));
        EXPECT_EQ(LitBits(*frames[1]), p.bits);
        EXPECT_EQ(std::make_pair(frames[0]->width, frames[0]->height), std::make_pair(p.height, p.width));
    }
    const Bytes fourth = {0xC0, 0x00, 0xE0, 0x01, 0xF0, 0x03, 0xF8, 0x07, 0xFC, 0x0F, 0xFA, 0x1F, 0xF6, 0x3F,
                          0xEE, 0x3F, 0xDC, 0x5F, 0xB8, 0x6F, 0x70, 0x77, 0xE0, 0x7A, 0xC0, 0x3D, 0x80, 0x1D,
                          0x00, 0x0D, 0x00, 0x00};
    const Bytes first = {0x00, 0x38, 0x00, 0x7C, 0x00, 0x7E, 0x00, 0x7F, 0x80, 0x3F, 0xC0, 0x1F, 0xE0, 0x0F,
                         0xF0, 0x07, 0xF8, 0x03, 0xFC, 0x01, 0xFE, 0x00, 0x7E, 0x00, 0x3F, 0x00, 0x1F, 0x00,
                         0x03, 0x00, 0x00, 0x00};
    FrameVector sprites;
    ASSERT_EQ(MakeBorderFrames(&sprites, kBorderCorners), 1);
    ASSERT_EQ(sprites.size(), 4u);
    EXPECT_EQ(LitBits(*sprites[0]), first);
    EXPECT_EQ(LitBits(*sprites[3]), fourth);
}

TEST(CardForms, StarBorderInAnEncodedImage) {
    HardwareParams hw;
    hw.fileSystem = 1, hw.fontChip = 1;
    ProgramTree tree(hw);
    tree.AddProgramSet();
    for (int i = 0; i < 2; ++i) {
        ProgramRecord& p = *tree.AddProgram(0)->record;
        p.borderType = 7, p.borderEffect = 3, p.borderSpeed = 4;
        p.content.cells[0] = TextCell(u'A', CellAttr::Make(16, 0, 1));
    }
    Bytes image(kImageLimit, 0xFF);
    uint32_t position = 0;
    const int32_t length = BuildProgramImage(image.data(), &position, tree, image.size());
    ASSERT_GT(length, 0);
    image.resize(size_t(length));
    const ImageWalk walk = WalkProgramImage(image);
    EXPECT_THAT(walk.problems, IsEmpty());
    // Each program has its block; both point to one set for all four sides.
    ASSERT_EQ(walk.borderBlocks.size(), 2u);
    const uint32_t side = LoadU32(&image[*walk.borderBlocks.begin() + 4]);
    for (uint32_t block : walk.borderBlocks) {
        EXPECT_EQ(Bytes(image.begin() + block, image.begin() + block + 4), (Bytes{7, 3, 10, 14}));  // speed at least 10
        for (int k = 0; k < 4; ++k) EXPECT_EQ(LoadU32(&image[block + 4 + 4 * k]), side);
    }
    EXPECT_EQ(walk.imageSets.count(side), 1u);
    // One frame: the 14 x 12 pattern as it is.
    ASSERT_EQ(Bytes(image.begin() + side, image.begin() + side + 3), (Bytes{3, 0, 1}));
    LedPlanes frame;
    ByteReader r(std::span<const uint8_t>(image).subspan(side + 3));
    ASSERT_TRUE(LedPlanes::Read(r, frame));
    EXPECT_EQ(std::make_pair(frame.width, frame.height), std::make_pair(uint16_t(14), uint16_t(12)));
    const uint32_t planes = LoadU32(&image[side + 3 + LedPlanes::kHeaderSize]);
    ASSERT_EQ(frame.colorMode, 17);
    // Both planes (green, then red) of the white pattern are the pattern's bits.
    const Bytes star = {0x40, 0x00, 0xC0, 0x00, 0xE0, 0x00, 0xE0, 0x01, 0xFF, 0x3F, 0xFE, 0x1F,
                        0xFC, 0x0F, 0xF0, 0x03, 0xF0, 0x03, 0xF8, 0x07, 0x38, 0x07, 0x0C, 0x0C};
    EXPECT_EQ(Bytes(image.begin() + planes, image.begin() + planes + 24), star);
    EXPECT_EQ(Bytes(image.begin() + planes + 24, image.begin() + planes + 48), star);
}

TEST(CardForms, BorderPatternSizesAndFrameColourModes) {
    // Pattern size by border type, and the colour mode of the side frames by screen code.
    const std::pair<uint8_t, uint8_t> sizes[] = {{2, 8}, {3, 8}, {4, 16}, {5, 5}, {6, 8}, {7, 14}, {8, 5}};
    const std::pair<uint16_t, uint8_t> modes[] = {{11, 5}, {12, 12}, {17, 17}, {18, 5}};
    for (auto [code, mode] : modes) {
        for (auto [type, size] : sizes) {
            SCOPED_TRACE(testing::Message() << "type " << int(type) << " code " << code);
            HardwareParams hw;
            hw.fileSystem = 1, hw.fontChip = 1, hw.colorCode = code;
            ProgramTree tree(hw);
            tree.AddProgramSet();
            ProgramRecord& p = *tree.AddProgram(0)->record;
            p.borderType = type;
            p.content.cells[0] = TextCell(u'A', CellAttr::Make(16, 0, 1));
            Bytes image(kImageLimit, 0xFF);
            uint32_t position = 0;
            const int32_t length = BuildProgramImage(image.data(), &position, tree, image.size());
            ASSERT_GT(length, 0);
            image.resize(size_t(length));
            const ImageWalk walk = WalkProgramImage(image);
            ASSERT_EQ(walk.borderBlocks.size(), 1u);
            const uint32_t block = *walk.borderBlocks.begin();
            EXPECT_EQ(image[block + 3], size);
            EXPECT_EQ(image[LoadU32(&image[block + 4]) + 3 + 1], mode);  // the first frame's colour mode
        }
    }
}
