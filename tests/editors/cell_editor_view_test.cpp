// The engine's view side on pictures of known sizes: exact frames while scrolled, the
// selection's rectangles, mouse edges, fonts changing along a line and Thai clusters.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "content/field_objects.h"
#include "editor_test_util.h"
#include "editors/cell_editor.h"

namespace ledsuite {
namespace {

// Rows of a frame: '#' white, '.' black, 'c' a field frame; 's', 'x' and 'z' the
// selection over black, white and a frame.
std::vector<std::string> Rows(const Surface& s) {
    const std::pair<uint32_t, char> kinds[] = {{0xFFFFFF, '#'}, {0, '.'}, {kFieldFrameColor, 'c'}, {kSelectionColor, 's'},
                                               {0xFFFFFF ^ kSelectionColor, 'x'}, {kFieldFrameColor ^ kSelectionColor, 'z'}};
    std::vector<std::string> rows;
    for (int y = 0; y < s.height(); ++y) {
        std::string row(size_t(s.width()), '?');
        for (int x = 0; x < s.width(); ++x)
            for (const auto& [pixel, c] : kinds)
                if (s.Pixel(x, y) == pixel) row[size_t(x)] = c;
        rows.push_back(row);
    }
    return rows;
}

constexpr uint32_t kRed16Attr = CellAttr::Make(16, 0, 1);

class ViewTest : public EngineTest {
protected:
    // Pictures of the given widths, all `h` high, from cell 0 on.
    void Pictures(std::initializer_list<int> widths, int h, int moveClass, int areaWidth) {
        int i = 0;
        for (int w : widths) text->cells[size_t(i++)] = WhitePicture(w, h);
        engine.Attach(text.get(), moveClass, 0, 0, areaWidth, 64);
    }
};

TEST_F(ViewTest, SelectionRectanglesFollowTheLinesAndTheScroll) {
    // Lines of 8 pixels: [3, 2], [4, 3], [2, 5], each 2 high, pictures framed as objects.
    engine.Resize(12, 6);
    Pictures({3, 2, 4, 3, 2, 5}, 2, 0, 8);
    EXPECT_EQ(Rows(engine.frame()), (std::vector<std::string>{"cccccc......", "c##c#c......", "ccc#cccc....",
                                                              "c###c##c....", "ccccc##c....", "c#c####c...."}));
    // Cells 1 to 3: from cell 1 to the area's right end, then the second line up to its end.
    engine.SetSelection(1, 4);
    engine.Paint();
    EXPECT_EQ(Rows(engine.frame()), (std::vector<std::string>{"ccczzzss....", "c##zxzss....", "zzzxzzzc....",
                                                              "zxxxzxxc....", "ccccc##c....", "c#c####c...."}));
    // A selection that starts a line leaves the line before it; scrolled by one row.
    engine.SetSelection(2, 4);
    engine.ScrollTo(false, 1);
    engine.Paint();
    EXPECT_EQ(Rows(engine.frame()), (std::vector<std::string>{"c##c#c......", "zzzxzzzc....", "zxxxzxxc....",
                                                              "ccccc##c....", "c#c####c....", "ccc..ccc...."}));
}

TEST_F(ViewTest, MouseAndKeysWhileScrolled) {
    engine.Resize(12, 4);
    Pictures({3, 2, 4, 3, 2, 5}, 2, 0, 8);
    engine.SetSelection(6, 6);
    engine.OnKey(kKeyEnd);
    EXPECT_EQ(engine.scrollY(), -2);  // the last line shown at the bottom
    engine.OnKey(kKeyUp);
    EXPECT_EQ(engine.scrollY(), -2);  // the caret is still in view: nothing scrolls
    EXPECT_EQ(engine.caretPlace().y, 0);

    EXPECT_EQ(engine.OnKey(kKeyUp), 0);  // a move changes no text
    // the first line: scrolled back to the top
    EXPECT_EQ(std::tuple(engine.scrollY(), engine.caretPlace().y, engine.scrollBar(false).pos,
                         engine.scrollBar(false).range), std::tuple(0, 0, 0, 2));
    engine.ScrollTo(false, 2);

    engine.MouseDown(0, 3);  // content row 5: the start of the third line
    EXPECT_EQ(engine.caret(), 4);
    engine.MouseMove(kMouseLeftButton, 12, 0);  // the client's right edge is outside
    EXPECT_EQ(engine.caret(), 4);
    engine.MouseMove(kMouseLeftButton, 0, 0);  // the top row is inside: content row 2, the second line
    EXPECT_EQ(std::tuple(engine.caret(), engine.anchor()), std::tuple(2, 4));
    engine.MouseMove(kMouseLeftButton, 0, 4);  // the client's bottom edge is outside
    EXPECT_EQ(engine.caret(), 2);
    engine.MouseUp();

    // Reshaping the selected cells keeps a selection that starts at the first cell.
    engine.SetSelection(0, 3);
    engine.ApplyAttrMask(CellAttr::Make(16, 0, 2), 0xFF);
    EXPECT_EQ(std::pair(engine.anchor(), engine.caret()), std::pair(0, 3));

    // Scrolled sideways, a press counts from the scrolled content.
    Pictures({3, 2, 4, 3, 2, 5}, 2, 1, 8);
    engine.ScrollTo(true, 3);
    engine.MouseDown(0, 0);  // content x 3: the start of the second picture
    EXPECT_EQ(engine.caret(), 1);

    CellEditor idle(rc, nullptr);  // nothing attached: a press starts no selection
    idle.MouseDown(1, 1);
    EXPECT_FALSE(idle.mouseSelecting());
}

TEST_F(ViewTest, CellsScrolledOutOnTheLeftLeaveTheRestDrawn) {
    engine.Resize(12, 2);
    Pictures({3, 2, 4, 3, 2, 5}, 2, 1, 8);  // moving display: one line
    engine.ScrollTo(true, 4);
    EXPECT_EQ(Rows(engine.frame()), (std::vector<std::string>{"cccc#ccccccc", "#c###c##c#c#"}));
}

TEST_F(ViewTest, EachCellIsDrawnInItsOwnFontAndThaiClustersKeepWhatFollows) {
    auto lit = [&](std::initializer_list<std::pair<char16_t, uint32_t>> cells, int moveClass) {
        text = std::make_unique<TextContent>();
        int i = 0;
        for (const auto& [code, attr] : cells) text->cells[size_t(i++)] = TextCell(code, attr);
        engine.Attach(text.get(), moveClass, 0, 0, 160, 64);
        return CountPixels(engine.frame().image(), [](uint32_t px) { return px != 0; });
    };
    const uint32_t small = CellAttr::Make(16, 0, 7), large = CellAttr::Make(24, 0, 7);
    const int a16 = lit({{u'A', small}}, 0), a24 = lit({{u'A', large}}, 0);
    ASSERT_NE(a16, a24);
    EXPECT_EQ(lit({{u'A', small}, {u'A', large}}, 0), a16 + a24);
    EXPECT_EQ(lit({{u'A', large}, {u'A', small}}, 0), a16 + a24);
    // A Thai consonant drawn with its vowel mark, then a picture: the picture is drawn.
    text = std::make_unique<TextContent>();
    text->cells[0] = TextCell(0x0E01, kRed16Attr);
    text->cells[1] = TextCell(0x0E34, kRed16Attr);
    text->cells[2] = WhitePicture(4, 4);
    engine.Attach(text.get(), 1, 0, 0, 160, 64);
    EXPECT_GT(CountPixels(engine.frame().image(), [](uint32_t px) { return px == 0xFFFFFF; }), 0);
}

}  // namespace
}  // namespace ledsuite
