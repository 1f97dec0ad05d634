// The editor's frame driven through the widget manager: its widgets by mode, BACK by slot, SAVE
// with its reload, and every way a SAVE refuses or fails, each leaving the old file and the
// tables as they were.
#include "tests/editor/EditorFixture.h"

#include "editor/EditorFiles.h"
#include "graphics/Graphics.h"
#include "resources/PakInterface.h"
#include "tests/support/RecordingImage.h"

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Quor;

namespace {

class DataEditorTest : public quortest::EditorTest {};

TEST_F(DataEditorTest, FrameByMode)
{
    struct Case {
        int mode;
        const char* baseName;
        int listY;
        size_t children;  // after the build: frame, rows and page buttons
    };
    WriteMaterials({1, 2});
    WriteBlueprints(3, {1});
    const Case cases[] = {{1, "DataSource", 60, 3 + 2},  {2, "DataQuest", 40, 3 + 18 + 1},     {3, "DataNPC", 40, 3 + 9 + 1},
                          {4, "DataBluePrint", 40, 3 + 2 + 3}, {7, "", 40, 3}, {-1, "", 40, 3}};
    for (const Case& c : cases) {
        DataEditor* editor = Open(c.mode);
        ASSERT_NE(editor, nullptr) << c.mode;
        EXPECT_EQ(editor->GetRect(), Rect(0, 0, 1024, 768));
        EXPECT_EQ(editor->mBaseNameField->mString, c.baseName) << c.mode;
        EXPECT_EQ(editor->mListY, c.listY);
        ASSERT_EQ(editor->mWidgets.size(), c.children) << c.mode;
        auto it = editor->mWidgets.begin();
        EXPECT_EQ(*it++, editor->mSaveButton);
        EXPECT_EQ(*it++, editor->mBackButton);
        EXPECT_EQ(*it, editor->mBaseNameField);
        EXPECT_EQ(editor->mSaveButton->GetRect(), Rect(954, 0, 70, 30));
        EXPECT_EQ(editor->mSaveButton->mLabel, "SAVE");
        EXPECT_EQ(editor->mSaveButton->GetColor(ButtonWidget::COLOR_BKG), Color(255, 230, 230));
        EXPECT_EQ(editor->mBackButton->GetRect(), Rect(954, 738, 70, 30));
        EXPECT_EQ(editor->mBaseNameField->GetRect(), Rect(754, 0, 200, 18));
        EXPECT_TRUE(editor->mBaseNameField->mDrawFrame);
        EXPECT_EQ(editor->mBaseNameField->mMaxChars, 100);
        app->RemoveScreen(SCREEN_EDITOR);
        app->ProcessSafeDeletes();
    }
    EXPECT_EQ(app->mFatalReports, 0);
}

TEST_F(DataEditorTest, BackBySlot)
{
    DataEditor* editor = Open(1);
    Click(editor->mBackButton);
    EXPECT_EQ(app->screens[SCREEN_EDITOR], nullptr);
    EXPECT_EQ(app->mMenusMade, 1);
    EXPECT_NE(app->screens[SCREEN_MAIN_MENU], nullptr);
    app->ProcessSafeDeletes();

    editor = Open(3, SCREEN_EDITOR2);
    Click(editor->mBackButton);
    EXPECT_EQ(app->screens[SCREEN_EDITOR2], nullptr);
    EXPECT_EQ(app->mMenusMade, 1);
}

// A mode without its own table writes nothing: SAVE reads the game data again and presses of
// other ids do nothing.
TEST_F(DataEditorTest, OtherModeSaveOnlyReloads)
{
    DataEditor* editor = Open(7);
    const auto before = std::filesystem::last_write_time(PropertiesFile("DataSource.xml"));
    app->sourceTable[1].Price = 999;
    editor->ButtonDepress(10001);
    editor->ButtonDepress(5);
    EXPECT_EQ(editor->mWidgets.size(), 3u);
    Click(editor->mSaveButton);
    EXPECT_EQ(app->sourceTable[1].Price, 8);
    EXPECT_EQ(std::filesystem::last_write_time(PropertiesFile("DataSource.xml")), before);
    EXPECT_TRUE(app->mBoxes.empty());
}

// SAVE writes the file, reads all game data again and rebuilds the mode; a second SAVE writes
// the file again from the reloaded tables.
TEST_F(DataEditorTest, SaveWritesReloadsAndRebuilds)
{
    WriteMaterials({1, 2});
    DataEditor* editor = Open(1);
    Press(editor, 2);
    Type(Field(editor, DataEditor::ID_SOURCE_PRICE), "77");
    Press(editor, DataEditor::ID_SOURCE_OK);
    EXPECT_EQ(app->editedTables, unsigned(GameApp::EDITED_SOURCES));

    Type(editor->mBaseNameField, "Copy_1");
    Click(editor->mSaveButton);
    EXPECT_TRUE(app->mBoxes.empty());
    // The reload read the game's own file: the edit was saved only to the copy.
    EXPECT_EQ(app->sourceTable[2].Price, 20);
    EXPECT_EQ(app->editedTables, 0u);
    EXPECT_EQ(editor->OpenId(), -1);
    EXPECT_EQ(Field(editor, DataEditor::ID_SOURCE_NAME), nullptr);
    EXPECT_EQ(editor->mLists[4].size(), 2u);
    std::map<int32_t, SourceRecord> saved = app->sourceTable;
    saved[2].Price = 77;
    EXPECT_EQ(Read("Copy_1.xml"), DataSourceBytes(saved));

    Click(editor->mSaveButton);
    EXPECT_EQ(Read("Copy_1.xml"), DataSourceBytes(app->sourceTable));
}

TEST_F(DataEditorTest, SaveAsksBeforeDroppingEditsOfOtherTables)
{
    WriteMaterials({1, 2});
    const std::string oldFile = Read("DataSource.xml");
    DataEditor* editor = Open(1);
    app->blueprintTable[1].Name = "Changed";
    app->editedTables |= GameApp::EDITED_BLUEPRINTS;
    app->sourceTable[1].Name = "Also changed";

    app->mBoxAnswer = plat::IDNO;
    Click(editor->mSaveButton);
    ASSERT_EQ(app->mBoxes.size(), 1u);
    EXPECT_EQ(app->mBoxes[0].flags & 0xF, unsigned(plat::MB_YESNO));
    EXPECT_NE(app->mBoxes[0].text.find("blueprints"), std::string::npos);
    EXPECT_EQ(Read("DataSource.xml"), oldFile);
    EXPECT_EQ(app->blueprintTable[1].Name, "Changed");

    app->mBoxAnswer = plat::IDYES;
    Click(editor->mSaveButton);
    EXPECT_EQ(app->mBoxes.size(), 2u);
    EXPECT_EQ(app->blueprintTable[1].Name, "Plate");
    EXPECT_EQ(app->sourceTable[1].Name, "Also changed");
    EXPECT_EQ(app->editedTables, 0u);
}

// A SAVE that cannot write leaves the old file and the tables, shows an error box, logs the file
// and the reason, and does not read the game data again.
TEST_F(DataEditorTest, RefusedAndFailedSaves)
{
    // A name the fixture archive holds.
    quortest::TempDir archiveDir;
    std::vector<uint8_t> archive;
    std::string error;
    ASSERT_TRUE(paktool::BuildPak({{"properties\\Packed_41.xml", quortest::Bytes("<DataSource/>"), 0}},
                                  GameApp::kArchivePassword, archive, error));
    quortest::WriteFile(archiveDir.File("extra.pak"), archive);
    GetPakInterface()->mDecryptPassword = GameApp::kArchivePassword;
    ASSERT_TRUE(GetPakInterface()->AddPakFile(archiveDir.File("extra.pak")));

    struct Case {
        const char* name;
        std::string baseName;
        std::function<void()> arrange;  // makes the write fail
        std::function<void()> restore;
    };
    rlimit oldLimit{};
    getrlimit(RLIMIT_FSIZE, &oldLimit);
    const std::vector<Case> cases = {
        {"up a folder", "../x", nullptr, nullptr},
        {"into a folder", "a/b", nullptr, nullptr},
        {"empty", "", nullptr, nullptr},
        {"35 characters", std::string(35, 'n'), nullptr, nullptr},
        {"read incomplete", "DataSource", [&] { app->readIncomplete.insert("properties/DataSource.xml"); },
         [&] { app->readIncomplete.clear(); }},
        {"in the archive", "Packed_41", nullptr, nullptr},
        {"file size limit", "DataSource",
         [&] {
             std::signal(SIGXFSZ, SIG_IGN);
             rlimit small = oldLimit;
             small.rlim_cur = 100;
             setrlimit(RLIMIT_FSIZE, &small);
         },
         [&] {
             setrlimit(RLIMIT_FSIZE, &oldLimit);
             std::signal(SIGXFSZ, SIG_DFL);
         }},
        {"read-only folder", "DataSource", [&] { chmod(PropertiesFile("").c_str(), 0555); },
         [&] { chmod(PropertiesFile("").c_str(), 0755); }},
    };
    WriteMaterials({1, 2, 3, 4, 5});
    const std::string oldFile = Read("DataSource.xml");
    DataEditor* editor = Open(1);
    Press(editor, 4);
    Type(Field(editor, DataEditor::ID_SOURCE_NAME), "Edited");
    Press(editor, DataEditor::ID_SOURCE_OK);
    const std::map<int32_t, SourceRecord> edited = app->sourceTable;

    for (const Case& c : cases) {
        if (std::string(c.name) == "read-only folder" && geteuid() == 0)
            continue;  // the superuser writes into any folder
        app->mBoxes.clear();
        app->mErrorLog.clear();
        Type(editor->mBaseNameField, c.baseName);
        if (c.arrange)
            c.arrange();
        Click(editor->mSaveButton);
        if (c.restore)
            c.restore();
        ASSERT_EQ(app->mBoxes.size(), 1u) << c.name;
        EXPECT_EQ(app->mBoxes[0].caption, "Error") << c.name;
        ASSERT_EQ(app->mErrorLog.size(), 1u) << c.name;
        EXPECT_NE(app->mErrorLog[0].find("properties/" + c.baseName + ".xml"), std::string::npos) << app->mErrorLog[0];
        EXPECT_EQ(Read("DataSource.xml"), oldFile) << c.name;
        EXPECT_EQ(app->sourceTable, edited) << c.name;
        EXPECT_EQ(editor->OpenId(), 4) << c.name;
        EXPECT_EQ(app->editedTables, unsigned(GameApp::EDITED_SOURCES)) << c.name;
    }
    for (const auto& entry : std::filesystem::directory_iterator(PropertiesFile("")))
        EXPECT_EQ(entry.path().filename().string().rfind(".", 0), std::string::npos) << entry.path();
    EXPECT_FALSE(std::filesystem::exists(mFiles.File("x.xml")));
}

// A mode whose resources cannot be loaded reports the failure as fatal and builds nothing; its
// draw, presses and teardown take the empty state.
class FailedLoadTest : public quortest::EditorTest {
protected:
    void SetUp() override
    {
        quortest::GameArchiveOptions options;
        options.omit = {"GM_I_LV2"};
        Start(options);
    }
};

TEST_F(FailedLoadTest, BuildsNothing)
{
    for (int mode : {1, 4}) {
        DataEditor* editor = Open(mode);
        EXPECT_EQ(app->mFatalReports, mode == 1 ? 1 : 2);
        EXPECT_TRUE(app->loadingFailed);
        EXPECT_TRUE(editor->mState.empty());
        EXPECT_EQ(editor->OpenId(), -1);
        EXPECT_EQ(editor->Page(), 0);
        EXPECT_EQ(editor->mWidgets.size(), 3u);
        for (int id : {1, 10001, 10002, 10003, 10004, 10005, 10006, 20001})
            editor->ButtonDepress(id);
        EXPECT_EQ(editor->mWidgets.size(), 3u);
        quortest::RecordingImage screen(1024, 768);
        Graphics g(&screen);
        editor->Draw(&g);
        app->RemoveScreen(SCREEN_EDITOR);
        app->ProcessSafeDeletes();
    }
}

} // namespace
