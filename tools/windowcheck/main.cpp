// A small application for the desktop test of the window layer: it opens a 320 x 240 window,
// shows a test pattern with a software cursor, and prints every input its widget receives.
// With "--3d" it turns 3-D on and draws the pattern through the renderer as a texture, then
// takes a screenshot of what the renderer drew and prints where it went.
#include "app/Common.h"
#include "app/QuorAppBase.h"
#include "display/DDImage.h"
#include "display/DDInterface.h"
#include "display/ImageTextureSet.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "platform/Shell.h"
#include "platform/Video.h"
#include "platform/Window.h"
#include "widgets/Widget.h"
#include "widgets/WidgetManager.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// Prints what reaches it, one line per event.
class InputLog : public Quor::Widget {
public:
    void MouseDown(int x, int y, int clickCount) override { Print("down %d %d %d", x, y, clickCount); }
    void MouseUp(int x, int y, int clickCount) override { Print("up %d %d %d", x, y, clickCount); }
    void MouseMove(int x, int y) override { Print("move %d %d", x, y); }
    void MouseWheel(int delta) override { Print("wheel %d", delta); }
    void KeyDown(int key) override { Print("key %d", key); }
    void KeyChar(char c) override { Print("char %d", static_cast<unsigned char>(c)); }
    bool WantsFocus() override { return true; }

private:
    template <typename... A>
    void Print(const char* format, A... args)
    {
        std::printf(format, args...);
        std::printf("\n");
        std::fflush(stdout);
    }
};

class CheckApp : public Quor::QuorAppBase {
public:
    CheckApp()
    {
        mCompanyName = "QuorTest";
        mFullCompanyName = "QuorTest";
        mProductName = "WindowCheck";
        mTitle = "windowcheck";
        mRegistryKey = "QuorTest\\WindowCheck";
        mWidth = 320;
        mHeight = 240;
    }
};

// Colour of the test pattern at x, y (XRGB).
uint32_t Pattern(int x, int y)
{
    return static_cast<uint32_t>(((x * 4) & 0xFF) << 16 | ((y * 4) & 0xFF) << 8 | ((x / 40 + y / 40) % 2 ? 0xC0 : 0x30));
}

void DrawPattern(Quor::DDInterface* display)
{
    plat::SurfaceDesc d;
    if (plat::Failed(display->mDrawSurface->Lock(d)) || d.format.bitCount != 32)
        return;
    for (uint32_t y = 0; y < d.height; y++) {
        auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(d.pixels) + y * d.pitch);
        for (uint32_t x = 0; x < d.width; x++)
            row[x] = Pattern(static_cast<int>(x), static_cast<int>(y));
    }
    display->mDrawSurface->Unlock();
}

// The pattern as an opaque image drawn through the renderer, kept in 32-bit textures so that
// it lands unchanged. True when it went that way.
bool DrawPatternIn3D(Quor::QuorAppBase& app, Quor::MemoryImage& image)
{
    Quor::DDImage* screen = app.mDdInterface->GetScreenImage();
    if (screen == nullptr || !screen->Is3D())
        return false;
    std::vector<uint32_t> bits(static_cast<size_t>(app.mWidth) * app.mHeight);
    for (int y = 0; y < app.mHeight; y++)
        for (int x = 0; x < app.mWidth; x++)
            bits[static_cast<size_t>(y) * app.mWidth + x] = 0xFF000000u | Pattern(x, y);
    image.SetBits(bits.data(), app.mWidth, app.mHeight);
    image.mTextureFlags = Quor::TextureFlag_UseA8R8G8B8;
    Quor::Graphics g(screen);
    g.DrawImage(&image, 0, 0);
    return image.mTextureData != nullptr && image.mTextureData->mPixelFormat == plat::kTexA8R8G8B8;
}

} // namespace

int main(int argc, char** argv)
{
    // "--3d" is ours; the application sees the rest.
    const bool want3D = argc > 1 && std::strcmp(argv[1], "--3d") == 0;
    std::vector<char*> args(argv, argv + argc);
    if (want3D)
        args.erase(args.begin() + 1);
    plat::SetCommandLine(static_cast<int>(args.size()), args.data());
    CheckApp app;
    app.mWindowed = true;
    app.Init();
    if (app.mShutdown || app.mDdInterface == nullptr)
        return 1;

    InputLog log;
    log.Resize(0, 0, app.mWidth, app.mHeight);
    app.mWidgetManager->AddWidget(&log);
    app.mWidgetManager->SetFocus(&log);

    // A 15 x 15 cursor: a white cross with a black border, transparent elsewhere.
    Quor::MemoryImage cursor(nullptr);
    std::vector<uint32_t> bits(15 * 15, 0);
    for (int i = 0; i < 15; i++) {
        for (int t = 6; t <= 8; t++) {
            bits[static_cast<size_t>(t * 15 + i)] = 0xFF000000;
            bits[static_cast<size_t>(i * 15 + t)] = 0xFF000000;
        }
    }
    for (int i = 0; i < 15; i++) {
        bits[static_cast<size_t>(7 * 15 + i)] = 0xFFFFFFFF;
        bits[static_cast<size_t>(i * 15 + 7)] = 0xFFFFFFFF;
    }
    cursor.SetBits(bits.data(), 15, 15);
    app.SetCursorImage(12, &cursor);
    app.SetCursor(12);

    Quor::MemoryImage pattern(&app);
    if (want3D) {
        app.Set3DAccelerated(true, true);
        if (!DrawPatternIn3D(app, pattern)) {
            std::printf("3d unavailable: %s\n", app.mDdInterface->mErrorString.c_str());
            return 1;
        }
        app.mDdInterface->RedrawScreen(nullptr);
        app.TakeScreenshot();
        std::printf("3d shot %s_screenshots/\n", Quor::GetAppDataFolder().c_str());
    } else {
        DrawPattern(app.mDdInterface);
        app.mDdInterface->RedrawScreen(nullptr);
    }
    std::printf("ready\n");
    std::fflush(stdout);

    app.Start();
    app.mWidgetManager->RemoveWidget(&log);
    app.SetCursorImage(12, nullptr);
    std::printf("exit\n");
    std::fflush(stdout);
    return 0;
}
