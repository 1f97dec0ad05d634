#include "game/shell/GameTables.h"

#include <gtest/gtest.h>

using namespace Quor;

TEST(GameTables, NewSetIsEmptyWithTuningStartValues)
{
    GameTables tables;
    EXPECT_FALSE(tables.fxDefs.has_value());
    EXPECT_TRUE(tables.sourceTable.empty() && tables.blueprintTable.empty() &&
                tables.questTable.empty() && tables.npcTable.empty() &&
                tables.countryMapTable.empty() && tables.awardTable.empty());
    const MiniGameTuning& t = tables.miniGameTuning;
    EXPECT_EQ(t.m4LvMax, 10.0);
    EXPECT_EQ(t.m4LvStart, 5.0);
    EXPECT_EQ(t.m4LvUpQty, 5.0);
    for (double v : {t.m4BasicSpeed2, t.m4BasicSpeed3, t.m4BasicSpeed4, t.m4BasicSpeed5})
        EXPECT_EQ(v, 130.0);
    EXPECT_EQ(t.m4LvSpeed, 23.0);
    EXPECT_EQ(t.m6Prepare, 0.0);
    EXPECT_EQ(t.m6Chance, 0);
    EXPECT_EQ(t.credit_fade, 0);

    // SetDefaults leaves the three values without a start value as they were.
    MiniGameTuning changed = t;
    changed.m1Time = 4.5;
    changed.m6Chance = 9;
    changed.credit_fade = 3;
    changed.m6Prepare = 1.5;
    changed.SetDefaults();
    EXPECT_EQ(changed.m1Time, 0.0);
    EXPECT_EQ(changed.m6Chance, 9);
    EXPECT_EQ(changed.credit_fade, 3);
    EXPECT_EQ(changed.m6Prepare, 1.5);
}

TEST(GameTables, RecordsCompareFieldByField)
{
    GameTables a, b;
    EXPECT_EQ(a, b);
    QuestRecord q;
    q.Id = 7;
    q.Target.emplace_back(3, "deliver", "plates");
    q.Target.back().Prop = {4, 0, 25};
    a.questTable[7] = q;
    b.questTable[7] = q;
    EXPECT_EQ(a, b);
    b.questTable[7].Target.back().Prop[2] = 26;
    EXPECT_NE(a, b);

    b = a;
    FXDef fx;
    fx.keyframes[0].keys[0.5] = 1.0;
    a.fxDefs.emplace().push_back(fx);
    EXPECT_NE(a, b);
    b.fxDefs.emplace().push_back(fx);
    EXPECT_EQ(a, b);
    b.fxDefs->front().keyframes[0].keys[0.5] = 2.0;
    EXPECT_NE(a, b);
}
