#pragma once
// Texts, object cells, pixel counts and a render context for the content tests: real
// FreeType faces through the suite's font configuration.
#include <gtest/gtest.h>

#include <memory>
#include <string_view>

#include "content/model/field_objects.h"
#include "content/render/font_renderer.h"
#include "content/render/render_context.h"
#include "content/render/surface.h"
#include "content/render/text_layout.h"

namespace ledsuite {

class RenderTest : public ::testing::Test {
protected:
    FontRenderer fonts;
    FontTables tables{{u"宋体", u"Courier New"}, {u"宋体"}, 0};
    RenderContext rc{fonts, tables};
};

inline constexpr uint32_t kWhite8 = CellAttr::Make(8, 0, 7);

// Cells of `text` in one attribute, from cell `at` on.
inline void PutText(TextContent& t, std::u16string_view text, uint32_t attr, int at = 0) {
    for (size_t i = 0; i < text.size(); ++i) t.cells[at + i] = TextCell(text[i], attr);
}

// A cell of `code` carrying `obj`.
inline TextCell ObjectCell(char16_t code, std::unique_ptr<CellObject> obj) {
    TextCell cell(code, 0);
    cell.obj = std::move(obj);
    return cell;
}

// A picture cell: one frame per colour, each w x h and shown at that size.
inline TextCell PictureCell(int w, int h, std::initializer_list<uint32_t> colours = {0xFFFFFF}, uint8_t pause = 30) {
    auto picture = std::make_unique<PictureObject>();
    for (uint32_t colour : colours) {
        auto image = std::make_unique<RawImage>();
        ResetImage(*image, w, h);
        FillImage(*image, colour);
        image->pause = pause;
        picture->frames.push_back(std::move(image));
    }
    return ObjectCell(FC_PICTURE, std::move(picture));
}

inline int CountLit(const Surface& s, PixelRect r = {0, 0, 0x8000, 0x8000}) {
    int n = 0;
    for (int y = std::max(0, r.top); y < std::min(s.height(), r.bottom); ++y)
        for (int x = std::max(0, r.left); x < std::min(s.width(), r.right); ++x) n += s.Pixel(x, y) != 0;
    return n;
}

inline int CountLit(const RawImage& img) {
    int n = 0;
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) n += img.row32(y)[x] != 0;
    return n;
}

inline bool SamePixels(const Surface& a, const Surface& b) {
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.Pixel(x, y) != b.Pixel(x, y)) return false;
    return true;
}

}  // namespace ledsuite
