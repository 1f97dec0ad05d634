// The loading sequence, its failure path, syntax errors, the reading rules all files share, and
// the materials, blueprint and award files.
#include "tests/game/shell/GameDataFixture.h"

#include <gmock/gmock.h>

using namespace Quor;
using quortest::GameDataTest;
using quortest::RecordingApp;
using testing::ElementsAre;

namespace {

using Loader = GameDataLoader;

TEST_F(GameDataTest, ReadsTheNineFilesAndASecondLoadGivesEqualTables)
{
    WriteMinimalSet();
    RecordingApp app;
    GameDataLoader loader(mParser, mTables, &app);
    ASSERT_TRUE(loader.LoadGameData());
    EXPECT_TRUE(app.mBoxes.empty());
    EXPECT_TRUE(loader.mLog.empty());
    EXPECT_FALSE(app.mShutdownRequested);

    ASSERT_TRUE(mTables.fxDefs.has_value());
    ASSERT_EQ(mTables.fxDefs->size(), 1u);
    EXPECT_EQ(mTables.sourceTable.at(1).Name, "White Clay");
    EXPECT_EQ(mTables.blueprintTable.at(1).materialQty, (std::map<int32_t, int32_t>{{1, 2}}));
    EXPECT_EQ(mTables.blueprintTable.at(1).colorSources, (std::map<int32_t, int32_t>{{22, 1}}));
    EXPECT_EQ(mTables.questTable.size(), 2u);  // both quest files add to one table
    EXPECT_EQ(mTables.questTable.at(101).CountryId, 2);
    EXPECT_THAT(mTables.npcTable.at(1).Speech.at(0).Des, ElementsAre("Hello"));
    EXPECT_EQ(mTables.countryMapTable.at(0).Name, "England");
    EXPECT_EQ(mTables.awardTable.at(0).Y, 150);
    EXPECT_EQ(mTables.miniGameTuning.m4LvMax, 12.0);
    EXPECT_EQ(mTables.miniGameTuning.m4LvStart, 0.0);  // absent: 0, not the start value
    EXPECT_EQ(mTables.miniGameTuning.m1Distance, 3);

    // Reloading on unchanged files: nothing twice, the effect list rebuilt from scratch.
    GameTables first = mTables;
    mTables.fxDefs->push_back(FXDef{});
    mTables.fxDefs->front().keyframes.clear();
    ASSERT_TRUE(loader.LoadGameData());
    EXPECT_EQ(mTables, first);
}

// Each file missing in turn: the exact box, the shutdown request, the files before it read and
// the ones after it untouched.
TEST_F(GameDataTest, AFileThatCannotBeOpenedStopsTheSequenceWithTheErrorBox)
{
    const auto& files = quortest::MinimalGameData();
    for (size_t missing = 0; missing < files.size(); ++missing) {
        SCOPED_TRACE(files[missing].name);
        WriteMinimalSet();
        std::filesystem::remove(mDir.Path() / "properties" / files[missing].name);

        GameTables tables;
        tables.awardTable[99].Name = "kept";  // a table the loader does not reach stays
        tables.npcTable[99].Name = "kept";
        tables.miniGameTuning.m1Time = 9.5;
        RecordingApp app;
        GameDataLoader loader(mParser, tables, &app);
        EXPECT_FALSE(loader.LoadGameData());

        std::string name = std::string("properties/") + files[missing].name;
        ASSERT_EQ(app.mBoxes.size(), 1u);
        EXPECT_EQ(app.mBoxes[0].text,
                  "Couldn't open " + name + ". Error returned:\n\"Unable to open file " + name + "\"");
        EXPECT_EQ(app.mBoxes[0].caption, "Error");
        EXPECT_EQ(app.mBoxes[0].flags, 0u);
        EXPECT_TRUE(app.mShutdownRequested);

        EXPECT_EQ(tables.fxDefs.has_value(), missing > 0);
        EXPECT_EQ(tables.sourceTable.count(1), missing > 1 ? 1u : 0u);
        EXPECT_EQ(tables.blueprintTable.count(1), missing > 2 ? 1u : 0u);
        EXPECT_EQ(tables.questTable.count(1), missing > 3 ? 1u : 0u);
        EXPECT_EQ(tables.questTable.count(101), missing > 4 ? 1u : 0u);
        EXPECT_EQ(tables.npcTable.count(99), missing > 5 ? 0u : 1u);
        EXPECT_EQ(tables.countryMapTable.count(0), missing > 6 ? 1u : 0u);
        EXPECT_EQ(tables.awardTable.count(99), missing > 7 ? 0u : 1u);
        EXPECT_EQ(tables.miniGameTuning.m1Time, missing > 8 ? 0.0 : 9.5);
    }
}

TEST_F(GameDataTest, ASyntaxErrorKeepsWhatCameBeforeLogsAndMarksTheFileIncomplete)
{
    WriteMinimalSet();
    Write("DataSource.xml", "<DataSource>\n<Source Id=\"1\" Name=\"A\"/>\n<Source Id=\"2\"</DataSource>"
                            "\n<Source Id=\"3\"/>");
    RecordingApp app;
    GameDataLoader loader(mParser, mTables, &app);
    testing::internal::CaptureStderr();
    EXPECT_TRUE(loader.LoadGameData());
    std::string err = testing::internal::GetCapturedStderr();

    const std::string line =
        "Syntax error in properties/DataSource.xml on line 3: Unexpected '<'. The rest of the file "
        "was not read.";
    EXPECT_THAT(app.mErrorLog, ElementsAre(line));
    EXPECT_EQ(err, line + "\n");
    EXPECT_EQ(mTables.sourceTable.size(), 1u);
    EXPECT_TRUE(mTables.IsReadIncomplete("properties/DataSource.xml"));
    EXPECT_FALSE(app.mShutdownRequested);
    EXPECT_EQ(mTables.awardTable.size(), 1u);  // the sequence went on

    // Mended, the file reads whole and loses the mark.
    Write("DataSource.xml", "<DataSource><Source Id=\"1\"/><Source Id=\"2\"/></DataSource>");
    EXPECT_TRUE(loader.LoadGameData());
    EXPECT_TRUE(mTables.readIncomplete.empty());
    EXPECT_EQ(mTables.sourceTable.size(), 2u);
}

TEST_F(GameDataTest, NumbersTextsAndMatchingFollowTheSharedRules)
{
    struct Case {
        const char* attribute;
        int32_t price;
    };
    const Case cases[] = {
        {"Price=\"0x10\"", 16}, {"Price=\"0X1f\"", 31}, {"Price=\"1.5\"", 0}, {"Price=\" 12\"", 0},
        {"Price=\"+3\"", 0},    {"Price=\"-3\"", -3},   {"", 0},              {"Price=\"12a\"", 0},
    };
    std::string body = "<DataSource>";
    for (size_t i = 0; i < std::size(cases); ++i)
        body += "<Source Id=\"" + std::to_string(i) + "\" " + cases[i].attribute + "/>";
    body += "<Source Id=\"20\" Name=\" Blue &amp; White \" Img=\"s_1\"/>"
            "<Source Id=\"20\" Name=\"second\" Price=\"9\"/>"  // the first of an Id wins
            "<Group><Source Id=\"21\"/></Group>"                  // one level too deep
            "<source Id=\"22\"/><Source id=\"23\"/></DataSource>"
            "<Source Id=\"24\"/>";  // outside the root
    auto log = Read("DataSource.xml", body, &Loader::LoadSourceData);
    EXPECT_TRUE(log.empty());

    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(mTables.sourceTable.at(int32_t(i)).Price, cases[i].price) << cases[i].attribute;
    const SourceRecord& kept = mTables.sourceTable.at(20);
    EXPECT_EQ(kept.Name, " Blue & White ");
    EXPECT_EQ(kept.Img, "s_1");
    EXPECT_EQ(kept.Price, 0);
    EXPECT_EQ(mTables.sourceTable.count(21) + mTables.sourceTable.count(22) +
                  mTables.sourceTable.count(24), 0u);
    // "id" is not "Id": the record lands under 0, which the first case holds already.
    EXPECT_EQ(mTables.sourceTable.size(), std::size(cases) + 1);

    // A file with no record empties the table; each reader starts from an empty table.
    Read("DataSource.xml", "<DataSource/>", &Loader::LoadSourceData);
    EXPECT_TRUE(mTables.sourceTable.empty());
}

TEST_F(GameDataTest, BlueprintLinesGoToTheirBlueprintByBpId)
{
    auto log = Read("DataBluePrint.xml",
                    "<DataBluePrint>\n"
                    "<Source BpId=\"1\" Id=\"5\" Qty=\"1\"/>\n"  // before its blueprint: skipped
                    "<BluePrint Id=\"1\" Name=\"Cup\" Img=\"PD_1\" CountryId=\"3\"/>\n"
                    "<Source BpId=\"1\" Id=\"7\" Qty=\"2\"/><Source BpId=\"1\" Id=\"7\" Qty=\"9\"/>\n"
                    "<BluePrint Id=\"2\" Name=\"Bowl\"/>\n"
                    "<BluePrint Id=\"1\" Name=\"Again\"/>\n"  // dropped; its lines go to the first
                    "<Source BpId=\"1\" Id=\"3\" Qty=\"4\"/>\n"
                    "<ColorSrc BpId=\"2\" Id=\"22\" IsColor=\"1\"/><ColorSrc BpId=\"2\" Id=\"22\" IsColor=\"3\"/>\n"
                    "<ColorSrc BpId=\"9\" Id=\"23\" IsColor=\"1\"/>\n"
                    "</DataBluePrint>",
                    &Loader::LoadBluePrintData);
    const BlueprintRecord& cup = mTables.blueprintTable.at(1);
    EXPECT_EQ(cup.Name, "Cup");
    EXPECT_EQ(cup.Img, "PD_1");
    EXPECT_EQ(cup.CountryId, 3);
    EXPECT_EQ(cup.materialQty, (std::map<int32_t, int32_t>{{3, 4}, {7, 2}}));
    EXPECT_TRUE(cup.colorSources.empty());
    EXPECT_EQ(mTables.blueprintTable.at(2).colorSources, (std::map<int32_t, int32_t>{{22, 1}}));
    EXPECT_THAT(log, ElementsAre(
        "In properties/DataBluePrint.xml on line 2: <Source> of blueprint 1 was skipped: no "
        "<BluePrint> with that Id comes before it.",
        "In properties/DataBluePrint.xml on line 9: <ColorSrc> of blueprint 9 was skipped: no "
        "<BluePrint> with that Id comes before it."));
}

TEST_F(GameDataTest, AwardsReadEveryField)
{
    Read("DataAward.xml",
         "<DataAward><Award Id=\"3\" Name=\"Gold\" Img=\"MA_A3\" Des=\"Line one\" X=\"512\" Y=\"-4\"/>"
         "<Award Id=\"3\" Name=\"Other\"/><Award Id=\"4\"/></DataAward>",
         &Loader::LoadAwardData);
    ASSERT_EQ(mTables.awardTable.size(), 2u);
    AwardRecord gold{3, "Gold", "MA_A3", "Line one", 512, -4};
    EXPECT_EQ(mTables.awardTable.at(3), gold);
    EXPECT_EQ(mTables.awardTable.at(4), (AwardRecord{4, "", "", "", 0, 0}));
}

} // namespace
