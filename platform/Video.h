// Display surfaces kept in memory with the operations the display code expects of them (pixel
// formats by channel masks, lock with pitch, colour keys, blits, flip), and their presentation
// through one window and a streaming texture.
#pragma once

#include "platform/Results.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace plat {

using WindowId = uint32_t; // also declared by platform/Window.h

// A pixel layout: bits per pixel and the three channel masks (no alpha channel).
struct PixelFormat {
    uint32_t bitCount = 0;
    uint32_t redMask = 0;
    uint32_t greenMask = 0;
    uint32_t blueMask = 0;

    bool operator==(const PixelFormat&) const = default;
    uint32_t BytesPerPixel() const { return bitCount / 8; }
    // Masks that are contiguous, disjoint and fit the bit count, at 16, 24 or 32 bits.
    bool IsValid() const;
};

PixelFormat PixelFormatFromMasks(uint32_t bitCount, uint32_t red, uint32_t green, uint32_t blue);

inline constexpr PixelFormat kFormatRGB565{16, 0xF800, 0x07E0, 0x001F};
inline constexpr PixelFormat kFormatXRGB1555{16, 0x7C00, 0x03E0, 0x001F};
inline constexpr PixelFormat kFormatXRGB8888{32, 0x00FF0000, 0x0000FF00, 0x000000FF};
inline constexpr PixelFormat kFormatBGR565{16, 0x001F, 0x07E0, 0xF800}; // blue in the high bits
inline constexpr PixelFormat kFormatRGB888{24, 0x00FF0000, 0x0000FF00, 0x000000FF};

// Rectangle as left, top, right (exclusive), bottom (exclusive).
struct VRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
};

// Surface capabilities.
enum : uint32_t {
    kCapsPrimary = 0x0001,
    kCapsFlip = 0x0002,
    kCapsComplex = 0x0004,
    kCapsOffscreen = 0x0008,
    kCapsSystemMemory = 0x0010,
    kCapsVideoMemory = 0x0020,
    kCaps3DDevice = 0x0040,
    kCapsBackBuffer = 0x0080,
};

// Which fields of a SurfaceDesc are meaningful.
enum : uint32_t {
    kDescCaps = 0x01,
    kDescWidth = 0x02,
    kDescHeight = 0x04,
    kDescBackBufferCount = 0x08,
    kDescPixelFormat = 0x10,
    kDescPitch = 0x20,
};

struct SurfaceDesc {
    uint32_t flags = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    int32_t pitch = 0;         // bytes per row, filled by Lock and GetDesc
    void* pixels = nullptr;    // filled by Lock
    uint32_t backBufferCount = 0;
    PixelFormat format;
    uint32_t caps = 0;
};

// Blit flags.
enum : uint32_t {
    kBltWait = 0x01000000,
    kBltKeySrc = 0x00008000,
};

// Cooperative levels.
enum : uint32_t {
    kCoopFullScreen = 0x01,
    kCoopNormal = 0x08,
    kCoopExclusive = 0x10,
};

class VideoDevice;
class Clipper;
class Direct3D;
struct RenderBinding; // a 3-D device drawing into a surface (Render3D.cpp)
struct SurfaceGpu;    // a surface's pixels in a target texture of the window's renderer (Video.cpp)

// True on the thread that talks to the window system (the only one that may use a renderer).
bool OnVideoThread();

// What moved between memory and target textures (for tests): pixels read back and uploaded,
// and how many read-backs took a whole surface.
struct GpuTransfers {
    uint64_t pixelsRead = 0;
    uint64_t pixelsUploaded = 0;
    uint64_t wholeReads = 0;
};
GpuTransfers GetGpuTransfers();

// What identifies the display adapter.
struct DeviceIdentifier {
    char driver[512] = {};
    char description[512] = {};
    uint8_t guid[16] = {};
};

// A block of pixels in one pixel format, reference counted (created with one reference).
class Surface {
public:
    uint32_t AddRef();
    uint32_t Release();

    HResult GetDesc(SurfaceDesc& desc) const;
    // Locks the whole surface; desc receives size, pitch, pixel pointer and format. A surface
    // whose pixels live in a target texture is read back first (on the main thread only;
    // elsewhere DDERR_WASSTILLDRAWING).
    HResult Lock(SurfaceDesc& desc);
    HResult Unlock();
    // Source colour key: pixels whose value lies in [low, high] are skipped by keyed blits.
    HResult SetColorKey(uint32_t low, uint32_t high);
    HResult GetColorKey(uint32_t& low, uint32_t& high) const;
    // Copies src (or its srcRect) to dst (or dstRect), stretching by nearest pixel when the
    // sizes differ. Both surfaces must have the same format; a rectangle that is empty or not
    // wholly inside its surface fails with DDERR_INVALIDRECT, except that a destination on a
    // primary with a clipper is clipped to the clipper's window. Between two surfaces in target
    // textures the copy stays on the renderer; a blit from or into one otherwise goes through
    // a memory copy of just its rectangle (main thread only; elsewhere DDERR_WASSTILLDRAWING).
    HResult Blt(const VRect* dstRect, Surface* src, const VRect* srcRect, uint32_t flags);
    // The back buffer of a flipping primary (one more reference).
    HResult GetAttachedSurface(Surface** out);
    // Exchanges a flipping primary with its back buffer and presents it.
    HResult Flip();
    HResult SetClipper(Clipper* clipper);
    bool IsLost() const { return mLost.load(); }
    HResult Restore();

private:
    friend class VideoDevice;
    friend struct VideoAccess;
    friend struct Render3DAccess;
    friend struct SurfaceGpuAccess;
    Surface() = default;
    ~Surface();
    void RefreshOrigin();
    // Lets a 3-D device drawing into this surface finish its queued drawing.
    void FinishRendering();

    std::atomic<uint32_t> mRefs{1};
    VideoDevice* mDevice = nullptr; // holds one reference while the surface lives
    uint32_t mWidth = 0;
    uint32_t mHeight = 0;
    int32_t mPitch = 0;
    PixelFormat mFormat;
    uint32_t mCaps = 0;
    std::vector<uint8_t> mPixels;
    bool mLocked = false;
    bool mHasKey = false;
    uint32_t mKeyLow = 0;
    uint32_t mKeyHigh = 0;
    std::atomic<bool> mLost{false};
    Clipper* mClipper = nullptr;
    Surface* mBack = nullptr; // flipping primary: its back buffer
    Surface* mFront = nullptr; // back buffer: its primary (not counted)
    RenderBinding* mRender = nullptr; // the 3-D device drawing into it, or null
    SurfaceGpu* mGpu = nullptr;       // its target texture once a renderer draws into it
    // Primary only: where its visible pixels lie in its own coordinates.
    int32_t mOriginX = 0;
    int32_t mOriginY = 0;
};

// Clips blits to a primary surface to the client area of a window.
class Clipper {
public:
    uint32_t AddRef();
    uint32_t Release();
    HResult SetWindow(WindowId window);
    WindowId Window() const { return mWindow; }

private:
    friend class VideoDevice;
    Clipper() = default;
    std::atomic<uint32_t> mRefs{1};
    WindowId mWindow = 0;
};

// Settings a test gives the video layer in place of the real desktop (all zero: none).
struct VideoTestSettings {
    int32_t desktopWidth = 0;
    int32_t desktopHeight = 0;
    PixelFormat desktopFormat;      // used in windowed mode
    PixelFormat format16;           // layout of a 16-bit display mode
    bool refreshSet = false;
    uint32_t refreshHz = 0;         // 0: not readable
    bool refuseExclusive = false;   // full-screen cooperative level refused
    bool refuseModeChange = false;  // display mode refused
    bool refuseCreate = false;      // the device cannot be made
    uint32_t videoMemoryBytes = 0;  // total video memory reported (0: the layer's default)
};
void SetVideoTestSettings(const VideoTestSettings* settings);

class Presenter;

// The display object: display modes, cooperative level, surfaces and presentation. Only the
// main thread (the one that made the device) talks to the window system; a blit to the primary
// from another thread changes the memory pixels and leaves the presentation to the main thread
// (PresentPending, which the message pump calls).
class VideoDevice {
public:
    static HResult Create(VideoDevice** out);
    uint32_t AddRef();
    uint32_t Release();

    HResult SetCooperativeLevel(WindowId window, uint32_t flags);
    // Full screen: the desktop-sized full-screen window shows the mode scaled and letterboxed.
    HResult SetDisplayMode(uint32_t width, uint32_t height, uint32_t bitsPerPixel);
    HResult RestoreDisplayMode();
    HResult CreateSurface(const SurfaceDesc& desc, Surface** out);
    HResult CreateClipper(Clipper** out);
    HResult GetMonitorFrequency(uint32_t* hz);
    // The beam position cannot be read here: always DDERR_UNSUPPORTED.
    HResult GetScanLine(uint32_t* line);
    HResult WaitForVerticalBlank();
    HResult FlipToGDISurface();
    HResult GetAvailableVidMem(uint32_t* total, uint32_t* free);
    HResult GetDeviceIdentifier(DeviceIdentifier& id);
    // The 3-D object of this device; fails when no 3-D device can be made here (the
    // environment switch of Render3D.h turns it off).
    HResult QueryDirect3D(Direct3D** out);

    // The format of the primary surface in the current mode.
    PixelFormat DisplayFormat() const;
    bool IsFullScreen() const { return mFullScreen; }
    // Marks every surface of the device lost (the window system took the screen).
    void LoseSurfaces();
    // Main thread: uploads and shows what blits from other threads left on the primary.
    void PresentPending();
    // The number of frames shown (for tests).
    uint64_t PresentCount() const { return mPresents.load(); }

private:
    friend class Surface;
    friend struct VideoAccess;
    VideoDevice();
    ~VideoDevice();
    void Forget(Surface* surface);
    void PrimaryChanged(Surface* primary, const VRect& rect); // called with the primary's lock held
    void Present(Surface* primary);
    bool OnMainThread() const;

    std::atomic<uint32_t> mRefs{1};
    std::recursive_mutex mMutex; // guards the surface list and the primary's pixels
    std::vector<Surface*> mSurfaces;
    WindowId mWindow = 0;
    uint32_t mCoopFlags = kCoopNormal;
    bool mFullScreen = false;
    uint32_t mModeWidth = 0;
    uint32_t mModeHeight = 0;
    PixelFormat mModeFormat;
    Surface* mPrimary = nullptr; // not counted
    VRect mDirty{};
    std::atomic<bool> mPending{false};
    std::atomic<uint64_t> mPresents{0};
    std::unique_ptr<Presenter> mPresenter;
    friend struct SurfaceGpuAccess;
};

} // namespace plat
