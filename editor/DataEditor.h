// The data editor: a full-screen developer screen that shows one of the game-data tables the game
// has read, edits its records in memory and writes the table back under "properties/" with SAVE
// (then reads all game data again). Mode 1 edits the materials, mode 4 the blueprints; mode 2
// saves the quest and character tables, mode 3 the character table; any other mode shows the
// frame only (SAVE, BACK and the base-name field).
#pragma once

#include "editor/CharacterChecks.h"
#include "editor/QuestFiles.h"
#include "widgets/ButtonListener.h"
#include "widgets/CheckboxListener.h"
#include "widgets/EditListener.h"
#include "widgets/Widget.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace Quor {

class ButtonWidget;
class EditWidget;
class EditorSelectList;
class GameApp;
struct BlueprintRecord;
struct NpcRecord;
struct NpcSpeech;
struct QuestEntry;
struct QuestRecord;

// The Id "Add" gives in a table with these Ids (ascending): 0 for none, else the smallest Id from
// 0 upward that is free, but at most the largest + 1; nothing when that lies past 32 bits.
std::optional<int32_t> NextFreeId(const std::vector<int32_t>& sortedIds);

// The tables an editor mode shows and writes.
enum EditorMode { EDITOR_MATERIALS = 1, EDITOR_QUESTS = 2, EDITOR_CHARACTERS = 3, EDITOR_BLUEPRINTS = 4 };

class DataEditor : public Widget, public ButtonListener, public EditListener, public CheckboxListener {
public:
    // Ids of the frame: SAVE and BACK on the button side, the base-name field on the edit side.
    enum { ID_SAVE = 998, ID_BACK = 999, ID_BASE_NAME = 999 };
    // Ids of the material editor.
    enum { ID_SOURCE_OK = 10001, ID_SOURCE_NAME = 10001, ID_SOURCE_IMG = 10002, ID_SOURCE_PRICE = 10003 };
    // Ids of the blueprint editor.
    enum {
        ID_BP_BACK = 10001,
        ID_BP_FORWARD = 10002,
        ID_BP_OK = 10003,
        ID_BP_ADD = 10004,
        ID_BP_DEL = 10005,
        ID_BP_CLOSE = 10006,
        ID_BP_NAME = 20001,
        ID_BP_IMG = 20002,
        ID_BP_FIRST_MATERIAL = 20003,  // then 20004 its quantity, 20005 the next material...
        ID_BP_CHOICE = 20000,          // + the material Id: its "C" button
        BP_PAGE_SIZE = 18,
        BP_MAX_MATERIALS = 5,
    };
    // Ids of the character editor.
    enum {
        ID_NPC_OK = 10001,
        ID_NPC_BACK = 10002,
        ID_NPC_FORWARD = 10003,
        ID_NPC_EDIT = 10004,
        ID_NPC_ADD = 10005,
        ID_NPC_DEL = 10006,
        ID_NPC_DEL_SET = 10007,
        ID_NPC_ADD_NPC = 10008,
        ID_NPC_CHECK_USING = 10009,
        ID_NPC_CHECK_MISS = 10010,
        ID_NPC_CHECK_REWARD = 10011,
        ID_NPC_CHECK_BP = 10012,
        ID_NPC_SET = 20000,  // + the speech set's Id: its "Edit" button
        ID_NPC_FIELD_ID = 90001,
        ID_NPC_FIELD_NAME = 90002,
        ID_NPC_FIELD_TYPE = 90002,
        ID_NPC_FIELD_IMG = 90003,
        ID_NPC_FIELD_LINE = 80000,  // + the line's index
    };
    // Ids of the quest editor.
    enum {
        ID_Q_ROW = 300000,   // + the entry's index: its "PV" button
        ID_Q_TYPE = 400000,  // + 100 * QuestListKind + type (1-7): the type buttons
        ID_Q_EDIT_SPEECH = 400008,
        ID_Q_ADD_ENTRY = 400009,
        ID_Q_ADD_QUEST = 400010,
        ID_Q_DELETE_QUEST = 400011,
        ID_Q_DEL_ENTRY = 400012,
        ID_Q_OK = 400013,
        ID_Q_TYPE_MENU = 400014,
        ID_Q_PAGE_BACK = 400015,
        ID_Q_PAGE_FORWARD = 400016,
        ID_Q_MAIN = 400017,
        ID_Q_SUB = 400018,
        ID_Q_TARGETS = 400019,
        ID_Q_PREQUESTS = 400020,
        ID_Q_REWARDS = 400021,
        ID_Q_EDIT_QUEST = 400022,
        ID_Q_EDIT_ENTRY = 400023,
        ID_Q_NPC_EDITOR = 400024,
        ID_Q_PICK = 400025,
        ID_Q_SPEECH_ADD = 500000,   // + the talk target's Prop index
        ID_Q_SPEECH_TYPE = 600000,  // + the talk target's Prop index ("NO", "T1", "T2")
        ID_Q_FIELD_ID = 22001,
        ID_Q_FIELD_DES = 22002,
        ID_Q_FIELD_WEIGHT = 22003,
        ID_Q_FIELD_ENTRY = 23001,
    };
    // A talk target's speech Ids start at this Prop.
    static constexpr std::size_t kFirstSpeechProp = 3;

    // Any mode is taken; outside 1-4 the screen has its frame only. Nothing is added before the
    // screen is added to the widget manager.
    DataEditor(GameApp* app, int mode);
    ~DataEditor() override;

    void AddedToManager(WidgetManager* manager) override;
    void RemovedFromManager(WidgetManager* manager) override;
    void Draw(Graphics* g) override;
    void ButtonDepress(int id) override;

    // A record chosen in the open pick list: passed to the mode, then the list closes.
    void OnPickListChoice(int tag, int id);

    // The record being edited (-1: none) and mode 4's page; a mode that built nothing reads
    // -1 and 0.
    int OpenId() const { return mState.empty() ? -1 : mState[0]; }
    int Page() const { return mState.size() < 2 ? 0 : mState[1]; }

    GameApp* mApp;
    EditorSelectList* mPickList = nullptr;  // owned while open
    int mMode;
    // Working lists 1-12 of mode widgets (index 0 unused): 1 the open record's fields, 4 the
    // row buttons, 5 the command buttons, 6 the blueprint's "C" buttons, 11 its colour boxes.
    std::array<std::vector<Widget*>, 13> mLists;
    // Working list 13, the state words of the mode; empty while nothing is built. Modes 1 and 4:
    // the open record's Id, then mode 4's page. Mode 3: the selected character, the key of the
    // first speech set on the page, the sets shown, the open panel (1 character, 2 speech set),
    // the key of the set in the speech panel, the check list drawn (CheckKind). Mode 2: the
    // current quest's Id, the selected entry, the speech panel in its editing place, the view
    // (0 main, 1 side quests), the page, the list shown (QuestListKind), the open fields (1 the
    // quest's, 2 the entry's text). Mode 2 also uses lists 4 (quest buttons), 6 (entry rows), 5
    // (the 21 type buttons, then the fixed ones) and 7 (a talk target's speech buttons).
    std::vector<int> mState;
    // Mode 2: the Prop fields of each shown entry.
    std::vector<std::vector<Widget*>> mPropFields;
    // Working list 12: the rows of the last check of mode 3.
    std::vector<CheckRow> mCheckRows;
    ButtonWidget* mSaveButton;
    ButtonWidget* mBackButton;
    EditWidget* mBaseNameField;
    int mLineHeight = 18;
    int mListX = 0;
    int mListY;
    Widget* mBackdrop;  // owned; for the modes that lay panels over the lists

private:
    void BuildMode();
    void TeardownMode();
    void ClosePickList();
    // Removes the widgets of a working list and hands them to deferred deletion (a press may
    // come from one of them), then empties the list.
    void FreeList(int list);
    // A frame field of the mode: framed, with its text and length limit, added and put on list 1.
    EditWidget* AddField(int id, int x, int y, int width, int maxChars, const std::string& text);
    // Loads "GameMain" one resource at a time; false when a shutdown began or the load failed
    // (reported as fatal).
    bool LoadGameMain();
    // Frees "GameMain" unless the editor in the other slot still shows it.
    void FreeGameMain();
    // Moves the caret and the scroll position of a field back to the start of its text.
    static void ResetCaret(EditWidget* field);

    // SAVE: the checks, the write through a temporary file, the reload.
    void Save();
    // The files SAVE writes in this mode, their paths from the base-name field.
    std::vector<EditorFile> SavedFiles() const;
    // Why the file cannot be written, "" when it can.
    std::string SaveProblem(const std::string& path) const;
    void ReportSaveFailure(const std::string& path, const std::string& reason);
    void ReloadAfterSave();
    void Back();

    // Mode 1: materials.
    void BuildSourceEditor();
    void ClearSourceEditor();
    void DrawSourceEditor(Graphics* g);
    void SourceEditorPress(int id);
    void EditSource(int id);
    void ApplySourceEdit();

    // Mode 4: blueprints.
    void BuildBluePrintEditor();
    void BuildBluePrintPage();
    void ClearBluePrintEditor();
    void DrawBluePrintEditor(Graphics* g);
    void BluePrintEditorPress(int id);
    void EditBluePrint(int id);
    void CloseBluePrintEdit();
    void ApplyBluePrintEdit();
    void ReplaceBluePrintSource(int tag, int id);
    void RemoveBluePrintCommands();
    BlueprintRecord* OpenBlueprint();

    // Mode 3: characters.
    void BuildCharacterEditor();
    void ClearCharacterEditor();
    void DrawCharacterEditor(Graphics* g);
    void CharacterEditorPress(int id);
    ButtonWidget* FixedButton(int id) const;
    NpcRecord* SelectedCharacter();
    NpcSpeech* EditedSpeechSet();
    void RebuildCharacterButtons();
    void SelectCharacter(int id);
    void RebuildSpeechButtons();
    void SpeechPageBack();
    void SpeechPageForward();
    void AddCharacter();
    void AddSpeechSet();
    // Puts a fixed button at x, y in front of everything (the backdrop too).
    void ShowPanelButton(int id, int x, int y);
    void OpenCharacterPanel();
    void CloseCharacterPanel();
    void ApplyCharacterPanel();
    void DeleteCharacter();
    void OpenSpeechPanel(int key);
    void CloseSpeechPanel();
    void ApplySpeechPanel();
    void AddSpeechLine();
    void DeleteSpeechLine();
    void DeleteSpeechSet();
    void CheckUsing();

    // Mode 2: quests.
    void BuildQuestEditor();
    void ClearQuestEditor();
    void DrawQuestEditor(Graphics* g);
    void QuestEditorPress(int id);
    QuestRecord* CurrentQuest();
    QuestEntry* SelectedEntry();
    void RebuildQuestButtons();
    void ClearEntryRows();
    void ShowEntries(int questId);
    // The Prop fields of a shown entry into its group.
    void AddPropFields(std::size_t row, const QuestEntry& entry);
    void SelectEntry(int index);
    void CloseQuestFields();
    // The baseline of row n in the speech panel.
    int PanelRow(int row) const;
    void BuildSpeechWidgets();
    void MoveSpeechPanel(bool editing);
    void AddQuest();
    void ApplyQuestEdits();
    void ApplyPropFields(QuestRecord& quest);
    void SetEntryType(int list, int type);
    // The speech set a Prop of the selected talk target names (null when it or its character is
    // missing; the character is set when it exists).
    NpcSpeech* TalkSpeech(std::size_t prop, NpcRecord** npc);
    void AddTalkSpeech(int prop);
    void ToggleTalkSpeechType(int prop);
    void ReplaceQuestPick(int id);
};

} // namespace Quor
