#include "tests/desktop/GameOnX.h"

#include "game/shell/GameApp.h"
#include "game/shell/GameDataLoader.h"
#include "game/shell/ProfileFile.h"
#include "resources/PakInterface.h"
#include "resources/XMLParser.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/TestSupport.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace xdesk {

namespace fs = std::filesystem;

namespace {

// A display number no other server holds, spread by the process id so that test programs
// running side by side look in different places first.
int FreeDisplayNumber()
{
    const int base = 2000 + static_cast<int>(getpid() % 2000) * 4;
    for (int n = base; n < base + 400; ++n)
        if (!fs::exists("/tmp/.X" + std::to_string(n) + "-lock") && !fs::exists("/tmp/.X11-unix/X" + std::to_string(n)))
            return n;
    return base;
}

void ApplyMasks(std::vector<uint32_t>& px, const std::vector<Mask>& masks)
{
    for (const Mask& m : masks)
        for (int y = std::max(0, m.y); y < std::min(768, m.y + m.h); ++y)
            for (int x = std::max(0, m.x); x < std::min(1024, m.x + m.w); ++x)
                px[static_cast<size_t>(y) * 1024 + static_cast<size_t>(x)] = 0xFF000000u;
}

// Keeps the 5, 6 and 5 top bits of red, green and blue.
void ToSixteenBits(std::vector<uint32_t>& px)
{
    for (uint32_t& p : px)
        p &= 0xFFF8FCF8u;
}

// The profile folder of a program whose data folder is `home`/data.
std::string ProfileFolder(const std::string& home)
{
    const char* old = std::getenv("XDG_DATA_HOME");
    const std::string kept = old != nullptr ? old : "";
    setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);
    std::string folder = Quor::PlayerProfileFolder();
    if (old != nullptr)
        setenv("XDG_DATA_HOME", kept.c_str(), 1);
    else
        unsetenv("XDG_DATA_HOME");
    return folder;
}

} // namespace

namespace {

// Masks of the area's pixels for which `masked`(x, y) holds: one per run of a row, runs of
// rows that mask the same columns joined into one.
template <typename Masked>
std::vector<Mask> RowRuns(const Mask& area, Masked masked)
{
    std::vector<Mask> masks;
    std::vector<std::pair<int, int>> previous;  // the column runs of the row above
    size_t firstOfRun = 0;                      // masks[firstOfRun..] grow while rows repeat
    for (int y = area.y; y < area.y + area.h; ++y) {
        std::vector<std::pair<int, int>> runs;
        for (int x = area.x; x < area.x + area.w;) {
            if (!masked(x, y)) {
                ++x;
                continue;
            }
            int end = x;
            while (end < area.x + area.w && masked(end, y))
                ++end;
            runs.emplace_back(x, end - x);
            x = end;
        }
        if (y > area.y && runs == previous) {
            for (size_t i = firstOfRun; i < masks.size(); ++i)
                ++masks[i].h;
            continue;
        }
        firstOfRun = masks.size();
        for (const auto& [x, w] : runs)
            masks.push_back(Mask{x, y, w, 1});
        previous = runs;
    }
    return masks;
}

} // namespace

std::vector<Mask> MaskAllBut(const Mask& area, const std::vector<Mask>& kept)
{
    return RowRuns(area, [&](int x, int y) {
        return std::none_of(kept.begin(), kept.end(),
                            [&](const Mask& k) { return x >= k.x && x < k.x + k.w && y >= k.y && y < k.y + k.h; });
    });
}

std::vector<Mask> MasksFromPicture(const std::string& picture, const std::vector<Mask>& except)
{
    std::vector<uint32_t> px;
    int w = 0, h = 0;
    if (!quortest::ReadPng(std::string(QUOR_TEST_DATA_DIR) + "/" + picture, px, w, h) || w != 1024 || h != 768)
        return {{0, 0, 1024, 768}};  // nothing compared: the missing picture shows as a failure
    return RowRuns({0, 0, 1024, 768}, [&](int x, int y) {
        return (px[size_t(y) * 1024 + size_t(x)] & 0xFFFFFFu) != 0 &&
               std::none_of(except.begin(), except.end(),
                            [&](const Mask& k) { return x >= k.x && x < k.x + k.w && y >= k.y && y < k.y + k.h; });
    });
}

std::vector<Mask> CountryViewMasks(const std::string& moving, const std::vector<Mask>& alsoKept)
{
    std::vector<Mask> kept = {{312, 0, 400, 70},                                                 // name
                              {60, 330, 160, 140}, {280, 250, 160, 140}, {500, 330, 160, 140},  // places
                              {740, 250, 160, 140}, {800, 400, 160, 140},
                              {7, 553, 80, 80},    {700, 577, 150, 30},  {910, 575, 60, 60}};   // display
    kept.insert(kept.end(), alsoKept.begin(), alsoKept.end());
    std::vector<Mask> masks = MaskAllBut({0, 0, 1024, 616}, kept);
    const std::vector<Mask> seen = MasksFromPicture(moving, alsoKept);
    masks.insert(masks.end(), seen.begin(), seen.end());
    return masks;
}

std::vector<Mask> CountryUnder(const std::vector<Mask>& kept)
{
    std::vector<Mask> masks = MaskAllBut({0, 0, 1024, 616}, kept);
    masks.push_back(kCalendarMask);
    masks.push_back(kWeekMask);
    return masks;
}

std::string MakeHome(const quortest::TempDir& dir)
{
    const std::string home = dir.File("run");
    fs::create_directories(home);
    return home;
}

std::string GameFolder()
{
#ifdef GAME_TOOL
    return fs::path(GAME_TOOL).parent_path().string();
#else
    return "";
#endif
}

Quor::PlayerProfile NewPlayer(const std::string& name)
{
    static const Quor::GameTables tables = [] {
        Quor::GameTables read;
        Quor::PakInterface* pak = Quor::GetPakInterface();
        pak->mDecryptPassword = Quor::GameApp::kArchivePassword;
        if (!pak->AddPakFile(GameFolder() + "/main.pak"))
            return read;
        Quor::XMLParser parser;
        Quor::GameDataLoader loader(parser, read);
        loader.LoadGameData();
        return read;
    }();
    Quor::GameApp app;
    static_cast<Quor::GameTables&>(app) = tables;
    app.CreateDefaultProfile(name);
    return app.profiles.back();
}

void WriteProfiles(const std::string& home, const Quor::PlayerProfile& player)
{
    const std::string folder = ProfileFolder(home);
    fs::create_directories(folder);
    for (int slot = 0; slot < 5; ++slot) {
        Quor::PlayerProfile p;
        if (slot == 0)
            p = player;
        p.versionStamp = Quor::ProfileVersionStamp;
        p.slotIndex = slot;
        quortest::WriteFile(folder + "/P" + std::to_string(slot) + ".dat", Quor::EncodePlayerProfile(p, slot == 0));
    }
}

bool ReadSlot0(const std::string& home, Quor::PlayerProfile& player)
{
    const std::vector<uint8_t> bytes = Slot0Bytes(home);
    return !bytes.empty() && Quor::DecodePlayerProfile(bytes.data(), bytes.size(), player);
}

std::vector<uint8_t> Slot0Bytes(const std::string& home)
{
    return quortest::ReadFile(ProfileFolder(home) + "/P0.dat");
}

GameOnX::GameOnX(const std::string& program, const std::string& folder, const std::string& home,
                 const std::vector<std::string>& env, const std::vector<std::string>& args)
    : mServer(FreeDisplayNumber(), "1024x768x24")
{
    mHome = home;
    mLog = home + "/game-log.txt";
    mShot = home + "/x.rgb";
    if (!mServer.Up())
        return;
    fs::create_directories(home + "/data");
    fs::create_directories(home + "/config");
    // The program's single-copy lock lives in the runtime folder: one of its own, so that the
    // runs of test programs side by side do not take each other for a second copy and end.
    fs::create_directories(home + "/run");
    fs::permissions(home + "/run", fs::perms::owner_all, fs::perm_options::replace);
    // The session-bus library that the X video driver loads keeps a buffer to the end.
    const std::string suppressions = home + "/lsan.supp";
    quortest::WriteFile(suppressions, std::string("leak:libdbus-1.so\n"));
    std::vector<std::string> all{"DISPLAY=" + mServer.Display(), "SDL_VIDEODRIVER=x11", "SDL_AUDIODRIVER=dummy",
                                 "QUOR_NO_3D=1", "XDG_DATA_HOME=" + home + "/data",
                                 "XDG_CONFIG_HOME=" + home + "/config", "XDG_RUNTIME_DIR=" + home + "/run",
                                 "LSAN_OPTIONS=suppressions=" + suppressions};
    all.insert(all.end(), env.begin(), env.end());
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), args.begin(), args.end());
    // The program makes its own folder the current one; it is started there too.
    const fs::path here = fs::current_path();
    fs::current_path(folder);
    mPid = Spawn(argv, all, mLog);
    fs::current_path(here);
}

GameOnX::~GameOnX()
{
    Reaper reaper{mPid};
}

std::vector<uint32_t> GameOnX::Desktop()
{
    fs::remove(mShot);
    XRun(Display(), "import -window root -depth 8 rgb:" + mShot);
    std::vector<uint8_t> rgb = quortest::ReadFile(mShot);
    std::vector<uint32_t> px;
    if (rgb.size() != 1024u * 768u * 3u)
        return px;
    px.reserve(1024u * 768u);
    for (size_t i = 0; i + 2 < rgb.size(); i += 3)
        px.push_back(0xFF000000u | static_cast<uint32_t>(rgb[i]) << 16 | static_cast<uint32_t>(rgb[i + 1]) << 8 | rgb[i + 2]);
    if (mSixteenBits)
        ToSixteenBits(px);
    return px;
}

void GameOnX::Move(int x, int y)
{
    // A nudge first, so that the window sees a move even when the pointer is already there.
    XRun(Display(), "xdotool mousemove " + std::to_string(x + 1) + " " + std::to_string(y) + " mousemove " +
                        std::to_string(x) + " " + std::to_string(y));
}

void GameOnX::Click(int x, int y)
{
    Move(x, y);
    XRun(Display(), "xdotool click 1");
}

void GameOnX::Drag(int x0, int y0, int x1, int y1)
{
    Move(x0, y0);
    XRun(Display(), "xdotool mousedown 1");
    const int steps = 8;
    for (int i = 1; i <= steps; ++i)
        XRun(Display(), "xdotool mousemove " + std::to_string(x0 + (x1 - x0) * i / steps) + " " +
                            std::to_string(y0 + (y1 - y0) * i / steps));
    XRun(Display(), "xdotool mouseup 1");
}

void GameOnX::Key(const std::string& keys)
{
    XRun(Display(), "xdotool key " + keys);
}

void GameOnX::Type(const std::string& text)
{
    XRun(Display(), "xdotool type --delay 40 '" + text + "'");
}

bool GameOnX::Settle(const std::vector<Mask>& masks, std::chrono::milliseconds limit)
{
    std::vector<uint32_t> px;
    const bool settled = Eventually([&] {
        const std::vector<uint32_t> before = px;
        std::this_thread::sleep_for(500ms);
        px = Desktop();
        if (px.empty())
            return false;
        ApplyMasks(px, masks);
        // Still, no longer the picture before the last action, and not a screen faded to
        // (nearly) black while the next one loads.
        return px == before && px != mLast && std::count_if(px.begin(), px.end(), [](uint32_t p) {
                   return ((p >> 16) & 0xFF) >= 100 || ((p >> 8) & 0xFF) >= 100 || (p & 0xFF) >= 100;
               }) > 5000;
    }, limit);
    if (settled) {
        mLast = px;
        mLastMasks = masks;
    }
    return settled;
}

bool GameOnX::Changed(std::chrono::milliseconds limit)
{
    const bool changed = Eventually([&] {
        std::vector<uint32_t> px = Desktop();
        if (px.empty())
            return false;
        ApplyMasks(px, mLastMasks);
        return px != mLast;
    }, limit);
    if (changed) {
        mLast.clear();
        mLastMasks.clear();
    }
    return changed;
}

std::string GameOnX::Still(const std::string& golden, const std::vector<Mask>& masks, std::chrono::milliseconds limit)
{
    const std::string path = std::string(QUOR_TEST_DATA_DIR) + "/" + golden;
    if (std::getenv("QUOR_UPDATE_GOLDEN") != nullptr) {
        if (!Settle(masks, limit))
            return "no still screen for " + golden;
        return quortest::CompareWithGolden(path, mLast, 1024, 768);
    }
    return WaitFor(golden, masks, limit);
}

std::string GameOnX::WaitFor(const std::string& golden, const std::vector<Mask>& masks, std::chrono::milliseconds limit)
{
    const std::string path = std::string(QUOR_TEST_DATA_DIR) + "/" + golden;
    std::vector<uint32_t> want;
    int w = 0, h = 0;
    if (!quortest::ReadPng(path, want, w, h) || w != 1024 || h != 768)
        return "no stored picture " + path;
    if (mSixteenBits)
        ToSixteenBits(want);
    ApplyMasks(want, masks);
    std::vector<uint32_t> px;
    Eventually([&] {
        px = Desktop();
        if (px.empty())
            return false;
        ApplyMasks(px, masks);
        return px == want;
    }, limit);
    if (px.empty())
        return "no screenshot";
    mLast = px;
    mLastMasks = masks;
    if (px == want)
        return "";
    return Differs(golden, px, want);
}

std::string GameOnX::Hold(std::chrono::milliseconds time, const std::vector<Mask>& masks)
{
    const auto end = std::chrono::steady_clock::now() + time;
    const std::vector<uint32_t> want = mLast;
    while (std::chrono::steady_clock::now() < end) {
        std::vector<uint32_t> px = Desktop();
        if (px.empty())
            return "no screenshot";
        ApplyMasks(px, masks);
        if (px != want)
            return Differs("held.png", px, want);
    }
    return "";
}

std::string GameOnX::Differs(const std::string& name, const std::vector<uint32_t>& px, const std::vector<uint32_t>& want)
{
    size_t count = 0, first = 0;
    for (size_t i = 0; i < px.size() && i < want.size(); ++i)
        if (px[i] != want[i] && count++ == 0)
            first = i;
    // The screen stays beside the log, for a look at what was on it.
    const std::string got = mHome + "/got-" + fs::path(name).filename().string();
    quortest::WritePng(got, px, 1024, 768);
    char line[200];
    std::snprintf(line, sizeof line, "%zu pixels differ from %s, the first at %zu,%zu: got %08x, want %08x", count,
                  name.c_str(), first % 1024, first / 1024, px[first], want[first]);
    return std::string(line) + " (screen kept in " + got + ")";
}

void GameOnX::End()
{
    if (mPid > 0)
        kill(mPid, SIGTERM);
}

bool GameOnX::Shows(int x, int y, uint32_t rgb, int tolerance, std::chrono::milliseconds limit)
{
    return Eventually([&] {
        const std::vector<uint32_t> px = Desktop();
        if (px.empty())
            return false;
        const uint32_t p = px[static_cast<size_t>(y) * 1024 + static_cast<size_t>(x)];
        for (int shift : {0, 8, 16})
            if (std::abs(static_cast<int>((p >> shift) & 0xFF) - static_cast<int>((rgb >> shift) & 0xFF)) > tolerance)
                return false;
        return true;
    }, limit);
}

int GameOnX::QuitFromGame()
{
    // The questions' picture and the main menu's, as the sample content colours them.
    constexpr uint32_t kQuestion = 0x7A7A3A;
    constexpr uint32_t kMainMenu = 0x3F7F8C;
    Click(940, 696);
    if (!Shows(512, 300, kQuestion))
        return -1;
    Click(446, 350);
    if (!Shows(300, 200, kMainMenu))
        return -1;
    // A click while the main menu still fades in goes unheard.
    if (!Eventually([&] {
            Click(952, 696);
            return Shows(512, 300, kQuestion, 8, 5s);
        }))
        return -1;
    Click(445, 349);
    return WaitForExit();
}

int GameOnX::WaitForExit(std::chrono::milliseconds limit)
{
    int status = -1;
    if (mPid <= 0 || !Eventually([&] { return waitpid(mPid, &status, WNOHANG) == mPid; }, limit))
        return -1;
    mPid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string FirstStartToTheMainMenu(GameOnX& game)
{
    std::string differs = game.Still("desktop/menus/name.png", {}, 300s);
    if (!differs.empty())
        return differs + "\n" + game.ErrorOutput();
    game.Type("Ada");
    game.Key("Return");
    differs = game.Still("desktop/menus/profile.png");
    if (!differs.empty())
        return differs;
    game.Click(748, 443);
    return game.Still("desktop/menus/main.png");
}

std::string ThroughTheStoryPages(GameOnX& game)
{
    game.Click(85, 696);
    for (const char* page : {"desktop/tutorial/step0.png", "desktop/tutorial/step1.png", "desktop/tutorial/step2.png"}) {
        const std::string differs = game.Still(page);
        if (!differs.empty())
            return differs;
        game.Click(512, 400);
    }
    return game.Still("desktop/tutorial/step3.png", CountryUnder({{610, 10, 404, 270}}));
}

} // namespace xdesk
