// The game on the sample content under Xvfb, as a player meets it the first time: the main
// menu with the profile popup, a name typed, the options (a slider dragged, full
// screen unchecked), the credits, the high scores, the awards and the quit popup; screenshots
// at still moments match the stored pictures, the settings and the profile reach the disk. The
// run is recorded as a demo, which then plays back without a display to the same end and
// writes nothing.
#include "game/shell/PlayerProfile.h"
#include "game/shell/ProfileFile.h"
#include "tests/desktop/GameOnX.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <vector>

#ifdef GAME_TOOL

namespace {

namespace fs = std::filesystem;
using namespace xdesk;

// What the program printed last as its update count, or -1.
long LastUpdateCount(const std::string& log)
{
    const std::string text = ReadText(log) + ReadText(log + ".err");
    const size_t at = text.rfind("Update Count");
    const size_t equals = at == std::string::npos ? at : text.find('=', at);
    return equals == std::string::npos ? -1 : std::strtol(text.c_str() + equals + 1, nullptr, 10);
}

// Every file below the folder with its bytes.
std::vector<std::pair<std::string, std::vector<uint8_t>>> Files(const fs::path& folder)
{
    std::vector<std::pair<std::string, std::vector<uint8_t>>> files;
    if (fs::exists(folder))
        for (const auto& entry : fs::recursive_directory_iterator(folder))
            if (entry.is_regular_file())
                files.emplace_back(entry.path().lexically_relative(folder).string(), quortest::ReadFile(entry.path().string()));
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

TEST(MenuRunOnX, FirstStartThroughTheMenusAndItsDemoPlayback)
{
    SKIP_WITHOUT_X_TOOLS();
    quortest::TempDir dir;
    const std::string home = dir.File("run");
    const std::string demo = dir.File("first.dmo");
    fs::create_directories(home);
    long recordedUpdates = -1;
    {
        GameOnX game(GAME_TOOL, GameFolder(), home, {}, {"-record", "-demofile=" + demo});
        ASSERT_TRUE(game.Up());

        // The profile popup opens over the main menu on a first start, asking for a name.
        EXPECT_EQ(FirstStartToTheMainMenu(game), "");

        game.Click(257, 696);
        EXPECT_EQ(game.Still("desktop/menus/options.png"), "");
        game.Drag(607, 249, 450, 249);
        game.Click(565, 356);
        EXPECT_EQ(game.Still("desktop/menus/options-changed.png"), "");
        game.Click(511, 444);
        // The credit pictures take turns in the middle: left out.
        EXPECT_EQ(game.Still("desktop/menus/credits.png", {{90, 120, 844, 528}}), "");
        game.Click(981, 715);
        game.Move(600, 400);
        EXPECT_EQ(game.Still("desktop/menus/main-again.png"), "");

        game.Click(765, 696);
        EXPECT_EQ(game.Still("desktop/menus/scores.png"), "");
        game.Click(511, 549);
        game.Move(600, 400);
        EXPECT_EQ(game.Still("desktop/menus/main-again.png"), "");

        game.Click(423, 696);
        EXPECT_EQ(game.Still("desktop/menus/awards.png"), "");
        game.Click(981, 741);
        game.Move(600, 400);
        EXPECT_EQ(game.Still("desktop/menus/main-again.png"), "");

        game.Click(952, 696);
        EXPECT_EQ(game.Still("desktop/menus/quit.png"), "");
        game.Click(445, 349);
        EXPECT_EQ(game.WaitForExit(), 0) << game.ErrorOutput();
        recordedUpdates = LastUpdateCount(home + "/game-log.txt");
    }
    EXPECT_GT(recordedUpdates, 0);

    // The settings hold the dragged volume and the window mode; the profile the name.
    const std::string settings =
        ReadText(home + "/config/SOFTWARE/Ondrel/QuorAppFramework/Orvel.settings");
    EXPECT_NE(settings.find("ScreenMode=dword 0\n"), std::string::npos) << settings;
    EXPECT_EQ(settings.find("MusicVolume=dword 100\n"), std::string::npos) << settings;
    EXPECT_NE(settings.find("MusicVolume=dword "), std::string::npos) << settings;
    std::vector<uint8_t> bytes = quortest::ReadFile(home + "/data/Harrowdale/Tallowmere/P0.dat");
    Quor::PlayerProfile profile;
    ASSERT_TRUE(Quor::DecodePlayerProfile(bytes.data(), bytes.size(), profile));
    EXPECT_EQ(profile.name, "Ada");

    // The demo plays back without a display on a fresh folder: the program ends at the same
    // update and leaves no profile and no setting behind, only the running mark cleared.
    const std::string replay = dir.File("replay");
    fs::create_directories(replay + "/data");
    fs::create_directories(replay + "/config");
    const std::string log = dir.File("replay-log.txt");
    const fs::path here = fs::current_path();
    fs::current_path(GameFolder());
    pid_t pid = Spawn({GAME_TOOL, "-play", "-demofile=" + demo},
                      {"SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy", "QUOR_NO_3D=1",
                       "XDG_DATA_HOME=" + replay + "/data", "XDG_CONFIG_HOME=" + replay + "/config"},
                      log);
    fs::current_path(here);
    ASSERT_GT(pid, 0);
    Reaper reaper{pid};
    int status = -1;
    ASSERT_TRUE(Eventually([&] { return waitpid(pid, &status, WNOHANG) == pid; }, 600s)) << ReadText(log + ".err");
    reaper.pid = -1;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << ReadText(log + ".err");
    EXPECT_EQ(LastUpdateCount(log), recordedUpdates);
    const auto after = Files(replay);
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(after[0].first, "config/SOFTWARE/Ondrel/QuorAppFramework/Orvel.settings");
    EXPECT_EQ(std::string(after[0].second.begin(), after[0].second.end()), "QuorSettings 1\nInProgress=dword 0\n");
}

#endif
