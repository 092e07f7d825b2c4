#pragma once
// Measures text in the font that a cell attribute names. The glyph renderer supplies
// the real measurer; cell extents, field widths and line breaking go through it.
#include <cstdint>
#include <string_view>

namespace ledsuite {

class TextMeasurer {
public:
    virtual ~TextMeasurer() = default;

    // Advance width in pixels of `text` in the font of `attr`: the face index (bits 14-23)
    // into the default-font table when `defaultTable`, else into the installed-font table
    // (an index past the table's end means entry 0), the pixel size (bits 24-31), bold
    // and italic (bits 0 and 1).
    virtual int TextWidth(std::u16string_view text, uint32_t attr, bool defaultTable) = 0;

    int CharWidth(char16_t c, uint32_t attr, bool defaultTable) {
        return TextWidth(std::u16string_view(&c, 1), attr, defaultTable);
    }
};

}  // namespace ledsuite
