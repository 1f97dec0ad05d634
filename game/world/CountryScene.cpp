#include "game/world/CountryScene.h"

#include "game/shell/AmbientSoundCues.h"
#include "game/shell/EffectList.h"
#include "game/shell/FXObject.h"
#include "game/shell/GameApp.h"
#include "game/shell/ResourceBinding.h"
#include "game/world/EffectConstruction.h"
#include "graphics/Image.h"
#include "platform/Sys.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace Quor {

namespace {

// The wing beat's first cel holds this long (10 ms ticks) in the bird's own animation.
constexpr int kBirdHoldTicks = 100;
constexpr double kStillFrameTime = 999.0;
constexpr double kNoPlayTime = -1.0;

// rand() % n for a bound that may be below 1, which gives 0.
int RandBelow(int bound)
{
    return bound >= 1 ? std::rand() % bound : 0;
}

int Columns(const Image* image)
{
    return image != nullptr && image->mNumCols > 0 ? image->mNumCols : 1;
}

int FrameDelay(const Image* image)
{
    return image != nullptr && image->mAnimInfo != nullptr ? image->mAnimInfo->mFrameDelay : 0;
}

void SkipSpaces(const char*& p)
{
    while (*p == ' ')
        ++p;
}

bool ReadNumber(const char*& p, double* value)
{
    SkipSpaces(p);
    char* end = nullptr;
    *value = std::strtod(p, &end);
    if (end == p)
        return false;
    p = end;
    return true;
}

// Kind and subkind of a track name; false for an unknown one.
bool TrackKind(const char* name, size_t length, int* kind, int* subtype)
{
    struct Name {
        const char* text;
        int kind;
        int subtype;
    };
    static const Name kNames[] = {
        {"x", Keyframe::TRANSLATE, Keyframe::TRANS_X}, {"y", Keyframe::TRANSLATE, Keyframe::TRANS_Y},
        {"scale", Keyframe::SCALE, 0},                 {"alpha", Keyframe::ALPHA, 0},
        {"rot", Keyframe::ROTATE, Keyframe::ANTI_CLOCKWISE}, {"cel", Keyframe::CEL, 0},
    };
    for (const Name& n : kNames) {
        if (std::strlen(n.text) == length && std::strncmp(n.text, name, length) == 0) {
            *kind = n.kind;
            *subtype = n.subtype;
            return true;
        }
    }
    return false;
}

} // namespace

bool AddSceneTracks(FXObject* object, const char* tracks, int columns)
{
    const char* p = tracks;
    std::vector<Keyframe*> keys;
    for (;;) {
        SkipSpaces(p);
        if (*p == '\0')
            return true;
        const char* name = p;
        while (*p != '\0' && *p != ' ' && *p != ';')
            ++p;
        const size_t length = size_t(p - name);
        if (length == 4 && std::strncmp(name, "flap", 4) == 0) {
            CountryScene::AddFlapTrack(object);
        } else if (length == 5 && std::strncmp(name, "sweep", 5) == 0) {
            double step = 0.0;
            double end = 0.0;
            if (!ReadNumber(p, &step) || !ReadNumber(p, &end))
                return false;
            for (int i = 0; i < columns; ++i)
                PushKeyframe(keys, Keyframe::CEL, 0, step * i, i);
            PushKeyframe(keys, Keyframe::CEL, 0, end, 0);
            object->SetTrack(keys, true);
            keys.clear();
        } else {
            int kind = 0;
            int subtype = 0;
            if (!TrackKind(name, length, &kind, &subtype))
                return false;
            for (;;) {
                SkipSpaces(p);
                if (*p == ';' || *p == '\0')
                    break;
                double time = 0.0;
                double value = 0.0;
                if (!ReadNumber(p, &time) || *p != ':') {
                    for (Keyframe* key : keys)
                        delete key;
                    return false;
                }
                ++p;
                if (!ReadNumber(p, &value)) {
                    for (Keyframe* key : keys)
                        delete key;
                    return false;
                }
                PushKeyframe(keys, kind, subtype, time, value);
            }
            object->SetTrack(keys, true);
            keys.clear();
        }
        SkipSpaces(p);
        if (*p == ';')
            ++p;
        else if (*p != '\0')
            return false;
    }
}

CountryScene::CountryScene(GameApp* app, int country)
    : mApp(app), mBackLayer(std::make_unique<EffectList>()), mFrontLayer(std::make_unique<EffectList>()),
      mSoundCues(std::make_unique<AmbientSoundCues>(app)), mCountry(country)
{
    RetimeAnimation(FX_C_BIRD2, kBirdHoldTicks);
    Build();
}

CountryScene::~CountryScene()
{
    Destroy();
}

void CountryScene::Build()
{
    const Script* script = ScriptOf(mCountry);
    if (script == nullptr || !mBackLayer)
        return;
    for (int i = 0; i < script->cueCount; ++i)
        AddCue(script->cues[i]);
    AddRows(script->rows, script->rowCount);
    for (int i = 0; i < script->lightCount; ++i) {
        const Light& light = script->lights[i];
        const int kind = light.kind != 0 ? light.kind : std::rand() % 3 + 1;
        SpawnTwinkleLight(kind, light.x, light.y);
    }
    AddRows(script->lastRows, script->lastRowCount);
}

void CountryScene::AddCue(const Cue& cue)
{
    auto* made = new AmbientSoundCue();
    made->mSoundId = *cue.sound;
    made->mPan = 0;
    made->mVolume = 1.0;
    made->mLife = -999.0;
    made->mInterval = cue.interval;
    made->mRandom = cue.random;
    made->mSpread = cue.spread;
    made->mCountdown = cue.interval;
    if (cue.random) {
        // A spread under a hundredth of a second has no random part.
        const double hundredths = std::trunc(cue.spread * 100.0);
        if (hundredths >= 1.0 && hundredths <= double(RAND_MAX))
            made->mCountdown += (std::rand() % int(hundredths)) / 100.0;
    }
    mSoundCues->Add(made);
}

void CountryScene::AddRows(const Row* rows, int count)
{
    for (int i = 0; i < count; ++i) {
        const Row& row = rows[i];
        FXObject* object = MakeObject(row);
        if (object == nullptr)
            continue;
        EffectList* layer = row.layer == FRONT ? mFrontLayer.get() : mBackLayer.get();
        layer->Add(object);
        object->mElapsed = row.phase;
        object->mFrameClock = row.celClock;
    }
}

FXObject* CountryScene::MakeObject(const Row& row) const
{
    Image* image = row.image != nullptr ? *row.image : nullptr;
    const int columns = Columns(image);
    const int delay = FrameDelay(image);
    const int width = image != nullptr ? image->GetWidth() : 0;
    const int height = image != nullptr ? image->GetHeight() : 0;
    FXObject* object = nullptr;
    switch (row.cels) {
    case STILL:
    case CYCLE:
    case FRAME_DELAY:
    case FLAP: {
        int frames = columns;
        double frameTime = kStillFrameTime;
        if (row.cels == STILL)
            frames = 1;
        else if (row.cels == CYCLE)
            frameTime = row.value / columns;
        else if (row.cels == FRAME_DELAY)
            frameTime = delay / 100.0;
        object = new FXObject(row.x, row.y, width / columns, height, image, frames, true, -1, 0, frameTime,
                              FXObject::kNoHoldTime, row.rotation, kNoPlayTime);
        break;
    }
    case OFFSET:
    case HALF_CYCLE:
    case RANDOM_OFFSET: {
        // One cycle of the image's own animation, in updates; 0 without cels or delay.
        const int cycle = image != nullptr && image->mNumCols > 0 && delay > 0 ? delay * image->mNumCols : 0;
        int offset = int(row.value);
        if (row.cels == HALF_CYCLE)
            offset += cycle / 2;
        else if (row.cels == RANDOM_OFFSET)
            offset = RandBelow(cycle);
        object = new FXObject();
        InitAnimated(object, row.x, row.y, image, offset, kNoPlayTime);
        object->mRotation = row.rotation;
        break;
    }
    case DATA_ENTRY:
        object = CreateFXObject(mApp->fxDefs ? &*mApp->fxDefs : nullptr, int(row.value));
        if (object == nullptr)
            return nullptr;
        if (row.x != 0 || row.y != 0) {
            object->mX = row.x;
            object->mY = row.y;
        }
        break;
    }
    object->mScale = row.scale;
    object->mMirrored = row.mirrored;
    if (row.colour != 0)
        object->mColor = std::make_unique<Color>(Color::FromARGB(row.colour));
    if (!AddSceneTracks(object, row.tracks, columns))
        plat::DebugOutput("A scenery object's tracks are malformed; it keeps the tracks before the fault\n");
    return object;
}

void CountryScene::AddFlapTrack(FXObject* object)
{
    static const double kKeys[][2] = {{0.0, 0}, {1.5, 3}, {1.6, 0}, {1.7, 1}, {1.8, 0}, {1.9, 3}, {2.0, 0},
                                      {2.1, 1}, {2.2, 0}, {2.3, 3}, {2.4, 0}, {2.5, 1}, {2.6, 0}};
    std::vector<Keyframe*> keys;
    for (const auto& key : kKeys)
        PushKeyframe(keys, Keyframe::CEL, 0, key[0], key[1]);
    object->SetTrack(keys, true);
}

void CountryScene::AddTwinkleTrack(FXObject* object)
{
    static const double kKeys[][2] = {{0.0, 0},    {0.08, 255}, {0.16, 0},   {0.22, 255}, {0.3, 0},  {0.38, 255},
                                      {0.46, 0},   {0.54, 255}, {12.0, 255}, {12.2, 0},   {20.0, 0}};
    std::vector<Keyframe*> keys;
    for (const auto& key : kKeys)
        PushKeyframe(keys, Keyframe::ALPHA, 0, key[0], key[1]);
    object->SetTrack(keys, true);
}

FXObject* CountryScene::SpawnTwinkleLight(int kind, int x, int y)
{
    Image* image = kind == 2 ? FX_C_NEON2 : kind == 3 ? FX_C_NEON3 : FX_C_NEON1;
    const int width = image != nullptr ? image->GetWidth() : 0;
    const int height = image != nullptr ? image->GetHeight() : 0;
    auto* light = new FXObject(x, y, width, height, image, 1, true, -1, 0, kStillFrameTime, FXObject::kNoHoldTime, 0.0,
                               kNoPlayTime);
    AddTwinkleTrack(light);
    light->mScale = (std::rand() % 100 + 50) / 100.0;
    light->Start();
    mFrontLayer->Add(light);
    light->mElapsed = RandomPhase(light);
    return light;
}

double CountryScene::RandomPhase(const FXObject* object)
{
    const double cycle = object->mTrackCount > 0 ? object->mTracks[0].back()->mTime : 0.0;
    const double hundredths = std::trunc(cycle * 100.0);
    const int bound = hundredths >= 1.0 && hundredths <= double(RAND_MAX) ? int(hundredths) : 0;
    // Whole seconds: the hundredths are divided as integers.
    return RandBelow(bound) / 100;
}

void CountryScene::Update(double dt)
{
    if (!mBackLayer)
        return;
    mSoundCues->Update(dt);
    mBackLayer->UpdateAll(mApp->mUpdateCount, dt);
    mFrontLayer->UpdateAll(mApp->mUpdateCount, dt);
}

void CountryScene::Destroy()
{
    if (!mBackLayer)
        return;
    mBackLayer->DeleteAll();
    mFrontLayer->DeleteAll();
    mBackLayer.reset();
    mFrontLayer.reset();
    mSoundCues->Clear();
    mSoundCues.reset();
}

} // namespace Quor
