// The window layer turns SDL events into the message records a window procedure reads.
#include "platform/Window.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace plat;

namespace {

intptr_t Proc(WindowId w, uint32_t m, uint32_t wp, uint32_t lp)
{
    return DefWindowProc(w, m, wp, lp);
}

class WindowMessages : public ::testing::Test {
protected:
    void SetUp() override
    {
        static bool registered = RegisterWindowClass("WindowTestClass", Proc, CS_DBLCLKS);
        (void)registered;
        mWindow = CreateWindow(0, "WindowTestClass", "window test", WS_POPUP | WS_VISIBLE, 0, 0, 64, 48);
        ASSERT_NE(mWindow, 0u);
        Drain();
    }
    void TearDown() override { DestroyWindow(mWindow); }

    std::vector<Message> Drain()
    {
        std::vector<Message> out;
        Message m;
        while (PeekMessage(m, true)) {
            if (m.window == mWindow && m.message != WM_PAINT && m.message != WM_MOVE)
                out.push_back(m);
        }
        return out;
    }

    std::vector<Message> Push(const SDL_Event& e)
    {
        SDL_Event copy = e;
        SDL_PushEvent(&copy);
        return Drain();
    }

    SDL_Event Button(uint32_t type, uint8_t button, uint8_t clicks, int x, int y)
    {
        SDL_Event e{};
        e.type = type;
        e.button.windowID = mWindow;
        e.button.button = button;
        e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.button.clicks = clicks;
        e.button.x = x;
        e.button.y = y;
        return e;
    }

    SDL_Event Key(uint32_t type, SDL_Keycode key, uint16_t mod)
    {
        SDL_Event e{};
        e.type = type;
        e.key.windowID = mWindow;
        e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.key.keysym.sym = key;
        e.key.keysym.mod = mod;
        return e;
    }

    SDL_Event WindowEvent(uint8_t event)
    {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.windowID = mWindow;
        e.window.event = event;
        return e;
    }

    WindowId mWindow = 0;
};

} // namespace

TEST_F(WindowMessages, MouseButtonsAndClickKinds)
{
    SDL_Event move{};
    move.type = SDL_MOUSEMOTION;
    move.motion.windowID = mWindow;
    move.motion.x = 12;
    move.motion.y = 34;
    auto got = Push(move);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].message, WM_MOUSEMOVE);
    EXPECT_EQ(LoSigned(got[0].lParam), 12);
    EXPECT_EQ(HiSigned(got[0].lParam), 34);

    struct Case {
        uint32_t type;
        uint8_t button, clicks;
        uint32_t message;
    } cases[] = {
        {SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 1, WM_LBUTTONDOWN},
        {SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 1, WM_LBUTTONUP},
        {SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 2, WM_LBUTTONDBLCLK},
        {SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 3, WM_LBUTTONDOWN},
        {SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 1, WM_RBUTTONDOWN},
        {SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 2, WM_RBUTTONDBLCLK},
        {SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 2, WM_RBUTTONUP},
        {SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 1, WM_MBUTTONDOWN},
        {SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 2, WM_MBUTTONDBLCLK},
        {SDL_MOUSEBUTTONUP, SDL_BUTTON_MIDDLE, 1, WM_MBUTTONUP},
    };
    for (const Case& c : cases) {
        got = Push(Button(c.type, c.button, c.clicks, -3, 7));
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(got[0].message, c.message) << int(c.button) << " " << int(c.clicks);
        EXPECT_EQ(LoSigned(got[0].lParam), -3);
        EXPECT_EQ(HiSigned(got[0].lParam), 7);
    }
    // The button bits of wParam follow the buttons held.
    got = Push(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 1, 0, 0));
    ASSERT_EQ(got.size(), 1u);
    EXPECT_TRUE(got[0].wParam & MK_RBUTTON);
}

TEST_F(WindowMessages, WheelInUnitsOf120)
{
    struct Case {
        float y;
        int delta;
    } cases[] = {{1, 120}, {-1, -120}, {0.5f, 60}, {3, 360}};
    for (const Case& c : cases) {
        SDL_Event e{};
        e.type = SDL_MOUSEWHEEL;
        e.wheel.windowID = mWindow;
        e.wheel.y = static_cast<int>(c.y);
        e.wheel.preciseY = c.y;
        auto got = Push(e);
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(got[0].message, WM_MOUSEWHEEL);
        EXPECT_EQ(HiSigned(got[0].wParam), c.delta);
    }
}

TEST_F(WindowMessages, KeysCharactersAndSystemKeys)
{
    struct Case {
        SDL_Keycode key;
        uint16_t mod;
        std::vector<std::pair<uint32_t, uint32_t>> messages;
    } cases[] = {
        {SDLK_a, 0, {{WM_KEYDOWN, 'A'}}},
        {SDLK_F1, 0, {{WM_KEYDOWN, 0x70}}},
        {SDLK_LEFT, 0, {{WM_KEYDOWN, 0x25}}},
        {SDLK_KP_5, 0, {{WM_KEYDOWN, 0x65}}},
        {SDLK_SEMICOLON, 0, {{WM_KEYDOWN, 0xBA}}},
        {SDLK_RETURN, 0, {{WM_KEYDOWN, VK_RETURN}, {WM_CHAR, 13}}},
        {SDLK_BACKSPACE, 0, {{WM_KEYDOWN, VK_BACK}, {WM_CHAR, 8}}},
        {SDLK_ESCAPE, 0, {{WM_KEYDOWN, VK_ESCAPE}, {WM_CHAR, 27}}},
        {SDLK_c, KMOD_LCTRL, {{WM_KEYDOWN, 'C'}, {WM_CHAR, 3}}},
        {SDLK_v, KMOD_LCTRL, {{WM_KEYDOWN, 'V'}, {WM_CHAR, 0x16}}},
        {SDLK_x, KMOD_LCTRL, {{WM_KEYDOWN, 'X'}, {WM_CHAR, 0x18}}},
        {SDLK_z, KMOD_LCTRL, {{WM_KEYDOWN, 'Z'}, {WM_CHAR, 0x1A}}},
        {SDLK_RETURN, KMOD_LALT, {{WM_SYSKEYDOWN, VK_RETURN}, {WM_SYSCHAR, 13}}},
        {SDLK_r, KMOD_LALT, {{WM_SYSKEYDOWN, 'R'}, {WM_SYSCHAR, 'r'}}},
        {SDLK_d, KMOD_LALT | KMOD_LCTRL, {{WM_KEYDOWN, 'D'}}},
        {SDLK_LCTRL, KMOD_LCTRL, {{WM_KEYDOWN, VK_CONTROL}}},
        {SDLK_LALT, KMOD_LALT, {{WM_SYSKEYDOWN, VK_MENU}}},
        {SDLK_UNKNOWN, 0, {}},
    };
    for (const Case& c : cases) {
        auto got = Push(Key(SDL_KEYDOWN, c.key, c.mod));
        ASSERT_EQ(got.size(), c.messages.size()) << c.key;
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].message, c.messages[i].first) << c.key;
            EXPECT_EQ(got[i].wParam, c.messages[i].second) << c.key;
        }
        Push(Key(SDL_KEYUP, c.key, 0));
    }
    auto up = Push(Key(SDL_KEYDOWN, SDLK_q, 0));
    up = Push(Key(SDL_KEYUP, SDLK_q, 0));
    ASSERT_EQ(up.size(), 1u);
    EXPECT_EQ(up[0].message, WM_KEYUP);
    EXPECT_EQ(up[0].wParam, static_cast<uint32_t>('Q'));
    EXPECT_FALSE(IsKeyDown('Q'));
}

TEST_F(WindowMessages, TextBecomesWindows1252Characters)
{
    SDL_Event e{};
    e.type = SDL_TEXTINPUT;
    e.text.windowID = mWindow;
    SDL_strlcpy(e.text.text, "a\xC3\xA9\xE2\x82\xAC\xE4\xB8\x80", sizeof(e.text.text)); // a, e-acute, euro, CJK
    auto got = Push(e);
    ASSERT_EQ(got.size(), 4u);
    uint32_t expect[] = {'a', 0xE9, 0x80, '?'};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(got[i].message, WM_CHAR);
        EXPECT_EQ(got[i].wParam, expect[i]);
    }
}

TEST_F(WindowMessages, WindowStateFocusAndClose)
{
    struct Case {
        uint8_t event;
        uint32_t message, wParam;
    } cases[] = {
        {SDL_WINDOWEVENT_FOCUS_GAINED, WM_ACTIVATEAPP, 1},
        {SDL_WINDOWEVENT_FOCUS_LOST, WM_ACTIVATEAPP, 0},
        {SDL_WINDOWEVENT_MINIMIZED, WM_SIZE, SIZE_MINIMIZED},
        {SDL_WINDOWEVENT_RESTORED, WM_SIZE, SIZE_RESTORED},
        {SDL_WINDOWEVENT_MAXIMIZED, WM_SIZE, SIZE_MAXIMIZED},
        {SDL_WINDOWEVENT_CLOSE, WM_CLOSE, 0},
    };
    for (const Case& c : cases) {
        auto got = Push(WindowEvent(c.event));
        ASSERT_EQ(got.size(), 1u) << int(c.event);
        EXPECT_EQ(got[0].message, c.message);
        EXPECT_EQ(got[0].wParam, c.wParam);
    }
    // Focus gained twice in a row tells only once.
    Push(WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED));
    EXPECT_TRUE(Push(WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED)).empty());
    EXPECT_EQ(GetActiveWindow(), mWindow);
}

TEST_F(WindowMessages, DefaultHandlingOfAltF4AndClose)
{
    DefWindowProc(mWindow, WM_SYSKEYDOWN, VK_F4, 0);
    auto got = Drain();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].message, WM_CLOSE);
    EXPECT_EQ(DefWindowProc(mWindow, WM_SYSKEYDOWN, VK_RETURN, 0), 0);
    EXPECT_TRUE(Drain().empty());
    EXPECT_EQ(DefWindowProc(mWindow, WM_CLOSE, 0, 0), 0);
    EXPECT_FALSE(IsWindow(mWindow));
}

TEST_F(WindowMessages, TimerWaitsAsOneMessage)
{
    ASSERT_TRUE(SetTimer(mWindow, 100, 1));
    Message m;
    for (int i = 0; i < 5; ++i) {
        SDL_Delay(3);
        ASSERT_TRUE(PeekMessage(m, false));
        EXPECT_EQ(m.message, WM_TIMER);
        EXPECT_EQ(m.wParam, 100u);
    }
    ASSERT_TRUE(PeekMessage(m, true));
    EXPECT_TRUE(KillTimer(mWindow, 100));
    // Only one was ever waiting: nothing is left after the timer is gone.
    EXPECT_FALSE(PeekMessage(m, false));
}

TEST(WindowLayer, MessageOnlyWindowAndPostingFromAnotherThread)
{
    static bool registered = RegisterWindowClass("WindowTestHidden", Proc, 0);
    (void)registered;
    WindowId hidden = CreateWindow(0, "WindowTestHidden", "hidden", 0, 0, 0, 0, 0);
    ASSERT_NE(hidden, 0u);
    int data = 5;
    SetWindowUserData(hidden, &data);
    EXPECT_EQ(GetWindowUserData(hidden), &data);
    std::thread([&] { PostMessage(hidden, WM_USER + 1, 7, 9); }).join();
    Message m;
    ASSERT_TRUE(PeekMessage(m, true));
    EXPECT_EQ(m.window, hidden);
    EXPECT_EQ(m.message, WM_USER + 1);
    EXPECT_EQ(m.wParam, 7u);
    EXPECT_EQ(m.lParam, 9u);
    EXPECT_TRUE(DestroyWindow(hidden));
    EXPECT_EQ(CreateWindow(0, "NoSuchClass", "", 0, 0, 0, 0, 0), 0u);
}
