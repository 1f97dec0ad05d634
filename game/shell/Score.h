// The high-score screen (screen 7): the five best of the default entries and the named player
// profiles, over the score background, with a button back to the main menu.
#pragma once

#include "game/shell/HighScores.h"
#include "widgets/ButtonListener.h"
#include "widgets/Widget.h"

#include <list>

namespace Quor {

class ButtonWidget;
class GameApp;

class Score : public Widget, public ButtonListener {
public:
    enum { ID_BACK = 999 };

    explicit Score(GameApp* app);
    ~Score() override;

    void AddedToManager(WidgetManager* manager) override;
    void Update() override;
    void Draw(Graphics* g) override;
    void FadeOutDone() override;

    void ButtonDepress(int id) override;
    void ButtonMouseEnter(int id) override;

    GameApp* mApp;
    ButtonWidget* mBackButton = nullptr;
    std::list<ScoreEntry> mTable;
};

} // namespace Quor
