// QuorAppBase: the main window, its input and the screen modes. This headless version lets the
// application run without a window (tests, no display) until the window module replaces it.
#include "app/QuorAppBase.h"

#include "widgets/WidgetManager.h"

namespace Quor {

void QuorAppBase::MakeWindow() {}
void QuorAppBase::ApplyCursor() {}
void QuorAppBase::ReInitImages() {}
void QuorAppBase::DeleteNativeImageData() {}
void QuorAppBase::DeleteExtraImageData() {}
void QuorAppBase::TakeScreenshot() {}
void QuorAppBase::BringToFront(int, int) {}
void QuorAppBase::SwitchScreenMode(bool wantWindowed, bool is3D, bool force)
{
    (void)is3D;
    (void)force;
    mWindowed = wantWindowed;
}
void QuorAppBase::SwitchScreenMode(bool wantWindowed)
{
    SwitchScreenMode(wantWindowed, false, false);
}
void QuorAppBase::SwitchScreenMode()
{
    SwitchScreenMode(mWindowed, false, true);
}
void QuorAppBase::SetVideoMemoryDraw(bool) {}
bool QuorAppBase::IsAltKeyUsed(int)
{
    return false;
}
bool QuorAppBase::DebugKeyDown(int)
{
    return false;
}
bool QuorAppBase::DebugKeyDownAsync(int, bool, bool)
{
    return false;
}
void QuorAppBase::PresentScreen(const Rect*) {}
bool QuorAppBase::IsWindowEnabled()
{
    return !mIsDisabled;
}
void QuorAppBase::PumpWindowMessages() {}
bool QuorAppBase::ProcessDeferredMessage()
{
    return false;
}
void QuorAppBase::ClearKeyStates()
{
    for (bool& down : mWidgetManager->mKeyDown)
        down = false;
}
int QuorAppBase::InitDisplayInterface()
{
    return 1;
}
void QuorAppBase::CheckIdleScreenSaver(uint32_t) {}
void QuorAppBase::CursorThreadStep() {}

} // namespace Quor
