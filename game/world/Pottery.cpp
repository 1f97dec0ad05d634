#include "game/world/Pottery.h"

#include "display/DDImage.h"
#include "game/shell/DCapResource.h"
#include "game/shell/GameApp.h"
#include "game/shell/MenuScreen.h"
#include "game/shell/ParticleSet.h"
#include "game/shell/ResourceBinding.h"
#include "game/world/GamePhase.h"
#include "game/world/RecipeView.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "widgets/ButtonWidget.h"

#include <algorithm>
#include <cstdio>

namespace Quor {

namespace {

constexpr int kGridColumns = 10;
constexpr int kMaterialY = 377;
constexpr int kMaterialSize = 70;
constexpr int kColumnStep = 132;

std::string Printed(const char* format, int number)
{
    char text[64];
    std::snprintf(text, sizeof(text), format, number);
    return text;
}

// The material column's centre line.
int ColumnX(int column)
{
    return 380 + kColumnStep * column;
}

} // namespace

Pottery::Pottery(GamePhase* owner) : GamePanel(owner), mApp(owner->mApp), mParticles(new ParticleSet(owner->mApp))
{
    mGroupAsked = true;
    if (!mApp->LoadGroupInForeground("MenuBlueprint", &BindMenuBlueprintResources))
        return;
    mBuilt = true;
    mBackground = MakeImageButton(ID_CLOSE, this, IMG_NONE, nullptr, nullptr, 0, 0);
    mBackground->Resize(0, 0, owner->mWidth, owner->mHeight);
    AddControl(mBackground);
    mOkButton = MakeImageButton(ID_CLOSE, this, BTN_OK, BTN_OK_O, BTN_OK_C, 957, 6);
    mOkButton->mDoFinger = true;
    AddControl(mOkButton);
    for (const auto& [id, owned] : owner->mProfile->recipes) {
        // Only the eighty blueprints with a record have a place in the grid.
        if (id < kFirstBlueprint || id > kLastBlueprint || FindBlueprint(*mApp, id) == nullptr)
            continue;
        ButtonWidget* button = MakeImageButton(id, this, MB_BTN_FRM_SELECT_BP, MB_BTN_FRM_SELECT_BP_O,
                                               MB_BTN_FRM_SELECT_BP, GridX(id), GridY(id));
        button->Resize(GridX(id), GridY(id), 81, 64);
        button->mDisabledImage = MB_BTN_FRM_SELECT_BP_D;
        button->mDoFinger = true;
        button->SetDisabled(!owned);
        mBlueprintButtons.push_back(button);
        AddControl(button);
    }
    mBackButton = MakeImageButton(ID_BACK, this, IMG_NONE, nullptr, nullptr, 0, 0);
    mBackButton->Resize(0, 0, mApp->mWidth, mApp->mHeight);
    TakeControl(mBackButton);
    mFadeAlpha = 254;
    mFadingIn = true;
    mFadingOut = false;
}

Pottery::~Pottery()
{
    mParticles->Clear();
    delete mParticles;
    delete mBigPicture;
    if (mGroupAsked)
        mApp->resourceManager->DeleteResources("MenuBlueprint");
}

int Pottery::GridX(int blueprintId)
{
    return (blueprintId - 1) % kGridColumns * 90 + 66;
}

int Pottery::GridY(int blueprintId)
{
    return (blueprintId - 1) / kGridColumns * 68 + 44;
}

Image* Pottery::SeriesPicture(int blueprintId)
{
    static Image* const* const kSeries[] = {&MB_A0, &MB_A1, &MB_A2,  &MB_A3,  &MB_A4,  &MB_A5,  &MB_A6,  &MB_A7,
                                            &MB_A8, &MB_A9, &MB_A10, &MB_A11, &MB_A12, &MB_A13, &MB_A14, &MB_A15};
    if (blueprintId < kFirstBlueprint || blueprintId > kLastBlueprint)
        return IMG_NONE;
    return *kSeries[(blueprintId - 1) / kSeriesSize];
}

void Pottery::Tick(double dt)
{
    SetDirty();
    mParticles->Update(dt);
    // The widget's fade: 10 a tick, whatever the time step.
    Widget::Tick(dt);
}

void Pottery::FadeInDone()
{
    mFadeAlpha = 255;
}

void Pottery::FadeOutDone()
{
    // The book is freed after this update; nothing of it is touched below.
    mOwner->ClosePanel(PANEL_POTTERY);
}

void Pottery::LoadBigPicture(int blueprintId)
{
    delete mBigPicture;
    mBigPicture = nullptr;
    if (const BlueprintRecord* record = FindBlueprint(*mApp, blueprintId))
        mBigPicture = mApp->LoadImageFile(Printed("images/product_big/bp_%d.png", record->Id));
}

void Pottery::BuildMaterialButtons(int blueprintId)
{
    const BlueprintRecord* record = FindBlueprint(*mApp, blueprintId);
    if (record == nullptr)
        return;
    int column = 0;
    for (size_t i = 0; i < record->materialQty.size(); ++i, ++column) {
        ButtonWidget* button = MakeImageButton(ID_MATERIAL + column, this, IMG_NONE, nullptr, nullptr,
                                               ColumnX(column) - 47, kMaterialY);
        button->Resize(ColumnX(column) - 47, kMaterialY, kMaterialSize, kMaterialSize);
        mMaterialButtons.push_back(button);
        AddControl(button);
    }
}

void Pottery::ClosePage()
{
    for (ButtonWidget* button : mMaterialButtons) {
        RemoveControl(button);
        mControls.erase(std::find(mControls.begin(), mControls.end(), button));
        // Deleted after the update: the click that closes the page may have come from it.
        mApp->SafeDeleteWidget(button);
    }
    mMaterialButtons.clear();
    mHoveredMaterial = -1;
    mPageOpen = false;
    mPage = -1;
    RemoveControl(mBackButton);
}

void Pottery::ButtonDepress(int id)
{
    if (id == ID_CLOSE) {
        mFadeAlpha = 1;
        mFadingOut = true;
        mFadingIn = false;
    } else if (id == ID_BACK) {
        ClosePage();
    } else if (id >= kFirstBlueprint && id <= kLastBlueprint && !mPageOpen) {
        mPageOpen = true;
        mPage = id;
        AddControl(mBackButton);
        LoadBigPicture(id);
        BuildMaterialButtons(id);
    }
    mApp->PlaySample(SE_UI_CLICK);
    if (mOwner->mPanels[PANEL_TUTOR] != nullptr)
        mOwner->TutorPassEvent(id);
}

void Pottery::ButtonMouseEnter(int id)
{
    if (id >= kFirstBlueprint && id <= kLastBlueprint) {
        mHovered = id;
        mHover = true;
        ShowButtonHover(mApp, mOwner);
    } else if (id == ID_CLOSE) {
        ShowButtonHover(mApp, mOwner);
    } else if (id >= ID_MATERIAL) {
        mHoveredMaterial = id - ID_MATERIAL;
    }
}

void Pottery::ButtonMouseLeave(int id)
{
    if (id >= ID_MATERIAL)
        mHoveredMaterial = -1;
    mHovered = -1;
    mHover = false;
    mOwner->ShowFinger(false);
}

void Pottery::Draw(Graphics* g)
{
    if (!mBuilt)
        return;
    g->SetColor(Color(0, 0, 0, mFadeAlpha * 128 / 255));
    g->FillRect(0, 0, mOwner->mWidth, mOwner->mHeight);
    g->SetColor(Color(255, 255, 255, mFadeAlpha));
    g->SetColorizeImages(true);
    if (MB_BG != nullptr)
        g->DrawImage(MB_BG, 29, 29);
    mOkButton->DrawIfVisible(g);
    DrawGrid(g);
    if (mPageOpen)
        DrawPage(g);
    else if (mHover && mHovered >= 0)
        DrawCaption(g, mHovered);
    g->SetColorizeImages(false);
    mParticles->Draw(g);
}

void Pottery::DrawGrid(Graphics* g)
{
    for (ButtonWidget* button : mBlueprintButtons) {
        g->SetColor(Color(255, 255, 255, mFadeAlpha));
        button->DrawIfVisible(g);
        const BlueprintRecord* record = FindBlueprint(*mApp, button->mId);
        Image* picture = record != nullptr ? NamedImage(record->Img) : nullptr;
        if (picture == nullptr)
            continue;
        const int x = button->mX + 10;
        const int y = button->mY;
        g->SetColor(button->mDisabled ? Color(0, 0, 0, mFadeAlpha * 50 / 255) : Color(255, 255, 255, mFadeAlpha));
        g->SetScale(0.5f, 0.5f, float(x), float(y));
        g->DrawImage(picture, x, y);
        g->SetScale(1.0f, 1.0f, float(x), float(y));
    }
}

void Pottery::DrawCaption(Graphics* g, int blueprintId)
{
    const BlueprintRecord* record = FindBlueprint(*mApp, blueprintId);
    if (record == nullptr || FONT_S16 == nullptr)
        return;
    const std::string text = record->Name + " / (" + CountryName(*mApp, record->CountryId) + ")";
    g->SetFont(FONT_S16);
    g->SetColor(Color(250, 250, 240, mFadeAlpha));
    g->DrawWrappedTextAt(text, 312, 625, 400, -1, 0);
}

void Pottery::DrawPage(Graphics* g)
{
    const BlueprintRecord* record = FindBlueprint(*mApp, mPage);
    if (MB_BG2 != nullptr) {
        g->SetColor(Color(255, 255, 255, mFadeAlpha));
        g->DrawImage(MB_BG2, 29, 29);
    }
    if (record == nullptr)
        return;
    const std::string country = CountryName(*mApp, record->CountryId);
    const auto award = mApp->awardTable.find((mPage - 1) / kSeriesSize);
    const std::string seriesName = award != mApp->awardTable.end() ? award->second.Name : "";
    const std::string seriesText = award != mApp->awardTable.end() ? award->second.Des : "";
    DrawCaption(g, mPage);
    if (FONT_B18 != nullptr) {
        g->SetFont(FONT_B18);
        g->SetColor(Color(0, 0, 0, mFadeAlpha));
        g->DrawColorCodedText(record->Name, 470, 111, 340, 0);
    }
    if (FONT_S16 != nullptr) {
        g->SetFont(FONT_S16);
        g->SetColor(Color(230, 210, 160, mFadeAlpha));
        g->DrawWrappedTextAt(seriesName, 63, 335, 165, 24, 0);
    }
    if (FONT_S14 != nullptr) {
        g->SetFont(FONT_S14);
        g->SetColor(Color(171, 146, 92, mFadeAlpha));
        g->DrawWrappedTextAt(seriesText, 63, 381, 165, 23, -1);
    }
    if (FONT_T13 != nullptr) {
        g->SetFont(FONT_T13);
        g->SetColor(Color(0, 0, 0, mFadeAlpha));
        g->DrawColorCodedText(country, 275, 122, 80, 1);
    }
    g->SetColor(Color(255, 255, 255, mFadeAlpha));
    if (mBigPicture != nullptr)
        g->DrawImage(mBigPicture, 505, 138);
    if (Image* badge = NamedImage(Printed("GM_BTN_C_%d", record->CountryId)))
        g->DrawImage(badge, 348, 47);
    if (Image* series = SeriesPicture(mPage))
        g->DrawImage(series, 50, 125);
    DrawMaterials(g);
    DrawMaterialHover(g);
}

void Pottery::DrawMaterials(Graphics* g)
{
    const BlueprintRecord* record = FindBlueprint(*mApp, mPage);
    int column = 0;
    for (const auto& [material, needed] : record->materialQty) {
        const int cx = ColumnX(column++);
        const SourceRecord* source = FindSource(*mApp, material);
        g->SetColor(Color(255, 255, 255, mFadeAlpha));
        if (Image* picture = source != nullptr ? NamedImage(source->Img) : nullptr)
            g->DrawImage(picture, cx - 47, kMaterialY);
        if (FONT_C_QTY != nullptr) {
            g->SetFont(FONT_C_QTY);
            g->SetColor(Color(0, 0, 0, mFadeAlpha));
            g->DrawColorCodedText(Printed("x %d", needed), cx - 30, 467, 70, 1);
        }
        if (FONT_T13 != nullptr && source != nullptr) {
            g->SetFont(FONT_T13);
            g->SetColor(Color(0, 0, 0, mFadeAlpha));
            g->DrawWrappedTextAt(source->Name, cx - 65, 488, 105, 18, 0);
        }
        const HeldMaterial held = MaterialHeld(*mOwner->mProfile, material, needed);
        if (FONT_S14 != nullptr) {
            g->SetFont(FONT_S14);
            g->SetColor(held.isShort ? Color(255, 0, 0, mFadeAlpha) : Color(0, 0, 0, mFadeAlpha));
            g->DrawColorCodedText(Printed("x%d", held.held), cx - 30, 552, 70, 1);
        }
        if (held.isShort && GM_I_NO_ITEM != nullptr) {
            g->SetColor(Color(255, 255, 255, mFadeAlpha));
            g->DrawImage(GM_I_NO_ITEM, cx, 360);
        }
    }
}

void Pottery::DrawMaterialHover(Graphics* g)
{
    const BlueprintRecord* record = FindBlueprint(*mApp, mPage);
    if (record == nullptr || mHoveredMaterial < 0 || mHoveredMaterial >= int(record->materialQty.size()))
        return;
    auto entry = record->materialQty.begin();
    std::advance(entry, mHoveredMaterial);
    const int material = entry->first;
    const int bx = ColumnX(mHoveredMaterial) - 47;
    const int by = kMaterialY;
    g->SetColor(Color(255, 255, 255, mFadeAlpha));
    if (GM_BG_ITEM_OVER != nullptr)
        g->DrawImage(GM_BG_ITEM_OVER, bx - 10, by - 120);
    if (FONT_S14 == nullptr)
        return;
    const std::vector<std::string> lines = MaterialLines(material);
    g->SetFont(FONT_S14);
    g->SetColor(Color(80, 20, 0, mFadeAlpha));
    g->DrawWrappedTextAt(lines[0], bx, by - 85, 200, 15, -1);
    g->DrawString(lines[1], bx, by - 45);
    g->DrawString(lines[2], bx, by - 25);
    g->DrawString(lines[3], bx, by - 5);
}

std::vector<std::string> Pottery::MaterialLines(int materialId) const
{
    const PlayerProfile& profile = *mOwner->mProfile;
    const auto stat = profile.materialStats.find(materialId);
    const bool priced = stat != profile.materialStats.end() && stat->second.value >= 0;
    const bool placed = stat != profile.materialStats.end() && stat->second.smallValue >= 0;
    const SourceRecord* source = FindSource(*mApp, materialId);
    const HeldMaterial held = MaterialHeld(profile, materialId, 0);
    return {source != nullptr ? source->Name : "", priced ? Printed("Best Price : $%d", stat->second.value) : " ",
            placed ? "Bought in " + CountryName(*mApp, stat->second.smallValue) : " ",
            Printed("Storage : %d", held.held)};
}

} // namespace Quor
