#pragma once
// FontRenderer: measures and draws text for a FontDesc with FreeType glyphs of the
// faces fontconfig picks (the suite's configuration, res/fonts.conf, maps the
// card's face names to Debian fonts). Glyphs are monochrome: an LED is on or off,
// so a pixel is either the text colour or untouched.
//
// Sizes follow the card platform: a FontDesc's height is the cell height, the
// face's ascent plus descent (Windows ascent and descent when the face has them),
// and text drawn at (x, y) has its cell's top at y. Bold and italic are
// synthesised (widened outline, oblique slant) when the face has no such style;
// underline and strikeout use the face's own positions. A character missing from
// the face comes from the next face fontconfig sorts for the request that has it.
//
// Threads: FreeType is not thread-safe. A FontRenderer owns its FT_Library, its
// faces and its glyph cache and belongs to one thread; every user (the windows,
// the encoder, the sound-build worker) makes its own.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "content/render/font_desc.h"

struct _FcConfig;

namespace ledsuite {

class Surface;

struct FontMetrics {
    int height = 0;   // cell height, the FontDesc's height
    int ascent = 0;   // from the cell's top to the baseline
    int descent = 0;  // height - ascent
};

struct TextExtent {
    int width = 0;
    int height = 0;
};

class FontRenderer {
public:
    FontRenderer();
    ~FontRenderer();
    FontRenderer(const FontRenderer&) = delete;
    FontRenderer& operator=(const FontRenderer&) = delete;

    // All zero for a height below 1 or when no face can be found.
    FontMetrics Metrics(const FontDesc& spec);
    // The advance of one character (UTF-32 code).
    int CharWidth(const FontDesc& spec, char32_t code);
    // The text's advance width and the cell height.
    TextExtent Measure(const FontDesc& spec, std::u16string_view text);
    // Writes `text` in `colour` with its cell's top-left at (x, y), clipped by the
    // surface; returns the advance width.
    int Draw(Surface& surface, int x, int y, const FontDesc& spec, std::u16string_view text, uint32_t colour);

    // The family fontconfig chose for the spec's face (UTF-8), empty when none.
    std::string ResolvedFamily(const FontDesc& spec);

    struct CacheStats {
        uint64_t hits = 0;
        uint64_t misses = 0;
        size_t glyphs = 0;
    };
    CacheStats cacheStats() const;
    void ClearCache();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The suite's fontconfig configuration: ResourcePath("fonts.conf") (which includes
// the system configuration), or the system configuration alone when that file is
// missing or invalid. Loaded once per process; fontconfig guards its own use, so
// any thread may read it. Lives until the process ends.
_FcConfig* SuiteFontConfig();

}  // namespace ledsuite
