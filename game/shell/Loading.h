// The start-up screen over the whole window: black with the loading bar following the loading
// thread; when the application starts its fade-out it fades, removes itself and opens the main
// menu (and the account popup over it on a first start). The splash images are not shown yet:
// the screen lets the loading thread start as soon as it is made.
#pragma once

#include "widgets/Widget.h"

namespace Quor {

class GameApp;
class Image;

class Loading : public Widget {
public:
    explicit Loading(GameApp* app);

    void AddedToManager(WidgetManager* manager) override;
    void Update() override;
    void Draw(Graphics* g) override;
    void FadeOutDone() override;

private:
    GameApp* mApp;
    Image* mLoaderBar = nullptr;
};

} // namespace Quor
