// Date, time and name fields are measured by the width of "J" in their font and drawn
// character by character in cells of that width, each clipped to its cell as the card's
// glyphs are: in every card face a digit fits its cell whole, and no field runs into the
// character after it.
#include <algorithm>
#include <string>

#include "content/model/clock.h"
#include "content/render/font_tables.h"
#include "content/render/render_context.h"
#include "content/render/text_layout.h"
#include "tests/content/layout_helpers.h"

namespace ledsuite {
namespace {

// The rightmost lit column of a surface, -1 when nothing is lit.
int InkRight(const Surface& s) {
    int right = -1;
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x)
            if (s.Pixel(x, y) != 0) right = std::max(right, x);
    return right;
}

class FieldWidth : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char16_t* face : CardFaceNames()) tables.installed.emplace_back(face);
        tables.defaults = {u"宋体"};
    }
    FontRenderer fonts;
    FontTables tables;
    RenderContext rc{fonts, tables};
};

TEST_F(FieldWidth, EveryDigitFitsTheCellOfADateOrTimeFieldInEveryCardFace) {
    const std::u16string shown = u"0123456789";
    int checked = 0;
    for (uint32_t face = 0; face < tables.installed.size(); ++face)
        for (uint32_t size = 12; size <= 64; ++size) {
            const uint32_t attr = CellAttr::Make(size, face, 7);
            const int w = rc.measurer.TextWidth(u"J", attr, false);
            std::u16string over;
            for (char16_t c : shown) {
                Surface s(int(size) * 2, int(size));
                SelectCellFont(rc, s, TextCell(c, attr), false);
                s.DrawText(0, 0, {&c, 1});
                if (InkRight(s) >= w) over += c;
            }
            EXPECT_EQ(std::string(over.begin(), over.end()), "")
                << std::string(tables.installed[face].begin(), tables.installed[face].end()) << " at " << size;
            ++checked;
        }
    EXPECT_EQ(checked, 9 * 53);
}

TEST_F(FieldWidth, AFieldDrawsWithinTheRoomItIsMeasured) {
    // The widest values: an 8 in every digit, "Wednesday" and "September"; a face with
    // proportional digits and letters too, whose characters are cut to their cells.
    const ScopedClockOverride clock(LocalTime{2888, 9, 28, 18, 48, 58, 3});
    tables.installed.emplace_back(u"DejaVu Sans");
    const char16_t fields[] = {FC_YEAR,   FC_MONTH,   FC_DAY,      FC_HOUR, FC_MINUTE,
                               FC_SECOND, FC_WEEK_EN, FC_MONTH_EN, FC_MONTH_EN_SHORT};
    for (uint32_t face = 0; face < tables.installed.size(); ++face)
        for (uint32_t size : {12u, 16u, 19u, 23u, 24u, 32u})
            for (char16_t code : fields) {
                const TextCell cell(code, CellAttr::Make(size, face, 7));
                const CellSize e = CellExtent(cell, rc.measurer, false, false);
                Surface s(int(size) * 12, int(size));
                SelectCellFont(rc, s, cell, false);
                DrawCell(rc, s, cell, {0, 0, s.width(), s.height()});
                EXPECT_LT(InkRight(s), e.width) << "face " << face << " size " << size << " field " << int(code);
            }
    // An ordinary character is not a field: it keeps its own width, wider than a "J".
    const TextCell w(u'W', CellAttr::Make(16, uint32_t(tables.installed.size() - 1), 7));
    Surface s(64, 16);
    SelectCellFont(rc, s, w, false);
    DrawCell(rc, s, w, {0, 0, s.width(), s.height()});
    EXPECT_GE(InkRight(s), rc.measurer.TextWidth(u"J", w.attr, false));
}

}  // namespace
}  // namespace ledsuite
