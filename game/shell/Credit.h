// The credits screen (screen 5): a half-dark veil over what lies below, the credits background
// and four credit pictures cycling, each fading in, held two seconds and fading out, until OK
// fades the screen out. A click anywhere else during a hold cuts it short.
#pragma once

#include "widgets/ButtonListener.h"
#include "widgets/Widget.h"

#include <cstdint>

namespace Quor {

class ButtonWidget;
class GameApp;

class Credit : public Widget, public ButtonListener {
public:
    enum { ID_OK = 1, ID_SKIP = 999 };
    static constexpr uint32_t kHoldMs = 2000;

    explicit Credit(GameApp* app);

    void AddedToManager(WidgetManager* manager) override;
    void RemovedFromManager(WidgetManager* manager) override;
    // Runs the step on every update of the application while it is active.
    void Update() override;
    void Draw(Graphics* g) override;
    // The step of one update; the argument is not used.
    void Tick(double step) override;
    void FadeInDone() override;
    void FadeOutDone() override;

    void ButtonDepress(int id) override;
    void ButtonMouseEnter(int id) override;
    void ButtonMouseLeave(int id) override;

    GameApp* mApp;
    ButtonWidget* mOkButton = nullptr;
    ButtonWidget* mSkipButton = nullptr;
    int mOwnFadeAlpha = 0;
    bool mOwnFadingIn = true;
    bool mOwnFadingOut = false;
    int mPictureIndex = 0;  // 0-3: CREDIT_01 .. CREDIT_04
    int mPictureAlpha = 0;
    int mPictureStep = 0;
    uint32_t mPictureShownAt = 0;  // tick count when the picture became fully shown; 0 = none

private:
    int FadeSpeed() const;
};

} // namespace Quor
