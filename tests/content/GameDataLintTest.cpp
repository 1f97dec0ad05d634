// The game-data linter: the sample data with one small fault each, and the message that names
// the file, the line and the rule the fault breaks.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"
#include "tools/mkcontent/GameData.h"

namespace fs = std::filesystem;

namespace {

const std::string kNames = std::string(CONTENT_SOURCE_DIR) + "/../game/shell/ResourceNames.txt";

std::string ReadText(const fs::path& path) {
    std::vector<uint8_t> bytes = quortest::ReadFile(path.string());
    return std::string(bytes.begin(), bytes.end());
}

void WriteText(const fs::path& path, const std::string& text) {
    quortest::WriteFile(path.string(), std::vector<uint8_t>(text.begin(), text.end()));
}

// The line (1-based) on which text first occurs.
int LineOf(const std::string& file, const std::string& text) {
    size_t at = file.find(text);
    if (at == std::string::npos) return -1;
    return 1 + int(std::count(file.begin(), file.begin() + long(at), '\n'));
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string all;
    for (const std::string& line : lines) all += line + "\n";
    return all;
}

struct Fault {
    const char* file;   // below the content folder
    const char* from;   // replaced once ("" with to "": the file is removed)
    const char* to;
    const char* rule;
    const char* lineOf;  // the message's line is where this text stands after the edit; "" line 0
    const char* shown = nullptr;  // the file the message names, when not the edited one
};

TEST(GameDataLint, EveryRuleFiresOnItsFault) {
    const Fault faults[] = {
        // read to its end by the program's parser; present
        {"properties/DataNPC.xml", "<Des>Mind the step on your way out.</Des>", "<Des>Mind the <step</Des>", "read", "Mind the <step"},
        {"properties/DataMG.xml", "", "", "read", ""},
        // contiguous ids, speech ids in file order
        {"properties/DataSource.xml", "<Source Id=\"5\"", "<Source Id=\"6\"", "ids", "<Source Id=\"6\" Name=\"Feldspar\""},
        {"properties/DataAward.xml", "<Award Id=\"16\"", "<Award Id=\"17\"", "ids", "<Award Id=\"17\""},
        {"properties/DataNPC.xml", "<Speech Id=\"1\" Type=\"1\">", "<Speech Id=\"2\" Type=\"1\">", "ids", "<Speech Id=\"2\""},
        {"properties/DataTutor.xml", "<Tutor Id=\"31\"", "<Tutor Id=\"30\"", "ids", "<Tutor Id=\"30\" Next=\"38\""},
        // numbered pictures of the right kind
        {"properties/DataSource.xml", "Img=\"S_4\"", "Img=\"PD_4\"", "image", "Img=\"PD_4\""},
        {"properties/DataAward.xml", "Img=\"MA_A3\"", "Img=\"MA_LIGHT\"", "image", "Img=\"MA_LIGHT\""},
        {"properties/FXData.xml", "img=\"FX_C_BIRD\"", "img=\"FX_C_BIRD2\"", "image", "img=\"FX_C_BIRD2\""},
        // recipe sizes, body materials, glaze ranges
        {"properties/DataBluePrint.xml", "<ColorSrc BpId=\"1\" Id=\"22\" IsColor=\"1\"/>", "<ColorSrc BpId=\"1\" Id=\"22\" IsColor=\"4\"/>",
         "recipe", "<BluePrint Id=\"1\""},
        {"properties/DataBluePrint.xml", "<Source BpId=\"4\" Id=\"7\" Qty=\"1\"/>", "", "recipe", "<BluePrint Id=\"4\""},
        {"properties/DataBluePrint.xml", "<Source BpId=\"2\" Id=\"2\" Qty=\"2\"/>", "<Source BpId=\"2\" Id=\"23\" Qty=\"2\"/>",
         "recipe", "<BluePrint Id=\"2\""},
        {"properties/DataBluePrint.xml", "<Source BpId=\"5\" Id=\"1\" Qty=\"2\"/>", "<Source BpId=\"6\" Id=\"1\" Qty=\"2\"/>",
         "recipe", "<Source BpId=\"6\""},
        {"series.tsv", "3\tLotus\t24,29,30", "3\tLotus\t24,29,12", "recipe", "", "properties/DataBluePrint.xml"},
        // every material sold somewhere
        {"properties/DataCountryMap.xml", "  <Source Id=\"36\"/>\n", "", "sold", "<Source Id=\"36\"", "properties/DataSource.xml"},
        // a listed character with only plain speeches in every slot
        {"properties/DataNPC.xml", "<Speech Id=\"2\" Type=\"1\">", "<Speech Id=\"2\" Type=\"2\">", "slot", "<Speech Id=\"2\" Type=\"2\">"},
        {"properties/DataCountryMap.xml", "<Npc Rid=\"2\" Nid=\"4\"/>", "<Npc Rid=\"1\" Nid=\"4\"/>", "slot", "<CountryMap Id=\"3\""},
        // talk targets: Props and speeches
        {"properties/DataQuest_0.xml", "<Prop>12</Prop><Prop>17</Prop><Prop>-1</Prop><Prop>0</Prop><Prop>1</Prop><Prop>2</Prop>",
         "<Prop>12</Prop><Prop>17</Prop><Prop>-1</Prop><Prop>0</Prop><Prop>1</Prop><Prop>99</Prop>", "talk", "<Prop>99</Prop>"},
        {"properties/DataQuest_0.xml", "<Prop>12</Prop><Prop>17</Prop><Prop>1</Prop><Prop>3</Prop><Prop>4</Prop><Prop>5</Prop>",
         "<Prop>12</Prop><Prop>17</Prop><Prop>1</Prop><Prop>3</Prop><Prop>4</Prop>", "talk", "<Prop>3</Prop><Prop>4</Prop></Target>"},
        {"properties/DataQuest_1.xml", "<Prop>12</Prop><Prop>23</Prop><Prop>-1</Prop>", "<Prop>92</Prop><Prop>23</Prop><Prop>-1</Prop>",
         "talk", "<Prop>92</Prop>"},
        // reward selectors
        {"properties/DataQuest_0.xml", "Des=\"$1000\"><Prop>0</Prop>", "Des=\"$1000\"><Prop>1</Prop>", "reward", "Des=\"$1000\"><Prop>1"},
        // quest 1, effects, tuning
        {"properties/DataQuest_0.xml", "<Data Id=\"1\" ", "<Data Id=\"9\" ", "quest1", ""},
        {"properties/FXData.xml", "<FX id=\"5\"", "<FX id=\"6\"", "effect", ""},
        {"properties/DataMG.xml", " m6Chance=\"3\"", "", "tuning", "credit_fade"},
        // the tutorial: attributes, targets, step 39
        {"properties/DataTutor.xml", "<Tutor Id=\"4\" Next=\"5\" Type=\"2\" Pass=\"55502\"", "<Tutor Id=\"4\" Type=\"2\" Pass=\"55502\"",
         "tutor", "<Tutor Id=\"4\""},
        {"properties/DataTutor.xml", "<Tutor Id=\"46\" Next=\"47\"", "<Tutor Id=\"46\" Next=\"147\"", "tutor", "<Tutor Id=\"46\""},
        {"properties/DataTutor.xml", "<Tutor Id=\"610\"", "<Tutor Id=\"613\"", "tutor", "Action=\"608\""},
        {"properties/DataTutor.xml", "<Tutor Id=\"39\" Next=\"40\" Type=\"2\" Pass=\"55502\"",
         "<Tutor Id=\"39\" Next=\"40\" Type=\"2\" Pass=\"10001\"", "tutor", "<Tutor Id=\"39\""},
        {"properties/DataTutor.xml", "<Tutor Id=\"0\"", "<Tutor Id=\"1000\"", "tutor", ""},
        // the traps: a tutorial that never ends, one that ends through action 99999, a
        // tutorial-step reward while the tutorial can still run
        {"properties/DataTutor.xml", "Next=\"-999\"", "Next=\"3\"", "tutor-end", "<Tutor Id=\"97\""},
        {"properties/DataTutor.xml", "Img=\"10009\" ImgX=\"0\" ImgY=\"0\" Action=\"0\"", "Img=\"10009\" ImgX=\"0\" ImgY=\"0\" Action=\"99999\"",
         "tutor-end", "Action=\"99999\""},
        {"properties/DataQuest_0.xml", "<Reward Type=\"3\" Des=\"10 Clear Glaze\">", "<Reward Type=\"8\" Des=\"10 Clear Glaze\">",
         "tutor-reward", "Type=\"8\""},
        // what skipping the tutorial grants
        {"properties/DataQuest_0.xml", "Des=\"Mini-game: Glaze Selection\"><Prop>0</Prop><Prop>2</Prop>",
         "Des=\"Mini-game: Glaze Selection\"><Prop>0</Prop><Prop>1</Prop>", "skip", "<Data Id=\"1\""},
        {"properties/DataCountryMap.xml", "<Source Id=\"1\"/>\n  <Source Id=\"7\"/>", "<Source Id=\"7\"/>\n  <Source Id=\"1\"/>", "skip",
         "<CountryMap Id=\"0\""},
    };
    quortest::TempDir dir;
    const fs::path content = dir.Path() / "content";
    for (const Fault& fault : faults) {
        SCOPED_TRACE(std::string(fault.file) + ": " + fault.from + " -> " + fault.to);
        fs::remove_all(content);
        fs::create_directories(content);
        fs::copy(fs::path(CONTENT_SOURCE_DIR) / "properties", content / "properties");
        fs::copy_file(fs::path(CONTENT_SOURCE_DIR) / "series.tsv", content / "series.tsv");
        ASSERT_EQ(Joined(mkcontent::LintGameData(content.string(), kNames)), "");

        const fs::path path = content / fault.file;
        std::string text = ReadText(path);
        if (*fault.from) {
            size_t at = text.find(fault.from);
            ASSERT_NE(at, std::string::npos);
            text.replace(at, std::string(fault.from).size(), fault.to);
            WriteText(path, text);
        } else {
            fs::remove(path);
        }
        const std::string shown = fault.shown ? fault.shown : fault.file;
        int line = *fault.lineOf ? LineOf(ReadText(content / shown), fault.lineOf) : 0;
        ASSERT_NE(line, -1);
        const std::string expected = shown + ":" + std::to_string(line) + ": [" + fault.rule + "] ";
        std::vector<std::string> messages = mkcontent::LintGameData(content.string(), kNames);
        bool found = std::any_of(messages.begin(), messages.end(),
                                 [&](const std::string& m) { return m.compare(0, expected.size(), expected) == 0; });
        EXPECT_TRUE(found) << "wanted " << expected << "\ngot:\n" << Joined(messages);
    }
}

} // namespace

namespace {

TEST(GameDataLint, SampleFilesArePlainAsciiWithLineFeeds) {
    for (const auto& entry : fs::directory_iterator(fs::path(CONTENT_SOURCE_DIR) / "properties")) {
        const std::string text = ReadText(entry.path());
        SCOPED_TRACE(entry.path().filename().string());
        EXPECT_EQ(text.rfind("<?xml", 0), 0u);  // nothing, not even a byte-order mark, before it
        EXPECT_TRUE(std::all_of(text.begin(), text.end(), [](char c) { return c > 0 && (c >= ' ' || c == '\n'); }));
        EXPECT_EQ(text.back(), '\n');
    }
}

} // namespace
