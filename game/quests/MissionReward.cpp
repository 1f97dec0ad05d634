#include "game/quests/MissionReward.h"

#include "display/DDImage.h"
#include "game/shell/Award.h"
#include "game/shell/EffectList.h"
#include "game/shell/FXObject.h"
#include "game/shell/GameApp.h"
#include "game/shell/MenuScreen.h"
#include "game/shell/ResourceBinding.h"
#include "game/world/EffectConstruction.h"
#include "game/world/GamePanel.h"
#include "game/world/GamePhase.h"
#include "game/world/Mission.h"
#include "game/world/RewardView.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "platform/Sys.h"
#include "widgets/ButtonWidget.h"

#include <cstdio>

namespace Quor {

namespace {

constexpr int kRewardEffect = 2;  // effect entry of the reward sparkle
constexpr int kFadeStep = 10;
constexpr int kScaleCentreX = 512;
constexpr int kScaleCentreY = 280;

// The number of values (the kind included) a reward kind reads.
size_t ValuesRead(int type)
{
    switch (type) {
    case REWARD_DINNERWARE:
        return 5;
    case REWARD_MATERIAL:
        return 3;
    case REWARD_MONEY: case REWARD_RECIPE: case REWARD_COUNTRY: case REWARD_AWARD: case REWARD_FACTORY:
    case REWARD_TUTORIAL: case REWARD_MINI_GAME:
        return 2;
    default:
        return 1;
    }
}

// The quest reward screen's recipe caption, mini-game pictures and their rows.
const RewardLook kQuestRewardLook = {
    "New Recipe : \nYou get %s !",
    {"images/game_main/btn_mg1_o.png", "images/game_main/btn_mg2_o.png"},
    {253, 218},
};

} // namespace

std::vector<int32_t> RewardValues(const QuestEntry& entry)
{
    std::vector<int32_t> values = entry.Prop;
    if (values.empty())
        values.push_back(entry.Type);
    else
        values[0] = entry.Type;
    return values;
}

bool RewardIsKnown(const GameTables& tables, const PlayerProfile& profile, const std::vector<int32_t>& values,
                   std::string* why)
{
    char line[128];
    const int type = values.empty() ? 0 : values[0];
    if (values.size() < ValuesRead(type)) {
        std::snprintf(line, sizeof(line), "a reward of type %d lacks its values", type);
        *why = line;
        return false;
    }
    if (values.size() < 2)
        return true;
    const int id = values[1];
    bool known = true;
    switch (type) {
    case REWARD_DINNERWARE: case REWARD_RECIPE:
        known = tables.blueprintTable.count(id) != 0;
        break;
    case REWARD_MATERIAL:
        known = tables.sourceTable.count(id) != 0;
        break;
    case REWARD_COUNTRY:
        known = tables.countryMapTable.count(id) != 0;
        break;
    case REWARD_AWARD:
        known = tables.awardTable.count(id) != 0;
        break;
    case REWARD_FACTORY:
        known = profile.factories.count(id) != 0;
        break;
    default:
        break;
    }
    if (!known) {
        std::snprintf(line, sizeof(line), "a reward of type %d names the unknown id %d", type, id);
        *why = line;
    }
    return known;
}

MissionReward::MissionReward(GamePhase* owner, const QuestRecord* quest, int selector)
    : mOwner(owner), mQuest(quest), mSelector(selector)
{
    mOkButton = MakeImageButton(ID_OK, this, BTN_OK2, BTN_OK2_O, BTN_OK2_C, (owner->mWidth - ImageWidth(BTN_OK2)) / 2,
                                485);
    mOkButton->mDoFinger = true;
    mOkButton->SetVisible(false);
}

MissionReward::~MissionReward()
{
    delete mPicture;
    mPicture = nullptr;
    if (mGroupLoaded)
        ReleaseScreenGroup(mOwner->mApp, "GameReward");
    mOwner->RemoveWidget(mOkButton);
    mOwner->mApp->SafeDeleteWidget(mOkButton);
}

const QuestEntry* MissionReward::EntryAt(int index) const
{
    if (mQuest == nullptr || index < 0 || size_t(index) >= mQuest->Reward.size())
        return nullptr;
    const QuestEntry& entry = mQuest->Reward[size_t(index)];
    return !entry.Prop.empty() && entry.Prop[0] == mSelector ? &entry : nullptr;
}

bool MissionReward::ShowNextReward()
{
    delete mPicture;
    mPicture = nullptr;
    GameApp* app = mOwner->mApp;
    PlayerProfile& profile = *mOwner->mProfile;
    const QuestEntry* entry = nullptr;
    for (; mQuest != nullptr && size_t(mIndex) < mQuest->Reward.size(); ++mIndex) {
        entry = EntryAt(mIndex);
        if (entry == nullptr)
            continue;
        std::string why;
        if (RewardIsKnown(*app, profile, RewardValues(*entry), &why))
            break;
        char line[224];
        std::snprintf(line, sizeof(line), "Quest %d: reward %d is skipped: %s\n", mQuest->Id, mIndex, why.c_str());
        plat::DebugOutput(line);
        entry = nullptr;
    }
    if (entry == nullptr) {
        if (GamePanel* dialog = mOwner->mPanels[PANEL_MISSION])
            static_cast<Mission*>(dialog)->CloseNpcDialog();
        return false;
    }
    switch (entry->Type) {
    case REWARD_AWARD: {
        ApplyReward(mIndex);
        LoadRewardPicture(mIndex);
        app->ShowScreen(SCREEN_AWARD, Award::MODE_NEXT_REWARD);
        if (auto* award = dynamic_cast<Award*>(app->screens[SCREEN_AWARD]))
            award->StartAwardGet(entry->Prop[1]);
        return false;
    }
    case REWARD_TUTORIAL:
        if (!profile.DeveloperFlag) {
            profile.tutorialStep = entry->Prop[1];
            // A frame still open would be left blocking the screen: it goes first.
            if (mOwner->mPanels[PANEL_TUTOR] != nullptr) {
                mOwner->ClosePanel(PANEL_TUTOR);
            }
            mOwner->ShowPanel(PANEL_TUTOR, entry->Prop[1]);
        }
        if (GamePanel* dialog = mOwner->mPanels[PANEL_MISSION])
            static_cast<Mission*>(dialog)->CloseNpcDialog();
        return false;
    default:
        break;
    }
    mShown = true;
    LoadRewardPicture(mIndex);
    if (!mGroupLoaded) {
        mGroupLoaded = true;
        // A failure is reported there and asks the program to shut down.
        LoadScreenGroup(app, "GameReward", &BindGameRewardResources);
    }
    mAlpha = 0;
    mFadingIn = true;
    app->PlaySample(SE_TRADE_FIN);
    return true;
}

void MissionReward::LoadRewardPicture(int index)
{
    delete mPicture;
    mPicture = nullptr;
    const QuestEntry* entry = EntryAt(index);
    if (entry == nullptr)
        return;
    const std::string path = RewardPicturePath(RewardValues(*entry), kQuestRewardLook);
    if (!path.empty())
        mPicture = mOwner->mApp->LoadImageFile(path, true);
}

void MissionReward::RewardEffect(int x, int y)
{
    const GameApp& app = *mOwner->mApp;
    if (FXObject* effect = CreateFXObject(app.fxDefs ? &*app.fxDefs : nullptr, kRewardEffect)) {
        effect->mX = x;
        effect->mY = y;
        mOwner->mEffects->Add(effect);
    }
}

void MissionReward::ApplyReward(int index)
{
    const QuestEntry* entry = EntryAt(index);
    GameApp* app = mOwner->mApp;
    PlayerProfile& profile = *mOwner->mProfile;
    std::string why;
    if (entry == nullptr || !RewardIsKnown(*app, profile, RewardValues(*entry), &why))
        return;
    const std::vector<int32_t>& p = entry->Prop;
    auto* dialog = static_cast<Mission*>(mOwner->mPanels[PANEL_MISSION]);
    switch (entry->Type) {
    case REWARD_MONEY:
        profile.money = SaturatingAdd(profile.money, p[1]);
        if (GamePanel* hud = mOwner->mPanels[PANEL_INFO])
            hud->ShowMoneyEffect();
        break;
    case REWARD_DINNERWARE:
        mOwner->AddToStock(StockItem{p[1], p[2], p[3], p[4]});
        RewardEffect(440, 645);
        app->PlaySample(SE_UI_GET);
        break;
    case REWARD_MATERIAL:
        profile.materials[p[1]] = SaturatingAdd(profile.materials[p[1]], p[2]);
        RewardEffect(440, 645);
        app->PlaySample(SE_UI_GET);
        break;
    case REWARD_RECIPE:
        profile.recipes[p[1]] = true;
        if (profile.DeveloperFlag)
            mOwner->AddToStock(StockItem{p[1], 3, 3, 500});
        if (dialog != nullptr)
            dialog->CheckQuestUnlocks(-1);
        RewardEffect(-56, 516);
        app->PlaySample(SE_UI_GET);
        break;
    case REWARD_COUNTRY:
        profile.countries[p[1]] = true;
        if (dialog != nullptr)
            dialog->CheckQuestUnlocks(-1);
        break;
    case REWARD_AWARD:
        profile.awards[p[1]] = true;
        break;
    case REWARD_FACTORY:
        profile.factories[p[1]].secondFlag = true;
        RewardEffect(663, 646);
        app->PlaySample(SE_UI_GET);
        break;
    case REWARD_MINI_GAME:
        if (p[1] == 1)
            profile.miniGameOpen1 = true;
        else if (p[1] == 2)
            profile.miniGameOpen2 = true;
        RewardEffect(663, 646);
        app->PlaySample(SE_UI_GET);
        break;
    default:
        break;
    }
}

void MissionReward::Update()
{
    Widget::Update();
    if (!mStarted) {
        mStarted = true;
        if (!ShowNextReward())
            return;
    }
    Quor::StepFade(*this, mAlpha, kFadeStep);
    SetDirty();
}

void MissionReward::FadeInDone()
{
    mOkButton->SetVisible(true);
    mOwner->AddWidget(mOkButton);
}

void MissionReward::FadeOutDone()
{
    ShowNextReward();
}

void MissionReward::ButtonDepress(int id)
{
    if (id != ID_OK)
        return;
    if (mOwner->mPanels[PANEL_TUTOR] != nullptr)
        mOwner->TutorPassEvent(ID_OK);
    mShown = false;
    ApplyReward(mIndex);
    ++mIndex;
    mOkButton->SetVisible(false);
    mOwner->RemoveWidget(mOkButton);
    mAlpha = 255;
    mFadingOut = true;
    mOwner->mApp->PlaySample(SE_UI_CLICK);
}

void MissionReward::ButtonMouseEnter(int id)
{
    (void)id;
    ShowButtonHover(mOwner->mApp, mOwner);
}

void MissionReward::ButtonMouseLeave(int id)
{
    (void)id;
    mOwner->ShowFinger(false);
}

void MissionReward::Draw(Graphics* g)
{
    if (!mGroupLoaded)
        return;
    g->SetColor(Color(0, 0, 0, mAlpha * 128 / 255));
    g->FillRect(0, 0, mWidth, mHeight);
    const float scale = float(mAlpha) / 255.0f;
    g->SetScale(scale, scale, kScaleCentreX, kScaleCentreY);
    g->SetColor(Color(255, 255, 255, mAlpha));
    g->SetColorizeImages(true);
    if (GR_BG != nullptr)
        g->DrawImage(GR_BG, (mOwner->mWidth - GR_BG->GetWidth()) / 2, 50);
    if (mOkButton->mVisible)
        mOkButton->DrawIfVisible(g);
    if (mShown)
        RewardCaption(g, mIndex);
    g->SetColorizeImages(false);
    g->SetScale(1.0f, 1.0f, kScaleCentreX, kScaleCentreY);
}

void MissionReward::RewardCaption(Graphics* g, int index)
{
    const QuestEntry* entry = EntryAt(index);
    if (entry == nullptr)
        return;
    const std::vector<int32_t> values = RewardValues(*entry);
    const int width = mOwner->mWidth;
    const Color textColor(255, 255, 255, mAlpha);
    g->SetColor(textColor);
    int pictureX = mPicture != nullptr ? (width - mPicture->GetWidth()) / 2 : 0;
    int pictureY = RewardPictureRow(values, kQuestRewardLook);
    if (entry->Type == REWARD_RECIPE && GM_BTN_IP2_O != nullptr)
        g->DrawImage(GM_BTN_IP2_O, 589, 297);
    if (entry->Type == REWARD_FACTORY) {
        if (GM_N_FACTORY_O != nullptr)
            g->DrawImage(GM_N_FACTORY_O, 356, 240);
        pictureX = 510;
    }
    if (mPicture != nullptr)
        g->DrawImage(mPicture, pictureX, pictureY);
    if (FONT_S14 != nullptr) {
        g->SetFont(FONT_S14);
        g->SetColor(textColor);
        const std::string caption = Quor::RewardCaption(*mOwner->mApp, values, kQuestRewardLook);
        g->DrawWrappedTextAt(caption, (width - kCaptionWidth) / 2, 444, kCaptionWidth, 23, 0);
    }
}

} // namespace Quor
