#include "game/shell/GameTables.h"

namespace Quor {

void MiniGameTuning::SetDefaults()
{
    m1BasicSpeed1 = 0.0;
    m1BasicSpeed2 = 0.0;
    m1BasicSpeed3 = 0.0;
    m1Distance = 0;
    m1Time = 0.0;
    m1TimeDeduct = 0.0;
    m1Lv1Pass = 0.0;
    m1Lv2Pass = 0.0;
    m1Lv3Pass = 0.0;
    m3BasicSpeed = 0.0;
    m3MulSpeed = 0.0;
    m3Time = 0.0;
    m3Lv1Pass = 0.0;
    m3Lv2Pass = 0.0;
    m2Time = 0.0;
    m2BonusMulti = 0.0;
    m4LvMax = 10.0;
    m4LvStart = 5.0;
    m4LvUpQty = 5.0;
    m4BasicSpeed2 = 130.0;
    m4BasicSpeed3 = 130.0;
    m4BasicSpeed4 = 130.0;
    m4BasicSpeed5 = 130.0;
    m4LvSpeed = 23.0;
    m5Time = 0.0;
    m5TimeDeduct = 0.0;
    m5Lv1Pass = 0.0;
    m5Lv2Pass = 0.0;
    m5Lv3Pass = 0.0;
    m5TimeDropBowl = 0.0;
    m5TimeDropBowlLvMulti = 0.0;
    m5SrcLvMulti = 0;
    m5SrcNumAdd1 = 0;
    m5SrcNumAdd2 = 0;
    m5SrcNumAdd3 = 0;
    // The prepare time, the chance and the credits fade have no start value of their own; they
    // stay at the 0 they were built with until a load sets them.
    gp_fac_jap = 0;
    gp_fac_chi = 0;
    gp_fac_usa = 0;
}

} // namespace Quor
