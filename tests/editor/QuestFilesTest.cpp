// The quest and character files: elements byte for byte, the split of the quest table and the
// file names by base name, the talk-target conversion, the character-table check, the sample
// content through a save and a read, and SAVE in the quest and character modes.
#include "editor/QuestFiles.h"
#include "game/shell/GameDataLoader.h"
#include "resources/XMLParser.h"
#include "tests/editor/EditorFixture.h"

#include <climits>

using namespace Quor;

namespace {

const std::string kHeader = "<?xml version=\"1.0\"?>\n\n";

QuestEntry Entry(int32_t type, std::string des, std::string subDes, std::vector<int32_t> props)
{
    QuestEntry e(type, std::move(des), std::move(subDes));
    e.Prop = std::move(props);
    return e;
}

// Quest 7 of the file layout: country 0, weight 1, "Hello", one condition of type 2 with Prop 3.
QuestRecord SmallQuest()
{
    QuestRecord q;
    q.Id = 7;
    q.Weight = 1;
    q.Des = "Hello";
    q.PreQuest.push_back(Entry(2, "", "", {3}));
    return q;
}

TEST(QuestFiles, QuestElementLayout)
{
    EXPECT_EQ(QuestElementBytes(SmallQuest(), "DataQuest"),
              "<Quest>\n"
              "\t<Data\n"
              "\t\tId = \"7\"\n"
              "\t\tCountryId = \"0\"\n"
              "\t\tWeight = \"1\"\n"
              "\t\tDes = \"Hello\"\n"
              "\t/>\n"
              "\t<PreQuest\tType = \"2\">\n"
              "\t\t<Prop>3</Prop>\n"
              "\t</PreQuest>\n"
              "\n"
              "\n"
              "</Quest>\n"
              "\n"
              "\n"
              "\n");

    QuestRecord q;
    q.Id = -4;
    q.CountryId = 3;
    q.Weight = -2;
    q.Des = "Say \"<&>\"";
    q.PreQuest.push_back(Entry(1, "first \"a\"", "", {}));
    q.Reward.push_back(Entry(4, "Money & fame", "", {500, -1}));
    q.Target.push_back(Entry(5, "Talk", "to <Ann>", {3, 9}));
    q.Target.push_back(Entry(1, "", "", {}));
    EXPECT_EQ(QuestElementBytes(q, "Other"),
              "<Quest>\n\t<Data\n\t\tId = \"-4\"\n\t\tCountryId = \"3\"\n\t\tWeight = \"-2\"\n"
              "\t\tDes = \"Say &quot;&lt;&amp;&gt;&quot;\"\n\t/>\n"
              "\t<PreQuest\tType = \"1\"\tDes = \"first &quot;a&quot;\">\n\t</PreQuest>\n"
              "\n"
              "\t<Reward\t\tType = \"4\"\tDes = \"Money &amp; fame\">\n\t\t<Prop>500</Prop>\n\t\t<Prop>-1</Prop>\n"
              "\t</Reward>\n"
              "\n"
              "\t<Target\t\tType = \"5\"\tDes = \"Talk\"\tSubDes = \"to &lt;Ann&gt;\">\n\t\t<Prop>3</Prop>\n"
              "\t\t<Prop>9</Prop>\n\t</Target>\n"
              "\t<Target\t\tType = \"1\"\tDes = \"\"\tSubDes = \"\">\n\t</Target>\n"
              "</Quest>\n\n\n\n");
}

TEST(QuestFiles, CharacterElementLayout)
{
    NpcRecord bare{3, "Ann & Bo", "NPC_3", {}};
    EXPECT_EQ(NpcElementBytes(bare),
              "<NPC>\n\t<Data\n\t\tId = \"3\"\n\t\tName = \"Ann &amp; Bo\"\n\t\tImg = \"NPC_3\"\n\t/>\n"
              "</NPC>\n\n\n\n");
    NpcRecord talker{17, "Ed", "NPC_17", {}};
    talker.Speech[0] = {0, 1, {"Hello, %name.", "Say \"<hi>\""}};
    talker.Speech[1] = {1, 2, {}};
    EXPECT_EQ(NpcElementBytes(talker),
              "<NPC>\n\t<Data\n\t\tId = \"17\"\n\t\tName = \"Ed\"\n\t\tImg = \"NPC_17\"\n\t/>\n"
              "\t<Speech\t\tId = \"0\"\tType = \"1\">\n"
              "\t\t<Des>Hello, %name.</Des>\n"
              "\t\t<Des>Say &quot;&lt;hi&gt;&quot;</Des>\n"
              "\t</Speech>\n"
              "\t<Speech\t\tId = \"1\"\tType = \"2\">\n"
              "\t</Speech>\n"
              "</NPC>\n\n\n\n");
    // The set's own Id is written, not its key.
    talker.Speech[1].Id = 6;
    EXPECT_NE(NpcElementBytes(talker).find("Id = \"6\"\tType = \"2\""), std::string::npos);
    EXPECT_EQ(NpcFileBytes({{3, bare}, {17, talker}}), kHeader + NpcElementBytes(bare) + NpcElementBytes(talker));
}

TEST(QuestFiles, FilesByBaseName)
{
    std::map<int32_t, QuestRecord> quests;
    for (int32_t id : {-3, 0, 100, 101, 250}) {
        QuestRecord q = SmallQuest();
        q.Id = id;
        quests[id] = q;
    }
    std::map<int32_t, NpcRecord> npcs{{1, {1, "A", "NPC_1", {}}}};
    auto element = [&](int32_t id, const std::string& base) { return QuestElementBytes(quests[id], base); };

    struct Case {
        std::string base;
        std::string npcPath;
    };
    for (const Case& c : {Case{"DataQuest", "properties/DataNPC.xml"},
                          Case{"dataquest", "properties/dataquest_DataNPC.xml"},
                          Case{"DataQuestX", "properties/DataQuestX_DataNPC.xml"}}) {
        const std::vector<EditorFile> files = DataQuestFiles(c.base, quests, npcs);
        ASSERT_EQ(files.size(), 3u);
        EXPECT_EQ(files[0].path, "properties/" + c.base + "_0.xml");
        EXPECT_EQ(files[1].path, "properties/" + c.base + "_1.xml");
        EXPECT_EQ(files[2].path, c.npcPath);
        EXPECT_EQ(files[0].bytes, kHeader + element(-3, c.base) + element(0, c.base) + element(100, c.base));
        EXPECT_EQ(files[1].bytes, kHeader + element(101, c.base) + element(250, c.base));
        EXPECT_EQ(files[2].bytes, NpcFileBytes(npcs));
    }

    // "_1" is written even without a quest for it, so deleted quests do not come back from it.
    quests.erase(101);
    quests.erase(250);
    std::vector<EditorFile> files = DataQuestFiles("DataQuest", quests, {});
    EXPECT_EQ(files[1].bytes, kHeader);
    EXPECT_EQ(files[2].bytes, kHeader);
    files = DataQuestFiles("DataQuest", {}, {});
    EXPECT_EQ(files[0].bytes, kHeader);
    EXPECT_EQ(files[1].bytes, kHeader);
}

TEST(QuestFiles, TalkTargetConversion)
{
    QuestRecord q;
    q.Id = 1;
    q.PreQuest.push_back(Entry(5, "", "", {2}));
    q.Reward.push_back(Entry(5, "", "", {2}));
    q.Target.push_back(Entry(5, "a", "", {2, 9}));
    q.Target.push_back(Entry(5, "b", "", {}));
    q.Target.push_back(Entry(1, "c", "", {2, 9}));
    q.Target.push_back(Entry(5, "d", "", {INT_MAX}));
    const QuestRecord before = q;
    const std::string converted = QuestElementBytes(q, "DataQuestChange");
    EXPECT_EQ(q, before);

    const std::string props[] = {"\t\t<Prop>2</Prop>\n", "\t\t<Prop>9</Prop>\n", "\t\t<Prop>32</Prop>\n"};
    const std::string expected =
        "\t<PreQuest\tType = \"5\">\n" + props[0] + "\t</PreQuest>\n\n" + "\t<Reward\t\tType = \"5\"\tDes = \"\">\n" +
        props[0] + "\t</Reward>\n\n" + "\t<Target\t\tType = \"5\"\tDes = \"a\"\tSubDes = \"\">\n" + props[2] +
        props[1] + "\t</Target>\n" + "\t<Target\t\tType = \"5\"\tDes = \"b\"\tSubDes = \"\">\n\t</Target>\n" +
        "\t<Target\t\tType = \"1\"\tDes = \"c\"\tSubDes = \"\">\n" + props[0] + props[1] + "\t</Target>\n" +
        "\t<Target\t\tType = \"5\"\tDes = \"d\"\tSubDes = \"\">\n\t\t<Prop>21474836482</Prop>\n\t</Target>\n";
    EXPECT_NE(converted.find(expected), std::string::npos) << converted;

    for (const char* other : {"DataQuest", "dataquestchange", "DataQuestChange2"})
        EXPECT_EQ(QuestElementBytes(q, other).find("<Prop>32</Prop>"), std::string::npos) << other;
}

TEST(QuestFiles, CharacterTablesThatWouldReadBackChanged)
{
    struct Case {
        std::map<int32_t, NpcSpeech> speech;
        bool refused;
    };
    auto set = [](int32_t id, std::vector<std::string> lines) { return NpcSpeech{id, 1, std::move(lines)}; };
    const Case cases[] = {
        {{}, false},
        {{{0, set(0, {"Hi there.", "%name, \"<&>\" \xe9t\xe9"})}, {1, set(1, {})}}, false},
        {{{1, set(1, {"a"})}}, true},                       // not starting at 0
        {{{0, set(0, {})}, {2, set(2, {})}}, true},         // a gap
        {{{0, set(0, {})}, {1, set(5, {})}}, true},         // Id differs from its key
        {{{0, set(0, {""})}}, true},                        // empty line
        {{{0, set(0, {" a"})}}, true},                      // blank at the start
        {{{0, set(0, {"a "})}}, true},                      // at the end
        {{{0, set(0, {"a  b"})}}, true},                    // two in a row
        {{{0, set(0, {"a\tb"})}}, true},                    // a control character
        {{{0, set(0, {"a\nb"})}}, true},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        std::map<int32_t, NpcRecord> npcs{{1, {1, "A", "I", {}}}, {2, {2, "B", "I", cases[i].speech}}};
        const std::string problem = NpcTableProblem(npcs);
        EXPECT_EQ(!problem.empty(), cases[i].refused) << i << ": " << problem;
        if (problem.empty()) {
            // What passes the check reads back equal.
            quortest::TempDir dir;
            quortest::WriteFile(dir.File("n.xml"), NpcFileBytes(npcs));
            GameTables back;
            XMLParser parser;
            GameDataLoader loader(parser, back);
            ASSERT_TRUE(parser.OpenFile(dir.File("n.xml")));
            loader.ReadOpenedFile("properties/n.xml", &GameDataLoader::LoadNPCData);
            EXPECT_TRUE(loader.mLog.empty());
            EXPECT_EQ(back.npcTable, npcs) << i;
        }
    }
}

class QuestSaveTest : public quortest::EditorTest {
protected:
    // The three files of the base name, written beside the game's files and read like them.
    GameTables ReadSaved(const std::string& base)
    {
        GameTables tables;
        XMLParser parser;
        GameDataLoader loader(parser, tables);
        const std::string npcFile = base == "DataQuest" ? "DataNPC.xml" : base + "_DataNPC.xml";
        for (const std::string& name : {base + "_0.xml", base + "_1.xml"})
            EXPECT_TRUE(loader.LoadFile("properties/" + name, &GameDataLoader::LoadQuestData)) << name;
        EXPECT_TRUE(loader.LoadFile("properties/" + npcFile, &GameDataLoader::LoadNPCData));
        EXPECT_TRUE(loader.mLog.empty()) << loader.mLog.front();
        return tables;
    }
    void UseSampleData()
    {
        const std::string folder = std::string(CONTENT_SOURCE_DIR) + "/properties/";
        for (const char* name : {"DataQuest_0.xml", "DataQuest_1.xml", "DataNPC.xml"})
            std::filesystem::copy_file(folder + name, PropertiesFile(name),
                                       std::filesystem::copy_options::overwrite_existing);
        ASSERT_TRUE(app->LoadGameData());
    }
};

// The sample's quests and characters through SAVE under the game's own name and another: the
// files read back as the tables they were written from.
TEST_F(QuestSaveTest, SampleTablesRoundTrip)
{
    if (!std::filesystem::exists(std::string(CONTENT_SOURCE_DIR) + "/properties/DataNPC.xml"))
        GTEST_SKIP() << "no sample game data";
    UseSampleData();
    const std::map<int32_t, QuestRecord> quests = app->questTable;
    const std::map<int32_t, NpcRecord> npcs = app->npcTable;
    ASSERT_FALSE(quests.empty());
    ASSERT_FALSE(npcs.empty());
    ASSERT_GT(quests.rbegin()->first, 100);

    DataEditor* editor = Open(EDITOR_QUESTS);
    for (const char* base : {"Scratch_9", "DataQuest"}) {
        Type(editor->mBaseNameField, base);
        Click(editor->mSaveButton);
        EXPECT_TRUE(app->mBoxes.empty()) << app->mBoxes.front().text;
        GameTables back = ReadSaved(base);
        EXPECT_EQ(back.questTable, quests) << base;
        EXPECT_EQ(back.npcTable, npcs) << base;
        EXPECT_EQ(app->questTable, quests);
        EXPECT_EQ(app->npcTable, npcs);
    }
    app->RemoveScreen(SCREEN_EDITOR);
    app->ProcessSafeDeletes();

    // The character mode writes the character table alone, under its base name.
    editor = Open(EDITOR_CHARACTERS);
    Type(editor->mBaseNameField, "Chars");
    Click(editor->mSaveButton);
    EXPECT_TRUE(app->mBoxes.empty());
    EXPECT_EQ(Read("Chars.xml"), NpcFileBytes(npcs));
}

// Every refusal of the quest mode's SAVE leaves all three files byte-identical and the tables as
// they were.
TEST_F(QuestSaveTest, RefusalsWriteNoFile)
{
    Write("DataQuest_0.xml", "<Quest><Data Id=\"1\" Des=\"one\"/></Quest>");
    Write("DataQuest_1.xml", "<Quest><Data Id=\"101\" Des=\"far\"/></Quest>");
    Write("DataNPC.xml", "<NPC><Data Id=\"1\" Name=\"A\" Img=\"NPC_1\"/><Speech Id=\"0\" Type=\"1\"><Des>Hi</Des>"
                         "</Speech></NPC>");
    ASSERT_TRUE(app->LoadGameData());
    const std::string old[] = {Read("DataQuest_0.xml"), Read("DataQuest_1.xml"), Read("DataNPC.xml")};

    struct Case {
        const char* name;
        std::string base;
        std::function<void()> arrange;
    };
    const std::vector<Case> cases = {
        {"base name too long for the character file", std::string(27, 'q'), nullptr},
        {"base name with a slash", "a/b", nullptr},
        {"speech sets out of order", "DataQuest", [&] { app->npcTable[1].Speech[0].Id = 3; }},
        {"a line with a blank at its end", "DataQuest", [&] { app->npcTable[1].Speech[0].Des[0] = "Hi "; }},
        {"an empty line", "DataQuest", [&] { app->npcTable[1].Speech[0].Des.push_back(""); }},
        {"character file read incomplete", "DataQuest",
         [&] { app->readIncomplete.insert("properties/DataNPC.xml"); }},
        {"second quest file read incomplete", "DataQuest",
         [&] { app->readIncomplete.insert("properties/DataQuest_1.xml"); }},
    };
    DataEditor* editor = Open(EDITOR_QUESTS);
    for (const Case& c : cases) {
        ASSERT_TRUE(app->LoadGameData());
        app->questTable[1].Des = "changed";
        if (c.arrange)
            c.arrange();
        const auto quests = app->questTable;
        const auto npcs = app->npcTable;
        app->mBoxes.clear();
        Type(editor->mBaseNameField, c.base);
        Click(editor->mSaveButton);
        EXPECT_EQ(app->mBoxes.size(), 1u) << c.name;
        EXPECT_EQ(Read("DataQuest_0.xml"), old[0]) << c.name;
        EXPECT_EQ(Read("DataQuest_1.xml"), old[1]) << c.name;
        EXPECT_EQ(Read("DataNPC.xml"), old[2]) << c.name;
        EXPECT_EQ(app->questTable, quests) << c.name;
        EXPECT_EQ(app->npcTable, npcs) << c.name;
        app->readIncomplete.clear();
    }
    EXPECT_FALSE(std::filesystem::exists(PropertiesFile(std::string(27, 'q') + "_0.xml")));
    EXPECT_EQ(app->mFatalReports, 0);
}

} // namespace
