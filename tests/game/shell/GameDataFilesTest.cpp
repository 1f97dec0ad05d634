// The effect definitions, mini-game tuning, quest, character and country-map files.
#include "tests/game/shell/GameDataFixture.h"

#include "game/shell/ResourceBinding.h"

#include <gmock/gmock.h>

using namespace Quor;
using quortest::GameDataTest;
using testing::ElementsAre;

namespace {

using Loader = GameDataLoader;
using Keys = std::map<double, double>;

TEST_F(GameDataTest, EffectDefinitionsReadTheFlatRunOfFxKeyframeAndKey)
{
    auto log = Read(
        "FXData.xml",
        "<FXData>\n"
        "<Keyframe type=\"ALPHA\"/><Key time=\"1\" val=\"1\"/>\n"  // before any FX: skipped
        "<FX id=\"5\" img=\"FX_C_REWARD_UP\" frame=\"4\" timePerLoop=\"0.75\" isLoop=\"False\""
        " playTime=\"3\" holdTime=\"1.5\"/>\n"
        "<Key time=\"2\" val=\"2\"/>\n"  // before the effect's first keyframe: skipped
        "<Keyframe loop=\"false\" type=\"ROTATE\" subtype=\"CLOCKWISE\"/>\n"
        "<Key time=\"0.5\" val=\"3\"/><Key time=\"0.25\" val=\"4\"/><Key time=\"0.5\" val=\"9\"/>\n"
        "<Keyframe type=\"SCALE\" subtype=\"TRANS_X\"><Key time=\"7\" val=\"7\"/></Keyframe>\n"
        "<Keyframe type=\"TRANSLATE\" subtype=\"TRANS_Y\"/><Key time=\"-1\" val=\"-2.5\"/>\n"
        "<FX id=\"5\" img=\"no such image\"/>\n"
        "<Keyframe type=\"translate\" subtype=\"TRANS_X\"/>\n"
        "</FXData>",
        &Loader::LoadFXData);
    EXPECT_THAT(log, ElementsAre(
        "In properties/FXData.xml on line 2: <Keyframe> was skipped: it comes before the first <FX>.",
        "In properties/FXData.xml on line 2: <Key> was skipped: its <FX> has no <Keyframe> before it.",
        "In properties/FXData.xml on line 4: <Key> was skipped: its <FX> has no <Keyframe> before it."));

    ASSERT_TRUE(mTables.fxDefs.has_value());
    const FXDefList& defs = *mTables.fxDefs;
    ASSERT_EQ(defs.size(), 2u);  // a repeated id stays, in file order
    FXDef first;
    first.id = 5;
    first.img = ResourceIdByName("FX_C_REWARD_UP");
    first.frame = 4;
    first.timePerLoop = 0.75;
    first.isLoop = false;
    first.playTime = 3;
    first.holdTime = 1.5;
    first.keyframes[0] = {false, FXKeyframeType::ROTATE, FXKeyframeType::CLOCKWISE,
                          Keys{{0.25, 4}, {0.5, 3}}};
    first.keyframes[1] = {true, FXKeyframeType::SCALE, 0, Keys{}};  // the nested Key is not read
    first.keyframes[2] = {true, FXKeyframeType::TRANSLATE, FXKeyframeType::TRANS_Y, Keys{{-1, -2.5}}};
    EXPECT_NE(first.img, 333);
    EXPECT_EQ(defs[0], first);

    FXDef second;
    second.id = 5;
    second.img = 333;
    second.isLoop = true;
    second.keyframes[0] = {true, FXKeyframeType::TRANSLATE, 0, Keys{}};  // index restarts per FX
    EXPECT_EQ(defs[1], second);
}

TEST_F(GameDataTest, KeyframeTypesAndBooleansFollowTheirTables)
{
    struct Case {
        const char* type;
        const char* subtype;
        int32_t wantType;
        int32_t wantSubtype;
    };
    const Case types[] = {
        {"TRANSLATE", "TRANS_X", 0, 5}, {"TRANSLATE", "TRANS_Y", 0, 6},
        {"TRANSLATE", "CLOCKWISE", 0, 0}, {"translate", "TRANS_X", 0, 0},
        {"ROTATE", "CLOCKWISE", 1, 7},  {"ROTATE", "ANTI_CLOCKWISE", 1, 8},
        {"ROTATE", "TRANS_X", 1, 0},    {"ROTATE", "", 1, 0},
        {"SCALE", "TRANS_Y", 2, 0},     {"ALPHA", "CLOCKWISE", 3, 0},
        {"FRAME", "TRANS_X", 0, 0},     {"", "", 0, 0},
    };
    const std::pair<const char*, bool> booleans[] = {
        {"false", false}, {"FALSE", false}, {"False", false}, {"true", true},
        {"0", true},      {"no", true},     {"", true},       {" false", true},
    };
    std::string body = "<FXData><FX/>";
    for (const Case& c : types)
        body += std::string("<Keyframe type=\"") + c.type + "\" subtype=\"" + c.subtype + "\"/>";
    for (const auto& [text, value] : booleans)
        body += std::string("<FX isLoop=\"") + text + "\"/><Keyframe loop=\"" + text + "\"/>";
    body += "<FX/><Keyframe/></FXData>";  // absent: true
    Read("FXData.xml", body, &Loader::LoadFXData);

    const FXDefList& defs = *mTables.fxDefs;
    ASSERT_EQ(defs.size(), std::size(booleans) + 2);
    for (size_t i = 0; i < std::size(types); ++i) {
        const FXKeyframeDef& k = defs[0].keyframes.at(int32_t(i));
        EXPECT_EQ(k.type, types[i].wantType) << types[i].type << " " << types[i].subtype;
        EXPECT_EQ(k.subtype, types[i].wantSubtype) << types[i].type << " " << types[i].subtype;
    }
    for (size_t i = 0; i < std::size(booleans); ++i) {
        EXPECT_EQ(defs[i + 1].isLoop, booleans[i].second) << '"' << booleans[i].first << '"';
        EXPECT_EQ(defs[i + 1].keyframes.at(0).loop, booleans[i].second) << booleans[i].first;
    }
    EXPECT_TRUE(defs.back().isLoop);
    EXPECT_TRUE(defs.back().keyframes.at(0).loop);
    EXPECT_EQ(defs.back().timePerLoop, 0.0);
}

TEST_F(GameDataTest, TuningSetsAll41ValuesFromTheMgElement)
{
    const char* doubles[] = {
        "m1BasicSpeed1", "m1BasicSpeed2", "m1BasicSpeed3", "m1Time", "m1TimeDeduct", "m1Lv1Pass",
        "m1Lv2Pass", "m1Lv3Pass", "m3BasicSpeed", "m3MulSpeed", "m3Time", "m3Lv1Pass", "m3Lv2Pass",
        "m2Time", "m2BonusMulti", "m4LvMax", "m4LvStart", "m4LvUpQty", "m4BasicSpeed2",
        "m4BasicSpeed3", "m4BasicSpeed4", "m4BasicSpeed5", "m4LvSpeed", "m5Time", "m5TimeDeduct",
        "m5Lv1Pass", "m5Lv2Pass", "m5Lv3Pass", "m5TimeDropBowl", "m5TimeDropBowlLvMulti",
        "m6Prepare"};
    const char* ints[] = {"m1Distance", "m5SrcLvMulti", "m5SrcNumAdd1", "m5SrcNumAdd2",
                          "m5SrcNumAdd3", "m6Chance", "gp_fac_jap", "gp_fac_chi", "gp_fac_usa",
                          "credit_fade"};
    std::string mg = "<MG";
    for (size_t i = 0; i < std::size(doubles); ++i)
        mg += std::string(" ") + doubles[i] + "=\"" + std::to_string(i + 1) + ".5\"";
    for (size_t i = 0; i < std::size(ints); ++i)
        mg += std::string(" ") + ints[i] + "=\"" + std::to_string(100 + i) + "\"";
    Read("DataMG.xml", "<DataMG>" + mg + "/></DataMG>", &Loader::LoadMiniGameData);

    const MiniGameTuning& t = mTables.miniGameTuning;
    const double gotDoubles[] = {
        t.m1BasicSpeed1, t.m1BasicSpeed2, t.m1BasicSpeed3, t.m1Time, t.m1TimeDeduct, t.m1Lv1Pass,
        t.m1Lv2Pass, t.m1Lv3Pass, t.m3BasicSpeed, t.m3MulSpeed, t.m3Time, t.m3Lv1Pass, t.m3Lv2Pass,
        t.m2Time, t.m2BonusMulti, t.m4LvMax, t.m4LvStart, t.m4LvUpQty, t.m4BasicSpeed2,
        t.m4BasicSpeed3, t.m4BasicSpeed4, t.m4BasicSpeed5, t.m4LvSpeed, t.m5Time, t.m5TimeDeduct,
        t.m5Lv1Pass, t.m5Lv2Pass, t.m5Lv3Pass, t.m5TimeDropBowl, t.m5TimeDropBowlLvMulti,
        t.m6Prepare};
    const int32_t gotInts[] = {t.m1Distance, t.m5SrcLvMulti, t.m5SrcNumAdd1, t.m5SrcNumAdd2,
                               t.m5SrcNumAdd3, t.m6Chance, t.gp_fac_jap, t.gp_fac_chi,
                               t.gp_fac_usa, t.credit_fade};
    static_assert(std::size(doubles) + std::size(ints) == 41);
    for (size_t i = 0; i < std::size(doubles); ++i)
        EXPECT_EQ(gotDoubles[i], double(i + 1) + 0.5) << doubles[i];
    for (size_t i = 0; i < std::size(ints); ++i)
        EXPECT_EQ(gotInts[i], int32_t(100 + i)) << ints[i];

    // A nested MG, or a file without one, leaves the block as the last load left it.
    MiniGameTuning before = t;
    Read("DataMG.xml", "<DataMG><Set><MG m4LvMax=\"1\"/></Set></DataMG>", &Loader::LoadMiniGameData);
    Read("DataMG.xml", "<DataMG/>", &Loader::LoadMiniGameData);
    EXPECT_EQ(t, before);

    // Absent and malformed values give 0, not the start values.
    Read("DataMG.xml",
         "<DataMG><MG m1Distance=\"2.0\" m1Time=\"7.25\" m4LvStart=\"1e2\" m3Time=\"-0.5\"/></DataMG>",
         &Loader::LoadMiniGameData);
    MiniGameTuning want;  // zero-initialised, start values not applied
    want.m1Time = 7.25;
    want.m3Time = -0.5;
    EXPECT_EQ(t, want);
}

TEST_F(GameDataTest, QuestsCollectTheirListsUntilTheNextData)
{
    auto log = Read(
        "DataQuest_0.xml",
        "<Quest><PreQuest Type=\"1\"/><Reward Type=\"1\"><Prop>5</Prop></Reward>\n"  // no quest yet
        "<Data Id=\"7\" CountryId=\"3\" Weight=\"2\" Des=\"Seven\"/>\n"
        "<Target Type=\"9\"><Prop>1</Prop></Target>\n"
        "<Reward Type=\"3\"/><Prop>2</Prop>\n"  // a Prop outside its entry is no Reward Prop
        "<PreQuest Type=\"2\" Des=\"p\" SubDes=\"ignored\"><Prop>3</Prop><Prop>+1</Prop></PreQuest>\n"
        "<Target Type=\"4\" Des=\"t\" SubDes=\"s\"><Prop>4</Prop><Prop>0</Prop><Prop>25</Prop></Target>\n"
        "</Quest>\n"
        "<Quest><Data Id=\"8\"><Reward Type=\"5\"/></Data><Reward Type=\"6\" Des=\"r\"/></Quest>\n"
        "<Quest><Data Id=\"9\"/><Prop>1</Prop></Quest>\n"
        "<Quest><Target Type=\"7\"><Prop>6</Prop></Target></Quest>\n",  // </Quest> ends no quest
        &Loader::LoadQuestData);
    EXPECT_THAT(log, ElementsAre(
        "In properties/DataQuest_0.xml on line 1: <PreQuest> was skipped: it comes before the first <Data>.",
        "In properties/DataQuest_0.xml on line 1: <Reward> was skipped: it comes before the first <Data>.",
        "In properties/DataQuest_0.xml on line 1: <Prop> of a <Reward> was skipped: it comes before "
        "the first <Data>."));

    const QuestRecord& q = mTables.questTable.at(7);
    EXPECT_EQ(q.CountryId, 3);
    EXPECT_EQ(q.Weight, 2);
    EXPECT_EQ(q.Des, "Seven");
    ASSERT_EQ(q.PreQuest.size(), 1u);
    QuestEntry pre(2, "p", "");
    pre.Prop = {3, 0};
    EXPECT_EQ(q.PreQuest[0], pre);
    ASSERT_EQ(q.Target.size(), 2u);
    EXPECT_THAT(q.Target[0].Prop, ElementsAre(1));
    EXPECT_EQ(q.Target[1].SubDes, "s");
    EXPECT_THAT(q.Target[1].Prop, ElementsAre(4, 0, 25));
    ASSERT_EQ(q.Reward.size(), 1u);
    EXPECT_TRUE(q.Reward[0].Prop.empty());

    const QuestRecord& q8 = mTables.questTable.at(8);
    EXPECT_EQ(q8.Weight, 0);
    ASSERT_EQ(q8.Reward.size(), 1u);  // the one nested in Data is not at the quest level
    EXPECT_EQ(q8.Reward[0].Type, 6);
    const QuestRecord& q9 = mTables.questTable.at(9);
    ASSERT_EQ(q9.Target.size(), 1u);
    EXPECT_THAT(q9.Target[0].Prop, ElementsAre(6));

    // The second file adds to the table; a repeated Id drops that quest with all its entries,
    // and entries after it never reach the quest kept.
    Read("DataQuest_1.xml",
         "<Quest><Data Id=\"7\" Des=\"other\"/><Target Type=\"1\"><Prop>99</Prop></Target></Quest>"
         "<Quest><Data Id=\"10\"/></Quest>",
         &Loader::LoadQuestData);
    EXPECT_EQ(mTables.questTable.size(), 4u);
    EXPECT_EQ(mTables.questTable.at(7), q);
    EXPECT_EQ(mTables.questTable.at(7).Target.size(), 2u);
}

TEST_F(GameDataTest, CharactersPlaceLinesByTheCountOfSets)
{
    auto log = Read(
        "DataNPC.xml",
        "<NPC><Speech Id=\"0\"><Des>lost</Des></Speech>\n"  // before any Data
        "<Data Id=\"1\" Name=\"Ann &amp; Bo\" Img=\"NPC_1\"/>\n"
        "<Speech Id=\"0\" Type=\"1\"><Des>a</Des><Des>x &amp; y</Des></Speech>\n"
        "<Speech Id=\"1\" Type=\"2\"><Des>c</Des><Des>d</Des></Speech>\n"
        "<Speech Id=\"2\" Type=\"3\"/><Des>not in a speech</Des>\n"
        "</NPC>\n"
        "<NPC><Data Id=\"2\"/><Speech Id=\"5\" Type=\"4\"><Des>x</Des></Speech>"
        "<Speech Id=\"5\" Type=\"9\"><Des>y</Des></Speech></NPC>\n"
        "<NPC><Data Id=\"1\" Name=\"dup\"/><Speech Id=\"7\"><Des>z</Des></Speech></NPC>\n",
        &Loader::LoadNPCData);
    EXPECT_THAT(log, ElementsAre(
        "In properties/DataNPC.xml on line 1: <Speech> was skipped: it comes before the first <Data>.",
        "In properties/DataNPC.xml on line 1: <Des> was skipped: it comes before the first <Data>."));

    ASSERT_EQ(mTables.npcTable.size(), 2u);
    const NpcRecord& ann = mTables.npcTable.at(1);
    EXPECT_EQ(ann.Name, "Ann & Bo");
    EXPECT_EQ(ann.Img, "NPC_1");
    ASSERT_EQ(ann.Speech.size(), 3u);
    EXPECT_EQ(ann.Speech.at(0), (NpcSpeech{0, 1, {"a", "x & y"}}));
    EXPECT_EQ(ann.Speech.at(1), (NpcSpeech{1, 2, {"c", "d"}}));
    EXPECT_EQ(ann.Speech.at(2), (NpcSpeech{2, 3, {}}));

    // One set with id 5: its line goes to a new set under 0 (one set, less one); the repeated
    // set 5 is dropped and its line goes to a new set under 1 (two sets by then, less one).
    const NpcRecord& two = mTables.npcTable.at(2);
    ASSERT_EQ(two.Speech.size(), 3u);
    EXPECT_EQ(two.Speech.at(5), (NpcSpeech{5, 4, {}}));
    EXPECT_EQ(two.Speech.at(0), (NpcSpeech{0, 0, {"x"}}));
    EXPECT_EQ(two.Speech.at(1), (NpcSpeech{1, 0, {"y"}}));
}

TEST_F(GameDataTest, CountryMapsTakeTheSiblingsAfterTheirCountryMap)
{
    auto log = Read(
        "DataCountryMap.xml",
        "<DataCountryMap>\n"
        "<Pos Type=\"1\"/><Npc Rid=\"1\" Nid=\"1\"/><Source Id=\"1\"/>\n"
        "<CountryMap Id=\"2\" Name=\"Japan\"/>\n"
        "<Pos Type=\"1\" x=\"10\" y=\"20\" nx=\"11\" ny=\"21\"/>\n"
        "<Pos Type=\"1\" x=\"99\" y=\"99\" nx=\"99\" ny=\"99\"/>\n"
        "<Pos x=\"5\" y=\"6\"/>\n"  // no Type: the cellar
        "<Npc Rid=\"2\" Nid=\"4\"/><Npc Rid=\"0\" Nid=\"9\"/><Npc Rid=\"2\" Nid=\"4\"/>\n"
        "<Source Id=\"3\"/><Source Id=\"1\"/><Source Id=\"3\"/>\n"
        "<CountryMap Id=\"5\"><Pos Type=\"4\" x=\"1\"/></CountryMap>\n"
        "<CountryMap Id=\"2\" Name=\"again\"/><Source Id=\"8\"/><Pos Type=\"3\"/>\n"
        "</DataCountryMap>",
        &Loader::LoadCountryMapData);
    EXPECT_THAT(log, ElementsAre(
        "In properties/DataCountryMap.xml on line 2: <Pos> was skipped: it comes before the first <CountryMap>.",
        "In properties/DataCountryMap.xml on line 2: <Npc> was skipped: it comes before the first <CountryMap>.",
        "In properties/DataCountryMap.xml on line 2: <Source> was skipped: it comes before the first <CountryMap>."));

    ASSERT_EQ(mTables.countryMapTable.size(), 2u);
    CountryMapRecord japan;
    japan.Id = 2;
    japan.Name = "Japan";
    japan.placePos = {{0, {5, 6}}, {1, {10, 20}}};
    japan.placeOverPos = {{0, {0, 0}}, {1, {11, 21}}};
    japan.npcSlots = {{2, 4}, {0, 9}, {2, 4}};
    japan.sourceIds = {3, 1, 3};
    EXPECT_EQ(mTables.countryMapTable.at(2), japan);
    EXPECT_TRUE(mTables.countryMapTable.at(5).placePos.empty());  // the nested Pos is skipped
}

} // namespace
