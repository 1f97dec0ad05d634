// Memory surfaces: formats, locking, blits and their refusals, flipping, display modes and the
// presentation of the primary through a window (SDL's dummy driver).
#include "platform/Video.h"
#include "platform/Window.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

using namespace plat;

namespace {

intptr_t TestProc(WindowId w, uint32_t m, uint32_t wp, uint32_t lp)
{
    return DefWindowProc(w, m, wp, lp);
}

WindowId MakeTestWindow(int w, int h)
{
    static bool registered = RegisterWindowClass("VideoTestWindow", TestProc, 0);
    (void)registered;
    return CreateWindow(0, "VideoTestWindow", "video test", WS_POPUP | WS_VISIBLE, 10, 20, w, h);
}

struct DeviceHolder {
    VideoDevice* device = nullptr;
    DeviceHolder() { EXPECT_EQ(VideoDevice::Create(&device), DD_OK); }
    ~DeviceHolder()
    {
        if (device)
            device->Release();
    }
};

Surface* MakeSurface(VideoDevice* d, uint32_t w, uint32_t h, const PixelFormat& f)
{
    SurfaceDesc desc;
    desc.flags = kDescCaps | kDescWidth | kDescHeight | kDescPixelFormat;
    desc.caps = kCapsOffscreen | kCapsSystemMemory;
    desc.width = w;
    desc.height = h;
    desc.format = f;
    Surface* s = nullptr;
    EXPECT_EQ(d->CreateSurface(desc, &s), DD_OK);
    return s;
}

// Fills a 32-bit surface with x + y * 1000 and reads it back.
void Fill32(Surface* s)
{
    SurfaceDesc d;
    ASSERT_EQ(s->Lock(d), DD_OK);
    for (uint32_t y = 0; y < d.height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(d.pixels) + y * d.pitch);
        for (uint32_t x = 0; x < d.width; ++x)
            row[x] = x + y * 1000;
    }
    ASSERT_EQ(s->Unlock(), DD_OK);
}

uint32_t At32(Surface* s, int x, int y)
{
    SurfaceDesc d;
    EXPECT_EQ(s->Lock(d), DD_OK);
    uint32_t v = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(d.pixels) + y * d.pitch)[x];
    s->Unlock();
    return v;
}

std::vector<uint8_t> Bytes(Surface* s)
{
    SurfaceDesc d;
    EXPECT_EQ(s->Lock(d), DD_OK);
    std::vector<uint8_t> out(static_cast<uint8_t*>(d.pixels), static_cast<uint8_t*>(d.pixels) + d.pitch * d.height);
    s->Unlock();
    return out;
}

} // namespace

TEST(PixelFormat, ValidityByMasks)
{
    struct Case {
        PixelFormat f;
        bool valid;
    } cases[] = {
        {kFormatRGB565, true},
        {kFormatXRGB1555, true},
        {kFormatXRGB8888, true},
        {kFormatBGR565, true},
        {kFormatRGB888, true},
        {{16, 0xF800, 0x0FE0, 0x001F}, false}, // overlapping
        {{16, 0xF800, 0x07A0, 0x001F}, false}, // hole in green
        {{16, 0xF8000, 0x07E0, 0x001F}, false}, // beyond 16 bits
        {{8, 0xE0, 0x1C, 0x03}, false},         // no 8-bit displays
        {{32, 0xFF0000, 0, 0xFF}, false},       // missing channel
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.f.IsValid(), c.valid) << c.f.bitCount << " " << std::hex << c.f.redMask << " " << c.f.greenMask;
        EXPECT_EQ(PixelFormatFromMasks(c.f.bitCount, c.f.redMask, c.f.greenMask, c.f.blueMask).IsValid(), c.valid);
    }
}

TEST(Surface, LockGivesPitchAndPointerAndRefusesNesting)
{
    DeviceHolder h;
    for (PixelFormat f : {kFormatRGB565, kFormatRGB888, kFormatXRGB8888}) {
        Surface* s = MakeSurface(h.device, 13, 5, f);
        ASSERT_NE(s, nullptr);
        SurfaceDesc d;
        ASSERT_EQ(s->Lock(d), DD_OK);
        EXPECT_EQ(d.width, 13u);
        EXPECT_EQ(d.height, 5u);
        EXPECT_GE(d.pitch, static_cast<int32_t>(13 * f.BytesPerPixel()));
        EXPECT_EQ(d.pitch % 4, 0);
        EXPECT_NE(d.pixels, nullptr);
        EXPECT_EQ(d.format, f);
        SurfaceDesc again;
        EXPECT_EQ(s->Lock(again), DDERR_SURFACEBUSY);
        EXPECT_EQ(s->Unlock(), DD_OK);
        EXPECT_EQ(s->Unlock(), DDERR_NOTLOCKED);
        EXPECT_EQ(s->AddRef(), 2u);
        EXPECT_EQ(s->Release(), 1u);
        EXPECT_EQ(s->Release(), 0u);
    }
}

TEST(Surface, BadDescriptionsAreRefused)
{
    DeviceHolder h;
    SurfaceDesc desc;
    desc.flags = kDescCaps | kDescWidth | kDescHeight;
    desc.caps = kCapsOffscreen;
    Surface* s = nullptr;
    desc.width = 0;
    desc.height = 4;
    EXPECT_EQ(h.device->CreateSurface(desc, &s), DDERR_INVALIDPARAMS);
    desc.width = 100000;
    EXPECT_EQ(h.device->CreateSurface(desc, &s), DDERR_TOOBIGSIZE);
    desc.width = 4;
    desc.flags |= kDescPixelFormat;
    desc.format = PixelFormat{16, 0xF800, 0x0FE0, 0x1F};
    EXPECT_EQ(h.device->CreateSurface(desc, &s), DDERR_INVALIDPIXELFORMAT);
    EXPECT_EQ(s, nullptr);
}

TEST(Surface, BltCopiesKeysAndStretches)
{
    DeviceHolder h;
    Surface* src = MakeSurface(h.device, 8, 8, kFormatXRGB8888);
    Surface* dst = MakeSurface(h.device, 16, 16, kFormatXRGB8888);
    Fill32(src);

    VRect s{2, 3, 6, 7};
    VRect d{1, 1, 5, 5};
    ASSERT_EQ(dst->Blt(&d, src, &s, kBltWait), DD_OK);
    EXPECT_EQ(At32(dst, 1, 1), 2u + 3000u);
    EXPECT_EQ(At32(dst, 4, 4), 5u + 6000u);
    EXPECT_EQ(At32(dst, 5, 5), 0u);

    // Nearest stretch: 4x4 -> 8x8 doubles every pixel.
    VRect big{8, 8, 16, 16};
    ASSERT_EQ(dst->Blt(&big, src, &s, kBltWait), DD_OK);
    EXPECT_EQ(At32(dst, 8, 8), 2u + 3000u);
    EXPECT_EQ(At32(dst, 9, 9), 2u + 3000u);
    EXPECT_EQ(At32(dst, 10, 9), 3u + 3000u);
    EXPECT_EQ(At32(dst, 15, 15), 5u + 6000u);

    // Source colour key: the key range is skipped.
    EXPECT_EQ(dst->Blt(nullptr, src, nullptr, kBltKeySrc), DDERR_NOCOLORKEY);
    ASSERT_EQ(src->SetColorKey(3004, 3004), DD_OK);
    Surface* keyed = MakeSurface(h.device, 8, 8, kFormatXRGB8888);
    VRect all{0, 0, 8, 8};
    ASSERT_EQ(keyed->Blt(&all, src, &all, kBltKeySrc | kBltWait), DD_OK);
    EXPECT_EQ(At32(keyed, 4, 3), 0u);
    EXPECT_EQ(At32(keyed, 5, 3), 3005u);

    // Different formats do not mix.
    Surface* other = MakeSurface(h.device, 8, 8, kFormatRGB565);
    EXPECT_EQ(other->Blt(nullptr, src, nullptr, 0), DDERR_INVALIDPIXELFORMAT);

    other->Release();
    keyed->Release();
    src->Release();
    dst->Release();
}

TEST(Surface, RectanglesNotWhollyInsideFailAndChangeNothing)
{
    DeviceHolder h;
    Surface* src = MakeSurface(h.device, 8, 8, kFormatRGB565);
    Surface* dst = MakeSurface(h.device, 8, 8, kFormatRGB565);
    SurfaceDesc d;
    ASSERT_EQ(src->Lock(d), DD_OK);
    std::memset(d.pixels, 0xAB, static_cast<size_t>(d.pitch) * d.height);
    src->Unlock();
    std::vector<uint8_t> before = Bytes(dst);
    struct Case {
        VRect dst, src;
    } cases[] = {
        {{6, 0, 10, 4}, {0, 0, 4, 4}},   // past the right edge
        {{-1, 0, 3, 4}, {0, 0, 4, 4}},   // before the left edge
        {{0, 6, 4, 10}, {0, 0, 4, 4}},   // past the bottom
        {{0, 0, 4, 4}, {5, 5, 9, 9}},    // source partly outside
        {{0, 0, 4, 4}, {0, -2, 4, 2}},   // source above
        {{2, 2, 2, 4}, {0, 0, 4, 4}},    // empty destination
        {{0, 0, 4, 4}, {3, 3, 3, 3}},    // empty source
    };
    for (const Case& c : cases) {
        EXPECT_EQ(dst->Blt(&c.dst, src, &c.src, kBltWait), DDERR_INVALIDRECT)
            << c.dst.left << "," << c.dst.top << " " << c.src.left << "," << c.src.top;
    }
    EXPECT_EQ(Bytes(dst), before);
    src->Release();
    dst->Release();
}

TEST(Surface, BltWithinOneSurfaceOverlaps)
{
    DeviceHolder h;
    Surface* s = MakeSurface(h.device, 8, 1, kFormatXRGB8888);
    Fill32(s);
    VRect from{0, 0, 6, 1};
    VRect to{2, 0, 8, 1};
    ASSERT_EQ(s->Blt(&to, s, &from, 0), DD_OK);
    for (int x = 2; x < 8; ++x)
        EXPECT_EQ(At32(s, x, 0), static_cast<uint32_t>(x - 2));
    s->Release();
}

TEST(VideoDevice, ScanLineIsUnsupportedAndRefreshFollowsSettings)
{
    DeviceHolder h;
    uint32_t line = 99;
    EXPECT_EQ(h.device->GetScanLine(&line), DDERR_UNSUPPORTED);
    VideoTestSettings s;
    s.refreshSet = true;
    s.refreshHz = 0;
    SetVideoTestSettings(&s);
    uint32_t hz = 0;
    EXPECT_LT(h.device->GetMonitorFrequency(&hz), 0);
    s.refreshHz = 75;
    SetVideoTestSettings(&s);
    EXPECT_EQ(h.device->GetMonitorFrequency(&hz), DD_OK);
    EXPECT_EQ(hz, 75u);
    SetVideoTestSettings(nullptr);
}

TEST(VideoDevice, WindowedPrimaryUsesDesktopFormatAndClipsToTheWindow)
{
    WindowId win = MakeTestWindow(32, 16);
    ASSERT_NE(win, 0u);
    DeviceHolder h;
    ASSERT_EQ(h.device->SetCooperativeLevel(win, kCoopNormal), DD_OK);
    SurfaceDesc pd;
    pd.flags = kDescCaps;
    pd.caps = kCapsPrimary;
    Surface* primary = nullptr;
    ASSERT_EQ(h.device->CreateSurface(pd, &primary), DD_OK);
    SurfaceDesc got;
    primary->GetDesc(got);
    EXPECT_EQ(got.format, kFormatXRGB8888);
    Surface* second = nullptr;
    EXPECT_EQ(h.device->CreateSurface(pd, &second), DDERR_PRIMARYSURFACEALREADYEXISTS);

    Clipper* clipper = nullptr;
    ASSERT_EQ(h.device->CreateClipper(&clipper), DD_OK);
    ASSERT_EQ(clipper->SetWindow(win), DD_OK);
    primary->SetClipper(clipper);
    clipper->Release();

    Surface* draw = MakeSurface(h.device, 32, 16, kFormatXRGB8888);
    Fill32(draw);
    WinPoint origin{};
    ASSERT_TRUE(ClientToScreen(win, origin));
    uint64_t before = h.device->PresentCount();
    // Partly off the window: clipped rather than refused.
    VRect dst{origin.x + 16, origin.y, origin.x + 48, origin.y + 16};
    VRect src{0, 0, 32, 16};
    EXPECT_EQ(primary->Blt(&dst, draw, &src, kBltWait), DD_OK);
    EXPECT_EQ(h.device->PresentCount(), before + 1); // presented at once on the main thread

    // Reading back the primary under the window gives what was put there.
    Surface* back = MakeSurface(h.device, 4, 4, kFormatXRGB8888);
    VRect under{origin.x + 16, origin.y, origin.x + 20, origin.y + 4};
    ASSERT_EQ(back->Blt(nullptr, primary, &under, 0), DD_OK);
    EXPECT_EQ(At32(back, 0, 0), 0u);
    EXPECT_EQ(At32(back, 3, 3), 3u + 3000u);
    VRect outside{origin.x + 30, origin.y, origin.x + 34, origin.y + 4};
    EXPECT_EQ(back->Blt(nullptr, primary, &outside, 0), DDERR_INVALIDRECT);

    // A blit from another thread waits for the main thread's pump.
    uint64_t mid = h.device->PresentCount();
    std::thread([&] { EXPECT_EQ(primary->Blt(&dst, draw, &src, kBltWait), DD_OK); }).join();
    EXPECT_EQ(h.device->PresentCount(), mid);
    Message m;
    PeekMessage(m, false);
    EXPECT_EQ(h.device->PresentCount(), mid + 1);

    // Lost surfaces refuse work until restored.
    h.device->LoseSurfaces();
    EXPECT_EQ(primary->Blt(&dst, draw, &src, kBltWait), DDERR_SURFACELOST);
    primary->Restore();
    draw->Restore();
    EXPECT_EQ(primary->Blt(&dst, draw, &src, kBltWait), DD_OK);

    back->Release();
    draw->Release();
    primary->Release();
    DestroyWindow(win);
}

TEST(VideoDevice, FullScreenModeFlipsAndTakesTheModeDepth)
{
    WindowId win = MakeTestWindow(64, 48);
    ASSERT_NE(win, 0u);
    DeviceHolder h;
    EXPECT_EQ(h.device->SetDisplayMode(64, 48, 16), DDERR_NOEXCLUSIVEMODE);
    ASSERT_EQ(h.device->SetCooperativeLevel(win, kCoopExclusive | kCoopFullScreen), DD_OK);
    EXPECT_EQ(h.device->SetDisplayMode(64, 48, 8), DDERR_INVALIDMODE);
    ASSERT_EQ(h.device->SetDisplayMode(64, 48, 16), DD_OK);
    EXPECT_TRUE(IsWindowFullScreen(win));
    WinRect client;
    ASSERT_TRUE(GetClientRect(win, client));
    EXPECT_EQ(client.right, 64);
    EXPECT_EQ(client.bottom, 48);

    SurfaceDesc pd;
    pd.flags = kDescCaps | kDescBackBufferCount;
    pd.caps = kCapsPrimary | kCapsFlip | kCapsComplex;
    pd.backBufferCount = 1;
    Surface* primary = nullptr;
    ASSERT_EQ(h.device->CreateSurface(pd, &primary), DD_OK);
    SurfaceDesc got;
    primary->GetDesc(got);
    EXPECT_EQ(got.format, kFormatRGB565);
    EXPECT_EQ(got.width, 64u);
    Surface* back = nullptr;
    ASSERT_EQ(primary->GetAttachedSurface(&back), DD_OK);

    SurfaceDesc d;
    ASSERT_EQ(back->Lock(d), DD_OK);
    static_cast<uint16_t*>(d.pixels)[0] = 0xF800;
    back->Unlock();
    uint64_t before = h.device->PresentCount();
    ASSERT_EQ(primary->Flip(), DD_OK);
    EXPECT_EQ(h.device->PresentCount(), before + 1);
    ASSERT_EQ(primary->Lock(d), DD_OK);
    EXPECT_EQ(static_cast<uint16_t*>(d.pixels)[0], 0xF800);
    primary->Unlock();

    back->Release();
    primary->Release();
    ASSERT_EQ(h.device->SetCooperativeLevel(win, kCoopNormal), DD_OK);
    EXPECT_FALSE(IsWindowFullScreen(win));
    DestroyWindow(win);
}
