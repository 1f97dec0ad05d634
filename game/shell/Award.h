// The award gallery (screen 6): the seventeen awards as buttons, greyed while not earned. A
// pressed award zooms its picture in over the darkened gallery with a turning light behind it;
// the next click anywhere closes the picture. StartAwardGet shows a newly earned award the same
// way with a particle burst.
#pragma once

#include "widgets/ButtonListener.h"
#include "widgets/Widget.h"

namespace Quor {

class ButtonWidget;
class GameApp;
class Image;
class ParticleSet;

class Award : public Widget, public ButtonListener {
public:
    enum { kAwardCount = 17, ID_CLOSE = 999, ID_PICTURE = 10999 };
    // What closing the screen leads to.
    enum { MODE_MAIN_MENU = 0, MODE_ONLY_CLOSE = 1, MODE_NEXT_REWARD = 2 };

    Award(GameApp* app, int mode);
    ~Award() override;

    void AddedToManager(WidgetManager* manager) override;
    void Update() override;
    void Draw(Graphics* g) override;
    void Tick(double dt) override;
    void FadeInDone() override;
    void FadeOutDone() override;

    void ButtonDepress(int id) override;
    void ButtonMouseEnter(int id) override;
    void ButtonMouseLeave(int id) override;

    // Shows the picture of an award just earned (0-16; any other id is ignored) with the
    // particle burst and its sound.
    void StartAwardGet(int awardId);

    GameApp* mApp;
    ParticleSet* mParticles = nullptr;
    ButtonWidget* mCloseButton = nullptr;
    ButtonWidget* mPictureButton = nullptr;
    ButtonWidget* mAwardButtons[kAwardCount] = {};
    Image* mPictures[kAwardCount] = {};
    int mSelected = -1;
    bool mLoaded = false;
    int mMode;
    int mFade = 0;
    bool mFadeIn = false;
    bool mFadeOut = false;
    bool mPictureShown = false;

private:
    void Select(int awardId);
};

} // namespace Quor
