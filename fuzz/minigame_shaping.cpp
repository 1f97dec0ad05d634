// Refine Shaping opened on tuning values, a product id of any value and a production record
// taken from the bytes (the tutorial's variant when a flag asks), then played for 500 updates of
// clicks, drags and screen buttons from the rest of the bytes.
#include "fuzz/MiniGameFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static quorfuzz::MiniGameRig rig;
    quorfuzz::ByteReader in(data, size);
    Quor::GameApp& app = rig.app;
    const uint8_t flags = in.Take<uint8_t>();

    // Raw doubles (any bit pattern) or small whole numbers.
    for (double* value : {&app.miniGameTuning.m2Time, &app.miniGameTuning.m2BonusMulti})
        *value = flags & 1 ? in.Take<double>() : double(in.Take<int16_t>());

    const int product = in.Take<int16_t>();
    app.blueprintTable.clear();
    app.blueprintTable[product] = Quor::BlueprintRecord{product, "Fuzz", "PD_1", 0, {{1, 1}}, {}};

    rig.GiveFactory(product, in, !(flags & 2), flags & 4 ? Quor::TUTOR_STEP_PUZZLE : Quor::TutorialFinished);

    rig.Play(Quor::MINI_GAME_PUZZLE, in);
    return 0;
}
