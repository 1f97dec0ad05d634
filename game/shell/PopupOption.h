// The options popup (screen 4) over the main menu: sliders for the music and effect volumes,
// which take effect at once, a full-screen checkbox applied when the popup closes, OK and a
// credits button that closes it and opens the credits. It zooms in and out about (512, 280).
#pragma once

#include "widgets/ButtonListener.h"
#include "widgets/CheckboxListener.h"
#include "widgets/SliderListener.h"
#include "widgets/Widget.h"

namespace Quor {

class ButtonWidget;
class Checkbox;
class GameApp;
class Slider;

class PopupOption : public Widget, public ButtonListener, public SliderListener, public CheckboxListener {
public:
    enum { ID_OK = 1, ID_CREDITS = 2, ID_MUSIC = 2, ID_EFFECTS = 3, ID_FULLSCREEN = 4 };
    enum { CLOSE_OK = 10001, CLOSE_CREDITS = 10002 };

    explicit PopupOption(GameApp* app);
    ~PopupOption() override;

    void AddedToManager(WidgetManager* manager) override;
    void RemovedFromManager(WidgetManager* manager) override;
    void Update() override;
    void Draw(Graphics* g) override;
    void FadeInDone() override;
    void FadeOutDone() override;

    void ButtonDepress(int id) override;
    void ButtonMouseEnter(int id) override;
    void SliderValueChanged(int id, double value) override;
    void CheckboxChecked(int id, bool checked) override;

    GameApp* mApp;
    ButtonWidget* mOkButton = nullptr;
    ButtonWidget* mCreditsButton = nullptr;
    Slider* mMusicSlider = nullptr;
    Slider* mEffectsSlider = nullptr;
    Checkbox* mFullScreen = nullptr;
    int mCloseTarget = 0;

private:
    void RemoveControls();
};

} // namespace Quor
