// Glaze Selection opened on tuning values, a recipe of 0-40 colour sources of any id and stage,
// a product id of any value and a production record taken from the bytes (the tutorial's step
// 701 when a flag asks, with its ready sign at once or never, and the steps that hear covered
// bowls), then played for 500 updates of clicks and screen buttons from the rest of the bytes.
#include "fuzz/MiniGameFuzz.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static quorfuzz::MiniGameRig rig;
    quorfuzz::ByteReader in(data, size);
    Quor::GameApp& app = rig.app;
    Quor::MiniGameTuning& t = app.miniGameTuning;
    const uint8_t flags = in.Take<uint8_t>();

    // Raw doubles (any bit pattern) or small whole numbers.
    for (double* value : {&t.m6Prepare, &t.m5TimeDropBowl, &t.m5TimeDropBowlLvMulti, &t.m5TimeDeduct, &t.m5Lv1Pass,
                          &t.m5Lv2Pass, &t.m5Lv3Pass, &t.m1Time})
        *value = flags & 1 ? in.Take<double>() : double(in.Take<int8_t>());
    t.m6Chance = flags & 1 ? in.Take<int32_t>() : in.Take<int8_t>();

    const int product = in.Take<int16_t>();
    Quor::BlueprintRecord recipe{product, "Fuzz", "PD_1", 0, {{1, 1}}, {}};
    const int sources = in.Take<uint8_t>() % 41;
    for (int i = 0; i < sources; ++i) {
        const int id = flags & 32 ? in.Take<int16_t>() : in.Take<uint8_t>() % 40;
        recipe.colorSources[id] = flags & 32 ? in.Take<int32_t>() : in.Take<uint8_t>() % 4;
    }
    app.blueprintTable.clear();
    app.blueprintTable[product] = recipe;

    Quor::PlayerProfile& profile =
        rig.GiveFactory(product, in, !(flags & 2), flags & 4 ? Quor::TUTOR_STEP_GLAZE : Quor::TutorialFinished);

    rig.Play(Quor::MINI_GAME_GLAZE, in, [&] {
        if (flags & 8)  // the tutorial's action 701
            if (Quor::MgUi* host = rig.Host())
                host->ShowReadySign();
        if (flags & 16)
            profile.tutorialStep = flags & 64 ? 708 : 706;
    });
    return 0;
}
