#include "content/card/program_loader.h"

#include <gtest/gtest.h>

#include <random>

#include "content/render/image_sources.h"
#include "content/card/program_encoder.h"
#include "tests/content/image_walker.h"
#include "tests/content/layout_helpers.h"

namespace ledsuite {
namespace {

std::vector<uint8_t> Encode(const ProgramTree& tree) {
    std::vector<uint8_t> b(kImageLimit, 0xFF);
    uint32_t position = 0;
    const int32_t length = BuildProgramImage(b.data(), &position, tree, b.size());
    EXPECT_GT(length, 0);
    b.resize(size_t(std::max(length, 0)));
    return b;
}

ProgramTree Load(const HardwareParams& screen, std::span<const uint8_t> image) {
    ProgramTree tree(screen);
    LoadProgramImage(tree, image);
    return tree;
}

// The content header of program `index` of set `set`.
size_t ContentHeader(const std::vector<uint8_t>& b, size_t set, size_t index) {
    return LoadU16(&b[LoadU16(&b[4 + 10 * set]) + 14 * index]);
}

std::u16string Codes(std::span<const TextCell> cells) {
    std::u16string s;
    for (const TextCell& c : cells.first(size_t(CountCells(cells)))) s += c.code;
    return s;
}

TextCell Object(char16_t code, std::unique_ptr<CellObject> object) {
    TextCell cell(code, 0);
    cell.obj = std::move(object);
    return cell;
}

constexpr uint32_t kRed = CellAttr::Make(16, 0, 1), kBig = CellAttr::Make(24, 0, 6);
constexpr char16_t kText[] = u"A\uFF0C節\nCd";  // a full-width comma; 節 lies outside GB2312

// Four sets, one per play mode the image keeps, of two programs each: most effects,
// custom and built-in borders, a voice role, colours, sizes, "no colour", several
// lines, fields, pictures and a table; in system fonts (`fontSet` 0) or a card font set.
ProgramTree RichTree(uint8_t fontSet, uint16_t fontChip) {
    HardwareParams hw;
    hw.fileSystem = 1, hw.fontChip = fontChip, hw.cardSubtype = 2;
    ProgramTree tree(hw);
    const uint8_t types[] = {6, 1, 4, 2};
    const uint8_t effects[] = {kEffectBlindsHorizontal, kEffectBlindsVertical, kEffectBlackboardLeft, kEffectSnow,
                               kEffectMoveLeftContinue, kEffectDoor, kEffectStatic, kEffectCurtainDown};
    for (size_t s = 0; s < 4; ++s) {
        ProgramSetRecord& set = *tree.AddProgramSet()->record;
        set.playMode = types[s], set.weekdays = 0x3E, set.duration = 0x1234, set.dates[0] = {0x2C21, 0x2D9F};
        set.periods[0] = 0x4000u << 16 | 0x2000, set.periods[3] = 0x9000u << 16 | 0x7000;
        for (int i = 0; i < 2; ++i) {
            ProgramRecord& p = *tree.AddProgram(s)->record;
            InitProgramRecord(p, -8 * i, 16 * i, 96, 16 * i + 32);  // area words are signed
            p.content.header.fontSet = fontSet;
            p.content.header.align = uint8_t(s);
            p.mainAction.effect = effects[2 * s + size_t(i)];
            p.secondaryAction.effect = i ? kEffectFlash : kEffectNone;
            PutText(p.content, kText, kRed);
            p.content.cells[2].attr = CellAttr::Make(16, 0, 0);
            p.content.cells[4].attr = p.content.cells[5].attr = kBig;
            p.content.cells[6] = TextCell(FC_HOUR, kRed);
            p.content.cells[7] = PictureCell(6, 12);
        }
    }
    ProgramRecord& bordered = *tree.program(0, 0)->record;
    bordered.borderType = 1, bordered.borderSpeed = 20;
    for (int k = 0; k < 4; ++k) {
        bordered.borderFrames.push_back(CreateImage(8, 4));
        bordered.borderFrames[size_t(k)]->row32(1)[k] = 0xFFFFFF;
    }
    tree.program(0, 1)->record->borderType = 5;
    tree.program(1, 0)->record->borderType = 5;  // shares the pattern's sides
    for (uint8_t k = 0; k < 5; ++k) {            // the other built-in patterns, 8 below
        ProgramRecord& p = *tree.program(1 + (k + 1) / 2, (k + 1) % 2)->record;
        p.borderType = uint8_t(k < 3 ? 2 + k : 3 + k), p.borderEffect = k, p.borderSpeed = 30;
    }
    tree.SetProgramKind(1, 1, 3);  // a voice role: the sound place
    tree.program(0, 0)->record->content.cells[1].attr = CellAttr::Make(8, 3, 2);  // 8 px, font 3

    TextContent& fields = tree.program(3, 1)->record->content;
    auto grid = std::make_unique<GridObject>();
    InitGridObject(*grid);
    SetGridSize(*grid, 2, 1);
    grid->cells[size_t(CollectGridCells(*grid)[1]) + 1] = TextCell(u'z', kRed);
    grid->totalWidth = 128, grid->totalHeight = 16, grid->style = 0x24 | uint32_t(fontSet) << 8;
    grid->cells[size_t(CollectGridCells(*grid)[1]) + 2] = PictureCell(4, 4, {0xFF0000});
    fields.cells[8] = Object(FC_TABLE, std::move(grid));
    if (fontSet != 0) {  // fields of a card font set: codes, A-D, timer and counter without objects
        const char16_t codes[] = {FC_ADC, FC_TIMER, FC_COUNTER, FC_WEEK_EN_SHORT, FC_CARD18, FC_MONTH_EN};
        for (size_t k = 0; k < std::size(codes); ++k) fields.cells[9 + k] = TextCell(codes[k], k % 2 ? kBig : kRed);
    } else {  // a card font set shows these as codes without objects, or not at all
        auto adc = std::make_unique<AdcField>();
        adc->attr = kRed, adc->rows[0] = {0, 100, 0, 0, 1, 0};
        auto timer = std::make_unique<TimerField>();
        timer->attr = kBig, timer->labels[0][0] = u'd', timer->units[1] = 0;
        auto counter = std::make_unique<CounterField>();
        counter->attr = kRed, counter->start = -3;
        auto clock = std::make_unique<ClockObject>();
        clock->size = 16;
        fields.cells[9] = Object(FC_ADC, std::move(adc));
        fields.cells[10] = Object(FC_TIMER, std::move(timer));
        fields.cells[11] = Object(FC_COUNTER, std::move(counter));
        fields.cells[12] = Object(FC_CLOCK, std::move(clock));
        auto faced = std::make_unique<ClockObject>();  // every style but 0 is drawn over its face
        faced->size = 16, faced->style = 2;
        faced->face.push_back(CreateImage(20, 16));
        faced->face[0]->row32(3)[5] = 0xFFFFFF;
        fields.cells[13] = Object(FC_CLOCK, std::move(faced));
    }
    return tree;
}

// Encoding what was loaded from an image gives the image again.
ProgramTree ExpectRoundTrip(const ProgramTree& tree) {
    const std::vector<uint8_t> image = Encode(tree);
    ProgramTree loaded = Load(tree.screen(), image);
    EXPECT_EQ(loaded.sets().size(), tree.sets().size());
    EXPECT_EQ(Encode(loaded), image);
    return loaded;
}

TEST(ProgramLoader, EncodedImagesLoadBackToTheSameImage) {
    for (uint16_t chip : {0x0001, 0x0101}) {  // byte-order flag 0 and 1
        ProgramTree tree = RichTree(8, chip);
        ProgramTree loaded = ExpectRoundTrip(tree);
        const ProgramRecord& p = *loaded.program(0, 0)->record;
        EXPECT_EQ(Codes(p.content.cells).substr(0, 6), kText);
        EXPECT_EQ(p.content.cells[1].attr, CellAttr::Make(8, 3, 2));
        EXPECT_EQ(CellAttr::RgbOf(p.content.cells[2].attr), 0u);  // "no colour" is no colour
        EXPECT_EQ(p.mainAction.effect, kEffectBlindsHorizontal);
        EXPECT_EQ(p.borderFrames.size(), 4u);
        EXPECT_EQ(loaded.program(0, 1)->record->left, -8);
        EXPECT_EQ(loaded.sets()[1].record->duration, 0x1234);
        const TextContent& fields = loaded.program(3, 1)->record->content;
        EXPECT_EQ(Codes(fields.cells), Codes(tree.program(3, 1)->record->content.cells));
        EXPECT_EQ(fields.cells[10].attr, kBig);
        const auto* grid = CellObjectAs<GridObject>(fields.cells[8]);
        ASSERT_TRUE(grid);
        EXPECT_TRUE(CellObjectAs<PictureObject>(grid->cells[size_t(CollectGridCells(*grid)[1]) + 2]));
    }
    ProgramSetRecord fresh;
    InitProgramSetRecord(fresh);
    for (uint8_t mode : {0, 3, 5}) {  // the play modes without parameters, and 3 with its weekday byte
        ProgramTree tree = RichTree(1, 0x0001);
        tree.sets()[0].record->playMode = mode;
        tree.program(0, 1)->record->borderType = 8;
        EXPECT_EQ(ExpectRoundTrip(tree).sets()[0].record->weekdays, mode == 3 ? 0x3E : fresh.weekdays);
    }
    ProgramTree rendered = ExpectRoundTrip(RichTree(0, 0));
    const TextContent& fields = rendered.program(3, 1)->record->content;
    EXPECT_EQ(CellObjectAs<TimerField>(fields.cells[10])->Label(0), u"d");
    EXPECT_EQ(CellObjectAs<CounterField>(fields.cells[11])->start, -3);
    EXPECT_EQ(CellObjectAs<AdcField>(fields.cells[9])->rows[0].x2, 100);
    EXPECT_EQ(CellObjectAs<ClockObject>(fields.cells[13])->face.size(), 1u);
    EXPECT_TRUE(CellObjectAs<ClockObject>(fields.cells[12])->face.empty());  // style 0 has no face
    const auto* grid = CellObjectAs<GridObject>(fields.cells[8]);  // a table's picture takes its own record
    ASSERT_TRUE(grid);
    EXPECT_EQ(CellObjectAs<PictureObject>(grid->cells[size_t(CollectGridCells(*grid)[1]) + 2])->frames[0]->width, 4);

    ProgramTree lyric = RichTree(1, 0x0001);
    lyric.SetProgramKind(2, 1, kKindLyricShow);
    EXPECT_EQ(ExpectRoundTrip(lyric).program(2, 1)->title(), kLyricShowTitle());

    HardwareParams small;
    small.cardType = 0;  // the bitmap image goes to its own loader
    ProgramTree bitmap(small);
    bitmap.AddProgramSet()->record->weekdays = 0x7F;
    PutText(bitmap.AddProgram(0)->record->content, u"AB", kRed);
    ExpectRoundTrip(bitmap);
}

TEST(ProgramLoader, ScheduleCapsBuiltInBordersAndMissingClockBlocks) {
    const ProgramTree tree = RichTree(1, 0x0001);
    std::vector<uint8_t> image = Encode(tree);
    // A schedule block claiming 26 periods restores 24 of them.
    const size_t block = LoadU32(&image[8]);
    image[block + 6] = 26;
    // A built-in border's stored sides are not read: its frames are drawn again.
    const size_t border = LoadU32(&image[LoadU32(&image[ContentHeader(image, 0, 1) + 6])]);
    for (size_t side = 0; side < 4; ++side) StoreU32(&image[border + 4 + 4 * side], 0xFFFFFF);
    ProgramTree loaded = Load(tree.screen(), image);
    ASSERT_EQ(loaded.sets().size(), 4u);
    EXPECT_EQ(loaded.sets()[0].record->periods[23], LoadU32(&image[block + 7 + 4 * 23]));
    FrameVector pattern;
    MakeBorderFrames(&pattern, 5);
    const FrameVector& frames = loaded.program(0, 1)->record->borderFrames;
    ASSERT_EQ(frames.size(), pattern.size());
    EXPECT_EQ(frames[0]->pixels, pattern[0]->pixels);

    // Two clocks, the clock table shortened by one entry: the second reads as "j".
    ProgramTree clocks = RichTree(0, 0);
    TextContent& text = clocks.program(0, 0)->record->content;
    auto clock = std::make_unique<ClockObject>();
    clock->size = 16;
    text.cells[1] = Object(FC_CLOCK, clock->Clone());
    text.cells[0] = Object(FC_CLOCK, std::move(clock));
    image = Encode(clocks);
    const size_t header = ContentHeader(image, 0, 0);
    const size_t head = LoadU32(&image[header + 6]) + 4 + 12 * image[header];
    ASSERT_EQ(image[head + 4], kTextFormClocks);
    ASSERT_EQ(LoadU16(&image[head + 6]), 3);
    image[head + 6] = 2;
    loaded = Load(clocks.screen(), image);
    const TextContent& back = loaded.program(0, 0)->record->content;
    EXPECT_EQ(back.cells[0].code, FC_CLOCK);
    EXPECT_EQ(CellObjectAs<ClockObject>(back.cells[0])->size, 16);
    EXPECT_EQ(back.cells[1].code, u'j');
}

// Everything the image does not keep; the round trips above show that nothing else is lost.
TEST(ProgramLoader, KnownLosses) {
    HardwareParams hw;
    hw.fileSystem = 1, hw.fontChip = 1, hw.cardSubtype = 2;
    ProgramTree tree(hw);
    tree.AddProgramSet();
    tree.AddProgramSet();  // one voice role per set: the lyric show in a set of its own
    for (size_t i = 0; i < 3; ++i) tree.AddProgram(i / 2);
    ProgramRecord& card = *tree.program(0, 0)->record;  // a card font set of at most 7 fonts
    card.content.header.fontSet = 1;
    card.borderType = 1, card.borderSpeed = 5;
    card.borderFrames.push_back(CreateImage(8, 4));
    card.borderFrames.push_back(CreateImage(4, 8));
    card.content.cells[0] = TextCell(u'A', CellAttr::Make(16, 3, 1));
    auto adc = std::make_unique<AdcField>();
    adc->attr = kRed;
    card.content.cells[1] = Object(FC_ADC, std::move(adc));
    card.content.cells[2] = TextCell(FC_LYRIC, kRed);
    tree.SetProgramKind(0, 0, 3);

    ProgramRecord& system = *tree.program(0, 1)->record;  // system fonts
    system.content.header.fontSet = 0;
    auto clock = std::make_unique<ClockObject>();
    clock->size = 15;
    auto timer = std::make_unique<TimerField>();
    timer->labels[0].fill(u'd');  // 32 units, no terminator
    auto rows = std::make_unique<AdcField>();
    rows->rows[0] = {0, 100, 1, 0, 0, 0}, rows->rows[1] = {50, 50, 2, 0, 0, 0}, rows->rows[2] = {0, 200, 3, 0, 0, 0};
    system.content.cells[0] = Object(FC_CLOCK, std::move(clock));
    system.content.cells[1] = Object(FC_TIMER, std::move(timer));
    system.content.cells[2] = Object(FC_ADC, std::move(rows));

    tree.program(1, 0)->record->content.header.fontSet = 5;
    tree.SetProgramKind(1, 0, kKindLyricShow);

    ProgramTree loaded = Load(hw, Encode(tree));
    const ProgramRecord& c = *loaded.program(0, 0)->record;
    EXPECT_EQ(loaded.program(0, 0)->kind(), 1);                 // which voice role: not kept
    EXPECT_EQ(c.borderFrames.size(), 4u);                       // a custom border has four sides
    EXPECT_EQ(c.borderSpeed, 10);                               // raised to 10
    EXPECT_EQ(CellAttr::FontOf(c.content.cells[0].attr), 0u);  // a font change needs more than 7 fonts
    EXPECT_EQ(c.content.cells[1].code, FC_ADC);                 // fields of a card font set: codes only
    EXPECT_EQ(c.content.cells[1].obj, nullptr);
    EXPECT_EQ(c.content.cells[2].code, FC_YEAR);                // U+E028 and U+E02C go out as type 0

    const TextContent& s = loaded.program(0, 1)->record->content;
    EXPECT_EQ(CellObjectAs<ClockObject>(s.cells[0])->size, 14);         // half the size is stored
    EXPECT_EQ(CellObjectAs<TimerField>(s.cells[1])->Label(0).size(), 31u);  // labels up to 31 units
    const AdcField& a = *CellObjectAs<AdcField>(s.cells[2]);  // only valid rows, packed to the front
    EXPECT_EQ(a.rows[1].x2, 200);
    EXPECT_EQ(a.rows[2].x2, 0);
    EXPECT_EQ(loaded.program(1, 0)->record->content.header.fontSet, 1);  // a lyric show stores no font set
}

// ---- bad images ---------------------------------------------------------------------

// Two sets of one program each whose texts are "ABCDEF" and "GHIJKL", byte-order flag 1.
std::vector<uint8_t> TwoSetImage() {
    HardwareParams hw;
    hw.fileSystem = 1, hw.fontChip = 0x101;
    ProgramTree tree(hw);
    for (std::u16string_view s : {u"ABCDEF", u"GHIJKL"}) {
        tree.AddProgramSet();
        ProgramRecord& p = *tree.AddProgram(tree.sets().size() - 1)->record;
        p.mainAction.effect = kEffectStatic;
        PutText(p.content, s, kRed);
    }
    return Encode(tree);
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
    LoadProgramImage(tree, Cut(image, size_t(std::search(image.begin(), image.end(), j, j + 2) - image.begin())));
    ASSERT_EQ(tree.sets().size(), 2u);  // what was read before the cut stays
    EXPECT_EQ(Codes(tree.program(0, 0)->record->content.cells), u"ABCDEF");
    EXPECT_EQ(Codes(tree.program(1, 0)->record->content.cells), u"GHI");

    for (size_t size = 16; size < image.size(); ++size) {
        const ProgramTree t = Load({}, Cut(image, size));
        for (const ProgramSetNode& s : t.sets())
            for (const ProgramNode& p : s.programs) {
                const std::u16string got = Codes(p.record->content.cells);
                EXPECT_TRUE(std::u16string(u"ABCDEF").starts_with(got) || std::u16string(u"GHIJKL").starts_with(got));
            }
    }
}

TEST(ProgramLoader, GarbageStopsCleanly) {
    for (const std::vector<uint8_t>& image : {TwoSetImage(), Encode(RichTree(0, 0)), Encode(RichTree(1, 0x101))}) {
        std::mt19937 rng(7);
        for (int round = 0; round < 100; ++round) {
            std::vector<uint8_t> bad = image;
            for (int k = 0; k < 1 + round % 8; ++k) bad[4 + rng() % (bad.size() - 4)] = uint8_t(rng());
            EXPECT_LE(Load({}, bad).sets().size(), bad.size() / 10);
        }
    }
}

TEST(ProgramLoader, MemoryAllowanceIsSixtyFourMebibytesAndAKibibytePerByte) {
    const std::vector<uint8_t> bytes(100, 0);
    const size_t allowance = (size_t(64) << 20) + 1024 * 100;
    ProgramImageView exact(bytes);
    EXPECT_TRUE(exact.Charge(allowance - 1));
    EXPECT_TRUE(exact.Charge(1));  // the whole allowance may be taken
    EXPECT_FALSE(exact.Charge(1));
    ProgramImageView over(bytes);
    EXPECT_FALSE(over.Charge(allowance + 1));
    EXPECT_FALSE(over.Charge(1));  // a refused charge spends what was left
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
    const ProgramTree tree = Load({}, w.bytes());
    size_t programs = 0;
    for (const ProgramSetNode& s : tree.sets()) programs += s.programs.size();
    EXPECT_GT(programs, 300u);
    EXPECT_LE(programs, ((size_t(64) << 20) + 1024 * w.size()) / sizeof(ProgramRecord));
}

// ---- where the loader stops: hand-made images ----------------------------------------

// An image of `size` zero bytes with its length word, filled in by offset.
struct HandImage {
    std::vector<uint8_t> b;
    explicit HandImage(size_t size) : b(size, 0) { StoreU32(b.data(), uint32_t(size)); }
    void U16(size_t at, uint16_t v) { StoreU16(&b[at], v); }
    void U32(size_t at, uint32_t v) { StoreU32(&b[at], v); }
    void Set(size_t at, uint16_t first, uint16_t count) { U16(at, first), U16(at + 2, count); }
    // A program record of a 64 x 16 area; `one` 0 means the program has no content.
    void Program(size_t at, uint16_t content, uint16_t one = 1) {
        U16(at, content), U16(at + 2, one), U16(at + 8, 64), U16(at + 10, 16);
    }
    // A content header with one action and a border whose body starts at `body`.
    void BorderContent(size_t at, uint32_t body) { b[at] = 1, b[at + 1] = 0x02, U32(at + 6, body); }
};

std::vector<size_t> ProgramsPerSet(const HandImage& image) {
    const ProgramTree tree = Load({}, image.b);
    std::vector<size_t> counts;
    for (const ProgramSetNode& s : tree.sets()) counts.push_back(s.programs.size());
    return counts;
}

// One set of two programs (records at 18 and 32); the first has a border content
// header at `header` whose body is at `body`, and the body points at a border block
// of type 3 at `block` (bytes 72 and 73 both hold the type). The second has no content.
// Returns the first program's border type and the number of programs read.
std::pair<int, size_t> BorderRead(size_t size, size_t header, uint32_t body, uint32_t block) {
    HandImage image(size);
    image.Set(4, 18, 2);
    image.Program(18, uint16_t(header));
    image.Program(32, 0, 0);
    image.BorderContent(header, body);
    image.U32(body, block);
    image.b[72] = image.b[73] = 3;
    ProgramTree tree = Load({}, image.b);
    if (tree.sets().size() != 1 || tree.sets()[0].programs.empty()) return {-1, 0};
    return {tree.program(0, 0)->record->borderType, tree.sets()[0].programs.size()};
}

TEST(ProgramLoader, ImageSetPlanesMayEndAtTheImageEnd) {
    // One 8 x 1 frame of mode 5 whose one plane byte is the image's last byte.
    std::vector<uint8_t> b = {3, 0, 1, 30, 5, 8, 0, 1, 0, 0, 0, 0, 0, 17, 0, 0, 0, 0x81};
    ProgramImageView view(b);
    const std::optional<FrameVector> set = ReadImageSet(view, 0);
    ASSERT_TRUE(set.has_value());
    ASSERT_EQ(set->size(), 1u);
    EXPECT_EQ((*set)[0]->row32(0)[0] & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ((*set)[0]->row32(0)[1] & 0xFFFFFF, 0u);
    b.pop_back();
    ProgramImageView cut(b);
    EXPECT_FALSE(ReadImageSet(cut, 0).has_value());
}

TEST(ProgramLoader, SixteenBytesAndTheSetTableOffsets) {
    HandImage smallest(16);  // one set record without programs, then a 0 word cut to its first half
    smallest.Set(4, 10, 0);
    EXPECT_EQ(ProgramsPerSet(smallest), std::vector<size_t>{0});

    // Two sets without programs: an offset of the first below 10, or at or past the end, ends the load.
    const auto twoSets = [](uint16_t first) {
        HandImage image(28);
        image.Set(4, first, 0);
        image.Set(14, 20, 0);
        return ProgramsPerSet(image);
    };
    EXPECT_EQ(twoSets(9), std::vector<size_t>{0});
    EXPECT_EQ(twoSets(10), (std::vector<size_t>{0, 0}));
    EXPECT_EQ(twoSets(27), (std::vector<size_t>{0, 0}));
    EXPECT_EQ(twoSets(28), std::vector<size_t>{0});
    HandImage cutRecord(18);  // the second set record ends after its program count
    cutRecord.Set(4, 10, 0);
    cutRecord.Set(14, 10, 0);
    EXPECT_EQ(ProgramsPerSet(cutRecord), std::vector<size_t>{0});

    // A program record whose content offset is at the end ends the load before it.
    const auto contentAt = [](uint16_t content) {
        HandImage image(40);
        image.Set(4, 18, 1);
        image.Program(18, content, 0);
        return ProgramsPerSet(image);
    };
    EXPECT_EQ(contentAt(39), std::vector<size_t>{1});
    EXPECT_EQ(contentAt(40), std::vector<size_t>{0});
}

TEST(ProgramLoader, ScheduleBlockWithTwoDateRanges) {
    HandImage image(18 + 11 + 30 * 4);
    image.Set(4, 18, 0);
    image.U16(8, 18);  // the block's offset, low and high words
    image.b[12] = 6;
    image.b[18] = 0x15, image.b[19] = 2;
    image.U32(20, 0x00020001), image.U32(24, 0x00040003);
    image.b[28] = 30;
    for (uint32_t i = 0; i < 30; ++i) image.U32(29 + 4 * i, 0x00100000 + i);
    const ProgramTree tree = Load({}, image.b);
    ASSERT_EQ(tree.sets().size(), 1u);
    const ProgramSetRecord& set = *tree.sets()[0].record;
    EXPECT_EQ(set.playMode, 6);
    EXPECT_EQ(set.weekdays, 0x15);
    EXPECT_EQ(set.dates[0].start, 1);
    EXPECT_EQ(set.dates[0].stop, 2);
    ASSERT_EQ(set.periods.size(), 24u);
    for (uint32_t i = 0; i < 24; ++i) EXPECT_EQ(set.periods[i], 0x00100000 + i) << i;
}

// One set of two programs; the first has `actions` actions from 87 on, then (for one)
// its text head at 99 with `tail` from its form byte at 103 on. The second has no content.
std::vector<size_t> TextHeadAt99(size_t size, uint8_t actions, std::initializer_list<uint8_t> tail) {
    HandImage image(size);
    image.Set(4, 18, 2);
    image.Program(18, 46);
    image.Program(32, 0, 0);
    image.b[46] = actions, image.U32(52, 87);
    std::copy(tail.begin(), tail.end(), image.b.begin() + 103);
    return ProgramsPerSet(image);
}

TEST(ProgramLoader, TextHeadPastTheEndIsNoTextButACutClockTableEndsTheLoad) {
    EXPECT_EQ(TextHeadAt99(104, 1, {kTextFormClocks}), std::vector<size_t>{2});  // the head runs past the end
    EXPECT_EQ(TextHeadAt99(105, 1, {kTextFormClocks}), std::vector<size_t>{1});  // no entry count
    // One entry, its stream's offset cut.
    EXPECT_EQ(TextHeadAt99(113, 1, {kTextFormClocks, 0, 1, 0, 0, 0, 0, 0, 24, 0}), std::vector<size_t>{1});
    EXPECT_EQ(TextHeadAt99(101, 2, {}), std::vector<size_t>{1});  // the second action runs past the end
}

TEST(ProgramLoader, ScheduleBlockPastTheEndEndsTheLoad) {
    // A block needs its head, its date ranges and its period count.
    for (auto [block, ranges, sets] : {std::tuple{25, 0, 2u}, {27, 0, 1u}, {24, 1, 1u}}) {
        HandImage image(28);
        image.Set(4, 24, 0);
        image.U16(8, uint16_t(block));
        image.b[12] = 6;
        if (ranges) image.b[size_t(block) + 1] = uint8_t(ranges);
        image.Set(14, 24, 0);
        EXPECT_EQ(ProgramsPerSet(image).size(), sets) << block;
    }
}

TEST(ProgramLoader, ContentBodyAndBorderBlockBounds) {
    // Content header: read only below length - 10.
    EXPECT_EQ(BorderRead(101, 90, 56, 72), std::make_pair(3, size_t(2)));
    EXPECT_EQ(BorderRead(101, 91, 56, 72), std::make_pair(0, size_t(2)));
    // Content body: read only below length - 13. At length - 14 the border is read,
    // then the action runs past the end: the load stops there, the second program unread.
    EXPECT_EQ(BorderRead(101, 46, 88, 72), std::make_pair(0, size_t(2)));
    EXPECT_EQ(BorderRead(101, 46, 87, 72), std::make_pair(3, size_t(1)));
    // Border block: read only below length - 28.
    EXPECT_EQ(BorderRead(101, 46, 56, 72), std::make_pair(3, size_t(2)));
    EXPECT_EQ(BorderRead(101, 46, 56, 73), std::make_pair(0, size_t(2)));
}

// A command stream (byte-order flag 1) of the given unit bytes, decoded.
TextContent DecodeUnits(std::initializer_list<uint8_t> units, uint8_t flags = 0) {
    std::vector<uint8_t> b = {8, flags, 1, 0, 0, 0};
    b.insert(b.end(), units);
    b.insert(b.end(), {0, 0});
    ProgramImageView view(b);
    TextContent text;
    text.cells[0] = TextCell(u'x', 0);
    EXPECT_TRUE(DecodeTextStream(text, view, 0, kTextFormCommands));
    return text;
}

// Two sets; the first has one program whose text is a code stream (form 2) of `units`
// (u16 each) at the end of the image, the second has no programs.
std::vector<size_t> CodeStreamAtTheEnd(const std::vector<uint16_t>& units) {
    HandImage image(76 + 2 * units.size());
    image.Set(4, 28, 1);
    image.Set(14, 28, 0);
    image.Program(28, 42);
    image.b[42] = 1, image.U32(48, 52);  // one action at 52, then the text head at 64
    image.b[68] = 2;
    image.b[73] = 0xFF;
    size_t at = 76;
    for (uint16_t u : units) image.U16(at, u), at += 2;
    return ProgramsPerSet(image);
}

// A stream decoded on its own reports whether it was read whole.
TEST(ProgramLoader, StreamsCutShortOrMismarkedAreNotRead) {
    const auto decode = [](std::vector<uint8_t> b, int form) {
        ProgramImageView view(b);
        TextContent text;
        return DecodeTextStream(text, view, 0, form);
    };
    // Command streams: head (font-set mode, flags, byte order, three spare bytes), then units.
    EXPECT_TRUE(decode({8, 0, 1, 0, 0, 0, 'a', 0, 0, 0}, kTextFormCommands));
    EXPECT_FALSE(decode({8, 0, 1, 0, 0}, kTextFormCommands));                  // the head cut
    EXPECT_FALSE(decode({8, 0, 1, 0, 0, 0, 'a', 0}, kTextFormCommands));       // no end unit
    EXPECT_FALSE(decode({8, 0, 1, 0, 0, 0, 0x0E, 0xFC, 1, 0}, kTextFormCommands));  // a picture's offset cut
    // Code streams: mode, flags, spare, the mark 0xFF, the unit count, then u16 units.
    EXPECT_TRUE(decode({0, 0, 0, 0xFF, 0, 0, 'a', 0, 0, 0, 0, 0, 0, 0}, kTextFormRendered));
    EXPECT_FALSE(decode({0, 0, 0, 0xFE, 0, 0, 'a', 0, 0, 0, 0, 0, 0, 0}, kTextFormRendered));  // not the mark
    EXPECT_FALSE(decode({0, 0, 0, 0xFF, 0, 0, 'a', 0}, kTextFormRendered));  // no end unit
    // Before any command a character is 16 pixels high and has no colour.
    EXPECT_EQ(DecodeUnits({'a', 0}).cells[0].attr, CellAttr::Make(16, 0, 0));
}

// A text with clocks: a table whose entry 0 points at the stream and whose further
// entries point at the clock blocks. What cannot be read there ends the load; a table
// without entries is a text without cells.
TEST(ProgramLoader, ClockTableThatCannotBeReadEndsTheLoad) {
    ProgramTree clocks = RichTree(0, 0);
    TextContent& text = clocks.program(0, 0)->record->content;
    auto clock = std::make_unique<ClockObject>();
    clock->size = 16;
    text.cells[0] = Object(FC_CLOCK, std::move(clock));
    const std::vector<uint8_t> image = Encode(clocks);
    const size_t header = ContentHeader(image, 0, 0);
    const size_t head = LoadU32(&image[header + 6]) + 4 + 12 * image[header];
    ASSERT_EQ(image[head + 4], kTextFormClocks);
    ASSERT_EQ(LoadU16(&image[head + 6]), 2);
    const auto load = [&](size_t at, uint32_t value, size_t width) {
        std::vector<uint8_t> b = image;
        if (width == 2) StoreU16(&b[at], uint16_t(value));
        else StoreU32(&b[at], value);
        return Load(clocks.screen(), b);
    };
    const uint32_t past = uint32_t(image.size() + 100);
    for (size_t at : {head + 12, head + 20}) {  // the stream's offset, the clock block's offset
        const ProgramTree loaded = load(at, past, 4);
        ASSERT_EQ(loaded.sets().size(), 1u) << at;
        EXPECT_EQ(loaded.sets()[0].programs.size(), 1u) << at;
    }
    ProgramTree empty = load(head + 6, 0, 2);
    ASSERT_EQ(empty.sets().size(), 4u);
    EXPECT_EQ(CountCells(empty.program(0, 0)->record->content), 0);
}

TEST(ProgramLoader, CustomBorderSideThatDoesNotFitEndsTheLoad) {
    const ProgramTree tree = RichTree(0, 0);
    std::vector<uint8_t> image = Encode(tree);
    const size_t border = LoadU32(&image[LoadU32(&image[ContentHeader(image, 0, 0) + 6])]);
    ASSERT_EQ(image[border], 1);  // a custom border
    const size_t side = LoadU32(&image[border + 4]);
    ASSERT_EQ(image[side], 3);  // an image set
    std::vector<uint8_t> skipped = image;
    skipped[side] = 0;  // a side offset at no image set, or past the end, is a side without frames
    StoreU32(&skipped[border + 8], uint32_t(image.size()));
    ProgramTree loaded = Load(tree.screen(), skipped);
    ASSERT_EQ(loaded.sets().size(), 4u);
    EXPECT_EQ(loaded.program(0, 0)->record->borderFrames.size(), 2u);
    StoreU16(&image[side + 3 + 4], 0xFFFF);  // its first frame 65535 rows high: the planes do not fit
    const ProgramTree cut = Load(tree.screen(), image);
    ASSERT_EQ(cut.sets().size(), 1u);
    EXPECT_EQ(cut.sets()[0].programs.size(), 1u);
}

TEST(ProgramLoader, CodeStreamCutShortEndsTheLoad) {
    const uint16_t attr = 0xE001, table = 0xE005, cell = 0xE006;
    EXPECT_EQ(CodeStreamAtTheEnd({'a', 0, 0, 0}), (std::vector<size_t>{1, 0}));  // whole: both sets
    EXPECT_EQ(CodeStreamAtTheEnd({'a', attr, 0x0010}), std::vector<size_t>{1});  // half an attribute word
    EXPECT_EQ(CodeStreamAtTheEnd({'a', table, 0}), std::vector<size_t>{1});      // a table without its size
    EXPECT_EQ(CodeStreamAtTheEnd({table, 0, 0x0101, cell, 16}), std::vector<size_t>{1});  // half a cell word
    EXPECT_EQ(CodeStreamAtTheEnd({'a', 0, 1}), std::vector<size_t>{1});     // half a plane count
    EXPECT_EQ(CodeStreamAtTheEnd({'a', 0, 1, 0}), std::vector<size_t>{1});  // a record list cut short
    EXPECT_EQ(CodeStreamAtTheEnd({'a', 0, 1, 0, 0, 0}), std::vector<size_t>{1});  // no colour byte
    EXPECT_EQ(CodeStreamAtTheEnd({'a', 0, 1, 0, 0, 0, 0x0E01}), std::vector<size_t>{1});  // a record cut
}

TEST(ProgramLoader, TablesBeyondTheMemoryAllowanceEndTheLoad) {
    // 4000 empty tables in 32 KiB of stream would take far more than the allowance.
    std::vector<uint16_t> units;
    for (int i = 0; i < 4000; ++i) units.insert(units.end(), {0xE005, 0, 0x0101, 0});
    units.insert(units.end(), {0, 0, 0});
    EXPECT_EQ(CodeStreamAtTheEnd(units), std::vector<size_t>{1});
}

TEST(ProgramLoader, CodeStreamTableTakesColumnsTimesRowsCells) {
    // A 2 x 2 table given five cell starts: the fifth and its text are dropped.
    HandImage image(76 + 2 * 28);
    image.Set(4, 28, 1);
    image.Program(28, 42);
    image.b[42] = 1, image.U32(48, 52);
    image.b[68] = 2;
    image.b[73] = 0xFF;
    // Cell words: width in bits 0-9, height in bits 12-21 (16 high: 1 in the high half).
    const uint16_t units[] = {0xE005, 0x2400, 0x0202, 0xE006, 20, 1, 'x', 0xE006, 30, 2, 'y', 0xE006, 40, 3,
                              'z', 0xE006, 50, 4, 'w', 0xE006, 60, 0, 'v', 0, 'q', 0, 0, 0};
    size_t at = 76;
    for (uint16_t u : units) image.U16(at, u), at += 2;
    ProgramTree tree = Load({}, image.b);
    ASSERT_EQ(tree.sets().size(), 1u);
    ASSERT_EQ(tree.sets()[0].programs.size(), 1u);
    const TextContent& text = tree.program(0, 0)->record->content;
    EXPECT_EQ(Codes(text.cells), (std::u16string{FC_TABLE, u'q'}));
    const auto* grid = CellObjectAs<GridObject>(text.cells[0]);
    ASSERT_TRUE(grid);
    EXPECT_EQ(grid->columns, 2);
    EXPECT_EQ(grid->rows, 2);
    EXPECT_EQ(grid->style, 0x24u);
    EXPECT_EQ(Codes(grid->cells), (std::u16string{FC_GRIDCELL, u'x', FC_GRIDCELL, u'y', FC_GRIDCELL, u'z',
                                                  FC_GRIDCELL, u'w'}));
    EXPECT_EQ(grid->totalWidth, 20 + 30);   // the first row's widths
    EXPECT_EQ(grid->totalHeight, 16 + 48);  // the first column's heights
}

TEST(ProgramLoader, CommandStreamFieldTypesAndColourCodes) {
    const std::pair<uint8_t, char16_t> fields[] = {
        {0, 0xE010}, {1, 0xE011}, {2, 0xE012}, {3, 0xE013}, {4, 0xE014}, {5, 0xE015}, {6, 0xE016}, {7, 0xE018},
        {8, 0},      {9, 0xE020}, {10, 0xE021}, {11, 0xE023}, {12, 0xE024}, {13, 0xE017}, {15, 0xE022},
        {16, 0},     {17, 0xE025}, {18, 0xE026}, {19, 0xE027}, {20, 0}};
    for (auto [type, code] : fields) {
        // A known field carries the u32 offset of its code table.
        const TextContent text =
            code ? DecodeUnits({type, 0xFC, 0, 0, 0, 0, 'a', 0}) : DecodeUnits({type, 0xFC, 'a', 0});
        const std::u16string want = code ? std::u16string{code, u'a'} : std::u16string(u"a");
        EXPECT_EQ(Codes(text.cells), want) << int(type);
    }
    // Colour bits: 1 red, 2 green, 4 blue.
    const std::pair<uint8_t, uint32_t> colours[] = {{9, 1},  {10, 2}, {11, 4}, {12, 3}, {13, 6}, {14, 5}, {15, 5},
                                                    {16, 6}, {17, 3}, {7, 7},  {8, 7},  {18, 7}, {0, 0}};
    for (auto [code, rgb] : colours) {
        const TextContent text = DecodeUnits({code, 0xFB, 'a', 0});
        EXPECT_EQ(CellAttr::RgbOf(text.cells[0].attr), rgb) << int(code);
        EXPECT_EQ(CellAttr::SizeOf(text.cells[0].attr), 16u);
    }
    // Flags: bits 0-1 the alignment, bit 2 the header's spread byte.
    for (auto [flags, align, spread] : {std::tuple{1, 1, 0}, {2, 2, 0}, {3, 3, 0}, {4, 0, 1}, {7, 3, 1}}) {
        const TextContent text = DecodeUnits({'a', 0}, uint8_t(flags));
        EXPECT_EQ(text.header.align, align) << flags;
        EXPECT_EQ(text.header.spread, spread) << flags;
        EXPECT_EQ(text.header.fontSet, 8);
    }
    // Byte order 0: a double-byte character of the code page from lead byte 0x81 on.
    std::vector<uint8_t> gbk = {8, 0, 0, 0, 0, 0, 0x81, 0x40, 0x80, 0x40, 0x81, 0x3F, 0xFF, 0x41, 0, 'a', 0, 0};
    ProgramImageView gbkView(gbk);
    TextContent gbkText;
    ASSERT_TRUE(DecodeTextStream(gbkText, gbkView, 0, kTextFormCommands));
    EXPECT_EQ(Codes(gbkText.cells), u"\u4E02a");
    // A form without a stream clears the cells and reads nothing.
    std::vector<uint8_t> none(8, 0);
    ProgramImageView view(none);
    TextContent text;
    text.cells[0] = TextCell(u'x', 0);
    EXPECT_TRUE(DecodeTextStream(text, view, 0, kTextFormLyric));
    EXPECT_EQ(CountCells(text), 0);
}

TEST(ProgramLoader, FieldRecordThatCannotBeReadEndsTheLoad) {
    ProgramTree tree = RichTree(0, 0);
    tree.AddProgramSet();
    PutText(tree.AddProgram(4)->record->content, u"after", kRed);
    const std::vector<uint8_t> image = Encode(tree);
    ASSERT_EQ(Load({}, image).sets().size(), 5u);
    const ImageWalk walk = WalkProgramImage(image);

    std::vector<uint8_t> badAdc = image;  // more calibration rows than an A-D field holds
    for (uint32_t a : walk.fieldRecords)
        if (LoadU16(&image[a]) == 0 && LoadU16(&image[a + 18]) == 0xFFFF) StoreU16(&badAdc[a + 16], 0xFFFF);
    std::vector<uint8_t> badPicture = image;  // the table's 4 x 4 picture no longer an image set
    for (uint32_t s : walk.imageSets)
        if (LoadU16(&image[s + 5]) == 4 && LoadU16(&image[s + 7]) == 4) badPicture[s] = 0;
    // A timer or counter record whose offset leaves too few bytes behind it.
    const auto recordNearTheEnd = [&](uint8_t type) {
        std::vector<uint8_t> bad = image;
        for (size_t p = 0; p + 10 <= image.size(); ++p)
            if (image[p] == type && walk.fieldRecords.count(LoadU32(&image[p + 5])))
                StoreU32(&bad[p + 5], uint32_t(image.size() - 20));
        return bad;
    };
    std::vector<uint8_t> badTimer = recordNearTheEnd(21), badCounter = recordNearTheEnd(22);
    for (const std::vector<uint8_t>* bad : {&badAdc, &badPicture, &badTimer, &badCounter}) {
        ASSERT_NE(*bad, image);
        const ProgramTree loaded = Load({}, *bad);
        ASSERT_EQ(loaded.sets().size(), 4u);
        EXPECT_EQ(loaded.sets()[3].programs.size(), 2u);  // what was read before the failure stays
    }
}

// A record names the kind of field it carries; a cell of another kind gets no object
// from it (a timer read for a counter cell would be a wrong object, not a missing one).
TEST(ProgramLoader, FieldRecordOfAnotherKindGivesTheCellNoObject) {
    const std::vector<uint8_t> image = Encode(RichTree(0, 0));
    const ImageWalk walk = WalkProgramImage(image);
    std::vector<uint8_t> swapped = image;
    int changed = 0;
    for (size_t p = 0; p + 10 <= image.size(); ++p)
        if ((image[p] == 21 || image[p] == 22) && walk.fieldRecords.count(LoadU32(&image[p + 5])))
            swapped[p] = image[p] == 21 ? 22 : 21, ++changed;
    ASSERT_EQ(changed, 2);
    ProgramTree loaded = Load({}, swapped);
    ASSERT_EQ(loaded.sets().size(), 4u);
    const TextContent& fields = loaded.program(3, 1)->record->content;
    EXPECT_NE(CellObjectAs<AdcField>(fields.cells[9]), nullptr);
    EXPECT_EQ(fields.cells[10].code, FC_TIMER);
    EXPECT_EQ(fields.cells[10].obj, nullptr);
    EXPECT_EQ(fields.cells[11].code, FC_COUNTER);
    EXPECT_EQ(fields.cells[11].obj, nullptr);
}

}  // namespace
}  // namespace ledsuite

namespace ledsuite {
namespace {

// Two sets; the first has one program whose text is a command stream (form 10, byte-order
// flag 1) of `units` at the end of the image, the second has no programs.
std::vector<size_t> CommandStreamAtTheEnd(const std::vector<uint8_t>& units) {
    HandImage image(76 + units.size());
    image.Set(4, 28, 1);
    image.Set(14, 28, 0);
    image.Program(28, 42);
    image.b[42] = 1, image.U32(48, 52);  // one action at 52, then the text head at 64
    image.b[68] = 10;
    image.b[70] = 8, image.b[72] = 1;  // stream head: font-set mode 8, byte-order flag 1
    std::copy(units.begin(), units.end(), image.b.begin() + 76);
    return ProgramsPerSet(image);
}

TEST(ProgramLoader, CommandStreamCutShortEndsTheLoad) {
    EXPECT_EQ(CommandStreamAtTheEnd({'a', 0, 0, 0}), (std::vector<size_t>{1, 0}));  // whole: both sets
    EXPECT_EQ(CommandStreamAtTheEnd({0x03, 0xFD, 8, 0}), std::vector<size_t>{1});   // a line start without y
    EXPECT_EQ(CommandStreamAtTheEnd({0x00, 0xFC, 0, 0}), std::vector<size_t>{1});   // half a code-table offset
    // A picture at offset 0: the length word is no image set.
    EXPECT_EQ(CommandStreamAtTheEnd({0x0E, 0xFC, 0, 0, 0, 0, 0, 0}), std::vector<size_t>{1});
    // A table whose rule (colour, x1, y1, x2, y2) is cut.
    EXPECT_EQ(CommandStreamAtTheEnd({0x18, 0xFC, 0, 0, 5, 0, 40, 0, 16, 0, 1, 1, 0, 0, 0, 0, 0xFC, 0x1B, 1, 0, 0, 0}),
              std::vector<size_t>{1});
    // A table start whose operands (u16 0, u16 5, width, height, columns, rows, frame word) are cut.
    EXPECT_EQ(CommandStreamAtTheEnd({0x18, 0xFC, 0, 0, 5, 0, 40, 0}), std::vector<size_t>{1});
    // A whole table start, then a cell start cut inside its word.
    EXPECT_EQ(CommandStreamAtTheEnd({0x18, 0xFC, 0, 0, 5, 0, 40, 0, 16, 0, 1, 1, 0, 0, 0, 0, 0xFC, 0x1A, 20, 0}),
              std::vector<size_t>{1});
}

TEST(ProgramLoader, SixteenBitCharactersThatLookLikeTableUnitsOutsideATable) {
    // With byte-order flag 1, U+1900, U+1A05 and U+1B1A are characters: only inside a table
    // are FC 19, FC 1A and FC 1B its own units.
    const TextContent text = DecodeUnits({0x00, 0x19, 0x05, 0x1A, 0x1A, 0x1B, 'a', 0});
    EXPECT_EQ(Codes(text.cells), u"\u1900\u1A05\u1B1Aa");
}

// One set of one program whose rendered text (form 1) has a clock table of one entry
// pointing at a stream of form `form` ("a" in that form); a second set without programs.
std::pair<std::u16string, std::vector<size_t>> ClockTableStream(uint8_t form) {
    HandImage image(100);
    image.Set(4, 28, 1);
    image.Set(14, 28, 0);
    image.Program(28, 42);
    image.b[42] = 1, image.U32(48, 52);
    image.b[68] = 1;        // text head form 1
    image.U16(70, 1);       // one table entry
    image.U32(76, 80);      // entry 0: the stream's form bytes
    image.b[80] = form;
    if (form == 10) {       // command stream head, "a", end
        const uint8_t s[] = {8, 0, 1, 0, 0, 0, 'a', 0, 0, 0};
        std::copy(std::begin(s), std::end(s), image.b.begin() + 82);
    } else {                // code stream head, "a", end, no pictures
        const uint8_t s[] = {0, 0, 0, 0xFF, 2, 0, 'a', 0, 0, 0, 0, 0, 0, 0};
        std::copy(std::begin(s), std::end(s), image.b.begin() + 82);
    }
    ProgramTree tree = Load({}, image.b);
    std::vector<size_t> counts;
    for (const ProgramSetNode& s : tree.sets()) counts.push_back(s.programs.size());
    std::u16string codes;
    if (!tree.sets().empty() && !tree.sets()[0].programs.empty()) codes = Codes(tree.program(0, 0)->record->content.cells);
    return {codes, counts};
}

// A view of `b` with `left` bytes of its allowance left.
ProgramImageView WithAllowanceLeft(std::span<const uint8_t> b, size_t left) {
    ProgramImageView view(b);
    EXPECT_TRUE(view.Charge((size_t(64) << 20) + 1024 * b.size() - left));
    return view;
}

// A rendered text with clocks: head, a table of two entries (the stream at 24, the clock
// block at 44), a code stream of one clock cell and no pictures, the block (half size 8).
std::vector<uint8_t> ClockText(uint8_t style) {
    return {0, 0, 0, 0, kTextFormClocks, 0, 2, 0, 0, 0, 0, 0, 24, 0, 0, 0, 0, 0, 0, 0, 44, 0, 0, 0,
            2, 0, 0, 0, 0, 0xFF, 1, 0, 0x30, 0xE0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 8, style};
}

TEST(ProgramLoader, ClockOfAStyleOtherThanZeroNeedsItsFace) {
    const std::vector<uint8_t> plain = ClockText(0), faced = ClockText(2);  // no image set after the block
    ProgramImageView plainView(plain), facedView(faced);
    TextContent text;
    EXPECT_FALSE(LoadContentText(text, facedView, 0));
    ASSERT_TRUE(LoadContentText(text, plainView, 0));
    EXPECT_EQ(CellObjectAs<ClockObject>(text.cells[0])->size, 16);
}

TEST(ProgramLoader, EveryObjectTakesFromTheAllowance) {
    const std::vector<uint8_t> zeros(100, 0);
    // A clock, a table of a command stream, A-D, timer and counter records, a program.
    const std::vector<uint8_t> clock = ClockText(0);
    const std::vector<uint8_t> table = {8, 0, 1, 0, 0, 0, 0x18, 0xFC, 0, 0, 5, 0, 40, 0, 16, 0, 1, 1,
                                        0, 0, 0, 0, 0xFC, 0x19, 0, 0};
    for (const size_t left : {size_t(1) << 20, size_t(0)}) {
        const bool enough = left != 0;
        TextContent text;
        ProgramImageView clockView = WithAllowanceLeft(clock, left), tableView = WithAllowanceLeft(table, left);
        EXPECT_EQ(LoadContentText(text, clockView, 0), enough);
        EXPECT_EQ(DecodeTextStream(text, tableView, 0, kTextFormCommands), enough);
        ProgramImageView view = WithAllowanceLeft(zeros, left);
        EXPECT_EQ(ReadAdcField(view, 0) != nullptr, enough);
        EXPECT_EQ(ReadTimerField(view, 0) != nullptr, enough);
        EXPECT_EQ(ReadCounterField(view, 0) != nullptr, enough);
        ProgramTree tree;
        EXPECT_EQ(LoadProgram(*tree.AddProgramSet(), view, {}), enough);
    }
    // A frame takes its image and four bytes a pixel: an 8 x 1 frame of mode 5.
    const std::vector<uint8_t> set = {3, 0, 1, 30, 5, 8, 0, 1, 0, 0, 0, 0, 0, 17, 0, 0, 0, 0x81};
    const size_t frame = sizeof(RawImage) + 8 * 4;
    ProgramImageView exact = WithAllowanceLeft(set, frame), under = WithAllowanceLeft(set, frame - 1);
    EXPECT_TRUE(ReadImageSet(exact, 0).has_value());
    EXPECT_FALSE(ReadImageSet(under, 0).has_value());
}

// A code stream of a picture cell and an A-D cell, one picture line whose two records
// have the types `first`, `second`; an image set at 48 and an A-D record at 68.
std::pair<bool, TextContent> PictureAndAdcRecords(uint8_t first, uint8_t second) {
    std::vector<uint8_t> b = {0, 0, 0, 0xFF, 2, 0, 0x03, 0xE0, 0x29, 0xE0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0,
                              1, first, 0, 0, 0, 0, uint8_t(first == 14 ? 48 : 68), 0, 0, 0,
                              1, second, 0, 0, 0, 0, uint8_t(second == 14 ? 48 : 68), 0, 0, 0, 0, 0, 0, 0, 0};
    b.resize(48);
    b.insert(b.end(), {3, 0, 1, 30, 5, 8, 0, 1, 0, 0, 0, 0, 0, 65, 0, 0, 0, 0});
    b.resize(88);
    ProgramImageView view(b);
    TextContent text;
    const bool ok = DecodeTextStream(text, view, 0, kTextFormRendered);
    return {ok, std::move(text)};
}

TEST(ProgramLoader, PictureAndAdcRecordsGiveObjectsOnlyToTheirOwnCells) {
    const auto [ok, text] = PictureAndAdcRecords(14, 20);
    ASSERT_TRUE(ok);
    EXPECT_EQ(CellObjectAs<PictureObject>(text.cells[0])->frames.size(), 1u);
    EXPECT_NE(CellObjectAs<AdcField>(text.cells[1]), nullptr);
    const auto [swappedOk, swapped] = PictureAndAdcRecords(20, 14);
    ASSERT_TRUE(swappedOk);
    EXPECT_EQ(Codes(swapped.cells), (std::u16string{FC_PICTURE, FC_ADC}));
    EXPECT_EQ(swapped.cells[0].obj, nullptr);
    EXPECT_EQ(swapped.cells[1].obj, nullptr);
}

TEST(ProgramLoader, ClockTableStreamIsACodeOrCommandStream) {
    EXPECT_EQ(ClockTableStream(2), std::make_pair(std::u16string(u"a"), std::vector<size_t>{1, 0}));
    EXPECT_EQ(ClockTableStream(10), std::make_pair(std::u16string(u"a"), std::vector<size_t>{1, 0}));
    // Any other form ends the load at that program.
    EXPECT_EQ(ClockTableStream(7).second, std::vector<size_t>{1});
}

}  // namespace
}  // namespace ledsuite
