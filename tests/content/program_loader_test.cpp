#include "content/program_loader.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "content/image_sources.h"
#include "content/led_planes.h"
#include "content/text_codec.h"

namespace ledsuite {
namespace {

// ---- images laid out by hand, field by field --------------------------------------

void PutSet(ByteWriter& w, uint16_t first, uint16_t count, uint16_t p1, uint16_t p2, uint8_t type) {
    w.put_u16(first), w.put_u16(count), w.put_u16(p1), w.put_u16(p2), w.put_u8(type), w.put_u8(0);
}
void PutProgram(ByteWriter& w, uint16_t content, int16_t l, int16_t t, int16_t r, int16_t b, uint16_t one = 1) {
    w.put_u16(content), w.put_u16(one), w.put_i16(l), w.put_i16(t), w.put_i16(r), w.put_i16(b), w.put_u16(0);
}
// A content header; returns the place of its body offset.
ByteWriter::Place PutContentHeader(ByteWriter& w, uint8_t actions, uint8_t flags) {
    w.put_u8(actions), w.put_u8(flags), w.put_u32(0);
    return w.reserve(4);
}
void PutAction(ByteWriter& w, uint8_t effect) {
    ActionRecord a;
    a.effect = effect, a.speed = 21, a.pause = 30;
    w.put_bytes(EffectToCardAction(a, 0, 0, 64, 16));
}
void PutTextHead(ByteWriter& w, uint8_t form) { w.put_u16(16), w.put_u16(16), w.put_u8(form), w.put_u8(0); }
void PutUnit(ByteWriter& w, uint8_t first, uint8_t second) { w.put_u8(first), w.put_u8(second); }
void PutUnits(ByteWriter& w, std::u16string_view s) {
    for (char16_t c : s) w.put_u16(c);
}

std::vector<uint8_t> Finish(ByteWriter& w) {
    w.pad_to((w.size() + 3) & ~size_t(3), 0xFF);
    w.put_u16(0x00FF), w.put_u16(0);
    w.patch_u32_at(0, uint32_t(w.size()));
    return w.take();
}

// One set (play mode 0) of one program over 0,0,64,16 with a Move Left action; `lead`
// writes what stands before the action (border word, sound place), `text` the text
// head and what follows.
using Writes = std::function<void(ByteWriter&)>;
std::vector<uint8_t> TextImage(const Writes& text, uint8_t flags = 0, const Writes& lead = {}) {
    ByteWriter w;
    w.put_u32(0);
    PutSet(w, 18, 1, 0, 0, 0);
    w.put_u32(0);
    PutProgram(w, 32, 0, 0, 64, 16);
    const ByteWriter::Place body = PutContentHeader(w, 1, flags);
    w.patch(body, uint32_t(w.size()));
    if (lead) lead(w);
    PutAction(w, kEffectMoveLeft);
    text(w);
    return Finish(w);
}

// An image set of 32-bit frames in colour mode 5; returns its offset.
size_t PutImageSet(ByteWriter& w, const std::vector<const RawImage*>& frames) {
    const size_t at = w.size();
    w.put_u8(3), w.put_u8(0), w.put_u8(uint8_t(frames.size()));
    std::vector<std::vector<uint8_t>> planes;
    std::vector<ByteWriter::Place> places;
    for (const RawImage* f : frames) {
        LedPlanes h;
        std::vector<uint8_t> bits(4096);
        bits.resize(PackLedPlanes(&h, f, bits.data(), bits.size(), 5));
        h.Write(w);
        places.push_back(w.reserve(4));
        planes.push_back(bits);
    }
    for (size_t i = 0; i < planes.size(); ++i) {
        w.patch(places[i], uint32_t(w.size()));
        w.put_bytes(planes[i]);
    }
    return at;
}

std::unique_ptr<RawImage> Dot(int width, int height, int x, int y) {
    auto img = CreateImage(uint16_t(width), uint16_t(height));
    img->row32(y)[x] = 0xFFFFFF;
    img->redThreshold = img->greenThreshold = img->blueThreshold = 1;
    return img;
}

ProgramRecord& OnlyProgram(ProgramTree& tree) {
    EXPECT_EQ(tree.sets().size(), 1u);
    EXPECT_EQ(tree.sets()[0].programs.size(), 1u);
    return *tree.sets()[0].programs[0].record;
}

std::u16string Codes(std::span<const TextCell> cells) {
    std::u16string s;
    for (const TextCell& c : cells.first(size_t(CountCells(cells)))) s += c.code;
    return s;
}

// ---- set table, areas, actions, borders -----------------------------------------

TEST(ProgramLoader, IgnoresShortAndMislabelledImagesAndHandsOnBitmapImages) {
    ProgramTree tree;
    std::vector<uint8_t> image = TextImage([](ByteWriter& w) { PutTextHead(w, 0); });
    LoadProgramImage(tree, std::span(image).first(15));
    image[0] ^= 4;  // length word no longer the byte count
    LoadProgramImage(tree, image);
    EXPECT_TRUE(tree.sets().empty());

    static int handed = 0;
    std::vector<uint8_t> bitmap(16, 0xFF);
    StoreU32(bitmap.data(), 16), StoreU32(bitmap.data() + 4, 0xFFFF0000);
    LoadProgramImage(tree, bitmap);
    LoadProgramImage(tree, bitmap, [](ProgramTree&, std::span<const uint8_t> b) { handed += int(b.size()); });
    EXPECT_EQ(handed, 16);
    EXPECT_TRUE(tree.sets().empty());
}

TEST(ProgramLoader, RestoresSchedulesAreasActionsAndKinds) {
    ByteWriter w;
    w.put_u32(0);
    PutSet(w, 0, 1, 0, 0, 6);  // first program offsets patched below
    PutSet(w, 0, 1, 0x1234, 0, 1);
    PutSet(w, 0, 1, 0x2101, 0x2201, 4);
    w.put_u32(0);
    const size_t block = w.size();  // schedule block of set 0: 26 periods stored
    w.put_u8(0x41), w.put_u8(1), w.put_u32(0x22052101);
    w.put_u8(26);
    for (uint32_t i = 0; i < 26; ++i) w.put_u32((0x1000 + i) << 16 | i);
    w.patch_u16_at(8, uint16_t(block)), w.patch_u16_at(10, uint16_t(block >> 16));
    std::vector<ByteWriter::Place> bodies;
    for (int s = 0; s < 3; ++s) {
        w.patch_u16_at(4 + 10 * size_t(s), uint16_t(w.size()));
        PutProgram(w, uint16_t(w.size() + 14), int16_t(-8 * s), 2, 64, 16);
        bodies.push_back(PutContentHeader(w, s == 0 ? 2 : 1, s == 2 ? 0x01 : 0));
    }
    for (int s = 0; s < 3; ++s) {
        w.patch(bodies[size_t(s)], uint32_t(w.size()));
        if (s == 2) w.put_u8(0), w.put_u8(0), w.put_u8(0);  // sound place
        PutAction(w, s == 0 ? kEffectBlindsHorizontal : kEffectStatic);
        if (s == 0) PutAction(w, kEffectFlash);
        PutTextHead(w, s == 1 ? 14 : 0);
    }
    const std::vector<uint8_t> image = Finish(w);

    ProgramTree tree;
    LoadProgramImage(tree, image);
    ASSERT_EQ(tree.sets().size(), 3u);
    const ProgramSetRecord& s0 = *tree.sets()[0].record;
    EXPECT_EQ(s0.playMode, 6);
    EXPECT_EQ(s0.weekdays, 0x41);
    EXPECT_EQ(s0.dates[0].start, 0x2101);
    EXPECT_EQ(s0.dates[0].stop, 0x2205);
    EXPECT_EQ(s0.periods[23], 0x1017u << 16 | 23);  // 24 of the 26 periods
    EXPECT_EQ(tree.sets()[1].record->duration, 0x1234);
    EXPECT_EQ(tree.sets()[2].record->dates[0].start, 0x2101);
    EXPECT_EQ(tree.sets()[2].record->dates[0].stop, 0x2201);
    EXPECT_EQ(tree.sets()[0].title, kProgramSetTitle());

    const ProgramRecord& p0 = *tree.sets()[0].programs[0].record;
    EXPECT_EQ(p0.mainAction.effect, kEffectBlindsHorizontal);
    EXPECT_EQ(p0.secondaryAction.effect, kEffectFlash);
    const ProgramNode& lyric = tree.sets()[1].programs[0];
    EXPECT_EQ(lyric.record->left, -8);  // area words are signed
    EXPECT_EQ(lyric.record->top, 2);
    EXPECT_EQ(lyric.kind(), kKindLyricShow);
    EXPECT_EQ(lyric.title(), kLyricShowTitle());
    EXPECT_EQ(tree.sets()[2].programs[0].kind(), 1);  // a sound place: a voice role of some kind
    EXPECT_EQ(tree.sets()[2].programs[0].record->mainAction.effect, kEffectStatic);
}

TEST(ProgramLoader, ReadsCustomBordersAndRedrawsBuiltInOnes) {
    std::vector<std::unique_ptr<RawImage>> sides;
    for (int i = 0; i < 4; ++i) sides.push_back(Dot(8, 4, i, 0));
    for (uint8_t type : {1, 3}) {
        ByteWriter::Place word;
        const std::vector<uint8_t> image = TextImage(
            [&](ByteWriter& w) {
                PutTextHead(w, 0);
                w.patch(word, uint32_t(w.size()));
                w.put_u8(type), w.put_u8(2), w.put_u8(12), w.put_u8(0xFF);
                std::array<ByteWriter::Place, 4> at;
                for (auto& p : at) p = w.reserve(4);
                w.fill(0xFF, 8);
                for (size_t k = 0; k < 4; ++k)  // side k goes to the words at 12, 4, 16, 8
                    w.patch(at[std::array<size_t, 4>{2, 0, 3, 1}[k]], uint32_t(PutImageSet(w, {sides[k].get()})));
            },
            0x02, [&](ByteWriter& w) { word = w.reserve(4); });
        ProgramTree tree;
        LoadProgramImage(tree, image);
        const ProgramRecord& p = OnlyProgram(tree);
        EXPECT_EQ(p.borderType, type);
        EXPECT_EQ(p.borderEffect, 2);
        EXPECT_EQ(p.borderSpeed, 12);
        if (type == 1) {
            ASSERT_EQ(p.borderFrames.size(), 4u);
            for (int k = 0; k < 4; ++k) EXPECT_EQ(p.borderFrames[size_t(k)]->row32(0)[k], 0xFFFFFFu);
        } else {
            FrameVector pattern;
            MakeBorderFrames(&pattern, type);
            ASSERT_EQ(p.borderFrames.size(), pattern.size());
            EXPECT_EQ(p.borderFrames[0]->pixels, pattern[0]->pixels);
        }
    }
}

// ---- texts ----------------------------------------------------------------------

void PutCommandHead(ByteWriter& w, uint8_t mode, uint8_t flags, uint8_t byteOrder) {
    PutTextHead(w, 10);
    w.put_u8(mode), w.put_u8(flags), w.put_u8(byteOrder), w.put_u8(0), w.put_u16(0);
}

TEST(ProgramLoader, CommandStreamKeepsEveryCharacterColourAndTable) {
    const std::string zhong = WideToAnsi(u"中"), jie = WideToAnsi(u"節");  // 節 lies outside GB2312
    ASSERT_EQ(jie.size(), 2u);
    const std::vector<uint8_t> image = TextImage([&](ByteWriter& w) {
        PutCommandHead(w, 3, 0x02 | 0x04, 0);
        PutUnit(w, 0xFD, 0x03), w.put_u16(5), w.put_u16(0);  // line start: two operand words
        PutUnit(w, 0, 'A');
        PutUnit(w, 0xFB, 9), PutUnit(w, 0xFA, 24), PutUnit(w, 0xF9, 2);
        w.put_bytes(zhong.data(), 2);
        PutUnit(w, 0xFD, 0x07), w.put_u16(0), w.put_u16(16), w.put_u16(3);  // justified line: three words
        PutUnit(w, 0xFB, 0);  // the writer's "no colour"
        w.put_bytes(jie.data(), 2);
        PutUnit(w, 0xFD, 0x02), w.put_u16(4);
        PutUnit(w, 0xFC, 4), w.put_u32(0x1234);  // minute field and its code table
        PutUnit(w, 0xFC, 0x18), w.put_u16(0), w.put_u16(5), w.put_u16(128), w.put_u16(32);
        w.put_u8(2), w.put_u8(1), w.put_u32(0x24);
        PutUnit(w, 0xFC, 0x1B), w.fill(0, 10);
        PutUnit(w, 0xFC, 0x1A), w.put_u32(MakeGridMarker(64, 32));
        PutUnit(w, 0, 'x');
        PutUnit(w, 0xFC, 0x1A), w.put_u32(MakeGridMarker(64, 32, 1));
        PutUnit(w, 0xFC, 0x19);
        PutUnit(w, 0, 'B'), PutUnit(w, 0, 0);
    });
    ProgramTree tree;
    LoadProgramImage(tree, image);
    const TextContent& text = OnlyProgram(tree).content;
    EXPECT_EQ(Codes(text.cells), std::u16string({u'A', u'中', u'節', FC_MINUTE, FC_TABLE, u'B'}));
    EXPECT_EQ(text.header.fontSet, 3);
    EXPECT_EQ(text.header.align, 2);
    EXPECT_EQ(text.header.spread, 1);
    EXPECT_EQ(text.cells[0].attr, CellAttr::Make(16, 0, 0));
    EXPECT_EQ(text.cells[1].attr, CellAttr::Make(24, 2, 1));
    EXPECT_EQ(text.cells[2].attr, CellAttr::Make(24, 2, 0));
    const auto* grid = CellObjectAs<GridObject>(text.cells[4]);
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->columns, 2);
    EXPECT_EQ(grid->rows, 1);
    EXPECT_EQ(grid->style, 0x24u);
    EXPECT_EQ(grid->totalWidth, 128);
    EXPECT_EQ(grid->totalHeight, 32);
    EXPECT_EQ(Codes(grid->cells), std::u16string({FC_GRIDCELL, u'x', FC_GRIDCELL}));
    EXPECT_EQ(grid->cells[2].attr, MakeGridMarker(64, 32, 1));
}

TEST(ProgramLoader, CommandStreamInUtf16ReadsHighCharactersAsCharacters) {
    const std::vector<uint8_t> image = TextImage([](ByteWriter& w) {
        PutCommandHead(w, 0x11, 0, 1);
        PutUnit(w, 'A', 0), PutUnit(w, 0x0C, 0xFF), PutUnit(w, 0x00, 0xF0);  // A, U+FF0C, U+F000
        PutUnit(w, 0x03, 0xFD), w.put_u16(0), w.put_u16(0);                   // parameter byte first
        PutUnit(w, 9, 0xFB);
        PutUnit(w, 0x18, 0xFC), w.put_u16(0), w.put_u16(5), w.put_u16(64), w.put_u16(16);
        w.put_u8(1), w.put_u8(1), w.put_u32(0);
        PutUnit(w, 0xFC, 0x1B), w.fill(0, 10);  // a table's own units come command first
        PutUnit(w, 0xFC, 0x1A), w.put_u32(MakeGridMarker(64, 16));
        PutUnit(w, 'x', 0);
        PutUnit(w, 0xFC, 0x19);
        PutUnit(w, 'B', 0), PutUnit(w, 0, 0);
    });
    ProgramTree tree;
    LoadProgramImage(tree, image);
    const TextContent& text = OnlyProgram(tree).content;
    EXPECT_EQ(Codes(text.cells), std::u16string({u'A', u'\uFF0C', u'\uF000', FC_TABLE, u'B'}));
    EXPECT_EQ(CellAttr::RgbOf(text.cells[4].attr), 1u);
    const auto* grid = CellObjectAs<GridObject>(text.cells[3]);
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(Codes(grid->cells), std::u16string({FC_GRIDCELL, u'x'}));
}

// The rendered form: the code stream, then per picture its entry and field records.
TEST(ProgramLoader, CodeStreamGivesFieldCellsTheirObjects) {
    const uint32_t red = CellAttr::Make(16, 1, 1), green = CellAttr::Make(24, 0, 2);
    TextContent src;
    src.header.align = 1;
    src.cells[0] = TextCell(u'H', red);
    src.cells[1] = TextCell(FC_PICTURE, 0);
    auto adc = std::make_unique<AdcField>();
    adc->attr = green;
    src.cells[2] = TextCell(FC_ADC, 0), src.cells[2].obj = std::move(adc);
    src.cells[3] = TextCell(FC_YEAR, red);
    src.cells[4] = TextCell(FC_TIMER, 0), src.cells[4].obj = std::make_unique<TimerField>();
    src.cells[5] = TextCell(FC_COUNTER, 0), src.cells[5].obj = std::make_unique<CounterField>();
    auto grid = std::make_unique<GridObject>();
    grid->columns = 2, grid->rows = 1, grid->style = 0x44;
    grid->cells[0] = TextCell(FC_GRIDCELL, MakeGridMarker(40, 16));
    grid->cells[1] = TextCell(u'q', red);
    grid->cells[2] = TextCell(FC_GRIDCELL, MakeGridMarker(24, 16));
    src.cells[6] = TextCell(FC_TABLE, 0), src.cells[6].obj = std::move(grid);
    const auto pic = Dot(8, 2, 3, 1);

    const std::vector<uint8_t> image = TextImage([&](ByteWriter& w) {
        PutTextHead(w, 2);
        ASSERT_GT(SerializeTextForCard(src, w), 0);
        w.put_u32(1), w.put_u16(0), w.put_u16(0);  // one picture entry
        std::vector<ByteWriter::Place> at;
        for (uint8_t type : {14, 20, 0, 21, 22}) {
            w.put_u8(5), w.put_u8(type), w.put_u16(0), w.put_u16(0);
            at.push_back(w.reserve(4));
        }
        w.put_u8(0), w.put_u32(0);
        w.patch(at[0], uint32_t(PutImageSet(w, {pic.get()})));
        w.patch(at[1], uint32_t(w.size()));
        w.put_u16(0), w.put_u16(7), w.put_u8(3), w.put_u8(1), w.put_u8(0x32), w.put_u8(1);
        w.put_u32(green), w.put_u32(0), w.put_u16(1), w.put_u16(0xFFFF);
        w.put_u16(10), w.put_u16(900), w.put_f32(0), w.put_f32(0), w.put_f32(0.5f), w.put_f32(2);
        w.patch(at[3], uint32_t(w.size()));
        w.put_u8(0), w.put_u8(1), w.put_u8(2), w.fill(0, 3), w.put_u16(0);
        for (uint16_t v : {2024, 0x0C00, 0x0100, 2025, 0x0400, 0x0001}) w.put_u16(v);
        w.fill(0, 16), w.put_bytes("\x01\x00\x03\x04", 4), w.fill(0, 4 + 16 + 4);
        w.put_u32(red);
        PutUnits(w, std::u16string(u"d\0m\0\0", 5));  // labels of the shown units: days, minutes, seconds
        w.patch(at[4], uint32_t(w.size()));
        w.put_bytes("\x00\x21\x02\x05\x01\x00\x00\x00", 8), w.put_i32(-5), w.put_i32(99), w.put_i32(3);
        w.put_i32(0), w.put_u32(red), w.put_u32(0);
    });
    ProgramTree tree;
    LoadProgramImage(tree, image);
    const TextContent& text = OnlyProgram(tree).content;
    EXPECT_EQ(text.header.align, 1);
    EXPECT_EQ(Codes(text.cells), Codes(src.cells));
    EXPECT_EQ(text.cells[0].attr, red);
    const auto* p = CellObjectAs<PictureObject>(text.cells[1]);
    ASSERT_TRUE(p && p->frames.size() == 1);
    EXPECT_EQ(p->frames[0]->row32(1)[3], 0xFFFFFFu);
    EXPECT_EQ(p->frames[0]->row32(1)[2], 0u);
    const auto* a = CellObjectAs<AdcField>(text.cells[2]);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->number, 7);
    EXPECT_EQ(a->channel, 3);
    EXPECT_EQ(a->digitFormat, 0x32);
    EXPECT_EQ(a->attr, green);
    EXPECT_EQ(a->rows[0].x2, 900);
    EXPECT_EQ(a->rows[0].d, 2.0f);
    EXPECT_EQ(text.cells[2].attr, green);  // the stream's attribute marker before the field
    const auto* t = CellObjectAs<TimerField>(text.cells[4]);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->mode, 1);
    EXPECT_EQ(t->dayDigits, 2);
    EXPECT_EQ(t->b.year, 2025);
    EXPECT_FALSE(t->UnitShown(1));
    EXPECT_EQ(t->Label(0), u"d");
    EXPECT_EQ(t->Label(2), u"m");
    EXPECT_EQ(t->Label(3), u"");
    const auto* c = CellObjectAs<CounterField>(text.cells[5]);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->digitFormat, 0x21);
    EXPECT_EQ(c->start, -5);
    EXPECT_EQ(c->startFraction, 3);
    EXPECT_EQ(c->attr, red);
    const auto* g = CellObjectAs<GridObject>(text.cells[6]);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->style, 0x44u);
    EXPECT_EQ(g->totalWidth, 64);  // the first row's widths
    EXPECT_EQ(g->totalHeight, 16);
    EXPECT_EQ(Codes(g->cells), std::u16string({FC_GRIDCELL, u'q', FC_GRIDCELL}));
}

TEST(ProgramLoader, ClockCellsTakeTheirBlocksOrBecomeJ) {
    TextContent src;
    src.cells[0] = TextCell(u'a', 0);
    src.cells[1] = TextCell(FC_CLOCK, 0);
    src.cells[2] = TextCell(FC_CLOCK, 0);
    const auto face = Dot(24, 24, 5, 5);
    const std::vector<uint8_t> image = TextImage([&](ByteWriter& w) {
        PutTextHead(w, 1);
        w.put_u16(2);  // entry 0 and one clock entry for two clock cells
        w.put_u32(0);
        const ByteWriter::Place form = w.reserve(4);
        w.put_u16(3), w.put_u16(4);
        const ByteWriter::Place block = w.reserve(4);
        w.patch(form, uint32_t(w.size()));
        w.put_u8(2), w.put_u8(0);
        ASSERT_GT(SerializeTextForCard(src, w), 0);
        w.put_u32(0);
        w.patch(block, uint32_t(w.size()));
        w.put_u8(4), w.put_u8(0), w.put_u8(12), w.put_u8(3);
        PutImageSet(w, {face.get()});
    });
    ProgramTree tree;
    LoadProgramImage(tree, image);
    const TextContent& text = OnlyProgram(tree).content;
    EXPECT_EQ(Codes(text.cells), std::u16string({u'a', FC_CLOCK, u'j'}));
    const auto* clock = CellObjectAs<ClockObject>(text.cells[1]);
    ASSERT_NE(clock, nullptr);
    EXPECT_EQ(clock->size, 24);
    EXPECT_EQ(clock->style, 3);
    ASSERT_EQ(clock->face.size(), 1u);
    EXPECT_EQ(clock->face[0]->row32(5)[5], 0xFFFFFFu);
}

// ---- bad images ---------------------------------------------------------------------

// Two sets of one program each whose texts are "ABCDEF" and "GHIJKL".
std::vector<uint8_t> TwoSetImage(size_t* secondText) {
    ByteWriter w;
    w.put_u32(0);
    PutSet(w, 28, 1, 0, 0, 0), PutSet(w, 52, 1, 0, 0, 0);
    w.put_u32(0);
    PutProgram(w, 42, 0, 0, 64, 16);
    const ByteWriter::Place b1 = PutContentHeader(w, 1, 0);
    PutProgram(w, 66, 0, 0, 64, 16);
    const ByteWriter::Place b2 = PutContentHeader(w, 1, 0);
    for (auto [place, s] : {std::pair{b1, u"ABCDEF"}, std::pair{b2, u"GHIJKL"}}) {
        w.patch(place, uint32_t(w.size()));
        PutAction(w, kEffectMoveLeft);
        PutCommandHead(w, 1, 0, 1);
        *secondText = w.size();
        PutUnits(w, s), w.put_u16(0);
    }
    return Finish(w);
}

std::vector<uint8_t> Cut(const std::vector<uint8_t>& image, size_t size) {
    std::vector<uint8_t> cut(image.begin(), image.begin() + std::ptrdiff_t(size));
    StoreU32(cut.data(), uint32_t(size));
    return cut;
}

TEST(ProgramLoader, TruncatedImagesKeepWhatWasRead) {
    size_t second = 0;
    const std::vector<uint8_t> image = TwoSetImage(&second);
    ProgramTree tree;
    LoadProgramImage(tree, Cut(image, second + 6));  // "GHI" of the second text
    ASSERT_EQ(tree.sets().size(), 2u);
    EXPECT_EQ(Codes(tree.sets()[0].programs[0].record->content.cells), u"ABCDEF");
    EXPECT_EQ(Codes(tree.sets()[1].programs[0].record->content.cells), u"GHI");

    for (size_t size = 16; size < image.size(); ++size) {
        ProgramTree t;
        LoadProgramImage(t, Cut(image, size));
        for (const ProgramSetNode& s : t.sets())
            for (const ProgramNode& p : s.programs) {
                const std::u16string got = Codes(p.record->content.cells);
                EXPECT_TRUE(std::u16string(u"ABCDEF").starts_with(got) || std::u16string(u"GHIJKL").starts_with(got));
            }
    }
}

TEST(ProgramLoader, GarbageStopsCleanly) {
    size_t second = 0;
    const std::vector<uint8_t> image = TwoSetImage(&second);
    std::mt19937 rng(7);
    for (int round = 0; round < 300; ++round) {
        std::vector<uint8_t> bad = image;
        for (int k = 0; k < 1 + round % 8; ++k) bad[4 + rng() % (bad.size() - 4)] = uint8_t(rng());
        ProgramTree tree;
        LoadProgramImage(tree, bad);
        EXPECT_LE(tree.sets().size(), bad.size() / 10);
    }
}

TEST(ProgramLoader, SharedRecordsCannotMultiplyMemory) {
    // 600 sets, each claiming the same 300 program records.
    ByteWriter w;
    w.put_u32(0);
    const uint16_t records = 4 + 600 * 10 + 4;
    for (int s = 0; s < 600; ++s) PutSet(w, records, 300, 0, 0, 0);
    w.put_u32(0);
    for (int i = 0; i < 300; ++i) PutProgram(w, 16, 0, 0, 8, 8, 0);  // no content
    const std::vector<uint8_t> image = Finish(w);
    ProgramTree tree;
    LoadProgramImage(tree, image);
    size_t programs = 0;
    for (const ProgramSetNode& s : tree.sets()) programs += s.programs.size();
    EXPECT_GT(programs, 300u);
    EXPECT_LE(programs, ((size_t(64) << 20) + 1024 * image.size()) / sizeof(ProgramRecord));
}

}  // namespace
}  // namespace ledsuite
