#include "game/shell/Score.h"

#include "game/shell/GameApp.h"
#include "game/shell/MenuScreen.h"
#include "game/shell/ResourceBinding.h"
#include "graphics/Color.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "widgets/ButtonWidget.h"
#include "widgets/WidgetManager.h"

#include <cinttypes>
#include <cstdio>

namespace Quor {

Score::Score(GameApp* app) : mApp(app)
{
    mApp->PlayMusicFile("music/bgm2.ogg");
    CreateDefaultScores(mTable);
    for (size_t slot = 0; slot < 5 && slot < mApp->profiles.size(); ++slot) {
        const PlayerProfile& profile = mApp->profiles[slot];
        if (!profile.name.empty())
            InsertHighScore({profile.name, ProfileScore(profile, *mApp)}, mTable);
    }
    LoadScreenGroup(mApp, "MenuScore", &BindMenuScoreResources);
    mFadeAlpha = 0;
    mFadingIn = true;
}

Score::~Score()
{
    DeleteChild(this, mBackButton);
    ReleaseScreenGroup(mApp, "MenuScore");
}

void Score::AddedToManager(WidgetManager* manager)
{
    (void)manager;
    mBackButton = MakeImageButton(ID_BACK, this, BTN_OK2, BTN_OK2_O, BTN_OK2_C, (mApp->mWidth - ImageWidth(BTN_OK2)) / 2,
                                  530);
    AddWidget(mBackButton);
}

void Score::Update()
{
    if (mApp->mActive && mApp->mUpdateCount % 2 == 0)
        Widget::Tick(0.02);
}

void Score::Draw(Graphics* g)
{
    if (!mApp->mActive)
        return;
    if (MS_MAIN_BG)
        g->DrawImage(MS_MAIN_BG, 0, 0);
    g->SetColor(Color(0, 0, 0, 128));
    g->FillRect(0, 0, mWidth, mHeight);
    g->SetColor(Color(255, 255, 255, mFadeAlpha));
    g->SetColorizeImages(true);
    if (MS_BG)
        g->DrawImage(MS_BG, (mWidth - MS_BG->GetWidth()) / 2, (mHeight - MS_BG->GetHeight()) / 2);
    if (mBackButton)
        mBackButton->DrawIfVisible(g);
    g->SetColorizeImages(false);
    g->SetFont(FONT_B18);
    g->SetColor(Color(80, 20, 0, mFadeAlpha));
    if (!FONT_B18)
        return;
    int row = 0;
    for (const ScoreEntry& entry : mTable) {
        if (row == 5)
            break;
        const int y = 290 + 35 * row;
        char score[32];
        std::snprintf(score, sizeof(score), "%" PRId64, entry.score);
        g->DrawString(entry.name, 330, y);
        g->DrawString(score, 620, y);
        ++row;
    }
}

void Score::ButtonDepress(int id)
{
    mApp->PlaySample(SE_UI_CLICK);
    if (id != ID_BACK)
        return;
    RemoveAllWidgets(false, false);
    mFadeAlpha = 255;
    mFadingOut = true;
    mFadingIn = false;
}

void Score::ButtonMouseEnter(int id)
{
    (void)id;
    ShowButtonHover(mApp, this);
}

void Score::FadeOutDone()
{
    CloseScreen(mApp, this, SCREEN_SCORE);
    mApp->ShowScreen(SCREEN_MAIN_MENU, 0);
}

} // namespace Quor
