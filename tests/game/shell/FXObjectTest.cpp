// Keyframe effects: when they end, what their tracks set, how they are drawn, and the effect
// list that updates, removes and notifies.
#include "game/shell/EffectList.h"
#include "game/shell/FXObject.h"
#include "game/shell/GameTables.h"
#include "graphics/Graphics.h"
#include "tests/support/RecordingImage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <limits>
#include <memory>
#include <string>
#include <vector>

using namespace Quor;
using quortest::RecordingImage;

namespace {

constexpr double kTick = 0.01; // seconds of one logic update

// A row of four 4 x 4 cels.
struct Cels {
    RecordingImage image{16, 4};
};

std::vector<Keyframe*> Keys(std::initializer_list<Keyframe> keys)
{
    std::vector<Keyframe*> out;
    for (const Keyframe& k : keys)
        out.push_back(new Keyframe(k));
    return out;
}

// An effect of the four cels at (10, 20), 0.1 s a cel.
std::unique_ptr<FXObject> MakeEffect(Image* image, bool loop, int passes, double hold,
                                     int notifyId = 0)
{
    return std::make_unique<FXObject>(10, 20, 4, 4, image, 4, loop, passes, notifyId, 0.1, hold,
                                      0.0, -1.0);
}

// Updates until the effect ends or the limit is reached; the update that ended it (0: none).
int UpdatesUntilEnd(FXObject& fx, int limit, std::vector<int>* drawnAt = nullptr)
{
    RecordingImage screen(100, 100);
    Graphics g(&screen);
    for (int n = 1; n <= limit; ++n) {
        if (fx.Update(n, kTick))
            return n;
        const size_t before = screen.calls.size();
        fx.Draw(&g);
        if (drawnAt && screen.calls.size() != before)
            drawnAt->push_back(n);
    }
    return 0;
}

TEST(FXObjectTest, EndsByPassesOrHoldTime)
{
    struct Case {
        const char* name;
        double hold;
        int endUpdate;
        int lastDrawn; // the last update after which the effect was drawn
    } cases[] = {
        {"no hold time: ends when the one pass is over", -999.0, 40, 39},
        {"hold 2.0: a lifetime beyond the cels", 2.0, 200, 39},
        {"hold 0: ends at its first update", 0.0, 1, 0},
    };
    Cels cels;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto fx = MakeEffect(&cels.image, false, 1, c.hold);
        fx->Start();
        std::vector<int> drawn;
        EXPECT_EQ(UpdatesUntilEnd(*fx, 1000, &drawn), c.endUpdate);
        EXPECT_EQ(drawn.empty() ? 0 : drawn.back(), c.lastDrawn);
        EXPECT_EQ(drawn.size(), static_cast<size_t>(c.lastDrawn)); // drawn without a gap
    }
}

TEST(FXObjectTest, CelsFollowTheClockAndPassesRepeat)
{
    Cels cels;
    auto fx = MakeEffect(&cels.image, false, 2, -999.0);
    fx->Start();
    RecordingImage screen(100, 100);
    Graphics g(&screen);
    std::vector<std::string> expected;
    for (int n = 1; n <= 79; ++n) {
        ASSERT_FALSE(fx->Update(n, kTick)) << n;
        if (n == 5 || n == 15 || n == 45 || n == 79)
            fx->Draw(&g);
    }
    EXPECT_EQ(screen.calls, (std::vector<std::string>{"Blt 10,20 src 0,0,4,4", "Blt 10,20 src 4,0,4,4",
                                                      "Blt 10,20 src 0,0,4,4", "Blt 10,20 src 12,0,4,4"}));
    EXPECT_TRUE(fx->Update(80, kTick));
}

TEST(FXObjectTest, TrackValues)
{
    Cels cels;
    auto fx = MakeEffect(&cels.image, true, -1, -999.0);
    ASSERT_TRUE(fx->SetTrack(Keys({{Keyframe::SCALE, 0, 0.0, 1.0}, {Keyframe::SCALE, 0, 1.0, 3.0}}), true));
    ASSERT_TRUE(fx->SetTrack(Keys({{Keyframe::TRANSLATE, Keyframe::TRANS_X, 0.0, 0.0},
                                   {Keyframe::TRANSLATE, Keyframe::TRANS_X, 1.0, 10.9}}),
                             false));
    ASSERT_TRUE(fx->SetTrack(Keys({{Keyframe::ALPHA, 0, 0.0, 255.0}, {Keyframe::ALPHA, 0, 1.0, 0.0}}), false));
    ASSERT_TRUE(fx->SetTrack(Keys({{Keyframe::CEL, 0, 0.0, 1.9}, {Keyframe::CEL, 0, 0.5, 3.0}}), false));
    fx->mColor = std::make_unique<Color>(10, 20, 30, 255);
    fx->Start();
    EXPECT_EQ(fx->mFrameMode, FXObject::FRAMES_BY_TRACK);

    struct Sample {
        int update;
        double scale;
        int x, alpha, cel;
    } samples[] = {
        {25, 1.5, 2, 191, 1},   // linear; the translate keys truncated to 0 and 10 first
        {55, 2.1, 5, 114, 3},   // a cel track jumps, never interpolates
        {125, 1.5, 10, 0, 3},   // the looping scale track repeats; the others hold their last key
    };
    int n = 0;
    for (const Sample& s : samples) {
        while (n < s.update)
            fx->Update(++n, kTick);
        SCOPED_TRACE(s.update);
        EXPECT_NEAR(fx->mScale, s.scale, 1e-9);
        EXPECT_EQ(fx->mX, s.x);
        EXPECT_EQ(fx->mAlpha, s.alpha);
        EXPECT_EQ(fx->mColor->mAlpha, s.alpha);
        EXPECT_EQ(fx->mCelIndex, s.cel);
    }
}

TEST(FXObjectTest, RotationPassesThroughZeroBetweenDirections)
{
    Cels cels;
    auto fx = MakeEffect(&cels.image, true, -1, -999.0);
    ASSERT_TRUE(fx->SetTrack(Keys({{Keyframe::ROTATE, Keyframe::CLOCKWISE, 0.0, 1.0},
                                   {Keyframe::ROTATE, Keyframe::ANTI_CLOCKWISE, 1.0, 1.0}}),
                             false));
    EXPECT_DOUBLE_EQ(fx->mRotation, 1.0);
    fx->Start();
    struct Step {
        double seconds, rotation;
    } steps[] = {{0.25, 0.5}, {0.25, 0.0}, {0.25, 6.28 - 0.5}, {0.25, 6.28 - 1.0}, {1.0, 6.28 - 1.0}};
    for (const Step& s : steps) {
        fx->Update(0, s.seconds);
        EXPECT_NEAR(fx->mRotation, s.rotation, 1e-12) << "at " << fx->mElapsed;
    }
}

TEST(FXObjectTest, FirstKeyAppliesAtOnce)
{
    struct Case {
        Keyframe key;
        int x, y, alpha, frameMode, cel;
        double rotation, scale;
    } cases[] = {
        {{Keyframe::TRANSLATE, Keyframe::TRANS_X, 0, 7.9}, 7, 20, 255, 0, 0, 0.0, 1.0},
        {{Keyframe::TRANSLATE, Keyframe::TRANS_Y, 0, -3.5}, 10, -3, 255, 0, 0, 0.0, 1.0},
        {{Keyframe::ROTATE, Keyframe::CLOCKWISE, 0, 0.5}, 10, 20, 255, 0, 0, 0.5, 1.0},
        {{Keyframe::ROTATE, Keyframe::ANTI_CLOCKWISE, 0, 0.5}, 10, 20, 255, 0, 0, 5.78, 1.0},
        {{Keyframe::SCALE, 0, 0, 2.5}, 10, 20, 255, 0, 0, 0.0, 2.5},
        {{Keyframe::ALPHA, 0, 0, 99.9}, 10, 20, 99, 0, 0, 0.0, 1.0},
        {{Keyframe::CEL, 0, 0, 2.7}, 10, 20, 255, 2, 2, 0.0, 1.0},
        // A value beyond the range of int is brought into it, not converted blindly.
        {{Keyframe::TRANSLATE, Keyframe::TRANS_X, 0, 1e300}, std::numeric_limits<int>::max(), 20, 255, 0, 0, 0.0, 1.0},
    };
    Cels cels;
    for (const Case& c : cases) {
        auto fx = MakeEffect(&cels.image, true, -1, -999.0);
        ASSERT_TRUE(fx->SetTrack(Keys({c.key}), true));
        EXPECT_EQ(fx->mX, c.x);
        EXPECT_EQ(fx->mY, c.y);
        EXPECT_EQ(fx->mAlpha, c.alpha);
        EXPECT_EQ(fx->mFrameMode, c.frameMode);
        EXPECT_EQ(fx->mCelIndex, c.cel);
        EXPECT_NEAR(fx->mRotation, c.rotation, 1e-12);
        EXPECT_DOUBLE_EQ(fx->mScale, c.scale);
        EXPECT_EQ(fx->mTrackCount, 1);
    }
}

TEST(FXObjectTest, TrackRefusals)
{
    Cels cels;
    auto fx = MakeEffect(&cels.image, true, -1, -999.0);
    EXPECT_FALSE(fx->SetTrack({}, false));
    EXPECT_FALSE(fx->SetTrack({new Keyframe{Keyframe::SCALE, 0, 0, 3.0}, nullptr}, false));
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(fx->SetTrack(Keys({{Keyframe::SCALE, 0, 0, 1.0 + i}}), false));
    // A fifth track is refused and its keys freed (the leak checker watches).
    EXPECT_FALSE(fx->SetTrack(Keys({{Keyframe::SCALE, 0, 0, 9.0}}), false));
    EXPECT_EQ(fx->mTrackCount, 4);
    EXPECT_DOUBLE_EQ(fx->mScale, 4.0);
}

TEST(FXObjectTest, LoopingTrackWithoutCycleHoldsItsLastKey)
{
    Cels cels;
    for (double last : {0.0, -1.0}) {
        auto fx = MakeEffect(&cels.image, true, -1, -999.0);
        ASSERT_TRUE(fx->SetTrack(Keys({{Keyframe::TRANSLATE, Keyframe::TRANS_X, last - 1.0, 5.0},
                                       {Keyframe::TRANSLATE, Keyframe::TRANS_X, last, 9.0}}),
                                 true));
        fx->Start();
        for (int n = 1; n <= 3; ++n)
            EXPECT_FALSE(fx->Update(n, 0.5));
        EXPECT_EQ(fx->mX, 9);
    }
}

TEST(FXObjectTest, CelTimingThatCannotRunShowsCelZeroAndEndsByHoldTime)
{
    struct Case {
        const char* name;
        int frames, celWidth;
        double timePerFrame, hold;
        int endUpdate; // 0: still running after 300 updates
    } cases[] = {
        {"no frames", 0, 4, 0.1, 0.5, 50},
        {"no time per frame", 4, 4, 0.0, 0.5, 50},
        {"negative time per frame", 4, 4, -0.1, 0.5, 50},
        {"not a number", 4, 4, std::numeric_limits<double>::quiet_NaN(), 0.5, 50},
        {"no hold time either", 4, 4, 0.0, -999.0, 0},
        {"a hold time of 0", 0, 4, 0.1, 0.0, 1},
        {"no cel width", 4, 0, 0.1, 0.5, 50},
    };
    Cels cels;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FXObject fx(10, 20, c.celWidth, 4, &cels.image, c.frames, false, 1, 0, c.timePerFrame,
                    c.hold, 0.0, -1.0);
        fx.Start();
        RecordingImage screen(100, 100);
        Graphics g(&screen);
        if (c.endUpdate != 1) {
            fx.Update(1, kTick);
            fx.Draw(&g);
            const std::string cel0 = c.celWidth > 0 ? "Blt 10,20 src 0,0,4,4" : "";
            EXPECT_EQ(screen.calls, (c.celWidth > 0 ? std::vector<std::string>{cel0}
                                                    : std::vector<std::string>{}));
        }
        int ended = c.endUpdate == 1 ? (fx.Update(1, kTick) ? 1 : 0) : UpdatesUntilEnd(fx, 299);
        if (c.endUpdate > 1 && ended != 0)
            ++ended; // the first update ran above
        EXPECT_EQ(ended, c.endUpdate);
    }
}

TEST(FXObjectTest, AnEffectNotStartedYetDraws)
{
    Cels cels;
    auto fx = MakeEffect(&cels.image, true, -1, -999.0);
    fx->mRotation = 0.5;
    RecordingImage screen(100, 100);
    Graphics g(&screen);
    fx->Draw(&g);
    EXPECT_EQ(screen.calls.size(), 1u);
}

TEST(FXObjectTest, StartDerivesTheNotifyTime)
{
    Cels cels;
    struct Case {
        double hold, notifyTime;
        int notifyId;
        double expected;
    } cases[] = {
        {-999.0, -1.0, 7, 4 * 0.1 * 2}, // frames x time per frame x passes
        {1.5, -1.0, 7, 1.5},            // the hold time
        {1.5, 0.3, 7, 0.3},             // given: kept
        {1.5, -1.0, 0, -1.0},           // no notify id: nothing to derive
    };
    for (const Case& c : cases) {
        FXObject fx(0, 0, 4, 4, &cels.image, 4, false, 2, c.notifyId, 0.1, c.hold, 0.0, c.notifyTime);
        fx.Start();
        EXPECT_NEAR(fx.mNotifyTime, c.expected, 1e-12);
        EXPECT_EQ(fx.mNotifyFlag, c.notifyId != 0);
    }
}

TEST(FXObjectTest, DrawForms)
{
    Cels cels;
    cels.image.mNumCols = 4;
    cels.image.mAnimInfo = new ImageAnimation;
    cels.image.mAnimInfo->mAnimType = ImageAnimation::AnimType_Loop;
    cels.image.mAnimInfo->mFrameDelay = 10;
    cels.image.mAnimInfo->SetUp(4, 0, 0);

    struct Case {
        const char* name;
        void (*set)(FXObject&);
        std::string call;
        Color color; // what the image was drawn with
    } cases[] = {
        {"plain", [](FXObject&) {}, "Blt 10,20 src 0,0,4,4", Color::White},
        {"faded", [](FXObject& f) { f.mAlpha = 100; }, "Blt 10,20 src 0,0,4,4 coloured", Color(255, 255, 255, 100)},
        {"coloured", [](FXObject& f) { f.mColor = std::make_unique<Color>(1, 2, 3, 200); },
         "Blt 10,20 src 0,0,4,4 coloured", Color(1, 2, 3, 200)},
        {"image animation: the cel at offset + update count",
         [](FXObject& f) {
             f.mFrameMode = FXObject::FRAMES_BY_ANIMATION;
             f.mTimePerFrame = 5.0;
             f.Update(12, kTick);
         },
         "Blt 10,20 src 4,0,4,4", Color::White},
        {"cel track past the row starts it again",
         [](FXObject& f) {
             f.mFrameMode = FXObject::FRAMES_BY_TRACK;
             f.mCelIndex = 4;
         },
         "Blt 10,20 src 0,0,4,4", Color::White},
        {"scaled about the centre", [](FXObject& f) { f.mScale = 2.0; }, "StretchBlt 8,18,8,8 src 0,0,4,4 clip 0,0,100,100",
         Color::White},
        {"turned about the centre", [](FXObject& f) { f.mRotation = 1.0; },
         "BltRotated 10,20 src 0,0,4,4 rot 1 centre 2,2", Color::White},
        {"mirrored: top-left at the centre, unturned",
         [](FXObject& f) {
             f.mMirrored = true;
             f.mRotation = 1.0;
         },
         "BltMirror 12,22 src 0,0,4,4", Color::White},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto fx = MakeEffect(&cels.image, true, -1, -999.0);
        fx->Start();
        c.set(*fx);
        RecordingImage screen(100, 100);
        Graphics g(&screen);
        fx->Draw(&g);
        ASSERT_EQ(screen.calls.size(), 1u);
        EXPECT_EQ(screen.calls[0], c.call);
        EXPECT_EQ(screen.lastColor, c.color);
        EXPECT_FALSE(g.GetColorizeImages());
    }
}

TEST(FXObjectTest, FromADefinition)
{
    Cels cels;
    FXDef def;
    def.frame = 4;
    def.timePerLoop = 0.4;
    def.isLoop = false;
    def.playTime = 1;
    def.holdTime = -999.0;
    def.keyframes[0] = FXKeyframeDef{false, FXKeyframeType::TRANSLATE, FXKeyframeType::TRANS_X, {{1.0, 15.0}, {0.0, 5.0}}};
    def.keyframes[1] = FXKeyframeDef{true, FXKeyframeType::ALPHA, 0, {{0.0, 200.0}, {0.5, 100.0}}};
    FXObject fx(def, &cels.image);
    EXPECT_EQ(fx.mCelWidth, 4);
    EXPECT_EQ(fx.mCelHeight, 4);
    EXPECT_DOUBLE_EQ(fx.mTimePerFrame, 0.1);
    EXPECT_EQ(fx.mTrackCount, 2);
    EXPECT_EQ(fx.mX, 5); // the first key, at once
    EXPECT_EQ(fx.mAlpha, 200);
    EXPECT_TRUE(fx.mTrackLoop[1]);
    fx.Start();
    EXPECT_EQ(UpdatesUntilEnd(fx, 1000), 40);
    EXPECT_EQ(fx.mX, 9);

    // Without cels the whole image is cel 0, shown until the hold time runs out.
    def.frame = 0;
    def.holdTime = 0.05;
    FXObject still(def, &cels.image);
    EXPECT_EQ(still.mCelWidth, 16);
    EXPECT_EQ(still.mTimePerFrame, 0.0);
    still.Start();
    EXPECT_EQ(UpdatesUntilEnd(still, 1000), 5);
}

// ---------------------------------------------------------------- effect list

TEST(EffectListTest, EndedEffectsLeaveAndTheOthersKeepTheirOrder)
{
    Cels cels;
    EffectList list;
    std::vector<FXObject*> effects;
    for (double hold : {1.0, 0.02, 1.0, 0.02, 1.0}) {
        effects.push_back(MakeEffect(&cels.image, true, -1, hold).release());
        list.Add(effects.back());
    }
    EXPECT_EQ(list.UpdateAll(1, kTick), 0);
    EXPECT_EQ(list.mEffects.size(), 5u);
    EXPECT_EQ(list.UpdateAll(2, kTick), 0);
    ASSERT_EQ(list.mEffects.size(), 3u);
    EXPECT_EQ(list.mEffects[0].get(), effects[0]);
    EXPECT_EQ(list.mEffects[1].get(), effects[2]);
    EXPECT_EQ(list.mEffects[2].get(), effects[4]);

    list.Remove(nullptr);
    FXObject outsider(0, 0, 4, 4, &cels.image, 4, true, -1, 0, 0.1, 1.0, 0.0, -1.0);
    list.Remove(&outsider);
    EXPECT_EQ(list.mEffects.size(), 3u);
    list.Remove(effects[2]);
    ASSERT_EQ(list.mEffects.size(), 2u);
    EXPECT_EQ(list.mEffects[1].get(), effects[4]);
}

TEST(EffectListTest, PostedNotifyIdIsReturnedOnceAndWins)
{
    Cels cels;
    EffectList list;
    // Notifies by its notify time (0.02 s), lives on.
    list.Add(new FXObject(0, 0, 4, 4, &cels.image, 4, true, -1, 7, 0.1, 5.0, 0.0, 0.02));
    // Ends at the third update with its notify id still unposted (its notify time is longer).
    list.Add(new FXObject(0, 0, 4, 4, &cels.image, 4, true, -1, 9, 0.1, 0.03, 0.0, 1.0));
    EXPECT_EQ(list.UpdateAll(1, kTick), 0);
    EXPECT_EQ(list.UpdateAll(2, kTick), 0);
    EXPECT_EQ(list.UpdateAll(3, kTick), 7); // posted in this update, beating the ended effect's 9
    EXPECT_EQ(list.mEffects.size(), 1u);
    EXPECT_EQ(list.UpdateAll(4, kTick), 0); // once only

    list.Add(new FXObject(0, 0, 4, 4, &cels.image, 4, true, -1, 11, 0.1, 0.01, 0.0, 1.0));
    EXPECT_EQ(list.UpdateAll(5, kTick), 11); // an ended effect's id when nothing was posted

    list.mPendingNotifyId = 3;
    list.DeleteAll();
    EXPECT_TRUE(list.mEffects.empty());
    EXPECT_EQ(list.UpdateAll(6, kTick), 3);
}

TEST(EffectListTest, AnEffectUpdatedOutsideAListPostsNowhere)
{
    Cels cels;
    FXObject fx(0, 0, 4, 4, &cels.image, 4, true, -1, 5, 0.1, 1.0, 0.0, 0.0);
    fx.Start();
    EXPECT_FALSE(fx.Update(1, kTick));
    EXPECT_FALSE(fx.mNotifyFlag);
}

} // namespace
