#include "content/render/font_renderer.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cstdlib>
#include <map>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "content/model/paths.h"
#include "content/render/surface.h"
#include "content/model/text_codec.h"

namespace ledsuite {

namespace {

struct ConfigHolder {
    FcConfig* config = nullptr;
    ConfigHolder() {
        config = FcConfigCreate();
        const std::string path = ResourcePath("fonts.conf");
        if (config && FcConfigParseAndLoad(config, reinterpret_cast<const FcChar8*>(path.c_str()), FcTrue) &&
            FcConfigBuildFonts(config))
            return;
        if (config) FcConfigDestroy(config);
        config = FcInitLoadConfigAndFonts();
    }
    ~ConfigHolder() {
        if (config) FcConfigDestroy(config);
    }
};

// Oblique slant of a synthesised italic (about 12 degrees), 16.16 fixed point.
constexpr FT_Fixed kObliqueShear = 0x0366A;
// The glyph cache is cleared when it grows past this many glyphs.
constexpr size_t kMaxCachedGlyphs = 16384;

int Round26_6(FT_Pos v) { return int((v + 32) >> 6); }

}  // namespace

FcConfig* SuiteFontConfig() {
    static ConfigHolder holder;
    return holder.config;
}

struct FontRenderer::Impl {
    // One FreeType face per font file and face index, shared by every request on it.
    struct Face {
        FT_Face face = nullptr;
        FT_F26Dot6 charSize = 0;  // em size now set, 0 none
        int cellHeight = 0;       // the cell height that em size was set for
        int ascent = 0;           // at that cell height
    };
    // A face, what must be synthesised on it for a request, and how it is hinted.
    struct Choice {
        Face* face = nullptr;
        bool bold = false;
        bool italic = false;
        bool autohint = false;
    };
    // A request (face name, bold, italic) as fontconfig resolved it.
    struct Resolved {
        Choice primary;
        std::string family;
        FcPattern* pattern = nullptr;   // the substituted request, for fallback sorting
        FcFontSet* sorted = nullptr;    // fallback candidates, sorted on first need
        std::unordered_map<char32_t, Choice> fallback;
    };
    struct Glyph {
        int left = 0;     // first column, from the pen position
        int top = 0;      // first row, in rows above the baseline
        int width = 0;
        int rows = 0;
        int advance = 0;
        std::vector<uint8_t> lit;  // width x rows, 1 where the pixel is on
    };
    struct GlyphKey {
        uint32_t resolved;
        int height;
        char32_t code;
        bool operator==(const GlyphKey&) const = default;
    };
    struct GlyphKeyHash {
        size_t operator()(const GlyphKey& k) const {
            return (size_t(k.resolved) * 0x9E3779B1u) ^ (size_t(k.height) << 21) ^ size_t(k.code);
        }
    };

    FT_Library library = nullptr;
    FcConfig* config = SuiteFontConfig();
    std::map<std::pair<std::string, int>, Face> faces;
    std::vector<Resolved> resolved;
    std::map<std::tuple<std::u16string, bool, bool>, uint32_t> resolvedIndex;
    std::unordered_map<GlyphKey, Glyph, GlyphKeyHash> glyphs;
    CacheStats stats;

    Impl() {
        if (FT_Init_FreeType(&library) != 0) library = nullptr;
    }
    ~Impl() {
        for (auto& r : resolved) {
            if (r.sorted) FcFontSetDestroy(r.sorted);
            if (r.pattern) FcPatternDestroy(r.pattern);
        }
        for (auto& [key, f] : faces) FT_Done_Face(f.face);
        if (library) FT_Done_FreeType(library);
    }

    Face* OpenFace(const FcPattern* font) {
        FcChar8* file = nullptr;
        int index = 0;
        if (!library || FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch) return nullptr;
        FcPatternGetInteger(font, FC_INDEX, 0, &index);
        auto key = std::make_pair(std::string(reinterpret_cast<const char*>(file)), index);
        auto it = faces.find(key);
        if (it != faces.end()) return &it->second;
        FT_Face face = nullptr;
        if (FT_New_Face(library, key.first.c_str(), index, &face) != 0) return nullptr;
        return &faces.emplace(key, Face{face}).first->second;
    }

    // `font` is a matched pattern with the configuration's font rules applied.
    static Choice ChoiceFor(Face* face, const FcPattern* font, bool bold, bool italic) {
        const FT_Face f = face->face;
        auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(f, FT_SFNT_OS2));
        const bool faceBold = (f->style_flags & FT_STYLE_FLAG_BOLD) || (os2 && os2->usWeightClass >= 600);
        // Faces whose own hints the configuration turns off get the auto-hinter:
        // unhinted monochrome strokes land between pixels.
        FcBool hinting = FcTrue, autohint = FcFalse;
        int hintStyle = FC_HINT_FULL;
        FcPatternGetBool(font, FC_HINTING, 0, &hinting);
        FcPatternGetBool(font, FC_AUTOHINT, 0, &autohint);
        FcPatternGetInteger(font, FC_HINT_STYLE, 0, &hintStyle);
        return {face, bold && !faceBold, italic && !(f->style_flags & FT_STYLE_FLAG_ITALIC),
                autohint || !hinting || hintStyle == FC_HINT_NONE};
    }

    uint32_t Resolve(const FontDesc& spec) {
        auto key = std::make_tuple(spec.face, spec.bold(), spec.italic);
        auto it = resolvedIndex.find(key);
        if (it != resolvedIndex.end()) return it->second;
        Resolved r;
        r.pattern = FcPatternCreate();
        if (!spec.face.empty())
            FcPatternAddString(r.pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(WideToUtf8(spec.face).c_str()));
        FcPatternAddInteger(r.pattern, FC_WEIGHT, spec.bold() ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
        FcPatternAddInteger(r.pattern, FC_SLANT, spec.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
        FcConfigSubstitute(config, r.pattern, FcMatchPattern);
        FcDefaultSubstitute(r.pattern);
        FcResult result;
        if (FcPattern* font = FcFontMatch(config, r.pattern, &result)) {
            FcChar8* family = nullptr;
            if (FcPatternGetString(font, FC_FAMILY, 0, &family) == FcResultMatch)
                r.family = reinterpret_cast<const char*>(family);
            if (Face* face = OpenFace(font)) r.primary = ChoiceFor(face, font, spec.bold(), spec.italic);
            FcPatternDestroy(font);
        }
        resolved.push_back(std::move(r));
        const uint32_t index = uint32_t(resolved.size() - 1);
        resolvedIndex.emplace(std::move(key), index);
        return index;
    }

    // The face that draws `code` for a request: its own face, else the first face
    // fontconfig sorts for the request that has the character, else its own face
    // (which then draws its missing-glyph box).
    Choice ChoiceForCode(Resolved& r, char32_t code, bool bold, bool italic) {
        if (!r.primary.face || FT_Get_Char_Index(r.primary.face->face, code) != 0) return r.primary;
        auto it = r.fallback.find(code);
        if (it != r.fallback.end()) return it->second;
        if (!r.sorted) {
            FcResult result;
            r.sorted = FcFontSort(config, r.pattern, FcTrue, nullptr, &result);
        }
        Choice choice = r.primary;
        for (int i = 0; r.sorted && i < r.sorted->nfont; ++i) {
            FcCharSet* charset = nullptr;
            FcPattern* font = r.sorted->fonts[i];
            if (FcPatternGetCharSet(font, FC_CHARSET, 0, &charset) != FcResultMatch ||
                !FcCharSetHasChar(charset, code))
                continue;
            if (Face* face = OpenFace(font); face && FT_Get_Char_Index(face->face, code) != 0) {
                FcPattern* prepared = FcFontRenderPrepare(config, r.pattern, font);
                choice = ChoiceFor(face, prepared ? prepared : font, bold, italic);
                if (prepared) FcPatternDestroy(prepared);
                break;
            }
        }
        r.fallback.emplace(code, choice);
        return choice;
    }

    // Sets the face to a cell height: the em is scaled so that its ascent plus
    // descent (the Windows metrics when the face has them) fill the height.
    // Faces without outlines take the largest strike not taller than the height.
    static bool SetCellHeight(Face& f, int height) {
        if (f.cellHeight == height) return true;
        FT_Face face = f.face;
        if (!FT_IS_SCALABLE(face)) {
            // The tallest strike that fits, else the smallest one.
            const FT_Bitmap_Size* sizes = face->available_sizes;
            if (face->num_fixed_sizes <= 0) return false;
            int best = -1;
            for (int i = 0; i < face->num_fixed_sizes; ++i)
                if (sizes[i].height <= height && (best < 0 || sizes[i].height > sizes[best].height)) best = i;
            if (best < 0) {
                best = 0;
                for (int i = 1; i < face->num_fixed_sizes; ++i)
                    if (sizes[i].height < sizes[best].height) best = i;
            }
            if (FT_Select_Size(face, best) != 0) return false;
            f.cellHeight = height;
            f.ascent = std::min(height, Round26_6(face->size->metrics.ascender));
            return true;
        }
        long ascent = face->ascender, descent = -face->descender;
        if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
            os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
            ascent = os2->usWinAscent;
            descent = os2->usWinDescent;
        }
        if (ascent + descent <= 0) {
            ascent = face->units_per_EM;
            descent = 0;
        }
        const FT_F26Dot6 size = FT_F26Dot6((int64_t(height) * face->units_per_EM * 64 + (ascent + descent) / 2) /
                                           (ascent + descent));
        if (size != f.charSize && FT_Set_Char_Size(face, 0, std::max<FT_F26Dot6>(size, 1), 72, 72) != 0)
            return false;
        f.charSize = size;
        f.cellHeight = height;
        f.ascent = std::clamp(Round26_6(FT_MulFix(ascent, face->size->metrics.y_scale)), 0, height);
        return true;
    }

    FontMetrics Metrics(const FontDesc& spec) {
        if (spec.height < 1) return {};
        Resolved& r = resolved[Resolve(spec)];
        if (!r.primary.face || !SetCellHeight(*r.primary.face, spec.height)) return {};
        return {spec.height, r.primary.face->ascent, spec.height - r.primary.face->ascent};
    }

    const Glyph* GetGlyph(uint32_t ri, const FontDesc& spec, char32_t code) {
        const GlyphKey key{ri, spec.height, code};
        auto it = glyphs.find(key);
        if (it != glyphs.end()) {
            ++stats.hits;
            return &it->second;
        }
        ++stats.misses;
        if (glyphs.size() >= kMaxCachedGlyphs) glyphs.clear();
        Glyph& g = glyphs[key];
        Choice c = ChoiceForCode(resolved[ri], code, spec.bold(), spec.italic);
        if (!c.face || !SetCellHeight(*c.face, spec.height)) return &g;
        RenderGlyph(c, code, g);
        return &g;
    }

    void RenderGlyph(const Choice& c, char32_t code, Glyph& g) {
        FT_Face face = c.face->face;
        FT_Int32 flags = FT_LOAD_TARGET_MONO | (c.autohint ? FT_LOAD_FORCE_AUTOHINT : 0);
        if (c.bold || c.italic) flags |= FT_LOAD_NO_BITMAP;  // outlines can be slanted and widened
        if (FT_Load_Glyph(face, FT_Get_Char_Index(face, code), flags) != 0) return;
        FT_GlyphSlot slot = face->glyph;
        FT_Pos advance = slot->advance.x;
        int smear = 0;  // pixels a bitmap-only glyph is widened by for bold
        if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
            if (c.italic) {
                FT_Matrix shear{0x10000, kObliqueShear, 0, 0x10000};
                FT_Outline_Transform(&slot->outline, &shear);
            }
            if (c.bold) {
                // Whole pixels, about a 24th of the em, at least one.
                const FT_Pos strength = std::max<FT_Pos>(1, Round26_6(face->size->metrics.y_ppem * 64 / 24)) * 64;
                FT_Outline_EmboldenXY(&slot->outline, strength, 0);
                advance += strength;
            }
            // Dropout control keeps strokes thinner than a pixel.
            slot->outline.flags &= ~FT_OUTLINE_IGNORE_DROPOUTS;
            slot->outline.flags |= FT_OUTLINE_SMART_DROPOUTS | FT_OUTLINE_INCLUDE_STUBS;
            if (FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0) return;
        } else if (c.bold) {
            smear = 1;
            advance += 64;
        }
        const FT_Bitmap& bm = slot->bitmap;
        g.left = slot->bitmap_left;
        g.top = slot->bitmap_top;
        g.width = int(bm.width) + (bm.width ? smear : 0);
        g.rows = int(bm.rows);
        g.advance = Round26_6(advance);
        g.lit.assign(size_t(g.width) * size_t(g.rows), 0);
        const int pitch = std::abs(bm.pitch);
        for (int y = 0; y < g.rows; ++y) {
            const uint8_t* src = bm.buffer + size_t(bm.pitch >= 0 ? y : g.rows - 1 - y) * pitch;
            uint8_t* dst = &g.lit[size_t(y) * g.width];
            for (int x = 0; x < int(bm.width); ++x) {
                bool on = false;
                if (bm.pixel_mode == FT_PIXEL_MODE_MONO) on = src[x >> 3] & (0x80 >> (x & 7));
                else if (bm.pixel_mode == FT_PIXEL_MODE_GRAY) on = src[x] >= 128;  // a grey pixel would light an LED
                if (on) {
                    dst[x] = 1;
                    if (smear) dst[x + 1] = 1;
                }
            }
        }
    }

    // Underline or strikeout rows: the first row below (positive) or above the baseline and the thickness.
    void DecorationRows(const FontDesc& spec, Face& f, bool strike, int& offset, int& thickness) {
        FT_Face face = f.face;
        const FT_Fixed scale = FT_IS_SCALABLE(face) ? face->size->metrics.y_scale : 0;
        auto px = [&](long units) { return Round26_6(FT_MulFix(units, scale)); };
        auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
        if (strike) {
            const bool have = scale && os2 && os2->version != 0xFFFF && os2->yStrikeoutSize > 0;
            thickness = have ? px(os2->yStrikeoutSize) : 0;
            offset = have ? -px(os2->yStrikeoutPosition) : -(f.ascent / 3);
        } else {
            const bool have = scale && face->underline_thickness > 0;
            thickness = have ? px(face->underline_thickness) : 0;
            offset = have ? std::max(1, -px(face->underline_position)) : 1;
        }
        thickness = std::max(1, std::min(thickness, spec.height / 8 + 1));
    }
};

FontRenderer::FontRenderer() : impl_(std::make_unique<Impl>()) {}
FontRenderer::~FontRenderer() = default;

FontMetrics FontRenderer::Metrics(const FontDesc& spec) { return impl_->Metrics(spec); }

int FontRenderer::CharWidth(const FontDesc& spec, char32_t code) {
    if (spec.height < 1) return 0;
    return impl_->GetGlyph(impl_->Resolve(spec), spec, code)->advance;
}

TextExtent FontRenderer::Measure(const FontDesc& spec, std::u16string_view text) {
    if (spec.height < 1) return {};
    const uint32_t ri = impl_->Resolve(spec);
    int width = 0;
    for (size_t i = 0; i < text.size();) width += impl_->GetGlyph(ri, spec, NextCodePoint(text, i))->advance;
    return {width, spec.height};
}

int FontRenderer::Draw(Surface& surface, int x, int y, const FontDesc& spec, std::u16string_view text,
                       uint32_t colour) {
    const FontMetrics m = Metrics(spec);
    if (m.height == 0) return 0;
    const uint32_t ri = impl_->Resolve(spec);
    const int baseline = y + m.ascent;
    int penX = x;
    for (size_t i = 0; i < text.size();) {
        const Impl::Glyph* g = impl_->GetGlyph(ri, spec, NextCodePoint(text, i));
        for (int row = 0; row < g->rows; ++row) {
            const uint8_t* lit = &g->lit[size_t(row) * g->width];
            for (int col = 0; col < g->width; ++col)
                if (lit[col]) surface.SetPixel(penX + g->left + col, baseline - g->top + row, colour);
        }
        penX += g->advance;
    }
    Impl::Face& face = *impl_->resolved[ri].primary.face;  // set to the height by Metrics
    for (int pass = 0; pass < 2; ++pass) {
        if (!(pass ? spec.strikeout : spec.underline)) continue;
        int offset = 0, thickness = 1;
        impl_->DecorationRows(spec, face, pass == 1, offset, thickness);
        const int top = std::clamp(baseline + offset, y, y + m.height - thickness);
        surface.FillRect(PixelRect{x, top, penX, top + thickness}, colour);
    }
    return penX - x;
}

std::string FontRenderer::ResolvedFamily(const FontDesc& spec) { return impl_->resolved[impl_->Resolve(spec)].family; }

FontRenderer::CacheStats FontRenderer::cacheStats() const {
    CacheStats s = impl_->stats;
    s.glyphs = impl_->glyphs.size();
    return s;
}

void FontRenderer::ClearCache() {
    impl_->glyphs.clear();
    impl_->stats = {};
}

}  // namespace ledsuite
