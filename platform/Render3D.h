// Textured, coloured, alpha-blended triangles drawn into a 3-D device surface of the video
// layer: the device with its render and texture-stage states, textures with a CPU copy, 8-bit
// palettes, the device's limits and texture formats, and a hook that makes the n-th call of a
// kind fail (for tests). Vertex positions are pre-transformed screen positions whose integer
// values name pixel centres.
#pragma once

#include "platform/Results.h"
#include "platform/Video.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

namespace plat {

// Texture formats, as bits of a set.
enum : uint32_t {
    kTexA8R8G8B8 = 1,
    kTexA4R4G4B4 = 2,
    kTexR5G6B5 = 4,
    kTexPalette8 = 8,
};

// Pixel-format flags of a texture format description.
enum : uint32_t {
    kPfAlphaPixels = 0x01,
    kPfPaletteIndexed8 = 0x20,
    kPfRGB = 0x40,
};

// A texture pixel format as the device offers it.
struct TexturePixelFormat {
    uint32_t flags = 0;
    uint32_t bitCount = 0;
    uint32_t redMask = 0;
    uint32_t greenMask = 0;
    uint32_t blueMask = 0;
    uint32_t alphaMask = 0;
    bool operator==(const TexturePixelFormat&) const = default;
};

// The description of one of the four formats; the all-zero format for any other value.
TexturePixelFormat TextureFormatDesc(uint32_t format);
// The format whose description equals the given one exactly; 0 when none does.
uint32_t TextureFormatOf(const TexturePixelFormat& pf);

// A transformed and lit vertex.
struct TLVertex {
    float sx = 0;
    float sy = 0;
    float sz = 0;
    float rhw = 1;
    uint32_t color = 0; // 0xAARRGGBB
    uint32_t specular = 0;
    float tu = 0;
    float tv = 0;
};

enum PrimitiveType : uint32_t {
    kPrimLineStrip = 3,
    kPrimTriangleList = 4,
    kPrimTriangleStrip = 5,
    kPrimTriangleFan = 6,
};

enum RenderState : uint32_t {
    kRsZEnable = 7,
    kRsZWriteEnable = 14,
    kRsSrcBlend = 19,
    kRsDestBlend = 20,
    kRsCullMode = 22,
    kRsDitherEnable = 26,
    kRsAlphaBlendEnable = 27,
    kRsSpecularEnable = 29,
    kRsLighting = 137,
};

enum : uint32_t {
    kBlendOne = 2,
    kBlendSrcAlpha = 5,
    kBlendInvSrcAlpha = 6,
    kCullNone = 1,
};

enum TextureStageState : uint32_t {
    kTssAlphaOp = 4,
    kTssAddressU = 13,
    kTssAddressV = 14,
    kTssMagFilter = 16,
    kTssMinFilter = 17,
    kTssMipFilter = 18,
};

enum : uint32_t {
    kTopModulate = 4,
    kAddressClamp = 3,
    kFilterNone = 0,
    kFilterPoint = 1,
    kFilterLinear = 2,
};

// Texture lock flags.
enum : uint32_t {
    kLockWait = 0x01,
    kLockReadOnly = 0x10,
    kLockWriteOnly = 0x20,
};

// Triangle texture capability: alpha from the palette.
enum : uint32_t { kTexCapsAlphaPalette = 0x80 };

struct DeviceCaps3D {
    uint32_t minTextureWidth = 0;
    uint32_t minTextureHeight = 0;
    uint32_t maxTextureWidth = 0;
    uint32_t maxTextureHeight = 0;
    uint32_t maxTextureAspectRatio = 0;
    uint32_t textureCaps = 0;
};

struct Viewport3D {
    uint32_t x = 0;
    uint32_t y = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    float minZ = 0;
    float maxZ = 1;
};

struct PaletteEntry {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t flags = 0; // the entry's alpha
};

// Kinds of device calls the fault hook can make fail.
enum class Call3D {
    QueryDirect3D,
    CreateDevice,
    SetRenderTarget,
    BeginScene,
    EndScene,
    Clear,
    SetRenderState,
    SetTextureStageState,
    SetTexture,
    DrawPrimitive,
    CreateTexture,
    LockTexture,
    UnlockTexture,
    CreatePalette,
    kCount,
};

// From now on the n-th call (n >= 1) of the kind fails with DDERR_SURFACELOST; 0 removes the
// fault of that kind.
void InjectFault3D(Call3D kind, int n);
void ClearFaults3D();
// True (and the fault used up) when this call of the kind is to fail.
bool Fault3D(Call3D kind);

// True when the environment switch QUOR_NO_3D (set and not "0") makes the 3-D device
// unavailable, so that the program draws in software.
bool Is3DDisabledByEnvironment();

class Palette3D {
public:
    static HResult Create(const PaletteEntry entries[256], Palette3D** out);
    uint32_t AddRef();
    uint32_t Release();
    HResult GetEntries(uint32_t start, uint32_t count, PaletteEntry* out) const;

private:
    Palette3D() = default;
    std::atomic<uint32_t> mRefs{1};
    PaletteEntry mEntries[256] = {};
};

struct TextureGpu; // the device's side of a texture (internal)

// A texture in one of the four formats with a CPU copy of its pixels: Lock hands out the copy,
// Unlock (unless read-only) marks it for upload, which the owning device does on its thread.
class Texture3D {
public:
    // A texture that lives only in memory (what a device without its own texture memory, or a
    // test, makes).
    static HResult CreateMemory(uint32_t width, uint32_t height, uint32_t format, Texture3D** out);
    uint32_t AddRef();
    uint32_t Release();
    uint32_t Width() const { return mWidth; }
    uint32_t Height() const { return mHeight; }
    uint32_t Format() const { return mFormat; }
    HResult Lock(SurfaceDesc& desc, uint32_t flags);
    HResult Unlock();
    HResult SetPalette(Palette3D* palette);
    Palette3D* GetPalette() const { return mPalette; }
    // The pixel bytes (for the device that owns it and for tests).
    const std::vector<uint8_t>& Pixels() const { return mPixels; }
    int32_t Pitch() const { return mPitch; }
    bool Dirty() const { return mDirty; }
    void ClearDirty() { mDirty = false; }
    TextureGpu* Gpu() const { return mGpu.get(); }

private:
    friend class SdlDevice3D;
    Texture3D() = default;
    ~Texture3D();
    std::atomic<uint32_t> mRefs{1};
    uint32_t mWidth = 0;
    uint32_t mHeight = 0;
    uint32_t mFormat = 0;
    int32_t mPitch = 0;
    std::vector<uint8_t> mPixels;
    bool mLocked = false;
    bool mLockReadOnly = false;
    bool mDirty = true;
    Palette3D* mPalette = nullptr;
    std::unique_ptr<TextureGpu> mGpu;
};

// The device: the calls a renderer needs of a 3-D device. Every call returns a result code.
class Device3D {
public:
    virtual ~Device3D() = default;
    uint32_t AddRef() { return ++mRefs; }
    uint32_t Release()
    {
        uint32_t left = --mRefs;
        if (left == 0)
            delete this;
        return left;
    }

    virtual HResult GetCaps(DeviceCaps3D& caps) = 0;
    virtual HResult EnumTextureFormats(std::vector<TexturePixelFormat>& formats) = 0;
    virtual HResult SetViewport(const Viewport3D& viewport) = 0;
    // Fills the render target (the viewport) with one colour.
    virtual HResult Clear(uint32_t color) = 0;
    virtual HResult SetRenderTarget(Surface* surface) = 0;
    virtual HResult BeginScene() = 0;
    virtual HResult EndScene() = 0;
    virtual HResult SetRenderState(RenderState state, uint32_t value) = 0;
    virtual HResult SetTextureStageState(uint32_t stage, TextureStageState state, uint32_t value) = 0;
    virtual HResult SetTexture(uint32_t stage, Texture3D* texture) = 0;
    virtual HResult DrawPrimitive(PrimitiveType type, const TLVertex* vertices, uint32_t count) = 0;
    virtual HResult CreateTexture(uint32_t width, uint32_t height, const TexturePixelFormat& format,
                                  Texture3D** out) = 0;
    virtual HResult CreatePalette(const PaletteEntry entries[256], Palette3D** out) = 0;

private:
    std::atomic<uint32_t> mRefs{1};
};

// The 3-D object of a video device: makes devices on 3-D device surfaces.
class Direct3D {
public:
    uint32_t AddRef() { return ++mRefs; }
    uint32_t Release()
    {
        uint32_t left = --mRefs;
        if (left == 0)
            delete this;
        return left;
    }
    // A device that draws into the surface (which must have kCaps3DDevice and 16, 24 or 32
    // bits per pixel), through the renderer of the video layer.
    HResult CreateDevice(Surface* target, Device3D** out);

private:
    friend class VideoDevice;
    Direct3D() = default;
    std::atomic<uint32_t> mRefs{1};
};

// A device drawing into a target texture of a window's renderer (the accelerated renderer when
// the window has one), for measurements beside the surface device. The window must exist.
HResult CreateWindowDevice3D(WindowId window, uint32_t width, uint32_t height, Device3D** out);
// Shows the window device's target in its window.
HResult PresentWindowDevice3D(Device3D* device);
// True when the window device draws with an accelerated renderer.
bool IsWindowDevice3DAccelerated(Device3D* device);
// The name of the renderer a device of this layer draws with ("software" on a surface).
const char* Renderer3DName();

} // namespace plat
