// DataEditor, mode 3: the character table in one column, the selected character's speech sets on
// pages, a panel for the character (Id, name, portrait) and one for a speech set (Id, type,
// lines), and the four checks of the character and quest tables.
#include "editor/DataEditor.h"

#include "editor/EditorFiles.h"
#include "game/shell/GameApp.h"
#include "game/shell/ResourceBinding.h"
#include "graphics/Color.h"
#include "graphics/Graphics.h"
#include "widgets/ButtonWidget.h"
#include "widgets/EditWidget.h"

namespace Quor {

namespace {

// The state words of the mode.
enum { NPC_SELECTED, NPC_FIRST_SET, NPC_SHOWN_SETS, NPC_PANEL, NPC_EDITED_SET, NPC_CHECK_LIST, NPC_STATE_WORDS };
enum { PANEL_NONE = 0, PANEL_CHARACTER = 1, PANEL_SPEECH = 2 };

// Lines of a speech page: a set takes its lines (one row when it has none) and one row more.
constexpr int kSpeechPageRows = 35;

int SetRows(const NpcSpeech& set)
{
    return set.Des.empty() ? 1 : int(set.Des.size());
}

} // namespace

std::optional<int32_t> NextFreeId(const std::vector<int32_t>& sortedIds)
{
    if (sortedIds.empty())
        return 0;
    int64_t candidate = 0;
    for (int32_t id : sortedIds) {
        if (id < candidate)
            continue;
        if (id > candidate)
            break;
        ++candidate;
    }
    // The search ends at the largest Id + 1, which may lie below 0 or outside 32 bits.
    candidate = std::min<int64_t>(candidate, int64_t(sortedIds.back()) + 1);
    if (candidate > INT32_MAX)
        return std::nullopt;
    return int32_t(candidate);
}

void DataEditor::BuildCharacterEditor()
{
    if (!LoadGameMain())
        return;
    struct Fixed {
        int id;
        const char* label;
        int x;
        int y;
        int width;
        bool shown;  // at once; the others only in a panel
    };
    const int x = mListX;
    const Fixed kFixed[] = {{ID_NPC_OK, "OK", 0, 0, 30, false},
                            {ID_NPC_BACK, "<-", x + 150, 743, 30, true},
                            {ID_NPC_FORWARD, "->", x + 180, 743, 30, true},
                            {ID_NPC_EDIT, "Edit", 100, 0, 30, true},
                            {ID_NPC_ADD, "Add", x + 120, 743, 30, true},
                            {ID_NPC_DEL, "Del", 0, 0, 30, false},
                            {ID_NPC_DEL_SET, "Del SP", 312, 584, 30, false},
                            {ID_NPC_ADD_NPC, "Add NPC", 0, 0, 80, true},
                            {ID_NPC_CHECK_USING, "Check USING", x + 300, 743, 100, true},
                            {ID_NPC_CHECK_MISS, "Check MISS", x + 400, 743, 100, true},
                            {ID_NPC_CHECK_REWARD, "Check REWARD", x + 500, 743, 100, true},
                            {ID_NPC_CHECK_BP, "Check BP", x + 600, 743, 100, true}};
    for (const Fixed& f : kFixed) {
        auto* button = new ButtonWidget(f.id, this);
        button->mLabel = f.label;
        button->Resize(f.x, f.y, f.width, 25);
        mLists[5].push_back(button);
        if (f.shown)
            AddWidget(button);
    }
    RebuildCharacterButtons();
    mState = {-1, 0, 3, PANEL_NONE, -1, CHECK_NONE};
    mCheckRows.clear();
}

void DataEditor::ClearCharacterEditor()
{
    for (int list : {4, 6, 1, 5})
        FreeList(list);
    mCheckRows.clear();
    RemoveWidget(mBackdrop);
    if (!mState.empty())
        FreeGameMain();
    mState.clear();
}

ButtonWidget* DataEditor::FixedButton(int id) const
{
    for (Widget* widget : mLists[5])
        if (auto* button = static_cast<ButtonWidget*>(widget); button->mId == id)
            return button;
    return nullptr;
}

NpcRecord* DataEditor::SelectedCharacter()
{
    if (mState.size() != NPC_STATE_WORDS)
        return nullptr;
    auto found = mApp->npcTable.find(mState[NPC_SELECTED]);
    return found == mApp->npcTable.end() ? nullptr : &found->second;
}

void DataEditor::RebuildCharacterButtons()
{
    FreeList(4);
    int i = 0;
    for (const auto& [id, npc] : mApp->npcTable) {
        auto* button = new ButtonWidget(id, this);
        button->mLabel = npc.Name.substr(0, 10);
        button->Resize(mListX, mListY + 18 * i, 80, 18);
        mLists[4].push_back(button);
        AddWidget(button);
        ++i;
    }
}

void DataEditor::SelectCharacter(int id)
{
    auto found = mApp->npcTable.find(id);
    if (found == mApp->npcTable.end())
        return;
    mState[NPC_SELECTED] = id;
    const auto& sets = found->second.Speech;
    mState[NPC_FIRST_SET] = sets.empty() ? -1 : sets.begin()->first;
    RebuildSpeechButtons();
}

void DataEditor::RebuildSpeechButtons()
{
    FreeList(6);
    const NpcRecord* npc = SelectedCharacter();
    if (!npc)
        return;
    int rows = 0;
    int count = 0;
    for (auto it = npc->Speech.lower_bound(mState[NPC_FIRST_SET]); it != npc->Speech.end(); ++it) {
        rows += SetRows(it->second);
        if (rows >= kSpeechPageRows)
            break;
        // The button carries the set's Id; a renumbered set moves to its new key at once, so Id
        // and key agree.
        auto* button = new ButtonWidget(ID_NPC_SET + it->second.Id, this);
        button->mLabel = "Edit";
        button->Resize(mListX + 120, mListY + 18 * rows, 30, 18);
        mLists[6].push_back(button);
        AddWidget(button);
        ++rows;
        ++count;
    }
    mState[NPC_SHOWN_SETS] = count;
}

void DataEditor::DrawCharacterEditor(Graphics* g)
{
    if (mState.size() != NPC_STATE_WORDS)
        return;
    const int x = mListX;
    const int y = mListY;
    g->SetColor(Color(0, 0, 0));
    if (const NpcRecord* npc = SelectedCharacter()) {
        g->DrawString("Id : " + std::to_string(npc->Id), x + 100, y);
        g->DrawString("Name : " + npc->Name, x + 300, y);
        g->DrawString("Img : " + npc->Img, x + 600, y);
        // Only a loaded picture: a name the game does not know, or a sound or font, draws nothing.
        if (Image* portrait = ResourceImageById(ResourceIdByName(npc->Img.c_str())))
            g->DrawImage(portrait, x + 800, y + 20);

        int r = 1;
        int c = 0;
        for (auto it = npc->Speech.lower_bound(mState[NPC_FIRST_SET]);
             it != npc->Speech.end() && c < mState[NPC_SHOWN_SETS]; ++it) {
            const NpcSpeech& set = it->second;
            const int row = y + 18 * r;
            g->DrawString("SP : " + std::to_string(set.Id), x + 120, row);
            g->DrawString("Type : " + std::to_string(set.Type), x + 180, row);
            g->DrawString("Des :", x + 250, row);
            for (const std::string& line : set.Des) {
                g->DrawString(line, x + 300, y + 18 * r);
                ++r;
            }
            if (set.Des.empty())
                ++r;
            ++r;
            ++c;
        }
    }
    if (mState[NPC_PANEL] == PANEL_CHARACTER) {
        g->SetColor(Color(0, 255, 0));
        g->FillRect(312, 234, 400, 300);
        g->SetFont(FONT_TEST);
        g->SetColor(Color(0, 0, 0));
        g->DrawString("ID : ", 402, 349);
        g->DrawString("NAME : ", 402, 374);
        g->DrawString("IMG : ", 402, 399);
    } else if (mState[NPC_PANEL] == PANEL_SPEECH) {
        g->SetColor(Color(0, 255, 0));
        g->FillRect(212, 134, 800, 500);
        g->SetFont(FONT_TEST);
        g->SetColor(Color(0, 0, 0));
        g->DrawString("ID : ", 302, 249);
        g->DrawString("TYPE : ", 302, 274);
        g->DrawString("DES : ", 302, 299);
    }
    const int kind = mState[NPC_CHECK_LIST];
    if (kind == CHECK_MISS || kind == CHECK_REWARD || kind == CHECK_BLUEPRINTS) {
        g->SetColor(Color(255, 0, 0));
        for (size_t i = 0; i < mCheckRows.size(); ++i)
            g->DrawString(CheckRowText(kind, mCheckRows[i]), 500, 100 + 15 * int(i));
    }
}

void DataEditor::CharacterEditorPress(int id)
{
    if (mState.size() != NPC_STATE_WORDS)
        return;
    if (id < 1000) {
        SelectCharacter(id);
        return;
    }
    if (id >= ID_NPC_SET && id < 30000) {
        OpenSpeechPanel(id - ID_NPC_SET);
        return;
    }
    const int panel = mState[NPC_PANEL];
    switch (id) {
    case ID_NPC_OK:
        if (panel == PANEL_CHARACTER)
            ApplyCharacterPanel();
        else if (panel == PANEL_SPEECH)
            ApplySpeechPanel();
        break;
    case ID_NPC_BACK:
        SpeechPageBack();
        break;
    case ID_NPC_FORWARD:
        SpeechPageForward();
        break;
    case ID_NPC_EDIT:
        OpenCharacterPanel();
        break;
    case ID_NPC_ADD:
        if (panel == PANEL_NONE)
            AddSpeechSet();
        else if (panel == PANEL_SPEECH)
            AddSpeechLine();
        break;
    case ID_NPC_DEL:
        if (panel == PANEL_CHARACTER)
            DeleteCharacter();
        else if (panel == PANEL_SPEECH)
            DeleteSpeechLine();
        break;
    case ID_NPC_DEL_SET:
        DeleteSpeechSet();
        break;
    case ID_NPC_ADD_NPC:
        AddCharacter();
        break;
    case ID_NPC_CHECK_USING:
        CheckUsing();
        break;
    case ID_NPC_CHECK_MISS:
        mCheckRows = CheckMissRows(mApp->questTable, mApp->npcTable);
        mState[NPC_CHECK_LIST] = CHECK_MISS;
        break;
    case ID_NPC_CHECK_REWARD:
        mCheckRows = CheckRewardRows(mApp->questTable);
        mState[NPC_CHECK_LIST] = CHECK_REWARD;
        break;
    case ID_NPC_CHECK_BP:
        mCheckRows = CheckBlueprintRows(mApp->questTable);
        mState[NPC_CHECK_LIST] = CHECK_BLUEPRINTS;
        break;
    default:
        break;
    }
}

void DataEditor::SpeechPageBack()
{
    const NpcRecord* npc = SelectedCharacter();
    if (!npc || npc->Speech.empty())
        return;
    const auto& sets = npc->Speech;
    auto it = sets.lower_bound(mState[NPC_FIRST_SET]);
    int rows = 0;
    while (it != sets.begin()) {
        --it;
        rows += SetRows(it->second);
        if (rows > kSpeechPageRows) {
            ++it;
            break;
        }
        ++rows;
    }
    if (it == sets.end())
        return;
    mState[NPC_FIRST_SET] = it->first;
    RebuildSpeechButtons();
}

void DataEditor::SpeechPageForward()
{
    const NpcRecord* npc = SelectedCharacter();
    if (!npc || npc->Speech.empty())
        return;
    const auto& sets = npc->Speech;
    auto it = sets.lower_bound(mState[NPC_FIRST_SET]);
    for (int step = 0; step < mState[NPC_SHOWN_SETS] && it != sets.end(); ++step)
        ++it;
    if (it == sets.end())
        it = std::prev(sets.end());
    mState[NPC_FIRST_SET] = it->first;
    RebuildSpeechButtons();
}

void DataEditor::AddCharacter()
{
    std::vector<int32_t> ids;
    for (const auto& entry : mApp->npcTable)
        ids.push_back(entry.first);
    std::optional<int32_t> id = NextFreeId(ids);
    if (!id)
        return;
    NpcRecord npc;
    npc.Id = *id;
    npc.Name = "New NPC";
    npc.Img = "1";
    mApp->npcTable.emplace(*id, std::move(npc));
    mApp->editedTables |= GameApp::EDITED_CHARACTERS;
    RebuildCharacterButtons();
    SelectCharacter(*id);
}

void DataEditor::AddSpeechSet()
{
    NpcRecord* npc = SelectedCharacter();
    if (!npc)
        return;
    std::vector<int32_t> keys;
    for (const auto& entry : npc->Speech)
        keys.push_back(entry.first);
    std::optional<int32_t> key = NextFreeId(keys);
    if (!key)
        return;
    NpcSpeech set;
    set.Id = *key;
    set.Type = 1;
    npc->Speech.emplace(*key, std::move(set));
    mApp->editedTables |= GameApp::EDITED_CHARACTERS;
    SelectCharacter(npc->Id);
    mState[NPC_FIRST_SET] = *key;
    RebuildSpeechButtons();
}

void DataEditor::ShowPanelButton(int id, int x, int y)
{
    ButtonWidget* button = FixedButton(id);
    button->Resize(x, y, button->mWidth, button->mHeight);
    // Taken off and added again, so it lies above the backdrop.
    RemoveWidget(button);
    AddWidget(button);
}

void DataEditor::CloseCharacterPanel()
{
    FreeList(1);
    RemoveWidget(FixedButton(ID_NPC_OK));
    RemoveWidget(FixedButton(ID_NPC_DEL));
    RemoveWidget(mBackdrop);
    mState[NPC_PANEL] = PANEL_NONE;
}

void DataEditor::OpenCharacterPanel()
{
    const NpcRecord* npc = SelectedCharacter();
    if (!npc)
        return;
    CloseCharacterPanel();
    AddWidget(mBackdrop);
    mState[NPC_PANEL] = PANEL_CHARACTER;
    AddField(ID_NPC_FIELD_ID, 462, 334, 150, 3, std::to_string(npc->Id));
    AddField(ID_NPC_FIELD_NAME, 462, 359, 150, 50, npc->Name);
    AddField(ID_NPC_FIELD_IMG, 462, 384, 150, 50, npc->Img);
    ShowPanelButton(ID_NPC_OK, 502, 484);
    ShowPanelButton(ID_NPC_DEL, 362, 484);
}

void DataEditor::ApplyCharacterPanel()
{
    NpcRecord* npc = SelectedCharacter();
    if (!npc || mLists[1].size() < 3)
        return;
    auto* idField = static_cast<EditWidget*>(mLists[1][0]);
    int32_t newId = 0;
    if (!ParseFieldInt(idField->mString, &newId))
        return;
    if (newId != npc->Id && mApp->npcTable.count(newId)) {
        idField->SetText(std::to_string(npc->Id));
        newId = npc->Id;
    }
    for (Widget* field : mLists[1])
        ResetCaret(static_cast<EditWidget*>(field));
    NpcRecord changed = *npc;
    changed.Id = newId;
    changed.Name = static_cast<EditWidget*>(mLists[1][1])->mString;
    changed.Img = static_cast<EditWidget*>(mLists[1][2])->mString;
    mApp->npcTable.erase(npc->Id);
    mApp->npcTable.emplace(newId, std::move(changed));
    mApp->editedTables |= GameApp::EDITED_CHARACTERS;
    CloseCharacterPanel();
    mState[NPC_SELECTED] = newId;
    RebuildCharacterButtons();
}

void DataEditor::DeleteCharacter()
{
    if (!SelectedCharacter())
        return;
    mApp->npcTable.erase(mState[NPC_SELECTED]);
    mApp->editedTables |= GameApp::EDITED_CHARACTERS;
    TeardownMode();
    BuildMode();
}

void DataEditor::CloseSpeechPanel()
{
    FreeList(1);
    RemoveWidget(FixedButton(ID_NPC_OK));
    ShowPanelButton(ID_NPC_ADD, mListX + 120, 743);
    RemoveWidget(FixedButton(ID_NPC_DEL));
    RemoveWidget(FixedButton(ID_NPC_DEL_SET));
    RemoveWidget(mBackdrop);
    mState[NPC_PANEL] = PANEL_NONE;
    mState[NPC_EDITED_SET] = -1;
}

NpcSpeech* DataEditor::EditedSpeechSet()
{
    NpcRecord* npc = SelectedCharacter();
    if (!npc || mState[NPC_PANEL] != PANEL_SPEECH)
        return nullptr;
    auto found = npc->Speech.find(mState[NPC_EDITED_SET]);
    return found == npc->Speech.end() ? nullptr : &found->second;
}

void DataEditor::OpenSpeechPanel(int key)
{
    CloseSpeechPanel();
    AddWidget(mBackdrop);
    NpcRecord* npc = SelectedCharacter();
    auto found = npc ? npc->Speech.find(key) : std::map<int32_t, NpcSpeech>::iterator();
    if (!npc || found == npc->Speech.end()) {
        CloseSpeechPanel();
        return;
    }
    const NpcSpeech& set = found->second;
    mState[NPC_PANEL] = PANEL_SPEECH;
    mState[NPC_EDITED_SET] = key;
    AddField(ID_NPC_FIELD_ID, 362, 234, 150, 3, std::to_string(set.Id));
    AddField(ID_NPC_FIELD_TYPE, 362, 259, 150, 1, std::to_string(set.Type));
    for (size_t i = 0; i < set.Des.size(); ++i)
        AddField(ID_NPC_FIELD_LINE + int(i), 362, 284 + 20 * int(i), 500, 255, set.Des[i]);
    ShowPanelButton(ID_NPC_OK, 602, 584);
    ShowPanelButton(ID_NPC_ADD, 302, 304);
    ShowPanelButton(ID_NPC_DEL, 302, 334);
    AddWidget(FixedButton(ID_NPC_DEL_SET));
}

void DataEditor::AddSpeechLine()
{
    NpcSpeech* set = EditedSpeechSet();
    if (!set)
        return;
    set->Des.push_back("New Des");
    const int n = int(set->Des.size());
    AddField(ID_NPC_FIELD_LINE + n - 1, 362, 284 + 20 * (n - 1), 500, 255, set->Des.back());
    mApp->editedTables |= GameApp::EDITED_CHARACTERS;
}

void DataEditor::DeleteSpeechLine()
{
    NpcSpeech* set = EditedSpeechSet();
    if (!set || set->Des.empty())
        return;
    Widget* last = mLists[1].back();
    mLists[1].pop_back();
    RemoveWidget(last);
    mApp->SafeDeleteWidget(last);
    set->Des.pop_back();
    mApp->editedTables |= GameApp::EDITED_CHARACTERS;
}

void DataEditor::DeleteSpeechSet()
{
    NpcRecord* npc = SelectedCharacter();
    if (!npc || !EditedSpeechSet())
        return;
    npc->Speech.erase(mState[NPC_EDITED_SET]);
    mApp->editedTables |= GameApp::EDITED_CHARACTERS;
    mState[NPC_EDITED_SET] = -1;
    CloseSpeechPanel();
    SelectCharacter(npc->Id);
}

void DataEditor::ApplySpeechPanel()
{
    NpcRecord* npc = SelectedCharacter();
    NpcSpeech* set = EditedSpeechSet();
    if (!set) {
        if (mState[NPC_PANEL] == PANEL_SPEECH)
            CloseSpeechPanel();
        return;
    }
    const int32_t key = mState[NPC_EDITED_SET];
    auto* idField = static_cast<EditWidget*>(mLists[1][0]);
    auto* typeField = static_cast<EditWidget*>(mLists[1][1]);
    int32_t newKey = 0;
    if (!ParseFieldInt(idField->mString, &newKey))
        return;
    if (newKey != key && npc->Speech.count(newKey)) {
        idField->SetText(std::to_string(key));
        newKey = key;
    }
    int32_t type = 0;
    if (!ParseFieldInt(typeField->mString, &type))
        return;
    if (type != 1 && type != 2) {
        typeField->SetText("1");
        type = 1;
    }
    for (Widget* field : mLists[1])
        ResetCaret(static_cast<EditWidget*>(field));
    NpcSpeech changed = *set;
    changed.Id = newKey;
    changed.Type = type;
    for (size_t i = 0; i < changed.Des.size() && i + 2 < mLists[1].size(); ++i)
        changed.Des[i] = static_cast<EditWidget*>(mLists[1][i + 2])->mString;
    // The set moves to its new key at once, so the key and the Id it is saved with agree.
    npc->Speech.erase(key);
    npc->Speech.emplace(newKey, std::move(changed));
    mApp->editedTables |= GameApp::EDITED_CHARACTERS;
    CloseSpeechPanel();
    SelectCharacter(npc->Id);
    mState[NPC_FIRST_SET] = newKey;
    RebuildSpeechButtons();
}

void DataEditor::CheckUsing()
{
    const NpcRecord* npc = SelectedCharacter();
    if (!npc)
        return;
    size_t i = 0;
    for (auto it = npc->Speech.lower_bound(mState[NPC_FIRST_SET]);
         it != npc->Speech.end() && int(i) < mState[NPC_SHOWN_SETS] && i < mLists[6].size(); ++it, ++i)
        if (SpeechSetInUse(mApp->questTable, npc->Id, it->second.Id))
            static_cast<ButtonWidget*>(mLists[6][i])->SetColor(ButtonWidget::COLOR_BKG, Color(0, 255, 0));
}

} // namespace Quor
