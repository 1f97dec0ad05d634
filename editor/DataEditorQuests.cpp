// DataEditor, mode 2: the quest table in pages of 30 (main quests up to Id 100, side quests
// above), one quest's target, condition or reward list as rows of Prop fields, its fields and
// entry texts, the type buttons, the pick list, the speeches of a talk target and the character
// editor opened on top.
#include "editor/DataEditor.h"

#include "editor/EditorFiles.h"
#include "editor/EditorSelectList.h"
#include "editor/QuestEntryRules.h"
#include "game/shell/GameApp.h"
#include "graphics/Color.h"
#include "graphics/Graphics.h"
#include "widgets/ButtonWidget.h"
#include "widgets/EditWidget.h"

#include <climits>

namespace Quor {

namespace {

// The state words of the mode.
enum {
    Q_QUEST,     // the current quest's Id
    Q_ENTRY,     // the selected entry of the shown list, -1 none
    Q_EDITING,   // 1 while the speech panel stands in its editing place
    Q_VIEW,      // 0 main quests (Ids up to 100), 1 side quests
    Q_PAGE,      // of the quest list
    Q_LIST,      // QuestListKind shown
    Q_FIELDS,    // open edit fields: 0 none, 1 the quest's, 2 the entry's text
    Q_STATE_WORDS
};
constexpr int kQuestsPerPage = 30;
constexpr int32_t kLastMainQuest = 100;
constexpr int kTypeButtons = 21;

bool InView(int view, int32_t id)
{
    if (view == 0)
        return id <= kLastMainQuest;
    if (view == 1)
        return id > kLastMainQuest;
    return true;
}

} // namespace

void DataEditor::BuildQuestEditor()
{
    if (!LoadGameMain())
        return;
    const int x = mListX;
    const int y = mListY;
    const int r = mLineHeight;
    // The 21 type buttons stay off the screen until "Type".
    for (int list = LIST_TARGET; list <= LIST_REWARD; ++list)
        for (int type = 1; type <= 7; ++type) {
            auto* button = new ButtonWidget(ID_Q_TYPE + 100 * list + type, this);
            button->mLabel = TypeButtonLabel(list, type);
            button->Resize(x + 800, y + 2 + (type - 1) * r, 50, r);
            if (list == LIST_TARGET && type == 6)
                button->SetDisabled(true);
            mLists[5].push_back(button);
        }
    struct Fixed {
        int id;
        const char* label;
        int x;
        int y;
        int width;
        int height;
    };
    const Fixed kFixed[] = {{ID_Q_EDIT_SPEECH, "Edit Speech", x + 500, y + 50, 100, r},
                            {ID_Q_ADD_ENTRY, "Add T", x + 200, y + 50, 50, r},
                            {ID_Q_ADD_QUEST, "Add Quest", 0, 0, 100, r},
                            {ID_Q_DELETE_QUEST, "Delete Quest", 0, r, 100, r},
                            {ID_Q_DEL_ENTRY, "Del T", x + 250, y + 50, 50, r},
                            {ID_Q_OK, "OK", x + 350, y, 50, r},
                            {ID_Q_TYPE_MENU, "Type", x + 300, y + 50, 50, r},
                            {ID_Q_PAGE_BACK, "<-", x, 718, 50, 25},
                            {ID_Q_PAGE_FORWARD, "->", x + 100, 718, 50, 25},
                            {ID_Q_MAIN, "Main", x, 743, 50, 25},
                            {ID_Q_SUB, "Sub", x + 100, 743, 50, 25},
                            {ID_Q_TARGETS, "Target", x + 250, y + 25, 50, r},
                            {ID_Q_PREQUESTS, "PreQuest", x + 300, y + 25, 50, r},
                            {ID_Q_REWARDS, "Reward", x + 350, y + 25, 50, r},
                            {ID_Q_EDIT_QUEST, "Edit Q", x + 300, y, 50, r},
                            {ID_Q_EDIT_ENTRY, "Edit T", x + 350, y + 50, 50, r},
                            {ID_Q_NPC_EDITOR, "NPC Editor", 944, 30, 80, 25},
                            {ID_Q_PICK, "C", 944, 30, 25, 25}};
    for (const Fixed& f : kFixed) {
        auto* button = new ButtonWidget(f.id, this);
        button->mLabel = f.label;
        button->Resize(f.x, f.y, f.width, f.height);
        if (f.id == ID_Q_OK)
            button->SetColor(ButtonWidget::COLOR_BKG, Color(255, 230, 230));
        mLists[5].push_back(button);
        AddWidget(button);
    }
    mBackdrop->Resize(x + 500, y + 70, 300, 600);
    mState = {0, -1, 0, 0, 0, LIST_TARGET, 0};
    RebuildQuestButtons();
}

void DataEditor::ClearQuestEditor()
{
    ClearEntryRows();
    for (int list : {4, 1, 5})
        FreeList(list);
    ClosePickList();
    RemoveWidget(mBackdrop);
    if (!mState.empty())
        FreeGameMain();
    mState.clear();
}

QuestRecord* DataEditor::CurrentQuest()
{
    if (mState.size() != Q_STATE_WORDS)
        return nullptr;
    auto found = mApp->questTable.find(mState[Q_QUEST]);
    return found == mApp->questTable.end() ? nullptr : &found->second;
}

QuestEntry* DataEditor::SelectedEntry()
{
    QuestRecord* quest = CurrentQuest();
    if (!quest || mState[Q_ENTRY] < 0)
        return nullptr;
    std::vector<QuestEntry>& list = QuestList(*quest, mState[Q_LIST]);
    return size_t(mState[Q_ENTRY]) < list.size() ? &list[size_t(mState[Q_ENTRY])] : nullptr;
}

void DataEditor::RebuildQuestButtons()
{
    FreeList(4);
    int n = 0;
    const int page = mState[Q_PAGE];
    for (const auto& [id, quest] : mApp->questTable) {
        if (!InView(mState[Q_VIEW], id))
            continue;
        if (n / kQuestsPerPage > page)
            break;
        if (n / kQuestsPerPage == page) {
            auto* button = new ButtonWidget(id, this);
            button->mLabel = std::to_string(id);
            button->Resize(mListX + 30, mListY + (n - kQuestsPerPage * page) * mLineHeight, 80, mLineHeight);
            mLists[4].push_back(button);
            AddWidget(button);
        }
        ++n;
    }
}

void DataEditor::ClearEntryRows()
{
    FreeList(6);
    for (std::vector<Widget*>& group : mPropFields)
        for (Widget* field : group) {
            RemoveWidget(field);
            mApp->SafeDeleteWidget(field);
        }
    mPropFields.clear();
    FreeList(7);
}

void DataEditor::ShowEntries(int questId)
{
    ClearEntryRows();
    mState[Q_ENTRY] = -1;
    RemoveWidget(FixedButton(ID_Q_PICK));
    mState[Q_QUEST] = questId;
    QuestRecord* quest = CurrentQuest();
    if (!quest)
        return;
    const int list = mState[Q_LIST];
    const std::vector<QuestEntry>& entries = QuestList(*quest, list);
    const int r = mLineHeight;
    for (size_t i = 0; i < entries.size(); ++i) {
        const int row = int(i);
        auto* button = new ButtonWidget(ID_Q_ROW + row, this);
        button->mLabel = "PV";
        button->Resize(mListX + 120, mListY + 87 + 2 * r * row, 20, r - 1);
        mLists[6].push_back(button);
        AddWidget(button);
        mPropFields.emplace_back();
        AddPropFields(i, entries[i]);
    }
}

void DataEditor::AddPropFields(size_t row, const QuestEntry& entry)
{
    std::vector<Widget*>& group = mPropFields[row];
    for (size_t j = 0; j < entry.Prop.size(); ++j) {
        auto* field = new EditWidget(1001 + 1000 * int(row) + int(j), this);
        const int width = IsMoneyProp(mState[Q_LIST], entry.Type, j) ? 59 : 29;
        field->Resize(mListX + 250 + 30 * int(j), mListY + 85 + 2 * mLineHeight * int(row), width, mLineHeight);
        field->mDrawFrame = true;
        field->SetText(std::to_string(entry.Prop[j]));
        group.push_back(field);
        AddWidget(field);
    }
}

void DataEditor::CloseQuestFields()
{
    FreeList(1);
    mState[Q_FIELDS] = 0;
}

void DataEditor::SelectEntry(int index)
{
    QuestRecord* quest = CurrentQuest();
    if (!quest)
        return;
    const std::vector<QuestEntry>& entries = QuestList(*quest, mState[Q_LIST]);
    if (index < 0 || size_t(index) >= entries.size())
        return;
    mState[Q_ENTRY] = index;
    CloseQuestFields();
    const QuestEntry& entry = entries[size_t(index)];
    FreeList(7);
    if (mState[Q_LIST] == LIST_TARGET && entry.Type == 5)
        BuildSpeechWidgets();
    ButtonWidget* pick = FixedButton(ID_Q_PICK);
    RemoveWidget(pick);
    if (PickListFor(mState[Q_LIST], entry.Type)) {
        pick->Resize(mListX + 470, mListY + 87 + 2 * mLineHeight * index, pick->mWidth, pick->mHeight);
        AddWidget(pick);
    }
}

int DataEditor::PanelRow(int row) const
{
    return mListY + 88 + mLineHeight * row;
}

void DataEditor::BuildSpeechWidgets()
{
    FreeList(7);
    QuestRecord* quest = CurrentQuest();
    QuestEntry* target = SelectedEntry();
    if (!quest || !target || target->Type != 5)
        return;
    const size_t captions = EntryCaptions(LIST_TARGET, *target, *mApp).size();
    const size_t lines = SpeechLines(*target, size_t(mState[Q_ENTRY]), quest->Target.size()).size();
    const NpcRecord* npc = nullptr;
    if (target->Prop.size() > 1)
        if (auto found = mApp->npcTable.find(target->Prop[1]); found != mApp->npcTable.end())
            npc = &found->second;
    // The widgets of each speech Prop stand on the rows below the captions and speech lines.
    int row = int(captions + lines);
    for (size_t j = kFirstSpeechProp; j < target->Prop.size(); ++j, ++row) {
        const int y = PanelRow(row) - mLineHeight + 4;
        auto* add = new ButtonWidget(ID_Q_SPEECH_ADD + int(j), this);
        add->mLabel = "Add";
        add->Resize(mListX + 510, y, 40, mLineHeight);
        mLists[7].push_back(add);
        AddWidget(add);
        const int32_t speech = target->Prop[j];
        const NpcSpeech* set = nullptr;
        if (npc)
            if (auto found = npc->Speech.find(speech); found != npc->Speech.end())
                set = &found->second;
        if (speech != -1 && !set)
            continue;
        auto* kind = new ButtonWidget(ID_Q_SPEECH_TYPE + int(j), this);
        kind->mLabel = speech == -1 ? "NO" : "T" + std::to_string(set->Type);
        kind->Resize(mListX + 555, y, 30, mLineHeight);
        mLists[7].push_back(kind);
        AddWidget(kind);
    }
}

void DataEditor::DrawQuestEditor(Graphics* g)
{
    if (mState.size() != Q_STATE_WORDS)
        return;
    const int x = mListX;
    const int y = mListY;
    const int r = mLineHeight;
    g->SetColor(Color(0, 0, 0));
    // The number of each quest in its view, beside its button.
    int n = 0;
    for (const auto& [id, quest] : mApp->questTable) {
        if (!InView(mState[Q_VIEW], id))
            continue;
        const int row = n - kQuestsPerPage * mState[Q_PAGE];
        if (row >= kQuestsPerPage)
            break;
        if (row >= 0)
            g->DrawString(std::to_string(n), x, y + 16 + row * r);
        ++n;
    }
    QuestRecord* quest = CurrentQuest();
    if (quest) {
        g->DrawString(quest->Des, x + 150, y - 10);
        g->DrawString("Id : " + std::to_string(quest->Id), x + 150, y + 20);
        g->DrawString("Weight : " + std::to_string(quest->Weight), x + 150, y + 40);
        const int list = mState[Q_LIST];
        const std::vector<QuestEntry>& entries = QuestList(*quest, list);
        for (size_t i = 0; i < entries.size(); ++i) {
            const int line = y + 100 + 2 * r * int(i);
            g->DrawString(std::string("T : ") + EntryTypeName(list, entries[i].Type), x + 150, line);
            g->DrawString(entries[i].Des, x + 250, line);
        }
        if (const QuestEntry* entry = SelectedEntry()) {
            std::vector<std::string> rows = EntryCaptions(list, *entry, *mApp);
            const NpcRecord* npc = nullptr;
            size_t speechRow = 0;
            if (list == LIST_TARGET && entry->Type == 5) {
                std::vector<std::string> lines = SpeechLines(*entry, size_t(mState[Q_ENTRY]), quest->Target.size());
                rows.insert(rows.end(), lines.begin(), lines.end());
                speechRow = rows.size();
                if (entry->Prop.size() > 1)
                    if (auto found = mApp->npcTable.find(entry->Prop[1]); found != mApp->npcTable.end())
                        npc = &found->second;
            }
            for (size_t i = 0; i < rows.size(); ++i)
                g->DrawString(rows[i], x + 510, PanelRow(int(i)));
            // Beside each speech's buttons, its first line.
            if (npc)
                for (size_t j = kFirstSpeechProp; j < entry->Prop.size(); ++j) {
                    auto found = npc->Speech.find(entry->Prop[j]);
                    if (found != npc->Speech.end() && !found->second.Des.empty())
                        g->DrawString(found->second.Des.front(), x + 590,
                                      PanelRow(int(speechRow + j - kFirstSpeechProp)));
                }
        }
    }
    g->SetColor(Color(0, 0, 0));
    g->DrawRect(x + 500, y + 70, 300, 600);
}

void DataEditor::QuestEditorPress(int id)
{
    if (mState.size() != Q_STATE_WORDS)
        return;
    if (id < 1000) {
        ShowEntries(id);
        return;
    }
    if (id >= ID_Q_ROW && id < ID_Q_TYPE) {
        SelectEntry(id - ID_Q_ROW);
        return;
    }
    if (id > ID_Q_TYPE && id < ID_Q_TYPE + 300 && id % 100 >= 1 && id % 100 <= 7) {
        SetEntryType((id - ID_Q_TYPE) / 100, id % 100);
        return;
    }
    if (id >= ID_Q_SPEECH_ADD && id < ID_Q_SPEECH_TYPE) {
        AddTalkSpeech(id - ID_Q_SPEECH_ADD);
        return;
    }
    if (id >= ID_Q_SPEECH_TYPE && id < ID_Q_SPEECH_TYPE + 100000) {
        ToggleTalkSpeechType(id - ID_Q_SPEECH_TYPE);
        return;
    }
    QuestRecord* quest = CurrentQuest();
    switch (id) {
    case ID_Q_EDIT_SPEECH:
        MoveSpeechPanel(!mState[Q_EDITING]);
        break;
    case ID_Q_ADD_ENTRY:
        if (quest) {
            QuestList(*quest, mState[Q_LIST]).push_back(NewQuestEntry(mState[Q_LIST], *mApp));
            mApp->editedTables |= GameApp::EDITED_QUESTS;
            ShowEntries(quest->Id);
        }
        break;
    case ID_Q_DEL_ENTRY:
        if (quest && SelectedEntry()) {
            FreeList(7);
            std::vector<QuestEntry>& entries = QuestList(*quest, mState[Q_LIST]);
            entries.erase(entries.begin() + mState[Q_ENTRY]);
            mApp->editedTables |= GameApp::EDITED_QUESTS;
            mState[Q_ENTRY] = -1;
            ShowEntries(quest->Id);
        }
        break;
    case ID_Q_ADD_QUEST:
        AddQuest();
        break;
    case ID_Q_DELETE_QUEST:
        if (quest) {
            mApp->questTable.erase(quest->Id);
            mApp->editedTables |= GameApp::EDITED_QUESTS;
            ClearEntryRows();
            RebuildQuestButtons();
        }
        break;
    case ID_Q_OK:
        ApplyQuestEdits();
        break;
    case ID_Q_TYPE_MENU:
        for (int i = 0; i < kTypeButtons; ++i)
            RemoveWidget(mLists[5][size_t(i)]);
        for (int i = 0; i < 7; ++i)
            AddWidget(mLists[5][size_t(7 * mState[Q_LIST] + i)]);
        break;
    case ID_Q_PAGE_BACK:
        if (mState[Q_PAGE] > 0) {
            --mState[Q_PAGE];
            RebuildQuestButtons();
        }
        break;
    case ID_Q_PAGE_FORWARD: {
        int count = 0;
        for (const auto& entry : mApp->questTable)
            if (mState[Q_VIEW] == 0 ? entry.first <= kLastMainQuest : entry.first > kLastMainQuest)
                ++count;
        const int pages = (count + kQuestsPerPage - 1) / kQuestsPerPage;
        if (mState[Q_PAGE] < pages - 1) {
            ++mState[Q_PAGE];
            RebuildQuestButtons();
        }
        break;
    }
    case ID_Q_MAIN:
    case ID_Q_SUB: {
        const int view = id == ID_Q_MAIN ? 0 : 1;
        if (mState[Q_VIEW] != view) {
            mState[Q_VIEW] = view;
            mState[Q_PAGE] = 0;
            RebuildQuestButtons();
        }
        break;
    }
    case ID_Q_TARGETS:
    case ID_Q_PREQUESTS:
    case ID_Q_REWARDS: {
        const int list = id == ID_Q_TARGETS ? LIST_TARGET : id == ID_Q_PREQUESTS ? LIST_PREQUEST : LIST_REWARD;
        if (mState[Q_LIST] != list) {
            FreeList(7);
            mState[Q_LIST] = list;
            mState[Q_ENTRY] = -1;
            ShowEntries(mState[Q_QUEST]);
        }
        break;
    }
    case ID_Q_EDIT_QUEST:
        if (quest) {
            CloseQuestFields();
            mState[Q_FIELDS] = 1;
            AddField(ID_Q_FIELD_ID, mListX + 500, mListY, 60, 8, std::to_string(quest->Id));
            AddField(ID_Q_FIELD_DES, mListX + 565, mListY, 300, -1, quest->Des);
            AddField(ID_Q_FIELD_WEIGHT, mListX + 870, mListY, 20, 1, std::to_string(quest->Weight));
        }
        break;
    case ID_Q_EDIT_ENTRY:
        if (const QuestEntry* entry = SelectedEntry()) {
            CloseQuestFields();
            mState[Q_FIELDS] = 2;
            AddField(ID_Q_FIELD_ENTRY, mListX + 500, mListY, 300, -1, entry->Des);
        }
        break;
    case ID_Q_NPC_EDITOR:
        mApp->ShowScreen(SCREEN_EDITOR2, EDITOR_CHARACTERS);
        break;
    case ID_Q_PICK:
        if (const QuestEntry* entry = SelectedEntry())
            if (const int kind = PickListFor(mState[Q_LIST], entry->Type)) {
                ClosePickList();
                mPickList = new EditorSelectList(this, 0, kind, 0, 0);
                mPickList->Resize(0, 0, mApp->mWidth, mApp->mHeight);
                AddWidget(mPickList);
            }
        break;
    default:
        break;
    }
}

void DataEditor::MoveSpeechPanel(bool editing)
{
    mState[Q_EDITING] = editing ? 1 : 0;
    if (editing) {
        mBackdrop->Resize(mListX + 200, mListY + 70, 300, 600);
        AddWidget(mBackdrop);
        BringToFront(mBackdrop);
    } else {
        // The panel holds no text of its own: the lines are typed in the character editor.
        // Back in its viewing place it would lie over the speech buttons, so it leaves the screen.
        mBackdrop->Resize(mListX + 500, mListY + 70, 300, 600);
        RemoveWidget(mBackdrop);
    }
}

void DataEditor::AddQuest()
{
    const auto& quests = mApp->questTable;
    int64_t id = 0;
    if (mState[Q_VIEW] == 1) {
        id = quests.empty() ? kLastMainQuest + 1 : int64_t(quests.rbegin()->first) + 1;
    } else {
        auto below = quests.lower_bound(100);
        id = below == quests.begin() ? 0 : int64_t(std::prev(below)->first) + 1;
    }
    if (id > INT32_MAX || quests.count(int32_t(id)))
        return;
    QuestRecord quest;
    quest.Id = int32_t(id);
    quest.CountryId = 0;
    quest.Weight = 1;
    quest.Des = "NewQuest" + std::to_string(id);
    mApp->questTable.emplace(quest.Id, std::move(quest));
    mApp->editedTables |= GameApp::EDITED_QUESTS;
    RebuildQuestButtons();
}

void DataEditor::ApplyQuestEdits()
{
    QuestRecord* quest = CurrentQuest();
    if (!quest)
        return;
    switch (mState[Q_FIELDS]) {
    case 0:
        ApplyPropFields(*quest);
        break;
    case 1: {
        if (mLists[1].size() < 3)
            return;
        auto* idField = static_cast<EditWidget*>(mLists[1][0]);
        auto* desField = static_cast<EditWidget*>(mLists[1][1]);
        auto* weightField = static_cast<EditWidget*>(mLists[1][2]);
        int32_t newId = 0;
        int32_t weight = 0;
        if (!ParseFieldInt(idField->mString, &newId) || !ParseFieldInt(weightField->mString, &weight))
            return;
        // A taken Id keeps the old one, so no quest is lost; Des and Weight still apply.
        if (newId != quest->Id && mApp->questTable.count(newId))
            newId = quest->Id;
        QuestRecord changed = *quest;
        changed.Id = newId;
        changed.Des = desField->mString;
        changed.Weight = weight;
        mApp->questTable.erase(quest->Id);
        mApp->questTable.emplace(newId, std::move(changed));
        mApp->editedTables |= GameApp::EDITED_QUESTS;
        mState[Q_QUEST] = newId;
        CloseQuestFields();
        RebuildQuestButtons();
        break;
    }
    case 2:
        if (QuestEntry* entry = SelectedEntry(); entry && !mLists[1].empty()) {
            entry->Des = static_cast<EditWidget*>(mLists[1][0])->mString;
            mApp->editedTables |= GameApp::EDITED_QUESTS;
        }
        CloseQuestFields();
        break;
    default:
        break;
    }
}

void DataEditor::ApplyPropFields(QuestRecord& quest)
{
    const int list = mState[Q_LIST];
    std::vector<QuestEntry>& entries = QuestList(quest, list);
    for (size_t i = 0; i < entries.size() && i < mPropFields.size(); ++i) {
        QuestEntry& entry = entries[i];
        const std::vector<Widget*>& group = mPropFields[i];
        for (size_t j = 0; j < entry.Prop.size() && j < group.size(); ++j) {
            auto* field = static_cast<EditWidget*>(group[j]);
            int32_t value = 0;
            // A field that is no number ends its row.
            if (!ParseFieldInt(field->mString, &value))
                break;
            if (std::optional<int32_t> replaced = PropReplacement(list, entry.Type, j, value, *mApp)) {
                value = *replaced;
                field->SetText(std::to_string(value));
            }
            ResetCaret(field);
            entry.Prop[j] = value;
            mApp->editedTables |= GameApp::EDITED_QUESTS;
        }
    }
}

void DataEditor::SetEntryType(int list, int type)
{
    if (list != mState[Q_LIST])
        return;
    QuestRecord* quest = CurrentQuest();
    QuestEntry* entry = SelectedEntry();
    if (!quest || !entry)
        return;
    for (int i = 0; i < 7; ++i)
        RemoveWidget(mLists[5][size_t(7 * list + i)]);
    MoveSpeechPanel(false);
    const size_t index = size_t(mState[Q_ENTRY]);
    const bool middle = index != 0 && index + 1 != quest->Target.size();
    entry->Type = type;
    entry->Prop = DefaultProps(list, type, middle, *mApp);
    mApp->editedTables |= GameApp::EDITED_QUESTS;
    FreeList(7);
    // The row's Prop fields anew (rows shown before a reread of the tables may be fewer).
    if (index >= mPropFields.size())
        return;
    std::vector<Widget*>& group = mPropFields[index];
    for (Widget* field : group) {
        RemoveWidget(field);
        mApp->SafeDeleteWidget(field);
    }
    group.clear();
    AddPropFields(index, *entry);
}

NpcSpeech* DataEditor::TalkSpeech(size_t prop, NpcRecord** npc)
{
    QuestEntry* target = SelectedEntry();
    if (!target || mState[Q_LIST] != LIST_TARGET || target->Type != 5 || prop < kFirstSpeechProp ||
        prop >= target->Prop.size() || target->Prop.size() < 2)
        return nullptr;
    auto character = mApp->npcTable.find(target->Prop[1]);
    if (character == mApp->npcTable.end())
        return nullptr;
    *npc = &character->second;
    auto set = character->second.Speech.find(target->Prop[prop]);
    return set == character->second.Speech.end() ? nullptr : &set->second;
}

void DataEditor::AddTalkSpeech(int prop)
{
    if (mState[Q_EDITING])
        return;
    NpcRecord* npc = nullptr;
    TalkSpeech(size_t(prop), &npc);
    // A missing character gets no speech.
    if (!npc)
        return;
    int64_t key = npc->Speech.empty() ? 0 : int64_t(npc->Speech.rbegin()->first) + 1;
    if (key > INT32_MAX)
        return;
    npc->Speech.emplace(int32_t(key), NpcSpeech{int32_t(key), 1, {}});
    SelectedEntry()->Prop[size_t(prop)] = int32_t(key);
    mApp->editedTables |= GameApp::EDITED_QUESTS | GameApp::EDITED_CHARACTERS;
    BuildSpeechWidgets();
    MoveSpeechPanel(true);
}

void DataEditor::ToggleTalkSpeechType(int prop)
{
    NpcRecord* npc = nullptr;
    NpcSpeech* set = TalkSpeech(size_t(prop), &npc);
    // Another type than 1 or 2 stays as it is.
    if (!set || (set->Type != 1 && set->Type != 2))
        return;
    set->Type = set->Type == 1 ? 2 : 1;
    mApp->editedTables |= GameApp::EDITED_CHARACTERS;
    for (Widget* widget : mLists[7])
        if (auto* button = static_cast<ButtonWidget*>(widget); button->mId == ID_Q_SPEECH_TYPE + prop)
            button->mLabel = "T" + std::to_string(set->Type);
}

void DataEditor::ReplaceQuestPick(int id)
{
    QuestRecord* quest = CurrentQuest();
    QuestEntry* entry = SelectedEntry();
    if (!quest || !entry)
        return;
    const int prop = PickedProp(mState[Q_LIST], entry->Type);
    // An entry that lacks the Prop gets nothing.
    if (prop >= 0 && size_t(prop) < entry->Prop.size()) {
        entry->Prop[size_t(prop)] = id;
        mApp->editedTables |= GameApp::EDITED_QUESTS;
    }
    ShowEntries(quest->Id);
}

} // namespace Quor
