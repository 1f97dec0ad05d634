// The start-up screen over the whole window: three splash images, each brightening and
// darkening over a second, with the jingle as the last begins; then the background with the
// loading bar following the loading thread. When the application starts its fade-out it fades,
// removes itself and opens the main menu (and the account popup over it on a first start).
#pragma once

#include "widgets/Widget.h"

namespace Quor {

class GameApp;
class Image;

class Loading : public Widget {
public:
    explicit Loading(GameApp* app);
    ~Loading() override;

    void AddedToManager(WidgetManager* manager) override;
    void RemovedFromManager(WidgetManager* manager) override;
    void Update() override;
    void Draw(Graphics* g) override;
    // One step of the splash sequence.
    void Tick(double dt) override;
    void FadeOutDone() override;

    GameApp* mApp;
    Image* mBackground = nullptr;  // owned; null when the file is missing
    Image* mLoaderBar = nullptr;
    int mSplashCounter = 3;        // the splash on show; 0 once they are over
    double mSplashTimer = 0.0;     // 0.0 .. 1.0, the brightness phase
    bool mSplashFalling = false;
};

} // namespace Quor
