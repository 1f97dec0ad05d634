// DataEditor, mode 4: the blueprint table in pages of 18 rows, one blueprint open in a panel
// (name, image name, up to five materials with quantities), OK, ADD, DEL, X and the choice of a
// material through the pick list.
#include "editor/DataEditor.h"

#include "editor/EditorFiles.h"
#include "editor/EditorSelectList.h"
#include "game/shell/DCapResource.h"
#include "game/shell/GameApp.h"
#include "game/shell/ResourceBinding.h"
#include "graphics/Color.h"
#include "graphics/Graphics.h"
#include "widgets/ButtonWidget.h"
#include "widgets/Checkbox.h"
#include "widgets/EditWidget.h"

namespace Quor {

void DataEditor::BuildBluePrintEditor()
{
    if (!LoadGameMain())
        return;
    struct Command {
        int id;
        const char* label;
        int x;
        int y;
    };
    static const Command kCommands[] = {{ID_BP_BACK, "<-", 0, 743},   {ID_BP_FORWARD, "->", 30, 743},
                                        {ID_BP_OK, "OK", 900, 330},   {ID_BP_ADD, "ADD", 800, 330},
                                        {ID_BP_DEL, "DEL", 850, 330}, {ID_BP_CLOSE, "X", 750, 330}};
    for (const Command& c : kCommands) {
        auto* button = new ButtonWidget(c.id, this);
        button->mLabel = c.label;
        button->Resize(c.x, c.y, 30, 25);
        mLists[5].push_back(button);
    }
    AddWidget(mLists[5][0]);
    AddWidget(mLists[5][1]);
    mState = {-1, 0};
    BuildBluePrintPage();
}

void DataEditor::BuildBluePrintPage()
{
    FreeList(4);
    FreeList(6);
    const int page = Page();
    int row = 0;
    int p = 0;
    for (const auto& [id, blueprint] : mApp->blueprintTable) {
        if (p == page) {
            if (row == BP_PAGE_SIZE)
                break;
            auto* edit = new ButtonWidget(id, this);
            edit->mLabel = "Edit";
            edit->Resize(mListX, mListY + 36 * row, 40, mLineHeight);
            mLists[4].push_back(edit);
            AddWidget(edit);
            ++row;
        } else if (row == BP_PAGE_SIZE - 1) {
            ++p;
            row = 0;
        } else {
            ++row;
        }
    }
}

void DataEditor::ClearBluePrintEditor()
{
    for (int list : {4, 5, 6, 1, 11})
        FreeList(list);
    ClosePickList();
    mState.clear();
    FreeGameMain();
}

void DataEditor::DrawBluePrintEditor(Graphics* g)
{
    const auto& materials = mApp->sourceTable;
    for (size_t r = 0; r < mLists[4].size(); ++r) {
        auto found = mApp->blueprintTable.find(static_cast<ButtonWidget*>(mLists[4][r])->mId);
        if (found == mApp->blueprintTable.end())
            return;
        const BlueprintRecord& blueprint = found->second;
        const int y = mListY + 15 + 36 * int(r);
        g->SetColor(Color(110, 80, 80));
        g->DrawString("ID : " + std::to_string(blueprint.Id), mListX + 50, y);
        g->DrawString(blueprint.Name, mListX + 120, y);
        g->DrawString(blueprint.Img, mListX + 300, y);
        g->DrawString("Country : " + std::to_string(blueprint.CountryId), mListX + 400, y);
        g->SetColor(Color(0, 255, 0));
        g->DrawString("Source : ", mListX + 70, y + 18);
        int j = 0;
        for (const auto& [material, qty] : blueprint.materialQty) {
            auto m = materials.find(material);
            // A material missing from the table shows its Id.
            std::string text = (m != materials.end() ? m->second.Name : "#" + std::to_string(material)) + " : " +
                               std::to_string(qty);
            g->DrawString(text, mListX + 140 + 150 * j, y + 18);
            ++j;
        }
    }

    const BlueprintRecord* open = OpenBlueprint();
    if (!open)
        return;
    g->SetColor(Color(0, 0, 0));
    g->DrawString("Sid       Qty", mListX + 750, 135);
    g->DrawString("Color", mListX + 700, 135);
    int k = 0;
    for (const auto& [material, qty] : open->materialQty) {
        auto m = materials.find(material);
        if (m != materials.end())
            if (Image* image = ResourceImageById(ResourceIdByName(m->second.Img.c_str())))
                g->DrawImage(image, mListX + 880, 100 + 38 * k);
        ++k;
    }
    if (Image* image = ResourceImageById(ResourceIdByName(open->Img.c_str())))
        g->DrawImage(image, mListX + 800, 540);
}

BlueprintRecord* DataEditor::OpenBlueprint()
{
    auto found = mApp->blueprintTable.find(OpenId());
    return found == mApp->blueprintTable.end() ? nullptr : &found->second;
}

void DataEditor::BluePrintEditorPress(int id)
{
    if (mState.empty())
        return;
    if (id < 10000) {
        EditBluePrint(id);
        return;
    }
    BlueprintRecord* open = OpenBlueprint();
    switch (id) {
    case ID_BP_BACK:
        if (mState[1] > 0) {
            --mState[1];
            BuildBluePrintPage();
        }
        return;
    case ID_BP_FORWARD:
        if (mApp->blueprintTable.size() > size_t(mState[1] + 1) * BP_PAGE_SIZE) {
            ++mState[1];
            BuildBluePrintPage();
        }
        return;
    case ID_BP_OK:
        ApplyBluePrintEdit();
        return;
    case ID_BP_ADD:
        // Nothing to add while the material table is empty.
        if (open && open->materialQty.size() < BP_MAX_MATERIALS && !mApp->sourceTable.empty()) {
            const int first = mApp->sourceTable.begin()->first;
            const bool addedMaterial = open->materialQty.emplace(first, 1).second;
            const bool addedColor = open->colorSources.emplace(first, 0).second;
            if (addedMaterial || addedColor)
                mApp->editedTables |= GameApp::EDITED_BLUEPRINTS;
            EditBluePrint(open->Id);
        }
        return;
    case ID_BP_DEL:
        if (open && !open->materialQty.empty()) {
            open->materialQty.erase(open->materialQty.begin());
            if (!open->colorSources.empty())
                open->colorSources.erase(open->colorSources.begin());
            mApp->editedTables |= GameApp::EDITED_BLUEPRINTS;
            EditBluePrint(open->Id);
        }
        return;
    case ID_BP_CLOSE:
        CloseBluePrintEdit();
        return;
    default:
        break;
    }
    if (id >= ID_BP_CHOICE && id < 30000 && open) {
        ClosePickList();
        mPickList = new EditorSelectList(this, id - ID_BP_CHOICE, PICK_MATERIALS, 50, 50);
        mPickList->Resize(0, 0, mApp->mWidth, mApp->mHeight);
        AddWidget(mPickList);
    }
}

void DataEditor::RemoveBluePrintCommands()
{
    // OK, ADD, DEL and X: the page buttons stay.
    for (size_t i = 2; i < mLists[5].size(); ++i)
        RemoveWidget(mLists[5][i]);
}

void DataEditor::EditBluePrint(int id)
{
    if (mState.empty())
        return;
    FreeList(1);
    FreeList(11);
    FreeList(6);
    RemoveBluePrintCommands();
    auto found = mApp->blueprintTable.find(id);
    if (found == mApp->blueprintTable.end())
        return;
    BlueprintRecord& blueprint = found->second;
    mState[0] = id;

    AddField(ID_BP_NAME, mListX + 750, mListY, 200, 50, blueprint.Name);
    AddField(ID_BP_IMG, mListX + 750, mListY + 25, 200, 50, blueprint.Img);
    int k = 0;
    for (const auto& [material, qty] : blueprint.materialQty) {
        const int y = mListY + 100 + 38 * k;
        AddField(ID_BP_FIRST_MATERIAL + 2 * k, mListX + 750, y, 50, 5, std::to_string(material));
        AddField(ID_BP_FIRST_MATERIAL + 1 + 2 * k, mListX + 830, y, 50, 5, std::to_string(qty));

        auto* choose = new ButtonWidget(ID_BP_CHOICE + material, this);
        choose->mLabel = "C";
        choose->Resize(mListX + 800, y, 20, mLineHeight);
        AddWidget(choose);
        mLists[6].push_back(choose);

        if (blueprint.colorSources.emplace(material, 0).second)
            mApp->editedTables |= GameApp::EDITED_BLUEPRINTS;
        // The boxes show no state the editor reads: each starts clear.
        auto* box = new Checkbox(GM_I_LV0, GM_I_LV3, material, this);
        box->Resize(mListX + 700, y, 20, mLineHeight);
        AddWidget(box);
        mLists[11].push_back(box);
        box->SetChecked(false, true);
        ++k;
    }
    for (size_t i = 2; i < mLists[5].size(); ++i)
        AddWidget(mLists[5][i]);
}

void DataEditor::CloseBluePrintEdit()
{
    FreeList(1);
    FreeList(6);
    FreeList(11);
    RemoveBluePrintCommands();
    if (!mState.empty())
        mState[0] = -1;
}

void DataEditor::ApplyBluePrintEdit()
{
    BlueprintRecord* blueprint = OpenBlueprint();
    if (!blueprint || mLists[1].size() < 2)
        return;
    std::vector<EditWidget*> fields;
    for (Widget* widget : mLists[1])
        fields.push_back(static_cast<EditWidget*>(widget));
    const auto& materials = mApp->sourceTable;

    if (ResourceIdByName(fields[1]->mString.c_str()) == RESOURCE_ID_MAX)
        fields[1]->SetText(blueprint->Img);
    const size_t pairs = (fields.size() - 2) / 2;
    for (size_t i = 0; i < pairs; ++i) {
        EditWidget* materialField = fields[2 + 2 * i];
        EditWidget* qtyField = fields[3 + 2 * i];
        int32_t material = 0;
        if (!ParseFieldInt(materialField->mString, &material))
            return;
        if (!materials.count(material)) {
            // With no material at all there is nothing to put in its place.
            if (materials.empty())
                return;
            materialField->SetText(std::to_string(materials.begin()->first));
        }
        int32_t qty = 0;
        if (!ParseFieldInt(qtyField->mString, &qty))
            return;
        if (qty < 1)
            qtyField->SetText("1");
        else if (qty > 999)
            qtyField->SetText("999");
    }
    for (EditWidget* field : fields)
        ResetCaret(field);

    blueprint->Name = fields[0]->mString;
    blueprint->Img = fields[1]->mString;
    blueprint->materialQty.clear();
    for (size_t i = 0; i < pairs; ++i) {
        int32_t material = 0;
        int32_t qty = 0;
        ParseFieldInt(fields[2 + 2 * i]->mString, &material);
        ParseFieldInt(fields[3 + 2 * i]->mString, &qty);
        if (qty > 0)
            blueprint->materialQty.emplace(material, qty);
    }
    mApp->editedTables |= GameApp::EDITED_BLUEPRINTS;
    EditBluePrint(blueprint->Id);
}

void DataEditor::ReplaceBluePrintSource(int tag, int id)
{
    BlueprintRecord* blueprint = OpenBlueprint();
    if (!blueprint)
        return;
    auto replaced = blueprint->materialQty.find(tag);
    if (replaced != blueprint->materialQty.end()) {
        const int32_t qty = replaced->second;
        blueprint->materialQty.erase(replaced);
        blueprint->materialQty.emplace(id, qty);
        mApp->editedTables |= GameApp::EDITED_BLUEPRINTS;
    }
    EditBluePrint(blueprint->Id);
}

} // namespace Quor
