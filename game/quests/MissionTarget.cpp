#include "game/quests/MissionTarget.h"

#include "game/quests/MissionFull.h"
#include "game/shell/GameApp.h"
#include "game/shell/MenuScreen.h"
#include "game/shell/ResourceBinding.h"
#include "game/world/GamePhase.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "widgets/ButtonWidget.h"

#include <algorithm>

namespace Quor {

namespace {

constexpr int kTalkTarget = 5;

bool TargetDone(const QuestState& state, int index)
{
    auto flag = state.targets.find(index);
    return flag != state.targets.end() && flag->second;
}

} // namespace

MissionTarget::MissionTarget(GamePhase* owner) : mOwner(owner)
{
    Resize(250, 627, 530, 100);
}

MissionTarget::~MissionTarget()
{
    DeleteRowButtons();
}

void MissionTarget::DeleteRowButtons()
{
    for (ButtonWidget* button : mRowButtons) {
        RemoveWidget(button);
        delete button;
    }
    mRowButtons.clear();
}

void MissionTarget::Rebuild()
{
    mRows.clear();
    const GameApp& app = *mOwner->mApp;
    for (const auto& [id, state] : mOwner->mProfile->quests) {
        if (state.finished || !TargetDone(state, 0))
            continue;
        auto found = app.questTable.find(id);
        if (found == app.questTable.end())
            continue;
        const QuestRecord& quest = found->second;
        const int count = int(quest.Target.size());
        mRows.push_back({QuestListRow::HEADER, quest.Des, id, 0, ""});
        // n: the first open talk step; k: the last done talk step before it.
        int n = count;
        int k = 0;
        for (const auto& [index, done] : state.targets) {
            if (index < 0 || index >= count || quest.Target[size_t(index)].Type != kTalkTarget)
                continue;
            if (!done) {
                n = index;
                break;
            }
        }
        for (int i = 0; i < n && i < count; ++i)
            if (quest.Target[size_t(i)].Type == kTalkTarget && TargetDone(state, i))
                k = i;
        int step = k + 1;
        while (step < count && TargetDone(state, step))
            ++step;
        if (step >= count)
            continue;
        const QuestEntry& target = quest.Target[size_t(step)];
        QuestListRow row{QuestListRow::STEP, target.SubDes, id, step, ""};
        if (target.Type == kTalkTarget && target.Prop.size() > 1)
            if (auto npc = app.npcTable.find(target.Prop[1]); npc != app.npcTable.end())
                row.picture = npc->second.Img;
        mRows.push_back(row);
    }
    mRowCount = int(mRows.size());
    CreateRowButtons();
}

void MissionTarget::CreateRowButtons()
{
    DeleteRowButtons();
    for (int i = std::max(mFirstRow, 0); i < mRowCount && i < mFirstRow + kVisibleRows; ++i) {
        const QuestListRow& row = mRows[size_t(i)];
        if (row.targetIndex != 0)
            continue;
        ButtonWidget* button = MakeImageButton(row.questId, this, BTN_DETAILS, BTN_DETAILS_O, BTN_DETAILS_C, 430,
                                               kRowHeight * (i - mFirstRow) - 9);
        button->Resize(button->mX, button->mY, ImageWidth(BTN_DETAILS_O), ImageHeight(BTN_DETAILS_O));
        AddWidget(button);
        mRowButtons.push_back(button);
    }
}

const QuestRecord* MissionTarget::NeighbourQuest(int questId, bool previous) const
{
    std::vector<int> ids;
    for (const QuestListRow& row : mRows)
        if (row.kind == QuestListRow::HEADER)
            ids.push_back(row.questId);
    if (mRowButtons.empty() || ids.empty())
        return nullptr;
    const int count = int(ids.size());
    const int p = int(std::find(ids.begin(), ids.end(), questId) - ids.begin());
    int at = 0;
    if (p == count)
        at = previous ? count - 1 : 0;
    else if (previous)
        at = p == 0 ? count - 1 : p - 1;
    else
        at = p == count - 1 ? 0 : p + 1;
    const auto& quests = mOwner->mApp->questTable;
    auto found = quests.find(ids[size_t(at)]);
    return found == quests.end() ? nullptr : &found->second;
}

void MissionTarget::DrawAll(ModalFlags* flags, Graphics* g)
{
    (void)flags;
    (void)g;
}

void MissionTarget::Draw(Graphics* g)
{
    g->PushState();
    g->Translate(mX, mY);
    g->ClipRect(0, 0, mWidth, mHeight);
    // Only the rows that can show are drawn; the others fall outside the clip.
    const int last = std::min(mRowCount, mFirstRow + kVisibleRows + 1);
    for (int i = std::max(mFirstRow - 1, 0); i < last; ++i) {
        const QuestListRow& row = mRows[size_t(i)];
        const int y = kRowHeight * i - kRowHeight * mFirstRow - 2;
        if (row.kind == QuestListRow::HEADER) {
            g->SetFont(FONT_T14);
            g->SetColor(Color(80, 20, 0));
            g->DrawString(row.text, 0, y + 20);
        } else {
            g->SetFont(FONT_T13);
            g->SetColor(Color(120, 60, 40));
            g->DrawString(row.text, 60, y + 20);
            if (MP_TICK != nullptr)
                g->DrawImage(MP_TICK, 20, y + 2);
            if (row.kind == QuestListRow::STEP_TICKED && MP_TICK_BG != nullptr)
                g->DrawImage(MP_TICK_BG, 20, y + 2);
        }
        if (!row.picture.empty())
            if (Image* picture = ResourceImageById(ResourceIdByName(row.picture.c_str()))) {
                g->SetScale(0.1f, 0.1f, 0.0f, float(y));
                g->DrawImage(picture, 0, y);
                g->SetScale(1.0f, 1.0f, 0.0f, float(y));
            }
    }
    for (ButtonWidget* button : mRowButtons)
        button->DrawIfVisible(g);
    g->PopState();
}

void MissionTarget::ButtonDepress(int id)
{
    mOwner->mApp->PlaySample(SE_UI_CLICK);
    if (mOwner->mPanels[PANEL_MISSION_FULL] != nullptr)
        return;
    auto* full = new MissionFull(mOwner, this);
    mOwner->mPanels[PANEL_MISSION_FULL] = full;
    full->Resize(0, 0, mOwner->mWidth, mOwner->mHeight);
    full->ShowQuest(id);
}

void MissionTarget::ButtonMouseEnter(int id)
{
    (void)id;
    ShowButtonHover(mOwner->mApp, mOwner);
}

void MissionTarget::ButtonMouseLeave(int id)
{
    (void)id;
    mOwner->ShowFinger(false);
}

} // namespace Quor
