#include "game/shell/PopupOption.h"

#include "game/shell/GameApp.h"
#include "game/shell/MenuScreen.h"
#include "game/shell/ResourceBinding.h"
#include "graphics/Color.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "widgets/ButtonWidget.h"
#include "widgets/Checkbox.h"
#include "widgets/Slider.h"
#include "widgets/WidgetManager.h"

namespace Quor {

PopupOption::PopupOption(GameApp* app) : mApp(app) {}

PopupOption::~PopupOption()
{
    RemoveControls();
    // Deleted here rather than queued: the popup itself goes in the deferred deletion.
    delete mOkButton;
    delete mCreditsButton;
    delete mMusicSlider;
    delete mEffectsSlider;
    delete mFullScreen;
}

void PopupOption::AddedToManager(WidgetManager* manager)
{
    (void)manager;
    const int w = mApp->mWidth;
    mOkButton = MakeImageButton(ID_OK, this, BTN_OK2, BTN_OK2_O, BTN_OK2_C, (w - ImageWidth(BTN_OK2)) / 2, 495);
    mOkButton->mDoFinger = true;
    mCreditsButton = MakeImageButton(ID_CREDITS, this, BTN_CREDIT, BTN_CREDIT_O, BTN_CREDIT_C,
                                     (w - ImageWidth(BTN_CREDIT)) / 2, 425);
    mCreditsButton->mDoFinger = true;

    const int sliderX = (w - ImageWidth(MP_SLIDE_1)) / 2;
    Slider** sliders[2] = {&mMusicSlider, &mEffectsSlider};
    for (int i = 0; i < 2; ++i) {
        Slider* slider = new Slider(ID_MUSIC + i, this);
        slider->mFillImage = MP_SLIDE_1;
        slider->mThumbImage = MP_SLIDE_TAB_1;
        slider->Resize(sliderX, i == 0 ? 235 : 305, ImageWidth(MP_SLIDE_1), ImageHeight(MP_SLIDE_TAB_1));
        *sliders[i] = slider;
    }
    mMusicSlider->SetValue(mApp->GetMusicVolume());
    mEffectsSlider->SetValue(mApp->GetSfxVolume());
    mFullScreen = new Checkbox(IMG_NONE, MP_TICK2, ID_FULLSCREEN, this);
    mFullScreen->Resize(550, 340, ImageWidth(MP_TICK2), ImageHeight(MP_TICK2));
    mFullScreen->SetChecked(!mApp->mWindowed, false);

    AddWidget(mOkButton);
    AddWidget(mCreditsButton);
    mFadeAlpha = 0;
    mFadingIn = true;
}

void PopupOption::RemoveControls()
{
    for (Widget* control : std::initializer_list<Widget*>{mOkButton, mCreditsButton, mMusicSlider, mEffectsSlider,
                                                          mFullScreen})
        if (control)
            RemoveWidget(control);
}

void PopupOption::RemovedFromManager(WidgetManager* manager)
{
    Widget::RemovedFromManager(manager);
    RemoveControls();
}

void PopupOption::Update()
{
    if (mApp->mActive && mApp->mLoadingThreadCompleted && (mFadingIn || mFadingOut) && mApp->mUpdateCount % 2 == 0)
        Widget::Tick(0.02);
}

void PopupOption::FadeInDone()
{
    // OK or credits pressed during the fade-in has begun the close: no control comes back.
    if (mCloseTarget != 0)
        return;
    AddWidget(mMusicSlider);
    AddWidget(mEffectsSlider);
    AddWidget(mFullScreen);
}

void PopupOption::FadeOutDone()
{
    GameApp* app = mApp;
    const bool fullScreen = mFullScreen && mFullScreen->IsChecked();
    app->SwitchScreenMode(!fullScreen, app->Is3DAccelerated(), false);
    const int target = mCloseTarget;
    CloseScreen(app, this, SCREEN_OPTION);
    if (target == CLOSE_CREDITS)
        app->ShowScreen(SCREEN_CREDIT, 0);
}

void PopupOption::ButtonDepress(int id)
{
    if (id != ID_OK && id != ID_CREDITS)
        return;
    mApp->PlaySample(SE_UI_CLICK);
    RemoveControls();
    mCloseTarget = id == ID_OK ? CLOSE_OK : CLOSE_CREDITS;
    mFadeAlpha = 255;
    mFadingOut = true;
}

void PopupOption::ButtonMouseEnter(int id)
{
    (void)id;
    ShowButtonHover(mApp, this);
}

void PopupOption::SliderValueChanged(int id, double value)
{
    if (id == ID_MUSIC) {
        mApp->SetMusicVolume(value);
    } else if (id == ID_EFFECTS) {
        mApp->SetSfxVolume(value);
        if (!mEffectsSlider->mDragging)
            mApp->PlaySample(SE_CLICK);
    }
}

void PopupOption::CheckboxChecked(int id, bool checked)
{
    mApp->PlaySample(SE_CLICK);
    SetDirty();
    if (id == ID_FULLSCREEN && mApp->mForceFullscreen && !checked) {
        mApp->PlaySample(SE_OVER);
        mFullScreen->SetChecked(true, true);
    }
}

void PopupOption::Draw(Graphics* g)
{
    if (!mApp->mLoadingThreadCompleted || !mApp->mActive || !mOkButton)
        return;
    DrawMainMenuBelow(mApp, g);
    const float s = float(mFadeAlpha) / 255.0f;
    g->SetScale(s, s, 512, 280);
    g->SetColorizeImages(true);
    g->SetColor(Color(0, 0, 0, mFadeAlpha * 128 / 255));
    g->FillRect(0, 0, mApp->mWidth, mApp->mHeight);
    g->SetColor(Color(255, 255, 255, mFadeAlpha));
    if (MP_BG_OPTION)
        g->DrawImage(MP_BG_OPTION, (mApp->mWidth - MP_BG_OPTION->GetWidth()) / 2, 100);
    if (MP_TICK2_BG)
        g->DrawImage(MP_TICK2_BG, 545, 335);
    if (MP_SLIDE_BG_1) {
        const int x = (mApp->mWidth - ImageWidth(MP_SLIDE_1)) / 2;
        g->DrawImage(MP_SLIDE_BG_1, x, 235);
        g->DrawImage(MP_SLIDE_BG_1, x, 305);
    }
    mOkButton->DrawIfVisible(g);
    mCreditsButton->DrawIfVisible(g);
    g->SetColorizeImages(false);
    g->SetScale(1, 1, 512, 280);
}

} // namespace Quor
