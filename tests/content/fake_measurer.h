#pragma once
// A text measurer with fixed advances: every unit is half the pixel size wide, one
// pixel more when bold.
#include "content/model/text_content.h"
#include "content/model/text_measurer.h"

namespace ledsuite {

class FakeMeasurer : public TextMeasurer {
public:
    int TextWidth(std::u16string_view text, uint32_t attr, bool defaultTable) override {
        lastDefaultTable = defaultTable;
        return int(text.size()) * Advance(attr);
    }
    static int Advance(uint32_t attr) { return int(CellAttr::SizeOf(attr)) / 2 + (attr & CellAttr::Bold ? 1 : 0); }

    bool lastDefaultTable = false;
};

}  // namespace ledsuite
