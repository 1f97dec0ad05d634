// The editor's files: the material and blueprint bytes line by line, texts escaped and read back,
// the sample content's tables through a save and a read, the field number parse and the
// base-name rule.
#include "editor/EditorFiles.h"
#include "game/shell/GameDataLoader.h"
#include "resources/XMLParser.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace Quor;

namespace {

// Reads a file's text with one reader into fresh tables.
GameTables ReadBack(const std::string& path, const std::string& name, GameDataLoader::Reader reader)
{
    GameTables tables;
    XMLParser parser;
    GameDataLoader loader(parser, tables);
    EXPECT_TRUE(parser.OpenFile(path)) << path;
    loader.ReadOpenedFile(name, reader);
    EXPECT_TRUE(loader.mLog.empty()) << loader.mLog.front();
    return tables;
}

GameTables ReadText(const std::string& text, GameDataLoader::Reader reader)
{
    quortest::TempDir dir;
    quortest::WriteFile(dir.File("f.xml"), text);
    return ReadBack(dir.File("f.xml"), "properties/f.xml", reader);
}

TEST(EditorFiles, MaterialFileLayout)
{
    std::map<int32_t, SourceRecord> materials;
    materials[12] = {12, "Cobalt \"<&>\" Blue", "S_12", 250};
    materials[3] = {3, "Clay", "S_3", 25};
    EXPECT_EQ(DataSourceBytes(materials),
              "<?xml version=\"1.0\"?>\n"
              "<DataSource>\n"
              "\t<Source\n\t\tId = \"3\"\n\t\tName = \"Clay\"\n\t\tImg = \"S_3\"\n\t\tPrice = \"25\"\n\t/>\n"
              "\t<Source\n\t\tId = \"12\"\n\t\tName = \"Cobalt &quot;&lt;&amp;&gt;&quot; Blue\"\n"
              "\t\tImg = \"S_12\"\n\t\tPrice = \"250\"\n\t/>\n"
              "</DataSource>\n");
    EXPECT_EQ(DataSourceBytes({}), "<?xml version=\"1.0\"?>\n<DataSource>\n</DataSource>\n");

    GameTables back = ReadText(DataSourceBytes(materials), &GameDataLoader::LoadSourceData);
    EXPECT_EQ(back.sourceTable, materials);
}

TEST(EditorFiles, BlueprintFileLayout)
{
    std::map<int32_t, BlueprintRecord> blueprints;
    blueprints[7] = {7, "Tea <Set> & \"Cup\"", "PD_7", 2, {{3, 4}, {12, 1}}, {{3, 1}, {12, 0}}};
    blueprints[2] = {2, "Bare", "PD_2", 0, {}, {}};
    EXPECT_EQ(DataBluePrintBytes(blueprints),
              "<?xml version=\"1.0\"?>\n"
              "\n"
              "<DataBluePrint>\n"
              "\n"
              "\t<BluePrint\n\t\tId\t\t\t= \"2\"\n\t\tName\t\t= \"Bare\"\n\t\tImg\t\t\t= \"PD_2\"\n"
              "\t\tCountryId\t= \"0\"\n\t/>\n"
              "\n"
              "\t<BluePrint\n\t\tId\t\t\t= \"7\"\n\t\tName\t\t= \"Tea &lt;Set&gt; &amp; &quot;Cup&quot;\"\n"
              "\t\tImg\t\t\t= \"PD_7\"\n\t\tCountryId\t= \"2\"\n\t/>\n"
              "\t<Source\tBpId = \"7\"\tId = \"3\"\t\tQty = \"4\"\t/>\n"
              "\t<Source\tBpId = \"7\"\tId = \"12\"\t\tQty = \"1\"\t/>\n"
              "\t<ColorSrc\tBpId = \"7\"\tId = \"3\"\t\tIsColor = \"1\"\t/>\n"
              "\t<ColorSrc\tBpId = \"7\"\tId = \"12\"\t\tIsColor = \"0\"\t/>\n"
              "\n"
              "</DataBluePrint>\n");

    GameTables back = ReadText(DataBluePrintBytes(blueprints), &GameDataLoader::LoadBluePrintData);
    EXPECT_EQ(back.blueprintTable, blueprints);
}

TEST(EditorFiles, PruningKeepsOnlyColourSourcesOfOwnMaterials)
{
    std::map<int32_t, BlueprintRecord> blueprints;
    blueprints[1] = {1, "A", "PD_1", 0, {{3, 1}}, {{3, 2}, {22, 1}}};
    blueprints[2] = {2, "B", "PD_2", 0, {}, {{5, 1}}};
    PruneColorSources(blueprints);
    EXPECT_EQ(blueprints[1].colorSources, (std::map<int32_t, int32_t>{{3, 2}}));
    EXPECT_TRUE(blueprints[2].colorSources.empty());
}

// The sample content's material and blueprint files survive a save and a read unchanged.
TEST(EditorFiles, SampleContentRoundTrip)
{
    const std::string folder = std::string(CONTENT_SOURCE_DIR) + "/properties/";
    if (!std::filesystem::exists(folder + "DataSource.xml"))
        GTEST_SKIP() << "no sample game data under " << folder;
    quortest::TempDir scratch;

    GameTables sample = ReadBack(folder + "DataSource.xml", "properties/DataSource.xml", &GameDataLoader::LoadSourceData);
    ASSERT_FALSE(sample.sourceTable.empty());
    quortest::WriteFile(scratch.File("s.xml"), DataSourceBytes(sample.sourceTable));
    EXPECT_EQ(ReadBack(scratch.File("s.xml"), "s", &GameDataLoader::LoadSourceData).sourceTable, sample.sourceTable);

    sample = ReadBack(folder + "DataBluePrint.xml", "properties/DataBluePrint.xml", &GameDataLoader::LoadBluePrintData);
    ASSERT_FALSE(sample.blueprintTable.empty());
    PruneColorSources(sample.blueprintTable);
    quortest::WriteFile(scratch.File("b.xml"), DataBluePrintBytes(sample.blueprintTable));
    EXPECT_EQ(ReadBack(scratch.File("b.xml"), "b", &GameDataLoader::LoadBluePrintData).blueprintTable,
              sample.blueprintTable);
}

TEST(EditorFiles, FieldNumbers)
{
    struct Case {
        const char* text;
        bool parses;
        int32_t value;
    };
    const Case cases[] = {
        {"0", true, 0},           {"-5", true, -5},          {"0x10", true, 16},
        {"0XaF", true, 175},      {"2147483647", true, 2147483647}, {"-2147483648", true, INT32_MIN},
        {"0x7FFFFFFF", true, INT32_MAX}, {"2147483648", false, 0}, {"-2147483649", false, 0},
        {"0x80000000", false, 0}, {"99999999999", false, 0}, {"-", false, 0},
        {"0x", false, 0},         {"", false, 0},            {"12a", false, 0},
        {"-0x5", false, 0},       {" 5", false, 0},          {"1-", false, 0},
    };
    for (const Case& c : cases) {
        int32_t value = 77;
        EXPECT_EQ(ParseFieldInt(c.text, &value), c.parses) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
}

TEST(EditorFiles, BaseNames)
{
    const std::string longest(34, 'a');
    for (const std::string& good : {std::string("DataSource"), std::string("a"), std::string("x_Y-9"), longest})
        EXPECT_EQ(BaseNameProblem(good, kMaxBaseName), "") << good;
    for (const std::string& bad : {std::string(""), longest + "a", std::string("../x"), std::string("a/b"),
                                   std::string("a\\b"), std::string("a b"), std::string("a.b"), std::string("\xe9")})
        EXPECT_NE(BaseNameProblem(bad, kMaxBaseName), "") << bad;
    EXPECT_NE(BaseNameProblem(std::string(27, 'q'), 26), "");
}

} // namespace
