#pragma once
// A window for the layout canvas that records what the canvas asks of it, small trees
// of picture programs, and pictures written as rows of characters.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "content/preview/layout_canvas.h"
#include "content/model/records.h"
#include "tests/content/layout_helpers.h"

namespace ledsuite {

class RecordingWindow : public CanvasWindow {
public:
    int width = 64, height = 48;
    int screenLeft = 1000, screenTop = 500;  // where the client area lies on the screen
    bool multiScreen = false;
    int presents = 0;
    std::vector<size_t> selected;  // program indexes the canvas selected
    std::vector<ProgramRecord*> geometry;

    int ClientWidth() const override { return width; }
    int ClientHeight() const override { return height; }
    bool ScreenToClient(int& x, int& y) const override {
        x -= screenLeft, y -= screenTop;
        return x >= 0 && y >= 0 && x < width && y < height;
    }
    void PresentCanvas() override { ++presents; }
    bool MultiScreenMode() const override { return multiScreen; }
    void ProgramSelected(size_t, size_t program, ProgramRecord&) override { selected.push_back(program); }
    void AreaGeometryChanged(ProgramRecord& record) override { geometry.push_back(&record); }
};

// A screen of w x h LEDs and one program set.
inline ProgramTree TinyTree(int w, int h, uint16_t colorCode = 17) {
    HardwareParams hw;
    hw.width = uint16_t(w);
    hw.height = uint16_t(h);
    hw.colorCode = colorCode;
    ProgramTree tree(hw);
    tree.AddProgramSet();
    return tree;
}

// A program over (l, t, r, b) showing a w x h picture of one colour, static, stepping
// every round, without a pause.
inline ProgramRecord& AddPictureProgram(ProgramTree& tree, int l, int t, int r, int b, int w, int h,
                                        uint32_t colour = 0xFFFFFF, size_t set = 0) {
    ProgramRecord& p = *tree.AddProgram(set)->record;
    InitProgramRecord(p, l, t, r, b);
    p.content.cells[0] = PictureCell(w, h, {colour});
    p.mainAction.effect = kEffectStatic;
    p.mainAction.pause = 0;
    p.mainAction.speed = 1;
    return p;
}

// Rows of a 32-bit image as characters: '.' black, '#' white, 'r' red, 'g' green,
// 'b' blue, 'c' cyan (green and blue), 'y' yellow, '-' the canvas grey, '?' anything else.
inline std::vector<std::string> Picture(const RawImage& img) {
    std::vector<std::string> rows;
    for (int y = 0; y < img.height; ++y) {
        std::string row;
        for (int x = 0; x < img.width; ++x) {
            switch (img.row32(y)[x]) {
            case 0: row += '.'; break;
            case 0xFFFFFF: row += '#'; break;
            case 0xFF0000: row += 'r'; break;
            case 0x00FF00: row += 'g'; break;
            case 0x0000FF: row += 'b'; break;
            case 0x00FFFF: row += 'c'; break;
            case 0xFFFF00: row += 'y'; break;
            case 0xCDCDCD: row += '-'; break;
            default: row += '?'; break;
            }
        }
        rows.push_back(row);
    }
    return rows;
}

using Rows = std::vector<std::string>;

}  // namespace ledsuite
