#pragma once
// A recording owner channel and an engine over real FreeType faces for the editor tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "content/model/field_objects.h"
#include "content/render/font_renderer.h"
#include "content/model/raw_image.h"
#include "content/model/records.h"
#include "content/render/render_context.h"
#include "editors/cell_editor.h"

namespace ledsuite {

// Records every message; answers IMC_CELL_NOTIFY with `defaultAttr` and IMC_GET_SCREEN_RECORD with `screen`.
class RecordingChannel : public InternalChannel {
public:
    intptr_t send(int code, intptr_t arg) override {
        sent.emplace_back(code, arg);
        return code == IMC_CELL_NOTIFY ? intptr_t(defaultAttr) : code == IMC_GET_SCREEN_RECORD ? intptr_t(&screen) : 0;
    }
    void post(int code, intptr_t arg) override { sent.emplace_back(code, arg); }
    int Count(int code) const {
        return int(std::count_if(sent.begin(), sent.end(), [code](const auto& m) { return m.first == code; }));
    }

    uint32_t defaultAttr = CellAttr::Make(16, 0, 1);
    HardwareParams screen;
    std::vector<std::pair<int, intptr_t>> sent;
};

// A w x h white picture cell, shown `displayHeight` high when given.
inline TextCell WhitePicture(int w, int h, int displayHeight = 0) {
    TextCell cell(FC_PICTURE, 0);
    auto p = std::make_unique<PictureObject>();
    p->frames.push_back(CreateImage(uint16_t(w), uint16_t(h)));
    FillImage(*p->frames[0], 0xFFFFFF);
    if (displayHeight) p->frames[0]->displayHeight = displayHeight;
    cell.obj = std::move(p);
    return cell;
}

// The codes of the cells up to the terminator.
inline std::u16string Codes(std::span<const TextCell> cells) {
    std::u16string s;
    for (int i = 0; i < CountCells(cells); ++i) s += cells[size_t(i)].code;
    return s;
}

// How many pixels of a 32-bit picture `pick` accepts.
template <class Pick>
int CountPixels(const RawImage& image, Pick pick) {
    int n = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) n += pick(image.row32(y)[x]);
    return n;
}

class EngineTest : public ::testing::Test {
protected:
    static constexpr uint32_t kRed16 = CellAttr::Make(16, 0, 1);
    void SetUp() override {
        engine.Resize(200, 100);
        engine.Attach(text.get(), 0, 0, 0, 160, 64);
    }
    // Puts `s` into the text in one attribute and lays it out with the selection from `from` to `to`
    // (the caret at `from` when `to` is not given).
    void Fill(std::u16string_view s, uint32_t attr, int from = 0, int to = -1) {
        for (size_t i = 0; i < s.size(); ++i) text->cells[i] = TextCell(s[i], attr);
        engine.Attach(text.get(), 0, 0, 0, 160, 64);
        engine.SetSelection(from, to < 0 ? from : to);
    }
    // n letters a-z over and over in red 16, laid out in `moveClass` over an area `width` wide.
    void FillLetters(int n, int moveClass = 0, int width = 160) {
        for (int i = 0; i < n; ++i) text->cells[size_t(i)] = TextCell(char16_t(u'a' + i % 26), kRed16);
        engine.Attach(text.get(), moveClass, 0, 0, width, 64);
    }
    // White pictures 3, 2, 4, 3, 2 and 5 wide, 2 high, laid out in `moveClass` over an area 8 wide.
    void SixPictures(int moveClass) {
        int i = 0;
        for (int w : {3, 2, 4, 3, 2, 5}) text->cells[size_t(i++)] = WhitePicture(w, 2);
        engine.Attach(text.get(), moveClass, 0, 0, 8, 64);
    }
    std::u16string Codes() const { return ledsuite::Codes(text->cells); }

    FontRenderer fonts;
    FontTables tables{{u"宋体", u"Courier New"}, {u"宋体"}, 0};
    RenderContext rc{fonts, tables};
    RecordingChannel owner;
    std::unique_ptr<TextContent> text = std::make_unique<TextContent>();
    CellEditor engine{rc, &owner};
};

}  // namespace ledsuite
