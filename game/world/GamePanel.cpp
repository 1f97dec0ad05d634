#include "game/world/GamePanel.h"

#include "game/world/GamePhase.h"

#include <algorithm>

namespace Quor {

GamePanel::GamePanel(GamePhase* owner) : mOwner(owner) {}

GamePanel::~GamePanel()
{
    // A control still in the tree leaves its parent as it goes (Widget's destructor).
    for (Widget* control : mControls)
        delete control;
    mControls.clear();
}

void GamePanel::AddControl(Widget* control)
{
    if (control == nullptr || mOwner == nullptr)
        return;
    TakeControl(control);
    mOwner->AddWidget(control);
}

void GamePanel::TakeControl(Widget* control)
{
    if (control != nullptr && std::find(mControls.begin(), mControls.end(), control) == mControls.end())
        mControls.push_back(control);
}

void GamePanel::RemoveControl(Widget* control)
{
    if (mOwner != nullptr && control != nullptr)
        mOwner->RemoveWidget(control);
}

void GamePanel::RemoveControls()
{
    for (Widget* control : mControls)
        RemoveControl(control);
}

void GamePanel::StepFade(double dt, double speed)
{
    if (mFadingIn && mFadeAlpha < 255) {
        mFadeAlpha = int(mFadeAlpha + dt * speed);
        if (mFadeAlpha >= 255) {
            mFadeAlpha = 255;
            mFadingIn = false;
            FadeInDone();
        }
    }
    if (mFadingOut && mFadeAlpha > 0) {
        mFadeAlpha = int(mFadeAlpha - dt * speed);
        if (mFadeAlpha <= 0) {
            mFadeAlpha = 0;
            mFadingOut = false;
            FadeOutDone();
        }
    }
}

void GamePanel::DrawDimLayer(Graphics* g)
{
    (void)g;
}

bool GamePanel::IsTravelRunning()
{
    return false;
}

int GamePanel::FactoryColumnState(int column)
{
    (void)column;
    return -1;
}

void GamePanel::SetText(const std::string& text, int x, int y)
{
    (void)text;
    (void)x;
    (void)y;
}

void GamePanel::SetShown(bool shown)
{
    (void)shown;
}

void GamePanel::ShowMoneyEffect() {}

bool GamePanel::TutorPassEvent(int event)
{
    (void)event;
    return false;
}

void GamePanel::RebuildQuestList() {}

void GamePanel::Rebuild(int questId, int targetIndex)
{
    (void)questId;
    (void)targetIndex;
}

void GamePanel::OpenNpcDialog(int country, int slot)
{
    (void)country;
    (void)slot;
}

int GamePanel::FindOfferedQuest(int npcId, bool offeredOnly)
{
    (void)npcId;
    (void)offeredOnly;
    return -1;
}

void GamePanel::ShowNextReward() {}

void GamePanel::AttachDialog(int country, int slot, GamePanel* dialog)
{
    (void)country;
    (void)slot;
    (void)dialog;
}

void GamePanel::CheckQuestUnlocks(int finishedQuestId)
{
    (void)finishedQuestId;
}

void GamePanel::UpdateQuestTargets() {}

void GamePanel::RefreshSlots() {}

void GamePanel::RefreshOffers() {}

void GamePanel::FocusLost() {}

void GamePanel::RefreshFactoryStatus() {}

void GamePanel::RefreshInventory() {}

void GamePanel::ShowProductionResult() {}

} // namespace Quor
