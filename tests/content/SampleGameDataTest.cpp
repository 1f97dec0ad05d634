// The sample game data as the program gets it from the archive the build made: the readers fill
// every table without a log line, the series recipes follow their rules, a new profile is built
// on it, and the program starts on the archive to its main menu and ends cleanly.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <thread>

#include "game/shell/GameApp.h"
#include "game/shell/GameDataLoader.h"
#include "resources/PakInterface.h"
#include "resources/XMLParser.h"
#include "tests/game/shell/GameDataFixture.h"
#include "tests/game/shell/GameFixture.h"
#include "tests/support/TestSupport.h"

using namespace Quor;

namespace {

const std::string kArchive = std::string(QUOR_BINARY_DIR) + "/main.pak";

class SampleGameData : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        PakInterface* pak = GetPakInterface();
        pak->mDecryptPassword = GameApp::kArchivePassword;
        ASSERT_TRUE(pak->AddPakFile(kArchive)) << pak->mError;
    }

    // Reads the nine files from the archive (the work folder holds none of them).
    void SetUp() override
    {
        quortest::RecordingApp app;
        XMLParser parser;
        GameDataLoader loader(parser, mTables, &app);
        ASSERT_TRUE(loader.LoadGameData());
        EXPECT_EQ(loader.mLog, std::vector<std::string>{});
        EXPECT_TRUE(app.mBoxes.empty());
        EXPECT_TRUE(app.mErrorLog.empty());
        EXPECT_TRUE(mTables.readIncomplete.empty());
    }

    GameTables mTables;
};

TEST_F(SampleGameData, ReadersFillEveryTable)
{
    EXPECT_EQ(mTables.sourceTable.size(), 36u);
    EXPECT_EQ(mTables.sourceTable.rbegin()->first, 36);
    EXPECT_EQ(mTables.blueprintTable.size(), 80u);
    EXPECT_EQ(mTables.blueprintTable.rbegin()->first, 80);
    std::set<int32_t> quests;
    for (const auto& [id, quest] : mTables.questTable)
        quests.insert(id);
    EXPECT_EQ(quests, (std::set<int32_t>{1, 2, 3, 4, 5, 6, 7, 8, 101}));
    EXPECT_EQ(mTables.npcTable.size(), 25u);
    EXPECT_EQ(mTables.countryMapTable.size(), 8u);
    EXPECT_EQ(mTables.countryMapTable.at(7).Name, "USA");
    EXPECT_EQ(mTables.awardTable.size(), 17u);
    EXPECT_EQ(mTables.awardTable.at(16).X, 62 + 150 * 4);
    EXPECT_EQ(mTables.awardTable.at(16).Y, 150 + 160 * 2);
    ASSERT_TRUE(mTables.fxDefs.has_value());
    std::vector<int32_t> effects;
    for (const FXDef& fx : *mTables.fxDefs) {
        effects.push_back(fx.id);
        EXPECT_NE(fx.img, 333) << fx.id;
    }
    EXPECT_EQ(effects, (std::vector<int32_t>{2, 4, 5, 101}));
    EXPECT_EQ(mTables.fxDefs->front().keyframes.size(), 2u);

    const MiniGameTuning& t = mTables.miniGameTuning;
    EXPECT_EQ(t.m1Distance, 800);
    EXPECT_DOUBLE_EQ(t.m3MulSpeed, 0.5);
    EXPECT_DOUBLE_EQ(t.m4LvMax, 5.0);
    EXPECT_DOUBLE_EQ(t.m5TimeDropBowlLvMulti, 0.3);
    EXPECT_DOUBLE_EQ(t.m6Prepare, 1.5);
    EXPECT_EQ(t.gp_fac_jap, 5000);
    EXPECT_EQ(t.gp_fac_usa, 12000);
    EXPECT_EQ(t.credit_fade, 15);
    // Values the games divide by or count down with stay positive at every level.
    for (int level = 1; level <= 5; ++level)
        EXPECT_GT(t.m4BasicSpeed5 - (level - 1) * t.m4LvSpeed - 10, 0) << level;
    for (int level = 1; level <= 3; ++level)
        EXPECT_GT(t.m5TimeDropBowl - level * t.m5TimeDropBowlLvMulti, 0) << level;
}

TEST_F(SampleGameData, RecipesOfTheSeriesAreMadeWhereTheirMaterialsAreSold)
{
    for (const auto& [id, bp] : mTables.blueprintTable) {
        SCOPED_TRACE(id);
        int series = (id - 1) / 5;
        EXPECT_EQ(bp.Img, "PD_" + std::to_string(id));
        EXPECT_EQ(bp.Name.rfind(mTables.awardTable.at(series).Name + " ", 0), 0u) << bp.Name;
        EXPECT_GE(bp.materialQty.size(), 2u);
        EXPECT_LE(bp.materialQty.size(), 5u);
        std::set<int32_t> stages;
        for (auto [glaze, stage] : bp.colorSources) {
            EXPECT_GE(glaze, 22);
            EXPECT_LE(glaze, 36);
            stages.insert(stage);
        }
        std::set<int32_t> wanted;
        for (int32_t s = 1; s <= int32_t(bp.colorSources.size()); ++s)
            wanted.insert(s);
        EXPECT_EQ(stages, wanted);
        if (id <= 5)
            continue;
        EXPECT_EQ(bp.CountryId, series % 8);
        const auto& sold = mTables.countryMapTable.at(bp.CountryId).sourceIds;
        for (auto [material, qty] : bp.materialQty) {
            EXPECT_LE(material, 21);
            EXPECT_NE(std::find(sold.begin(), sold.end(), material), sold.end()) << material;
        }
    }
    // The tutorial's product has exactly two materials.
    EXPECT_EQ(mTables.blueprintTable.at(4).materialQty.size(), 2u);
}

TEST_F(SampleGameData, NewProfileOpensQuestOneWithItsFactories)
{
    GameApp app;
    static_cast<GameTables&>(app) = mTables;
    app.CreateDefaultProfile("Ann");
    const PlayerProfile& p = app.profiles.back();
    EXPECT_EQ(p.countries.size(), 8u);
    std::set<int32_t> factories;
    for (const auto& [id, factory] : p.factories)
        factories.insert(id);
    EXPECT_EQ(factories, (std::set<int32_t>{0, 2, 5, 7}));
    EXPECT_TRUE(p.factories.at(0).firstFlag);
    EXPECT_EQ(p.production.size(), 4u * 80u);
    ASSERT_EQ(p.quests.size(), 1u);
    const QuestState& quest = p.quests.at(1);
    EXPECT_FALSE(quest.finished);
    EXPECT_EQ(quest.targets, (std::map<int32_t, bool>{{0, false}, {1, false}, {2, false}}));
}

// The program on the archive the build made, as a player's first start: SDL's dummy drivers,
// a fresh data folder (set for every test run), closed once the main menu is up with the
// account popup that asks a first player's name.
class ContentGame : public quortest::FixtureGame {
public:
    using FixtureGame::FixtureGame;
    int mErrorLines = 0;
    void LogScreenError(const std::string& text) override
    {
        ++mErrorLines;
        std::fprintf(stderr, "error log: %s\n", text.c_str());
    }
};

TEST(SampleContentStartDeathTest, FirstStartReachesTheMainMenuAndEndsCleanly)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            std::thread([] {
                std::this_thread::sleep_for(std::chrono::seconds(120));
                std::fprintf(stderr, "watchdog: the run did not end\n");
                std::_Exit(99);
            }).detach();
            quortest::TempDir dir(quortest::RunDir());
            std::filesystem::copy_file(kArchive, dir.Path() / "main.pak");
            auto* game = new ContentGame(dir.Path().string());
            game->Init();
            bool menu = false;
            bool account = false;
            game->mOnUpdate = [&](quortest::FixtureGame& g) {
                if (g.screens[SCREEN_MAIN_MENU] && !menu) {
                    menu = true;
                    account = g.screens[SCREEN_ACCOUNT] != nullptr;
                    g.Shutdown();
                }
            };
            game->Start();
            std::fprintf(stderr, "menu %d account %d popups %zu errors %d all loaded %d quests %zu\n", int(menu),
                         int(account), game->mPopups.size(), game->mErrorLines,
                         int(game->mCompletedLoadingThreadTasks == game->mNumLoadingThreadTasks &&
                             game->mNumLoadingThreadTasks > 0),
                         game->questTable.size());
            int status = game->exitStatus;
            delete game;
            std::exit(status);
        },
        ::testing::ExitedWithCode(0), "menu 1 account 1 popups 0 errors 0 all loaded 1 quests 9");
}

} // namespace
