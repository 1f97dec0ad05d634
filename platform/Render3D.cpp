// The 3-D device on SDL_Renderer: triangles through SDL_RenderGeometry, strips and fans turned
// into index lists, line strips as lines, the two blend modes, point or linear filtering per
// texture, and textures uploaded from their CPU copy when they are bound. A device on a surface
// draws into the surface's target texture on the renderer of its window (without a window, with
// SDL's software renderer straight into the surface's pixels); a device on a window draws into
// a target texture of the window's renderer. Only the main thread calls SDL:
// textures let go of on other threads are destroyed by the next device call on the main thread.
#include "platform/Render3D.h"

#include "platform/VideoShared.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace plat {

// ---------------------------------------------------------------------------------------------
// Formats, faults, switch

TexturePixelFormat TextureFormatDesc(uint32_t format)
{
    switch (format) {
    case kTexA8R8G8B8: return {kPfRGB | kPfAlphaPixels, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000};
    case kTexA4R4G4B4: return {kPfRGB | kPfAlphaPixels, 16, 0xF00, 0xF0, 0xF, 0xF000};
    case kTexR5G6B5: return {kPfRGB, 16, 0xF800, 0x7E0, 0x1F, 0};
    case kTexPalette8: return {kPfRGB | kPfPaletteIndexed8, 8, 0, 0, 0, 0};
    default: return {};
    }
}

uint32_t TextureFormatOf(const TexturePixelFormat& pf)
{
    for (uint32_t f : {kTexA8R8G8B8, kTexA4R4G4B4, kTexR5G6B5, kTexPalette8}) {
        if (TextureFormatDesc(f) == pf)
            return f;
    }
    return 0;
}

namespace {

std::mutex gFaultMutex;
int gFaults[static_cast<int>(Call3D::kCount)] = {};

uint32_t BytesPerPixel(uint32_t format)
{
    return format == kTexA8R8G8B8 ? 4 : format == kTexPalette8 ? 1 : 2;
}

} // namespace

void InjectFault3D(Call3D kind, int n)
{
    std::lock_guard lock(gFaultMutex);
    gFaults[static_cast<int>(kind)] = n < 0 ? 0 : n;
}

void ClearFaults3D()
{
    std::lock_guard lock(gFaultMutex);
    std::fill(std::begin(gFaults), std::end(gFaults), 0);
}

bool Fault3D(Call3D kind)
{
    std::lock_guard lock(gFaultMutex);
    int& n = gFaults[static_cast<int>(kind)];
    if (n <= 0)
        return false;
    return --n == 0;
}

bool Is3DDisabledByEnvironment()
{
    const char* v = std::getenv("QUOR_NO_3D");
    return v != nullptr && *v != 0 && std::strcmp(v, "0") != 0;
}

const char* Renderer3DName()
{
    return "software";
}

// ---------------------------------------------------------------------------------------------
// Palettes

HResult Palette3D::Create(const PaletteEntry entries[256], Palette3D** out)
{
    if (out == nullptr || entries == nullptr)
        return DDERR_INVALIDPARAMS;
    auto* p = new Palette3D();
    std::copy(entries, entries + 256, p->mEntries);
    *out = p;
    return DD_OK;
}

uint32_t Palette3D::AddRef()
{
    return ++mRefs;
}

uint32_t Palette3D::Release()
{
    uint32_t left = --mRefs;
    if (left == 0)
        delete this;
    return left;
}

HResult Palette3D::GetEntries(uint32_t start, uint32_t count, PaletteEntry* out) const
{
    if (out == nullptr || start > 256 || count > 256 - start)
        return DDERR_INVALIDPARAMS;
    std::copy(mEntries + start, mEntries + start + count, out);
    return DD_OK;
}

// ---------------------------------------------------------------------------------------------
// What a device shares with its textures

namespace {

struct Core {
    SDL_Renderer* renderer = nullptr;
    bool ownRenderer = false;
    std::shared_ptr<detail::WindowRenderer> windowRenderer; // kept alive while the device draws
    SDL_Surface* targetSurface = nullptr; // surface device in memory: the surface's pixels
    SDL_Texture* targetTexture = nullptr; // window device: what it draws into
    Surface* gpuSurface = nullptr;        // surface device on the window's renderer (not counted)
    SDL_Window* window = nullptr;
    std::mutex pendingMutex;
    std::vector<SDL_Texture*> pending; // textures let go of on other threads

    void DestroyPending()
    {
        std::vector<SDL_Texture*> list;
        {
            std::lock_guard lock(pendingMutex);
            list.swap(pending);
        }
        for (SDL_Texture* t : list)
            SDL_DestroyTexture(t);
    }

    ~Core()
    {
        DestroyPending();
        if (targetTexture != nullptr)
            SDL_DestroyTexture(targetTexture);
        if (renderer != nullptr && ownRenderer)
            SDL_DestroyRenderer(renderer);
        if (targetSurface != nullptr)
            SDL_FreeSurface(targetSurface);
        windowRenderer.reset(); // the textures above went first
    }
};

uint32_t SdlFormat(uint32_t format)
{
    switch (format) {
    case kTexA8R8G8B8: return SDL_PIXELFORMAT_ARGB8888;
    case kTexA4R4G4B4: return SDL_PIXELFORMAT_ARGB4444;
    case kTexR5G6B5: return SDL_PIXELFORMAT_RGB565;
    default: return SDL_PIXELFORMAT_UNKNOWN;
    }
}

} // namespace

struct TextureGpu {
    std::shared_ptr<Core> core;
    SDL_Texture* texture = nullptr;
    int scaleMode = -1;
};

// ---------------------------------------------------------------------------------------------
// Textures

HResult Texture3D::CreateMemory(uint32_t width, uint32_t height, uint32_t format, Texture3D** out)
{
    if (out == nullptr)
        return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (width == 0 || height == 0 || width > 16384 || height > 16384)
        return DDERR_INVALIDPARAMS;
    if (format != kTexA8R8G8B8 && format != kTexA4R4G4B4 && format != kTexR5G6B5 && format != kTexPalette8)
        return DDERR_INVALIDPIXELFORMAT;
    auto* t = new Texture3D();
    t->mWidth = width;
    t->mHeight = height;
    t->mFormat = format;
    t->mPitch = static_cast<int32_t>(width * BytesPerPixel(format));
    t->mPixels.assign(static_cast<size_t>(t->mPitch) * height, 0);
    *out = t;
    return DD_OK;
}

Texture3D::~Texture3D()
{
    if (mPalette != nullptr)
        mPalette->Release();
    if (mGpu && mGpu->texture != nullptr) {
        if (detail::OnMainThread()) {
            SDL_DestroyTexture(mGpu->texture);
        } else {
            std::lock_guard lock(mGpu->core->pendingMutex);
            mGpu->core->pending.push_back(mGpu->texture);
        }
    }
}

uint32_t Texture3D::AddRef()
{
    return ++mRefs;
}

uint32_t Texture3D::Release()
{
    uint32_t left = --mRefs;
    if (left == 0)
        delete this;
    return left;
}

HResult Texture3D::Lock(SurfaceDesc& desc, uint32_t flags)
{
    if (Fault3D(Call3D::LockTexture))
        return DDERR_SURFACELOST;
    if (mLocked)
        return DDERR_SURFACEBUSY;
    mLocked = true;
    mLockReadOnly = (flags & kLockReadOnly) != 0;
    desc = SurfaceDesc{};
    desc.flags = kDescWidth | kDescHeight | kDescPitch | kDescPixelFormat;
    desc.width = mWidth;
    desc.height = mHeight;
    desc.pitch = mPitch;
    desc.pixels = mPixels.data();
    const TexturePixelFormat pf = TextureFormatDesc(mFormat);
    desc.format = PixelFormat{pf.bitCount, pf.redMask, pf.greenMask, pf.blueMask};
    return DD_OK;
}

HResult Texture3D::Unlock()
{
    if (!mLocked)
        return DDERR_NOTLOCKED;
    mLocked = false;
    if (!mLockReadOnly)
        mDirty = true;
    if (Fault3D(Call3D::UnlockTexture))
        return DDERR_SURFACELOST;
    return DD_OK;
}

HResult Texture3D::SetPalette(Palette3D* palette)
{
    if (mFormat != kTexPalette8)
        return DDERR_NOTPALETTIZED;
    if (palette != nullptr)
        palette->AddRef();
    if (mPalette != nullptr)
        mPalette->Release();
    mPalette = palette;
    mDirty = true;
    return DD_OK;
}

// ---------------------------------------------------------------------------------------------
// The SDL device

struct RenderBinding {
    Core* core = nullptr;
};

struct Render3DAccess {
    static void Bind(Surface* s, RenderBinding* b) { s->mRender = b; }
    static SDL_Surface* Wrap(Surface* s)
    {
        const PixelFormat& f = s->mFormat;
        return SDL_CreateRGBSurfaceFrom(s->mPixels.data(), static_cast<int>(s->mWidth), static_cast<int>(s->mHeight),
                                        static_cast<int>(f.bitCount), s->mPitch, f.redMask, f.greenMask,
                                        f.blueMask, 0);
    }
    static uint32_t Caps(const Surface* s) { return s->mCaps; }
};

void Surface::FinishRendering()
{
    if (mRender != nullptr && mRender->core != nullptr && detail::OnMainThread())
        SDL_RenderFlush(mRender->core->renderer);
}

class SdlDevice3D : public Device3D {
public:
    SdlDevice3D(std::shared_ptr<Core> core, Surface* target) : mCore(std::move(core)), mTarget(target)
    {
        if (mTarget != nullptr) {
            mTarget->AddRef();
            mBinding.core = mCore.get();
            Render3DAccess::Bind(mTarget, &mBinding);
        }
        SDL_RendererInfo info;
        if (SDL_GetRendererInfo(mCore->renderer, &info) == 0)
            mMaxTexture = info.max_texture_width > 0 ? static_cast<uint32_t>(std::min(info.max_texture_width, info.max_texture_height)) : 0;
    }

    ~SdlDevice3D() override
    {
        if (mTexture != nullptr)
            mTexture->Release();
        if (mCore->renderer != nullptr)
            SDL_RenderFlush(mCore->renderer);
        if (mTarget != nullptr) {
            Render3DAccess::Bind(mTarget, nullptr);
            mTarget->Release();
        }
    }

    HResult GetCaps(DeviceCaps3D& caps) override
    {
        caps = DeviceCaps3D{};
        const uint32_t limit = mMaxTexture == 0 ? 1024 : std::min<uint32_t>(mMaxTexture, 1024);
        caps.minTextureWidth = caps.minTextureHeight = 1;
        caps.maxTextureWidth = caps.maxTextureHeight = limit;
        caps.maxTextureAspectRatio = 65536;
        caps.textureCaps = 0; // no alpha from palettes
        return DD_OK;
    }

    HResult EnumTextureFormats(std::vector<TexturePixelFormat>& formats) override
    {
        formats = {TextureFormatDesc(kTexA8R8G8B8), TextureFormatDesc(kTexA4R4G4B4), TextureFormatDesc(kTexR5G6B5)};
        return DD_OK;
    }

    HResult SetViewport(const Viewport3D& v) override
    {
        mCore->DestroyPending();
        mClip = SDL_Rect{static_cast<int>(v.x), static_cast<int>(v.y), static_cast<int>(v.width), static_cast<int>(v.height)};
        mHaveClip = true;
        if (!SelectTarget())
            return DDERR_SURFACELOST;
        return SDL_RenderSetClipRect(mCore->renderer, &mClip) == 0 ? DD_OK : DDERR_INVALIDPARAMS;
    }

    HResult Clear(uint32_t color) override
    {
        if (Fault3D(Call3D::Clear))
            return DDERR_SURFACELOST;
        if (!SelectTarget())
            return DDERR_SURFACELOST;
        SDL_SetRenderDrawBlendMode(mCore->renderer, SDL_BLENDMODE_NONE);
        SDL_SetRenderDrawColor(mCore->renderer, (color >> 16) & 0xFF, (color >> 8) & 0xFF, color & 0xFF, color >> 24);
        SDL_Rect clip;
        SDL_RenderGetClipRect(mCore->renderer, &clip);
        if (clip.w > 0 && clip.h > 0)
            SDL_RenderFillRect(mCore->renderer, &clip);
        else
            SDL_RenderClear(mCore->renderer);
        return DD_OK;
    }

    HResult SetRenderTarget(Surface* surface) override
    {
        if (Fault3D(Call3D::SetRenderTarget))
            return DDERR_SURFACELOST;
        if (mTarget != nullptr) {
            if (surface != mTarget)
                return DDERR_INVALIDPARAMS;
            if (mTarget->IsLost())
                return DDERR_SURFACELOST;
        }
        return SelectTarget() ? DD_OK : DDERR_SURFACELOST;
    }

    HResult BeginScene() override
    {
        if (Fault3D(Call3D::BeginScene))
            return D3DERR_SCENE_BEGIN_FAILED;
        if (mInScene)
            return D3DERR_SCENE_IN_SCENE;
        mCore->DestroyPending();
        if (!SelectTarget())
            return D3DERR_SCENE_BEGIN_FAILED;
        mInScene = true;
        return DD_OK;
    }

    HResult EndScene() override
    {
        if (Fault3D(Call3D::EndScene))
            return D3DERR_SCENE_END_FAILED;
        if (!mInScene)
            return D3DERR_SCENE_NOT_IN_SCENE;
        mInScene = false;
        SDL_RenderFlush(mCore->renderer);
        return DD_OK;
    }

    HResult SetRenderState(RenderState state, uint32_t value) override
    {
        if (Fault3D(Call3D::SetRenderState))
            return DDERR_SURFACELOST;
        switch (state) {
        case kRsAlphaBlendEnable: mBlendOn = value != 0; break;
        case kRsSrcBlend: mSrcBlend = value; break;
        case kRsDestBlend: mDestBlend = value; break;
        default: break;
        }
        return DD_OK;
    }

    HResult SetTextureStageState(uint32_t stage, TextureStageState state, uint32_t value) override
    {
        if (Fault3D(Call3D::SetTextureStageState))
            return DDERR_SURFACELOST;
        if (stage != 0)
            return DDERR_INVALIDPARAMS;
        if (state == kTssMagFilter)
            mLinear = value == kFilterLinear;
        return DD_OK;
    }

    HResult SetTexture(uint32_t stage, Texture3D* texture) override
    {
        if (Fault3D(Call3D::SetTexture))
            return DDERR_SURFACELOST;
        if (stage != 0)
            return DDERR_INVALIDPARAMS;
        if (texture != nullptr)
            texture->AddRef();
        if (mTexture != nullptr)
            mTexture->Release();
        mTexture = texture;
        return DD_OK;
    }

    HResult DrawPrimitive(PrimitiveType type, const TLVertex* v, uint32_t count) override
    {
        if (Fault3D(Call3D::DrawPrimitive))
            return DDERR_SURFACELOST;
        if (v == nullptr)
            return DDERR_INVALIDPARAMS;
        if (!SelectTarget())
            return DDERR_SURFACELOST;
        SDL_Renderer* r = mCore->renderer;
        const SDL_BlendMode mode = BlendMode();
        if (type == kPrimLineStrip) {
            if (count < 2)
                return DD_OK;
            mPoints.resize(count);
            for (uint32_t i = 0; i < count; i++)
                mPoints[i] = SDL_FPoint{v[i].sx, v[i].sy};
            const uint32_t c = v[0].color;
            SDL_SetRenderDrawBlendMode(r, mode);
            SDL_SetRenderDrawColor(r, (c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF, c >> 24);
            return SDL_RenderDrawLinesF(r, mPoints.data(), static_cast<int>(count)) == 0 ? DD_OK : DDERR_GENERIC;
        }
        if ((type == kPrimTriangleStrip || type == kPrimTriangleFan) && count == 4 && DrawRectangle(v, mode))
            return DD_OK;
        mIndices.clear();
        switch (type) {
        case kPrimTriangleList:
            for (uint32_t i = 0; i + 2 < count; i += 3)
                mIndices.insert(mIndices.end(), {int(i), int(i + 1), int(i + 2)});
            break;
        case kPrimTriangleStrip:
            for (uint32_t i = 0; i + 2 < count; i++)
                mIndices.insert(mIndices.end(), {int(i), int(i + 1), int(i + 2)});
            break;
        case kPrimTriangleFan:
            for (uint32_t i = 1; i + 1 < count; i++)
                mIndices.insert(mIndices.end(), {0, int(i), int(i + 1)});
            break;
        default: return D3DERR_INVALIDPRIMITIVETYPE;
        }
        if (mIndices.empty())
            return DD_OK;
        mVertices.resize(count);
        for (uint32_t i = 0; i < count; i++) {
            const uint32_t c = v[i].color;
            // Pixel centres lie on whole numbers here and half-way between them in SDL.
            mVertices[i].position = SDL_FPoint{v[i].sx + 0.5f, v[i].sy + 0.5f};
            mVertices[i].color = SDL_Color{Uint8((c >> 16) & 0xFF), Uint8((c >> 8) & 0xFF), Uint8(c & 0xFF), Uint8(c >> 24)};
            mVertices[i].tex_coord = SDL_FPoint{v[i].tu, v[i].tv};
        }
        SDL_Texture* tex = nullptr;
        if (mTexture != nullptr) {
            tex = Bind(mTexture);
            if (tex == nullptr)
                return D3DERR_TEXTURE_LOAD_FAILED;
            SDL_SetTextureBlendMode(tex, mode);
        } else {
            SDL_SetRenderDrawBlendMode(r, mode);
        }
        return SDL_RenderGeometry(r, tex, mVertices.data(), static_cast<int>(count), mIndices.data(),
                                  static_cast<int>(mIndices.size())) == 0
                   ? DD_OK
                   : DDERR_GENERIC;
    }

    HResult CreateTexture(uint32_t width, uint32_t height, const TexturePixelFormat& pf, Texture3D** out) override
    {
        if (out == nullptr)
            return DDERR_INVALIDPARAMS;
        *out = nullptr;
        if (Fault3D(Call3D::CreateTexture))
            return DDERR_OUTOFVIDEOMEMORY;
        const uint32_t format = TextureFormatOf(pf);
        if (SdlFormat(format) == SDL_PIXELFORMAT_UNKNOWN)
            return DDERR_INVALIDPIXELFORMAT;
        DeviceCaps3D caps;
        GetCaps(caps);
        if (width > caps.maxTextureWidth || height > caps.maxTextureHeight)
            return DDERR_TOOBIGSIZE;
        Texture3D* t = nullptr;
        HResult hr = Texture3D::CreateMemory(width, height, format, &t);
        if (Failed(hr))
            return hr;
        t->mGpu = std::make_unique<TextureGpu>();
        t->mGpu->core = mCore;
        *out = t;
        return DD_OK;
    }

    HResult CreatePalette(const PaletteEntry[256], Palette3D** out) override
    {
        if (out != nullptr)
            *out = nullptr;
        if (Fault3D(Call3D::CreatePalette))
            return DDERR_SURFACELOST;
        return DDERR_NOPALETTEHW;
    }

    Core& CoreRef() { return *mCore; }

private:
    // An upright rectangle of one colour whose texture coordinates follow its edges is copied
    // (stretched when its size differs from the texels it shows): exact where SDL's triangles
    // sample half a texel off. False when the vertices are not such a rectangle.
    bool DrawRectangle(const TLVertex* v, SDL_BlendMode mode)
    {
        float x0 = v[0].sx, x1 = v[0].sx, y0 = v[0].sy, y1 = v[0].sy;
        for (int i = 1; i < 4; i++) {
            if (v[i].color != v[0].color)
                return false;
            x0 = std::min(x0, v[i].sx);
            x1 = std::max(x1, v[i].sx);
            y0 = std::min(y0, v[i].sy);
            y1 = std::max(y1, v[i].sy);
        }
        if (!(x1 > x0) || !(y1 > y0))
            return false;
        // Every corner of the box once, u the same along each vertical edge, v along each
        // horizontal one.
        const TLVertex* corner[2][2] = {};
        for (int i = 0; i < 4; i++) {
            const bool right = v[i].sx == x1, bottom = v[i].sy == y1;
            if ((!right && v[i].sx != x0) || (!bottom && v[i].sy != y0) || corner[bottom][right] != nullptr)
                return false;
            corner[bottom][right] = &v[i];
        }
        const uint32_t c = v[0].color;
        SDL_Renderer* r = mCore->renderer;
        const SDL_FRect dst{x0 + 0.5f, y0 + 0.5f, x1 - x0, y1 - y0};
        if (mTexture == nullptr) {
            SDL_SetRenderDrawBlendMode(r, mode);
            SDL_SetRenderDrawColor(r, (c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF, c >> 24);
            SDL_RenderFillRectF(r, &dst);
            return true;
        }
        const float uL = corner[0][0]->tu, uR = corner[0][1]->tu, vT = corner[0][0]->tv, vB = corner[1][0]->tv;
        if (corner[1][0]->tu != uL || corner[1][1]->tu != uR || corner[0][1]->tv != vT || corner[1][1]->tv != vB)
            return false;
        const float tw = static_cast<float>(mTexture->mWidth), th = static_cast<float>(mTexture->mHeight);
        const float sx0 = std::min(uL, uR) * tw, sx1 = std::max(uL, uR) * tw;
        const float sy0 = std::min(vT, vB) * th, sy1 = std::max(vT, vB) * th;
        auto whole = [](float f) { return std::fabs(f - std::round(f)) < 1e-3f; };
        if (!whole(sx0) || !whole(sx1) || !whole(sy0) || !whole(sy1) || sx1 - sx0 < 0.5f || sy1 - sy0 < 0.5f)
            return false;
        SDL_Texture* tex = Bind(mTexture);
        if (tex == nullptr)
            return false;
        const SDL_Rect src{static_cast<int>(std::lround(sx0)), static_cast<int>(std::lround(sy0)),
                           static_cast<int>(std::lround(sx1 - sx0)), static_cast<int>(std::lround(sy1 - sy0))};
        const int flip = (uL > uR ? SDL_FLIP_HORIZONTAL : 0) | (vT > vB ? SDL_FLIP_VERTICAL : 0);
        SDL_SetTextureBlendMode(tex, mode);
        SDL_SetTextureColorMod(tex, (c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
        SDL_SetTextureAlphaMod(tex, c >> 24);
        SDL_RenderCopyExF(r, tex, &src, &dst, 0.0, nullptr, static_cast<SDL_RendererFlip>(flip));
        SDL_SetTextureColorMod(tex, 255, 255, 255);
        SDL_SetTextureAlphaMod(tex, 255);
        return true;
    }

    // Makes the renderer draw into this device's target; its clip rectangle goes with it, as
    // SDL drops it whenever another target was chosen in between. False when the target's
    // texture is gone.
    bool SelectTarget()
    {
        SDL_Texture* target = mCore->targetTexture;
        if (mCore->gpuSurface != nullptr) {
            target = detail::SurfaceDrawTarget(mCore->gpuSurface);
            if (target == nullptr)
                return false;
        }
        if (target != nullptr && SDL_GetRenderTarget(mCore->renderer) != target) {
            SDL_SetRenderTarget(mCore->renderer, target);
            if (mHaveClip)
                SDL_RenderSetClipRect(mCore->renderer, &mClip);
        }
        return true;
    }

    SDL_BlendMode BlendMode() const
    {
        if (!mBlendOn)
            return SDL_BLENDMODE_NONE;
        // Source-alpha / one and one / one both go as SDL's additive mode, which scales the
        // source by its alpha: exact for one / one with the opaque sources that use it.
        if (mDestBlend == kBlendOne)
            return SDL_BLENDMODE_ADD;
        return SDL_BLENDMODE_BLEND;
    }

    // The SDL texture of a texture of this device, uploaded from its CPU copy when it changed.
    SDL_Texture* Bind(Texture3D* t)
    {
        TextureGpu* g = t->mGpu.get();
        if (g == nullptr || g->core.get() != mCore.get())
            return nullptr;
        if (g->texture == nullptr) {
            g->texture = SDL_CreateTexture(mCore->renderer, SdlFormat(t->mFormat), SDL_TEXTUREACCESS_STATIC,
                                           static_cast<int>(t->mWidth), static_cast<int>(t->mHeight));
            if (g->texture == nullptr)
                return nullptr;
            t->mDirty = true;
            g->scaleMode = -1;
        }
        if (t->mDirty) {
            SDL_UpdateTexture(g->texture, nullptr, t->mPixels.data(), t->mPitch);
            t->mDirty = false;
        }
        const int scale = mLinear ? SDL_ScaleModeLinear : SDL_ScaleModeNearest;
        if (g->scaleMode != scale) {
            SDL_SetTextureScaleMode(g->texture, static_cast<SDL_ScaleMode>(scale));
            g->scaleMode = scale;
        }
        return g->texture;
    }

    std::shared_ptr<Core> mCore;
    Surface* mTarget = nullptr;
    RenderBinding mBinding;
    uint32_t mMaxTexture = 0;
    bool mInScene = false;
    bool mBlendOn = false;
    uint32_t mSrcBlend = kBlendSrcAlpha;
    uint32_t mDestBlend = kBlendInvSrcAlpha;
    bool mLinear = false;
    SDL_Rect mClip{};
    bool mHaveClip = false;
    Texture3D* mTexture = nullptr;
    std::vector<SDL_Vertex> mVertices;
    std::vector<int> mIndices;
    std::vector<SDL_FPoint> mPoints;
};

// ---------------------------------------------------------------------------------------------
// Making devices

HResult VideoDevice::QueryDirect3D(Direct3D** out)
{
    if (out == nullptr)
        return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (Fault3D(Call3D::QueryDirect3D))
        return DDERR_SURFACELOST;
    if (Is3DDisabledByEnvironment())
        return DDERR_NO3D;
    *out = new Direct3D();
    return DD_OK;
}

HResult Direct3D::CreateDevice(Surface* target, Device3D** out)
{
    if (out == nullptr)
        return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (Fault3D(Call3D::CreateDevice))
        return D3DERR_INITFAILED;
    if (target == nullptr || (Render3DAccess::Caps(target) & kCaps3DDevice) == 0)
        return DDERR_INVALIDCAPS;
    if (!detail::OnMainThread())
        return DDERR_CURRENTLYNOTAVAIL;
    SurfaceDesc desc;
    target->GetDesc(desc);
    if (target->IsLost())
        return DDERR_SURFACELOST;
    auto core = std::make_shared<Core>();
    // Where the surface's device has a window, the device draws into a target texture on the
    // window's renderer, which the main thread then shows; otherwise SDL's software renderer
    // draws straight into the surface's pixels.
    if (detail::SurfaceDrawTarget(target) != nullptr) {
        core->windowRenderer = detail::SurfaceRenderer(target);
        core->renderer = core->windowRenderer->renderer;
        core->gpuSurface = target;
        *out = new SdlDevice3D(std::move(core), target);
        return DD_OK;
    }
    core->targetSurface = Render3DAccess::Wrap(target);
    if (core->targetSurface == nullptr)
        return DDERR_INVALIDPIXELFORMAT;
    core->renderer = SDL_CreateSoftwareRenderer(core->targetSurface);
    core->ownRenderer = true;
    if (core->renderer == nullptr)
        return D3DERR_INITFAILED;
    *out = new SdlDevice3D(std::move(core), target);
    return DD_OK;
}

HResult CreateWindowDevice3D(WindowId window, uint32_t width, uint32_t height, Device3D** out)
{
    if (out == nullptr)
        return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (!detail::EnsureVideoSystem() || !detail::OnMainThread())
        return DDERR_NODIRECTDRAWSUPPORT;
    SDL_Window* win = SDL_GetWindowFromID(window);
    if (win == nullptr)
        return DDERR_NOHWND;
    auto core = std::make_shared<Core>();
    core->window = win;
    core->windowRenderer = detail::AcquireWindowRenderer(window);
    if (!core->windowRenderer)
        return D3DERR_INITFAILED;
    core->renderer = core->windowRenderer->renderer;
    core->targetTexture = SDL_CreateTexture(core->renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET,
                                            static_cast<int>(width), static_cast<int>(height));
    if (core->targetTexture == nullptr)
        return D3DERR_INITFAILED;
    *out = new SdlDevice3D(std::move(core), nullptr);
    return DD_OK;
}

HResult PresentWindowDevice3D(Device3D* device)
{
    auto* d = dynamic_cast<SdlDevice3D*>(device);
    if (d == nullptr || d->CoreRef().targetTexture == nullptr || !detail::OnMainThread())
        return DDERR_INVALIDPARAMS;
    Core& c = d->CoreRef();
    SDL_SetRenderTarget(c.renderer, nullptr);
    SDL_RenderCopy(c.renderer, c.targetTexture, nullptr, nullptr);
    SDL_RenderPresent(c.renderer);
    SDL_SetRenderTarget(c.renderer, c.targetTexture);
    return DD_OK;
}

bool IsWindowDevice3DAccelerated(Device3D* device)
{
    auto* d = dynamic_cast<SdlDevice3D*>(device);
    SDL_RendererInfo info;
    return d != nullptr && SDL_GetRendererInfo(d->CoreRef().renderer, &info) == 0 &&
           (info.flags & SDL_RENDERER_SOFTWARE) == 0;
}

} // namespace plat
