#include "content/program_loader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "content/image_sources.h"
#include "content/program_encoder.h"
#include "content/program_image.h"
#include "content/text_codec.h"
#include "tests/content/image_walker.h"
#include "tests/content/layout_helpers.h"

namespace ledsuite {
namespace {

using ::testing::IsEmpty;
using TextWriter = std::function<void(ProgramImage&, const ProgramRecord&)>;

// The image of a tree made with the image's block writers: the skeleton, each body up
// to its text head, what `text` writes behind it, then the border blocks.
std::vector<uint8_t> WriteTree(const ProgramTree& tree, const TextWriter& text) {
    ProgramImage image;
    std::vector<PendingContent> pending;
    EXPECT_GE(WriteImageSkeleton(image, tree, pending), 0);
    std::vector<std::pair<const ProgramRecord*, ByteWriter::Place>> borders;
    for (const PendingContent& p : pending) {
        const bool clocks = std::any_of(p.program->content.cells.begin(), p.program->content.cells.end(),
                                        [](const TextCell& c) { return c.code == FC_CLOCK; });
        const ContentBody body = WriteContentBody(image, *p.program, tree.screen(), p.body,
                                                  TextFormOf(p.program->content.header, clocks));
        text(image, *p.program);
        if (body.border.valid) borders.emplace_back(p.program, body.border);
    }
    for (auto& [program, place] : borders) image.Patch(place, WriteBorderBlock(image, *program, 5));
    EXPECT_GT(WriteImageEnd(image), 0);
    std::vector<uint8_t> bytes = image.take();
    EXPECT_THAT(CheckProgramImage(bytes), IsEmpty());
    return bytes;
}

// The head of a command stream and its first line holding `s`.
void CommandLine(ProgramImage& image, const TextHeader& header, uint8_t byteOrder, std::u16string_view s) {
    WriteCommandStreamHead(image, header, byteOrder);
    PutLineStart(image, 0, 0, byteOrder);
    for (char16_t c : s) PutCommandChar(image, c, byteOrder);
}

// The program's cells as one line: a command stream for a card font set, else the code stream.
TextWriter PlainText(uint8_t byteOrder) {
    return [byteOrder](ProgramImage& image, const ProgramRecord& p) {
        if (p.content.header.kind == kKindLyricShow && p.content.header.fontSet) return;
        if (p.content.header.fontSet == 0) {
            SerializeTextForCard(p.content, image.writer());
            EndPictureEntries(image);
            return;
        }
        std::u16string s;
        for (const TextCell& c : std::span(p.content.cells).first(size_t(CountCells(p.content)))) s += c.code;
        CommandLine(image, p.content.header, byteOrder, s);
        PutStreamEnd(image);
    };
}

// A tree of one set holding one program over 0,0,64,16 with the text `s`.
ProgramTree OneProgram(std::u16string_view s, uint8_t fontSet, uint16_t fontChip = 0) {
    HardwareParams hw;
    hw.fontChip = fontChip;
    ProgramTree tree(hw);
    tree.AddProgramSet();
    ProgramRecord& p = *tree.AddProgram(0)->record;
    InitProgramRecord(p, 0, 0, 64, 16);
    p.content.header.fontSet = fontSet;
    for (size_t i = 0; i < s.size(); ++i) p.content.cells[i] = TextCell(s[i], CellAttr::Make(16, 0, 0));
    return tree;
}

const TextContent& OnlyText(const ProgramTree& tree) {
    EXPECT_EQ(tree.sets().size(), 1u);
    EXPECT_EQ(tree.sets()[0].programs.size(), 1u);
    return tree.sets()[0].programs[0].record->content;
}

std::u16string Codes(std::span<const TextCell> cells) {
    std::u16string s;
    for (const TextCell& c : cells.first(size_t(CountCells(cells)))) s += c.code;
    return s;
}

std::unique_ptr<RawImage> Dot(int width, int height, int x, int y) {
    auto img = CreateImage(uint16_t(width), uint16_t(height));
    img->row32(y)[x] = 0xFFFFFF;
    return img;
}

// ---- set table, areas, actions, borders -----------------------------------------

TEST(ProgramLoader, RestoresSchedulesAreasActionsAndKinds) {
    ProgramTree tree;
    for (uint8_t type : {6, 1, 4, 2}) {
        ProgramSetRecord& s = *tree.AddProgramSet()->record;
        s.playMode = type, s.weekdays = 0x41, s.duration = 0x1234, s.dates[0] = {0x2101, 0x2205};
        for (uint32_t i = 0; i < 24; ++i) s.periods[i] = (0x1000 + i) << 16 | i;
        ProgramRecord& p = *tree.AddProgram(tree.sets().size() - 1)->record;
        InitProgramRecord(p, -8, 2, 64, 16);
        p.content.cells[0] = TextCell(u'A', CellAttr::Make(16, 0, 1));
    }
    ProgramRecord& p0 = *tree.program(0, 0)->record;
    p0.mainAction.effect = kEffectBlindsHorizontal, p0.mainAction.speed = 7, p0.mainAction.repeat = 2;
    p0.secondaryAction.effect = kEffectFlash;
    tree.program(1, 0)->record->content.header = TextHeader{1, 0, 0, kKindLyricShow, 1, 0};
    tree.program(2, 0)->record->content.header.kind = 3;
    std::vector<uint8_t> image = WriteTree(tree, PlainText(0));
    // A schedule block claiming 26 periods: only 24 are taken (the rest would be program records).
    image[LoadU16(&image[8]) + 6] = 26;

    ProgramTree loaded;
    LoadProgramImage(loaded, image);
    ASSERT_EQ(loaded.sets().size(), 4u);
    const ProgramSetRecord& s0 = *loaded.sets()[0].record;
    EXPECT_EQ(s0.playMode, 6);
    EXPECT_EQ(s0.weekdays, 0x41);
    EXPECT_EQ(s0.dates[0].start, 0x2101);
    EXPECT_EQ(s0.dates[0].stop, 0x2205);
    EXPECT_EQ(s0.periods, tree.sets()[0].record->periods);
    EXPECT_EQ(loaded.sets()[1].record->duration, 0x1234);
    EXPECT_EQ(loaded.sets()[2].record->dates[0].stop, 0x2205);
    EXPECT_EQ(loaded.sets()[3].record->periods[0], tree.sets()[3].record->periods[0]);
    EXPECT_EQ(loaded.sets()[3].record->periods[1], 0u);

    const ProgramRecord& q0 = *loaded.program(0, 0)->record;
    EXPECT_EQ(q0.left, -8);  // area words are signed
    EXPECT_EQ(q0.top, 2);
    EXPECT_EQ(q0.mainAction.effect, kEffectBlindsHorizontal);
    EXPECT_EQ(q0.mainAction.speed, 7);
    EXPECT_EQ(q0.mainAction.repeat, 2);
    EXPECT_EQ(q0.secondaryAction.effect, kEffectFlash);
    EXPECT_EQ(Codes(q0.content.cells), u"A");
    EXPECT_EQ(loaded.program(1, 0)->title(), kLyricShowTitle());
    EXPECT_NE(loaded.program(1, 0)->record->content.header.fontSet, 0);  // it keeps its text form
    EXPECT_EQ(loaded.program(2, 0)->kind(), 1);  // a voice role of a kind the image does not keep
}

TEST(ProgramLoader, ReadsCustomBordersAndRedrawsBuiltInOnes) {
    ProgramTree tree = OneProgram(u"A", 0);
    tree.AddProgram(0);
    ProgramRecord& custom = *tree.program(0, 0)->record;
    custom.borderType = 1, custom.borderEffect = 2, custom.borderSpeed = 12;
    for (int k = 0; k < 4; ++k) custom.borderFrames.push_back(Dot(8, 4, k, 0));
    ProgramRecord& pattern = *tree.program(0, 1)->record;
    pattern.borderType = 3, pattern.borderSpeed = 30;
    std::vector<uint8_t> image = WriteTree(tree, PlainText(0));
    // The built-in border's stored sides are not read: point them all at nothing.
    const size_t body = LoadU32(&image[LoadU16(&image[18 + 14]) + 6]);
    for (size_t side = 0; side < 4; ++side) StoreU32(&image[LoadU32(&image[body]) + 4 + 4 * side], 0xFFFFFF);

    ProgramTree loaded;
    LoadProgramImage(loaded, image);
    ASSERT_EQ(loaded.sets()[0].programs.size(), 2u);
    const ProgramRecord& c = *loaded.program(0, 0)->record;
    EXPECT_EQ(c.borderType, 1);
    EXPECT_EQ(c.borderEffect, 2);
    EXPECT_EQ(c.borderSpeed, 12);
    ASSERT_EQ(c.borderFrames.size(), 4u);
    for (int k = 0; k < 4; ++k) EXPECT_EQ(c.borderFrames[size_t(k)]->pixels, custom.borderFrames[size_t(k)]->pixels);
    const ProgramRecord& b = *loaded.program(0, 1)->record;
    FrameVector drawn;
    MakeBorderFrames(&drawn, 3);
    EXPECT_EQ(b.borderType, 3);
    ASSERT_EQ(b.borderFrames.size(), drawn.size());
    EXPECT_EQ(b.borderFrames[0]->pixels, drawn[0]->pixels);
}

// ---- texts ----------------------------------------------------------------------

TEST(ProgramLoader, CommandStreamKeepsEveryCharacterColourAndTable) {
    // Under either byte order: line starts eat no character, full-width punctuation and
    // characters outside GB2312 stay characters, "no colour" stays no colour.
    for (uint8_t order : {0, 1}) {
        ProgramTree tree = OneProgram(u"", 3, uint16_t(order << 8 | 3));
        const uint32_t frame = 0x24, red = CellAttr::Make(16, 0, 1);
        const std::vector<uint8_t> image = WriteTree(tree, [&](ProgramImage& im, const ProgramRecord& p) {
            TextHeader h = p.content.header;
            h.align = 2;
            CommandLine(im, h, order, u"A\uFF0C");
            PutCommandUnit(im, kCmdColor, CommandColorCode(red), order);
            PutCommandUnit(im, kCmdSize, 24, order), PutCommandUnit(im, kCmdFont, 2, order);
            PutCommandChar(im, u'中', order);
            PutJustifiedLineStart(im, 0, 16, 3, order);
            PutCommandUnit(im, kCmdColor, CommandColorCode(0), order);
            PutCommandChar(im, u'節', order);
            PutLineOffset(im, 4, order);
            const ByteWriter::Place minute = PutObjectRef(im, uint8_t(CommandFieldType(FC_MINUTE)), order);
            PutTableStart(im, 128, 32, 2, 1, frame, order);
            for (int y : {0, 31}) PutTableRule(im, frame, 0, y, 126, y);
            for (int x : {0, 63, 127}) PutTableRule(im, frame, x, 0, x, 30);
            PutTableCell(im, MakeGridMarker(64, 32));
            PutCommandChar(im, u'x', order);
            PutTableCell(im, MakeGridMarker(64, 32, 1));
            PutTableEnd(im);
            PutCommandChar(im, u'B', order);
            PutStreamEnd(im);
            im.Patch(minute, WriteCodeTable(im, FieldTableOf(FC_MINUTE)));
        });
        ProgramTree loaded;
        LoadProgramImage(loaded, image);
        const TextContent& text = OnlyText(loaded);
        EXPECT_EQ(Codes(text.cells), std::u16string({u'A', u'\uFF0C', u'中', u'節', FC_MINUTE, FC_TABLE, u'B'}));
        EXPECT_EQ(text.header.fontSet, 3);
        EXPECT_EQ(text.header.align, 2);
        EXPECT_EQ(text.header.spread, 1);
        EXPECT_EQ(text.cells[1].attr, CellAttr::Make(16, 0, 0));
        EXPECT_EQ(text.cells[2].attr, CellAttr::Make(24, 2, 1));
        EXPECT_EQ(text.cells[3].attr, CellAttr::Make(24, 2, 0));
        const auto* grid = CellObjectAs<GridObject>(text.cells[5]);
        ASSERT_NE(grid, nullptr);
        EXPECT_EQ(grid->columns, 2);
        EXPECT_EQ(grid->rows, 1);
        EXPECT_EQ(grid->style, frame);
        EXPECT_EQ(grid->totalWidth, 128);
        EXPECT_EQ(grid->totalHeight, 32);
        EXPECT_EQ(Codes(grid->cells), std::u16string({FC_GRIDCELL, u'x', FC_GRIDCELL}));
        EXPECT_EQ(grid->cells[2].attr, MakeGridMarker(64, 32, 1));
    }
}

TEST(ProgramLoader, CommandStreamInUtf16ReadsPrivateUseCharactersAsCharacters) {
    ProgramTree tree = OneProgram(u"\uF000\uF8FF\uE029", 0x11, 0x101);
    ProgramTree loaded;
    LoadProgramImage(loaded, WriteTree(tree, PlainText(1)));
    EXPECT_EQ(Codes(OnlyText(loaded).cells), u"\uF000\uF8FF\uE029");  // the A-D field comes back without object
}

// The rendered form: the code stream, then per picture its entry and field records.
TEST(ProgramLoader, CodeStreamGivesFieldCellsTheirObjects) {
    const uint32_t red = CellAttr::Make(16, 1, 1), green = CellAttr::Make(24, 0, 2);
    ProgramTree tree = OneProgram(u"H", 0);
    TextContent& src = tree.program(0, 0)->record->content;
    src.header.align = 1;
    auto picture = std::make_unique<PictureObject>();
    picture->frames.push_back(Dot(8, 2, 3, 1));
    auto adc = std::make_unique<AdcField>();
    adc->attr = green, adc->number = 7, adc->channel = 3, adc->digitFormat = 0x32;
    adc->rows[0] = {10, 900, 0, 0, 0.5f, 2};
    auto timer = std::make_unique<TimerField>();
    timer->mode = 1, timer->dayDigits = 2, timer->b.year = 2025, timer->units[1] = 0;
    timer->labels[0][0] = u'd', timer->labels[1][0] = u'h', timer->labels[2][0] = u'm';
    auto counter = std::make_unique<CounterField>();
    counter->digitFormat = 0x21, counter->start = -5, counter->startFraction = 3, counter->attr = red;
    auto grid = std::make_unique<GridObject>();
    grid->columns = 2, grid->rows = 1, grid->style = 0x44;
    grid->cells[0] = TextCell(FC_GRIDCELL, MakeGridMarker(40, 16));
    grid->cells[1] = TextCell(u'q', red);
    grid->cells[2] = TextCell(FC_GRIDCELL, MakeGridMarker(24, 16));
    const char16_t codes[] = {FC_PICTURE, FC_ADC, FC_YEAR, FC_TIMER, FC_COUNTER, FC_TABLE};
    std::unique_ptr<CellObject> objects[] = {std::move(picture), std::move(adc), nullptr, std::move(timer),
                                             std::move(counter), std::move(grid)};
    for (size_t i = 0; i < 6; ++i) {
        src.cells[i + 1] = TextCell(codes[i], red);
        src.cells[i + 1].obj = std::move(objects[i]);
    }

    GlyphRenderer glyphs{[](char16_t, uint32_t) { return std::pair{8, 8}; },
                         [](char16_t, uint32_t, int, int, std::span<uint8_t>) {}};
    const std::vector<uint8_t> image = WriteTree(tree, [&](ProgramImage& im, const ProgramRecord& p) {
        ASSERT_GT(SerializeTextForCard(p.content, im.writer()), 0);
        const ByteWriter::Place planes = WritePictureEntry(im, 0, 0);
        std::vector<ByteWriter::Place> at;
        for (size_t i = 0; i < 5; ++i) at.push_back(WriteFieldRecord(im, 5, uint8_t(CardFieldType(codes[i])), 0, 0));
        EndPictureEntry(im), EndPictureEntries(im);
        RawImage line = *Dot(64, 16, 0, 0);
        im.Patch(planes, WritePicture(im, line, 5));
        im.Patch(at[0], WriteImageSet(im, CellObjectAs<PictureObject>(p.content.cells[1])->frames, 5));
        const std::array<FieldRecordPlace, 3> records = {
            WriteAdcRecord(im, *CellObjectAs<AdcField>(p.content.cells[2])),
            WriteTimerRecord(im, *CellObjectAs<TimerField>(p.content.cells[4]), {}, 5),
            WriteCounterRecord(im, *CellObjectAs<CounterField>(p.content.cells[5]))};
        const int32_t digits = WriteGlyphSet(im, kFieldTableDigits, 0, glyphs);
        im.Patch(at[2], digits);
        for (size_t i = 0; i < 3; ++i) {
            im.Patch(at[i == 0 ? 1 : i + 2], records[i].offset);
            im.Patch(records[i].glyphSet, digits);
        }
    });
    ProgramTree loaded;
    LoadProgramImage(loaded, image);
    const TextContent& text = OnlyText(loaded);
    EXPECT_EQ(text.header.align, 1);
    EXPECT_EQ(Codes(text.cells), Codes(src.cells));
    const auto* pic = CellObjectAs<PictureObject>(text.cells[1]);
    ASSERT_TRUE(pic && pic->frames.size() == 1);
    EXPECT_EQ(pic->frames[0]->pixels, CellObjectAs<PictureObject>(src.cells[1])->frames[0]->pixels);
    const auto* a = CellObjectAs<AdcField>(text.cells[2]);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->channel, 3);
    EXPECT_EQ(a->digitFormat, 0x32);
    EXPECT_EQ(a->attr, green);
    EXPECT_EQ(text.cells[2].attr, green);  // the attribute marker the stream puts before the field
    EXPECT_EQ(a->rows[0].x2, 900);
    EXPECT_EQ(a->rows[0].d, 2.0f);
    const auto* t = CellObjectAs<TimerField>(text.cells[4]);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->dayDigits, 2);
    EXPECT_EQ(t->b.year, 2025);
    EXPECT_FALSE(t->UnitShown(1));
    EXPECT_EQ(t->Label(0) + t->Label(1) + t->Label(2), u"dm");  // a hidden unit's label is not stored
    const auto* c = CellObjectAs<CounterField>(text.cells[5]);
    ASSERT_NE(c, nullptr);
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
    ProgramTree tree = OneProgram(u"a", 0);
    TextContent& src = tree.program(0, 0)->record->content;
    auto clock = std::make_unique<ClockObject>();
    clock->style = 3, clock->size = 24;
    FrameVector drawn;
    drawn.push_back(Dot(24, 24, 5, 5));
    src.cells[1] = TextCell(FC_CLOCK, 0), src.cells[1].obj = std::move(clock);
    src.cells[2] = TextCell(FC_CLOCK, 0);  // no block entry for this one
    const std::vector<uint8_t> image = WriteTree(tree, [&](ProgramImage& im, const ProgramRecord& p) {
        const std::pair<int32_t, int32_t> at{3, 4};
        const std::vector<ByteWriter::Place> blocks = WriteClockTable(im, std::span(&at, 1));
        SerializeTextForCard(p.content, im.writer());
        EndPictureEntries(im);
        im.Patch(blocks[0], WriteClockBlock(im, *CellObjectAs<ClockObject>(p.content.cells[1]), drawn, 5));
    });
    ProgramTree loaded;
    LoadProgramImage(loaded, image);
    const TextContent& text = OnlyText(loaded);
    EXPECT_EQ(Codes(text.cells), std::u16string({u'a', FC_CLOCK, u'j'}));
    const auto* c = CellObjectAs<ClockObject>(text.cells[1]);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->size, 24);
    EXPECT_EQ(c->style, 3);
    ASSERT_EQ(c->face.size(), 1u);
    EXPECT_EQ(c->face[0]->pixels, drawn[0]->pixels);
}

// ---- bad images ---------------------------------------------------------------------

// Two sets of one program each whose texts are "ABCDEF" and "GHIJKL".
std::vector<uint8_t> TwoSetImage() {
    ProgramTree tree = OneProgram(u"ABCDEF", 1, 0x101);
    tree.AddProgramSet();
    InitProgramRecord(*tree.AddProgram(1)->record, 0, 0, 64, 16);
    TextContent& second = tree.program(1, 0)->record->content;
    second.header.fontSet = 1;
    for (size_t i = 0; i < 6; ++i) second.cells[i] = TextCell(char16_t(u'G' + i), 0);
    return WriteTree(tree, PlainText(1));
}

std::vector<uint8_t> Cut(const std::vector<uint8_t>& image, size_t size) {
    std::vector<uint8_t> cut(image.begin(), image.begin() + std::ptrdiff_t(size));
    StoreU32(cut.data(), uint32_t(size));
    return cut;
}

TEST(ProgramLoader, ShortMislabelledAndTruncatedImages) {
    const std::vector<uint8_t> image = TwoSetImage();
    ProgramTree tree;
    LoadProgramImage(tree, Cut(image, 15));
    std::vector<uint8_t> mislabelled = image;
    mislabelled[0] ^= 4;  // the length word no longer the byte count
    LoadProgramImage(tree, mislabelled);
    EXPECT_TRUE(tree.sets().empty());

    const uint8_t j[] = {'J', 0};
    const size_t cut = size_t(std::search(image.begin(), image.end(), j, j + 2) - image.begin());
    LoadProgramImage(tree, Cut(image, cut));  // the second text ends after "GHI"
    ASSERT_EQ(tree.sets().size(), 2u);
    EXPECT_EQ(Codes(tree.program(0, 0)->record->content.cells), u"ABCDEF");
    EXPECT_EQ(Codes(tree.program(1, 0)->record->content.cells), u"GHI");

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
    const std::vector<uint8_t> image = TwoSetImage();
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
    // 600 set records, each claiming the same 300 program records.
    ByteWriter w;
    w.put_u32(0);
    const uint16_t records = 4 + 600 * 10 + 4;
    for (int s = 0; s < 600; ++s) w.put_u16(records), w.put_u16(300), w.put_u32(0), w.put_u16(0);
    w.put_u32(0);
    for (int i = 0; i < 300; ++i) w.put_u16(16), w.put_u16(0), w.put_u32(0), w.put_u16(8), w.put_u16(8), w.put_u16(0);
    w.put_u32(0x00FF);
    w.patch_u32_at(0, uint32_t(w.size()));
    ProgramTree tree;
    LoadProgramImage(tree, w.bytes());
    size_t programs = 0;
    for (const ProgramSetNode& s : tree.sets()) programs += s.programs.size();
    EXPECT_GT(programs, 300u);
    EXPECT_LE(programs, ((size_t(64) << 20) + 1024 * w.size()) / sizeof(ProgramRecord));
}

// ---- round trips through the encoder ------------------------------------------------

std::vector<uint8_t> Encode(const ProgramTree& tree) {
    std::vector<uint8_t> b(kImageLimit, 0xFF);
    uint32_t position = 0;
    const int32_t length = BuildProgramImage(b.data(), &position, tree, b.size());
    EXPECT_GT(length, 0);
    b.resize(size_t(std::max(length, 0)));
    return b;
}

// The image of the loaded image is the image.
void ExpectRoundTrip(const ProgramTree& tree) {
    const std::vector<uint8_t> image = Encode(tree);
    ProgramTree loaded(tree.screen());
    LoadProgramImage(loaded, image);
    ASSERT_EQ(loaded.sets().size(), tree.sets().size());
    EXPECT_EQ(Encode(loaded), image);
}

TextCell Object(char16_t code, std::unique_ptr<CellObject> object) {
    TextCell cell(code, 0);
    cell.obj = std::move(object);
    return cell;
}

// Two sets of every play mode the image keeps, programs with most effects, borders,
// tables, fields and pictures, in system fonts (`fontSet` 0) or a card font set.
ProgramTree RichTree(uint8_t fontSet, uint16_t fontChip) {
    HardwareParams hw;
    hw.fileSystem = 1, hw.fontChip = fontChip, hw.cardSubtype = 2;
    ProgramTree tree(hw);
    const uint32_t red = CellAttr::Make(16, 0, 1), big = CellAttr::Make(24, 0, 6);
    const uint8_t effects[] = {kEffectBlindsHorizontal, kEffectBlindsVertical, kEffectBlackboardLeft, kEffectSnow,
                               kEffectMoveLeftContinue, kEffectDoor};
    for (uint8_t type : {6, 2}) {
        ProgramSetNode& set = *tree.AddProgramSet();
        set.record->playMode = type, set.record->weekdays = 0x3E, set.record->dates[0] = {0x2C21, 0x2D9F};
        set.record->periods[0] = 0x4000u << 16 | 0x2000, set.record->periods[3] = 0x9000u << 16 | 0x7000;
        for (size_t i = 0; i < 3; ++i) {
            ProgramRecord& p = *tree.AddProgram(tree.sets().size() - 1)->record;
            InitProgramRecord(p, 0, 16 * int(i), 96, 16 * int(i) + 32);
            p.content.header.fontSet = fontSet;
            p.content.header.align = uint8_t(i);
            p.mainAction.effect = effects[(type == 6 ? 0 : 3) + i];
            p.secondaryAction.effect = i == 1 ? kEffectFlash : kEffectNone;
            PutText(p.content, u"AB\nCd", red);
            p.content.cells[3].attr = p.content.cells[4].attr = big;
            p.content.cells[5] = TextCell(FC_HOUR, red);
            p.content.cells[6] = PictureCell(6, 12);
        }
    }
    ProgramRecord& bordered = *tree.program(0, 0)->record;
    bordered.borderType = 1, bordered.borderSpeed = 20;
    for (int k = 0; k < 4; ++k) bordered.borderFrames.push_back(Dot(8, 4, k, 1));
    tree.program(0, 1)->record->borderType = 5;
    tree.program(1, 0)->record->borderType = 5;  // shares the pattern's sides
    tree.SetProgramKind(1, 1, 3);                // a voice program: the sound place
    TextContent& fields = tree.program(1, 2)->record->content;
    auto adc = std::make_unique<AdcField>();
    adc->attr = red, adc->rows[0] = {0, 100, 0, 0, 1, 0};
    auto timer = std::make_unique<TimerField>();
    timer->attr = big, timer->labels[0][0] = u'd';
    auto counter = std::make_unique<CounterField>();
    counter->attr = red, counter->start = -3;
    auto grid = std::make_unique<GridObject>();
    InitGridObject(*grid);
    SetGridSize(*grid, 2, 1);
    grid->cells[size_t(CollectGridCells(*grid)[1]) + 1] = TextCell(u'z', red);
    grid->totalWidth = 128, grid->totalHeight = 16, grid->style = 0x24 | uint32_t(fontSet) << 8;
    auto clock = std::make_unique<ClockObject>();
    clock->size = 16;
    fields.cells[7] = Object(FC_TABLE, std::move(grid));
    if (fontSet == 0) {  // a card font set shows these as codes without objects
        fields.cells[8] = Object(FC_ADC, std::move(adc));
        fields.cells[9] = Object(FC_TIMER, std::move(timer));
        fields.cells[10] = Object(FC_COUNTER, std::move(counter));
        fields.cells[11] = Object(FC_CLOCK, std::move(clock));
    }
    return tree;
}

TEST(ProgramLoader, EncodedImagesLoadBackToTheSameImage) {
    ExpectRoundTrip(RichTree(1, 0x0001));
    ExpectRoundTrip(RichTree(1, 0x0101));
    ExpectRoundTrip(RichTree(0, 0));

    ProgramTree lyric = RichTree(1, 0x0001);
    lyric.SetProgramKind(0, 2, kKindLyricShow);
    ExpectRoundTrip(lyric);

    HardwareParams small;
    small.cardType = 0;  // the bitmap image
    ProgramTree bitmap(small);
    bitmap.AddProgramSet()->record->weekdays = 0x7F;
    PutText(bitmap.AddProgram(0)->record->content, u"AB", CellAttr::Make(16, 0, 1));
    ExpectRoundTrip(bitmap);
}

}  // namespace
}  // namespace ledsuite
