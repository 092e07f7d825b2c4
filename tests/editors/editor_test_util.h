#pragma once
// A recording owner channel and an engine over real FreeType faces for the editor tests.
#include <gtest/gtest.h>

#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "content/field_objects.h"
#include "content/font_renderer.h"
#include "content/raw_image.h"
#include "content/render_context.h"
#include "editors/cell_editor.h"

namespace ledsuite {

// Records every message; answers IMC_CELL_NOTIFY with `defaultAttr`.
class RecordingChannel : public InternalChannel {
public:
    intptr_t send(int code, intptr_t arg) override {
        sent.emplace_back(code, arg);
        return code == IMC_CELL_NOTIFY ? intptr_t(defaultAttr) : 0;
    }
    void post(int code, intptr_t arg) override { sent.emplace_back(code, arg); }
    int Count(int code) const {
        int n = 0;
        for (const auto& m : sent) n += m.first == code;
        return n;
    }

    uint32_t defaultAttr = CellAttr::Make(16, 0, 1);
    std::vector<std::pair<int, intptr_t>> sent;
};

// A w x h white picture cell.
inline TextCell WhitePicture(int w, int h) {
    TextCell cell(FC_PICTURE, 0);
    auto p = std::make_unique<PictureObject>();
    auto img = std::make_unique<RawImage>();
    ResetImage(*img, w, h);
    FillImage(*img, 0xFFFFFF);
    p->frames.push_back(std::move(img));
    cell.obj = std::move(p);
    return cell;
}

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        engine.Resize(200, 100);
        engine.Attach(text.get(), 0, 0, 0, 160, 64);
    }
    // Puts `s` into the text in one attribute and lays it out with the caret at `caret`.
    void Fill(std::u16string_view s, uint32_t attr, int caret = 0) {
        for (size_t i = 0; i < s.size(); ++i) text->cells[i] = TextCell(s[i], attr);
        engine.Attach(text.get(), 0, 0, 0, 160, 64);
        engine.SetSelection(caret, caret);
    }
    std::u16string Codes() const {
        std::u16string s;
        for (int i = 0; i < CountCells(*text); ++i) s += text->cells[size_t(i)].code;
        return s;
    }

    FontRenderer fonts;
    FontTables tables{{u"宋体", u"Courier New"}, {u"宋体"}, 0};
    RenderContext rc{fonts, tables};
    RecordingChannel owner;
    std::unique_ptr<TextContent> text = std::make_unique<TextContent>();
    CellEditor engine{rc, &owner};
};

}  // namespace ledsuite
