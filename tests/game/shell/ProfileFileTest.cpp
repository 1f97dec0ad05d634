// The profile save file: the bit layout (first bytes and a filled profile against a file worked
// out from the layout), signed and wide fields, the doubles as text, short and missing files,
// the hidden account names, saving into a made folder with the failure report, a save killed at
// random moments and a save under a file-size limit.
#include "tests/game/shell/ProfileFixture.h"

#include "platform/Files.h"

#include <gtest/gtest.h>

#include <clocale>
#include <csignal>
#include <filesystem>
#include <random>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Quor;
using quortest::ProfileApp;

namespace {

class ProfileFileTest : public quortest::ProfileTest {};

// The profile that tests/data/profiles/filled.dat holds (slot 2, current).
PlayerProfile FilledProfile()
{
    PlayerProfile p;
    p.versionStamp = 90009;
    p.tutorialStep = -999;
    p.slotIndex = 2;
    p.name = "Ann";
    p.money = 123456;
    p.day = 45;
    p.country = 3;
    p.buyFactor = 0.95;
    p.sellFactor = 1.25;
    p.DeveloperFlag = true;
    p.logo = {1, 2, 3, 4, 10, 20, 30, "FONT_T14", "Tea Co", 5, 72, 11, 58};
    p.miniGameOpen1 = true;
    p.stock = {{2, 1, 3, 40000}, {5, 3, 3, 7}};
    p.blueprintStats = {{1, {1, 120, 2}}, {3, {3, -1, -1}}};
    p.materialStats = {{4, {4, 8, 0}}};
    p.materials = {{4, 300}, {9, 0}};
    p.recipes = {{1, true}, {2, false}};
    p.awards = {{0, false}, {16, true}};
    p.countries = {{0, true}, {7, false}};
    p.factories = {{0, {0, -1, true, false}}, {2, {2, 5, false, true}}};
    p.production = {{0, 1, 1, 1, 0}, {2, 5, 3, 2, 25}};
    p.purchaseLog = {{4, 10, 100}, {9, -3, -20}};
    p.saleLog = {{2, 44, 12}};
    p.quests = {{1, QuestState(1, 1, false, {{0, false}, {1, true}})}, {300, QuestState(300, 300, true, {})}};
    return p;
}

PlayerProfile Decoded(const std::vector<uint8_t>& bytes, bool* current = nullptr)
{
    PlayerProfile p;
    bool flag = DecodePlayerProfile(bytes.data(), bytes.size(), p);
    if (current)
        *current = flag;
    return p;
}

} // namespace

TEST(ProfileFileFormat, FirstBytesOfACurrentSlotZeroProfile)
{
    PlayerProfile p;
    p.versionStamp = 90009;
    std::vector<uint8_t> bytes = EncodePlayerProfile(p, true);
    ASSERT_GE(bytes.size(), 6u);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 6),
              (std::vector<uint8_t>{0x91, 0xF9, 0x15, 0x00, 0x00, 0x00}));
}

TEST(ProfileFileFormat, FilledProfileMatchesTheLayoutAndReadsBack)
{
    std::vector<uint8_t> golden = quortest::ReadFile(quortest::DataFile("profiles/filled.dat"));
    PlayerProfile filled = FilledProfile();
    EXPECT_EQ(EncodePlayerProfile(filled, true), golden);

    bool current = false;
    PlayerProfile back;
    back.gameOverCounter = 7;  // never stored: keeps what the slot held
    back.stock = {{9, 9, 9, 9}};
    current = DecodePlayerProfile(golden.data(), golden.size(), back);
    EXPECT_TRUE(current);
    EXPECT_EQ(back.gameOverCounter, 7);
    back.gameOverCounter = 0;
    EXPECT_EQ(back, filled);
}

TEST(ProfileFileFormat, DoublesAreSixDecimalTextInAnyLocale)
{
    EXPECT_EQ(FormatProfileDouble(0.95), "0.950000");
    EXPECT_EQ(FormatProfileDouble(-2.5), "-2.500000");
    // A locale with a decimal comma, where the machine has one.
    std::string old = std::setlocale(LC_ALL, nullptr);
    for (const char* name : {"de_DE.UTF-8", "fr_FR.UTF-8", "de_DE", "ru_RU.UTF-8"}) {
        if (std::setlocale(LC_ALL, name)) {
            EXPECT_EQ(FormatProfileDouble(0.95), "0.950000") << name;
            PlayerProfile p;
            p.buyFactor = 0.95;
            EXPECT_EQ(Decoded(EncodePlayerProfile(p, false)).buyFactor, 0.95) << name;
            break;
        }
    }
    std::setlocale(LC_ALL, old.c_str());
    PlayerProfile p;
    p.buyFactor = 0.95;
    p.sellFactor = 1e9;
    PlayerProfile back = Decoded(EncodePlayerProfile(p, false));
    EXPECT_EQ(back.buyFactor, 0.95);
    EXPECT_EQ(back.sellFactor, 1e9);
}

TEST(ProfileFileFormat, WideValuesAreClampedAndLongListsKeepTheirNewestEntries)
{
    PlayerProfile p;
    p.day = 20000000;
    p.stock = {{1, 1, 1, 70000}, {2, 1, 1, -5}};
    p.blueprintStats = {{1, {1, 40000, -1}}, {2, {2, -40000, 9}}};
    p.purchaseLog = {{1, 9000000, 33000}};
    std::map<int32_t, bool> targets;
    for (int i = 0; i < 40; ++i)
        targets[i] = i % 2 == 1;
    p.quests = {{1, QuestState(1, 1, false, targets)}, {2, QuestState(2, 2, true, {{0, true}})}};
    for (int i = 0; i < 70000; ++i)
        p.saleLog.push_back({i % 100, i, 1});

    PlayerProfile back = Decoded(EncodePlayerProfile(p, false));
    EXPECT_EQ(back.day, 16777215);
    EXPECT_EQ(back.stock, (std::vector<StockItem>{{1, 1, 1, 65535}, {2, 1, 1, 0}}));
    EXPECT_EQ(back.blueprintStats.at(1), (ItemStatRecord{1, 32767, -1}));
    EXPECT_EQ(back.blueprintStats.at(2), (ItemStatRecord{2, -32768, 7}));
    EXPECT_EQ(back.purchaseLog, (std::vector<PurchaseLogEntry>{{1, 8388607, 32767}}));
    ASSERT_EQ(back.saleLog.size(), 65535u);
    EXPECT_EQ(back.saleLog.front().day, 70000 - 65535);
    EXPECT_EQ(back.saleLog.back().day, 69999);
    // What follows the cut lists still reads right.
    ASSERT_EQ(back.quests.size(), 2u);
    ASSERT_EQ(back.quests.at(1).targets.size(), 31u);
    EXPECT_TRUE(back.quests.at(1).targets.at(29));
    EXPECT_FALSE(back.quests.at(1).targets.at(30));
    EXPECT_EQ(back.quests.at(2), QuestState(2, 2, true, {{0, true}}));
}

TEST(ProfileFileFormat, ShortFilesReadAsZerosAndEmptyLists)
{
    std::vector<uint8_t> full = EncodePlayerProfile(FilledProfile(), true);
    // Cut inside the version stamp: the stamp reads 0 (the version check resets such profiles).
    PlayerProfile cut = FilledProfile();
    std::vector<uint8_t> two(full.begin(), full.begin() + 2);
    DecodePlayerProfile(two.data(), two.size(), cut);
    EXPECT_NE(cut.versionStamp, 90009);
    EXPECT_EQ(cut.name, "");
    EXPECT_EQ(cut.money, 0);
    EXPECT_EQ(cut.buyFactor, 0.0);
    EXPECT_TRUE(cut.stock.empty() && cut.quests.empty() && cut.factories.empty());
    // An empty file: all zeros.
    PlayerProfile empty = FilledProfile();
    EXPECT_FALSE(DecodePlayerProfile(nullptr, 0, empty));
    EXPECT_EQ(empty.versionStamp, 0);
    EXPECT_TRUE(empty.saleLog.empty());
}

TEST(ProfileFileFormat, HiddenNamesChangeTheProfileOnlyWhenMatchedExactly)
{
    PlayerProfile base = FilledProfile();
    base.countries = {{0, true}, {1, false}, {7, false}};
    base.recipes = {{1, true}, {2, false}, {80, false}, {81, false}};
    base.awards = {{0, false}, {1, false}};
    base.factories[5] = {5, -1, false, false};
    base.stock = {{1, 3, 3, 10}, {2, 1, 3, 4}};

    PlayerProfile other = base;
    other.name = "TobremQuilz";
    EXPECT_FALSE(ApplyHiddenAccount(other));
    other.name = base.name;
    EXPECT_EQ(other, base);

    PlayerProfile one = base;
    one.name = "tobremquilz";
    ASSERT_TRUE(ApplyHiddenAccount(one));
    EXPECT_EQ(one.name, "Corvantis");
    EXPECT_TRUE(one.DeveloperFlag && one.miniGameOpen1 && one.miniGameOpen2);
    EXPECT_EQ(one.day, 1);
    EXPECT_EQ(one.money, 9999999);
    EXPECT_EQ(one.tutorialStep, -999);
    EXPECT_EQ(one.countries, (std::map<int32_t, bool>{{0, true}, {1, true}, {7, true}}));
    EXPECT_EQ(one.recipes, (std::map<int32_t, bool>{{1, true}, {2, true}, {80, true}, {81, false}}));
    EXPECT_EQ(one.awards, (std::map<int32_t, bool>{{0, false}, {1, true}}));
    EXPECT_FALSE(one.factories.at(0).secondFlag);
    EXPECT_TRUE(one.factories.at(2).secondFlag && one.factories.at(5).secondFlag);
    EXPECT_EQ(one.factories.count(7), 0u);
    // Merged: one entry per product and ratings, in order.
    ASSERT_EQ(one.stock.size(), 21u);
    EXPECT_EQ(one.stock[0], (StockItem{1, 3, 3, 510}));
    EXPECT_EQ(one.stock[1], (StockItem{2, 1, 3, 4}));
    EXPECT_EQ(one.stock[2], (StockItem{2, 3, 3, 500}));
    EXPECT_EQ(one.stock.back(), (StockItem{20, 3, 3, 500}));
    for (const ProductionRecord& r : one.production)
        EXPECT_EQ(std::make_tuple(r.rating1, r.rating2, r.rate), std::make_tuple(3, 3, 25));
    // Saved again, the profile no longer carries the hidden name.
    EXPECT_FALSE(ApplyHiddenAccount(one));

    PlayerProfile two = base;
    two.name = "plawderfint";
    ASSERT_TRUE(ApplyHiddenAccount(two));
    EXPECT_EQ(two.name.size(), 2u);
    EXPECT_EQ(two.stock.size(), 41u);
    EXPECT_EQ(two.production, base.production);
}

TEST_F(ProfileFileTest, SaveAndLoadThroughTheFiveFiles)
{
    ProfileApp app;
    app.FillTables();
    for (int i = 0; i < 5; ++i)
        app.CreateDefaultProfile("");
    // The folder does not exist yet: the save makes it.
    EXPECT_FALSE(plat::FileExists(PlayerProfileFolder()));
    EXPECT_EQ(SavePath(4), mDir.File("Harrowdale/Tallowmere/P4.dat"));
    app.profiles[3] = FilledProfile();
    app.profiles[3].slotIndex = 3;
    app.profiles[1].name = "tobremquilz";  // given in the popup: changed at the next load only
    app.currentProfile = 3;
    for (int slot = 0; slot < 5; ++slot)
        ASSERT_TRUE(app.SavePlayerProfile(slot));
    EXPECT_EQ(quortest::ReadFile(SavePath(3))[0] & 1, 1);
    EXPECT_EQ(quortest::ReadFile(SavePath(0))[0] & 1, 0);
    EXPECT_EQ(app.profiles[1].name, "tobremquilz");

    ProfileApp fresh;
    for (int i = 0; i < 5; ++i)
        fresh.CreateDefaultProfile("");
    fresh.currentProfile = 0;
    fresh.profiles[2].gameOverCounter = 4;
    for (int slot = 0; slot < 5; ++slot)
        EXPECT_TRUE(fresh.LoadPlayerProfile(slot));
    EXPECT_EQ(fresh.currentProfile, 3);
    EXPECT_EQ(fresh.profiles[3], app.profiles[3]);
    EXPECT_EQ(fresh.profiles[1].name, "Corvantis");
    EXPECT_EQ(fresh.profiles[2].gameOverCounter, 4);

    // A missing file leaves the slot as it was.
    plat::DeleteFile(SavePath(4));
    fresh.profiles[4].name = "kept";
    EXPECT_FALSE(fresh.LoadPlayerProfile(4));
    EXPECT_EQ(fresh.profiles[4].name, "kept");
    EXPECT_TRUE(app.mBoxes.empty() && app.mErrorLog.empty());
}

TEST_F(ProfileFileTest, PlayedDemoSavesNothing)
{
    ProfileApp app;
    app.FillTables();
    for (int i = 0; i < 5; ++i)
        app.CreateDefaultProfile("");
    app.profiles[0].name = "replayed";
    app.mPlayingDemo = true;
    EXPECT_TRUE(app.SaveFivePlayerProfiles());
    EXPECT_FALSE(plat::FileExists(SavePath(0)));
    EXPECT_EQ(app.profiles[0].name, "replayed");
    EXPECT_TRUE(app.mBoxes.empty() && app.mErrorLog.empty());
}

TEST_F(ProfileFileTest, FailedSaveKeepsTheOldFileAndIsReportedOnce)
{
    ProfileApp app;
    app.CreateDefaultProfile("Ann");
    // The folder cannot be made: a file stands where it should be.
    std::filesystem::create_directories(mDir.Path() / "Harrowdale");
    quortest::WriteFile(mDir.File("Harrowdale/Tallowmere"), std::string("in the way"));
    EXPECT_FALSE(app.SavePlayerProfile(0));
    ASSERT_EQ(app.mBoxes.size(), 1u);
    ASSERT_EQ(app.mErrorLog.size(), 1u);
    EXPECT_NE(app.mBoxes[0].find("Error: "), std::string::npos);
    EXPECT_NE(app.mBoxes[0].find("P0.dat"), std::string::npos);
    EXPECT_NE(app.mErrorLog[0].find("P0.dat"), std::string::npos);
    EXPECT_NE(app.mErrorLog[0].find("Not a directory"), std::string::npos);
    EXPECT_EQ(quortest::ReadFile(mDir.File("Harrowdale/Tallowmere")).size(), 10u);
}

namespace {

// A profile whose two versions differ all through the file.
PlayerProfile LoggedProfile(int version)
{
    PlayerProfile p = FilledProfile();
    p.name = version ? "Second" : "First";
    for (int i = 0; i < 5000; ++i) {
        p.saleLog.push_back({i % 50, i + version, 3 + version});
        p.purchaseLog.push_back({i % 40, i, 2 + version});
    }
    return p;
}

} // namespace

TEST_F(ProfileFileTest, SaveKilledAtRandomMomentsLeavesTheOldOrTheNewFile)
{
    int rounds = 200;
    if (const char* env = std::getenv("QUOR_PROFILE_KILL_ROUNDS"))
        rounds = std::max(1, std::atoi(env));
    ProfileApp app;
    app.profiles = {LoggedProfile(0)};
    app.currentProfile = 0;
    ASSERT_TRUE(app.SavePlayerProfile(0));
    const std::vector<PlayerProfile> versions = {LoggedProfile(0), LoggedProfile(1)};
    std::mt19937 random(12345);
    for (int round = 0; round < rounds; ++round) {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int n = 0;; ++n) {
                app.profiles[0] = versions[size_t(n % 2)];
                app.SavePlayerProfile(0);
            }
        }
        usleep(useconds_t(std::uniform_int_distribution<int>(0, 20000)(random)));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);

        PlayerProfile read;
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(plat::ReadWholeFile(SavePath(0), &bytes)) << round;
        DecodePlayerProfile(bytes.data(), bytes.size(), read);
        ASSERT_TRUE(read == versions[0] || read == versions[1]) << "round " << round;
    }
    // Temporary files of the killed saves are never read; the next save removes them.
    ASSERT_TRUE(app.SavePlayerProfile(0));
    for (const auto& entry : std::filesystem::directory_iterator(PlayerProfileFolder()))
        EXPECT_EQ(entry.path().filename().string().rfind(".P0.dat.", 0), std::string::npos) << entry.path();
}

// The popup's save of all five files, killed at random moments: every file is its old or its
// new self (the five need not agree), and the next save removes every slot's temporary files.
TEST_F(ProfileFileTest, FiveFileSaveKilledAtRandomMomentsLeavesEachFileOldOrNew)
{
    int rounds = 60;
    if (const char* env = std::getenv("QUOR_PROFILE_KILL_ROUNDS"))
        rounds = std::max(1, std::atoi(env));
    const std::vector<PlayerProfile> versions = {LoggedProfile(0), LoggedProfile(1)};
    ProfileApp app;
    app.profiles.assign(5, versions[0]);
    app.currentProfile = 0;
    ASSERT_TRUE(app.SaveFivePlayerProfiles());
    std::mt19937 random(54321);
    for (int round = 0; round < rounds; ++round) {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int n = 0;; ++n) {
                app.profiles.assign(5, versions[size_t(n % 2)]);
                app.SaveFivePlayerProfiles();
            }
        }
        usleep(useconds_t(std::uniform_int_distribution<int>(0, 40000)(random)));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);

        for (int slot = 0; slot < 5; ++slot) {
            std::vector<uint8_t> bytes;
            ASSERT_TRUE(plat::ReadWholeFile(SavePath(slot), &bytes)) << round;
            PlayerProfile read = Decoded(bytes);
            ASSERT_TRUE(read == versions[0] || read == versions[1]) << "round " << round << " slot " << slot;
        }
    }
    ASSERT_TRUE(app.SaveFivePlayerProfiles());
    for (const auto& entry : std::filesystem::directory_iterator(PlayerProfileFolder()))
        EXPECT_EQ(entry.path().filename().string()[0], 'P') << entry.path();
    EXPECT_TRUE(app.mBoxes.empty() && app.mErrorLog.empty());
}

TEST_F(ProfileFileTest, SaveUnderAFileSizeLimitFailsAndKeepsTheOldFile)
{
    ProfileApp app;
    app.profiles = {FilledProfile()};
    ASSERT_TRUE(app.SavePlayerProfile(0));
    std::vector<uint8_t> old = quortest::ReadFile(SavePath(0));
    app.profiles[0] = LoggedProfile(1);

    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        bool saved = app.SavePlayerProfile(0);
        bool reported = app.mBoxes.size() == 1 && app.mErrorLog.size() == 1 &&
                        app.mBoxes[0].find("P0.dat") != std::string::npos;
        _exit(!saved && reported ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(quortest::ReadFile(SavePath(0)), old);
    for (const auto& entry : std::filesystem::directory_iterator(PlayerProfileFolder()))
        EXPECT_EQ(entry.path().filename().string(), "P0.dat");
}
