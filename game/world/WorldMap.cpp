#include "game/world/WorldMap.h"

#include "game/shell/DCapResource.h"
#include "game/shell/GameApp.h"
#include "game/shell/MenuScreen.h"
#include "game/shell/PlayerProfile.h"
#include "game/shell/ResourceBinding.h"
#include "game/world/CountryMap.h"
#include "game/world/GamePhase.h"
#include "game/world/WorldTravel.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "widgets/ButtonWidget.h"

#include <cmath>
#include <string>

namespace Quor {

namespace {

constexpr double kFadeSpeed = 300.0;  // alpha per second
constexpr int kHoverBoxDx = -55;      // the travel box's corner from the button's
constexpr int kHoverBoxDy = -100;

Image* NamedImage(const std::string& name)
{
    return ResourceImageById(ResourceIdByName(name.c_str()));
}

// The column of the head-up display's factory status that shows a country's factory.
int FactoryColumn(int country)
{
    switch (country) {
    case 2:
        return 1;
    case 5:
        return 2;
    case 7:
        return 3;
    default:
        return 0;
    }
}

} // namespace

WorldMap::WorldMap(GamePhase* owner, int currentCountry) : GamePanel(owner), mCurrentCountry(currentCountry)
{
    GameApp* app = owner->mApp;
    app->PlayMusicFile("music/worldmap.ogg");

    mOkButton = MakeImageButton(ID_OK, this, BTN_OK2, BTN_OK2_O, BTN_OK2_C, (1024 - ImageWidth(BTN_OK2)) / 2, 380);
    TakeControl(mOkButton);
    mBlocker = new Widget();
    mBlocker->Resize(0, 0, owner->mWidth, owner->mHeight);
    TakeControl(mBlocker);

    app->LoadGroupInForeground("GameWorldMap", &BindGameWorldMapResources);

    const PlayerProfile& profile = *owner->mProfile;
    for (int i = 0; i < kCountryCount; ++i) {
        const std::string name = "GM_BTN_C_" + std::to_string(i);
        Image* image = NamedImage(name);
        Image* over = NamedImage(name + "_O");
        ButtonWidget* button = MakeImageButton(i, this, image, over, image, 0, 0);
        button->mDisabledImage = GM_BTN_C_D;
        // A country without an entry counts as not released; the lookup adds none.
        const auto released = profile.countries.find(i);
        button->SetDisabled(released == profile.countries.end() || !released->second);
        button->Resize(0, 0, ImageWidth(over), ImageHeight(over));
        AddControl(button);
        mCountryButtons.push_back(button);
    }
    for (int i = 0; i < kCountryCount; ++i)
        mCountryButtons[size_t(i)]->Move(kCountryPositions[i].x, kCountryPositions[i].y);
    ComputeTravelDays();

    mMenuButton = MakeImageButton(ID_MENU, this, BTN_MENU, BTN_MENU_O, BTN_MENU, 10, 15, true);
    AddControl(mMenuButton);
    mBackButton = MakeImageButton(ID_BACK, this, BTN_BACK3, BTN_BACK3_O, BTN_BACK3,
                                  owner->mWidth - ImageWidth(BTN_BACK3) - 10, 10, true);
    AddControl(mBackButton);

    mFadeAlpha = 254;
    mFadingIn = true;
    mFadingOut = false;
}

WorldMap::~WorldMap()
{
    delete mTravel;
    mTravel = nullptr;
    ReleaseScreenGroup(mOwner->mApp, "GameWorldMap");
}

int WorldMap::TravelModeBetween(int from, int to)
{
    const double dx = kCountryPositions[to].x - kCountryPositions[from].x;
    const double dy = kCountryPositions[to].y - kCountryPositions[from].y;
    const int distance = int(std::sqrt(dx * dx + dy * dy));
    if (distance < 300)
        return WorldTravel::MODE_TRAIN;
    if (distance < 500)
        return WorldTravel::MODE_SHIP;
    return WorldTravel::MODE_PLANE;
}

int WorldMap::TicketPrice(int travelMode)
{
    switch (travelMode) {
    case WorldTravel::MODE_TRAIN:
        return 150;
    case WorldTravel::MODE_SHIP:
        return 350;
    case WorldTravel::MODE_PLANE:
        return 1000;
    default:
        return 0;
    }
}

void WorldMap::ComputeTravelDays()
{
    for (int i = 0; i < kCountryCount; ++i)
        mTravelMode[i] = i == mCurrentCountry ? 0 : TravelModeBetween(mCurrentCountry, i);
}

void WorldMap::Tick(double dt)
{
    if (mTravel != nullptr && mTravel->Update(dt)) {
        // The animation is over and has returned: only now is it freed.
        delete mTravel;
        mTravel = nullptr;
        StartFadeOut();
    }
    StepFade(dt, kFadeSpeed);
}

void WorldMap::StartFadeOut()
{
    // A fade-in still running would fight the fade-out and the map would never close.
    mFadingIn = false;
    mFadeAlpha = 1;
    mFadingOut = true;
}

void WorldMap::FadeOutDone()
{
    if (mDestination >= 0 && mDestination < kCountryCount) {
        if (auto* countryMap = dynamic_cast<CountryMap*>(mOwner->mPanels[PANEL_COUNTRY_MAP])) {
            countryMap->SetCountry(mDestination);
            countryMap->ShowAgain();
        }
    }
    // Freed at the next update of the game screen, after this tick has returned.
    mOwner->ClosePanel(PANEL_WORLD_MAP);
}

void WorldMap::Draw(Graphics* g)
{
    g->SetColor(Color::Black);
    g->DrawRect(0, 0, mWidth, mHeight);
    g->SetColor(Color(255, 255, 255, mFadeAlpha));
    g->SetColorizeImages(true);
    if (GW_BG != nullptr)
        g->DrawImage(GW_BG, 0, 0);
    for (ButtonWidget* button : mCountryButtons)
        button->DrawIfVisible(g);
    DrawFactoryIcons(g);
    if (mHoveredCountry >= 0 && mHoveredCountry < kCountryCount)
        DrawTravelBox(g);
    if (mHintShown)
        DrawMessageBox(g);
    g->SetColorizeImages(false);
    if (mTravel != nullptr)
        mTravel->Draw(g);
}

void WorldMap::DrawFactoryIcons(Graphics* g)
{
    const PlayerProfile& profile = *mOwner->mProfile;
    GamePanel* info = mOwner->mPanels[PANEL_INFO];
    for (int i = 0; i < kCountryCount; ++i) {
        const auto factory = profile.factories.find(i);
        if (factory == profile.factories.end() || !factory->second.firstFlag)
            continue;
        const bool ready = info != nullptr && info->FactoryColumnState(FactoryColumn(i)) == 1;
        if (Image* icon = ready ? GM_FS_FAC_NORMAL : GM_FS_FAC_ERROR)
            g->DrawImage(icon, kCountryPositions[i].x + 40, kCountryPositions[i].y - 25);
    }
}

void WorldMap::DrawTravelBox(Graphics* g)
{
    const int bx = kCountryPositions[mHoveredCountry].x;
    const int by = kCountryPositions[mHoveredCountry].y;
    g->SetScale(0.5f, 0.5f, float(bx + kHoverBoxDx), float(by + kHoverBoxDy));
    if (GM_HINT_BG != nullptr)
        g->DrawImage(GM_HINT_BG, bx + kHoverBoxDx, by + kHoverBoxDy);
    g->SetScale(1.0f, 1.0f, float(bx + kHoverBoxDx), float(by + kHoverBoxDy));
    g->SetFont(FONT_S16);
    g->SetColor(Color::White);
    const auto& records = mOwner->mApp->countryMapTable;
    if (const auto record = records.find(mHoveredCountry); record != records.end())
        g->DrawString(record->second.Name, bx - 30, by - 68);
    const int mode = mTravelMode[mHoveredCountry];
    g->DrawWrappedTextAt("Ticket $" + std::to_string(TicketPrice(mode)), bx - 30, by - 38, 10000000, -1, -1);
    g->DrawWrappedTextAt("Travelling\n  days : " + std::to_string(mode), bx - 30, by - 15, 200, 18, -1);
}

void WorldMap::DrawMessageBox(Graphics* g)
{
    g->SetColor(Color(0, 0, 0, 128));
    g->FillRect(0, 0, mOwner->mWidth, mOwner->mHeight);
    const int boxWidth = ImageWidth(GM_HINT_BG);
    const int cx = (1024 - boxWidth) / 2;
    g->SetFont(FONT_S16);
    g->SetColor(Color::White);
    if (GM_HINT_BG != nullptr)
        g->DrawImage(GM_HINT_BG, cx, 200);
    g->DrawWrappedTextAt(mHintText, cx + 40, 250, boxWidth - 80, 20, -1);
    mOkButton->DrawIfVisible(g);
}

void WorldMap::RemoveMapButtons()
{
    for (ButtonWidget* button : mCountryButtons)
        RemoveControl(button);
    RemoveControl(mMenuButton);
    RemoveControl(mBackButton);
}

void WorldMap::ButtonDepress(int id)
{
    if (mOwner->mPanels[PANEL_TUTOR] != nullptr)
        mOwner->TutorPassEvent(id);
    GameApp* app = mOwner->mApp;
    app->PlaySample(SE_UI_CLICK);
    if (id == mCurrentCountry || id == ID_BACK) {
        RemoveMapButtons();
        mDestination = mCurrentCountry;
        StartFadeOut();
    } else if (id >= 0 && id < kCountryCount) {
        TravelToCountry(id);
    } else if (id == ID_MENU) {
        app->ShowScreen(SCREEN_QUIT, 2);
    } else if (id == ID_OK) {
        RemoveControl(mBlocker);
        RemoveControl(mOkButton);
        mHintShown = false;
        mHintText.clear();
    }
}

void WorldMap::TravelToCountry(int country)
{
    if (country < 0 || country >= kCountryCount)
        return;
    PlayerProfile& profile = *mOwner->mProfile;
    const int mode = mTravelMode[country];
    const int ticket = TicketPrice(mode);
    if (profile.money < ticket) {
        mHintShown = true;
        mHintText = kNoMoneyText;
        // Above the country buttons, so that they get no clicks.
        AddControl(mBlocker);
        AddControl(mOkButton);
        return;
    }
    profile.money -= ticket;
    RemoveMapButtons();
    mDestination = country;
    // The travel days pass at once, before the animation.
    for (int day = 0; day < mode; ++day) {
        mOwner->RollDay();
        if (GamePanel* mission = mOwner->mPanels[PANEL_MISSION])
            mission->CheckQuestUnlocks(-1);
        if (GamePanel* info = mOwner->mPanels[PANEL_INFO])
            info->RefreshFactoryStatus();
    }
    mTravel = new WorldTravel(mode, mOwner);
}

void WorldMap::ButtonMouseEnter(int id)
{
    if (id >= 0 && id < kCountryCount)
        mHoveredCountry = id;
    ShowButtonHover(mOwner->mApp, mOwner);
}

void WorldMap::ButtonMouseLeave(int id)
{
    if (id >= 0 && id < kCountryCount)
        mHoveredCountry = -1;
    mOwner->ShowFinger(false);
}

} // namespace Quor
