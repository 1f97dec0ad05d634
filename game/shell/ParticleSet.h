// The running particle systems of one screen, by integer id: stepped every logic update,
// drawn every redraw, and deleted once they have ended and their last particle has died.
#pragma once

#include "graphics/Image.h"

#include <map>
#include <vector>

namespace Quor {

class Graphics;
class ParticleSystem;
class QuorAppBase;

class ParticleSet {
public:
    static constexpr int kPathSystemId = 99;
    static constexpr int kStoppableSystemId = 10001;
    static constexpr double kMaxSystemLife = 2.0; // seconds a system in a set spawns at most

    QuorAppBase* mApp;                        // not owned
    std::map<int, ParticleSystem*> mSystems;  // owned

    explicit ParticleSet(QuorAppBase* app);
    ParticleSet(const ParticleSet&) = delete;
    ParticleSet& operator=(const ParticleSet&) = delete;
    ~ParticleSet();

    // Takes the system under the id, or under the lowest free id when the id is -1. An id in
    // use (or a null system) gives -1 and the system stays the caller's.
    int Add(int id, ParticleSystem* system);
    // Adds the system under id 99 and gives it a path through the points, walked in steps of
    // stepLength pixels; the caller then starts it with ParticleSystem::StartPath.
    int SpawnOnPath(ParticleSystem* system, const std::vector<Point>& points, float pathTime,
                    float stepLength);
    // Ends the system with id 10001 at once, particles and all.
    void StopSystem10001();
    void Update(double seconds);
    void Draw(Graphics* g);
    void Clear();
};

} // namespace Quor
