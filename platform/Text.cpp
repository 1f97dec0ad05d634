// System fonts on FreeType with fontconfig: face lookup, sizes, per-font glyph caches of
// coverage bitmaps, measuring and rendering.
#include "platform/Text.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SYNTHESIS_H
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace plat {

namespace {

std::mutex gLibraryLock; // FreeType's library object and fontconfig's configuration
FT_Library gLibrary = nullptr;

FT_Library Library()
{
    if (gLibrary == nullptr && FT_Init_FreeType(&gLibrary) != 0)
        gLibrary = nullptr;
    return gLibrary;
}

struct Glyph {
    bool mLoaded = false;
    int mAdvance = 0;
    int mLeft = 0;  // bitmap position relative to the pen on the baseline
    int mTop = 0;
    int mWidth = 0;
    int mRows = 0;
    std::vector<uint8_t> mCoverage;
};

const uint16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

int Ceil26_6(FT_Pos v)
{
    return static_cast<int>((v + 63) >> 6);
}

} // namespace

class TextFont {
public:
    std::string mFaceName;
    int mCharHeight = 0;
    bool mBold = false;
    bool mItalic = false;
    bool mUnderline = false;
    bool mEmbolden = false;   // bold asked for but the face has none
    bool mSlant = false;      // italic asked for but the face has none
    FT_Face mFace = nullptr;
    TextFontMetrics mMetrics;
    int mUnderlinePos = 0;    // pixels below the baseline
    int mUnderlineThickness = 1;
    std::mutex mLock;
    Glyph mLow[256];          // by Unicode character below 256
    std::unordered_map<uint32_t, Glyph> mHigh;

    const Glyph& GetGlyph(uint32_t ch)
    {
        Glyph& g = ch < 256 ? mLow[ch] : mHigh[ch];
        if (g.mLoaded)
            return g;
        g.mLoaded = true;
        if (mFace == nullptr || mCharHeight <= 0)
            return g;
        FT_UInt index = FT_Get_Char_Index(mFace, ch);
        if (FT_Load_Glyph(mFace, index, FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP) != 0)
            return g;
        FT_GlyphSlot slot = mFace->glyph;
        if (mEmbolden && slot->format == FT_GLYPH_FORMAT_OUTLINE)
            FT_GlyphSlot_Embolden(slot);
        if (mSlant && slot->format == FT_GLYPH_FORMAT_OUTLINE)
            FT_GlyphSlot_Oblique(slot);
        g.mAdvance = static_cast<int>((slot->advance.x + 32) >> 6);
        if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0)
            return g;
        const FT_Bitmap& bm = slot->bitmap;
        g.mLeft = slot->bitmap_left;
        g.mTop = slot->bitmap_top;
        g.mWidth = static_cast<int>(bm.width);
        g.mRows = static_cast<int>(bm.rows);
        g.mCoverage.resize(static_cast<size_t>(g.mWidth) * g.mRows);
        for (int r = 0; r < g.mRows; r++)
            for (int c = 0; c < g.mWidth; c++) {
                uint8_t v = bm.buffer[r * bm.pitch + c];
                if (bm.pixel_mode == FT_PIXEL_MODE_MONO)
                    v = (bm.buffer[r * bm.pitch + c / 8] & (0x80 >> (c % 8))) ? 255 : 0;
                g.mCoverage[static_cast<size_t>(r) * g.mWidth + c] = v;
            }
        return g;
    }

    template <typename Ch, typename Map>
    int Measure(const Ch* text, size_t length, Map map)
    {
        std::lock_guard<std::mutex> guard(mLock);
        int w = 0;
        for (size_t i = 0; i < length; i++)
            w += GetGlyph(map(text[i])).mAdvance;
        return w;
    }

    template <typename Ch, typename Map>
    void Render(const Ch* text, size_t length, Map map, uint8_t* cov, int width, int height,
                int x, int y)
    {
        std::lock_guard<std::mutex> guard(mLock);
        const int baseline = y + mMetrics.mAscent;
        int pen = x;
        for (size_t i = 0; i < length; i++) {
            const Glyph& g = GetGlyph(map(text[i]));
            const int gx = pen + g.mLeft;
            const int gy = baseline - g.mTop;
            for (int r = 0; r < g.mRows; r++) {
                const int dy = gy + r;
                if (dy < 0 || dy >= height)
                    continue;
                const int c0 = std::max(0, -gx);
                const int c1 = std::min(g.mWidth, width - gx);
                const uint8_t* src = &g.mCoverage[static_cast<size_t>(r) * g.mWidth];
                uint8_t* row = cov + static_cast<size_t>(dy) * width;
                for (int c = c0; c < c1; c++)
                    row[gx + c] = static_cast<uint8_t>(std::min(255, row[gx + c] + src[c]));
            }
            pen += g.mAdvance;
        }
        if (mUnderline && pen > x) {
            for (int t = 0; t < mUnderlineThickness; t++) {
                const int dy = baseline + mUnderlinePos + t;
                if (dy < 0 || dy >= height)
                    continue;
                for (int dx = std::max(0, x); dx < std::min(width, pen); dx++)
                    cov[static_cast<size_t>(dy) * width + dx] = 255;
            }
        }
    }
};

uint32_t Cp1252ToUnicode(uint8_t c)
{
    return c >= 0x80 && c < 0xA0 ? kCp1252High[c - 0x80] : c;
}

std::string TextFaceFor(const std::string& faceName)
{
    std::string lower;
    for (char c : faceName)
        lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (lower == "arial" || lower == "tahoma")
        return "Liberation Sans";
    if (lower == "courier new")
        return "Liberation Mono";
    if (lower == "arial unicode ms")
        return "DejaVu Sans";
    return faceName;
}

TextFont* CreateTextFont(const std::string& faceName, int charHeight, bool bold, bool italic,
                         bool underline)
{
    auto* font = new TextFont();
    font->mFaceName = faceName;
    font->mCharHeight = charHeight;
    font->mBold = bold;
    font->mItalic = italic;
    font->mUnderline = underline;

    std::lock_guard<std::mutex> guard(gLibraryLock);
    FT_Library lib = Library();
    static bool sConfigured = false;
    if (!sConfigured) {
        if (lib == nullptr || !FcInit())
            return font;
        sConfigured = true;
        std::atexit([] { FcFini(); }); // frees the configuration the lookups keep
    }

    const std::string family = TextFaceFor(faceName);
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (match == nullptr)
        return font;

    FcChar8* file = nullptr;
    int index = 0;
    int weight = FC_WEIGHT_REGULAR;
    int slant = FC_SLANT_ROMAN;
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
    FcPatternGetInteger(match, FC_SLANT, 0, &slant);
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch &&
        FT_New_Face(lib, reinterpret_cast<const char*>(file), index, &font->mFace) != 0)
        font->mFace = nullptr;
    FcPatternDestroy(match);
    if (font->mFace == nullptr)
        return font;

    font->mEmbolden = bold && weight < FC_WEIGHT_DEMIBOLD;
    font->mSlant = italic && slant == FC_SLANT_ROMAN;
    if (charHeight > 0 && FT_Set_Pixel_Sizes(font->mFace, 0, static_cast<FT_UInt>(charHeight)) == 0) {
        const FT_Size_Metrics& m = font->mFace->size->metrics;
        font->mMetrics.mAscent = Ceil26_6(m.ascender);
        font->mMetrics.mHeight = font->mMetrics.mAscent + Ceil26_6(-m.descender);
        const FT_Fixed scale = m.y_scale;
        font->mUnderlinePos =
            std::max(1, static_cast<int>(std::lround(-FT_MulFix(font->mFace->underline_position, scale) / 64.0)));
        font->mUnderlineThickness = std::max(
            1, static_cast<int>(std::lround(FT_MulFix(font->mFace->underline_thickness, scale) / 64.0)));
    }
    return font;
}

void DestroyTextFont(TextFont* font)
{
    if (font == nullptr)
        return;
    if (font->mFace != nullptr) {
        std::lock_guard<std::mutex> guard(gLibraryLock);
        FT_Done_Face(font->mFace);
    }
    delete font;
}

void GetTextFontDesc(const TextFont* font, std::string* faceName, int* charHeight, bool* bold,
                     bool* italic, bool* underline)
{
    *faceName = font->mFaceName;
    *charHeight = font->mCharHeight;
    *bold = font->mBold;
    *italic = font->mItalic;
    *underline = font->mUnderline;
}

bool TextFontIsValid(const TextFont* font)
{
    return font != nullptr && font->mFace != nullptr;
}

TextFontMetrics GetTextFontMetrics(const TextFont* font)
{
    return font->mMetrics;
}

namespace {
uint32_t NarrowChar(char c)
{
    return Cp1252ToUnicode(static_cast<uint8_t>(c));
}
uint32_t WideChar(wchar_t c)
{
    return static_cast<uint32_t>(c);
}
} // namespace

int MeasureText(TextFont* font, const char* text, size_t length)
{
    return font->Measure(text, length, NarrowChar);
}

int MeasureTextW(TextFont* font, const wchar_t* text, size_t length)
{
    return font->Measure(text, length, WideChar);
}

void RenderText(TextFont* font, const char* text, size_t length, uint8_t* coverage, int width,
                int height, int x, int y)
{
    font->Render(text, length, NarrowChar, coverage, width, height, x, y);
}

void RenderTextW(TextFont* font, const wchar_t* text, size_t length, uint8_t* coverage,
                 int width, int height, int x, int y)
{
    font->Render(text, length, WideChar, coverage, width, height, x, y);
}

} // namespace plat
