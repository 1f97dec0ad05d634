// Software textured-triangle rasterizer: strip set-up, polygon clipping, fixed-point
// conversion, the filler table and the textured, blended, colour-modulated span fillers, which
// take the spans of 32-bit destinations several pixels at a time.
#include "graphics/SWTri.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <utility>

#include "graphics/MemoryImage.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__SSE2__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define QUOR_SWTRI_AVX2 1
#endif

namespace Quor {

namespace {

// Program-wide and unlocked: drawing runs on the main thread.
SWTriangleFiller gFillers[SWTRI_FILLER_COUNT] = {};
std::atomic<bool> gWideSpans{true};

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

#if defined(__SSE2__)
// Four texels as the 32-bit blends take them: modulated by the draw colour, with lane masks of
// the pixels drawn (texel alpha above 8) and of those written whole (modulated alpha 240 up).
struct Texels4 {
    __m128i source;      // modulated ARGB
    __m128i lo, hi;      // the same as 16-bit channels, pixels 0-1 and 2-3
    __m128i alpha;       // modulated alpha per pixel
    __m128i drawn, opaque;
};

// Channels (t * c) >> 8, as the per-pixel loop computes them.
inline void Modulate(Texels4& out, const uint32_t t[4], __m128i colorWords)
{
    const __m128i zero = _mm_setzero_si128();
    // Built in registers: four narrow stores read back as one wide load would stall.
    const __m128i tv = _mm_unpacklo_epi64(
        _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(t[0])), _mm_cvtsi32_si128(static_cast<int>(t[1]))),
        _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(t[2])), _mm_cvtsi32_si128(static_cast<int>(t[3]))));
    out.drawn = _mm_cmpgt_epi32(_mm_srli_epi32(tv, 24), _mm_set1_epi32(8));
    out.lo = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(tv, zero), colorWords), 8);
    out.hi = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(tv, zero), colorWords), 8);
    out.source = _mm_packus_epi16(out.lo, out.hi);
    out.alpha = _mm_srli_epi32(out.source, 24);
    out.opaque = _mm_and_si128(out.drawn, _mm_cmpgt_epi32(out.alpha, _mm_set1_epi32(239)));
}
#endif

#if defined(QUOR_SWTRI_AVX2)
// Eight texels as Texels4 holds four; 16-bit channels per 128-bit half (pixels 0-1 and 4-5 in
// lo, 2-3 and 6-7 in hi), as the AVX2 unpacks give them.
struct Texels8 {
    __m256i source, lo, hi, alpha, drawn, opaque;
};

__attribute__((target("avx2"))) inline void Modulate8(Texels8& out, __m256i tv, __m256i colorWords)
{
    const __m256i zero = _mm256_setzero_si256();
    out.drawn = _mm256_cmpgt_epi32(_mm256_srli_epi32(tv, 24), _mm256_set1_epi32(8));
    out.lo = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(tv, zero), colorWords), 8);
    out.hi = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(tv, zero), colorWords), 8);
    out.source = _mm256_packus_epi16(out.lo, out.hi);
    out.alpha = _mm256_srli_epi32(out.source, 24);
    out.opaque = _mm256_and_si256(out.drawn, _mm256_cmpgt_epi32(out.alpha, _mm256_set1_epi32(239)));
}

// Eight pixels read and written, only the lanes of the mask touched when it is not full.
__attribute__((target("avx2"))) inline __m256i LoadLanes(const uint32_t* p, __m256i valid)
{
    if (_mm256_movemask_epi8(valid) == -1)
        return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    return _mm256_maskload_epi32(reinterpret_cast<const int*>(p), valid);
}

__attribute__((target("avx2"))) inline void StoreLanes(uint32_t* p, __m256i value, __m256i valid)
{
    if (_mm256_movemask_epi8(valid) == -1)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), value);
    else
        _mm256_maskstore_epi32(reinterpret_cast<int*>(p), valid, value);
}
#endif

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
#if defined(__SSE2__)
    static constexpr bool kGroups = true;
    // Four pixels at once, exactly as Put gives them, when every pixel drawn is either written
    // whole or blended over an opaque pixel with an alpha of at least 1; otherwise false with
    // nothing written.
    static bool Group4(Pixel* p, const Texels4& t)
    {
        const __m128i zero = _mm_setzero_si128();
        const __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i blend = _mm_andnot_si128(t.opaque, t.drawn);
        if (_mm_movemask_epi8(blend) != 0) {
            // Over an opaque pixel the new alpha is 256 (stored 255) for any source alpha of 1
            // or more, and the division by it is a shift.
            const __m128i ok = _mm_and_si128(_mm_cmpeq_epi32(_mm_srli_epi32(dv, 24), _mm_set1_epi32(255)),
                                             _mm_cmpgt_epi32(t.alpha, zero));
            if (_mm_movemask_epi8(_mm_andnot_si128(ok, blend)) != 0)
                return false;
        }
        // Channels c of destination and source: min(255, (((d * 255) >> 8) * (256 - a) + s * a) >> 8).
        // With x = (d * 255) >> 8 = d - (d > 0): (x * (256 - a) + s * a) >> 8 = x + floor((s - x) * a / 256),
        // the high word of (2 * (s - x)) * (128 * a).
        auto half = [&](__m128i d16, __m128i s16) {
            __m128i x = _mm_subs_epu16(d16, _mm_set1_epi16(1));
            __m128i a = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s16, 0xFF), 0xFF);
            __m128i part = _mm_mulhi_epi16(_mm_slli_epi16(_mm_sub_epi16(s16, x), 1), _mm_slli_epi16(a, 7));
            return _mm_min_epi16(_mm_add_epi16(x, part), _mm_set1_epi16(255));
        };
        const __m128i mixed = _mm_packus_epi16(half(_mm_unpacklo_epi8(dv, zero), t.lo),
                                               half(_mm_unpackhi_epi8(dv, zero), t.hi));
        const __m128i opaqueBits = _mm_set1_epi32(static_cast<int>(0xFF000000u));
        __m128i out = _mm_or_si128(_mm_and_si128(t.opaque, t.source), _mm_and_si128(blend, mixed));
        out = _mm_or_si128(_mm_and_si128(t.drawn, _mm_or_si128(out, opaqueBits)), _mm_andnot_si128(t.drawn, dv));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), out);
        return true;
    }
#endif
#if defined(QUOR_SWTRI_AVX2)
    // Group4 for the eight pixels from p, of which only the valid lanes are read and written.
    __attribute__((target("avx2"))) static bool Group8(Pixel* p, const Texels8& t, __m256i valid)
    {
        const __m256i zero = _mm256_setzero_si256();
        const __m256i dv = LoadLanes(p, valid);
        const __m256i blend = _mm256_andnot_si256(t.opaque, t.drawn);
        if (!_mm256_testz_si256(blend, blend)) {
            const __m256i ok = _mm256_and_si256(
                _mm256_cmpeq_epi32(_mm256_srli_epi32(dv, 24), _mm256_set1_epi32(255)),
                _mm256_cmpgt_epi32(t.alpha, zero));
            if (!_mm256_testc_si256(ok, blend))
                return false;
        }
        const __m256i mixed = _mm256_packus_epi16(OverOpaque8(_mm256_unpacklo_epi8(dv, zero), t.lo),
                                                  OverOpaque8(_mm256_unpackhi_epi8(dv, zero), t.hi));
        const __m256i opaqueBits = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
        __m256i out = _mm256_or_si256(_mm256_and_si256(t.opaque, t.source), _mm256_and_si256(blend, mixed));
        out = _mm256_blendv_epi8(dv, _mm256_or_si256(out, opaqueBits), t.drawn);
        StoreLanes(p, out, valid);
        return true;
    }
    // Destination and source channels c: min(255, (((d * 255) >> 8) * (256 - a) + s * a) >> 8),
    // worked as in Group4.
    __attribute__((target("avx2"))) static __m256i OverOpaque8(__m256i d16, __m256i s16)
    {
        __m256i x = _mm256_subs_epu16(d16, _mm256_set1_epi16(1));
        __m256i a = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(s16, 0xFF), 0xFF);
        __m256i part = _mm256_mulhi_epi16(_mm256_slli_epi16(_mm256_sub_epi16(s16, x), 1), _mm256_slli_epi16(a, 7));
        return _mm256_min_epi16(_mm256_add_epi16(x, part), _mm256_set1_epi16(255));
    }
#endif
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
#if defined(__SSE2__)
    static constexpr bool kGroups = true;
    // Four pixels at once, exactly as Put gives them.
    static bool Group4(Pixel* p, const Texels4& t)
    {
        const __m128i zero = _mm_setzero_si128();
        const __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        // Each channel ((d * (255 - a)) >> 8) + ((s * a) >> 8); the sum stays below 256.
        auto half = [&](__m128i d16, __m128i s16) {
            __m128i a = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s16, 0xFF), 0xFF);
            __m128i ia = _mm_sub_epi16(_mm_set1_epi16(255), a);
            return _mm_add_epi16(_mm_srli_epi16(_mm_mullo_epi16(d16, ia), 8),
                                 _mm_srli_epi16(_mm_mullo_epi16(s16, a), 8));
        };
        const __m128i mixed = _mm_packus_epi16(half(_mm_unpacklo_epi8(dv, zero), t.lo),
                                               half(_mm_unpackhi_epi8(dv, zero), t.hi));
        const __m128i blend = _mm_andnot_si128(t.opaque, t.drawn);
        __m128i out = _mm_or_si128(_mm_and_si128(t.opaque, t.source), _mm_and_si128(blend, mixed));
        out = _mm_or_si128(out, _mm_set1_epi32(static_cast<int>(0xFF000000u)));
        out = _mm_or_si128(_mm_and_si128(t.drawn, out), _mm_andnot_si128(t.drawn, dv));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), out);
        return true;
    }
#endif
#if defined(QUOR_SWTRI_AVX2)
    // Group4 for the eight pixels from p, of which only the valid lanes are read and written.
    __attribute__((target("avx2"))) static bool Group8(Pixel* p, const Texels8& t, __m256i valid)
    {
        const __m256i zero = _mm256_setzero_si256();
        const __m256i dv = LoadLanes(p, valid);
        const __m256i mixed = _mm256_packus_epi16(Mix8(_mm256_unpacklo_epi8(dv, zero), t.lo),
                                                  Mix8(_mm256_unpackhi_epi8(dv, zero), t.hi));
        const __m256i blend = _mm256_andnot_si256(t.opaque, t.drawn);
        __m256i out = _mm256_or_si256(_mm256_and_si256(t.opaque, t.source), _mm256_and_si256(blend, mixed));
        out = _mm256_or_si256(out, _mm256_set1_epi32(static_cast<int>(0xFF000000u)));
        StoreLanes(p, _mm256_blendv_epi8(dv, out, t.drawn), valid);
        return true;
    }
    // Each channel ((d * (255 - a)) >> 8) + ((s * a) >> 8).
    __attribute__((target("avx2"))) static __m256i Mix8(__m256i d16, __m256i s16)
    {
        __m256i a = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(s16, 0xFF), 0xFF);
        __m256i ia = _mm256_sub_epi16(_mm256_set1_epi16(255), a);
        return _mm256_add_epi16(_mm256_srli_epi16(_mm256_mullo_epi16(d16, ia), 8),
                                _mm256_srli_epi16(_mm256_mullo_epi16(s16, a), 8));
    }
#endif
};

// 16-bit formats: the destination fields are weighted by ((255 - a) >> 3) / 32, the source
// channels by a / 256, then reduced to the field widths.
template <int GreenBits>
struct Blend16 {
    using Pixel = uint16_t;
    static constexpr bool kGroups = false;
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

// One texel modulated by the colour and put down; texel alphas up to 8 draw nothing.
template <class Blend>
inline void PutTexel(typename Blend::Pixel* p, uint32_t t, const SWColor& c)
{
    int ta = static_cast<int>(t >> 24);
    if (ta <= 8)
        return;
    Source s;
    s.r = (static_cast<int>((t >> 16) & 0xFF) * c.r) >> 8;
    s.g = (static_cast<int>((t >> 8) & 0xFF) * c.g) >> 8;
    s.b = (static_cast<int>(t & 0xFF) * c.b) >> 8;
    s.a = (c.a * ta) >> 8;
    Blend::Put(p, s);
}

#if defined(QUOR_SWTRI_AVX2)
bool HasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

// True when the 16.16 texel coordinates of the n pixels from u, v, and the texel indices they
// give, all fit in 32 bits.
inline bool SpanFits32(int64_t u, int64_t v, int64_t dudx, int64_t dvdx, int n, int64_t width)
{
    constexpr int64_t kStepLimit = int64_t(1) << 40; // n below 2^20: the products stay in 64 bits
    if (n > (1 << 20) || dudx > kStepLimit || dudx < -kStepLimit || dvdx > kStepLimit || dvdx < -kStepLimit)
        return false;
    const int64_t uEnd = u + dudx * (n - 1);
    const int64_t vEnd = v + dvdx * (n - 1);
    auto fits = [](int64_t a) { return a >= INT32_MIN && a <= INT32_MAX; };
    if (!fits(u) || !fits(v) || !fits(uEnd) || !fits(vEnd))
        return false;
    const int64_t uq = std::max(std::abs(u >> 16), std::abs(uEnd >> 16));
    const int64_t vq = std::max(std::abs(v >> 16), std::abs(vEnd >> 16));
    return vq * width + uq <= INT32_MAX;
}

// The n pixels of a span whose coordinates pass SpanFits32, eight at a time, the last group
// masked to the pixels left. The texels are gathered by index, 0 outside the texture as the
// per-pixel loop reads them.
template <class Blend>
__attribute__((target("avx2"))) void SpanAvx2(uint32_t* p, int n, int64_t u, int64_t v, int64_t dudx,
                                             int64_t dvdx, const SWTextureInfo* tex, const SWColor* color)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i colorWords =
        _mm256_setr_epi16(static_cast<short>(color->b), static_cast<short>(color->g), static_cast<short>(color->r),
                          static_cast<short>(color->a), static_cast<short>(color->b), static_cast<short>(color->g),
                          static_cast<short>(color->r), static_cast<short>(color->a), static_cast<short>(color->b),
                          static_cast<short>(color->g), static_cast<short>(color->r), static_cast<short>(color->a),
                          static_cast<short>(color->b), static_cast<short>(color->g), static_cast<short>(color->r),
                          static_cast<short>(color->a));
    // Stepping in 32 bits wraps, but every value reached lies in range, so each is exact.
    auto low32 = [](int64_t a) { return static_cast<int>(static_cast<uint32_t>(static_cast<uint64_t>(a))); };
    const __m256i lane = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    __m256i uu = _mm256_add_epi32(_mm256_set1_epi32(low32(u)), _mm256_mullo_epi32(lane, _mm256_set1_epi32(low32(dudx))));
    __m256i vv = _mm256_add_epi32(_mm256_set1_epi32(low32(v)), _mm256_mullo_epi32(lane, _mm256_set1_epi32(low32(dvdx))));
    const __m256i uStep = _mm256_set1_epi32(low32(dudx * 8));
    const __m256i vStep = _mm256_set1_epi32(low32(dvdx * 8));
    const __m256i width = _mm256_set1_epi32(tex->width);
    const __m256i size = _mm256_set1_epi32(tex->size);
    const int* texels = reinterpret_cast<const int*>(tex->pixels);
    int done = 0;
    for (; done < n; done += 8, p += 8, uu = _mm256_add_epi32(uu, uStep), vv = _mm256_add_epi32(vv, vStep)) {
        const int left = n - done;
        // Lanes past the span's end are neither read nor written.
        const __m256i valid = left >= 8 ? _mm256_set1_epi32(-1) : _mm256_cmpgt_epi32(_mm256_set1_epi32(left), lane);
        const __m256i index =
            _mm256_add_epi32(_mm256_mullo_epi32(_mm256_srai_epi32(vv, 16), width), _mm256_srai_epi32(uu, 16));
        const __m256i inside = _mm256_and_si256(
            valid, _mm256_andnot_si256(_mm256_cmpgt_epi32(zero, index), _mm256_cmpgt_epi32(size, index)));
        const __m256i tv = _mm256_mask_i32gather_epi32(zero, texels, index, inside, 4);
        Texels8 t;
        Modulate8(t, tv, colorWords);
        if (!Blend::Group8(p, t, valid)) {
            alignas(32) uint32_t one[8];
            _mm256_store_si256(reinterpret_cast<__m256i*>(one), tv);
            for (int k = 0; k < std::min(left, 8); ++k)
                PutTexel<Blend>(p + k, one[k], *color);
        }
    }
}
#endif

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
    // The texel at 16.16 texel coordinates u, v; 0 (never drawn) outside the texture.
    auto texel = [&](int64_t u, int64_t v) {
        int64_t index = (v >> 16) * width + (u >> 16);
        return static_cast<uint64_t>(index) < size ? texels[index] : 0u;
    };
    auto put = [&](Pixel* p, uint32_t t) { PutTexel<Blend>(p, t, *color); };
    [[maybe_unused]] const bool wide = gWideSpans.load(std::memory_order_relaxed);
#if defined(__SSE2__)
    const short cr = static_cast<short>(color->r), cg = static_cast<short>(color->g);
    const short cb = static_cast<short>(color->b), ca = static_cast<short>(color->a);
    const __m128i colorWords = _mm_set_epi16(ca, cr, cg, cb, ca, cr, cg, cb);
#endif

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
        int x = x0;
#if defined(QUOR_SWTRI_AVX2)
        if constexpr (Blend::kGroups) {
            if (x1 - x0 >= 8 && wide && HasAvx2() && SpanFits32(u, v, dudx, dvdx, x1 - x0, width)) {
                SpanAvx2<Blend>(p, x1 - x0, u, v, dudx, dvdx, tex, color);
                continue;
            }
        }
#endif
#if defined(__SSE2__)
        if constexpr (Blend::kGroups) {
            for (; wide && x + 4 <= x1; x += 4, p += 4) {
                uint32_t t[4];
                for (int k = 0; k < 4; ++k, u += dudx, v += dvdx)
                    t[k] = texel(u, v);
                if ((t[0] | t[1] | t[2] | t[3]) >> 24 == 0)
                    continue; // a clear stretch (texel alphas 0)
                Texels4 group;
                Modulate(group, t, colorWords);
                if (!Blend::Group4(p, group))
                    for (int k = 0; k < 4; ++k)
                        put(p + k, t[k]);
            }
        }
#endif
        for (; x < x1; ++x, ++p, u += dudx, v += dvdx)
            put(p, texel(u, v));
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

void SWTri_SetWideSpans(bool wide)
{
    gWideSpans.store(wide, std::memory_order_relaxed);
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
