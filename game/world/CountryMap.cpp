#include "game/world/CountryMap.h"

#include "app/Common.h"
#include "display/DDImage.h"
#include "game/shell/DCapResource.h"
#include "game/shell/EffectList.h"
#include "game/shell/GameApp.h"
#include "game/shell/MenuScreen.h"
#include "game/shell/MusicTrackList.h"
#include "game/shell/ResourceBinding.h"
#include "game/world/CountryScene.h"
#include "game/world/GamePhase.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "platform/Sys.h"
#include "widgets/ButtonWidget.h"

#include <cstdio>
#include <string>

namespace Quor {

namespace {

// Button and hover image names of the places, in place order.
constexpr const char* kPlaceImages[CountryMap::kPlaceCount][2] = {
    {"GC%d_BTN_CELLAR", "GC%d_BTN_CELLAR_O"},   {"GC%d_BTN_SUPPLIER", "GC%d_BTN_SUPPLIER_O"},
    {"GC%d_BTN_MISSION", "GC%d_BTN_MISSION_O"}, {"GC%d_BTN_TRAVEL", "GC%d_BTN_TRAVEL_O"},
    {"GC%d_BTN_FACTORY", "GC%d_BTN_FACTORY_O"},
};

// The panels the places open.
constexpr int kPlacePanels[CountryMap::kPlaceCount] = {PANEL_CELLAR, PANEL_SUPPLIER, PANEL_MISSION_HOUSE,
                                                      PANEL_WORLD_MAP, PANEL_FACTORY};

// Countries without a sky strip: Japan, India and Russia.
bool HasSky(int country)
{
    return country != 2 && country != 3 && country != 6;
}

std::string CountryGroup(int country)
{
    return "GameCountry" + std::to_string(country);
}

void Log(const char* format, int a, int b = 0)
{
    char line[160];
    std::snprintf(line, sizeof(line), format, a, b);
    plat::DebugOutput(line);
}

} // namespace

CountryMap::CountryMap(GamePhase* owner) : GamePanel(owner)
{
    mFadeAlpha = 0;
    mFadingIn = false;
    mFadingOut = false;
}

CountryMap::~CountryMap()
{
    DeleteScene();
    if (mCountry >= 0)
        UnloadCountry(mCountry);
    DeletePlaceButtons();
}

Image* CountryMap::CountryImage(const char* pattern) const
{
    char name[48];
    std::snprintf(name, sizeof(name), pattern, mCountry);
    return ResourceImageById(ResourceIdByName(name));
}

void CountryMap::SetCountry(int country)
{
    GameApp* app = mOwner->mApp;
    if (country != mCountry) {
        if (mCountry >= 0)
            UnloadCountry(mCountry);
        LoadCountry(country);
        mCountry = country;
        mOwner->mProfile->country = country;
    }
    mPendingPlace = -1;
    app->PlayCountryMusic(country);
    MakePlaceButtons();
    if (GamePanel* info = mOwner->mPanels[PANEL_INFO])
        info->SetShown(true);
    mFadingOut = false;
    mFadeAlpha = 254;
    mFadingIn = true;
}

void CountryMap::MakePlaceButtons()
{
    // Buttons of an earlier call go first, so none is made twice.
    DeletePlaceButtons();
    const auto found = mOwner->mApp->countryMapTable.find(mCountry);
    if (found == mOwner->mApp->countryMapTable.end()) {
        Log("Country %d has no map record; it shows no places\n", mCountry);
        return;
    }
    const CountryMapRecord& record = found->second;
    const int places = record.placePos.size() == kPlaceCount ? kPlaceCount : PLACE_FACTORY;
    for (int place = 0; place < places; ++place) {
        const auto pos = record.placePos.find(place);
        Image* image = CountryImage(kPlaceImages[place][0]);
        if (pos == record.placePos.end() || image == nullptr) {
            Log(pos == record.placePos.end() ? "Country %d lists no place %d; it gets no button\n"
                                             : "Country %d has no picture for place %d; it gets no button\n",
                mCountry, place);
            continue;
        }
        mHovers[place] = PlaceHover{place, CountryImage(kPlaceImages[place][1]), false};
        ButtonWidget* button = MakeImageButton(place, this, image, image, image, pos->second.x, pos->second.y);
        mOwner->AddWidget(button);
        mPlaceButtons.push_back(button);
    }
}

void CountryMap::DeletePlaceButtons()
{
    for (ButtonWidget* button : mPlaceButtons) {
        mOwner->RemoveWidget(button);
        delete button;
    }
    mPlaceButtons.clear();
    mHovers.clear();
}

void CountryMap::LoadCountry(int country)
{
    GameApp* app = mOwner->mApp;
    app->LoadGroupInForeground(CountryGroup(country).c_str(), [country](ResourceManager* rm) {
        return BindGameCountryResources(rm, country);
    });
    LoadLogo();
    delete mIcon;
    mIcon = app->LoadImageFile("images/logo/icon" + std::to_string(mOwner->mProfile->logo.logoIndex) + ".png");
}

void CountryMap::LoadLogo()
{
    delete mLogo;
    mLogo = mOwner->mApp->LoadImageFile("images/logo/" + std::to_string(mOwner->mProfile->logo.logoIndex) + ".png");
}

void CountryMap::UnloadCountry(int country)
{
    mOwner->mApp->resourceManager->DeleteResources(CountryGroup(country));
    delete mLogo;
    delete mIcon;
    mLogo = nullptr;
    mIcon = nullptr;
}

void CountryMap::Tick(double dt)
{
    if (mBusy || mCountry < 0)
        return;
    mClock += dt;
    if (mClock >= kClockCycle)
        mClock -= kClockCycle;
    if (mScene != nullptr)
        mScene->Update(dt);
    StepFade(dt, kFadeSpeed);
}

void CountryMap::Draw(Graphics* g)
{
    if (mBusy)
        return;
    g->SetColor(Color::Black);
    g->FillRect(0, 0, mWidth, mHeight);
    if (mCountry < 0)
        return;
    const float zoom = float(mFadeAlpha / 255.0);
    g->SetScale(zoom, zoom, kZoomX, kZoomY);
    g->SetColor(Color(255, 255, 255, mFadeAlpha));
    g->SetColorizeImages(true);
    if (Image* background = CountryImage("GC%d_BG"))
        g->DrawImage(background, 0, 0);
    if (mScene != nullptr) {
        mScene->mBackLayer->DrawAll(g);
        // The effects leave colouring off.
        g->SetColor(Color(255, 255, 255, mFadeAlpha));
        g->SetColorizeImages(true);
    }
    for (ButtonWidget* button : mPlaceButtons)
        button->DrawIfVisible(g);
    for (ButtonWidget* button : mPlaceButtons) {
        const PlaceHover& hover = mHovers[button->mId];
        if (hover.hover && hover.image != nullptr)
            g->DrawImage(hover.image, button->mX, button->mY);
    }
    if (mScene != nullptr) {
        mScene->mFrontLayer->DrawAll(g);
        g->SetColor(Color(255, 255, 255, mFadeAlpha));
        g->SetColorizeImages(true);
    }
    if (HasSky(mCountry))
        DrawSky(g);
    if (Image* name = CountryImage("GC%d_NAME"))
        g->DrawImage(name, GetCenteredX(name->GetWidth()), 0);
    g->SetColorizeImages(false);
    g->SetScale(1.0f, 1.0f, kZoomX, kZoomY);
}

void CountryMap::DrawSky(Graphics* g)
{
    Image* sky = CountryImage("GC%d_SKY");
    if (sky == nullptr)
        return;
    const int width = mOwner->mWidth;
    const int shift = int(width * mClock / kClockCycle);
    g->DrawImageRegion(sky, 0, 0, Rect(shift, 0, width - shift, sky->GetHeight()));
    if (shift > 0)
        g->DrawImageRegion(sky, width - shift, 0, Rect(0, 0, shift, sky->GetHeight()));
}

void CountryMap::FadeInDone()
{
    mFadeAlpha = 255;
    DeleteScene();
    mScene = new CountryScene(mOwner->mApp, mCountry);
    mOwner->CheckGameOver();
}

void CountryMap::FadeOutDone()
{
    DeletePlaceButtons();
    if (GamePanel* info = mOwner->mPanels[PANEL_INFO])
        info->SetShown(false);
    if (mLeaveMode != kLeaveForWorldMap)
        return;
    mOwner->mApp->musicTracks->StopAll();
    mFadeAlpha = 1;
    mFadingOut = true;
    DeleteScene();
    Hide();
    mOwner->ShowPanel(PANEL_WORLD_MAP, mCountry);
    if (mOwner->mPanels[PANEL_WORLD_MAP] == nullptr) {
        // No world map in the game yet: back to the same country, as a world map closed
        // without travelling would do.
        Log("The world map is not part of the game yet; country %d shows again\n", mCountry);
        SetCountry(mCountry);
        ShowAgain();
    }
}

void CountryMap::ButtonDepress(int id)
{
    if (id < 0 || id >= kPlaceCount)
        return;
    if (mOwner->mPanels[PANEL_TUTOR] != nullptr)
        mOwner->TutorPassEvent(id);
    GameApp* app = mOwner->mApp;
    app->PlaySample(SE_UI_CLICK);
    switch (id) {
    case PLACE_CELLAR:
    case PLACE_SUPPLIER:
        Hide();
        if (mOwner->mProfile->tutorialStep != TutorialFinished) {
            OpenPlace(kPlacePanels[id]);
        } else {
            mPendingPlace = id;
            OpenMissionHouse(id);
        }
        break;
    case PLACE_MISSION:
        Hide();
        OpenMissionHouse(PLACE_MISSION);
        break;
    case PLACE_TRAVEL:
        for (ButtonWidget* button : mPlaceButtons)
            mOwner->RemoveWidget(button);
        mLeaveMode = kLeaveForWorldMap;
        // A fade-in still running would fight the fade-out: travel ends it.
        mFadingIn = false;
        mFadeAlpha = 1;
        mFadingOut = true;
        DeleteScene();
        break;
    case PLACE_FACTORY:
        Hide();
        OpenPlace(PANEL_FACTORY);
        break;
    default:
        break;
    }
}

void CountryMap::OpenPlace(int panel)
{
    if (mOwner->mPanels[panel] != nullptr) {
        // Refused with a log line by ShowPanel; the open panel shows this screen again.
        mOwner->ShowPanel(panel, mCountry);
        return;
    }
    mOwner->ShowPanel(panel, mCountry);
    if (mOwner->mPanels[panel] == nullptr) {
        Log("Panel %d is not part of the game yet; the country shows again\n", panel);
        mPendingPlace = -1;
        ShowAgain();
    }
}

void CountryMap::OpenMissionHouse(int slot)
{
    const bool wasOpen = mOwner->mPanels[PANEL_MISSION_HOUSE] != nullptr;
    OpenPlace(PANEL_MISSION_HOUSE);
    GamePanel* house = mOwner->mPanels[PANEL_MISSION_HOUSE];
    GamePanel* dialog = mOwner->mPanels[PANEL_MISSION];
    if (wasOpen || house == nullptr)
        return;
    house->AttachDialog(mCountry, slot, dialog);
    if (dialog != nullptr)
        dialog->OpenNpcDialog(mCountry, slot);
}

void CountryMap::OpenPendingPlace()
{
    const int place = mPendingPlace;
    mPendingPlace = -1;
    switch (place) {
    case PLACE_CELLAR:
    case PLACE_SUPPLIER:
    case PLACE_FACTORY:
        OpenPlace(kPlacePanels[place]);
        break;
    default:
        // Nothing pending, the travel office, or the mission house itself (no click leaves it
        // pending; a second house without a dialog could never close).
        ShowAgain();
        break;
    }
}

void CountryMap::DeleteScene()
{
    if (mScene == nullptr)
        return;
    mScene->Destroy();
    delete mScene;
    mScene = nullptr;
}

void CountryMap::Hide()
{
    mBusy = true;
    for (ButtonWidget* button : mPlaceButtons)
        mOwner->RemoveWidget(button);
}

void CountryMap::ShowAgain()
{
    LoadLogo();
    mBusy = false;
    for (ButtonWidget* button : mPlaceButtons)
        mOwner->AddWidget(button);
    UpdateVisitState();
    mOwner->CheckGameOver();
}

void CountryMap::ButtonMouseEnter(int id)
{
    if (auto hover = mHovers.find(id); hover != mHovers.end())
        hover->second.hover = true;
    ShowButtonHover(mOwner->mApp, mOwner);
}

void CountryMap::ButtonMouseLeave(int id)
{
    if (auto hover = mHovers.find(id); hover != mHovers.end())
        hover->second.hover = false;
    mOwner->ShowFinger(false);
}

void CountryMap::UpdateVisitState()
{
    mVisitState = 0;
    GamePanel* dialog = mOwner->mPanels[PANEL_MISSION];
    if (dialog == nullptr || mCountry < 0)
        return;
    const int questId = dialog->FindOfferedQuest((mCountry + 1) * 10 + 1, true);
    if (questId < 0)
        return;
    mVisitState = 1;
    const auto quest = mOwner->mApp->questTable.find(questId);
    if (quest == mOwner->mApp->questTable.end())
        return;
    const auto state = mOwner->mProfile->quests.find(questId);
    const std::vector<QuestEntry>& targets = quest->second.Target;
    for (size_t i = 0; i < targets.size(); ++i) {
        const QuestEntry& target = targets[i];
        if (target.Type != 5 || target.Prop.empty() || target.Prop[0] != mCountry)
            continue;
        bool done = false;
        if (state != mOwner->mProfile->quests.end())
            if (auto flag = state->second.targets.find(int(i)); flag != state->second.targets.end())
                done = flag->second;
        if (done)
            continue;
        mVisitState = i == 0 ? 1 : 2;
        return;
    }
}

} // namespace Quor
