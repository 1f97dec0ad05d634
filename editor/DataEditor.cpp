// DataEditor: the frame common to every mode (SAVE, BACK, the base-name field, the dispatch to
// the mode, saving and the reload after it).
#include "editor/DataEditor.h"

#include "app/Common.h"
#include "editor/EditorFiles.h"
#include "editor/EditorSelectList.h"
#include "editor/QuestFiles.h"
#include "game/shell/DCapResource.h"
#include "game/shell/GameApp.h"
#include "game/shell/ResourceBinding.h"
#include "graphics/Color.h"
#include "graphics/Graphics.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "resources/PakInterface.h"
#include "widgets/ButtonWidget.h"
#include "widgets/EditWidget.h"

namespace Quor {

namespace {

const char* DefaultBaseName(int mode)
{
    switch (mode) {
    case EDITOR_MATERIALS:
        return "DataSource";
    case EDITOR_QUESTS:
        return "DataQuest";
    case EDITOR_CHARACTERS:
        return "DataNPC";
    case EDITOR_BLUEPRINTS:
        return "DataBluePrint";
    default:
        return "";
    }
}

// The table a mode writes with SAVE (0: none).
unsigned WrittenTable(int mode)
{
    switch (mode) {
    case EDITOR_MATERIALS:
        return GameApp::EDITED_SOURCES;
    case EDITOR_BLUEPRINTS:
        return GameApp::EDITED_BLUEPRINTS;
    case EDITOR_QUESTS:
        return GameApp::EDITED_QUESTS | GameApp::EDITED_CHARACTERS;
    case EDITOR_CHARACTERS:
        return GameApp::EDITED_CHARACTERS;
    default:
        return 0;
    }
}

std::string EditedTableNames(unsigned tables)
{
    static const std::pair<unsigned, const char*> kNames[] = {{GameApp::EDITED_SOURCES, "materials"},
                                                              {GameApp::EDITED_QUESTS, "quests"},
                                                              {GameApp::EDITED_CHARACTERS, "characters"},
                                                              {GameApp::EDITED_BLUEPRINTS, "blueprints"}};
    std::string names;
    for (const auto& [bit, name] : kNames) {
        if (!(tables & bit))
            continue;
        if (!names.empty())
            names += ", ";
        names += name;
    }
    return names;
}

} // namespace

DataEditor::DataEditor(GameApp* app, int mode) : mApp(app), mMode(mode)
{
    mListY = mode == EDITOR_MATERIALS ? 60 : 40;
    const int w = app->mWidth;
    const int h = app->mHeight;

    mSaveButton = new ButtonWidget(ID_SAVE, this);
    mSaveButton->mLabel = "SAVE";
    mSaveButton->Resize(954, 0, 70, 30);
    mSaveButton->SetColor(ButtonWidget::COLOR_BKG, Color(255, 230, 230));

    mBackButton = new ButtonWidget(ID_BACK, this);
    mBackButton->mLabel = "BACK";
    mBackButton->Resize(w - 70, h - 30, 70, 30);

    mBaseNameField = new EditWidget(ID_BASE_NAME, this);
    mBaseNameField->Resize(w - 270, 0, 200, 18);
    mBaseNameField->mDrawFrame = true;
    mBaseNameField->mMaxChars = 100;
    mBaseNameField->SetText(DefaultBaseName(mode));

    mBackdrop = new Widget();
    mBackdrop->Resize(0, 0, w, h);
}

DataEditor::~DataEditor()
{
    ClosePickList();
    // Widgets of a mode that was never torn down (the screen freed while still built).
    for (std::vector<Widget*>& list : mLists) {
        for (Widget* widget : list) {
            RemoveWidget(widget);
            delete widget;
        }
        list.clear();
    }
    for (Widget* widget : {static_cast<Widget*>(mSaveButton), static_cast<Widget*>(mBackButton),
                           static_cast<Widget*>(mBaseNameField), mBackdrop})
        RemoveWidget(widget);
    delete mSaveButton;
    delete mBackdrop;
    delete mBaseNameField;
    // BACK's press may be what is removing this screen.
    mApp->SafeDeleteWidget(mBackButton);
}

void DataEditor::AddedToManager(WidgetManager* manager)
{
    Widget::AddedToManager(manager);
    AddWidget(mSaveButton);
    AddWidget(mBackButton);
    AddWidget(mBaseNameField);
    BuildMode();
}

void DataEditor::RemovedFromManager(WidgetManager* manager)
{
    RemoveWidget(mSaveButton);
    RemoveWidget(mBackButton);
    RemoveWidget(mBaseNameField);
    RemoveWidget(mBackdrop);
    TeardownMode();
    Widget::RemovedFromManager(manager);
}

void DataEditor::Draw(Graphics* g)
{
    g->SetColor(Color(160, 160, 220));
    g->FillRect(0, 0, mWidth, mHeight);
    g->SetFont(FONT_TEST);
    g->SetColor(Color(0, 0, 0));
    switch (mMode) {
    case EDITOR_MATERIALS:
        DrawSourceEditor(g);
        break;
    case EDITOR_BLUEPRINTS:
        DrawBluePrintEditor(g);
        break;
    case EDITOR_CHARACTERS:
        DrawCharacterEditor(g);
        break;
    case EDITOR_QUESTS:
        DrawQuestEditor(g);
        break;
    default:
        break;
    }
}

void DataEditor::ButtonDepress(int id)
{
    if (id == ID_SAVE) {
        Save();
        return;
    }
    if (id == ID_BACK) {
        Back();
        return;
    }
    switch (mMode) {
    case EDITOR_MATERIALS:
        SourceEditorPress(id);
        break;
    case EDITOR_BLUEPRINTS:
        BluePrintEditorPress(id);
        break;
    case EDITOR_CHARACTERS:
        CharacterEditorPress(id);
        break;
    case EDITOR_QUESTS:
        QuestEditorPress(id);
        break;
    default:
        break;
    }
}

void DataEditor::OnPickListChoice(int tag, int id)
{
    if (mMode == EDITOR_BLUEPRINTS)
        ReplaceBluePrintSource(tag, id);
    else if (mMode == EDITOR_QUESTS)
        ReplaceQuestPick(id);
    ClosePickList();
}

void DataEditor::BuildMode()
{
    switch (mMode) {
    case EDITOR_MATERIALS:
        BuildSourceEditor();
        break;
    case EDITOR_BLUEPRINTS:
        BuildBluePrintEditor();
        break;
    case EDITOR_CHARACTERS:
        BuildCharacterEditor();
        break;
    case EDITOR_QUESTS:
        BuildQuestEditor();
        break;
    default:
        break;
    }
}

void DataEditor::TeardownMode()
{
    switch (mMode) {
    case EDITOR_MATERIALS:
        ClearSourceEditor();
        break;
    case EDITOR_BLUEPRINTS:
        ClearBluePrintEditor();
        break;
    case EDITOR_CHARACTERS:
        ClearCharacterEditor();
        break;
    case EDITOR_QUESTS:
        ClearQuestEditor();
        break;
    default:
        break;
    }
}

void DataEditor::ClosePickList()
{
    if (!mPickList)
        return;
    RemoveWidget(mPickList);
    // The list's own button press may be what closes it.
    mApp->SafeDeleteWidget(mPickList);
    mPickList = nullptr;
}

void DataEditor::FreeList(int list)
{
    for (Widget* widget : mLists[size_t(list)]) {
        RemoveWidget(widget);
        mApp->SafeDeleteWidget(widget);
    }
    mLists[size_t(list)].clear();
}

EditWidget* DataEditor::AddField(int id, int x, int y, int width, int maxChars, const std::string& text)
{
    auto* field = new EditWidget(id, this);
    field->Resize(x, y, width, mLineHeight);
    field->mDrawFrame = true;
    field->mMaxChars = maxChars;
    field->SetText(text);
    mLists[1].push_back(field);
    AddWidget(field);
    return field;
}

void DataEditor::FreeGameMain()
{
    // The character editor opened from the quest editor lies over it in the other slot; both
    // draw from "GameMain", which goes when the last of them closes.
    for (int slot : {SCREEN_EDITOR, SCREEN_EDITOR2}) {
        auto* other = dynamic_cast<DataEditor*>(mApp->screens[slot]);
        if (other && other != this && !other->mState.empty())
            return;
    }
    mApp->resourceManager->DeleteResources("GameMain");
}

void DataEditor::ResetCaret(EditWidget* field)
{
    field->mCursorPos = 0;
    field->mHilitePos = -1;
    field->mLeftPos = 0;
    field->SetDirty();
}

bool DataEditor::LoadGameMain()
{
    ResourceManager* resources = mApp->resourceManager;
    resources->StartLoadResources("GameMain");
    while (resources->LoadNextResource())
        if (mApp->mShutdown || mApp->mShutdownRequested)
            return false;
    if (mApp->mShutdown || mApp->mShutdownRequested)
        return false;
    if (resources->HadError() || !BindGameMainResources(resources)) {
        mApp->loadingFailed = true;
        mApp->ReportResourceError(true);
        return false;
    }
    return true;
}

void DataEditor::Save()
{
    const unsigned written = WrittenTable(mMode);
    const std::string& baseName = mBaseNameField->mString;
    // The quest mode writes three files from the base name; every path must stay within 49
    // characters.
    const std::size_t maxBaseName = mMode == EDITOR_QUESTS ? kMaxQuestBaseName : kMaxBaseName;
    std::vector<EditorFile> files;
    if (written) {
        std::string problem = BaseNameProblem(baseName, maxBaseName);
        if (!problem.empty()) {
            ReportSaveFailure("properties/" + baseName + ".xml", problem);
            return;
        }
        files = SavedFiles();
        // Every file is checked before any is written.
        for (const EditorFile& file : files) {
            problem = SaveProblem(file.path);
            if (!problem.empty()) {
                ReportSaveFailure(file.path, problem);
                return;
            }
        }
        if (written & GameApp::EDITED_CHARACTERS) {
            problem = NpcTableProblem(mApp->npcTable);
            if (!problem.empty()) {
                ReportSaveFailure(files.back().path, problem);
                return;
            }
        }
    }
    // The reload that follows replaces every table: edits of a table this mode does not write
    // would be lost.
    if (unsigned lost = mApp->editedTables & ~written) {
        std::string question = "Saving reads all game data again, so the unsaved changes to the " +
                               EditedTableNames(lost) + " will be lost.\nSave anyway?";
        if (mApp->MsgBox(question, "Save", plat::MB_YESNO | plat::MB_ICONQUESTION) != plat::IDYES)
            return;
    }
    for (const EditorFile& file : files) {
        std::string error;
        if (!plat::WriteWholeFile(file.path, file.bytes.data(), file.bytes.size(), &error)) {
            ReportSaveFailure(file.path, error);
            return;
        }
    }
    ReloadAfterSave();
}

std::vector<EditorFile> DataEditor::SavedFiles() const
{
    const std::string& baseName = mBaseNameField->mString;
    const std::string path = "properties/" + baseName + ".xml";
    switch (mMode) {
    case EDITOR_MATERIALS:
        return {{path, DataSourceBytes(mApp->sourceTable)}};
    case EDITOR_BLUEPRINTS: {
        // Pruned on a copy: a write that fails leaves the tables as they are.
        std::map<int32_t, BlueprintRecord> blueprints = mApp->blueprintTable;
        PruneColorSources(blueprints);
        return {{path, DataBluePrintBytes(blueprints)}};
    }
    case EDITOR_QUESTS:
        return DataQuestFiles(baseName, mApp->questTable, mApp->npcTable);
    case EDITOR_CHARACTERS:
        return {{path, NpcFileBytes(mApp->npcTable)}};
    default:
        return {};
    }
}

std::string DataEditor::SaveProblem(const std::string& path) const
{
    for (const std::string& incomplete : mApp->readIncomplete)
        if (StringToUpper(incomplete) == StringToUpper(path))
            return "the file was read only up to a syntax error when the game data was last read, so "
                   "writing it would lose the rest";
    std::string key;
    PakInterface* archives = GetPakInterface();
    if (archives && PakInterface::NormalizeName(path.c_str(), key) && archives->mPakRecordMap.count(key))
        return "the game's archive holds this file, and the game reads the archive's copy";
    return "";
}

void DataEditor::ReportSaveFailure(const std::string& path, const std::string& reason)
{
    mApp->LogScreenError("The data editor did not save " + path + ": " + reason + ".");
    mApp->MsgBox(path + " was not saved: " + reason + ".\nThe edits are still in memory.", "Error",
                 plat::MB_OK | plat::MB_ICONERROR);
}

void DataEditor::ReloadAfterSave()
{
    mApp->LoadGameData();
    TeardownMode();
    BuildMode();
}

void DataEditor::Back()
{
    if (mApp->screens[SCREEN_EDITOR] == this) {
        mApp->RemoveScreen(SCREEN_EDITOR);
        mApp->ShowScreen(SCREEN_MAIN_MENU, 0);
        return;
    }
    mApp->RemoveScreen(SCREEN_EDITOR2);
}

} // namespace Quor
