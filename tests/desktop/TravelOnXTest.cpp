// The game on the archive the build made, on an X display of its own (Xvfb), driven with the
// mouse: a player past the tutorial, in England with $500 and Germany and China released, goes
// to the travel office, points at Germany, clicks India (not released, nothing happens), travels
// to China by ship, comes back to the map and leaves it by China's own button, tries England
// (the money box, OK), then leaves the game through the menu question; the save file then holds
// China, five more days and $150. Skipped where Xvfb, xdotool or ImageMagick's import is missing.
#include "game/shell/PlayerProfile.h"
#include "game/shell/ProfileFile.h"
#include "platform/Files.h"
#include "tests/desktop/XSession.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#ifdef GAME_TOOL
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace xdesk;

// The five save files: slot 0 the player of the run (current), the others blank.
void WriteProfiles(const fs::path& folder, const Quor::PlayerProfile& player)
{
    fs::create_directories(folder);
    for (int slot = 0; slot < 5; ++slot) {
        Quor::PlayerProfile p;
        if (slot == 0)
            p = player;
        p.versionStamp = Quor::ProfileVersionStamp;
        p.slotIndex = slot;
        const std::vector<uint8_t> bytes = Quor::EncodePlayerProfile(p, slot == 0);
        quortest::WriteFile((folder / ("P" + std::to_string(slot) + ".dat")).string(), bytes);
    }
}

// The game on an X display of its own, with its data folder in a temporary folder.
class TravelGame {
public:
    explicit TravelGame(const Quor::PlayerProfile& player) : mX(1800 + static_cast<int>(getpid() % 150), "1024x768x24")
    {
        if (!mX.Up())
            return;
        mData = mDir.File("data");
        fs::create_directories(mDir.File("config"));
        // The profile folder is the one the game itself uses below its data folder.
        setenv("XDG_DATA_HOME", mData.c_str(), 1);
        mProfiles = Quor::PlayerProfileFolder();
        WriteProfiles(mProfiles, player);
        const std::string suppressions = mDir.File("lsan.supp");
        quortest::WriteFile(suppressions, std::string("leak:libdbus-1.so\n"));
        mLog = mDir.File("log.txt");
        mPid = Spawn({GAME_TOOL},
                     {"DISPLAY=" + mX.Display(), "SDL_VIDEODRIVER=x11", "SDL_AUDIODRIVER=dummy", "QUOR_NO_3D=1",
                      "XDG_DATA_HOME=" + mData, "XDG_CONFIG_HOME=" + mDir.File("config"),
                      "LSAN_OPTIONS=suppressions=" + suppressions},
                     mLog);
        mReaper.pid = mPid;
    }
    bool Up() const { return mX.Up() && mPid > 0; }

    // The desktop as 0xRRGGBB words.
    std::vector<uint32_t> Desktop()
    {
        const std::string rgbFile = mDir.File("x.rgb");
        XRun(mX.Display(), "import -window root -depth 8 rgb:" + rgbFile);
        std::vector<uint8_t> rgb = quortest::ReadFile(rgbFile);
        std::vector<uint32_t> px;
        for (size_t i = 0; i + 2 < rgb.size(); i += 3)
            px.push_back(static_cast<uint32_t>(rgb[i]) << 16 | static_cast<uint32_t>(rgb[i + 1]) << 8 | rgb[i + 2]);
        return px;
    }
    // Whether the pixel is near the colour (each channel within 24).
    static bool Near(uint32_t a, uint32_t b)
    {
        for (int shift : {0, 8, 16})
            if (std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF)) > 24)
                return false;
        return true;
    }
    // Waits until the pixel shows the colour.
    bool WaitForColour(int x, int y, uint32_t colour, std::chrono::milliseconds limit = 90s)
    {
        const bool seen = Eventually([&] {
            std::vector<uint32_t> px = Desktop();
            return px.size() == 1024u * 768u && Near(px[size_t(y) * 1024 + size_t(x)], colour);
        }, limit);
        return seen;
    }
    // Without a window manager nobody gives the window the focus, and the game draws only with
    // it: every visible window gets it.
    void Focus()
    {
        const std::string ids = XRun(mX.Display(), "xdotool search --onlyvisible --name .");
        std::istringstream in(ids);
        for (std::string id; in >> id;)
            XRun(mX.Display(), "xdotool windowfocus " + id);
    }
    void Type(const std::string& text) { XRun(mX.Display(), "xdotool type --delay 80 " + text); }
    void Key(const std::string& key) { XRun(mX.Display(), "xdotool key " + key); }
    void MoveTo(int x, int y) { XRun(mX.Display(), "xdotool mousemove " + std::to_string(x) + " " + std::to_string(y)); }
    void ClickAt(int x, int y)
    {
        MoveTo(x + 1, y);
        MoveTo(x, y);
        XRun(mX.Display(), "xdotool click 1");
    }
    std::string Errors() const { return ReadText(mLog + ".err"); }
    // Reads the save file of slot 0.
    bool ReadSlot0(Quor::PlayerProfile& p) const
    {
        const std::vector<uint8_t> bytes = quortest::ReadFile((fs::path(mProfiles) / "P0.dat").string());
        return !bytes.empty() && Quor::DecodePlayerProfile(bytes.data(), bytes.size(), p);
    }
    void Stop()
    {
        if (mPid > 0) {
            kill(mPid, SIGTERM);
            int status = 0;
            Eventually([&] { return waitpid(mPid, &status, WNOHANG) != 0; });
            mReaper.pid = -1;
        }
    }

private:
    XServer mX;
    quortest::TempDir mDir;
    std::string mData;
    std::string mProfiles;
    std::string mLog;
    pid_t mPid = -1;
    Reaper mReaper{-1};
};

// Waits for the main menu (its picture fills the screen once the window has the focus).
bool WaitForMenu(TravelGame& game)
{
    return Eventually([&] {
        std::vector<uint32_t> px = game.Desktop();
        game.Focus();
        return px.size() == 1024u * 768u && px[size_t(200) * 1024 + 300] != 0;
    }, 120s);
}

// Colours of the sample content's placeholder pictures (content/colours.tsv).
constexpr uint32_t kWorldMap = 0x4f8fa0;   // GW_BG
constexpr uint32_t kEngland = 0x6f7fa8;    // GameCountry0
constexpr uint32_t kChina = 0x6f9aa8;      // GameCountry5
constexpr uint32_t kLogoScreen = 0x7f6f9f; // images/logo
constexpr uint32_t kMainMenu = 0x3f7f8c;   // MenuMain
constexpr uint32_t kGameMain = 0x5f8f6f;   // GameMain (the boxes' picture)

} // namespace

TEST(TravelOnX, ToChinaByShipBackForFreeTheMoneyBoxAndTheSaveFile)
{
    if (!Have("Xvfb") || !Have("xdotool") || !Have("import"))
        GTEST_SKIP() << "Xvfb, xdotool or import missing";
    Quor::PlayerProfile player;
    player.name = "Mira";
    player.tutorialStep = Quor::TutorialFinished;
    player.money = 500;
    player.day = 10;
    player.country = 0;
    for (int country = 0; country < 8; ++country)
        player.countries[country] = country == 0 || country == 1 || country == 5;
    player.recipes[1] = true;
    TravelGame game(player);
    ASSERT_TRUE(game.Up());

    ASSERT_TRUE(WaitForMenu(game)) << game.Errors();
    // A click during the menu's fade-in may go unheard: clicked until the game screen comes.
    ASSERT_TRUE(Eventually([&] {
        game.ClickAt(85, 696);
        return game.WaitForColour(60, 120, kEngland, 5s);
    })) << game.Errors();

    // The travel office; the map; Germany pointed at; India does nothing.
    game.ClickAt(820, 320);
    ASSERT_TRUE(game.WaitForColour(60, 120, kWorldMap)) << game.Errors();
    game.MoveTo(563, 240);
    EXPECT_TRUE(game.WaitForColour(480, 110, kGameMain, 10s));  // the travel box
    game.ClickAt(717, 397);
    std::this_thread::sleep_for(500ms);
    ASSERT_TRUE(game.WaitForColour(60, 120, kWorldMap, 5s));

    // China by ship: the animation, then China's country screen.
    game.ClickAt(763, 293);
    ASSERT_TRUE(game.WaitForColour(60, 120, kChina, 60s)) << game.Errors();

    // The map again; China's own button goes back for free.
    std::this_thread::sleep_for(500ms);
    game.ClickAt(820, 320);
    ASSERT_TRUE(game.WaitForColour(60, 120, kWorldMap)) << game.Errors();
    game.ClickAt(763, 293);
    ASSERT_TRUE(game.WaitForColour(60, 120, kChina)) << game.Errors();

    // England by ship with $150: the money box and OK; then the menu question, yes.
    std::this_thread::sleep_for(500ms);
    game.ClickAt(820, 320);
    ASSERT_TRUE(game.WaitForColour(60, 120, kWorldMap)) << game.Errors();
    game.ClickAt(469, 230);
    EXPECT_TRUE(game.WaitForColour(330, 215, kGameMain, 10s));  // the money box
    game.ClickAt(512, 400);
    std::this_thread::sleep_for(500ms);
    ASSERT_TRUE(game.WaitForColour(60, 120, kWorldMap, 5s));
    game.ClickAt(70, 35);
    std::this_thread::sleep_for(1500ms);
    game.ClickAt(446, 350);

    Quor::PlayerProfile saved;
    ASSERT_TRUE(Eventually([&] { return game.ReadSlot0(saved) && saved.country == 5; }, 60s)) << game.Errors();
    EXPECT_EQ(saved.day, 15);
    EXPECT_EQ(saved.money, 150);
    game.Stop();
}

// A developer's profile with no company name: the main menu's "BluePrint Editor", the next logo
// twice, the next icon, font 3, colour 2, "Potters1" typed and the last character taken back;
// OK brings the main menu back and the save file holds the choices.
TEST(TravelOnX, TheCompanyIdentityIsChosenAndSaved)
{
    if (!Have("Xvfb") || !Have("xdotool") || !Have("import"))
        GTEST_SKIP() << "Xvfb, xdotool or import missing";
    Quor::PlayerProfile player;
    player.name = "Mira";
    player.tutorialStep = Quor::TutorialFinished;
    player.money = 500;
    player.DeveloperFlag = true;
    player.logo.companyName.clear();
    player.countries[0] = true;
    TravelGame game(player);
    ASSERT_TRUE(game.Up());
    ASSERT_TRUE(WaitForMenu(game)) << game.Errors();
    ASSERT_TRUE(Eventually([&] {
        game.ClickAt(750, 152);
        return game.WaitForColour(60, 120, kLogoScreen, 5s);
    })) << game.Errors();

    for (int i = 0; i < 2; ++i)
        game.ClickAt(367, 280);  // next logo
    game.ClickAt(545, 280);      // next icon
    for (int i = 0; i < 3; ++i)
        game.ClickAt(705, 305);  // next font
    game.ClickAt(658, 352);      // colour 2
    game.ClickAt(686, 230);      // the name field
    game.Type("Potters1");
    game.Key("BackSpace");
    std::this_thread::sleep_for(500ms);
    game.ClickAt(512, 550);  // OK
    ASSERT_TRUE(game.WaitForColour(60, 120, kMainMenu)) << game.Errors();

    Quor::PlayerProfile saved;
    ASSERT_TRUE(Eventually([&] { return game.ReadSlot0(saved) && saved.logo.logoIndex == 2; }, 60s)) << game.Errors();
    EXPECT_EQ(saved.logo.secondIndex, 1);
    EXPECT_EQ(saved.logo.fontIndex, 3);
    EXPECT_EQ(saved.logo.fontName, "FONT_S14");
    EXPECT_EQ(saved.logo.colorIndex, 2);
    EXPECT_EQ((std::vector<int>{saved.logo.red, saved.logo.green, saved.logo.blue}), (std::vector<int>{255, 239, 24}));
    EXPECT_EQ(saved.logo.companyName, "Potters");
    game.Stop();
}
#endif
