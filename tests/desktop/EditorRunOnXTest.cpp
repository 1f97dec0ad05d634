// The data editors under Xvfb, reached as a developer reaches them: a profile with the developer
// flag, the main menu's editor buttons, the program in a folder of its own beside the sample
// content with the game data loose in properties/, where SAVE writes. The material editor
// changes material 3 and saves; the quest editor shows a talk target, opens the character editor
// on top, adds a speech line there and saves the quests and characters. Screenshots at still
// moments match the stored pictures; the saved files read back as the tables they came from with
// only the run's change.
#include "game/shell/GameDataLoader.h"
#include "game/shell/GameTables.h"
#include "game/shell/PlayerProfile.h"
#include "resources/XMLParser.h"
#include "tests/desktop/GameOnX.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#if defined(GAME_TOOL) && defined(DEVELOPER_CONTENT_DIR)

namespace {

namespace fs = std::filesystem;
using namespace xdesk;

// The program beside a copy of the developer-layout content, in `folder`; the program's path.
// The program is linked rather than copied where the file system allows it.
std::string MakeGameFolder(const fs::path& folder)
{
    fs::create_directories(folder);
    fs::copy(DEVELOPER_CONTENT_DIR, folder, fs::copy_options::recursive);
    // The list of video adapters trusted with 3-D drawing ships beside the program.
    const fs::path adapters = fs::path(GameFolder()) / "vhw.dat";
    if (fs::exists(adapters))
        fs::copy_file(adapters, folder / "vhw.dat");
    const fs::path program = folder / fs::path(GAME_TOOL).filename();
    std::error_code linked;
    fs::create_hard_link(GAME_TOOL, program, linked);
    if (linked)
        fs::copy_file(GAME_TOOL, program);
    return program.string();
}

// One game-data file read on its own into fresh tables; `log` gets the reader's complaints.
void ReadInto(Quor::GameTables& tables, const fs::path& file, Quor::GameDataLoader::Reader reader,
              std::vector<std::string>& log)
{
    Quor::XMLParser parser;
    Quor::GameDataLoader loader(parser, tables);
    if (!parser.OpenFile(file.string())) {
        log.push_back(file.string() + ": cannot be opened");
        return;
    }
    loader.ReadOpenedFile("properties/" + file.filename().string(), reader);
    log.insert(log.end(), loader.mLog.begin(), loader.mLog.end());
}

// The bytes of every file in the folder but the named ones, by name.
std::map<std::string, std::vector<uint8_t>> FilesBut(const fs::path& folder, const std::set<std::string>& skipped)
{
    std::map<std::string, std::vector<uint8_t>> files;
    for (const auto& entry : fs::directory_iterator(folder))
        if (!skipped.count(entry.path().filename().string()))
            files[entry.path().filename().string()] = quortest::ReadFile(entry.path().string());
    return files;
}

// Waits until the pixel shows the colour, each channel within 8 (as the screen's pixel format
// keeps it).
bool Shows(GameOnX& game, int x, int y, int red, int green, int blue, std::chrono::milliseconds limit = 120s)
{
    return Eventually([&] {
        const std::vector<uint32_t> px = game.Desktop();
        if (px.size() != 1024u * 768u)
            return false;
        const uint32_t p = px[size_t(y) * 1024 + size_t(x)];
        return std::abs(int(p >> 16 & 0xFF) - red) < 8 && std::abs(int(p >> 8 & 0xFF) - green) < 8 &&
               std::abs(int(p & 0xFF) - blue) < 8;
    }, limit);
}

Quor::PlayerProfile Developer()
{
    Quor::PlayerProfile player;
    player.name = "Dev";
    player.DeveloperFlag = true;
    return player;
}

class EditorRunOnX : public ::testing::Test {
protected:
    void SetUp() override
    {
        SKIP_WITHOUT_X_TOOLS();
        if (!fs::exists(fs::path(DEVELOPER_CONTENT_DIR) / "properties/DataSource.xml"))
            GTEST_SKIP() << "no developer-layout content in " << DEVELOPER_CONTENT_DIR;
        home = dir.File("run");
        fs::create_directories(home);
        program = MakeGameFolder(dir.Path() / "game");
        properties = dir.Path() / "game/properties";
        WriteProfiles(home, Developer());
    }

    // The main menu with the four editor buttons, then one of them pressed; waits until the
    // editor's backdrop replaces the menu (the editor loads its pictures first).
    void OpenEditor(GameOnX& game, int button)
    {
        EXPECT_TRUE(Shows(game, 710, 105, 205, 210, 205, 300s)) << game.ErrorOutput();  // "Source Editor"
        EXPECT_EQ(game.Still("desktop/editor/menu.png"), "") << game.ErrorOutput();
        game.Click(750, 112 + 40 * button);
        EXPECT_TRUE(Shows(game, 900, 400, 160, 160, 220)) << game.ErrorOutput();
    }

    // BACK to the main menu, its quit button and the question's OK.
    void Quit(GameOnX& game)
    {
        game.Click(989, 753);
        EXPECT_EQ(game.Still("desktop/editor/menu-back.png"), "");
        game.Click(952, 696);
        EXPECT_EQ(game.Still("desktop/editor/quit.png"), "");
        game.Click(445, 349);
        EXPECT_EQ(game.WaitForExit(), 0) << game.ErrorOutput();
    }

    quortest::TempDir dir;
    std::string home;
    std::string program;
    fs::path properties;
};

} // namespace

// "Source Editor", "Edit" on material 3, a new name and price "0", OK (the field shows "1"),
// SAVE (the list as read back), BACK, quit: DataSource.xml holds the old table but for material 3,
// and no other file of the folder changed.
TEST_F(EditorRunOnX, MaterialChangedAndSaved)
{
    Quor::GameTables before;
    std::vector<std::string> log;
    ReadInto(before, properties / "DataSource.xml", &Quor::GameDataLoader::LoadSourceData, log);
    ASSERT_TRUE(log.empty()) << log.front();
    ASSERT_TRUE(before.sourceTable.count(3));
    const auto others = FilesBut(properties, {"DataSource.xml"});
    {
        GameOnX game(program, fs::path(program).parent_path().string(), home);
        ASSERT_TRUE(game.Up());
        OpenEditor(game, 0);
        EXPECT_EQ(game.Still("desktop/editor/materials.png"), "") << game.ErrorOutput();

        game.Click(20, 105);  // "Edit" on the third row
        EXPECT_EQ(game.Still("desktop/editor/material3.png"), "");
        game.Click(690, 69);  // the name field, after its text
        game.Key("End BackSpace BackSpace BackSpace BackSpace BackSpace BackSpace");  // "Kaolin"
        game.Type("Ball Kaolin");
        game.Click(590, 119);  // the price field
        game.Key("End BackSpace BackSpace BackSpace");
        game.Type("0");
        game.Click(525, 375);  // OK
        // The caret blinks at the start of the price field, which keeps the focus.
        EXPECT_EQ(game.Still("desktop/editor/material3-changed.png", {{504, 110, 2, 18}}), "");

        game.Click(989, 15);  // SAVE: written, read again, nothing open
        EXPECT_EQ(game.Still("desktop/editor/materials-saved.png"), "") << game.ErrorOutput();
        Quit(game);
    }

    Quor::GameTables after;
    ReadInto(after, properties / "DataSource.xml", &Quor::GameDataLoader::LoadSourceData, log);
    ASSERT_TRUE(log.empty()) << log.front();
    Quor::SourceRecord& changed = before.sourceTable[3];
    changed.Name = "Ball Kaolin";
    changed.Price = 1;
    EXPECT_EQ(after.sourceTable, before.sourceTable);
    EXPECT_EQ(FilesBut(properties, {"DataSource.xml"}), others);
}

// "Quest Editor", quest 1 and its first target, a talk to character 17 (captions and the speech
// set's placeholder lines), "NPC Editor" on top, character 17, its speech set 1, "Add", OK, BACK
// to the quest editor, SAVE, BACK, quit: the two quest files and the character file hold the old
// tables plus the one "New Des" line; no other file changed.
TEST_F(EditorRunOnX, SpeechLineAddedOverTheQuestEditorAndSaved)
{
    Quor::GameTables before;
    std::vector<std::string> log;
    for (const char* name : {"DataQuest_0.xml", "DataQuest_1.xml"})
        ReadInto(before, properties / name, &Quor::GameDataLoader::LoadQuestData, log);
    ReadInto(before, properties / "DataNPC.xml", &Quor::GameDataLoader::LoadNPCData, log);
    ASSERT_TRUE(log.empty()) << log.front();
    ASSERT_TRUE(before.questTable.count(1));
    ASSERT_TRUE(before.npcTable.count(17) && before.npcTable[17].Speech.count(1));
    const std::set<std::string> written = {"DataQuest_0.xml", "DataQuest_1.xml", "DataNPC.xml"};
    const auto others = FilesBut(properties, written);
    {
        GameOnX game(program, fs::path(program).parent_path().string(), home);
        ASSERT_TRUE(game.Up());
        OpenEditor(game, 3);
        EXPECT_EQ(game.Still("desktop/editor/quests.png"), "") << game.ErrorOutput();

        game.Click(70, 49);    // quest 1
        game.Click(130, 135);  // its first target's row
        EXPECT_EQ(game.Still("desktop/editor/quest1-talk.png"), "");

        game.Click(990, 42);  // "NPC Editor", in slot 12 over the quest editor
        game.Click(40, 337);  // character 17, the seventeenth button
        EXPECT_EQ(game.Still("desktop/editor/character17.png"), "");
        game.Click(135, 121);  // speech set 1's "Edit", on the row of its second line
        game.Click(317, 316);  // "Add": the line "New Des" at once
        EXPECT_EQ(game.Still("desktop/editor/speech1-added.png"), "");
        game.Click(617, 596);  // OK
        EXPECT_EQ(game.Still("desktop/editor/character17-changed.png"), "");

        game.Click(989, 753);  // BACK: the quest editor as it was left
        EXPECT_EQ(game.Still("desktop/editor/quest1-talk-changed.png"), "");
        game.Click(989, 15);  // SAVE: three files written, all read again, nothing chosen
        EXPECT_EQ(game.Still("desktop/editor/quests-saved.png"), "") << game.ErrorOutput();
        Quit(game);
    }

    Quor::GameTables after;
    for (const char* name : {"DataQuest_0.xml", "DataQuest_1.xml"})
        ReadInto(after, properties / name, &Quor::GameDataLoader::LoadQuestData, log);
    ReadInto(after, properties / "DataNPC.xml", &Quor::GameDataLoader::LoadNPCData, log);
    ASSERT_TRUE(log.empty()) << log.front();
    EXPECT_EQ(after.questTable, before.questTable);
    before.npcTable[17].Speech[1].Des.push_back("New Des");
    EXPECT_EQ(after.npcTable, before.npcTable);
    EXPECT_EQ(FilesBut(properties, written), others);
}

#endif
