// DataEditor, mode 1: the material table in one column, one material open for editing (name,
// image name, price) and applied with OK.
#include "editor/DataEditor.h"

#include "editor/EditorFiles.h"
#include "game/shell/DCapResource.h"
#include "game/shell/GameApp.h"
#include "game/shell/ResourceBinding.h"
#include "graphics/Graphics.h"
#include "widgets/ButtonWidget.h"
#include "widgets/EditWidget.h"

namespace Quor {

void DataEditor::BuildSourceEditor()
{
    if (!LoadGameMain())
        return;
    auto* ok = new ButtonWidget(ID_SOURCE_OK, this);
    ok->mLabel = "OK";
    ok->Resize(mListX + 500, mListY + 300, 50, 30);
    mLists[5].push_back(ok);

    int row = 0;
    for (const auto& [id, material] : mApp->sourceTable) {
        auto* edit = new ButtonWidget(id, this);
        edit->mLabel = "Edit";
        edit->Resize(mListX, mListY + mLineHeight * row, 40, mLineHeight);
        mLists[4].push_back(edit);
        AddWidget(edit);
        ++row;
    }
    mState.push_back(-1);
}

void DataEditor::ClearSourceEditor()
{
    FreeList(4);
    FreeList(5);
    FreeList(1);
    mState.clear();
    FreeGameMain();
}

void DataEditor::DrawSourceEditor(Graphics* g)
{
    int row = 0;
    for (const auto& [id, material] : mApp->sourceTable) {
        const int y = mListY + mLineHeight * row + 15;
        g->DrawString(std::to_string(material.Id), mListX + 50, y);
        g->DrawString(material.Name, mListX + 100, y);
        g->DrawString(material.Img, mListX + 300, y);
        g->DrawString("$ " + std::to_string(material.Price), mListX + 400, y);
        ++row;
    }
    auto open = mApp->sourceTable.find(OpenId());
    if (open == mApp->sourceTable.end())
        return;
    // A name that is no resource, or a picture not loaded, draws nothing.
    if (Image* image = ResourceImageById(ResourceIdByName(open->second.Img.c_str())))
        g->DrawImage(image, mListX + 600, 200);
}

void DataEditor::SourceEditorPress(int id)
{
    if (id < 10000)
        EditSource(id);
    else if (id == ID_SOURCE_OK)
        ApplySourceEdit();
}

void DataEditor::EditSource(int id)
{
    if (mState.empty())
        return;
    FreeList(1);
    Widget* ok = mLists[5].front();
    RemoveWidget(ok);
    auto found = mApp->sourceTable.find(id);
    if (found == mApp->sourceTable.end())
        return;
    const SourceRecord& material = found->second;
    mState[0] = id;
    AddField(ID_SOURCE_NAME, mListX + 500, mListY, 200, 50, material.Name);
    AddField(ID_SOURCE_IMG, mListX + 500, mListY + 25, 200, 50, material.Img);
    AddField(ID_SOURCE_PRICE, mListX + 500, mListY + 50, 100, 9, std::to_string(material.Price));
    AddWidget(ok);
}

void DataEditor::ApplySourceEdit()
{
    auto found = mApp->sourceTable.find(OpenId());
    if (found == mApp->sourceTable.end() || mLists[1].size() < 3)
        return;
    SourceRecord& material = found->second;
    auto* name = static_cast<EditWidget*>(mLists[1][0]);
    auto* img = static_cast<EditWidget*>(mLists[1][1]);
    auto* price = static_cast<EditWidget*>(mLists[1][2]);

    if (ResourceIdByName(img->mString.c_str()) == RESOURCE_ID_MAX)
        img->SetText(material.Img);
    int32_t value = 0;
    if (!ParseFieldInt(price->mString, &value))
        return;
    if (value < 1)
        price->SetText("1");
    else if (value > 999999999)
        price->SetText("999999999");
    for (Widget* field : mLists[1])
        ResetCaret(static_cast<EditWidget*>(field));

    material.Name = name->mString;
    material.Img = img->mString;
    ParseFieldInt(price->mString, &material.Price);
    mApp->editedTables |= GameApp::EDITED_SOURCES;
}

} // namespace Quor
