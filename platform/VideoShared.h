// What the window and video modules of the platform layer share with each other.
#pragma once

#include "platform/Video.h"

#include <cstdint>

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

} // namespace plat::detail
