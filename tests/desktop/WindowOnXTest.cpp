// The window layer on a real X display (Xvfb): the check application shows its test pattern
// with the software cursor, a screenshot taken through X matches it pixel for pixel, and mouse,
// wheel, keys, Alt+Enter and closing reach the program as they should; the same with 3-D on;
// the game's own first screen drawn through the renderer; and the game's head-up display on the
// sample content driven by the mouse. Skipped where Xvfb, xdotool or ImageMagick's import is
// missing.
#include "game/shell/GameApp.h"
#include "game/shell/PlayerProfile.h"
#include "platform/Settings.h"
#include "tests/desktop/XSession.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace xdesk;

// The check application's pattern.
uint32_t Pattern(int x, int y)
{
    return static_cast<uint32_t>(((x * 4) & 0xFF) << 16 | ((y * 4) & 0xFF) << 8 | ((x / 40 + y / 40) % 2 ? 0xC0 : 0x30));
}

// Its cursor: white cross on a black border, 15 x 15, transparent elsewhere (0 = see-through).
uint32_t CursorPixel(int x, int y)
{
    if (x == 7 || y == 7)
        return 0xFFFFFF;
    if ((x >= 6 && x <= 8) || (y >= 6 && y <= 8))
        return 0x000000;
    return 0xFFFFFFFF;
}

struct Geometry {
    int x = -1, y = -1, w = 0, h = 0;
};

Geometry WindowGeometry(const std::string& display)
{
    Geometry g;
    std::string id = XRun(display, "timeout 5 xdotool search --sync --onlyvisible --name '^windowcheck$'");
    std::string out = XRun(display, "xdotool getwindowgeometry --shell " + id.substr(0, id.find('\n')));
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("X=", 0) == 0) g.x = std::stoi(line.substr(2));
        if (line.rfind("Y=", 0) == 0) g.y = std::stoi(line.substr(2));
        if (line.rfind("WIDTH=", 0) == 0) g.w = std::stoi(line.substr(6));
        if (line.rfind("HEIGHT=", 0) == 0) g.h = std::stoi(line.substr(7));
    }
    return g;
}

// Puts the pointer at the screen point and waits until the program reports the move there as
// the given picture point: from then on the window takes the pointer's events. A window just
// made may miss the first ones, so the pointer is nudged until one arrives.
bool PointAt(const std::string& display, const std::string& log, int sx, int sy, int px, int py)
{
    const std::string line = "move " + std::to_string(px) + " " + std::to_string(py);
    size_t from = ReadText(log).size();
    return Eventually([&] {
        XRun(display, "xdotool mousemove " + std::to_string(sx + 1) + " " + std::to_string(sy));
        XRun(display, "xdotool mousemove " + std::to_string(sx) + " " + std::to_string(sy));
        return WaitFor(log, line, from, 200ms);
    });
}

// The window's geometry once it has the wanted width.
Geometry WaitForWidth(const std::string& display, int width)
{
    Geometry g;
    Eventually([&] {
        g = WindowGeometry(display);
        return g.w == width;
    });
    return g;
}

// The differences (up to five) between the window's picture in an X screenshot and the pattern
// with the cursor drawn with its centre at (mx, my); empty when they agree pixel for pixel.
std::vector<std::string> PictureDifferences(const std::string& display, const std::string& shot, const Geometry& g,
                                            int mx, int my)
{
    std::vector<std::string> wrong;
    XRun(display, "import -window root -depth 8 rgb:" + shot);
    std::vector<uint8_t> rgb = quortest::ReadFile(shot);
    if (rgb.size() != 800u * 600u * 3u)
        return {"screenshot of " + std::to_string(rgb.size()) + " bytes"};
    const int cx = mx - 32 + (64 - 15) / 2, cy = my - 32 + (64 - 15) / 2; // the image's corner
    for (int y = 0; y < 240; y++) {
        for (int xx = 0; xx < 320; xx++) {
            uint32_t expect = Pattern(xx, y);
            if (xx >= cx && xx < cx + 15 && y >= cy && y < cy + 15 && CursorPixel(xx - cx, y - cy) != 0xFFFFFFFF)
                expect = CursorPixel(xx - cx, y - cy);
            size_t i = (static_cast<size_t>(g.y + y) * 800 + static_cast<size_t>(g.x + xx)) * 3;
            uint32_t got = static_cast<uint32_t>(rgb[i]) << 16 | static_cast<uint32_t>(rgb[i + 1]) << 8 | rgb[i + 2];
            if (got != expect && wrong.size() < 5) {
                std::ostringstream what;
                what << "pixel " << xx << "," << y << ": " << std::hex << got << " != " << expect;
                wrong.push_back(what.str());
            }
        }
    }
    return wrong;
}

// Starts the check application on the display, its output going to the log.
pid_t StartCheck(const quortest::TempDir& dir, const std::string& display, const std::vector<std::string>& args,
                 std::vector<std::string> env, const std::string& log)
{
    // The session-bus library that the X video driver loads keeps a buffer to the end.
    const std::string suppressions = dir.File("lsan.supp");
    quortest::WriteFile(suppressions, std::string("leak:libdbus-1.so\n"));
    std::vector<std::string> argv{WINDOWCHECK_TOOL};
    argv.insert(argv.end(), args.begin(), args.end());
    env.insert(env.end(), {"DISPLAY=" + display, "SDL_VIDEODRIVER=x11", "LSAN_OPTIONS=suppressions=" + suppressions});
    return Spawn(argv, env, log);
}

} // namespace

TEST(WindowOnX, PatternCursorInputModesAndClose)
{
    SKIP_WITHOUT_X_TOOLS();
    XServer x(200 + static_cast<int>(getpid() % 500));
    ASSERT_TRUE(x.Up());
    const std::string& display = x.Display();

    quortest::TempDir dir;
    const std::string log = dir.File("log.txt");
    pid_t app = StartCheck(dir, display, {}, {}, log);
    ASSERT_GT(app, 0);
    Reaper reaper{app};
    ASSERT_TRUE(WaitFor(log, "ready"));

    Geometry g = WaitForWidth(display, 320);
    ASSERT_EQ(g.w, 320);
    ASSERT_EQ(g.h, 240);
    // Centred on the work area, its top at 38.2 % of the free height.
    EXPECT_EQ(g.x, (800 - 320) / 2);
    EXPECT_EQ(g.y, static_cast<int>((600 - 240) * 0.382));

    // The pattern with the cursor drawn at the mouse, pixel for pixel, once the next frames have
    // drawn the cursor there.
    const int mx = 100, my = 80;
    ASSERT_TRUE(PointAt(display, log, g.x + mx, g.y + my, mx, my)) << ReadText(log);
    const std::string shot = dir.File("shot.rgb");
    std::vector<std::string> wrong;
    Eventually([&] {
        wrong = PictureDifferences(display, shot, g, mx, my);
        return wrong.empty();
    });
    for (const std::string& w : wrong)
        ADD_FAILURE() << w;

    // Mouse, wheel and keys.
    XRun(display, "xdotool click 1");
    EXPECT_TRUE(WaitFor(log, "down 100 80 1"));
    EXPECT_TRUE(WaitFor(log, "up 100 80 1"));
    std::this_thread::sleep_for(600ms); // past the double-click time (a longer pause changes nothing)
    XRun(display, "xdotool click --repeat 2 --delay 60 1");
    EXPECT_TRUE(WaitFor(log, "down 100 80 2"));
    XRun(display, "xdotool click 3");
    EXPECT_TRUE(WaitFor(log, "down 100 80 -1"));
    XRun(display, "xdotool click 4");
    EXPECT_TRUE(WaitFor(log, "wheel 1"));
    XRun(display, "xdotool click 5");
    EXPECT_TRUE(WaitFor(log, "wheel -1"));
    XRun(display, "xdotool key a");
    EXPECT_TRUE(WaitFor(log, "key 65"));
    EXPECT_TRUE(WaitFor(log, "char 97"));

    // Alt+Enter: full screen over the whole desktop, and back to the window.
    XRun(display, "xdotool key alt+Return");
    Geometry full = WaitForWidth(display, 800);
    EXPECT_EQ(full.w, 800);
    EXPECT_EQ(full.h, 600);
    // The 320 x 240 picture fills the 800 x 600 desktop: the pointer and a click are mapped back.
    ASSERT_TRUE(PointAt(display, log, 400, 300, 160, 120)) << ReadText(log);
    XRun(display, "xdotool click 1");
    EXPECT_TRUE(WaitFor(log, "down 160 120 1")) << ReadText(log);
    XRun(display, "xdotool key alt+Return");
    Geometry back = WaitForWidth(display, 320);
    EXPECT_EQ(back.w, 320);

    // Closing ends the program normally and clears "InProgress".
    XRun(display, "xdotool key alt+F4");
    int status = -1;
    bool ended = Eventually([&] { return waitpid(app, &status, WNOHANG) != 0; });
    ASSERT_TRUE(ended) << ReadText(log);
    reaper.pid = -1;
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << ReadText(log + ".err");
    EXPECT_TRUE(WaitFor(log, "exit"));
    uint32_t type = 0;
    std::vector<uint8_t> data;
    ASSERT_TRUE(plat::SettingsRead("SOFTWARE\\QuorTest\\WindowCheck", "InProgress", &type, &data));
    ASSERT_EQ(data.size(), 4u);
    EXPECT_EQ(data[0] | data[1] | data[2] | data[3], 0);
}

// The same window with 3-D on: the pattern goes through the renderer as a texture, the window
// shows it with the cursor pixel for pixel, and the program's own screenshot holds what the
// renderer drew.
TEST(WindowOnX, ThreeDPathDrawsTheWindowAndItsScreenshot)
{
    SKIP_WITHOUT_X_TOOLS();
    XServer x(700 + static_cast<int>(getpid() % 500));
    ASSERT_TRUE(x.Up());
    const std::string& display = x.Display();

    quortest::TempDir dir;
    const std::string log = dir.File("log.txt");
    fs::create_directories(dir.File("data"));
    pid_t app = StartCheck(dir, display, {"--3d"}, {"QUOR_NO_3D=0", "XDG_DATA_HOME=" + dir.File("data")}, log);
    ASSERT_GT(app, 0);
    Reaper reaper{app};
    ASSERT_TRUE(WaitFor(log, "ready")) << ReadText(log) << ReadText(log + ".err");

    // The screenshot the program took of its first frame.
    const std::string text = ReadText(log);
    const size_t at = text.find("3d shot ");
    ASSERT_NE(at, std::string::npos) << text;
    const std::string folder = text.substr(at + 8, text.find('\n', at) - at - 8);
    std::vector<uint32_t> png;
    int w = 0, h = 0;
    ASSERT_TRUE(quortest::ReadPng(folder + "image1.png", png, w, h)) << folder;
    ASSERT_EQ(w, 320);
    ASSERT_EQ(h, 240);
    int differ = 0;
    for (int y = 0; y < 240; y++)
        for (int xx = 0; xx < 320; xx++)
            differ += png[static_cast<size_t>(y) * 320 + xx] != (0xFF000000u | Pattern(xx, y)) ? 1 : 0;
    EXPECT_EQ(differ, 0);

    // The window, with the cursor where the pointer is.
    Geometry g = WaitForWidth(display, 320);
    ASSERT_EQ(g.w, 320);
    const int mx = 200, my = 150;
    ASSERT_TRUE(PointAt(display, log, g.x + mx, g.y + my, mx, my)) << ReadText(log);
    std::vector<std::string> wrong;
    Eventually([&] {
        wrong = PictureDifferences(display, dir.File("shot.rgb"), g, mx, my);
        return wrong.empty();
    });
    for (const std::string& what : wrong)
        ADD_FAILURE() << what;

    XRun(display, "xdotool key alt+F4");
    int status = -1;
    ASSERT_TRUE(Eventually([&] { return waitpid(app, &status, WNOHANG) != 0; })) << ReadText(log);
    reaper.pid = -1;
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << ReadText(log + ".err");
}

#ifdef GAME_TOOL
namespace {

// The game on the display, its data and settings folders below dir, with or without 3-D.
pid_t SpawnGame(quortest::TempDir& dir, const std::string& display, bool threeD, const std::string& log)
{
    const std::string suppressions = dir.File("lsan.supp");
    quortest::WriteFile(suppressions, std::string("leak:libdbus-1.so\n"));
    fs::create_directories(dir.File("data"));
    fs::create_directories(dir.File("config"));
    return Spawn({GAME_TOOL},
                 {"DISPLAY=" + display, "SDL_VIDEODRIVER=x11", "SDL_AUDIODRIVER=dummy",
                  std::string("QUOR_NO_3D=") + (threeD ? "0" : "1"), "XDG_DATA_HOME=" + dir.File("data"),
                  "XDG_CONFIG_HOME=" + dir.File("config"), "LSAN_OPTIONS=suppressions=" + suppressions},
                 log);
}

// A whole-desktop screenshot through X, as 0xRRGGBB words with the given top byte.
std::vector<uint32_t> DesktopPixels(const std::string& display, const std::string& rgbFile, uint32_t top)
{
    XRun(display, "import -window root -depth 8 rgb:" + rgbFile);
    std::vector<uint8_t> rgb = quortest::ReadFile(rgbFile);
    std::vector<uint32_t> px;
    for (size_t i = 0; i + 2 < rgb.size(); i += 3)
        px.push_back(top | static_cast<uint32_t>(rgb[i]) << 16 | static_cast<uint32_t>(rgb[i + 1]) << 8 | rgb[i + 2]);
    return px;
}

} // namespace

// The game on the archive the build made, 3-D allowed, on a 1024 x 768 desktop: its screen
// reaches the display, the game's own screenshot (debug keys Ctrl+Alt+D, then F11) holds the
// same picture, and its image dump (Shift+F11) lists textures, which only the renderer makes.
TEST(GameOnX, TheGamesScreenIsDrawnThroughTheRenderer)
{
    SKIP_WITHOUT_X_TOOLS();
    XServer x(1300 + static_cast<int>(getpid() % 500), "1024x768x24");
    ASSERT_TRUE(x.Up());
    const std::string& display = x.Display();

    quortest::TempDir dir;
    const std::string log = dir.File("log.txt");
    pid_t app = SpawnGame(dir, display, true, log);
    ASSERT_GT(app, 0);
    Reaper reaper{app};

    // Whole-desktop screenshots through X, as 0xRRGGBB words.
    const std::string rgbFile = dir.File("x.rgb");
    auto desktop = [&] { return DesktopPixels(display, rgbFile, 0); };
    // The game is up once its window (full screen) shows more than black.
    ASSERT_TRUE(Eventually([&] {
        std::vector<uint32_t> px = desktop();
        return px.size() == 1024u * 768u && std::any_of(px.begin(), px.end(), [](uint32_t p) { return p != 0; });
    }, 120s)) << ReadText(log + ".err");
    // The pointer in the bottom-right corner, away from the picture's middle; its area is left
    // out of the comparison.
    XRun(display, "xdotool mousemove 1016 760");
    XRun(display, "xdotool key ctrl+alt+d");

    // The game's screenshot and the desktop agree once the screen stands still. The display has
    // 16 bits a pixel: the screenshot keeps each channel's top bits, the desktop fills the low
    // ones, so channels agree in their top five bits.
    const fs::path shots = dir.File("data/Tallowmere/_screenshots");
    int taken = 0;
    std::string wrong;
    const bool same = Eventually([&] {
        XRun(display, "xdotool key F11");
        const std::string name = (shots / ("image" + std::to_string(taken + 1) + ".png")).string();
        if (!Eventually([&] { return fs::exists(name); }, 10s))
            return false;
        ++taken;
        std::vector<uint32_t> png;
        int w = 0, h = 0;
        if (!Eventually([&] { return quortest::ReadPng(name, png, w, h); }, 10s) || w != 1024 || h != 768) {
            wrong = "screenshot " + name + " unreadable or of another size";
            return false;
        }
        std::vector<uint32_t> px = desktop();
        if (px.size() != png.size())
            return false;
        int differ = 0;
        for (int y = 0; y < 768; y++)
            for (int xx = 0; xx < 1024; xx++) {
                const size_t i = static_cast<size_t>(y) * 1024 + static_cast<size_t>(xx);
                if ((xx < 960 || y < 700) && ((png[i] ^ px[i]) & 0xF8F8F8) != 0)
                    differ++;
            }
        wrong = std::to_string(differ) + " pixels differ in screenshot " + std::to_string(taken);
        return differ == 0;
    }, 120s);
    EXPECT_TRUE(same) << wrong;

    XRun(display, "xdotool key shift+F11");
    const std::string page = dir.File("data/Tallowmere/_dump/imagelist.html");
    EXPECT_TRUE(Eventually([&] { return ReadText(page).find("</HTML>") != std::string::npos; }, 60s));
    EXPECT_NE(ReadText(page).find("<TD>Texture<BR>"), std::string::npos);

    kill(app, SIGTERM);
    int status = -1;
    ASSERT_TRUE(Eventually([&] { return waitpid(app, &status, WNOHANG) != 0; })) << ReadText(log + ".err");
    reaper.pid = -1;
    EXPECT_TRUE(WIFEXITED(status)) << ReadText(log + ".err");
}
#endif

#ifdef GAME_TOOL
namespace {

// The profile the run starts from, past the tutorial: seven materials, two kinds of dinnerware,
// England making product 1, Japan's factory for sale. Written with the game's own writer into
// slot 0 of the data folder (the other four slots blank).
void WriteHudProfile(const std::string& dataHome)
{
    setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
    Quor::GameApp app;
    for (int slot = 0; slot < 5; ++slot)
        app.CreateDefaultProfile(slot == 0 ? "Tester" : "");
    app.currentProfile = 0;
    Quor::PlayerProfile& p = app.profiles[0];
    p.tutorialStep = Quor::TutorialFinished;
    p.money = 4321;
    p.day = 12;
    for (int id = 1; id <= 7; ++id)
        p.materials[id] = 9 * id;
    p.stock = {{1, 1, 2, 7}, {2, 3, 3, 4}};
    p.factories[0] = {0, 1, true, false};
    p.factories[2] = {2, -1, false, true};
    p.production = {{0, 1, 1, 2, 5}};
    for (int slot = 0; slot < 5; ++slot)
        ASSERT_TRUE(app.SavePlayerProfile(slot));
    unsetenv("XDG_DATA_HOME");
}

} // namespace

// The head-up display on the sample content under Xvfb, driven by the mouse: the main menu, the
// game with England, the inventory paged with a hover, the factory status with a hover, help and
// its OK, the award gallery and back, then the menu question and Yes. The bar's strip is compared
// with stored pictures at still moments (the calendar's corner left out; the scenery above the
// bar's opaque strip is not compared).
TEST(GameOnX, TheHeadUpDisplayOnTheSampleContent)
{
    SKIP_WITHOUT_X_TOOLS();
    XServer x(1900 + static_cast<int>(getpid() % 500), "1024x768x24");
    ASSERT_TRUE(x.Up());
    const std::string& display = x.Display();

    quortest::TempDir dir;
    WriteHudProfile(dir.File("data"));
    const std::string log = dir.File("log.txt");
    pid_t app = SpawnGame(dir, display, false, log);
    ASSERT_GT(app, 0);
    Reaper reaper{app};

    const std::string rgbFile = dir.File("x.rgb");
    auto desktop = [&] { return DesktopPixels(display, rgbFile, 0xFF000000u); };
    // The bar's opaque strip (the scenery lives above it and shows through its upper edge), with
    // the calendar's corner blanked.
    constexpr int kBarTop = 616;
    auto strip = [&] {
        std::vector<uint32_t> px = desktop();
        if (px.size() != 1024u * 768u)
            return std::vector<uint32_t>{};
        std::vector<uint32_t> out(px.begin() + 1024 * kBarTop, px.end());
        for (int y = 744; y < 768; ++y)
            for (int xx = 0; xx < 240; ++xx)
                out[size_t(y - kBarTop) * 1024 + size_t(xx)] = 0xFF000000u;
        return out;
    };
    // Waits for the strip to stand still (five like captures in a row, so that a tooltip's delay
    // has passed), then compares it with its stored picture.
    auto check = [&](const std::string& name) {
        std::vector<uint32_t> last = strip();
        int alike = 0;
        const bool settled = Eventually([&] {
            std::vector<uint32_t> now = strip();
            alike = !now.empty() && now == last ? alike + 1 : 0;
            last = now;
            return alike >= 5;
        });
        ASSERT_TRUE(settled) << name;
        EXPECT_EQ(quortest::CompareWithGolden(quortest::DataFile("desktop/" + name + ".png"), last, 1024, 768 - kBarTop),
                  "")
            << name;
    };
    auto move = [&](int px, int py) {
        XRun(display, "xdotool mousemove " + std::to_string(px) + " " + std::to_string(py));
    };
    // A click, then the wait for the whole screen to change.
    auto click = [&](int px, int py) {
        move(px, py);
        std::vector<uint32_t> before = desktop();
        XRun(display, "xdotool click 1");
        return Eventually([&] { return desktop() != before; });
    };
    auto at = [](const std::vector<uint32_t>& px, int xx, int y) { return px[size_t(y) * 1024 + size_t(xx)] & 0xFFFFFFu; };

    // Up once its window shows more than black; then the game button until the bar is there (the
    // sample content's disabled first tab, the quest tab's background between the tabs and the
    // menu button).
    ASSERT_TRUE(Eventually([&] {
        std::vector<uint32_t> px = desktop();
        return px.size() == 1024u * 768u && std::any_of(px.begin(), px.end(), [](uint32_t p) { return p != 0xFF000000u; });
    }, 120s)) << ReadText(log + ".err");
    ASSERT_TRUE(Eventually([&] {
        move(120, 700);
        XRun(display, "xdotool click 1");
        std::vector<uint32_t> px;
        return Eventually([&] {
            px = desktop();
            return px.size() == 1024u * 768u && at(px, 300, 735) == 0x7B7D7Bu && at(px, 420, 735) == 0x5A8D6Au &&
                   at(px, 940, 686) == 0x4A6DA4u;
        }, 5s);
    }, 180s)) << ReadText(log + ".err");
    move(500, 300);
    check("hud_x_tab0");

    ASSERT_TRUE(click(558, 749));  // tab 1
    ASSERT_TRUE(click(211, 718));  // materials down: the seventh alone
    move(275, 650);                // and the mouse on it
    check("hud_x_inventory");

    ASSERT_TRUE(click(783, 749));  // tab 2
    move(267, 721);                // England's first material
    check("hud_x_factories");

    ASSERT_TRUE(click(940, 605));  // help
    check("hud_x_hint");
    ASSERT_TRUE(click(512, 465));  // its OK
    move(500, 300);
    check("hud_x_tab2");

    ASSERT_TRUE(click(994, 744));  // the award gallery, closed again
    ASSERT_TRUE(click(982, 742));
    move(500, 300);
    check("hud_x_tab2");

    ASSERT_TRUE(click(940, 696));  // the menu: the question, then Yes back to the main menu
    ASSERT_TRUE(click(446, 350));
    ASSERT_TRUE(Eventually([&] {  // the main menu's quit button, then its Yes
        std::vector<uint32_t> px = desktop();
        return px.size() == 1024u * 768u && at(px, 420, 735) != 0x528162u;
    }));
    ASSERT_TRUE(click(950, 690));
    ASSERT_TRUE(click(446, 350));
    int status = -1;
    ASSERT_TRUE(Eventually([&] { return waitpid(app, &status, WNOHANG) != 0; })) << ReadText(log + ".err");
    reaper.pid = -1;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << ReadText(log + ".err");
}
#endif
