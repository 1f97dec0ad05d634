// Ambient sound cues: when they play, the random part of their waits, their lives, their keys
// and clearing.
#include <gtest/gtest.h>

#include "game/shell/AmbientSoundCues.h"
#include "tests/app/AppTestSupport.h"

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

using namespace Quor;

namespace {

// Records every play with the update it happened in.
class CueApp : public quortest::TestApp {
public:
    int mUpdate = 0;
    std::vector<std::string> mPlays;
    void PlaySampleVolumePan(int id, int pan, double volume) override
    {
        mPlays.push_back(std::to_string(mUpdate) + ": " + std::to_string(id) + " " + std::to_string(pan) + " " +
                         std::to_string(volume));
    }
};

AmbientSoundCue* Cue(int id, double interval, double countdown, double life = -999.0)
{
    auto* cue = new AmbientSoundCue();
    cue->mSoundId = id;
    cue->mPan = -200;
    cue->mVolume = 0.5;
    cue->mInterval = interval;
    cue->mCountdown = countdown;
    cue->mLife = life;
    return cue;
}

TEST(AmbientSoundCues, PlayWhenTheCountdownRunsOut)
{
    CueApp app;
    AmbientSoundCues cues(&app);
    cues.Add(Cue(7, 3.0, 0.5)); // plays once on adding
    for (app.mUpdate = 1; app.mUpdate <= 30; ++app.mUpdate)
        cues.Update(0.25);
    EXPECT_EQ(app.mPlays, (std::vector<std::string>{"0: 7 -200 0.500000", "2: 7 -200 0.500000",
                                                    "14: 7 -200 0.500000", "26: 7 -200 0.500000"}));

    // A countdown far below zero plays once in that update.
    app.mPlays.clear();
    cues.GetCues().at(0)->mCountdown = -50.0;
    cues.Update(0.25);
    EXPECT_EQ(app.mPlays.size(), 1u);
    EXPECT_EQ(cues.GetCues().at(0)->mCountdown, 3.0);
}

TEST(AmbientSoundCues, RandomWaitsInHundredths)
{
    CueApp app;
    AmbientSoundCues cues(&app);
    AmbientSoundCue* cue = Cue(1, 2.0, 0.0);
    cue->mRandom = true;
    cue->mSpread = 1.5;
    cues.Add(cue);
    std::srand(12345);
    double lowest = 10;
    double highest = 0;
    for (int i = 0; i < 3000; ++i) {
        cues.Update(10.0); // due every update
        double wait = cue->mCountdown;
        ASSERT_GE(wait, 2.0);
        ASSERT_LE(wait, 3.49 + 1e-9);
        double hundredths = (wait - 2.0) * 100.0;
        ASSERT_NEAR(hundredths, std::round(hundredths), 1e-6);
        lowest = std::min(lowest, wait);
        highest = std::max(highest, wait);
    }
    EXPECT_LT(lowest, 2.05);
    EXPECT_GT(highest, 3.44);

    // A spread below a hundredth (or below nothing) adds nothing instead of dividing by zero.
    for (double spread : {0.005, 0.0, -1.0}) {
        cue->mSpread = spread;
        cues.Update(10.0);
        EXPECT_EQ(cue->mCountdown, 2.0) << spread;
    }
}

TEST(AmbientSoundCues, LivesAndKeys)
{
    CueApp app;
    AmbientSoundCues cues(&app);
    EXPECT_EQ(cues.Add(Cue(1, 0.5, 1.0, 1.0)), 0);
    EXPECT_EQ(cues.Add(Cue(2, 5.0, 5.0)), 1);
    app.mPlays.clear();
    for (app.mUpdate = 1; app.mUpdate <= 3; ++app.mUpdate)
        cues.Update(0.5);
    // The cue of life 1.0 still plays in the update its life runs out, then it is gone.
    EXPECT_EQ(app.mPlays, (std::vector<std::string>{"2: 1 -200 0.500000"}));
    EXPECT_EQ(cues.GetCues().count(0), 0u);
    EXPECT_EQ(cues.GetCues().size(), 1u);
    // The lowest free key is taken again.
    EXPECT_EQ(cues.Add(Cue(3, 1.0, 1.0)), 0);
    EXPECT_EQ(cues.Add(Cue(4, 1.0, 1.0)), 2);
}

TEST(AmbientSoundCues, ClearStopsEverySound)
{
    CueApp app;
    auto* sound = new quortest::FakeSoundManager();
    app.mSoundManager = sound;
    AmbientSoundCues cues(&app);
    cues.Add(Cue(1, 1.0, 1.0));
    cues.Add(Cue(2, 1.0, 1.0));
    cues.Clear();
    EXPECT_EQ(sound->mLog, (std::vector<std::string>{"stop all"}));
    EXPECT_TRUE(cues.GetCues().empty());
    EXPECT_EQ(cues.Add(Cue(3, 1.0, 1.0)), 0);
}

} // namespace
