#pragma once
// The built-in 5x7 dot-matrix font of 8-pixel text: printable ASCII (0x20..0x7E)
// in the classic character-LCD design (slashed zero). Each glyph is 8 bytes,
// bytes 0-6 the rows from the top, bit k of a row lighting column k (k = 0 the
// leftmost); byte 7 is 0. Every glyph stays within 5 columns; the advance is 6.
#include <cstdint>

namespace ledsuite {

class Surface;

constexpr int kBuiltinGlyphAdvance = 6;

// The 8 bytes of the glyph for `code`, or null outside 0x20..0x7E.
const uint8_t* BuiltinGlyph(char32_t code);

// Lights the glyph's pixels at (x + column, y + row) in `colour`, clipped by the
// surface. False (nothing drawn) for a code outside 0x20..0x7E.
bool DrawBuiltinGlyph(Surface& surface, int x, int y, char32_t code, uint32_t colour);

}  // namespace ledsuite
