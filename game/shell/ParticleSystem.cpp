#include "game/shell/ParticleSystem.h"

#include "app/QuorAppBase.h"
#include "display/DDImage.h"
#include "game/shell/FXMath.h"
#include "graphics/Graphics.h"
#include "graphics/Matrix.h"
#include "graphics/SWTri.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace Quor {

namespace {

constexpr float kHalfPi = 1.57079632679489661923f;
// Drawing brings positions and sizes into these bounds before anything becomes an integer.
constexpr float kCoordLimit = 1.0e6f;
constexpr float kSizeLimit = 1.0e3f;

// The program-wide generator of the particle systems.
uint32_t gRandomState = 0;
bool gRandomSeeded = false;

float NextRandom()
{
    gRandomState = gRandomState * 214013u + 2531011u;
    return static_cast<float>(static_cast<double>(gRandomState >> 16) / 65535.0);
}

// 1 / sqrt(d2) by the bit-level estimate with one refinement step.
float FastInvSqrt(float d2)
{
    uint32_t bits;
    std::memcpy(&bits, &d2, sizeof bits);
    const uint32_t estimate = 0x5F3759DFu - (bits >> 1);
    float r;
    std::memcpy(&r, &estimate, sizeof r);
    return r * (1.5f - 0.4999f * d2 * r * r);
}

// The value within [-limit, limit]; not a number gives 0.
float Bounded(float value, float limit)
{
    if (std::isnan(value))
        return 0.0f;
    return value < -limit ? -limit : (value > limit ? limit : value);
}

// A colour channel of 0-1 as 0-255.
uint32_t Channel(float value)
{
    return static_cast<uint32_t>(TruncClamped(static_cast<double>(value) * 255.0, 0.0, 255.0));
}

} // namespace

uint32_t ParticleSystem::GetRandomState()
{
    return gRandomState;
}

void ParticleSystem::SetRandomState(uint32_t state)
{
    gRandomState = state;
    gRandomSeeded = true;
}

ParticleSystem::ParticleSystem(const std::string& path, int rate)
{
    SWTri_RegisterFillers();
    if (!gRandomSeeded)
        SetRandomState(static_cast<uint32_t>(std::rand()));
    mSimStep = rate > 0 ? 1.0f / static_cast<float>(rate) : 0.0f;
    Load(path);
}

ParticleSystem::~ParticleSystem() = default;

void ParticleSystem::Load(const std::string& path)
{
    PsiReader reader(path);
    if (!reader.IsOpen())
        return;
    reader.ReadHeader(mHeader);
    PsiRecord record;
    while (reader.NextRecord(record)) {
        switch (record.mTag) {
        case PsiRecord::ADDITIVE:
            mAdditive = record.mAdditive;
            break;
        case PsiRecord::POSITION:
            mPrevX = mCurX = record.mX;
            mPrevY = mCurY = record.mY;
            break;
        case PsiRecord::IMAGE:
            if (record.mNameSkipped)
                break;
            mImageFileName = record.mName;
            if (!record.mName.empty())
                mImage.reset(gQuorAppBase != nullptr ? gQuorAppBase->LoadImageFile(record.mName, true)
                                                     : nullptr);
            break;
        case PsiRecord::CLIP:
            mClip = std::move(record.mPoints);
            break;
        case PsiRecord::PATH:
            mPath = std::move(record.mPoints);
            break;
        case PsiRecord::PATH_TIME:
            mPathTime = record.mPathTime;
            mPathMode = record.mPathMode;
            break;
        default:
            break;
        }
    }
}

void ParticleSystem::MoveTo(float x, float y)
{
    if (IsEnded()) {
        mPrevX = x;
        mPrevY = y;
    } else {
        mPrevX = mCurX;
        mPrevY = mCurY;
    }
    mCurX = x;
    mCurY = y;
}

void ParticleSystem::StartAt(float x, float y)
{
    mLife = kLifeEnded;
    MoveTo(x, y);
    mLife = mHeader.mDuration == -1.0f ? kLifeEndless : 0.0f;
    mStepAccumulator = 0.0f;
}

void ParticleSystem::StartPath()
{
    mPathMode = 0;
    if (mPath.size() < 2) {
        mMoving = false;
        return;
    }
    StartAt(static_cast<float>(mPath[0].mX), static_cast<float>(mPath[0].mY));
    mMoving = true;
    mSegmentIndex = 0;
    mSegmentTime = mPathTime / static_cast<float>(mPath.size());
    if (!(mSegmentTime > 0.0f))
        mSegmentTime = 0.05f;
    mSegmentClock = 0.0f;
}

void ParticleSystem::Step(float seconds)
{
    if (mSimStep == 0.0f) {
        Simulate(seconds);
        return;
    }
    mStepAccumulator += seconds;
    if (!std::isfinite(mStepAccumulator))
        mStepAccumulator = 0.0f;
    if (mStepAccumulator >= mSimStep) {
        Simulate(mSimStep);
        // Every whole step off; the surplus ones are dropped.
        mStepAccumulator = std::fmod(mStepAccumulator, mSimStep);
    }
}

void ParticleSystem::Simulate(float t)
{
    if (mLife >= 0.0f) {
        mLife += t;
        if (mLife >= mHeader.mDuration)
            mLife = kLifeEnded;
    }
    if (mMoving)
        FollowPath(t);

    for (int i = 0; i < mLiveCount;) {
        Particle& p = mParticles[i];
        p.mAge += t;
        if (p.mAge >= p.mLife) {
            // The last live particle takes the slot and is handled next.
            p = mParticles[--mLiveCount];
            continue;
        }
        const float dx = p.mX - mCurX;
        const float dy = p.mY - mCurY;
        const float r = FastInvSqrt(dx * dx + dy * dy);
        const float nx = dx * r;
        const float ny = dy * r;
        const float ax = p.mRadial * nx - p.mTangential * ny;
        const float ay = p.mRadial * ny + p.mTangential * nx;
        p.mVX += ax * t;
        p.mVY += ay * t;
        p.mVY += p.mGravity * t;
        p.mX += p.mVX;
        p.mY += p.mVY;
        p.mSize += p.mSizeChange * t;
        p.mSpin += p.mSpinChange * t;
        p.mRed += p.mRedChange * t;
        p.mGreen += p.mGreenChange * t;
        p.mBlue += p.mBlueChange * t;
        p.mAlpha += p.mAlphaChange * t;
        ++i;
    }

    if (!IsEnded())
        Spawn(t);
    mPrevX = mCurX;
    mPrevY = mCurY;
}

void ParticleSystem::Spawn(float t)
{
    const PsiHeader& h = mHeader;
    const float total = static_cast<float>(h.mRate) * t + mSpawnCarry;
    int count;
    if (std::isfinite(total) && std::fabs(total) < 1073741824.0f) {
        count = static_cast<int>(total);
        mSpawnCarry = total - static_cast<float>(count);
    } else {
        // Far beyond the pool (or no number at all): whatever fits, nothing carried.
        count = total > 0.0f ? kMaxParticles : 0;
        mSpawnCarry = 0.0f;
    }

    // Once the pool is full the rest are dropped.
    for (int n = 0; n < count && mLiveCount < kMaxParticles; ++n) {
        float u[15];
        for (float& v : u)
            v = NextRandom();
        Particle& p = mParticles[mLiveCount++];
        p.mLife = h.mLifeMin + u[0] * (h.mLifeMax - h.mLifeMin);
        p.mAge = 0.0f;
        p.mX = mPrevX + (mCurX - mPrevX) * u[1];
        p.mY = mPrevY + (mCurY - mPrevY) * u[1];
        p.mX += 4.0f * u[2] - 2.0f;
        p.mY += 4.0f * u[3] - 2.0f;
        float angle = h.mDirection - kHalfPi + h.mSpread * (u[4] - 0.5f);
        if (h.mRelative)
            angle += std::atan2(mPrevY - mCurY, mPrevX - mCurX) + kHalfPi;
        const float speed = h.mSpeedMin + u[5] * (h.mSpeedMax - h.mSpeedMin);
        p.mVX = std::cos(angle) * speed;
        p.mVY = std::sin(angle) * speed;
        p.mGravity = h.mGravityMin + u[6] * (h.mGravityMax - h.mGravityMin);
        p.mRadial = h.mRadialMin + u[7] * (h.mRadialMax - h.mRadialMin);
        p.mTangential = h.mTangentialMin + u[8] * (h.mTangentialMax - h.mTangentialMin);
        p.mSize = h.mSizeStart + u[9] * (h.mSizeEnd - h.mSizeStart) * h.mSizeVar;
        p.mSpin = h.mSpinStart + u[10] * (h.mSpinEnd - h.mSpinStart) * h.mSpinVar;
        float* channel[4] = {&p.mRed, &p.mGreen, &p.mBlue, &p.mAlpha};
        for (int c = 0; c < 4; ++c) {
            const float variation = c < 3 ? h.mColorVar : h.mAlphaVar;
            *channel[c] = h.mColorStart[c] + u[11 + c] * (h.mColorEnd[c] - h.mColorStart[c]) * variation;
        }

        if (p.mLife > 0.0f && std::isfinite(p.mLife)) {
            // Every value reaches its end value when the particle dies.
            p.mSizeChange = (h.mSizeEnd - p.mSize) / p.mLife;
            p.mSpinChange = (h.mSpinEnd - p.mSpin) / p.mLife;
            p.mRedChange = (h.mColorEnd[0] - p.mRed) / p.mLife;
            p.mGreenChange = (h.mColorEnd[1] - p.mGreen) / p.mLife;
            p.mBlueChange = (h.mColorEnd[2] - p.mBlue) / p.mLife;
            p.mAlphaChange = (h.mColorEnd[3] - p.mAlpha) / p.mLife;
        } else {
            // No life to spread a change over: the particle dies at its first step.
            p.mLife = 0.0f;
            p.mSizeChange = p.mSpinChange = 0.0f;
            p.mRedChange = p.mGreenChange = p.mBlueChange = p.mAlphaChange = 0.0f;
        }
    }
}

void ParticleSystem::FollowPath(float t)
{
    const int last = static_cast<int>(mPath.size()) - 1;
    mSegmentClock += t;
    while (mSegmentClock > mSegmentTime) {
        mSegmentClock -= mSegmentTime;
        ++mSegmentIndex;
        if (mSegmentIndex >= last) {
            mMoving = false;
            break;
        }
    }
    if (!mMoving || mSegmentIndex < 0 || mSegmentIndex >= last)
        return;
    const Point& a = mPath[mSegmentIndex];
    const Point& b = mPath[mSegmentIndex + 1];
    float dx = static_cast<float>(static_cast<double>(b.mX) - a.mX);
    float dy = static_cast<float>(static_cast<double>(b.mY) - a.mY);
    const float r = FastInvSqrt(dx * dx + dy * dy);
    dx *= r;
    dy *= r;
    if (mSegmentTime != 0.0f) {
        const float share = mSegmentClock / mSegmentTime;
        dx *= share;
        dy *= share;
    }
    MoveTo(static_cast<float>(TruncToInt(static_cast<double>(a.mX) + dx)),
           static_cast<float>(TruncToInt(static_cast<double>(a.mY) + dy)));
}

bool ParticleSystem::InsideClip(int x, int y) const
{
    // Winding number of the closed polygon about the point; products in 128 bits, since the
    // file's coordinates may use the whole 32-bit range.
    int winding = 0;
    const size_t n = mClip.size();
    for (size_t i = 0; i < n; ++i) {
        const Point& a = mClip[i];
        const Point& b = mClip[(i + 1) % n];
        const __int128 side =
            static_cast<__int128>(static_cast<int64_t>(b.mX) - a.mX) * (static_cast<int64_t>(y) - a.mY) -
            static_cast<__int128>(static_cast<int64_t>(b.mY) - a.mY) * (static_cast<int64_t>(x) - a.mX);
        if (a.mY <= y && y < b.mY && side > 0)
            ++winding;
        else if (b.mY <= y && y < a.mY && side < 0)
            --winding;
    }
    return winding != 0;
}

void ParticleSystem::Draw(Graphics* g)
{
    if (!mImage)
        return;
    const int savedMode = g->GetDrawMode();
    const bool savedColorize = g->GetColorizeImages();
    const Color savedColor = g->GetColor();
    g->SetDrawMode(mAdditive ? Graphics::DRAWMODE_ADDITIVE : Graphics::DRAWMODE_NORMAL);
    g->SetColorizeImages(true);

    const bool clipped = mClip.size() >= 3;
    const bool drawn3D = gQuorAppBase != nullptr && gQuorAppBase->Is3DAccelerated();
    const float width = static_cast<float>(mImage->GetWidth());
    const float height = static_cast<float>(mImage->GetHeight());
    Transform2D transform;
    for (int i = 0; i < mLiveCount; ++i) {
        const Particle& p = mParticles[i];
        const float x = Bounded(p.mX, kCoordLimit);
        const float y = Bounded(p.mY, kCoordLimit);
        if (clipped && !InsideClip(static_cast<int>(x), static_cast<int>(y)))
            continue;
        const uint32_t packed = (Channel(p.mAlpha) << 24) | (Channel(p.mRed) << 16) |
                                (Channel(p.mGreen) << 8) | Channel(p.mBlue);
        g->SetColor(Color(static_cast<int>((packed >> 16) & 0xFF), static_cast<int>((packed >> 8) & 0xFF),
                          static_cast<int>(packed & 0xFF), static_cast<int>(packed >> 24)));
        const float size = Bounded(p.mSize, kSizeLimit);
        const float angle = std::isfinite(p.mSpin * p.mAge) ? p.mSpin * p.mAge : 0.0f;
        transform.Reset();
        transform.Rotate(angle);
        transform.Scale(size, size);
        if (drawn3D) {
            g->DrawImageTransformF(mImage.get(), transform, x, y);
        } else if (!mAdditive) {
            g->DrawImageTransform(mImage.get(), transform, x, y);
        } else {
            const float w = width * size;
            const float h = height * size;
            g->DrawImageStretched(mImage.get(), TruncToInt(x - w / 2.0f), TruncToInt(y - h / 2.0f),
                                  TruncToInt(w), TruncToInt(h));
        }
    }

    g->SetColor(savedColor);
    g->SetColorizeImages(savedColorize);
    g->SetDrawMode(savedMode);
}

} // namespace Quor
