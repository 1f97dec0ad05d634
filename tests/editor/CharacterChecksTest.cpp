// The character editor's checks over small quest and character tables, and their row texts.
#include "editor/CharacterChecks.h"

#include <gtest/gtest.h>

using namespace Quor;

namespace {

QuestEntry Entry(int32_t type, std::vector<int32_t> props)
{
    QuestEntry e(type, "", "");
    e.Prop = std::move(props);
    return e;
}

QuestRecord Quest(int32_t id, std::vector<QuestEntry> targets, std::vector<QuestEntry> rewards = {})
{
    QuestRecord q;
    q.Id = id;
    q.Target = std::move(targets);
    q.Reward = std::move(rewards);
    return q;
}

NpcRecord Npc(int32_t id, std::vector<int32_t> sets)
{
    NpcRecord npc{id, "N", "I", {}};
    for (int32_t s : sets)
        npc.Speech[s] = {s, 1, {"x"}};
    return npc;
}

using Rows = std::vector<CheckRow>;

TEST(CharacterChecks, MissingSpeechSets)
{
    const std::map<int32_t, QuestRecord> quests{
        {8, Quest(8, {Entry(5, {12, 4, 0, 3, -1, 9}), Entry(1, {4, 4, 4, 9})})},
        {9, Quest(9, {Entry(5, {0, 4, 0}), Entry(5, {0}), Entry(5, {0, 6, 0, 2})})},
    };
    struct Case {
        std::map<int32_t, NpcRecord> npcs;
        Rows rows;
    };
    const Case cases[] = {
        {{{4, Npc(4, {3})}, {6, Npc(6, {2})}}, {{4, 9, 8}}},
        {{{6, Npc(6, {2})}}, {{4, 3, 8}, {4, 9, 8}}},
        {{{4, Npc(4, {3, 9})}}, {{6, 2, 9}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckMissRows(quests, c.npcs), c.rows);
    EXPECT_EQ(CheckRowText(CHECK_MISS, {4, 9, 8}), "NPC : 4 , SP : 9 , QID : 8");
}

TEST(CharacterChecks, RewardsNoTalkPays)
{
    const std::map<int32_t, QuestRecord> quests{
        {3, Quest(3, {Entry(1, {5}), Entry(5, {0, 1})},
                  {Entry(2, {2}), Entry(4, {0, 7}), Entry(3, {1}), Entry(6, {-1}), Entry(8, {})})},
        {4, Quest(4, {}, {Entry(1, {0})})},
    };
    EXPECT_EQ(CheckRewardRows(quests), (Rows{{3, 2, 2}, {3, 0, 4}, {3, -1, 6}, {3, -1, 8}, {4, 0, 1}}));
    EXPECT_EQ(CheckRowText(CHECK_REWARD, {3, 2, 2}), "QID : 3 , GetIndx : 2 , RType : 2");
}

TEST(CharacterChecks, BlueprintsAskedBeforeGiven)
{
    // Target 0 asks for 5 before its own reward gives it; target 1 then finds it; quest 6 asks
    // for 9, given only by quest 7's reward; blueprint 1 is always there.
    const std::map<int32_t, QuestRecord> quests{
        {2, Quest(2, {Entry(1, {5}), Entry(1, {5}), Entry(7, {1}), Entry(4, {0, 200}), Entry(5, {3, 3})},
                  {Entry(4, {0, 5}), Entry(4, {3}), Entry(2, {1, 9})})},
        {6, Quest(6, {Entry(7, {9}), Entry(1, {}), Entry(4, {0})})},
        {7, Quest(7, {Entry(5, {}), Entry(4, {0, 9})}, {Entry(4, {0, 9})})},
    };
    EXPECT_EQ(CheckBlueprintRows(quests), (Rows{{2, 5, 1}, {2, 200, 4}, {6, 9, 7}, {6, -1, 1}, {6, -1, 4}}));
    EXPECT_EQ(CheckRowText(CHECK_BLUEPRINTS, {2, 5, 1}), "QID : 2 , BPID : 5 , TarType : 1");
    EXPECT_EQ(CheckRowText(CHECK_NONE, {2, 5, 1}), "");
}

TEST(CharacterChecks, SpeechSetsInUse)
{
    const std::map<int32_t, QuestRecord> quests{
        {1, Quest(1, {Entry(5, {0, 17, 0, -1, 1}), Entry(1, {17, 17, 17, 2})})},
        {2, Quest(2, {Entry(5, {0, 18, 0, 0})})},
    };
    struct Case {
        int32_t npc, set;
        bool used;
    };
    for (const Case& c : {Case{17, 1, true}, Case{17, 0, false}, Case{17, 2, false}, Case{18, 0, true},
                          Case{18, 1, false}, Case{0, 0, false}})
        EXPECT_EQ(SpeechSetInUse(quests, c.npc, c.set), c.used) << c.npc << " " << c.set;
}

} // namespace
