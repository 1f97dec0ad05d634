// Windows and messages on SDL2: SDL events become the message records of the window procedure.
#include "platform/Window.h"

#include "platform/Dialogs.h"
#include "platform/VideoShared.h"

#include <SDL.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <csignal>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace plat {

namespace {

struct WindowClass {
    WindowProc proc = nullptr;
    uint32_t style = 0;
};

struct WindowRecord {
    WindowClass cls;
    uint32_t style = 0;
    SDL_Window* sdl = nullptr; // null for a message-only window
    void* user = nullptr;
    bool visible = false;
    bool minimised = false;
    bool fullScreen = false;
    int32_t width = 0; // client size
    int32_t height = 0;
    int32_t fsWidth = 0; // the mode shown in full screen
    int32_t fsHeight = 0;
    int32_t normalX = 0; // normal position (windowed)
    int32_t normalY = 0;
};

struct Timer {
    WindowId window = 0;
    uint32_t id = 0;
    uint32_t period = 0;
    uint32_t due = 0;
};

struct State {
    std::map<std::string, WindowClass> classes;
    std::map<WindowId, WindowRecord> windows;
    std::deque<Message> queue;
    std::vector<Timer> timers;
    WindowId nextMessageOnly = 0x40000000;
    WindowId capture = 0;
    WindowId active = 0;
    WindowId mouseOver = 0;
    std::array<bool, 256> keys{};
    bool altDown = false;
    bool ctrlDown = false;
    CursorHandle cursor = nullptr;
    bool cursorHidden = false;
};

State& S()
{
    static State state;
    return state;
}

// Posted from other threads; moved into the queue by the pump.
std::mutex gPostMutex;
std::vector<Message> gPosted;

// Screen origin of each window's client area and the mouse position, for other threads.
std::mutex gGeomMutex;
std::map<WindowId, WinPoint> gOrigins;
std::atomic<int32_t> gMouseX{0};
std::atomic<int32_t> gMouseY{0};

std::atomic<uint64_t> gMainThread{0};

// Set by the session-end signals (a lock-free flag is safe to set in a signal handler).
std::atomic<bool> gSessionEnding{false};
static_assert(std::atomic<bool>::is_always_lock_free);

void OnSessionEndSignal(int)
{
    gSessionEnding.store(true);
}

uint64_t ThisThread()
{
    return std::hash<std::thread::id>{}(std::this_thread::get_id());
}

WindowRecord* Find(WindowId id)
{
    auto it = S().windows.find(id);
    return it == S().windows.end() ? nullptr : &it->second;
}

void StoreOrigin(WindowId id, int32_t x, int32_t y)
{
    std::lock_guard lock(gGeomMutex);
    gOrigins[id] = WinPoint{x, y};
}

void RefreshOrigin(WindowId id, WindowRecord& w)
{
    if (!w.sdl)
        return;
    if (w.fullScreen) {
        StoreOrigin(id, 0, 0);
        return;
    }
    int x = 0, y = 0;
    SDL_GetWindowPosition(w.sdl, &x, &y);
    w.normalX = x;
    w.normalY = y;
    StoreOrigin(id, x, y);
}

void Push(WindowId window, uint32_t message, uint32_t wParam, uint32_t lParam)
{
    S().queue.push_back(Message{window, message, wParam, lParam});
}

// SDL key -> Windows virtual key number (0: none).
uint32_t VirtualKey(SDL_Keycode key)
{
    if (key >= SDLK_a && key <= SDLK_z)
        return 'A' + static_cast<uint32_t>(key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9)
        return '0' + static_cast<uint32_t>(key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12)
        return 0x70 + static_cast<uint32_t>(key - SDLK_F1);
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9)
        return 0x61 + static_cast<uint32_t>(key - SDLK_KP_1);
    switch (key) {
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_TAB: return VK_TAB;
    case SDLK_RETURN: case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return VK_SHIFT;
    case SDLK_LCTRL: case SDLK_RCTRL: return VK_CONTROL;
    case SDLK_LALT: case SDLK_RALT: return VK_MENU;
    case SDLK_PAUSE: return 0x13;
    case SDLK_CAPSLOCK: return 0x14;
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_PAGEUP: return 0x21;
    case SDLK_PAGEDOWN: return 0x22;
    case SDLK_END: return 0x23;
    case SDLK_HOME: return 0x24;
    case SDLK_LEFT: return 0x25;
    case SDLK_UP: return 0x26;
    case SDLK_RIGHT: return 0x27;
    case SDLK_DOWN: return 0x28;
    case SDLK_PRINTSCREEN: return 0x2C;
    case SDLK_INSERT: return 0x2D;
    case SDLK_DELETE: return 0x2E;
    case SDLK_LGUI: return 0x5B;
    case SDLK_RGUI: return 0x5C;
    case SDLK_APPLICATION: return 0x5D;
    case SDLK_KP_0: return 0x60;
    case SDLK_KP_MULTIPLY: return 0x6A;
    case SDLK_KP_PLUS: return 0x6B;
    case SDLK_KP_MINUS: return 0x6D;
    case SDLK_KP_PERIOD: return 0x6E;
    case SDLK_KP_DIVIDE: return 0x6F;
    case SDLK_NUMLOCKCLEAR: return 0x90;
    case SDLK_SCROLLLOCK: return 0x91;
    case SDLK_SEMICOLON: return 0xBA;
    case SDLK_EQUALS: return 0xBB;
    case SDLK_COMMA: return 0xBC;
    case SDLK_MINUS: return 0xBD;
    case SDLK_PERIOD: return 0xBE;
    case SDLK_SLASH: return 0xBF;
    case SDLK_BACKQUOTE: return 0xC0;
    case SDLK_LEFTBRACKET: return 0xDB;
    case SDLK_BACKSLASH: return 0xDC;
    case SDLK_RIGHTBRACKET: return 0xDD;
    case SDLK_QUOTE: return 0xDE;
    default: return 0;
    }
}

uint32_t MouseKeys(uint32_t buttons)
{
    uint32_t mk = 0;
    if (buttons & SDL_BUTTON_LMASK)
        mk |= MK_LBUTTON;
    if (buttons & SDL_BUTTON_RMASK)
        mk |= MK_RBUTTON;
    if (buttons & SDL_BUTTON_MMASK)
        mk |= MK_MBUTTON;
    if (S().keys[VK_SHIFT])
        mk |= MK_SHIFT;
    if (S().keys[VK_CONTROL])
        mk |= MK_CONTROL;
    return mk;
}

void SetMouse(WindowId id, int32_t x, int32_t y)
{
    WinPoint origin{};
    {
        std::lock_guard lock(gGeomMutex);
        auto it = gOrigins.find(id);
        if (it != gOrigins.end())
            origin = it->second;
    }
    gMouseX = origin.x + x;
    gMouseY = origin.y + y;
}

void TranslateKey(const SDL_KeyboardEvent& e, bool down)
{
    State& s = S();
    WindowId id = e.windowID;
    if (!Find(id))
        id = s.active;
    uint32_t vk = VirtualKey(e.keysym.sym);
    bool alt = (e.keysym.mod & KMOD_ALT) != 0 || (down && vk == VK_MENU);
    bool ctrl = (e.keysym.mod & KMOD_CTRL) != 0 || (down && vk == VK_CONTROL);
    if (vk == VK_MENU)
        s.altDown = down;
    if (vk == VK_CONTROL)
        s.ctrlDown = down;
    if (vk == 0)
        return;
    bool wasDown = s.keys[vk];
    s.keys[vk] = down;
    uint32_t lParam = (down ? 1u : 1u) | ((static_cast<uint32_t>(e.keysym.scancode) & 0xFF) << 16);
    bool sys = alt && !ctrl;
    if (sys)
        lParam |= 1u << 29;
    if (down && (wasDown || e.repeat))
        lParam |= 1u << 30;
    if (!down)
        lParam |= (1u << 30) | (1u << 31);
    // Releasing Alt itself after it was held is a system key release too.
    bool sysMsg = sys || (!down && vk == VK_MENU);
    Push(id, down ? (sysMsg ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sysMsg ? WM_SYSKEYUP : WM_KEYUP), vk,
         lParam);
    if (!down)
        return;
    // Characters that come with the key rather than as text.
    int ch = -1;
    if (ctrl && !alt && vk >= 'A' && vk <= 'Z')
        ch = static_cast<int>(vk - 'A' + 1);
    else if (vk == VK_BACK || vk == VK_TAB || vk == VK_RETURN || vk == VK_ESCAPE)
        ch = static_cast<int>(vk);
    else if (sys && ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9') || vk == VK_SPACE)) {
        ch = static_cast<int>(vk);
        if (vk >= 'A' && vk <= 'Z' && !(e.keysym.mod & KMOD_SHIFT))
            ch = ch - 'A' + 'a';
    }
    if (ch >= 0)
        Push(id, sys ? WM_SYSCHAR : WM_CHAR, static_cast<uint32_t>(ch), lParam & 0x00FF0001);
}

void TranslateEvent(const SDL_Event& e)
{
    State& s = S();
    switch (e.type) {
    case SDL_MOUSEMOTION: {
        WindowRecord* w = Find(e.motion.windowID);
        if (!w)
            return;
        s.mouseOver = e.motion.windowID;
        SetMouse(e.motion.windowID, e.motion.x, e.motion.y);
        Push(e.motion.windowID, WM_MOUSEMOVE, MouseKeys(e.motion.state), MakeLParam(e.motion.x, e.motion.y));
        return;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        WindowRecord* w = Find(e.button.windowID);
        if (!w)
            return;
        bool down = e.type == SDL_MOUSEBUTTONDOWN;
        bool dbl = down && (w->cls.style & CS_DBLCLKS) && e.button.clicks >= 2 && e.button.clicks % 2 == 0;
        uint32_t msg = 0;
        switch (e.button.button) {
        case SDL_BUTTON_LEFT: msg = down ? (dbl ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN) : WM_LBUTTONUP; break;
        case SDL_BUTTON_RIGHT: msg = down ? (dbl ? WM_RBUTTONDBLCLK : WM_RBUTTONDOWN) : WM_RBUTTONUP; break;
        case SDL_BUTTON_MIDDLE: msg = down ? (dbl ? WM_MBUTTONDBLCLK : WM_MBUTTONDOWN) : WM_MBUTTONUP; break;
        default: return;
        }
        uint32_t state = SDL_GetMouseState(nullptr, nullptr);
        uint32_t bit = SDL_BUTTON(e.button.button);
        state = down ? (state | bit) : (state & ~bit);
        SetMouse(e.button.windowID, e.button.x, e.button.y);
        Push(e.button.windowID, msg, MouseKeys(state), MakeLParam(e.button.x, e.button.y));
        return;
    }
    case SDL_MOUSEWHEEL: {
        WindowId id = Find(e.wheel.windowID) ? e.wheel.windowID : s.active;
        if (!Find(id))
            return;
        float notches = e.wheel.preciseY;
        if (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED)
            notches = -notches;
        int32_t delta = static_cast<int32_t>(std::lround(notches * 120.0f));
        delta = std::clamp(delta, -32768, 32767);
        uint32_t wParam = (static_cast<uint32_t>(delta) << 16) | MouseKeys(SDL_GetMouseState(nullptr, nullptr));
        Push(id, WM_MOUSEWHEEL, wParam, MakeLParam(gMouseX.load(), gMouseY.load()));
        return;
    }
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        TranslateKey(e.key, e.type == SDL_KEYDOWN);
        return;
    case SDL_TEXTINPUT: {
        if (s.altDown || s.ctrlDown)
            return; // those characters come with their keys
        WindowId id = Find(e.text.windowID) ? e.text.windowID : s.active;
        for (unsigned char c : Utf8ToCp1252(e.text.text)) {
            if (c >= 0x20 && c != 0x7F)
                Push(id, WM_CHAR, c, 1);
        }
        return;
    }
    case SDL_WINDOWEVENT: {
        WindowId id = e.window.windowID;
        WindowRecord* w = Find(id);
        if (!w)
            return;
        switch (e.window.event) {
        case SDL_WINDOWEVENT_CLOSE: Push(id, WM_CLOSE, 0, 0); break;
        case SDL_WINDOWEVENT_EXPOSED: Push(id, WM_PAINT, 0, 0); break;
        case SDL_WINDOWEVENT_MOVED:
            RefreshOrigin(id, *w);
            if (!w->fullScreen)
                Push(id, WM_MOVE, 0, MakeLParam(e.window.data1, e.window.data2));
            break;
        case SDL_WINDOWEVENT_MINIMIZED:
            w->minimised = true;
            Push(id, WM_SIZE, SIZE_MINIMIZED, 0);
            break;
        case SDL_WINDOWEVENT_MAXIMIZED:
            Push(id, WM_SIZE, SIZE_MAXIMIZED, MakeLParam(w->width, w->height));
            break;
        case SDL_WINDOWEVENT_RESTORED:
            w->minimised = false;
            Push(id, WM_SIZE, SIZE_RESTORED, MakeLParam(w->width, w->height));
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            if (s.active != id) {
                s.active = id;
                Push(id, WM_ACTIVATEAPP, 1, 0);
            }
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            if (s.active == id) {
                s.active = 0;
                s.keys.fill(false);
                s.altDown = s.ctrlDown = false;
                Push(id, WM_ACTIVATEAPP, 0, 0);
            }
            break;
        case SDL_WINDOWEVENT_ENTER: {
            s.mouseOver = id;
            int x = 0, y = 0;
            SDL_GetMouseState(&x, &y);
            SetMouse(id, x, y);
            break;
        }
        case SDL_WINDOWEVENT_LEAVE:
            if (s.mouseOver == id)
                s.mouseOver = 0;
            break;
        default: break;
        }
        return;
    }
    case SDL_APP_TERMINATING:
        gSessionEnding.store(true);
        return;
    case SDL_DISPLAYEVENT:
        for (auto& [id, w] : s.windows) {
            if (w.sdl)
                Push(id, WM_DISPLAYCHANGE, 0, 0);
        }
        return;
    default: return;
    }
}

bool TimerWaiting(const Timer& t)
{
    for (const Message& m : S().queue) {
        if (m.message == WM_TIMER && m.window == t.window && m.wParam == t.id)
            return true;
    }
    return false;
}

void Pump()
{
    if (!detail::EnsureVideoSystem())
        return;
    State& s = S();
    SDL_Event e;
    while (SDL_PollEvent(&e))
        TranslateEvent(e);
    {
        std::lock_guard lock(gPostMutex);
        for (const Message& m : gPosted)
            s.queue.push_back(m);
        gPosted.clear();
    }
    if (!s.windows.empty() && gSessionEnding.exchange(false)) {
        for (const auto& [id, w] : s.windows)
            Push(id, WM_ENDSESSION, 1, 0);
    }
    // Timer messages come when nothing else waits, and at most one per timer.
    if (s.queue.empty()) {
        uint32_t now = SDL_GetTicks();
        for (Timer& t : s.timers) {
            if (static_cast<int32_t>(now - t.due) >= 0 && !TimerWaiting(t)) {
                Push(t.window, WM_TIMER, t.id, 0);
                t.due = now + t.period;
            }
        }
    }
    detail::PresentAllPending();
}

} // namespace

namespace detail {

bool EnsureVideoSystem()
{
    if (SDL_WasInit(SDL_INIT_VIDEO))
        return true;
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return false;
    gMainThread = ThisThread();

    return true;
}

bool OnMainThread()
{
    return gMainThread.load() == ThisThread();
}

bool ClientSize(WindowId window, int32_t& width, int32_t& height)
{
    WindowRecord* w = Find(window);
    if (!w)
        return false;
    width = w->fullScreen ? w->fsWidth : w->width;
    height = w->fullScreen ? w->fsHeight : w->height;
    return true;
}

} // namespace detail

bool RegisterWindowClass(const std::string& name, WindowProc proc, uint32_t classStyle)
{
    if (name.empty() || !proc || S().classes.count(name))
        return false;
    S().classes[name] = WindowClass{proc, classStyle};
    return true;
}

WindowId CreateWindow(uint32_t exStyle, const std::string& className, const std::string& title,
                      uint32_t style, int x, int y, int width, int height)
{
    (void)exStyle;
    State& s = S();
    auto cls = s.classes.find(className);
    if (cls == s.classes.end())
        return 0;
    WindowRecord rec;
    rec.cls = cls->second;
    rec.style = style;
    rec.width = std::max(0, width);
    rec.height = std::max(0, height);
    WindowId id = 0;
    bool messageOnly = !(style & WS_VISIBLE) && width <= 0 && height <= 0;
    if (messageOnly) {
        id = s.nextMessageOnly++;
    } else {
        if (!detail::EnsureVideoSystem())
            return 0;
        uint32_t flags = SDL_WINDOW_HIDDEN;
        if (!(style & WS_CAPTION))
            flags |= SDL_WINDOW_BORDERLESS;
        std::string utf8 = Cp1252ToUtf8(title);
        rec.sdl = SDL_CreateWindow(utf8.c_str(), x, y, std::max(1, width), std::max(1, height), flags);
        if (!rec.sdl)
            return 0;
        id = SDL_GetWindowID(rec.sdl);
        rec.normalX = x;
        rec.normalY = y;
        StoreOrigin(id, x, y);
    }
    s.windows[id] = rec;
    SendMessage(id, WM_CREATE, 0, 0);
    if (style & WS_VISIBLE)
        ShowWindow(id, SW_SHOW);
    return id;
}

bool DestroyWindow(WindowId window)
{
    State& s = S();
    WindowRecord* w = Find(window);
    if (!w)
        return false;
    SendMessage(window, WM_DESTROY, 0, 0);
    w = Find(window);
    if (!w)
        return true;
    SDL_Window* sdl = w->sdl;
    s.windows.erase(window);
    std::erase_if(s.timers, [&](const Timer& t) { return t.window == window; });
    std::erase_if(s.queue, [&](const Message& m) { return m.window == window; });
    {
        std::lock_guard lock(gGeomMutex);
        gOrigins.erase(window);
    }
    if (s.capture == window)
        ReleaseCapture();
    if (s.active == window)
        s.active = 0;
    if (s.mouseOver == window)
        s.mouseOver = 0;
    if (sdl)
        SDL_DestroyWindow(sdl);
    return true;
}

bool IsWindow(WindowId window)
{
    return Find(window) != nullptr;
}

void SetWindowUserData(WindowId window, void* data)
{
    if (WindowRecord* w = Find(window))
        w->user = data;
}

void* GetWindowUserData(WindowId window)
{
    WindowRecord* w = Find(window);
    return w ? w->user : nullptr;
}

bool ShowWindow(WindowId window, int command)
{
    WindowRecord* w = Find(window);
    if (!w)
        return false;
    bool was = w->visible;
    if (!w->sdl) {
        w->visible = command != SW_HIDE;
        return was;
    }
    switch (command) {
    case SW_HIDE:
        SDL_HideWindow(w->sdl);
        w->visible = false;
        break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
        SDL_ShowWindow(w->sdl);
        SDL_MinimizeWindow(w->sdl);
        w->visible = true;
        break;
    case SW_RESTORE:
        SDL_ShowWindow(w->sdl);
        SDL_RestoreWindow(w->sdl);
        w->visible = true;
        break;
    default:
        SDL_ShowWindow(w->sdl);
        w->visible = true;
        if (command != SW_SHOWNOACTIVATE)
            SDL_RaiseWindow(w->sdl);
        break;
    }
    // A place given while the window was hidden may not have been taken: give it again.
    RefreshOrigin(window, *w);
    return was;
}

bool MoveWindow(WindowId window, int x, int y, int width, int height)
{
    WindowRecord* w = Find(window);
    if (!w)
        return false;
    w->width = std::max(0, width);
    w->height = std::max(0, height);
    w->normalX = x;
    w->normalY = y;
    if (w->sdl) {
        SDL_SetWindowSize(w->sdl, std::max(1, width), std::max(1, height));
        SDL_SetWindowPosition(w->sdl, x, y);
        StoreOrigin(window, x, y);
    }
    return true;
}

bool SetForegroundWindow(WindowId window)
{
    WindowRecord* w = Find(window);
    if (!w || !w->sdl)
        return false;
    SDL_RaiseWindow(w->sdl);
    return true;
}

void SetFocus(WindowId window)
{
    if (WindowRecord* w = Find(window); w && w->sdl)
        SDL_SetWindowInputFocus(w->sdl);
}

WindowId GetActiveWindow()
{
    return S().active;
}

bool IsWindowVisible(WindowId window)
{
    WindowRecord* w = Find(window);
    return w && w->visible;
}

bool GetWindowPlacement(WindowId window, WindowPlacement& placement)
{
    WindowRecord* w = Find(window);
    if (!w)
        return false;
    if (w->sdl) {
        uint32_t flags = SDL_GetWindowFlags(w->sdl);
        w->minimised = (flags & SDL_WINDOW_MINIMIZED) != 0 || w->minimised;
        if (!w->fullScreen && !(flags & SDL_WINDOW_MINIMIZED))
            RefreshOrigin(window, *w);
    }
    placement.showCommand = !w->visible ? SW_HIDE : w->minimised ? SW_SHOWMINIMIZED : SW_SHOWNORMAL;
    placement.normalPosition = WinRect{w->normalX, w->normalY, w->normalX + w->width, w->normalY + w->height};
    return true;
}

WinRect AdjustWindowRect(const WinRect& client, uint32_t style)
{
    (void)style;
    return client;
}

bool GetClientRect(WindowId window, WinRect& rect)
{
    int32_t w = 0, h = 0;
    if (!detail::ClientSize(window, w, h))
        return false;
    rect = WinRect{0, 0, w, h};
    return true;
}

bool ClientToScreen(WindowId window, WinPoint& point)
{
    std::lock_guard lock(gGeomMutex);
    auto it = gOrigins.find(window);
    if (it == gOrigins.end())
        return false;
    point.x += it->second.x;
    point.y += it->second.y;
    return true;
}

bool ScreenToClient(WindowId window, WinPoint& point)
{
    std::lock_guard lock(gGeomMutex);
    auto it = gOrigins.find(window);
    if (it == gOrigins.end())
        return false;
    point.x -= it->second.x;
    point.y -= it->second.y;
    return true;
}

WinRect GetWorkArea()
{
    detail::DesktopInfo d = detail::GetDesktop();
    WinRect r{0, 0, d.width, d.height};
    SDL_Rect usable;
    if (SDL_WasInit(SDL_INIT_VIDEO) && SDL_GetDisplayUsableBounds(0, &usable) == 0 && usable.w <= d.width &&
        usable.h <= d.height && usable.w > 0 && usable.h > 0)
        r = WinRect{usable.x, usable.y, usable.x + usable.w, usable.y + usable.h};
    return r;
}

int GetSystemMetrics(int index)
{
    switch (index) {
    case SM_CXSCREEN: return detail::GetDesktop().width;
    case SM_CYSCREEN: return detail::GetDesktop().height;
    default: return 0;
    }
}

bool SetWindowFullScreen(WindowId window, bool fullScreen, int width, int height)
{
    WindowRecord* w = Find(window);
    if (!w || !w->sdl)
        return false;
    if (fullScreen) {
        // Cover the desktop also where no window manager takes the full-screen request.
        detail::DesktopInfo d = detail::GetDesktop();
        SDL_SetWindowPosition(w->sdl, 0, 0);
        SDL_SetWindowSize(w->sdl, std::max(1, d.width), std::max(1, d.height));
    }
    if (SDL_SetWindowFullscreen(w->sdl, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0)
        return false;
    w->fullScreen = fullScreen;
    w->fsWidth = width;
    w->fsHeight = height;
    if (!fullScreen) {
        SDL_SetWindowSize(w->sdl, std::max(1, w->width), std::max(1, w->height));
        SDL_SetWindowPosition(w->sdl, w->normalX, w->normalY);
        StoreOrigin(window, w->normalX, w->normalY);
    } else {
        StoreOrigin(window, 0, 0);
    }
    return true;
}

bool IsWindowFullScreen(WindowId window)
{
    WindowRecord* w = Find(window);
    return w && w->fullScreen;
}

bool PeekMessage(Message& message, bool remove)
{
    Pump();
    State& s = S();
    if (s.queue.empty())
        return false;
    message = s.queue.front();
    if (remove)
        s.queue.pop_front();
    return true;
}

bool WaitMessage(uint32_t timeoutMs)
{
    uint32_t start = SDL_GetTicks();
    for (;;) {
        Pump();
        if (!S().queue.empty())
            return true;
        uint32_t spent = SDL_GetTicks() - start;
        if (spent >= timeoutMs)
            return false;
        SDL_WaitEventTimeout(nullptr, static_cast<int>(std::min<uint32_t>(timeoutMs - spent, 5)));
    }
}

void TranslateMessage(const Message&)
{
    // Characters are made with their key messages already.
}

intptr_t DispatchMessage(const Message& message)
{
    return SendMessage(message.window, message.message, message.wParam, message.lParam);
}

intptr_t SendMessage(WindowId window, uint32_t message, uint32_t wParam, uint32_t lParam)
{
    WindowRecord* w = Find(window);
    if (!w)
        return 0;
    return w->cls.proc(window, message, wParam, lParam);
}

bool PostMessage(WindowId window, uint32_t message, uint32_t wParam, uint32_t lParam)
{
    std::lock_guard lock(gPostMutex);
    gPosted.push_back(Message{window, message, wParam, lParam});
    return true;
}

void WatchSessionEnd()
{
    struct sigaction action;
    std::memset(&action, 0, sizeof(action));
    action.sa_handler = OnSessionEndSignal;
    sigemptyset(&action.sa_mask);
    // SA_RESETHAND: the first signal asks the program to end; a second one ends it by force.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}

intptr_t DefWindowProc(WindowId window, uint32_t message, uint32_t wParam, uint32_t lParam)
{
    (void)lParam;
    switch (message) {
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_SYSKEYDOWN:
        if (wParam == VK_F4)
            PostMessage(window, WM_CLOSE, 0, 0);
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE)
            PostMessage(window, WM_CLOSE, 0, 0);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_QUERYOPEN:
        return 1;
    default:
        return 0;
    }
}

bool SetTimer(WindowId window, uint32_t id, uint32_t periodMs)
{
    if (!Find(window))
        return false;
    uint32_t period = std::max<uint32_t>(periodMs, 1);
    for (Timer& t : S().timers) {
        if (t.window == window && t.id == id) {
            t.period = period;
            t.due = SDL_GetTicks() + period;
            return true;
        }
    }
    S().timers.push_back(Timer{window, id, period, SDL_GetTicks() + period});
    return true;
}

bool KillTimer(WindowId window, uint32_t id)
{
    auto& timers = S().timers;
    auto n = std::erase_if(timers, [&](const Timer& t) { return t.window == window && t.id == id; });
    return n > 0;
}

WindowId SetCapture(WindowId window)
{
    WindowId old = S().capture;
    if (WindowRecord* w = Find(window); w && w->sdl) {
        S().capture = window;
        SDL_CaptureMouse(SDL_TRUE);
    }
    return old;
}

bool ReleaseCapture()
{
    if (S().capture == 0)
        return true;
    S().capture = 0;
    if (SDL_WasInit(SDL_INIT_VIDEO))
        SDL_CaptureMouse(SDL_FALSE);
    return true;
}

WindowId GetCapture()
{
    return S().capture;
}

bool GetCursorPos(WinPoint& point)
{
    point.x = gMouseX.load();
    point.y = gMouseY.load();
    return true;
}

WindowId WindowFromPoint(WinPoint point)
{
    State& s = S();
    WindowRecord* w = Find(s.mouseOver);
    if (!w || !w->visible)
        return 0;
    WinPoint p = point;
    if (!ScreenToClient(s.mouseOver, p))
        return 0;
    int32_t cw = 0, ch = 0;
    detail::ClientSize(s.mouseOver, cw, ch);
    if (p.x < 0 || p.y < 0 || p.x >= cw || p.y >= ch)
        return 0;
    return s.mouseOver;
}

CursorHandle LoadSystemCursor(SystemCursor which)
{
    if (!detail::EnsureVideoSystem())
        return nullptr;
    SDL_SystemCursor id = SDL_SYSTEM_CURSOR_ARROW;
    switch (which) {
    case SystemCursor::Arrow: id = SDL_SYSTEM_CURSOR_ARROW; break;
    case SystemCursor::IBeam: id = SDL_SYSTEM_CURSOR_IBEAM; break;
    case SystemCursor::Wait: id = SDL_SYSTEM_CURSOR_WAIT; break;
    case SystemCursor::No: id = SDL_SYSTEM_CURSOR_NO; break;
    case SystemCursor::SizeAll: id = SDL_SYSTEM_CURSOR_SIZEALL; break;
    case SystemCursor::SizeNESW: id = SDL_SYSTEM_CURSOR_SIZENESW; break;
    case SystemCursor::SizeNS: id = SDL_SYSTEM_CURSOR_SIZENS; break;
    case SystemCursor::SizeNWSE: id = SDL_SYSTEM_CURSOR_SIZENWSE; break;
    case SystemCursor::SizeWE: id = SDL_SYSTEM_CURSOR_SIZEWE; break;
    case SystemCursor::Hand: id = SDL_SYSTEM_CURSOR_HAND; break;
    }
    // One cursor object per kind for the whole run.
    static std::map<int, SDL_Cursor*> cache;
    auto it = cache.find(id);
    if (it != cache.end())
        return it->second;
    SDL_Cursor* c = SDL_CreateSystemCursor(id);
    if (c)
        cache[id] = c;
    return c;
}

CursorHandle CreateCursor(int hotX, int hotY, int width, int height, const uint8_t* andPlane,
                          const uint8_t* xorPlane)
{
    if (width <= 0 || height <= 0 || width % 8 != 0 || !andPlane || !xorPlane || !detail::EnsureVideoSystem())
        return nullptr;
    size_t n = static_cast<size_t>(width / 8) * static_cast<size_t>(height);
    std::vector<uint8_t> data(n), mask(n);
    for (size_t i = 0; i < n; ++i) {
        // AND 1 XOR 0 transparent, AND 0 XOR 0 black, AND 0 XOR 1 white, AND 1 XOR 1 inverted.
        mask[i] = static_cast<uint8_t>(~andPlane[i]);
        data[i] = static_cast<uint8_t>(~(andPlane[i] ^ xorPlane[i]));
    }
    return SDL_CreateCursor(data.data(), mask.data(), width, height, hotX, hotY);
}

bool DestroyCursor(CursorHandle cursor)
{
    if (!cursor)
        return false;
    if (S().cursor == cursor)
        SetCursor(nullptr);
    SDL_FreeCursor(static_cast<SDL_Cursor*>(cursor));
    return true;
}

CursorHandle SetCursor(CursorHandle cursor)
{
    State& s = S();
    CursorHandle old = s.cursor;
    s.cursor = cursor;
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return old;
    if (cursor) {
        SDL_SetCursor(static_cast<SDL_Cursor*>(cursor));
        if (s.cursorHidden)
            SDL_ShowCursor(SDL_ENABLE);
        s.cursorHidden = false;
    } else if (!s.cursorHidden) {
        SDL_ShowCursor(SDL_DISABLE);
        s.cursorHidden = true;
    }
    return old;
}

bool IsKeyDown(uint32_t virtualKey)
{
    return virtualKey < 256 && S().keys[virtualKey];
}

} // namespace plat
