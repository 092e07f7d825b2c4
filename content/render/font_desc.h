#pragma once
// The description of a font as the text cells ask for it: a face name and a cell
// height in pixels, as a positive height asks for a font on the card's platform.
#include <string>

namespace ledsuite {

struct FontDesc {
    std::u16string face;      // face name, e.g. u"宋体"; resolved through fontconfig
    int height = 0;           // cell height in pixels (ascent + descent)
    int weight = 400;         // 400 regular, 700 bold (600 and above render bold)
    bool italic = false;
    bool underline = false;
    bool strikeout = false;

    bool bold() const { return weight >= 600; }
    bool operator==(const FontDesc&) const = default;
};

}  // namespace ledsuite
