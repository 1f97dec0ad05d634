// Windows and their messages: a window on the desktop seen through the message records a window
// procedure reads (message, two 32-bit parameters), with timers, mouse capture, cursors and the
// Windows key numbers. Everything here runs on the main thread unless a
// function says otherwise.
#pragma once

#include <cstdint>
#include <string>

namespace plat {

using WindowId = uint32_t; // 0: no window
using CursorHandle = void*;

// Message numbers as the window procedure knows them.
inline constexpr uint32_t WM_CREATE = 0x0001;
inline constexpr uint32_t WM_DESTROY = 0x0002;
inline constexpr uint32_t WM_MOVE = 0x0003;
inline constexpr uint32_t WM_SIZE = 0x0005;
inline constexpr uint32_t WM_ACTIVATE = 0x0006;
inline constexpr uint32_t WM_ENABLE = 0x000A;
inline constexpr uint32_t WM_PAINT = 0x000F;
inline constexpr uint32_t WM_CLOSE = 0x0010;
inline constexpr uint32_t WM_QUERYOPEN = 0x0013;
inline constexpr uint32_t WM_ERASEBKGND = 0x0014;
inline constexpr uint32_t WM_SYSCOLORCHANGE = 0x0015;
inline constexpr uint32_t WM_ENDSESSION = 0x0016;
inline constexpr uint32_t WM_ACTIVATEAPP = 0x001C;
inline constexpr uint32_t WM_SETCURSOR = 0x0020;
inline constexpr uint32_t WM_DISPLAYCHANGE = 0x007E;
inline constexpr uint32_t WM_NCACTIVATE = 0x0086;
inline constexpr uint32_t WM_NCLBUTTONDOWN = 0x00A1;
inline constexpr uint32_t WM_KEYDOWN = 0x0100;
inline constexpr uint32_t WM_KEYUP = 0x0101;
inline constexpr uint32_t WM_CHAR = 0x0102;
inline constexpr uint32_t WM_DEADCHAR = 0x0103;
inline constexpr uint32_t WM_SYSKEYDOWN = 0x0104;
inline constexpr uint32_t WM_SYSKEYUP = 0x0105;
inline constexpr uint32_t WM_SYSCHAR = 0x0106;
inline constexpr uint32_t WM_SYSCOMMAND = 0x0112;
inline constexpr uint32_t WM_TIMER = 0x0113;
inline constexpr uint32_t WM_MOUSEMOVE = 0x0200;
inline constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
inline constexpr uint32_t WM_LBUTTONUP = 0x0202;
inline constexpr uint32_t WM_LBUTTONDBLCLK = 0x0203;
inline constexpr uint32_t WM_RBUTTONDOWN = 0x0204;
inline constexpr uint32_t WM_RBUTTONUP = 0x0205;
inline constexpr uint32_t WM_RBUTTONDBLCLK = 0x0206;
inline constexpr uint32_t WM_MBUTTONDOWN = 0x0207;
inline constexpr uint32_t WM_MBUTTONUP = 0x0208;
inline constexpr uint32_t WM_MBUTTONDBLCLK = 0x0209;
inline constexpr uint32_t WM_MOUSEWHEEL = 0x020A;
inline constexpr uint32_t WM_USER = 0x0400;

// WM_SIZE kinds, WM_SYSCOMMAND commands, ShowWindow commands.
inline constexpr uint32_t SIZE_RESTORED = 0;
inline constexpr uint32_t SIZE_MINIMIZED = 1;
inline constexpr uint32_t SIZE_MAXIMIZED = 2;
inline constexpr uint32_t SC_CLOSE = 0xF060;
inline constexpr uint32_t SC_SCREENSAVE = 0xF140;
inline constexpr uint32_t SC_MONITORPOWER = 0xF170;
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOWMINIMIZED = 2;
inline constexpr int SW_SHOWNOACTIVATE = 4;
inline constexpr int SW_SHOW = 5;
inline constexpr int SW_MINIMIZE = 6;
inline constexpr int SW_RESTORE = 9;

// Mouse-key bits of the mouse messages' wParam.
inline constexpr uint32_t MK_LBUTTON = 0x01;
inline constexpr uint32_t MK_RBUTTON = 0x02;
inline constexpr uint32_t MK_SHIFT = 0x04;
inline constexpr uint32_t MK_CONTROL = 0x08;
inline constexpr uint32_t MK_MBUTTON = 0x10;

// Window styles (what CreateWindow looks at) and class styles.
inline constexpr uint32_t WS_POPUP = 0x80000000;
inline constexpr uint32_t WS_VISIBLE = 0x10000000;
inline constexpr uint32_t WS_CLIPCHILDREN = 0x02000000;
inline constexpr uint32_t WS_CAPTION = 0x00C00000;
inline constexpr uint32_t WS_SYSMENU = 0x00080000;
inline constexpr uint32_t WS_MINIMIZEBOX = 0x00020000;
inline constexpr uint32_t WS_EX_TOPMOST = 0x00000008;
inline constexpr uint32_t CS_DBLCLKS = 0x0008;

// Virtual key numbers used by name.
inline constexpr uint32_t VK_BACK = 0x08;
inline constexpr uint32_t VK_TAB = 0x09;
inline constexpr uint32_t VK_RETURN = 0x0D;
inline constexpr uint32_t VK_SHIFT = 0x10;
inline constexpr uint32_t VK_CONTROL = 0x11;
inline constexpr uint32_t VK_MENU = 0x12;
inline constexpr uint32_t VK_ESCAPE = 0x1B;
inline constexpr uint32_t VK_SPACE = 0x20;
inline constexpr uint32_t VK_F4 = 0x73;

// System metrics.
inline constexpr int SM_CXSCREEN = 0;
inline constexpr int SM_CYSCREEN = 1;
inline constexpr int SM_TABLETPC = 86;

// System cursors.
enum class SystemCursor { Arrow, IBeam, Wait, No, SizeAll, SizeNESW, SizeNS, SizeNWSE, SizeWE, Hand };

struct WinPoint {
    int32_t x = 0;
    int32_t y = 0;
};

struct WinRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// One message as the window procedure receives it.
struct Message {
    WindowId window = 0;
    uint32_t message = 0;
    uint32_t wParam = 0;
    uint32_t lParam = 0;
};

using WindowProc = intptr_t (*)(WindowId window, uint32_t message, uint32_t wParam, uint32_t lParam);

inline uint32_t MakeLParam(int32_t lo, int32_t hi)
{
    return (static_cast<uint32_t>(lo) & 0xFFFF) | ((static_cast<uint32_t>(hi) & 0xFFFF) << 16);
}
inline int32_t LoSigned(uint32_t v) { return static_cast<int16_t>(v & 0xFFFF); }
inline int32_t HiSigned(uint32_t v) { return static_cast<int16_t>(v >> 16); }

// Classes and windows. A window of a class with no visible style and no size has no place on the
// desktop (a message-only window); any other window is a real one, shown with WS_VISIBLE.
bool RegisterWindowClass(const std::string& name, WindowProc proc, uint32_t classStyle);
WindowId CreateWindow(uint32_t exStyle, const std::string& className, const std::string& title,
                      uint32_t style, int x, int y, int width, int height);
bool DestroyWindow(WindowId window);
bool IsWindow(WindowId window);
void SetWindowUserData(WindowId window, void* data);
void* GetWindowUserData(WindowId window);
bool ShowWindow(WindowId window, int command);
bool MoveWindow(WindowId window, int x, int y, int width, int height);
bool SetForegroundWindow(WindowId window);
void SetFocus(WindowId window);
WindowId GetActiveWindow();
bool IsWindowVisible(WindowId window);

struct WindowPlacement {
    int showCommand = SW_SHOWNORMAL; // SW_SHOWNORMAL, SW_SHOWMINIMIZED or SW_HIDE
    WinRect normalPosition;          // outer rectangle in screen coordinates
};
bool GetWindowPlacement(WindowId window, WindowPlacement& placement);
// The frame lies outside the client area and is drawn by the desktop: the outer rectangle of a
// window equals its client rectangle.
WinRect AdjustWindowRect(const WinRect& client, uint32_t style);
bool GetClientRect(WindowId window, WinRect& rect);
// Client origin in screen coordinates (0, 0 in full screen, whose coordinates are the mode's).
// Safe from any thread.
bool ClientToScreen(WindowId window, WinPoint& point);
bool ScreenToClient(WindowId window, WinPoint& point);
WinRect GetWorkArea();
int GetSystemMetrics(int index);
// Full screen: the window covers the desktop and shows width x height scaled and letterboxed,
// mouse positions are mapped back to that size.
bool SetWindowFullScreen(WindowId window, bool fullScreen, int width, int height);
bool IsWindowFullScreen(WindowId window);

// The message queue of the main thread.
bool PeekMessage(Message& message, bool remove);
// Waits up to timeoutMs for a message (without removing it); true when one is there.
bool WaitMessage(uint32_t timeoutMs);
void TranslateMessage(const Message& message);
intptr_t DispatchMessage(const Message& message);
intptr_t SendMessage(WindowId window, uint32_t message, uint32_t wParam, uint32_t lParam);
// Any thread.
bool PostMessage(WindowId window, uint32_t message, uint32_t wParam, uint32_t lParam);
// From this call on, the end of the session (SIGTERM or SIGHUP, or the desktop ending the
// application) reaches every window as WM_ENDSESSION with wParam 1, through the message queue
// at its next pump; it waits there while no window exists. A second such signal ends the
// process at once. Call it on the main thread.
void WatchSessionEnd();
intptr_t DefWindowProc(WindowId window, uint32_t message, uint32_t wParam, uint32_t lParam);

// Timers: WM_TIMER with wParam = id every periodMs; at most one is waiting per timer.
bool SetTimer(WindowId window, uint32_t id, uint32_t periodMs);
bool KillTimer(WindowId window, uint32_t id);

// Mouse.
WindowId SetCapture(WindowId window);
bool ReleaseCapture();
WindowId GetCapture();
// Screen position of the mouse; safe from any thread.
bool GetCursorPos(WinPoint& point);
// The window whose client area holds the screen point (0 when none of ours).
WindowId WindowFromPoint(WinPoint point);

// Cursors. CreateCursor takes the two 1-bit planes of a cursor (AND, XOR; rows of width / 8 bytes).
CursorHandle LoadSystemCursor(SystemCursor which);
CursorHandle CreateCursor(int hotX, int hotY, int width, int height, const uint8_t* andPlane,
                          const uint8_t* xorPlane);
bool DestroyCursor(CursorHandle cursor);
// Shows the cursor over our windows; null hides it. Returns the previous one.
CursorHandle SetCursor(CursorHandle cursor);

// Whether a virtual key is held down now (from the keyboard state of the message pump).
bool IsKeyDown(uint32_t virtualKey);

} // namespace plat
