// One particle emitter read from a ".psi" file: up to 500 small sprites spawned at the emitter
// (standing still or walking a path), moved, turned, scaled and faded each simulation step,
// drawn through a transform or, additively in software, as stretched blits.
#pragma once

#include "game/shell/PsiFile.h"
#include "graphics/Image.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Quor {

class Graphics;

struct Particle {
    float mX = 0.0f; // pixels
    float mY = 0.0f;
    float mVX = 0.0f; // pixels per simulation step
    float mVY = 0.0f;
    float mGravity = 0.0f;    // per second, added to mVY
    float mRadial = 0.0f;     // along the line from the emitter to the particle
    float mTangential = 0.0f; // across that line
    float mSpin = 0.0f;       // radians per second
    float mSpinChange = 0.0f; // per second
    float mSize = 0.0f;       // scale factor
    float mSizeChange = 0.0f;
    float mRed = 0.0f; // 0-1
    float mGreen = 0.0f;
    float mBlue = 0.0f;
    float mAlpha = 0.0f;
    float mRedChange = 0.0f; // per second
    float mGreenChange = 0.0f;
    float mBlueChange = 0.0f;
    float mAlphaChange = 0.0f;
    float mAge = 0.0f; // seconds
    float mLife = 0.0f;
};

class ParticleSystem {
public:
    static constexpr int kMaxParticles = 500;
    static constexpr float kLifeEnded = -2.0f;
    static constexpr float kLifeEndless = -1.0f;

    std::unique_ptr<Image> mImage; // from the file's image record; may be null
    PsiHeader mHeader;
    std::vector<Point> mClip; // clip polygon
    std::vector<Point> mPath; // emitter path
    bool mAdditive = false;
    std::string mImageFileName;
    bool mPathSpawned = false;
    int mPathMode = 0;
    float mPathTime = 0.0f;     // seconds for the whole path
    float mSegmentClock = 0.0f;
    float mSegmentTime = 0.0f;
    bool mMoving = false;
    int mSegmentIndex = 0;
    float mSimStep = 0.0f;      // seconds of one simulation; 0 = one per Step
    float mStepAccumulator = 0.0f;
    float mLife = kLifeEnded;   // -2 ended, -1 endless, else the age in seconds
    float mSpawnCarry = 0.0f;   // part of a particle carried to the next simulation
    float mPrevX = 0.0f;        // emitter position at the previous simulation
    float mPrevY = 0.0f;
    float mCurX = 0.0f;
    float mCurY = 0.0f;
    int mLiveCount = 0;         // the live particles are the first mLiveCount of the pool
    Particle mParticles[kMaxParticles];

    // Reads the file (through the archive-aware file functions); rate is the number of
    // simulations per second, 0 (or below) for one per Step. A file that cannot be opened
    // gives an empty system. The system is ended until started.
    ParticleSystem(const std::string& path, int rate);
    ParticleSystem(const ParticleSystem&) = delete;
    ParticleSystem& operator=(const ParticleSystem&) = delete;
    ~ParticleSystem();

    void MoveTo(float x, float y);
    void StartAt(float x, float y);
    // Sends the emitter once along the path of the file (or the one ParticleSet::SpawnOnPath
    // gave).
    void StartPath();
    // At most one simulation per call: every call, or once a whole simulation step has gathered.
    void Step(float seconds);
    void Draw(Graphics* g);

    bool IsEnded() const { return mLife == kLifeEnded; }
    // One simulation of t seconds.
    void Simulate(float t);

    // The generator every system draws from: seeded once from the C runtime's rand() by the
    // first system made, unless set before.
    static uint32_t GetRandomState();
    static void SetRandomState(uint32_t state);

private:
    void FollowPath(float t);
    void Spawn(float t);
    void Load(const std::string& path);
    bool InsideClip(int x, int y) const;
};

} // namespace Quor
