#include "game/quests/MissionFull.h"

#include "display/DDImage.h"
#include "game/quests/MissionReward.h"
#include "game/quests/MissionTarget.h"
#include "game/shell/GameApp.h"
#include "game/shell/MenuScreen.h"
#include "game/shell/ResourceBinding.h"
#include "game/world/GamePhase.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "widgets/ButtonWidget.h"

#include <cstdio>

namespace Quor {

namespace {

constexpr int kFadeStep = 10;
const char* const kArrowFiles[6] = {
    "images/menu_help/btn_l4.png", "images/menu_help/btn_l4_o.png", "images/menu_help/btn_l4_c.png",
    "images/menu_help/btn_r4.png", "images/menu_help/btn_r4_o.png", "images/menu_help/btn_r4_c.png",
};

void DrawScaled(Graphics* g, Image* image, int x, int y, float scale)
{
    if (image == nullptr)
        return;
    // Scaled about the item's top-left corner.
    g->SetScale(scale, scale, float(x), float(y));
    g->DrawImage(image, x, y);
    g->SetScale(1.0f, 1.0f, float(x), float(y));
}

} // namespace

MissionFull::MissionFull(GamePhase* owner, MissionTarget* list) : GamePanel(owner), mList(list)
{
    GameApp* app = owner->mApp;
    mMoneyIcon = app->LoadImageFile("images/game_reward/icon_money_sm.png", true);
    for (int i = 0; i < 6; ++i)
        mArrowImages[i] = app->LoadImageFile(kArrowFiles[i], true);
    mBlocker = new Widget();
    mBlocker->Resize(0, 0, owner->mWidth, owner->mHeight);
    AddControl(mBlocker);
    mOkButton = MakeImageButton(ID_OK, this, BTN_OK2, BTN_OK2_O, BTN_OK2_C, 0, 550);
    mOkButton->Move((owner->mWidth - mOkButton->mWidth) / 2, 550);
    mPreviousButton =
        MakeImageButton(ID_PREVIOUS, this, mArrowImages[0], mArrowImages[1], mArrowImages[2], 87, 310);
    mNextButton = MakeImageButton(ID_NEXT, this, mArrowImages[3], mArrowImages[4], mArrowImages[5], 798, 310);
    for (ButtonWidget* button : {mOkButton, mPreviousButton, mNextButton})
        AddControl(button);
    mFadeAlpha = 254;
    mFadingIn = true;
}

MissionFull::~MissionFull()
{
    // The controls go with the panel, which has them deleted before the pictures they show.
    for (Widget* control : mControls)
        delete control;
    mControls.clear();
    ReleaseImages();
}

void MissionFull::ReleaseImages()
{
    delete mMoneyIcon;
    mMoneyIcon = nullptr;
    for (Image*& image : mArrowImages) {
        delete image;
        image = nullptr;
    }
}

void MissionFull::ShowQuest(int questId)
{
    const auto& quests = mOwner->mApp->questTable;
    auto found = quests.find(questId);
    if (found == quests.end())
        return;
    mQuest = &found->second;
    if (mList == nullptr || mList->NeighbourQuest(questId, false) == mQuest) {
        for (ButtonWidget* arrow : {mPreviousButton, mNextButton}) {
            RemoveControl(arrow);
            arrow->SetVisible(false);
        }
    }
}

void MissionFull::Tick(double dt)
{
    (void)dt;
    mOwner->SetDirty();
    Quor::StepFade(*this, mFadeAlpha, kFadeStep);
}

void MissionFull::FadeInDone()
{
    mFadeAlpha = 255;
}

void MissionFull::FadeOutDone()
{
    mOwner->ClosePanel(PANEL_MISSION_FULL);
}

void MissionFull::ButtonDepress(int id)
{
    switch (id) {
    case ID_OK:
        RemoveControls();
        mFadeAlpha = 1;
        mFadingOut = true;
        mFadingIn = false;
        break;
    case ID_PREVIOUS:
    case ID_NEXT:
        if (mQuest != nullptr && mList != nullptr)
            if (const QuestRecord* neighbour = mList->NeighbourQuest(mQuest->Id, id == ID_PREVIOUS))
                mQuest = neighbour;
        break;
    default:
        break;
    }
    mOwner->mApp->PlaySample(SE_UI_CLICK);
}

void MissionFull::ButtonMouseEnter(int id)
{
    if (id == ID_OK)
        ShowButtonHover(mOwner->mApp, mOwner);
}

void MissionFull::ButtonMouseLeave(int id)
{
    (void)id;
    mOwner->ShowFinger(false);
}

bool MissionFull::DrawRewardItem(Graphics* g, const QuestEntry& entry, int x, int y)
{
    const GameApp& app = *mOwner->mApp;
    const std::vector<int32_t>& p = entry.Prop;
    if (p.size() < 2)
        return false;
    const int fade = mFadeAlpha;
    Image* picture = nullptr;
    std::string caption;
    char line[160];
    auto blueprint = app.blueprintTable.find(p[1]);
    const BlueprintRecord* product = blueprint == app.blueprintTable.end() ? nullptr : &blueprint->second;
    switch (entry.Type) {
    case REWARD_MONEY:
        picture = mMoneyIcon;
        std::snprintf(line, sizeof(line), "$%d", p[1]);
        caption = line;
        g->SetColor(Color(255, 255, 255, fade));
        if (picture != nullptr)
            g->DrawImage(picture, x, y);
        break;
    case REWARD_DINNERWARE:
        if (product == nullptr || p.size() < 3)
            return false;
        g->SetColor(Color(255, 255, 255, fade));
        DrawScaled(g, ResourceImageById(ResourceIdByName(product->Img.c_str())), x, y, 0.6f);
        std::snprintf(line, sizeof(line), "%s x%d", product->Name.c_str(), p[2]);
        caption = line;
        break;
    case REWARD_MATERIAL: {
        auto material = app.sourceTable.find(p[1]);
        if (material == app.sourceTable.end() || p.size() < 3)
            return false;
        g->SetColor(Color(255, 255, 255, fade));
        if (Image* image = ResourceImageById(ResourceIdByName(material->second.Img.c_str())))
            g->DrawImage(image, x, y);
        std::snprintf(line, sizeof(line), "%s x%d", material->second.Name.c_str(), p[2]);
        caption = line;
        break;
    }
    case REWARD_RECIPE:
        if (product == nullptr)
            return false;
        g->SetColor(Color(255, 255, 255, fade * 155 / 255));
        if (GM_BTN_IP2_O != nullptr)
            g->DrawImage(GM_BTN_IP2_O, x - 10, y - 10);
        g->SetColor(Color(255, 255, 255, fade));
        DrawScaled(g, ResourceImageById(ResourceIdByName(product->Img.c_str())), x, y, 0.6f);
        caption = product->Name;
        break;
    case REWARD_COUNTRY: {
        auto country = app.countryMapTable.find(p[1]);
        if (country == app.countryMapTable.end())
            return false;
        g->SetColor(Color(255, 255, 255, fade));
        const std::string name = "GM_BTN_C_" + std::to_string(p[1]);
        DrawScaled(g, ResourceImageById(ResourceIdByName(name.c_str())), x, y, 0.9f);
        caption = country->second.Name;
        break;
    }
    case REWARD_FACTORY:
        g->SetColor(Color(255, 255, 255, fade));
        if (GM_FS_FAC_DISABLE != nullptr)
            g->DrawImage(GM_FS_FAC_DISABLE, x, y);
        break;
    default:
        return false;
    }
    if (!caption.empty() && FONT_S14 != nullptr) {
        g->SetFont(FONT_S14);
        g->SetColor(Color(148, 40, 33, fade));
        g->DrawWrappedTextAt(caption, x, y + 100, 105, 23, -1);
    }
    return true;
}

void MissionFull::Draw(Graphics* g)
{
    const int fade = mFadeAlpha;
    g->SetColor(Color(0, 0, 0, fade * 128 / 255));
    g->FillRect(0, 0, mWidth, mHeight);
    g->SetColor(Color(255, 255, 255, fade));
    g->SetColorizeImages(true);
    if (GM_MIS_BG2 != nullptr)
        g->DrawImage(GM_MIS_BG2, (mOwner->mWidth - GM_MIS_BG2->GetWidth()) / 2, 40);
    if (mQuest != nullptr) {
        const Color text = Color(148, 40, 33, fade);
        int y = 100;
        g->SetFont(FONT_T14);
        g->SetColor(text);
        y += g->DrawWrappedTextAt(mQuest->Des, 240, y, 535, 25, -1);
        g->SetFont(FONT_T13);
        const auto state = mOwner->mProfile->quests.find(mQuest->Id);
        for (size_t i = 0; i < mQuest->Target.size(); ++i) {
            bool done = false;
            if (state != mOwner->mProfile->quests.end())
                if (auto flag = state->second.targets.find(int(i)); flag != state->second.targets.end())
                    done = flag->second;
            g->SetColor(Color(255, 255, 255, fade));
            if (Image* tick = done ? MP_TICK_BG : MP_TICK)
                g->DrawImage(tick, 240, y - 20);
            g->SetColor(text);
            const int spacing = FONT_T13 != nullptr ? FONT_T13->GetHeight() : 0;
            y += g->DrawWrappedTextAt(mQuest->Target[i].SubDes, 270, y, 500, spacing, -1);
        }
        y += 25;
        g->SetFont(FONT_T14);
        g->SetColor(text);
        y += g->DrawWrappedTextAt("Reward : ", 240, y, 535, 25, -1);
        int shown = 0;
        int brokenAt = 0;
        int x = kItemsX;
        for (const QuestEntry& entry : mQuest->Reward) {
            if (entry.SubDes == "0")
                continue;
            if (shown > 0 && shown % kItemsPerLine == 0 && brokenAt != shown) {
                brokenAt = shown;
                y += kLineStep;
                x = kItemsX;
            }
            if (DrawRewardItem(g, entry, x, y)) {
                ++shown;
                x += kItemStep;
            }
        }
    }
    g->SetColor(Color(255, 255, 255, fade));
    if (mPreviousButton->mVisible)
        mPreviousButton->DrawIfVisible(g);
    if (mNextButton->mVisible)
        mNextButton->DrawIfVisible(g);
    mOkButton->DrawIfVisible(g);
    g->SetColorizeImages(false);
}

} // namespace Quor
