#include "platform/TextRaster.h"

#include "platform/Cp932.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <tuple>
#include <vector>

namespace {

constexpr int kDefaultEm = 16;
constexpr size_t kMaxFaces = 16;
const char* const kFallbackFace = "IPAPGothic";

std::vector<char32_t> DecodeUtf8(const std::string& s)
{
    std::vector<char32_t> out;
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        int len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (len == 0 || i + size_t(len) > s.size()) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        char32_t cp = len == 1 ? c : len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
        for (int k = 1; k < len; ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(s[i + size_t(k)]) & 0x3F);
        out.push_back(cp);
        i += size_t(len);
    }
    return out;
}

bool SameFamily(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x < 0x80)
            x = static_cast<unsigned char>(std::tolower(x));
        if (y < 0x80)
            y = static_cast<unsigned char>(std::tolower(y));
        if (x != y)
            return false;
    }
    return true;
}

struct FontFile {
    std::string path;
    int index = 0;
    bool wantBold = false;    // bold wanted: thickened unless the face is bold
    bool wantItalic = false;  // italic wanted: slanted unless the face is italic
};

// A face opened at one size, with the metrics the drawing needs in pixels.
struct SizedFace {
    FT_Face face = nullptr;
    bool synthBold = false;
    bool synthItalic = false;
    int ascent = 0;
    int descent = 0;
    int boldShift = 0;      // extra columns each glyph is struck over
    int underlinePos = 1;   // rows below the baseline
    int lineThickness = 1;
    int strikePos = 0;      // rows above the baseline
    uint64_t lastUse = 0;
    ~SizedFace()
    {
        if (face)
            FT_Done_Face(face);
    }
};

class FontCache {
public:
    static FontCache& Instance()
    {
        static FontCache cache;
        return cache;
    }

    std::mutex mutex;

    // Null when no font at all can be loaded.
    SizedFace* Get(const LogFont& lf)
    {
        if (!m_library)
            return nullptr;
        const bool bold = lf.lfWeight >= 600;
        const bool italic = lf.lfItalic != 0;
        const FontFile* file = Resolve(lf.lfFaceName, bold, italic);
        if (!file)
            return nullptr;
        const auto key = std::make_tuple(file->path, file->index, file->wantBold,
                                         file->wantItalic, lf.lfHeight, lf.lfWidth);
        auto it = m_faces.find(key);
        if (it == m_faces.end()) {
            std::unique_ptr<SizedFace> sized = Open(*file, lf.lfHeight, lf.lfWidth);
            if (!sized)
                return nullptr;
            if (m_faces.size() >= kMaxFaces) {
                auto oldest = std::min_element(m_faces.begin(), m_faces.end(),
                                               [](const auto& a, const auto& b) {
                                                   return a.second->lastUse < b.second->lastUse;
                                               });
                m_faces.erase(oldest);
            }
            it = m_faces.emplace(key, std::move(sized)).first;
        }
        it->second->lastUse = ++m_clock;
        return it->second.get();
    }

private:
    FontCache()
    {
        if (FT_Init_FreeType(&m_library) != 0)
            m_library = nullptr;
        FcInit();
    }
    ~FontCache()
    {
        m_faces.clear();
        if (m_library)
            FT_Done_FreeType(m_library);
    }

    // Matches one family name; exact says whether the match must carry it.
    static bool Match(const std::string& family, bool bold, bool italic, bool exact,
                      bool japanese, FontFile& out)
    {
        FcPattern* pattern = FcPatternCreate();
        if (!pattern)
            return false;
        if (!family.empty())
            FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
        if (japanese)
            FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
        FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
        FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
        FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        FcPattern* match = FcFontMatch(nullptr, pattern, &result);
        FcPatternDestroy(pattern);
        if (!match)
            return false;
        bool ok = !exact;
        FcChar8* name = nullptr;
        for (int i = 0; exact && FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch; ++i)
            if (SameFamily(reinterpret_cast<const char*>(name), family))
                ok = true;
        FcChar8* path = nullptr;
        if (ok && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch) {
            out.path = reinterpret_cast<const char*>(path);
            int index = 0;
            FcPatternGetInteger(match, FC_INDEX, 0, &index);
            out.index = index;
            // Whether the face itself is bold or italic is read from the face
            // when it is opened: fontconfig reports synthesised styles too.
            out.wantBold = bold;
            out.wantItalic = italic;
        } else {
            ok = false;
        }
        FcPatternDestroy(match);
        return ok;
    }

    const FontFile* Resolve(const std::string& name, bool bold, bool italic)
    {
        const auto key = std::make_tuple(name, bold, italic);
        auto it = m_files.find(key);
        if (it != m_files.end())
            return it->second ? &*it->second : nullptr;
        FontFile file;
        bool found = !name.empty() && Match(name, bold, italic, true, false, file);
        if (!found) {
            // A fixed-pitch gothic name keeps fixed pitch; anything else gets
            // the proportional face, as the default font is proportional.
            const bool gothic = name.find("ゴシック") != std::string::npos ||
                                name.find("Gothic") != std::string::npos;
            const bool proportional = name.find("Ｐ") != std::string::npos ||
                                      name.find("PGothic") != std::string::npos ||
                                      name.find("P Gothic") != std::string::npos;
            const char* first = gothic && !proportional ? "IPAGothic" : "IPAPGothic";
            const char* second = gothic && !proportional ? "IPAPGothic" : "IPAGothic";
            found = Match(first, bold, italic, true, false, file) ||
                    Match(second, bold, italic, true, false, file) ||
                    Match("sans-serif", bold, italic, false, true, file);
        }
        auto& slot = m_files[key];
        if (found)
            slot = file;
        return slot ? &*slot : nullptr;
    }

    std::unique_ptr<SizedFace> Open(const FontFile& file, int lfHeight, int lfWidth)
    {
        auto sized = std::make_unique<SizedFace>();
        if (FT_New_Face(m_library, file.path.c_str(), file.index, &sized->face) != 0) {
            sized->face = nullptr;
            return nullptr;
        }
        FT_Face face = sized->face;
        const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
        const bool faceBold = (face->style_flags & FT_STYLE_FLAG_BOLD) ||
                              (os2 && os2->version != 0xFFFF && os2->usWeightClass >= 600);
        const bool faceItalic = face->style_flags & FT_STYLE_FLAG_ITALIC;
        sized->synthBold = file.wantBold && !faceBold;
        sized->synthItalic = file.wantItalic && !faceItalic;
        if (!FT_IS_SCALABLE(face)) {
            if (face->num_fixed_sizes <= 0 || FT_Select_Size(face, 0) != 0)
                return nullptr;
            sized->ascent = int(face->size->metrics.ascender >> 6);
            sized->descent = int(-face->size->metrics.descender >> 6);
            sized->boldShift = sized->synthBold ? 1 : 0;
            sized->underlinePos = 1;
            sized->strikePos = std::max(1, sized->ascent / 3);
            return sized;
        }
        const double upem = face->units_per_EM > 0 ? face->units_per_EM : 1000;
        double ascUnits = face->ascender, descUnits = -face->descender;
        if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
            ascUnits = os2->usWinAscent;
            descUnits = os2->usWinDescent;
        }
        if (ascUnits + descUnits <= 0) {
            ascUnits = upem * 0.88;
            descUnits = upem * 0.12;
        }
        double em = kDefaultEm;
        if (lfHeight < 0)
            em = -double(lfHeight);
        else if (lfHeight > 0)
            em = double(lfHeight) * upem / (ascUnits + descUnits);
        em = std::clamp(em, 1.0, 2048.0);
        double emWidth = em;
        if (lfWidth > 0 && os2 && os2->version != 0xFFFF && os2->xAvgCharWidth > 0)
            emWidth = std::clamp(double(lfWidth) * upem / os2->xAvgCharWidth, 1.0, 4096.0);
        if (FT_Set_Char_Size(face, FT_F26Dot6(std::lround(emWidth * 64)),
                             FT_F26Dot6(std::lround(em * 64)), 72, 72) != 0)
            return nullptr;
        const double scale = em / upem;
        if (lfHeight > 0) {
            sized->ascent = int(std::lround(lfHeight * ascUnits / (ascUnits + descUnits)));
            sized->descent = lfHeight - sized->ascent;
        } else {
            sized->ascent = int(std::lround(ascUnits * scale));
            sized->descent = int(std::lround(descUnits * scale));
        }
        sized->boldShift = sized->synthBold ? std::max(1, int(std::lround(em / 24))) : 0;
        sized->lineThickness = std::max(1, int(std::lround(face->underline_thickness * scale)));
        sized->underlinePos = std::max(1, int(std::lround(-face->underline_position * scale)));
        sized->underlinePos = std::min(sized->underlinePos, std::max(1, sized->descent - 1));
        if (os2 && os2->version != 0xFFFF && os2->yStrikeoutPosition > 0)
            sized->strikePos = int(std::lround(os2->yStrikeoutPosition * scale));
        else
            sized->strikePos = int(std::lround(em * 0.3));
        return sized;
    }

    FT_Library m_library = nullptr;
    std::map<std::tuple<std::string, bool, bool>, std::optional<FontFile>> m_files;
    std::map<std::tuple<std::string, int, bool, bool, int, int>, std::unique_ptr<SizedFace>> m_faces;
    uint64_t m_clock = 0;
};

// Loads one glyph (rendered to a one-bit image when render is set); false
// when there is nothing to draw. advance receives the pen movement.
bool LoadGlyph(SizedFace& sf, FT_UInt index, bool render, int& advance)
{
    FT_Face face = sf.face;
    FT_Int32 flags = FT_LOAD_TARGET_MONO;
    if (sf.synthItalic)
        flags |= FT_LOAD_NO_BITMAP;
    advance = 0;
    if (FT_Load_Glyph(face, index, flags) != 0)
        return false;
    FT_GlyphSlot slot = face->glyph;
    advance = int((slot->advance.x + 32) >> 6) + sf.boldShift;
    if (!render)
        return false;
    if (sf.synthItalic && slot->format == FT_GLYPH_FORMAT_OUTLINE)
        FT_GlyphSlot_Oblique(slot);
    if (slot->format != FT_GLYPH_FORMAT_BITMAP &&
        FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0)
        return false;
    return slot->bitmap.rows > 0 && slot->bitmap.width > 0;
}

// Walks the glyphs of the text; a character the chosen face lacks is taken
// from the Japanese gothic face, as the platform links fonts.
template <class F>
void ForEachGlyph(FontCache& cache, SizedFace& primary, const LogFont& font,
                  const std::string& cp932, bool render, F&& f)
{
    SizedFace* fallback = nullptr;
    bool fallbackTried = false;
    for (char32_t cp : DecodeUtf8(Cp932ToUtf8(cp932))) {
        SizedFace* sf = &primary;
        FT_UInt index = FT_Get_Char_Index(primary.face, FT_ULong(cp));
        if (index == 0 && cp >= 0x20) {
            if (!fallbackTried) {
                fallbackTried = true;
                LogFont lf = font;
                lf.lfFaceName = kFallbackFace;
                fallback = cache.Get(lf);
                if (fallback == &primary)
                    fallback = nullptr;
            }
            const FT_UInt other = fallback ? FT_Get_Char_Index(fallback->face, FT_ULong(cp)) : 0;
            if (other != 0) {
                sf = fallback;
                index = other;
            }
        }
        int advance = 0;
        const bool drawn = LoadGlyph(*sf, index, render, advance);
        f(*sf, drawn, advance);
    }
}

} // namespace

bool TextOut(const PixelTarget& target, int x, int y, const std::string& cp932,
             const LogFont& font, uint32_t colour)
{
    FontCache& cache = FontCache::Instance();
    std::lock_guard lock(cache.mutex);
    SizedFace* sf = cache.Get(font);
    if (!sf)
        return false;
    CSurface surface(target);
    const int baseline = y + sf->ascent;
    int penX = x;
    ForEachGlyph(cache, *sf, font, cp932, true, [&](SizedFace& g, bool drawn, int advance) {
        if (drawn) {
            const FT_Bitmap& bm = g.face->glyph->bitmap;
            const int left = penX + g.face->glyph->bitmap_left;
            const int top = baseline - g.face->glyph->bitmap_top;
            for (unsigned row = 0; row < bm.rows; ++row) {
                const unsigned char* bits = bm.buffer + std::ptrdiff_t(row) * bm.pitch;
                for (unsigned col = 0; col < bm.width; ++col) {
                    bool on;
                    if (bm.pixel_mode == FT_PIXEL_MODE_MONO)
                        on = (bits[col >> 3] >> (7 - (col & 7))) & 1;
                    else if (bm.pixel_mode == FT_PIXEL_MODE_GRAY)
                        on = bits[col] >= 128;
                    else
                        on = false;
                    if (!on)
                        continue;
                    // A thickened glyph is struck again shifted right.
                    for (int s = 0; s <= g.boldShift; ++s)
                        surface.SetPixel(left + int(col) + s, top + int(row), colour);
                }
            }
        }
        penX += advance;
    });
    const int width = penX - x;
    if (width > 0 && (font.lfUnderline || font.lfStrikeOut)) {
        const SurfacePen old = surface.SelectPen({PenStyle::Solid, 1, colour});
        const auto line = [&](int top) {
            for (int k = 0; k < sf->lineThickness; ++k) {
                surface.MoveTo(x, top + k);
                surface.LineTo(x + width, top + k);
            }
        };
        if (font.lfUnderline)
            line(baseline + sf->underlinePos);
        if (font.lfStrikeOut)
            line(baseline - sf->strikePos);
        surface.SelectPen(old);
    }
    return true;
}

SurfaceSize GetTextExtent(const std::string& cp932, const LogFont& font)
{
    FontCache& cache = FontCache::Instance();
    std::lock_guard lock(cache.mutex);
    SizedFace* sf = cache.Get(font);
    if (!sf)
        return {};
    int width = 0;
    ForEachGlyph(cache, *sf, font, cp932, false,
                 [&](SizedFace&, bool, int advance) { width += advance; });
    return {width, sf->ascent + sf->descent};
}
