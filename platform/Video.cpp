// Display surfaces in memory and their presentation through an SDL renderer and one streaming
// texture per primary surface.
#include "platform/Video.h"

#include "platform/Render3D.h"
#include "platform/VideoShared.h"
#include "platform/Window.h"

#include <SDL.h>

#include <algorithm>
#include <bit>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

namespace plat {

namespace {

std::mutex gSettingsMutex;
bool gHaveSettings = false;
VideoTestSettings gSettings;

VideoTestSettings Settings(bool& have)
{
    std::lock_guard lock(gSettingsMutex);
    have = gHaveSettings;
    return gSettings;
}

std::mutex gDevicesMutex;
std::vector<VideoDevice*> gDevices;

bool ContiguousMask(uint32_t m)
{
    if (m == 0)
        return false;
    uint32_t shifted = m >> std::countr_zero(m);
    return (shifted & (shifted + 1)) == 0;
}

uint32_t ReadPixel(const uint8_t* p, uint32_t bpp)
{
    switch (bpp) {
    case 2: {
        uint16_t v;
        std::memcpy(&v, p, 2);
        return v;
    }
    case 3: return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16);
    default: {
        uint32_t v;
        std::memcpy(&v, p, 4);
        return v;
    }
    }
}

bool Inside(const VRect& r, int32_t w, int32_t h)
{
    return r.left >= 0 && r.top >= 0 && r.right <= w && r.bottom <= h && r.left < r.right && r.top < r.bottom;
}

VRect Intersect(const VRect& a, const VRect& b)
{
    VRect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
    if (r.right < r.left)
        r.right = r.left;
    if (r.bottom < r.top)
        r.bottom = r.top;
    return r;
}

bool SameRect(const VRect& a, const VRect& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool Empty(const VRect& r)
{
    return r.right <= r.left || r.bottom <= r.top;
}

VRect Union(const VRect& a, const VRect& b)
{
    if (Empty(a))
        return b;
    if (Empty(b))
        return a;
    return VRect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Pixel formats

bool PixelFormat::IsValid() const
{
    if (bitCount != 16 && bitCount != 24 && bitCount != 32)
        return false;
    uint64_t limit = bitCount == 32 ? 0xFFFFFFFFull : ((1ull << bitCount) - 1);
    for (uint32_t m : {redMask, greenMask, blueMask}) {
        if (!ContiguousMask(m) || m > limit)
            return false;
    }
    return (redMask & greenMask) == 0 && (redMask & blueMask) == 0 && (greenMask & blueMask) == 0;
}

PixelFormat PixelFormatFromMasks(uint32_t bitCount, uint32_t red, uint32_t green, uint32_t blue)
{
    PixelFormat f{bitCount, red, green, blue};
    return f.IsValid() ? f : PixelFormat{};
}

void SetVideoTestSettings(const VideoTestSettings* settings)
{
    std::lock_guard lock(gSettingsMutex);
    gHaveSettings = settings != nullptr;
    gSettings = settings ? *settings : VideoTestSettings{};
}

namespace detail {

DesktopInfo GetDesktop()
{
    DesktopInfo d;
    d.width = 1024;
    d.height = 768;
    d.format = kFormatXRGB8888;
    if (EnsureVideoSystem()) {
        SDL_DisplayMode mode;
        if (SDL_GetDesktopDisplayMode(0, &mode) == 0 && mode.w > 0 && mode.h > 0) {
            d.width = mode.w;
            d.height = mode.h;
            int bpp = 0;
            uint32_t r = 0, g = 0, b = 0, a = 0;
            if (SDL_PixelFormatEnumToMasks(mode.format, &bpp, &r, &g, &b, &a)) {
                uint32_t bytes = SDL_BYTESPERPIXEL(mode.format);
                PixelFormat f = PixelFormatFromMasks(bytes * 8, r, g, b);
                if (f.IsValid())
                    d.format = f;
            }
        }
    }
    bool have = false;
    VideoTestSettings s = Settings(have);
    if (have) {
        if (s.desktopWidth > 0 && s.desktopHeight > 0) {
            d.width = s.desktopWidth;
            d.height = s.desktopHeight;
        }
        if (s.desktopFormat.bitCount != 0)
            d.format = s.desktopFormat;
    }
    return d;
}

void PresentAllPending()
{
    std::vector<VideoDevice*> devices;
    {
        std::lock_guard lock(gDevicesMutex);
        devices = gDevices;
        for (VideoDevice* d : devices)
            d->AddRef();
    }
    for (VideoDevice* d : devices) {
        d->PresentPending();
        d->Release();
    }
}

} // namespace detail

// ---------------------------------------------------------------------------------------------
// Presentation

class Presenter {
public:
    ~Presenter() { Drop(); }

    void Drop()
    {
        if (mTexture)
            SDL_DestroyTexture(mTexture);
        mTexture = nullptr;
        mHold.reset();
        mRenderer = nullptr;
        mWindow = nullptr;
    }

    // The renderer of the window, made or taken over when the window changed; false when the
    // window is gone. mRenderer stays null when no renderer can be made.
    bool Attach(WindowId window)
    {
        SDL_Window* win = SDL_GetWindowFromID(window);
        if (!win)
            return false;
        if (win != mWindow) {
            Drop();
            mWindow = win;
            mHold = detail::AcquireWindowRenderer(window);
            mRenderer = mHold ? mHold->renderer : nullptr;
            if (!mRenderer) {
                mWindow = nullptr;
                return true;
            }
            SDL_RendererInfo info;
            mSoftware = SDL_GetRendererInfo(mRenderer, &info) == 0 && (info.flags & SDL_RENDERER_SOFTWARE) != 0;
            mShown = false;
        }
        return true;
    }

    void SetLogicalSize(int32_t w, int32_t h, bool fullScreen)
    {
        if (fullScreen != mFullScreen || mLogicalW != w || mLogicalH != h) {
            mShown = false;
            SDL_RenderSetLogicalSize(mRenderer, fullScreen ? w : 0, fullScreen ? h : 0);
            mFullScreen = fullScreen;
            mLogicalW = w;
            mLogicalH = h;
        }
    }

    // Shows a target texture holding the whole picture; false when the window is gone.
    bool ShowTexture(WindowId window, SDL_Texture* texture, int32_t w, int32_t h, bool fullScreen)
    {
        if (!Attach(window))
            return false;
        if (!mRenderer)
            return true;
        SDL_SetRenderTarget(mRenderer, nullptr);
        SetLogicalSize(w, h, fullScreen);
        SDL_SetRenderDrawColor(mRenderer, 0, 0, 0, 255);
        SDL_RenderClear(mRenderer);
        SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_NONE);
        SDL_RenderCopy(mRenderer, texture, nullptr, nullptr);
        SDL_RenderPresent(mRenderer);
        mShown = false; // the streaming texture no longer shows what the window does
        return true;
    }

    // Shows the dirty part of the pixels; false when the window is gone.
    bool Show(WindowId window, const uint8_t* pixels, int32_t pitch, int32_t w, int32_t h, const PixelFormat& f,
              const VRect& dirty, bool fullScreen)
    {
        if (!Attach(window))
            return false;
        uint32_t sdlFormat = SDL_MasksToPixelFormatEnum(static_cast<int>(f.bitCount), f.redMask, f.greenMask, f.blueMask, 0);
        if (f.bitCount == 32)
            sdlFormat = SDL_MasksToPixelFormatEnum(32, f.redMask, f.greenMask, f.blueMask, 0);
        if (sdlFormat == SDL_PIXELFORMAT_UNKNOWN)
            return true; // nothing this layer can show, but nothing is lost either
        if (!mRenderer)
            return true;
        SDL_SetRenderTarget(mRenderer, nullptr);
        VRect full{0, 0, w, h};
        VRect up = dirty;
        if (!mTexture || mTexW != w || mTexH != h || mTexFormat != sdlFormat) {
            if (mTexture)
                SDL_DestroyTexture(mTexture);
            mTexture = SDL_CreateTexture(mRenderer, sdlFormat, SDL_TEXTUREACCESS_STREAMING, w, h);
            mTexW = w;
            mTexH = h;
            mTexFormat = sdlFormat;
            up = full;
            if (!mTexture)
                return true;
        }
        SetLogicalSize(w, h, fullScreen);
        up = Intersect(up, full);
        if (!Empty(up)) {
            SDL_Rect r{up.left, up.top, up.Width(), up.Height()};
            const uint8_t* src = pixels + static_cast<ptrdiff_t>(up.top) * pitch + up.left * static_cast<int32_t>(f.BytesPerPixel());
            SDL_UpdateTexture(mTexture, &r, src, pitch);
        }
        // A software renderer keeps what it showed: in a window only the changed part is drawn
        // again. Other renderers draw the whole picture every time.
        int outW = 0, outH = 0;
        SDL_GetRendererOutputSize(mRenderer, &outW, &outH);
        const bool partial = mSoftware && mShown && !fullScreen && SameRect(up, dirty) && outW == w && outH == h;
        if (partial) {
            if (Empty(up))
                return true;
            SDL_Rect r{up.left, up.top, up.Width(), up.Height()};
            SDL_RenderCopy(mRenderer, mTexture, &r, &r);
        } else {
            SDL_SetRenderDrawColor(mRenderer, 0, 0, 0, 255);
            SDL_RenderClear(mRenderer);
            SDL_RenderCopy(mRenderer, mTexture, nullptr, nullptr);
        }
        SDL_RenderPresent(mRenderer);
        mShown = true;
        return true;
    }

private:
    SDL_Window* mWindow = nullptr;
    std::shared_ptr<detail::WindowRenderer> mHold;
    SDL_Renderer* mRenderer = nullptr;
    SDL_Texture* mTexture = nullptr;
    int32_t mTexW = 0;
    int32_t mTexH = 0;
    uint32_t mTexFormat = 0;
    bool mFullScreen = false;
    bool mSoftware = false;
    bool mShown = false;
    int32_t mLogicalW = -1;
    int32_t mLogicalH = -1;
};

// ---------------------------------------------------------------------------------------------
// Window renderers and target textures

namespace detail {

void WindowRenderer::DestroyPending()
{
    std::vector<SDL_Texture*> list;
    {
        std::lock_guard lock(pendingMutex);
        list.swap(pending);
    }
    for (SDL_Texture* t : list)
        SDL_DestroyTexture(t);
}

WindowRenderer::~WindowRenderer()
{
    DestroyPending();
    if (renderer != nullptr && own)
        SDL_DestroyRenderer(renderer);
}

std::shared_ptr<WindowRenderer> AcquireWindowRenderer(WindowId window)
{
    static std::vector<std::weak_ptr<WindowRenderer>> known; // main thread only
    SDL_Window* win = SDL_GetWindowFromID(window);
    if (win == nullptr || !OnMainThread())
        return nullptr;
    std::erase_if(known, [](const std::weak_ptr<WindowRenderer>& w) { return w.expired(); });
    for (const auto& w : known) {
        auto held = w.lock();
        if (held && held->window == win)
            return held;
    }
    auto hold = std::make_shared<WindowRenderer>();
    hold->window = win;
    hold->renderer = SDL_GetRenderer(win);
    if (hold->renderer == nullptr) {
        // Lines drawn as lines, as SDL's renderer on a memory surface draws them.
        SDL_SetHintWithPriority(SDL_HINT_RENDER_LINE_METHOD, "2", SDL_HINT_DEFAULT);
        hold->renderer = SDL_CreateRenderer(win, -1, 0);
        if (hold->renderer == nullptr)
            hold->renderer = SDL_CreateRenderer(win, -1, SDL_RENDERER_SOFTWARE);
        hold->own = hold->renderer != nullptr;
    }
    if (hold->renderer == nullptr)
        return nullptr;
    known.push_back(hold);
    return hold;
}

} // namespace detail

namespace {

std::atomic<uint64_t> gPixelsRead{0};
std::atomic<uint64_t> gPixelsUploaded{0};
std::atomic<uint64_t> gWholeReads{0};

// The SDL layout of a memory pixel format (unknown when SDL has none).
uint32_t SdlFormatOf(const PixelFormat& f)
{
    return SDL_MasksToPixelFormatEnum(static_cast<int>(f.bitCount), f.redMask, f.greenMask, f.blueMask, 0);
}

// Target textures are 32-bit without alpha whatever the memory layout: what every renderer
// can draw into.
constexpr uint32_t kTargetFormat = SDL_PIXELFORMAT_RGB888;

} // namespace

bool OnVideoThread()
{
    return detail::OnMainThread();
}

GpuTransfers GetGpuTransfers()
{
    return GpuTransfers{gPixelsRead.load(), gPixelsUploaded.load(), gWholeReads.load()};
}

// The texture side of a surface. At least one side is current: the memory pixels (memCurrent)
// or the texture (gpuCurrent); while the texture is not, the memory is uploaded whole before
// the renderer uses it again.
struct SurfaceGpu {
    std::shared_ptr<detail::WindowRenderer> hold;
    SDL_Texture* texture = nullptr;
    bool memCurrent = true;
    bool gpuCurrent = false;
};

struct SurfaceGpuAccess {
    static SDL_Renderer* Renderer(const Surface* s) { return s->mGpu->hold->renderer; }
    static std::shared_ptr<detail::WindowRenderer> Hold(const Surface* s) { return s->mGpu ? s->mGpu->hold : nullptr; }

    static void Target(SDL_Renderer* r, SDL_Texture* t)
    {
        if (SDL_GetRenderTarget(r) != t)
            SDL_SetRenderTarget(r, t);
    }

    // Reads a rectangle of the texture into the memory pixels (which are then current there).
    static bool ReadRect(Surface* s, const VRect& rect)
    {
        if (Empty(rect))
            return true;
        SDL_Renderer* r = Renderer(s);
        Target(r, s->mGpu->texture);
        const SDL_Rect rr{rect.left, rect.top, rect.Width(), rect.Height()};
        uint8_t* at = s->mPixels.data() + static_cast<ptrdiff_t>(rect.top) * s->mPitch +
                      static_cast<ptrdiff_t>(rect.left) * s->mFormat.BytesPerPixel();
        const bool ok = SDL_RenderReadPixels(r, &rr, SdlFormatOf(s->mFormat), at, s->mPitch) == 0;
        gPixelsRead += static_cast<uint64_t>(rr.w) * static_cast<uint64_t>(rr.h);
        if (rect.left == 0 && rect.top == 0 && rect.right == static_cast<int32_t>(s->mWidth) &&
            rect.bottom == static_cast<int32_t>(s->mHeight))
            ++gWholeReads;
        return ok;
    }

    // Uploads a rectangle of the memory pixels into the texture.
    static bool UploadRect(Surface* s, const VRect& rect)
    {
        if (Empty(rect))
            return true;
        SDL_Renderer* r = Renderer(s);
        SDL_RenderFlush(r); // drawing queued for the texture goes first
        const SDL_Rect rr{rect.left, rect.top, rect.Width(), rect.Height()};
        const uint8_t* at = s->mPixels.data() + static_cast<ptrdiff_t>(rect.top) * s->mPitch +
                            static_cast<ptrdiff_t>(rect.left) * s->mFormat.BytesPerPixel();
        const uint32_t format = SdlFormatOf(s->mFormat);
        bool ok = false;
        if (format == kTargetFormat) {
            ok = SDL_UpdateTexture(s->mGpu->texture, &rr, at, s->mPitch) == 0;
        } else {
            std::vector<uint32_t> converted(static_cast<size_t>(rr.w) * static_cast<size_t>(rr.h));
            ok = SDL_ConvertPixels(rr.w, rr.h, format, at, s->mPitch, kTargetFormat, converted.data(), rr.w * 4) == 0 &&
                 SDL_UpdateTexture(s->mGpu->texture, &rr, converted.data(), rr.w * 4) == 0;
        }
        gPixelsUploaded += static_cast<uint64_t>(rr.w) * static_cast<uint64_t>(rr.h);
        return ok;
    }

    static VRect Whole(const Surface* s)
    {
        return VRect{0, 0, static_cast<int32_t>(s->mWidth), static_cast<int32_t>(s->mHeight)};
    }

    // The texture with the current pixels, made when needed; null when it cannot be.
    static SDL_Texture* CurrentTexture(Surface* s)
    {
        if (!detail::OnMainThread())
            return nullptr;
        if (s->mGpu == nullptr) {
            WindowId window = s->mClipper && s->mClipper->Window() ? s->mClipper->Window() : s->mDevice->mWindow;
            if (window == 0 || SdlFormatOf(s->mFormat) == SDL_PIXELFORMAT_UNKNOWN)
                return nullptr;
            auto hold = detail::AcquireWindowRenderer(window);
            if (!hold)
                return nullptr;
            SDL_Texture* t = SDL_CreateTexture(hold->renderer, kTargetFormat, SDL_TEXTUREACCESS_TARGET,
                                               static_cast<int>(s->mWidth), static_cast<int>(s->mHeight));
            if (t == nullptr)
                return nullptr;
            SDL_SetTextureBlendMode(t, SDL_BLENDMODE_NONE);
            s->mGpu = new SurfaceGpu{std::move(hold), t, true, false};
        }
        SurfaceGpu* g = s->mGpu;
        if (!g->gpuCurrent) {
            if (!UploadRect(s, Whole(s)))
                return nullptr;
            g->gpuCurrent = true;
        }
        return g->texture;
    }

    // The texture as something the renderer is about to draw into.
    static SDL_Texture* DrawTarget(Surface* s)
    {
        SDL_Texture* t = CurrentTexture(s);
        if (t != nullptr)
            s->mGpu->memCurrent = false;
        return t;
    }

    static void Free(Surface* s)
    {
        SurfaceGpu* g = s->mGpu;
        if (g == nullptr)
            return;
        s->mGpu = nullptr;
        if (detail::OnMainThread()) {
            SDL_DestroyTexture(g->texture);
        } else {
            std::lock_guard lock(g->hold->pendingMutex);
            g->hold->pending.push_back(g->texture);
        }
        delete g;
    }

    // The copy of a blit between two surfaces on the renderer: src's rectangle s drawn at d in
    // this one's, cut to clipped. False when it cannot go this way.
    static bool CopyOnRenderer(Surface* dst, Surface* src, const VRect& s, const VRect& d, const VRect& clipped)
    {
        SDL_Texture* from = CurrentTexture(src);
        if (from == nullptr)
            return false;
        SDL_Texture* to = DrawTarget(dst);
        if (to == nullptr || dst->mGpu->hold != src->mGpu->hold)
            return false;
        SDL_Renderer* r = Renderer(dst);
        const int64_t sw = s.Width(), sh = s.Height(), dw = d.Width(), dh = d.Height();
        const SDL_Rect sr{static_cast<int>(s.left + (clipped.left - d.left) * sw / dw),
                          static_cast<int>(s.top + (clipped.top - d.top) * sh / dh),
                          static_cast<int>(clipped.Width() * sw / dw), static_cast<int>(clipped.Height() * sh / dh)};
        const SDL_Rect dr{clipped.left, clipped.top, clipped.Width(), clipped.Height()};
        Target(r, to);
        SDL_SetTextureBlendMode(from, SDL_BLENDMODE_NONE);
        SDL_SetTextureScaleMode(from, SDL_ScaleModeNearest);
        return SDL_RenderCopy(r, from, &sr, &dr) == 0;
    }
};

namespace detail {

SDL_Texture* SurfaceDrawTarget(Surface* surface)
{
    return surface != nullptr ? SurfaceGpuAccess::DrawTarget(surface) : nullptr;
}

std::shared_ptr<WindowRenderer> SurfaceRenderer(Surface* surface)
{
    return surface != nullptr ? SurfaceGpuAccess::Hold(surface) : nullptr;
}

} // namespace detail

// ---------------------------------------------------------------------------------------------
// Surfaces

Surface::~Surface()
{
    SurfaceGpuAccess::Free(this);
}

uint32_t Surface::AddRef()
{
    return ++mRefs;
}

uint32_t Surface::Release()
{
    uint32_t left = --mRefs;
    if (left == 0) {
        VideoDevice* device = mDevice;
        if (mClipper)
            mClipper->Release();
        if (mBack) {
            mBack->mFront = nullptr;
            mBack->Release();
        }
        device->Forget(this);
        delete this;
        device->Release();
    }
    return left;
}

HResult Surface::GetDesc(SurfaceDesc& desc) const
{
    desc.flags = kDescCaps | kDescWidth | kDescHeight | kDescPixelFormat | kDescPitch;
    desc.width = mWidth;
    desc.height = mHeight;
    desc.pitch = mPitch;
    desc.format = mFormat;
    desc.caps = mCaps;
    desc.backBufferCount = mBack ? 1 : 0;
    desc.pixels = nullptr;
    if (mCaps & kCapsPrimary) {
        // A windowed primary is the whole desktop; its pixels are those of the window.
        if (!mDevice->IsFullScreen()) {
            detail::DesktopInfo d = detail::GetDesktop();
            desc.width = static_cast<uint32_t>(d.width);
            desc.height = static_cast<uint32_t>(d.height);
        }
    }
    return DD_OK;
}

HResult Surface::Lock(SurfaceDesc& desc)
{
    FinishRendering();
    std::lock_guard lock(mDevice->mMutex);
    if (mLost)
        return DDERR_SURFACELOST;
    if (mLocked)
        return DDERR_SURFACEBUSY;
    if ((mCaps & kCapsPrimary) && !mDevice->IsFullScreen())
        return DDERR_CANTLOCKSURFACE;
    if (mGpu != nullptr) {
        // The whole target read back: what was drawn, for whoever asked for all of it.
        if (!detail::OnMainThread())
            return DDERR_WASSTILLDRAWING;
        if (!mGpu->memCurrent) {
            if (!SurfaceGpuAccess::ReadRect(this, SurfaceGpuAccess::Whole(this)))
                return DDERR_SURFACELOST;
            mGpu->memCurrent = true;
        }
        mGpu->gpuCurrent = false; // what the lock writes goes up before the next draw
    }
    mLocked = true;
    desc.flags = kDescCaps | kDescWidth | kDescHeight | kDescPixelFormat | kDescPitch;
    desc.width = mWidth;
    desc.height = mHeight;
    desc.pitch = mPitch;
    desc.pixels = mPixels.data();
    desc.format = mFormat;
    desc.caps = mCaps;
    desc.backBufferCount = mBack ? 1 : 0;
    return DD_OK;
}

HResult Surface::Unlock()
{
    std::lock_guard lock(mDevice->mMutex);
    if (!mLocked)
        return DDERR_NOTLOCKED;
    mLocked = false;
    if (mCaps & kCapsPrimary)
        mDevice->PrimaryChanged(this, VRect{0, 0, static_cast<int32_t>(mWidth), static_cast<int32_t>(mHeight)});
    return DD_OK;
}

HResult Surface::SetColorKey(uint32_t low, uint32_t high)
{
    std::lock_guard lock(mDevice->mMutex);
    mHasKey = true;
    mKeyLow = low;
    mKeyHigh = high;
    return DD_OK;
}

HResult Surface::GetColorKey(uint32_t& low, uint32_t& high) const
{
    if (!mHasKey)
        return DDERR_NOCOLORKEY;
    low = mKeyLow;
    high = mKeyHigh;
    return DD_OK;
}

HResult Surface::GetAttachedSurface(Surface** out)
{
    if (!out)
        return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (!mBack)
        return DDERR_NOTFOUND;
    mBack->AddRef();
    *out = mBack;
    return DD_OK;
}

HResult Surface::SetClipper(Clipper* clipper)
{
    std::lock_guard lock(mDevice->mMutex);
    if (clipper)
        clipper->AddRef();
    if (mClipper)
        mClipper->Release();
    mClipper = clipper;
    return DD_OK;
}

void Surface::RefreshOrigin()
{
    WindowId window = mClipper && mClipper->Window() ? mClipper->Window() : mDevice->mWindow;
    WinPoint origin{};
    if (window && ClientToScreen(window, origin)) {
        mOriginX = origin.x;
        mOriginY = origin.y;
    }
}

HResult Surface::Restore()
{
    mLost = false;
    return DD_OK;
}

HResult Surface::Flip()
{
    std::lock_guard lock(mDevice->mMutex);
    if (!(mCaps & kCapsPrimary) || !mBack)
        return DDERR_NOTFLIPPABLE;
    if (mLost || mBack->mLost)
        return DDERR_SURFACELOST;
    if (mLocked || mBack->mLocked)
        return DDERR_SURFACEBUSY;
    std::swap(mPixels, mBack->mPixels);
    std::swap(mGpu, mBack->mGpu);
    mDevice->PrimaryChanged(this, VRect{0, 0, static_cast<int32_t>(mWidth), static_cast<int32_t>(mHeight)});
    return DD_OK;
}

HResult Surface::Blt(const VRect* dstRect, Surface* src, const VRect* srcRect, uint32_t flags)
{
    if (!src)
        return DDERR_INVALIDPARAMS;
    FinishRendering();
    src->FinishRendering();
    std::lock_guard lock(mDevice->mMutex);
    if (mLost || src->mLost)
        return DDERR_SURFACELOST;
    if (mLocked || src->mLocked)
        return DDERR_SURFACEBUSY;
    if (!(mFormat == src->mFormat))
        return DDERR_INVALIDPIXELFORMAT;
    bool keyed = (flags & kBltKeySrc) != 0;
    if (keyed && !src->mHasKey)
        return DDERR_NOCOLORKEY;

    // Source rectangle in the source's pixel buffer.
    VRect s = srcRect ? *srcRect : VRect{0, 0, static_cast<int32_t>(src->mWidth), static_cast<int32_t>(src->mHeight)};
    bool srcPrimary = (src->mCaps & kCapsPrimary) != 0 && !mDevice->IsFullScreen();
    if (srcPrimary) {
        src->RefreshOrigin();
        if (!srcRect) {
            detail::DesktopInfo d = detail::GetDesktop();
            s = VRect{0, 0, d.width, d.height};
        }
        s.left -= src->mOriginX;
        s.right -= src->mOriginX;
        s.top -= src->mOriginY;
        s.bottom -= src->mOriginY;
    }
    if (!Inside(s, static_cast<int32_t>(src->mWidth), static_cast<int32_t>(src->mHeight)))
        return DDERR_INVALIDRECT;

    // Destination rectangle in this buffer.
    VRect d = dstRect ? *dstRect : VRect{0, 0, static_cast<int32_t>(mWidth), static_cast<int32_t>(mHeight)};
    bool dstPrimary = (mCaps & kCapsPrimary) != 0 && !mDevice->IsFullScreen();
    if (dstPrimary) {
        RefreshOrigin();
        if (!dstRect) {
            detail::DesktopInfo dd = detail::GetDesktop();
            d = VRect{0, 0, dd.width, dd.height};
        }
        d.left -= mOriginX;
        d.right -= mOriginX;
        d.top -= mOriginY;
        d.bottom -= mOriginY;
    }
    if (Empty(d))
        return DDERR_INVALIDRECT;
    VRect own{0, 0, static_cast<int32_t>(mWidth), static_cast<int32_t>(mHeight)};
    VRect clipped = d;
    if ((mCaps & kCapsPrimary) && mClipper) {
        clipped = Intersect(d, own);
        if (Empty(clipped))
            return DD_OK;
    } else if (!Inside(d, own.right, own.bottom)) {
        return DDERR_INVALIDRECT;
    }

    const bool srcOnRenderer = src->mGpu != nullptr && !src->mGpu->memCurrent;
    if (srcOnRenderer || mGpu != nullptr) {
        if (!detail::OnMainThread())
            return DDERR_WASSTILLDRAWING;
        // Between target textures (or from one into a surface a renderer may draw into) the
        // pixels stay on the renderer.
        if (srcOnRenderer && !keyed && src != this && (mGpu != nullptr || (mCaps & (kCaps3DDevice | kCapsPrimary)) != 0) &&
            SurfaceGpuAccess::CopyOnRenderer(this, src, s, d, clipped)) {
            if (mCaps & kCapsPrimary)
                mDevice->PrimaryChanged(this, clipped);
            return DD_OK;
        }
        // Otherwise just the rectangles go through memory: the source's, and the destination's
        // when a colour key leaves some of its pixels as they are.
        if (srcOnRenderer && !SurfaceGpuAccess::ReadRect(src, s))
            return DDERR_SURFACELOST;
        if (mGpu != nullptr && !mGpu->memCurrent && keyed && !SurfaceGpuAccess::ReadRect(this, clipped))
            return DDERR_SURFACELOST;
    }
    const uint32_t bpp = mFormat.BytesPerPixel();
    const int32_t sw = s.Width(), sh = s.Height(), dw = d.Width(), dh = d.Height();
    // A blit within one surface reads from a copy of the source rows.
    std::vector<uint8_t> copy;
    const uint8_t* sBase = src->mPixels.data();
    int32_t sPitch = src->mPitch;
    if (src == this) {
        copy.assign(mPixels.begin(), mPixels.end());
        sBase = copy.data();
    }
    const bool stretch = sw != dw || sh != dh;
    for (int32_t y = clipped.top; y < clipped.bottom; ++y) {
        int32_t sy = s.top + static_cast<int32_t>((static_cast<int64_t>(y - d.top) * sh) / dh);
        uint8_t* drow = mPixels.data() + static_cast<ptrdiff_t>(y) * mPitch;
        const uint8_t* srow = sBase + static_cast<ptrdiff_t>(sy) * sPitch;
        if (!stretch && !keyed) {
            int32_t sx = s.left + (clipped.left - d.left);
            std::memcpy(drow + static_cast<size_t>(clipped.left) * bpp, srow + static_cast<size_t>(sx) * bpp,
                        static_cast<size_t>(clipped.Width()) * bpp);
            continue;
        }
        for (int32_t x = clipped.left; x < clipped.right; ++x) {
            int32_t sx = stretch ? s.left + static_cast<int32_t>((static_cast<int64_t>(x - d.left) * sw) / dw)
                                 : s.left + (x - d.left);
            const uint8_t* sp = srow + static_cast<size_t>(sx) * bpp;
            if (keyed) {
                uint32_t v = ReadPixel(sp, bpp);
                if (v >= src->mKeyLow && v <= src->mKeyHigh)
                    continue;
            }
            std::memcpy(drow + static_cast<size_t>(x) * bpp, sp, bpp);
        }
    }
    if (mGpu != nullptr && mGpu->gpuCurrent && !SurfaceGpuAccess::UploadRect(this, clipped))
        return DDERR_SURFACELOST;
    if (mCaps & kCapsPrimary)
        mDevice->PrimaryChanged(this, clipped);
    return DD_OK;
}

// ---------------------------------------------------------------------------------------------
// Clipper

uint32_t Clipper::AddRef()
{
    return ++mRefs;
}

uint32_t Clipper::Release()
{
    uint32_t left = --mRefs;
    if (left == 0)
        delete this;
    return left;
}

HResult Clipper::SetWindow(WindowId window)
{
    if (!IsWindow(window))
        return DDERR_INVALIDPARAMS;
    mWindow = window;
    return DD_OK;
}

// ---------------------------------------------------------------------------------------------
// Device

VideoDevice::VideoDevice() = default;

VideoDevice::~VideoDevice() = default;

HResult VideoDevice::Create(VideoDevice** out)
{
    if (!out)
        return DDERR_INVALIDPARAMS;
    *out = nullptr;
    bool have = false;
    VideoTestSettings s = Settings(have);
    if (have && s.refuseCreate)
        return DDERR_NODIRECTDRAWHW;
    if (!detail::EnsureVideoSystem())
        return DDERR_NODIRECTDRAWSUPPORT;
    auto* device = new VideoDevice();
    {
        std::lock_guard lock(gDevicesMutex);
        gDevices.push_back(device);
    }
    *out = device;
    return DD_OK;
}

uint32_t VideoDevice::AddRef()
{
    return ++mRefs;
}

uint32_t VideoDevice::Release()
{
    uint32_t left = --mRefs;
    if (left == 0) {
        {
            std::lock_guard lock(gDevicesMutex);
            std::erase(gDevices, this);
        }
        if (mFullScreen && IsWindow(mWindow))
            SetWindowFullScreen(mWindow, false, 0, 0);
        delete this;
    }
    return left;
}

bool VideoDevice::OnMainThread() const
{
    return detail::OnMainThread();
}

HResult VideoDevice::SetCooperativeLevel(WindowId window, uint32_t flags)
{
    std::lock_guard lock(mMutex);
    bool wantFull = (flags & kCoopExclusive) && (flags & kCoopFullScreen);
    if (wantFull) {
        bool have = false;
        VideoTestSettings s = Settings(have);
        if (have && s.refuseExclusive)
            return DDERR_EXCLUSIVEMODEALREADYSET;
        if (!IsWindow(window))
            return DDERR_INVALIDPARAMS;
    }
    if (mFullScreen && !wantFull && IsWindow(mWindow))
        SetWindowFullScreen(mWindow, false, 0, 0);
    mWindow = window;
    mCoopFlags = flags;
    mFullScreen = wantFull;
    if (!wantFull) {
        mModeWidth = mModeHeight = 0;
        mModeFormat = PixelFormat{};
    }
    return DD_OK;
}

HResult VideoDevice::SetDisplayMode(uint32_t width, uint32_t height, uint32_t bitsPerPixel)
{
    std::lock_guard lock(mMutex);
    if (!mFullScreen)
        return DDERR_NOEXCLUSIVEMODE;
    bool have = false;
    VideoTestSettings s = Settings(have);
    if (have && s.refuseModeChange)
        return DDERR_UNSUPPORTEDMODE;
    if (width == 0 || height == 0 || width > 16384 || height > 16384)
        return DDERR_INVALIDMODE;
    PixelFormat f;
    switch (bitsPerPixel) {
    case 15: f = kFormatXRGB1555; break;
    case 16: f = (have && s.format16.bitCount == 16) ? s.format16 : kFormatRGB565; break;
    case 24: f = kFormatRGB888; break;
    case 32: f = kFormatXRGB8888; break;
    default: return DDERR_INVALIDMODE;
    }
    if (!SetWindowFullScreen(mWindow, true, static_cast<int>(width), static_cast<int>(height)))
        return DDERR_UNSUPPORTEDMODE;
    mModeWidth = width;
    mModeHeight = height;
    mModeFormat = f;
    return DD_OK;
}

HResult VideoDevice::RestoreDisplayMode()
{
    std::lock_guard lock(mMutex);
    if (mModeWidth != 0 && IsWindow(mWindow))
        SetWindowFullScreen(mWindow, false, 0, 0);
    mModeWidth = mModeHeight = 0;
    mModeFormat = PixelFormat{};
    return DD_OK;
}

PixelFormat VideoDevice::DisplayFormat() const
{
    if (mFullScreen && mModeFormat.bitCount != 0)
        return mModeFormat;
    return detail::GetDesktop().format;
}

HResult VideoDevice::CreateSurface(const SurfaceDesc& desc, Surface** out)
{
    if (!out)
        return DDERR_INVALIDPARAMS;
    *out = nullptr;
    std::lock_guard lock(mMutex);
    uint32_t caps = (desc.flags & kDescCaps) ? desc.caps : 0;
    PixelFormat format = DisplayFormat();
    uint32_t w = 0, h = 0;
    bool primary = (caps & kCapsPrimary) != 0;
    bool flipping = false;
    if (primary) {
        if (mPrimary)
            return DDERR_PRIMARYSURFACEALREADYEXISTS;
        if ((caps & kCapsFlip) || (desc.flags & kDescBackBufferCount)) {
            if (!mFullScreen || mModeWidth == 0)
                return DDERR_NOEXCLUSIVEMODE;
            if (!(desc.flags & kDescBackBufferCount) || desc.backBufferCount != 1 || !(caps & kCapsComplex))
                return DDERR_INVALIDCAPS;
            flipping = true;
        }
        if (mFullScreen && mModeWidth != 0) {
            w = mModeWidth;
            h = mModeHeight;
        } else {
            int32_t cw = 0, ch = 0;
            if (mWindow && detail::ClientSize(mWindow, cw, ch) && cw > 0 && ch > 0) {
                w = static_cast<uint32_t>(cw);
                h = static_cast<uint32_t>(ch);
            } else {
                detail::DesktopInfo d = detail::GetDesktop();
                w = static_cast<uint32_t>(d.width);
                h = static_cast<uint32_t>(d.height);
            }
        }
    } else {
        if (!(desc.flags & kDescWidth) || !(desc.flags & kDescHeight) || desc.width == 0 || desc.height == 0)
            return DDERR_INVALIDPARAMS;
        if (desc.width > 16384 || desc.height > 16384)
            return DDERR_TOOBIGSIZE;
        w = desc.width;
        h = desc.height;
        if (desc.flags & kDescPixelFormat)
            format = desc.format;
    }
    if (!format.IsValid())
        return DDERR_INVALIDPIXELFORMAT;

    auto make = [&](uint32_t c) {
        auto* s = new Surface();
        s->mDevice = this;
        s->mWidth = w;
        s->mHeight = h;
        s->mFormat = format;
        s->mCaps = c;
        s->mPitch = static_cast<int32_t>((w * format.BytesPerPixel() + 3u) & ~3u);
        s->mPixels.assign(static_cast<size_t>(s->mPitch) * h, 0);
        AddRef();
        mSurfaces.push_back(s);
        return s;
    };
    Surface* s = make(caps);
    if (primary) {
        mPrimary = s;
        if (!mFullScreen)
            s->RefreshOrigin();
        if (flipping) {
            Surface* back = make(kCapsBackBuffer | (caps & kCaps3DDevice));
            back->mFront = s;
            s->mBack = back;
        }
    }
    *out = s;
    return DD_OK;
}

void VideoDevice::Forget(Surface* surface)
{
    std::lock_guard lock(mMutex);
    std::erase(mSurfaces, surface);
    if (mPrimary == surface) {
        mPrimary = nullptr;
        mDirty = VRect{};
        mPending = false;
    }
}

HResult VideoDevice::CreateClipper(Clipper** out)
{
    if (!out)
        return DDERR_INVALIDPARAMS;
    *out = new Clipper();
    return DD_OK;
}

HResult VideoDevice::GetMonitorFrequency(uint32_t* hz)
{
    if (!hz)
        return DDERR_INVALIDPARAMS;
    bool have = false;
    VideoTestSettings s = Settings(have);
    uint32_t rate = 0;
    if (have && s.refreshSet) {
        rate = s.refreshHz;
    } else {
        SDL_DisplayMode mode;
        if (SDL_GetCurrentDisplayMode(0, &mode) == 0 && mode.refresh_rate > 0)
            rate = static_cast<uint32_t>(mode.refresh_rate);
    }
    if (rate == 0)
        return DDERR_UNSUPPORTED;
    *hz = rate;
    return DD_OK;
}

HResult VideoDevice::GetScanLine(uint32_t* line)
{
    if (line)
        *line = 0;
    return DDERR_UNSUPPORTED;
}

HResult VideoDevice::WaitForVerticalBlank()
{
    uint32_t hz = 60;
    uint32_t rate = 0;
    if (GetMonitorFrequency(&rate) == DD_OK && rate >= 30 && rate <= 240)
        hz = rate;
    // Wait for the next refresh period boundary of the millisecond clock.
    uint32_t period = 1000 / hz;
    uint32_t now = SDL_GetTicks();
    uint32_t wait = period - (now % period);
    std::this_thread::sleep_for(std::chrono::milliseconds(wait));
    return DD_OK;
}

HResult VideoDevice::FlipToGDISurface()
{
    return DD_OK;
}

HResult VideoDevice::GetAvailableVidMem(uint32_t* total, uint32_t* free)
{
    bool have = false;
    VideoTestSettings s = Settings(have);
    const uint32_t amount = have && s.videoMemoryBytes != 0 ? s.videoMemoryBytes : 256u << 20;
    if (total)
        *total = amount;
    if (free)
        *free = amount;
    return DD_OK;
}

HResult VideoDevice::GetDeviceIdentifier(DeviceIdentifier& id)
{
    id = DeviceIdentifier{};
    const char* name = Renderer3DName();
    std::snprintf(id.description, sizeof(id.description), "Quor SDL renderer: %s", name);
    // A stable GUID from the renderer's name (FNV-1a over the name, spread over 16 bytes).
    uint64_t h = 1469598103934665603ull;
    for (const char* p = name; *p != 0; ++p)
        h = (h ^ static_cast<uint8_t>(*p)) * 1099511628211ull;
    for (int i = 0; i < 16; i++) {
        h = (h ^ static_cast<uint64_t>(i)) * 1099511628211ull;
        id.guid[i] = static_cast<uint8_t>(h >> 56);
    }
    return DD_OK;
}

void VideoDevice::LoseSurfaces()
{
    std::lock_guard lock(mMutex);
    for (Surface* s : mSurfaces)
        s->mLost = true;
}

void VideoDevice::PrimaryChanged(Surface* primary, const VRect& rect)
{
    mDirty = Union(mDirty, rect);
    if (OnMainThread())
        Present(primary);
    else
        mPending = true;
}

void VideoDevice::PresentPending()
{
    if (!mPending.load() || !OnMainThread())
        return;
    std::lock_guard lock(mMutex);
    if (mPrimary)
        Present(mPrimary);
    mPending = false;
}

void VideoDevice::Present(Surface* primary)
{
    WindowId window = primary->mClipper && primary->mClipper->Window() ? primary->mClipper->Window() : mWindow;
    if (window == 0) {
        mDirty = VRect{};
        mPending = false;
        return;
    }
    if (!mPresenter)
        mPresenter = std::make_unique<Presenter>();
    if (primary->mGpu != nullptr) {
        // The picture is in the primary's target texture (its memory is brought up first when
        // it was written last).
        SDL_Texture* t = SurfaceGpuAccess::CurrentTexture(primary);
        if (t != nullptr && !mPresenter->ShowTexture(window, t, static_cast<int32_t>(primary->mWidth),
                                                     static_cast<int32_t>(primary->mHeight), mFullScreen)) {
            for (Surface* s : mSurfaces)
                s->mLost = true;
        }
        mDirty = VRect{};
        mPending = false;
        ++mPresents;
        return;
    }
    if (!mPresenter->Show(window, primary->mPixels.data(), primary->mPitch, static_cast<int32_t>(primary->mWidth),
                          static_cast<int32_t>(primary->mHeight), primary->mFormat, mDirty, mFullScreen)) {
        // The window went away under us: the surfaces are lost.
        for (Surface* s : mSurfaces)
            s->mLost = true;
    }
    mDirty = VRect{};
    mPending = false;
    ++mPresents;
}

} // namespace plat
