// What the scenery tests share: the world fixture with pictures of known sizes, cels and frame
// delays for every scenery image, the sound, effect and country groups loaded, the flying-bird
// effect definition, a sound manager that records what plays and stops, and a dump of a scene.
#pragma once

#include "tests/game/world/WorldFixture.h"

#include "game/shell/AmbientSoundCues.h"
#include "game/shell/EffectList.h"
#include "game/shell/ResourceBinding.h"
#include "game/world/CountryScene.h"
#include "sound/SoundInstance.h"

#include <cmath>
#include <sstream>

namespace worldtest {

// Records the sounds asked for, with the application's update count, and every stop.
class RecordingSounds : public quortest::MemorySoundManager {
public:
    explicit RecordingSounds(const int* clock) : mClock(clock) {}
    Quor::SoundInstance* GetSoundInstance(int id) override
    {
        mPlays.emplace_back(*mClock, id);
        return MemorySoundManager::GetSoundInstance(id);
    }
    void StopAllSounds() override
    {
        ++mStops;
        MemorySoundManager::StopAllSounds();
    }
    const int* mClock;
    std::vector<std::pair<int, int>> mPlays;  // update count, sound id
    int mStops = 0;
};

struct ScenePicture {
    const char* name;
    int width, height, columns, delay;  // delay 0: no animation
    uint32_t colour;
    bool sparse;  // a clear picture with scattered dots (snow)
};

// Sizes, cels and delays the expected dumps are written for.
inline const ScenePicture kScenePictures[] = {
    {"FX_C_BIRD", 64, 12, 4, 10, 0xFF202020u, false},     {"FX_C_BIRD2", 48, 12, 4, 10, 0xFF404040u, false},
    {"FX_C_CLOUD", 200, 60, 1, 0, 0xFFF0F0F0u, false},    {"FX_C_LIGHT", 120, 400, 1, 0, 0xFFFFFFC0u, false},
    {"FX_C_LIGHT2", 100, 400, 1, 0, 0xFFFFFFA0u, false},  {"FX_C_SMOKE", 96, 32, 4, 12, 0xFF909090u, false},
    {"FX_C_PPL1", 48, 24, 4, 15, 0xFFC03030u, false},     {"FX_C_PPL2", 48, 24, 4, 15, 0xFF30C030u, false},
    {"FX_C_PPL3", 48, 24, 4, 15, 0xFF3030C0u, false},     {"FX_C_DOG", 64, 16, 4, 10, 0xFF806020u, false},
    {"FX_C_HORSE", 96, 36, 4, 8, 0xFF603010u, false},     {"FX_C_HORSE_L", 96, 36, 4, 9, 0xFF704020u, false},
    {"FX_C_NEON1", 8, 8, 1, 0, 0xFFFF40FFu, false},       {"FX_C_NEON2", 10, 10, 1, 0, 0xFF40FFFFu, false},
    {"FX_C_NEON3", 12, 12, 1, 0, 0xFFFFFF40u, false},     {"FX_C_CAR1", 40, 20, 1, 0, 0xFFE02020u, false},
    {"FX_C_CAR2", 40, 20, 1, 0, 0xFF20E020u, false},      {"FX_C_CAR3", 40, 20, 1, 0, 0xFF2020E0u, false},
    {"FX_C_CAR4", 40, 20, 1, 0, 0xFFE0E020u, false},      {"FX_C_CAR5", 40, 20, 1, 0, 0xFFE020E0u, false},
    {"GC0_BOAT", 80, 40, 1, 0, 0xFF8B4513u, false},       {"GC1_WATER", 64, 16, 4, 10, 0xFF2060C0u, false},
    {"GC1_CAR", 50, 24, 1, 0, 0xFFC02060u, false},        {"GC2_FLOWER", 48, 24, 4, 11, 0xFFFF80A0u, false},
    {"GC2_BIC", 64, 24, 4, 10, 0xFF206020u, false},       {"GC3_SNAKE", 64, 16, 4, 10, 0xFF40A040u, false},
    {"GC3_CUP", 96, 24, 8, 10, 0xFFE0C080u, false},       {"GC3_CUP2", 48, 24, 4, 10, 0xFFD0B070u, false},
    {"GC3_LEAF", 20, 20, 1, 0, 0xFF30B030u, false},       {"GC3_LEAF2", 40, 10, 4, 0, 0xFF50D050u, false},
    {"GC4_CAR1", 48, 24, 1, 0, 0xFF3050A0u, false},       {"GC4_CAR2", 48, 24, 1, 0, 0xFFA05030u, false},
    {"GC4_FLOWER", 48, 32, 4, 10, 0xFFFF4060u, false},    {"GC4_FLOWER2", 48, 32, 4, 14, 0xFFFFA040u, false},
    {"GC4_TREE", 80, 120, 1, 0, 0xFF206030u, false},      {"GC5_WAVE", 64, 16, 4, 0, 0xFF80C0FFu, false},
    {"GC5_COW", 80, 28, 4, 10, 0xFFF0E0D0u, false},       {"GC6_SNOW", 256, 300, 4, 10, 0xFFFFFFFFu, true},
    {"GC6_PLANE3", 60, 24, 1, 0, 0xFFB0B0C0u, false},     {"GC7_NEON", 64, 16, 4, 10, 0xFFFF2080u, false},
    {"GC7_NEON1", 64, 16, 4, 10, 0xFF20FF80u, false},     {"GC7_NEON2", 64, 16, 4, 10, 0xFF8020FFu, false},
    {"GC7_NEON3", 64, 16, 4, 10, 0xFFFF8020u, false},     {"GC7_NEON4", 64, 16, 4, 10, 0xFF2080FFu, false},
    {"GC7_LIGHT", 60, 150, 1, 0, 0xFFFFF0B0u, false},     {"GC7_HELICOPTER", 80, 20, 4, 10, 0xFF505050u, false},
    {"GC7_PLANE", 60, 24, 1, 0, 0xFFC0C0D0u, false},      {"GC7_TREE", 100, 160, 1, 0, 0xFF105020u, false},
};

// The flying bird of the effect data: four cels in 0.4 s, across the screen from x 1100 to -200
// in 20 s.
inline Quor::FXDef FlyingBirdEffect()
{
    Quor::FXDef def;
    def.id = 101;
    def.img = Quor::ResourceIdByName("FX_C_BIRD");
    def.frame = 4;
    def.timePerLoop = 0.4;
    def.isLoop = true;
    def.playTime = -1;
    def.holdTime = -999.0;
    Quor::FXKeyframeDef track;
    track.loop = true;
    track.type = Quor::Keyframe::TRANSLATE;
    track.subtype = Quor::Keyframe::TRANS_X;
    track.keys = {{0.0, 1100.0}, {20.0, -200.0}};
    def.keyframes[0] = track;
    return def;
}

class SceneryTest : public WorldTest {
protected:
    // Pictures of their own for the scenery images (and, with buttons, for the country's
    // background and place buttons), the groups loaded.
    void StartScenery(bool withScreenPictures = false)
    {
        for (const ScenePicture& p : kScenePictures) {
            const int cel = p.width / p.columns;
            mPictures[p.name] = quortest::PngBytes(p.width, p.height, [p, cel](int x, int y) -> uint32_t {
                if (p.sparse)
                    return ((x * 7 + y * 13) % 37 == 0 || (x * 11 + y * 5) % 53 == 0) ? p.colour : 0u;
                const int column = x / cel;
                const int inCel = x % cel;
                if (inCel == 0 || y == 0 || inCel == cel - 1 || y == p.height - 1)
                    return 0xFF000000u;
                // A light bar that moves with the cel, so that the cel shown can be seen.
                if (inCel >= 1 + column * 2 && inCel < 3 + column * 2)
                    return 0xFFFFFFFFu;
                return p.colour;
            });
            std::string attributes;
            if (p.columns > 1)
                attributes += " cols=\"" + std::to_string(p.columns) + "\"";
            if (p.delay > 0)
                attributes += " anim=\"loop\" framedelay=\"" + std::to_string(p.delay) + "\"";
            mPictureAttributes[p.name] = attributes;
        }
        if (withScreenPictures) {
            for (int c = 0; c < 8; ++c) {
                const std::string prefix = "GC" + std::to_string(c) + "_";
                mPictures[prefix + "BG"] = quortest::PngBytes(1024, 768, [c](int x, int y) -> uint32_t {
                    return 0xFF000000u | uint32_t(20 + c * 8) << 16 | uint32_t(40 + y / 8) << 8 | uint32_t(60 + x / 16);
                });
                for (const char* place : {"CELLAR", "SUPPLIER", "MISSION", "TRAVEL", "FACTORY"})
                    mPictures[prefix + "BTN_" + place] = quortest::PngBytes(120, 90, [](int x, int y) -> uint32_t {
                        return (x < 3 || y < 3 || x >= 117 || y >= 87) ? 0xFF000000u : 0xFFB0A080u;
                    });
            }
        }
        Start();
        Quor::DCapResource* rm = app->resourceManager;
        ASSERT_TRUE(rm->LoadResources("Sound") && Quor::BindSoundResources(rm));
        ASSERT_TRUE(rm->LoadResources("Fx") && Quor::BindFxResources(rm));
        for (int c = 0; c < 8; ++c) {
            const std::string group = "GameCountry" + std::to_string(c);
            ASSERT_TRUE(rm->LoadResources(group) && Quor::BindGameCountryResources(rm, c)) << group;
        }
        app->fxDefs = Quor::FXDefList{FlyingBirdEffect()};
    }

    // The groups go, and with them the pictures' variables.
    void TearDown() override
    {
        if (app) {
            app->RemoveScreen(Quor::SCREEN_GAME);
            app->ProcessSafeDeletes();
            app->resourceManager->DeleteResources("");
        }
        WorldTest::TearDown();
    }

    Quor::SoundManager* MakeSoundManager() override
    {
        sounds = new RecordingSounds(&app->mUpdateCount);
        return sounds;
    }

    // Advances a scene by whole updates of 0.02 s, the application count going 2 a step.
    void Run(Quor::CountryScene& scene, int steps)
    {
        for (int i = 0; i < steps; ++i) {
            app->mUpdateCount += 2;
            scene.Update(0.02);
        }
    }

    RecordingSounds* sounds = nullptr;
};

inline std::string ImageName(const Quor::Image* image)
{
    if (image == nullptr)
        return "-";
    for (std::size_t g = 0; g < Quor::kResourceGroupCount; ++g) {
        std::size_t count = 0;
        const Quor::ResourceBinding* list = Quor::ResourceGroupBindings(Quor::kResourceGroupNames[g], &count);
        for (std::size_t i = 0; i < count; ++i)
            if (list[i].kind == Quor::ResourceKind::Image && *static_cast<Quor::Image**>(list[i].variable) == image)
                return list[i].name;
    }
    return "?";
}

inline std::string Number(double value)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%g", value);
    return text;
}

inline std::string TrackText(const std::vector<Quor::Keyframe*>& keys)
{
    using Quor::Keyframe;
    const Keyframe& first = *keys.front();
    std::string text;
    switch (first.mKind) {
    case Keyframe::TRANSLATE:
        text = first.mSubtype == Keyframe::TRANS_X ? "x" : "y";
        break;
    case Keyframe::ROTATE:
        text = first.mSubtype == Keyframe::ANTI_CLOCKWISE ? "rot" : "rotcw";
        break;
    case Keyframe::SCALE:
        text = "scale";
        break;
    case Keyframe::ALPHA:
        text = "alpha";
        break;
    default:
        text = "cel";
        break;
    }
    for (const Keyframe* key : keys)
        text += " " + Number(key->mTime) + ":" + Number(key->mVal);
    return text;
}

// One line per object: layer and place in it, image, position, cels, options, looping tracks.
inline std::string ObjectLine(char layer, int index, const Quor::FXObject& o)
{
    using Quor::FXObject;
    std::string line = std::string(1, layer) + std::to_string(index) + " " + ImageName(o.mImage) + " at " +
                       std::to_string(o.mX) + "," + std::to_string(o.mY);
    if (o.mFrameMode == FXObject::FRAMES_BY_ANIMATION)
        line += " anim +" + Number(o.mTimePerFrame);
    else
        line += " frames " + std::to_string(o.mFrameCount) + " x " + Number(o.mTimePerFrame) +
                (o.mFrameMode == FXObject::FRAMES_BY_TRACK ? " by track" : "");
    if (o.mScale != 1.0)
        line += " scale " + Number(o.mScale);
    if (o.mMirrored)
        line += " mirrored";
    if (o.mRotation != 0.0)
        line += " rotation " + Number(o.mRotation);
    if (o.mColor)
        line += " colour " + std::to_string(o.mColor->mRed) + "," + std::to_string(o.mColor->mGreen) + "," +
                std::to_string(o.mColor->mBlue) + "," + std::to_string(o.mColor->mAlpha);
    if (o.mElapsed != 0.0)
        line += " phase " + Number(o.mElapsed);
    if (o.mFrameClock != 0.0)
        line += " cel clock " + Number(o.mFrameClock);
    if (!o.mLoop || o.mPassesLeft != -1 || o.mNotifyId != 0 || o.mHoldTime != FXObject::kNoHoldTime)
        line += " ENDS";
    for (int t = 0; t < o.mTrackCount; ++t)
        line += std::string(t == 0 ? " | " : "; ") + TrackText(o.mTracks[t]) + (o.mTrackLoop[t] ? "" : " once");
    return line;
}

inline std::string SoundName(int id)
{
    const std::pair<const int*, const char*> names[] = {
        {&Quor::SE_ENV_BIRD, "SE_ENV_BIRD"}, {&Quor::SE_ENV_CAR, "SE_ENV_CAR"},     {&Quor::SE_ENV_COW, "SE_ENV_COW"},
        {&Quor::SE_ENV_WATER, "SE_ENV_WATER"}, {&Quor::SE_ENV_WIND, "SE_ENV_WIND"}, {&Quor::SE_ENV_PLANE, "SE_ENV_PLANE"}};
    for (const auto& [variable, name] : names)
        if (*variable == id)
            return name;
    return std::to_string(id);
}

// The whole scene as built: cues, then the back layer, then the front layer.
inline std::string Dump(const Quor::CountryScene& scene)
{
    std::string text;
    for (const auto& [key, cue] : scene.mSoundCues->GetCues())
        text += "cue " + std::to_string(key) + " " + SoundName(cue->mSoundId) + " pan " + std::to_string(cue->mPan) +
                " volume " + Number(cue->mVolume) + " life " + Number(cue->mLife) + " every " + Number(cue->mInterval) +
                (cue->mRandom ? " random " + Number(cue->mSpread) : " fixed") + " countdown " + Number(cue->mCountdown) +
                "\n";
    int index = 0;
    for (const auto& object : scene.mBackLayer->mEffects)
        text += ObjectLine('B', ++index, *object) + "\n";
    index = 0;
    for (const auto& object : scene.mFrontLayer->mEffects)
        text += ObjectLine('F', ++index, *object) + "\n";
    return text;
}

// The dump with what a build draws by chance written as '?': random cue countdowns, snow offsets,
// light scales and phases, and (with randomKinds) light kinds.
inline std::string MaskRandom(const std::string& dump, bool randomKinds)
{
    std::istringstream in(dump);
    std::string text;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("cue ", 0) == 0 && line.find(" random ") != std::string::npos) {
            line = line.substr(0, line.find("countdown ") + 10) + "?";
        } else if (line.find(" GC6_SNOW at ") != std::string::npos) {
            line = line.substr(0, line.find("anim +") + 6) + "?";
        } else if (size_t neon = line.find(" FX_C_NEON"); neon != std::string::npos) {
            const size_t still = line.find("frames 1 x 999") + 14;
            line = line.substr(0, still) + " scale ? phase ?" + line.substr(line.find(" |"));
            if (randomKinds)
                line[neon + 10] = '?';
        }
        text += line + "\n";
    }
    return text;
}

} // namespace worldtest
