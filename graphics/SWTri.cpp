// Software textured-triangle rasterizer: strip set-up, polygon clipping, fixed-point
// conversion, the filler table and the textured, blended, colour-modulated span fillers.
#include "graphics/SWTri.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

#include "graphics/MemoryImage.h"

namespace Quor {

namespace {

// Program-wide and unlocked: drawing runs on the main thread.
SWTriangleFiller gFillers[SWTRI_FILLER_COUNT] = {};

int FormatGroup(int pixelFormat)
{
    switch (pixelFormat) {
    case SWTRI_FORMAT_888: return 32;
    case SWTRI_FORMAT_565: return 64;
    case SWTRI_FORMAT_555: return 96;
    default: return 0;
    }
}

// A clip vertex: the input vertex with its colour split into four channels.
struct ClipVertex {
    float x, y, u, v;
    int a, r, g, b;
};

// Largest polygon a triangle can become after four half-plane clips (one more vertex per edge).
constexpr int kMaxClipVertices = 8;

enum class Edge { Left, Right, Top, Bottom };

bool Inside(const ClipVertex& p, Edge edge, float limit)
{
    switch (edge) {
    case Edge::Left: return p.x >= limit;
    case Edge::Right: return p.x <= limit;
    case Edge::Top: return p.y >= limit;
    case Edge::Bottom: return p.y <= limit;
    }
    return false;
}

// The point where the segment from the outside vertex to the inside one crosses the edge.
ClipVertex Crossing(const ClipVertex& out, const ClipVertex& in, Edge edge, float limit)
{
    bool vertical = edge == Edge::Left || edge == Edge::Right;
    float outC = vertical ? out.x : out.y;
    float inC = vertical ? in.x : in.y;
    float t = (limit - outC) / (inC - outC);
    // A crossing lies between its two vertices; infinite or NaN coordinates give none.
    if (!(t >= 0.0f))
        t = 0.0f;
    else if (t > 1.0f)
        t = 1.0f;
    ClipVertex c;
    c.x = out.x + t * (in.x - out.x);
    c.y = out.y + t * (in.y - out.y);
    c.u = out.u + t * (in.u - out.u);
    c.v = out.v + t * (in.v - out.v);
    c.a = out.a + static_cast<int>(t * static_cast<float>(in.a - out.a));
    c.r = out.r + static_cast<int>(t * static_cast<float>(in.r - out.r));
    c.g = out.g + static_cast<int>(t * static_cast<float>(in.g - out.g));
    c.b = out.b + static_cast<int>(t * static_cast<float>(in.b - out.b));
    if (vertical)
        c.x = limit;
    else
        c.y = limit;
    return c;
}

// Clips the polygon in src against one edge into dst; returns the new vertex count.
int ClipEdge(const ClipVertex* src, int n, ClipVertex* dst, Edge edge, float limit)
{
    int out = 0;
    for (int i = 0; i < n; ++i) {
        const ClipVertex& cur = src[i];
        const ClipVertex& next = src[(i + 1) % n];
        bool curIn = Inside(cur, edge, limit);
        bool nextIn = Inside(next, edge, limit);
        if (curIn && out < kMaxClipVertices)
            dst[out++] = cur;
        if (curIn != nextIn && out < kMaxClipVertices)
            dst[out++] = curIn ? Crossing(next, cur, edge, limit) : Crossing(cur, next, edge, limit);
    }
    return out;
}

// A value already scaled to 16.16, truncated, kept inside [lo, hi]; NaN gives lo.
int ToFixed(double d, double lo, double hi)
{
    if (!(d >= lo))
        return static_cast<int>(lo);
    if (d > hi)
        return static_cast<int>(hi);
    return static_cast<int>(d);
}

constexpr double kFixedLimit = 1073741824.0;

inline int Ceil16(int v)
{
    return static_cast<int>((static_cast<int64_t>(v) + 0xFFFF) >> 16);
}

// x of the edge from p to q (p above q) at the row whose 16.16 y is yf.
struct EdgeWalk {
    int64_t x0 = 0, y0 = 0, step = 0;
    void Set(const SWVertex* p, const SWVertex* q)
    {
        x0 = p->x;
        y0 = p->y;
        int64_t dy = static_cast<int64_t>(q->y) - p->y;
        step = dy > 0 ? ((static_cast<int64_t>(q->x) - p->x) * 65536) / dy : 0;
    }
    int64_t At(int64_t yf) const { return x0 + (((yf - y0) * step) >> 16); }
};

inline int Ceil16(int64_t v)
{
    return static_cast<int>((v + 0xFFFF) >> 16);
}

struct Source {
    int a, r, g, b;
};

// The source's colour as an opaque 32-bit pixel.
inline uint32_t Opaque(const Source& s)
{
    return 0xFF000000u | (static_cast<uint32_t>(s.r) << 16) | (static_cast<uint32_t>(s.g) << 8) |
           static_cast<uint32_t>(s.b);
}

// Pixel formats: how a source pixel of alpha a (9..255 after modulation) lands.
struct Blend8888 {
    using Pixel = uint32_t;
    static void Put(Pixel* p, const Source& s)
    {
        if (s.a >= 240) {
            *p = Opaque(s);
            return;
        }
        uint32_t d = *p;
        int da = static_cast<int>(d >> 24);
        int na = 256 - (((256 - da) * (256 - s.a)) >> 8);
        if (na <= 0)
            return; // nothing under nothing: the division would be by zero
        int ia = 256 - s.a;
        int r, g, b;
        if (na == 256) {
            // Over an opaque pixel the division is by 256: the same result as a shift.
            auto ch = [&](int dc, int sc) { return std::min(255, (((dc * da) >> 8) * ia + sc * s.a) >> 8); };
            r = ch(static_cast<int>((d >> 16) & 0xFF), s.r);
            g = ch(static_cast<int>((d >> 8) & 0xFF), s.g);
            b = ch(static_cast<int>(d & 0xFF), s.b);
        } else {
            auto ch = [&](int dc, int sc) { return std::min(255, (((dc * da) >> 8) * ia + sc * s.a) / na); };
            r = ch(static_cast<int>((d >> 16) & 0xFF), s.r);
            g = ch(static_cast<int>((d >> 8) & 0xFF), s.g);
            b = ch(static_cast<int>(d & 0xFF), s.b);
        }
        *p = (static_cast<uint32_t>(na - 1) << 24) | (static_cast<uint32_t>(r) << 16) |
             (static_cast<uint32_t>(g) << 8) | static_cast<uint32_t>(b);
    }
};

struct Blend888 {
    using Pixel = uint32_t;
    static void Put(Pixel* p, const Source& s)
    {
        if (s.a >= 240) {
            *p = Opaque(s);
            return;
        }
        uint32_t d = *p;
        int ia = 255 - s.a;
        int r = ((static_cast<int>((d >> 16) & 0xFF) * ia) >> 8) + ((s.r * s.a) >> 8);
        int g = ((static_cast<int>((d >> 8) & 0xFF) * ia) >> 8) + ((s.g * s.a) >> 8);
        int b = ((static_cast<int>(d & 0xFF) * ia) >> 8) + ((s.b * s.a) >> 8);
        *p = 0xFF000000u | (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) |
             static_cast<uint32_t>(b);
    }
};

// 16-bit formats: the destination fields are weighted by ((255 - a) >> 3) / 32, the source
// channels by a / 256, then reduced to the field widths.
template <int GreenBits>
struct Blend16 {
    using Pixel = uint16_t;
    static constexpr int kRedShift = 5 + GreenBits;
    static constexpr int kGreenMask = (1 << GreenBits) - 1;
    static void Put(Pixel* p, const Source& s)
    {
        if (s.a >= 240) {
            *p = static_cast<uint16_t>(((s.r >> 3) << kRedShift) |
                                       ((s.g >> (8 - GreenBits)) << 5) | (s.b >> 3));
            return;
        }
        int d = *p;
        int w = (255 - s.a) >> 3;
        int r = ((((d >> kRedShift) & 31) * w) >> 5) + (((s.r * s.a) >> 8) >> 3);
        int g = ((((d >> 5) & kGreenMask) * w) >> 5) + (((s.g * s.a) >> 8) >> (8 - GreenBits));
        int b = (((d & 31) * w) >> 5) + (((s.b * s.a) >> 8) >> 3);
        r = std::min(r, 31);
        g = std::min(g, kGreenMask);
        b = std::min(b, 31);
        *p = static_cast<uint16_t>((r << kRedShift) | (g << 5) | b);
    }
};

// Textured, blended, colour-modulated triangle; rows and columns sample at integer
// coordinates, top and left edges inclusive, bottom and right edges exclusive.
template <class Blend>
void FillTriangle(const SWVertex* v0, const SWVertex* v1, const SWVertex* v2, void* pixels,
                  int pitch, const SWTextureInfo* tex, const SWColor* color)
{
    using Pixel = typename Blend::Pixel;
    if (v1->y < v0->y)
        std::swap(v0, v1);
    if (v2->y < v1->y)
        std::swap(v1, v2);
    if (v1->y < v0->y)
        std::swap(v0, v1);

    int yStart = Ceil16(v0->y);
    int yMid = Ceil16(v1->y);
    int yEnd = Ceil16(v2->y);
    if (yStart == yEnd)
        return;

    int64_t dx1 = static_cast<int64_t>(v1->x) - v0->x;
    int64_t dy1 = static_cast<int64_t>(v1->y) - v0->y;
    int64_t dx2 = static_cast<int64_t>(v2->x) - v0->x;
    int64_t dy2 = static_cast<int64_t>(v2->y) - v0->y;
    int64_t area = dx1 * dy2 - dx2 * dy1;
    if (area == 0)
        return;

    // Per-column and per-row gradients of u and v in 16.16 texels per pixel.
    double scale = 65536.0 / static_cast<double>(area);
    double du1 = static_cast<double>(v1->u) - v0->u, du2 = static_cast<double>(v2->u) - v0->u;
    double dv1 = static_cast<double>(v1->v) - v0->v, dv2 = static_cast<double>(v2->v) - v0->v;
    auto fx = [](double d) { return static_cast<int64_t>(std::clamp(d, -1e15, 1e15)); };
    int64_t dudx = fx((du1 * dy2 - du2 * dy1) * scale);
    int64_t dvdx = fx((dv1 * dy2 - dv2 * dy1) * scale);
    int64_t dudy = fx((du2 * dx1 - du1 * dx2) * scale);
    int64_t dvdy = fx((dv2 * dx1 - dv1 * dx2) * scale);

    // With the middle vertex right of the long edge, the long edge is the left one.
    bool longLeft = area > 0;
    EdgeWalk longEdge, upper, lower;
    longEdge.Set(v0, v2);
    upper.Set(v0, v1);
    lower.Set(v1, v2);

    const uint32_t* texels = tex->pixels;
    const uint64_t size = static_cast<uint64_t>(tex->size);
    const int64_t width = tex->width;
    const int cr = color->r, cg = color->g, cb = color->b, ca = color->a;

    for (int y = yStart; y < yEnd; ++y) {
        int64_t yf = static_cast<int64_t>(y) * 65536;
        int64_t xa = longEdge.At(yf);
        int64_t xb = y < yMid ? upper.At(yf) : lower.At(yf);
        int64_t xl = longLeft ? xa : xb;
        int64_t xr = longLeft ? xb : xa;
        int x0 = Ceil16(xl);
        int x1 = Ceil16(xr);
        if (x0 >= x1)
            continue;
        int64_t ox = static_cast<int64_t>(x0) * 65536 - v0->x;
        int64_t oy = yf - v0->y;
        int64_t u = v0->u + ((ox * dudx) >> 16) + ((oy * dudy) >> 16);
        int64_t v = v0->v + ((ox * dvdx) >> 16) + ((oy * dvdy) >> 16);
        Pixel* p = reinterpret_cast<Pixel*>(static_cast<uint8_t*>(pixels) +
                                            static_cast<ptrdiff_t>(y) * pitch) + x0;
        for (int x = x0; x < x1; ++x, ++p, u += dudx, v += dvdx) {
            int64_t index = (v >> 16) * width + (u >> 16);
            uint32_t texel = static_cast<uint64_t>(index) < size ? texels[index] : 0;
            int ta = static_cast<int>(texel >> 24);
            if (ta <= 8)
                continue;
            Source s;
            s.r = (static_cast<int>((texel >> 16) & 0xFF) * cr) >> 8;
            s.g = (static_cast<int>((texel >> 8) & 0xFF) * cg) >> 8;
            s.b = (static_cast<int>(texel & 0xFF) * cb) >> 8;
            s.a = (ca * ta) >> 8;
            Blend::Put(p, s);
        }
    }
}

} // namespace

void SetTriangleSpanFiller(int pixelFormat, SWTriangleFiller filler)
{
    gFillers[FormatGroup(pixelFormat) + SWTRI_OPT_TEXTURED + SWTRI_OPT_BLEND +
             SWTRI_OPT_COLORMOD] = filler;
}

void ClearTriangleSpanFillers()
{
    std::fill(std::begin(gFillers), std::end(gFillers), nullptr);
}

SWTriangleFiller GetTriangleSpanFiller(int index)
{
    return index >= 0 && index < SWTRI_FILLER_COUNT ? gFillers[index] : nullptr;
}

int TriangleFillerIndex(int pixelFormat, int options)
{
    return FormatGroup(pixelFormat) + (options & 31);
}

void SWTri_DrawTriangle8888(const SWVertex* v0, const SWVertex* v1, const SWVertex* v2,
                            void* pixels, int pitch, const SWTextureInfo* texture,
                            const SWColor* color)
{
    FillTriangle<Blend8888>(v0, v1, v2, pixels, pitch, texture, color);
}

void SWTri_DrawTriangle888(const SWVertex* v0, const SWVertex* v1, const SWVertex* v2,
                           void* pixels, int pitch, const SWTextureInfo* texture,
                           const SWColor* color)
{
    FillTriangle<Blend888>(v0, v1, v2, pixels, pitch, texture, color);
}

void SWTri_DrawTriangle565(const SWVertex* v0, const SWVertex* v1, const SWVertex* v2,
                           void* pixels, int pitch, const SWTextureInfo* texture,
                           const SWColor* color)
{
    FillTriangle<Blend16<6>>(v0, v1, v2, pixels, pitch, texture, color);
}

void SWTri_DrawTriangle555(const SWVertex* v0, const SWVertex* v1, const SWVertex* v2,
                           void* pixels, int pitch, const SWTextureInfo* texture,
                           const SWColor* color)
{
    FillTriangle<Blend16<5>>(v0, v1, v2, pixels, pitch, texture, color);
}

void SWTri_RegisterFillers()
{
    SetTriangleSpanFiller(SWTRI_FORMAT_8888, SWTri_DrawTriangle8888);
    SetTriangleSpanFiller(SWTRI_FORMAT_888, SWTri_DrawTriangle888);
    SetTriangleSpanFiller(SWTRI_FORMAT_565, SWTri_DrawTriangle565);
    SetTriangleSpanFiller(SWTRI_FORMAT_555, SWTri_DrawTriangle555);
}

void TriangleRasterizer(const TriVertex* vertices, int count, MemoryImage* texture,
                        void* pixels, int pitch, int pixelFormat, const Rect& clip,
                        const Color& color, bool smooth, bool vertexColors)
{
    if (vertices == nullptr || count < 3 || pixels == nullptr)
        return;

    SWTextureInfo tex = {};
    int options = 0;
    if (texture != nullptr) {
        options |= SWTRI_OPT_TEXTURED;
        texture->RescanAlphaFlags();
        if (texture->mHasAlpha || texture->mHasTrans || smooth)
            options |= SWTRI_OPT_BLEND;
        int w = std::max(texture->GetWidth(), 0);
        int h = std::max(texture->GetHeight(), 0);
        tex.pixels = texture->GetBits();
        tex.width = w;
        tex.height = h;
        tex.size = tex.pixels != nullptr ? w * h : 0;
        tex.vShift = w > 0 ? 16 - static_cast<int>(std::floor(std::log2(w))) : 16;
        tex.uMax = (w - 1) * 65536;
        tex.vMax = (h - 1) * 65536;
    }
    if (vertexColors)
        options |= SWTRI_OPT_VERTEXCOLOR;
    if (!color.IsWhite())
        options |= SWTRI_OPT_COLORMOD;
    if (smooth)
        options |= SWTRI_OPT_SMOOTH;
    SWTriangleFiller filler = gFillers[TriangleFillerIndex(pixelFormat, options)];
    if (filler == nullptr || clip.mWidth <= 0 || clip.mHeight <= 0)
        return;

    // Components outside 0..255 would spill into the neighbouring channel.
    auto channel = [](int v) { return std::clamp(v, 0, 255); };
    SWColor swColor = {channel(color.mAlpha), channel(color.mRed), channel(color.mGreen),
                       channel(color.mBlue)};
    const float left = static_cast<float>(clip.mX);
    const float right = static_cast<float>(clip.mX + clip.mWidth - 1);
    const float top = static_cast<float>(clip.mY);
    const float bottom = static_cast<float>(clip.mY + clip.mHeight - 1);
    const double loX = static_cast<double>(clip.mX) * 65536.0;
    const double hiX = static_cast<double>(clip.mX + clip.mWidth - 1) * 65536.0;
    const double loY = static_cast<double>(clip.mY) * 65536.0;
    const double hiY = static_cast<double>(clip.mY + clip.mHeight - 1) * 65536.0;
    const double texW = static_cast<double>(tex.width);
    const double texH = static_cast<double>(tex.height);

    // The clip vertices live on this call's stack, so concurrent calls cannot disturb them.
    ClipVertex bufA[kMaxClipVertices];
    ClipVertex bufB[kMaxClipVertices];
    SWVertex fixed[kMaxClipVertices];

    for (int k = 3; k <= count; ++k) {
        int i0 = k - 3, i1 = k - 2, i2 = k - 1;
        if ((k - 3) % 2 == 1)
            std::swap(i1, i2);
        const TriVertex* tri[3] = {&vertices[i0], &vertices[i1], &vertices[i2]};
        for (int j = 0; j < 3; ++j) {
            uint32_t c = tri[j]->color;
            bufA[j] = {tri[j]->x,
                       tri[j]->y,
                       tri[j]->u,
                       tri[j]->v,
                       static_cast<int>(c >> 24),
                       static_cast<int>((c >> 16) & 0xFF),
                       static_cast<int>((c >> 8) & 0xFF),
                       static_cast<int>(c & 0xFF)};
        }
        int n = ClipEdge(bufA, 3, bufB, Edge::Left, left);
        if (n < 3)
            continue;
        n = ClipEdge(bufB, n, bufA, Edge::Right, right);
        if (n < 3)
            continue;
        n = ClipEdge(bufA, n, bufB, Edge::Top, top);
        if (n < 3)
            continue;
        n = ClipEdge(bufB, n, bufA, Edge::Bottom, bottom);
        if (n < 3)
            continue;

        for (int j = 0; j < n; ++j) {
            const ClipVertex& cv = bufA[j];
            SWVertex& fv = fixed[j];
            fv = {};
            fv.x = ToFixed(static_cast<double>(cv.x) * 65536.0, loX, hiX);
            fv.y = ToFixed(static_cast<double>(cv.y) * 65536.0, loY, hiY);
            if (vertexColors) {
                fv.a = cv.a << 16;
                fv.r = cv.r << 16;
                fv.g = cv.g << 16;
                fv.b = cv.b << 16;
            }
            if (texture != nullptr) {
                fv.u = ToFixed(static_cast<double>(cv.u) * texW * 65536.0, -kFixedLimit,
                               kFixedLimit);
                fv.v = ToFixed(static_cast<double>(cv.v) * texH * 65536.0, -kFixedLimit,
                               kFixedLimit);
            }
        }
        for (int j = 1; j + 1 < n; ++j)
            filler(&fixed[0], &fixed[j], &fixed[j + 1], pixels, pitch, &tex, &swColor);
    }
}

} // namespace Quor
