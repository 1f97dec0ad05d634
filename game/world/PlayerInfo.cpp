#include "game/world/PlayerInfo.h"

#include "game/quests/MissionTarget.h"
#include "game/shell/GameApp.h"
#include "game/shell/MenuScreen.h"
#include "game/shell/PlayerProfile.h"
#include "game/shell/ResourceBinding.h"
#include "game/world/GamePhase.h"
#include "game/world/InfoPanel.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "widgets/ButtonWidget.h"

namespace Quor {

namespace {

// The tutorial step whose hint box stays empty when no quest step is open.
constexpr int kSilentHintStep = 83;

const Color kDayColor(250, 250, 240);

} // namespace

PlayerInfo::PlayerInfo(GamePhase* owner) : PanelType(owner)
{
    mUp = MakeButton(ID_UP, BTN_UP, BTN_UP_O, BTN_UP, 800, 640);
    mDown = MakeButton(ID_DOWN, BTN_DOWN, BTN_DOWN_O, BTN_DOWN, 800, 700);
    mQuestList = new MissionTarget(owner);
}

PlayerInfo::~PlayerInfo()
{
    HideButton(mUp);
    HideButton(mDown);
    if (mOwner != nullptr)
        mOwner->RemoveWidget(mQuestList);
    delete mUp;
    delete mDown;
    delete mQuestList;
}

void PlayerInfo::SetShown(bool show)
{
    PanelType::SetShown(show);
    if (show) {
        ShowButton(mUp);
        ShowButton(mDown);
        if (mOwner != nullptr)
            mOwner->AddWidget(mQuestList);
        mQuestList->Rebuild();
        return;
    }
    if (mOwner != nullptr)
        mOwner->RemoveWidget(mQuestList);
    HideButton(mUp);
    HideButton(mDown);
}

void PlayerInfo::Rebuild(int questId, int targetIndex)
{
    (void)questId;
    (void)targetIndex;
    mQuestList->mFirstRow = 0;
    mQuestList->Rebuild();
}

void PlayerInfo::ButtonDepress(int id)
{
    mOwner->mApp->PlaySample(SE_UI_CLICK);
    if (id == ID_UP && mQuestList->mFirstRow > 0) {
        mQuestList->mFirstRow -= kPageRows;
        mQuestList->CreateRowButtons();
    } else if (id == ID_DOWN && mQuestList->mFirstRow + kPageRows < mQuestList->mRowCount) {
        mQuestList->mFirstRow += kPageRows;
        mQuestList->CreateRowButtons();
    }
}

void PlayerInfo::ButtonMouseEnter(int id)
{
    (void)id;
    ShowButtonHover(mOwner->mApp, mOwner);
}

void PlayerInfo::ButtonMouseLeave(int id)
{
    (void)id;
    mOwner->ShowFinger(false);
}

void PlayerInfo::Draw(Graphics* g)
{
    if (GM_BG_IP0 != nullptr)
        g->DrawImage(GM_BG_IP0, 178, 767 - GM_BG_IP0->GetHeight());
    DrawCalendar(g);
    mUp->DrawIfVisible(g);
    mDown->DrawIfVisible(g);
    mQuestList->Draw(g);
}

void PlayerInfo::DrawCalendar(Graphics* g)
{
    if (FONT_C_DAY == nullptr)
        return;
    const int day = mOwner->mProfile->day;
    g->SetFont(FONT_C_DAY);
    g->SetColor(kDayColor);
    g->DrawWrappedTextAt(std::to_string(day / 7), 92, 690, 62, -1, 1);
    g->DrawWrappedTextAt(std::to_string(day % 7 + 1), 83, 642, 12, -1, 1);
}

std::string PlayerInfo::HelpText(bool* isStep) const
{
    if (isStep != nullptr)
        *isStep = false;
    for (const QuestListRow& row : mQuestList->mRows) {
        if (row.kind != QuestListRow::STEP)
            continue;
        // The list's first open step, read from the quest's own targets; a record that has gone
        // or lost that target leaves the box empty.
        const auto& quests = mOwner->mApp->questTable;
        auto quest = quests.find(row.questId);
        if (isStep != nullptr)
            *isStep = true;
        if (quest == quests.end() || row.targetIndex < 0 || row.targetIndex >= int(quest->second.Target.size()))
            return "";
        return quest->second.Target[size_t(row.targetIndex)].Des;
    }
    const PlayerProfile& profile = *mOwner->mProfile;
    if (profile.tutorialStep == kSilentHintStep)
        return "";
    return "Good luck " + profile.name +
           ". Remember to visit all buildings in each country. You may find someone who needs your help, or "
           "someone who can help you.";
}

void PlayerInfo::DrawHelp(Graphics* g, int fade)
{
    g->SetColorizeImages(true);
    g->SetColor(Color(0, 0, 0, fade * 128 / 255));
    g->FillRect(0, 0, mOwner->mWidth, mOwner->mHeight);
    g->SetColor(Color(255, 255, 255, fade));
    if (GM_HINT_BG != nullptr)
        g->DrawImage(GM_HINT_BG, (1024 - GM_HINT_BG->GetWidth()) / 2, 230);
    if (auto* bar = dynamic_cast<InfoPanel*>(mOwner->mPanels[PANEL_INFO]))
        bar->mHintOk->DrawIfVisible(g);
    if (FONT_S14 != nullptr) {
        g->SetFont(FONT_S14);
        g->SetColor(Color(250, 250, 240, fade));
        bool isStep = false;
        const std::string text = HelpText(&isStep);
        if (!text.empty()) {
            if (isStep)
                g->DrawWrappedTextAt(text, 356, 290, 305, 30, 0);
            else
                g->DrawWrappedTextAt(text, 356, 280, 305, 25, 0);
        }
    }
    g->SetColorizeImages(false);
}

} // namespace Quor
