// The particle set: ids, the path walk of SpawnOnPath, ending and deleting systems, and the
// stoppable system 10001.
#include "game/shell/ParticleSet.h"
#include "game/shell/ParticleSystem.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <utility>
#include <vector>

using namespace Quor;

namespace {

constexpr double kTick = 0.01;

// An endless system without a file: no particles unless given some.
ParticleSystem* Endless()
{
    auto* ps = new ParticleSystem("", 0);
    ps->mHeader.mDuration = -1.0f;
    return ps;
}

std::vector<std::pair<int, int>> Pairs(const std::vector<Point>& points)
{
    std::vector<std::pair<int, int>> out;
    for (const Point& p : points)
        out.emplace_back(p.mX, p.mY);
    return out;
}

TEST(ParticleSetTest, IdsLowestFreeFirstAndTakenIdsRefused)
{
    ParticleSet set(nullptr);
    ParticleSystem* systems[3];
    for (int i = 0; i < 3; ++i) {
        systems[i] = Endless();
        EXPECT_EQ(set.Add(-1, systems[i]), i);
    }
    systems[0]->StartAt(0, 0);
    systems[2]->StartAt(0, 0);
    set.Update(kTick); // system 1 was never started: ended without particles, so it goes
    EXPECT_EQ(set.mSystems.count(1), 0u);
    EXPECT_EQ(set.Add(-1, Endless()), 1);
    EXPECT_EQ(set.Add(7, Endless()), 7);
    EXPECT_EQ(set.Add(-1, Endless()), 3);

    ParticleSystem spare("", 0);
    EXPECT_EQ(set.Add(7, &spare), -1);
    EXPECT_NE(set.mSystems[7], &spare);
    EXPECT_EQ(set.Add(5, nullptr), -1);
    set.Clear();
    EXPECT_TRUE(set.mSystems.empty());
}

TEST(ParticleSetTest, SpawnOnPathWalksInSteps)
{
    struct Case {
        const char* name;
        std::vector<Point> points;
        float step;
        std::vector<std::pair<int, int>> path;
    } cases[] = {
        {"straight, 3 pixels a step", {{0, 0}, {10, 0}}, 3.0f, {{0, 0}, {3, 0}, {6, 0}, {9, 0}, {10, 0}}},
        {"a step beyond the point lands on it", {{0, 0}, {3, 4}, {3, 0}}, 10.0f, {{0, 0}, {3, 4}, {3, 0}}},
        {"steps that round to nothing still move a pixel", {{0, 0}, {2, 2}}, 0.5f, {{0, 0}, {1, 1}, {2, 2}}},
        {"a negative step moves a pixel toward the point", {{0, 0}, {0, -2}}, -4.0f, {{0, 0}, {0, -1}, {0, -2}}},
        {"not a number", {{0, 0}, {-1, 2}}, std::numeric_limits<float>::quiet_NaN(), {{0, 0}, {-1, 1}, {-1, 2}}},
        {"a repeated point is kept", {{5, 5}, {5, 5}}, 1.0f, {{5, 5}, {5, 5}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ParticleSet set(nullptr);
        ParticleSystem* ps = Endless();
        EXPECT_EQ(set.SpawnOnPath(ps, c.points, 1.5f, c.step), ParticleSet::kPathSystemId);
        EXPECT_EQ(Pairs(ps->mPath), c.path);
        EXPECT_EQ(ps->mPathTime, 1.5f);
        EXPECT_TRUE(ps->mPathSpawned);
    }

    ParticleSet set(nullptr);
    set.SpawnOnPath(Endless(), {{0, 0}, {1, 0}}, 1.0f, 1.0f);
    ParticleSystem second("", 0);
    EXPECT_EQ(set.SpawnOnPath(&second, {{0, 0}, {9, 0}}, 1.0f, 1.0f), -1);
    EXPECT_TRUE(second.mPath.empty());
}

TEST(ParticleSetTest, SystemsEndAndGoOnceTheirParticlesHaveDied)
{
    ParticleSet set(nullptr);
    ParticleSystem* endless = Endless();
    endless->mHeader.mDuration = 10.0f; // ageing, but cut at 2 s in a set
    endless->mHeader.mRate = 100;
    endless->mHeader.mLifeMin = endless->mHeader.mLifeMax = 0.5f;
    set.Add(1, endless);
    endless->StartAt(10, 10);

    ParticleSystem* walker = Endless();
    set.SpawnOnPath(walker, {{0, 0}, {4, 0}}, 0.1f, 2.0f); // three points, 0.033 s each
    walker->StartPath();

    int walkerGone = 0, endlessEnded = 0, endlessGone = 0;
    for (int n = 1; n <= 400 && endlessGone == 0; ++n) {
        set.Update(kTick);
        if (walkerGone == 0 && set.mSystems.count(ParticleSet::kPathSystemId) == 0)
            walkerGone = n;
        if (endlessEnded == 0 && endless->IsEnded())
            endlessEnded = n;
        if (set.mSystems.count(1) == 0)
            endlessGone = n;
        else
            EXPECT_LE(endless->mLiveCount, 51); // 100 a second for half a second
    }
    EXPECT_GE(walkerGone, 6); // the walk takes two segment times
    EXPECT_LE(walkerGone, 8);
    EXPECT_GE(endlessEnded, 199); // a life of 2 s ends the system
    EXPECT_LE(endlessEnded, 201);
    EXPECT_GE(endlessGone, endlessEnded + 49); // its particles play out first
    EXPECT_LE(endlessGone, endlessEnded + 51);
}

TEST(ParticleSetTest, StopSystem10001)
{
    ParticleSet set(nullptr);
    set.StopSystem10001(); // none: nothing happens
    ParticleSystem* ps = Endless();
    ps->mHeader.mRate = 100;
    ps->mHeader.mLifeMin = ps->mHeader.mLifeMax = 1.0f;
    set.Add(ParticleSet::kStoppableSystemId, ps);
    ps->StartAt(0, 0);
    for (int i = 0; i < 5; ++i)
        set.Update(kTick);
    EXPECT_GT(ps->mLiveCount, 0);
    set.StopSystem10001();
    EXPECT_TRUE(ps->IsEnded());
    EXPECT_EQ(ps->mLiveCount, 0);
    set.Update(kTick);
    EXPECT_TRUE(set.mSystems.empty());
}

} // namespace
