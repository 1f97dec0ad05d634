// Fixture of the game-data loader tests: a temporary folder made the current one, with the files
// under "properties/" written from text, and an application that records its message boxes and
// error-log lines instead of showing or writing them.
#pragma once

#include "app/QuorAppBase.h"
#include "game/shell/GameDataLoader.h"
#include "resources/XMLParser.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace quortest {

class RecordingApp : public Quor::QuorAppBase {
public:
    struct Box {
        std::string text;
        std::string caption;
        uint32_t flags;
    };
    std::vector<Box> mBoxes;
    std::vector<std::string> mErrorLog;

    int MsgBox(const std::string& text, const std::string& caption, uint32_t flags) override
    {
        mBoxes.push_back({text, caption, flags});
        return 1;
    }
    void LogScreenError(const std::string& text) override { mErrorLog.push_back(text); }
};

// The nine files, each with one small record, in loading order.
struct GameDataFile {
    const char* name;
    const char* body;
};
inline const std::vector<GameDataFile>& MinimalGameData()
{
    static const std::vector<GameDataFile> files = {
        {"FXData.xml",
         "<FXData><FX id=\"2\" img=\"FX_C_REWARD_UP\" frame=\"4\" timePerLoop=\"0.5\"/>"
         "<Keyframe type=\"ALPHA\"/><Key time=\"0\" val=\"255\"/></FXData>"},
        {"DataSource.xml", "<DataSource><Source Id=\"1\" Name=\"White Clay\" Img=\"S_1\" Price=\"8\"/></DataSource>"},
        {"DataBluePrint.xml",
         "<DataBluePrint><BluePrint Id=\"1\" Name=\"Plate\" Img=\"PD_1\" CountryId=\"0\"/>"
         "<Source BpId=\"1\" Id=\"1\" Qty=\"2\"/><ColorSrc BpId=\"1\" Id=\"22\" IsColor=\"1\"/></DataBluePrint>"},
        {"DataQuest_0.xml",
         "<Quest><Data Id=\"1\" CountryId=\"0\" Weight=\"5\" Des=\"First\"/>"
         "<Target Type=\"1\" Des=\"t\" SubDes=\"s\"><Prop>4</Prop></Target></Quest>"},
        {"DataQuest_1.xml", "<Quest><Data Id=\"101\" CountryId=\"2\" Weight=\"1\" Des=\"Far\"/></Quest>"},
        {"DataNPC.xml",
         "<NPC><Data Id=\"1\" Name=\"Ann\" Img=\"NPC_1\"/><Speech Id=\"0\" Type=\"1\">"
         "<Des>Hello</Des></Speech></NPC>"},
        {"DataCountryMap.xml",
         "<DataCountryMap><CountryMap Id=\"0\" Name=\"England\"/>"
         "<Pos Type=\"0\" x=\"1\" y=\"2\" nx=\"3\" ny=\"4\"/><Npc Rid=\"2\" Nid=\"1\"/><Source Id=\"1\"/></DataCountryMap>"},
        {"DataAward.xml", "<DataAward><Award Id=\"0\" Name=\"A\" Img=\"MA_A0\" Des=\"d\" X=\"62\" Y=\"150\"/></DataAward>"},
        {"DataMG.xml", "<DataMG><MG m4LvMax=\"12\" m1Distance=\"3\"/></DataMG>"},
    };
    return files;
}

class GameDataTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mOldDir = std::filesystem::current_path();
        std::filesystem::create_directories(mDir.Path() / "properties");
        std::filesystem::current_path(mDir.Path());
    }
    void TearDown() override { std::filesystem::current_path(mOldDir); }

    // Writes properties/<name> with the given text.
    void Write(const std::string& name, const std::string& body)
    {
        WriteFile(mDir.File("properties/" + name), body);
    }
    void WriteMinimalSet()
    {
        for (const GameDataFile& f : MinimalGameData())
            Write(f.name, f.body);
    }
    // Reads one file into the tables with a loader that has no application around it.
    std::vector<std::string> Read(const std::string& name, const std::string& body,
                                  Quor::GameDataLoader::Reader reader)
    {
        Write(name, body);
        Quor::GameDataLoader loader(mParser, mTables);
        EXPECT_TRUE(loader.LoadFile("properties/" + name, reader));
        return loader.mLog;
    }

    TempDir mDir;
    std::filesystem::path mOldDir;
    Quor::XMLParser mParser;
    Quor::GameTables mTables;
};

} // namespace quortest
