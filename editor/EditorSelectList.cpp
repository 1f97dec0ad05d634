#include "editor/EditorSelectList.h"

#include "editor/DataEditor.h"
#include "game/shell/GameApp.h"
#include "game/shell/ResourceBinding.h"
#include "widgets/ButtonWidget.h"

namespace Quor {

EditorSelectList::EditorSelectList(DataEditor* owner, int tag, int kind, int x, int y)
    : mApp(owner->mApp), mOwner(owner), mTag(tag), mKind(kind), mX(x), mY(y)
{
    BuildPage();
    mBackButton = new ButtonWidget(ID_BACK, this);
    mBackButton->mLabel = "<-";
    mBackButton->Resize(x, y + 400, 50, 25);
    mForwardButton = new ButtonWidget(ID_FORWARD, this);
    mForwardButton->mLabel = "->";
    mForwardButton->Resize(x + 50, y + 400, 50, 25);
    AddWidget(mBackButton);
    AddWidget(mForwardButton);
    Resize(0, 0, mApp->mWidth, mApp->mHeight);
}

EditorSelectList::~EditorSelectList()
{
    for (ButtonWidget* button : mRowButtons) {
        RemoveWidget(button);
        delete button;
    }
    RemoveWidget(mBackButton);
    RemoveWidget(mForwardButton);
    delete mBackButton;
    delete mForwardButton;
}

int EditorSelectList::RecordCount() const
{
    switch (mKind) {
    case PICK_MATERIALS:
        return int(mApp->sourceTable.size());
    case PICK_BLUEPRINTS:
        return int(mApp->blueprintTable.size());
    case PICK_CHARACTERS:
        return int(mApp->npcTable.size());
    default:
        return 0;
    }
}

void EditorSelectList::BuildPage()
{
    // A row button may be the one whose press pages (a record Id equal to a page button's):
    // it is freed after the current update.
    for (ButtonWidget* button : mRowButtons) {
        RemoveWidget(button);
        mApp->SafeDeleteWidget(button);
    }
    mRowButtons.clear();

    struct Row {
        int id;
        const std::string* img;   // kinds 1 and 2
        const std::string* name;  // kind 3
    };
    std::vector<Row> rows;
    const size_t first = size_t(mPage) * PAGE_SIZE;
    auto collect = [&](const auto& table, bool byImage) {
        size_t n = 0;
        for (const auto& [id, record] : table) {
            if (n++ < first)
                continue;
            if (rows.size() == PAGE_SIZE)
                break;
            rows.push_back({id, byImage ? &record.Img : nullptr, byImage ? nullptr : &record.Name});
        }
    };
    switch (mKind) {
    case PICK_MATERIALS:
        collect(mApp->sourceTable, true);
        break;
    case PICK_BLUEPRINTS:
        collect(mApp->blueprintTable, true);
        break;
    case PICK_CHARACTERS:
        collect(mApp->npcTable, false);
        break;
    default:
        return;
    }

    for (size_t i = 0; i < rows.size(); ++i) {
        auto* button = new ButtonWidget(rows[i].id, this);
        button->Resize(mX + int(i % 5) * 100, mY + int(i / 5) * 100, 100, 100);
        if (rows[i].img)
            // A name that is no resource, or one not loaded, leaves the button without image.
            button->mButtonImage = ResourceImageById(ResourceIdByName(rows[i].img->c_str()));
        else
            button->mLabel = rows[i].name->substr(0, 14);
        AddWidget(button);
        mRowButtons.push_back(button);
    }
}

void EditorSelectList::ButtonDepress(int id)
{
    if (id == ID_BACK) {
        if (mPage > 0) {
            --mPage;
            BuildPage();
        }
        return;
    }
    if (id == ID_FORWARD) {
        if ((mPage + 1) * PAGE_SIZE < RecordCount()) {
            ++mPage;
            BuildPage();
        }
        return;
    }
    mOwner->OnPickListChoice(mTag, id);
}

} // namespace Quor
