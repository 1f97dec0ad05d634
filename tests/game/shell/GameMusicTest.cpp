// The game's music: one looping file, and the timed country programme of the scheduler, checked
// through a music player that records its calls.
#include <gtest/gtest.h>

#include "game/shell/GameApp.h"
#include "game/shell/MusicTrackList.h"
#include "sound/MusicInterface.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

using namespace Quor;

namespace {

class RecordingMusic : public MusicInterface {
public:
    std::vector<std::string> calls;
    std::map<int, std::string> loaded;
    std::map<int, std::vector<int>> starts; // step numbers of FadeIn per id
    std::map<int, std::vector<int>> stops;  // step numbers of StopMusic per id
    int step = 0;

    bool LoadMusic(int id, const std::string& file) override
    {
        calls.push_back("load " + std::to_string(id) + " " + file);
        loaded.emplace(id, file);
        return true;
    }
    void StopMusic(int id) override { stops[id].push_back(step); }
    void UnloadMusic(int id) override
    {
        calls.push_back("unload " + std::to_string(id));
        loaded.erase(id);
    }
    void UnloadAllMusic() override
    {
        calls.push_back("unload all");
        loaded.clear();
    }
    void FadeIn(int id, int offset, double speed, bool noLoop) override
    {
        calls.push_back("fade in " + std::to_string(id) + " " + std::to_string(offset) + " " +
                        std::to_string(speed) + (noLoop ? " once" : " loop"));
        starts[id].push_back(step);
    }
};

struct GameWithMusic {
    GameApp app;
    RecordingMusic* music = new RecordingMusic();
    GameWithMusic() { app.mMusicInterface = music; }

    // Steps of 0.02 s, as the game screen advances the scheduler.
    void Run(int steps)
    {
        for (int i = 0; i < steps; ++i) {
            ++music->step;
            app.musicTracks->UpdateAll(0.02);
        }
    }
};

int StepOf(double seconds)
{
    return int(std::lround(seconds / 0.02));
}

} // namespace

TEST(GameMusic, PlayMusicFileUnloadsThenFadesSongZeroIn)
{
    GameWithMusic game;
    game.app.PlayMusicFile("music/Main_page.ogg");
    std::vector<std::string> expected = {"unload all", "load 0 music/Main_page.ogg",
                                         "fade in 0 5 " + std::to_string(0.002) + " loop"};
    EXPECT_EQ(game.music->calls, expected);
}

TEST(GameMusic, EnglandTimeline)
{
    GameWithMusic game;
    game.app.PlayCountryMusic(0);
    std::map<int, std::string> loaded = {
        {0, "music/England.ogg"}, {1, "music/main_eng.ogg"}, {2, "music/England_1.ogg"}};
    EXPECT_EQ(game.music->loaded, loaded);
    ASSERT_FALSE(game.music->calls.empty());
    EXPECT_EQ(game.music->calls.front(), "unload all");

    game.Run(StepOf(200));
    auto& starts = game.music->starts;
    auto& stops = game.music->stops;

    // The arrival piece: starts on the third step, plays 16 s once, and its track goes.
    ASSERT_EQ(starts[0], std::vector<int>{3});
    ASSERT_EQ(stops[0].size(), 1u);
    EXPECT_NEAR(stops[0][0], StepOf(16.06), 1);
    EXPECT_EQ(game.app.musicTracks->Tracks().count(0), 0u);
    EXPECT_EQ(game.music->loaded.count(0), 0u);

    // The theme and the second piece start at 20 s and come back 89 s and 31 s after each start.
    ASSERT_GE(starts[1].size(), 3u);
    ASSERT_GE(starts[2].size(), 6u);
    EXPECT_NEAR(starts[1][0], StepOf(20), 1);
    EXPECT_NEAR(starts[2][0], StepOf(20), 1);
    for (size_t i = 1; i < starts[1].size(); ++i)
        EXPECT_NEAR(starts[1][i] - starts[1][i - 1], StepOf(89), 1);
    for (size_t i = 1; i < starts[2].size(); ++i)
        EXPECT_NEAR(starts[2][i] - starts[2][i - 1], StepOf(31), 1);
    EXPECT_NEAR(stops[1][0] - starts[1][0], StepOf(59), 1);
    EXPECT_NEAR(stops[2][0] - starts[2][0], StepOf(30), 1);
    EXPECT_EQ(game.app.musicTracks->Tracks().size(), 2u);
    // Every start plays once, fading in from the start of the file.
    EXPECT_NE(std::find(game.music->calls.begin(), game.music->calls.end(),
                        "fade in 1 0 " + std::to_string(0.002) + " once"),
              game.music->calls.end());
}

TEST(GameMusic, CountryTableAndOutOfRangeCountries)
{
    struct Case {
        int country;
        std::vector<std::string> files;
    };
    const Case cases[] = {
        {1, {"music/Germany.ogg", "music/main_ger.ogg", "music/England_1.ogg"}},
        {3, {"music/India.ogg", "music/main_ind.ogg", "music/India_1.ogg"}},
        {7, {"music/USA.ogg", "music/main_usa.ogg", "music/RS_1.ogg"}},
        {8, {}},
        {-1, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.country);
        GameWithMusic game;
        game.app.PlayCountryMusic(c.country);
        std::vector<std::string> files;
        for (auto& [id, file] : game.music->loaded)
            files.push_back(file);
        EXPECT_EQ(files, c.files);
        EXPECT_EQ(game.music->calls.front(), "unload all");
        EXPECT_EQ(game.app.musicTracks->Tracks().size(), c.files.size());
    }
    // India's pieces start at 25 s; Russia's arrival piece plays 9 s.
    GameWithMusic india;
    india.app.PlayCountryMusic(3);
    india.Run(StepOf(26));
    EXPECT_NEAR(india.music->starts[1].at(0), StepOf(25), 1);
    GameWithMusic russia;
    russia.app.PlayCountryMusic(6);
    russia.Run(StepOf(12));
    EXPECT_NEAR(russia.music->stops[0].at(0), StepOf(9.06), 1);
}

TEST(GameMusic, SecondCountryReplacesTheFirstProgramme)
{
    GameWithMusic game;
    game.app.PlayCountryMusic(0);
    game.Run(10);
    game.app.PlayCountryMusic(4);
    // The new tracks hold the ids and their songs are the loaded ones.
    std::map<int, std::string> loaded = {
        {0, "music/Fr.ogg"}, {1, "music/main_fra.ogg"}, {2, "music/Fr_1.ogg"}};
    EXPECT_EQ(game.music->loaded, loaded);
    ASSERT_EQ(game.app.musicTracks->Tracks().size(), 3u);
    EXPECT_EQ(game.app.musicTracks->Tracks().at(0)->fileName, "music/Fr.ogg");
    game.Run(StepOf(20));
    EXPECT_NEAR(game.music->starts[1].at(0), 10 + StepOf(19), 1);
}

TEST(GameMusic, StopAllDuringAPlayLeavesAnEmptyUsableScheduler)
{
    GameWithMusic game;
    game.app.PlayCountryMusic(0);
    game.Run(StepOf(21));
    game.music->calls.clear();
    game.app.musicTracks->StopAll();
    EXPECT_EQ(game.music->calls.front(), "unload all");
    EXPECT_TRUE(game.music->loaded.empty());
    EXPECT_TRUE(game.app.musicTracks->Tracks().empty());
    int before = int(game.music->starts[1].size());
    game.Run(StepOf(100));
    EXPECT_EQ(int(game.music->starts[1].size()), before);

    game.app.PlayCountryMusic(2);
    EXPECT_EQ(game.app.musicTracks->Tracks().size(), 3u);
}

TEST(GameMusic, TrackWithoutMusicPlayerStillCountsDown)
{
    GameApp app;
    MusicTrackList list(&app);
    list.Insert(0, new MusicTrack(0, &list, "music/none.ogg", 0.1, false, 0.05, 0));
    for (int i = 0; i < 3; ++i)
        list.UpdateAll(0.02);
    EXPECT_EQ(list.Tracks().size(), 1u);
    for (int i = 0; i < 6; ++i)
        list.UpdateAll(0.02);
    EXPECT_TRUE(list.Tracks().empty());
}
