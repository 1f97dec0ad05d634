// Effect pieces shared by the benchmarks: a soft disc to draw, and a particle system that holds
// 500 particles that never die, spread over a 1024 x 768 screen.
#pragma once

#include "game/shell/ParticleSystem.h"
#include "graphics/MemoryImage.h"

#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

namespace quorbench {

// A 32 x 32 soft disc.
inline std::vector<uint32_t> Disc()
{
    std::vector<uint32_t> px(32 * 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const double d = std::hypot(x - 15.5, y - 15.5);
            const uint32_t a = d < 10 ? 255 : d < 16 ? static_cast<uint32_t>((16 - d) / 6 * 255) : 0;
            px[y * 32 + x] = (a << 24) | 0xFFC060;
        }
    return px;
}

// A system whose 500 particles never die, spread over the screen.
inline std::unique_ptr<Quor::ParticleSystem> FullSystem(Quor::MemoryImage* image)
{
    auto ps = std::make_unique<Quor::ParticleSystem>("", 0);
    Quor::PsiHeader& h = ps->mHeader;
    h.mRate = 100000;
    h.mDuration = -1.0f;
    h.mLifeMin = h.mLifeMax = 1.0e6f;
    h.mSpread = 6.28f;
    h.mSpeedMin = 0.0f;
    h.mSpeedMax = 0.01f;
    h.mGravityMax = 0.1f;
    h.mRadialMin = -0.1f;
    h.mRadialMax = 0.1f;
    h.mTangentialMax = 0.1f;
    h.mSizeStart = 0.8f;
    h.mSizeEnd = 1.2f;
    h.mSizeVar = 1.0f;
    h.mSpinStart = -1.0f;
    h.mSpinEnd = 1.0f;
    h.mSpinVar = 1.0f;
    for (int c = 0; c < 4; ++c) {
        h.mColorStart[c] = 1.0f;
        h.mColorEnd[c] = 0.5f;
    }
    h.mColorVar = h.mAlphaVar = 1.0f;
    Quor::ParticleSystem::SetRandomState(42);
    ps->StartAt(512, 384);
    ps->Step(0.01f);
    std::mt19937 rng(7);
    for (int i = 0; i < ps->mLiveCount; ++i) {
        ps->mParticles[i].mX = static_cast<float>(rng() % (1024 - 32) + 16);
        ps->mParticles[i].mY = static_cast<float>(rng() % (768 - 32) + 16);
    }
    ps->mImage.reset(image);
    return ps;
}

} // namespace quorbench
