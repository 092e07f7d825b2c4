#include "content/render/render_context.h"

#include "content/render/surface.h"

namespace ledsuite {

FontDesc CellFontDesc(const CellFont& f) {
    return FontDesc{f.face, f.pixelHeight, f.weight, f.italic, f.underline, f.strikeout};
}

FontDesc AttrFontDesc(uint32_t attr, const FontTables& tables, bool defaultTable) {
    using namespace CellAttr;
    return FontDesc{tables.FaceName(FontOf(attr), defaultTable), int(SizeOf(attr)), attr & Bold ? 700 : 400,
                    (attr & Italic) != 0, (attr & Underline) != 0, (attr & Strikeout) != 0};
}

uint32_t AttrColor(uint32_t attr) {
    using namespace CellAttr;
    return (attr & Red ? 0xFF0000u : 0) | (attr & Green ? 0x00FF00u : 0) | (attr & Blue ? 0x0000FFu : 0);
}

int FontMeasurer::TextWidth(std::u16string_view text, uint32_t attr, bool defaultTable) {
    // The face is compared too: the owner may refill its tables while the context lives.
    const auto& table = tables_.Table(defaultTable);
    const uint32_t index = CellAttr::FontOf(attr);
    const std::u16string_view face =
        table.empty() ? std::u16string_view() : std::u16string_view(table[index < table.size() ? index : 0]);
    if (!cached_ || attr != lastAttr_ || defaultTable != lastDefault_ || face != lastSpec_.face) {
        lastSpec_ = AttrFontDesc(attr, tables_, defaultTable);
        lastAttr_ = attr;
        lastDefault_ = defaultTable;
        cached_ = true;
    }
    return fonts_.Measure(lastSpec_, text).width;
}

bool SelectCellFont(RenderContext& rc, Surface& surface, const TextCell& cell, bool defaultTable) {
    const auto font = CreateCellFont(cell, defaultTable, rc.tables);
    if (!font) return false;
    surface.SelectFont(rc.fonts, CellFontDesc(*font));
    return true;
}

}  // namespace ledsuite
