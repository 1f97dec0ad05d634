#include "game/shell/ParticleSet.h"

#include "game/shell/ParticleSystem.h"

#include <cmath>
#include <cstdint>

namespace Quor {

namespace {

// The points from the first to the last in steps of at most stepLength pixels, each step
// at least one pixel toward the next point.
std::vector<Point> WalkPath(const std::vector<Point>& points, float stepLength)
{
    std::vector<Point> path;
    if (points.empty())
        return path;
    Point cur = points[0];
    path.push_back(cur);
    const double s = stepLength;
    for (size_t i = 1; i < points.size(); ++i) {
        const Point& target = points[i];
        // At least one position per point, even when it repeats the last one.
        do {
            const double dx = static_cast<double>(target.mX) - cur.mX;
            const double dy = static_cast<double>(target.mY) - cur.mY;
            const double d = std::trunc(std::sqrt(dx * dx + dy * dy));
            if (s >= d || d == 0.0) {
                cur = target;
            } else {
                int64_t sx = s > 0.0 ? static_cast<int64_t>(dx * s / d) : 0;
                int64_t sy = s > 0.0 ? static_cast<int64_t>(dy * s / d) : 0;
                if (sx == 0 && sy == 0) {
                    sx = (dx > 0) - (dx < 0);
                    sy = (dy > 0) - (dy < 0);
                }
                cur.mX = static_cast<int>(cur.mX + sx);
                cur.mY = static_cast<int>(cur.mY + sy);
            }
            path.push_back(cur);
        } while (cur.mX != target.mX || cur.mY != target.mY);
    }
    return path;
}

} // namespace

ParticleSet::ParticleSet(QuorAppBase* app) : mApp(app) {}

ParticleSet::~ParticleSet()
{
    Clear();
}

int ParticleSet::Add(int id, ParticleSystem* system)
{
    if (system == nullptr)
        return -1;
    if (id == -1) {
        id = 0;
        for (const auto& entry : mSystems) {
            if (entry.first < id)
                continue;
            if (entry.first != id)
                break;
            ++id;
        }
    } else if (mSystems.count(id) != 0) {
        return -1;
    }
    mSystems[id] = system;
    return id;
}

int ParticleSet::SpawnOnPath(ParticleSystem* system, const std::vector<Point>& points,
                             float pathTime, float stepLength)
{
    const int id = Add(kPathSystemId, system);
    if (id == -1)
        return -1;
    system->mPath = WalkPath(points, stepLength);
    system->mPathTime = pathTime;
    system->mPathSpawned = true;
    return id;
}

void ParticleSet::StopSystem10001()
{
    auto it = mSystems.find(kStoppableSystemId);
    if (it == mSystems.end())
        return;
    it->second->mLife = ParticleSystem::kLifeEnded;
    it->second->mLiveCount = 0;
}

void ParticleSet::Update(double seconds)
{
    std::vector<int> done;
    for (const auto& [id, system] : mSystems) {
        system->Step(static_cast<float>(seconds));
        if (system->mLife >= kMaxSystemLife)
            system->mLife = ParticleSystem::kLifeEnded;
        if (system->mPathSpawned && system->mPathMode == 0 && !system->mMoving)
            system->mLife = ParticleSystem::kLifeEnded;
        if (system->IsEnded() && system->mLiveCount == 0)
            done.push_back(id);
    }
    for (int id : done) {
        delete mSystems[id];
        mSystems.erase(id);
    }
}

void ParticleSet::Draw(Graphics* g)
{
    for (const auto& entry : mSystems)
        entry.second->Draw(g);
}

void ParticleSet::Clear()
{
    for (auto& entry : mSystems)
        delete entry.second;
    mSystems.clear();
}

} // namespace Quor
