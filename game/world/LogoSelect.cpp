#include "game/world/LogoSelect.h"

#include "display/DDImage.h"
#include "game/shell/DCapResource.h"
#include "game/shell/GameApp.h"
#include "game/shell/MenuScreen.h"
#include "game/shell/PlayerProfile.h"
#include "game/shell/ResourceBinding.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "widgets/ButtonWidget.h"
#include "widgets/EditWidget.h"

#include <algorithm>
#include <string>

namespace Quor {

namespace {

// The company fonts, in index order (variables of the "Init" group; not owned here).
Font* const* const kFontVariables[LogoSelect::kFontCount] = {&FONT_T14, &FONT_B18, &FONT_DEFAULT,
                                                           &FONT_S14, &FONT_S16_L, &FONT_G9};

struct ArrowButton {
    int id;
    bool left;
    int x;
    int y;
};
constexpr ArrowButton kArrows[6] = {{LogoSelect::ID_LOGO_PREV, true, 200, 260},  {LogoSelect::ID_LOGO_NEXT, false, 347, 260},
                                    {LogoSelect::ID_ICON_PREV, true, 410, 260},  {LogoSelect::ID_ICON_NEXT, false, 525, 260},
                                    {LogoSelect::ID_FONT_PREV, true, 585, 285},  {LogoSelect::ID_FONT_NEXT, false, 685, 285}};

constexpr int kSwatchX = 590;
constexpr int kSwatchStep = 28;
constexpr int kSwatchEnd = 814;
constexpr int kSwatchY = 340;

Image* At(const std::vector<Image*>& images, int index)
{
    return images[size_t(LogoSelect::Shown(index, int(images.size())))];
}

void DrawIfLoaded(Graphics* g, Image* image, int x, int y)
{
    if (image != nullptr)
        g->DrawImage(image, x, y);
}

} // namespace

LogoSelect::LogoSelect(GameApp* app) : mApp(app), mProfile(&app->GetCurrentProfile())
{
    mBackdrop = new Widget();
    mBackdrop->Resize(0, 0, 1024, 768);
    AddWidget(mBackdrop);

    LoadImages();

    mOkButton = MakeImageButton(ID_OK, this, mOkImages[0], mOkImages[1], mOkImages[2], 444, 526);
    AddWidget(mOkButton);
    for (int i = 0; i < 6; ++i) {
        const ArrowButton& a = kArrows[i];
        mArrowButtons[i] = a.left ? MakeImageButton(a.id, this, BTN_LEFT3, BTN_LEFT3_O, BTN_LEFT3_C, a.x, a.y)
                                  : MakeImageButton(a.id, this, BTN_RIGHT3, BTN_RIGHT3_O, BTN_RIGHT3_C, a.x, a.y);
        AddWidget(mArrowButtons[i]);
    }
    for (int i = 0, x = kSwatchX; x < kSwatchEnd && i < kColourCount; ++i, x += kSwatchStep) {
        ButtonWidget* swatch = MakeImageButton(i, this, mSwatches[size_t(i)], mSwatchesOver[size_t(i)], nullptr, x, kSwatchY);
        AddWidget(swatch);
        mColourButtons.push_back(swatch);
    }

    mNameField = new EditWidget(ID_NAME, this);
    const int fieldColours[3][3] = {{255, 255, 255}, {0, 0, 0}, {0, 0, 0}};
    mNameField->SetColorsRGB(fieldColours, 3);
    mNameField->mMaxChars = kNameLimit;
    if (Font* font = CompanyFont(mProfile->logo.fontIndex))
        mNameField->SetFont(font);
    mNameField->Resize(583, 213, 206, 34);
    mNameField->SetText(mProfile->logo.companyName);
    AddWidget(mNameField);
}

LogoSelect::~LogoSelect()
{
    std::vector<Widget*> children = {mBackdrop, mOkButton, mNameField};
    children.insert(children.end(), std::begin(mArrowButtons), std::end(mArrowButtons));
    children.insert(children.end(), mColourButtons.begin(), mColourButtons.end());
    for (Widget* child : children)
        DeleteChild(this, child);
    ReleaseImages();
}

void LogoSelect::LoadImages()
{
    auto load = [this](const std::string& path) -> Image* { return mApp->LoadImageFile(path); };
    mBackground = load("images/logo/bg.png");
    mOkImages[0] = load("images/menu_acc/btn_ok.png");
    mOkImages[1] = load("images/menu_acc/btn_ok_o.png");
    mOkImages[2] = load("images/menu_acc/btn_ok_c.png");
    for (int i = 0; i < kLogoCount; ++i) {
        const std::string n = std::to_string(i);
        mLogos.push_back(load("images/logo/" + n + ".png"));
        mIcons.push_back(load("images/logo/icon" + n + ".png"));
        mSwatches.push_back(load("images/logo/color" + n + ".png"));
        mSwatchesOver.push_back(load("images/logo/color" + n + "_o.png"));
    }
}

void LogoSelect::ReleaseImages()
{
    delete mBackground;
    mBackground = nullptr;
    for (Image*& image : mOkImages) {
        delete image;
        image = nullptr;
    }
    for (std::vector<Image*>* list : {&mLogos, &mIcons, &mSwatches, &mSwatchesOver}) {
        for (Image* image : *list)
            delete image;
        list->clear();
    }
}

int LogoSelect::Shown(int index, int count)
{
    return index >= 0 && index < count ? index : 0;
}

Font* LogoSelect::CompanyFont(int index)
{
    return *kFontVariables[Shown(index, kFontCount)];
}

std::string LogoSelect::CompanyFontName(int index)
{
    return ResourceNameById(ResourceIdByObject(kFontVariables[Shown(index, kFontCount)]));
}

void LogoSelect::Step(int32_t& index, int delta, int count)
{
    const int shown = Shown(index, count);
    const int next = shown + delta;
    if (next >= 0 && next < count)
        index = next;
}

void LogoSelect::Draw(Graphics* g)
{
    const CompanyLogo& logo = mProfile->logo;
    DrawIfLoaded(g, mBackground, 0, 0);
    g->SetScale(0.6f, 0.6f, 233, 236);
    DrawIfLoaded(g, At(mLogos, logo.logoIndex), 233, 236);
    g->SetScale(1.0f, 1.0f, 233, 236);
    DrawIfLoaded(g, At(mIcons, logo.secondIndex), 454, 244);
    for (ButtonWidget* button : mArrowButtons)
        button->DrawIfVisible(g);
    for (ButtonWidget* button : mColourButtons)
        button->DrawIfVisible(g);

    g->SetFont(CompanyFont(logo.fontIndex));
    g->SetColor(Color(std::clamp(logo.red, 0, 255), std::clamp(logo.green, 0, 255), std::clamp(logo.blue, 0, 255)));
    g->DrawWrappedTextAt("Type " + std::to_string(Shown(logo.fontIndex, kFontCount) + 1), 606, 303, 77, 20, 0);

    DrawIfLoaded(g, At(mLogos, logo.logoIndex), kCardX, kCardY);
    DrawIfLoaded(g, At(mIcons, logo.secondIndex), kCardX + logo.layout3, kCardY + logo.layout4);
    g->DrawWrappedTextAt(logo.companyName, kCardX + logo.layout1, kCardY + logo.layout2, kCardTextWidth, 20, 0);
    mOkButton->DrawIfVisible(g);
}

void LogoSelect::ButtonDepress(int id)
{
    CompanyLogo& logo = mProfile->logo;
    GameApp* app = mApp;
    switch (id) {
    case ID_OK:
        // The field holds the name as typed; the copy made before each key misses the last one.
        logo.companyName = mNameField->mString;
        app->SavePlayerProfile(app->currentProfile);
        // This screen is freed after the current update; nothing of it is touched below.
        CloseScreen(app, this, SCREEN_LOGO);
        app->ShowScreen(SCREEN_MAIN_MENU, 0);
        break;
    case ID_LOGO_PREV:
    case ID_LOGO_NEXT:
        Step(logo.logoIndex, id == ID_LOGO_NEXT ? 1 : -1, kLogoCount);
        break;
    case ID_ICON_PREV:
    case ID_ICON_NEXT:
        Step(logo.secondIndex, id == ID_ICON_NEXT ? 1 : -1, kLogoCount);
        break;
    case ID_FONT_PREV:
    case ID_FONT_NEXT: {
        const int before = logo.fontIndex;
        Step(logo.fontIndex, id == ID_FONT_NEXT ? 1 : -1, kFontCount);
        if (logo.fontIndex != before)
            logo.fontName = CompanyFontName(logo.fontIndex);
        break;
    }
    default:
        if (id >= 0 && id < kColourCount) {
            logo.colorIndex = id;
            logo.red = kColours[id].red;
            logo.green = kColours[id].green;
            logo.blue = kColours[id].blue;
        }
        break;
    }
    app->PlaySample(SE_UI_CLICK);
}

void LogoSelect::ButtonMouseEnter(int id)
{
    (void)id;
    ShowButtonHover(mApp, this);
}

void LogoSelect::ButtonMouseLeave(int id)
{
    (void)id;
    ShowFinger(false);
}

bool LogoSelect::AllowKey(int id, int keyCode)
{
    (void)id;
    (void)keyCode;
    mProfile->logo.companyName = mNameField->mString;
    return true;
}

bool LogoSelect::AllowChar(int id, char c)
{
    (void)id;
    std::string& name = mProfile->logo.companyName;
    name = mNameField->mString;
    if (int(name.size()) < kNameLimit)
        name += c;
    return true;
}

} // namespace Quor
