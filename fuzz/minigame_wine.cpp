// The Production Machine opened on tuning values, a recipe of 0-8 materials with any ids and a
// production record taken from the bytes (the tutorial's variant when a flag asks), then played
// for 500 updates of clicks, drags and screen buttons from the rest of the bytes.
#include "fuzz/MiniGameFuzz.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static quorfuzz::MiniGameRig rig;
    quorfuzz::ByteReader in(data, size);
    Quor::GameApp& app = rig.app;
    const uint8_t flags = in.Take<uint8_t>();

    // Raw doubles (any bit pattern) or small whole numbers.
    double* tuning[] = {&app.miniGameTuning.m4LvMax,       &app.miniGameTuning.m4LvStart,
                        &app.miniGameTuning.m4LvUpQty,     &app.miniGameTuning.m4BasicSpeed2,
                        &app.miniGameTuning.m4BasicSpeed3, &app.miniGameTuning.m4BasicSpeed4,
                        &app.miniGameTuning.m4BasicSpeed5, &app.miniGameTuning.m4LvSpeed};
    for (double* value : tuning)
        *value = flags & 1 ? in.Take<double>() : double(in.Take<int16_t>());

    const int product = in.Take<int16_t>();
    Quor::BlueprintRecord recipe{product, "Fuzz", "PD_1", 0, {}, {}};
    const int materials = in.Take<uint8_t>() % 9;
    for (int i = 0; i < materials; ++i) {
        const int id = in.Take<int16_t>();
        recipe.materialQty[id] = 1;
        app.sourceTable[id] = Quor::SourceRecord{id, "M", "S_1", 1};
    }
    app.blueprintTable.clear();
    app.blueprintTable[product] = recipe;

    Quor::PlayerProfile& profile =
        rig.GiveFactory(product, in, !(flags & 2), flags & 4 ? Quor::TUTOR_STEP_WINE : Quor::TutorialFinished);

    // The tutorial's step that halts the tenth row, once its game is built.
    rig.Play(Quor::MINI_GAME_WINE, in, [&] {
        if (flags & 8)
            profile.tutorialStep = 508;
    });
    return 0;
}
