// Painting (flag bit 0 clear) or Conveyor (set) opened on tuning values, a material table of
// 0-40 records whose keys have gaps, a recipe of 0-8 materials and 0-8 colour sources (all of
// them 1001 when a flag asks) and a production record, all taken from the bytes, then played for
// 500 updates of clicks, drags and screen buttons from the rest of the bytes.
#include "fuzz/MiniGameFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static quorfuzz::MiniGameRig rig;
    quorfuzz::ByteReader in(data, size);
    Quor::GameApp& app = rig.app;
    const uint8_t flags = in.Take<uint8_t>();

    // Raw doubles (any bit pattern) or small whole numbers.
    Quor::MiniGameTuning& t = app.miniGameTuning;
    double* tuning[] = {&t.m1BasicSpeed1, &t.m1BasicSpeed2, &t.m1BasicSpeed3, &t.m1Time,   &t.m1TimeDeduct,
                        &t.m1Lv1Pass,     &t.m1Lv2Pass,     &t.m1Lv3Pass,     &t.m3BasicSpeed, &t.m3MulSpeed,
                        &t.m3Time,        &t.m3Lv1Pass,     &t.m3Lv2Pass};
    for (double* value : tuning)
        *value = flags & 2 ? in.Take<double>() : double(in.Take<int8_t>());
    t.m1Distance = flags & 2 ? in.Take<int32_t>() : in.Take<int16_t>();

    // Keys 1-60 (so with gaps), ids of their own.
    app.sourceTable.clear();
    const int records = in.Take<uint8_t>() % 41;
    for (int i = 0; i < records; ++i) {
        const int key = 1 + in.Take<uint8_t>() % 60;
        const int id = flags & 4 ? in.Take<int16_t>() : key;
        app.sourceTable[key] = Quor::SourceRecord{id, "M", "S_1", 1};
    }

    const int product = in.Take<int16_t>();
    Quor::BlueprintRecord recipe{product, "Fuzz", "PD_1", 0, {}, {}};
    const int materials = in.Take<uint8_t>() % 9;
    for (int i = 0; i < materials; ++i)
        recipe.materialQty[in.Take<int16_t>()] = 1;
    const int colours = in.Take<uint8_t>() % 9;
    for (int i = 0; i < colours; ++i) {
        const int id = in.Take<int16_t>();
        recipe.colorSources[id] = flags & 8 ? 1001 : in.Take<int16_t>();
    }
    app.blueprintTable.clear();
    app.blueprintTable[product] = recipe;

    rig.GiveFactory(product, in, !(flags & 16), Quor::TutorialFinished);
    rig.Play(flags & 1 ? Quor::MINI_GAME_TRANSFER : Quor::MINI_GAME_PAINT, in);
    return 0;
}
