#include "game/shell/MainMenu.h"

#include "game/shell/GameApp.h"
#include "game/shell/MenuScreen.h"
#include "game/shell/ParticleSet.h"
#include "game/shell/ParticleSystem.h"
#include "game/shell/ResourceBinding.h"
#include "display/DDImage.h"
#include "graphics/Color.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "widgets/ButtonWidget.h"
#include "widgets/WidgetManager.h"

#include <cstdio>
#include <cstdlib>

namespace Quor {

namespace {

struct MenuButton {
    Image** image;
    Image** over;
    int x;
    int y;
};

// Buttons 1 and 2 lie just right of the window and never take a click.
const MenuButton kButtons[8] = {
    {&MM_BTN0, &MM_BTN0_O, 15, 646},   {&MM_BTN1, &MM_BTN1_O, 1024, 321}, {&MM_BTN2, &MM_BTN2_O, 1024, 450},
    {&MM_BTN3, &MM_BTN3_O, 187, 646},  {&MM_BTN4, &MM_BTN4_O, 353, 646},  {&MM_BTN5, &MM_BTN5_O, 695, 646},
    {&MM_BTN6, &MM_BTN6_O, 882, 646},  {&MM_BTN7, &MM_BTN7_O, 537, 646},
};

const char* const kEditorLabels[4] = {"Source Editor", "BluePrint Editor", "NPC Editor", "Quest Editor"};

} // namespace

MainMenu::MainMenu(GameApp* app) : mApp(app)
{
    mDeveloper = !mApp->profiles.empty() && mApp->GetCurrentProfile().DeveloperFlag;
    mApp->PlayMusicFile("music/Main_page.ogg");
    // A shutdown while the group loads leaves the menu empty: it is never shown.
    if (LoadScreenGroup(mApp, "MenuMain", &BindMenuMainResources) != GroupLoad::Loaded)
        return;

    char name[64];
    for (int i = 0; i < 8; ++i) {
        std::snprintf(name, sizeof(name), "images/logo/%d.png", i);
        mLogoImages.push_back(mApp->LoadImageFile(name, true));
    }
    for (int i = 0; i < 8; ++i) {
        std::snprintf(name, sizeof(name), "images/logo/icon%d.png", i);
        mLogoIcons.push_back(mApp->LoadImageFile(name, true));
    }
    mParticles = new ParticleSet(mApp);

    for (int id = 0; id < 8; ++id) {
        const MenuButton& b = kButtons[id];
        mButtons[id] = MakeImageButton(id, this, *b.image, *b.over, *b.image, b.x, b.y);
    }
    for (int k = 0; k < 4; ++k) {
        auto* button = new ButtonWidget(8 + k, this);
        button->mBtnNoDraw = true;
        button->Resize(700, 100 + 40 * k, 100, 25);
        button->mLabel = kEditorLabels[k];
        mEditorButtons[k] = button;
    }
    PickLogoSlots();
}

MainMenu::~MainMenu()
{
    for (ButtonWidget* button : mButtons)
        DeleteChild(this, button);
    for (ButtonWidget* button : mEditorButtons)
        DeleteChild(this, button);
    if (mParticles) {
        mParticles->Clear();
        delete mParticles;
    }
    for (auto it = mLogoImages.rbegin(); it != mLogoImages.rend(); ++it)
        delete *it;
    for (auto it = mLogoIcons.rbegin(); it != mLogoIcons.rend(); ++it)
        delete *it;
    ReleaseScreenGroup(mApp, "MenuMain");
}

void MainMenu::AddedToManager(WidgetManager* manager)
{
    // The base operation is not called.
    (void)manager;
    for (ButtonWidget* button : mButtons)
        if (button)
            AddWidget(button);
    if (mDeveloper)
        for (ButtonWidget* button : mEditorButtons)
            if (button)
                AddWidget(button);
    mFadeAlpha = 0;
    mFadingIn = true;
}

void MainMenu::Update()
{
    if (mApp->mActive && mApp->mUpdateCount % 2 == 0)
        Tick(0.02);
}

void MainMenu::Tick(double dt)
{
    if (mParticles)
        mParticles->Update(dt);
    Widget::Tick(dt);
    SetDirty();
}

void MainMenu::Draw(Graphics* g)
{
    if (!mApp->mActive)
        return;
    g->SetColor(Color(0, 0, 0));
    g->FillRect(0, 0, mWidth, mHeight);
    g->SetColor(Color(255, 255, 255, mFadeAlpha));
    g->SetColorizeImages(true);
    if (MM_BG)
        g->DrawImage(MM_BG, 0, 0);
    for (ButtonWidget* button : mButtons)
        if (button)
            button->DrawIfVisible(g);
    if (mDeveloper)
        for (ButtonWidget* button : mEditorButtons)
            if (button)
                button->DrawIfVisible(g);
    g->SetColor(Color(170, 5, 0, mFadeAlpha));
    g->SetFont(FONT_B18);
    if (FONT_B18)
        g->DrawWrappedTextAt(Greeting(), 506, 642, 160, 32, -1);
    g->SetColorizeImages(false);
    if (mParticles)
        mParticles->Draw(g);
}

std::string MainMenu::Greeting() const
{
    return (mApp->profiles.empty() ? std::string() : mApp->GetCurrentProfile().name) + "!";
}

void MainMenu::StartFadeOut()
{
    RemoveAllWidgets(false, false);
    mFadeAlpha = 255;
    mFadingOut = true;
    mFadingIn = false;
}

void MainMenu::OpenOver(int id, int mode)
{
    mApp->ShowScreen(id, mode);
}

void MainMenu::ButtonDepress(int id)
{
    mApp->PlaySample(SE_UI_MENUCLICK);
    switch (id) {
    case 0:
        mNextScreen = SCREEN_GAME;
        StartFadeOut();
        break;
    case 1:
        mApp->RemoveScreen(SCREEN_MAIN_MENU);
        mApp->ShowScreen(SCREEN_EDITOR, 1);
        break;
    case 2:
        OpenOver(SCREEN_HELP, 0);
        break;
    case 3:
        OpenOver(SCREEN_OPTION, 0);
        break;
    case 4:
        mNextScreen = SCREEN_AWARD;
        StartFadeOut();
        break;
    case 5:
        mNextScreen = SCREEN_SCORE;
        StartFadeOut();
        break;
    case 6:
        OpenOver(SCREEN_QUIT, 1);
        break;
    case 7:
        OpenOver(SCREEN_ACCOUNT, 0);
        break;
    case 8:
        mApp->RemoveScreen(SCREEN_MAIN_MENU);
        mApp->ShowScreen(SCREEN_EDITOR, 1);
        break;
    case 9:
        mApp->RemoveScreen(SCREEN_MAIN_MENU);
        mApp->ShowScreen(SCREEN_LOGO, 0);
        break;
    case 10:
        mApp->RemoveScreen(SCREEN_MAIN_MENU);
        mApp->ShowScreen(SCREEN_EDITOR, 3);
        break;
    case 11:
        mApp->RemoveScreen(SCREEN_MAIN_MENU);
        mApp->ShowScreen(SCREEN_EDITOR, 2);
        break;
    case ID_UPGRADE_EFFECT:
        if (mParticles) {
            auto* system = new ParticleSystem("particle/FX_upgrade.psi", 0);
            if (mParticles->Add(-1, system) < 0)
                delete system;
            else
                system->StartAt(512, 384);
        }
        break;
    default:
        break;
    }
}

void MainMenu::ButtonMouseEnter(int id)
{
    (void)id;
    ShowButtonHover(mApp, this);
}

void MainMenu::FadeOutDone()
{
    CloseScreen(mApp, this, SCREEN_MAIN_MENU);
    mApp->ShowScreen(mNextScreen, 0);
}

void MainMenu::PickLogoSlots()
{
    mLogoPlaces = {{663, 110}, {663, 210}, {663, 307}, {820, 110}, {820, 210},
                   {820, 312}, {978, 110}, {978, 210}, {978, 309}};
    const int count = int(mLogoPlaces.size());
    for (int k = 0; k < 4; ++k) {
        bool taken;
        do {
            mChosenPlaces[k] = std::rand() % count;
            taken = false;
            for (int j = 0; j < k; ++j)
                taken = taken || mChosenPlaces[j] == mChosenPlaces[k];
        } while (taken);
    }
}

} // namespace Quor
