#include "tests/desktop/DemoPlayback.h"
#include "tests/desktop/SceneryData.h"

#include "display/DDImage.h"
#include "display/DDInterface.h"
#include "game/shell/EffectList.h"
#include "game/shell/FXObject.h"
#include "game/shell/ResourceBinding.h"
#include "game/world/CountryMap.h"
#include "game/world/CountryScene.h"
#include "game/world/GamePhase.h"
#include "graphics/Image.h"
#include "resources/PakInterface.h"
#include "widgets/WidgetManager.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace xdesk {

namespace {

// The largest size a city light is drawn at: (rand() % 100 + 50) / 100.
constexpr double kLargestLight = 1.5;
// Smooth scaling and turning may touch a pixel beyond the exact outline.
constexpr int kEdge = 2;

bool IsLight(const Quor::Image* image)
{
    return image != nullptr && (image == Quor::FX_C_NEON1 || image == Quor::FX_C_NEON2 || image == Quor::FX_C_NEON3);
}

// The lowest and highest value a track of the kind (and subkind) holds; false without one.
bool TrackRange(const Quor::FXObject& o, int kind, int subtype, double* low, double* high)
{
    bool found = false;
    for (int t = 0; t < o.mTrackCount; ++t)
        for (const Quor::Keyframe* key : o.mTracks[t]) {
            if (key->mKind != kind || (subtype != 0 && key->mSubtype != subtype))
                continue;
            *low = found ? std::min(*low, key->mVal) : key->mVal;
            *high = found ? std::max(*high, key->mVal) : key->mVal;
            found = true;
        }
    return found;
}

// The box an object can cover with the cel of the given size over all its tracks.
Mask ObjectBox(const Quor::FXObject& o, int celWidth, int celHeight, double largestScale)
{
    double x0 = o.mX, x1 = o.mX, y0 = o.mY, y1 = o.mY;
    TrackRange(o, Quor::Keyframe::TRANSLATE, Quor::Keyframe::TRANS_X, &x0, &x1);
    TrackRange(o, Quor::Keyframe::TRANSLATE, Quor::Keyframe::TRANS_Y, &y0, &y1);
    double s0 = 0.0, s1 = 0.0, scale = std::max(o.mScale, largestScale);
    if (TrackRange(o, Quor::Keyframe::SCALE, 0, &s0, &s1))
        scale = std::max({scale, std::fabs(s0), std::fabs(s1)});
    double r0 = 0.0, r1 = 0.0;
    const bool turns = o.mRotation != 0.0 || TrackRange(o, Quor::Keyframe::ROTATE, 0, &r0, &r1);
    // Drawn about the cel's centre; a turned cel reaches as far as its half diagonal, a mirrored
    // one is placed from the centre, so it may reach a whole cel either way.
    double halfW = scale * celWidth / 2.0, halfH = scale * celHeight / 2.0;
    if (turns)
        halfW = halfH = scale * std::hypot(celWidth, celHeight) / 2.0;
    if (o.mMirrored) {
        halfW *= 2.0;
        halfH *= 2.0;
    }
    const double cx0 = x0 + celWidth / 2, cx1 = x1 + celWidth / 2;
    const double cy0 = y0 + celHeight / 2, cy1 = y1 + celHeight / 2;
    const int left = int(std::floor(cx0 - halfW)) - kEdge, top = int(std::floor(cy0 - halfH)) - kEdge;
    const int right = int(std::ceil(cx1 + halfW)) + kEdge, bottom = int(std::ceil(cy1 + halfH)) + kEdge;
    return Mask{left, top, right - left, bottom - top};
}

// Whether the box lies on the screen at all.
bool OnScreen(const Mask& m)
{
    return m.w > 0 && m.h > 0 && m.x < 1024 && m.y < 768 && m.x + m.w > 0 && m.y + m.h > 0;
}

// Popups and boxes of a run without a display go to the error output.
void Say(const char* what, const std::string& text)
{
    std::fprintf(stderr, "playback %s: %s\n", what, text.c_str());
}

} // namespace

DemoPlayback::DemoPlayback(const std::string& demo, const std::string& home)
{
    setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
    mCmdLineParsed = true;
    mPlayingDemo = true;
    mRecordingDemo = false;
    mDemoFileName = demo;
    mOnlyAllowOneCopyToRun = false;
    // The program's folder is the one of the program under test, where its archive lies.
    mChangeDirTo = GameFolder();
    Quor::GetPakInterface()->AddPakFile(GameFolder() + "/main.pak");
}

int DemoPlayback::Run()
{
    Init();
    // As fast as it goes: the recording sets the pace of the game, not the clock.
    mDemoRunToEnd = true;
    Start();
    return exitStatus;
}

void DemoPlayback::UpdateFrames()
{
    GameApp::UpdateFrames();
    if (mOnUpdate)
        mOnUpdate(*this);
    // A recording that did not end by a closed window ends where it was written.
    if (mUpdateCount >= mDemoLength)
        Shutdown();
}

std::vector<uint32_t> DemoPlayback::Screen()
{
    std::vector<uint32_t> pixels;
    if (mDdInterface == nullptr || mDdInterface->GetScreenImage() == nullptr)
        return pixels;
    mWidgetManager->SetAllDirty();
    mIsDrawing = true;
    mWidgetManager->DrawScreen();
    mIsDrawing = false;
    // The screen's pixels as the screenshot reads them: through a display image of its own on
    // the screen image's surface.
    Quor::DDInterface::AutoLock lock(mDdInterface->mCritSect);
    Quor::DDImage* screen = mDdInterface->mScreenImage;
    mDdInterface->mScreenImage = nullptr;
    {
        Quor::DDImage reader(mDdInterface);
        if (reader.SetSurface(screen->GetSurface()) == plat::DD_OK && reader.mWidth == 1024 && reader.mHeight == 768)
            if (const uint32_t* bits = reader.GetBits(); bits != nullptr)
                pixels.assign(bits, bits + 1024 * 768);
        reader.DeleteSurface();
    }
    mDdInterface->mScreenImage = screen;
    for (uint32_t& p : pixels)
        p |= 0xFF000000u;
    return pixels;
}

int DemoPlayback::SceneryCountry() const
{
    auto* phase = dynamic_cast<Quor::GamePhase*>(screens[Quor::SCREEN_GAME]);
    if (phase == nullptr)
        return -1;
    auto* map = dynamic_cast<Quor::CountryMap*>(phase->mPanels[Quor::PANEL_COUNTRY_MAP]);
    if (map == nullptr || map->mBusy || map->mScene == nullptr || map->mFadeAlpha != 255 ||
        phase->mPanels[Quor::PANEL_WORLD_MAP] != nullptr)
        return -1;
    return map->mCountry;
}

std::vector<Mask> DemoPlayback::SceneryMasks() const
{
    std::vector<Mask> masks;
    const int country = SceneryCountry();
    if (country < 0)
        return masks;
    auto* phase = dynamic_cast<Quor::GamePhase*>(screens[Quor::SCREEN_GAME]);
    auto* map = dynamic_cast<Quor::CountryMap*>(phase->mPanels[Quor::PANEL_COUNTRY_MAP]);
    for (const Quor::EffectList* layer : {map->mScene->mBackLayer.get(), map->mScene->mFrontLayer.get()})
        for (const auto& object : layer->mEffects) {
            std::vector<Mask> boxes;
            if (IsLight(object->mImage)) {
                // Any kind, any size: the cel is the whole light picture.
                for (const Quor::Image* light : {Quor::FX_C_NEON1, Quor::FX_C_NEON2, Quor::FX_C_NEON3})
                    if (light != nullptr)
                        boxes.push_back(ObjectBox(*object, light->GetWidth(), light->GetHeight(), kLargestLight));
            } else {
                boxes.push_back(ObjectBox(*object, object->mCelWidth, object->mCelHeight, 0.0));
            }
            for (const Mask& box : boxes)
                if (OnScreen(box))
                    masks.push_back(box);
        }
    // Japan, India and Russia have no sky strip.
    if (country != 2 && country != 3 && country != 6) {
        const std::string name = "GC" + std::to_string(country) + "_SKY";
        if (const Quor::Image* sky = Quor::ResourceImageById(Quor::ResourceIdByName(name.c_str())))
            masks.push_back(Mask{0, 0, 1024, sky->GetHeight()});
    }
    // The head-up display's calendar (the week and the day change with every trip).
    masks.insert(masks.end(), kCalendar.begin(), kCalendar.end());
    return masks;
}

void DemoPlayback::Popup(const std::string& text)
{
    Say("popup", text);
}

int DemoPlayback::MsgBox(const std::string& text, const std::string& caption, uint32_t flags)
{
    (void)flags;
    Say("box", caption + ": " + text);
    return 1;
}

} // namespace xdesk
