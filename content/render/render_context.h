#pragma once
// The drawing context of the text layout and the item painters: the FreeType
// renderer that measures and draws glyphs, the face tables that a cell's font index
// points into, and a TextMeasurer over the two.
//
// There is no process-wide context. Every user of the layout (the editor and the
// canvas on the UI thread, the encoder, the sound-build worker) owns a FontRenderer
// and makes its own RenderContext over it; its cell-extent and line arrays are its
// own too. A RenderContext belongs to one thread, like its FontRenderer.
#include <cstdint>
#include <string_view>

#include "content/render/font_renderer.h"
#include "content/render/font_desc.h"
#include "content/render/surface.h"
#include "content/model/text_content.h"
#include "content/model/text_measurer.h"

namespace ledsuite {

// The renderer's form of a cell font.
FontDesc CellFontDesc(const CellFont& font);
// The font an attribute word names: face from the installed or the default table
// (an index past the table's end means entry 0), pixel size, bold, italic,
// underline and strikeout.
FontDesc AttrFontDesc(uint32_t attr, const FontTables& tables, bool defaultTable);
// 0x00RRGGBB of an attribute's three colour bits (255 for each bit set).
uint32_t AttrColor(uint32_t attr);

// Widths through the FreeType renderer; the last font asked for is kept, so runs of
// cells in one attribute build their font once (a refilled face table is noticed).
class FontMeasurer final : public TextMeasurer {
public:
    FontMeasurer(FontRenderer& fonts, const FontTables& tables) : fonts_(fonts), tables_(tables) {}
    FontMeasurer(FontRenderer&, FontTables&&) = delete;  // the tables must outlive the measurer
    int TextWidth(std::u16string_view text, uint32_t attr, bool defaultTable) override;

private:
    FontRenderer& fonts_;
    const FontTables& tables_;
    bool cached_ = false;
    uint32_t lastAttr_ = 0;
    bool lastDefault_ = false;
    FontDesc lastSpec_;
};

struct RenderContext {
    RenderContext(FontRenderer& renderer, const FontTables& faceTables)
        : fonts(renderer), tables(faceTables), measurer(renderer, faceTables) {}
    RenderContext(FontRenderer&, FontTables&&) = delete;  // the tables must outlive the context
    RenderContext(const RenderContext&) = delete;
    RenderContext& operator=(const RenderContext&) = delete;

    FontRenderer& fonts;
    const FontTables& tables;
    FontMeasurer measurer;
};

// Narrows a surface's clip to a rectangle for a scope and restores it after.
class ClipScope {
public:
    ClipScope(Surface& surface, const PixelRect& r) : surface_(surface), saved_(surface.clip()) {
        surface.SetClip(r.Intersect(saved_));
    }
    ~ClipScope() { surface_.SetClip(saved_); }
    ClipScope(const ClipScope&) = delete;
    ClipScope& operator=(const ClipScope&) = delete;

private:
    Surface& surface_;
    PixelRect saved_;
};

// Keeps a surface's font selection across a drawing that selects fonts of its own,
// so that a caller that selects a font only when the attribute changes can go on.
class FontScope {
public:
    explicit FontScope(Surface& surface) : surface_(surface), renderer_(surface.renderer()), font_(surface.font()) {}
    ~FontScope() {
        if (renderer_) surface_.SelectFont(*renderer_, font_);
    }
    FontScope(const FontScope&) = delete;
    FontScope& operator=(const FontScope&) = delete;

private:
    Surface& surface_;
    FontRenderer* renderer_;
    FontDesc font_;
};

// Selects the cell's font (CreateCellFont) into the surface; false, with the
// selection unchanged, for cells without a font (pictures, tables, clocks, empty
// digit groups).
bool SelectCellFont(RenderContext& rc, Surface& surface, const TextCell& cell, bool defaultTable);

}  // namespace ledsuite
