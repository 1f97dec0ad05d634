// What the window and video modules of the platform layer share with each other.
#pragma once

#include "platform/Video.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

struct SDL_Renderer;
struct SDL_Texture;
struct SDL_Window;

namespace plat::detail {

struct DesktopInfo {
    int32_t width = 0;
    int32_t height = 0;
    PixelFormat format;
};

// Starts the window system once (on the calling thread, which becomes the main thread).
bool EnsureVideoSystem();
bool OnMainThread();
// The desktop, or what a test set in its place.
DesktopInfo GetDesktop();
// Called by the message pump of the main thread.
void PresentAllPending();
// Client size of a window (the full-screen mode size in full screen).
bool ClientSize(WindowId window, int32_t& width, int32_t& height);

// The renderer of one window, shared by its presentation and the 3-D devices drawing for it;
// destroyed (when this layer made it) with the last holder. Textures let go of on other
// threads wait in the list for the main thread.
struct WindowRenderer {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    bool own = false;
    std::mutex pendingMutex;
    std::vector<SDL_Texture*> pending;
    void DestroyPending();
    ~WindowRenderer();
};
// Main thread: the renderer of the window (made when it has none); null when none can be made.
std::shared_ptr<WindowRenderer> AcquireWindowRenderer(WindowId window);
// Main thread: the target texture that from now on holds the surface's pixels, made on the
// renderer of the device's window when the surface has none yet and given the surface's
// current pixels; null when the device has no window or the renderer cannot make it.
SDL_Texture* SurfaceDrawTarget(Surface* surface);
// The renderer holding a surface's target texture (null when it has none).
std::shared_ptr<WindowRenderer> SurfaceRenderer(Surface* surface);

} // namespace plat::detail
