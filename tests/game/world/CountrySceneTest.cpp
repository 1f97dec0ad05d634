// The country scenery: every country's scene as its table gives it, paths that jump and wrap,
// the waves out of step, the background sounds over time, clearing, equal builds from one random
// seed, the guards against empty random ranges, an update that allocates nothing, and the
// scenery on the country screen.
#include "tests/game/world/SceneryFixture.h"

#include "game/world/CountryMap.h"
#include "game/world/EffectConstruction.h"
#include "graphics/Image.h"
#include "tests/game/world/CountingAllocator.h"
#include "tests/support/GoldenImage.h"

#include <cstdlib>
#include <fstream>

using namespace Quor;

namespace {

using namespace worldtest;

const char* const kCountryNames[] = {"england", "germany", "japan", "india", "france", "china", "russia", "usa"};

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

size_t Objects(const CountryScene& scene)
{
    return scene.mBackLayer->mEffects.size() + scene.mFrontLayer->mEffects.size();
}

FXObject& Back(CountryScene& scene, size_t i)
{
    return *scene.mBackLayer->mEffects.at(i - 1);
}

FXObject& Front(CountryScene& scene, size_t i)
{
    return *scene.mFrontLayer->mEffects.at(i - 1);
}

TEST_F(SceneryTest, EveryCountryBuildsItsObjectsAndCuesAndOtherNumbersNothing)
{
    StartScenery();
    struct Case {
        int country;
        size_t back, front, cues;
    };
    const Case cases[] = {{0, 13, 3, 1},  {1, 12, 5, 1},  {2, 13, 10, 0}, {3, 5, 7, 1},  {4, 12, 12, 1},
                          {5, 0, 10, 2},  {6, 20, 26, 0}, {7, 10, 55, 0}, {-1, 0, 0, 0}, {8, 0, 0, 0}};
    const size_t totals[] = {16, 17, 23, 12, 24, 10, 46, 65};
    for (const Case& c : cases) {
        sounds->mPlays.clear();
        CountryScene scene(app.get(), c.country);
        EXPECT_EQ(scene.mBackLayer->mEffects.size(), c.back) << c.country;
        EXPECT_EQ(scene.mFrontLayer->mEffects.size(), c.front) << c.country;
        EXPECT_EQ(scene.mSoundCues->GetCues().size(), c.cues) << c.country;
        EXPECT_EQ(sounds->mPlays.size(), c.cues) << c.country << ": each cue plays once at the build";
        if (c.country >= 0 && c.country < 8) {
            EXPECT_EQ(Objects(scene), totals[c.country]) << c.country;
        }
    }

    // Without the flying bird's definition the three scenes that use it go on without it.
    app->fxDefs = FXDefList{};
    for (const auto& [country, count] : {std::pair{1, 16u}, {2, 22u}, {4, 23u}}) {
        CountryScene scene(app.get(), country);
        EXPECT_EQ(Objects(scene), count) << country;
    }
}

TEST_F(SceneryTest, EachSceneIsBuiltAsItsTableSays)
{
    StartScenery();
    for (int country = 0; country < 8; ++country) {
        std::srand(1000 + country);
        CountryScene scene(app.get(), country);
        const std::string expected = ReadText(quortest::DataFile(std::string("world/scenery/") + kCountryNames[country] + ".txt"));
        EXPECT_EQ(MaskRandom(Dump(scene), country == 6), expected) << kCountryNames[country];
    }
}

// x, y and scale of an object.
struct Place {
    int x, y;
    double scale;
};

TEST_F(SceneryTest, EnglishPathsJumpBackAtRepeatedKeysAndWaitBeforeTheyStartAgain)
{
    StartScenery();
    CountryScene scene(app.get(), 0);
    FXObject& bird = Back(scene, 3);    // row 3: the bird flying into the distance
    FXObject& walker = Back(scene, 6);  // row 9: the walker that comes and goes
    struct Step {
        int steps;  // updates of 0.02 s since the build
        Place bird, walker;
    };
    const Step steps[] = {
        {0, {1024, 45, 0.8}, {1024, 768, 1}},
        {395, {914, 45, 0.8}, {1024, 768, 1}},    // 7.9 s: the walker still waits off screen
        {405, {911, 45, 0.8}, {525, 395, 1}},     // 8.1 s: it shows up at its first place
        {1125, {712, 45, 0.8}, {480, 413, 1}},    // 22.5 s: the bird half way
        {2245, {401, 45, 0.005}, {393, 418, 1}},  // 44.9 s: nearly at 400 and nearly gone
        {2255, {1024, 45, 0}, {392, 418, 1}},     // 45.1 s: jumped back to 1024
        {2645, {1024, 45, 0}, {362, 419, 1}},     // 52.9 s: the walker at its last place
        {2655, {1024, 45, 0}, {1024, 768, 1}},    // 53.1 s: and off screen again
        {2995, {1024, 45, 0}, {1024, 768, 1}},    // 59.9 s: both waiting
        {3005, {1022, 45, 0.8}, {1024, 768, 1}},  // 60.1 s: the bird starts again
        {3155, {981, 45, 0.8}, {525, 395, 1}},    // 63.1 s: the walker starts again
    };
    int done = 0;
    for (const Step& s : steps) {
        Run(scene, s.steps - done);
        done = s.steps;
        EXPECT_EQ(bird.mX, s.bird.x) << s.steps;
        EXPECT_EQ(bird.mY, s.bird.y) << s.steps;
        EXPECT_NEAR(bird.mScale, s.bird.scale, 1e-6) << s.steps;
        EXPECT_EQ(walker.mX, s.walker.x) << s.steps;
        EXPECT_EQ(walker.mY, s.walker.y) << s.steps;
    }
}

// The wave's size over its cycle: up in 1 s, held to 4 s, down by 5 s, then flat.
double WaveScale(double u)
{
    return u < 1 ? u : u < 4 ? 1 : u < 5 ? 5 - u : 0;
}

TEST_F(SceneryTest, ChineseWavesKeepTheirTurnAndRunOutOfStep)
{
    StartScenery();
    CountryScene scene(app.get(), 5);
    FXObject& turned = Front(scene, 1);
    EXPECT_DOUBLE_EQ(turned.mRotation, 2.7);
    EXPECT_EQ(turned.mScale, 0.0);
    Run(scene, 25);
    EXPECT_NEAR(turned.mScale, 0.5, 1e-9);
    EXPECT_DOUBLE_EQ(turned.mRotation, 2.7);
    Run(scene, 24);
    EXPECT_NEAR(turned.mScale, 0.98, 1e-9);

    const double cycles[] = {8, 10, 8.5, 9};
    const double phases[] = {0, 2, 5, 7};
    int done = 49;
    for (int steps : {160, 333, 641, 1000, 1777}) {
        Run(scene, steps - done);
        done = steps;
        const double t = steps * 0.02;
        for (int w = 0; w < 4; ++w) {
            EXPECT_NEAR(Front(scene, w + 1).mScale, WaveScale(std::fmod(t + phases[w], cycles[w])), 1e-6)
                << "wave " << w + 1 << " at " << t << " s";
            EXPECT_EQ(Front(scene, w + 1).mRotation, w == 0 ? 2.7 : 0.0);
        }
    }
}

// The seconds at which a sound played, by the application's update count (2 a step of 0.02 s).
std::vector<double> PlayTimes(const RecordingSounds& sounds, int sound)
{
    std::vector<double> times;
    for (const auto& [count, id] : sounds.mPlays)
        if (id == sound)
            times.push_back(count / 100.0);
    return times;
}

// A play comes in the first update at or after its wait has run out, and the next wait counts
// from there: each gap is the wait plus less than one update.
void ExpectTimes(const std::vector<double>& got, const std::vector<double>& expected, const char* what)
{
    ASSERT_EQ(got.size(), expected.size()) << what;
    ASSERT_FALSE(got.empty()) << what;
    EXPECT_EQ(got[0], expected[0]) << what;
    for (size_t i = 1; i < got.size(); ++i) {
        const double gap = got[i] - got[i - 1];
        const double wait = expected[i] - expected[i - 1];
        EXPECT_GE(gap, wait - 1e-6) << what << " play " << i;
        EXPECT_LT(gap, wait + 0.021) << what << " play " << i;
    }
}

TEST_F(SceneryTest, BackgroundSoundsPlayAtTheBuildAndThenOnTheirIntervals)
{
    StartScenery();
    {
        CountryScene france(app.get(), 4);
        Run(france, 1000);
        ExpectTimes(PlayTimes(*sounds, SE_ENV_CAR), {0, 4.5, 9, 13.5, 18}, "car");
        EXPECT_EQ(sounds->mPlays.size(), 5u);
    }
    {
        sounds->mPlays.clear();
        app->mUpdateCount = 0;
        std::srand(77);
        std::vector<double> cow = {0};
        double next = 6 + (std::rand() % 300) / 100.0;
        while (next < 20) {
            cow.push_back(next);
            next += 6 + (std::rand() % 300) / 100.0;
        }
        std::srand(77);
        CountryScene china(app.get(), 5);
        Run(china, 1000);
        ExpectTimes(PlayTimes(*sounds, SE_ENV_COW), cow, "cow");
        ExpectTimes(PlayTimes(*sounds, SE_ENV_WATER), {0, 9, 18}, "water");
        ASSERT_GE(sounds->mPlays.size(), 2u);
        EXPECT_EQ(sounds->mPlays[0].second, SE_ENV_COW);
        EXPECT_EQ(sounds->mPlays[1].second, SE_ENV_WATER);
    }
    {
        sounds->mPlays.clear();
        CountryScene japan(app.get(), 2);
        Run(japan, 1000);
        EXPECT_TRUE(sounds->mPlays.empty());
    }
}

TEST_F(SceneryTest, DestroyDeletesEveryObjectStopsEverySoundAndEmptiesTheCues)
{
    StartScenery();
    CountryScene scene(app.get(), 5);
    Run(scene, 10);
    const int stops = sounds->mStops;
    scene.Destroy();
    EXPECT_EQ(sounds->mStops, stops + 1);
    EXPECT_EQ(scene.mBackLayer, nullptr);
    EXPECT_EQ(scene.mFrontLayer, nullptr);
    EXPECT_EQ(scene.mSoundCues, nullptr);
    // Neither a second clearing nor an update does anything more.
    scene.Destroy();
    scene.Update(0.02);
    EXPECT_EQ(sounds->mStops, stops + 1);
}

TEST_F(SceneryTest, OneSeedGivesOneSceneAndTheRandomPartsComeInScriptOrder)
{
    StartScenery();
    for (int country = 0; country < 8; ++country) {
        std::srand(4242);
        CountryScene first(app.get(), country);
        std::srand(4242);
        CountryScene second(app.get(), country);
        EXPECT_EQ(Dump(first), Dump(second)) << kCountryNames[country];
    }

    // Russia: eleven snow offsets, then per light its kind, size and phase.
    std::srand(99);
    std::vector<int> snow;
    for (int i = 0; i < 11; ++i)
        snow.push_back(std::rand() % 40);
    struct Drawn {
        int kind;
        double scale, phase;
    };
    std::vector<Drawn> lights;
    for (int i = 0; i < 26; ++i) {
        const int kind = std::rand() % 3 + 1;
        const double scale = (std::rand() % 100 + 50) / 100.0;
        const double phase = (std::rand() % 2000) / 100;
        lights.push_back({kind, scale, phase});
    }
    std::srand(99);
    CountryScene russia(app.get(), 6);
    for (int i = 0; i < 11; ++i)
        EXPECT_EQ(Back(russia, i + 1).mTimePerFrame, snow[i]) << "snow " << i;
    Image* kinds[] = {nullptr, FX_C_NEON1, FX_C_NEON2, FX_C_NEON3};
    for (int i = 0; i < 26; ++i) {
        const FXObject& light = Front(russia, i + 1);
        EXPECT_EQ(light.mImage, kinds[lights[i].kind]) << "light " << i;
        EXPECT_EQ(light.mScale, lights[i].scale) << "light " << i;
        EXPECT_EQ(light.mElapsed, lights[i].phase) << "light " << i;
        EXPECT_EQ(light.mElapsed, std::floor(light.mElapsed));
    }
    // Another seed: the same scene but for its random parts.
    std::srand(100);
    CountryScene other(app.get(), 6);
    EXPECT_NE(Dump(other), Dump(russia));
    EXPECT_EQ(MaskRandom(Dump(other), true), MaskRandom(Dump(russia), true));

    // The city lights of the USA keep their kinds: 15 of kind 1, 12 of kind 2, 17 of kind 3,
    // after the ten front rows and under the tree.
    for (int seed : {1, 2}) {
        std::srand(seed);
        CountryScene usa(app.get(), 7);
        for (int i = 0; i < 44; ++i)
            EXPECT_EQ(Front(usa, 11 + i).mImage, i < 15 ? FX_C_NEON1 : i < 27 ? FX_C_NEON2 : FX_C_NEON3) << i;
        EXPECT_EQ(Front(usa, 55).mImage, GC7_TREE);
    }
}

TEST_F(SceneryTest, TheWingBeatPictureIsRetimedOnceWhateverItsDelayListHeld)
{
    StartScenery();
    ImageAnimation* animation = FX_C_BIRD2->mAnimInfo;
    ASSERT_NE(animation, nullptr);
    const std::vector<int> before[] = {{}, {5}, {7, 7, 7, 7, 7, 7}};
    for (const std::vector<int>& list : before) {
        animation->mPerFrameDelay = list;
        for (int build = 0; build < 2; ++build) {
            CountryScene scene(app.get(), 0);
            EXPECT_EQ(animation->mPerFrameDelay, (std::vector<int>{100, 10, 10, 10})) << list.size() << " " << build;
            EXPECT_EQ(animation->mTotalAnimTime, 130);
            EXPECT_EQ(animation->mNumCels, 4);
        }
    }
}

TEST_F(SceneryTest, EmptyRandomRangesDrawNothing)
{
    StartScenery();
    CountryScene scene(app.get(), -1);
    // A random cue whose spread is under a hundredth of a second waits its base alone.
    std::srand(5);
    const int next = std::rand();
    std::srand(5);
    scene.AddCue({&SE_ENV_BIRD, 4.0, true, 0.005});
    EXPECT_EQ(scene.mSoundCues->GetCues().at(0)->mCountdown, 4.0);
    EXPECT_EQ(std::rand(), next) << "no draw was made";

    // A random frame offset into a picture without an animation, without columns or with a
    // frame delay of 0 is 0.
    struct Broken {
        Image** image;
        int columns, delay;
    };
    const Broken broken[] = {{&GC5_WAVE, 4, 0}, {&GC2_FLOWER, 0, 11}, {&GC2_FLOWER, 4, 0}};
    for (const Broken& b : broken) {
        Image* image = *b.image;
        const int columns = image->mNumCols;
        image->mNumCols = b.columns;
        if (image->mAnimInfo != nullptr)
            image->mAnimInfo->mFrameDelay = b.delay;
        std::srand(5);
        CountryScene::Row row{.image = b.image, .cels = CountryScene::RANDOM_OFFSET};
        std::unique_ptr<FXObject> made(scene.MakeObject(row));
        EXPECT_EQ(made->mTimePerFrame, 0.0) << b.columns << " " << b.delay;
        EXPECT_EQ(std::rand(), next);
        image->mNumCols = columns;
        if (image->mAnimInfo != nullptr)
            image->mAnimInfo->mFrameDelay = 11;
    }
    CountryScene::Row still{.image = &GC5_WAVE, .cels = CountryScene::RANDOM_OFFSET};
    std::unique_ptr<FXObject> object(scene.MakeObject(still));

    // A phase within a first track shorter than a hundredth of a second is 0.
    std::vector<Keyframe*> keys;
    PushKeyframe(keys, Keyframe::ALPHA, 0, 0.0, 0);
    PushKeyframe(keys, Keyframe::ALPHA, 0, 0.005, 255);
    object->SetTrack(keys, true);
    std::srand(5);
    EXPECT_EQ(CountryScene::RandomPhase(object.get()), 0.0);
    EXPECT_EQ(std::rand(), next);
    FXObject bare;
    EXPECT_EQ(CountryScene::RandomPhase(&bare), 0.0);
}

TEST_F(SceneryTest, UpdatesOfTheBusiestSceneAllocateNothing)
{
    StartScenery();
    CountryScene scene(app.get(), 7);
    Run(scene, 1);
    StartCountingAllocations();
    Run(scene, 1000);
    EXPECT_EQ(StopCountingAllocations(), 0);
    EXPECT_EQ(Objects(scene), 65u);
}

// The country screen with its own map and popups, stand-ins for the rest, five places.
class SceneryScreenTest : public SceneryTest {
protected:
    GamePhase* EnterCountry(int country)
    {
        app->countryMapTable.clear();
        std::map<int32_t, PlacePoint> places = {{0, {60, 560}}, {1, {260, 600}}, {2, {460, 560}}, {3, {660, 600}}, {4, {840, 540}}};
        for (int c = 0; c < 8; ++c) {
            CountryMapRecord record;
            record.Id = c;
            record.placePos = places;
            app->countryMapTable[c] = record;
        }
        Profile().tutorialStep = TutorialFinished;
        Profile().country = country;
        return Enter(new StandInPhase(app.get(), &record, {PANEL_COUNTRY_MAP, PANEL_WARNING, PANEL_NOTE, PANEL_YES_NO, PANEL_INFO}));
    }
    CountryMap* Map(GamePhase* phase) { return dynamic_cast<CountryMap*>(phase->mPanels[PANEL_COUNTRY_MAP]); }
    void Steps(int steps)
    {
        for (int i = 0; i < steps; ++i) {
            mCount += 2;
            UpdateAt(mCount);
        }
    }
    void CheckTenSeconds(int country);
    int mCount = 0;
};

TEST_F(SceneryScreenTest, TheCountryScreenBuildsItsSceneWhenTheFadeEndsAndDeletesItForTravel)
{
    StartScenery();
    GamePhase* phase = EnterCountry(5);
    CountryMap* map = Map(phase);
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(map->mScene, nullptr);
    sounds->mPlays.clear();
    Steps(1);
    ASSERT_NE(map->mScene, nullptr);
    EXPECT_EQ(map->mScene->mCountry, 5);
    EXPECT_EQ(Objects(*map->mScene), 10u);
    EXPECT_EQ(PlayTimes(*sounds, SE_ENV_COW).size(), 1u);

    // Updated while shown, frozen while a place covers it.
    const double elapsed = Front(*map->mScene, 2).mElapsed;
    Steps(10);
    EXPECT_NEAR(Front(*map->mScene, 2).mElapsed, elapsed + 0.2, 1e-9);
    map->Hide();
    Steps(10);
    EXPECT_NEAR(Front(*map->mScene, 2).mElapsed, elapsed + 0.2, 1e-9);
    map->ShowAgain();

    // Travel: the scene goes at the click and every sound stops.
    const int stops = sounds->mStops;
    map->ButtonDepress(CountryMap::PLACE_TRAVEL);
    EXPECT_EQ(map->mScene, nullptr);
    EXPECT_EQ(sounds->mStops, stops + 1);
    Steps(1);
    EXPECT_EQ(map->mScene, nullptr);

    // Back in the country a fresh scene is built at the end of the fade.
    map->SetCountry(5);
    map->ShowAgain();
    Steps(1);
    ASSERT_NE(map->mScene, nullptr);
    EXPECT_EQ(Objects(*map->mScene), 10u);
}

// A scene at 10 s with a fixed seed, drawn whole by the country screen.
void SceneryScreenTest::CheckTenSeconds(int country)
{
    StartScenery(true);
    std::srand(20261211);
    GamePhase* phase = EnterCountry(country);
    Steps(1);
    ASSERT_NE(Map(phase)->mScene, nullptr);
    Steps(500);
    phase->mDirty = true;
    const std::vector<uint32_t> px = quortest::DrawWholeScreen(*app->mWidgetManager);
    EXPECT_EQ(quortest::CompareWithGolden(
                  quortest::DataFile(std::string("world/scenery_") + kCountryNames[country] + ".png"), px, 1024, 768),
              "");
}

TEST_F(SceneryScreenTest, EnglandAtTenSeconds)
{
    CheckTenSeconds(0);
}

TEST_F(SceneryScreenTest, ChinaAtTenSeconds)
{
    CheckTenSeconds(5);
}

TEST_F(SceneryScreenTest, RussiaAtTenSeconds)
{
    CheckTenSeconds(6);
}

TEST_F(SceneryScreenTest, UsaAtTenSeconds)
{
    CheckTenSeconds(7);
}

} // namespace
