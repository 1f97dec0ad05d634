// The data editor's pick list: a full-screen layer over the editor showing a game-data table
// (materials, blueprints or characters) as a grid of buttons, 20 to a page, with two page
// buttons; pressing a record hands (tag, record Id) back to the editor, which closes the list.
#pragma once

#include "widgets/ButtonListener.h"
#include "widgets/Widget.h"

#include <vector>

namespace Quor {

class ButtonWidget;
class DataEditor;
class GameApp;

// Which table a pick list shows.
enum PickListKind { PICK_MATERIALS = 1, PICK_BLUEPRINTS = 2, PICK_CHARACTERS = 3 };

class EditorSelectList : public Widget, public ButtonListener {
public:
    enum { ID_BACK = 10001, ID_FORWARD = 10002, PAGE_SIZE = 20 };

    // The grid's top-left corner at x, y; the page buttons below it at y + 400. A kind outside
    // 1-3 lists nothing.
    EditorSelectList(DataEditor* owner, int tag, int kind, int x, int y);
    ~EditorSelectList() override;

    void ButtonDepress(int id) override;

    GameApp* mApp;
    DataEditor* mOwner;
    std::vector<ButtonWidget*> mRowButtons;  // the current page's records
    ButtonWidget* mBackButton = nullptr;
    ButtonWidget* mForwardButton = nullptr;
    int mTag;
    int mKind;
    int mX;
    int mY;
    int mPage = 0;

private:
    // Replaces the row buttons by those of the current page.
    void BuildPage();
    // Records of the kind's table (0 for another kind).
    int RecordCount() const;
};

} // namespace Quor
