// Particle systems: reading ".psi" files (whole, cut short, with wild counts), spawning from
// the shared generator, the simulation step, following a path, the clip polygon, the draw
// paths, and a stored trace of a whole run.
#include "app/QuorAppBase.h"
#include "display/DDInterface.h"
#include "game/shell/ParticleSystem.h"
#include "graphics/Graphics.h"
#include "resources/PakInterface.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/PsiBytes.h"
#include "tests/support/RecordingImage.h"
#include "tests/support/TestSupport.h"
#include "tools/pak/PakFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

using namespace Quor;
using quortest::PsiBytes;
using quortest::RecordingImage;

namespace {

constexpr float kTick = 0.01f;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// An endless emitter of white particles with a life of 1 s, standing still.
PsiBytes Basic(int32_t rate = 50)
{
    PsiBytes b;
    b.Int(PsiBytes::RATE, rate).Float(PsiBytes::DURATION, -1.0f);
    b.Float(PsiBytes::LIFE_MIN, 1.0f).Float(PsiBytes::LIFE_MAX, 1.0f);
    b.Float(PsiBytes::SIZE_START, 1.0f).Float(PsiBytes::SIZE_END, 1.0f).Float(PsiBytes::SIZE_VAR, 1.0f);
    b.Color(PsiBytes::COLOR_START, 1, 1, 1, 1).Color(PsiBytes::COLOR_END, 1, 1, 1, 1);
    return b;
}

class ParticleFiles : public ::testing::Test {
protected:
    quortest::TempDir mDir;
    int mCount = 0;

    std::string Write(const PsiBytes& b) { return Write(b.bytes); }
    std::string Write(const std::vector<uint8_t>& bytes)
    {
        std::string path = mDir.File("effect" + std::to_string(++mCount) + ".psi");
        quortest::WriteFile(path, bytes);
        return path;
    }
    std::unique_ptr<ParticleSystem> Load(const PsiBytes& b, int rate = 0)
    {
        return std::make_unique<ParticleSystem>(Write(b), rate);
    }
};

// The generator's state after n more draws.
uint32_t Advance(uint32_t state, int draws)
{
    for (int i = 0; i < draws; ++i)
        state = state * 214013u + 2531011u;
    return state;
}

TEST_F(ParticleFiles, ReadsTheHeaderAndEveryRecordKind)
{
    PsiBytes b;
    // Every header field a value of its own: offset / 4 + 0.5.
    for (size_t offset = 8; offset < 128; offset += 4)
        b.Float(offset, static_cast<float>(offset) / 4.0f + 0.5f);
    b.Int(PsiBytes::RATE, 123);
    b.Int(PsiBytes::RELATIVE, 1);
    b.Additive(true).Position(100.5f, 200.25f).Byte(9).Image("").Points(3, {{1, 2}, {3, 4}, {5, 6}});
    b.Byte(77).Points(4, {{-7, 8}, {9, -10}}).PathTime(2.5f, 3);

    auto ps = Load(b);
    const PsiHeader& h = ps->mHeader;
    EXPECT_EQ(h.mRate, 123);
    const float* fields[] = {&h.mDuration, &h.mLifeMin, &h.mLifeMax, &h.mDirection, &h.mSpread};
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(*fields[i], (8.0f + 4.0f * i) / 4.0f + 0.5f) << i;
    EXPECT_TRUE(h.mRelative);
    const float* rest[] = {&h.mSpeedMin, &h.mSpeedMax, &h.mGravityMin, &h.mGravityMax, &h.mRadialMin,
                           &h.mRadialMax, &h.mTangentialMin, &h.mTangentialMax, &h.mSizeStart,
                           &h.mSizeEnd, &h.mSizeVar, &h.mSpinStart, &h.mSpinEnd, &h.mSpinVar,
                           &h.mColorStart[0], &h.mColorStart[1], &h.mColorStart[2], &h.mColorStart[3],
                           &h.mColorEnd[0], &h.mColorEnd[1], &h.mColorEnd[2], &h.mColorEnd[3],
                           &h.mColorVar, &h.mAlphaVar};
    for (size_t i = 0; i < std::size(rest); ++i)
        EXPECT_EQ(*rest[i], (32.0f + 4.0f * i) / 4.0f + 0.5f) << i;

    EXPECT_TRUE(ps->mAdditive);
    EXPECT_EQ(ps->mPrevX, 100.5f);
    EXPECT_EQ(ps->mCurX, 100.5f);
    EXPECT_EQ(ps->mPrevY, 200.25f);
    EXPECT_EQ(ps->mCurY, 200.25f);
    EXPECT_EQ(ps->mImage, nullptr);
    ASSERT_EQ(ps->mClip.size(), 3u);
    EXPECT_EQ(ps->mClip[2].mX, 5);
    EXPECT_EQ(ps->mClip[2].mY, 6);
    ASSERT_EQ(ps->mPath.size(), 2u);
    EXPECT_EQ(ps->mPath[0].mX, -7);
    EXPECT_EQ(ps->mPath[1].mY, -10);
    EXPECT_EQ(ps->mPathTime, 2.5f);
    EXPECT_EQ(ps->mPathMode, 3);
    EXPECT_TRUE(ps->IsEnded());
    EXPECT_EQ(ps->mLiveCount, 0);
}

TEST_F(ParticleFiles, ArchiveFirstThenLooseFilesBelowTheWorkingFolder)
{
    quortest::CurrentDir cd(mDir.Path().string());
    PakInterface* pak = GetPakInterface();
    ASSERT_NE(pak, nullptr);
    std::vector<uint8_t> archive;
    std::string error;
    ASSERT_TRUE(paktool::BuildPak({{"fxtest\\packed.psi", Basic(77).bytes, 0}}, pak->mDecryptPassword,
                                  archive, error))
        << error;
    quortest::WriteFile(mDir.File("effects.pak"), archive);
    ASSERT_TRUE(pak->AddPakFile(mDir.File("effects.pak")));
    std::filesystem::create_directories(mDir.Path() / "fxtest");
    quortest::WriteFile(mDir.File("fxtest/packed.psi"), Basic(11).bytes);
    quortest::WriteFile(mDir.File("fxtest/loose.psi"), Basic(22).bytes);

    EXPECT_EQ(ParticleSystem("fxtest/packed.psi", 0).mHeader.mRate, 77);
    EXPECT_EQ(ParticleSystem("fxtest\\loose.psi", 0).mHeader.mRate, 22);
}

TEST_F(ParticleFiles, CutAndWildRecordsEndQuietly)
{
    auto cut = [](PsiBytes b, size_t drop) {
        b.bytes.resize(b.bytes.size() - drop);
        return b;
    };
    auto longName = [](int32_t length, size_t present) {
        PsiBytes b;
        b.Byte(2).PutInt(length);
        b.bytes.resize(b.bytes.size() + present, 'x');
        return b;
    };
    struct Case {
        const char* name;
        PsiBytes bytes;
        size_t clip, path;
        bool additive; // the additive record after the case's records was read
        float x;
    } cases[] = {
        {"a cut header", cut(Basic(), 60), 0, 0, false, 0.0f},
        {"a name longer than 259 bytes is skipped",
         longName(300, 300).Additive(true), 0, 0, true, 0.0f},
        {"a long name whose bytes are not there ends the file",
         longName(300, 10).Additive(true), 0, 0, false, 0.0f},
        {"a negative name length is skipped", longName(-5, 0).Additive(true), 0, 0, true, 0.0f},
        {"a point count beyond the file reads the points there",
         [] { PsiBytes b; b.Byte(3).PutInt(1000000000).PutInt(1).PutInt(2).PutInt(3).PutInt(4); return b; }(),
         2, 0, false, 0.0f},
        {"a negative point count reads none",
         [] { PsiBytes b; b.Byte(4).PutInt(-3); return b; }().Additive(true), 0, 0, true, 0.0f},
        {"a point not read whole is skipped and ends the file",
         cut(PsiBytes().Points(4, {{1, 1}, {2, 2}, {3, 3}}), 4), 0, 2, false, 0.0f},
        {"a position cut short is not taken", cut(PsiBytes().Position(5.0f, 6.0f), 2), 0, 0, false, 0.0f},
        {"an unknown tag has no payload", PsiBytes().Byte(200).Position(5.0f, 6.0f).Additive(true), 0, 0, true, 5.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto ps = Load(c.bytes);
        EXPECT_EQ(ps->mClip.size(), c.clip);
        EXPECT_EQ(ps->mPath.size(), c.path);
        EXPECT_EQ(ps->mAdditive, c.additive);
        EXPECT_EQ(ps->mCurX, c.x);
        EXPECT_EQ(ps->mImage, nullptr);
    }
}

TEST_F(ParticleFiles, HeaderOnlyFileDrawsNothing)
{
    auto ps = Load(Basic(100));
    ps->StartAt(10, 10);
    for (int i = 0; i < 10; ++i)
        ps->Step(kTick);
    EXPECT_EQ(ps->mLiveCount, 10);
    RecordingImage screen(64, 64);
    Graphics g(&screen);
    ps->Draw(&g);
    EXPECT_TRUE(screen.calls.empty());

    // A file that is not there gives an empty, ended system.
    ParticleSystem missing(mDir.File("missing.psi"), 0);
    EXPECT_TRUE(missing.IsEnded());
    EXPECT_EQ(missing.mHeader.mRate, 0);
}

TEST_F(ParticleFiles, ImageRecordLoadsThroughTheApplication)
{
    const std::string png = mDir.File("spark.png");
    ASSERT_TRUE(quortest::WritePng(png, quortest::SpritePixels16(), 16, 16));
    QuorAppBase app;
    auto ps = Load(Basic().Image(png));
    ASSERT_NE(ps->mImage, nullptr);
    EXPECT_EQ(ps->mImage->GetWidth(), 16);
    EXPECT_EQ(ps->mImageFileName, png);

    // A later image record replaces the first; a name that cannot be loaded leaves none.
    auto twice = Load(Basic().Image(png).Image(mDir.File("none.png")));
    EXPECT_EQ(twice->mImage, nullptr);
}

TEST_F(ParticleFiles, SpawnsCarryPartsAndDrawFifteenNumbersEach)
{
    ParticleSystem::SetRandomState(1234);
    auto ps = Load(Basic(50));
    ps->StartAt(0, 0);
    ps->Step(kTick);
    EXPECT_EQ(ps->mLiveCount, 0);
    EXPECT_FLOAT_EQ(ps->mSpawnCarry, 0.5f);
    EXPECT_EQ(ParticleSystem::GetRandomState(), 1234u);
    ps->Step(kTick);
    EXPECT_EQ(ps->mLiveCount, 1);
    EXPECT_EQ(ParticleSystem::GetRandomState(), Advance(1234, 15));
}

TEST_F(ParticleFiles, AFullPoolDropsFurtherSpawns)
{
    for (int32_t rate : {100000, std::numeric_limits<int32_t>::max()}) {
        SCOPED_TRACE(rate);
        ParticleSystem::SetRandomState(99);
        auto ps = Load(Basic(rate).Float(PsiBytes::LIFE_MIN, 10.0f).Float(PsiBytes::LIFE_MAX, 10.0f));
        ps->StartAt(0, 0);
        ps->Step(rate == 100000 ? kTick : 1.0e6f); // the second: far more than any pool
        EXPECT_EQ(ps->mLiveCount, ParticleSystem::kMaxParticles);
        const uint32_t full = Advance(99, 15 * ParticleSystem::kMaxParticles);
        EXPECT_EQ(ParticleSystem::GetRandomState(), full);
        ps->Step(kTick);
        EXPECT_EQ(ps->mLiveCount, ParticleSystem::kMaxParticles);
        EXPECT_EQ(ParticleSystem::GetRandomState(), full);
    }
}

TEST_F(ParticleFiles, ParticlesWithoutALifeDieAtTheirFirstStep)
{
    const float lives[] = {0.0f, -1.0f, kNaN, kInf};
    for (float life : lives) {
        SCOPED_TRACE(life);
        ParticleSystem::SetRandomState(7);
        auto ps = Load(Basic(100).Float(PsiBytes::LIFE_MIN, life).Float(PsiBytes::LIFE_MAX, life));
        ps->StartAt(0, 0);
        ps->Step(kTick);
        ASSERT_EQ(ps->mLiveCount, 1);
        const Particle& p = ps->mParticles[0];
        EXPECT_EQ(p.mSizeChange, 0.0f);
        EXPECT_EQ(p.mAlphaChange, 0.0f);
        EXPECT_EQ(ParticleSystem::GetRandomState(), Advance(7, 15));
        ps->Step(kTick); // the first dies, one more is born
        ASSERT_EQ(ps->mLiveCount, 1);
        EXPECT_EQ(ps->mParticles[0].mAge, 0.0f);
        EXPECT_EQ(ParticleSystem::GetRandomState(), Advance(7, 30));
    }
}

TEST_F(ParticleFiles, StepRunsAtMostOneSimulation)
{
    auto ps = Load(Basic(0).Float(PsiBytes::DURATION, 5.0f), 100);
    ps->StartAt(0, 0);
    ps->Step(0.004f);
    EXPECT_EQ(ps->mLife, 0.0f);
    ps->Step(0.008f);
    EXPECT_FLOAT_EQ(ps->mLife, 0.01f);
    EXPECT_NEAR(ps->mStepAccumulator, 0.002f, 1e-6);
    ps->Step(0.05f); // five steps gathered: one simulation, the surplus dropped
    EXPECT_FLOAT_EQ(ps->mLife, 0.02f);
    EXPECT_LT(ps->mStepAccumulator, 0.01f);

    // A simulation step far below the float spacing of the gathered time still takes one
    // simulation and drops the rest, instead of subtracting steps for ever.
    auto fine = Load(Basic(0).Float(PsiBytes::DURATION, 5.0f), std::numeric_limits<int>::max());
    fine->StartAt(0, 0);
    fine->Step(1000.0f);
    EXPECT_LT(fine->mStepAccumulator, fine->mSimStep);
    EXPECT_GT(fine->mLife, 0.0f);

    // A duration ends the system; its particles live on.
    auto brief = Load(Basic(100).Float(PsiBytes::DURATION, 0.025f));
    brief->StartAt(0, 0);
    for (int i = 0; i < 3; ++i)
        brief->Step(kTick);
    EXPECT_TRUE(brief->IsEnded());
    EXPECT_EQ(brief->mLiveCount, 2);
}

TEST_F(ParticleFiles, MotionIsPerStepAndAccelerationPerSecond)
{
    ParticleSystem::SetRandomState(5);
    auto ps = Load(Basic(100)
                       .Float(PsiBytes::DIRECTION, 1.5707964f) // to the right
                       .Float(PsiBytes::SPEED_MIN, 2.0f).Float(PsiBytes::SPEED_MAX, 2.0f)
                       .Float(PsiBytes::RADIAL_MIN, 100.0f).Float(PsiBytes::RADIAL_MAX, 100.0f)
                       .Float(PsiBytes::TANGENTIAL_MIN, 50.0f).Float(PsiBytes::TANGENTIAL_MAX, 50.0f)
                       .Float(PsiBytes::GRAVITY_MIN, 20.0f).Float(PsiBytes::GRAVITY_MAX, 20.0f));
    ps->StartAt(300, 200);
    ps->Step(kTick);
    ASSERT_EQ(ps->mLiveCount, 1);
    const Particle p0 = ps->mParticles[0];
    EXPECT_NEAR(p0.mVX, 2.0f, 1e-5);
    EXPECT_NEAR(p0.mVY, 0.0f, 1e-5);
    EXPECT_LE(std::fabs(p0.mX - 300.0f), 2.0f); // spawned within 2 pixels of the emitter
    ps->Step(kTick);
    // Pool order: the old particle stays in slot 0.
    const Particle& p1 = ps->mParticles[0];
    const float dx = p0.mX - 300.0f, dy = p0.mY - 200.0f;
    const float d = std::sqrt(dx * dx + dy * dy);
    const float nx = dx / d, ny = dy / d;
    const float vx = 2.0f + (100.0f * nx - 50.0f * ny) * kTick;
    const float vy = (100.0f * ny + 50.0f * nx) * kTick + 20.0f * kTick;
    EXPECT_NEAR(p1.mVX, vx, 5e-3);
    EXPECT_NEAR(p1.mVY, vy, 5e-3);
    EXPECT_NEAR(p1.mX, p0.mX + p1.mVX, 1e-4);
    EXPECT_NEAR(p1.mY, p0.mY + p1.mVY, 1e-4);
    EXPECT_FLOAT_EQ(p1.mAge, kTick);
}

TEST_F(ParticleFiles, RelativeDirectionsTurnWithTheMotion)
{
    auto ps = Load(Basic(100).Int(PsiBytes::RELATIVE, 1)
                       .Float(PsiBytes::SPEED_MIN, 3.0f).Float(PsiBytes::SPEED_MAX, 3.0f));
    ps->StartAt(0, 0);
    ps->MoveTo(10, 0); // moving right: direction 0 points back along the motion
    ps->Step(kTick);
    ASSERT_EQ(ps->mLiveCount, 1);
    EXPECT_NEAR(ps->mParticles[0].mVX, -3.0f, 1e-5);
    EXPECT_NEAR(ps->mParticles[0].mVY, 0.0f, 1e-5);
    EXPECT_GE(ps->mParticles[0].mX, -2.0f); // smeared between the two positions
    EXPECT_LE(ps->mParticles[0].mX, 12.0f);
}

TEST_F(ParticleFiles, PathIsWalkedOnceOnePointPerSegmentTime)
{
    auto ps = Load(Basic(0).Points(4, {{0, 0}, {100, 0}, {100, 100}}).PathTime(0.3f, 1));
    ps->StartPath();
    EXPECT_EQ(ps->mPathMode, 0);
    EXPECT_TRUE(ps->mMoving);
    EXPECT_FLOAT_EQ(ps->mSegmentTime, 0.1f);
    struct At {
        int steps;
        float x, y;
        bool moving;
    } at[] = {{5, 0, 0, true}, {15, 100, 0, true}, {25, 100, 0, false}};
    int done = 0;
    for (const At& a : at) {
        while (done < a.steps) {
            ps->Step(kTick);
            ++done;
        }
        EXPECT_EQ(ps->mCurX, a.x) << a.steps;
        EXPECT_EQ(ps->mCurY, a.y) << a.steps;
        EXPECT_EQ(ps->mMoving, a.moving) << a.steps;
    }

    // A path time of 0 gives 0.05 s a point; a tiny one cannot keep the walk going for ever.
    auto quick = Load(Basic(0).Points(4, {{0, 0}, {1, 0}}));
    quick->StartPath();
    EXPECT_FLOAT_EQ(quick->mSegmentTime, 0.05f);
    auto tiny = Load(Basic(0).Points(4, {{0, 0}, {1, 0}, {2, 0}}).PathTime(1e-30f, 0));
    tiny->StartPath();
    tiny->Step(kTick);
    EXPECT_FALSE(tiny->mMoving);
    // Fewer than two points: no walk.
    auto single = Load(Basic(0).Points(4, {{5, 5}}));
    single->StartPath();
    EXPECT_FALSE(single->mMoving);
    EXPECT_TRUE(single->IsEnded());
}

// One particle of the given state in a system drawing an 8 x 8 image.
struct OneParticle {
    ParticleSystem ps{"", 0};
    explicit OneParticle(bool additive, float x = 100.7f, float y = 50.2f)
    {
        ps.mImage = std::make_unique<RecordingImage>(8, 8);
        ps.mAdditive = additive;
        ps.mLiveCount = 1;
        Particle& p = ps.mParticles[0];
        p.mX = x;
        p.mY = y;
        p.mSize = 1.5f;
        p.mRed = 1.5f; // beyond 1: clamped
        p.mGreen = 0.5f;
        p.mBlue = -0.2f; // below 0: clamped
        p.mAlpha = 0.25f;
    }
    std::vector<std::string> Draw(const Color& before = Color(9, 9, 9, 9))
    {
        RecordingImage screen(1024, 768);
        Graphics g(&screen);
        g.SetColor(before);
        g.SetDrawMode(Graphics::DRAWMODE_NORMAL);
        ps.Draw(&g);
        lastColor = screen.lastColor;
        lastMode = screen.lastMode;
        EXPECT_EQ(g.GetColor(), before);
        EXPECT_FALSE(g.GetColorizeImages());
        EXPECT_EQ(g.GetDrawMode(), Graphics::DRAWMODE_NORMAL);
        return screen.calls;
    }
    Color lastColor;
    int lastMode = -1;
};

TEST(ParticleDrawTest, SoftwarePathsAndPackedColours)
{
    OneParticle normal(false);
    std::vector<std::string> calls = normal.Draw();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].rfind("BltMatrix 100.7,50.2 m00 1.5 src 0,0,8,8", 0), 0u) << calls[0];
    EXPECT_EQ(normal.lastColor, Color(255, 127, 0, 63));
    EXPECT_EQ(normal.lastMode, Graphics::DRAWMODE_NORMAL);

    OneParticle additive(true);
    calls = additive.Draw();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0], "StretchBlt 94,44,12,12 src 0,0,8,8 clip 0,0,1024,768");
    EXPECT_EQ(additive.lastMode, Graphics::DRAWMODE_ADDITIVE);

    // Wild positions and sizes are brought into range before they become integers.
    for (float wild : {kNaN, kInf, -kInf, 3e38f}) {
        SCOPED_TRACE(wild);
        OneParticle w(true, wild, -wild);
        w.ps.mParticles[0].mSize = wild;
        w.ps.mParticles[0].mSpin = wild;
        w.ps.mParticles[0].mAge = 1.0f;
        w.Draw();
        w.ps.mAdditive = false;
        w.Draw();
    }
}

TEST(ParticleDrawTest, ThreeDimensionalDrawingTakesTheFloatTransform)
{
    // With 3-D drawing on, normal and additive particles alike go through the float transform,
    // rotated and scaled, in the system's draw mode: additive ones are no longer stretched.
    QuorAppBase app;
    DDInterface display(&app);
    display.mIs3D = true;
    app.mDdInterface = &display;
    for (bool additive : {false, true}) {
        SCOPED_TRACE(additive);
        OneParticle one(additive);
        std::vector<std::string> calls = one.Draw();
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].rfind("BltMatrix 100.7,50.2 m00 1.5 src 0,0,8,8", 0), 0u) << calls[0];
        EXPECT_EQ(one.lastColor, Color(255, 127, 0, 63));
        EXPECT_EQ(one.lastMode, additive ? Graphics::DRAWMODE_ADDITIVE : Graphics::DRAWMODE_NORMAL);
    }
    app.mDdInterface = nullptr;
}

TEST(ParticleDrawTest, ClipPolygonByWindingNumber)
{
    const std::vector<Point> square = {{0, 0}, {200, 0}, {200, 200}, {0, 200}};
    const std::vector<Point> reversed = {{0, 200}, {200, 200}, {200, 0}, {0, 0}};
    const std::vector<Point> huge = {{-2000000000, -2000000000}, {2000000000, -2000000000},
                                     {2000000000, 2000000000}, {-2000000000, 2000000000}};
    struct Case {
        const char* name;
        std::vector<Point> clip;
        float x, y;
        bool drawn;
    } cases[] = {
        {"inside", square, 100.7f, 50.2f, true},
        {"inside, wound the other way", reversed, 100.7f, 50.2f, true},
        {"outside", square, 300.0f, 50.0f, false},
        {"left edge counts as inside", square, 0.0f, 50.0f, true},
        {"right edge does not", square, 200.9f, 50.0f, false},
        {"two points clip nothing", {{0, 0}, {10, 10}}, 500.0f, 500.0f, true},
        {"whole 32-bit range", huge, 500.0f, 500.0f, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OneParticle one(false, c.x, c.y);
        one.ps.mClip = c.clip;
        EXPECT_EQ(one.Draw().size(), c.drawn ? 1u : 0u);
        EXPECT_EQ(one.ps.mClip.size(), c.clip.size()); // the closing point is not kept
    }
}

// The positions and colours of a lively system after 100 steps, compared with the record
// under tests/data (QUOR_UPDATE_GOLDEN=1 rewrites it).
TEST_F(ParticleFiles, TraceOfAHundredSteps)
{
    PsiBytes b = Basic(300);
    b.Float(PsiBytes::LIFE_MIN, 0.3f).Float(PsiBytes::LIFE_MAX, 0.9f);
    b.Float(PsiBytes::DIRECTION, 0.5f).Float(PsiBytes::SPREAD, 1.2f).Int(PsiBytes::RELATIVE, 1);
    b.Float(PsiBytes::SPEED_MIN, 0.5f).Float(PsiBytes::SPEED_MAX, 2.5f);
    b.Float(PsiBytes::GRAVITY_MIN, 5.0f).Float(PsiBytes::GRAVITY_MAX, 40.0f);
    b.Float(PsiBytes::RADIAL_MIN, -30.0f).Float(PsiBytes::RADIAL_MAX, 60.0f);
    b.Float(PsiBytes::TANGENTIAL_MIN, -20.0f).Float(PsiBytes::TANGENTIAL_MAX, 25.0f);
    b.Float(PsiBytes::SIZE_START, 0.4f).Float(PsiBytes::SIZE_END, 1.6f).Float(PsiBytes::SIZE_VAR, 0.7f);
    b.Float(PsiBytes::SPIN_START, -2.0f).Float(PsiBytes::SPIN_END, 3.0f).Float(PsiBytes::SPIN_VAR, 0.5f);
    b.Color(PsiBytes::COLOR_START, 1.0f, 0.8f, 0.2f, 1.0f).Color(PsiBytes::COLOR_END, 0.1f, 0.3f, 0.9f, 0.0f);
    b.Float(PsiBytes::COLOR_VAR, 0.6f).Float(PsiBytes::ALPHA_VAR, 0.4f);
    ParticleSystem::SetRandomState(20240501);
    auto ps = Load(b);
    ps->StartAt(512, 384);
    for (int i = 0; i < 100; ++i) {
        const double a = i * 0.05;
        ps->MoveTo(static_cast<float>(512 + 100 * std::cos(a)), static_cast<float>(384 + 60 * std::sin(a)));
        ps->Step(kTick);
    }

    std::ostringstream out;
    out << "live " << ps->mLiveCount << " state " << ParticleSystem::GetRandomState() << "\n";
    char line[160];
    for (int i = 0; i < ps->mLiveCount; ++i) {
        const Particle& p = ps->mParticles[i];
        std::snprintf(line, sizeof line, "%.6f %.6f %.6f %.6f %.6f %.6f %.6f %.6f\n", p.mX, p.mY,
                      p.mSize, p.mSpin, p.mRed, p.mGreen, p.mBlue, p.mAlpha);
        out << line;
    }
    const std::string record = quortest::DataFile("particles/trace100.txt");
    if (std::getenv("QUOR_UPDATE_GOLDEN") != nullptr)
        quortest::WriteFile(record, out.str());
    std::ifstream in(record);
    ASSERT_TRUE(in) << record;
    std::stringstream expected;
    expected << in.rdbuf();
    EXPECT_EQ(out.str(), expected.str());
}

} // namespace
